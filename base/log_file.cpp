#include "base/log_file.h"

#include <cstdarg>
#include <cwchar>
#include <share.h>
#include <shlobj.h>

namespace {

// Appends to a path held to MAX_PATH characters; what does not fit is dropped, as the buffer would.
void AppendBounded(std::wstring& path, const std::wstring& tail) {
    constexpr size_t kCapacity = MAX_PATH - 1;
    if (path.size() < kCapacity) {
        path.append(tail, 0, kCapacity - path.size());
    }
}

} // namespace

std::wstring LogFolderPath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\') {
        AppendBounded(path, L"\\");
    }
    AppendBounded(path, L"Orvanta\\Quillon");
    SHCreateDirectoryExW(nullptr, path.c_str(), nullptr); // an existing folder is fine
    return path;
}

LogFile::~LogFile() {
    CloseLogFile();
}

std::wstring LogFile::OpenLogFile(const wchar_t* fileName, bool append) {
    std::wstring path = LogFolderPath();
    if (path.empty()) {
        return {};
    }
    if (path.back() != L'\\' && fileName[0] != L'\\') {
        AppendBounded(path, L"\\");
    }
    AppendBounded(path, fileName);

    CriticalSectionLock hold(lock_);
    if (file_) {
        fclose(file_);
    }
    // Text mode turns each "\n" into CR LF. Others may read the file while we write, none may write:
    // _SH_DENYWR gives the same sharing as _SH_SECURE, which not every C runtime accepts.
    file_ = _wfsopen(path.c_str(), append ? L"a" : L"w", _SH_DENYWR);
    return file_ ? path : std::wstring();
}

void LogFile::LogPrintf(const wchar_t* format, ...) {
    CriticalSectionLock hold(lock_);
    wchar_t line[kLogLineCapacity];
    va_list args;
    va_start(args, format);
    int written = std::vswprintf(line, kLogLineCapacity, format, args);
    va_end(args);
    // vswprintf reports a line that does not fit as an error; keep what was formatted, cut at the end.
    if (written < 0) {
        line[kLogLineCapacity - 1] = L'\0';
    }
    LogWriteLine(line);
}

void LogFile::LogWriteLine(const wchar_t* text) {
    CriticalSectionLock hold(lock_);
    if (!file_) {
        return;
    }
    // One byte per character: below U+0100 its own value, anything else "?".
    std::string bytes;
    for (const wchar_t* c = text; *c; ++c) {
        bytes.push_back(*c < 0x100 ? static_cast<char>(*c) : '?');
    }
    bytes.push_back('\n');
    fwrite(bytes.data(), 1, bytes.size(), file_);
    fflush(file_);
}

void LogFile::CloseLogFile() {
    CriticalSectionLock hold(lock_);
    if (file_) {
        fclose(file_);
        file_ = nullptr;
    }
}

bool LogFile::IsOpen() {
    CriticalSectionLock hold(lock_);
    return file_ != nullptr;
}

void LogStoppedException(const wchar_t* where, const char* reason) noexcept {
    try {
        std::wstring text;
        for (const char* c = reason ? reason : "an exception that is not a standard one"; *c; ++c) {
            text.push_back(static_cast<unsigned char>(*c));
        }
        LogFile log;
        log.OpenLogFile(kProgramLogName, true);
        log.LogPrintf(L"Stopped an exception while handling %ls: %ls", where, text.c_str());
    } catch (...) {
        // Nothing is left to report to; the caller goes on with its default handling.
    }
}
