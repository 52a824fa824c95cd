#include "results/html_list_rows.h"

#include <algorithm>

HtmlListItem& HtmlListRows::Append(HtmlListItem item) {
    item.position = Count();
    item.top = total_;
    rows_.push_back(std::move(item));
    HtmlListItem& row = rows_.back();
    index_.push_back(&row);
    total_ += row.height;
    return row;
}

HtmlListItem* HtmlListRows::At(int position) {
    return position >= 0 && position < Count() ? index_[position] : nullptr;
}

const HtmlListItem* HtmlListRows::At(int position) const {
    return position >= 0 && position < Count() ? index_[position] : nullptr;
}

template <class Pred> int HtmlListRows::RemoveIf(Pred pred) {
    int removed = 0;
    int removedBeforeSelection = 0;
    bool selectionRemoved = false;
    for (auto it = rows_.begin(); it != rows_.end();) {
        if (pred(*it)) {
            if (it->position == selected_) {
                selectionRemoved = true;
            } else if (it->position < selected_) {
                ++removedBeforeSelection;
            }
            it = rows_.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    if (removed) {
        selected_ = selectionRemoved ? -1 : (selected_ < 0 ? -1 : selected_ - removedBeforeSelection);
        Reindex();
    }
    return removed;
}

bool HtmlListRows::Remove(int position) {
    if (!At(position)) {
        return false;
    }
    return RemoveIf([position](const HtmlListItem& row) { return row.position == position; }) > 0;
}

int HtmlListRows::RemoveChecked() {
    return RemoveIf([](const HtmlListItem& row) { return row.checked != FALSE; });
}

void HtmlListRows::Clear() {
    rows_.clear();
    index_.clear();
    total_ = 0;
    selected_ = -1;
}

void HtmlListRows::Reindex() {
    index_.clear();
    index_.reserve(rows_.size());
    for (HtmlListItem& row : rows_) {
        row.position = static_cast<int>(index_.size());
        index_.push_back(&row);
    }
    Relayout();
}

void HtmlListRows::Relayout() {
    total_ = 0;
    for (HtmlListItem* row : index_) {
        row->top = total_;
        total_ += row->height;
    }
}

int HtmlListRows::FirstEndingAfter(long long offset) const {
    auto it = std::partition_point(index_.begin(), index_.end(),
                                   [offset](const HtmlListItem* row) { return row->top + row->height <= offset; });
    return static_cast<int>(it - index_.begin());
}

int HtmlListRows::RowAt(long long offset) const {
    if (offset < 0) {
        return -1;
    }
    int position = FirstEndingAfter(offset);
    const HtmlListItem* row = At(position);
    return row && row->top <= offset ? position : -1;
}
