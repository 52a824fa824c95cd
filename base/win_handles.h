// The owners of the Win32 handles used below the window layer: registry keys, kernel objects, menus, loaded
// modules and critical sections. Each handle is released in the scope that acquired it.
#pragma once

#include <windows.h>

#include "base/unique_owner.h"

// Registry keys. The predefined roots (HKEY_CURRENT_USER, ...) are held but never closed.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static constexpr HKEY kNone = nullptr;
    bool IsSet(HKEY key) const { return key != nullptr; }
    void Close(HKEY key) const {
        if (!IsPredefinedKey(key)) {
            RegCloseKey(key);
        }
    }
    // The roots are 0x80000000 to 0x80000006 as signed 32-bit values, sign-extended on 64-bit builds.
    static bool IsPredefinedKey(HKEY key) {
        auto value = reinterpret_cast<ULONG_PTR>(key);
        return value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
               value <= reinterpret_cast<ULONG_PTR>(HKEY_DYN_DATA);
    }
};
using KeyHandle = UniqueOwner<RegistryKeyTraits>;

// Kernel objects (event, thread, process, port, file). Null and INVALID_HANDLE_VALUE both mean "none".
struct KernelHandleTraits {
    using Handle = HANDLE;
    static constexpr HANDLE kNone = nullptr;
    bool IsSet(HANDLE handle) const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    void Close(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

// Menus loaded or created and not attached to a window (an attached menu goes with its window).
struct MenuTraits {
    using Handle = HMENU;
    static constexpr HMENU kNone = nullptr;
    bool IsSet(HMENU menu) const { return menu != nullptr; }
    void Close(HMENU menu) const { DestroyMenu(menu); }
};
using MenuHandle = UniqueOwner<MenuTraits>;

// Icons made at run time (not the shared ones LoadImage gives with LR_SHARED).
struct IconTraits {
    using Handle = HICON;
    static constexpr HICON kNone = nullptr;
    bool IsSet(HICON icon) const { return icon != nullptr; }
    void Close(HICON icon) const { DestroyIcon(icon); }
};
using IconHandle = UniqueOwner<IconTraits>;

// Modules loaded with LoadLibrary.
struct LibraryTraits {
    using Handle = HMODULE;
    static constexpr HMODULE kNone = nullptr;
    bool IsSet(HMODULE module) const { return module != nullptr; }
    void Close(HMODULE module) const { FreeLibrary(module); }
};
using LibraryModule = UniqueOwner<LibraryTraits>;

// A re-entrant lock: the owning thread may take it again; each Enter needs its Leave.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }
    // Takes the lock only when it is free; true when taken (then Leave as usual).
    bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }

private:
    CRITICAL_SECTION section_;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalSectionLock() { section_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};
