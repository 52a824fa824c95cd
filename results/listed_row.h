// One row of the results list as the file commands see it: its check state and the record its user data
// indexes in the results store (null when the index names no record).
#pragma once

#include "engine/search_types.h"

struct ListedRow {
    bool checked = false;
    const SearchResult* record = nullptr;
};
