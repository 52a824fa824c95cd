#include "shell/about_dlg.h"

#include "shell/shell_launch.h"

#include <commctrl.h>

INT_PTR CAboutDlg::Show(HWND owner) {
    // The link control is not among the classes registered at start-up.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LINK_CLASS};
    ::InitCommonControlsEx(&classes);
    CAboutDlg dialog;
    return dialog.DoModal(owner);
}

BOOL CAboutDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_INITDIALOG:
        CenterWindow(GetParent());
        lResult = TRUE;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(LOWORD(wParam));
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_ABOUT_LINK || (header->code != NM_CLICK && header->code != NM_RETURN)) {
            return FALSE;
        }
        const auto* link = reinterpret_cast<const NMLINK*>(lParam);
        ShellLaunch(m_hWnd, link->item.szUrl[0] ? link->item.szUrl : kMakerWebSite, L"open", L"");
        lResult = 0;
        return TRUE;
    }
    default:
        return FALSE;
    }
}
