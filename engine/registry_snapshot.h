// A kept copy of one registry tree: every key below a location with its last-write time, and every value
// with its name, type and data, as a walk of the live registry reads them. A search of the same location
// again runs over the copy (see snapshot_registry.h) instead of asking the registry for every item.
//
// The copy never goes stale unnoticed: its top key is watched for changes in the whole tree. A change
// marks it; Refresh then reads again only the keys whose last-write time moved (a key's time moves when
// its values or its set of sub-keys change), takes the rest from the copy, and arms the watch again. The
// watch is armed before the registry is read, so a change made while the copy is read marks it once more.
//
// A key whose values or sub-keys cannot be read (access denied, a key the system serves specially) is kept
// by name only and marked: a walk over the copy reads it, and everything below it, from the registry each
// time, so it meets the same failure a walk of the registry meets. A refresh reads such keys again always.
//
// Layout: key records in one array, the sub-keys of a key in one run of it in enumeration order; value
// records likewise. Names are kept once however many keys use them, and names and data live in large
// blocks rather than one allocation each.
#pragma once

#include "base/win_handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class RegistrySnapshot {
public:
    struct Key {
        const wchar_t* name; // kept text (see NameOf)
        FILETIME written;    // last-write time
        std::uint32_t firstChild;
        std::uint32_t childCount;
        std::uint32_t firstValue;
        std::uint32_t valueCount;
        std::uint32_t longestChildName; // characters, no null
        std::uint32_t longestValueName; // characters, no null
        std::uint32_t longestData;      // bytes
        LONG openError;                 // why the key could not be opened; ERROR_SUCCESS when it could
    };
    struct Value {
        const wchar_t* name;
        const BYTE* data;
        DWORD type;
        DWORD size;
    };

    // Reads root\path into a new snapshot, watching it first. Null when the location cannot be opened or
    // watched, a key's values keep changing while read, the copy grows beyond budgetBytes or stop() turns true; why
    // goes to `failure`, which stays empty when the location cannot be opened (the walk itself reports that).
    static std::unique_ptr<RegistrySnapshot> Take(HKEY root, const std::wstring& path, size_t budgetBytes,
                                                  std::wstring& failure, const std::function<bool()>& stop = {});
    ~RegistrySnapshot();
    RegistrySnapshot(const RegistrySnapshot&) = delete;
    RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;

    // Whether a change was notified since the copy was last read.
    bool IsChanged() const;
    // The event a change notification sets (manual reset; reset when the watch is armed again).
    HANDLE ChangeEvent() const { return changed_.Get(); }
    // Brings the copy up to date when a change was notified (nothing to do otherwise). False when it can no
    // longer be kept (the watch cannot be armed again, values keep changing while read, over budget), or stop() turned
    // true: then it holds what it held and stays marked changed. No walk may read the snapshot meanwhile.
    bool Refresh(std::wstring& failure, const std::function<bool()>& stop = {});

    HKEY Root() const { return root_; }
    const std::wstring& Path() const { return path_; }
    // Key 0 is the location's own key.
    const Key& KeyAt(std::uint32_t index) const { return keys_[index]; }
    const Value& ValueAt(std::uint32_t index) const { return values_[index]; }
    static std::wstring_view NameOf(const wchar_t* kept) { return {kept + 1, static_cast<size_t>(kept[0])}; }
    // The sub-key of parent with this name (compared without regard to case), starting the search at the
    // hint; returns the index, or UINT32_MAX when there is none.
    // The path below Root() of a key the copy holds by name only, because its values or sub-keys could not
    // be read; null for every other key.
    const std::wstring* UnreadPath(std::uint32_t index) const;
    std::uint32_t FindChild(std::uint32_t parent, std::wstring_view name, std::uint32_t hint = 0) const;
    // Memory the copy holds, in bytes.
    size_t Bytes() const;
    // Counts, for logs and benchmarks.
    size_t KeyCount() const { return keys_.size(); }
    size_t ValueCount() const { return values_.size(); }
    // Keys whose values the last read or refresh took from the registry rather than from the copy.
    size_t KeysRead() const { return keysRead_; }

private:
    class Builder;
    struct Store;

    RegistrySnapshot(HKEY root, std::wstring path);
    bool Arm();
    bool Read(const RegistrySnapshot* previous, size_t budgetBytes, std::wstring& failure,
              const std::function<bool()>& stop = {});

    HKEY root_;
    std::wstring path_;
    KeyHandle watched_;
    UniqueHandle changed_;
    size_t budget_ = 0;
    std::vector<Key> keys_;
    std::vector<Value> values_;
    std::unique_ptr<Store> store_;
    std::vector<std::pair<std::uint32_t, std::wstring>> unread_; // by key index
    size_t keysRead_ = 0;
};

// The memory a snapshot may take, from the settings (megabytes, 0 = no snapshots), in bytes.
size_t SnapshotBudgetBytes();
