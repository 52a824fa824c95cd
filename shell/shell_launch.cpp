#include "shell/shell_launch.h"

#include "base/win_handles.h"

#include <shellapi.h>

bool IsProcessElevated() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return false;
    }
    UniqueHandle token(raw);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) {
        return false;
    }
    return elevation.TokenIsElevated != 0;
}

bool ShellLaunch(HWND owner, const std::wstring& file, const std::wstring& verb, const std::wstring& parameters) {
    if (file.empty()) {
        return false;
    }
    SHELLEXECUTEINFOW info = {sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_UNICODE;
    info.hwnd = owner;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != FALSE;
}

ShellExecuteFunction& ShellExecuteForRelaunch() {
    static ShellExecuteFunction function = &::ShellExecuteW;
    return function;
}

void RelaunchAsAdministrator() {
    wchar_t path[MAX_PATH] = {};
    if (!::GetModuleFileNameW(nullptr, path, MAX_PATH)) {
        return;
    }
    ShellExecuteForRelaunch()(nullptr, L"runas", path, nullptr, nullptr, SW_SHOWNORMAL);
}
