// The body of a search: the depth-first walk from each look-in location with its filters, the tests of
// key names and values, and the hand-over of each result. Runs on the worker thread only.
//
// The walk keeps its levels in an explicit stack rather than recursing, since registry keys nest up to 512
// levels. The visiting order is the recursive one: a key's values, then for each sub-key its name and
// then its whole sub-tree.
#include "engine/keldra_thread.h"

#include "engine/msg_queue.h"
#include "engine/registry_view.h"
#include "engine/result_markup.h"
#include "engine/value_match.h"

#include <cstdint>
#include <cwchar>

namespace {

// Each RegEnumKeyExW / RegEnumValueW call is given this many characters for the name, null included.
constexpr DWORD kNameCapacity = 260;

// An item that cannot be read (a name too long for the buffer, data grown since the key was queried) is
// skipped and the next index tried. Other errors concern the key itself (deleted meanwhile, connection
// lost) and would come back at every index: after this many in a row the key's enumeration is given up.
constexpr unsigned kMaxFailuresInARow = 16;

bool EnumerationGoesOn(LONG error, unsigned& failuresInARow) {
    if (error == ERROR_MORE_DATA) {
        return true;
    }
    return ++failuresInARow < kMaxFailuresInARow;
}

// The per-key value-data buffer, taken from and given back to the registry table's allocator.
class DataBlock {
public:
    DataBlock(const RegistryApi& api, size_t bytes) : api_(api), data_(static_cast<BYTE*>(api.allocate(bytes))) {}
    DataBlock(const DataBlock&) = delete;
    DataBlock& operator=(const DataBlock&) = delete;
    ~DataBlock() {
        if (data_) {
            api_.release(data_);
        }
    }
    BYTE* Get() const { return data_; }

private:
    const RegistryApi& api_;
    BYTE* data_;
};

} // namespace

// One open key of the walk and where its sub-key enumeration stands.
struct CKeldraThread::WalkLevel {
    ApiKey key;
    ApiKey connection; // the remote connection of a look-in location, when it is not the key itself
    size_t pathLength; // length of walkPath_ for this key
    DWORD nextIndex = 0;
    bool done = false;
    unsigned failuresInARow = 0;

    HKEY Handle() const { return key.Get() ? key.Get() : connection.Get(); }
};

void CKeldraThread::SearchKey(HKEY parent, const std::wstring& subKey, const KeyLocation& entry) {
    std::vector<WalkLevel> levels;
    if (!EnterKey(parent, subKey.c_str(), entry, true, levels)) {
        return;
    }
    wchar_t name[kNameCapacity];
    while (!levels.empty()) {
        WalkLevel& level = levels.back();
        walkPath_.resize(level.pathLength);
        if (level.done) {
            levels.pop_back(); // closes the key
            if (!levels.empty() && IsStopSet()) {
                levels.back().done = true;
            }
            continue;
        }
        DWORD nameLength = kNameCapacity;
        FILETIME written = {};
        LONG error = registry->enumKeyEx(level.Handle(), level.nextIndex++, name, &nameLength, nullptr, nullptr,
                                         nullptr, &written);
        if (error == ERROR_NO_MORE_ITEMS) {
            level.done = true;
            continue;
        }
        if (error != ERROR_SUCCESS) {
            LogProblem(L"RegEnumKeyEx error %lu: %ls", static_cast<unsigned long>(error), walkPath_.c_str());
            level.done = !EnumerationGoesOn(error, level.failuresInARow) || IsStopSet();
            continue;
        }
        level.failuresInARow = 0;
        if (LimitReached()) {
            level.done = true;
            continue;
        }
        // A sub-key outside the date range is neither matched nor entered: its whole sub-tree is skipped.
        if (!InDateRange(written)) {
            level.done = IsStopSet();
            continue;
        }
        const size_t parentLength = walkPath_.size();
        if (parentLength) {
            walkPath_ += L'\\';
        }
        walkPath_.append(name, nameLength);
        if (request_.options & SO_KEYS) {
            MatchKeyName(entry, std::wstring_view(name, nameLength), parentLength, written);
        }
        if (!EnterKey(level.Handle(), name, entry, false, levels)) {
            level.done = IsStopSet(); // nothing was pushed: level is still the top
        }
    }
}

bool CKeldraThread::EnterKey(HKEY parent, const wchar_t* subKey, const KeyLocation& entry, bool isTop,
                             std::vector<WalkLevel>& levels) {
    // An excluded key is not opened, not counted and nothing below it is searched.
    if (IsExcluded(entry) || IsStopSet()) {
        return false;
    }
    ApiKey connection(*registry);
    ApiKey key(*registry);
    HKEY opened = nullptr;
    LONG error = ERROR_SUCCESS;
    if (isTop && !request_.remoteComputer.empty()) {
        error = registry->connectRegistry(request_.remoteComputer.c_str(), entry.root, &opened);
        if (error != ERROR_SUCCESS && connectError_ == ERROR_SUCCESS) {
            connectError_ = error; // the view tells the user at once: nothing of that computer was searched
        }
        if (error == ERROR_SUCCESS) {
            connection.Attach(opened);
            opened = nullptr;
            if (*subKey) {
                error = registry->openKeyEx(connection.Get(), subKey, 0, KEY_READ | NativeViewAccess(), &opened);
            }
        }
    } else {
        error = registry->openKeyEx(parent, subKey, 0, KEY_READ | NativeViewAccess(), &opened);
    }
    if (error != ERROR_SUCCESS) {
        LogProblem(L"Unable to open key:%ls", walkPath_.c_str());
        return false;
    }
    key.Attach(opened);
    HKEY handle = key.Get() ? key.Get() : connection.Get();
    FlushAnnouncement(); // results found before a stretch without any are announced all the same
    SearchValues(handle, entry);
    store_.CountKeySearched();
    levels.push_back(WalkLevel{std::move(key), std::move(connection), walkPath_.size(), 0, IsStopSet(), 0});
    return true;
}

void CKeldraThread::SearchValues(HKEY key, const KeyLocation& entry) {
    DWORD longest = 0;
    FILETIME written = {};
    LONG error = registry->queryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        &longest, nullptr, &written);
    if (error != ERROR_SUCCESS) {
        LogProblem(L"RegQueryInfoKey error %lu: %ls", static_cast<unsigned long>(error), walkPath_.c_str());
        return;
    }
    if (!InDateRange(written)) {
        return;
    }
    DataBlock data(*registry, static_cast<size_t>(longest) + 2);
    if (!data.Get()) {
        LogProblem(L"Memory allocation error %ls", walkPath_.c_str());
        return;
    }
    wchar_t name[kNameCapacity];
    size_t appended = 0;
    unsigned failuresInARow = 0;
    for (DWORD index = 0; !IsStopSet(); ++index) {
        DWORD nameLength = kNameCapacity;
        DWORD type = 0;
        DWORD size = longest;
        error = registry->enumValue(key, index, name, &nameLength, nullptr, &type, data.Get(), &size);
        if (error == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (error != ERROR_SUCCESS) {
            LogProblem(L"RegEnumValue error %lu: %ls", static_cast<unsigned long>(error), walkPath_.c_str());
            if (!EnumerationGoesOn(error, failuresInARow)) {
                break;
            }
            continue;
        }
        failuresInARow = 0;
        if (request_.lengthFilterOn &&
            (size < request_.minLength || (request_.maxLength > 0 && size > request_.maxLength))) {
            continue;
        }
        if (!(request_.typeMask & (1u << (type % 32)))) {
            continue;
        }
        SearchResult record;
        const std::wstring_view valueName(name, nameLength);
        ValueVerdict verdict =
            EvaluateValue(*matcher_, request_.options, valueName, type, data.Get(), size, hexScratch_, record);
        if (verdict.matchFailed) {
            LogMatchFailure(valueName);
        }
        if (!verdict.nameMatched && !verdict.dataMatched) {
            continue;
        }
        // Counted before the limit test: the counters may exceed the records by one.
        store_.CountMatches(0, verdict.nameMatched ? 1 : 0, verdict.dataMatched ? 1 : 0);
        record.root = entry.root;
        record.ShareKeyPath(SharedWalkPath());
        record.lastWrite = written;
        const size_t resultIndex = store_.Append(std::move(record), request_.resultLimit);
        if (resultIndex == ResultsStore::kNoIndex) {
            break;
        }
        ++appended;
        Announce(resultIndex);
    }
    if (appended) {
        MarkKeyWithResults(entry);
    }
}

void CKeldraThread::MatchKeyName(const KeyLocation& entry, std::wstring_view name, size_t parentLength,
                                 const FILETIME& written) {
    MatchAnswer answer = matcher_->MatchText(name);
    if (answer.failed) {
        LogMatchFailure({});
    }
    if (!answer.found) {
        return;
    }
    SearchResult record;
    record.root = entry.root;
    record.ShareKeyPath(SharedWalkPath());
    record.kind = RK_KEY | RK_KEY_NAME;
    record.lastWrite = written;
    record.nameMark = {static_cast<std::uint32_t>(answer.position), static_cast<std::uint32_t>(answer.length), true};
    store_.CountMatches(1, 0, 0);
    const size_t resultIndex = store_.Append(std::move(record), 0);
    // A key directly below its hive root does not enter the key tree.
    if (parentLength > 0) {
        MarkKeyWithResults(entry);
    }
    Announce(resultIndex);
}

SharedText CKeldraThread::SharedWalkPath() {
    if (!sharedPath_ || *sharedPath_ != walkPath_) {
        sharedPath_ = std::make_shared<const std::wstring>(walkPath_);
    }
    return sharedPath_;
}

void CKeldraThread::LogMatchFailure(std::wstring_view valueName) {
    std::wstring item = walkPath_;
    if (!valueName.empty()) {
        item += L'\\';
        item += valueName;
    }
    std::wstring reason;
    for (char c : matcher_->LastFailure()) {
        reason.push_back(static_cast<unsigned char>(c));
    }
    LogProblem(L"Regular expression search failed (%ls): %ls", reason.c_str(), item.c_str());
}

bool CKeldraThread::IsExcluded(const KeyLocation& entry) const {
    for (const KeyLocation& excluded : request_.excludeKeys) {
        if (excluded.root == entry.root && _wcsicmp(excluded.subKey.c_str(), walkPath_.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

bool CKeldraThread::InDateRange(const FILETIME& time) const {
    if (request_.modifiedAfterOn && CompareFileTime(&time, &request_.modifiedAfter) < 0) {
        return false;
    }
    return !(request_.modifiedBeforeOn && CompareFileTime(&time, &request_.modifiedBefore) > 0);
}

void CKeldraThread::Announce(size_t index) {
    pendingAnnouncement_ = index;
    FlushAnnouncement();
}

void CKeldraThread::FlushAnnouncement() {
    // One record at a time waits in the queue, and at most one leaves every few milliseconds. The view lists
    // every result up to the index a record carries, so the results found meanwhile need no record of their
    // own: the next record, or the final sweep after SN_FINISHED, lists them. A record per result cost server
    // calls on both threads for every result, and the main thread's traffic slowed the walk itself.
    if (pendingAnnouncement_ == ResultsStore::kNoIndex || !request_.notifyWindow) {
        return;
    }
    const DWORD now = GetTickCount();
    if (now - lastAnnouncement_ < kAnnouncePeriodMs || MsgQueueWaiting() != 0) {
        return;
    }
    if (IsWindow(request_.notifyWindow)) {
        MsgQueuePost(request_.notifyWindow, pendingAnnouncement_);
    }
    pendingAnnouncement_ = ResultsStore::kNoIndex;
    lastAnnouncement_ = now;
}

void CKeldraThread::MarkKeyWithResults(const KeyLocation& entry) {
    if (request_.keyTreeOn) {
        store_.MarkKeyWithResults(entry.rootName + L"\\" + walkPath_);
    }
}
