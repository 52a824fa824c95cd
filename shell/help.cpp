#include "shell/help.h"

#include "base/win_handles.h"

#include <htmlhelp.h>

#include <algorithm>

namespace {

constexpr size_t kPathBufferChars = 260;
constexpr const wchar_t* kHelpControlServer = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

} // namespace

std::wstring HelpTopicPath(const std::wstring& exePath) {
    std::wstring path = exePath.substr(0, std::min(exePath.size(), exePath.rfind(L'\\')));
    path += L"\\tamsel.chm";
    path += L"::/2_Utilities/1_quillon.htm";
    if (path.size() > kPathBufferChars - 1) {
        path.resize(kPathBufferChars - 1);
    }
    return path;
}

std::wstring HtmlHelpLibraryPath() {
    KeyHandle key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kHelpControlServer, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS) {
        wchar_t value[MAX_PATH] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && value[0]) {
            if (type == REG_EXPAND_SZ) {
                wchar_t expanded[MAX_PATH] = {};
                if (::ExpandEnvironmentStringsW(value, expanded, MAX_PATH) > 0) {
                    return expanded;
                }
            }
            return value;
        }
    }
    return L"hhctrl.ocx";
}

HtmlHelpFunction LoadHtmlHelp() {
    // Loaded once and kept: the help window lives in this library for as long as it is open.
    static const HtmlHelpFunction function = [] {
        HMODULE library = ::LoadLibraryW(HtmlHelpLibraryPath().c_str());
        if (!library) {
            library = ::LoadLibraryW(L"hhctrl.ocx");
        }
        return library ? reinterpret_cast<HtmlHelpFunction>(
                             reinterpret_cast<void (*)()>(::GetProcAddress(library, "HtmlHelpW")))
                       : nullptr;
    }();
    return function;
}

HtmlHelpFunction& HtmlHelpOverride() {
    static HtmlHelpFunction function = nullptr;
    return function;
}

void ShowHelp(HWND owner) {
    HtmlHelpFunction htmlHelp = HtmlHelpOverride() ? HtmlHelpOverride() : LoadHtmlHelp();
    if (!htmlHelp) {
        return;
    }
    wchar_t exePath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    const std::wstring topic = HelpTopicPath(exePath);
    htmlHelp(owner, topic.c_str(), HH_DISPLAY_TOPIC, 0);
}
