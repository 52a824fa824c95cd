#include "results/key_tree_children.h"

#include "base/win_handles.h"
#include "engine/registry_view.h"

namespace {

constexpr DWORD kMaxKeyNameLength = 260;

// Opens root name + "\" + key path of this computer for reading.
KeyHandle OpenLocalKey(const std::wstring& path) {
    std::wstring rootName;
    std::wstring subKey;
    SplitKeyPath(path, rootName, subKey);
    KeyHandle key;
    HKEY root = RootKeyFromName(rootName);
    if (root && RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | NativeViewAccess(), key.Receive()) != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

std::vector<std::wstring> SubKeyNames(HKEY key) {
    std::vector<std::wstring> names;
    DWORD count = 0;
    // The count bounds the walk: an index that keeps failing must not keep it going.
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0; index < count; ++index) {
        wchar_t name[kMaxKeyNameLength + 1] = {};
        DWORD length = kMaxKeyNameLength + 1;
        const LONG error = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (error == ERROR_SUCCESS) {
            names.emplace_back(name, length);
        }
    }
    return names;
}

} // namespace

std::vector<KeyTreeChild> LoadKeyTreeChildren(const KeyTreeData& data, const std::wstring& path) {
    if (data.KeyMapOnly()) {
        return ChildrenFromKeyMap(data.keys, path);
    }
    KeyHandle key = OpenLocalKey(path);
    if (!key) {
        return {};
    }
    return ChildrenWithResults(data.keys, path, SubKeyNames(key.Get()));
}

bool KeyTreeKeyExists(const KeyTreeData& data, const std::wstring& fullKeyName) {
    if (data.KeyMapOnly()) {
        return data.keys.count(fullKeyName) != 0;
    }
    return static_cast<bool>(OpenLocalKey(fullKeyName));
}
