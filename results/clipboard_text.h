// Putting text on the clipboard as CF_UNICODETEXT. Main thread only.
#pragma once

#include <windows.h>

#include <string>

// Empties the clipboard (opened for owner) and gives it the text. Empty text does nothing and leaves the
// clipboard as it was. False when nothing was copied (the clipboard busy, no memory).
bool CopyTextToClipboard(HWND owner, const std::wstring& text);
