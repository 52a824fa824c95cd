// Memory at whole-registry scale: an all-items search with the result limit off over a tree of 1,000,000
// values, through the real main frame and search view, until every result is listed. Not a test: it prints
// figures, ending with one summary line
//
//   results=<rows listed> peak_mb=<peak working set> bytes_per_result=<b> listing_s=<t> frame_s=<f> engine_s=<e>
//
// peak_mb is GetProcessMemoryInfo's PeakWorkingSetSize: under Wine that is the process's high-water mark of
// resident memory, while its PeakPagefileUsage only repeats the current private usage. bytes_per_result is
// the growth of private bytes (PagefileUsage) from before the search to after the listing, per row.
// listing_s runs from the worker's end to the last row listed. frame_s is the whole search through the frame,
// from the press of Search to the last row listed; engine_s the same request searched by the engine alone on
// the same tree afterwards (the frame's results freed first), with nothing listed.
//
// The tree (HKCU\Software\QuillonScaleBench: 100 groups of 100 keys of 100 values) is built once and kept, so
// a second run reuses it. It is large: give the benchmark a prefix of its own so that the test programs'
// prefix stays small, e.g.
//
//   tools/wine-run build/x86_64/scale-prefix build/x86_64/bench/scale_bench.exe [--parts] [--rebuild]
//
// --parts: afterwards, the live C++ heap bytes of the list's rows, the key maps and the results store, found
// by freeing each in turn (every operator new of this program is counted).
#include "base/settings.h"
#include "bench/no_kept_copies.h"
#include "engine/keldra_thread.h"
#include "engine/msg_queue.h"
#include "shell/main_frame.h"
#include "winlib/message_loop.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---- every allocation of the program counted: live bytes (as the heap reports the block) and blocks

std::atomic<long long> g_liveBytes{0};
std::atomic<long long> g_liveBlocks{0};

void* Allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (p) {
        g_liveBytes += static_cast<long long>(_msize(p));
        ++g_liveBlocks;
    }
    return p;
}

void Release(void* p) {
    if (p) {
        g_liveBytes -= static_cast<long long>(_msize(p));
        --g_liveBlocks;
        std::free(p);
    }
}

} // namespace

void* operator new(size_t size) {
    if (void* p = Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonScaleBench";
constexpr int kGroups = 100;
constexpr int kKeysPerGroup = 100;
constexpr int kValuesPerKey = 100;
constexpr DWORD kBuildMarker = kGroups * kKeysPerGroup * kValuesPerKey;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters = {sizeof counters};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

double Mb(size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void SetString(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// A hundred values of the kinds a real registry holds: paths, names, numbers, binary state, lists.
void FillKey(HKEY key, int group, int index) {
    wchar_t name[64];
    wchar_t text[160];
    for (int v = 0; v < kValuesPerKey; ++v) {
        const int n = v / 10;
        switch (v % 10) {
        case 0:
            swprintf(name, 64, L"InstallLocation%d", n);
            swprintf(text, 160, L"C:\\Program Files\\Vendor%02d\\Component%03d\\bin\\module%02d.dll", group, index, n);
            SetString(key, name, REG_SZ, text);
            break;
        case 1: {
            swprintf(name, 64, L"Flags%d", n);
            const DWORD value = static_cast<DWORD>(group * 100000 + index * 100 + v);
            RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            break;
        }
        case 2:
        case 9: {
            swprintf(name, 64, v % 10 == 2 ? L"State%d" : L"Settings%d", n);
            BYTE blob[64];
            unsigned state = static_cast<unsigned>(group * 1000000 + index * 1000 + v) * 2654435761u + 1;
            for (BYTE& b : blob) {
                state = state * 1103515245u + 12345u;
                b = static_cast<BYTE>(state >> 16);
            }
            RegSetValueExW(key, name, 0, REG_BINARY, blob, v % 10 == 2 ? 24 : 64);
            break;
        }
        case 3:
            swprintf(name, 64, L"DataPath%d", n);
            swprintf(text, 160, L"%%ProgramData%%\\Vendor%02d\\cache%02d", group, n);
            SetString(key, name, REG_EXPAND_SZ, text);
            break;
        case 4: {
            swprintf(name, 64, L"Dependencies%d", n);
            static const wchar_t kList[] = L"core\0ui\0network\0";
            RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kList), sizeof kList);
            break;
        }
        case 5: {
            swprintf(name, 64, L"Timestamp%d", n);
            const unsigned long long value = 133000000000000000ull + static_cast<unsigned long long>(v);
            RegSetValueExW(key, name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            break;
        }
        case 6:
            swprintf(name, 64, L"DisplayName%d", n);
            swprintf(text, 160, L"Component %03d of group %02d", index, group);
            SetString(key, name, REG_SZ, text);
            break;
        case 7: {
            swprintf(name, 64, L"Version%d", n);
            const DWORD value = 0x00060001u + static_cast<DWORD>(n);
            RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            break;
        }
        default:
            swprintf(name, 64, L"Publisher%d", n);
            swprintf(text, 160, L"Vendor %02d Corporation", group);
            SetString(key, name, REG_SZ, text);
            break;
        }
    }
}

// Builds the tree unless a complete one is there from an earlier run.
void BuildTree(bool rebuild) {
    HKEY root = nullptr;
    if (!rebuild && RegOpenKeyExW(HKEY_CURRENT_USER, kTreePath, 0, KEY_READ, &root) == ERROR_SUCCESS) {
        DWORD done = 0;
        DWORD size = sizeof done;
        const bool complete = RegQueryValueExW(root, L"BuildComplete", nullptr, nullptr, reinterpret_cast<BYTE*>(&done),
                                               &size) == ERROR_SUCCESS &&
                              done == kBuildMarker;
        RegCloseKey(root);
        if (complete) {
            std::printf("tree: reusing HKCU\\%ls\n", kTreePath);
            return;
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    const double start = Now();
    RegCreateKeyExW(HKEY_CURRENT_USER, kTreePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    for (int g = 0; g < kGroups; ++g) {
        HKEY group = nullptr;
        RegCreateKeyExW(root, (L"Group" + std::to_wstring(g)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &group,
                        nullptr);
        for (int k = 0; k < kKeysPerGroup; ++k) {
            HKEY key = nullptr;
            RegCreateKeyExW(group, (L"Component" + std::to_wstring(k)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr);
            FillKey(key, g, k);
            RegCloseKey(key);
        }
        RegCloseKey(group);
        if (g % 10 == 9) {
            std::printf("tree: %d of %d groups\n", g + 1, kGroups);
            std::fflush(stdout);
        }
    }
    RegSetValueExW(root, L"BuildComplete", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kBuildMarker),
                   sizeof kBuildMarker);
    RegCloseKey(root);
    std::printf("tree: built %d values in %.1f s\n", kGroups * kKeysPerGroup * kValuesPerKey, Now() - start);
}

void ChooseAllItems(HWND form) {
    HWND modes = GetDlgItem(form, IDC_SEARCH_MODE);
    const int count = static_cast<int>(SendMessageW(modes, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (static_cast<DWORD>(SendMessageW(modes, CB_GETITEMDATA, i, 0)) == SM_ALL_ITEMS) {
            SendMessageW(modes, CB_SETCURSEL, i, 0);
        }
    }
    SendMessageW(form, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_MODE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(modes));
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Watches the search from beside the main thread (which is busy inside the final listing): when the worker
// ends, when the last row is listed, and the highest private bytes seen.
class Watcher {
public:
    explicit Watcher(CKeldraWTLView& view) : view_(view), thread_([this] { Run(); }) {}
    ~Watcher() {
        stop_ = true;
        thread_.join();
    }
    double WorkerEnd() const { return workerEnd_; }
    double LastRowListed() const { return lastRow_; }
    size_t LiveRows() const { return liveRows_; }
    size_t PeakPrivate() const { return peakPrivate_; }

private:
    void Run() {
        size_t target = 0;
        while (!stop_) {
            const size_t privateBytes = Memory().PagefileUsage;
            if (privateBytes > peakPrivate_) {
                peakPrivate_ = privateBytes;
            }
            if (workerEnd_ == 0 && view_.SearchThreadHandle() && !view_.IsSearchRunning()) {
                workerEnd_ = Now();
                liveRows_ = view_.ListedCount();
                target = view_.Results().Count();
            }
            // The row count is read without the main thread's knowledge; a stale read only delays the stamp.
            if (workerEnd_ != 0 && lastRow_ == 0 && view_.ListedCount() >= target) {
                lastRow_ = Now();
            }
            Sleep(5);
        }
    }

    CKeldraWTLView& view_;
    std::atomic<bool> stop_{false};
    std::atomic<double> workerEnd_{0};
    std::atomic<double> lastRow_{0};
    std::atomic<size_t> liveRows_{0};
    std::atomic<size_t> peakPrivate_{0};
    std::thread thread_;
};

// The program's loop (CMessageLoop::Run), left once the search has ended and the button reads "Search" again.
void RunUntilListed(CMessageLoop& loop, CKeldraWTLView& view) {
    HWND button = GetDlgItem(view.m_hWnd, IDC_SEARCH_BUTTON);
    bool idleArmed = true;
    bool started = false;
    for (;;) {
        started = started || view.IsSearchRunning();
        if (started && !view.IsSearchRunning() && GetWindowTextLengthW(button) == 6) {
            return;
        }
        MSG msg;
        if (idleArmed && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            loop.OnIdle(0);
            idleArmed = false;
            continue;
        }
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (!loop.PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (CMessageLoop::IsIdleMessage(&msg)) {
            idleArmed = true;
        }
    }
}

// Median of several full paints of the results list at the current scroll position, in milliseconds.
double PaintMs(CHTMLListCtrl& list) {
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        list.Invalidate(FALSE);
        const double start = Now();
        list.UpdateWindow();
        times.push_back((Now() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Paints of the full list at its top and half way down.
void PrintPaints(CHTMLListCtrl& list) {
    list.SendMessage(WM_VSCROLL, SB_TOP, 0);
    const double top = PaintMs(list);
    SCROLLINFO info = {sizeof info, SIF_RANGE};
    GetScrollInfo(list, SB_VERT, &info);
    SetScrollPos(list, SB_VERT, info.nMax / 2, FALSE);
    const double middle = PaintMs(list);
    std::printf("paint: %.2f ms at the top, %.2f ms half way down (%d rows)\n", top, middle, list.GetItemCount());
}

// The live heap bytes each part frees, in the order a view holds them.
// Seconds the engine alone takes for the request, reporting to no window.
double EngineAlone(SearchRequest request) {
    request.notifyWindow = nullptr;
    CKeldraThread engine;
    const double start = Now();
    if (!engine.Start(std::move(request))) {
        return 0;
    }
    WaitForSingleObject(engine.GetHandle(), INFINITE);
    return Now() - start;
}

void PrintParts(CKeldraWTLView& view, size_t results) {
    const double per = results ? static_cast<double>(results) : 1.0;
    long long before = g_liveBytes;
    long long blocks = g_liveBlocks;
    std::printf("parts: live heap %.1f MB in %lld blocks (%.0f bytes per result)\n", Mb(static_cast<size_t>(before)),
                blocks, static_cast<double>(before) / per);
    view.ResultsList().DeleteAllItems();
    std::printf("parts: list rows %.0f bytes per result (%lld blocks)\n",
                static_cast<double>(before - g_liveBytes) / per, blocks - g_liveBlocks);
    before = g_liveBytes;
    blocks = g_liveBlocks;
    view.KeyBrowser().Empty();
    view.Search().Results().TakeKeyTree();
    std::printf("parts: key maps %.0f bytes per result (%lld blocks)\n",
                static_cast<double>(before - g_liveBytes) / per, blocks - g_liveBlocks);
    before = g_liveBytes;
    blocks = g_liveBlocks;
    view.Search().Results().Release();
    std::printf("parts: results store %.0f bytes per result (%lld blocks)\n",
                static_cast<double>(before - g_liveBytes) / per, blocks - g_liveBlocks);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool parts = false;
    bool rebuild = false;
    for (int i = 1; i < argc; ++i) {
        parts = parts || std::wcscmp(argv[i], L"--parts") == 0;
        rebuild = rebuild || std::wcscmp(argv[i], L"--rebuild") == 0;
    }
    BuildTree(rebuild);
    // The result limit off, as a user would set it for a search this large; the key browser on (its default).
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 0);
    WriteSettingDword(kSettingsSubKey, kKeyTree, 1);
    // Both sides walk the registry: the frame's search keeps no copy for the engine's to search.
    const NoKeptCopies noKeptCopies;

    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    AppModule().Init();
    CMessageLoop loop;
    AppModule().AddMessageLoop(&loop);
    CMainFrame frame;
    if (!frame.CreateFrame()) {
        std::printf("no frame\n");
        return 1;
    }
    frame.ShowWindow(SW_SHOW);
    CKeldraWTLView& view = frame.View();
    HWND form = view.m_hWnd;
    // The form fills itself in from its history shortly after it opens; the benchmark's entries come after.
    PumpFor(1000);
    ChooseAllItems(form);
    SetDlgItemTextW(form, IDC_LOOKIN, (std::wstring(L"HKCU\\") + kTreePath).c_str());
    PumpFor(100);

    const PROCESS_MEMORY_COUNTERS before = Memory();
    const long long heapBefore = g_liveBytes;
    const double start = Now();
    double workerEnd = 0;
    double lastRow = 0;
    size_t liveRows = 0;
    size_t peakPrivate = 0;
    {
        Watcher watcher(view);
        if (!view.SearchFromForm()) {
            std::printf("the search did not start\n");
            return 1;
        }
        RunUntilListed(loop, view);
        Sleep(20); // one more look by the watcher
        workerEnd = watcher.WorkerEnd();
        lastRow = watcher.LastRowListed();
        liveRows = watcher.LiveRows();
        peakPrivate = watcher.PeakPrivate();
    }
    const double end = Now();
    const PROCESS_MEMORY_COUNTERS after = Memory();
    const size_t results = view.Results().Count();
    const size_t rows = view.ListedCount();

    std::printf("search: %zu results, %zu rows (%zu listed while the worker ran); worker %.1f s, all %.1f s\n", results,
                rows, liveRows, workerEnd - start, end - start);
    const MatchCounts matches = view.Results().Matches();
    std::printf("matches: %lu keys, %lu value names, %lu data; %lu problem(s) logged; looked in",
                static_cast<unsigned long>(matches.keys), static_cast<unsigned long>(matches.valueNames),
                static_cast<unsigned long>(matches.data), static_cast<unsigned long>(view.Search().Problems()));
    for (const KeyLocation& location : view.Results().Origin().lookIn) {
        std::printf(" %ls\\%ls", RootKeyName(location.root).c_str(), location.subKeyText.c_str());
    }
    std::printf("\n");
    std::printf("memory: private %.1f -> %.1f MB (highest seen %.1f MB); working set %.1f -> %.1f MB, peak %.1f MB; "
                "Wine's PeakPagefileUsage %.1f MB\n",
                Mb(before.PagefileUsage), Mb(after.PagefileUsage), Mb(peakPrivate), Mb(before.WorkingSetSize),
                Mb(after.WorkingSetSize), Mb(after.PeakWorkingSetSize), Mb(after.PeakPagefileUsage));
    std::printf("heap: live C++ allocations grew by %.0f bytes per row\n",
                rows ? static_cast<double>(g_liveBytes - heapBefore) / static_cast<double>(rows) : 0.0);
    if (rows != results) {
        std::printf("FAILED: %zu results but %zu rows\n", results, rows);
    }
    PrintPaints(view.ResultsList());
    std::fflush(stdout);
    if (parts) {
        PrintParts(view, results);
    } else {
        view.ResultsList().DeleteAllItems();
        view.Search().Results().Release();
    }
    const double engineSeconds = EngineAlone(view.Search().Request());
    std::printf("results=%zu peak_mb=%.0f bytes_per_result=%.0f listing_s=%.2f frame_s=%.2f engine_s=%.2f\n", rows,
                Mb(after.PeakWorkingSetSize),
                rows ? static_cast<double>(after.PagefileUsage - before.PagefileUsage) / static_cast<double>(rows)
                     : 0.0,
                lastRow > workerEnd ? lastRow - workerEnd : 0.0, end - start, engineSeconds);

    frame.DestroyWindow();
    AppModule().RemoveMessageLoop();
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 1);
    return rows == results ? 0 : 1;
}
