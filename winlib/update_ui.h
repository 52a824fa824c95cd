// The command-state table: the enabled and checked state of every command, pushed to the menus and
// toolbars registered with it. Changes are recorded at once and pushed by UIUpdateMenuBar/UIUpdateToolBar
// (the frame calls them once per idle pass), so that many changes cost one update of each element.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

class CUpdateUI {
public:
    virtual ~CUpdateUI() = default;

    // Registered elements get every known state at once, later only the changes.
    BOOL UIAddMenu(HMENU menu);
    BOOL UIAddToolBar(HWND toolbar);
    // Makes a command known (enabled, unchecked) without changing the state it may already have.
    void UIAddCommand(UINT id);

    BOOL UIEnable(UINT id, BOOL enable);
    BOOL UISetCheck(UINT id, BOOL check);
    bool UIIsEnabled(UINT id) const;
    bool UIIsChecked(UINT id) const;
    std::vector<UINT> UICommands() const;

    void UIUpdateMenuBar();
    void UIUpdateToolBar();

protected:
    // Called after a command's state has changed (for elements that ask for states themselves).
    virtual void UIStateChanged(UINT /*id*/) {}

private:
    struct State {
        bool enabled = true;
        bool checked = false;
        bool menuDirty = true;
        bool toolbarDirty = true;
    };
    State& Entry(UINT id);
    static void PushToMenu(HMENU menu, UINT id, const State& state);
    static void PushToToolBar(HWND toolbar, UINT id, const State& state);

    std::map<UINT, State> m_states;
    std::vector<HMENU> m_menus;
    std::vector<HWND> m_toolbars;
};
