#include "shell/window_placement.h"

#include "base/settings.h"
#include "base/win_handles.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored record is the 44-byte WINDOWPLACEMENT");

WINDOWPLACEMENT DefaultWindowPlacement(const RECT& workArea) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    placement.flags = 0;
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = {workArea.left + 100, workArea.top + 100, workArea.right - 100, workArea.bottom - 100};
    return placement;
}

bool ReadWindowPlacement(WINDOWPLACEMENT& placement) {
    RECT workArea = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    placement = DefaultWindowPlacement(workArea);
    KeyHandle key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProgramKeyPath, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = sizeof placement;
    return ::RegQueryValueExW(key.Get(), kWindowPlacementValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&placement),
                              &size) == ERROR_SUCCESS;
}

bool WriteWindowPlacement(const WINDOWPLACEMENT& placement) {
    KeyHandle key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKeyPath, 0, nullptr, 0,
                          KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, key.Receive(),
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return ::RegSetValueExW(key.Get(), kWindowPlacementValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&placement),
                            sizeof placement) == ERROR_SUCCESS;
}

int ShowCommandAfterPlacement(int startShow, UINT storedShow) {
    if (startShow != SW_SHOWNORMAL) {
        return startShow;
    }
    return (storedShow == SW_MINIMIZE || storedShow == SW_SHOWMINIMIZED) ? SW_SHOWNORMAL : 0;
}

void RestoreWindowPlacement(HWND window, int startShow) {
    WINDOWPLACEMENT placement = {};
    if (!ReadWindowPlacement(placement)) {
        ::ShowWindow(window, startShow);
        return;
    }
    // A record the window system rejects (a damaged length) or one stored hidden would leave the program
    // running without a window; such a window is shown as if nothing had been stored.
    if (!::SetWindowPlacement(window, &placement)) {
        ::ShowWindow(window, startShow);
        return;
    }
    if (int show = ShowCommandAfterPlacement(startShow, placement.showCmd)) {
        ::ShowWindow(window, show);
    }
    if (!::IsWindowVisible(window)) {
        ::ShowWindow(window, startShow);
    }
}
