// One row of the results list as the file commands see it: its check state and the record its user data
// indexes in the results store (null when the index names no record).
#pragma once

#include "engine/search_types.h"

#include <string>

struct ListedRow {
    bool checked = false;
    const SearchResult* record = nullptr;
    // The computer whose registry the record came from, for files with a computer column; null otherwise.
    const std::wstring* computer = nullptr;
};
