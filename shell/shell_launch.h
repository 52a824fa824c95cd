// Process-level helpers of the shell: elevation, launching files and programs through the shell, and the
// relaunch of this program with administrator rights.
#pragma once

#include <windows.h>

#include <string>

// Whether the process token says it runs elevated; false when the token cannot be read.
bool IsProcessElevated();

// Opens a file, folder or program through the shell with the given verb. The shell shows no error box of
// its own. False for an empty file name or when the shell fails.
bool ShellLaunch(HWND owner, const std::wstring& file, const std::wstring& verb, const std::wstring& parameters);

// Starts a second instance of this program with the "runas" verb; the running instance stays. A refused
// elevation prompt or a failure is silent.
void RelaunchAsAdministrator();

// The shell call used by RelaunchAsAdministrator; tests replace it so that nothing is started.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
ShellExecuteFunction& ShellExecuteForRelaunch();
