// How long the main window may leave a message unanswered during a large search. Runs a search through the
// real main frame and search view with the result limit off, while a second thread keeps sending the frame a
// message and times each answer. Prints the longest wait (worst_ms, target at most 100) and the search's
// total time beside the engine alone on the same tree. Not a test: it prints figures.
//
//   responsiveness_bench.exe [keys] [values per key]     (default 1000 x 100: 100,000 results)
#include "base/settings.h"
#include "bench/needle_tree.h"
#include "engine/keldra_thread.h"
#include "shell/main_frame.h"
#include "winlib/message_loop.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonResponsivenessBench";

using needletree::Now;

// Sends the window a message every few milliseconds and keeps the longest time it took to answer.
class Prober {
public:
    Prober(HWND window, const CKeldraWTLView& view) : window_(window), view_(view), thread_([this] { Run(); }) {}
    ~Prober() {
        stop_ = true;
        thread_.join();
    }
    double WorstMs() const { return std::max(worstRunningMs_.load(), worstMs_.load()); }
    // The longest wait that began while the worker still ran, and the longest that began after it ended
    // (the hand-over and the final listing).
    double WorstWhileRunningMs() const { return worstRunningMs_.load(); }
    double WorstAfterMs() const { return worstMs_.load(); }
    int Probes() const { return probes_.load(); }

private:
    void Run() {
        while (!stop_) {
            const bool running = view_.IsSearchRunning();
            const double start = Now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            const double ms = (Now() - start) * 1000.0;
            std::atomic<double>& worst = running ? worstRunningMs_ : worstMs_;
            if (ms > worst.load()) {
                worst = ms;
            }
            ++probes_;
            Sleep(5);
        }
    }

    HWND window_;
    const CKeldraWTLView& view_;
    std::atomic<bool> stop_{false};
    std::atomic<double> worstMs_{0};
    std::atomic<double> worstRunningMs_{0};
    std::atomic<int> probes_{0};
    std::thread thread_;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int keys = argc > 1 ? _wtoi(argv[1]) : 1000;
    const int values = argc > 2 ? _wtoi(argv[2]) : 100;
    needletree::BuildTree(kTreePath, keys, values);
    // The result limit off, as a user would set it for a search this large.
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 0);

    size_t engineResults = 0;
    const double engineSeconds = needletree::EngineAlone(kTreePath, engineResults);

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
    SetDlgItemTextW(form, IDC_LOOKIN, (std::wstring(L"HKCU\\") + kTreePath).c_str());
    SetDlgItemTextW(form, IDC_SEARCH_TEXT, L"needle");

    double seconds = 0;
    double worstMs = 0;
    int probes = 0;
    {
        Prober prober(frame.m_hWnd, view);
        const double start = Now();
        view.SearchFromForm();
        // The program's loop (CMessageLoop::Run), with a way out once the final listing is done.
        bool idleArmed = true;
        bool started = false;
        for (;;) {
            started = started || view.IsSearchRunning();
            if (started && !view.IsSearchRunning() && GetWindowTextLengthW(GetDlgItem(form, IDC_SEARCH_BUTTON)) == 6) {
                break; // "Search" again: the final listing is done
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
        seconds = Now() - start;
        worstMs = prober.WorstMs();
        std::printf("worst wait begun while the worker ran: %.0f ms; after it ended: %.0f ms\n",
                    prober.WorstWhileRunningMs(), prober.WorstAfterMs());
        probes = prober.Probes();
    }
    std::printf("results: engine %zu, listed %zu\n", engineResults, view.ListedCount());
    std::printf("search through the frame: %.2f s; engine alone: %.2f s\n", seconds, engineSeconds);
    std::printf("probes=%d\n", probes);
    std::printf("worst_ms=%.0f\n", worstMs);

    frame.DestroyWindow();
    AppModule().RemoveMessageLoop();
    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 1);
    return 0;
}
