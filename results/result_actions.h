// What the user does to listed results: remove rows, check marks, copies, deletes from the registry (one at
// a time or every checked row, with the delete log), the verify pass after deletes, opening the registry
// editor and the folder of a file path found in a result. It works on the results list and the results
// store; the search view only routes commands, keys and menus here.
//
// Threads: main thread only. A search may still be adding to the store, which takes its own lock.
#pragma once

#include "engine/results_store.h"
#include "results/html_list_ctrl.h"
#include "results/progress_dlg.h"
#include "results/result_command_rules.h"

#include <windows.h>

#include <functional>
#include <string>

// Opens a folder with the shell's "open" verb, without error dialogs.
bool ShellOpenFolder(HWND owner, const std::wstring& folder);

class ResultActions {
public:
    ResultActions(CHTMLListCtrl& list, ResultsStore& store) : m_list(list), m_store(store) {}
    ResultActions(const ResultActions&) = delete;
    ResultActions& operator=(const ResultActions&) = delete;

    // owner: the window that owns message boxes, the clipboard and the please-wait dialog. mainText writes
    // the status bar's main pane.
    void Attach(HWND owner, std::function<void(const std::wstring&)> mainText);

    // ---- the selection and the rule inputs

    // The selected row's result index; -1 without a selection, for a row without a record, or when the
    // selection is not below the row count.
    int SelectedResult() const;
    bool CopySelectedResult(SearchResult& out) const;
    bool IsRemote() const { return m_store.IsRemote(); }
    // Whether the results name keys of this computer's registry (not another computer's, nor a hive file's).
    bool NamesLocalKeys() const { return !m_store.IsRemote() && !m_store.IsFromFile(); }
    // The inputs of the command rules; keyFilter is the key browser's current filter. Asked on every idle
    // pass, so it reads no setting: the KeyTree setting is taken by ReadKeyTreeSetting.
    CommandStateInputs StateInputs(const std::wstring& keyFilter) const;
    // Takes the KeyTree setting: at the start of each search and whenever the Preferences change it.
    void ReadKeyTreeSetting();
    // True while a delete, verify or refresh runs; other result commands wait for it to end.
    bool IsBusy() const { return m_busy; }

    // ---- list only

    void RemoveSelected();
    // "Check mark items to remove" when nothing is checked.
    void RemoveChecked();
    enum class CheckChange { All, None, Invert };
    void ChangeChecks(CheckChange change);
    enum class CopyWhat { Key, ValueName, Item };
    // Nothing is copied (and the clipboard is left as it was) without a selected result or for empty text.
    bool CopySelected(CopyWhat what);
    // Shows the please-wait dialog while `rebuild` lists the results again.
    void Refresh(const std::function<void()>& rebuild);

    // ---- the registry

    void DeleteSelectedValue();
    void DeleteSelectedKey();
    void DeleteChecked();
    // Takes out every row whose key or value no longer exists; returns how many went.
    size_t VerifyListed();

    // ---- outside programs

    // Remembers the file path that the selected result names, when its folder exists; cleared otherwise.
    void PrepareFileLocation();
    bool HasFileLocation() const { return !m_fileFolder.empty(); }
    // Opens the remembered folder with the shell when it is still an existing folder.
    bool OpenFileLocation();
    // The selected result in the registry editor; without one, keyBrowserPath ("HKEY_...\path"), else the
    // editor wherever it starts.
    bool OpenInRegEdit(const std::wstring& keyBrowserPath);

    // How a folder is opened; tests put in a recorder so that no window opens.
    std::function<bool(HWND, const std::wstring&)> openFolder = ShellOpenFolder;

private:
    struct CheckedDelete;

    bool Record(int position, size_t& index, SearchResult& out) const;
    void MarkRemoved(size_t index);
    void RemoveRow(int position, size_t index);
    int Ask(const std::wstring& text, const wchar_t* caption, UINT icon) const;
    void Tell(const std::wstring& text) const;
    void DeleteOneChecked(int& position, CheckedDelete& run);
    void FinishCheckedDelete(CheckedDelete& run);

    CHTMLListCtrl& m_list;
    ResultsStore& m_store;
    HWND m_owner = nullptr;
    std::function<void(const std::wstring&)> m_mainText;
    ProgressDlgSlot m_progress;
    bool m_busy = false;
    bool m_keyTreeOn = true;
    std::wstring m_fileFolder;
    int m_fileResult = -1; // the result the remembered folder belongs to
};
