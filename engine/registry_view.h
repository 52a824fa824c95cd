// The registry view every key is opened in. On 64-bit Windows a 32-bit program is given the redirected 32-bit
// view unless it asks otherwise: HKLM\SOFTWARE would then show the keys of SOFTWARE\WOW6432Node under the
// wrong path, and the 64-bit keys not at all. So every place that opens a key the user searches, browses,
// exports or deletes asks for the native view.
#pragma once

#include <windows.h>

// KEY_WOW64_64KEY for a 32-bit program on 64-bit Windows; 0 where the program has the native view already (a
// 64-bit program, or 32-bit Windows, whose oldest versions do not take the flag).
REGSAM NativeViewAccess();

// The view searched, for the search log: "64-bit" or "32-bit".
const wchar_t* NativeViewName();
