// The snapshots the program keeps between searches: those of the look-in locations searched last. A local
// search asks for the snapshots covering its locations and runs over them, changed ones refreshed first.
// Where one is missing, the search walks the registry, so that its results come at once, and the copies are
// read afterwards on a thread of the shelf's own for the next search. Shared by every engine of the process.
#pragma once

#include "engine/key_paths.h"
#include "engine/registry_snapshot.h"
#include "base/win_handles.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class SnapshotShelf {
public:
    SnapshotShelf() = default;
    ~SnapshotShelf();
    SnapshotShelf(const SnapshotShelf&) = delete;
    SnapshotShelf& operator=(const SnapshotShelf&) = delete;

    // Snapshots covering every location of lookIn, up to date, in the order of lookIn; empty when the
    // search must walk the registry (snapshots off, a location in HKEY_CLASSES_ROOT, a location not kept
    // yet, a refresh that failed or was stopped). `missing` tells that a location is not kept yet: ReadLater
    // then reads it. `failure` says why there are no snapshots where the search log should tell: a refresh
    // that failed, or the last read of a missing location that failed (over the memory budget...).
    std::vector<std::shared_ptr<RegistrySnapshot>> Lend(const std::vector<KeyLocation>& lookIn,
                                                        const std::function<bool()>& stop, std::wstring& failure,
                                                        bool& missing);
    // Starts reading the snapshots of lookIn's locations that are not kept, on the shelf's thread. A read of
    // other locations still going on is stopped first.
    void ReadLater(const std::vector<KeyLocation>& lookIn);
    // Waits until the snapshots started by ReadLater are read (or could not be).
    void FinishReading();
    // Whether snapshots cover every location of lookIn now (they may still need a refresh). Never waits:
    // false while a search refreshes snapshots.
    bool Covers(const std::vector<KeyLocation>& lookIn);
    // Forgets every snapshot, stopping a read.
    void Clear();

private:
    std::shared_ptr<RegistrySnapshot> Find(const KeyLocation& location) const;
    // Drops the snapshots that cover none of lookIn's locations, to make room for these.
    void KeepOnly(const std::vector<KeyLocation>& lookIn);
    size_t BytesKept() const;
    void StopReading();
    void Read(std::vector<KeyLocation> lookIn, const std::atomic<bool>& stop);

    CriticalSection lock_;
    std::vector<std::shared_ptr<RegistrySnapshot>> kept_;
    // Why the last read of a location failed, by location text: told by the next search that walks it.
    std::vector<std::pair<std::wstring, std::wstring>> failures_;
    std::thread reader_; // started and joined by the searches' threads, one at a time (readerLock_)
    std::atomic<bool> readerStop_{false};
    CriticalSection readerLock_;
};

SnapshotShelf& TheSnapshotShelf();
