#include "engine/keldra_thread.h"

#include "engine/matchers.h"
#include "base/settings.h"

#include <new>

namespace {

bool ModeNeedsPattern(DWORD mode) { return mode != SM_ALL_ITEMS && mode != SM_INTEGER; }

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text; ++text) {
        wide.push_back(static_cast<unsigned char>(*text));
    }
    return wide;
}

} // namespace

// The regular-expression search recurses once per character of the candidate; the reservation is address
// space only, pages are committed as the stack grows.
CKeldraThread::CKeldraThread() : matcher_(std::make_unique<SearchMatcher>()) { m_stackReserve = kRegexStackReserve; }

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

bool CKeldraThread::SetExcludeKeys(const std::wstring& excludeText) { return ParseKeyList(excludeText, excludeKeys); }

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
    stopLimit = 0;
    if (ReadSettingDword(kSettingsSubKey, kStopSearchOnLimit, 1) != 0) {
        stopLimit = ReadSettingDword(kSettingsSubKey, kStopLimit, 10000);
        if (stopLimit > 0 && stopLimit < 100) {
            stopLimit = 100;
        }
    }
}

void CKeldraThread::PostToView(WPARAM code) {
    if (notifyWindow && IsWindow(notifyWindow)) {
        PostMessageW(notifyWindow, WM_SEARCH_NOTIFY, code, 0);
    }
}

DWORD CKeldraThread::Run() {
    keyTree.clear();
    searchLog.OpenLogFile(kSearchLogName);
    PostToView(SN_STARTED);
    ReadResultLimit();
    InterlockedExchange(&keysSearched, 0);
    // The worker owns this bit: it follows the setting at every start, whatever an earlier search left.
    if (ReadSettingDword(kSettingsSubKey, kUnicodeBinarySearch, 1) != 0) {
        options |= SO_UNICODE_BINARY;
    } else {
        options &= ~SO_UNICODE_BINARY;
    }
    keyMatches = valueNameMatches = dataMatches = 0;
    {
        CriticalSectionLock hold(resultsLock);
        results.clear();
    }
    // Compiled again only if the request changed since SetSearchString (the case option, for one). A text
    // mode without a prepared pattern matches nothing.
    const bool usable = !patterns.empty() || !ModeNeedsPattern(mode);
    matcher_->Configure(usable ? mode : 0, patterns.empty() ? std::wstring() : patterns.front(), integerValue,
                       options);
    try {
        for (const KeyLocation& entry : lookIn) {
            walkPath_ = entry.subKeyText;
            while (!walkPath_.empty() && walkPath_.back() == L'\\') {
                walkPath_.pop_back();
            }
            SearchKey(entry.root, entry.subKey, entry);
        }
    } catch (const std::bad_alloc&) {
        searchLog.LogPrintf(L"Memory allocation error %ls", walkPath_.c_str());
    } catch (const std::exception& error) {
        searchLog.LogPrintf(L"Search error %ls: %ls", Widen(error.what()).c_str(), walkPath_.c_str());
    }
    PostToView(SN_FINISHED);
    searchLog.CloseLogFile();
    return 0;
}
