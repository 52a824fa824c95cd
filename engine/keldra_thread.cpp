#include "engine/keldra_thread.h"

#include "engine/matchers.h"
#include "engine/registry_view.h"
#include "engine/snapshot_registry.h"
#include "engine/snapshot_shelf.h"
#include "base/settings.h"

#include <cstdarg>
#include <cwchar>
#include <new>

namespace {

bool ModeNeedsPattern(DWORD mode) {
    return mode != SM_ALL_ITEMS && mode != SM_INTEGER;
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text; ++text) {
        wide.push_back(static_cast<unsigned char>(*text));
    }
    return wide;
}

} // namespace

CKeldraThread::CKeldraThread() : matcher_(std::make_unique<SearchMatcher>()) {}

CKeldraThread::~CKeldraThread() {
    // The worker runs on this object's members: end it before they are destroyed.
    if (m_bStopOnDestroy) {
        Stop();
    }
}

bool CKeldraThread::SetLookIn(const std::wstring& lookInText, const std::wstring& computerName) {
    remoteComputer = computerName;
    return ParseKeyList(lookInText, lookIn);
}

bool CKeldraThread::SetExcludeKeys(const std::wstring& excludeText) {
    return ParseKeyList(excludeText, excludeKeys);
}

bool CKeldraThread::SetSearchString(const std::wstring& text, DWORD searchMode) {
    std::vector<std::wstring> prepared;
    std::uint64_t number = integerValue;
    if (!PrepareSearchText(text, searchMode, prepared, number)) {
        return false;
    }
    mode = searchMode;
    patterns = std::move(prepared);
    integerValue = number;
    return matcher_->Configure(mode, patterns.empty() ? std::wstring() : patterns.front(), integerValue, options);
}

void CKeldraThread::ApplyRequest(const SearchRequest& request) {
    remoteComputer = request.remoteComputer;
    lookIn = request.lookIn;
    excludeKeys = request.excludeKeys;
    keyTreeOn = request.keyTreeOn;
    mode = request.mode;
    options = request.options;
    typeMask = request.typeMask;
    patterns = request.patterns;
    integerValue = request.integerValue;
    modifiedAfterOn = request.modifiedAfterOn;
    modifiedBeforeOn = request.modifiedBeforeOn;
    modifiedAfter = request.modifiedAfter;
    modifiedBefore = request.modifiedBefore;
    lengthFilterOn = request.lengthFilterOn;
    minLength = request.minLength;
    maxLength = request.maxLength;
    resultLimit = request.resultLimit;
    matcher_->Configure(mode, patterns.empty() ? std::wstring() : patterns.front(), integerValue, options);
}

size_t CKeldraThread::ResultCount() {
    CriticalSectionLock hold(resultsLock);
    return results.size();
}

bool CKeldraThread::CopyResult(size_t index, SearchResult& out) {
    CriticalSectionLock hold(resultsLock);
    if (index >= results.size()) {
        return false;
    }
    out = results[index];
    return true;
}

void CKeldraThread::ReadResultLimit() {
    if (resultLimit) {
        stopLimit = *resultLimit;
        return;
    }
    stopLimit = 0;
    if (ReadSettingFlag(kStopSearchOnLimitSetting)) {
        stopLimit = ReadSetting(kStopLimitSetting);
        if (stopLimit > 0) {
            stopLimit = ClampSetting(kStopLimitSetting, stopLimit);
        }
    }
}

void CKeldraThread::LogProblem(const wchar_t* format, ...) {
    ++problems;
    wchar_t line[kLogLineCapacity];
    va_list arguments;
    va_start(arguments, format);
    // A line that does not fit is reported as an error; keep what was formatted, cut at the end.
    if (std::vswprintf(line, kLogLineCapacity, format, arguments) < 0) {
        line[kLogLineCapacity - 1] = L'\0';
    }
    va_end(arguments);
    (sharedLog ? *sharedLog : searchLog).LogWriteLine(line);
}

void CKeldraThread::LogRegistryView() {
    wchar_t line[kLogLineCapacity];
    if (remoteComputer.empty()) {
        std::swprintf(line, kLogLineCapacity, L"Registry view: %ls (native)", NativeViewName());
    } else {
        std::swprintf(line, kLogLineCapacity, L"Registry view on %ls: native", remoteComputer.c_str());
    }
    (sharedLog ? *sharedLog : searchLog).LogWriteLine(line);
}

void CKeldraThread::LogNote(const std::wstring& line) {
    (sharedLog ? *sharedLog : searchLog).LogWriteLine(line.substr(0, kLogLineCapacity - 1).c_str());
}

void CKeldraThread::PostToView(WPARAM code) {
    if (notifyWindow && IsWindow(notifyWindow)) {
        PostMessageW(notifyWindow, WM_SEARCH_NOTIFY, code, 0);
    }
}

DWORD CKeldraThread::Run() {
    keyTree.clear();
    if (!sharedLog) {
        searchLog.OpenLogFile(kSearchLogName);
    }
    PostToView(SN_STARTED);
    LogRegistryView();
    ReadResultLimit();
    InterlockedExchange(&keysSearched, 0);
    // The worker owns this bit: it follows the setting at every start, whatever an earlier search left.
    if (ReadSettingFlag(kUnicodeBinarySearchSetting)) {
        options |= SO_UNICODE_BINARY;
    } else {
        options &= ~SO_UNICODE_BINARY;
    }
    keyMatches = valueNameMatches = dataMatches = 0;
    problems = 0;
    connectError = ERROR_SUCCESS;
    {
        CriticalSectionLock hold(resultsLock);
        results.clear();
    }
    // Compiled again only if the request changed since SetSearchString (the case option, for one). A text
    // mode without a prepared pattern matches nothing.
    const bool usable = !patterns.empty() || !ModeNeedsPattern(mode);
    matcher_->Configure(usable ? mode : 0, patterns.empty() ? std::wstring() : patterns.front(), integerValue, options);
    std::vector<std::shared_ptr<RegistrySnapshot>> snapshots;
    bool taken = false;
    if (keepSnapshots && remoteComputer.empty() && registry == &kAdvapiRegistry) {
        std::wstring failure;
        snapshots = TheSnapshotShelf().Lend(
            lookIn, [this] { return IsStopSet(); }, failure, taken);
        if (!failure.empty()) {
            LogNote(L"Searched without a kept copy of " + failure);
        }
    }
    std::vector<const RegistrySnapshot*> reading;
    for (const std::shared_ptr<RegistrySnapshot>& snapshot : snapshots) {
        reading.push_back(snapshot.get());
    }
    std::optional<SnapshotReading> readingScope;
    searchedSnapshot = !snapshots.empty() && !taken;
    const RegistryApi* const liveRegistry = registry;
    if (!snapshots.empty()) {
        readingScope.emplace(reading);
        registry = &kSnapshotRegistry;
    }
    try {
        for (const KeyLocation& entry : lookIn) {
            walkPath_ = entry.subKeyText;
            while (!walkPath_.empty() && walkPath_.back() == L'\\') {
                walkPath_.pop_back();
            }
            SearchKey(entry.root, entry.subKey, entry);
        }
    } catch (const std::bad_alloc&) {
        LogProblem(L"Memory allocation error %ls", walkPath_.c_str());
    } catch (const std::exception& error) {
        LogProblem(L"Search error %ls: %ls", Widen(error.what()).c_str(), walkPath_.c_str());
    }
    registry = liveRegistry;
    PostToView(SN_FINISHED);
    searchLog.CloseLogFile();
    return 0;
}
