// Times a search through the real main frame and search view against the engine alone, on the same tree.
// Not a test: it prints figures.
//
// The view line runs the program's own message loop (filters, idle drain, one queued result per idle pass)
// and stops when the final listing is done. It reports how many rows were listed live, while the worker ran,
// and how many by the final listing; under Wine every delivered result costs several server round trips.
//
//   view_bench.exe [keys] [values per key]     (default 100 x 50: 5,000 results)
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

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void BuildTree(int keys, int values) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTreePath);
    HKEY root = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kTreePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    for (int k = 0; k < keys; ++k) {
        HKEY key = nullptr;
        RegCreateKeyExW(root, (L"Key" + std::to_wstring(k)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        for (int v = 0; v < values; ++v) {
            const std::wstring data = L"C:\\Program Files\\needle\\module" + std::to_wstring(v) + L".dll";
            RegSetValueExW(key, (L"v" + std::to_wstring(v)).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    RegCloseKey(root);
}

double EngineAlone(size_t& results) {
    CKeldraThread search;
    search.SetLookIn(std::wstring(L"HKCU\\") + kTreePath, L"");
    search.options = SO_DATA;
    search.SetSearchString(L"needle", SM_FIND_STRING);
    const double start = Now();
    search.Start();
    WaitForSingleObject(search.GetHandle(), INFINITE);
    const double seconds = Now() - start;
    results = search.results.size();
    return seconds;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int keys = argc > 1 ? _wtoi(argv[1]) : 100;
    const int values = argc > 2 ? _wtoi(argv[2]) : 50;
    BuildTree(keys, values);

    size_t engineResults = 0;
    const double engineSeconds = EngineAlone(engineResults);
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
