// Times a search through the real main frame and search view against the engine alone, on the same tree,
// the two sides in turn (see bench/alternate.h). Not a test: it prints figures.
//
// The view side runs the program's own message loop and stops when the final listing is done. It reports
// how many rows were listed live, while the worker ran, and how many by the final listing; under Wine every
// delivered result costs several server round trips.
//
//   view_bench.exe [keys] [values per key] [--rounds N]     (default 100 x 50: 5,000 results)
#include "bench/alternate.h"
#include "bench/frame_search.h"
#include "bench/needle_tree.h"
#include "base/settings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonViewBench";

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int keys = argc > 1 && argv[1][0] != L'-' ? _wtoi(argv[1]) : 100;
    const int values = argc > 2 && argv[2][0] != L'-' ? _wtoi(argv[2]) : 50;
    const int rounds = benchalt::RoundsArg(argc, argv);
    needletree::BuildTree(kTreePath, keys, values);
    // Every result is listed: the result limit is off on both sides.
    const DWORD stopOnLimit = ReadSetting(kStopSearchOnLimitSetting);
    WriteSetting(kStopSearchOnLimitSetting, 0);

    framesearch::FrameSearch frame;
    if (!frame.Open(false)) {
        std::printf("no frame\n");
        return 1;
    }
    const std::wstring lookIn = std::wstring(L"HKCU\\") + kTreePath;
    size_t engineResults = 0;
    framesearch::FrameRun last;
    const benchalt::Samples samples = benchalt::Alternate(
        rounds,
        [&] {
            last = frame.Search(lookIn, L"needle");
            return last.seconds;
        },
        [&] { return needletree::EngineAlone(kTreePath, engineResults); });

    std::printf("engine alone:  %zu results, median %.2f s\n", engineResults, benchalt::Median(samples.b));
    std::printf("through view:  %zu rows, median %.2f s (last run: worker seen ended after %.2f s; at least %zu "
                "rows live, the rest (%zu) in the final listing)\n",
                last.rows, benchalt::Median(samples.a), last.workerSeconds, last.liveRows, last.rows - last.liveRows);
    std::printf("view/engine %s\n", benchalt::RatioText(samples).c_str());

    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    WriteSetting(kStopSearchOnLimitSetting, stopOnLimit);
    return 0;
}
