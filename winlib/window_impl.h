// Message-map windows: CWindowImplRoot dispatches every message of its window to one virtual
// ProcessWindowMessage; CWindowImpl<T> creates windows of its own registered class, SubclassWindow attaches
// to an existing control. `this` is found in O(1): the window's user data for own windows, the subclass
// reference data for subclassed controls. Exceptions never leave a window procedure.
#pragma once

#include "winlib/window.h"

#include <string>
#include <typeinfo>

// Reflected messages: a parent sends a child's own notifications back to it as OCM__BASE + message.
inline constexpr UINT OCM__BASE = WM_USER + 0x1c00;
inline constexpr UINT OCM_COMMAND = OCM__BASE + WM_COMMAND;
inline constexpr UINT OCM_NOTIFY = OCM__BASE + WM_NOTIFY;
inline constexpr UINT OCM_DRAWITEM = OCM__BASE + WM_DRAWITEM;

class CMessageMap {
public:
    // Returns TRUE when the message was handled, with its result in lResult.
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID = 0) = 0;

protected:
    ~CMessageMap() = default;
};

class CWindowImplRoot : public CWindow, public CMessageMap {
public:
    CWindowImplRoot() = default;
    CWindowImplRoot(const CWindowImplRoot&) = delete;
    CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;
    virtual ~CWindowImplRoot();

    // Attaches to an existing window; its messages reach ProcessWindowMessage first and the window's own
    // procedure through DefWindowProc.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    // The procedure this window would use without us: the control's own, DefWindowProcW, or for a dialog
    // nothing (0, "not handled", so the dialog manager does its default).
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // DefWindowProc for the message being processed now.
    LRESULT DefWindowProc();
    const MSG* GetCurrentMessage() const { return m_pCurrentMsg; }

    // Sends a child's WM_COMMAND / WM_NOTIFY / WM_DRAWITEM ... back to the child as OCM_*.
    BOOL ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    // Called after WM_NCDESTROY, when m_hWnd is already null. The object may delete itself here.
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

protected:
    // Runs one message through the map; used by every window and dialog procedure of this layer.
    LRESULT Dispatch(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& handled) noexcept;
    // Registers a window class once per process and creates a window of it bound to this object.
    HWND CreateOfClass(const wchar_t* className, UINT classStyle, HBRUSH background, LPCWSTR cursor, HWND hWndParent,
                       const RECT* rect, const wchar_t* windowName, DWORD style, DWORD exStyle, HMENU menuOrId,
                       void* createParam);

    static CWindowImplRoot*& CreatingWindow();

private:
    static LRESULT CALLBACK StartWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);
    void FinishDestruction(HWND hWnd);

    const MSG* m_pCurrentMsg = nullptr;
    bool m_subclassed = false;
    bool m_isDialog = false;
    bool m_destroyPending = false;
    int m_nesting = 0;

    friend class CDialogImplRoot;
};

// A window of its own class. T may hide GetWndClassName / GetWndClassStyle / GetWndBackground.
template <class T> class CWindowImpl : public CWindowImplRoot {
public:
    static const wchar_t* GetWndClassName() {
        static const std::wstring name = MakeClassName();
        return name.c_str();
    }
    static UINT GetWndClassStyle() { return CS_DBLCLKS; }
    static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1); }

    HWND Create(HWND hWndParent, const RECT* rect = nullptr, const wchar_t* windowName = nullptr, DWORD style = 0,
                DWORD exStyle = 0, UINT_PTR menuOrId = 0, void* createParam = nullptr) {
        return CreateOfClass(T::GetWndClassName(), T::GetWndClassStyle(), T::GetWndBackground(), IDC_ARROW, hWndParent,
                             rect, windowName, style, exStyle, reinterpret_cast<HMENU>(menuOrId), createParam);
    }

private:
    static std::wstring MakeClassName() {
        std::string raw = typeid(T).name();
        return L"Quillon:" + std::wstring(raw.begin(), raw.end());
    }
};
