#include "shell/main_frame.h"

#include "engine/msg_queue.h"
#include "resources/command_ids.h"
#include "resources/string_ids.h"
#include "results/list_font.h"
#include "shell/about_dlg.h"
#include "shell/command_states.h"
#include "shell/help.h"
#include "shell/options_dlg.h"
#include "base/setting_writes.h"
#include "base/settings.h"
#include "shell/search_log_view.h"
#include "shell/shell_launch.h"
#include "shell/taskbar.h"
#include "winlib/resource_string.h"

#include <cwchar>

namespace {

constexpr UINT kToolBarBandId = 0xEB01;

} // namespace

BOOL CMainFrame::HandleFrameCommand(WORD id) {
    switch (id) {
    case ID_FILE_OPEN_ASADMIN:
        RelaunchAsAdministrator();
        return TRUE;
    case ID_APP_EXIT:
        OnAppExit();
        return TRUE;
    case ID_EDIT_PREFERENCES:
        OnPreferences();
        return TRUE;
    case ID_EDIT_SHOW_SEARCH_LOG:
        ShowSearchLog(m_hWnd, &ShellLaunch);
        return TRUE;
    case ID_VIEW_TOOLBAR:
        OnViewToolBar();
        return TRUE;
    case ID_VIEW_STATUS_BAR:
        OnViewStatusBar();
        return TRUE;
    case ID_VIEW_RIBBON:
        OnViewRibbon();
        return TRUE;
    case ID_HELP_HELP:
        ShowHelp(m_hWnd);
        return TRUE;
    case ID_APP_ABOUT:
        OnAbout();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CMainFrame::ForwardCommandToView(WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    return m_view.m_hWnd && m_view.ProcessWindowMessage(m_view.m_hWnd, WM_COMMAND, wParam, lParam, lResult);
}

void CMainFrame::OnToggleKeyBrowser() {
    const bool show = m_splitter.GetSinglePaneMode() != SPLIT_PANE_NONE;
    if (show && !ReadSettingFlag(kKeyTreeSetting)) {
        // The pane opens either way; the answer only decides whether it will be filled after searches.
        const std::wstring question = LoadResourceString(IDS_KEY_BROWSER_DISABLED);
        const std::wstring caption = LoadResourceString(IDS_KEY_BROWSER);
        if (::MessageBoxW(m_hWnd, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES) {
            WriteSetting(kKeyTreeSetting, 1);
        }
    }
    ShowKeyBrowser(show);
}

void CMainFrame::ShowKeyBrowser(bool show) {
    m_splitter.SetSinglePaneMode(show ? SPLIT_PANE_NONE : SPLIT_PANE_RIGHT);
    UISetCheck(ID_VIEW_TREEPANE, show);
}

void CMainFrame::OnPaneClose(HWND sender) {
    if (sender && sender == m_keyBrowserPane.m_hWnd) {
        ShowKeyBrowser(false);
    }
}

void CMainFrame::OnViewToolBar() {
    m_toolbarVisible = !m_toolbarVisible;
    if (m_rebar) {
        const LRESULT band = ::SendMessageW(m_rebar, RB_IDTOINDEX, kToolBarBandId, 0);
        if (band >= 0) {
            ::SendMessageW(m_rebar, RB_SHOWBAND, static_cast<WPARAM>(band), m_toolbarVisible);
        }
    }
    UISetCheck(ID_VIEW_TOOLBAR, m_toolbarVisible);
    UpdateLayout();
}

void CMainFrame::OnViewStatusBar() {
    if (!m_statusBar.m_hWnd) {
        return;
    }
    const bool show = !(m_statusBar.GetStyle() & WS_VISIBLE);
    m_statusBar.ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
    UISetCheck(ID_VIEW_STATUS_BAR, show);
    UpdateLayout();
}

void CMainFrame::OnViewRibbon() {
    ShowRibbon(!m_ribbon.IsShown());
    UISetCheck(ID_VIEW_RIBBON, m_ribbon.IsShown());
}

bool CMainFrame::ShowRibbon(bool show) {
    if (show == m_ribbon.IsShown()) {
        return show;
    }
    if (show) {
        CRibbonHost::Callbacks callbacks;
        callbacks.isEnabled = [this](UINT id) { return UIIsEnabled(id); };
        callbacks.isChecked = [this](UINT id) { return UIIsChecked(id); };
        callbacks.setChecked = [this](UINT id, bool checked) { UISetCheck(id, checked); };
        callbacks.heightChanged = [this] { UpdateLayout(); };
        if (!m_ribbon.Show(m_hWnd, std::move(callbacks))) {
            return false;
        }
        // The ribbon takes the place of the command bar and the toolbar.
        if (m_rebar) {
            ::ShowWindow(m_rebar, SW_HIDE);
        }
    } else {
        m_ribbon.Hide();
        if (m_rebar) {
            ::ShowWindow(m_rebar, SW_SHOWNOACTIVATE);
        }
    }
    UpdateLayout();
    return m_ribbon.IsShown();
}

void CMainFrame::OnAppExit() {
    if (m_view.IsSearchRunning()) {
        return;
    }
    PostMessage(WM_CLOSE);
}

void CMainFrame::OnAbout() {
    HWND active = ::GetActiveWindow();
    CAboutDlg::Show(active ? active : m_hWnd);
}

void CMainFrame::OnPreferences() {
    HWND active = ::GetActiveWindow();
    // "Font..." starts from the record the results list makes its font from.
    COptionsDlg dialog(m_ribbon.IsShown(), RibbonAvailable(), ListFontSettings());
    if (dialog.DoModal(active ? active : m_hWnd) != IDOK) {
        return;
    }
    if (dialog.FontChanged()) {
        ReloadListFont();
    }
    // The result commands' states follow the key browser choice at once.
    m_view.Actions().ReadKeyTreeSetting();
    if (RibbonAvailable()) {
        ShowRibbon(dialog.RibbonChoice());
        UISetCheck(ID_VIEW_RIBBON, m_ribbon.IsShown());
    }
    // Stored whether or not the framework exists: without it the box was unchecked, so 0 is stored.
    SettingWriteFailures failures;
    if (!failures.Check(WriteSetting(kRibbonSetting, dialog.RibbonChoice() ? 1 : 0),
                        std::wstring(kSettingsSubKey) + L"\\" + kRibbon)) {
        ::MessageBoxW(m_hWnd, failures.Report().c_str(), nullptr, MB_OK | MB_ICONWARNING);
    }
}

void CMainFrame::ReloadListFont() {
    // Rows already listed keep their measured heights; the new font shows from the next paint.
    m_view.ResultsList().LoadListFont();
    m_view.ResultsList().Invalidate(FALSE);
}

BOOL CMainFrame::OnSysCommand(WPARAM command, LPARAM lParam) {
    switch (command & 0xFFF0) {
    case SC_CLOSE:
        // Closing during a search is refused silently; the user stops the search first.
        return m_view.IsSearchRunning();
    case SC_KEYMENU:
        // A menu key that reached the frame without passing the loop's filter: the command bar takes it, except
        // Alt+Space, which opens the window menu.
        return lParam != L' ' && !m_ribbon.IsShown() && m_commandBar.OnKeyMenu(static_cast<wchar_t>(lParam));
    default:
        return FALSE;
    }
}

void CMainFrame::OnScanStatus(WPARAM status) {
    if (status == SCAN_STARTED) {
        m_statusBar.SetPaneText(ID_DEFAULT_PANE, LoadResourceString(IDS_SCANNING).c_str());
        if (m_taskbar && m_view.IsSearchRunning()) {
            m_taskbar->SetProgressState(m_hWnd, TBPF_INDETERMINATE);
        }
    } else if (status == SCAN_ENDED) {
        std::wstring text = LoadResourceString(IDS_SCAN_CANCELLED);
        if (!m_view.StopRequested()) {
            const DWORD seconds = (::GetTickCount() - m_view.SearchStartTick()) / 1000;
            // The format is the program's own "Scan Finished (%lu sec)".
            wchar_t finished[128] = {};
            swprintf(finished, sizeof finished / sizeof finished[0], LoadResourceString(IDS_SCAN_FINISHED).c_str(),
                     seconds);
            text = finished;
        }
        // Items the search could not open or read are counted here; their lines wait in the search log.
        if (const DWORD problems = m_view.Search().Problems()) {
            wchar_t counted[128] = {};
            swprintf(counted, sizeof counted / sizeof counted[0], LoadResourceString(IDS_SCAN_PROBLEMS).c_str(),
                     static_cast<unsigned long>(problems));
            text += counted;
        }
        m_statusBar.SetPaneText(ID_DEFAULT_PANE, text.c_str());
        if (m_taskbar) {
            m_taskbar->SetProgressState(m_hWnd, TBPF_NOPROGRESS);
        }
        if (ReadSettingFlag(kKeyTreeSetting) && m_view.ListedCount() > 0 &&
            m_splitter.GetSinglePaneMode() != SPLIT_PANE_NONE) {
            // Laying the window out again for the pane takes tens of milliseconds: a message of its own, so
            // that the window answers in between.
            PostMessage(WM_SHOWKEYBROWSER);
        }
        ::FlashWindow(m_hWnd, FALSE);
    }
}

void CMainFrame::OnTaskbarButtonCreated() {
    m_taskbar = CreateTaskbarList();
}

BOOL CMainFrame::OnIdle() {
    MsgQueueForwardOne(m_view.SearchThreadHandle());
    UpdateCommandStates();
    UIUpdateToolBar();
    UIUpdateMenuBar();
    return FALSE;
}

void CMainFrame::UpdateCommandStates() {
    // The view's inputs feed the same rules as its context menu, so the two never disagree.
    for (const CommandEnabled& state : ComputeCommandStates(m_view.CommandInputs())) {
        UIEnable(state.id, state.enabled);
    }
}

void CMainFrame::UIStateChanged(UINT id) {
    m_ribbon.InvalidateState(id);
}
