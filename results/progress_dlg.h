// The please-wait dialog that long result actions show: modeless, over the program's main window, which it
// disables while it exists. The user cannot close it (Enter, Esc, OK and Cancel do nothing); the action
// destroys it when done.
//
// Threads: main thread only; it joins the main thread's message loop as a filter while it exists.
#pragma once

#include "resources/dialog_ids.h"
#include "winlib/dialog_impl.h"
#include "winlib/message_loop.h"

#include <memory>

class CProgressDlg : public CDialogImpl<CProgressDlg>, public CMessageFilter {
public:
    enum { IDD = IDD_PROGRESS };

    CProgressDlg() = default;
    ~CProgressDlg() override;

    // Creates and shows the dialog over `owner` (a window of the main window, or the main window itself).
    // False when the dialog cannot be created.
    bool Open(HWND owner);
    // Shows the text at once, even while the main thread is busy and processes no messages.
    void SetText(const wchar_t* text);
    // Gives the input back to the owner and destroys the dialog.
    void Close();

    // Dialog navigation; the filter is asked before the main window's own.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    void OnInitDialog();
    void ReleaseOwner();

    HWND m_owner = nullptr;
    CMessageLoop* m_loop = nullptr; // the loop the filter was added to, until it is removed
    bool m_ownerDisabled = false;
};

// The one please-wait dialog an owner shows at a time: opening another first closes the one before.
class ProgressDlgSlot {
public:
    ProgressDlgSlot() = default;
    ProgressDlgSlot(const ProgressDlgSlot&) = delete;
    ProgressDlgSlot& operator=(const ProgressDlgSlot&) = delete;
    ~ProgressDlgSlot() { Close(); }

    // The new dialog, or null when it could not be created.
    CProgressDlg* Open(HWND owner);
    void SetText(const wchar_t* text);
    void Close();
    CProgressDlg* Get() const { return m_dialog.get(); }

private:
    std::unique_ptr<CProgressDlg> m_dialog;
};
