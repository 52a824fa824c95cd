#include "winlib/window_impl.h"

#include "base/log_file.h"

#include <commctrl.h>

#include <cwchar>
#include <exception>

CWindowImplRoot::~CWindowImplRoot() {
    // Never leave a live window pointing at a dead object.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        if (m_subclassed) {
            RemoveWindowSubclass(m_hWnd, &SubclassProc, reinterpret_cast<UINT_PTR>(this));
        } else if (m_isDialog) {
            ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        } else {
            ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        }
    }
}

CWindowImplRoot*& CWindowImplRoot::CreatingWindow() {
    // Creation is synchronous on one thread, so a per-thread slot hands the object to its first message.
    static thread_local CWindowImplRoot* creating = nullptr;
    return creating;
}

BOOL CWindowImplRoot::SubclassWindow(HWND hWnd) {
    if (m_hWnd || !::IsWindow(hWnd)) {
        return FALSE;
    }
    if (!SetWindowSubclass(hWnd, &SubclassProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this))) {
        return FALSE;
    }
    m_hWnd = hWnd;
    m_subclassed = true;
    return TRUE;
}

HWND CWindowImplRoot::UnsubclassWindow() {
    if (!m_subclassed || !m_hWnd) {
        return nullptr;
    }
    RemoveWindowSubclass(m_hWnd, &SubclassProc, reinterpret_cast<UINT_PTR>(this));
    m_subclassed = false;
    return Detach();
}

LRESULT CWindowImplRoot::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (m_subclassed) {
        return DefSubclassProc(m_hWnd, uMsg, wParam, lParam);
    }
    if (m_isDialog) {
        return 0;
    }
    return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowImplRoot::DefWindowProc() {
    return m_pCurrentMsg ? DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam) : 0;
}

BOOL CWindowImplRoot::ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    HWND child = nullptr;
    switch (uMsg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM:
        if (wParam) {
            child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(lParam);
        break;
    default:
        break;
    }
    if (!child || !::IsWindow(child)) {
        return FALSE;
    }
    lResult = ::SendMessageW(child, OCM__BASE + uMsg, wParam, lParam);
    return TRUE;
}

namespace {

// "message 0x0111 to a window of class #32770".
void LogBoundaryException(HWND hWnd, UINT uMsg, const char* reason) noexcept {
    wchar_t className[64] = {};
    ::GetClassNameW(hWnd, className, 64);
    wchar_t where[128] = {};
    swprintf(where, 128, L"message 0x%04x to a window of class %ls", uMsg, className);
    LogStoppedException(where, reason);
}

} // namespace

LRESULT CWindowImplRoot::Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& handled) noexcept {
    MSG current = {hWnd, uMsg, wParam, lParam, 0, {0, 0}};
    const MSG* previous = m_pCurrentMsg;
    m_pCurrentMsg = &current;
    ++m_nesting;
    LRESULT result = 0;
    try {
        handled = ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, 0);
    } catch (const std::exception& error) {
        // An exception must not cross into the window system; it is logged and the message gets its
        // default handling.
        LogBoundaryException(hWnd, uMsg, error.what());
        handled = FALSE;
        result = 0;
    } catch (...) {
        LogBoundaryException(hWnd, uMsg, nullptr);
        handled = FALSE;
        result = 0;
    }
    m_pCurrentMsg = previous;
    --m_nesting;
    return result;
}

void CWindowImplRoot::FinishDestruction(HWND hWnd) {
    if (m_subclassed) {
        RemoveWindowSubclass(hWnd, &SubclassProc, reinterpret_cast<UINT_PTR>(this));
        m_subclassed = false;
    } else {
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    }
    m_destroyPending = false;
    m_hWnd = nullptr;
    OnFinalMessage(hWnd);
}

LRESULT CALLBACK CWindowImplRoot::StartWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowImplRoot* self = CreatingWindow();
    if (!self) {
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    CreatingWindow() = nullptr;
    self->m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    return WindowProc(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWindowImplRoot*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    BOOL handled = FALSE;
    LRESULT result = self->Dispatch(hWnd, uMsg, wParam, lParam, handled);
    if (!handled) {
        result = ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    if (uMsg == WM_NCDESTROY) {
        self->m_destroyPending = true;
    }
    if (self->m_destroyPending && self->m_nesting == 0) {
        self->FinishDestruction(hWnd);
    }
    return result;
}

LRESULT CALLBACK CWindowImplRoot::SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR refData) {
    auto* self = reinterpret_cast<CWindowImplRoot*>(refData);
    BOOL handled = FALSE;
    LRESULT result = self->Dispatch(hWnd, uMsg, wParam, lParam, handled);
    if (!handled) {
        result = DefSubclassProc(hWnd, uMsg, wParam, lParam);
    }
    if (uMsg == WM_NCDESTROY) {
        self->m_destroyPending = true;
    }
    if (self->m_destroyPending && self->m_nesting == 0) {
        self->FinishDestruction(hWnd);
    }
    return result;
}

HWND CWindowImplRoot::CreateOfClass(const wchar_t* className, UINT classStyle, HBRUSH background, LPCWSTR cursor,
                                    HWND hWndParent, const RECT* rect, const wchar_t* windowName, DWORD style,
                                    DWORD exStyle, HMENU menuOrId, void* createParam) {
    if (m_hWnd) {
        return nullptr;
    }
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing = {sizeof existing};
    if (!::GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW wc = {sizeof wc};
        wc.style = classStyle;
        wc.lpfnWndProc = &StartWindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, cursor);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        if (!::RegisterClassExW(&wc)) {
            return nullptr;
        }
    }
    const bool child = (style & WS_CHILD) != 0;
    int x = child ? 0 : CW_USEDEFAULT, y = child ? 0 : CW_USEDEFAULT;
    int cx = child ? 0 : CW_USEDEFAULT, cy = child ? 0 : CW_USEDEFAULT;
    if (rect) {
        x = rect->left;
        y = rect->top;
        cx = rect->right - rect->left;
        cy = rect->bottom - rect->top;
    }
    CreatingWindow() = this;
    HWND hWnd = ::CreateWindowExW(exStyle, className, windowName, style, x, y, cx, cy, hWndParent, menuOrId, instance,
                                  createParam);
    CreatingWindow() = nullptr;
    return hWnd;
}
