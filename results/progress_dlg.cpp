#include "results/progress_dlg.h"

CProgressDlg::~CProgressDlg() {
    Close();
}

bool CProgressDlg::Open(HWND owner) {
    Close();
    if (!Create(owner)) {
        return false;
    }
    // The template is not visible by itself: the dialog shows the moment the action starts.
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return true;
}

void CProgressDlg::SetText(const wchar_t* text) {
    if (!m_hWnd) {
        return;
    }
    SetDlgItemText(IDC_PROGRESS_TEXT, text ? text : L"");
    // The caller keeps the main thread busy, so no WM_PAINT would arrive before the action ends.
    UpdateWindow();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CProgressDlg::Close() {
    if (!m_hWnd) {
        return;
    }
    // The owner takes input again before the dialog goes, so that activation returns to it rather than to
    // some other program's window.
    ReleaseOwner();
    DestroyWindow();
}

BOOL CProgressDlg::PreTranslateMessage(MSG* pMsg) {
    return m_hWnd && ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CProgressDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog();
        lResult = TRUE;
        return TRUE;
    case WM_COMMAND:
        // Enter, Esc and the hidden Cancel: the action decides when the dialog goes.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        // Also when the dialog goes with its owner rather than through Close.
        ReleaseOwner();
        return FALSE;
    default:
        return FALSE;
    }
}

void CProgressDlg::OnInitDialog() {
    // A dialog created over a child window is owned by that child's top-level window.
    m_owner = ::GetWindow(m_hWnd, GW_OWNER);
    CenterWindow(m_owner);
    m_loop = AppModule().GetMessageLoop();
    if (m_loop) {
        m_loop->AddMessageFilter(this);
    }
    // An owner that someone else disabled stays disabled afterwards.
    if (m_owner && ::IsWindowEnabled(m_owner)) {
        ::EnableWindow(m_owner, FALSE);
        m_ownerDisabled = true;
    }
}

void CProgressDlg::ReleaseOwner() {
    if (m_loop) {
        m_loop->RemoveMessageFilter(this);
        m_loop = nullptr;
    }
    if (m_ownerDisabled) {
        m_ownerDisabled = false;
        ::EnableWindow(m_owner, TRUE);
    }
    if (m_owner && ::IsWindow(m_owner)) {
        ::SetForegroundWindow(m_owner);
        ::BringWindowToTop(m_owner);
    }
    m_owner = nullptr;
}

CProgressDlg* ProgressDlgSlot::Open(HWND owner) {
    Close();
    m_dialog = std::make_unique<CProgressDlg>();
    if (!m_dialog->Open(owner)) {
        m_dialog.reset();
    }
    return m_dialog.get();
}

void ProgressDlgSlot::SetText(const wchar_t* text) {
    if (m_dialog) {
        m_dialog->SetText(text);
    }
}

void ProgressDlgSlot::Close() {
    if (m_dialog) {
        m_dialog->Close();
        m_dialog.reset();
    }
}
