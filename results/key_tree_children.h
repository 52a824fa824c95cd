// Where the key browser's children come from. A search of this computer shows a key's sub-keys as the
// registry holds them now, kept where the search's key map has results; a remote search, or one of a hive
// file, shows the children the key map holds, since the registry reachable by name here is this computer's,
// not the searched one.
#pragma once

#include "results/key_tree.h"

#include <string>
#include <vector>

// The children to show below the key at path (a root name, or root name + "\" + key path). Empty when the
// key cannot be opened or has no sub-key with results.
std::vector<KeyTreeChild> LoadKeyTreeChildren(const KeyTreeData& data, const std::wstring& path);

// Whether the key of a full key name is still there: for this computer, whether it opens; for a remote
// search or a hive file's, whether the key map holds it.
bool KeyTreeKeyExists(const KeyTreeData& data, const std::wstring& fullKeyName);
