// A plain-text error log in %LOCALAPPDATA%\Orvanta\Quillon, one per writer (the search thread's
// tamsel_log.txt, the delete run's tamsel_del_log.txt). Lines are single-byte text ending in CR LF,
// flushed as written; a log that could not be opened swallows its lines.
#pragma once

#include "shell/win_handles.h"

#include <cstdio>
#include <string>

inline constexpr const wchar_t* kSearchLogName = L"tamsel_log.txt";
inline constexpr const wchar_t* kDeleteLogName = L"tamsel_del_log.txt";

// Longest formatted line, terminator included; longer lines are cut.
inline constexpr size_t kLogLineCapacity = 2048;

// The folder that holds the logs, created if missing; empty when there is no application-data folder.
std::wstring LogFolderPath();

class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens (truncating) the named file in the log folder; returns its full path, or "" when it cannot.
    std::wstring OpenLogFile(const wchar_t* fileName);
    // printf-style line; wide strings are "%ls".
    void LogPrintf(const wchar_t* format, ...);
    void LogWriteLine(const wchar_t* text);
    void CloseLogFile();
    bool IsOpen();

private:
    CriticalSection lock_;
    FILE* file_ = nullptr;
};
