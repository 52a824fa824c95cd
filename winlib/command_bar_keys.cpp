// The command bar's keyboard access: Alt or F10 make the bar hot, the arrows move along it, a mnemonic or
// Down drops a popup; Alt+letter drops one at once.
#include "winlib/command_bar.h"

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
