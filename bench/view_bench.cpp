// Times a search through the real main frame and search view against the engine alone, on the same tree.
// Not a test: it prints figures.
//
// The view line runs the program's own message loop (filters, idle drain, one queued result per idle pass)
// and stops when the final listing is done. It reports how many rows were listed live, while the worker ran,
// and how many by the final listing; under Wine every delivered result costs several server round trips.
//
//   view_bench.exe [keys] [values per key]     (default 100 x 50: 5,000 results)
#include "bench/needle_tree.h"
#include "engine/keldra_thread.h"
#include "engine/msg_queue.h"
#include "shell/main_frame.h"
#include "winlib/message_loop.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonViewBench";

using needletree::Now;

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int keys = argc > 1 ? _wtoi(argv[1]) : 100;
    const int values = argc > 2 ? _wtoi(argv[2]) : 50;
    needletree::BuildTree(kTreePath, keys, values);

    size_t engineResults = 0;
    const double engineSeconds = needletree::EngineAlone(kTreePath, engineResults);
    std::printf("engine alone:  %zu results in %.2f s\n", engineResults, engineSeconds);

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
    CKeldraWTLView& view = frame.View();
    HWND form = view.m_hWnd;
    SetDlgItemTextW(form, IDC_LOOKIN, (std::wstring(L"HKCU\\") + kTreePath).c_str());
    SetDlgItemTextW(form, IDC_SEARCH_TEXT, L"needle");
    const double start = Now();
    view.SearchFromForm();

    // The program's loop (CMessageLoop::Run), with a way out once the final listing is done.
    size_t liveRows = 0;
    bool workerEnded = false;
    double workerSeconds = 0;
    bool idleArmed = true;
    for (;;) {
        if (!workerEnded) {
            if (view.IsSearchRunning()) {
                liveRows = view.ListedCount(); // rows listed while the worker still ran
            } else {
                workerEnded = true;
                workerSeconds = Now() - start;
            }
        }
        if (workerEnded && GetWindowTextLengthW(GetDlgItem(form, IDC_SEARCH_BUTTON)) == 6) {
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
    const double seconds = Now() - start;
    std::printf("through view:  %zu rows in %.2f s (worker seen ended after %.2f s; at least %zu rows live, the "
                "rest (%zu) in the final listing)\n",
                view.ListedCount(), seconds, workerSeconds, liveRows, view.ListedCount() - liveRows);
    std::printf("ratio view / engine: %.2f\n", seconds / engineSeconds);

    frame.DestroyWindow();
    AppModule().RemoveMessageLoop();
    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    return 0;
}
