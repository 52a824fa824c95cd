#include "tests/shell/frame_fixture.h"

#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "results/list_font.h"
#include "shell/options_dlg.h"
#include "base/settings.h"
#include "tests/common/modal_driver.h"
#include "tests/common/test_support.h"
#include "winlib/ribbon.h"

#include <cwchar>

namespace {

LOGFONTW g_offered = {};

BOOL WINAPI ChooseCourier(CHOOSEFONTW* request) {
    g_offered = *request->lpLogFont;
    wcscpy_s(request->lpLogFont->lfFaceName, L"Courier New");
    return TRUE;
}

class FramePreferences : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        saved_ = ChooseFontCall();
        ChooseFontCall() = &ChooseCourier;
    }
    void TearDown() override {
        ChooseFontCall() = saved_;
        FrameTest::TearDown();
    }

    // Runs the Preferences command with the script driving the dialog; the owner it had is recorded.
    void OpenPreferences(const std::function<void(HWND)>& script) {
        testsupport::ModalDriver driver(L"Preferences", [&](HWND d) {
            owner = GetWindow(d, GW_OWNER);
            script(d);
        });
        Command(ID_EDIT_PREFERENCES);
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(driver.TimedOut());
    }
    static void Press(HWND d, int id) { SendMessageW(GetDlgItem(d, id), BM_CLICK, 0, 0); }

    HWND owner = nullptr;

private:
    ChooseFontFunction saved_ = nullptr;
};

TEST_F(FramePreferences, OkStoresTheSettingsAndRibbonOffWithoutTheFramework) {
    ASSERT_FALSE(RibbonAvailable());
    OpenPreferences([](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_PREF_RIBBON)));
        Press(d, IDC_PREF_LINE_NUMBERS);
        Press(d, IDOK);
    });
    EXPECT_EQ(owner, frame->m_hWnd);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kRibbon, 9), 0u);
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kLineNumbers, 9), 0u);
    EXPECT_FALSE(frame->IsRibbonShown());
    EXPECT_TRUE(GetWindowLongPtrW(frame->ReBar(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(frame->listFontReloads, 0) << "no new font, no reload";
}

TEST_F(FramePreferences, CancelStoresNothingAndTheListKeepsItsFont) {
    OpenPreferences([](HWND d) {
        Press(d, IDC_PREF_FONT);
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kRibbon, 9), 9u);
    EXPECT_EQ(frame->listFontReloads, 0) << "the new font waits for the next start";
}

TEST_F(FramePreferences, NewFontReachesTheListAfterOk) {
    OpenPreferences([](HWND d) {
        Press(d, IDC_PREF_FONT);
        Press(d, IDOK);
    });
    EXPECT_EQ(frame->listFontReloads, 1);
    // The font dialog started from the list's record: the default list font on a fresh profile.
    EXPECT_STREQ(g_offered.lfFaceName, L"Consolas");
    EXPECT_EQ(g_offered.lfHeight, -14);
    EXPECT_STREQ(ListFontSettings().lfFaceName, L"Courier New");
}

} // namespace
