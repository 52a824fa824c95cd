#include "base/settings.h"

namespace {

constexpr REGSAM kSettingsAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

KeyHandle CreateSubKey(HKEY parent, const wchar_t* name) {
    KeyHandle key;
    if (RegCreateKeyExW(parent, name, 0, nullptr, 0, kSettingsAccess, nullptr, key.Receive(), nullptr) !=
        ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

} // namespace

KeyHandle OpenProgramSubKey(const wchar_t* subKey) {
    KeyHandle software;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"software", 0, kSettingsAccess, software.Receive()) != ERROR_SUCCESS) {
        return {};
    }
    KeyHandle vendor = software ? CreateSubKey(software.Get(), L"Orvanta") : KeyHandle();
    KeyHandle program = vendor ? CreateSubKey(vendor.Get(), L"Quillon") : KeyHandle();
    return program ? CreateSubKey(program.Get(), subKey) : KeyHandle();
}

DWORD ReadSettingDword(const wchar_t* subKey, const wchar_t* valueName, DWORD defaultValue) {
    KeyHandle key = OpenProgramSubKey(subKey);
    if (!key) {
        return defaultValue;
    }
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS) {
        return defaultValue;
    }
    // A shorter value fills the low bytes; the rest stay zero.
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

bool WriteSettingDword(const wchar_t* subKey, const wchar_t* valueName, DWORD value) {
    KeyHandle key = OpenProgramSubKey(subKey);
    if (!key) {
        return false;
    }
    return RegSetValueExW(key.Get(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

DWORD ReadSetting(const SettingInfo& setting) {
    return ReadSettingDword(kSettingsSubKey, setting.name, setting.defaultValue);
}

bool WriteSetting(const SettingInfo& setting, DWORD value) {
    return WriteSettingDword(kSettingsSubKey, setting.name, value);
}
