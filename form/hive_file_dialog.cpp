#include "form/hive_file_dialog.h"

#include "engine/key_paths.h"

#include <commdlg.h>

#include <vector>

std::wstring HiveFileStartFolder(const std::wstring& fileText) {
    const std::wstring file = TrimChars(fileText, L" \"");
    const size_t slash = file.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return {};
    }
    // "C:\hive.dat" starts in the drive's root, which needs its backslash.
    return file.substr(0, slash == 2 && file[1] == L':' ? slash + 1 : slash);
}

std::optional<std::wstring> AskForHiveFile(HWND owner, const std::wstring& fileText) {
    static constexpr wchar_t kFilter[] = L"Registry hive files (*.dat;*.hiv;*.hve;*.sav)\0*.dat;*.hiv;*.hve;*.sav\0"
                                         L"All files (*.*)\0*.*\0";
    const std::wstring folder = HiveFileStartFolder(fileText);
    // Room for the longest path Windows allows, so no chosen file is too long for the buffer.
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!::GetOpenFileNameW(&ofn)) {
        return std::nullopt;
    }
    return std::wstring(name.data());
}
