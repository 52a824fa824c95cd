// Painting and measuring of the results list's rows.
#include "results/draw_markup.h"
#include "results/html_list_ctrl.h"

#include <algorithm>
#include <climits>
#include <cwchar>

namespace {

constexpr COLORREF kStripeColor = RGB(240, 240, 245);
constexpr COLORREF kLineNumberColor = RGB(128, 128, 128);

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    // ExtTextOut with an opaque rectangle fills without creating a brush.
    ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

} // namespace

int CHTMLListCtrl::MeasureRow(std::wstring_view markup, HtmlListItem& item) {
    const RowLook look = CurrentLook();
    RECT box = {0, 0, MarkupMeasureWidth(clientWidth_, look), clientHeight_};
    DrawMarkup(measureDC_, markup.data(), static_cast<int>(std::min<size_t>(markup.size(), INT_MAX)), &box,
               DT_CALCRECT);
    item.textHeight = box.bottom - box.top;
    item.height = RowHeightFor(item.textHeight, numberHeight_, look);
    return box.right - box.left;
}

void CHTMLListCtrl::MeasureShownRows() {
    const long long scrollY = VerticalPosition();
    bool moved = false;
    for (int position = rows_.FirstEndingAfter(scrollY);; ++position) {
        HtmlListItem* item = rows_.At(position);
        if (!item || item->top - scrollY >= clientHeight_) {
            break;
        }
        if (item->measured) {
            continue;
        }
        item->measured = true;
        drawnMarkup_.clear();
        if (source_) {
            source_(item->data, drawnMarkup_);
        }
        const int estimated = item->height;
        WidenTo(MeasureRow(drawnMarkup_, *item));
        if (item->height != estimated) {
            rows_.Reflow(position);
            moved = true;
        }
    }
    if (moved) {
        rowsUncommitted_ = true;
    }
}

void CHTMLListCtrl::OnPaint() {
    MeasureShownRows();
    CommitRows();
    PaintDC paint(m_hWnd);
    const int width = clientWidth_;
    const int height = clientHeight_;
    if (width <= 0 || height <= 0) {
        return;
    }
    const int scrollX = HorizontalPosition();
    // One off-screen bitmap the size of the client area; its logical origin follows the horizontal scroll,
    // so rows are laid out in the scrolled coordinates and copied to the screen in one piece.
    MemoryDC memory(paint);
    BitmapHandle bitmap(::CreateCompatibleBitmap(paint, width, height));
    if (!memory.Get() || !bitmap) {
        return;
    }
    SelectObjectScope bitmapScope(memory, bitmap);
    SelectObjectScope fontScope(memory, font_);
    ::SetWindowOrgEx(memory, scrollX, 0, nullptr);
    ::SetBkMode(memory, TRANSPARENT);
    RECT all = {scrollX, 0, scrollX + width, height};
    FillSolid(memory, all, backgroundColor_);
    RECT clip = paint.ps.rcPaint;
    ::OffsetRect(&clip, scrollX, 0);
    PaintRows(memory, clip, ScrollWidth());
    const RECT& update = paint.ps.rcPaint;
    ::BitBlt(paint, update.left, update.top, update.right - update.left, update.bottom - update.top, memory,
             update.left + scrollX, update.top, SRCCOPY);
}

void CHTMLListCtrl::PaintRows(HDC dc, const RECT& clip, int scrollWidth) {
    const long long scrollY = VerticalPosition();
    // Only the rows that meet the update area are visited: the first is found by binary search.
    for (int position = rows_.FirstEndingAfter(scrollY + clip.top);; ++position) {
        const HtmlListItem* item = rows_.At(position);
        if (!item || item->top - scrollY >= clip.bottom) {
            break;
        }
        const RECT row = {0, static_cast<int>(item->top - scrollY), scrollWidth,
                          static_cast<int>(item->top - scrollY + item->height)};
        DrawRow(dc, row, *item);
    }
}

void CHTMLListCtrl::DrawRow(HDC dc, const RECT& row, const HtmlListItem& item) {
    const int position = item.position;
    COLORREF background = (position % 2 == 0) ? backgroundColor_ : kStripeColor;
    if (position == rows_.Selected()) {
        background = selectedColor_;
    }
    FillSolid(dc, row, background);

    const RowLook look = CurrentLook();
    SIZE label = {};
    wchar_t number[16] = {};
    if (look.lineNumbers) {
        swprintf(number, 16, L"%d.", position + 1);
        RECT measured = row;
        ::DrawTextW(dc, number, -1, &measured, DT_CALCRECT | DT_NOPREFIX);
        label = {measured.right - measured.left, measured.bottom - measured.top};
    }
    const RowParts parts = LayoutRow(row, look, label, item.textHeight);
    if (look.lineNumbers) {
        RECT labelRect = parts.label;
        ::SetTextColor(dc, kLineNumberColor);
        ::DrawTextW(dc, number, -1, &labelRect, DT_NOPREFIX | DT_SINGLELINE);
    }
    if (look.checkBoxes) {
        RECT box = parts.checkBox;
        ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (item.checked ? DFCS_CHECKED : 0));
    }
    if (look.images) {
        ImageList_Draw(images_, item.image, dc, parts.icon.x, parts.icon.y, ILD_TRANSPARENT);
    }
    drawnMarkup_.clear();
    const std::wstring* text = item.text.get();
    if (!text) {
        if (source_) {
            source_(item.data, drawnMarkup_);
        }
        text = &drawnMarkup_;
    }
    const COLORREF previous = ::SetTextColor(dc, textColor_);
    RECT markup = parts.markup;
    DrawMarkup(dc, text->data(), static_cast<int>(std::min<size_t>(text->size(), INT_MAX)), &markup, 0);
    ::SetTextColor(dc, previous);
    if (focused_ && position == rows_.Selected()) {
        ::DrawFocusRect(dc, &row);
    }
}
