// The test of one registry value as the walker applies it: the name, then the data by the look-at option,
// the type and the mode, and on a match the record's name, data text, kind and markup.
#pragma once

#include "engine/matchers.h"
#include "engine/search_types.h"

#include <windows.h>

#include <string>
#include <string_view>

struct ValueVerdict {
    bool nameMatched = false;
    bool dataMatched = false;
    // The expression engine gave up on the name or the data (see SearchMatcher::LastFailure), so the value
    // was not fully searched.
    bool matchFailed = false;
};

// Tests the value with the matcher's mode and the look-at bits of options. When the name or the data
// matched, fills record's valueName, dataText, kind, type, dataSize and how its name and data are shown; the caller
// adds the key's part. scratch is a buffer the caller keeps between values (the hexadecimal text).
ValueVerdict EvaluateValue(const SearchMatcher& matcher, DWORD options, std::wstring_view name, DWORD type,
                           const BYTE* data, DWORD size, std::wstring& scratch, SearchResult& record);
