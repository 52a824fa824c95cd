#include "winlib/window.h"

#include <vector>

BOOL CWindow::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) const {
    LONG_PTR style = GetStyle();
    LONG_PTR updated = (style & ~static_cast<LONG_PTR>(remove)) | add;
    if (style == updated) {
        return FALSE;
    }
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, updated);
    if (swpFlags) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

BOOL CWindow::CenterWindow(HWND center) const {
    // Centre on the given window (the owner by default), or on the monitor's work area without one.
    if (!center) {
        center = ::GetWindow(m_hWnd, GW_OWNER);
    }
    RECT self = {};
    ::GetWindowRect(m_hWnd, &self);
    MONITORINFO monitor = {sizeof monitor};
    ::GetMonitorInfoW(::MonitorFromWindow(center ? center : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT area = monitor.rcWork;
    RECT target = area;
    if (center && ::IsWindowVisible(center) && !::IsIconic(center)) {
        ::GetWindowRect(center, &target);
    }
    const int width = self.right - self.left;
    const int height = self.bottom - self.top;
    int x = (target.left + target.right - width) / 2;
    int y = (target.top + target.bottom - height) / 2;
    // Keep the window inside the work area.
    if (x + width > area.right) {
        x = area.right - width;
    }
    if (y + height > area.bottom) {
        y = area.bottom - height;
    }
    if (x < area.left) {
        x = area.left;
    }
    if (y < area.top) {
        y = area.top;
    }
    if (GetStyle() & WS_CHILD) {
        POINT origin = {x, y};
        ::ScreenToClient(GetParent(), &origin);
        x = origin.x;
        y = origin.y;
    }
    return ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring CWindow::GetWindowText() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? got : 0);
}

std::wstring CWindow::GetWindowText(int maxChars) const {
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars) + 1);
    int got = ::GetWindowTextW(m_hWnd, buffer.data(), maxChars + 1);
    return std::wstring(buffer.data(), got > 0 ? got : 0);
}
