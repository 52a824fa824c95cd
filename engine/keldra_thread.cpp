#include "engine/keldra_thread.h"

#include "shell/settings.h"

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
    PostToView(SN_FINISHED);
    searchLog.CloseLogFile();
    return 0;
}
