#include "engine/registry_snapshot.h"

#include "engine/registry_view.h"
#include "base/settings.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;
// Names and data are kept in blocks of this size; a larger item gets a block of its own.
constexpr size_t kBlockBytes = 1 << 20;
// A key name has at most 255 characters, a value name at most 16,383.
constexpr DWORD kKeyNameCapacity = 256;
constexpr DWORD kValueNameCapacity = 16384;
constexpr DWORD kWatchFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_THREAD_AGNOSTIC;

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

} // namespace

// The blocks that hold names and data, and the table that finds a name already kept.
struct RegistrySnapshot::Store {
    std::vector<std::unique_ptr<BYTE[]>> blocks;
    BYTE* free = nullptr;
    size_t freeBytes = 0;
    size_t bytes = 0;
    std::vector<const wchar_t*> names; // open addressing; size a power of two
    size_t nameCount = 0;

    BYTE* Allocate(size_t size) {
        size = (size + 1) & ~size_t{1}; // names stay aligned for wchar_t
        if (size > kBlockBytes / 4) {
            blocks.push_back(std::make_unique<BYTE[]>(size));
            bytes += size;
            return blocks.back().get();
        }
        if (size > freeBytes) {
            blocks.push_back(std::make_unique<BYTE[]>(kBlockBytes));
            bytes += kBlockBytes;
            free = blocks.back().get();
            freeBytes = kBlockBytes;
        }
        BYTE* start = free;
        free += size;
        freeBytes -= size;
        return start;
    }

    const BYTE* Data(const BYTE* data, DWORD size) {
        if (size == 0) {
            return nullptr;
        }
        BYTE* copy = Allocate(size);
        std::memcpy(copy, data, size);
        return copy;
    }

    static size_t Hash(std::wstring_view text) {
        size_t hash = 2166136261u;
        for (wchar_t c : text) {
            hash = (hash ^ static_cast<size_t>(c)) * 16777619u;
        }
        return hash;
    }

    // The kept copy of text: its length in the first character, then the text and a null.
    const wchar_t* Name(std::wstring_view text) {
        if (nameCount * 2 >= names.size()) {
            Grow();
        }
        const size_t mask = names.size() - 1;
        for (size_t slot = Hash(text) & mask;; slot = (slot + 1) & mask) {
            const wchar_t* kept = names[slot];
            if (!kept) {
                wchar_t* copy = reinterpret_cast<wchar_t*>(Allocate((text.size() + 2) * sizeof(wchar_t)));
                copy[0] = static_cast<wchar_t>(text.size());
                std::wmemcpy(copy + 1, text.data(), text.size());
                copy[text.size() + 1] = L'\0';
                names[slot] = copy;
                ++nameCount;
                return copy;
            }
            if (NameOf(kept) == text) {
                return kept;
            }
        }
    }

    void Grow() {
        std::vector<const wchar_t*> old(names.size() ? names.size() * 2 : 1024, nullptr);
        old.swap(names);
        const size_t mask = names.size() - 1;
        for (const wchar_t* kept : old) {
            if (kept) {
                size_t slot = Hash(NameOf(kept)) & mask;
                while (names[slot]) {
                    slot = (slot + 1) & mask;
                }
                names[slot] = kept;
            }
        }
    }

    size_t Bytes() const { return bytes + names.capacity() * sizeof(const wchar_t*); }
};

// One read of the tree into new records, taking the values of keys whose time has not moved from the
// previous copy.
class RegistrySnapshot::Builder {
public:
    Builder(const RegistrySnapshot* previous, size_t budgetBytes, const std::wstring& path,
            const std::function<bool()>& stop)
        : previous_(previous), budget_(budgetBytes), path_(path), stop_(stop), store_(std::make_unique<Store>()),
          valueName_(kValueNameCapacity) {}

    bool ReadTop(HKEY handle, std::wstring& failure) {
        keys_.push_back(Key{store_->Name({}), {}, 0, 0, 0, 0, 0, 0, 0, ERROR_SUCCESS});
        keyPath_ = path_;
        const bool read = ReadTree(handle, 0, previous_ ? 0 : kNone);
        failure = failure_;
        return read;
    }

    void MoveInto(RegistrySnapshot& snapshot) {
        snapshot.keys_ = std::move(keys_);
        snapshot.values_ = std::move(values_);
        snapshot.store_ = std::move(store_);
        std::sort(unread_.begin(), unread_.end());
        snapshot.unread_ = std::move(unread_);
        snapshot.keysRead_ = keysRead_;
    }

private:
    size_t Bytes() const {
        return keys_.capacity() * sizeof(Key) + values_.capacity() * sizeof(Value) + store_->Bytes();
    }

    bool Fail(std::wstring text) {
        failure_ = std::move(text);
        return false;
    }

    enum class Read { kDone, kUnreadable, kFailed };

    // The key at index could not be read: it keeps its name and time, and nothing of what it held.
    void KeepUnread(std::uint32_t index) {
        Key& key = keys_[index];
        values_.resize(key.firstValue);
        key.valueCount = 0;
        key.childCount = 0;
        key.longestChildName = 0;
        key.longestValueName = 0;
        key.longestData = 0;
        unread_.emplace_back(index, keyPath_);
    }

    bool WasUnread(std::uint32_t old) const { return old != kNone && previous_->UnreadPath(old); }

    // Reads the values and sub-keys of the open key at index, and below them; keyPath_ is its path. old is
    // the same key in the previous copy, or kNone. False when the whole read must stop.
    bool ReadTree(HKEY handle, std::uint32_t index, std::uint32_t old) {
        keys_[index].firstValue = static_cast<std::uint32_t>(values_.size());
        const Read values = ReadValues(handle, index, old);
        if (values == Read::kFailed) {
            return false;
        }
        if (values == Read::kUnreadable) {
            KeepUnread(index);
            return true;
        }
        if (Bytes() > budget_) {
            return Fail(L"over the memory budget");
        }
        if (stop_ && stop_()) {
            return Fail(L"stopped");
        }
        const std::uint32_t first = static_cast<std::uint32_t>(keys_.size());
        std::uint32_t longestName = 0;
        wchar_t name[kKeyNameCapacity];
        for (DWORD i = 0;; ++i) {
            DWORD length = kKeyNameCapacity;
            FILETIME written = {};
            LONG error = RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, &written);
            if (error == ERROR_NO_MORE_ITEMS) {
                break;
            }
            if (error != ERROR_SUCCESS) {
                keys_.resize(first);
                KeepUnread(index);
                return true;
            }
            longestName = std::max<std::uint32_t>(longestName, length);
            keys_.push_back(Key{store_->Name({name, length}), written, 0, 0, 0, 0, 0, 0, 0, ERROR_SUCCESS});
        }
        const std::uint32_t count = static_cast<std::uint32_t>(keys_.size()) - first;
        keys_[index].firstChild = first;
        keys_[index].childCount = count;
        keys_[index].longestChildName = longestName;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t child = first + i;
            const std::uint32_t oldChild =
                old == kNone ? kNone : previous_->FindChild(old, NameOf(keys_[child].name), i);
            if (oldChild != kNone) {
                const Key& was = previous_->keys_[oldChild];
                // An unchanged key without sub-keys is not opened at all.
                if (SameTime(was.written, keys_[child].written) && was.childCount == 0 &&
                    was.openError == ERROR_SUCCESS && !WasUnread(oldChild)) {
                    keys_[child].longestValueName = was.longestValueName;
                    keys_[child].longestData = was.longestData;
                    CopyValues(child, oldChild);
                    continue;
                }
            }
            HKEY opened = nullptr;
            const LONG error = RegOpenKeyExW(handle, ChildName(child), 0, KEY_READ | NativeViewAccess(), &opened);
            if (error != ERROR_SUCCESS) {
                keys_[child].openError = error;
                continue;
            }
            KeyHandle key(opened);
            const size_t pathLength = keyPath_.size();
            if (pathLength) {
                keyPath_ += L'\\';
            }
            keyPath_ += NameOf(keys_[child].name);
            if (!ReadTree(key.Get(), child, oldChild)) {
                return false;
            }
            keyPath_.resize(pathLength);
        }
        return true;
    }

    const wchar_t* ChildName(std::uint32_t index) const { return keys_[index].name + 1; }

    Read ReadValues(HKEY handle, std::uint32_t index, std::uint32_t old) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD longestName = 0;
            DWORD longestData = 0;
            FILETIME written = {};
            LONG error = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          &longestName, &longestData, nullptr, &written);
            if (error != ERROR_SUCCESS) {
                return Read::kUnreadable;
            }
            Key& key = keys_[index];
            key.written = written;
            key.longestValueName = longestName;
            key.longestData = longestData;
            if (old != kNone && SameTime(previous_->keys_[old].written, written) && !WasUnread(old)) {
                CopyValues(index, old);
                return Read::kDone;
            }
            ++keysRead_;
            key.firstValue = static_cast<std::uint32_t>(values_.size());
            key.valueCount = 0;
            if (data_.size() < longestData) {
                data_.resize(longestData);
            }
            for (DWORD i = 0;; ++i) {
                DWORD nameLength = kValueNameCapacity;
                DWORD type = 0;
                DWORD size = longestData;
                error = RegEnumValueW(handle, i, valueName_.data(), &nameLength, nullptr, &type, data_.data(), &size);
                if (error == ERROR_NO_MORE_ITEMS) {
                    return Read::kDone;
                }
                if (error == ERROR_MORE_DATA) {
                    break; // data grown since the query: read the key's values again
                }
                if (error != ERROR_SUCCESS) {
                    return Read::kUnreadable;
                }
                values_.push_back(
                    Value{store_->Name({valueName_.data(), nameLength}), store_->Data(data_.data(), size), type, size});
                ++keys_[index].valueCount;
            }
            values_.resize(keys_[index].firstValue);
        }
        Fail(L"values changing while read: " + PathOf(index));
        return Read::kFailed;
    }

    void CopyValues(std::uint32_t index, std::uint32_t old) {
        const Key& was = previous_->keys_[old];
        keys_[index].firstValue = static_cast<std::uint32_t>(values_.size());
        keys_[index].valueCount = was.valueCount;
        for (std::uint32_t i = 0; i < was.valueCount; ++i) {
            const Value& value = previous_->values_[was.firstValue + i];
            values_.push_back(
                Value{store_->Name(NameOf(value.name)), store_->Data(value.data, value.size), value.type, value.size});
        }
    }

    // For messages: the location's path; the key's own name is enough to find the trouble.
    std::wstring PathOf(std::uint32_t index) const {
        return index == 0 ? path_ : path_ + L"\\...\\" + std::wstring(NameOf(keys_[index].name));
    }

    const RegistrySnapshot* previous_;
    size_t budget_;
    const std::wstring& path_;
    const std::function<bool()>& stop_;
    std::vector<Key> keys_;
    std::vector<Value> values_;
    std::unique_ptr<Store> store_;
    std::vector<wchar_t> valueName_;
    std::vector<BYTE> data_;
    size_t keysRead_ = 0;
    std::wstring keyPath_; // of the key being read, below the root
    std::vector<std::pair<std::uint32_t, std::wstring>> unread_;
    std::wstring failure_;
};

RegistrySnapshot::RegistrySnapshot(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {}

RegistrySnapshot::~RegistrySnapshot() = default;

std::unique_ptr<RegistrySnapshot> RegistrySnapshot::Take(HKEY root, const std::wstring& path, size_t budgetBytes,
                                                         std::wstring& failure, const std::function<bool()>& stop) {
    std::unique_ptr<RegistrySnapshot> snapshot(new RegistrySnapshot(root, path));
    snapshot->budget_ = budgetBytes;
    if (!snapshot->Arm()) {
        failure = snapshot->watched_ ? L"the location cannot be watched for changes" : L"";
        return nullptr;
    }
    if (!snapshot->Read(nullptr, budgetBytes, failure, stop)) {
        return nullptr;
    }
    return snapshot;
}

bool RegistrySnapshot::Arm() {
    if (!watched_ && RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | KEY_NOTIFY | NativeViewAccess(),
                                   watched_.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    if (!changed_) {
        changed_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!changed_) {
            return false;
        }
    }
    ResetEvent(changed_.Get());
    return RegNotifyChangeKeyValue(watched_.Get(), TRUE, kWatchFilter, changed_.Get(), TRUE) == ERROR_SUCCESS;
}

bool RegistrySnapshot::Read(const RegistrySnapshot* previous, size_t budgetBytes, std::wstring& failure,
                            const std::function<bool()>& stop) {
    Builder builder(previous, budgetBytes, path_, stop);
    if (!builder.ReadTop(watched_.Get(), failure)) {
        return false;
    }
    builder.MoveInto(*this);
    return true;
}

bool RegistrySnapshot::IsChanged() const {
    return WaitForSingleObject(changed_.Get(), 0) != WAIT_TIMEOUT;
}

bool RegistrySnapshot::Refresh(std::wstring& failure, const std::function<bool()>& stop) {
    if (!IsChanged()) {
        return true;
    }
    // Armed again before reading: what changes during the read is notified anew.
    if (!Arm()) {
        failure = L"the location cannot be watched for changes";
        return false;
    }
    if (!Read(this, budget_, failure, stop)) {
        SetEvent(changed_.Get()); // the copy is as old as before
        return false;
    }
    return true;
}

std::uint32_t RegistrySnapshot::FindChild(std::uint32_t parent, std::wstring_view name, std::uint32_t hint) const {
    const Key& key = keys_[parent];
    for (std::uint32_t tried = 0; tried < key.childCount; ++tried) {
        const std::uint32_t i = (hint + tried) % key.childCount;
        const std::wstring_view candidate = NameOf(keys_[key.firstChild + i].name);
        if (candidate.size() == name.size() &&
            CompareStringOrdinal(candidate.data(), static_cast<int>(candidate.size()), name.data(),
                                 static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
            return key.firstChild + i;
        }
    }
    return kNone;
}

const std::wstring* RegistrySnapshot::UnreadPath(std::uint32_t index) const {
    if (unread_.empty()) {
        return nullptr;
    }
    const auto found = std::lower_bound(unread_.begin(), unread_.end(), index,
                                        [](const auto& entry, std::uint32_t wanted) { return entry.first < wanted; });
    return found != unread_.end() && found->first == index ? &found->second : nullptr;
}

size_t RegistrySnapshot::Bytes() const {
    size_t bytes = keys_.capacity() * sizeof(Key) + values_.capacity() * sizeof(Value) + (store_ ? store_->Bytes() : 0);
    for (const auto& [index, path] : unread_) {
        bytes += sizeof(index) + (path.capacity() + 1) * sizeof(wchar_t);
    }
    return bytes;
}

size_t SnapshotBudgetBytes() {
    return static_cast<size_t>(ClampSetting(kSnapshotBudgetSetting, ReadSetting(kSnapshotBudgetSetting))) << 20;
}
