#include "results/key_tree.h"

namespace {

std::wstring WithoutTrailingBackslashes(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

const int* FlagsOf(const KeyTreeMap& keys, const std::wstring& path) {
    const auto found = keys.find(path);
    return found == keys.end() ? nullptr : &found->second;
}

} // namespace

std::wstring LookInBranchPath(const KeyLocation& location) {
    return WithoutTrailingBackslashes(RootKeyName(location.root) + L"\\" + location.subKeyText);
}

std::vector<std::wstring> KeyPathComponents(const std::wstring& path) {
    std::vector<std::wstring> components;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        if (end > start) {
            components.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return components;
}

std::wstring ChildKeyPath(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

int KeyTreeChildCount(const KeyTreeMap& keys, const std::wstring& path) {
    const int* flags = FlagsOf(keys, path);
    return flags && (*flags & KEY_TREE_RESULTS_BELOW) ? 1 : 0;
}

bool KeyTreeHasOwnResults(const KeyTreeMap& keys, const std::wstring& path) {
    const int* flags = FlagsOf(keys, path);
    return flags && (*flags & KEY_TREE_OWN_RESULTS);
}

std::vector<KeyTreeChild> ChildrenWithResults(const KeyTreeMap& keys, const std::wstring& parentPath,
                                              const std::vector<std::wstring>& subKeyNames) {
    std::vector<KeyTreeChild> children;
    for (const std::wstring& name : subKeyNames) {
        if (const int* flags = FlagsOf(keys, ChildKeyPath(parentPath, name))) {
            children.push_back({name, (*flags & KEY_TREE_OWN_RESULTS) != 0});
        }
    }
    return children;
}

std::vector<KeyTreeChild> ChildrenFromKeyMap(const KeyTreeMap& keys, const std::wstring& parentPath) {
    std::vector<KeyTreeChild> children;
    const std::wstring prefix = parentPath.empty() ? std::wstring() : parentPath + L"\\";
    // The map is ordered, so the paths below the parent follow each other from the prefix on.
    for (auto it = keys.lower_bound(prefix); it != keys.end(); ++it) {
        const std::wstring& path = it->first;
        if (path.compare(0, prefix.size(), prefix) != 0) {
            break;
        }
        const std::wstring rest = path.substr(prefix.size());
        if (!rest.empty() && rest.find(L'\\') == std::wstring::npos) {
            children.push_back({rest, (it->second & KEY_TREE_OWN_RESULTS) != 0});
        }
    }
    return children;
}

std::wstring ResultKeyName(HKEY root, const std::wstring& keyPath) {
    return WithoutTrailingBackslashes(RootKeyName(root) + L"\\" + keyPath);
}
