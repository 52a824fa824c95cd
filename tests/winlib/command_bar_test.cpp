// The command bar: one button per menu item, popup images from a toolbar resource, popups dropped and
// worked with the keys a menu loop takes, moving between popups with the arrows, and the keyboard access of
// a menu bar (Alt, F10, Alt+letter) through the message filter.
#include "winlib/command_bar.h"
#include "winlib/window_impl.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

constexpr UINT kOpen = 57601;    // has an image in toolbar resource 128
constexpr UINT kCopy = 57634;    // has an image
constexpr UINT kExit = 57665;    // has none
constexpr UINT kRefresh = 59395; // has an image
constexpr UINT kOne = 9301;
constexpr UINT kTwo = 9302;
constexpr UINT kStatus = 9303;
constexpr UINT kAbout = 9304;
constexpr UINT kToolBarResource = 128;

class Host : public CWindowImpl<Host> {
public:
    std::vector<UINT> commands;
    std::vector<HMENU> popups;
    int menuSelects = 0;
    // Keys posted when the next popup opens; the menu loop takes them from the queue in order.
    std::vector<WPARAM> script;

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult, DWORD) override {
        switch (uMsg) {
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            lResult = 0;
            return TRUE;
        case WM_INITMENUPOPUP:
            popups.push_back(reinterpret_cast<HMENU>(wParam));
            for (WPARAM key : script) {
                ::PostMessageW(m_hWnd, WM_KEYDOWN, key, 1);
            }
            script.clear();
            return FALSE;
        case WM_MENUSELECT:
            ++menuSelects;
            return FALSE;
        default:
            return FALSE;
        }
    }
};

// Ends a menu loop that a wrong key script would leave open, so that a fault fails instead of hanging.
void CALLBACK EndStuckMenu(HWND, UINT, UINT_PTR, DWORD) {
    ADD_FAILURE() << "a popup stayed open";
    EndMenu();
}

class CommandBarTest : public testing::Test {
protected:
    void SetUp() override {
        menu = CreateMenu();
        HMENU file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, kOpen, L"&Open\tCtrl+O");
        AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(file, MF_STRING, kExit, L"E&xit");
        HMENU edit = CreatePopupMenu();
        AppendMenuW(edit, MF_STRING, kCopy, L"&Copy");
        checked = CreatePopupMenu();
        AppendMenuW(checked, MF_STRING, kOne, L"One");
        AppendMenuW(checked, MF_STRING, kTwo, L"Two");
        AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(checked), L"Checked");
        HMENU view = CreatePopupMenu();
        AppendMenuW(view, MF_STRING, kRefresh, L"Refresh");
        AppendMenuW(view, MF_STRING, kStatus, L"Status");
        HMENU help = CreatePopupMenu();
        AppendMenuW(help, MF_STRING, kAbout, L"&About");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");

        RECT area = {0, 0, 600, 400};
        ASSERT_TRUE(host.Create(nullptr, &area, L"host", WS_POPUP | WS_CLIPCHILDREN));
        ASSERT_TRUE(bar.Create(host, host, 1));
        ASSERT_TRUE(bar.AttachMenu(menu));
        bar.SetWindowPos(nullptr, 0, 0, 400, 24, SWP_NOZORDER | SWP_NOACTIVATE);
        timer = SetTimer(nullptr, 0, 5000, &EndStuckMenu);
        // A popup that opens under the pointer highlights the item there; keep the pointer out of the way.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        Pump();
        bar.DestroyWindow();
        host.DestroyWindow();
        DestroyMenu(menu);
    }

    HMENU Popup(int index) const { return GetSubMenu(menu, index); }
    // Keys for the next popup that opens.
    void PostKeys(std::initializer_list<WPARAM> keys) { host.script = keys; }
    // Runs queued messages through the bar's filter as the frame's loop does.
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!bar.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    BOOL Filter(UINT message, WPARAM key, LPARAM lParam = 1) {
        MSG msg = {host, message, key, lParam};
        return bar.PreTranslateMessage(&msg);
    }

    HMENU menu = nullptr;
    HMENU checked = nullptr;
    Host host;
    CCommandBarCtrl bar;
    UINT_PTR timer = 0;
};

TEST_F(CommandBarTest, OneButtonPerMenuItemAndImagesForTheToolbarsCommands) {
    EXPECT_EQ(bar.ItemCount(), 4);
    EXPECT_EQ(bar.GetMenu(), menu);
    wchar_t text[32] = {};
    bar.SendMessage(TB_GETBUTTONTEXTW, 3, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"&View");
    EXPECT_GT(bar.IdealSize().cx, 0);
    EXPECT_EQ(bar.MenuIndexOfMnemonic(L'v'), 2);
    EXPECT_EQ(bar.MenuIndexOfMnemonic(L'H'), 3);
    EXPECT_EQ(bar.MenuIndexOfMnemonic(L'x'), -1) << "Exit's mnemonic is its popup's, not the bar's";

    ASSERT_TRUE(bar.LoadImages(kToolBarResource));
    EXPECT_FALSE(bar.LoadImages(4242));
    auto bitmapOf = [this](UINT id) {
        MENUITEMINFOW info = {sizeof info};
        info.fMask = MIIM_BITMAP;
        GetMenuItemInfoW(menu, id, FALSE, &info);
        return info.hbmpItem;
    };
    EXPECT_EQ(bitmapOf(kOpen), HBMMENU_CALLBACK);
    EXPECT_EQ(bitmapOf(kCopy), HBMMENU_CALLBACK);
    EXPECT_EQ(bitmapOf(kRefresh), HBMMENU_CALLBACK);
    EXPECT_EQ(bitmapOf(kExit), nullptr);
    EXPECT_EQ(bitmapOf(kOne), nullptr);
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, kOpen};
    EXPECT_TRUE(bar.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemWidth, 16u);
    EXPECT_EQ(measure.itemHeight, 15u);
    MEASUREITEMSTRUCT none = {ODT_MENU, 0, kExit};
    EXPECT_FALSE(bar.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&none)));

    // The images are drawn when the popup shows them; a grayed item is drawn too.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (UINT state : {0u, static_cast<UINT>(ODS_GRAYED)}) {
        DRAWITEMSTRUCT draw = {ODT_MENU,      0, kOpen, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(menu), dc,
                               {0, 0, 20, 20}};
        EXPECT_TRUE(bar.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(CommandBarTest, KeysInADroppedPopupChooseItsItemsAndTheSubmenusItems) {
    PostKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    bar.OpenMenu(0, false);
    Pump();
    EXPECT_EQ(host.commands, (std::vector<UINT>{kExit})) << "the separator is skipped";
    EXPECT_EQ(host.popups, (std::vector<HMENU>{Popup(0)}));
    EXPECT_GT(host.menuSelects, 0) << "the highlight reaches the notify window for its prompt";
    EXPECT_EQ(bar.OpenIndex(), -1);

    // Right on an item with a submenu opens it instead of moving to the next popup.
    PostKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    bar.OpenMenu(1, false);
    Pump();
    EXPECT_EQ(host.commands, (std::vector<UINT>{kExit, kTwo}));
    EXPECT_EQ(host.popups, (std::vector<HMENU>{Popup(0), Popup(1), checked}));

    // Escape closes the popup without a command.
    PostKeys({VK_ESCAPE});
    bar.OpenMenu(3, true);
    Pump();
    EXPECT_EQ(host.commands.size(), 2u);
}

TEST_F(CommandBarTest, LeftAndRightMoveBetweenThePopupsAndWrapAround) {
    PostKeys({VK_DOWN, VK_RIGHT, VK_LEFT, VK_LEFT, VK_RIGHT, VK_ESCAPE});
    bar.OpenMenu(0, false);
    Pump();
    EXPECT_EQ(host.popups, (std::vector<HMENU>{Popup(0), Popup(1), Popup(0), Popup(3), Popup(0)}));
    EXPECT_TRUE(host.commands.empty());

    // From inside a submenu, Left closes the submenu only; Right on its plain item goes on to the next popup.
    host.popups.clear();
    PostKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT, VK_RIGHT, VK_RIGHT, VK_ESCAPE});
    bar.OpenMenu(1, false);
    Pump();
    EXPECT_EQ(host.popups, (std::vector<HMENU>{Popup(1), checked, checked, Popup(2)}));
}

TEST_F(CommandBarTest, AltAndF10WorkTheBarAndAltLetterDropsAPopup) {
    // Alt pressed and released alone: the first item is hot; the arrows move; Escape leaves.
    EXPECT_FALSE(Filter(WM_SYSKEYDOWN, VK_MENU, 0x20000001));
    EXPECT_TRUE(Filter(WM_SYSKEYUP, VK_MENU, 0xC0000001));
    EXPECT_TRUE(bar.IsKeyboardMode());
    EXPECT_EQ(bar.HotItem(), 0);
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_LEFT));
    EXPECT_EQ(bar.HotItem(), 3);
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_RIGHT));
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_RIGHT));
    EXPECT_EQ(bar.HotItem(), 1);
    EXPECT_TRUE(Filter(WM_KEYUP, VK_RIGHT));
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_ESCAPE));
    EXPECT_FALSE(bar.IsKeyboardMode());
    EXPECT_EQ(bar.HotItem(), -1);

    // Alt used with another key (Alt+Tab, Alt+F4) is no menu key.
    EXPECT_FALSE(Filter(WM_SYSKEYDOWN, VK_MENU, 0x20000001));
    EXPECT_FALSE(Filter(WM_SYSKEYDOWN, VK_TAB, 0x20000001));
    EXPECT_FALSE(Filter(WM_SYSKEYUP, VK_MENU, 0xC0000001));
    EXPECT_FALSE(bar.IsKeyboardMode());

    // F10, then Down drops the hot item's popup with its first item highlighted; Return chooses it.
    EXPECT_TRUE(Filter(WM_SYSKEYDOWN, VK_F10));
    EXPECT_TRUE(bar.IsKeyboardMode());
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_RIGHT));
    PostKeys({VK_RETURN});
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_DOWN));
    Pump();
    EXPECT_EQ(host.popups, (std::vector<HMENU>{Popup(1)}));
    EXPECT_FALSE(bar.IsKeyboardMode());

    // Alt+V drops the View popup; a letter no item has is left to others.
    PostKeys({VK_ESCAPE});
    EXPECT_TRUE(Filter(WM_SYSCHAR, L'v', 0x20000001));
    Pump();
    EXPECT_EQ(host.popups.back(), Popup(2));
    EXPECT_FALSE(Filter(WM_SYSCHAR, L'q', 0x20000001));

    // In keyboard mode a typed mnemonic drops its popup.
    EXPECT_TRUE(bar.OnKeyMenu(0));
    EXPECT_TRUE(bar.IsKeyboardMode());
    PostKeys({VK_ESCAPE});
    EXPECT_TRUE(Filter(WM_CHAR, L'h'));
    Pump();
    EXPECT_EQ(host.popups.back(), Popup(3));
    EXPECT_FALSE(bar.OnKeyMenu(L'q'));
    EXPECT_TRUE(bar.OnKeyMenu(0));
    EXPECT_TRUE(bar.OnKeyMenu(0));
    EXPECT_FALSE(bar.IsKeyboardMode());

    // A click elsewhere leaves keyboard mode and goes on to its window.
    bar.OnKeyMenu(0);
    EXPECT_FALSE(Filter(WM_LBUTTONDOWN, 0, 0));
    EXPECT_FALSE(bar.IsKeyboardMode());
    EXPECT_EQ(host.commands, (std::vector<UINT>{kCopy}));
}

} // namespace
