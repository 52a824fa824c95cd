#include "base/setting_writes.h"

#include "base/log_file.h"
#include "base/settings.h"

bool SettingWriteFailures::Check(bool written, const std::wstring& what) {
    if (!written) {
        items_.push_back(what);
    }
    return written;
}

void SettingWriteFailures::Add(const SettingWriteFailures& other) {
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
}

std::wstring SettingWriteFailures::Report() const {
    if (items_.empty()) {
        return {};
    }
    LogFile log;
    const std::wstring logPath = log.OpenLogFile(kProgramLogName, true);
    for (const std::wstring& item : items_) {
        log.LogPrintf(L"Settings Write Error: HKEY_CURRENT_USER\\%ls\\%ls", kProgramKeyPath, item.c_str());
    }
    log.CloseLogFile();
    std::wstring text = std::to_wstring(items_.size()) + L" setting(s) could not be saved in the registry.";
    text += logPath.empty() ? std::wstring(L"\nThe error log could not be written either.")
                            : L"\nThe log " + logPath + L" lists them.";
    return text;
}
