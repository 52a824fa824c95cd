// The "Show Search Log" command: the last search's log opened in Notepad, as the delete log is opened.
#pragma once

#include <windows.h>

#include <string>

// Full path of the search log; empty when there is no application-data folder.
std::wstring SearchLogPath();

// Starts a program through the shell (ShellLaunch's shape); tests pass their own to start nothing.
using LaunchFunction = bool (*)(HWND owner, const std::wstring& file, const std::wstring& verb,
                                const std::wstring& parameters);

// Opens the search log with "notepad.exe" and the verb "open". Before any search has written the log, tells
// the user so in a message box owned by owner instead of letting Notepad offer to create the file.
void ShowSearchLog(HWND owner, LaunchFunction launch);
