#include "form/keldra_view.h"

#include "engine/msg_queue.h"

#include <commctrl.h>

#include <array>

namespace {

// How the form's controls follow the view's size: the texts grow to the right, the buttons and the options
// tree keep to the right edge, the list takes the rest.
constexpr std::array<DlgResizeEntry, 10> kResizeTable = {{
    {IDC_HIDDEN_BUTTON, DLSZ_MOVE_X},
    {IDC_SEARCH_BUTTON, DLSZ_MOVE_X},
    {IDC_SEARCH_TEXT, DLSZ_SIZE_X},
    {IDC_LOOKIN, DLSZ_SIZE_X},
    {IDC_RESULTS_LIST, DLSZ_SIZE_X | DLSZ_SIZE_Y},
    {IDC_SEARCH_MODE, DLSZ_MOVE_X},
    {IDC_OPTIONS_TREE, DLSZ_MOVE_X | DLSZ_SIZE_Y},
    {IDC_SPACER, DLSZ_MOVE_X | DLSZ_SIZE_Y},
    {IDC_PROGRESS, DLSZ_SIZE_X},
    {IDC_EXCLUDE, DLSZ_SIZE_X},
}};

} // namespace

HWND CKeldraWTLView::Create(HWND parent) {
    // A dialog template naming a control class that is not registered fails to load as a whole.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES |
                                                        ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
    return CDialogImpl<CKeldraWTLView>::Create(parent);
}

void CKeldraWTLView::SetFrame(HWND frame, CMultiPaneStatusBarCtrl* statusBar, HWND* keyBrowserTree) {
    m_frame = frame;
    m_statusBar = statusBar;
    m_keyBrowserTree = keyBrowserTree;
}

bool CKeldraWTLView::StartSearch() {
    m_search.Stop();
    ::InterlockedExchange(&m_stopRequested, 0);
    m_search.notifyWindow = m_hWnd;
    return m_search.Start();
}

void CKeldraWTLView::StopSearch() {
    m_search.Stop();
    ::InterlockedExchange(&m_stopRequested, 1);
}

void CKeldraWTLView::OnSearchNotify(WPARAM kind) {
    if (kind == SN_STARTED) {
        m_searchStartTick = ::GetTickCount();
        if (m_frame) {
            ::SendMessageW(m_frame, WM_SCANSTATUS, SCAN_STARTED, 0);
        }
    } else if (kind == SN_FINISHED) {
        // What is still queued belongs to the finished search and must not reach a later one.
        MsgQueueDrain();
        if (m_frame) {
            ::SendMessageW(m_frame, WM_SCANSTATUS, SCAN_ENDED, 0);
        }
    }
}

BOOL CKeldraWTLView::PreTranslateMessage(MSG* pMsg) {
    return m_hWnd && ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CKeldraWTLView::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_INITDIALOG:
        DlgResize_Init(kResizeTable);
        m_search.notifyWindow = m_hWnd;
        lResult = TRUE;
        return TRUE;
    case WM_CREATE:
        lResult = 0;
        return TRUE;
    case WM_SEARCH_NOTIFY:
        OnSearchNotify(wParam);
        lResult = 0;
        return TRUE;
    default:
        break;
    }
    return ProcessDialogResizeMessage(uMsg, wParam, lParam, lResult);
}
