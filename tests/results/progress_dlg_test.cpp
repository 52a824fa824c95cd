#include "results/progress_dlg.h"

#include "winlib/message_loop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Stands for the main frame's filter, registered before any please-wait dialog.
class RecordingFilter : public CMessageFilter {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override {
        seen.push_back(pMsg->message);
        return FALSE;
    }
    std::vector<UINT> seen;
};

std::wstring TextOf(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

POINT Centre(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// One owner for the suite: under Wine without a window manager, hiding the active window costs seconds.
class PleaseWait : public testing::Test {
protected:
    static void SetUpTestSuite() { sharedOwner = CreateOwner(); }
    static void TearDownTestSuite() { DestroyWindow(sharedOwner); }

    static HWND CreateOwner() {
        return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 700, 500, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }

    void SetUp() override {
        ASSERT_TRUE(AppModule().AddMessageLoop(&loop));
        loop.AddMessageFilter(&frameFilter);
        owner = sharedOwner;
        ASSERT_TRUE(owner);
        EnableWindow(owner, TRUE);
        child = CreateWindowExW(0, L"STATIC", L"view", WS_CHILD | WS_VISIBLE, 10, 10, 300, 200, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    void TearDown() override {
        DestroyWindow(child);
        AppModule().RemoveMessageLoop();
    }

    // Runs a message the way the loop does: filters first, then dispatch.
    BOOL Deliver(HWND target, UINT message, WPARAM wParam) {
        MSG msg = {target, message, wParam, 0};
        if (loop.PreTranslateMessage(&msg)) {
            return TRUE;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return FALSE;
    }

    static HWND sharedOwner;
    CMessageLoop loop;
    RecordingFilter frameFilter;
    HWND owner = nullptr;
    HWND child = nullptr;
};

HWND PleaseWait::sharedOwner = nullptr;

TEST_F(PleaseWait, ShowsCentredOverTheMainWindowWhichTakesNoInput) {
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Open(child));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner) << "a dialog over the view belongs to its top-level window";
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_PROGRESS_TEXT)), L"Please wait...");
    const POINT dialogCentre = Centre(dialog), ownerCentre = Centre(owner);
    EXPECT_LE(std::abs(dialogCentre.x - ownerCentre.x), 1);
    EXPECT_LE(std::abs(dialogCentre.y - ownerCentre.y), 1);

    dialog.SetText(L"Deleting 3 of 10");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_PROGRESS_TEXT)), L"Deleting 3 of 10");
    // Painted at once: nothing is left waiting for a WM_PAINT.
    EXPECT_FALSE(GetUpdateRect(dialog, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(GetDlgItem(dialog, IDC_PROGRESS_TEXT), nullptr, FALSE));

    dialog.Close();
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetForegroundWindow(), owner);
}

TEST_F(PleaseWait, EnterEscOkCancelAndCloseDoNothing) {
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Open(child));
    HWND window = dialog;
    EXPECT_TRUE(Deliver(window, WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(Deliver(window, WM_KEYDOWN, VK_ESCAPE));
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowEnabled(owner));
}

TEST_F(PleaseWait, FilterIsAskedBeforeTheFramesAndRemovedWithTheDialog) {
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Open(child));
    HWND window = dialog;
    // Dialog navigation consumes the dialog's keys before the frame's filter sees them.
    EXPECT_TRUE(Deliver(window, WM_KEYDOWN, VK_TAB));
    EXPECT_TRUE(frameFilter.seen.empty());
    // Messages of other windows pass on to the frame's filter.
    EXPECT_FALSE(Deliver(owner, WM_NULL, 0));
    EXPECT_EQ(frameFilter.seen, std::vector<UINT>{WM_NULL});

    dialog.Close();
    EXPECT_FALSE(loop.RemoveMessageFilter(&dialog)) << "the dialog removed its own filter";
    EXPECT_FALSE(Deliver(owner, WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(frameFilter.seen.size(), 2u);
}

TEST_F(PleaseWait, GoingWithItsOwnerLeavesNoFilterBehind) {
    HWND ownOwner = CreateOwner();
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Open(ownOwner));
    DestroyWindow(ownOwner);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_FALSE(loop.RemoveMessageFilter(&dialog));
    dialog.Close();
}

TEST_F(PleaseWait, OwnerDisabledByOthersStaysDisabled) {
    EnableWindow(owner, FALSE);
    CProgressDlg dialog;
    ASSERT_TRUE(dialog.Open(owner));
    dialog.Close();
    EXPECT_FALSE(IsWindowEnabled(owner));
}

// Guards against a second dialog that finds the owner disabled by the first and so never enables it.
TEST_F(PleaseWait, NewDialogReplacesThePreviousOneAndTheOwnerComesBack) {
    ProgressDlgSlot slot;
    CProgressDlg* first = slot.Open(child);
    ASSERT_NE(first, nullptr);
    HWND firstWindow = *first;
    first->SetText(L"first");
    CProgressDlg* second = slot.Open(child);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_TRUE(IsWindowVisible(*second));
    EXPECT_FALSE(IsWindowEnabled(owner));
    slot.SetText(L"second");
    EXPECT_EQ(TextOf(GetDlgItem(*second, IDC_PROGRESS_TEXT)), L"second");

    slot.Close();
    EXPECT_EQ(slot.Get(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(Deliver(owner, WM_KEYDOWN, VK_TAB)) << "no dialog filter is left in the loop";
    EXPECT_EQ(frameFilter.seen, std::vector<UINT>{WM_KEYDOWN});
}

} // namespace
