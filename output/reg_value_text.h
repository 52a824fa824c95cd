// The text of one value in a registry script ("Windows Registry Editor Version 5.00"): pure formatting,
// LF line ends.
#pragma once

#include <windows.h>

#include <string>

// Long byte lists break after the column passes this, with a backslash and a two-blank indent.
inline constexpr size_t kRegHexWrapColumn = 75;

// One value's item, ending in LF: "\"name\"=" (\ and " in the name escaped) or "@=" for the default value, then
// the string in quotes with \ and " escaped (REG_SZ), dword:xxxxxxxx (a 4-byte REG_DWORD) or a hex: /
// hex(type): byte list. Reads exactly `size` bytes of data, whatever the type claims.
std::wstring RegValueItem(const std::wstring& name, DWORD type, const BYTE* data, size_t size);

// "[root\path]\n", or "[root]\n" for the root itself.
std::wstring RegKeyLine(const std::wstring& rootName, const std::wstring& path);
