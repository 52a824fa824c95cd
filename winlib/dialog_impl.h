// Dialogs from resource templates with a message map: CDialogImpl<T> needs T::IDD. Modal (DoModal) or
// modeless (Create). A handled message's result goes back to the dialog manager as DWLP_MSGRESULT, or
// directly for the few messages that return their value.
#pragma once

#include "winlib/window_impl.h"

class CDialogImplRoot : public CWindowImplRoot {
public:
    BOOL EndDialog(int result) { return ::EndDialog(m_hWnd, result); }

protected:
    INT_PTR DoModalOf(int dialogId, HWND hWndParent, LPARAM initParam);
    HWND CreateOf(int dialogId, HWND hWndParent, LPARAM initParam);

private:
    static INT_PTR CALLBACK StartDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

template <class T> class CDialogImpl : public CDialogImplRoot {
public:
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM initParam = 0) {
        return DoModalOf(T::IDD, hWndParent, initParam);
    }
    HWND Create(HWND hWndParent, LPARAM initParam = 0) { return CreateOf(T::IDD, hWndParent, initParam); }
};
