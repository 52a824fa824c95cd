#include "winlib/dialog_resize.h"

#include <algorithm>

RECT ResizedControlRect(const RECT& initial, DWORD flags, int dx, int dy) {
    RECT rect = initial;
    if (flags & DLSZ_MOVE_X) {
        rect.left += dx;
        rect.right += dx;
    } else if (flags & DLSZ_SIZE_X) {
        rect.right += dx;
    }
    if (flags & DLSZ_MOVE_Y) {
        rect.top += dy;
        rect.bottom += dy;
    } else if (flags & DLSZ_SIZE_Y) {
        rect.bottom += dy;
    }
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    return rect;
}

void CDialogResizeBase::DlgResize_Init(HWND dialog, std::span<const DlgResizeEntry> table) {
    m_dialog = dialog;
    m_controls.clear();
    RECT client = {};
    ::GetClientRect(dialog, &client);
    m_initialSize = {client.right, client.bottom};
    for (const DlgResizeEntry& entry : table) {
        HWND control = ::GetDlgItem(dialog, entry.id);
        if (!control) {
            continue;
        }
        RECT rect = {};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        m_controls.push_back({control, entry.flags, rect});
    }
}

void CDialogResizeBase::DlgResize_UpdateLayout(int clientWidth, int clientHeight) {
    if (!m_dialog || m_controls.empty()) {
        return;
    }
    const int dx = clientWidth - m_initialSize.cx;
    const int dy = clientHeight - m_initialSize.cy;
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (const Control& control : m_controls) {
        RECT rect = ResizedControlRect(control.initial, control.flags, dx, dy);
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (batch) {
            batch = ::DeferWindowPos(batch, control.hWnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                                     rect.bottom - rect.top, flags);
        } else {
            ::SetWindowPos(control.hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           flags);
        }
    }
    if (batch) {
        ::EndDeferWindowPos(batch);
    }
    // Moved controls leave stale pixels behind, and when the dialog itself moved, controls that kept their
    // place in it are not always repainted (seen under Wine): repaint the dialog with all its controls.
    ::RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

BOOL CDialogResizeBase::ProcessResizeMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (uMsg != WM_SIZE) {
        return FALSE;
    }
    if (wParam != SIZE_MINIMIZED) {
        DlgResize_UpdateLayout(LOWORD(lParam), HIWORD(lParam));
    }
    lResult = 0;
    // Others may want WM_SIZE too (the default dialog handling does nothing with it).
    return FALSE;
}
