// The texts of the result actions, apart from any window: full key names, the clipboard texts, the delete
// questions and the delete log's line, and the file path that "Open file location" finds in a result.
#pragma once

#include "engine/search_types.h"

#include <windows.h>

#include <string>
#include <string_view>

// The root's name, then "\" and the key path when there is one: HKEY_CURRENT_USER\Software\X.
std::wstring FullKeyName(const SearchResult& record);

// "Copy Selected item": the full key name, ", ", the value name, ", ", the data text; no line end.
std::wstring CopyItemText(const SearchResult& record);

// The confirmations of the single deletes.
std::wstring DeleteValueQuestion(const SearchResult& record);
std::wstring DeleteKeyQuestion(const SearchResult& record);
// "Are you sure you want to delete the %d check marked items(s)?\n\n"
std::wstring DeleteCheckedQuestion(size_t count);
// "Error deleting value. Error=%08x" / "Error deleting key. Error=%08x"
std::wstring DeleteErrorText(bool key, DWORD error);

// The system's message for an error code without its trailing line ends; "HRESULT 0x%8.8x" when the
// system has none.
std::wstring SystemErrorText(DWORD error);

// One line of the delete log: "Key Delete Error: <text>, <root>\<path>\<value>" ("Value" for a value).
std::wstring DeleteLogLine(const SearchResult& record, const std::wstring& errorText);

// The first drive path in text: a word character and a colon, then one or more "\" parts made of letters,
// digits, blanks and _-.()~!@#$%^&=+';,{}[] characters (the longest such run). Empty when there is none.
std::wstring FindFilePath(std::wstring_view text);

// The file path a REG_SZ or REG_EXPAND_SZ value result names: in its value name, else in its data text
// (REG_EXPAND_SZ data expanded first when it fits in MAX_PATH characters). Empty for anything else.
std::wstring FileLocationOf(const SearchResult& record);

// The folder part of a file location: everything before its last "\"; empty when it has none.
std::wstring FolderOfLocation(const std::wstring& location);
