// The main window: command bar and toolbar (two rebar bands) or ribbon at the top, the splitter with the key browser
// pane and the search view in the middle, the status bar at the bottom. It routes every command to its own
// handlers or to the view, refreshes the command states once per idle pass, shows the search state, refuses
// to close while a search runs, and keeps its placement between runs.
//
// Threads: main thread only.
#pragma once

#include "base/com_ptr.h"
#include "base/win_handles.h"
#include "form/keldra_view.h"
#include "winlib/command_bar.h"
#include "winlib/message_loop.h"
#include "winlib/pane_container.h"
#include "winlib/ribbon.h"
#include "winlib/splitter.h"
#include "winlib/status_bar.h"
#include "winlib/toolbar.h"
#include "winlib/update_ui.h"
#include "winlib/window_impl.h"

#include <shobjidl.h>

#include <string>

// Posted to the frame after a search's end to show the key browser pane.
inline constexpr UINT WM_SHOWKEYBROWSER = WM_APP + 0x66;

class CMainFrame : public CWindowImpl<CMainFrame>, public CMessageFilter, public CIdleHandler, public CUpdateUI {
public:
    CMainFrame() = default;
    ~CMainFrame() override;

    // Creates the main window with its caption, menu and accelerators (resource 128); the menu moves into the
    // command bar. Null on failure.
    HWND CreateFrame();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Forwards one queued search result, then refreshes the command states. Always reports no more work.
    BOOL OnIdle() override;
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

    CKeldraWTLView& View() { return m_view; }
    CCommandBarCtrl& CommandBar() { return m_commandBar; }
    CMultiPaneStatusBarCtrl& StatusBar() { return m_statusBar; }
    CSplitterWindowT& Splitter() { return m_splitter; }
    CPaneContainer& KeyBrowserPane() { return m_keyBrowserPane; }
    HWND KeyBrowserTree() const { return m_keyBrowserTree; }
    HWND ReBar() const { return m_rebar; }
    HWND ToolBar() const { return m_toolbar; }
    bool IsRibbonShown() const { return m_ribbon.IsShown(); }
    bool IsKeyBrowserShown() const { return m_splitter.GetSinglePaneMode() == SPLIT_PANE_NONE; }

protected:
    // The frame's own commands (TRUE when handled) and the hand-over of every other command to the view.
    virtual BOOL HandleFrameCommand(WORD id);
    virtual BOOL ForwardCommandToView(WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    // Preferences stored a new list font: the results list re-creates its font from the stored record.
    virtual void ReloadListFont();

private:
    // Creation and layout (main_frame.cpp).
    LRESULT OnCreate();
    void CreateCommandBar();
    void CreateToolBarAndReBar();
    void AddReBarBand(HWND child, UINT bandId, SIZE size, bool newRow);
    void CreateStatusBar();
    bool CreateClientWindows();
    void SetTitle();
    void OnDestroy();
    void UpdateLayout();
    void OnMenuSelect(WORD id, WORD flags, HMENU menu);
    BOOL OnToolTipText(NMHDR* header, LRESULT& lResult);
    LRESULT OnKeyBrowserTreeNotify(NMHDR* header);

    // Commands and search state (main_frame_commands.cpp).
    void OnToggleKeyBrowser();
    void ShowKeyBrowser(bool show);
    void OnPaneClose(HWND sender);
    void OnViewToolBar();
    void OnViewStatusBar();
    void OnViewRibbon();
    bool ShowRibbon(bool show);
    void OnAppExit();
    void OnAbout();
    void OnPreferences();
    BOOL OnSysCommand(WPARAM command, LPARAM lParam);
    void OnScanStatus(WPARAM status);
    void OnTaskbarButtonCreated();
    void UpdateCommandStates();
    void UIStateChanged(UINT id) override;

    CKeldraWTLView m_view;
    CCommandBarCtrl m_commandBar;
    CMultiPaneStatusBarCtrl m_statusBar;
    CPaneContainer m_keyBrowserPane;
    CSplitterWindowT m_splitter;
    HWND m_keyBrowserTree = nullptr;
    ComPtr<ITaskbarList3> m_taskbar;

    HMENU m_menu = nullptr;    // the main menu, on the window or on the command bar
    MenuHandle m_detachedMenu; // owns m_menu once the command bar has taken it from the window
    HWND m_rebar = nullptr;
    HWND m_toolbar = nullptr;
    ImageListHandle m_toolbarImages;
    HACCEL m_accelerators = nullptr;
    CRibbonHost m_ribbon;
    bool m_toolbarVisible = true;
    bool m_created = false; // WM_CREATE succeeded: destruction saves the placement and ends the loop
    std::wstring m_toolTip;
};
