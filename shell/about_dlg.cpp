#include "shell/about_dlg.h"

#include "shell/shell_launch.h"

#include "base/program_version.h"

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
    case WM_INITDIALOG: {
        // The product line carries the version of the program's own version resource, so the box and the
        // file's properties cannot disagree.
        const std::wstring version = ModuleVersionText();
        if (!version.empty()) {
            SetDlgItemText(IDC_ABOUT_PRODUCT, (L"Quillon " + version).c_str());
        }
        CenterWindow(GetParent());
        lResult = TRUE;
        return TRUE;
    }
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
