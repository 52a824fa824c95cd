// Text conversions of the console program: UTF-8 for pipes and files, the system's error texts.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

// The system's message for a Win32 error code, without the trailing line end; "error N" when there is none.
std::wstring SystemErrorText(DWORD error);
