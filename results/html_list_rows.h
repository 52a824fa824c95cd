// The results list's rows, apart from the window: display order, positions, heights with running
// offsets, check states, and the selection that has to follow its row when rows above it go.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>

struct HtmlListItem {
    DWORD_PTR data = 0;
    long long top = 0;  // sum of the heights of the rows above
    int position = -1;  // 0-based display index
    int height = 0;     // pixels, measured once when the row is added
    int textHeight = 0; // height of the measured markup
    int image = 0;
    BOOL checked = FALSE;
    // False while the row has the height estimated for its kind; it is measured when first shown.
    bool measured = true;
    // The row's markup when the list keeps it; null when the list's markup source makes it at drawing time
    // (a pointer, so that a row without text costs a pointer, not a whole string).
    std::unique_ptr<const std::wstring> text;
};

class HtmlListRows {
public:
    // Appends a row that has been measured; sets its position and offset. O(1); rows already added stay
    // where they are in memory.
    HtmlListItem& Append(HtmlListItem item);

    HtmlListItem* At(int position);
    const HtmlListItem* At(int position) const;
    int Count() const { return static_cast<int>(rows_.size()); }
    long long TotalHeight() const { return total_; }

    // Removal renumbers the remaining rows, recomputes the offsets, and keeps the selection on its row
    // (none when the row itself went).
    bool Remove(int position);
    int RemoveChecked(); // returns how many rows went
    void Clear();

    // Recomputes the offsets of the rows after `position` and the total, once that row's height changed.
    void Reflow(int position);

    // The first row whose bottom lies below `offset` (the first one visible from there), Count() if none.
    int FirstEndingAfter(long long offset) const;
    // The row that covers `offset`, or -1.
    int RowAt(long long offset) const;

    int Selected() const { return selected_; }
    void SetSelected(int position) { selected_ = position; }

private:
    template <class Pred> int RemoveIf(Pred pred);
    // Positions, offsets and the total from the rows' order and heights.
    void Renumber();

    // In display order. A deque grows in blocks, so a million rows never need one large block nor a copy of
    // all rows when it grows, and it is indexed by position like a vector: painting and hit-testing find a
    // row by binary search over the offsets.
    std::deque<HtmlListItem> rows_;
    long long total_ = 0;
    int selected_ = -1;
};
