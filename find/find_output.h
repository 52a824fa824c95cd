// What quillon-find writes: the list lines, and the list-save and export texts of the results through the
// routines of the results layer, so that its files are byte for byte the program's own.
#pragma once

#include "engine/search_types.h"
#include "find/find_options.h"
#include "output/listed_row.h"
#include "output/reg_export.h"

#include <windows.h>

#include <string>
#include <vector>

// One line of the list format, LF-ended: the computer (when given), the full key path, the value name, the
// type ("<KEY>" for a key) and the data text, separated by tabs. Tabs and line ends inside a field become
// blanks, so that every result stays one line of five (or six) fields.
std::wstring ListFormatLine(const SearchResult& record, const std::wstring* computer);

// The text of the results in the format, LF line ends. For reg the keys and values are read from the live
// registry; exported tells what that gave and what could not be exported. Throws std::bad_alloc when it does
// not fit.
std::wstring OutputText(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                        RegExportCounts& exported);

// Writes the results to a file: txt, csv, tsv and reg as the program writes its files (UTF-16LE with the
// byte-order mark, CR LF), list as UTF-8 with CR LF. Returns ERROR_SUCCESS or the Win32 error.
DWORD WriteOutputFile(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                      const std::wstring& path, RegExportCounts& exported);
