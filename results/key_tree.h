// What the key browser shows, computed from a finished search's key map without any window: the branch
// paths of the look-in locations, the children of a key, which keys are bold and which can be expanded.
//
// Paths are the texts of tree items joined with "\": "" for "All", "HKEY_CURRENT_USER" directly below it,
// "HKEY_CURRENT_USER\Software\X" further down. The key map holds full key paths in that form (exact,
// case-sensitive) with flag 1 for a key with results below it and flag 2 for a key with results of its own.
#pragma once

#include "engine/key_paths.h"

#include <map>
#include <string>
#include <vector>

using KeyTreeMap = std::map<std::wstring, int>;

inline constexpr int KEY_TREE_RESULTS_BELOW = 1;
inline constexpr int KEY_TREE_OWN_RESULTS = 2;

// What the key browser keeps of a finished search: its key map, its look-in locations as branch paths (in
// list order) and the remote computer it searched ("" for this computer).
struct KeyTreeData {
    KeyTreeMap keys;
    std::vector<std::wstring> branches;
    std::wstring remoteComputer;
    bool fromFile = false; // a hive file was searched: this computer's registry does not hold its keys

    // Whether children come from the key map alone, since the registry here does not hold the keys.
    bool KeyMapOnly() const { return !remoteComputer.empty() || fromFile; }
};

struct KeyTreeChild {
    std::wstring name;
    bool bold = false;
};

// Root name + "\" + the location's sub-key as typed, without trailing "\" (a whole hive gives its name).
std::wstring LookInBranchPath(const KeyLocation& location);

// The non-empty components of a path, in order.
std::vector<std::wstring> KeyPathComponents(const std::wstring& path);

// parent + "\" + name, or name alone below "All".
std::wstring ChildKeyPath(const std::wstring& parent, const std::wstring& name);

// The answer to the tree's question whether an item has children: 0 when the path is not in the map,
// otherwise 1 when results lie below the key.
int KeyTreeChildCount(const KeyTreeMap& keys, const std::wstring& path);

// Whether the key holds results of its own.
bool KeyTreeHasOwnResults(const KeyTreeMap& keys, const std::wstring& path);

// Of the sub-key names found under parentPath, those the map holds, in the given order, bold where the
// key holds results itself.
std::vector<KeyTreeChild> ChildrenWithResults(const KeyTreeMap& keys, const std::wstring& parentPath,
                                              const std::vector<std::wstring>& subKeyNames);

// The children of parentPath that the map itself holds, in the map's order. A remote search's tree is built
// from these: every key with results at or below it is in the map.
std::vector<KeyTreeChild> ChildrenFromKeyMap(const KeyTreeMap& keys, const std::wstring& parentPath);

// The full key name a result belongs to: its root's name + "\" + its key path (the root's name alone for a
// result on the root itself).
std::wstring ResultKeyName(HKEY root, const std::wstring& keyPath);
