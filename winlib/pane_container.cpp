#include "winlib/pane_container.h"

namespace {

constexpr int kTitleMargin = 3;

} // namespace

HWND CPaneContainer::Create(HWND parent, const wchar_t* title, DWORD style) {
    m_title = title ? title : L"";
    return CWindowImpl<CPaneContainer>::Create(parent, nullptr, m_title.c_str(), style);
}

void CPaneContainer::SetPaneContainerExtendedStyle(DWORD style) {
    m_extendedStyle = style;
    UpdateLayout();
    Invalidate();
}

void CPaneContainer::SetTitle(const wchar_t* title) {
    std::wstring text = title ? title : L"";
    if (m_hWnd) {
        SetWindowText(text.c_str()); // WM_SETTEXT keeps m_title and repaints
    } else {
        m_title = std::move(text);
    }
}

void CPaneContainer::SetClient(HWND client) {
    m_client = client;
    UpdateLayout();
}

int CPaneContainer::TitleHeight() const {
    TEXTMETRICW metrics = {};
    WindowDC dc(m_hWnd);
    SelectObjectScope font(dc, m_font ? static_cast<HGDIOBJ>(m_font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight + 2 * kTitleMargin;
}

RECT CPaneContainer::ClientArea(int width, int height) const {
    const int border = Border();
    RECT area = {border, border + TitleHeight(), width - border, height - border};
    if (area.bottom < area.top) {
        area.bottom = area.top;
    }
    return area;
}

void CPaneContainer::UpdateLayout() {
    if (!m_hWnd) {
        return;
    }
    RECT client = {};
    GetClientRect(&client);
    const int border = Border();
    const int title = TitleHeight();
    if (m_closeButton) {
        const int side = title - 2 * kTitleMargin + 2;
        ::SetWindowPos(m_closeButton, nullptr, client.right - border - kTitleMargin - side, border + (title - side) / 2,
                       side, side, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_client) {
        RECT area = ClientArea(client.right, client.bottom);
        ::SetWindowPos(m_client, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CPaneContainer::Paint() {
    PaintDC dc(m_hWnd);
    RECT client = {};
    GetClientRect(&client);
    const int border = Border();
    RECT title = {border, border, client.right - border, border + TitleHeight()};
    ::FillRect(dc, &title, ::GetSysColorBrush(COLOR_BTNFACE));
    if (border) {
        ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_BTNSHADOW));
    }
    SelectObjectScope font(dc, m_font ? static_cast<HGDIOBJ>(m_font.Get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    RECT text = title;
    text.left += kTitleMargin + 1;
    if (m_closeButton) {
        RECT button = {};
        ::GetWindowRect(m_closeButton, &button);
        text.right -= (button.right - button.left) + 2 * kTitleMargin;
    }
    ::DrawTextW(dc, m_title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void CPaneContainer::DrawCloseButton(const DRAWITEMSTRUCT& item) const {
    RECT rect = item.rcItem;
    ::FillRect(item.hDC, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    UINT state = DFCS_CAPTIONCLOSE | DFCS_FLAT;
    if (item.itemState & ODS_SELECTED) {
        state |= DFCS_PUSHED;
    }
    ::DrawFrameControl(item.hDC, &rect, DFC_CAPTION, state);
}

BOOL CPaneContainer::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_CREATE: {
        NONCLIENTMETRICSW metrics = {sizeof metrics};
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            m_font.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
        }
        m_closeButton = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, m_hWnd,
                                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPaneCloseCommand)),
                                          ::GetModuleHandleW(nullptr), nullptr);
        lResult = 0;
        return TRUE;
    }
    case WM_SIZE:
        UpdateLayout();
        Invalidate();
        lResult = 0;
        return TRUE;
    case WM_PAINT:
        Paint();
        lResult = 0;
        return TRUE;
    case WM_SETFOCUS:
        if (m_client) {
            ::SetFocus(m_client);
        }
        lResult = 0;
        return TRUE;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem != m_closeButton) {
            return FALSE;
        }
        DrawCloseButton(*item);
        lResult = TRUE;
        return TRUE;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == m_closeButton && m_closeButton) {
            if (HIWORD(wParam) == BN_CLICKED) {
                ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(kPaneCloseCommand, 0),
                               reinterpret_cast<LPARAM>(m_hWnd));
            }
            lResult = 0;
            return TRUE;
        }
        lResult = ::SendMessageW(GetParent(), uMsg, wParam, lParam);
        return TRUE;
    case WM_NOTIFY:
        lResult = ::SendMessageW(GetParent(), uMsg, wParam, lParam);
        return TRUE;
    case WM_SETTEXT:
        m_title = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        Invalidate();
        return FALSE;
    case WM_DESTROY:
        m_closeButton = nullptr;
        m_client = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
