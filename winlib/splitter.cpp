#include "winlib/splitter.h"

#include <windowsx.h>

#include <algorithm>

int SplitterBarPosition(int width, int barWidth, int minPane, int share) {
    const int usable = std::max(0, width - barWidth);
    const int wanted = ::MulDiv(usable, share, kShareWhole);
    if (usable < 2 * minPane) {
        // Too narrow for both minimums: keep the proportion.
        return std::clamp(wanted, 0, usable);
    }
    return std::clamp(wanted, minPane, usable - minPane);
}

SplitterLayout ComputeSplitterLayout(int width, int height, int barPos, int barWidth, int singlePane) {
    SplitterLayout layout = {};
    const RECT whole = {0, 0, width, height};
    if (singlePane == SPLIT_PANE_LEFT) {
        layout.left = whole;
    } else if (singlePane == SPLIT_PANE_RIGHT) {
        layout.right = whole;
    } else {
        layout.left = {0, 0, barPos, height};
        layout.bar = {barPos, 0, std::min(width, barPos + barWidth), height};
        layout.right = {layout.bar.right, 0, width, height};
    }
    return layout;
}

void CSplitterWindowT::SetSplitterPanes(HWND left, HWND right) {
    m_left = left;
    m_right = right;
    UpdateSplitterLayout();
}

void CSplitterWindowT::SetSplitterPosPct(int percent) {
    m_share = std::clamp(percent, 0, 100) * (kShareWhole / 100);
    UpdateSplitterLayout();
}

void CSplitterWindowT::SetSplitterPos(int x) {
    RECT client = {};
    GetClientRect(&client);
    const int usable = std::max(1, static_cast<int>(client.right) - m_barWidth);
    const int low = usable < 2 * m_minPane ? 0 : m_minPane;
    const int high = usable < 2 * m_minPane ? usable : usable - m_minPane;
    x = std::clamp(x, low, high);
    m_share = ::MulDiv(x, kShareWhole, usable);
    UpdateSplitterLayout();
}

void CSplitterWindowT::SetSinglePaneMode(int pane) {
    if (pane != SPLIT_PANE_LEFT && pane != SPLIT_PANE_RIGHT) {
        pane = SPLIT_PANE_NONE;
    }
    m_singlePane = pane;
    UpdateSplitterLayout();
}

void CSplitterWindowT::UpdateSplitterLayout() {
    if (!m_hWnd) {
        return;
    }
    RECT client = {};
    GetClientRect(&client);
    m_barPos = SplitterBarPosition(client.right, m_barWidth, m_minPane, m_share);
    const SplitterLayout layout =
        ComputeSplitterLayout(client.right, client.bottom, m_barPos, m_barWidth, m_singlePane);
    auto place = [](HWND pane, const RECT& rect, bool shown) {
        if (!pane) {
            return;
        }
        if (shown) {
            ::SetWindowPos(pane, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        } else {
            ::ShowWindow(pane, SW_HIDE);
        }
    };
    place(m_left, layout.left, m_singlePane != SPLIT_PANE_RIGHT);
    place(m_right, layout.right, m_singlePane != SPLIT_PANE_LEFT);
    InvalidateRect(&layout.bar);
}

bool CSplitterWindowT::IsOverBar(POINT point) const {
    if (m_singlePane != SPLIT_PANE_NONE) {
        return false;
    }
    return point.x >= m_barPos && point.x < m_barPos + m_barWidth;
}

void CSplitterWindowT::OnMouseMove(POINT point) {
    if (m_dragOffset < 0 || ::GetCapture() != m_hWnd) {
        return;
    }
    const int x = point.x - m_dragOffset;
    if (x != m_barPos) {
        SetSplitterPos(x);
        UpdateWindow();
    }
}

BOOL CSplitterWindowT::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_SIZE:
        UpdateSplitterLayout();
        lResult = 0;
        return TRUE;
    case WM_SETCURSOR: {
        POINT point = {};
        ::GetCursorPos(&point);
        ::ScreenToClient(m_hWnd, &point);
        if (reinterpret_cast<HWND>(wParam) == m_hWnd && IsOverBar(point)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            lResult = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_LBUTTONDOWN: {
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (IsOverBar(point)) {
            m_dragOffset = point.x - m_barPos;
            ::SetCapture(m_hWnd);
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        }
        lResult = 0;
        return TRUE;
    }
    case WM_MOUSEMOVE:
        OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        lResult = 0;
        return TRUE;
    case WM_LBUTTONUP:
        if (::GetCapture() == m_hWnd) {
            ::ReleaseCapture();
        }
        lResult = 0;
        return TRUE;
    case WM_CAPTURECHANGED:
        m_dragOffset = -1;
        return FALSE;
    case WM_SETFOCUS: {
        HWND pane = m_singlePane == SPLIT_PANE_LEFT ? m_left : m_right;
        if (pane && ::IsWindowVisible(pane)) {
            ::SetFocus(pane);
        }
        lResult = 0;
        return TRUE;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
        // The panes' owner is the splitter's parent (the frame).
        lResult = ::SendMessageW(GetParent(), uMsg, wParam, lParam);
        return TRUE;
    default:
        return FALSE;
    }
}
