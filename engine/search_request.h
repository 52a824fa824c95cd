// The search request as one value, built from the values of a search form (the search view's controls, or
// the console program's options) by one function: either a complete request or a refusal with the message
// the user is shown. The worker receives an accepted request whole when it starts and reads nothing else, so
// a refused form leaves the engine, and the results it describes, as they were.
#pragma once

#include "engine/key_paths.h"
#include "engine/registry_api.h"
#include "engine/search_types.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The values a search form holds, as read from it.
struct SearchFormValues {
    std::wstring searchText;
    DWORD mode = SM_FIND_STRING;
    std::wstring lookIn;
    bool remote = false;
    std::wstring computer; // as typed; used when remote
    // A hive file searched instead of a registry (remote is false then). The caller mounts it under
    // HKEY_LOCAL_MACHINE\<hiveName> (hive_registry.h); the look-in text names keys there.
    bool hive = false;
    std::wstring hiveFile;
    std::wstring hiveName;
    bool excludeOn = false;
    std::wstring exclude;
    DWORD options = SO_LOOK_AT_MASK;         // the look-at bits and SO_MATCH_CASE; no look-at bit means all three
    DWORD typeMask = 0xFFFFFFFF;             // 0 means all types
    std::optional<SYSTEMTIME> modifiedAfter; // the picked date with its time of day
    std::optional<SYSTEMTIME> modifiedBefore;
    bool lengthFilterOn = false;
    LONG lengthFrom = 0;
    LONG lengthTo = 0; // 0 = no upper bound
    bool keyTreeOn = false;
    std::optional<DWORD> resultLimit;  // a limit of the caller's own (0 = none); else the settings decide
    std::optional<bool> unicodeBinary; // look for the UTF-16 form in binary data; else the settings decide
};

class SearchMatcher;
class LogFile;

// A request that passed every check: everything the engine needs for one search.
struct SearchRequest {
    std::wstring remoteComputer; // empty = this computer
    std::vector<KeyLocation> lookIn;
    std::vector<KeyLocation> excludeKeys; // ends with the search-history key
    DWORD mode = SM_FIND_STRING;
    DWORD options = SO_LOOK_AT_MASK;
    DWORD typeMask = 0xFFFFFFFF;
    std::vector<std::wstring> patterns;
    std::uint64_t integerValue = 0;
    BOOL keyTreeOn = FALSE;
    BOOL modifiedAfterOn = FALSE;
    BOOL modifiedBeforeOn = FALSE;
    FILETIME modifiedAfter = {};
    FILETIME modifiedBefore = {};
    BOOL lengthFilterOn = FALSE;
    DWORD minLength = 0;
    DWORD maxLength = 0;
    DWORD resultLimit = 0; // 0 = none

    // The pattern compiled for mode and options; compiled when the request is built, used by the worker that
    // runs this request (one worker at a time: the matcher keeps state between matches).
    std::shared_ptr<SearchMatcher> matcher;

    // Where the worker reports: the window that receives WM_SEARCH_NOTIFY and the queued results (none for a
    // search whose results are read when it has ended).
    HWND notifyWindow = nullptr;
    // The registry source the search reads, behind the registry function table, and what it is when it is
    // not the live registry (a hive file's path, say), for the store's origin.
    const RegistryApi* registry = &kAdvapiRegistry;
    std::wstring sourceDescription;
    // Whether a local search of the live registry runs over kept snapshots of its locations
    // (snapshot_shelf.h), taking them when they are missing; the search log tells when it cannot. Off for a
    // program that searches once.
    bool keepSnapshots = false;
    // Where the worker writes its problems: its own search log unless an open log is given (searches running
    // side by side share one file; the log has its own lock).
    LogFile* sharedLog = nullptr;
};

// Prepares text as the pattern of request.mode and compiles the matcher with request.options. False when the
// text gives no usable pattern: empty (outside the all-items mode) or an invalid regular expression.
bool SetRequestPattern(SearchRequest& request, const std::wstring& text);

// The form value a refusal is about, in the order the checks run.
enum class RequestField { Computer, RemoteHive, HiveFile, LookIn, SearchText };

struct RequestRefusal {
    RequestField field;
    std::wstring message; // the text shown to the user
};

struct RequestOutcome {
    std::optional<SearchRequest> request;
    RequestRefusal refusal{RequestField::SearchText, {}}; // meaningful when request is empty

    bool Accepted() const { return request.has_value(); }
};

// Checks the values in the order the form always did (remote computer name, remote hives, look-in text,
// search text; a hive file's path before the look-in text) and builds the request. Touches neither the engine nor any window; the settings the values
// leave open (result limit, UTF-16 in binary data) are read from the settings store here, once per search.
RequestOutcome BuildSearchRequest(const SearchFormValues& values);

// The key that holds the search-text history; every search leaves it out, so it never reports its own
// history.
KeyLocation HistoryExclusion();

// Modes that look at data by their own rules: the look-at options do not apply.
bool ModeIgnoresLookAt(DWORD mode);
// The look-at options and type mask a mode searches with.
DWORD OptionsForMode(DWORD mode, DWORD options);
DWORD TypeMaskForMode(DWORD mode, DWORD typeMask);

// A remote computer name as typed, without backslashes, forward slashes and spaces around it.
std::wstring TrimComputerName(const std::wstring& typed);
// Remote searches reach HKEY_LOCAL_MACHINE and HKEY_USERS only: true when the look-in text names one of
// the other two connectable hives in full (any letter case).
bool NamesLocalOnlyHive(const std::wstring& lookInText);

struct LengthRange {
    DWORD minLength;
    DWORD maxLength; // 0 = no upper bound
};
// The data-length range of a request from the form's From and To values. Negative values count as 0; a To
// below a non-zero From means no upper bound.
LengthRange MakeLengthRange(LONG from, LONG to);
