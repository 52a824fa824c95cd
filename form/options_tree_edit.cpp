#include "form/options_tree_edit.h"

#include "form/options_tree_defs.h"

#include <commctrl.h>

#include <new>

namespace OptionsTree {

HWND CPropertyEditWindow::Create(HWND tree, const RECT& rect, const std::wstring& text, bool digitsOnly) {
    const DWORD style = WS_CHILD | ES_LEFT | ES_AUTOHSCROLL | (digitsOnly ? ES_NUMBER : 0);
    HWND hWnd = ::CreateWindowExW(0, WC_EDITW, text.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, tree, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!hWnd) {
        return nullptr;
    }
    ::SendMessageW(hWnd, WM_SETFONT, ::SendMessageW(tree, WM_GETFONT, 0, 0), FALSE);
    ::SendMessageW(hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 2));
    // Wine marks the creation text as a modification; only the user's typing may count as one.
    ::SendMessageW(hWnd, EM_SETMODIFY, FALSE, 0);
    // From here the object lives as long as the window (OnFinalMessage deletes it).
    auto* editor = new (std::nothrow) CPropertyEditWindow;
    if (!editor || !editor->SubclassWindow(hWnd)) {
        delete editor;
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    ::ShowWindow(hWnd, SW_SHOWNA);
    return hWnd;
}

BOOL CPropertyEditWindow::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_GETDLGCODE:
        lResult = DefWindowProc() | DLGC_WANTALLKEYS | DLGC_WANTARROWS;
        return TRUE;
    case WM_KEYDOWN:
        lResult = 0;
        return OnKeyDown(wParam);
    case WM_CHAR:
        // Enter and Esc end the edit on key down; their characters would only beep.
        lResult = 0;
        return wParam == VK_RETURN || wParam == VK_ESCAPE;
    case WM_KILLFOCUS:
        lResult = DefWindowProc();
        OnKillFocus(hWnd);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CPropertyEditWindow::OnKeyDown(WPARAM key) {
    DWORD start = 0, end = 0;
    switch (key) {
    case VK_RETURN:
        ::SetFocus(GetParent());
        return TRUE;
    case VK_ESCAPE:
        cancelled_ = true;
        ::SetFocus(GetParent());
        return TRUE;
    case VK_UP:
    case VK_DOWN:
    case VK_TAB:
        Navigate(key);
        return TRUE;
    case VK_LEFT:
    case VK_RIGHT: {
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const DWORD edge = key == VK_LEFT ? 0 : static_cast<DWORD>(::GetWindowTextLengthW(m_hWnd));
        if (start != end || start != edge) {
            return FALSE;
        }
        Navigate(key);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void CPropertyEditWindow::Navigate(WPARAM key) const {
    ::PostMessageW(GetParent(), PTM_NAVIGATE, key, 0);
}

void CPropertyEditWindow::OnKillFocus(HWND hWnd) {
    // Reported once: the tree closes the editor in answer, which may move the focus again.
    if (reported_) {
        return;
    }
    reported_ = true;
    const bool cancel = cancelled_ || !SendMessage(EM_GETMODIFY);
    ::SendMessageW(::GetParent(hWnd), cancel ? PTM_CANCELEDIT : PTM_ACCEPTEDIT, 0, reinterpret_cast<LPARAM>(hWnd));
}

} // namespace OptionsTree
