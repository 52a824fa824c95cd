#include "winlib/status_bar.h"

#include "winlib/gdi.h"
#include "winlib/resource_string.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr int kPaneMargin = 3;

} // namespace

std::vector<int> StatusPaneEdges(int clientWidth, int gripWidth, std::span<const int> widths) {
    std::vector<int> edges(widths.size(), -1);
    int right = clientWidth - gripWidth;
    for (size_t i = widths.size(); i-- > 1;) {
        right -= widths[i];
        edges[i - 1] = std::max(right, 0);
    }
    // Edges never run backwards, even when the bar is narrower than its panes.
    for (size_t i = 1; i + 1 < edges.size(); ++i) {
        edges[i] = std::max(edges[i], edges[i - 1]);
    }
    return edges;
}

HWND CMultiPaneStatusBarCtrl::Create(HWND parent, const wchar_t* text, DWORD style, UINT id) {
    HWND bar =
        ::CreateWindowExW(0, STATUSCLASSNAMEW, text, style, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!bar) {
        return nullptr;
    }
    if (!SubclassWindow(bar)) {
        ::DestroyWindow(bar);
        return nullptr;
    }
    return bar;
}

int CMultiPaneStatusBarCtrl::PaneWidthForText(const wchar_t* text) const {
    WindowDC dc(m_hWnd);
    SelectObjectScope font(dc, GetFont());
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return size.cx + 2 * kPaneMargin + borders[2];
}

BOOL CMultiPaneStatusBarCtrl::SetPanes(std::span<const int> ids) {
    if (ids.empty() || ids.size() > 256) {
        return FALSE;
    }
    std::vector<std::wstring> texts;
    for (int id : ids) {
        texts.push_back(id == ID_DEFAULT_PANE ? GetPaneText(ID_DEFAULT_PANE) : std::wstring());
    }
    m_ids.assign(ids.begin(), ids.end());
    m_widths.assign(ids.size(), 0);
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] != ID_DEFAULT_PANE) {
            m_widths[i] = PaneWidthForText(LoadResourceString(static_cast<UINT>(ids[i])).c_str());
        }
    }
    UpdatePanesLayout();
    for (size_t i = 0; i < ids.size(); ++i) {
        SendMessage(SB_SETTEXTW, i, reinterpret_cast<LPARAM>(texts[i].c_str()));
    }
    return TRUE;
}

int CMultiPaneStatusBarCtrl::GetPaneIndexFromID(int id) const {
    auto found = std::find(m_ids.begin(), m_ids.end(), id);
    if (found == m_ids.end()) {
        // Before SetPanes the bar has the one default pane.
        return (m_ids.empty() && id == ID_DEFAULT_PANE) ? 0 : -1;
    }
    return static_cast<int>(found - m_ids.begin());
}

BOOL CMultiPaneStatusBarCtrl::SetPaneText(int id, const wchar_t* text) {
    int index = GetPaneIndexFromID(id);
    if (index < 0) {
        return FALSE;
    }
    return static_cast<BOOL>(SendMessage(SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}

std::wstring CMultiPaneStatusBarCtrl::GetPaneText(int id) const {
    int index = GetPaneIndexFromID(id);
    if (index < 0) {
        return {};
    }
    int length = LOWORD(SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(index)));
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    SendMessage(SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data());
}

BOOL CMultiPaneStatusBarCtrl::SetPaneWidth(int id, int width) {
    int index = GetPaneIndexFromID(id);
    if (index < 0 || id == ID_DEFAULT_PANE || m_ids.empty()) {
        return FALSE;
    }
    m_widths[static_cast<size_t>(index)] = std::max(width, 0);
    UpdatePanesLayout();
    return TRUE;
}

int CMultiPaneStatusBarCtrl::GetPaneWidth(int id) const {
    int index = GetPaneIndexFromID(id);
    if (index < 0 || m_ids.empty()) {
        return -1;
    }
    if (id != ID_DEFAULT_PANE) {
        return m_widths[static_cast<size_t>(index)];
    }
    RECT rect = {};
    SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect.right - rect.left;
}

void CMultiPaneStatusBarCtrl::SetSimpleText(const wchar_t* text) {
    SendMessage(SB_SIMPLE, TRUE);
    SendMessage(SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

void CMultiPaneStatusBarCtrl::EndSimpleText() {
    SendMessage(SB_SIMPLE, FALSE);
}

void CMultiPaneStatusBarCtrl::UpdatePanesLayout() {
    if (!m_hWnd || m_ids.empty()) {
        return;
    }
    RECT client = {};
    GetClientRect(&client);
    const int grip = (GetStyle() & SBARS_SIZEGRIP) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
    std::vector<int> edges = StatusPaneEdges(client.right, grip, m_widths);
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

BOOL CMultiPaneStatusBarCtrl::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                                   DWORD) {
    if (uMsg == WM_SIZE) {
        lResult = DefWindowProc(uMsg, wParam, lParam);
        UpdatePanesLayout();
        return TRUE;
    }
    return FALSE;
}
