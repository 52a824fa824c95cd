// "Save" and "Export as .REG" as the user runs them: the refusals for an empty list or no checked rows,
// the save dialog, and the list-save or export routine with the chosen file. Main thread only.
#pragma once

#include "engine/results_store.h"
#include "results/html_list_ctrl.h"
#include "output/listed_row.h"
#include "output/reg_export.h"

#include <windows.h>

#include <string>
#include <vector>

// The rows of the list in display order, with copies of their records (taken under the store's lock, so a
// search may still be adding results). The rows point into `records`.
std::vector<ListedRow> ListedRows(const CHTMLListCtrl& list, const ResultsStore& store,
                                  std::vector<SearchResult>& records);

// Save: "No items to save" for an empty list; otherwise asks for a file and writes every row to it, and says
// so when the file could not be written.
void SaveResultList(HWND owner, const CHTMLListCtrl& list, const ResultsStore& store);

// Export as .REG: "No items to export" for an empty list, "Please check mark items to export" without
// checked rows; otherwise asks for a file and exports the checked results from where they were found (the
// live registry or a hive file). A file
// that could not be written, an export of nothing, and keys or values left out of the file are told. Results
// of another computer are never exported, since the registry here holds other keys of the same names.
void ExportCheckedResults(HWND owner, const CHTMLListCtrl& list, const ResultsStore& store);
// The export itself, into path: the entries read through the registry table the results came from.
RegExportResult ExportResultsToFile(const std::vector<ExportEntry>& entries, const ResultsStore& store,
                                    const std::wstring& path);
