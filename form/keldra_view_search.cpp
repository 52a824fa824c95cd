// The search itself: the request built from the form, start and stop, the engine's notifications, the
// live and final listing of results and the status texts of a search.
#include "form/keldra_view.h"

#include "engine/msg_queue.h"
#include "engine/result_markup.h"
#include "form/search_rules.h"
#include "base/settings.h"
#include "winlib/status_bar.h"

#include <algorithm>
#include <vector>

namespace {

constexpr UINT kTotalsPeriodMs = 1000;
constexpr int kButtonTextChars = 99;
constexpr int kSearchTextChars = 259;

// Every search leaves out the key that holds the search-text history, so it never reports its own history.
KeyLocation HistoryExclusion() {
    KeyLocation entry;
    entry.root = HKEY_CURRENT_USER;
    entry.subKey = std::wstring(kProgramKeyPath) + L"\\" + kHistorySubKey;
    entry.subKeyText = entry.subKey;
    entry.rootName = RootKeyName(HKEY_CURRENT_USER);
    return entry;
}

// The picked date with the picked time of day, as a FILETIME taken unchanged (no time-zone conversion).
bool PickedTime(HWND datePicker, HWND timePicker, FILETIME& out) {
    SYSTEMTIME date = {};
    SYSTEMTIME time = {};
    if (DateTime_GetSystemtime(datePicker, &date) != GDT_VALID ||
        DateTime_GetSystemtime(timePicker, &time) != GDT_VALID) {
        return false;
    }
    date.wHour = time.wHour;
    date.wMinute = time.wMinute;
    date.wSecond = time.wSecond;
    date.wMilliseconds = 0;
    return ::SystemTimeToFileTime(&date, &out) != FALSE;
}

} // namespace

// ---- start and stop

void CKeldraWTLView::OnSearchButton() {
    const std::wstring caption = CWindow(m_searchButton).GetWindowText(kButtonTextChars);
    if (_wcsicmp(caption.c_str(), L"Stop") == 0) {
        StopSearch();
    } else {
        SearchFromForm();
    }
}

bool CKeldraWTLView::StartSearch() {
    m_search.Stop();
    ::InterlockedExchange(&m_stopRequested, 0);
    m_search.notifyWindow = m_hWnd;
    return m_search.Start();
}

void CKeldraWTLView::StopSearch() {
    m_search.Stop();
    ::InterlockedExchange(&m_stopRequested, 1);
    ::EnableWindow(m_searchButton, FALSE);
}

bool CKeldraWTLView::SearchFromForm() {
    ::InterlockedExchange(&m_stopRequested, 0);
    m_search.Stop();
    m_search.notifyWindow = m_hWnd;

    // The list still shows the last search's results, and the frame and the result actions tell by lookIn and
    // remoteComputer where they came from (a remote row must never be deleted from this computer's registry).
    // A refused request puts them back.
    const std::vector<KeyLocation> shownLookIn = m_search.lookIn;
    const std::wstring shownComputer = m_search.remoteComputer;
    auto refuse = [&] {
        m_search.lookIn = shownLookIn;
        m_search.remoteComputer = shownComputer;
        return false;
    };

    const std::wstring lookIn = ControlText(IDC_LOOKIN);
    std::wstring computer;
    if (!m_options.IsLocal()) {
        computer = TrimComputerName(m_options.ComputerText());
        if (computer.empty()) {
            ShowMessage(L"Please enter a remote computer name.");
            m_options.SelectComputer();
            return refuse();
        }
        if (NamesLocalOnlyHive(lookIn)) {
            ShowMessage(L"Only 'HKEY_LOCAL_MACHINE' and 'HKEY_USERS' are supported for remote registry search.");
            return refuse();
        }
    }
    if (!m_search.SetLookIn(lookIn, computer)) {
        // A remote look-in text that names nothing usable is refused silently.
        if (computer.empty()) {
            ShowMessage(L"Error in the Look-In text.");
        }
        return refuse();
    }

    const std::wstring exclude = ControlText(IDC_EXCLUDE);
    m_lookIn.AddToHistory();
    m_search.excludeKeys.clear();
    if (IsDlgButtonChecked(IDC_EXCLUDE_CHECK) == BST_CHECKED) {
        m_search.SetExcludeKeys(exclude);
        // The exclude list is sorted, so a refill shows its alphabetically first entry; the field keeps what
        // this search excluded, so that the next search excludes the same keys.
        if (m_exclude.AddToHistory()) {
            SetDlgItemText(IDC_EXCLUDE, exclude.c_str());
        }
    }
    m_search.excludeKeys.push_back(HistoryExclusion());
    m_search.keyTreeOn = ReadSettingDword(kSettingsSubKey, kKeyTree, 1) != 0;

    const DWORD mode = CurrentMode();
    m_search.options = OptionsForMode(mode, m_options.ReadLookAt(true));
    m_search.typeMask = TypeMaskForMode(mode, m_options.ReadTypeMask(true));
    // Reading may have checked the look-at items or chosen "All Types".
    UpdateOptionStates();

    const std::wstring text = CWindow(GetDlgItem(IDC_SEARCH_TEXT)).GetWindowText(kSearchTextChars);
    if (!m_search.SetSearchString(text, mode)) {
        ShowMessage(L"Empty or invalid search string");
        return refuse();
    }
    m_searchText.AddToHistory();

    FillTimes();
    m_search.lengthFilterOn = m_options.LengthFilterOn() ? TRUE : FALSE;
    const LengthRange range =
        m_search.lengthFilterOn ? MakeLengthRange(m_options.LengthFrom(), m_options.LengthTo()) : LengthRange{0, 0};
    m_search.minLength = range.minLength;
    m_search.maxLength = range.maxLength;
    return m_search.Start() || refuse();
}

void CKeldraWTLView::FillTimes() {
    // A picker that cannot give its time leaves its bound off rather than searching with a stale one.
    m_search.modifiedAfterOn = IsDlgButtonChecked(IDC_MODIFIED_FROM) == BST_CHECKED &&
                               PickedTime(GetDlgItem(IDC_FROM_DATE), GetDlgItem(IDC_FROM_TIME), m_search.modifiedAfter);
    m_search.modifiedBeforeOn = IsDlgButtonChecked(IDC_MODIFIED_TO) == BST_CHECKED &&
                                PickedTime(GetDlgItem(IDC_TO_DATE), GetDlgItem(IDC_TO_TIME), m_search.modifiedBefore);
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
    m_list.DeleteAllItems();
    m_nextToList = 0;
    EmptyKeyBrowser();
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
}

void CKeldraWTLView::OnSearchResult(size_t index) {
    // Results come in index order, one per idle pass, while the worker lives. One that arrives after the
    // worker ended, or that was listed already, is left to the final listing. Should an earlier index not
    // have arrived, it is listed first, so that the list keeps the results' order.
    std::vector<std::pair<size_t, SearchResult>> records;
    size_t count = 0;
    const bool list = index >= m_nextToList && IsSearchRunning();
    {
        CriticalSectionLock hold(m_search.resultsLock);
        count = m_search.results.size();
        if (index >= count) {
            return;
        }
        if (list) {
            for (size_t i = m_nextToList; i <= index; ++i) {
                records.emplace_back(i, m_search.results[i]);
            }
        }
    }
    if (!records.empty()) {
        for (const auto& [at, record] : records) {
            ListResultAt(record, at);
        }
        m_list.InvalidateRect(nullptr, FALSE);
    }

    const DWORD now = ::GetTickCount();
    if (!m_totalsWritten || now - m_lastTotalsTick >= kTotalsPeriodMs) {
        m_totalsWritten = true;
        m_lastTotalsTick = now;
        WriteTotals(count);
    }
}

void CKeldraWTLView::ListResultAt(const SearchResult& record, size_t index) {
    if (std::optional<ResultLine> line = ListResult(record, index)) {
        m_list.AddItem(line->text, line->icon, line->index);
    }
    m_nextToList = index + 1;
}

void CKeldraWTLView::WriteTotals(size_t resultCount) {
    SetPaneText(kPaneTotals, TotalsText(static_cast<DWORD>(m_search.KeysSearchedNow()), resultCount));
}

void CKeldraWTLView::OnSearchFinished() {
    if (m_listing) {
        return;
    }
    while (KillTimer(kTotalsTimer)) {
    }
    SetPaneText(ID_DEFAULT_PANE, L"Prepairing to list...");
    // Results still queued belong to this search and are listed below; none may reach a later search.
    MsgQueueDrain();
    SetPaneText(ID_DEFAULT_PANE, L"Listing...");
    CWindow progress(m_progress);
    progress.SendMessage(PBM_SETMARQUEE, FALSE, 0);
    progress.ModifyStyle(PBS_MARQUEE, 0);
    progress.SendMessage(PBM_SETRANGE32, 0, 100);

    ListRemainingResults();
    if (!m_hWnd || !::IsWindow(m_hWnd)) {
        return; // closed while the listing let messages through
    }

    if (ReadSettingDword(kSettingsSubKey, kKeyTree, 1) != 0) {
        SetPaneText(ID_DEFAULT_PANE, L"Populating tree");
        FillKeyBrowser();
    }
    progress.ShowWindow(SW_HIDE);
    SetSearchButton(false);
    ::EnableWindow(m_searchButton, TRUE);
    if (m_frame) {
        ::SendMessageW(m_frame, WM_SCANSTATUS, SCAN_ENDED, 0);
    }
    const size_t count = m_search.ResultCount();
    WriteTotals(count);
    SetPaneText(kPaneMatches,
                MatchSummary(m_search.options, m_search.keyMatches, m_search.valueNameMatches, m_search.dataMatches));
}

void CKeldraWTLView::ListRemainingResults() {
    m_listing = true;
    // The worker has ended: the results no longer change and are read without the lock.
    const size_t count = m_search.ResultCount();
    const size_t shown = std::min(m_nextToList, count);
    ListingProgress progress(count - shown);
    for (size_t i = shown; i < count; ++i) {
        int percent = 0;
        if (progress.Next(percent)) {
            ::SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
            if (!PumpMessages() || m_stopRequested != 0) {
                break;
            }
        }
        ListResultAt(m_search.results[i], i);
    }
    m_listing = false;
    if (m_hWnd && ::IsWindow(m_hWnd)) {
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
