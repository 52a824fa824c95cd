#include "engine/snapshot_registry.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

thread_local const std::vector<const RegistrySnapshot*>* t_reading = nullptr;

// What the table's HKEYs point to: a key of a snapshot, and the sub-key last enumerated, which is nearly
// always the next one opened; or, for a key the snapshot could not read and the keys below it, the key
// opened in the registry, which every call is passed on to.
struct SnapshotKey {
    const RegistrySnapshot* snapshot;
    std::uint32_t key;
    std::uint32_t lastEnumerated;
    HKEY registry = nullptr;
};

SnapshotKey* FromHandle(HKEY key) {
    return RegistryKeyTraits::IsPredefinedKey(key) ? nullptr : reinterpret_cast<SnapshotKey*>(key);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Splits off the first component of a backslash-separated path; false for an empty component.
bool NextComponent(std::wstring_view& path, std::wstring_view& component) {
    const size_t end = path.find(L'\\');
    component = path.substr(0, end);
    path = end == std::wstring_view::npos ? std::wstring_view() : path.substr(end + 1);
    return !component.empty();
}

// Walks down path from key; the key reached, or kNone. An error on the way (a key that could not be
// opened) goes to openError. At a key the snapshot could not read it stops, and path keeps the rest.
std::uint32_t Descend(const RegistrySnapshot& snapshot, std::uint32_t key, std::wstring_view& path, std::uint32_t hint,
                      LONG& openError) {
    openError = ERROR_SUCCESS;
    std::wstring_view component;
    while (!path.empty()) {
        if (snapshot.UnreadPath(key)) {
            return key;
        }
        if (!NextComponent(path, component)) {
            return kNone;
        }
        key = snapshot.FindChild(key, component, hint);
        hint = 0;
        if (key == kNone) {
            return kNone;
        }
        if (snapshot.KeyAt(key).openError != ERROR_SUCCESS) {
            openError = snapshot.KeyAt(key).openError;
            return kNone;
        }
    }
    return key;
}

// The key root\path in the snapshot, or kNone when the snapshot does not hold it; see Descend.
std::uint32_t Resolve(const RegistrySnapshot& snapshot, HKEY root, std::wstring_view& path, LONG& openError) {
    openError = ERROR_SUCCESS;
    if (root != snapshot.Root()) {
        return kNone;
    }
    std::wstring_view own = snapshot.Path();
    std::wstring_view component;
    std::wstring_view wanted;
    while (!own.empty()) {
        if (!NextComponent(own, component) || path.empty() || !NextComponent(path, wanted) ||
            !SameName(component, wanted)) {
            return kNone;
        }
    }
    return Descend(snapshot, 0, path, 0, openError);
}

LSTATUS HandOut(HKEY registry, PHKEY result) {
    *result = reinterpret_cast<HKEY>(new SnapshotKey{nullptr, 0, 0, registry});
    return ERROR_SUCCESS;
}

// A handle to the key of the snapshot Descend reached, with the rest of the path it left: a key the snapshot
// could not read is opened in the registry by its full path, as the walk would open it there.
LSTATUS OpenReached(const RegistrySnapshot& snapshot, std::uint32_t key, std::wstring_view rest, DWORD options,
                    REGSAM access, PHKEY result) {
    const std::wstring* unread = snapshot.UnreadPath(key);
    if (!unread) {
        *result = reinterpret_cast<HKEY>(new SnapshotKey{&snapshot, key, 0});
        return ERROR_SUCCESS;
    }
    std::wstring path = *unread;
    if (!rest.empty()) {
        path += path.empty() ? L"" : L"\\";
        path += rest;
    }
    HKEY opened = nullptr;
    const LSTATUS error = RegOpenKeyExW(snapshot.Root(), path.c_str(), options, access, &opened);
    return error == ERROR_SUCCESS ? HandOut(opened, result) : error;
}

LSTATUS WINAPI SnapshotOpenKey(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    std::wstring_view path = subKey ? subKey : L"";
    LONG openError = ERROR_SUCCESS;
    if (const SnapshotKey* from = FromHandle(parent)) {
        if (from->registry) {
            HKEY opened = nullptr;
            const LSTATUS error = RegOpenKeyExW(from->registry, subKey, options, access, &opened);
            return error == ERROR_SUCCESS ? HandOut(opened, result) : error;
        }
        const std::uint32_t key = Descend(*from->snapshot, from->key, path, from->lastEnumerated, openError);
        if (key == kNone) {
            return openError != ERROR_SUCCESS ? openError : ERROR_FILE_NOT_FOUND;
        }
        return OpenReached(*from->snapshot, key, path, options, access, result);
    }
    if (t_reading) {
        for (const RegistrySnapshot* snapshot : *t_reading) {
            std::wstring_view rest = path;
            const std::uint32_t key = Resolve(*snapshot, parent, rest, openError);
            if (openError != ERROR_SUCCESS) {
                return openError;
            }
            if (key != kNone) {
                return OpenReached(*snapshot, key, rest, options, access, result);
            }
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI SnapshotConnect(LPCWSTR, HKEY, PHKEY) {
    return ERROR_CALL_NOT_IMPLEMENTED; // snapshots are only kept of the local registry
}

LSTATUS WINAPI SnapshotEnumKey(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR className,
                               LPDWORD classLength, PFILETIME written) {
    SnapshotKey* from = FromHandle(handle);
    if (!from) {
        return ERROR_INVALID_HANDLE;
    }
    if (from->registry) {
        return RegEnumKeyExW(from->registry, index, name, nameLength, nullptr, className, classLength, written);
    }
    const RegistrySnapshot::Key& key = from->snapshot->KeyAt(from->key);
    if (index >= key.childCount) {
        return ERROR_NO_MORE_ITEMS;
    }
    const RegistrySnapshot::Key& child = from->snapshot->KeyAt(key.firstChild + index);
    const std::wstring_view text = RegistrySnapshot::NameOf(child.name);
    if (text.size() >= *nameLength) {
        return ERROR_MORE_DATA;
    }
    std::wmemcpy(name, text.data(), text.size());
    name[text.size()] = L'\0';
    *nameLength = static_cast<DWORD>(text.size());
    if (className && classLength && *classLength) {
        className[0] = L'\0';
    }
    if (classLength) {
        *classLength = 0;
    }
    if (written) {
        *written = child.written;
    }
    from->lastEnumerated = index;
    return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

LSTATUS WINAPI SnapshotEnumValue(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type,
                                 LPBYTE data, LPDWORD size) {
    const SnapshotKey* from = FromHandle(handle);
    if (!from) {
        return ERROR_INVALID_HANDLE;
    }
    if (from->registry) {
        return RegEnumValueW(from->registry, index, name, nameLength, nullptr, type, data, size);
    }
    const RegistrySnapshot::Key& key = from->snapshot->KeyAt(from->key);
    if (index >= key.valueCount) {
        return ERROR_NO_MORE_ITEMS;
    }
    const RegistrySnapshot::Value& value = from->snapshot->ValueAt(key.firstValue + index);
    const std::wstring_view text = RegistrySnapshot::NameOf(value.name);
    if (text.size() >= *nameLength) {
        return ERROR_MORE_DATA;
    }
    std::wmemcpy(name, text.data(), text.size());
    name[text.size()] = L'\0';
    *nameLength = static_cast<DWORD>(text.size());
    if (type) {
        *type = value.type;
    }
    LSTATUS status = ERROR_SUCCESS;
    if (data) {
        if (value.size > *size) {
            status = ERROR_MORE_DATA;
        } else {
            if (value.size) {
                std::memcpy(data, value.data, value.size);
            }
            // As the system does: a string's data gets a null after it when the buffer has room.
            if (IsStringType(value.type) && value.size + sizeof(wchar_t) <= *size) {
                data[value.size] = 0;
                data[value.size + 1] = 0;
            }
        }
    }
    if (size) {
        *size = value.size;
    }
    return status;
}

LSTATUS WINAPI SnapshotQueryInfo(HKEY handle, LPWSTR className, LPDWORD classLength, LPDWORD, LPDWORD subKeys,
                                 LPDWORD longestSubKey, LPDWORD longestClass, LPDWORD values, LPDWORD longestValueName,
                                 LPDWORD longestData, LPDWORD securityBytes, PFILETIME written) {
    const SnapshotKey* from = FromHandle(handle);
    if (!from) {
        return ERROR_INVALID_HANDLE;
    }
    if (from->registry) {
        return RegQueryInfoKeyW(from->registry, className, classLength, nullptr, subKeys, longestSubKey, longestClass,
                                values, longestValueName, longestData, securityBytes, written);
    }
    const RegistrySnapshot::Key& key = from->snapshot->KeyAt(from->key);
    if (className && classLength && *classLength) {
        className[0] = L'\0';
    }
    const auto put = [](LPDWORD out, DWORD value) {
        if (out) {
            *out = value;
        }
    };
    put(classLength, 0);
    put(subKeys, key.childCount);
    put(longestSubKey, key.longestChildName);
    put(longestClass, 0);
    put(values, key.valueCount);
    put(longestValueName, key.longestValueName);
    put(longestData, key.longestData);
    put(securityBytes, 0);
    if (written) {
        *written = key.written;
    }
    return ERROR_SUCCESS;
}

LSTATUS WINAPI SnapshotCloseKey(HKEY handle) {
    const SnapshotKey* from = FromHandle(handle);
    if (from && from->registry) {
        RegCloseKey(from->registry);
    }
    delete from;
    return ERROR_SUCCESS;
}

} // namespace

const RegistryApi kSnapshotRegistry = {
    &SnapshotOpenKey,   &SnapshotConnect,  &SnapshotEnumKey, &SnapshotEnumValue,
    &SnapshotQueryInfo, &SnapshotCloseKey, &std::malloc,     &std::free,
};

SnapshotReading::SnapshotReading(const std::vector<const RegistrySnapshot*>& snapshots) : previous_(t_reading) {
    t_reading = &snapshots;
}

SnapshotReading::~SnapshotReading() {
    t_reading = previous_;
}

bool SnapshotCovers(const RegistrySnapshot& snapshot, HKEY root, const std::wstring& path) {
    LONG openError = ERROR_SUCCESS;
    std::wstring_view rest = path;
    return Resolve(snapshot, root, rest, openError) != kNone || openError != ERROR_SUCCESS;
}
