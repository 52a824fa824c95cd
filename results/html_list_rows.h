// The results list's rows, apart from the window: display order, positions, heights with running
// offsets, check states, and the selection that has to follow its row when rows above it go.
#pragma once

#include <windows.h>

#include <list>
#include <string>
#include <vector>

struct HtmlListItem {
    int position = -1; // 0-based display index
    int height = 0;    // pixels, measured once when the row is added
    int kind = 1;      // 1 = markup
    std::wstring text;
    DWORD_PTR data = 0;
    long long top = 0; // sum of the heights of the rows above
    BOOL checked = FALSE;
    BOOL measured = FALSE;
    int image = 0;
    RECT textRect = {}; // measured markup extent, origin (0,0)
};

class HtmlListRows {
public:
    // Appends a row that has been measured; sets its position and offset. O(1).
    HtmlListItem& Append(HtmlListItem item);

    HtmlListItem* At(int position);
    const HtmlListItem* At(int position) const;
    int Count() const { return static_cast<int>(index_.size()); }
    long long TotalHeight() const { return total_; }

    // Removal renumbers the remaining rows, rebuilds the index and offsets, and keeps the selection on
    // its row (none when the row itself went).
    bool Remove(int position);
    int RemoveChecked(); // returns how many rows went
    void Clear();

    // Recomputes offsets and the total after heights changed.
    void Relayout();

    // The first row whose bottom lies below `offset` (the first one visible from there), Count() if none.
    int FirstEndingAfter(long long offset) const;
    // The row that covers `offset`, or -1.
    int RowAt(long long offset) const;

    int Selected() const { return selected_; }
    void SetSelected(int position) { selected_ = position; }

    std::list<HtmlListItem>::iterator begin() { return rows_.begin(); }
    std::list<HtmlListItem>::iterator end() { return rows_.end(); }

private:
    template <class Pred> int RemoveIf(Pred pred);
    void Reindex();

    std::list<HtmlListItem> rows_;
    // Position -> row. A vector indexed by position gives the lookups of a hash index and, ordered by
    // offset, lets painting and hit-testing find a row by binary search.
    std::vector<HtmlListItem*> index_;
    long long total_ = 0;
    int selected_ = -1;
};
