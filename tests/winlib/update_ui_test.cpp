#include "winlib/toolbar.h"
#include "winlib/update_ui.h"
#include "tests/winlib/test_resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class RecordingTable : public CUpdateUI {
public:
    std::vector<UINT> changed;

protected:
    void UIStateChanged(UINT id) override { changed.push_back(id); }
};

struct MenuFixture : testing::Test {
    void SetUp() override {
        menu = CreateMenu();
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, ID_TEST_FIRST, L"First");
        HMENU nested = CreatePopupMenu();
        AppendMenuW(nested, MF_STRING, ID_TEST_SECOND, L"Second");
        AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), L"Nested");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"&File");
    }
    void TearDown() override { DestroyMenu(menu); }
    UINT State(UINT id) const { return GetMenuState(menu, id, MF_BYCOMMAND); }
    HMENU menu = nullptr;
};

TEST_F(MenuFixture, ChangesReachMenusWhenPushedIncludingNestedItems) {
    RecordingTable table;
    table.UIAddMenu(menu);
    table.UIEnable(ID_TEST_SECOND, FALSE);
    table.UISetCheck(ID_TEST_FIRST, TRUE);
    EXPECT_FALSE(State(ID_TEST_SECOND) & MF_GRAYED) << "recorded, not yet pushed";
    table.UIUpdateMenuBar();
    EXPECT_TRUE(State(ID_TEST_SECOND) & MF_GRAYED);
    EXPECT_TRUE(State(ID_TEST_FIRST) & MF_CHECKED);
    EXPECT_FALSE(table.UIIsEnabled(ID_TEST_SECOND));
    EXPECT_TRUE(table.UIIsChecked(ID_TEST_FIRST));
    EXPECT_TRUE(table.UIIsEnabled(4711)) << "an unknown command counts as enabled";

    table.UIEnable(ID_TEST_SECOND, TRUE);
    table.UIUpdateMenuBar();
    EXPECT_FALSE(State(ID_TEST_SECOND) & MF_GRAYED);
}

TEST_F(MenuFixture, OnlyRealChangesAreReported) {
    RecordingTable table;
    table.UIEnable(ID_TEST_FIRST, TRUE); // already enabled
    table.UIEnable(ID_TEST_FIRST, FALSE);
    table.UIEnable(ID_TEST_FIRST, FALSE);
    table.UISetCheck(ID_TEST_SECOND, TRUE);
    EXPECT_EQ(table.changed, (std::vector<UINT>{ID_TEST_FIRST, ID_TEST_SECOND}));
    table.UIAddCommand(ID_TEST_FIRST);
    EXPECT_FALSE(table.UIIsEnabled(ID_TEST_FIRST)) << "adding a known command keeps its state";
}

// A menu registered after the states were set (and pushed elsewhere) still gets every state.
TEST_F(MenuFixture, LateMenuGetsTheWholeState) {
    RecordingTable table;
    table.UIEnable(ID_TEST_FIRST, FALSE);
    table.UIUpdateMenuBar();
    table.UIAddMenu(menu);
    EXPECT_TRUE(State(ID_TEST_FIRST) & MF_GRAYED);
}

TEST(ToolBarResource, BothCompilerLayoutsAreRead) {
    const WORD windowsLayout[] = {1, 16, 15, 3, 57601, 0, 57603};
    auto parsed = ParseToolBarResource(windowsLayout, sizeof windowsLayout);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->width, 16);
    EXPECT_EQ(parsed->height, 15);
    EXPECT_EQ(parsed->commands, (std::vector<UINT>{57601, 0, 57603}));

    const DWORD gnuLayout[] = {16, 15, 3, 57601, 0, 57603};
    parsed = ParseToolBarResource(gnuLayout, sizeof gnuLayout);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->width, 16);
    EXPECT_EQ(parsed->commands, (std::vector<UINT>{57601, 0, 57603}));
}

TEST(ToolBarResource, MalformedDataIsRefused) {
    const WORD tooShort[] = {1, 16, 15, 5, 57601};
    EXPECT_FALSE(ParseToolBarResource(tooShort, sizeof tooShort));
    const DWORD zeroSize[] = {0, 15, 0};
    EXPECT_FALSE(ParseToolBarResource(zeroSize, sizeof zeroSize));
    EXPECT_FALSE(ParseToolBarResource(nullptr, 0));
    const unsigned char crumb = 1;
    EXPECT_FALSE(ParseToolBarResource(&crumb, 1));
}

TEST(ToolBar, CreatedFromItsResourceAndDrivenByTheTable) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ImageListHandle images;
    HWND toolbar = CreateSimpleToolBar(parent, IDR_TEST_TOOLBAR, images, 100);
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(toolbar, TB_COMMANDTOINDEX, ID_TEST_SECOND, 0), 2);
    EXPECT_FALSE(CreateSimpleToolBar(parent, 4711, images, 101)) << "no resource, no toolbar";

    CUpdateUI table;
    table.UIEnable(ID_TEST_SECOND, FALSE);
    table.UISetCheck(ID_TEST_FIRST, TRUE);
    table.UIAddToolBar(toolbar);
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_TEST_SECOND, 0));
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, ID_TEST_FIRST, 0));
    table.UIEnable(ID_TEST_SECOND, TRUE);
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_TEST_SECOND, 0));
    table.UIUpdateToolBar();
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_TEST_SECOND, 0));
    DestroyWindow(parent);
}

} // namespace
