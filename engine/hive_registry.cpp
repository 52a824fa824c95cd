#include "engine/hive_registry.h"

#include "engine/hive_file.h"
#include "base/win_handles.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "registry names are UTF-16");

namespace {

struct Mount {
    std::wstring name;
    std::unique_ptr<hive::HiveFile> file;
};

// Mounted hives by upper-cased name.
std::mutex mountsLock;
std::map<std::wstring, std::shared_ptr<const Mount>> mounts;

std::wstring Upper(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end()); // the reader's texts are ASCII
}

std::shared_ptr<const Mount> FindMount(const std::wstring& name) {
    std::lock_guard<std::mutex> hold(mountsLock);
    auto found = mounts.find(Upper(name));
    return found == mounts.end() ? nullptr : found->second;
}

// An open key: a key of a mounted hive, or (without a mount) HKEY_LOCAL_MACHINE listing the mounted hives.
struct HiveKey {
    static constexpr DWORD kTag = 0x6B766968;
    DWORD tag = kTag;
    std::shared_ptr<const Mount> mount;
    std::uint32_t key = 0;
    hive::KeyDetails details;
    std::vector<std::wstring> mountNames; // the listing of HKEY_LOCAL_MACHINE
    // The sub-key last enumerated, tried first when a name is opened below this key: the walk opens each
    // sub-key right after enumerating it, and a key may have many thousands.
    std::uint32_t lastEnumerated = 0;
};

// A new key object whose address cannot be taken for a predefined root (0x80000000 to 0x80000006 are valid
// heap addresses for a large-address-aware 32-bit program).
std::unique_ptr<HiveKey> NewKey() {
    auto key = std::make_unique<HiveKey>();
    if (RegistryKeyTraits::IsPredefinedKey(reinterpret_cast<HKEY>(key.get()))) {
        auto other = std::make_unique<HiveKey>();
        key = std::move(other);
    }
    return key;
}

HiveKey* MountListing() {
    HiveKey* listing = NewKey().release();
    std::lock_guard<std::mutex> hold(mountsLock);
    for (const auto& entry : mounts) {
        listing->mountNames.push_back(entry.second->name);
    }
    return listing;
}

// The object behind a handle: null for a handle that is not one of ours. HKEY_LOCAL_MACHINE is answered by
// a listing made for the call (owned by the caller through keep).
HiveKey* FromHandle(HKEY handle, std::unique_ptr<HiveKey>& keep) {
    if (handle == HKEY_LOCAL_MACHINE) {
        keep.reset(MountListing());
        return keep.get();
    }
    if (!handle || RegistryKeyTraits::IsPredefinedKey(handle)) {
        return nullptr;
    }
    auto* key = reinterpret_cast<HiveKey*>(handle);
    return key->tag == HiveKey::kTag ? key : nullptr;
}

const hive::HiveFile& File(const HiveKey& key) {
    return *key.mount->file;
}

void NoteProblem(const HiveKey& key, const std::string& text) {
    File(key).NoteProblem(text);
}

// The sub-key of parent called name, or false.
bool FindChild(HiveKey& parent, const wchar_t* name, size_t chars, std::uint32_t& child) {
    const hive::HiveFile& file = File(parent);
    const hive::KeyEntry& entry = file.Keys()[parent.key];
    const auto* wanted = reinterpret_cast<const char16_t*>(name);
    const std::uint32_t* children = file.Children(entry);
    if (parent.lastEnumerated < entry.childCount &&
        file.KeyNameEquals(children[parent.lastEnumerated], wanted, chars)) {
        child = children[parent.lastEnumerated];
        return true;
    }
    for (std::uint32_t i = 0; i < entry.childCount; ++i) {
        if (file.KeyNameEquals(children[i], wanted, chars)) {
            child = children[i];
            return true;
        }
    }
    return false;
}

LONG WINAPI OpenKey(HKEY parent, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    std::unique_ptr<HiveKey> listing;
    HiveKey* from = FromHandle(parent, listing);
    if (!from) {
        return parent && RegistryKeyTraits::IsPredefinedKey(parent) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
    }
    const std::wstring path = subKey ? subKey : L"";
    size_t at = 0;
    std::unique_ptr<HiveKey> opened = NewKey();
    if (from->mount) {
        opened->mount = from->mount;
        opened->key = from->key;
    } else {
        // Below HKEY_LOCAL_MACHINE the first name is a mounted hive's.
        while (at < path.size() && path[at] == L'\\') {
            ++at;
        }
        if (at == path.size()) {
            *result = reinterpret_cast<HKEY>(listing ? listing.release() : MountListing());
            return ERROR_SUCCESS;
        }
        const size_t end = std::min(path.find(L'\\', at), path.size());
        opened->mount = FindMount(path.substr(at, end - at));
        if (!opened->mount) {
            return ERROR_FILE_NOT_FOUND;
        }
        opened->key = 0;
        at = end;
    }
    HiveKey* walking = from->mount ? from : opened.get();
    // The sub-key just enumerated is opened by its whole name first: in a damaged hive a name may be empty or
    // hold a backslash, and read as a path it would lead back to the parent (a walk without end) or elsewhere.
    const hive::KeyEntry* entry = from->mount ? &File(*from).Keys()[from->key] : nullptr;
    if (entry && from->lastEnumerated < entry->childCount) {
        const std::uint32_t child = File(*from).Children(*entry)[from->lastEnumerated];
        if (File(*from).KeyNameEquals(child, reinterpret_cast<const char16_t*>(path.c_str()), path.size())) {
            opened->key = child;
            at = path.size();
        }
    }
    while (at < path.size()) {
        if (path[at] == L'\\') {
            ++at;
            continue;
        }
        const size_t end = std::min(path.find(L'\\', at), path.size());
        std::uint32_t child = 0;
        if (!FindChild(*walking, path.c_str() + at, end - at, child)) {
            return ERROR_FILE_NOT_FOUND;
        }
        opened->key = child;
        opened->lastEnumerated = 0;
        walking = opened.get();
        at = end;
    }
    std::string error;
    if (!File(*opened).ReadKeyDetails(opened->key, opened->details, error)) {
        NoteProblem(*opened, error);
        return ERROR_BADDB;
    }
    *result = reinterpret_cast<HKEY>(opened.release());
    return ERROR_SUCCESS;
}

LONG WINAPI EnumKey(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPWSTR className,
                    LPDWORD classChars, PFILETIME written) {
    std::unique_ptr<HiveKey> listing;
    HiveKey* key = FromHandle(handle, listing);
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    if (!name || !nameChars) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!key->mount) {
        if (index >= key->mountNames.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        const std::wstring& mountName = key->mountNames[index];
        if (mountName.size() + 1 > *nameChars) {
            return ERROR_MORE_DATA;
        }
        std::memcpy(name, mountName.c_str(), (mountName.size() + 1) * sizeof(wchar_t));
        *nameChars = static_cast<DWORD>(mountName.size());
        if (classChars) {
            *classChars = 0;
        }
        const std::shared_ptr<const Mount> mount = FindMount(mountName);
        if (written && mount) {
            const std::uint64_t time = mount->file->KeyWritten(0);
            written->dwLowDateTime = static_cast<DWORD>(time);
            written->dwHighDateTime = static_cast<DWORD>(time >> 32);
        }
        return ERROR_SUCCESS;
    }
    const hive::HiveFile& file = File(*key);
    const hive::KeyEntry& entry = file.Keys()[key->key];
    if (index >= entry.childCount) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::uint32_t child = file.Children(entry)[index];
    const std::uint32_t chars = file.KeyNameChars(child);
    if (chars + 1 > *nameChars) {
        return ERROR_MORE_DATA;
    }
    file.CopyKeyName(child, reinterpret_cast<char16_t*>(name));
    name[chars] = L'\0';
    // A name holding a null character cannot be opened by name: the caller would open the parent again.
    if (std::wmemchr(name, L'\0', chars)) {
        return ERROR_BADDB; // the index has noted the damage
    }
    *nameChars = chars;
    key->lastEnumerated = index;
    if (classChars) {
        hive::KeyDetails details;
        std::string error;
        const std::u16string text = file.ReadKeyDetails(child, details, error) ? file.ClassName(details) : u"";
        if (className) {
            if (text.size() + 1 > *classChars) {
                return ERROR_MORE_DATA;
            }
            std::memcpy(className, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        }
        *classChars = static_cast<DWORD>(text.size());
    }
    if (written) {
        const std::uint64_t time = file.KeyWritten(child);
        written->dwLowDateTime = static_cast<DWORD>(time);
        written->dwHighDateTime = static_cast<DWORD>(time >> 32);
    }
    return ERROR_SUCCESS;
}

LONG WINAPI EnumValue(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPDWORD type, LPBYTE data,
                      LPDWORD dataBytes) {
    std::unique_ptr<HiveKey> listing;
    HiveKey* key = FromHandle(handle, listing);
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    if (!name || !nameChars) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!key->mount || index >= key->details.valueCount) {
        return ERROR_NO_MORE_ITEMS;
    }
    const hive::HiveFile& file = File(*key);
    hive::ValueHeader value;
    std::string error;
    if (!file.ReadValue(key->details, index, value, error)) {
        NoteProblem(*key, error);
        return ERROR_BADDB;
    }
    if (value.NameChars() + 1 > *nameChars) {
        return ERROR_MORE_DATA;
    }
    hive::HiveFile::CopyValueName(value, reinterpret_cast<char16_t*>(name));
    name[value.NameChars()] = L'\0';
    *nameChars = value.NameChars();
    if (type) {
        *type = value.type;
    }
    if (data && (!dataBytes || *dataBytes < value.dataBytes)) {
        if (dataBytes) {
            *dataBytes = value.dataBytes;
        }
        return ERROR_MORE_DATA;
    }
    if (data && !file.CopyValueData(value, data, error)) {
        NoteProblem(*key, error);
        return ERROR_BADDB;
    }
    if (dataBytes) {
        *dataBytes = value.dataBytes;
    }
    return ERROR_SUCCESS;
}

LONG WINAPI QueryInfo(HKEY handle, LPWSTR className, LPDWORD classChars, LPDWORD, LPDWORD subKeys,
                      LPDWORD maxSubKeyChars, LPDWORD maxClassChars, LPDWORD values, LPDWORD maxValueNameChars,
                      LPDWORD maxValueBytes, LPDWORD securityBytes, PFILETIME written) {
    std::unique_ptr<HiveKey> listing;
    HiveKey* key = FromHandle(handle, listing);
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    hive::KeyDetails details = key->details;
    std::u16string text;
    DWORD count = 0;
    if (key->mount) {
        count = File(*key).Keys()[key->key].childCount;
        text = File(*key).ClassName(details);
    } else {
        count = static_cast<DWORD>(key->mountNames.size());
        for (const std::wstring& mountName : key->mountNames) {
            details.maxSubkeyNameChars = std::max<std::uint32_t>(details.maxSubkeyNameChars,
                                                                 static_cast<std::uint32_t>(mountName.size()));
        }
    }
    if (classChars) {
        if (className) {
            if (text.size() + 1 > *classChars) {
                *classChars = static_cast<DWORD>(text.size());
                return ERROR_MORE_DATA;
            }
            std::memcpy(className, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        }
        *classChars = static_cast<DWORD>(text.size());
    }
    auto put = [](LPDWORD out, DWORD value) {
        if (out) {
            *out = value;
        }
    };
    put(subKeys, count);
    put(maxSubKeyChars, details.maxSubkeyNameChars);
    put(maxClassChars, details.maxSubkeyClassChars);
    put(values, details.valueCount);
    put(maxValueNameChars, details.maxValueNameChars);
    put(maxValueBytes, details.maxValueDataBytes);
    put(securityBytes, details.securityBytes);
    if (written) {
        written->dwLowDateTime = static_cast<DWORD>(details.lastWrite);
        written->dwHighDateTime = static_cast<DWORD>(details.lastWrite >> 32);
    }
    return ERROR_SUCCESS;
}

LONG WINAPI CloseKey(HKEY handle) {
    if (RegistryKeyTraits::IsPredefinedKey(handle)) {
        return ERROR_SUCCESS;
    }
    std::unique_ptr<HiveKey> listing;
    HiveKey* key = FromHandle(handle, listing);
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    key->tag = 0;
    delete key;
    return ERROR_SUCCESS;
}

// A hive file has no remote registry behind it.
LONG WINAPI Connect(LPCWSTR, HKEY, PHKEY) {
    return ERROR_BAD_NETPATH;
}

bool ReadFileBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes, DWORD& error) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (file.Get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.Get(), &size)) {
        error = GetLastError();
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > 0xFFFFFFFFull) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (read == 0) {
            bytes.resize(done); // the file shrank meanwhile
            break;
        }
        done += read;
    }
    return true;
}

std::wstring SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

} // namespace

const RegistryApi kHiveRegistry = {
    &OpenKey, &Connect, &EnumKey, &EnumValue, &QueryInfo, &CloseKey, &std::malloc, &std::free,
};

bool MountHive(const std::wstring& name, const std::wstring& path, std::wstring& error,
               std::vector<std::wstring>& warnings, const std::wstring& previous) {
    if (name.empty() || name.find(L'\\') != std::wstring::npos) {
        error = L"\"" + name + L"\" cannot name a hive: it must be one key name, without backslashes";
        return false;
    }
    const std::wstring key = Upper(name), replaced = Upper(previous);
    if (key != replaced && FindMount(name)) {
        error = L"a hive named \"" + name + L"\" is already open";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    DWORD readError = ERROR_SUCCESS;
    if (!ReadFileBytes(path, bytes, readError)) {
        error = L"cannot be read: " + SystemMessage(readError);
        return false;
    }
    std::string reason;
    auto mount = std::make_shared<Mount>();
    mount->name = name;
    mount->file = hive::HiveFile::Open(std::move(bytes), reason);
    if (!mount->file) {
        error = Widen(reason);
        return false;
    }
    for (const std::string& warning : mount->file->Warnings()) {
        warnings.push_back(Widen(warning));
    }
    // The name is checked again under the lock that mounts it (another thread may have taken it while the
    // file was read); the previous hive goes only as the new one comes.
    std::lock_guard<std::mutex> hold(mountsLock);
    if (key != replaced && mounts.contains(key)) {
        error = L"a hive named \"" + name + L"\" is already open";
        return false;
    }
    if (!previous.empty()) {
        mounts.erase(replaced);
    }
    mounts[key] = std::move(mount);
    return true;
}

void UnmountHive(const std::wstring& name) {
    std::lock_guard<std::mutex> hold(mountsLock);
    mounts.erase(Upper(name));
}

size_t HiveProblems(const std::wstring& name, std::vector<std::wstring>& texts) {
    std::shared_ptr<const Mount> mount = FindMount(name);
    if (!mount) {
        return 0;
    }
    for (const std::string& text : mount->file->Problems()) {
        texts.push_back(Widen(text));
    }
    return mount->file->ProblemCount();
}

std::wstring DefaultHiveName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
