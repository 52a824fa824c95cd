// RAII for GDI: owned objects (fonts, bitmaps, pens, brushes), device contexts, and selections that put the
// previous object back when they end.
#pragma once

#include <windows.h>

#include <utility>

template <class T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.object_, nullptr));
        }
        return *this;
    }
    ~GdiObject() { Reset(); }

    T Get() const { return object_; }
    operator T() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void Reset(T object = nullptr) {
        if (object_) {
            ::DeleteObject(object_);
        }
        object_ = object;
    }
    T Release() { return std::exchange(object_, nullptr); }

private:
    T object_ = nullptr;
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
