// RAII for GDI: owned objects (fonts, bitmaps, pens, brushes), device contexts, and selections that put the
// previous object back when they end.
#pragma once

#include <windows.h>

#include "base/unique_owner.h"

template <class T> struct GdiObjectTraits {
    using Handle = T;
    static constexpr T kNone = nullptr;
    bool IsSet(T object) const { return object != nullptr; }
    void Close(T object) const { ::DeleteObject(object); }
};

// An owned GDI object; it converts to its handle so it can be handed straight to drawing calls.
template <class T> class GdiObject : public UniqueOwner<GdiObjectTraits<T>> {
public:
    using UniqueOwner<GdiObjectTraits<T>>::UniqueOwner;
    operator T() const { return this->Get(); }
};

using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;
using PenHandle = GdiObject<HPEN>;
using BrushHandle = GdiObject<HBRUSH>;

// Selects an object into a device context for the scope's duration.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;
    ~SelectObjectScope() {
        if (previous_) {
            ::SelectObject(dc_, previous_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory device context compatible with the given one (the screen when null).
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible = nullptr) : dc_(::CreateCompatibleDC(compatible)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc_) {
            ::DeleteDC(dc_);
        }
    }
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// GetDC / ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hWnd) : hWnd_(hWnd), dc_(::GetDC(hWnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) {
            ::ReleaseDC(hWnd_, dc_);
        }
    }
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND hWnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hWnd) : hWnd_(hWnd) { dc_ = ::BeginPaint(hWnd, &ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(hWnd_, &ps); }
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

    PAINTSTRUCT ps = {};

private:
    HWND hWnd_;
    HDC dc_ = nullptr;
};

// SaveDC / RestoreDC.
class SavedDCState {
public:
    explicit SavedDCState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;
    ~SavedDCState() {
        if (saved_) {
            ::RestoreDC(dc_, saved_);
        }
    }

private:
    HDC dc_;
    int saved_;
};
