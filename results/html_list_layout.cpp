#include "results/html_list_layout.h"

#include "winlib/display_scale.h"

#include <algorithm>

namespace {

// The check box sits this many (unscaled) pixels above the middle of the space below the label.
constexpr int kCheckBoxRise = 8;

int CheckBoxTop(const RECT& row, int labelHeight) {
    const int height = row.bottom - row.top;
    return row.top + labelHeight + (height - labelHeight) / 2 - kCheckBoxRise;
}

} // namespace

RowParts LayoutRow(const RECT& row, const RowLook& look, SIZE label, int textHeight) {
    RowParts parts;
    const int height = row.bottom - row.top;
    if (look.lineNumbers) {
        parts.labelHeight = label.cy;
        // The label starts scaled(3) in but keeps the measured right edge, so it is clipped by as much.
        parts.label = {row.left + Scaled(3), row.top + 5, row.left + label.cx, row.top + 5 + label.cy};
        parts.labelWidth = parts.label.right - parts.label.left;
    }
    int contentLeft = row.left;
    if (look.checkBoxes) {
        const int left = row.left + Scaled(3);
        const int top = CheckBoxTop(row, parts.labelHeight);
        parts.checkBox = {left, top, left + Scaled(13), top + Scaled(13)};
        contentLeft = left + Scaled(13);
    }
    if (look.images) {
        parts.icon = {contentLeft + Scaled(5),
                      row.top + (height - parts.labelHeight) / 2 + parts.labelHeight - look.imageSize.cy / 2};
    }
    int markupLeft = row.left;
    if (look.images) {
        markupLeft += std::max(static_cast<int>(look.imageSize.cx) + 10, parts.labelWidth + 2);
    }
    markupLeft += look.checkBoxes ? Scaled(18) : 5;
    parts.markup = {markupLeft, row.top, row.right, row.bottom};
    if (textHeight > 0) {
        parts.markup.top = row.top + height / 2 - textHeight / 2;
        parts.markup.bottom = parts.markup.top + textHeight;
    }
    return parts;
}

RECT CheckBoxHotArea(const RECT& row, int labelHeight) {
    const int top = CheckBoxTop(row, labelHeight);
    return {row.left + 3, top, row.left + 3 + Scaled(15), top + Scaled(15)};
}

int MarkupMeasureWidth(int clientWidth, const RowLook& look) {
    const int leftReserve = look.checkBoxes ? Scaled(3) + Scaled(13) + 5 : 5;
    const int imageReserve = look.images ? look.imageSize.cx + 10 : 0;
    return clientWidth - leftReserve - imageReserve;
}

int RowHeightFor(int textHeight, int numberHeight, const RowLook& look) {
    const int imageHeight = look.images ? look.imageSize.cy : 0;
    const int minimum = look.lineNumbers ? Scaled(numberHeight) + imageHeight : imageHeight;
    return std::max(textHeight, minimum) + Scaled(7);
}

long long ScrollIntoView(long long top, int height, long long view, int clientHeight) {
    if (top < view) {
        return top;
    }
    if (top + height > view + clientHeight) {
        return top + height - clientHeight;
    }
    return view;
}
