#include "engine/snapshot_shelf.h"

#include "engine/snapshot_registry.h"

#include <algorithm>

std::shared_ptr<RegistrySnapshot> SnapshotShelf::Find(const KeyLocation& location) const {
    for (const std::shared_ptr<RegistrySnapshot>& snapshot : kept_) {
        if (SnapshotCovers(*snapshot, location.root, location.subKey)) {
            return snapshot;
        }
    }
    return nullptr;
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
    CriticalSectionLock hold(lock_);
    kept_.clear();
}

std::vector<std::shared_ptr<RegistrySnapshot>> SnapshotShelf::Lend(const std::vector<KeyLocation>& lookIn,
                                                                   const std::function<bool()>& stop,
                                                                   std::wstring& failure, bool& taken) {
    CriticalSectionLock hold(lock_);
    failure.clear();
    taken = false;
    const size_t budget = SnapshotBudgetBytes();
    if (budget == 0) {
        kept_.clear();
        return {};
    }
    // The classes root merges the machine's and the user's classes: a watch on it is not known to see the
    // changes made below the user's part, so it is always walked.
    if (std::any_of(lookIn.begin(), lookIn.end(),
                    [](const KeyLocation& location) { return location.root == HKEY_CLASSES_ROOT; })) {
        return {};
    }
    // Snapshots of other locations make room for these.
    std::erase_if(kept_, [&](const std::shared_ptr<RegistrySnapshot>& snapshot) {
        return std::none_of(lookIn.begin(), lookIn.end(), [&](const KeyLocation& location) {
            return SnapshotCovers(*snapshot, location.root, location.subKey);
        });
    });
    size_t used = 0;
    for (const std::shared_ptr<RegistrySnapshot>& snapshot : kept_) {
        used += snapshot->Bytes();
    }
    std::vector<std::shared_ptr<RegistrySnapshot>> lent;
    for (const KeyLocation& location : lookIn) {
        const std::wstring where = location.rootName + (location.subKey.empty() ? L"" : L"\\" + location.subKey);
        std::wstring why;
        std::shared_ptr<RegistrySnapshot> snapshot = Find(location);
        if (snapshot && snapshot->IsChanged()) {
            // Another search may still read it: this one then walks the registry.
            if (snapshot.use_count() > 2) {
                failure = where + L": its kept copy is being read by another search";
                return {};
            }
            used -= snapshot->Bytes();
            if (snapshot->Refresh(why, stop)) {
                used += snapshot->Bytes();
            } else if (stop && stop()) {
                return {}; // kept, to be refreshed by the next search
            } else {
                // Its key deleted (and perhaps made anew), or over the budget: read it afresh.
                std::erase(kept_, snapshot);
                snapshot.reset();
            }
        }
        if (!snapshot) {
            std::unique_ptr<RegistrySnapshot> read =
                RegistrySnapshot::Take(location.root, location.subKey, used < budget ? budget - used : 0, why, stop);
            if (!read || !SnapshotCovers(*read, location.root, location.subKey)) {
                if (read || !why.empty()) {
                    failure = where + L": " + (read ? L"its path cannot be kept" : why);
                }
                return {};
            }
            snapshot = std::move(read);
            taken = true;
            used += snapshot->Bytes();
            kept_.push_back(snapshot);
        }
        lent.push_back(std::move(snapshot));
    }
    return lent;
}

SnapshotShelf& TheSnapshotShelf() {
    static SnapshotShelf shelf;
    return shelf;
}
