// The search engine: the request the form fills in, the worker that carries it out and the output the
// view reads. The view owns one instance for its whole life and reuses it for every search.
//
// Threads: request members are written on the main thread while no worker runs (Stop comes first) and
// read by the worker. results grows on the worker inside resultsLock; keysSearched is bumped with an
// interlocked increment; the other counters and keyTree are read only after SN_FINISHED.
#pragma once

#include "engine/key_paths.h"
#include "engine/search_types.h"
#include "engine/thread_helpers.h"
#include "shell/log_file.h"
#include "shell/win_handles.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CKeldraThread : public ThreadHelpers::CThreadImpl<CKeldraThread, ThreadHelpers::CThreadStopAtEvent> {
public:
    CKeldraThread() = default;
    ~CKeldraThread() override;

    // Request (main thread, no worker running).
    bool SetLookIn(const std::wstring& lookInText, const std::wstring& computerName);
    bool SetExcludeKeys(const std::wstring& excludeText);

    // The worker's body; returns 0.
    DWORD Run();

    DWORD mode = SM_FIND_STRING;
    DWORD options = SO_LOOK_AT_MASK;
    DWORD typeMask = 0xFFFFFFFF;
    HWND notifyWindow = nullptr;
    BOOL lengthFilterOn = FALSE;
    DWORD minLength = 0;
    DWORD maxLength = 0;
    BOOL modifiedAfterOn = FALSE;
    BOOL modifiedBeforeOn = FALSE;
    FILETIME modifiedAfter = {};
    FILETIME modifiedBefore = {};
    BOOL keyTreeOn = FALSE;
    std::vector<KeyLocation> lookIn;
    std::vector<KeyLocation> excludeKeys;
    std::wstring remoteComputer;
    std::vector<std::wstring> patterns;
    std::uint64_t integerValue = 0;

    // Worker-owned: the result limit read from the settings at each start (0 = none).
    DWORD stopLimit = 0;

    // Output.
    std::vector<SearchResult> results;
    CriticalSection resultsLock;
    volatile LONG keysSearched = 0;
    DWORD keyMatches = 0;
    DWORD valueNameMatches = 0;
    DWORD dataMatches = 0;
    std::map<std::wstring, int> keyTree;
    LogFile searchLog;

    // Thread-safe reads for the main thread while a worker may be running.
    size_t ResultCount();
    bool CopyResult(size_t index, SearchResult& out);
    LONG KeysSearchedNow() { return InterlockedExchangeAdd(&keysSearched, 0); }

private:
    void ReadResultLimit();
    void PostToView(WPARAM code);
};
