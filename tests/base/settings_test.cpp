#include "base/settings.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

namespace {

class SettingsStore : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetProgramKey(); }
    void TearDown() override { testsupport::ResetProgramKey(); }

    static bool KeyExists(const std::wstring& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
    static DWORD ValueCount(const std::wstring& path) {
        HKEY key = nullptr;
        DWORD count = 0;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                             nullptr, nullptr);
            RegCloseKey(key);
        }
        return count;
    }
    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        KeyHandle key = OpenProgramSubKey(kSettingsSubKey);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
};

TEST_F(SettingsStore, FreshProfileReadsDefaultsAndCreatesKeysWithoutValues) {
    const std::wstring settingsPath = std::wstring(kProgramKeyPath) + L"\\Settings";
    ASSERT_FALSE(KeyExists(kProgramKeyPath));

    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kStopLimit, 10000), 10000u);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kClearSearchHistory, 0), 0u);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kKeyTree, 1), 1u);

    EXPECT_TRUE(KeyExists(kProgramKeyPath));
    EXPECT_TRUE(KeyExists(settingsPath));
    EXPECT_EQ(ValueCount(settingsPath), 0u) << "defaults are never written by a read";
}

TEST_F(SettingsStore, WrittenValueIsReadBackAsDword) {
    EXPECT_TRUE(WriteSettingDword(kSettingsSubKey, kStopLimit, 250));
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kStopLimit, 10000), 250u);
    EXPECT_TRUE(WriteSettingDword(kHistorySubKey, L"Anything", 0xFFFFFFFF));
    EXPECT_EQ(ReadSettingDword(kHistorySubKey, L"Anything", 3), 0xFFFFFFFFu);

    KeyHandle key = OpenProgramSubKey(kSettingsSubKey);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key.Get(), kStopLimit, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
}

TEST_F(SettingsStore, ReadIsTypeAgnosticUpToFourBytes) {
    const BYTE four[] = {0x00, 0x00, 0x00, 0x00};
    SetRaw(kLineNumbers, REG_BINARY, four, sizeof four);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kLineNumbers, 1), 0u);

    const BYTE number[] = {0x34, 0x12, 0x00, 0x80};
    SetRaw(kLineNumbers, REG_BINARY, number, sizeof number);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kLineNumbers, 1), 0x80001234u);

    // Eight bytes do not fit the 4-byte read: the default wins.
    const BYTE eight[] = {0, 0, 0, 0, 0, 0, 0, 0};
    SetRaw(kLineNumbers, REG_BINARY, eight, sizeof eight);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kLineNumbers, 1), 1u);

    const ULONGLONG qword = 5;
    SetRaw(kStopLimit, REG_QWORD, &qword, sizeof qword);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kStopLimit, 10000), 10000u);

    // A short value fills the low bytes.
    const BYTE two[] = {0x05, 0x01};
    SetRaw(kStopLimit, REG_BINARY, two, sizeof two);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kStopLimit, 10000), 0x105u);
}

} // namespace
