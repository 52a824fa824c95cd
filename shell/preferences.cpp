#include "shell/preferences.h"

#include "base/settings.h"
#include "base/win_handles.h"

#include <climits>
#include <string>

namespace {

DWORD Flag(bool on) {
    return on ? 1 : 0;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

std::wstring SettingsKeyPath() {
    return std::wstring(kProgramKeyPath) + L"\\" + kSettingsSubKey;
}

// The typed number as a signed 32-bit value, saturating at the ends; 0 for text that is not a number.
long long ParseSignedNumber(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return 0;
    }
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return 0;
        }
        if (value <= INT_MAX) {
            value = value * 10 + (c - L'0');
        }
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return negative ? -value : value;
}

} // namespace

PreferenceValues ReadPreferences() {
    PreferenceValues values;
    values.stopLimit = ReadSetting(kStopLimitSetting);
    values.stopOnLimit = ReadSettingFlag(kStopSearchOnLimitSetting);
    values.unicodeBinarySearch = ReadSettingFlag(kUnicodeBinarySearchSetting);
    values.keyTree = ReadSettingFlag(kKeyTreeSetting);
    values.lineNumbers = ReadSettingFlag(kLineNumbersSetting);
    values.clearSearchHistory = ReadSettingFlag(kClearSearchHistorySetting);
    values.searchAsYouType = ReadSettingFlag(kSearchAsYouTypeSetting);
    values.snapshotBudgetMb = ClampSetting(kSnapshotBudgetSetting, ReadSetting(kSnapshotBudgetSetting));
    return values;
}

SettingWriteFailures WritePreferences(const PreferenceValues& values) {
    const std::pair<const SettingInfo&, DWORD> writes[] = {
        {kStopSearchOnLimitSetting, Flag(values.stopOnLimit)},
        {kStopLimitSetting, ClampSetting(kStopLimitSetting, values.stopLimit)},
        {kUnicodeBinarySearchSetting, Flag(values.unicodeBinarySearch)},
        {kKeyTreeSetting, Flag(values.keyTree)},
        {kLineNumbersSetting, Flag(values.lineNumbers)},
        {kClearSearchHistorySetting, Flag(values.clearSearchHistory)},
        {kSearchAsYouTypeSetting, Flag(values.searchAsYouType)},
        {kSnapshotBudgetSetting, ClampSetting(kSnapshotBudgetSetting, values.snapshotBudgetMb)},
    };
    SettingWriteFailures failures;
    for (const auto& [setting, value] : writes) {
        failures.Check(WriteSetting(setting, value), std::wstring(kSettingsSubKey) + L"\\" + setting.name);
    }
    return failures;
}

DWORD StopLimitFromText(std::wstring_view text) {
    const long long value = ParseSignedNumber(text);
    return value < kMinimumStopLimit ? kMinimumStopLimit : static_cast<DWORD>(value);
}

bool StoreListFont(const LOGFONTW& font) {
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath().c_str(), 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                      key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.Get(), kFont, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&font), sizeof font) ==
           ERROR_SUCCESS;
}
