#include "winlib/splitter.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitterLayoutRules, ShareIsTakenOfTheWidthBesideTheBarWithinTheMinimums) {
    const int seventeen = 17 * (kShareWhole / 100);
    EXPECT_EQ(SplitterBarPosition(1004, 4, 150, seventeen), 170);
    EXPECT_EQ(SplitterBarPosition(800, 4, 150, seventeen), 150) << "the left pane keeps its minimum";
    EXPECT_EQ(SplitterBarPosition(800, 4, 150, 95 * (kShareWhole / 100)), 646) << "so does the right pane";
    // Too narrow for both minimums: the proportion wins, and nothing goes negative.
    EXPECT_EQ(SplitterBarPosition(204, 4, 150, kShareWhole / 2), 100);
    EXPECT_EQ(SplitterBarPosition(2, 4, 150, kShareWhole / 2), 0);
}

TEST(SplitterLayoutRules, SinglePaneModeGivesOnePaneTheWholeArea) {
    SplitterLayout both = ComputeSplitterLayout(500, 300, 100, 4, SPLIT_PANE_NONE);
    EXPECT_EQ(both.left.right, 100);
    EXPECT_EQ(both.bar.left, 100);
    EXPECT_EQ(both.bar.right, 104);
    EXPECT_EQ(both.right.left, 104);
    EXPECT_EQ(both.right.right, 500);
    EXPECT_EQ(both.right.bottom, 300);

    SplitterLayout right = ComputeSplitterLayout(500, 300, 100, 4, SPLIT_PANE_RIGHT);
    EXPECT_EQ(right.right.left, 0);
    EXPECT_EQ(right.right.right, 500);
    EXPECT_EQ(right.bar.right - right.bar.left, 0);
}

struct SplitterFixture : testing::Test {
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 1200, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        RECT area = {0, 0, 1004, 400};
        ASSERT_TRUE(splitter.Create(parent, &area, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
        left = CreatePane(1);
        right = CreatePane(2);
        splitter.SetBarWidth(4);
        splitter.SetMinPaneSize(150);
        splitter.SetSplitterPanes(left, right);
        splitter.SetSplitterPosPct(17);
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND CreatePane(int id) {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, splitter,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    // The window's own visibility; the parent frame is never shown in these tests.
    static bool Shown(HWND pane) { return (GetWindowLongPtrW(pane, GWL_STYLE) & WS_VISIBLE) != 0; }
    static RECT PaneRect(HWND pane) {
        RECT rect = {};
        GetWindowRect(pane, &rect);
        MapWindowPoints(nullptr, GetParent(pane), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    HWND parent = nullptr;
    CSplitterWindowT splitter;
    HWND left = nullptr;
    HWND right = nullptr;
};

TEST_F(SplitterFixture, PanesSitBesideTheBarAndKeepTheirShareWhenResized) {
    EXPECT_EQ(splitter.GetSplitterPos(), 170);
    EXPECT_EQ(PaneRect(left).right, 170);
    EXPECT_EQ(PaneRect(right).left, 174);
    EXPECT_EQ(PaneRect(right).right, 1004);
    EXPECT_EQ(PaneRect(right).bottom, 400);

    splitter.SetWindowPos(nullptr, 0, 0, 2004, 400, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(splitter.GetSplitterPos(), 340);
    EXPECT_EQ(PaneRect(right).right, 2004);
}

TEST_F(SplitterFixture, SinglePaneModeHidesTheOtherPaneAndComesBack) {
    splitter.SetSinglePaneMode(SPLIT_PANE_RIGHT);
    EXPECT_EQ(splitter.GetSinglePaneMode(), SPLIT_PANE_RIGHT);
    EXPECT_FALSE(Shown(left));
    EXPECT_TRUE(Shown(right));
    EXPECT_EQ(PaneRect(right).left, 0);
    EXPECT_EQ(PaneRect(right).right, 1004);

    splitter.SetSinglePaneMode(SPLIT_PANE_NONE);
    EXPECT_TRUE(Shown(left));
    EXPECT_EQ(PaneRect(left).right, 170);
    EXPECT_EQ(PaneRect(right).left, 174);
}

TEST_F(SplitterFixture, DraggingTheBarMovesItWithinTheMinimums) {
    ShowWindow(parent, SW_SHOW);
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(172, 50)); // 2 pixels into the bar
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(402, 50));
    EXPECT_EQ(splitter.GetSplitterPos(), 400);
    EXPECT_EQ(PaneRect(left).right, 400);
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 50));
    EXPECT_EQ(splitter.GetSplitterPos(), 150);
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 50));
    splitter.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(600, 50));
    EXPECT_EQ(splitter.GetSplitterPos(), 150) << "after the button is released the bar stays";

    // A press outside the bar starts no drag.
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 50));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(700, 50));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(700, 50));
    EXPECT_EQ(splitter.GetSplitterPos(), 150);
}

// The frame learns about its panes' commands and notifications only if the splitter passes them up.
TEST_F(SplitterFixture, CommandsAndNotificationsOfThePanesReachTheParent) {
    struct Parent : CWindowImpl<Parent> {
        UINT commands = 0;
        UINT notifies = 0;
        LPARAM sender = 0;
        BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM lParam, LRESULT& lResult, DWORD) override {
            if (uMsg == WM_COMMAND) {
                ++commands;
                sender = lParam;
                lResult = 0;
                return TRUE;
            }
            if (uMsg == WM_NOTIFY) {
                ++notifies;
                lResult = 0;
                return TRUE;
            }
            return FALSE;
        }
    } owner;
    ASSERT_TRUE(owner.Create(nullptr, nullptr, L"owner", WS_OVERLAPPEDWINDOW));
    CSplitterWindowT inner;
    ASSERT_TRUE(inner.Create(owner, nullptr, nullptr, WS_CHILD));
    inner.SendMessage(WM_COMMAND, MAKEWPARAM(57682, 0), reinterpret_cast<LPARAM>(left));
    NMHDR header = {left, 1, 0};
    inner.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(owner.commands, 1u);
    EXPECT_EQ(owner.sender, reinterpret_cast<LPARAM>(left));
    EXPECT_EQ(owner.notifies, 1u);
    owner.DestroyWindow();
}

} // namespace
