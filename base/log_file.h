// A plain-text error log in %LOCALAPPDATA%\Orvanta\Quillon, one per writer (the search thread's
// tamsel_log.txt, the delete run's tamsel_del_log.txt). Lines are single-byte text ending in CR LF,
// flushed as written; a log that could not be opened swallows its lines.
#pragma once

#include "base/win_handles.h"

#include <cstdio>
#include <string>

inline constexpr const wchar_t* kSearchLogName = L"tamsel_log.txt";
inline constexpr const wchar_t* kDeleteLogName = L"tamsel_del_log.txt";
// Failures stopped at a boundary where nothing else could report them (window procedures), kept across runs.
inline constexpr const wchar_t* kProgramLogName = L"tamsel_program_log.txt";

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

    // Opens (truncating, or appending when asked) the named file in the log folder; returns its full path, or
    // "" when it cannot.
    std::wstring OpenLogFile(const wchar_t* fileName, bool append = false);
    // printf-style line; wide strings are "%ls".
    void LogPrintf(const wchar_t* format, ...);
    void LogWriteLine(const wchar_t* text);
    void CloseLogFile();
    bool IsOpen();

private:
    CriticalSection lock_;
    FILE* file_ = nullptr;
};

// Writes one line about an exception stopped at a boundary (where: what was being handled; reason: the
// exception's own text, or null when it was not a standard exception) to the program log. Never throws.
void LogStoppedException(const wchar_t* where, const char* reason) noexcept;
