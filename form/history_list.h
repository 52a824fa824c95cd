// The rules of a most-recently-used text list, apart from any window: entries are fixed slots of 256
// characters (255 and a terminator), oldest first; adding a text removes an earlier entry that differs only
// in letter case and drops the oldest entry when the list is full. Main thread only.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

class HistoryList {
public:
    static constexpr size_t kSlotChars = 256;
    static constexpr size_t kMaxTextChars = kSlotChars - 1;
    static constexpr DWORD kDefaultCapacity = 15;
    // A stored capacity above this is taken as this: a hand-edited count must not make the load or the
    // drop-down list unbounded.
    static constexpr DWORD kMaxCapacity = 1000;

    // Adds text as the newest entry. False (and the list unchanged) for an empty text or one longer than
    // kMaxTextChars.
    bool Add(std::wstring_view text);

    // Empties the list and sets the capacity (at most kMaxCapacity); used before a load.
    void Reset(DWORD capacity);
    // Appends a loaded entry as the newest so far; empty texts are skipped and longer ones cut to
    // kMaxTextChars. Loading never de-duplicates and never drops: the caller reads at most Capacity() texts.
    void AppendLoaded(std::wstring_view text);

    DWORD Capacity() const { return capacity_; }
    void SetCapacity(DWORD capacity);
    size_t Count() const { return entries_.size(); }
    // Entry i, 0 being the oldest.
    std::wstring_view Entry(size_t i) const { return entries_[i].data(); }
    std::vector<std::wstring> NewestFirst() const;

private:
    using Slot = std::array<wchar_t, kSlotChars>;
    // text must fit: at most kMaxTextChars characters.
    static Slot MakeSlot(std::wstring_view text);

    std::vector<Slot> entries_;
    DWORD capacity_ = kDefaultCapacity;
};
