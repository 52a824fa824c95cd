#include "shell/taskbar.h"

#include "base/win_handles.h"

namespace {

// Registered during static initialisation, so the id is known before any window exists.
const UINT g_taskbarButtonCreated = ::RegisterWindowMessageW(L"TaskbarButtonCreated");

constexpr CLSID kTaskbarListClass = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
constexpr IID kTaskbarList3Iid = {0xea1afb91, 0x9e28, 0x4b86, {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};

bool IsWindows7OrLater() {
    // Systems newer than the manifest knows report 6.2, which still passes.
    OSVERSIONINFOW version = {sizeof version};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version)) {
        return false;
    }
#pragma GCC diagnostic pop
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion > 0);
}

} // namespace

UINT TaskbarButtonCreatedMessage() {
    return g_taskbarButtonCreated;
}

void OpenTaskbarMessageFilter(HWND window) {
    const LibraryModule user32(::LoadLibraryW(L"user32.dll"));
    if (!user32) {
        return;
    }
    using FilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using Filter = BOOL(WINAPI*)(UINT, DWORD);
    if (auto filterEx = reinterpret_cast<FilterEx>(
            reinterpret_cast<void (*)()>(::GetProcAddress(user32.Get(), "ChangeWindowMessageFilterEx")))) {
        filterEx(window, g_taskbarButtonCreated, 1 /* MSGFLT_ALLOW */, nullptr);
    } else if (auto filter = reinterpret_cast<Filter>(
                   reinterpret_cast<void (*)()>(::GetProcAddress(user32.Get(), "ChangeWindowMessageFilter")))) {
        filter(g_taskbarButtonCreated, 1 /* MSGFLT_ADD */);
    }
}

ComPtr<ITaskbarList3> CreateTaskbarList() {
    ComPtr<ITaskbarList3> list;
    if (IsWindows7OrLater()) {
        ::CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_ALL, kTaskbarList3Iid, list.ReceiveVoid());
    }
    return list;
}
