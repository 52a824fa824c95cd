// The search request as one value, built from the values of a search form (the search view's controls, or
// the console program's options) by one pure function: either a complete request or a refusal with the
// message the user is shown. The engine is written with the request only after it was accepted, so a
// refused form leaves the engine, and the results it describes, as they were.
#pragma once

#include "engine/key_paths.h"
#include "engine/search_types.h"

#include <windows.h>

#include <cstdint>
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
    std::optional<DWORD> resultLimit; // a limit of the caller's own (0 = none); else the settings decide
};

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
    std::optional<DWORD> resultLimit;
};

// The form value a refusal is about, in the order the checks run.
enum class RequestField { Computer, RemoteHive, LookIn, SearchText };

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
// search text) and builds the request. Pure: touches neither the engine nor any window.
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
