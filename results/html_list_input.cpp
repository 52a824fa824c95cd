// Mouse, keyboard, focus, size and scrolling of the results list.
#include "results/html_list_ctrl.h"

#include <algorithm>
#include <climits>
#include <windowsx.h>

namespace {

constexpr int kLineStep = 50;
constexpr int kColumnStep = 20;
constexpr int kWheelStep = 40;

int ClampPosition(long long value) {
    return static_cast<int>(std::clamp<long long>(value, 0, INT_MAX));
}

} // namespace

int CHTMLListCtrl::VerticalPosition() const {
    return m_hWnd ? ::GetScrollPos(m_hWnd, SB_VERT) : 0;
}

int CHTMLListCtrl::HorizontalPosition() const {
    return m_hWnd ? ::GetScrollPos(m_hWnd, SB_HORZ) : 0;
}

void CHTMLListCtrl::SetScrollBar(int bar, const SCROLLINFO& info) {
    if (!m_hWnd) {
        return;
    }
    // Drawing a scroll bar costs milliseconds, and rows can be added by the thousand between two paints:
    // change the range silently and let the next frame paint draw the bar once.
    ::SetScrollInfo(m_hWnd, bar, &info, FALSE);
    if (!scrollBarsStale_) {
        scrollBarsStale_ = true;
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    }
}

void CHTMLListCtrl::UpdateVerticalRange() {
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE};
    info.nMax = ClampPosition(rows_.TotalHeight());
    info.nPage = static_cast<UINT>(std::max(clientHeight_, 0));
    SetScrollBar(SB_VERT, info);
}

void CHTMLListCtrl::ScrollVerticalTo(long long position) {
    // The scroll bar clamps the position to its range.
    ::SetScrollPos(m_hWnd, SB_VERT, ClampPosition(position), TRUE);
    Repaint();
    UpdateWindow();
}

void CHTMLListCtrl::ScrollHorizontalTo(long long position) {
    ::SetScrollPos(m_hWnd, SB_HORZ, ClampPosition(position), TRUE);
    Repaint();
    UpdateWindow();
}

void CHTMLListCtrl::OnSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    UpdateVerticalRange();
    SCROLLINFO info = {sizeof info, SIF_PAGE};
    info.nPage = static_cast<UINT>(std::max(width, 0));
    SetScrollBar(SB_HORZ, info);
    Repaint();
}

void CHTMLListCtrl::OnFocus(bool focused) {
    focused_ = focused ? TRUE : FALSE;
    InvalidateRow(rows_.Selected());
}

void CHTMLListCtrl::OnButtonDown(LPARAM lParam) {
    SetFocus();
    Notify(HLN_BUTTONDOWN, -1);
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int position = rows_.RowAt(static_cast<long long>(point.y) + VerticalPosition());
    const HtmlListItem* row = rows_.At(position);
    RECT rect = row ? RowRect(*row) : RECT{};
    if (!row || !::PtInRect(&rect, point)) {
        rows_.SetSelected(-1);
        Notify(HLN_SELCHANGED, -1);
        Repaint();
        return;
    }
    if (style_ & HLS_CHECKBOXES) {
        // The hot area moves with the horizontal scroll, like the box that is drawn there.
        const RECT hot = CheckBoxHotArea(rect, LabelHeight());
        if (::PtInRect(&hot, point)) {
            SetCheck(position, !row->checked);
            Notify(HLN_CHECKCHANGED, position);
        }
    }
    rows_.SetSelected(position);
    Notify(HLN_SELCHANGED, position);
    Repaint();
}

void CHTMLListCtrl::OnDoubleClick() {
    Notify(HLN_DBLCLK, 0);
}

BOOL CHTMLListCtrl::OnKeyDown(WPARAM key) {
    NMHTMLLISTKEY record = {{m_hWnd, static_cast<UINT_PTR>(controlId_), HLN_KEYDOWN}, static_cast<WORD>(key), 0};
    if (::SendMessageW(GetParent(), WM_NOTIFY, controlId_, reinterpret_cast<LPARAM>(&record)) == 1) {
        return TRUE;
    }
    switch (key) {
    case VK_SPACE:
        ToggleSelectedCheck();
        return TRUE;
    case VK_PRIOR:
        OnVScroll(SB_PAGEUP);
        return TRUE;
    case VK_NEXT:
        OnVScroll(SB_PAGEDOWN);
        return TRUE;
    case VK_HOME:
        OnVScroll(SB_TOP);
        return TRUE;
    case VK_END:
        OnVScroll(SB_BOTTOM);
        return TRUE;
    case VK_LEFT:
        OnHScroll(SB_LINELEFT);
        return TRUE;
    case VK_RIGHT:
        OnHScroll(SB_LINERIGHT);
        return TRUE;
    case VK_UP:
    case VK_DOWN:
        MoveSelection(key == VK_DOWN);
        return TRUE;
    default:
        // The list view's own procedure reports the key to the parent as LVN_KEYDOWN.
        return FALSE;
    }
}

void CHTMLListCtrl::ToggleSelectedCheck() {
    const int selected = rows_.Selected();
    const HtmlListItem* row = rows_.At(selected);
    if (!(style_ & HLS_CHECKBOXES) || !row) {
        return;
    }
    SetCheck(selected, !row->checked);
    Notify(HLN_CHECKCHANGED, selected);
}

void CHTMLListCtrl::MoveSelection(bool down) {
    const int count = rows_.Count();
    int selected = rows_.Selected();
    if (count == 0) {
        // Nothing to select: the selection stays none rather than naming a row that does not exist.
        selected = -1;
    } else if (selected < 0 || selected >= count) {
        selected = down ? count - 1 : 0;
    } else {
        selected = down ? std::min(selected + 1, count - 1) : std::max(selected - 1, 0);
    }
    rows_.SetSelected(selected);
    if (const HtmlListItem* row = rows_.At(selected)) {
        const long long view = VerticalPosition();
        const long long target = ScrollIntoView(row->top, row->height, view, clientHeight_);
        if (target != view) {
            ::SetScrollPos(m_hWnd, SB_VERT, ClampPosition(target), TRUE);
        }
    }
    Repaint();
    UpdateWindow();
    Notify(HLN_SELCHANGED, selected);
}

void CHTMLListCtrl::OnVScroll(int code) {
    SCROLLINFO info = {sizeof info, SIF_ALL};
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    const long long position = info.nPos;
    const int page = VerticalPageStep(clientHeight_);
    switch (code) {
    case SB_LINEUP:
        ScrollVerticalTo(position - kLineStep);
        break;
    case SB_LINEDOWN:
        ScrollVerticalTo(position + kLineStep);
        break;
    case SB_PAGEUP:
        ScrollVerticalTo(position - page);
        break;
    case SB_PAGEDOWN:
        ScrollVerticalTo(position + page);
        break;
    case SB_TOP:
        ScrollVerticalTo(0);
        break;
    case SB_BOTTOM:
        ScrollVerticalTo(info.nMax);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ScrollVerticalTo(info.nTrackPos);
        break;
    default:
        break;
    }
}

void CHTMLListCtrl::OnHScroll(int code) {
    SCROLLINFO info = {sizeof info, SIF_ALL};
    ::GetScrollInfo(m_hWnd, SB_HORZ, &info);
    const long long position = info.nPos;
    switch (code) {
    case SB_LINELEFT:
        ScrollHorizontalTo(position - kColumnStep);
        break;
    case SB_LINERIGHT:
        ScrollHorizontalTo(position + kColumnStep);
        break;
    case SB_PAGELEFT:
        ScrollHorizontalTo(position - clientWidth_);
        break;
    case SB_PAGERIGHT:
        ScrollHorizontalTo(position + clientWidth_);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ScrollHorizontalTo(info.nTrackPos);
        break;
    default:
        break;
    }
}

void CHTMLListCtrl::OnMouseWheel(int delta) {
    // One step per message whatever the delta; a turn towards the user (negative delta) scrolls down.
    ScrollVerticalTo(static_cast<long long>(VerticalPosition()) + (delta < 0 ? kWheelStep : -kWheelStep));
}
