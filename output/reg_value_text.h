// The text of one value in a registry script ("Windows Registry Editor Version 5.00"): pure formatting,
// LF line ends. Every value that can be written at all is written so that importing the script restores its
// type and its bytes exactly.
#pragma once

#include <windows.h>

#include <string>

// Long byte lists break after the column passes this, with a backslash and a two-blank indent.
inline constexpr size_t kRegHexWrapColumn = 75;

// Whether a value of this name can be written in a script: a name holding a NUL, a CR or a LF cannot, since
// the quoted name would end or break its line there.
bool RegValueNameWritable(const std::wstring& name);

// Appends one value's item, ending in LF: "\"name\"=" (\ and " in the name escaped) or "@=" for the default
// value, then the string in quotes with \ and " escaped (a REG_SZ whose bytes a quoted string restores
// exactly), dword:xxxxxxxx (a 4-byte REG_DWORD), or a hex: / hex(type): byte list of exactly `size` bytes.
// Returns false and appends nothing when the name cannot be written (RegValueNameWritable).
bool AppendRegValueItem(std::wstring& out, const std::wstring& name, DWORD type, const BYTE* data, size_t size);

// The item alone; empty when the name cannot be written.
std::wstring RegValueItem(const std::wstring& name, DWORD type, const BYTE* data, size_t size);

// "[root\path]\n", or "[root]\n" for the root itself.
std::wstring RegKeyLine(const std::wstring& rootName, const std::wstring& path);
