// The settings store: DWORD values under HKCU\Software\Orvanta\Quillon\<subkey>. Nothing is cached;
// every reader reads the value when it needs it, with the default the table below gives it.
#pragma once

#include "base/win_handles.h"

#include <windows.h>

// Program key below HKEY_CURRENT_USER, and its sub-keys.
inline constexpr const wchar_t* kProgramKeyPath = L"Software\\Orvanta\\Quillon";
inline constexpr const wchar_t* kSettingsSubKey = L"Settings";
inline constexpr const wchar_t* kHistorySubKey = L"History";
inline constexpr const wchar_t* kLookInHistorySubKey = L"History_LookIn";
inline constexpr const wchar_t* kExcludeHistorySubKey = L"History_ExcludeKeys";

// Value names under "Settings".
inline constexpr const wchar_t* kStopSearchOnLimit = L"StopSearchOnLimit";
inline constexpr const wchar_t* kStopLimit = L"StopLimit";
inline constexpr const wchar_t* kUnicodeBinarySearch = L"REG_BINARY_UnicodeSearch";
inline constexpr const wchar_t* kKeyTree = L"KeyTree";
inline constexpr const wchar_t* kLineNumbers = L"LineNumbers";
inline constexpr const wchar_t* kClearSearchHistory = L"ClearSearchHistory";
inline constexpr const wchar_t* kRibbon = L"Ribbon";
inline constexpr const wchar_t* kFont = L"Font"; // REG_BINARY LOGFONTW
inline constexpr const wchar_t* kSnapshotBudget = L"SnapshotBudgetMB";
inline constexpr const wchar_t* kSearchAsYouType = L"SearchAsYouType";
inline constexpr const wchar_t* kModeValue = L"Mode";
inline constexpr const wchar_t* kOptionsValue = L"Options";
inline constexpr const wchar_t* kTypesValue = L"Types";
inline constexpr const wchar_t* kExcludeKeysValue = L"Excludekeys";
inline constexpr const wchar_t* kModFromValue = L"ModFrom";
inline constexpr const wchar_t* kModToValue = L"ModTo";

// One DWORD setting under "Settings": its name, the value a missing one reads as, and the range a stored
// value is held to (ClampSetting).
struct SettingInfo {
    const wchar_t* name;
    DWORD defaultValue;
    DWORD minimum = 0;
    DWORD maximum = 0xFFFFFFFF;
};

// Every DWORD setting of the program, in one place for every layer.
inline constexpr SettingInfo kStopSearchOnLimitSetting{kStopSearchOnLimit, 1, 0, 1};
// A limit of 0 means none; any other stored limit is at least 100.
inline constexpr SettingInfo kStopLimitSetting{kStopLimit, 10000, 100};
inline constexpr SettingInfo kUnicodeBinarySearchSetting{kUnicodeBinarySearch, 1, 0, 1};
inline constexpr SettingInfo kKeyTreeSetting{kKeyTree, 1, 0, 1};
inline constexpr SettingInfo kLineNumbersSetting{kLineNumbers, 1, 0, 1};
inline constexpr SettingInfo kClearSearchHistorySetting{kClearSearchHistory, 0, 0, 1};
inline constexpr SettingInfo kRibbonSetting{kRibbon, 1, 0, 1};
// Megabytes of memory the kept copies of searched registry trees may take (0: none are kept); a 32-bit
// program has a smaller address space to share with its results.
inline constexpr SettingInfo kSnapshotBudgetSetting{kSnapshotBudget, sizeof(void*) == 8 ? 1024u : 256u, 0, 4095};
// Whether the list follows the search text while it is typed, where kept copies make a search instant.
inline constexpr SettingInfo kSearchAsYouTypeSetting{kSearchAsYouType, 0, 0, 1};
// The saved form: search mode (find string), option bits (keys, values and data), type mask (all types),
// and whether the exclusion and the two date bounds were on.
inline constexpr SettingInfo kModeSetting{kModeValue, 1};
inline constexpr SettingInfo kOptionsSetting{kOptionsValue, 0x7};
inline constexpr SettingInfo kTypesSetting{kTypesValue, 0xFFFFFFFF};
inline constexpr SettingInfo kExcludeKeysSetting{kExcludeKeysValue, 0, 0, 1};
inline constexpr SettingInfo kModFromSetting{kModFromValue, 0, 0, 1};
inline constexpr SettingInfo kModToSetting{kModToValue, 0, 0, 1};

// The stored value under "Settings", or the setting's default when it is missing or unreadable.
DWORD ReadSetting(const SettingInfo& setting);
// Whether the stored value is not 0 (the on/off settings).
inline bool ReadSettingFlag(const SettingInfo& setting) {
    return ReadSetting(setting) != 0;
}
// Stores the value as it is (callers clamp first where the user typed it); false when the write fails.
bool WriteSetting(const SettingInfo& setting, DWORD value);
// value held to the setting's range.
inline DWORD ClampSetting(const SettingInfo& setting, DWORD value) {
    return value < setting.minimum ? setting.minimum : value > setting.maximum ? setting.maximum : value;
}

// Opens (creating where missing) Software\Orvanta\Quillon\<subKey> under HKEY_CURRENT_USER with read,
// create-subkey and set-value access. Empty on failure.
KeyHandle OpenProgramSubKey(const wchar_t* subKey);

// The value's first 4 bytes as a little-endian number whatever its stored type; the default when the key
// or value is missing or the value is longer than 4 bytes.
DWORD ReadSettingDword(const wchar_t* subKey, const wchar_t* valueName, DWORD defaultValue);

// Stores the value as REG_DWORD; false when the key cannot be opened or the write fails.
bool WriteSettingDword(const wchar_t* subKey, const wchar_t* valueName, DWORD value);
