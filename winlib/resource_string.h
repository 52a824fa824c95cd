// Strings from the program's string table.
#pragma once

#include <windows.h>

#include <string>

// The whole string resource `id`; empty when there is none.
std::wstring LoadResourceString(UINT id);

// Command strings read "prompt\ntitle": the part before the first line feed (the whole text without one).
std::wstring CommandPrompt(const std::wstring& text);
// The part after the first line feed; empty without one.
std::wstring CommandTitle(const std::wstring& text);
