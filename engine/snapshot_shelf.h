// The snapshots the program keeps between searches: those of the look-in locations searched last. A local
// search asks for the snapshots covering its locations; those missing are taken then (the search runs over
// them right after), changed ones are refreshed first. Shared by every engine of the process.
#pragma once

#include "engine/key_paths.h"
#include "engine/registry_snapshot.h"
#include "base/win_handles.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class SnapshotShelf {
public:
    // Snapshots covering every location of lookIn, up to date, in the order of lookIn; empty when the
    // search must walk the registry (snapshots off, a location in HKEY_CLASSES_ROOT, over the memory
    // budget, a location that cannot be opened, watched or read, stopped), and then `failure` says why
    // unless snapshots are off, the location is in HKEY_CLASSES_ROOT or cannot be opened. `taken` tells
    // whether any of them had to be read now.
    std::vector<std::shared_ptr<RegistrySnapshot>>
    Lend(const std::vector<KeyLocation>& lookIn, const std::function<bool()>& stop, std::wstring& failure, bool& taken);
    // Whether snapshots cover every location of lookIn now (they may still need a refresh). Never waits:
    // false while a search takes or refreshes snapshots.
    bool Covers(const std::vector<KeyLocation>& lookIn);
    void Clear();

private:
    std::shared_ptr<RegistrySnapshot> Find(const KeyLocation& location) const;

    CriticalSection lock_;
    std::vector<std::shared_ptr<RegistrySnapshot>> kept_;
};

SnapshotShelf& TheSnapshotShelf();
