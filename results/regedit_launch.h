// Opening the system registry editor at a result's key and value. A closed editor is told where to start
// through the key it remembers ("LastKey"); a running one, or one whose remembered key cannot be set, is
// walked there by keystrokes sent to its tree; the value is then selected in its value list by typing.
//
// Threads: main thread. The caller waits while the editor starts (bounded) and for the pauses between
// keystrokes (1 s, and 200 ms per tree level on displays with more than 8-bit colour).
#pragma once

#include <windows.h>

#include <string>

// The editor's main window class and its remembered-key value.
inline constexpr const wchar_t* kRegEditWindowClass = L"RegEdit_RegEdit";
inline constexpr const wchar_t* kRegEditSettingsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
inline constexpr const wchar_t* kRegEditLastKey = L"LastKey";

// Longest wait for a started editor to become idle for input and to show its window.
inline constexpr DWORD kRegEditStartTimeoutMs = 10000;

// Shows the editor at rootName\keyPath with valueName selected (empty: the default value, or nothing for a
// key). False when the editor cannot be started or its window does not appear; nothing is reported.
bool OpenRegEditAt(const std::wstring& rootName, const std::wstring& keyPath, const std::wstring& valueName);

// Starts the editor wherever it starts by itself ("open", no parameters). False when the shell fails.
bool StartRegEdit(HWND owner);
