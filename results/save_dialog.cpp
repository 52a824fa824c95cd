#include "results/save_dialog.h"

using namespace std::string_view_literals;

SaveDialogSettings::SaveDialogSettings(HWND owner, std::wstring_view filter, const wchar_t* defaultExtension)
    : filter_(filter), defaultExtension_(defaultExtension) {
    filter_ += L'\0';
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter_.c_str();
    ofn.lpstrFile = fileName_;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = defaultExtension_.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
}

SaveDialogSettings RegExportDialogSettings(HWND owner) {
    return SaveDialogSettings(owner, L"Registration Files (*.reg)\0*.reg\0"sv, L"reg");
}

SaveDialogSettings ListSaveDialogSettings(HWND owner) {
    return SaveDialogSettings(owner,
                              L"Text File (*.txt)\0*.txt\0"
                              L"Comma Seperated File (*.csv)\0*.csv\0"
                              L"Tab Seperated File (*.tsv)\0*.tsv\0"sv,
                              L"txt");
}
