// How long the main window may leave a message unanswered during a large search. Runs a search through the
// real main frame and search view with the result limit off, while a second thread keeps sending the frame a
// message and times each answer. Prints the longest wait over every round (worst_ms, target at most 100) and
// the search's total time beside the engine alone on the same tree, the two sides in turn (see
// bench/alternate.h). Not a test: it prints figures.
//
//   responsiveness_bench.exe [keys] [values per key] [--rounds N]     (default 1000 x 100: 100,000 results)
#include "base/settings.h"
#include "bench/alternate.h"
#include "bench/frame_search.h"
#include "bench/needle_tree.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonResponsivenessBench";

using needletree::Now;

// Sends the window a message every few milliseconds and keeps the longest time it took to answer.
class Prober {
public:
    Prober(HWND window, const CKeldraWTLView& view) : window_(window), view_(view), thread_([this] { Run(); }) {}
    ~Prober() { Stop(); }
    // Ends the probing. The probe still waiting counts as well: it may have begun while the search's last
    // steps ran without answering.
    void Stop() {
        stop_ = true;
        // The probe may be waiting for this thread to answer: answer until it has ended.
        while (!done_) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE)) {
            }
            Sleep(1);
        }
        if (thread_.joinable()) {
            thread_.join();
        }
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
        done_ = true;
    }

    HWND window_;
    const CKeldraWTLView& view_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::atomic<double> worstMs_{0};
    std::atomic<double> worstRunningMs_{0};
    std::atomic<int> probes_{0};
    std::thread thread_;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int keys = argc > 1 && argv[1][0] != L'-' ? _wtoi(argv[1]) : 1000;
    const int values = argc > 2 && argv[2][0] != L'-' ? _wtoi(argv[2]) : 100;
    const int rounds = benchalt::RoundsArg(argc, argv);
    needletree::BuildTree(kTreePath, keys, values);
    // The result limit off, as a user would set it for a search this large.
    const DWORD stopOnLimit = ReadSetting(kStopSearchOnLimitSetting);
    WriteSetting(kStopSearchOnLimitSetting, 0);

    framesearch::FrameSearch frame;
    if (!frame.Open(true)) {
        std::printf("no frame\n");
        return 1;
    }
    const std::wstring lookIn = std::wstring(L"HKCU\\") + kTreePath;
    size_t engineResults = 0;
    size_t listed = 0;
    double worstRunning = 0, worstAfter = 0;
    std::vector<double> worstOfRound;
    int probes = 0;
    const benchalt::Samples samples = benchalt::Alternate(
        rounds,
        [&] {
            Prober prober(frame.Frame().m_hWnd, frame.View());
            const framesearch::FrameRun run = frame.Search(lookIn, L"needle");
            prober.Stop();
            listed = run.rows;
            worstRunning = std::max(worstRunning, prober.WorstWhileRunningMs());
            worstAfter = std::max(worstAfter, prober.WorstAfterMs());
            worstOfRound.push_back(prober.WorstMs());
            probes += prober.Probes();
            return run.seconds;
        },
        [&] { return needletree::EngineAlone(kTreePath, engineResults); });

    std::printf("worst wait begun while the worker ran: %.0f ms; after it ended: %.0f ms\n", worstRunning, worstAfter);
    std::printf("results: engine %zu, listed %zu\n", engineResults, listed);
    std::printf("search through the frame: median %.2f s; engine alone: median %.2f s; frame/engine %s\n",
                benchalt::Median(samples.a), benchalt::Median(samples.b), benchalt::RatioText(samples).c_str());
    std::printf("probes=%d\n", probes);
    std::printf("worst_ms=%.0f (median of the rounds' worst %.0f)\n", std::max(worstRunning, worstAfter),
                benchalt::Median(worstOfRound));

    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    WriteSetting(kStopSearchOnLimitSetting, stopOnLimit);
    return 0;
}
