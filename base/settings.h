// The settings store: DWORD values under HKCU\Software\Orvanta\Quillon\<subkey>. Nothing is cached;
// every reader reads the value when it needs it and names its own default.
#pragma once

#include "base/win_handles.h"

#include <windows.h>

// Program key below HKEY_CURRENT_USER, and its sub-keys.
inline constexpr const wchar_t* kProgramKeyPath = L"Software\\Orvanta\\Quillon";
inline constexpr const wchar_t* kSettingsSubKey = L"Settings";
inline constexpr const wchar_t* kHistorySubKey = L"History";
inline constexpr const wchar_t* kLookInHistorySubKey = L"History_LookIn";
inline constexpr const wchar_t* kExcludeHistorySubKey = L"History_ExcludeKeys";

// Value names under "Settings"; each reader passes its own default (listed here for reference).
inline constexpr const wchar_t* kStopSearchOnLimit = L"StopSearchOnLimit";        // 1
inline constexpr const wchar_t* kStopLimit = L"StopLimit";                        // 10000
inline constexpr const wchar_t* kUnicodeBinarySearch = L"REG_BINARY_UnicodeSearch"; // 1
inline constexpr const wchar_t* kKeyTree = L"KeyTree";                            // 1
inline constexpr const wchar_t* kLineNumbers = L"LineNumbers";                    // 1
inline constexpr const wchar_t* kClearSearchHistory = L"ClearSearchHistory";      // 0
inline constexpr const wchar_t* kRibbon = L"Ribbon";                              // 1
inline constexpr const wchar_t* kFont = L"Font";                                  // REG_BINARY LOGFONTW

// Opens (creating where missing) Software\Orvanta\Quillon\<subKey> under HKEY_CURRENT_USER with read,
// create-subkey and set-value access. Empty on failure.
KeyHandle OpenProgramSubKey(const wchar_t* subKey);

// The value's first 4 bytes as a little-endian number whatever its stored type; the default when the key
// or value is missing or the value is longer than 4 bytes.
DWORD ReadSettingDword(const wchar_t* subKey, const wchar_t* valueName, DWORD defaultValue);

// Stores the value as REG_DWORD; false when the key cannot be opened or the write fails.
bool WriteSettingDword(const wchar_t* subKey, const wchar_t* valueName, DWORD value);
