#include "tests/shell/frame_fixture.h"

#include "engine/msg_queue.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "shell/help.h"
#include "base/settings.h"
#include "shell/shell_launch.h"
#include "tests/common/held_registry.h"
#include "tests/common/message_box_closer.h"
#include "tests/common/modal_driver.h"
#include "tests/common/test_support.h"
#include "winlib/ribbon.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

RECT RectIn(HWND window, HWND parent) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Shown(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(FrameTest, WindowTreeIsComplete) {
    EXPECT_EQ(frame->GetStyle() & 0xFFFF0000, 0x06CF0000);
    EXPECT_EQ(frame->GetExStyle() & 0x00040100, 0x00040100);
    EXPECT_EQ(frame->GetWindowText(), IsProcessElevated() ? L"Administrator: Quillon" : L"Quillon");
    // The menu lives in the command bar; the frame has none of its own.
    EXPECT_FALSE(GetMenu(*frame));
    HMENU menu = frame->CommandBar().GetMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(frame->CommandBar().ItemCount(), 4);

    // The rebar: the command bar's band, then the toolbar's band on a row of its own.
    HWND rebar = frame->GetDlgItem(0xE800);
    EXPECT_EQ(rebar, frame->ReBar());
    EXPECT_EQ(ClassOf(rebar), L"ReBarWindow32");
    EXPECT_EQ(SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(rebar, RB_IDTOINDEX, 0xEB00, 0), 0);
    EXPECT_EQ(SendMessageW(rebar, RB_IDTOINDEX, 0xEB01, 0), 1);
    REBARBANDINFOW bands[2] = {};
    for (UINT i = 0; i < 2; ++i) {
        bands[i].cbSize = REBARBANDINFOW_V6_SIZE;
        bands[i].fMask = RBBIM_CHILD | RBBIM_STYLE | RBBIM_ID;
        SendMessageW(rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&bands[i]));
    }
    EXPECT_EQ(bands[0].hwndChild, frame->CommandBar().m_hWnd);
    EXPECT_FALSE(bands[0].fStyle & RBBS_BREAK);
    EXPECT_EQ(bands[1].hwndChild, frame->ToolBar());
    EXPECT_TRUE(bands[1].fStyle & RBBS_BREAK);
    EXPECT_EQ(GetParent(frame->CommandBar()), rebar);
    EXPECT_TRUE(frame->CommandBar().HasImage(ID_FILE_SAVE)) << "menu images from toolbar resource 128";
    HWND toolbar = frame->ToolBar();
    EXPECT_EQ(GetParent(toolbar), rebar);
    const int expected[] = {57601, 0, 57603, 32775, 0, 57634, 0, 32819, 0, 59395};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 10);
    for (int i = 0; i < 10; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(expected[i] ? button.idCommand : (button.fsStyle & BTNS_SEP ? 0 : -1), expected[i]) << i;
    }

    HWND status = frame->GetDlgItem(0xE801);
    EXPECT_EQ(status, frame->StatusBar().m_hWnd);
    EXPECT_EQ(frame->StatusBar().GetPaneCount(), 4);
    EXPECT_EQ(frame->StatusBar().GetPaneIndexFromID(129), 1);
    EXPECT_EQ(frame->StatusBar().GetPaneIndexFromID(212), 2);
    EXPECT_EQ(frame->StatusBar().GetPaneIndexFromID(211), 3);
    EXPECT_EQ(DefaultPaneText(), L"Ready (F1 for help)");
    // Pane 212's string is 45 spaces, pane 129's one space: widths follow the strings.
    EXPECT_GT(frame->StatusBar().GetPaneWidth(212), frame->StatusBar().GetPaneWidth(129));

    CSplitterWindowT& splitter = frame->Splitter();
    EXPECT_EQ(splitter.GetParent(), frame->m_hWnd);
    EXPECT_EQ(splitter.GetSinglePaneMode(), SPLIT_PANE_RIGHT);
    EXPECT_EQ(splitter.GetSplitterPane(SPLIT_PANE_LEFT), frame->KeyBrowserPane().m_hWnd);
    EXPECT_EQ(splitter.GetSplitterPane(SPLIT_PANE_RIGHT), frame->View().m_hWnd);
    EXPECT_EQ(frame->KeyBrowserPane().GetTitle(), L"Key Browser");
    EXPECT_FALSE(Shown(frame->KeyBrowserPane()));

    HWND tree = frame->KeyBrowserTree();
    EXPECT_EQ(ClassOf(tree), L"SysTreeView32");
    EXPECT_EQ(GetParent(tree), frame->KeyBrowserPane().m_hWnd);
    EXPECT_EQ(GetDlgCtrlID(tree), IDC_KEY_BROWSER_TREE);
    EXPECT_TRUE(GetWindowLongPtrW(tree, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    const LONG_PTR treeStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    EXPECT_EQ(GetWindowLongPtrW(tree, GWL_STYLE) & treeStyles, treeStyles);

    HWND view = frame->View().m_hWnd;
    EXPECT_EQ(GetParent(view), splitter.m_hWnd);
    EXPECT_TRUE(GetWindowLongPtrW(view, GWL_STYLE) & WS_CHILD);
    for (int id :
         {1001, 1002, 1003, 1005, 1006, 1009, 1010, 1011, 1025, 1026, 1027, 1028, 1034, 1035, 1036, 1037, 1038}) {
        EXPECT_TRUE(GetDlgItem(view, id)) << "control " << id;
    }

    EXPECT_TRUE(frame->UIIsChecked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(frame->UIIsChecked(ID_VIEW_STATUS_BAR));
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_TREEPANE));
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_RIBBON));
}

TEST_F(FrameTest, ClientAreaIsSharedBetweenBarsAndTheViewFollowsTheFrame) {
    frame->SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE);
    RECT client = {};
    frame->GetClientRect(&client);
    const RECT rebar = RectIn(frame->ReBar(), *frame);
    const RECT status = RectIn(frame->StatusBar(), *frame);
    const RECT splitter = RectIn(frame->Splitter(), *frame);
    EXPECT_EQ(splitter.top, rebar.bottom);
    EXPECT_EQ(splitter.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(splitter.right, client.right);

    HWND view = frame->View();
    const RECT list = RectIn(GetDlgItem(view, IDC_RESULTS_LIST), view);
    const RECT button = RectIn(GetDlgItem(view, IDC_SEARCH_BUTTON), view);
    const RECT label = RectIn(GetDlgItem(view, IDC_SEARCH_LABEL), view);
    frame->SetWindowPos(nullptr, 0, 0, 1000, 760, SWP_NOZORDER | SWP_NOMOVE);
    const RECT grownList = RectIn(GetDlgItem(view, IDC_RESULTS_LIST), view);
    EXPECT_EQ(grownList.right - list.right, 100);
    EXPECT_EQ(grownList.bottom - list.bottom, 60);
    EXPECT_EQ(RectIn(GetDlgItem(view, IDC_SEARCH_BUTTON), view).left - button.left, 100);
    EXPECT_EQ(RectIn(GetDlgItem(view, IDC_SEARCH_LABEL), view).left, label.left);
}

TEST_F(FrameTest, AcceleratorsRouteToTheirCommands) {
    struct Key {
        UINT vk;
        bool control;
        WORD command;
    };
    const Key keys[] = {{'O', true, ID_FILE_OPEN_REGEDIT},
                        {'S', true, ID_FILE_SAVE},
                        {VK_F5, false, ID_VIEW_REFRESH},
                        {'R', true, ID_VIEW_RIBBON}};
    frame->runViewCommands = false;
    BYTE state[256] = {};
    HWND target = GetDlgItem(frame->View(), IDC_RESULTS_LIST);
    for (const Key& key : keys) {
        state[VK_CONTROL] = key.control ? 0x80 : 0;
        SetKeyboardState(state);
        MSG msg = {target, WM_KEYDOWN, key.vk, 1};
        EXPECT_TRUE(loop.PreTranslateMessage(&msg)) << key.vk;
    }
    EXPECT_EQ(frame->viewCommands, (std::vector<WORD>{ID_FILE_OPEN_REGEDIT, ID_FILE_SAVE, ID_VIEW_REFRESH}));
    EXPECT_EQ(frame->frameCommands, (std::vector<WORD>{ID_VIEW_RIBBON}));

    // Ctrl+K toggles the key browser pane.
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    MSG msg = {target, WM_KEYDOWN, 'K', 1};
    EXPECT_TRUE(loop.PreTranslateMessage(&msg));
    EXPECT_TRUE(frame->IsKeyBrowserShown());

    // Without Ctrl, O is an ordinary key: no command.
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    frame->viewCommands.clear();
    msg = {target, WM_KEYDOWN, 'O', 1};
    loop.PreTranslateMessage(&msg);
    EXPECT_TRUE(frame->viewCommands.empty());
}

TEST_F(FrameTest, EveryCommandReachesTheFrameOrTheView) {
    frame->runFrameCommands = false;
    frame->runViewCommands = false;
    const WORD frameOwned[] = {ID_FILE_OPEN_ASADMIN,    ID_APP_EXIT,     ID_EDIT_PREFERENCES,
                               ID_EDIT_SHOW_SEARCH_LOG, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                               ID_VIEW_RIBBON,          ID_HELP_HELP,    ID_APP_ABOUT};
    const WORD viewOwned[] = {ID_FILE_OPEN_REGEDIT,
                              ID_FILE_SAVE,
                              ID_FILE_EXPORT,
                              ID_EDIT_DELETE_SELECTED,
                              ID_EDIT_DELETE_KEY_SELECTED,
                              ID_EDIT_REMOVE_SELECTED,
                              ID_EDIT_COPY,
                              ID_EDIT_COPY_SELECTED,
                              ID_EDIT_COPY_VALUE,
                              ID_EDIT_DELETE_CHECKED,
                              ID_EDIT_REMOVE,
                              ID_EDIT_MARK_ALL,
                              ID_EDIT_MARK_NONE,
                              ID_EDIT_MARK_INVERT,
                              ID_VIEW_REFRESH,
                              ID_OPEN_FILE_LOCATION,
                              ID_GOTO_KEY_BROWSER,
                              ID_TREE_CHECK_HIVES,
                              ID_TREE_UNCHECK_HIVES,
                              ID_TREE_INVERT_HIVES,
                              ID_TREE_CHECK_TYPES,
                              ID_TREE_UNCHECK_TYPES,
                              ID_TREE_INVERT_TYPES};
    for (WORD id : frameOwned) {
        Command(id);
    }
    for (WORD id : viewOwned) {
        Command(id);
    }
    EXPECT_EQ(frame->frameCommands, std::vector<WORD>(std::begin(frameOwned), std::end(frameOwned)));
    EXPECT_EQ(frame->viewCommands, std::vector<WORD>(std::begin(viewOwned), std::end(viewOwned)));

    // The key browser toggle and the pane's close button come first in the frame's map.
    Command(ID_VIEW_TREEPANE);
    EXPECT_TRUE(frame->IsKeyBrowserShown());
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PANE_CLOSE, 0), reinterpret_cast<LPARAM>(frame->ReBar()));
    EXPECT_TRUE(frame->IsKeyBrowserShown()) << "a close from another pane is not the key browser's";
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PANE_CLOSE, 0),
                       reinterpret_cast<LPARAM>(frame->KeyBrowserPane().m_hWnd));
    EXPECT_FALSE(frame->IsKeyBrowserShown());
    EXPECT_EQ(frame->frameCommands.size(), std::size(frameOwned));
    EXPECT_EQ(frame->viewCommands.size(), std::size(viewOwned));
}

TEST_F(FrameTest, CommandStatesForAnEmptyList) {
    frame->OnIdle();
    HMENU menu = frame->CommandBar().GetMenu();
    auto grayed = [menu](UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    for (UINT id : {ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_REMOVE_SELECTED, ID_EDIT_COPY,
                    ID_EDIT_COPY_SELECTED, ID_EDIT_DELETE_CHECKED, ID_EDIT_REMOVE, ID_EDIT_MARK_ALL, ID_EDIT_MARK_NONE,
                    ID_EDIT_MARK_INVERT}) {
        EXPECT_TRUE(grayed(id)) << id;
    }
    EXPECT_FALSE(frame->UIIsEnabled(ID_EDIT_COPY_VALUE));
    for (UINT id : {ID_FILE_OPEN_REGEDIT, ID_FILE_SAVE, ID_FILE_EXPORT, ID_VIEW_REFRESH, ID_FILE_OPEN_ASADMIN,
                    ID_APP_EXIT, ID_EDIT_PREFERENCES, ID_HELP_HELP, ID_APP_ABOUT}) {
        EXPECT_FALSE(grayed(id)) << id;
    }
    HWND toolbar = frame->ToolBar();
    for (UINT id : {ID_FILE_OPEN_REGEDIT, ID_FILE_SAVE, ID_FILE_EXPORT, ID_VIEW_REFRESH}) {
        EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, id, 0)) << id;
    }
    for (UINT id : {ID_EDIT_COPY, ID_EDIT_DELETE_CHECKED}) {
        EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, id, 0)) << id;
    }
    EXPECT_TRUE(GetMenuState(menu, ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, ID_VIEW_TREEPANE, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(FrameTest, ToolbarAndStatusBarToggle) {
    RECT client = {};
    frame->GetClientRect(&client);
    auto bandHidden = [this](UINT index) {
        REBARBANDINFOW band = {};
        band.cbSize = REBARBANDINFOW_V6_SIZE;
        band.fMask = RBBIM_STYLE;
        SendMessageW(frame->ReBar(), RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
        return (band.fStyle & RBBS_HIDDEN) != 0;
    };
    const int withToolbar = RectIn(frame->Splitter(), *frame).top;
    // Only the toolbar's band goes; the command bar stays.
    Command(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(Shown(frame->ReBar()));
    EXPECT_TRUE(bandHidden(1));
    EXPECT_FALSE(bandHidden(0));
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_TOOLBAR));
    EXPECT_EQ(RectIn(frame->Splitter(), *frame).top, RectIn(frame->ReBar(), *frame).bottom);
    EXPECT_GT(RectIn(frame->Splitter(), *frame).top, 0);
    EXPECT_LT(RectIn(frame->Splitter(), *frame).top, withToolbar);
    Command(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(bandHidden(1));
    EXPECT_TRUE(frame->UIIsChecked(ID_VIEW_TOOLBAR));
    EXPECT_EQ(RectIn(frame->Splitter(), *frame).top, RectIn(frame->ReBar(), *frame).bottom);
    EXPECT_EQ(RectIn(frame->Splitter(), *frame).top, withToolbar);

    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(Shown(frame->StatusBar()));
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_STATUS_BAR));
    EXPECT_EQ(RectIn(frame->Splitter(), *frame).bottom, client.bottom);
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(Shown(frame->StatusBar()));
    EXPECT_TRUE(frame->UIIsChecked(ID_VIEW_STATUS_BAR));
    EXPECT_EQ(RectIn(frame->Splitter(), *frame).bottom, RectIn(frame->StatusBar(), *frame).top);
}

TEST_F(FrameTest, KeyBrowserToggleShowsAndHidesThePane) {
    testsupport::MessageBoxCloser closer(IDNO);
    Command(ID_VIEW_TREEPANE);
    EXPECT_TRUE(frame->IsKeyBrowserShown());
    EXPECT_TRUE(Shown(frame->KeyBrowserPane()));
    EXPECT_TRUE(frame->UIIsChecked(ID_VIEW_TREEPANE));
    const RECT pane = RectIn(frame->KeyBrowserPane(), frame->Splitter());
    EXPECT_EQ(pane.left, 0);
    EXPECT_GE(pane.right, 150);
    Command(ID_VIEW_TREEPANE);
    EXPECT_FALSE(frame->IsKeyBrowserShown());
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_TREEPANE));
    EXPECT_TRUE(closer.Seen().empty()) << "with the key browser enabled nothing is asked";

    // The pane's own close button hides it too.
    Command(ID_VIEW_TREEPANE);
    SendMessageW(frame->KeyBrowserPane().GetCloseButton(), BM_CLICK, 0, 0);
    EXPECT_FALSE(frame->IsKeyBrowserShown());
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_TREEPANE));
}

TEST_F(FrameTest, DisabledKeyBrowserAsksAndOpensEitherWay) {
    WriteSettingDword(kSettingsSubKey, kKeyTree, 0);
    {
        testsupport::MessageBoxCloser closer(IDNO);
        Command(ID_VIEW_TREEPANE);
        ASSERT_EQ(closer.Seen().size(), 1u);
        EXPECT_EQ(closer.Seen()[0].caption, L"Key Browser");
        EXPECT_EQ(closer.Seen()[0].text, L"Key Browser is disabled.\nDo you want to enable it?");
        EXPECT_TRUE(frame->IsKeyBrowserShown());
        EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kKeyTree, 7), 0u);
        Command(ID_VIEW_TREEPANE); // hiding asks nothing
        EXPECT_EQ(closer.Seen().size(), 1u);
    }
    {
        testsupport::MessageBoxCloser closer(IDYES);
        Command(ID_VIEW_TREEPANE);
        EXPECT_EQ(closer.Seen().size(), 1u);
        EXPECT_TRUE(frame->IsKeyBrowserShown());
        EXPECT_EQ(ReadSettingDword(kSettingsSubKey, kKeyTree, 7), 1u);
    }
}

TEST_F(FrameTest, ScanStatusTexts) {
    frame->SendMessage(WM_SCANSTATUS, SCAN_STARTED);
    EXPECT_EQ(DefaultPaneText(), L"Scanning...");
    frame->View().StopSearch();
    frame->SendMessage(WM_SCANSTATUS, SCAN_ENDED);
    EXPECT_EQ(DefaultPaneText(), L"Scan cancelled");
    EXPECT_FALSE(frame->IsKeyBrowserShown()) << "an empty list opens no key browser";
    frame->SendMessage(WM_SCANSTATUS, 2);
    EXPECT_EQ(DefaultPaneText(), L"Scan cancelled") << "other values change nothing";
}

// A whole search through the view: the engine's notices become the frame's texts.
TEST_F(FrameTest, ShortSearchReportsZeroSeconds) {
    SearchRequest request;
    ASSERT_TRUE(ParseKeyList(L"HKEY_CURRENT_USER\\Software\\Orvanta", request.lookIn));
    ASSERT_TRUE(frame->View().StartSearch(request));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return DefaultPaneText() != L"Ready (F1 for help)"; }));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return DefaultPaneText().rfind(L"Scan Finished", 0) == 0; }));
    EXPECT_EQ(DefaultPaneText(), L"Scan Finished (0 sec)");
}

// The worker cannot open its first key while the test holds its registry, so "a search is running" holds
// for exactly as long as the test wants.
TEST_F(FrameTest, CloseIsRefusedWhileASearchRunsAndAcceptedAfter) {
    HeldRegistry held;
    const SearchRequest request = held.Request(L"HKEY_CURRENT_USER\\Software\\Orvanta");
    ASSERT_TRUE(frame->View().StartSearch(request));
    ASSERT_TRUE(frame->View().IsSearchRunning());
    frame->SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    Command(ID_APP_EXIT);
    testsupport::PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(frame->IsWindow()) << "neither the close button nor Exit may close the window";
    EXPECT_TRUE(testsupport::PumpUntil([&] { return DefaultPaneText() == L"Scanning..."; }));

    held.Release();
    frame->View().StopSearch();
    EXPECT_FALSE(frame->View().IsSearchRunning());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return DefaultPaneText() == L"Scan cancelled"; }));
    frame->SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_FALSE(frame->IsWindow());
    EXPECT_EQ(TakeQuitMessage(), 1);
}

TEST_F(FrameTest, ExitClosesTheWindowWhenNoSearchRuns) {
    Command(ID_APP_EXIT);
    EXPECT_EQ(PumpUntilQuit(), 1);
    EXPECT_FALSE(frame->IsWindow());
}

// The idle pass forwards queued results only while the worker is alive; later ones are dropped.
TEST_F(FrameTest, IdlePassForwardsOneQueuedResultWhileTheWorkerRuns) {
    struct Sink : CWindowImpl<Sink> {
        std::vector<LPARAM> results;
        BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) override {
            if (uMsg == WM_SEARCH_NOTIFY && wParam == SN_RESULT) {
                results.push_back(lParam);
                lResult = 0;
                return TRUE;
            }
            return FALSE;
        }
    } sink;
    ASSERT_TRUE(sink.Create(HWND_MESSAGE));
    MsgQueuePost(sink, 1);
    frame->OnIdle();
    testsupport::PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(sink.results.empty()) << "no worker: the record is dropped";

    HeldRegistry held;
    const SearchRequest request = held.Request(L"HKEY_CURRENT_USER\\Software\\Orvanta");
    ASSERT_TRUE(frame->View().StartSearch(request));
    MsgQueuePost(sink, 2);
    MsgQueuePost(sink, 3);
    frame->OnIdle();
    testsupport::PumpUntil([&] { return !sink.results.empty(); }, 2000);
    EXPECT_EQ(sink.results, (std::vector<LPARAM>{2})) << "one record per pass";
    frame->OnIdle();
    testsupport::PumpUntil([&] { return sink.results.size() > 1; }, 2000);
    EXPECT_EQ(sink.results, (std::vector<LPARAM>{2, 3}));
    held.Release();
    frame->View().StopSearch();
    sink.DestroyWindow();
}

TEST_F(FrameTest, RibbonIsUnavailableHereAndTheRebarStays) {
    EXPECT_FALSE(RibbonAvailable());
    EXPECT_FALSE(frame->IsRibbonShown());
    Command(ID_VIEW_RIBBON);
    Command(ID_VIEW_RIBBON);
    EXPECT_FALSE(frame->IsRibbonShown());
    EXPECT_FALSE(frame->UIIsChecked(ID_VIEW_RIBBON));
    EXPECT_TRUE(Shown(frame->ReBar()));
    EXPECT_FALSE(GetMenu(*frame)) << "the menu stays in the command bar";
    EXPECT_TRUE(frame->CommandBar().GetMenu());
}

struct HelpCall {
    HWND owner = nullptr;
    std::wstring file;
    int calls = 0;
};
HelpCall g_help;

HWND WINAPI RecordHelp(HWND owner, LPCWSTR file, UINT, DWORD_PTR) {
    g_help.owner = owner;
    g_help.file = file ? file : L"";
    ++g_help.calls;
    return nullptr;
}

TEST_F(FrameTest, HelpCommandAndF1OpenTheHelpTopic) {
    HtmlHelpOverride() = &RecordHelp;
    g_help = {};
    Command(ID_HELP_HELP);
    HELPINFO info = {sizeof info};
    frame->SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    HtmlHelpOverride() = nullptr;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(g_help.calls, 2);
    EXPECT_EQ(g_help.owner, frame->m_hWnd);
    EXPECT_EQ(g_help.file, HelpTopicPath(exe));
}

// The product line is made from the version resource of the running program (Quillon's, linked in here too).
TEST_F(FrameTest, AboutBoxOpensAndCloses) {
    std::wstring product;
    testsupport::ModalDriver driver(L"About", [&](HWND d) {
        wchar_t text[64] = {};
        GetDlgItemTextW(d, IDC_ABOUT_PRODUCT, text, 64);
        product = text;
        PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    Command(ID_APP_ABOUT);
    EXPECT_TRUE(driver.Ran());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(product, L"Quillon 2.1");
    EXPECT_TRUE(frame->IsWindow());
}

int g_relaunches = 0;
HINSTANCE WINAPI CountRelaunch(HWND, LPCWSTR verb, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
    if (verb && std::wstring(verb) == L"runas") {
        ++g_relaunches;
    }
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(FrameTest, OpenAsAdministratorRelaunchesAndKeepsThisInstance) {
    ShellExecuteFunction saved = ShellExecuteForRelaunch();
    ShellExecuteForRelaunch() = &CountRelaunch;
    g_relaunches = 0;
    Command(ID_FILE_OPEN_ASADMIN);
    ShellExecuteForRelaunch() = saved;
    EXPECT_EQ(g_relaunches, 1);
    EXPECT_TRUE(frame->IsWindow());
}

TEST_F(FrameTest, MenuPromptShowsWhileAMenuItemIsHighlighted) {
    HMENU menu = frame->CommandBar().GetMenu();
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_FILE_SAVE, MF_STRING), reinterpret_cast<LPARAM>(menu));
    EXPECT_TRUE(frame->StatusBar().SendMessage(SB_ISSIMPLE));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(frame->StatusBar().SendMessage(SB_ISSIMPLE));
    EXPECT_EQ(DefaultPaneText(), L"Ready (F1 for help)");
}

} // namespace
