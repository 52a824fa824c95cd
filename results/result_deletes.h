// Deleting a result's value or key from the registry, and checking whether a listed result still exists.
// No windows and no messages: the result actions decide what the user is told. Main thread only.
#pragma once

#include "engine/search_types.h"

#include <windows.h>

#include <string>

struct DeleteOutcome {
    DWORD error = ERROR_SUCCESS; // the open error, else the delete error; ERROR_FILE_NOT_FOUND when already gone
    bool opened = false;         // the key could be opened for writing
};

// Deletes the value result's value (a key result gives ERROR_INVALID_PARAMETER and touches nothing).
DeleteOutcome DeleteResultValue(const SearchResult& record);

// Deletes the key that holds the result, with everything below it. A result in a hive root itself gives
// ERROR_INVALID_PARAMETER and touches nothing: a hive is never deleted.
DeleteOutcome DeleteResultKey(const SearchResult& record);

enum class ResultPresence { Present, Gone, Unknown };

// Whether the result's key (and, for a value result, its value) still exists; Unknown when that cannot be
// told (access denied and the like).
ResultPresence CheckResultPresence(const SearchResult& record);

// Whether the key root\path exists; Unknown when it cannot be opened for another reason.
ResultPresence CheckKeyPresence(HKEY root, const std::wstring& path);
