#include "find/fleet_search.h"

#include <algorithm>

namespace {

constexpr DWORD kProgressPeriodMs = 1000;

} // namespace

FleetSearch::FleetSearch(std::vector<ComputerSearch> computers, unsigned parallel, LogFile& log,
                         const RegistryApi& registry)
    : computers_(std::move(computers)), parallel_(std::clamp<unsigned>(parallel, 1, MAXIMUM_WAIT_OBJECTS - 1)),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    for (ComputerSearch& computer : computers_) {
        computer.engine = std::make_unique<CKeldraThread>();
        computer.request.registry = &registry;
        computer.request.sharedLog = &log;
    }
}

void FleetSearch::StartNext(std::vector<size_t>& running) {
    std::lock_guard<std::mutex> hold(lock_);
    while (!stopped_ && next_ < computers_.size() && running.size() < parallel_) {
        const size_t index = next_++;
        if (computers_[index].engine->Start(computers_[index].request)) {
            running.push_back(index);
        } else {
            ++done_; // a worker that cannot start searches nothing
        }
    }
}

void FleetSearch::Run(const std::function<void(const FleetProgress&)>& progress) {
    std::vector<size_t> running;
    StartNext(running);
    DWORD lastProgress = GetTickCount();
    while (!running.empty()) {
        std::vector<HANDLE> handles;
        for (size_t index : running) {
            handles.push_back(computers_[index].engine->GetHandle());
        }
        handles.push_back(stopEvent_.Get());
        const DWORD now = GetTickCount();
        const DWORD wait = progress ? kProgressPeriodMs - std::min(now - lastProgress, kProgressPeriodMs) : INFINITE;
        const DWORD signalled = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, wait);
        if (signalled == WAIT_TIMEOUT || GetTickCount() - lastProgress >= kProgressPeriodMs) {
            if (progress) {
                progress(Progress());
            }
            lastProgress = GetTickCount();
        }
        if (signalled >= WAIT_OBJECT_0 && signalled < WAIT_OBJECT_0 + running.size()) {
            const size_t index = running[signalled - WAIT_OBJECT_0];
            running.erase(running.begin() + (signalled - WAIT_OBJECT_0));
            computers_[index].engine->Stop(); // the worker has ended: this only closes its handle
            computers_[index].searched = true;
            {
                std::lock_guard<std::mutex> hold(lock_);
                ++done_;
            }
            StartNext(running);
        } else if (signalled == WAIT_OBJECT_0 + running.size()) {
            // Stopped: every running worker has its stop event set and ends within one registry call.
            for (size_t index : running) {
                computers_[index].engine->Stop();
                computers_[index].searched = true;
            }
            running.clear();
        } else if (signalled == WAIT_FAILED) {
            for (size_t index : running) {
                computers_[index].engine->Stop();
            }
            running.clear();
        }
    }
}

void FleetSearch::StopAll() {
    std::lock_guard<std::mutex> hold(lock_);
    stopped_ = true;
    // Only the workers' stop flags are touched here; the main thread waits for the workers and closes their
    // handles. An engine not started yet never starts now.
    for (ComputerSearch& computer : computers_) {
        computer.engine->SetStopEvent();
    }
    SetEvent(stopEvent_.Get());
}

bool FleetSearch::Stopped() {
    std::lock_guard<std::mutex> hold(lock_);
    return stopped_;
}

FleetProgress FleetSearch::Progress() {
    FleetProgress progress;
    progress.computers = computers_.size();
    {
        std::lock_guard<std::mutex> hold(lock_);
        progress.computersDone = done_;
    }
    for (ComputerSearch& computer : computers_) {
        const ResultsStore& store = computer.engine->Results();
        progress.keysSearched += static_cast<unsigned long>(store.KeysSearched());
        progress.results += store.Count();
    }
    return progress;
}
