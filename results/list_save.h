// "Save": every row of the results list as a text report, comma-separated or tab-separated file, written
// from the result records (not the live registry). Main thread only.
#pragma once

#include "results/listed_row.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

enum class ListLayout { TextReport, CommaSeparated, TabSeparated };

// Case-sensitive match with * (any run) and ? (any one character).
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text);

// "*.txt" gives the text report, else "*.csv" comma-separated values, anything else (.tsv, and upper-case
// names such as .CSV) tab-separated values.
ListLayout LayoutForFileName(const std::wstring& fileName);

// The "Created by" line and the column heading of the layout, LF line ends.
std::wstring ListSaveHeading(ListLayout layout);

// Hive, SubKey, Value, Data and Type of one record: one block of five lines and a rule in the text report;
// one line of quoted fields in the separated layouts, where a double quote inside a field is doubled.
std::wstring ListSaveRow(ListLayout layout, const SearchResult& record);

struct ListSaveResult {
    size_t rowsWritten = 0;
    DWORD error = ERROR_SUCCESS;
};

// Writes the heading and every row that has a record, checked or not, in the given order.
ListSaveResult SaveListToFile(const std::vector<ListedRow>& rows, const std::wstring& path);
