#include "form/history_list.h"

#include <algorithm>

bool HistoryList::Add(std::wstring_view text) {
    if (text.empty() || text.size() > kMaxTextChars) {
        return false;
    }
    const Slot candidate = MakeSlot(text);
    // lstrcmpiW compares like the user reads: a re-used text in another letter case replaces the old entry.
    auto same = std::find_if(entries_.begin(), entries_.end(),
                             [&](const Slot& entry) { return lstrcmpiW(entry.data(), candidate.data()) == 0; });
    if (same != entries_.end()) {
        entries_.erase(same);
    }
    if (capacity_ > 0 && entries_.size() >= capacity_) {
        entries_.erase(entries_.begin(), entries_.begin() + (entries_.size() - capacity_ + 1));
    }
    entries_.push_back(candidate);
    return true;
}

void HistoryList::Reset(DWORD capacity) {
    entries_.clear();
    SetCapacity(capacity);
}

void HistoryList::SetCapacity(DWORD capacity) {
    capacity_ = std::min(capacity, kMaxCapacity);
}

void HistoryList::AppendLoaded(std::wstring_view text) {
    text = text.substr(0, std::min(text.find(L'\0'), kMaxTextChars));
    if (!text.empty()) {
        entries_.push_back(MakeSlot(text));
    }
}

HistoryList::Slot HistoryList::MakeSlot(std::wstring_view text) {
    Slot slot{};
    std::copy(text.begin(), text.end(), slot.begin());
    return slot;
}

std::vector<std::wstring> HistoryList::NewestFirst() const {
    std::vector<std::wstring> texts;
    texts.reserve(entries_.size());
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        texts.emplace_back(it->data());
    }
    return texts;
}
