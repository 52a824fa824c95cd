// The general settings that the Preferences dialog edits, apart from the dialog: reading them with their
// defaults, reading the typed result limit, storing them in their fixed order, and storing the list font.
//
// Threads: main thread (each call opens and closes its own keys).
#pragma once

#include "base/setting_writes.h"
#include "base/settings.h"

#include <windows.h>

#include <string_view>

// The smallest result limit that is ever stored.
inline constexpr DWORD kMinimumStopLimit = kStopLimitSetting.minimum;

struct PreferenceValues {
    bool stopOnLimit = true;
    DWORD stopLimit = kStopLimitSetting.defaultValue;
    bool unicodeBinarySearch = true;
    bool keyTree = true;
    bool lineNumbers = true;
    bool clearSearchHistory = false;
    bool searchAsYouType = false;
    DWORD snapshotBudgetMb = kSnapshotBudgetSetting.defaultValue;
};

// The stored values, each with its own default for a missing value.
PreferenceValues ReadPreferences();

// Writes StopSearchOnLimit, StopLimit, REG_BINARY_UnicodeSearch, KeyTree, LineNumbers and
// ClearSearchHistory, in that order, then SearchAsYouType and SnapshotBudgetMB. The limit is raised to the
// minimum first; the memory is held to its range. Returns the values that could not be written.
SettingWriteFailures WritePreferences(const PreferenceValues& values);

// The limit typed into the Preferences box: a signed decimal number, surrounding blanks allowed. Empty or
// unreadable text reads as 0; anything below the minimum gives the minimum; digits beyond the signed 32-bit
// range give its largest value.
DWORD StopLimitFromText(std::wstring_view text);

// Stores the list font as the Font value (REG_BINARY, the whole record) under the existing Settings key,
// which is never created here. False when the key cannot be opened or the write fails.
bool StoreListFont(const LOGFONTW& font);
