// Geometry of one results-list row: where its line number, check box, icon and markup go, the check
// box's hot area, the measured row height, and the scroll arithmetic. Distances marked "scaled" follow the
// display scale.
#pragma once

#include <windows.h>

struct RowLook {
    bool checkBoxes = false;
    bool images = false; // the image style is set and the image list holds images
    SIZE imageSize = {};
    bool lineNumbers = false;
};

struct RowParts {
    int labelHeight = 0; // L: height of the line-number label, 0 without line numbers
    int labelWidth = 0;
    RECT label = {};
    RECT checkBox = {};
    POINT icon = {};
    RECT markup = {};
};

// row: the row rectangle; label: extent of the "%d." text (ignored without line numbers); textHeight: the
// row's measured markup height.
RowParts LayoutRow(const RECT& row, const RowLook& look, SIZE label, int textHeight);

// The area of a row whose press toggles its check box; labelHeight as in RowParts.
RECT CheckBoxHotArea(const RECT& row, int labelHeight);

// Width available to the markup when a row is measured in a client area `clientWidth` wide.
int MarkupMeasureWidth(int clientWidth, const RowLook& look);

// Row height from the markup height and the height of the text "10" in the list font.
int RowHeightFor(int textHeight, int numberHeight, const RowLook& look);

// New view position that shows a row at offset `top` of `height` pixels in a client area `clientHeight`
// tall, or `view` when it is already in view.
long long ScrollIntoView(long long top, int height, long long view, int clientHeight);

// Vertical page step: three quarters of the client height.
inline int VerticalPageStep(int clientHeight) {
    return clientHeight - clientHeight / 4;
}
