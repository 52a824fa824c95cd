// Settings of the standard save dialog for the two file commands. The object owns the filter text and the
// file-name buffer that `ofn` points to, so it can be neither copied nor moved; the command hands `ofn` to
// GetSaveFileNameW and reads FileName() afterwards. Main thread only.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <string_view>

class SaveDialogSettings {
public:
    // filter: pairs of description and pattern, each ended by a NUL (the final extra NUL is added here).
    SaveDialogSettings(HWND owner, std::wstring_view filter, const wchar_t* defaultExtension);
    SaveDialogSettings(const SaveDialogSettings&) = delete;
    SaveDialogSettings& operator=(const SaveDialogSettings&) = delete;

    std::wstring FileName() const { return fileName_; }

    OPENFILENAMEW ofn{};

private:
    std::wstring filter_;
    std::wstring defaultExtension_;
    wchar_t fileName_[MAX_PATH] = {};
};

// "Export as .REG": registration files, default extension "reg".
SaveDialogSettings RegExportDialogSettings(HWND owner);
// "Save": text, comma-separated and tab-separated files, default extension "txt".
SaveDialogSettings ListSaveDialogSettings(HWND owner);
