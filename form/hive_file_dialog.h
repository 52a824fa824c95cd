// The standard Open dialog that picks a hive file for the options tree's "File" item. Main thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The folder the dialog starts in: the folder part of the current "File" text (quotes and spaces around
// it dropped); empty when the text names no folder.
std::wstring HiveFileStartFolder(const std::wstring& fileText);

// Shows the Open dialog over owner, starting in the folder of fileText. The chosen file's full path, or
// nothing when the user cancels (or the dialog fails).
std::optional<std::wstring> AskForHiveFile(HWND owner, const std::wstring& fileText);
