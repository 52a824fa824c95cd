// Hive names, root key handles and the look-in / exclude list syntax
// ("HKLM\Software; HKCU | HKU, ..." -> KeyLocation entries).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One entry of a look-in or exclude list.
struct KeyLocation {
    HKEY root = nullptr;     // predefined handle; never null in a stored entry
    std::wstring subKey;     // path after the hive's backslash, trimmed
    std::wstring subKeyText; // the same path as typed, untrimmed
    std::wstring rootName;   // full hive name of root
};

struct HiveName {
    const wchar_t* fullName;
    const wchar_t* abbreviation;
    HKEY root;
};

// The searchable hives, in lookup order.
inline const HiveName kHiveTable[] = {
    {L"HKEY_LOCAL_MACHINE", L"HKLM", HKEY_LOCAL_MACHINE},   {L"HKEY_CLASSES_ROOT", L"HKCR", HKEY_CLASSES_ROOT},
    {L"HKEY_CURRENT_USER", L"HKCU", HKEY_CURRENT_USER},     {L"HKEY_USERS", L"HKU", HKEY_USERS},
    {L"HKEY_CURRENT_CONFIG", L"HKCC", HKEY_CURRENT_CONFIG},
};

// Whole-name, case-insensitive lookup of a full or abbreviated hive name; null when unknown.
HKEY RootKeyFromName(const std::wstring& name);
// Full hive name of one of the five roots; "" for anything else.
std::wstring RootKeyName(HKEY root);
// Splits at the first backslash: returns its position, or -1 (then hivePart = path unless path is empty).
int SplitKeyPath(const std::wstring& path, std::wstring& hivePart, std::wstring& subKeyPart);
// Parses a ";", "|" or "," separated list of locations into list (replacing it). White-space-only text
// returns false and leaves list as it was; otherwise returns whether any entry was parsed.
bool ParseKeyList(const std::wstring& text, std::vector<KeyLocation>& list);

// Text helpers shared by the engine.
std::wstring TrimWhiteSpace(const std::wstring& text);
std::wstring TrimChars(const std::wstring& text, const wchar_t* chars);
