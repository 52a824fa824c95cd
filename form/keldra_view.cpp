#include "form/keldra_view.h"

#include "engine/hive_registry.h"

#include "form/form_state.h"
#include "form/history_save.h"
#include "form/look_in_link.h"
#include "form/search_rules.h"
#include "resources/command_ids.h"
#include "resources/image_ids.h"
#include "base/settings.h"
#include "winlib/gdi.h"
#include "winlib/status_bar.h"

#include <array>

namespace {

// How the form's controls follow the view's size: the texts grow to the right, the buttons and the options
// tree keep to the right edge, the list takes the rest.
constexpr std::array<DlgResizeEntry, 10> kResizeTable = {{
    {IDC_HIDDEN_BUTTON, DLSZ_MOVE_X},
    {IDC_SEARCH_BUTTON, DLSZ_MOVE_X},
    {IDC_SEARCH_TEXT, DLSZ_SIZE_X},
    {IDC_LOOKIN, DLSZ_SIZE_X},
    {IDC_RESULTS_LIST, DLSZ_SIZE_X | DLSZ_SIZE_Y},
    {IDC_SEARCH_MODE, DLSZ_MOVE_X},
    {IDC_OPTIONS_TREE, DLSZ_MOVE_X | DLSZ_SIZE_Y},
    {IDC_SPACER, DLSZ_MOVE_X | DLSZ_SIZE_Y},
    {IDC_PROGRESS, DLSZ_SIZE_X},
    {IDC_EXCLUDE, DLSZ_SIZE_X},
}};

constexpr UINT kMarqueeStepMs = 300;
constexpr UINT kStartupDelayMs = 100;
constexpr UINT kTypingPauseMs = 300;
constexpr int kPanePadding = 10;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

void SetCueBanner(HWND combo, const wchar_t* text) {
    ::SendMessageW(combo, CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(text));
}

} // namespace

HWND CKeldraWTLView::Create(HWND parent) {
    // A dialog template naming a control class that is not registered fails to load as a whole.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES |
                                                        ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);
    return CDialogImpl<CKeldraWTLView>::Create(parent);
}

void CKeldraWTLView::SetFrame(HWND frame, CMultiPaneStatusBarCtrl* statusBar, HWND* keyBrowserTree) {
    m_frame = frame;
    m_statusBar = statusBar;
    m_keyBrowserTree = keyBrowserTree;
}

BOOL CKeldraWTLView::PreTranslateMessage(MSG* pMsg) {
    return m_hWnd && ::IsDialogMessageW(m_hWnd, pMsg);
}

// ---- message map

BOOL CKeldraWTLView::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog();
        lResult = TRUE;
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        lResult = 0;
        return TRUE;
    case WM_CREATE:
        lResult = 0;
        return TRUE;
    case WM_COMMAND:
        if (OnCommand(HIWORD(wParam), LOWORD(wParam), lResult)) {
            return TRUE;
        }
        break;
    case WM_NOTIFY:
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), lResult)) {
            return TRUE;
        }
        break;
    case WM_CONTEXTMENU:
        if (m_list.m_hWnd && ::GetFocus() == m_list.m_hWnd) {
            OnResultContextMenu(lParam);
        }
        lResult = 0;
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        lResult = 0;
        return TRUE;
    case WM_SEARCH_NOTIFY:
        OnSearchNotify(wParam, lParam);
        lResult = 0;
        return TRUE;
    default:
        break;
    }
    return ProcessDialogResizeMessage(uMsg, wParam, lParam, lResult);
}

BOOL CKeldraWTLView::OnCommand(WORD code, WORD id, LRESULT& lResult) {
    lResult = 0;
    switch (id) {
    case IDC_SEARCH_TEXT:
        // A choice from the list reaches the edit field only after this notification: check afterwards.
        if (code == CBN_SELCHANGE) {
            PostCommand(IDC_SEARCH_TEXT, CBN_EDITCHANGE);
        } else if (code == CBN_EDITCHANGE) {
            ApplySearchButtonRule();
            if (ReadSettingFlag(kSearchAsYouTypeSetting)) {
                SetTimer(kTypingTimer, kTypingPauseMs);
            }
        }
        return TRUE;
    case IDC_LOOKIN:
        if (code == CBN_SELCHANGE) {
            PostCommand(IDC_LOOKIN, CBN_EDITCHANGE);
        } else if (code == CBN_EDITCHANGE) {
            ApplySearchButtonRule();
            LookInToTree();
        }
        return TRUE;
    case IDC_SEARCH_MODE:
        if (code == CBN_SELCHANGE) {
            if (ModeClearsSearchText(CurrentMode())) {
                SetDlgItemText(IDC_SEARCH_TEXT, L"");
            }
            PostCommand(IDC_SEARCH_MODE, CBN_EDITCHANGE);
        } else if (code == CBN_EDITCHANGE) {
            OnModeChange();
        }
        return TRUE;
    case IDC_SEARCH_BUTTON:
        if (code == BN_CLICKED) {
            OnSearchButton();
        }
        return TRUE;
    case IDC_MODIFIED_FROM:
        EnableByCheck(IDC_MODIFIED_FROM, {IDC_FROM_DATE, IDC_FROM_TIME});
        return TRUE;
    case IDC_MODIFIED_TO:
        EnableByCheck(IDC_MODIFIED_TO, {IDC_TO_DATE, IDC_TO_TIME});
        return TRUE;
    case IDC_EXCLUDE_CHECK:
        EnableByCheck(IDC_EXCLUDE_CHECK, {IDC_EXCLUDE});
        return TRUE;
    case ID_TREE_CHECK_HIVES:
    case ID_TREE_UNCHECK_HIVES:
    case ID_TREE_INVERT_HIVES:
    case ID_TREE_CHECK_TYPES:
    case ID_TREE_UNCHECK_TYPES:
    case ID_TREE_INVERT_TYPES:
    case ID_TREE_CHOOSE_HIVE_FILE:
        OnOptionsMenuCommand(id);
        return TRUE;
    case ID_GOTO_KEY_BROWSER:
        OnGotoKeyBrowser();
        return TRUE;
    default:
        return OnResultCommand(id);
    }
}

BOOL CKeldraWTLView::OnNotify(NMHDR* header, LRESULT& lResult) {
    lResult = 0;
    if (header->idFrom == IDC_OPTIONS_TREE && header->hwndFrom == m_tree.m_hWnd) {
        const int code = static_cast<int>(header->code);
        if (code == OptionsTree::PTN_ITEMCHANGED) {
            OnOptionChanged(reinterpret_cast<OptionsTree::NMPROPERTYITEM*>(header)->prop);
            return TRUE;
        }
        if (code == OptionsTree::PTN_DBLCLICK &&
            m_options.RoleOf(reinterpret_cast<OptionsTree::NMPROPERTYITEM*>(header)->prop) ==
                CSearchOptions::ItemRole::HivePath) {
            // A double-click on "File" browses for the file instead of opening the editor; the dialog is
            // shown once the tree has finished with the click.
            PostCommand(ID_TREE_CHOOSE_HIVE_FILE, 0);
            lResult = 1;
            return TRUE;
        }
        if (OptionsTree::IsPropertyNotification(code)) {
            return TRUE;
        }
        if (header->code == NM_RCLICK) {
            ShowOptionsMenu();
            lResult = 1; // the menu is shown; no WM_CONTEXTMENU as well
            return TRUE;
        }
        // Clicks, selection, expansion, drawing and deletion are the tree's own business.
        return ReflectNotifications(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header), lResult);
    }
    if (header->idFrom == IDC_RESULTS_LIST && header->hwndFrom == m_list.m_hWnd) {
        switch (header->code) {
        case HLN_SELCHANGED:
            OnResultSelectionChanged(*reinterpret_cast<NMHTMLLIST*>(header));
            return TRUE;
        case HLN_DBLCLK:
            PostCommand(ID_FILE_OPEN_REGEDIT, 0);
            return TRUE;
        case HLN_BUTTONDOWN:
        case HLN_CHECKCHANGED:
            return TRUE;
        case LVN_KEYDOWN:
            lResult = OnResultListKeyDown(*reinterpret_cast<NMLVKEYDOWN*>(header));
            return TRUE;
        default:
            return FALSE;
        }
    }
    return FALSE;
}

void CKeldraWTLView::PostCommand(int id, WORD code) {
    PostMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(id)));
}

// ---- initialisation

void CKeldraWTLView::OnInitDialog() {
    DlgResize_Init(kResizeTable);
    m_tree.SubclassWindow(GetDlgItem(IDC_OPTIONS_TREE));

    m_progress = GetDlgItem(IDC_PROGRESS);
    CWindow(m_progress).ModifyStyle(0, PBS_MARQUEE);
    ::SendMessageW(m_progress, PBM_SETMARQUEE, TRUE, kMarqueeStepMs);

    m_list.SubclassWindow(GetDlgItem(IDC_RESULTS_LIST));
    // Rows are drawn from the results store; the list keeps no copy of their text.
    m_list.SetMarkupSource([this](DWORD_PTR index, std::wstring& markup) { RowMarkup(index, markup); });
    m_actions.Attach(m_hWnd, [this](const std::wstring& text) { SetPaneText(0, text); });
    m_actions.ReadKeyTreeSetting();

    const std::pair<CMruComboCtrl*, std::pair<int, const wchar_t*>> histories[] = {
        {&m_lookIn, {IDC_LOOKIN, kLookInHistorySubKey}},
        {&m_searchText, {IDC_SEARCH_TEXT, kHistorySubKey}},
        {&m_exclude, {IDC_EXCLUDE, kExcludeHistorySubKey}},
    };
    for (const auto& [combo, source] : histories) {
        combo->SubclassWindow(GetDlgItem(source.first));
        combo->SetCapacity(HistoryList::kDefaultCapacity);
        combo->ReadHistory(source.second);
    }

    m_searchButton = GetDlgItem(IDC_SEARCH_BUTTON);
    SetSearchButton(false);
    SetCueBanner(GetDlgItem(IDC_LOOKIN), L"Enter hives or keys to search in");
    SetCueBanner(GetDlgItem(IDC_EXCLUDE), L"Enter keys to exclude (semi-colon delimited)");

    const FormState saved = ReadFormState();
    FillModeList(saved.mode);
    PostCommand(IDC_SEARCH_MODE, CBN_SELCHANGE);

    m_typeImages.Reset(LoadMaskedImageList(IDB_TYPE_ICONS, kMaskColour));
    m_list.SetImageList(m_typeImages.Get());
    m_list.SetStyle(HLS_CHECKBOXES | HLS_IMAGES);

    m_options.Build(saved.options, saved.types);
    UpdateOptionStates();

    CheckDlgButton(IDC_EXCLUDE_CHECK, saved.excludeKeys ? BST_CHECKED : BST_UNCHECKED);
    EnableByCheck(IDC_MODIFIED_FROM, {IDC_FROM_DATE, IDC_FROM_TIME});
    EnableByCheck(IDC_MODIFIED_TO, {IDC_TO_DATE, IDC_TO_TIME});
    EnableByCheck(IDC_EXCLUDE_CHECK, {IDC_EXCLUDE});

    SetTimer(kStartupTimer, kStartupDelayMs);
}

void CKeldraWTLView::FillModeList(DWORD savedMode) {
    HWND modes = GetDlgItem(IDC_SEARCH_MODE);
    // A stored mode that names no mode (edited by hand) selects the first one, so that a search always
    // has a mode.
    LRESULT selection = 0;
    for (const SearchModeInfo& info : SearchModes()) {
        const LRESULT index = ::SendMessageW(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.item));
        if (index < 0) {
            continue;
        }
        ::SendMessageW(modes, CB_SETITEMDATA, index, info.mode);
        if (info.mode == savedMode) {
            selection = index;
        }
    }
    ::SendMessageW(modes, CB_SETCURSEL, selection, 0);
}

void CKeldraWTLView::OnTimer(UINT_PTR id) {
    if (id == kTotalsTimer) {
        m_list.CommitRows();
        WriteTotals(m_search.Results().Count());
    } else if (id == kStartupTimer) {
        OnStartupTimer();
    } else if (id == kTypingTimer) {
        OnTypingPause();
    }
}

void CKeldraWTLView::OnStartupTimer() {
    while (KillTimer(kStartupTimer)) {
    }
    const HistoryList& history = m_lookIn.History();
    const std::wstring lookIn = history.Count() > 0 ? std::wstring(history.Entry(history.Count() - 1)) : kDefaultLookIn;
    SetDlgItemText(IDC_LOOKIN, lookIn.c_str());
    LookInToTree();
    PostCommand(IDC_SEARCH_TEXT, CBN_EDITCHANGE);
}

// ---- form events

DWORD CKeldraWTLView::CurrentMode() const {
    HWND modes = GetDlgItem(IDC_SEARCH_MODE);
    const LRESULT selection = ::SendMessageW(modes, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) {
        return SearchModes().front().mode;
    }
    return static_cast<DWORD>(::SendMessageW(modes, CB_GETITEMDATA, selection, 0));
}

void CKeldraWTLView::OnModeChange() {
    const DWORD mode = CurrentMode();
    const SearchModeInfo& info = SearchModeOf(mode);
    SetDlgItemText(IDC_SEARCH_LABEL, info.label);
    SetCueBanner(GetDlgItem(IDC_SEARCH_TEXT), info.cue);
    UpdateOptionStates();
    ApplySearchButtonRule();
    ::EnableWindow(GetDlgItem(IDC_SEARCH_TEXT), mode != SM_ALL_ITEMS);
}

void CKeldraWTLView::ApplySearchButtonRule() {
    ::EnableWindow(m_searchButton,
                   SearchButtonEnabled(CurrentMode(), ControlText(IDC_SEARCH_TEXT), ControlText(IDC_LOOKIN)));
}

void CKeldraWTLView::EnableByCheck(int checkId, std::initializer_list<int> controlIds) {
    const bool on = IsDlgButtonChecked(checkId) == BST_CHECKED;
    for (int id : controlIds) {
        ::EnableWindow(GetDlgItem(id), on);
    }
}

void CKeldraWTLView::SetSearchButton(bool searching) {
    m_searchActive = searching;
    CWindow button(m_searchButton);
    // The button shows an image list the view owns. BM_SETIMAGE made the version-6 button build bitmaps of
    // its own from the icon each time and never free them: 6 GDI objects lost per search.
    ImageListHandle& images = searching ? m_stopImage : m_searchImage;
    if (!images.Get()) {
        const int size = ::GetSystemMetrics(SM_CXSMICON);
        // Shared icons belong to the system's cache; the list keeps its own copy of the picture.
        HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                     MAKEINTRESOURCEW(searching ? IDI_STOP : IDI_SEARCH), IMAGE_ICON,
                                                     size, size, LR_SHARED));
        images.Reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0));
        if (images.Get() && icon) {
            ImageList_AddIcon(images.Get(), icon);
        }
    }
    BUTTON_IMAGELIST shown = {images.Get(), {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    button.SendMessage(BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown));
    // The caption comes last: setting it repaints the button, while a new image list alone is not always
    // drawn (a search that ended at once kept showing the stop picture).
    button.SetWindowText(searching ? L"Stop" : L"Search");
}

std::wstring CKeldraWTLView::ControlText(int id) const {
    return CWindow(GetDlgItem(id)).GetWindowText();
}

void CKeldraWTLView::ShowMessage(const wchar_t* text) {
    ::MessageBoxW(m_hWnd, text, nullptr, MB_OK | MB_ICONINFORMATION);
}

void CKeldraWTLView::SetPaneText(int paneId, const std::wstring& text) {
    if (!m_statusBar || !m_statusBar->IsWindow()) {
        return;
    }
    if (paneId != 0) {
        WindowDC dc(m_statusBar->m_hWnd);
        SelectObjectScope font(dc, m_statusBar->GetFont());
        SIZE size = {};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        m_statusBar->SetPaneWidth(paneId, size.cx + kPanePadding);
    }
    m_statusBar->SetPaneText(paneId, text.c_str());
}

// ---- closing

void CKeldraWTLView::OnDestroy() {
    // The worker is told to stop but not waited for here; the engine's destructor waits for it.
    if (m_search.GetHandle()) {
        m_search.SetStopEvent();
    }
    if (!m_hiveName.empty()) {
        UnmountHive(m_hiveName);
    }
    SettingWriteFailures failures;
    SaveHistories(m_searchText, m_lookIn, m_exclude, failures);
    SaveFormState(failures);
    if (failures.Count() > 0) {
        // The window is going away: the message has no owner.
        ::MessageBoxW(nullptr, failures.Report().c_str(), nullptr, MB_OK | MB_ICONWARNING);
    }
}

void CKeldraWTLView::SaveFormState(SettingWriteFailures& failures) {
    FormState state = {};
    state.mode = CurrentMode();
    state.options = m_options.ReadLookAt(false);
    state.types = m_options.ReadTypeMask(false);
    state.excludeKeys = IsDlgButtonChecked(IDC_EXCLUDE_CHECK) == BST_CHECKED;
    state.modifiedFrom = IsDlgButtonChecked(IDC_MODIFIED_FROM) == BST_CHECKED;
    state.modifiedTo = IsDlgButtonChecked(IDC_MODIFIED_TO) == BST_CHECKED;
    WriteFormState(state, failures);
}
