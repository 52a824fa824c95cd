// The system's own text for a Win32 error code, as every layer shows it to the user or writes it to a log.
#pragma once

#include <windows.h>

#include <string>

// The message without its trailing line end and blanks; empty when the system has none for the code.
std::wstring SystemMessage(DWORD error);
