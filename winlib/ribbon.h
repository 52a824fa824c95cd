// The optional ribbon: hosts the Windows Ribbon framework on a frame window when the program carries its
// compiled markup (resource APPLICATION_RIBBON of type UIFILE) and the framework really loads it. Commands
// executed on the ribbon come back to the frame as WM_COMMAND; their enabled and checked states are asked
// from the frame.
#pragma once

#include "base/com_ptr.h"

#include <windows.h>

#include <functional>

// Whether showing the ribbon can work: the markup resource exists and the framework object can be created.
// Asked once per process; a later failure to show the ribbon turns the answer to false for good.
bool RibbonAvailable();

class CRibbonHost {
public:
    struct Callbacks {
        std::function<bool(UINT)> isEnabled;
        std::function<bool(UINT)> isChecked;
        // A toggle reports its new check state before the command runs.
        std::function<void(UINT, bool)> setChecked;
        // The ribbon's height changed: the frame lays itself out again.
        std::function<void()> heightChanged;
    };

    CRibbonHost();
    CRibbonHost(const CRibbonHost&) = delete;
    CRibbonHost& operator=(const CRibbonHost&) = delete;
    ~CRibbonHost();

    // Creates, initialises and loads the ribbon on the frame. False (nothing left behind, and the ribbon
    // marked unavailable) on any failure.
    bool Show(HWND frame, Callbacks callbacks);
    void Hide();
    bool IsShown() const { return static_cast<bool>(m_framework); }
    // Pixels the ribbon takes at the top of the frame's client area (0 while hidden).
    UINT Height() const;
    // Makes the ribbon ask again for a command's enabled state.
    void InvalidateState(UINT id);

private:
    struct Application;
    ComPtr<struct IUIFramework> m_framework;
    ComPtr<Application> m_application;
};
