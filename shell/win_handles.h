// RAII owners for the Win32 handles used below the window layer: registry keys, kernel handles and
// critical sections. Each handle is released in the scope that acquired it.
#pragma once

#include <windows.h>

#include <utility>

// An open registry key. The predefined roots (HKEY_CURRENT_USER, ...) are never closed.
class KeyHandle {
public:
    KeyHandle() = default;
    explicit KeyHandle(HKEY key) : key_(key) {}
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    KeyHandle(KeyHandle&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    KeyHandle& operator=(KeyHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.key_, nullptr));
        }
        return *this;
    }
    ~KeyHandle() { Reset(); }

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // For the out-parameter of RegOpenKeyExW and friends; closes what was held before.
    HKEY* Receive() {
        Reset();
        return &key_;
    }
    HKEY Release() { return std::exchange(key_, nullptr); }
    void Reset(HKEY key = nullptr) {
        if (key_ && !IsPredefined(key_)) {
            RegCloseKey(key_);
        }
        key_ = key;
    }

    // The roots are 0x80000000 to 0x80000006 as signed 32-bit values, sign-extended on 64-bit builds.
    static bool IsPredefined(HKEY key) {
        auto value = reinterpret_cast<ULONG_PTR>(key);
        return value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
               value <= reinterpret_cast<ULONG_PTR>(HKEY_DYN_DATA);
    }

private:
    HKEY key_ = nullptr;
};

// A kernel object handle (event, thread, process, port). Null and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Reset(HANDLE handle = nullptr) {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// A re-entrant lock: the owning thread may take it again; each Enter needs its Leave.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

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
