// "Save": every row of the results list as a text report, comma-separated or tab-separated file, written
// from the result records (not the live registry). Main thread only.
#pragma once

#include "output/listed_row.h"

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

// The "Created by" line and the column heading of the layout, LF line ends. With a computer column (a search
// of several computers), "Computer" comes before the other columns.
std::wstring ListSaveHeading(ListLayout layout, bool computerColumn = false);

// Hive, SubKey, Value, Data and Type of one record: one block of five lines and a rule in the text report;
// one line of quoted fields in the separated layouts, where a double quote inside a field is doubled. A
// computer name, when given, is the first field.
std::wstring ListSaveRow(ListLayout layout, const SearchResult& record, const std::wstring* computer = nullptr);

// The whole text of a file in the layout, LF line ends: the heading and every row that has a record the user
// did not remove, checked or not, in the given order. rowsWritten counts those rows. Throws std::bad_alloc
// when the text does not fit in memory.
std::wstring ListSaveText(ListLayout layout, const std::vector<ListedRow>& rows, bool computerColumn,
                          size_t& rowsWritten);

struct ListSaveResult {
    size_t rowsWritten = 0;
    DWORD error = ERROR_SUCCESS;
};

// Writes the heading and every row that has a record, checked or not, in the given order.
ListSaveResult SaveListToFile(const std::vector<ListedRow>& rows, const std::wstring& path);
