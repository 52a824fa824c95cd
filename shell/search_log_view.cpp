#include "shell/search_log_view.h"

#include "base/log_file.h"
#include "resources/string_ids.h"
#include "winlib/resource_string.h"

std::wstring SearchLogPath() {
    const std::wstring folder = LogFolderPath();
    return folder.empty() ? std::wstring() : folder + L"\\" + kSearchLogName;
}

void ShowSearchLog(HWND owner, LaunchFunction launch) {
    const std::wstring path = SearchLogPath();
    if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::wstring text = LoadResourceString(IDS_NO_SEARCH_LOG);
        ::MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Quoted: the folder lies under the user's profile, whose path may hold spaces.
    launch(owner, L"notepad.exe", L"open", L"\"" + path + L"\"");
}
