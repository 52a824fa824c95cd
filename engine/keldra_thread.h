// The search engine: the request the form fills in, the worker that carries it out and the output the
// view reads. The view owns one instance for its whole life and reuses it for every search.
//
// Threads: request members are written on the main thread while no worker runs (Stop comes first) and
// read by the worker. results grows on the worker inside resultsLock; keysSearched is bumped with an
// interlocked increment; the other counters and keyTree are read only after SN_FINISHED (the view then takes
// keyTree over for its key browser).
#pragma once

#include "engine/key_paths.h"
#include "engine/registry_api.h"
#include "engine/search_request.h"
#include "engine/search_types.h"
#include "engine/thread_helpers.h"
#include "base/log_file.h"
#include "base/win_handles.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SearchMatcher;

class CKeldraThread : public ThreadHelpers::CThreadImpl<CKeldraThread, ThreadHelpers::CThreadStopAtEvent> {
public:
    CKeldraThread();
    ~CKeldraThread() override;

    // Request (main thread, no worker running).
    bool SetLookIn(const std::wstring& lookInText, const std::wstring& computerName);
    bool SetExcludeKeys(const std::wstring& excludeText);
    // Prepares the search text for the mode (patterns or integerValue) and compiles it with the current
    // options. False when the text gives no usable pattern: empty, or an invalid regular expression. Options
    // changed afterwards are still honoured: the worker recompiles at its start if the case rule changed.
    bool SetSearchString(const std::wstring& text, DWORD searchMode);
    // Writes every request member from an accepted request (see BuildSearchRequest) and prepares the matcher.
    void ApplyRequest(const SearchRequest& request);

    // The worker's body; returns 0.
    DWORD Run();

    // Worker: records a full key path ("HKEY_...\a\b") with flag 2 and its ancestors with flag 1.
    void AddToKeyTree(const std::wstring& fullPath);

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
    // A result limit of the caller's own (0 = none) instead of the one in the settings.
    std::optional<DWORD> resultLimit;

    // Worker-owned: the result limit taken at each start (0 = none).
    DWORD stopLimit = 0;

    // Output. A deque grows in blocks: a search of a whole registry never needs one block for all its
    // results, nor a copy of them all whenever the store grows.
    std::deque<SearchResult> results;
    CriticalSection resultsLock;
    volatile LONG keysSearched = 0;
    DWORD keyMatches = 0;
    DWORD valueNameMatches = 0;
    DWORD dataMatches = 0;
    std::map<std::wstring, int> keyTree;
    LogFile searchLog;
    // Lines this search wrote to the search log: items that could not be opened or read, candidates the
    // expression engine gave up on. Read by the view after SN_FINISHED.
    DWORD problems = 0;
    // The error of the first remote connection that failed in this search; ERROR_SUCCESS when none did.
    LONG connectError = ERROR_SUCCESS;
    // Where the walk writes its problems: searchLog, opened anew by each search, unless the caller hands in an
    // open log of its own (engines searching side by side share one file; the log has its own lock).
    LogFile* sharedLog = nullptr;

    // The registry functions the walk calls; tests put in failures through their own table.
    const RegistryApi* registry = &kAdvapiRegistry;
    // Whether a local search runs over kept snapshots of its locations (snapshot_shelf.h), taking them when
    // they are missing; the search log tells when it cannot. Off for a program that searches once.
    bool keepSnapshots = false;
    // Whether the last search ran over snapshots kept from earlier searches; read after SN_FINISHED.
    bool searchedSnapshot = false;

    // Thread-safe reads for the main thread while a worker may be running.
    size_t ResultCount();
    bool CopyResult(size_t index, SearchResult& out);
    LONG KeysSearchedNow() { return InterlockedExchangeAdd(&keysSearched, 0); }

private:
    struct WalkLevel;

    void ReadResultLimit();
    // One line in the search log, or in sharedLog when one was handed in (wide strings are "%ls"), counted
    // in problems.
    void LogProblem(const wchar_t* format, ...);
    // The search log's first line: the registry view searched (not a problem, not counted).
    void LogRegistryView();
    // A line in the log that is not a problem (not counted).
    void LogNote(const std::wstring& line);
    void PostToView(WPARAM code);

    // The walk (worker only). walkPath_ holds the path below the root of the key being handled.
    void SearchKey(HKEY parent, const std::wstring& subKey, const KeyLocation& entry);
    bool EnterKey(HKEY parent, const wchar_t* subKey, const KeyLocation& entry, bool isTop,
                  std::vector<WalkLevel>& levels);
    void SearchValues(HKEY key, const KeyLocation& entry);
    void MatchKeyName(const KeyLocation& entry, std::wstring_view name, size_t parentLength, const FILETIME& written);
    bool IsExcluded(const KeyLocation& entry) const;
    bool InDateRange(const FILETIME& time) const;
    bool LimitReached() const { return stopLimit != 0 && results.size() >= stopLimit; }
    void Announce(size_t index);
    // Logs a candidate the expression engine gave up on: the key path, with the value's name for a value.
    void LogMatchFailure(std::wstring_view valueName);

    // walkPath_ as the results of one key share it: made anew when the walk has moved to another key.
    SharedText SharedWalkPath();

    std::unique_ptr<SearchMatcher> matcher_;
    std::wstring walkPath_;
    SharedText sharedPath_;
    std::wstring hexScratch_;
};
