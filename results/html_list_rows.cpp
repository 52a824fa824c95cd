#include "results/html_list_rows.h"

#include <algorithm>

HtmlListItem& HtmlListRows::Append(HtmlListItem item) {
    item.position = Count();
    item.top = total_;
    rows_.push_back(std::move(item));
    HtmlListItem& row = rows_.back();
    total_ += row.height;
    return row;
}

HtmlListItem* HtmlListRows::At(int position) {
    return position >= 0 && position < Count() ? &rows_[static_cast<size_t>(position)] : nullptr;
}

const HtmlListItem* HtmlListRows::At(int position) const {
    return position >= 0 && position < Count() ? &rows_[static_cast<size_t>(position)] : nullptr;
}

template <class Pred> int HtmlListRows::RemoveIf(Pred pred) {
    int removedBeforeSelection = 0;
    bool selectionRemoved = false;
    const auto kept = std::remove_if(rows_.begin(), rows_.end(), [&](const HtmlListItem& row) {
        if (!pred(row)) {
            return false;
        }
        if (row.position == selected_) {
            selectionRemoved = true;
        } else if (row.position < selected_) {
            ++removedBeforeSelection;
        }
        return true;
    });
    const int removed = static_cast<int>(rows_.end() - kept);
    if (removed) {
        rows_.erase(kept, rows_.end());
        selected_ = selectionRemoved ? -1 : (selected_ < 0 ? -1 : selected_ - removedBeforeSelection);
        Renumber();
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
    // A deque keeps its blocks on clear(); the swap gives them back.
    std::deque<HtmlListItem>().swap(rows_);
    total_ = 0;
    selected_ = -1;
}

void HtmlListRows::Renumber() {
    int position = 0;
    for (HtmlListItem& row : rows_) {
        row.position = position++;
    }
    total_ = 0;
    for (HtmlListItem& row : rows_) {
        row.top = total_;
        total_ += row.height;
    }
}

void HtmlListRows::Reflow(int position) {
    if (position < 0 || position >= Count()) {
        return;
    }
    long long top = rows_[static_cast<size_t>(position)].top;
    for (size_t i = static_cast<size_t>(position); i < rows_.size(); ++i) {
        rows_[i].top = top;
        top += rows_[i].height;
    }
    total_ = top;
}

int HtmlListRows::FirstEndingAfter(long long offset) const {
    auto it = std::partition_point(rows_.begin(), rows_.end(),
                                   [offset](const HtmlListItem& row) { return row.top + row.height <= offset; });
    return static_cast<int>(it - rows_.begin());
}

int HtmlListRows::RowAt(long long offset) const {
    if (offset < 0) {
        return -1;
    }
    int position = FirstEndingAfter(offset);
    const HtmlListItem* row = At(position);
    return row && row->top <= offset ? position : -1;
}
