// Dropping the command bar's popups: one popup tracked at a time, with the neighbours reached by the arrow
// keys and by the mouse through a menu message filter.
#include "winlib/command_bar.h"

namespace {

// The bar whose popup is being tracked on this thread; the menu filter hook reaches it through this.
thread_local CCommandBarCtrl* g_tracking = nullptr;

// The position of the item the menu shows highlighted; -1 for none.
int HighlightedItem(HMENU menu) {
    const int count = menu ? ::GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) {
            return i;
        }
    }
    return -1;
}

} // namespace

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
