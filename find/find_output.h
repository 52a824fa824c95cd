// What quillon-find writes: the list lines, and the list-save and export texts of the results through the
// routines of the results layer, so that its files are byte for byte the program's own.
#pragma once

#include "engine/registry_api.h"
#include "engine/search_types.h"
#include "find/find_options.h"
#include "output/listed_row.h"
#include "output/reg_export.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One line of the list format, LF-ended: the computer (when given), the full key path, the value name, the
// type ("<KEY>" for a key) and the data as the results list shows it (without its colours), separated by tabs. Tabs and line ends inside a field become
// blanks, so that every result stays one line of five (or six) fields.
std::wstring ListFormatLine(const SearchResult& record, const std::wstring* computer);

// The list format's lines of the results, handed to sink in pieces of a few hundred kilobytes, so that a
// million results never sit in memory as one text.
void WriteListText(const std::vector<ListedRow>& rows, bool computerColumn,
                   const std::function<void(std::wstring_view)>& sink);

// The text of the results in the format, LF line ends. For reg the keys and values are read through registry
// (the live registry or mounted hive files); exported tells what that gave and what could not be exported.
// Throws std::bad_alloc when it does not fit.
std::wstring OutputText(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                        RegExportCounts& exported, const RegistryApi& registry = kAdvapiRegistry);

// Writes the results to a file: txt, csv, tsv and reg as the program writes its files (UTF-16LE with the
// byte-order mark, CR LF), list as UTF-8 with CR LF. Returns ERROR_SUCCESS or the Win32 error.
DWORD WriteOutputFile(OutputFormat format, const std::vector<ListedRow>& rows, bool computerColumn,
                      const std::wstring& path, RegExportCounts& exported,
                      const RegistryApi& registry = kAdvapiRegistry);
