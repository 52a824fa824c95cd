// Times a search of every mode against a bare walk of the same registry tree, side by side in one run,
// then the matchers alone over in-memory candidates. Not a test: it prints figures.
//
// The mode lines time the engine's search alone (no notify window). The delivery line repeats the
// all-items search with a window and the program's idle drain: under Wine every queued and forwarded
// result costs several server round trips, each as dear as a registry call.
//
// Each line is the median of several runs of the search and of the bare walk, in turn (bench/alternate.h).
//
//   search_bench.exe [--keep] [--rounds N]
//     --keep     leave HKCU\Software\QuillonBench in place for the next run (it takes seconds to build)
#include "bench/alternate.h"
#include "bench/bench_tree.h"
#include "engine/keldra_thread.h"
#include "engine/matchers.h"
#include "engine/msg_queue.h"
#include "base/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using benchtree::BlobData;
using benchtree::kTreePath;
using benchtree::Now;
using benchtree::PathText;

double TimeBareWalk() {
    benchtree::BareCounts counts;
    double start = Now();
    benchtree::BareWalk(HKEY_CURRENT_USER, kTreePath, counts);
    double seconds = Now() - start;
    if (counts.keys != 11111 || counts.values != 88889) {
        std::printf("warning: bare walk saw %lu keys and %lu values\n", counts.keys, counts.values);
    }
    return seconds;
}

// A message-only window standing in for the search view: it lists nothing, it only takes the
// notifications as the view would, so that delivery costs what it costs in the program.
LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SEARCH_NOTIFY && wParam == SN_FINISHED) {
        MsgQueueDrain();
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Mode {
    const char* name;
    DWORD mode;
    const wchar_t* text;
};

double TimeSearch(const Mode& m, HWND view, size_t& results) {
    CKeldraThread engine;
    // The form's values; the request applies the rules tying look-at bits and types to the mode.
    SearchFormValues values;
    values.lookIn = std::wstring(L"HKCU\\") + kTreePath;
    values.searchText = m.text;
    values.mode = m.mode;
    values.keyTreeOn = true;
    values.options = SO_KEYS | SO_VALUES | SO_DATA;
    WriteSetting(kStopSearchOnLimitSetting, m.mode == SM_ALL_ITEMS ? 0 : 1);
    RequestOutcome outcome = BuildSearchRequest(values);
    if (!outcome.Accepted()) {
        std::printf("mode=%s: search string refused\n", m.name);
        return 0;
    }
    outcome.request->notifyWindow = view;

    double start = Now();
    engine.Start(std::move(*outcome.request));
    HANDLE worker = engine.GetHandle();
    // The main loop of the program: messages, and one queued result forwarded per idle pass.
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        if (WaitForSingleObject(worker, 0) == WAIT_OBJECT_0) {
            break;
        }
        if (!view || !MsgQueueForwardOne(worker)) {
            MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
        }
    }
    double seconds = Now() - start;
    engine.Stop();
    MsgQueueDrain();
    results = engine.Results().Count();
    return seconds;
}

// Nanoseconds per call of test over the candidates, repeated until at least 0.2 s have passed.
template <class Test> double NanosPerCandidate(size_t count, Test test) {
    size_t calls = 0;
    volatile size_t sink = 0;
    double start = Now();
    double elapsed = 0;
    do {
        for (size_t i = 0; i < count; ++i) {
            sink = sink + test(i);
        }
        calls += count;
        elapsed = Now() - start;
    } while (elapsed < 0.2);
    return elapsed * 1e9 / static_cast<double>(calls);
}

void BenchMatchers(const Mode* modes, size_t modeCount) {
    std::vector<std::wstring> texts;
    std::vector<std::wstring> hexTexts;
    std::vector<DWORD> numbers;
    for (int n = 0; n < 20000; ++n) {
        texts.push_back(PathText(n, n % 2));
        std::vector<BYTE> blob = BlobData(n, n % 2);
        hexTexts.push_back(BytesToHex(blob.data(), blob.size()));
        numbers.push_back(static_cast<DWORD>(n * 8 + 1));
    }
    const std::wstring needle = L"needle";
    double baseline =
        NanosPerCandidate(texts.size(), [&](size_t i) { return texts[i].find(needle) != std::wstring::npos; });
    for (size_t k = 0; k < modeCount; ++k) {
        const Mode& m = modes[k];
        if (m.mode == SM_ALL_ITEMS) {
            continue; // matches without a test
        }
        std::vector<std::wstring> patterns;
        std::uint64_t integerValue = 0;
        if (!PrepareSearchText(m.text, m.mode, patterns, integerValue)) {
            continue;
        }
        SearchMatcher matcher;
        matcher.Configure(m.mode, patterns.empty() ? L"" : patterns[0], integerValue, SO_UNICODE_BINARY);
        double ns = 0;
        if (m.mode == SM_HEX) {
            ns = NanosPerCandidate(hexTexts.size(), [&](size_t i) { return matcher.MatchText(hexTexts[i]).found; });
        } else if (m.mode == SM_INTEGER) {
            ns = NanosPerCandidate(numbers.size(), [&](size_t i) {
                return matcher.MatchInteger(REG_DWORD, reinterpret_cast<const BYTE*>(&numbers[i]), 4);
            });
        } else {
            ns = NanosPerCandidate(texts.size(), [&](size_t i) { return matcher.MatchText(texts[i]).found; });
        }
        std::printf("matcher mode=%s ns_per_candidate=%.1f find_baseline_ns=%.1f\n", m.name, ns, baseline);
    }
}

// The search and the bare walk of one mode, in turn (see bench/alternate.h).
void TimeAndPrint(const char* prefix, const Mode& m, HWND view, int rounds) {
    size_t results = 0;
    const benchalt::Samples samples = benchalt::Alternate(
        rounds, [&] { return TimeSearch(m, view, results); }, [] { return TimeBareWalk(); });
    std::printf("%smode=%s results=%zu search_s=%.3f bare_s=%.3f %s\n", prefix, m.name, results,
                benchalt::Median(samples.a), benchalt::Median(samples.b), benchalt::RatioText(samples).c_str());
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool keep = benchalt::HasFlag(argc, argv, L"--keep");
    const int rounds = benchalt::RoundsArg(argc, argv);
    benchtree::BuildTree(HKEY_CURRENT_USER, kTreePath, benchtree::kDepth);

    const Mode modes[] = {
        {"find", SM_FIND_STRING, L"needle"},
        {"whole", SM_WHOLE_STRING, L"C:\\Program Files\\Orvanta\\needle05000\\lib0.dll"},
        {"wildcard", SM_WILDCARD, L"nee*le0"},
        {"regex", SM_REGEX, L"ne+dle[0-9]+\\\\"},
        {"hex", SM_HEX, L"DEADBEEF"},
        {"integer", SM_INTEGER, L"40009"},
        {"all", SM_ALL_ITEMS, L""},
    };
    const DWORD stopOnLimit = ReadSetting(kStopSearchOnLimitSetting);

    for (const Mode& m : modes) {
        TimeAndPrint("", m, nullptr, rounds);
    }

    MsgQueueCreate();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &ViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillonBenchView";
    RegisterClassW(&wc);
    HWND view = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    TimeAndPrint("delivery ", modes[std::size(modes) - 1], view, rounds);
    DestroyWindow(view);
    MsgQueueClose();
    WriteSetting(kStopSearchOnLimitSetting, stopOnLimit);

    BenchMatchers(modes, std::size(modes));
    if (!keep) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    }
    return 0;
}
