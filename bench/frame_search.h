// Searches through the real main frame and search view, run by the program's own message loop (filters, idle
// drain, one queued result per idle pass) until the view reports the search's end, final listing included.
// The frame's window is subclassed to count those reports: waiting for the "Search" caption instead would
// end at once when a search had not begun yet.
#pragma once

#include "bench/needle_tree.h"
#include "bench/no_kept_copies.h"
#include "shell/main_frame.h"
#include "winlib/message_loop.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace framesearch {

struct FrameRun {
    double seconds = 0;       // from the start to the end of the final listing
    double workerSeconds = 0; // until the worker was seen ended
    size_t rows = 0;          // rows listed in all
    size_t liveRows = 0;      // rows listed while the worker still ran
};

class FrameSearch {
public:
    FrameSearch() {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        AppModule().Init();
        AppModule().AddMessageLoop(&loop_);
    }
    ~FrameSearch() {
        if (frame_.m_hWnd) {
            RemoveWindowSubclass(frame_.m_hWnd, &CountEnds, 0);
            frame_.DestroyWindow();
        }
        AppModule().RemoveMessageLoop();
    }
    FrameSearch(const FrameSearch&) = delete;
    FrameSearch& operator=(const FrameSearch&) = delete;

    bool Open(bool show) {
        if (!frame_.CreateFrame()) {
            return false;
        }
        SetWindowSubclass(frame_.m_hWnd, &CountEnds, 0, reinterpret_cast<DWORD_PTR>(&ends_));
        if (show) {
            frame_.ShowWindow(SW_SHOW);
        }
        return true;
    }
    CMainFrame& Frame() { return frame_; }
    CKeldraWTLView& View() { return frame_.View(); }

    // Fills the form and presses Search; returns when the view has reported the end.
    FrameRun Search(const std::wstring& lookIn, const std::wstring& text) {
        CKeldraWTLView& view = View();
        SetDlgItemTextW(view.m_hWnd, IDC_LOOKIN, lookIn.c_str());
        SetDlgItemTextW(view.m_hWnd, IDC_SEARCH_TEXT, text.c_str());
        const int endsBefore = ends_;
        FrameRun run;
        const double start = needletree::Now();
        view.SearchFromForm();
        bool workerEnded = false;
        bool idleArmed = true;
        while (ends_ == endsBefore) {
            if (!workerEnded) {
                if (view.IsSearchRunning()) {
                    run.liveRows = view.ListedCount();
                } else {
                    workerEnded = true;
                    run.workerSeconds = needletree::Now() - start;
                }
            }
            MSG msg;
            if (idleArmed && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                loop_.OnIdle(0);
                idleArmed = false;
                continue;
            }
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                continue;
            }
            if (!loop_.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (CMessageLoop::IsIdleMessage(&msg)) {
                idleArmed = true;
            }
        }
        run.seconds = needletree::Now() - start;
        run.rows = view.ListedCount();
        return run;
    }

private:
    NoKeptCopies noKeptCopies_; // first, so that the frame never keeps a copy
    static LRESULT CALLBACK CountEnds(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR ends) {
        if (message == WM_SCANSTATUS && wParam == SCAN_ENDED) {
            ++*reinterpret_cast<int*>(ends);
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }

    CMessageLoop loop_;
    CMainFrame frame_;
    int ends_ = 0;
};

} // namespace framesearch
