#include "engine/results_store.h"

void ResultsStore::Begin(ResultsOrigin origin) {
    // The previous search's records are freed after the lock is let go: freeing a hundred thousand of them
    // takes long enough to hold up a window that reads the store meanwhile.
    std::deque<SearchResult> previous;
    {
        CriticalSectionLock hold(lock_);
        previous.swap(records_);
        writerCount_ = 0;
        origin_ = std::move(origin);
        remote_ = origin_.IsRemote();
        fromFile_ = origin_.IsFromFile();
    }
    ::InterlockedExchange(&keysSearched_, 0);
    matches_ = {};
    keyTree_.clear();
}

size_t ResultsStore::Append(SearchResult&& record, DWORD limit) {
    if (Full(limit)) {
        return kNoIndex;
    }
    CriticalSectionLock hold(lock_);
    records_.push_back(std::move(record));
    return writerCount_++;
}

void ResultsStore::CountMatches(DWORD keys, DWORD valueNames, DWORD data) {
    matches_.keys += keys;
    matches_.valueNames += valueNames;
    matches_.data += data;
}

void ResultsStore::MarkKeyWithResults(const std::wstring& fullPath) {
    std::wstring path = fullPath;
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    keyTree_[path] |= 2;
    // Every ancestor, as its non-empty components joined by single backslashes, is marked as holding results.
    std::wstring ancestor;
    size_t start = 0;
    while (start < path.size()) {
        const size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) {
            break; // the last component is the key itself
        }
        if (end > start) {
            if (!ancestor.empty()) {
                ancestor += L'\\';
            }
            ancestor.append(path, start, end - start);
            keyTree_[ancestor] |= 1;
        }
        start = end + 1;
    }
}

size_t ResultsStore::Count() const {
    CriticalSectionLock hold(lock_);
    return records_.size();
}

bool ResultsStore::Copy(size_t index, SearchResult& out) const {
    return Read(index, [&](const SearchResult& record) { out = record; });
}

bool ResultsStore::MarkRemoved(size_t index) {
    CriticalSectionLock hold(lock_);
    if (index >= records_.size()) {
        return false;
    }
    records_[index].removed = true;
    return true;
}

KeyTreeMap ResultsStore::TakeKeyTree() {
    KeyTreeMap taken = std::move(keyTree_);
    keyTree_.clear();
    return taken;
}

ResultsOrigin ResultsStore::Origin() const {
    CriticalSectionLock hold(lock_);
    return origin_;
}

void ResultsStore::Release() {
    CriticalSectionLock hold(lock_);
    records_.clear();
    records_.shrink_to_fit();
    writerCount_ = 0;
    keyTree_.clear();
}
