#include "winlib/update_ui.h"

#include <commctrl.h>

#include <algorithm>

BOOL CUpdateUI::UIAddMenu(HMENU menu) {
    if (!menu || std::find(m_menus.begin(), m_menus.end(), menu) != m_menus.end()) {
        return FALSE;
    }
    m_menus.push_back(menu);
    for (const auto& [id, state] : m_states) {
        PushToMenu(menu, id, state);
    }
    return TRUE;
}

BOOL CUpdateUI::UIAddToolBar(HWND toolbar) {
    if (!toolbar || std::find(m_toolbars.begin(), m_toolbars.end(), toolbar) != m_toolbars.end()) {
        return FALSE;
    }
    m_toolbars.push_back(toolbar);
    for (const auto& [id, state] : m_states) {
        PushToToolBar(toolbar, id, state);
    }
    return TRUE;
}

void CUpdateUI::UIAddCommand(UINT id) {
    Entry(id);
}

CUpdateUI::State& CUpdateUI::Entry(UINT id) {
    return m_states[id];
}

BOOL CUpdateUI::UIEnable(UINT id, BOOL enable) {
    State& state = Entry(id);
    const bool wanted = enable != FALSE;
    if (state.enabled != wanted) {
        state.enabled = wanted;
        state.menuDirty = state.toolbarDirty = true;
        UIStateChanged(id);
    }
    return TRUE;
}

BOOL CUpdateUI::UISetCheck(UINT id, BOOL check) {
    State& state = Entry(id);
    const bool wanted = check != FALSE;
    if (state.checked != wanted) {
        state.checked = wanted;
        state.menuDirty = state.toolbarDirty = true;
        UIStateChanged(id);
    }
    return TRUE;
}

bool CUpdateUI::UIIsEnabled(UINT id) const {
    auto found = m_states.find(id);
    return found == m_states.end() || found->second.enabled;
}

bool CUpdateUI::UIIsChecked(UINT id) const {
    auto found = m_states.find(id);
    return found != m_states.end() && found->second.checked;
}

std::vector<UINT> CUpdateUI::UICommands() const {
    std::vector<UINT> ids;
    for (const auto& entry : m_states) {
        ids.push_back(entry.first);
    }
    return ids;
}

void CUpdateUI::UIUpdateMenuBar() {
    for (auto& [id, state] : m_states) {
        if (!state.menuDirty) {
            continue;
        }
        for (HMENU menu : m_menus) {
            PushToMenu(menu, id, state);
        }
        state.menuDirty = false;
    }
}

void CUpdateUI::UIUpdateToolBar() {
    for (auto& [id, state] : m_states) {
        if (!state.toolbarDirty) {
            continue;
        }
        for (HWND toolbar : m_toolbars) {
            PushToToolBar(toolbar, id, state);
        }
        state.toolbarDirty = false;
    }
}

void CUpdateUI::PushToMenu(HMENU menu, UINT id, const State& state) {
    // By command: the item is found in any submenu; a menu without the command is left alone.
    ::EnableMenuItem(menu, id, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
    ::CheckMenuItem(menu, id, MF_BYCOMMAND | (state.checked ? MF_CHECKED : MF_UNCHECKED));
}

void CUpdateUI::PushToToolBar(HWND toolbar, UINT id, const State& state) {
    if (!::IsWindow(toolbar) || ::SendMessageW(toolbar, TB_COMMANDTOINDEX, id, 0) < 0) {
        return;
    }
    ::SendMessageW(toolbar, TB_ENABLEBUTTON, id, MAKELPARAM(state.enabled ? TRUE : FALSE, 0));
    ::SendMessageW(toolbar, TB_CHECKBUTTON, id, MAKELPARAM(state.checked ? TRUE : FALSE, 0));
}
