// The search itself: the request built from the form, start and stop, the engine's notifications, the
// live and final listing of results and the status texts of a search.
#include "form/keldra_view.h"

#include "engine/hive_registry.h"
#include "engine/msg_queue.h"
#include "engine/result_markup.h"
#include "engine/snapshot_shelf.h"
#include "form/search_rules.h"
#include "base/settings.h"
#include "winlib/status_bar.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr UINT kTotalsPeriodMs = 1000;
constexpr DWORD kLiveRowsPeriodMs = 50;
// The end of a search works in slices of this length and handles the window messages in between, so the
// window keeps answering however many results are still queued or to be listed.
constexpr DWORD kSliceMs = 25;
constexpr int kSearchTextChars = 259;

// The picked date with the picked time of day; none when a picker cannot give its value.
std::optional<SYSTEMTIME> PickedTime(HWND datePicker, HWND timePicker) {
    SYSTEMTIME date = {};
    SYSTEMTIME time = {};
    if (DateTime_GetSystemtime(datePicker, &date) != GDT_VALID ||
        DateTime_GetSystemtime(timePicker, &time) != GDT_VALID) {
        return std::nullopt;
    }
    date.wHour = time.wHour;
    date.wMinute = time.wMinute;
    date.wSecond = time.wSecond;
    date.wMilliseconds = 0;
    return date;
}

} // namespace

// ---- start and stop

void CKeldraWTLView::OnSearchButton() {
    // The button reads "Stop" from the search's start until its results are listed.
    if (m_searchActive) {
        StopSearch();
    } else {
        SearchFromForm();
    }
}

bool CKeldraWTLView::StartSearch(SearchRequest request) {
    m_search.Stop();
    ::InterlockedExchange(&m_stopRequested, 0);
    // The previous search's rows and key browser go before the new worker begins: a browser of a thousand
    // keys empties in 2 ms while no worker runs, but took 20 to 160 ms once the walk had begun.
    m_list.DeleteAllItems();
    m_nextToList = 0;
    EmptyKeyBrowser();
    request.notifyWindow = m_hWnd;
    // Searching the same places again runs over kept copies of them.
    request.keepSnapshots = true;
    return m_search.Start(std::move(request));
}

void CKeldraWTLView::StopSearch() {
    m_search.Stop();
    ::InterlockedExchange(&m_stopRequested, 1);
    ::EnableWindow(m_searchButton, FALSE);
}

bool CKeldraWTLView::SearchFromForm() {
    ::InterlockedExchange(&m_stopRequested, 0);
    m_search.Stop();

    const SearchFormValues values = GatherFormValues();
    const RequestOutcome outcome = BuildSearchRequest(values);
    const RequestField reached = outcome.Accepted() ? RequestField::SearchText : outcome.refusal.field;
    // Once the look-in text is accepted, the histories take the texts and the options tree shows what the
    // request reads, even when the search text is then refused.
    if (reached == RequestField::SearchText) {
        m_lookIn.AddToHistory();
        // The exclude list is sorted, so a refill shows its alphabetically first entry; the field keeps what
        // this search excluded, so that the next search excludes the same keys.
        if (values.excludeOn && m_exclude.AddToHistory()) {
            SetDlgItemText(IDC_EXCLUDE, values.exclude.c_str());
        }
        m_options.ReadLookAt(true);
        m_options.ReadTypeMask(true);
        UpdateOptionStates();
    }
    if (!outcome.Accepted()) {
        // A remote look-in text that names nothing usable is refused silently.
        if (!(outcome.refusal.field == RequestField::LookIn && values.remote)) {
            ShowMessage(outcome.refusal.message.c_str());
        }
        if (outcome.refusal.field == RequestField::Computer) {
            m_options.SelectComputer();
        }
        return false;
    }
    m_searchText.AddToHistory();
    if (values.hive && !MountFormHive(values)) {
        return false;
    }
    // The store keeps telling where the listed results came from until the new worker begins.
    return StartSearch(std::move(*outcome.request));
}

// Search as you type: the search text has rested for a moment. The list follows it only where kept copies
// make the search instant, never over a search still running or being listed (it tries again after the
// next pause), and without histories or messages: a text the form would refuse is simply not searched.
void CKeldraWTLView::OnTypingPause() {
    if (IsSearchRunning() || m_listing) {
        return; // the timer stays: another try after the next pause
    }
    while (KillTimer(kTypingTimer)) {
    }
    if (!ReadSettingFlag(kSearchAsYouTypeSetting)) {
        return;
    }
    const SearchFormValues values = GatherFormValues();
    RequestOutcome outcome = BuildSearchRequest(values);
    if (!outcome.Accepted() || !outcome.request->remoteComputer.empty() || values.hive ||
        !TheSnapshotShelf().Covers(outcome.request->lookIn)) {
        return;
    }
    StartSearch(std::move(*outcome.request));
}

SearchFormValues CKeldraWTLView::GatherFormValues() {
    SearchFormValues values;
    values.searchText = CWindow(GetDlgItem(IDC_SEARCH_TEXT)).GetWindowText(kSearchTextChars);
    values.mode = CurrentMode();
    values.lookIn = ControlText(IDC_LOOKIN);
    values.remote = m_options.IsRemote();
    if (values.remote) {
        values.computer = m_options.ComputerText();
    }
    values.hive = m_options.IsHiveFile();
    if (values.hive) {
        values.hiveFile = TrimChars(m_options.HiveFileText(), L" \"");
        values.hiveName = DefaultHiveName(values.hiveFile);
    }
    values.excludeOn = IsDlgButtonChecked(IDC_EXCLUDE_CHECK) == BST_CHECKED;
    values.exclude = ControlText(IDC_EXCLUDE);
    // Read without filling in: the tree is filled in only once the look-in text has been accepted.
    values.options = m_options.ReadLookAt(false);
    values.typeMask = m_options.ReadTypeMask(false);
    if (IsDlgButtonChecked(IDC_MODIFIED_FROM) == BST_CHECKED) {
        values.modifiedAfter = PickedTime(GetDlgItem(IDC_FROM_DATE), GetDlgItem(IDC_FROM_TIME));
    }
    if (IsDlgButtonChecked(IDC_MODIFIED_TO) == BST_CHECKED) {
        values.modifiedBefore = PickedTime(GetDlgItem(IDC_TO_DATE), GetDlgItem(IDC_TO_TIME));
    }
    values.lengthFilterOn = m_options.LengthFilterOn();
    if (values.lengthFilterOn) {
        values.lengthFrom = m_options.LengthFrom();
        values.lengthTo = m_options.LengthTo();
    }
    values.keyTreeOn = ReadSettingFlag(kKeyTreeSetting);
    return values;
}

// ---- engine notifications

void CKeldraWTLView::OnSearchNotify(WPARAM kind, LPARAM lParam) {
    switch (kind) {
    case SN_STARTED:
        OnSearchStarted();
        break;
    case SN_RESULT:
        OnSearchResult(static_cast<size_t>(lParam));
        break;
    case SN_FINISHED:
        OnSearchFinished();
        break;
    default:
        break;
    }
}

void CKeldraWTLView::OnSearchStarted() {
    SetSearchButton(true);
    m_actions.ReadKeyTreeSetting();
    for (int pane : {kPaneMatches, kPaneTotals, kPaneModified}) {
        SetPaneText(pane, L"");
    }
    m_searchStartTick = ::GetTickCount();
    if (m_frame) {
        ::SendMessageW(m_frame, WM_SCANSTATUS, SCAN_STARTED, 0);
    }
    CWindow progress(m_progress);
    progress.ModifyStyle(0, PBS_MARQUEE);
    progress.SendMessage(PBM_SETMARQUEE, TRUE, 0);
    progress.ShowWindow(SW_SHOW);
    SetTimer(kTotalsTimer, kTotalsPeriodMs);
    ShowSearchedFile(m_search.Results().Origin().source);
}

void CKeldraWTLView::OnSearchResult(size_t index) {
    // Results come in index order, one per idle pass, while the worker lives. One that arrives after the
    // worker ended, or that was listed already, is left to the final listing. Should an earlier index not
    // have arrived, it is listed first, so that the list keeps the results' order.
    if (m_listing) {
        return; // the final listing has taken over; it lists everything in order
    }
    const ResultsStore& store = m_search.Results();
    // The search's own state tells that its worker runs: a worker exists and the search has neither been
    // stopped nor reached its final listing. Asking the thread's exit code cost a server call per notice; a
    // notice forwarded just before the worker ended lists rows in order all the same.
    if (index >= m_nextToList && m_search.GetHandle() && m_searchActive && m_stopRequested == 0) {
        ListResultsUpTo(index + 1);
    }

    const DWORD now = ::GetTickCount();
    // The new rows reach the screen a few times a second: a paint of the list and of its scroll bar costs
    // milliseconds, far more than listing a row. Timer 100 shows what is left of a burst.
    if (now - m_lastRowsCommit >= kLiveRowsPeriodMs) {
        m_lastRowsCommit = now;
        m_list.CommitRows();
    }
    if (!m_totalsWritten || now - m_lastTotalsTick >= kTotalsPeriodMs) {
        m_totalsWritten = true;
        m_lastTotalsTick = now;
        WriteTotals(store.Count());
    }
}

void CKeldraWTLView::ListResultsUpTo(size_t end) {
    // The records are looked at under one taking of the lock, which the worker needs for every result.
    m_rowIcons.clear();
    m_search.Results().ReadRange(m_nextToList, end, [&](size_t, const SearchResult& record) {
        m_rowIcons.push_back(record.removed ? -1 : ResultIcon(record));
    });
    for (int icon : m_rowIcons) {
        if (icon >= 0) {
            m_list.AddRow(icon, m_nextToList);
        }
        ++m_nextToList;
    }
}

void CKeldraWTLView::ListResultAt(size_t index) {
    // A row costs its index and icon: its markup is made from the store when it is drawn.
    int icon = -1;
    m_search.Results().Read(index, [&](const SearchResult& record) {
        if (!record.removed) {
            icon = ResultIcon(record);
        }
    });
    if (icon >= 0) {
        m_list.AddRow(icon, index);
    }
    m_nextToList = index + 1;
}

void CKeldraWTLView::RowMarkup(DWORD_PTR index, std::wstring& markup) {
    m_search.Results().Read(index, [&](const SearchResult& record) { ListLineMarkup(record, markup); });
}

void CKeldraWTLView::WriteTotals(size_t resultCount) {
    SetPaneText(kPaneTotals, TotalsText(static_cast<DWORD>(m_search.Results().KeysSearched()), resultCount));
}

void CKeldraWTLView::OnSearchFinished() {
    if (m_listing) {
        return;
    }
    m_listing = true;
    while (KillTimer(kTotalsTimer)) {
    }
    SetPaneText(ID_DEFAULT_PANE, L"Prepairing to list...");
    // Results still queued belong to this search and are listed below; none may reach a later search.
    while (!MsgQueueDrainFor(kSliceMs)) {
        if (!PumpMessages()) {
            m_listing = false;
            return; // closed meanwhile
        }
    }
    SetPaneText(ID_DEFAULT_PANE, L"Listing...");
    CWindow progress(m_progress);
    progress.SendMessage(PBM_SETMARQUEE, FALSE, 0);
    progress.ModifyStyle(PBS_MARQUEE, 0);
    progress.SendMessage(PBM_SETRANGE32, 0, 100);

    ListRemainingResults();
    if (!m_hWnd || !::IsWindow(m_hWnd)) {
        return; // closed while the listing let messages through
    }
    // Filling the key browser and the frame's end of the search each take tens of milliseconds with many
    // keys: the window's messages are handled in between, while the search still counts as listing.
    if (ReadSettingFlag(kKeyTreeSetting)) {
        SetPaneText(ID_DEFAULT_PANE, L"Populating tree");
        FillKeyBrowser();
        if (!PumpMessages()) {
            m_listing = false;
            return;
        }
    }
    m_listing = false;
    progress.ShowWindow(SW_HIDE);
    SetSearchButton(false);
    ::EnableWindow(m_searchButton, TRUE);
    if (m_frame) {
        ::SendMessageW(m_frame, WM_SCANSTATUS, SCAN_ENDED, 0);
    }
    const ResultsStore& store = m_search.Results();
    WriteTotals(store.Count());
    if (m_search.SearchedSnapshot()) {
        SetPaneText(kPaneTotals, TotalsText(static_cast<DWORD>(store.KeysSearched()), store.Count()) + L" (instant)");
    }
    const MatchCounts matches = store.Matches();
    SetPaneText(kPaneMatches, MatchSummary(m_search.Request().options, matches.keys, matches.valueNames, matches.data));
    // A computer that could not be reached at all is told at once; other problems are counted in the
    // frame's end-of-search text and wait in the search log.
    if (m_search.ConnectError() != ERROR_SUCCESS) {
        const std::wstring text =
            ConnectFailureText(store.Origin().computer, static_cast<DWORD>(m_search.ConnectError()));
        ShowMessage(text.c_str());
    }
    if (store.IsFromFile()) {
        TellHiveDamage(store.Origin().source);
    }
}

bool CKeldraWTLView::MountFormHive(const SearchFormValues& values) {
    // The hive is read afresh for every search: the file may have changed. It replaces the last search's
    // hive only once it has been read, so a refused file leaves the listed results working.
    std::wstring error;
    std::vector<std::wstring> warnings;
    if (!MountHive(values.hiveName, values.hiveFile, error, warnings, m_hiveName)) {
        ShowMessage((L"The hive file " + values.hiveFile + L" cannot be searched: " + error).c_str());
        return false;
    }
    m_hiveName = values.hiveName;
    m_hiveWarnings = std::move(warnings);
    return true;
}

void CKeldraWTLView::TellHiveDamage(const std::wstring& file) {
    std::wstring text;
    for (const std::wstring& warning : m_hiveWarnings) {
        text += L"The hive file " + file + L": " + warning + L"\n";
    }
    std::vector<std::wstring> problems;
    const size_t count = HiveProblems(m_hiveName, problems);
    if (count > 0) {
        text += L"The hive file " + file + L" is damaged: " + problems.front();
        if (count > 1) {
            text += L" (and " + std::to_wstring(count - 1) + L" more problem(s))";
        }
        text += L"\nWhat could be read was searched.";
    }
    m_hiveWarnings.clear();
    if (!text.empty()) {
        ShowMessage(text.c_str());
    }
}

void CKeldraWTLView::ShowSearchedFile(const std::wstring& file) {
    if (!m_frame) {
        return;
    }
    if (m_frameTitle.empty()) {
        m_frameTitle = CWindow(m_frame).GetWindowText();
    }
    ::SetWindowTextW(m_frame, file.empty() ? m_frameTitle.c_str() : (m_frameTitle + L" - " + file).c_str());
}

void CKeldraWTLView::ListRemainingResults() {
    // The worker has ended: the count no longer changes.
    const size_t count = m_search.Results().Count();
    const size_t shown = std::min(m_nextToList, count);
    ListingProgress progress(count - shown);
    DWORD sliceStart = ::GetTickCount();
    // The cursor is the view's own: a list rebuilt while messages were handled (Refresh, a key browser
    // selection) has listed everything up to the count, and nothing may be listed twice.
    for (size_t i = shown; i < count; i = std::max(i + 1, m_nextToList)) {
        int percent = 0;
        // The bar moves and Stop is looked at once per percent; messages are handled whenever a slice is
        // used up as well, since one percent of a large search takes far longer than a window may hang.
        const bool step = progress.Next(percent);
        if (step) {
            ::SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
        }
        if (step || ::GetTickCount() - sliceStart >= kSliceMs) {
            m_list.CommitRows();
            if (!PumpMessages() || (step && m_stopRequested != 0)) {
                break;
            }
            sliceStart = ::GetTickCount();
            if (m_nextToList > i) {
                continue;
            }
        }
        ListResultAt(i);
    }
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        m_list.CommitRows();
        m_list.Invalidate(FALSE);
    }
}

bool CKeldraWTLView::PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the main loop; put it back and stop listing.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!::IsDialogMessageW(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!m_hWnd || !::IsWindow(m_hWnd)) {
            return false;
        }
    }
    return true;
}
