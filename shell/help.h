// The help file: tamsel.chm beside the program, opened at the program's topic through HTML Help.
#pragma once

#include <windows.h>

#include <string>

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The program's folder (the executable path up to its last backslash) + "\\tamsel.chm" + the topic
// "::/2_Utilities/1_quillon.htm", cut at 259 characters as a 260-character buffer would cut it.
std::wstring HelpTopicPath(const std::wstring& exePath);

// The HTML Help library: the registered location of its control, else "hhctrl.ocx" on the search path.
std::wstring HtmlHelpLibraryPath();

// HtmlHelpW from that library, loaded once and kept; null when it cannot be loaded.
HtmlHelpFunction LoadHtmlHelp();

// Tests put a recorder here; null means the real HtmlHelpW.
HtmlHelpFunction& HtmlHelpOverride();

// Opens the program's help topic owned by `owner`; does nothing when HTML Help is unavailable.
void ShowHelp(HWND owner);
