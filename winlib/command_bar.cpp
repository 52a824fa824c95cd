#include "winlib/command_bar.h"

#include "winlib/toolbar.h"

#include <vector>

namespace {

constexpr WORD kToolBarResourceType = 241;
constexpr int kFirstButtonId = 1; // button ids are index + 1: 0 is no id to a toolbar

// The bar whose popup is being tracked on this thread; the menu filter hook reaches it through this.
thread_local CCommandBarCtrl* g_tracking = nullptr;

std::wstring MenuItemText(HMENU menu, int index) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(index), text, 256, MF_BYPOSITION);
    return text;
}

// The character after a single "&" ("&&" is a literal ampersand); 0 when there is none.
wchar_t Mnemonic(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&') {
            if (text[i + 1] != L'&') {
                return text[i + 1];
            }
            ++i;
        }
    }
    return 0;
}

int HighlightedItem(HMENU menu) {
    const int count = menu ? ::GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) {
            return i;
        }
    }
    return -1;
}

wchar_t Upper(wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(c))));
}

} // namespace

CCommandBarCtrl::~CCommandBarCtrl() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
}

HWND CCommandBarCtrl::Create(HWND parent, HWND notifyWindow, UINT id) {
    HWND bar =
        ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |
                              CCS_NOPARENTALIGN | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT,
                          0, 0, 100, 20, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                          ::GetModuleHandleW(nullptr), nullptr);
    if (!bar) {
        return nullptr;
    }
    if (!SubclassWindow(bar)) {
        ::DestroyWindow(bar);
        return nullptr;
    }
    m_notify = notifyWindow;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    // Underlines show only while the keyboard works the bar.
    SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
    return m_hWnd;
}

bool CCommandBarCtrl::AttachMenu(HMENU menu) {
    if (!m_hWnd || !menu || !::IsMenu(menu)) {
        return false;
    }
    while (SendMessage(TB_DELETEBUTTON, 0, 0)) {
    }
    m_menu = menu;
    const int count = ::GetMenuItemCount(menu);
    std::vector<std::wstring> texts;
    for (int i = 0; i < count; ++i) {
        texts.push_back(MenuItemText(menu, i));
    }
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TBBUTTON& button = buttons[static_cast<size_t>(i)];
        button.iBitmap = I_IMAGENONE;
        button.idCommand = i + kFirstButtonId;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(texts[static_cast<size_t>(i)].c_str());
    }
    SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessage(TB_AUTOSIZE);
    AddImagesToMenu(m_menu);
    return true;
}

bool CCommandBarCtrl::LoadImages(UINT toolbarResourceId) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found =
        ::FindResourceW(instance, MAKEINTRESOURCEW(toolbarResourceId), MAKEINTRESOURCEW(kToolBarResourceType));
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    std::optional<ToolBarTemplate> layout = ParseToolBarResource(data, found ? ::SizeofResource(instance, found) : 0);
    if (!layout) {
        return false;
    }
    m_images.Reset(ImageList_LoadImageW(instance, MAKEINTRESOURCEW(toolbarResourceId), layout->width, 0, CLR_DEFAULT,
                                        IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (!m_images.Get()) {
        return false;
    }
    m_imageSize = {layout->width, layout->height};
    m_imageOfCommand.clear();
    int image = 0;
    for (UINT command : layout->commands) {
        if (command != 0) {
            m_imageOfCommand.emplace(command, image++);
        }
    }
    if (m_menu) {
        AddImagesToMenu(m_menu);
    }
    return true;
}

void CCommandBarCtrl::AddImagesToMenu(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU popup = ::GetSubMenu(menu, i)) {
            AddImagesToMenu(popup);
            continue;
        }
        const UINT id = ::GetMenuItemID(menu, i);
        if (!HasImage(id)) {
            continue;
        }
        // The owner draws the image when the menu asks for it; the item keeps its text and check.
        MENUITEMINFOW info = {sizeof info};
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
        ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    }
}

SIZE CCommandBarCtrl::IdealSize() const {
    SIZE size = {};
    const int count = ItemCount();
    if (count > 0) {
        RECT last = {};
        ::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
        size.cx = last.right;
        size.cy = last.bottom;
    }
    return size;
}

int CCommandBarCtrl::ItemCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0)) : 0;
}

int CCommandBarCtrl::HotItem() const {
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, TB_GETHOTITEM, 0, 0)) : -1;
}

int CCommandBarCtrl::MenuIndexOfMnemonic(wchar_t key) const {
    if (!m_menu || key == 0) {
        return -1;
    }
    const int count = ::GetMenuItemCount(m_menu);
    for (int i = 0; i < count; ++i) {
        const wchar_t mnemonic = Mnemonic(MenuItemText(m_menu, i));
        if (mnemonic && Upper(mnemonic) == Upper(key)) {
            return i;
        }
    }
    return -1;
}

// ---- dropping the popups

void CCommandBarCtrl::OpenMenu(int index, bool selectFirst) {
    if (!m_hWnd || !m_menu || g_tracking) {
        return;
    }
    const bool fromKeyboard = m_keyboardMode;
    LeaveKeyboardMode();
    if (fromKeyboard) {
        SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    }
    while (index >= 0 && index < ItemCount()) {
        HMENU popup = ::GetSubMenu(m_menu, index);
        if (!popup) {
            break;
        }
        RECT button = {};
        SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&button), 2);
        SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(index + kFirstButtonId), TRUE);

        m_openIndex = index;
        m_nextIndex = -1;
        m_ending = false;
        ::GetCursorPos(&m_lastMouse);
        if (selectFirst) {
            // The menu loop takes this key as its first: the popup opens with its first item highlighted.
            PostMessage(WM_KEYDOWN, VK_DOWN, 0);
        }
        for (const MSG& typed : m_typedAhead) {
            ::PostMessageW(typed.hwnd, typed.message, typed.wParam, typed.lParam);
        }
        m_typedAhead.clear();
        g_tracking = this;
        m_hook = ::SetWindowsHookExW(WH_MSGFILTER, &MenuFilterHook, nullptr, ::GetCurrentThreadId());
        TPMPARAMS params = {sizeof params, button};
        const UINT command = static_cast<UINT>(
            ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL | TPM_RETURNCMD,
                               button.left, button.bottom, m_hWnd, &params));
        if (m_hook) {
            ::UnhookWindowsHookEx(m_hook);
            m_hook = nullptr;
        }
        g_tracking = nullptr;
        if (m_hWnd) {
            SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(index + kFirstButtonId), FALSE);
        }
        m_openIndex = -1;
        m_ending = false;
        if (command != 0) {
            ::PostMessageW(m_notify, WM_COMMAND, MAKEWPARAM(command, 0), 0);
            break;
        }
        index = m_nextIndex;
        selectFirst = m_nextSelectFirst;
    }
    // Keys typed after a click closed the popup go where they were typed.
    for (const MSG& typed : m_typedAhead) {
        ::PostMessageW(typed.hwnd, typed.message, typed.wParam, typed.lParam);
    }
    m_typedAhead.clear();
    if (m_hWnd) {
        SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
    }
}

LRESULT CALLBACK CCommandBarCtrl::MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU && g_tracking && lParam && g_tracking->OnMenuFilter(*reinterpret_cast<MSG*>(lParam))) {
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool CCommandBarCtrl::OnMenuFilter(const MSG& msg) {
    if (m_ending) {
        // The loop keeps offering queued messages until one is not filtered; keys typed ahead belong to the
        // next popup, so they are kept for it, and the loop may go on to the end notice.
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
            m_typedAhead.push_back(msg);
            return true;
        }
        return msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
    }
    const int count = ItemCount();
    switch (msg.message) {
    case WM_KEYDOWN: {
        if (msg.wParam != VK_LEFT && msg.wParam != VK_RIGHT) {
            return false;
        }
        // The menu that has the keyboard: the dropped popup, or the deepest submenu with a highlighted item.
        HMENU active = ::GetSubMenu(m_menu, m_openIndex);
        int highlighted = HighlightedItem(active);
        for (;;) {
            HMENU submenu = highlighted >= 0 ? ::GetSubMenu(active, highlighted) : nullptr;
            const int below = submenu ? HighlightedItem(submenu) : -1;
            if (below < 0) {
                break;
            }
            active = submenu;
            highlighted = below;
        }
        // Left in the dropped popup itself, and Right on an item without a submenu, go to the neighbour.
        if (msg.wParam == VK_LEFT && active == ::GetSubMenu(m_menu, m_openIndex)) {
            SwitchMenu((m_openIndex + count - 1) % count, true);
            return true;
        }
        if (msg.wParam == VK_RIGHT && (highlighted < 0 || !::GetSubMenu(active, highlighted))) {
            SwitchMenu((m_openIndex + 1) % count, true);
            return true;
        }
        return false;
    }
    case WM_MOUSEMOVE: {
        if (msg.pt.x == m_lastMouse.x && msg.pt.y == m_lastMouse.y) {
            return false;
        }
        m_lastMouse = msg.pt;
        const int index = ButtonAt(msg.pt);
        if (index >= 0 && index != m_openIndex) {
            SwitchMenu(index, false);
            return true;
        }
        return false;
    }
    case WM_LBUTTONDOWN:
        // A click on the dropped item's own button closes its popup, and nothing opens again.
        if (ButtonAt(msg.pt) == m_openIndex) {
            m_nextIndex = -1;
            m_ending = true;
            ::EndMenu();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CCommandBarCtrl::SwitchMenu(int index, bool selectFirst) {
    m_nextIndex = index;
    m_nextSelectFirst = selectFirst;
    m_ending = true;
    ::EndMenu();
}

int CCommandBarCtrl::ButtonAt(POINT screenPoint) const {
    POINT point = screenPoint;
    ::ScreenToClient(m_hWnd, &point);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (!::PtInRect(&client, point)) {
        return -1;
    }
    const int index = static_cast<int>(::SendMessageW(m_hWnd, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
    return index >= 0 && index < ItemCount() ? index : -1;
}

// ---- keyboard

bool CCommandBarCtrl::OwnsMessage(const MSG& msg) const {
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    return msg.hwnd && (msg.hwnd == top || ::IsChild(top, msg.hwnd));
}

BOOL CCommandBarCtrl::PreTranslateMessage(MSG* pMsg) {
    if (!m_hWnd || !m_menu || !pMsg || !OwnsMessage(*pMsg)) {
        return FALSE;
    }
    if (m_keyboardMode) {
        return OnKeyboardModeKey(pMsg);
    }
    const bool repeat = (pMsg->lParam & (1 << 30)) != 0;
    switch (pMsg->message) {
    case WM_SYSKEYDOWN:
        if (pMsg->wParam == VK_MENU) {
            m_altPending = !repeat;
            return FALSE;
        }
        m_altPending = false;
        if (pMsg->wParam == VK_F10 && ::GetKeyState(VK_SHIFT) >= 0) {
            EnterKeyboardMode();
            return TRUE;
        }
        return FALSE;
    case WM_SYSKEYUP:
        if (pMsg->wParam == VK_MENU && m_altPending) {
            m_altPending = false;
            EnterKeyboardMode();
            return TRUE;
        }
        return FALSE;
    case WM_SYSCHAR: {
        m_altPending = false;
        const int index = MenuIndexOfMnemonic(static_cast<wchar_t>(pMsg->wParam));
        if (index < 0) {
            return FALSE;
        }
        OpenMenu(index, true);
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        m_altPending = false;
        return FALSE;
    default:
        return FALSE;
    }
}

bool CCommandBarCtrl::OnKeyboardModeKey(MSG* pMsg) {
    const int count = ItemCount();
    switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        switch (pMsg->wParam) {
        case VK_LEFT:
            SetHotItem((HotItem() + count - 1) % count);
            return true;
        case VK_RIGHT:
            SetHotItem((HotItem() + 1) % count);
            return true;
        case VK_DOWN:
        case VK_UP:
        case VK_RETURN:
            OpenMenu(HotItem() < 0 ? 0 : HotItem(), true);
            return true;
        case VK_ESCAPE:
        case VK_MENU:
        case VK_F10:
            LeaveKeyboardMode();
            return true;
        default:
            // Letters become characters here, where they pick a menu by its mnemonic.
            ::TranslateMessage(pMsg);
            return true;
        }
    case WM_CHAR:
    case WM_SYSCHAR: {
        const int index = MenuIndexOfMnemonic(static_cast<wchar_t>(pMsg->wParam));
        if (index >= 0) {
            OpenMenu(index, true);
        } else {
            ::MessageBeep(0);
        }
        return true;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSDEADCHAR:
    case WM_DEADCHAR:
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        LeaveKeyboardMode();
        return false;
    default:
        return false;
    }
}

bool CCommandBarCtrl::OnKeyMenu(wchar_t key) {
    if (!m_hWnd || !m_menu) {
        return false;
    }
    if (key == 0) {
        if (m_keyboardMode) {
            LeaveKeyboardMode();
        } else {
            EnterKeyboardMode();
        }
        return true;
    }
    const int index = MenuIndexOfMnemonic(key);
    if (index < 0) {
        return false;
    }
    OpenMenu(index, true);
    return true;
}

void CCommandBarCtrl::EnterKeyboardMode() {
    if (ItemCount() == 0) {
        return;
    }
    m_keyboardMode = true;
    SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    SetHotItem(0);
}

void CCommandBarCtrl::LeaveKeyboardMode() {
    if (!m_keyboardMode) {
        return;
    }
    m_keyboardMode = false;
    SetHotItem(-1);
    SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
}

void CCommandBarCtrl::SetHotItem(int index) {
    SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(index), 0);
}

// ---- the window

void CCommandBarCtrl::OnMeasureItem(MEASUREITEMSTRUCT* item) const {
    item->itemWidth = static_cast<UINT>(m_imageSize.cx);
    item->itemHeight = static_cast<UINT>(m_imageSize.cy);
}

void CCommandBarCtrl::OnDrawItem(const DRAWITEMSTRUCT* item) const {
    const auto found = m_imageOfCommand.find(item->itemID);
    if (found == m_imageOfCommand.end()) {
        return;
    }
    const RECT& area = item->rcItem;
    const int x = area.left + (area.right - area.left - m_imageSize.cx) / 2;
    const int y = area.top + (area.bottom - area.top - m_imageSize.cy) / 2;
    if (item->itemState & (ODS_GRAYED | ODS_DISABLED)) {
        if (HICON icon = ImageList_GetIcon(m_images.Get(), found->second, ILD_NORMAL)) {
            ::DrawStateW(item->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, m_imageSize.cx,
                         m_imageSize.cy, DST_ICON | DSS_DISABLED);
            ::DestroyIcon(icon);
        }
        return;
    }
    ImageList_Draw(m_images.Get(), found->second, item->hDC, x, y, ILD_TRANSPARENT);
}

BOOL CCommandBarCtrl::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_LBUTTONDOWN: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(m_hWnd, &point);
        const int index = ButtonAt(point);
        if (index < 0) {
            return FALSE;
        }
        OpenMenu(index, false);
        lResult = 0;
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item && item->CtlType == ODT_MENU && HasImage(item->itemID)) {
            OnMeasureItem(item);
            lResult = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType == ODT_MENU && HasImage(item->itemID)) {
            OnDrawItem(item);
            lResult = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_MENUSELECT:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_MENUCHAR:
        // The frame keeps the command states and the status prompts of the menus.
        lResult = ::SendMessageW(m_notify, uMsg, wParam, lParam);
        return TRUE;
    case WM_KILLFOCUS:
        LeaveKeyboardMode();
        return FALSE;
    default:
        return FALSE;
    }
}
