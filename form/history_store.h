// Histories in the registry. HKCU\Software\Orvanta\Quillon\<subKey> holds "DocumentCount" (REG_DWORD, the
// list's capacity) and "Document1" .. "Document<n>" (REG_SZ, number 1 the newest entry). Registry failures
// are silent apart from the results. Main thread only.
#pragma once

#include "form/history_list.h"

#include <windows.h>

#include <string>
#include <vector>

inline constexpr const wchar_t* kDocumentCountValue = L"DocumentCount";

// Loads capacity and entries into list. False, with list unchanged, when the key or a REG_DWORD
// "DocumentCount" is missing. Only "Document<n>" values that exist with n up to the capacity are read.
bool LoadHistory(const wchar_t* subKey, HistoryList& list);

// Writes "DocumentCount" = capacity and texts[i] as "Document<i+1>", then deletes every other
// "Document<n>" with n beyond the texts. An empty text marks an item that could not be read: its value is
// deleted rather than left stale. False when the key cannot be opened or created, or any value could not be
// written or deleted.
bool StoreHistory(const wchar_t* subKey, DWORD capacity, const std::vector<std::wstring>& newestFirst);

// Deletes the history sub-key with everything below it; true when it is gone.
bool DeleteHistory(const wchar_t* subKey);

// n for a value name "Document<n>" (n > 0 written without leading zeros, "Document" in any letter case),
// else 0.
unsigned DocumentNumber(const wchar_t* valueName);
