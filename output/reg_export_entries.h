// The export list of "Export as .REG": which keys and values of the checked results are written, with
// entries that another entry already covers left out. Main thread only.
#pragma once

#include "output/listed_row.h"

#include <windows.h>

#include <string>
#include <vector>

struct ExportEntry {
    HKEY root = nullptr;
    std::wstring keyPath;   // below the root
    std::wstring valueName; // empty for the default value and for a whole key
    bool valueOnly = false; // a value result: its key's header and this one value; else the whole key
};

// True when the whole key `listed` contains `path`: the same key or one below it, compared without regard
// to letter case.
bool KeyPathCovers(const std::wstring& listed, const std::wstring& path);

// Appends entry unless a listed whole-key entry of the same root covers it (false then). A new whole-key
// entry removes the listed whole-key entries below it; value entries already listed always stay, so a value
// listed before its key is exported as well as the whole key.
bool AddExportEntry(std::vector<ExportEntry>& entries, const ExportEntry& entry);

// The export list of the checked rows that have a record, in display order.
std::vector<ExportEntry> ExportEntriesFromRows(const std::vector<ListedRow>& rows);
