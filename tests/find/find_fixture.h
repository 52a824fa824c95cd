// Helpers of the console program's tests: a console that keeps what the program writes, the test's registry
// tree, and runs of the program in this process or as a process of its own.
#pragma once

#include "find/find_console.h"
#include "find/find_program.h"
#include "tests/common/test_support.h"
#include "tests/common/file_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace findtest {

class CapturedConsole : public FindConsole {
public:
    void Out(std::wstring_view text) override { out.append(text); }
    void Err(std::wstring_view text) override { err.append(text); }
    bool ErrIsConsole() const override { return false; }

    std::wstring out;
    std::wstring err;
};

struct Outcome {
    int code = -1;
    std::wstring out;
    std::wstring err;
};

inline Outcome Find(const std::vector<std::wstring>& args) {
    CapturedConsole console;
    Outcome outcome;
    outcome.code = RunFind(args, console);
    outcome.out = console.out;
    outcome.err = console.err;
    return outcome;
}

// The lines of a text, without their line ends.
inline std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

inline std::wstring ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return name;
}

// The test trees live in the native view, as the program searches it: a 32-bit test program on 64-bit Windows
// would otherwise make them under Wow6432Node.
inline void SetValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                     size_t size) {
    HKEY key = nullptr;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(key);
}

inline void DeleteTree(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExW(root, path.c_str(), KEY_WOW64_64KEY, 0);
    }
}

inline void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text,
                      DWORD type = REG_SZ) {
    SetValue(root, path, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// The test tree below root\path, built afresh and deleted again:
//   Alpha      Path = "C:\Tools\needle.exe", Count = DWORD 42, Blob = DE AD BE EF 00, Multi = "one", "needle two"
//   Alpha\NeedleKey
//   Beta       Other = "Other", Big = QWORD 0x100000005, "Tab\there" = "a\tb", "Größe" = "needle ü"
class FindTree {
public:
    FindTree(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
        DeleteTree(root_, path_);
        SetString(root_, path_ + L"\\Alpha", L"Path", L"C:\\Tools\\needle.exe");
        const DWORD count = 42;
        SetValue(root_, path_ + L"\\Alpha", L"Count", REG_DWORD, &count, sizeof count);
        const BYTE blob[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x00};
        SetValue(root_, path_ + L"\\Alpha", L"Blob", REG_BINARY, blob, sizeof blob);
        const wchar_t multi[] = L"one\0needle two\0";
        SetValue(root_, path_ + L"\\Alpha", L"Multi", REG_MULTI_SZ, multi, sizeof multi);
        HKEY key = nullptr;
        RegCreateKeyExW(root_, (path_ + L"\\Alpha\\NeedleKey").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                        nullptr, &key, nullptr);
        RegCloseKey(key);
        SetString(root_, path_ + L"\\Beta", L"Other", L"Other");
        const unsigned long long big = 0x100000005ull;
        SetValue(root_, path_ + L"\\Beta", L"Big", REG_QWORD, &big, sizeof big);
        SetString(root_, path_ + L"\\Beta", L"Tab\there", L"a\tb");
        SetString(root_, path_ + L"\\Beta", L"Gr\u00f6\u00dfe", L"needle \u00fc");
    }
    ~FindTree() { DeleteTree(root_, path_); }
    FindTree(const FindTree&) = delete;
    FindTree& operator=(const FindTree&) = delete;

    // The look-in text of the tree, e.g. "HKCU\Software\QuillonFindTest".
    std::wstring LookIn(const wchar_t* hive) const { return std::wstring(hive) + L"\\" + path_; }

private:
    HKEY root_;
    std::wstring path_;
};

} // namespace findtest
