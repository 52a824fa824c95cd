// The registry function table that answers from snapshots instead of the registry: the walker runs over
// kept copies unchanged, and finds what it would find in the registry at the moment the copies were made.
//
// Opening a key below a predefined root looks the path up in the snapshots the calling thread reads (set
// with SnapshotReading around the walk); every other call works on the table's own key handles, which
// carry their snapshot. Enumerations answer as advapi32 does: the same order, the same error codes for an
// index past the end or a buffer too small. A key the snapshot could not read, and every key below it, is
// opened in the registry and its handle passes every call on to it, so the walk meets the registry's own
// failures there.
#pragma once

#include "engine/registry_api.h"
#include "engine/registry_snapshot.h"

#include <string>
#include <vector>

extern const RegistryApi kSnapshotRegistry;

// The snapshots the current thread's walk reads through kSnapshotRegistry, for the life of this object.
class SnapshotReading {
public:
    explicit SnapshotReading(const std::vector<const RegistrySnapshot*>& snapshots);
    ~SnapshotReading();
    SnapshotReading(const SnapshotReading&) = delete;
    SnapshotReading& operator=(const SnapshotReading&) = delete;

private:
    const std::vector<const RegistrySnapshot*>* previous_;
};

// Whether the key root\path lies in the snapshot (its own location or a key below it).
bool SnapshotCovers(const RegistrySnapshot& snapshot, HKEY root, const std::wstring& path);
