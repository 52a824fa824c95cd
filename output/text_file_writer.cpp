#include "output/text_file_writer.h"

#include "base/win_handles.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

// A file in the target's folder that no other file uses, created empty and held open for exclusive access.
// Its name is short, so that a target name near the path length limit still leaves room for it.
UniqueHandle CreateTemporaryBeside(const std::wstring& path, std::wstring& tempPath, DWORD& error) {
    static LONG serial = 0;
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[32];
        swprintf(name, 32, L"~q%lx-%lx.tmp", GetCurrentProcessId(),
                 static_cast<unsigned long>(InterlockedIncrement(&serial)));
        tempPath = folder + name;
        UniqueHandle file(
            CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return file;
        }
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    tempPath.clear();
    return {};
}

DWORD WriteAll(HANDLE file, const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr)) {
            return GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        bytes += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

} // namespace

std::wstring ToCrLf(std::wstring_view text) {
    std::wstring converted;
    converted.reserve(text.size() + static_cast<size_t>(std::count(text.begin(), text.end(), L'\n')));
    for (wchar_t c : text) {
        if (c == L'\n') {
            converted += L'\r';
        }
        converted += c;
    }
    return converted;
}

DWORD WriteUtf16File(const std::wstring& path, std::wstring_view text) {
    const std::wstring content = ToCrLf(text);
    std::wstring tempPath;
    DWORD error = ERROR_SUCCESS;
    UniqueHandle file = CreateTemporaryBeside(path, tempPath, error);
    if (!file) {
        return error != ERROR_SUCCESS ? error : ERROR_CANNOT_MAKE;
    }
    static const BYTE kByteOrderMark[] = {0xFF, 0xFE};
    error = WriteAll(file.Get(), kByteOrderMark, sizeof kByteOrderMark);
    if (error == ERROR_SUCCESS) {
        // Windows is little-endian, so the characters in memory are already UTF-16LE.
        error = WriteAll(file.Get(), content.data(), content.size() * sizeof(wchar_t));
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file.Get())) {
        error = GetLastError();
    }
    file.Reset();
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(tempPath.c_str());
    }
    return error;
}
