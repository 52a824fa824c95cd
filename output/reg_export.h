// Writing the export list as a registry script. The keys and values are read at the time of export through a
// registry function table: the live registry, or hive files mounted in the hive table; the file is written with WriteUtf16File. Main thread only (it may take long on big trees;
// the caller shows the wait cursor).
#pragma once

#include "engine/registry_api.h"
#include "output/reg_export_entries.h"

#include <windows.h>

#include <string>
#include <vector>

inline constexpr wchar_t kRegFileHeader[] = L"Windows Registry Editor Version 5.00\n\n";
// Levels below an exported key that are followed; the registry itself allows no deeper trees, so the limit
// only stops a loop of symbolic links.
inline constexpr size_t kMaxExportDepth = 512;

// The log of an export's failures, in the log folder; written anew by every export that had any.
inline constexpr const wchar_t* kExportLogName = L"tamsel_export_log.txt";

// The root's name in a registry script; empty for a root that has none (a remote registry's key).
std::wstring ExportRootName(HKEY root);

// What an export wrote and what it could not.
struct RegExportCounts {
    size_t keysWritten = 0;
    size_t keysFailed = 0;    // keys that could not be opened, or whose values or subkeys could not all be read
    size_t valuesLeftOut = 0; // values whose names a script cannot hold (RegValueNameWritable)
    std::vector<std::wstring> problems; // one log line for each of them
    size_t Failures() const { return keysFailed + valuesLeftOut; }
};

// Appends the block of the key root\path (its key line, its values or only the value named valueName, a
// blank line) and, unless valueOnly, the blocks of all keys below it, depth first. Returns the first key's
// result: its open error, or the error that ended its value enumeration early (the blocks of the keys below
// are written either way). A key that is gone is not a failure; every other failure is counted.
DWORD ExportKeyText(HKEY root, const std::wstring& rootName, const std::wstring& path, const std::wstring& valueName,
                    bool valueOnly, std::wstring& out, RegExportCounts& counts,
                    const RegistryApi& registry = kAdvapiRegistry);

enum class RegExportStatus {
    Written,         // the file holds every block that could be exported
    NothingExported, // no entry could be exported; no file was written
    FileNotWritten,  // the file could not be written, or the text did not fit in memory; an old file is unchanged
};

struct RegExportResult {
    RegExportStatus status = RegExportStatus::NothingExported;
    size_t keysWritten = 0;
    size_t keysFailed = 0;
    size_t valuesLeftOut = 0;
    std::wstring logPath;        // the failure log, when there were failures and it could be written
    DWORD error = ERROR_SUCCESS; // the file error for FileNotWritten
    size_t Failures() const { return keysFailed + valuesLeftOut; }
};

// The whole script of the entries in order (header included, LF line ends), with its counts; keys are read
// through registry (the live registry or mounted hive files). Entries whose key is gone or whose root has no
// name are left out. Throws std::bad_alloc when the text does not fit in memory.
std::wstring RegExportText(const std::vector<ExportEntry>& entries, RegExportCounts& counts,
                           const RegistryApi& registry = kAdvapiRegistry);

// Writes the problems to the export log, replacing an older one; returns its path, or "" when there is no log.
std::wstring WriteExportLog(const std::vector<std::wstring>& problems);

// Tells what an export could not write: how many keys could not be read, how many values were left out, and
// the log that lists them (when there is one). Empty when nothing failed.
std::wstring ExportFailureText(size_t keysFailed, size_t valuesLeftOut, const std::wstring& logPath);

// Exports the entries in order into one script at path. Entries whose key is gone or whose root has no name
// are left out; the file is written whenever at least one block was exported. Failures are counted and
// written to the export log.
RegExportResult ExportToRegFile(const std::vector<ExportEntry>& entries, const std::wstring& path,
                                const RegistryApi& registry = kAdvapiRegistry);
