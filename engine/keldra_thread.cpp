#include "engine/keldra_thread.h"

#include "engine/matchers.h"
#include "engine/registry_view.h"
#include "engine/snapshot_registry.h"
#include "engine/snapshot_shelf.h"

#include <cstdarg>
#include <cwchar>
#include <new>
#include <optional>

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

CKeldraThread::CKeldraThread() = default;

CKeldraThread::~CKeldraThread() {
    // The worker runs on this object's members: end it before they are destroyed.
    if (m_bStopOnDestroy) {
        Stop();
    }
}

DWORD CKeldraThread::RunHere(SearchRequest request) {
    request_ = std::move(request);
    return Run();
}

bool CKeldraThread::Start(SearchRequest request) {
    Stop();
    request_ = std::move(request);
    return CThreadImpl::Start();
}

void CKeldraThread::LogProblem(const wchar_t* format, ...) {
    ++problems_;
    wchar_t line[kLogLineCapacity];
    va_list arguments;
    va_start(arguments, format);
    // A line that does not fit is reported as an error; keep what was formatted, cut at the end.
    if (std::vswprintf(line, kLogLineCapacity, format, arguments) < 0) {
        line[kLogLineCapacity - 1] = L'\0';
    }
    va_end(arguments);
    Log().LogWriteLine(line);
}

void CKeldraThread::LogRegistryView() {
    wchar_t line[kLogLineCapacity];
    if (request_.remoteComputer.empty()) {
        std::swprintf(line, kLogLineCapacity, L"Registry view: %ls (native)", NativeViewName());
    } else {
        std::swprintf(line, kLogLineCapacity, L"Registry view on %ls: native", request_.remoteComputer.c_str());
    }
    Log().LogWriteLine(line);
}

void CKeldraThread::LogNote(const std::wstring& line) {
    Log().LogWriteLine(line.substr(0, kLogLineCapacity - 1).c_str());
}

void CKeldraThread::PostToView(WPARAM code) {
    if (request_.notifyWindow && IsWindow(request_.notifyWindow)) {
        PostMessageW(request_.notifyWindow, WM_SEARCH_NOTIFY, code, 0);
    }
}

DWORD CKeldraThread::Run() {
    ResultsOrigin origin;
    origin.computer = request_.remoteComputer;
    origin.lookIn = request_.lookIn;
    origin.registryView = request_.remoteComputer.empty() ? NativeViewName() : L"native";
    origin.source = request_.sourceDescription;
    origin.registry = request_.registry ? request_.registry : &kAdvapiRegistry;
    store_.Begin(std::move(origin));
    problems_ = 0;
    connectError_ = ERROR_SUCCESS;
    pendingAnnouncement_ = ResultsStore::kNoIndex;
    lastAnnouncement_ = GetTickCount() - kAnnouncePeriodMs;
    registry = request_.registry ? request_.registry : &kAdvapiRegistry;
    // A request without a usable pattern matches nothing. The matcher recompiles only if the request's mode,
    // pattern or case rule differ from those it was compiled with.
    const bool usable = request_.matcher && (!request_.patterns.empty() || !ModeNeedsPattern(request_.mode));
    if (usable) {
        matcher_ = request_.matcher.get();
        matcher_->Configure(request_.mode, request_.patterns.empty() ? std::wstring() : request_.patterns.front(),
                            request_.integerValue, request_.options);
    } else {
        noMatch_ = std::make_unique<SearchMatcher>();
        noMatch_->Configure(0, std::wstring(), 0, request_.options);
        matcher_ = noMatch_.get();
    }
    if (!request_.sharedLog) {
        searchLog_.OpenLogFile(kSearchLogName);
    }
    PostToView(SN_STARTED);
    LogRegistryView();
    // A local search of the live registry may run over kept copies of its locations (a hive file or
    // another source is always read itself); the copies stay lent while the walk reads them.
    std::vector<std::shared_ptr<RegistrySnapshot>> snapshots;
    bool missing = false;
    if (request_.keepSnapshots && request_.remoteComputer.empty() && registry == &kAdvapiRegistry) {
        std::wstring failure;
        snapshots = TheSnapshotShelf().Lend(
            request_.lookIn, [this] { return IsStopSet(); }, failure, missing);
        if (!failure.empty()) {
            LogNote(L"Searched without a kept copy of " + failure);
        }
    }
    std::vector<const RegistrySnapshot*> reading;
    for (const std::shared_ptr<RegistrySnapshot>& snapshot : snapshots) {
        reading.push_back(snapshot.get());
    }
    std::optional<SnapshotReading> readingScope;
    searchedSnapshot_ = !snapshots.empty();
    if (!snapshots.empty()) {
        readingScope.emplace(reading);
        registry = &kSnapshotRegistry;
    }
    try {
        for (const KeyLocation& entry : request_.lookIn) {
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
    // The locations walked without a copy are read for the next search once this one's walk is done, so
    // that the two do not compete for the registry.
    if (missing && !IsStopSet()) {
        TheSnapshotShelf().ReadLater(request_.lookIn);
    }
    PostToView(SN_FINISHED);
    searchLog_.CloseLogFile();
    return 0;
}
