// The results of one search and everything known about them: the records in the order found, the key map of
// the keys that hold results, the counters, and where the results came from. The search worker fills it;
// the list, the result actions, the file commands, the key browser and the console program read it.
//
// Threads: one writer (the worker) and readers on other threads. Every record access goes through the store,
// which takes its own lock; nobody else holds it. The match counters and the key map are written by the
// worker alone and read once the worker has ended.
#pragma once

#include "engine/key_paths.h"
#include "engine/registry_api.h"
#include "engine/search_types.h"
#include "base/win_handles.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Where a search's results came from.
struct ResultsOrigin {
    std::wstring computer; // empty: this computer
    std::vector<KeyLocation> lookIn;
    std::wstring registryView; // the registry view searched ("64-bit", "32-bit")
    // What the registry source was when it was not the live registry (a hive file's path, say); empty
    // otherwise.
    std::wstring source;
    // The registry function table the results can be read through again (a hive file's keys, say).
    const RegistryApi* registry = &kAdvapiRegistry;

    bool IsRemote() const { return !computer.empty(); }
    bool IsFromFile() const { return !source.empty(); }
};

// How many results matched by key name, value name and value data. A value can count in both of the last two.
struct MatchCounts {
    DWORD keys = 0;
    DWORD valueNames = 0;
    DWORD data = 0;
};

// Paths of keys with results ("HKEY_...\a\b", flag 2) and of their ancestors (flag 1).
using KeyTreeMap = std::map<std::wstring, int>;

class ResultsStore {
public:
    static constexpr size_t kNoIndex = static_cast<size_t>(-1);

    ResultsStore() = default;
    ResultsStore(const ResultsStore&) = delete;
    ResultsStore& operator=(const ResultsStore&) = delete;

    // ---- the worker

    // Empties the store for a new search that reads `origin`.
    void Begin(ResultsOrigin origin);
    // Appends the record and returns its index; kNoIndex, appending nothing, once the store holds `limit`
    // records (0 = no limit).
    size_t Append(SearchResult&& record, DWORD limit);
    bool Full(DWORD limit) const { return limit != 0 && writerCount_ >= limit; }
    void CountKeySearched() { ::InterlockedIncrement(&keysSearched_); }
    void CountMatches(DWORD keys, DWORD valueNames, DWORD data);
    // Records the key's full path ("HKEY_...\a\b") with flag 2 and each of its ancestors with flag 1.
    void MarkKeyWithResults(const std::wstring& fullPath);

    // ---- readers

    size_t Count() const;
    bool Copy(size_t index, SearchResult& out) const;
    // Calls visit(record) for the record at index under the store's lock; false when there is none. The
    // visitor must not call back into the store.
    template <class Visit> bool Read(size_t index, Visit&& visit) const {
        CriticalSectionLock hold(lock_);
        if (index >= records_.size()) {
            return false;
        }
        visit(records_[index]);
        return true;
    }
    // Calls visit(index, record) for every record from `first` up to (not including) `end`, in order, under
    // one taking of the store's lock.
    template <class Visit> void ReadRange(size_t first, size_t end, Visit&& visit) const {
        CriticalSectionLock hold(lock_);
        for (size_t i = first; i < end && i < records_.size(); ++i) {
            visit(i, records_[i]);
        }
    }
    template <class Visit> void ReadFrom(size_t first, Visit&& visit) const {
        ReadRange(first, static_cast<size_t>(-1), std::forward<Visit>(visit));
    }
    // Sets the record's removed flag, so that rebuilt lists leave it out. False when there is no such record.
    bool MarkRemoved(size_t index);

    LONG KeysSearched() const { return ::InterlockedExchangeAdd(const_cast<volatile LONG*>(&keysSearched_), 0); }
    // Read once the worker has ended.
    MatchCounts Matches() const { return matches_; }
    // The key map, handed over once the worker has ended; the store keeps none.
    KeyTreeMap TakeKeyTree();
    // Read once the worker has ended. Stays until the next search begins.
    const KeyTreeMap& KeyTree() const { return keyTree_; }

    ResultsOrigin Origin() const;
    // Asked on every idle pass: answered without the lock.
    bool IsRemote() const { return remote_.load(); }
    // Whether the results were read from a file rather than this computer's registry; answered without the lock.
    bool IsFromFile() const { return fromFile_.load(); }

    // Frees every record and the key map (the origin stays).
    void Release();

private:
    mutable CriticalSection lock_;
    // A deque grows in blocks: a search of a whole registry never needs one block for all its results, nor a
    // copy of them all whenever the store grows.
    std::deque<SearchResult> records_;
    size_t writerCount_ = 0; // records_.size() as the worker knows it, read without the lock
    ResultsOrigin origin_;
    std::atomic<bool> remote_{false};
    std::atomic<bool> fromFile_{false};
    volatile LONG keysSearched_ = 0;
    MatchCounts matches_;
    KeyTreeMap keyTree_;
};
