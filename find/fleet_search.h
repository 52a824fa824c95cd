// Runs one search per computer, several at once, each on its own engine and worker, and waits for them: the
// console program has no window, so nothing is posted and results are read when the workers have ended.
//
// Threads: Run and the accessors on the calling (main) thread; StopAll from any thread (the console's Ctrl+C
// handler runs on a thread of its own).
#pragma once

#include "engine/keldra_thread.h"
#include "engine/registry_api.h"
#include "engine/search_request.h"
#include "base/log_file.h"
#include "base/win_handles.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct ComputerSearch {
    std::wstring name; // empty: this computer's registry, without a remote connection
    SearchRequest request;
    std::unique_ptr<CKeldraThread> engine;
    bool searched = false; // the worker ran to its end (or was stopped)
};

struct FleetProgress {
    size_t computersDone = 0;
    size_t computers = 0;
    unsigned long long keysSearched = 0;
    size_t results = 0;
};

class FleetSearch {
public:
    // log: the search log every engine writes its failures to (opened by the caller); registry: the
    // registry functions the engines call.
    FleetSearch(std::vector<ComputerSearch> computers, unsigned parallel, LogFile& log,
                const RegistryApi& registry = kAdvapiRegistry);
    FleetSearch(const FleetSearch&) = delete;
    FleetSearch& operator=(const FleetSearch&) = delete;

    // Searches every computer, at most `parallel` at once, in list order. While waiting, progress is called
    // about once per second (when given). Returns when every search has ended or StopAll was called and the
    // running ones have ended.
    void Run(const std::function<void(const FleetProgress&)>& progress = nullptr);
    // Ends the running searches and starts no more; the results found so far stay.
    void StopAll();
    bool Stopped();

    std::vector<ComputerSearch>& Computers() { return computers_; }
    FleetProgress Progress();

private:
    void StartNext(std::vector<size_t>& running);

    std::vector<ComputerSearch> computers_;
    unsigned parallel_;
    size_t next_ = 0;
    size_t done_ = 0;
    UniqueHandle stopEvent_;
    std::mutex lock_; // guards stopped_ and the engines' starts against StopAll
    bool stopped_ = false;
};
