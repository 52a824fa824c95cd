#include "results/file_commands.h"

#include "output/list_save.h"
#include "output/reg_export.h"
#include "results/save_dialog.h"
#include "results/wait_cursor.h"

#include <commdlg.h>

#include <cstdint>

namespace {

void Tell(HWND owner, const wchar_t* text) {
    ::MessageBoxW(owner, text, nullptr, MB_OK | MB_ICONINFORMATION);
}

HWND DialogOwner(HWND fallback) {
    HWND active = ::GetActiveWindow();
    return active ? active : fallback;
}

} // namespace

std::vector<ListedRow> ListedRows(const CHTMLListCtrl& list, const ResultsStore& store,
                                  std::vector<SearchResult>& records) {
    const int count = list.GetItemCount();
    std::vector<ListedRow> rows(static_cast<size_t>(count));
    std::vector<size_t> slots(static_cast<size_t>(count), SIZE_MAX);
    records.clear();
    records.reserve(static_cast<size_t>(count));
    for (int position = 0; position < count; ++position) {
        rows[position].checked = list.GetCheck(position) != FALSE;
        const DWORD_PTR data = list.GetItemData(position);
        if (data != HTML_LIST_NO_DATA) {
            store.Read(static_cast<size_t>(data), [&](const SearchResult& record) {
                slots[position] = records.size();
                records.push_back(record);
            });
        }
    }
    for (int position = 0; position < count; ++position) {
        if (slots[position] != SIZE_MAX) {
            rows[position].record = &records[slots[position]];
        }
    }
    return rows;
}

void SaveResultList(HWND owner, const CHTMLListCtrl& list, const ResultsStore& store) {
    if (list.GetItemCount() == 0) {
        Tell(owner, L"No items to save");
        return;
    }
    SaveDialogSettings dialog = ListSaveDialogSettings(DialogOwner(owner));
    if (!::GetSaveFileNameW(&dialog.ofn)) {
        return;
    }
    WaitCursor wait;
    std::vector<SearchResult> records;
    SaveListToFile(ListedRows(list, store, records), dialog.FileName());
}

void ExportCheckedResults(HWND owner, const CHTMLListCtrl& list, const ResultsStore& store) {
    if (list.GetItemCount() == 0) {
        Tell(owner, L"No items to export");
        return;
    }
    if (store.IsRemote()) {
        return;
    }
    std::vector<SearchResult> records;
    const std::vector<ExportEntry> entries = ExportEntriesFromRows(ListedRows(list, store, records));
    if (entries.empty()) {
        Tell(owner, L"Please check mark items to export");
        return;
    }
    SaveDialogSettings dialog = RegExportDialogSettings(DialogOwner(owner));
    if (!::GetSaveFileNameW(&dialog.ofn)) {
        return;
    }
    WaitCursor wait;
    ExportToRegFile(entries, dialog.FileName());
}
