// The main frame's command bar as a user works it: every item of every menu reached with the keys of a
// dropped menu and posting its command to the frame as the window menu did, and Alt, Alt+letter, F10 and
// the frame's SC_KEYMENU reaching the bar through the frame.
#include "tests/shell/frame_fixture.h"

#include "resources/command_ids.h"

#include <commctrl.h>

#include <vector>

namespace {

struct Reach {
    UINT id;
    int topIndex;
    std::vector<WPARAM> keys;
};

// The keys that reach each item from its dropped popup: Down to the item (separators are skipped), Right
// into a submenu, Return to choose.
void CollectItems(HMENU popup, int topIndex, std::vector<WPARAM> prefix, std::vector<Reach>& out) {
    int step = 0;
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        if (GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
            continue;
        }
        std::vector<WPARAM> keys = prefix;
        keys.insert(keys.end(), static_cast<size_t>(step) + (prefix.empty() ? 1 : 0), VK_DOWN);
        ++step;
        if (HMENU sub = GetSubMenu(popup, i)) {
            keys.push_back(VK_RIGHT);
            CollectItems(sub, topIndex, keys, out);
            continue;
        }
        keys.push_back(VK_RETURN);
        out.push_back({GetMenuItemID(popup, i), topIndex, keys});
    }
}

class FrameCommandBarTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        // Only where the commands go is looked at: the registry editor must not start.
        frame->runViewCommands = false;
        frame->runFrameCommands = false;
        // A popup that opens under the pointer highlights the item there; keep the pointer out of the way.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }

    void PostKeys(const std::vector<WPARAM>& keys) {
        for (WPARAM key : keys) {
            PostMessageW(*frame, WM_KEYDOWN, key, 1);
        }
    }
    // Runs queued messages through the loop's filters; commands posted to the frame are recorded instead.
    std::vector<UINT> PumpCommands() {
        std::vector<UINT> commands;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_COMMAND && msg.hwnd == frame->m_hWnd) {
                EXPECT_EQ(HIWORD(msg.wParam), 0);
                EXPECT_EQ(msg.lParam, 0);
                commands.push_back(LOWORD(msg.wParam));
                continue;
            }
            if (!loop.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        return commands;
    }
    BOOL Filter(UINT message, WPARAM key, LPARAM lParam = 1) {
        MSG msg = {frame->View().m_hWnd, message, key, lParam};
        return loop.PreTranslateMessage(&msg);
    }

    HHOOK hook = nullptr;
};

TEST_F(FrameCommandBarTest, EveryMenuItemIsReachedByKeysAndPostsItsCommand) {
    HMENU menu = frame->CommandBar().GetMenu();
    std::vector<Reach> items;
    for (int top = 0; top < GetMenuItemCount(menu); ++top) {
        CollectItems(GetSubMenu(menu, top), top, {}, items);
    }
    ASSERT_EQ(items.size(), 23u);
    for (const Reach& item : items) {
        PostKeys(item.keys);
        frame->CommandBar().OpenMenu(item.topIndex, false);
        EXPECT_EQ(PumpCommands(), (std::vector<UINT>{item.id})) << "command " << item.id;
    }
    EXPECT_EQ(frame->CommandBar().OpenIndex(), -1);
}

TEST_F(FrameCommandBarTest, MenuKeysReachTheBarThroughTheFrame) {
    // Alt alone enters the bar; Escape leaves it.
    Filter(WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    EXPECT_TRUE(Filter(WM_SYSKEYUP, VK_MENU, 0xC0000001));
    EXPECT_TRUE(frame->CommandBar().IsKeyboardMode());
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_ESCAPE));
    EXPECT_FALSE(frame->CommandBar().IsKeyboardMode());

    // Alt+F drops File with its first item highlighted; Return chooses it.
    PostKeys({VK_RETURN});
    EXPECT_TRUE(Filter(WM_SYSCHAR, L'f', 0x20000001));
    EXPECT_EQ(PumpCommands(), (std::vector<UINT>{ID_FILE_OPEN_REGEDIT}));

    // F10, Left (wraps to Help), Down, Return: Help.
    EXPECT_TRUE(Filter(WM_SYSKEYDOWN, VK_F10));
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_LEFT));
    EXPECT_EQ(frame->CommandBar().HotItem(), 3);
    PostKeys({VK_RETURN});
    EXPECT_TRUE(Filter(WM_KEYDOWN, VK_DOWN));
    EXPECT_EQ(PumpCommands(), (std::vector<UINT>{ID_HELP_HELP}));

    // A menu key that reaches the frame as SC_KEYMENU goes to the bar too; Alt+Space stays the window's.
    frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_TRUE(frame->CommandBar().IsKeyboardMode());
    frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_FALSE(frame->CommandBar().IsKeyboardMode());
    // Leaving the window for another ends the bar's hold on the keyboard.
    frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 0);
    frame->SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(frame->CommandBar().IsKeyboardMode());
    PostKeys({VK_DOWN, VK_RETURN});
    frame->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, L'v');
    EXPECT_EQ(PumpCommands(), (std::vector<UINT>{ID_VIEW_STATUS_BAR}));

    // Ctrl+O is still the accelerator's, not a menu key.
    BYTE state[256] = {};
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    EXPECT_TRUE(Filter(WM_KEYDOWN, 'O'));
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    EXPECT_EQ(frame->viewCommands, (std::vector<WORD>{ID_FILE_OPEN_REGEDIT}));
}

} // namespace
