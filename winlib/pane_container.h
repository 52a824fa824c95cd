// A pane with a title bar and a close button above one client window. The close button sends
// WM_COMMAND kPaneCloseCommand to the container's parent with the container as the sender, so an owner with
// several containers knows which one to close. The client's WM_COMMAND and WM_NOTIFY go on to the parent.
#pragma once

#include "winlib/gdi.h"
#include "winlib/window_impl.h"

#include <string>

// The close button's command id (the value window libraries traditionally give their pane close command).
inline constexpr UINT kPaneCloseCommand = 57682;

// Extended style: a one-pixel border around the pane instead of none.
inline constexpr DWORD PANECNT_FLATBORDER = 0x00000020;

class CPaneContainer : public CWindowImpl<CPaneContainer> {
public:
    static HBRUSH GetWndBackground() { return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); }

    HWND Create(HWND parent, const wchar_t* title,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    void SetPaneContainerExtendedStyle(DWORD style);
    void SetTitle(const wchar_t* title);
    const std::wstring& GetTitle() const { return m_title; }
    void SetClient(HWND client);
    HWND GetClient() const { return m_client; }
    HWND GetCloseButton() const { return m_closeButton; }

    // The client window's place inside a container of the given size.
    RECT ClientArea(int width, int height) const;

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    int TitleHeight() const;
    int Border() const { return (m_extendedStyle & PANECNT_FLATBORDER) ? 1 : 0; }
    void UpdateLayout();
    void Paint();
    void DrawCloseButton(const DRAWITEMSTRUCT& item) const;

    std::wstring m_title;
    HWND m_client = nullptr;
    HWND m_closeButton = nullptr;
    DWORD m_extendedStyle = 0;
    FontHandle m_font;
};
