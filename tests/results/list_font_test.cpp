#include "results/list_font.h"
#include "base/settings.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>

namespace {

class ListFont : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetProgramKey(); }
    void TearDown() override { testsupport::ResetProgramKey(); }

    static void StoreFont(DWORD type, const void* data, DWORD size) {
        KeyHandle key = OpenProgramSubKey(kSettingsSubKey);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExW(key.Get(), kFont, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
};

TEST_F(ListFont, MissingOrUnusableValueGivesTheDefaultWithForcedFields) {
    LOGFONTW font = ListFontSettings();
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Consolas");
    EXPECT_EQ(font.lfHeight, -14);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfQuality, CLEARTYPE_QUALITY);
    // Reading the font never creates the settings key.
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kProgramKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);

    const DWORD number = 7;
    StoreFont(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(std::wstring(ListFontSettings().lfFaceName), L"Consolas") << "not binary";
    BYTE tooLong[sizeof(LOGFONTW) + 4] = {};
    StoreFont(REG_BINARY, tooLong, sizeof tooLong);
    EXPECT_EQ(std::wstring(ListFontSettings().lfFaceName), L"Consolas") << "longer than a font record";
}

TEST_F(ListFont, StoredRecordIsUsedWithWeightQualityAndPrecisionsForced) {
    LOGFONTW stored = {};
    stored.lfHeight = -20;
    stored.lfWeight = FW_BOLD;
    stored.lfItalic = TRUE;
    stored.lfQuality = NONANTIALIASED_QUALITY;
    stored.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    stored.lfClipPrecision = CLIP_STROKE_PRECIS;
    stored.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy_s(stored.lfFaceName, L"Courier New");
    StoreFont(REG_BINARY, &stored, sizeof stored);
    LOGFONTW font = ListFontSettings();
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Courier New");
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_TRUE(font.lfItalic);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(font.lfOutPrecision, 0);
    EXPECT_EQ(font.lfClipPrecision, 0);
    EXPECT_EQ(font.lfPitchAndFamily, 0);

    // A shorter value fills the start of the record.
    const LONG height = -30;
    StoreFont(REG_BINARY, &height, sizeof height);
    font = ListFontSettings();
    EXPECT_EQ(font.lfHeight, -30);
    EXPECT_EQ(font.lfFaceName[0], L'\0');
}

TEST_F(ListFont, UntrustedRecordIsMadeSafe) {
    LOGFONTW stored = {};
    stored.lfHeight = INT_MIN;
    stored.lfWidth = 5000000;
    for (wchar_t& c : stored.lfFaceName) {
        c = L'A'; // no terminator
    }
    StoreFont(REG_BINARY, &stored, sizeof stored);
    LOGFONTW font = ListFontSettings();
    EXPECT_EQ(wcsnlen(font.lfFaceName, LF_FACESIZE), size_t(LF_FACESIZE - 1));
    EXPECT_GE(font.lfHeight, -1000);
    EXPECT_LE(font.lfWidth, 1000);
}

} // namespace
