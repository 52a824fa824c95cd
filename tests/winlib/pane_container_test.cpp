#include "winlib/pane_container.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

struct Owner : CWindowImpl<Owner> {
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    UINT notifies = 0;
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
        if (uMsg == WM_COMMAND) {
            commands.emplace_back(wParam, lParam);
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
};

struct PaneFixture : testing::Test {
    void SetUp() override {
        ASSERT_TRUE(owner.Create(nullptr, nullptr, L"owner", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN));
        RECT area = {0, 0, 300, 400};
        ASSERT_TRUE(pane.Create(owner, L"Key Browser"));
        pane.MoveWindow(area);
        client = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, 10, 10, pane,
                                 reinterpret_cast<HMENU>(1013), GetModuleHandleW(nullptr), nullptr);
        pane.SetClient(client);
    }
    void TearDown() override { owner.DestroyWindow(); }

    Owner owner;
    CPaneContainer pane;
    HWND client = nullptr;
};

TEST_F(PaneFixture, ClientFillsThePaneBelowItsTitle) {
    EXPECT_EQ(pane.GetTitle(), L"Key Browser");
    RECT rect = {};
    GetWindowRect(client, &rect);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 0);
    EXPECT_GT(rect.top, 8) << "room for the title";
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 400);

    pane.SetPaneContainerExtendedStyle(PANECNT_FLATBORDER);
    GetWindowRect(client, &rect);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.right, 299);
    EXPECT_EQ(rect.bottom, 399);

    pane.SetTitle(L"Other");
    EXPECT_EQ(pane.GetTitle(), L"Other");
    EXPECT_EQ(pane.GetWindowText(), L"Other");
}

TEST_F(PaneFixture, CloseButtonTellsTheParentWhichPaneToClose) {
    HWND button = pane.GetCloseButton();
    ASSERT_TRUE(button);
    SendMessageW(button, BM_CLICK, 0, 0);
    ASSERT_EQ(owner.commands.size(), 1u);
    EXPECT_EQ(LOWORD(owner.commands[0].first), kPaneCloseCommand);
    EXPECT_EQ(owner.commands[0].second, reinterpret_cast<LPARAM>(pane.m_hWnd));
}

TEST_F(PaneFixture, ClientNotificationsGoOnToTheParent) {
    NMHDR header = {client, 1013, static_cast<UINT>(TVN_SELCHANGEDW)};
    pane.SendMessage(WM_NOTIFY, 1013, reinterpret_cast<LPARAM>(&header));
    pane.SendMessage(WM_COMMAND, MAKEWPARAM(1013, LBN_SELCHANGE), reinterpret_cast<LPARAM>(client));
    EXPECT_EQ(owner.notifies, 1u);
    ASSERT_EQ(owner.commands.size(), 1u);
    EXPECT_EQ(owner.commands[0].second, reinterpret_cast<LPARAM>(client));
}

} // namespace
