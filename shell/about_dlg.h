// The About box: program icon, product line, a link to the maker's web site, and OK.
#pragma once

#include "resources/dialog_ids.h"
#include "winlib/dialog_impl.h"

// The address the link opens when its markup names none.
inline constexpr const wchar_t* kMakerWebSite = L"https://www.orvanta.example/quillon";

class CAboutDlg : public CDialogImpl<CAboutDlg> {
public:
    enum { IDD = IDD_ABOUTBOX };

    // Shows the box modally, owned by and centred on `owner`.
    static INT_PTR Show(HWND owner);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;
};
