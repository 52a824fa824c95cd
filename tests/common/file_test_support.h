// Helpers of the file-output tests: a scratch folder, and the exact bytes a written UTF-16LE file must hold.
#pragma once

#include "base/win_handles.h"
#include "tests/common/test_support.h"

#include <windows.h>

#include <string>

namespace filetest {

// A fresh, empty folder for one test, removed with everything in it by the destructor.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"quillon_files_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++Serial());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    // Number of entries in the folder (files left behind included).
    int Count() const {
        int count = 0;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                count += found.cFileName[0] != L'.';
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        return count;
    }

private:
    static int& Serial() {
        static int serial = 0;
        return serial;
    }
    std::wstring path_;
};

// The byte-order mark and the characters of text as UTF-16LE: what a saved file holds.
inline std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// The file's characters after its byte-order mark (for readable failure messages).
inline std::wstring FileText(const std::wstring& path) {
    const std::string bytes = testsupport::ReadFileBytes(path);
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

} // namespace filetest
