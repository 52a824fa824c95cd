// Places a text so that its last character ends at an inaccessible page: reading one character past the
// given length faults, which turns an out-of-bounds read into a test failure.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

class GuardedText {
public:
    explicit GuardedText(const std::wstring& text) {
        SYSTEM_INFO info = {};
        GetSystemInfo(&info);
        const size_t bytes = text.size() * sizeof(wchar_t);
        const size_t pages = (bytes + info.dwPageSize - 1) / info.dwPageSize + 1;
        size_ = pages * info.dwPageSize;
        base_ = static_cast<char*>(VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        char* guard = base_ + size_ - info.dwPageSize;
        DWORD old = 0;
        VirtualProtect(guard, info.dwPageSize, PAGE_NOACCESS, &old);
        data_ = reinterpret_cast<wchar_t*>(guard - bytes);
        if (bytes) {
            std::memcpy(data_, text.data(), bytes);
        }
    }
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;
    ~GuardedText() { VirtualFree(base_, 0, MEM_RELEASE); }

    const wchar_t* Data() const { return data_; }

private:
    char* base_ = nullptr;
    size_t size_ = 0;
    wchar_t* data_ = nullptr;
};
