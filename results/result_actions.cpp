#include "results/result_actions.h"

#include "engine/key_paths.h"
#include "resources/command_ids.h"
#include "results/clipboard_text.h"
#include "output/reg_export_entries.h"
#include "results/regedit_launch.h"
#include "results/result_deletes.h"
#include "output/result_texts.h"
#include "results/wait_cursor.h"
#include "base/log_file.h"
#include "base/settings.h"

#include <shellapi.h>

#include <cwchar>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kDeleteCheckedCaption[] = L"Delete item(s)";

std::wstring Counted(const wchar_t* format, size_t first, size_t second = 0) {
    wchar_t text[96] = {};
    std::swprintf(text, sizeof text / sizeof text[0], format, static_cast<int>(first), static_cast<int>(second));
    return text;
}

bool IsExistingFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Lets the window system paint and answer while a long loop runs on the main thread. A quit message belongs
// to the main loop and is put back.
void PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

} // namespace

struct ResultActions::CheckedDelete {
    size_t total = 0;
    size_t number = 0;
    size_t deleted = 0;
    bool error = false;
    LogFile log;
    std::wstring logPath;
    std::set<size_t> attempted;     // each result is deleted at most once
    std::vector<SearchResult> gone; // keys deleted in this run
};

void ResultActions::Attach(HWND owner, std::function<void(const std::wstring&)> mainText) {
    m_owner = owner;
    m_mainText = std::move(mainText);
}

// ---- the selection and the rule inputs

int ResultActions::SelectedResult() const {
    const int selected = m_list.GetSelectedIndex();
    if (selected < 0 || selected >= m_list.GetItemCount()) {
        return -1;
    }
    const DWORD_PTR data = m_list.GetItemData(selected);
    return data == HTML_LIST_NO_DATA || data >= m_store.Count() ? -1 : static_cast<int>(data);
}

bool ResultActions::CopySelectedResult(SearchResult& out) const {
    const int index = SelectedResult();
    return index >= 0 && m_store.Copy(static_cast<size_t>(index), out);
}

CommandStateInputs ResultActions::StateInputs(const std::wstring& keyFilter) const {
    CommandStateInputs in;
    in.count = static_cast<size_t>(m_list.GetItemCount());
    in.remote = IsRemote();
    in.fromFile = m_store.IsFromFile();
    const int row = m_list.GetSelectedIndex();
    in.rowSelected = row >= 0 && row < m_list.GetItemCount();
    // Run on every idle pass: the selected record is looked at in place, not copied.
    const int selected = SelectedResult();
    if (selected >= 0) {
        m_store.Read(static_cast<size_t>(selected), [&](const SearchResult& record) {
            in.selected = selected;
            in.selectedIsKey = record.IsKey();
            in.selectedHasKeyPath = !record.KeyPath().empty();
            in.selectedKeyIsFilter = _wcsicmp(FullKeyName(record).c_str(), keyFilter.c_str()) == 0;
            in.fileLocationFound = HasFileLocation() && m_fileResult == in.selected;
        });
    }
    in.keyTreeOn = m_keyTreeOn;
    return in;
}

void ResultActions::ReadKeyTreeSetting() {
    m_keyTreeOn = ReadSettingDword(kSettingsSubKey, kKeyTree, 1) != 0;
}

// ---- rows and records

bool ResultActions::Record(int position, size_t& index, SearchResult& out) const {
    const DWORD_PTR data = m_list.GetItemData(position);
    if (data == HTML_LIST_NO_DATA) {
        return false;
    }
    index = static_cast<size_t>(data);
    return m_store.Copy(index, out);
}

void ResultActions::MarkRemoved(size_t index) {
    m_store.MarkRemoved(index);
}

void ResultActions::RemoveRow(int position, size_t index) {
    MarkRemoved(index);
    m_list.DeleteItem(position);
}

int ResultActions::Ask(const std::wstring& text, const wchar_t* caption, UINT icon) const {
    return ::MessageBoxW(m_owner, text.c_str(), caption, MB_YESNO | icon);
}

void ResultActions::Tell(const std::wstring& text) const {
    ::MessageBoxW(m_owner, text.c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
}

// ---- list only

void ResultActions::RemoveSelected() {
    const int position = m_list.GetSelectedIndex();
    size_t index = 0;
    SearchResult record;
    if (m_busy || position < 0 || !Record(position, index, record)) {
        return;
    }
    RemoveRow(position, index);
}

void ResultActions::RemoveChecked() {
    if (m_busy) {
        return;
    }
    bool anyChecked = false;
    {
        WaitCursor wait;
        const int count = m_list.GetItemCount();
        for (int position = 0; position < count; ++position) {
            if (!m_list.GetCheck(position)) {
                continue;
            }
            anyChecked = true;
            const DWORD_PTR data = m_list.GetItemData(position);
            if (data != HTML_LIST_NO_DATA) {
                MarkRemoved(static_cast<size_t>(data));
            }
        }
        if (anyChecked) {
            m_list.DeleteCheckedItems();
        }
    }
    if (!anyChecked) {
        Tell(L"Check mark items to remove");
    }
}

void ResultActions::ChangeChecks(CheckChange change) {
    const int count = m_list.GetItemCount();
    for (int position = 0; position < count; ++position) {
        const BOOL checked = change == CheckChange::All    ? TRUE
                             : change == CheckChange::None ? FALSE
                                                           : !m_list.GetCheck(position);
        m_list.SetCheck(position, checked);
    }
    m_list.Invalidate(FALSE);
}

bool ResultActions::CopySelected(CopyWhat what) {
    SearchResult record;
    if (!CopySelectedResult(record)) {
        return false;
    }
    const std::wstring text = what == CopyWhat::Key         ? FullKeyName(record)
                              : what == CopyWhat::ValueName ? record.valueName
                                                            : CopyItemText(record);
    return CopyTextToClipboard(m_owner, text);
}

void ResultActions::Refresh(const std::function<void()>& rebuild) {
    if (m_busy) {
        return;
    }
    BusyScope busy(m_busy);
    m_progress.Open(m_owner);
    rebuild();
    m_progress.Close();
}

// ---- the registry

void ResultActions::DeleteSelectedValue() {
    const int position = m_list.GetSelectedIndex();
    size_t index = 0;
    SearchResult record;
    // Another computer's result names a key there, never the key of the same name here.
    if (m_busy || !NamesLocalKeys() || position < 0 || !Record(position, index, record) || record.IsKey()) {
        return;
    }
    BusyScope busy(m_busy);
    if (Ask(DeleteValueQuestion(record), L"Delete value", MB_ICONQUESTION) != IDYES) {
        return;
    }
    const DeleteOutcome outcome = DeleteResultValue(record);
    if (!outcome.opened) {
        return;
    }
    if (outcome.error != ERROR_SUCCESS && outcome.error != ERROR_FILE_NOT_FOUND) {
        Tell(DeleteErrorText(false, outcome.error));
        return;
    }
    if (m_list.GetItemData(position) == index) {
        RemoveRow(position, index);
    }
}

void ResultActions::DeleteSelectedKey() {
    const int position = m_list.GetSelectedIndex();
    size_t index = 0;
    SearchResult record;
    // A hive root itself is never deleted.
    if (m_busy || !NamesLocalKeys() || position < 0 || !Record(position, index, record) || record.KeyPath().empty()) {
        return;
    }
    BusyScope busy(m_busy);
    if (Ask(DeleteKeyQuestion(record), L"Delete key", MB_ICONQUESTION) != IDYES) {
        return;
    }
    m_progress.Open(m_owner);
    const DeleteOutcome outcome = DeleteResultKey(record);
    if (outcome.opened && outcome.error != ERROR_SUCCESS && outcome.error != ERROR_FILE_NOT_FOUND) {
        Tell(DeleteErrorText(true, outcome.error));
    }
    if (CheckKeyPresence(record.root, record.KeyPath()) == ResultPresence::Gone) {
        if (m_list.GetItemData(position) == index) {
            RemoveRow(position, index);
        }
        if (outcome.error == ERROR_SUCCESS) {
            VerifyListed();
        }
    }
    m_progress.Close();
}

void ResultActions::DeleteChecked() {
    if (m_busy || !NamesLocalKeys()) {
        return;
    }
    CheckedDelete run;
    {
        WaitCursor wait;
        const int count = m_list.GetItemCount();
        for (int position = 0; position < count; ++position) {
            const DWORD_PTR data = m_list.GetItemData(position);
            run.total += m_list.GetCheck(position) && data != HTML_LIST_NO_DATA && data < m_store.Count();
        }
    }
    if (run.total == 0) {
        Tell(L"No items marked for deletion.\n");
        return;
    }
    BusyScope busy(m_busy);
    if (Ask(DeleteCheckedQuestion(run.total), kDeleteCheckedCaption, MB_ICONQUESTION) != IDYES) {
        return;
    }
    m_progress.Open(m_owner);
    run.logPath = run.log.OpenLogFile(kDeleteLogName);
    for (int position = 0; position < m_list.GetItemCount(); ++position) {
        DeleteOneChecked(position, run);
    }
    FinishCheckedDelete(run);
}

// Deletes the checked row at position, if it is one; steps position back when its row went.
void ResultActions::DeleteOneChecked(int& position, CheckedDelete& run) {
    PumpPendingMessages();
    size_t index = 0;
    SearchResult record;
    if (position >= m_list.GetItemCount() || !m_list.GetCheck(position) || !Record(position, index, record) ||
        !run.attempted.insert(index).second) {
        return;
    }
    ++run.number;
    m_progress.SetText(Counted(L"Deleting (%d/%d)", run.number, run.total).c_str());

    // A result below a key deleted earlier in this run went with that key: it is not deleted a second time.
    for (const SearchResult& key : run.gone) {
        if (key.root == record.root && KeyPathCovers(key.KeyPath(), record.KeyPath()) &&
            CheckResultPresence(record) == ResultPresence::Gone) {
            RemoveRow(position, index);
            ++run.deleted;
            --position;
            return;
        }
    }
    if (record.IsKey() && record.KeyPath().empty()) {
        return; // a hive root is never deleted
    }
    const DeleteOutcome outcome = record.IsKey() ? DeleteResultKey(record) : DeleteResultValue(record);
    if (outcome.error != ERROR_SUCCESS) {
        run.log.LogWriteLine(DeleteLogLine(record, SystemErrorText(outcome.error)).c_str());
        run.error = true;
    }
    bool rowGoes = false;
    if (record.IsKey()) {
        rowGoes = CheckKeyPresence(record.root, record.KeyPath()) == ResultPresence::Gone;
        if (outcome.error == ERROR_SUCCESS) {
            run.gone.push_back(record);
        }
    } else {
        rowGoes = outcome.opened && (outcome.error == ERROR_SUCCESS || outcome.error == ERROR_FILE_NOT_FOUND);
    }
    if (rowGoes) {
        RemoveRow(position, index);
        ++run.deleted;
        --position;
    }
}

void ResultActions::FinishCheckedDelete(CheckedDelete& run) {
    if (run.deleted > 0) {
        VerifyListed();
    }
    run.log.CloseLogFile();
    if (!run.error && !run.logPath.empty()) {
        ::DeleteFileW(run.logPath.c_str());
    }
    m_progress.Close();
    if (run.deleted > 0 && m_mainText) {
        m_mainText(Counted(L"%d item(s) deleted.", run.deleted));
    }
    if (run.error && Ask(L"Delete encountered some errors.\nDo you want to view the log?", kDeleteCheckedCaption,
                         MB_ICONWARNING) == IDYES) {
        ::ShellExecuteW(m_owner, L"open", L"notepad.exe", run.logPath.c_str(), nullptr, SW_SHOWNORMAL);
    }
}

size_t ResultActions::VerifyListed() {
    WaitCursor wait;
    size_t removed = 0;
    for (int position = 0; position < m_list.GetItemCount(); ++position) {
        if (m_progress.Get()) {
            m_progress.SetText(
                Counted(L"Verifying (%d/%d)", static_cast<size_t>(position) + 1, m_list.GetItemCount()).c_str());
            PumpPendingMessages();
            if (position >= m_list.GetItemCount()) {
                break;
            }
        }
        size_t index = 0;
        SearchResult record;
        if (Record(position, index, record) && CheckResultPresence(record) == ResultPresence::Gone) {
            RemoveRow(position, index);
            ++removed;
            --position;
        }
    }
    if (removed > 0) {
        m_list.Invalidate(FALSE);
    }
    return removed;
}

// ---- outside programs

void ResultActions::PrepareFileLocation() {
    m_fileFolder.clear();
    m_fileResult = -1;
    SearchResult record;
    if (!CopySelectedResult(record)) {
        return;
    }
    std::wstring folder = FolderOfLocation(FileLocationOf(record));
    if (!folder.empty() && folder.back() == L':') {
        folder += L'\\'; // "C:" alone names the drive's current folder, not its root
    }
    // The path comes from registry data that anyone may write: only an existing folder is ever opened, never
    // a file that the shell would run.
    if (!folder.empty() && IsExistingFolder(folder)) {
        m_fileFolder = folder;
        m_fileResult = SelectedResult();
    }
}

bool ResultActions::OpenFileLocation() {
    if (m_fileFolder.empty() || m_fileResult != SelectedResult() || !IsExistingFolder(m_fileFolder)) {
        return false;
    }
    return openFolder ? openFolder(m_owner, m_fileFolder) : false;
}

bool ResultActions::OpenInRegEdit(const std::wstring& keyBrowserPath) {
    if (!NamesLocalKeys()) {
        return false;
    }
    SearchResult record;
    if (CopySelectedResult(record)) {
        return OpenRegEditAt(RootKeyName(record.root), record.KeyPath(), record.valueName);
    }
    if (!keyBrowserPath.empty()) {
        std::wstring root;
        std::wstring path;
        SplitKeyPath(keyBrowserPath, root, path);
        return OpenRegEditAt(root, path, L"");
    }
    return StartRegEdit(m_owner);
}

bool ShellOpenFolder(HWND owner, const std::wstring& folder) {
    SHELLEXECUTEINFOW info = {sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != FALSE;
}
