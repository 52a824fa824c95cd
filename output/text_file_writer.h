// Writes the files the user saves (registry export, list save): UTF-16 little-endian with the byte-order mark
// FF FE, CR LF line ends, no terminating NUL. The text is built with LF line ends and converted here.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Every LF becomes CR LF (also one that already follows a CR).
std::wstring ToCrLf(std::wstring_view text);

// Writes ToCrLf(text) to path, replacing an existing file. The content goes to a temporary file in the same
// folder, opened for exclusive access, which is renamed over path only when everything was written: a failed
// write leaves the old file as it was. Returns ERROR_SUCCESS or the Win32 error of the failing step.
DWORD WriteUtf16File(const std::wstring& path, std::wstring_view text);
