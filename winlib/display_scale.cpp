#include "winlib/display_scale.h"

#include "winlib/gdi.h"

#include <windows.h>

int DisplayScale() {
    static const int scale = [] {
        const WindowDC screen(nullptr);
        const int dpi = screen.Get() ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
        return ::MulDiv(dpi, 100, 96);
    }();
    return scale;
}

int Scaled(int n) {
    return ::MulDiv(n, DisplayScale(), 100);
}
