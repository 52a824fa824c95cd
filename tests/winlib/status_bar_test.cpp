#include "winlib/resource_string.h"
#include "winlib/status_bar.h"
#include "tests/winlib/test_resources.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(StatusBarLayout, OtherPanesAreRightAlignedAndTheFirstTakesTheRest) {
    const std::array<int, 4> widths = {0, 20, 100, 60};
    EXPECT_EQ(StatusPaneEdges(500, 0, widths), (std::vector<int>{320, 340, 440, -1}));
    // The last pane also covers the size grip.
    EXPECT_EQ(StatusPaneEdges(500, 15, widths), (std::vector<int>{305, 325, 425, -1}));
    // Narrower than its panes: edges stop at zero and never run backwards.
    EXPECT_EQ(StatusPaneEdges(100, 0, widths), (std::vector<int>{0, 0, 40, -1}));
    const std::array<int, 1> one = {0};
    EXPECT_EQ(StatusPaneEdges(500, 0, one), (std::vector<int>{-1}));
}

TEST(ResourceStrings, CommandStringSplitsIntoPromptAndTitle) {
    const std::wstring text = LoadResourceString(IDS_TEST_COMMAND);
    EXPECT_EQ(text, L"Does the test thing\nTest thing");
    EXPECT_EQ(CommandPrompt(text), L"Does the test thing");
    EXPECT_EQ(CommandTitle(text), L"Test thing");
    EXPECT_EQ(CommandPrompt(L"no title"), L"no title");
    EXPECT_EQ(CommandTitle(L"no title"), L"");
    EXPECT_EQ(LoadResourceString(4711), L"");
}

struct StatusBarFixture : testing::Test {
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(bar.Create(parent, L"Ready"));
        bar.SendMessage(WM_SIZE);
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND parent = nullptr;
    CMultiPaneStatusBarCtrl bar;
};

TEST_F(StatusBarFixture, PanesAreAddressedByIdWithWidthsFromTheirStrings) {
    const std::array<int, 3> panes = {ID_DEFAULT_PANE, IDS_TEST_PANE_NARROW, IDS_TEST_PANE_WIDE};
    ASSERT_TRUE(bar.SetPanes(panes));
    EXPECT_EQ(bar.GetPaneCount(), 3);
    EXPECT_EQ(bar.GetPaneIndexFromID(IDS_TEST_PANE_WIDE), 2);
    EXPECT_EQ(bar.GetPaneIndexFromID(4711), -1);
    EXPECT_EQ(bar.GetPaneText(ID_DEFAULT_PANE), L"Ready") << "the default pane keeps its text";

    const int narrow = bar.GetPaneWidth(IDS_TEST_PANE_NARROW);
    const int wide = bar.GetPaneWidth(IDS_TEST_PANE_WIDE);
    EXPECT_EQ(narrow, bar.PaneWidthForText(L"  "));
    EXPECT_EQ(wide, bar.PaneWidthForText(L"============================"));
    EXPECT_GT(wide, narrow + 50);
    EXPECT_GT(bar.GetPaneWidth(ID_DEFAULT_PANE), 300) << "the default pane takes the rest";

    EXPECT_TRUE(bar.SetPaneText(IDS_TEST_PANE_WIDE, L"Keys Searched: 3"));
    EXPECT_EQ(bar.GetPaneText(IDS_TEST_PANE_WIDE), L"Keys Searched: 3");
    EXPECT_FALSE(bar.SetPaneText(4711, L"nowhere"));

    EXPECT_TRUE(bar.SetPaneWidth(IDS_TEST_PANE_NARROW, 120));
    EXPECT_EQ(bar.GetPaneWidth(IDS_TEST_PANE_NARROW), 120);
    RECT rect = {};
    bar.SendMessage(SB_GETRECT, 1, reinterpret_cast<LPARAM>(&rect));
    EXPECT_NEAR(rect.right - rect.left, 120, 4);
    EXPECT_FALSE(bar.SetPaneWidth(ID_DEFAULT_PANE, 50)) << "the default pane's width is what is left";
}

TEST_F(StatusBarFixture, MenuPromptCoversThePanesUntilTheMenuCloses) {
    const std::array<int, 2> panes = {ID_DEFAULT_PANE, IDS_TEST_PANE_WIDE};
    bar.SetPanes(panes);
    bar.SetPaneText(ID_DEFAULT_PANE, L"Scanning...");
    bar.SetSimpleText(L"Save the list");
    EXPECT_TRUE(bar.SendMessage(SB_ISSIMPLE));
    bar.EndSimpleText();
    EXPECT_FALSE(bar.SendMessage(SB_ISSIMPLE));
    EXPECT_EQ(bar.GetPaneText(ID_DEFAULT_PANE), L"Scanning...");
}

} // namespace
