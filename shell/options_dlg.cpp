#include "shell/options_dlg.h"

#include "shell/preferences.h"

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// The font dialog's hook: everything is left to the dialog's own procedure; on WM_INITDIALOG TRUE lets it
// set the first focus as usual.
UINT_PTR CALLBACK FontDialogHook(HWND, UINT uMsg, WPARAM, LPARAM) {
    return uMsg == WM_INITDIALOG ? TRUE : 0;
}

} // namespace

ChooseFontFunction& ChooseFontCall() {
    static ChooseFontFunction call = &::ChooseFontW;
    return call;
}

COptionsDlg::COptionsDlg(bool ribbonShown, bool ribbonAvailable, const LOGFONTW& listFont)
    : m_ribbonShown(ribbonShown), m_ribbonAvailable(ribbonAvailable), m_listFont(listFont) {}

BOOL COptionsDlg::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult, DWORD) {
    if (uMsg == WM_INITDIALOG) {
        OnInitDialog();
        lResult = TRUE;
        return TRUE;
    }
    if (uMsg != WM_COMMAND) {
        return FALSE;
    }
    lResult = 0;
    switch (LOWORD(wParam)) {
    case IDC_PREF_STOP_ON_LIMIT:
        OnStopOnLimitClicked();
        return TRUE;
    case IDC_PREF_FONT:
        OnChooseFont();
        return TRUE;
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        EndDialog(IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

void COptionsDlg::OnInitDialog() {
    CenterWindow(GetParent());
    const PreferenceValues values = ReadPreferences();
    CheckDlgButton(IDC_PREF_STOP_ON_LIMIT, values.stopOnLimit ? BST_CHECKED : BST_UNCHECKED);
    wchar_t limit[16] = {};
    swprintf(limit, sizeof limit / sizeof limit[0], L"%d", static_cast<int>(values.stopLimit));
    SetDlgItemText(IDC_PREF_STOP_LIMIT, limit);
    ::EnableWindow(GetDlgItem(IDC_PREF_STOP_LIMIT), values.stopOnLimit);
    CheckDlgButton(IDC_PREF_UNICODE_BINARY, values.unicodeBinarySearch ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PREF_KEY_TREE, values.keyTree ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PREF_LINE_NUMBERS, values.lineNumbers ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PREF_CLEAR_HISTORY, values.clearSearchHistory ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PREF_SEARCH_AS_YOU_TYPE, values.searchAsYouType ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_PREF_SNAPSHOT_BUDGET, std::to_wstring(values.snapshotBudgetMb).c_str());
    // What the top bar shows now, not the stored Ribbon value.
    CheckDlgButton(IDC_PREF_RIBBON, m_ribbonShown ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(IDC_PREF_RIBBON), m_ribbonAvailable);
    m_fontChanged = false;
}

void COptionsDlg::OnStopOnLimitClicked() {
    ::EnableWindow(GetDlgItem(IDC_PREF_STOP_LIMIT), IsChecked(IDC_PREF_STOP_ON_LIMIT));
}

void COptionsDlg::OnChooseFont() {
    LOGFONTW font = m_listFont;
    CHOOSEFONTW choose = {};
    choose.lStructSize = sizeof choose;
    HWND active = ::GetActiveWindow();
    choose.hwndOwner = active ? active : m_hWnd;
    choose.lpLogFont = &font;
    choose.Flags = kListFontDialogFlags;
    choose.lpfnHook = &FontDialogHook;
    if (!ChooseFontCall()(&choose)) {
        return;
    }
    // Stored now, so that the choice survives a Cancel of Preferences; the list takes it after OK or at
    // the next start.
    SettingWriteFailures failures;
    if (failures.Check(StoreListFont(font), std::wstring(kSettingsSubKey) + L"\\" + kFont)) {
        m_listFont = font;
        m_fontChanged = true;
    } else {
        ::MessageBoxW(m_hWnd, failures.Report().c_str(), nullptr, MB_OK | MB_ICONWARNING);
    }
}

void COptionsDlg::OnOK() {
    PreferenceValues values;
    values.stopOnLimit = IsChecked(IDC_PREF_STOP_ON_LIMIT);
    values.stopLimit = StopLimitFromText(CWindow(GetDlgItem(IDC_PREF_STOP_LIMIT)).GetWindowText());
    values.unicodeBinarySearch = IsChecked(IDC_PREF_UNICODE_BINARY);
    values.keyTree = IsChecked(IDC_PREF_KEY_TREE);
    values.lineNumbers = IsChecked(IDC_PREF_LINE_NUMBERS);
    values.clearSearchHistory = IsChecked(IDC_PREF_CLEAR_HISTORY);
    values.searchAsYouType = IsChecked(IDC_PREF_SEARCH_AS_YOU_TYPE);
    // An empty or unreadable box keeps snapshots off (0); ES_NUMBER lets only digits in.
    values.snapshotBudgetMb =
        static_cast<DWORD>(_wtoi(CWindow(GetDlgItem(IDC_PREF_SNAPSHOT_BUDGET)).GetWindowText().c_str()));
    const SettingWriteFailures failures = WritePreferences(values);
    if (failures.Count() > 0) {
        // The values that were written take effect; the dialog closes as after any OK.
        ::MessageBoxW(m_hWnd, failures.Report().c_str(), nullptr, MB_OK | MB_ICONWARNING);
    }
    m_ribbonChoice = IsChecked(IDC_PREF_RIBBON);
    EndDialog(IDOK);
}
