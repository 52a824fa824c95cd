// The search worker. Start hands it a request (a value: the worker reads nothing else) and it walks the
// registry source the request names, appending what matches to its results store and announcing each new
// result to the request's window. The view owns one instance for its whole life and reuses it for every
// search; the console program runs one per computer.
//
// Threads: Start and Stop on the owning thread; the request is not touched by anyone while a worker runs.
// Everything the worker finds is read through Results(), which takes its own lock.
#pragma once

#include "engine/key_paths.h"
#include "engine/registry_api.h"
#include "engine/results_store.h"
#include "engine/search_request.h"
#include "engine/search_types.h"
#include "engine/thread_helpers.h"
#include "base/log_file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SearchMatcher;

class CKeldraThread : public ThreadHelpers::CThreadImpl<CKeldraThread, ThreadHelpers::CThreadStopAtEvent> {
public:
    CKeldraThread();
    ~CKeldraThread() override;

    // Ends any earlier worker, then starts one on the request. False when the worker could not start; the
    // results of the last search then stay as they were.
    bool Start(SearchRequest request);

    // The worker's body; returns 0.
    DWORD Run();
    // Searches the request on the calling thread, without a worker (none may be running); returns 0.
    DWORD RunHere(SearchRequest request);

    // The request of the current or last search.
    const SearchRequest& Request() const { return request_; }
    // What the current or last search found.
    ResultsStore& Results() { return store_; }
    const ResultsStore& Results() const { return store_; }

    // Read once the worker has ended:
    // lines this search wrote to the search log (items that could not be opened or read, candidates the
    // expression engine gave up on);
    DWORD Problems() const { return problems_; }
    // the error of the first remote connection that failed; ERROR_SUCCESS when none did;
    LONG ConnectError() const { return connectError_; }
    // whether the search ran over snapshots kept from earlier searches.
    bool SearchedSnapshot() const { return searchedSnapshot_; }

private:
    struct WalkLevel;

    // One line in the search log, or in the request's shared log when it names one (wide strings are "%ls"),
    // counted in problems.
    void LogProblem(const wchar_t* format, ...);
    // The search log's first line: the registry view searched (not a problem, not counted).
    void LogRegistryView();
    // A line in the log that is not a problem (not counted).
    void LogNote(const std::wstring& line);
    LogFile& Log() { return request_.sharedLog ? *request_.sharedLog : searchLog_; }
    void PostToView(WPARAM code);

    // The walk (worker only). walkPath_ holds the path below the root of the key being handled.
    void SearchKey(HKEY parent, const std::wstring& subKey, const KeyLocation& entry);
    bool EnterKey(HKEY parent, const wchar_t* subKey, const KeyLocation& entry, bool isTop,
                  std::vector<WalkLevel>& levels);
    void SearchValues(HKEY key, const KeyLocation& entry);
    void MatchKeyName(const KeyLocation& entry, std::wstring_view name, size_t parentLength, const FILETIME& written);
    bool IsExcluded(const KeyLocation& entry) const;
    bool InDateRange(const FILETIME& time) const;
    bool LimitReached() const { return store_.Full(request_.resultLimit); }
    // Hands the view the newest result index through the delivery queue, or keeps it for FlushAnnouncement.
    void Announce(size_t index);
    void FlushAnnouncement();
    void MarkKeyWithResults(const KeyLocation& entry);
    // Logs a candidate the expression engine gave up on: the key path, with the value's name for a value.
    void LogMatchFailure(std::wstring_view valueName);

    // walkPath_ as the results of one key share it: made anew when the walk has moved to another key.
    SharedText SharedWalkPath();

    static constexpr DWORD kAnnouncePeriodMs = 10;
    size_t pendingAnnouncement_ = ResultsStore::kNoIndex; // the newest result not yet announced
    DWORD lastAnnouncement_ = 0;

    SearchRequest request_;
    ResultsStore store_;
    LogFile searchLog_;
    DWORD problems_ = 0;
    LONG connectError_ = ERROR_SUCCESS;
    bool searchedSnapshot_ = false;

    const RegistryApi* registry = &kAdvapiRegistry; // the request's table, for the walk
    SearchMatcher* matcher_ = nullptr;              // the request's matcher, for the walk
    std::unique_ptr<SearchMatcher> noMatch_;        // for a request without a pattern: matches nothing
    std::wstring walkPath_;
    SharedText sharedPath_;
    std::wstring hexScratch_;
};
