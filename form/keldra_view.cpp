#include "form/keldra_view.h"

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
    default:
        break;
    }
    return ProcessDialogResizeMessage(uMsg, wParam, lParam, lResult);
}
