#include "winlib/dialog_impl.h"

namespace {

// Messages whose dialog-procedure return value is the result itself rather than TRUE/FALSE.
bool ReturnsResultDirectly(UINT uMsg) {
    switch (uMsg) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

} // namespace

INT_PTR CDialogImplRoot::DoModalOf(int dialogId, HWND hWndParent, LPARAM initParam) {
    if (m_hWnd) {
        return -1;
    }
    m_isDialog = true;
    CreatingWindow() = this;
    INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), hWndParent,
                                       &StartDialogProc, initParam);
    CreatingWindow() = nullptr;
    return result;
}

HWND CDialogImplRoot::CreateOf(int dialogId, HWND hWndParent, LPARAM initParam) {
    if (m_hWnd) {
        return nullptr;
    }
    m_isDialog = true;
    CreatingWindow() = this;
    HWND hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), hWndParent,
                                     &StartDialogProc, initParam);
    CreatingWindow() = nullptr;
    return hWnd;
}

INT_PTR CALLBACK CDialogImplRoot::StartDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowImplRoot* self = CreatingWindow();
    if (!self) {
        return FALSE;
    }
    CreatingWindow() = nullptr;
    self->m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    ::SetWindowLongPtrW(hWnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&DialogProc));
    return DialogProc(hWnd, uMsg, wParam, lParam);
}

INT_PTR CALLBACK CDialogImplRoot::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialogImplRoot*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    BOOL handled = FALSE;
    LRESULT result = self->Dispatch(hWnd, uMsg, wParam, lParam, handled);
    INT_PTR answer = FALSE;
    if (handled) {
        if (ReturnsResultDirectly(uMsg)) {
            answer = static_cast<INT_PTR>(result);
        } else {
            ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
            answer = TRUE;
        }
    }
    if (uMsg == WM_NCDESTROY) {
        self->m_destroyPending = true;
    }
    if (self->m_destroyPending && self->m_nesting == 0) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_destroyPending = false;
        self->m_hWnd = nullptr;
        self->OnFinalMessage(hWnd);
    }
    return answer;
}
