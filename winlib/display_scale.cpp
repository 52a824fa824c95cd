#include "winlib/display_scale.h"

#include <windows.h>

int DisplayScale() {
    static const int scale = [] {
        HDC screen = ::GetDC(nullptr);
        int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
        if (screen) {
            ::ReleaseDC(nullptr, screen);
        }
        return ::MulDiv(dpi, 100, 96);
    }();
    return scale;
}

int Scaled(int n) { return ::MulDiv(n, DisplayScale(), 100); }
