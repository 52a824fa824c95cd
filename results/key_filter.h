// Which results a key filter lets through: the key browser and Refresh rebuild the results list from the
// results store with it. Pure functions; no windows.
#pragma once

#include "engine/search_types.h"

#include <windows.h>

#include <string>

// A parsed filter "ROOT\path": the hive (null when the name is empty or unknown, which admits every hive)
// and the key path below it with a trailing backslash ("\" alone admits every key of the hive).
struct ParsedKeyFilter {
    HKEY root = nullptr;
    std::wstring pathPrefix = L"\\";
};

ParsedKeyFilter ParseKeyFilter(const std::wstring& filter);

// Whether a record is listed under the filter: not removed, of the filter's hive, and at or below its key.
// The comparison ends at a backslash, so "Software\X" does not admit its sibling "Software\XY".
bool KeyFilterAdmits(const ParsedKeyFilter& filter, const SearchResult& record);
