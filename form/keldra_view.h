// The search view: a child dialog (template 129) that holds the search form above and the results list
// below, and owns the search engine object for its whole life. It validates the form, builds the request,
// starts and stops searches, lists the results the engine hands over, writes the search's status texts,
// keeps the options tree in step with the look-in text, and saves and restores the form between runs.
//
// Where the code lives: keldra_view.cpp (window, initialisation, form events, closing),
// keldra_view_search.cpp (request, start and stop, engine notifications, final listing),
// keldra_view_options.cpp (options tree reactions and the look-in link), keldra_view_results.cpp (the
// routing of result actions, selection status), keldra_view_keybrowser.cpp (the key browser).
//
// Threads: main thread only; the search worker reaches the view by posted messages.
#pragma once

#include "engine/keldra_thread.h"
#include "form/mru_combo_ctrl.h"
#include "form/options_tree_ctrl.h"
#include "form/search_options.h"
#include "resources/dialog_ids.h"
#include "results/html_list_ctrl.h"
#include "results/key_browser.h"
#include "results/result_actions.h"
#include "winlib/dialog_impl.h"
#include "winlib/dialog_resize.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CMultiPaneStatusBarCtrl;

// Sent by the view to the main frame: wParam SCAN_STARTED when a search has started, SCAN_ENDED when it has
// ended and its results are listed.
inline constexpr UINT WM_SCANSTATUS = WM_APP + 0x65;
enum : WPARAM {
    SCAN_STARTED = 1,
    SCAN_ENDED = 3,
};

// Status-bar panes the view writes.
inline constexpr int kPaneModified = 129;
inline constexpr int kPaneMatches = 212;
inline constexpr int kPaneTotals = 211;

// The view's timers: the running totals during a search, and the first look-in text after start-up.
inline constexpr UINT_PTR kTotalsTimer = 100;
inline constexpr UINT_PTR kStartupTimer = 101;
// Search as you type: the pause after the last change of the search text.
inline constexpr UINT_PTR kTypingTimer = 102;

class CKeldraWTLView : public CDialogImpl<CKeldraWTLView>, public CDialogResize<CKeldraWTLView> {
public:
    enum { IDD = IDD_KELDRAWTL_FORM };

    CKeldraWTLView() = default;

    // Creates the view as a child of parent. The common controls of the form are registered first, so the
    // template loads whatever the start-up registered.
    HWND Create(HWND parent);

    // Where the view reports to: the frame's status bar (panes 0, 129, 211, 212), the key browser tree and
    // the frame window (target of WM_SCANSTATUS and of commands sent back).
    void SetFrame(HWND frame, CMultiPaneStatusBarCtrl* statusBar, HWND* keyBrowserTree);

    // Tab and the dialog keys between the form's controls.
    BOOL PreTranslateMessage(MSG* pMsg);

    // ---- the search, as the frame and the result actions see it

    // The search worker's thread handle, null when no worker exists.
    HANDLE SearchThreadHandle() const { return m_search.GetHandle(); }
    // True while the worker exists and has not ended.
    bool IsSearchRunning() const { return m_search.IsRunning(); }
    // Tick count at the start of the current or last search.
    DWORD SearchStartTick() const { return m_searchStartTick; }
    // Whether the user stopped the current or last search.
    bool StopRequested() const { return m_stopRequested != 0; }
    // True while the end of a search empties the delivery queue and lists the remaining results (window
    // messages are handled in between).
    bool IsListing() const { return m_listing; }
    // The search worker: its request, and its results store with the counters, the key map and where the
    // results came from.
    CKeldraThread& Search() { return m_search; }
    const ResultsStore& Results() const { return m_search.Results(); }

    // Starts a search on the request, reported to this view, after ending any earlier worker.
    bool StartSearch(SearchRequest request);
    // Ends the worker (blocking until it has), remembers that the user stopped it and disables the button
    // until the final listing is done.
    void StopSearch();
    // The Search button: validates the form, builds the request and starts the worker. False when the
    // form was refused (the user has been told why) or the worker could not start.
    bool SearchFromForm();

    // ---- what the list shows

    size_t ListedCount() const { return static_cast<size_t>(m_list.GetItemCount()); }
    // The result index (row user data) of the selected row; -1 when no row is selected or the selection
    // is not below the row count.
    int SelectedResult() const { return m_actions.SelectedResult(); }
    bool CopySelectedResult(SearchResult& out) const { return m_actions.CopySelectedResult(out); }
    bool IsRemoteSearch() const { return m_actions.IsRemote(); }
    // What the command rules read: the list, the selection, the remote flag, the key filter.
    CommandStateInputs CommandInputs() const;
    // Results are listed in index order; every result below this index has been handed to the list (or left
    // out as removed). A rebuild of the list during a search sets it to the count it listed.
    size_t NextResultToList() const { return m_nextToList; }
    void SetNextResultToList(size_t index) { m_nextToList = index; }

    // ---- the key filter: which part of the results store the list shows

    // Lists every record of the store the filter admits (full key name "ROOT\\path"; empty: all), unless
    // the filter equals the current one (case-insensitive). The main pane shows "%d item(s) shown".
    void RebuildList(const std::wstring& filter);
    // The key path whose results the list shows; empty for all.
    const std::wstring& KeyFilter() const { return m_keyFilter; }
    // Sets the current filter without rebuilding: "" when the key browser empties, "<>" (matching no real
    // filter) so that the next rebuild is never skipped.
    void SetKeyFilter(const std::wstring& filter) { m_keyFilter = filter; }

    // ---- parts for the result actions and the key browser

    CHTMLListCtrl& ResultsList() { return m_list; }
    ResultActions& Actions() { return m_actions; }
    CMultiPaneStatusBarCtrl* StatusBar() const { return m_statusBar; }
    HWND FrameWindow() const { return m_frame; }
    HWND KeyBrowserTree() const { return m_keyBrowserTree ? *m_keyBrowserTree : nullptr; }
    OptionsTree::CPropertyTreeCtrl& OptionsTreeCtrl() { return m_tree; }
    CSearchOptions& Options() { return m_options; }
    // Writes a status pane, first sizing it to the text (text width in the bar's font plus 10 pixels).
    // Pane 0 keeps its width.
    void SetPaneText(int paneId, const std::wstring& text);

    // Notifications of the key browser tree that the frame hands over (selection, item texts, expansion).
    LRESULT OnKeyBrowserNotify(NMHDR* header);
    // The key browser component, bound to the frame's tree window.
    CKeyBrowser& KeyBrowser();
    // Key path of the key browser's selected item ("" for "All" or no selection); Open in RegEdit uses it
    // when no row is selected.
    std::wstring KeyBrowserSelectedPath();

    // ---- the options tree and the look-in link

    void UpdateOptionStates();
    // Look-in text -> hive checks and the Look In choice.
    void LookInToTree();
    // Hive checks -> look-in text.
    void TreeToLookIn();
    // Puts path into the "File" item as typing it there does: "Hive File" is chosen and the look-in text
    // names the file's hive.
    void UseHiveFile(const std::wstring& path);
    // The selected search mode; the first mode when none is selected.
    DWORD CurrentMode() const;

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    // Window and form (keldra_view.cpp).
    void OnInitDialog();
    void OnDestroy();
    BOOL OnCommand(WORD code, WORD id, LRESULT& lResult);
    BOOL OnNotify(NMHDR* header, LRESULT& lResult);
    void OnTimer(UINT_PTR id);
    void OnStartupTimer();
    void OnTypingPause();
    void FillModeList(DWORD savedMode);
    void OnModeChange();
    void ApplySearchButtonRule();
    void EnableByCheck(int checkId, std::initializer_list<int> controlIds);
    void PostCommand(int id, WORD code);
    void SetSearchButton(bool searching);
    std::wstring ControlText(int id) const;
    void ShowMessage(const wchar_t* text);
    void SaveFormState(class SettingWriteFailures& failures);
    // The frame's title, with the hive file searched last when there is one.
    void ShowSearchedFile(const std::wstring& file);

    // The search (keldra_view_search.cpp).
    void OnSearchButton();
    SearchFormValues GatherFormValues();
    void OnSearchNotify(WPARAM kind, LPARAM lParam);
    void OnSearchStarted();
    void OnSearchResult(size_t index);
    void OnSearchFinished();
    // Mounts the form's hive file for a search, in place of the one mounted before; false (the user told
    // why, the one before still mounted) when it cannot be read.
    bool MountFormHive(const SearchFormValues& values);
    // Tells the damage found in the hive file searched, and what its reader warned of.
    void TellHiveDamage(const std::wstring& file);
    void ListRemainingResults();
    bool PumpMessages();
    void ListResultAt(size_t index);
    // Lists the results from the first one not yet listed up to (not including) end.
    void ListResultsUpTo(size_t end);
    // The list's markup source: the line of the result at index (nothing past the store's end).
    void RowMarkup(DWORD_PTR index, std::wstring& markup);
    void WriteTotals(size_t resultCount);

    // Options tree (keldra_view_options.cpp).
    void OnOptionChanged(const OptionsTree::IProperty* property);
    void SetLookInText(const wchar_t* text);
    // The hive file's whole hive as the look-in text.
    void LookInHiveFile();
    void ShowOptionsMenu();
    void OnOptionsMenuCommand(WORD id);
    // "Choose Hive File...": the Open dialog; the chosen file goes to UseHiveFile, a cancel changes nothing.
    void BrowseForHiveFile();

    // Results and key browser (keldra_view_results.cpp).
    BOOL OnResultCommand(WORD id);
    void RunResultCommand(WORD id);
    LRESULT OnResultListKeyDown(const NMLVKEYDOWN& key);
    void OnResultSelectionChanged(const NMHTMLLIST& info);
    void OnResultContextMenu(LPARAM screenPoint);
    void ShowSelectionStatus();

    // Key browser (keldra_view_keybrowser.cpp).
    void EmptyKeyBrowser();
    void FillKeyBrowser();
    void OnKeyBrowserFilter(const std::wstring& path);
    void OnGotoKeyBrowser();

    // Declared first, destroyed last: its destructor waits for the worker, which reads the request.
    CKeldraThread m_search;
    OptionsTree::CPropertyTreeCtrl m_tree;
    CSearchOptions m_options{m_tree};
    CHTMLListCtrl m_list;
    ResultActions m_actions{m_list, m_search.Results()};
    ImageListHandle m_typeImages;
    CMruComboCtrl m_searchText;
    CMruComboCtrl m_lookIn;
    CMruComboCtrl m_exclude;
    HWND m_searchButton = nullptr;
    ImageListHandle m_searchImage; // the Search button's picture: icon 207
    ImageListHandle m_stopImage;   // and while a search runs: icon 208
    HWND m_progress = nullptr;

    HWND m_frame = nullptr;
    CMultiPaneStatusBarCtrl* m_statusBar = nullptr;
    HWND* m_keyBrowserTree = nullptr;
    CKeyBrowser m_keyBrowser;

    DWORD m_searchStartTick = 0;
    volatile LONG m_stopRequested = 0;
    size_t m_nextToList = 0;
    DWORD m_lastTotalsTick = 0;
    DWORD m_lastRowsCommit = 0;
    std::vector<int> m_rowIcons; // scratch of ListResultsUpTo
    bool m_totalsWritten = false;
    bool m_listing = false;
    bool m_searchActive = false; // from SN_STARTED until the results are listed: the button reads "Stop"
    std::wstring m_keyFilter;
    std::wstring m_hiveName; // the hive file mounted for the last search, if any
    std::vector<std::wstring> m_hiveWarnings;
    std::wstring m_frameTitle; // the frame's title before a hive file was named in it
};
