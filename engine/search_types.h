// The vocabulary of a search: modes, option bits, result kinds, the result record and the notifications
// the engine sends to the search view.
#pragma once

#include <windows.h>

#include <string>

// Search modes (values as stored in the saved form state).
enum : DWORD {
    SM_FIND_STRING = 1,
    SM_WHOLE_STRING = 2,
    SM_WILDCARD = 4,
    SM_REGEX = 32,
    SM_HEX = 64,
    SM_ALL_ITEMS = 128,
    SM_INTEGER = 256,
};

// Option bits.
enum : DWORD {
    SO_KEYS = 0x01,
    SO_VALUES = 0x02,
    SO_DATA = 0x04,
    SO_MATCH_CASE = 0x08,
    SO_UNICODE_BINARY = 0x10,
};
inline constexpr DWORD SO_LOOK_AT_MASK = SO_KEYS | SO_VALUES | SO_DATA;

// Result kinds.
enum : DWORD {
    RK_KEY = 0x00100000,
    RK_KEY_NAME = 0x00800000,
    RK_VALUE_NAME = 0x00400000,
    RK_DATA = 0x01000000,
};

// Posted to the search view: wParam is one of SN_*, lParam the result index for SN_RESULT.
inline constexpr UINT WM_SEARCH_NOTIFY = WM_APP + 100;
enum : WPARAM {
    SN_STARTED = 1,
    SN_RESULT = 2,
    SN_FINISHED = 3,
};

// One result of a search. Key results carry keyMarkup; value results the name, data and their markup.
struct SearchResult {
    HKEY root = nullptr;
    std::wstring keyPath;
    std::wstring valueName;
    std::wstring dataText;
    DWORD kind = 0;
    DWORD type = 0;
    std::wstring keyMarkup;
    std::wstring nameMarkup;
    std::wstring dataMarkup;
    DWORD dataSize = 0;
    bool removed = false;
    FILETIME lastWrite = {};

    bool IsKey() const { return (kind & RK_KEY) != 0; }
};
