#include "engine/snapshot_shelf.h"

#include "engine/snapshot_registry.h"

#include <algorithm>

namespace {

std::wstring LocationText(const KeyLocation& location) {
    return location.rootName + (location.subKey.empty() ? L"" : L"\\" + location.subKey);
}

bool InClassesRoot(const std::vector<KeyLocation>& lookIn) {
    return std::any_of(lookIn.begin(), lookIn.end(),
                       [](const KeyLocation& location) { return location.root == HKEY_CLASSES_ROOT; });
}

} // namespace

SnapshotShelf::~SnapshotShelf() {
    StopReading();
}

std::shared_ptr<RegistrySnapshot> SnapshotShelf::Find(const KeyLocation& location) const {
    for (const std::shared_ptr<RegistrySnapshot>& snapshot : kept_) {
        if (SnapshotCovers(*snapshot, location.root, location.subKey)) {
            return snapshot;
        }
    }
    return nullptr;
}

void SnapshotShelf::KeepOnly(const std::vector<KeyLocation>& lookIn) {
    std::erase_if(kept_, [&](const std::shared_ptr<RegistrySnapshot>& snapshot) {
        return std::none_of(lookIn.begin(), lookIn.end(), [&](const KeyLocation& location) {
            return SnapshotCovers(*snapshot, location.root, location.subKey);
        });
    });
}

size_t SnapshotShelf::BytesKept() const {
    size_t used = 0;
    for (const std::shared_ptr<RegistrySnapshot>& snapshot : kept_) {
        used += snapshot->Bytes();
    }
    return used;
}

bool SnapshotShelf::Covers(const std::vector<KeyLocation>& lookIn) {
    if (!lock_.TryEnter()) {
        return false;
    }
    const bool covered =
        !lookIn.empty() && std::all_of(lookIn.begin(), lookIn.end(),
                                       [this](const KeyLocation& location) { return Find(location) != nullptr; });
    lock_.Leave();
    return covered;
}

void SnapshotShelf::Clear() {
    StopReading();
    CriticalSectionLock hold(lock_);
    kept_.clear();
    failures_.clear();
}

std::vector<std::shared_ptr<RegistrySnapshot>> SnapshotShelf::Lend(const std::vector<KeyLocation>& lookIn,
                                                                   const std::function<bool()>& stop,
                                                                   std::wstring& failure, bool& missing) {
    CriticalSectionLock hold(lock_);
    failure.clear();
    missing = false;
    if (SnapshotBudgetBytes() == 0) {
        kept_.clear();
        return {};
    }
    // The classes root merges the machine's and the user's classes: a watch on it is not known to see the
    // changes made below the user's part, so it is always walked.
    if (InClassesRoot(lookIn)) {
        return {};
    }
    KeepOnly(lookIn);
    std::vector<std::shared_ptr<RegistrySnapshot>> lent;
    for (const KeyLocation& location : lookIn) {
        const std::wstring where = LocationText(location);
        std::shared_ptr<RegistrySnapshot> snapshot = Find(location);
        if (snapshot && snapshot->IsChanged()) {
            // Another search may still read it: this one then walks the registry.
            if (snapshot.use_count() > 2) {
                failure = where + L": its kept copy is being read by another search";
                return {};
            }
            std::wstring why;
            if (!snapshot->Refresh(why, stop)) {
                if (stop && stop()) {
                    return {}; // kept, to be refreshed by the next search
                }
                // Its key deleted (and perhaps made anew), or over the budget: read afresh later.
                std::erase(kept_, snapshot);
                snapshot.reset();
            }
        }
        if (!snapshot) {
            missing = true;
            const auto failed = std::find_if(failures_.begin(), failures_.end(),
                                             [&](const auto& entry) { return entry.first == where; });
            if (failed != failures_.end()) {
                failure = where + L": " + failed->second;
            }
        }
        lent.push_back(std::move(snapshot));
    }
    if (missing) {
        return {};
    }
    return lent;
}

void SnapshotShelf::ReadLater(const std::vector<KeyLocation>& lookIn) {
    if (lookIn.empty() || InClassesRoot(lookIn)) {
        return;
    }
    CriticalSectionLock start(readerLock_);
    // One read at a time: one of other locations is of no use any more.
    readerStop_ = true;
    if (reader_.joinable()) {
        reader_.join();
    }
    readerStop_ = false;
    reader_ = std::thread([this, lookIn] { Read(lookIn, readerStop_); });
}

void SnapshotShelf::FinishReading() {
    CriticalSectionLock start(readerLock_);
    if (reader_.joinable()) {
        reader_.join();
    }
}

void SnapshotShelf::StopReading() {
    CriticalSectionLock start(readerLock_);
    readerStop_ = true;
    if (reader_.joinable()) {
        reader_.join();
    }
}

void SnapshotShelf::Read(std::vector<KeyLocation> lookIn, const std::atomic<bool>& stop) {
    const std::function<bool()> stopped = [&stop] { return stop.load(); };
    for (const KeyLocation& location : lookIn) {
        const std::wstring where = LocationText(location);
        size_t free = 0;
        {
            CriticalSectionLock hold(lock_);
            const size_t budget = SnapshotBudgetBytes();
            if (budget == 0) {
                return;
            }
            // Snapshots of other locations make room for these.
            KeepOnly(lookIn);
            if (Find(location)) {
                continue;
            }
            const size_t used = BytesKept();
            free = used < budget ? budget - used : 0;
        }
        // Read without the lock: it takes seconds for a large location, and searches lend meanwhile.
        std::wstring why;
        std::unique_ptr<RegistrySnapshot> read = RegistrySnapshot::Take(location.root, location.subKey, free, why, stopped);
        if (stop) {
            return;
        }
        CriticalSectionLock hold(lock_);
        std::erase_if(failures_, [&](const auto& entry) { return entry.first == where; });
        if (read && SnapshotCovers(*read, location.root, location.subKey)) {
            kept_.push_back(std::move(read));
        } else if (read || !why.empty()) {
            failures_.emplace_back(where, read ? L"its path cannot be kept" : why);
        }
    }
}

SnapshotShelf& TheSnapshotShelf() {
    static SnapshotShelf shelf;
    return shelf;
}
