// The search view: a child dialog (template 129) that holds the search form above and the results list
// below, and owns the search engine object for its whole life. This is the view's window and the face it
// shows the main frame: its layout, dialog navigation, the search thread, and the facts that the frame's
// command states and status texts are computed from.
//
// Threads: main thread only; the search worker reaches the view by posted messages.
#pragma once

#include "engine/keldra_thread.h"
#include "resources/dialog_ids.h"
#include "winlib/dialog_impl.h"
#include "winlib/dialog_resize.h"

class CMultiPaneStatusBarCtrl;

// Sent by the view to the main frame: wParam SCAN_STARTED when a search has started, SCAN_ENDED when it has
// ended and its results are listed.
inline constexpr UINT WM_SCANSTATUS = WM_APP + 0x65;
enum : WPARAM {
    SCAN_STARTED = 1,
    SCAN_ENDED = 3,
};

class CKeldraWTLView : public CDialogImpl<CKeldraWTLView>, public CDialogResize<CKeldraWTLView> {
public:
    enum { IDD = IDD_KELDRAWTL_FORM };

    // Creates the view as a child of parent. The common controls of the form are registered first, so the
    // template loads whatever the start-up registered.
    HWND Create(HWND parent);

    // Where the view reports to: the frame's status bar (panes 129, 211, 212), the key browser tree and the
    // frame window (target of WM_SCANSTATUS and of commands sent back).
    void SetFrame(HWND frame, CMultiPaneStatusBarCtrl* statusBar, HWND* keyBrowserTree);

    // Tab and the dialog keys between the form's controls.
    BOOL PreTranslateMessage(MSG* pMsg);

    // The search worker's thread handle, null when no worker exists.
    HANDLE SearchThreadHandle() const { return m_search.GetHandle(); }
    // True while the worker exists and has not ended.
    bool IsSearchRunning() const { return m_search.IsRunning(); }
    // Tick count at the start of the current or last search.
    DWORD SearchStartTick() const { return m_searchStartTick; }
    // Whether the user stopped the current or last search.
    bool StopRequested() const { return m_stopRequested != 0; }
    CKeldraThread& Search() { return m_search; }

    // Starts a search with the request as filled in, after ending any earlier worker.
    bool StartSearch();
    // Ends the worker (blocking until it has) and remembers that the user stopped it.
    void StopSearch();

    // What the list shows: the number of rows, the selected result's index (-1 for none; a stale index is
    // reset) and its record, and whether the results came from a remote computer.
    size_t ListedCount() const { return 0; }
    int SelectedResult() { return -1; }
    bool CopySelectedResult(SearchResult& /*out*/) { return false; }
    bool IsRemoteSearch() const { return !m_search.remoteComputer.empty(); }

    // Notifications of the key browser tree that the frame hands over (selection, item texts, expansion).
    LRESULT OnKeyBrowserNotify(NMHDR* /*header*/) { return 0; }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    void OnSearchNotify(WPARAM kind);

    CKeldraThread m_search;
    HWND m_frame = nullptr;
    CMultiPaneStatusBarCtrl* m_statusBar = nullptr;
    HWND* m_keyBrowserTree = nullptr;
    DWORD m_searchStartTick = 0;
    volatile LONG m_stopRequested = 0;
};
