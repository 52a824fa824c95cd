#include "shell/main_frame.h"

#include "engine/msg_queue.h"
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "resources/image_ids.h"
#include "resources/string_ids.h"
#include "shell/command_states.h"
#include "shell/help.h"
#include "base/settings.h"
#include "shell/shell_launch.h"
#include "shell/taskbar.h"
#include "shell/window_placement.h"
#include "winlib/resource_string.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

// The key browser pane's close button sends the window layer's close command; the menus use the same id.
static_assert(ID_PANE_CLOSE == kPaneCloseCommand);

namespace {

constexpr UINT kReBarId = 0xE800;
constexpr UINT kStatusBarId = 0xE801;
constexpr UINT kToolBarId = 0xE802;
constexpr UINT kCommandBarId = 0xE803;
constexpr UINT kCommandBarBandId = 0xEB00;
constexpr UINT kToolBarBandId = 0xEB01;
constexpr int kSplitterBarWidth = 4;
constexpr int kMinPaneSize = 150;
constexpr int kKeyBrowserSharePercent = 17;
constexpr std::array<int, 4> kStatusPanes = {ID_DEFAULT_PANE, IDS_PANE_MODIFIED, IDS_PANE_MATCHES, IDS_PANE_TOTALS};

void RegisterMenuCommands(CUpdateUI& table, HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU popup = ::GetSubMenu(menu, i)) {
            RegisterMenuCommands(table, popup);
        } else if (UINT id = ::GetMenuItemID(menu, i); id != 0 && id != static_cast<UINT>(-1)) {
            table.UIAddCommand(id);
        }
    }
}

// The window's own visibility, whether or not the frame itself is shown yet.
bool HasVisibleStyle(HWND window) {
    return window && (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
}

int WindowHeight(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

} // namespace

CMainFrame::~CMainFrame() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        DestroyWindow();
    }
}

HWND CMainFrame::CreateFrame() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    MenuHandle menu(::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME)));
    const std::wstring caption = LoadResourceString(IDS_PRODUCT_NAME);
    HWND frame = Create(nullptr, nullptr, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                        WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, reinterpret_cast<UINT_PTR>(menu.Get()));
    if (!frame) {
        return nullptr;
    }
    menu.Release(); // attached: it goes with the window, or with the command bar once detached
    auto icon = [instance](int size) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                     ::GetSystemMetrics(size), ::GetSystemMetrics(size), LR_SHARED));
    };
    SendMessage(WM_SETICON, ICON_BIG, icon(SM_CXICON));
    SendMessage(WM_SETICON, ICON_SMALL, icon(SM_CXSMICON));
    return frame;
}

LRESULT CMainFrame::OnCreate() {
    OpenTaskbarMessageFilter(m_hWnd);
    m_menu = ::GetMenu(m_hWnd);
    m_accelerators = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    CreateCommandBar();
    UIAddMenu(m_menu);

    const bool ribbonWanted = ReadSettingFlag(kRibbonSetting);
    if (RibbonAvailable() && m_menu) {
        // The ribbon asks for the states of all menu commands, not only those the frame changes.
        RegisterMenuCommands(*this, m_menu);
    }

    CreateToolBarAndReBar();
    CreateStatusBar();
    UIAddToolBar(m_toolbar);
    UISetCheck(ID_VIEW_TOOLBAR, TRUE);
    UISetCheck(ID_VIEW_STATUS_BAR, TRUE);
    UISetCheck(ID_VIEW_TREEPANE, FALSE);

    if (!CreateClientWindows()) {
        return -1;
    }
    m_splitter.SetBarWidth(kSplitterBarWidth);
    m_splitter.SetMinPaneSize(kMinPaneSize);
    m_splitter.SetSinglePaneMode(SPLIT_PANE_RIGHT);
    m_splitter.SetSplitterPanes(m_keyBrowserPane.m_hWnd, m_view.m_hWnd);
    UpdateLayout();
    m_splitter.SetSplitterPosPct(kKeyBrowserSharePercent);
    m_view.SetFrame(m_hWnd, &m_statusBar, &m_keyBrowserTree);
    m_view.KeyBrowser().LoadIcons();

    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    CenterWindow();
    MsgQueueCreate(); // a queue left by an earlier frame of this process stays in use
    SetTitle();
    if (ribbonWanted) {
        UISetCheck(ID_VIEW_RIBBON, ShowRibbon(true));
    }
    m_created = true;
    return 0;
}

void CMainFrame::CreateCommandBar() {
    if (!m_menu || !m_commandBar.Create(m_hWnd, m_hWnd, kCommandBarId) || !m_commandBar.AttachMenu(m_menu)) {
        return; // the window keeps its own menu bar
    }
    m_commandBar.LoadImages(IDR_MAINFRAME);
    ::SetMenu(m_hWnd, nullptr);
    m_detachedMenu.Reset(m_menu); // no longer the window's: destroyed with the frame's state
}

void CMainFrame::CreateToolBarAndReBar() {
    m_rebar = ::CreateWindowExW(0, REBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | RBS_VARHEIGHT |
                                    RBS_BANDBORDERS | RBS_AUTOSIZE | CCS_NODIVIDER,
                                0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kReBarId)),
                                ::GetModuleHandleW(nullptr), nullptr);
    m_toolbar = CreateSimpleToolBar(m_hWnd, IDR_MAINFRAME, m_toolbarImages, kToolBarId);
    if (!m_rebar) {
        return;
    }
    if (m_commandBar.m_hWnd) {
        AddReBarBand(m_commandBar.m_hWnd, kCommandBarBandId, m_commandBar.IdealSize(), false);
    }
    if (m_toolbar) {
        const DWORD buttonSize = static_cast<DWORD>(::SendMessageW(m_toolbar, TB_GETBUTTONSIZE, 0, 0));
        const int buttons = static_cast<int>(::SendMessageW(m_toolbar, TB_BUTTONCOUNT, 0, 0));
        RECT last = {};
        if (buttons > 0) {
            ::SendMessageW(m_toolbar, TB_GETITEMRECT, static_cast<WPARAM>(buttons - 1),
                           reinterpret_cast<LPARAM>(&last));
        }
        AddReBarBand(m_toolbar, kToolBarBandId, SIZE{last.right, HIWORD(buttonSize)}, true);
    }
}

void CMainFrame::AddReBarBand(HWND child, UINT bandId, SIZE size, bool newRow) {
    REBARBANDINFOW band = {};
    band.cbSize = REBARBANDINFOW_V6_SIZE;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS | (newRow ? RBBS_BREAK : 0);
    band.hwndChild = child;
    band.wID = bandId;
    band.cxMinChild = size.cx;
    band.cyMinChild = size.cy;
    band.cx = size.cx;
    ::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void CMainFrame::CreateStatusBar() {
    const std::wstring idle = LoadResourceString(ATL_IDS_IDLEMESSAGE);
    if (!m_statusBar.Create(m_hWnd, idle.c_str())) {
        return;
    }
    m_statusBar.SetPanes(kStatusPanes);
    m_statusBar.SetPaneText(ID_DEFAULT_PANE, idle.c_str());
}

bool CMainFrame::CreateClientWindows() {
    if (!m_splitter.Create(m_hWnd, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) {
        return false;
    }
    if (!m_keyBrowserPane.Create(m_splitter.m_hWnd, LoadResourceString(IDS_KEY_BROWSER).c_str())) {
        return false;
    }
    m_keyBrowserPane.SetPaneContainerExtendedStyle(PANECNT_FLATBORDER);
    m_keyBrowserTree = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TVS_HASBUTTONS |
                                             TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                         0, 0, 0, 0, m_keyBrowserPane.m_hWnd,
                                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_KEY_BROWSER_TREE)),
                                         ::GetModuleHandleW(nullptr), nullptr);
    if (m_keyBrowserTree) {
        constexpr LPARAM kDoubleBufferAndAutoScroll = TVS_EX_DOUBLEBUFFER | TVS_EX_AUTOHSCROLL;
        ::SendMessageW(m_keyBrowserTree, TVM_SETEXTENDEDSTYLE, kDoubleBufferAndAutoScroll, kDoubleBufferAndAutoScroll);
        m_keyBrowserPane.SetClient(m_keyBrowserTree);
    }
    return m_view.Create(m_splitter.m_hWnd) != nullptr;
}

void CMainFrame::SetTitle() {
    std::wstring title = LoadResourceString(IDS_PRODUCT_NAME);
    if (IsProcessElevated()) {
        title = LoadResourceString(IDS_ADMIN_PREFIX) + title;
    }
    SetWindowText(title.c_str());
}

void CMainFrame::OnDestroy() {
    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    if (!m_created) {
        return;
    }
    MsgQueueClose();
    WINDOWPLACEMENT placement = {sizeof placement};
    if (::GetWindowPlacement(m_hWnd, &placement)) {
        WriteWindowPlacement(placement);
    }
    m_ribbon.Hide();
    m_detachedMenu.Reset();
    m_created = false;
    ::PostQuitMessage(1);
}

void CMainFrame::UpdateLayout() {
    RECT client = {};
    GetClientRect(&client);
    int top = 0;
    if (m_ribbon.IsShown()) {
        top = static_cast<int>(m_ribbon.Height());
    } else if (HasVisibleStyle(m_rebar)) {
        ::SendMessageW(m_rebar, WM_SIZE, 0, 0);
        top = WindowHeight(m_rebar);
    }
    int bottom = client.bottom;
    if (HasVisibleStyle(m_statusBar.m_hWnd)) {
        m_statusBar.SendMessage(WM_SIZE);
        bottom -= WindowHeight(m_statusBar.m_hWnd);
    }
    if (m_splitter.m_hWnd) {
        m_splitter.SetWindowPos(nullptr, 0, top, client.right, std::max(0, bottom - top),
                                SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CMainFrame::OnMenuSelect(WORD id, WORD flags, HMENU menu) {
    if (!m_statusBar.m_hWnd) {
        return;
    }
    if (flags == 0xFFFF && !menu) {
        m_statusBar.EndSimpleText();
        return;
    }
    std::wstring prompt;
    if (!(flags & (MF_POPUP | MF_SEPARATOR))) {
        prompt = CommandPrompt(LoadResourceString(id));
    }
    m_statusBar.SetSimpleText(prompt.c_str());
}

BOOL CMainFrame::OnToolTipText(NMHDR* header, LRESULT& lResult) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    if (info->uFlags & TTF_IDISHWND) {
        return FALSE;
    }
    m_toolTip = CommandTitle(LoadResourceString(static_cast<UINT>(header->idFrom)));
    info->lpszText = m_toolTip.data();
    info->hinst = nullptr;
    lResult = 0;
    return TRUE;
}

LRESULT CMainFrame::OnKeyBrowserTreeNotify(NMHDR* header) {
    switch (header->code) {
    case TVN_SELCHANGEDW:
    case TVN_GETDISPINFOW:
    case TVN_ITEMEXPANDINGW:
        return m_view.OnKeyBrowserNotify(header);
    default:
        return 0;
    }
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
    if (m_accelerators && ::TranslateAcceleratorW(m_hWnd, m_accelerators, pMsg)) {
        return TRUE;
    }
    // The menu keys belong to the command bar while it shows; the ribbon has its own.
    if (!m_ribbon.IsShown() && m_commandBar.PreTranslateMessage(pMsg)) {
        return TRUE;
    }
    return m_view.PreTranslateMessage(pMsg);
}

BOOL CMainFrame::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    const WORD command = LOWORD(wParam);
    if (uMsg == WM_COMMAND && command == ID_VIEW_TREEPANE) {
        OnToggleKeyBrowser();
        lResult = 0;
        return TRUE;
    }
    if (uMsg == WM_COMMAND && command == ID_PANE_CLOSE) {
        OnPaneClose(reinterpret_cast<HWND>(lParam));
        lResult = 0;
        return TRUE;
    }
    if (uMsg == TaskbarButtonCreatedMessage() && uMsg != 0) {
        OnTaskbarButtonCreated();
        lResult = 0;
        return TRUE;
    }
    switch (uMsg) {
    case WM_CREATE:
        lResult = OnCreate();
        return TRUE;
    case WM_SCANSTATUS:
        OnScanStatus(wParam);
        lResult = 0;
        return TRUE;
    case WM_SHOWKEYBROWSER:
        ShowKeyBrowser(true);
        lResult = 0;
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_COMMAND:
        if (IsFrameCommand(command) && HandleFrameCommand(command)) {
            lResult = 0;
            return TRUE;
        }
        return ForwardCommandToView(wParam, lParam, lResult);
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam, lParam)) {
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == IDC_KEY_BROWSER_TREE && header->hwndFrom == m_keyBrowserTree) {
            lResult = OnKeyBrowserTreeNotify(header);
            return TRUE;
        }
        if (header->code == TTN_GETDISPINFOW) {
            return OnToolTipText(header, lResult);
        }
        return FALSE;
    }
    case WM_SIZE:
        UpdateLayout();
        lResult = 0;
        return TRUE;
    case WM_HELP:
        ShowHelp(m_hWnd);
        lResult = TRUE;
        return TRUE;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        lResult = 0;
        return TRUE;
    case WM_INITMENUPOPUP:
        UIUpdateMenuBar();
        return FALSE;
    case WM_ACTIVATE:
        // Keys typed in another window must not find the bar still holding the keyboard on return.
        if (LOWORD(wParam) == WA_INACTIVE) {
            m_commandBar.LeaveKeyboardMode();
        }
        return FALSE;
    case WM_SETFOCUS:
        if (HasVisibleStyle(m_splitter.m_hWnd)) {
            m_splitter.SetFocus();
        }
        lResult = 0;
        return TRUE;
    default:
        return FALSE;
    }
}
