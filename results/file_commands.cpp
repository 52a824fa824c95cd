#include "results/file_commands.h"

#include "output/list_save.h"
#include "output/reg_export.h"
#include "base/system_message.h"
#include "results/save_dialog.h"
#include "results/wait_cursor.h"

#include <commdlg.h>

#include <cstdint>

namespace {

void Tell(HWND owner, const wchar_t* text) {
    ::MessageBoxW(owner, text, nullptr, MB_OK | MB_ICONINFORMATION);
}

void Warn(HWND owner, const std::wstring& text) {
    ::MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONWARNING);
}

std::wstring FileNotWrittenText(const std::wstring& path, DWORD error) {
    std::wstring reason = SystemMessage(error);
    if (reason.empty()) {
        reason = L"Error " + std::to_wstring(error) + L".";
    }
    return L"The file " + path + L" could not be written.\n" + reason;
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
    ListSaveResult saved;
    {
        WaitCursor wait;
        std::vector<SearchResult> records;
        saved = SaveListToFile(ListedRows(list, store, records), dialog.FileName());
    }
    if (saved.error != ERROR_SUCCESS) {
        Warn(owner, FileNotWrittenText(dialog.FileName(), saved.error));
    }
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
    const RegExportResult exported = ExportResultsToFile(entries, store, dialog.FileName());
    const std::wstring failures = ExportFailureText(exported.keysFailed, exported.valuesLeftOut, exported.logPath);
    switch (exported.status) {
    case RegExportStatus::Written:
        if (!failures.empty()) {
            Warn(owner, failures);
        }
        break;
    case RegExportStatus::NothingExported:
        // The checked keys were all deleted since the search, or none of them could be read.
        Warn(owner, L"None of the checked keys could be exported; no file was written." +
                        (failures.empty() ? std::wstring() : L"\n" + failures));
        break;
    case RegExportStatus::FileNotWritten:
        Warn(owner, FileNotWrittenText(dialog.FileName(), exported.error));
        break;
    }
}

RegExportResult ExportResultsToFile(const std::vector<ExportEntry>& entries, const ResultsStore& store,
                                    const std::wstring& path) {
    WaitCursor wait;
    return ExportToRegFile(entries, path, *store.Origin().registry);
}
