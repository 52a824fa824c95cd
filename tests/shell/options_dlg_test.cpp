#include "shell/options_dlg.h"

#include "shell/preferences.h"
#include "base/settings.h"
#include "base/win_handles.h"
#include "tests/common/message_box_closer.h"
#include "tests/common/modal_driver.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace {

const std::wstring kSettingsPath = std::wstring(kProgramKeyPath) + L"\\" + kSettingsSubKey;

// Every value under Settings as a DWORD (REG_DWORD values only).
std::map<std::wstring, DWORD> StoredDwords() {
    std::map<std::wstring, DWORD> values;
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return values;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD nameLength = 256, type = 0, data = 0, size = sizeof data;
        if (RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS) {
            break;
        }
        if (type == REG_DWORD) {
            values[name] = data;
        }
    }
    return values;
}

// The stored Font value: its type and bytes; nullopt when absent.
std::optional<std::pair<DWORD, std::string>> StoredFontValue() {
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char bytes[256] = {};
    DWORD type = 0, size = sizeof bytes;
    if (RegQueryValueExW(key.Get(), kFont, nullptr, &type, reinterpret_cast<BYTE*>(bytes), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::make_pair(type, std::string(bytes, size));
}

LOGFONTW Font(const wchar_t* face, LONG height) {
    LOGFONTW font = {};
    font.lfHeight = height;
    wcscpy_s(font.lfFaceName, face);
    return font;
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
std::wstring Text(HWND dialog, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}
void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// What the font dialog was asked, and what it answers.
struct FakeFontDialog {
    int calls = 0;
    CHOOSEFONTW request = {};
    LOGFONTW offered = {};
    BOOL answer = FALSE;
    LOGFONTW choice = {};
    std::function<void()> during;
};
FakeFontDialog g_fontDialog;

BOOL WINAPI FakeChooseFont(CHOOSEFONTW* request) {
    ++g_fontDialog.calls;
    g_fontDialog.request = *request;
    g_fontDialog.offered = *request->lpLogFont;
    if (g_fontDialog.during) {
        g_fontDialog.during();
    }
    if (g_fontDialog.answer) {
        *request->lpLogFont = g_fontDialog.choice;
    }
    return g_fontDialog.answer;
}

class Preferences : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetProgramKey();
        saved_ = ChooseFontCall();
        ChooseFontCall() = &FakeChooseFont;
        g_fontDialog = FakeFontDialog();
    }
    void TearDown() override {
        ChooseFontCall() = saved_;
        testsupport::ResetProgramKey();
    }

    // Opens the dialog modally and runs the script against it inside its modal loop; returns DoModal's
    // result.
    INT_PTR Run(COptionsDlg& dialog, const std::function<void(HWND)>& script) {
        testsupport::ModalDriver driver(L"Preferences", script);
        const INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(driver.TimedOut()) << "the script left the dialog open";
        return result;
    }
    INT_PTR Run(const std::function<void(HWND)>& script) {
        COptionsDlg dialog(false, false, LOGFONTW{});
        return Run(dialog, script);
    }

private:
    ChooseFontFunction saved_ = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// Opening and storing

TEST_F(Preferences, FreshProfileShowsTheDefaultsAndStoresThemOnlyOnOk) {
    EXPECT_EQ(Run([](HWND d) {
                  EXPECT_TRUE(Checked(d, IDC_PREF_STOP_ON_LIMIT));
                  EXPECT_EQ(Text(d, IDC_PREF_STOP_LIMIT), L"10000");
                  EXPECT_TRUE(Enabled(d, IDC_PREF_STOP_LIMIT));
                  EXPECT_TRUE(Checked(d, IDC_PREF_UNICODE_BINARY));
                  EXPECT_TRUE(Checked(d, IDC_PREF_KEY_TREE));
                  EXPECT_TRUE(Checked(d, IDC_PREF_LINE_NUMBERS));
                  EXPECT_FALSE(Checked(d, IDC_PREF_CLEAR_HISTORY));
                  EXPECT_FALSE(Checked(d, IDC_PREF_SEARCH_AS_YOU_TYPE));
                  EXPECT_EQ(Text(d, IDC_PREF_SNAPSHOT_BUDGET), sizeof(void*) == 8 ? L"1024" : L"256");
                  Click(d, IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_TRUE(StoredDwords().empty()) << "Cancel stores nothing";

    EXPECT_EQ(Run([](HWND d) { Click(d, IDOK); }), IDOK);
    const std::map<std::wstring, DWORD> expected = {
        {kStopSearchOnLimit, 1}, {kStopLimit, 10000}, {kUnicodeBinarySearch, 1},
        {kKeyTree, 1},           {kLineNumbers, 1},   {kClearSearchHistory, 0},
        {kSearchAsYouType, 0},   {kSnapshotBudget, kSnapshotBudgetSetting.defaultValue},
    };
    EXPECT_EQ(StoredDwords(), expected) << "the dialog itself never stores Ribbon";
}

TEST_F(Preferences, OpensWithTheStoredValues) {
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 0);
    WriteSettingDword(kSettingsSubKey, kStopLimit, 250);
    WriteSettingDword(kSettingsSubKey, kUnicodeBinarySearch, 0);
    WriteSettingDword(kSettingsSubKey, kKeyTree, 0);
    WriteSettingDword(kSettingsSubKey, kLineNumbers, 0);
    WriteSettingDword(kSettingsSubKey, kClearSearchHistory, 7);
    WriteSettingDword(kSettingsSubKey, kSearchAsYouType, 1);
    WriteSettingDword(kSettingsSubKey, kSnapshotBudget, 64);
    Run([](HWND d) {
        EXPECT_FALSE(Checked(d, IDC_PREF_STOP_ON_LIMIT));
        EXPECT_EQ(Text(d, IDC_PREF_STOP_LIMIT), L"250");
        EXPECT_FALSE(Enabled(d, IDC_PREF_STOP_LIMIT));
        EXPECT_FALSE(Checked(d, IDC_PREF_UNICODE_BINARY));
        EXPECT_FALSE(Checked(d, IDC_PREF_KEY_TREE));
        EXPECT_FALSE(Checked(d, IDC_PREF_LINE_NUMBERS));
        EXPECT_TRUE(Checked(d, IDC_PREF_CLEAR_HISTORY));
        EXPECT_TRUE(Checked(d, IDC_PREF_SEARCH_AS_YOU_TYPE));
        EXPECT_EQ(Text(d, IDC_PREF_SNAPSHOT_BUDGET), L"64");
        // Checking the limit box again enables the number.
        Click(d, IDC_PREF_STOP_ON_LIMIT);
        EXPECT_TRUE(Enabled(d, IDC_PREF_STOP_LIMIT));
        Click(d, IDCANCEL);
    });
}

TEST_F(Preferences, UncheckedLimitDisablesTheNumberWhichIsStillStored) {
    Run([](HWND d) {
        Click(d, IDC_PREF_STOP_ON_LIMIT);
        EXPECT_FALSE(Enabled(d, IDC_PREF_STOP_LIMIT));
        SetDlgItemTextW(d, IDC_PREF_STOP_LIMIT, L"2500");
        Click(d, IDC_PREF_KEY_TREE);
        Click(d, IDC_PREF_CLEAR_HISTORY);
        Click(d, IDOK);
    });
    const std::map<std::wstring, DWORD> stored = StoredDwords();
    EXPECT_EQ(stored.at(kStopSearchOnLimit), 0u);
    EXPECT_EQ(stored.at(kStopLimit), 2500u);
    EXPECT_EQ(stored.at(kKeyTree), 0u);
    EXPECT_EQ(stored.at(kClearSearchHistory), 1u);
}

TEST_F(Preferences, SmallOrEmptyLimitIsStoredAsOneHundred) {
    for (const wchar_t* typed : {L"5", L""}) {
        testsupport::ResetProgramKey();
        Run([typed](HWND d) {
            SetDlgItemTextW(d, IDC_PREF_STOP_LIMIT, typed);
            Click(d, IDOK);
        });
        EXPECT_EQ(StoredDwords()[kStopLimit], 100u) << "typed \"" << testing::PrintToString(std::wstring(typed));
    }
}

TEST(StopLimitText, ReadsSignedNumbersAndNeverGoesBelowOneHundred) {
    EXPECT_EQ(StopLimitFromText(L"10000"), 10000u);
    EXPECT_EQ(StopLimitFromText(L"100"), 100u);
    EXPECT_EQ(StopLimitFromText(L" 250 "), 250u);
    EXPECT_EQ(StopLimitFromText(L"+300"), 300u);
    for (const wchar_t* small : {L"99", L"5", L"0", L"", L"   ", L"-5000", L"12abc", L"abc", L"-", L"1 2"}) {
        EXPECT_EQ(StopLimitFromText(small), 100u) << testing::PrintToString(std::wstring(small));
    }
}

// Guards against a long run of digits wrapping into a small or negative limit.
TEST(StopLimitText, DigitsBeyondTheSignedRangeGiveItsLargestValue) {
    EXPECT_EQ(StopLimitFromText(L"2147483647"), static_cast<DWORD>(INT_MAX));
    EXPECT_EQ(StopLimitFromText(L"2147483648"), static_cast<DWORD>(INT_MAX));
    EXPECT_EQ(StopLimitFromText(L"99999999999999999999999999"), static_cast<DWORD>(INT_MAX));
    EXPECT_EQ(StopLimitFromText(L"-99999999999999999999999999"), 100u);
}

// ---------------------------------------------------------------------------------------------------
// Ribbon choice

TEST_F(Preferences, RibbonBoxFollowsWhatShowsAndWhetherTheFrameworkExists) {
    // Without the framework: disabled and unchecked, and the choice is "no ribbon".
    COptionsDlg without(false, false, LOGFONTW{});
    Run(without, [](HWND d) {
        EXPECT_FALSE(Checked(d, IDC_PREF_RIBBON));
        EXPECT_FALSE(Enabled(d, IDC_PREF_RIBBON));
        Click(d, IDOK);
    });
    EXPECT_FALSE(without.RibbonChoice());

    // The stored Ribbon value is not consulted: only what shows now.
    WriteSettingDword(kSettingsSubKey, kRibbon, 0);
    COptionsDlg shown(true, true, LOGFONTW{});
    Run(shown, [](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_PREF_RIBBON));
        EXPECT_TRUE(Enabled(d, IDC_PREF_RIBBON));
        Click(d, IDOK);
    });
    EXPECT_TRUE(shown.RibbonChoice());

    COptionsDlg hidden(true, true, LOGFONTW{});
    Run(hidden, [](HWND d) {
        Click(d, IDC_PREF_RIBBON);
        Click(d, IDOK);
    });
    EXPECT_FALSE(hidden.RibbonChoice());
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kRibbon, 9), 0u);
}

// ---------------------------------------------------------------------------------------------------
// Font

TEST_F(Preferences, ChosenFontIsStoredAtOnceAndSurvivesCancel) {
    g_fontDialog.answer = TRUE;
    g_fontDialog.choice = Font(L"Courier New", -20);
    HWND shownDialog = nullptr;
    COptionsDlg dialog(false, false, Font(L"Consolas", -14));
    EXPECT_EQ(Run(dialog,
                  [&](HWND d) {
                      shownDialog = d;
                      Click(d, IDC_PREF_FONT);
                      Click(d, IDCANCEL);
                  }),
              IDCANCEL);
    ASSERT_EQ(g_fontDialog.calls, 1);
    EXPECT_EQ(g_fontDialog.request.Flags, 0x0105004Bu);
    EXPECT_NE(g_fontDialog.request.lpfnHook, nullptr);
    EXPECT_EQ(g_fontDialog.request.hwndOwner, shownDialog) << "owned by the active window";
    EXPECT_STREQ(g_fontDialog.offered.lfFaceName, L"Consolas");
    EXPECT_EQ(g_fontDialog.offered.lfHeight, -14);

    EXPECT_TRUE(dialog.FontChanged());
    const auto stored = StoredFontValue();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->first, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(stored->second.size(), 92u);
    const LOGFONTW expected = Font(L"Courier New", -20);
    EXPECT_EQ(std::memcmp(stored->second.data(), &expected, sizeof expected), 0);
    // Cancel wrote none of the other settings.
    EXPECT_TRUE(StoredDwords().empty());
}

TEST_F(Preferences, CancelledFontDialogStoresNothing) {
    COptionsDlg dialog(false, false, Font(L"Consolas", -14));
    Run(dialog, [](HWND d) {
        Click(d, IDC_PREF_FONT);
        Click(d, IDOK);
    });
    EXPECT_EQ(g_fontDialog.calls, 1);
    EXPECT_FALSE(dialog.FontChanged());
    EXPECT_FALSE(StoredFontValue());
}

TEST_F(Preferences, FontIsNotStoredWhenTheSettingsKeyIsGone) {
    g_fontDialog.answer = TRUE;
    g_fontDialog.choice = Font(L"Courier New", -20);
    // The key vanishes while the font dialog is open; storing the font must not create it again.
    g_fontDialog.during = [] { testsupport::ResetProgramKey(); };
    COptionsDlg dialog(false, false, Font(L"Consolas", -14));
    std::vector<testsupport::SeenBox> seen;
    Run(dialog, [&](HWND d) {
        testsupport::MessageBoxCloser closer(IDOK, L"Error");
        Click(d, IDC_PREF_FONT);
        seen = closer.Seen();
        Click(d, IDCANCEL);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text.find(L"1 setting(s) could not be saved"), std::wstring::npos) << seen[0].text;
    EXPECT_FALSE(dialog.FontChanged());
    KeyHandle key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsPath.c_str(), 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
}

TEST_F(Preferences, RealFontDialogOpensOverPreferencesAndCancels) {
    ChooseFontCall() = &::ChooseFontW;
    COptionsDlg dialog(false, false, Font(L"Tahoma", -13));
    std::vector<testsupport::SeenBox> seen;
    Run(dialog, [&](HWND d) {
        {
            testsupport::MessageBoxCloser closer(IDCANCEL, L"Font");
            Click(d, IDC_PREF_FONT);
            seen = closer.Seen();
        }
        EXPECT_TRUE(IsWindow(d)) << "cancelling the font dialog leaves Preferences open";
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(dialog.FontChanged());
    EXPECT_FALSE(StoredFontValue());
}

} // namespace
