// Results as the view routes them: the commands, keys, clicks and menus that act on results enter here and
// go to the result actions (results/result_actions.h) and the file commands. The selection's modification
// time on the status bar is the view's own; the key browser's glue lives in keldra_view_keybrowser.cpp.
#include "form/keldra_view.h"

#include "form/search_rules.h"
#include "resources/command_ids.h"
#include "resources/image_ids.h"
#include "results/file_commands.h"

#include <windowsx.h>

namespace {

bool KeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

} // namespace

// ---- what the list shows

CommandStateInputs CKeldraWTLView::CommandInputs() const {
    return m_actions.StateInputs(KeyFilter());
}

void CKeldraWTLView::ShowSelectionStatus() {
    const int count = m_list.GetItemCount();
    const int selected = m_list.GetSelectedIndex();
    if (count == 0 || selected < 0 || selected >= count) {
        SetPaneText(kPaneModified, L"");
        return;
    }
    SearchResult record;
    if (!CopySelectedResult(record)) {
        return;
    }
    // A result without a modification time leaves the pane as it was.
    const std::wstring text = ModifiedText(record.lastWrite);
    if (!text.empty()) {
        SetPaneText(kPaneModified, text);
    }
}

// ---- routing to the result actions

BOOL CKeldraWTLView::OnResultCommand(WORD id) {
    switch (id) {
    case ID_FILE_OPEN_REGEDIT:
    case ID_FILE_SAVE:
    case ID_FILE_EXPORT:
    case ID_OPEN_FILE_LOCATION:
    case ID_EDIT_DELETE_SELECTED:
    case ID_EDIT_DELETE_KEY_SELECTED:
    case ID_EDIT_REMOVE_SELECTED:
    case ID_EDIT_COPY:
    case ID_EDIT_COPY_VALUE:
    case ID_EDIT_COPY_SELECTED:
    case ID_EDIT_MARK_ALL:
    case ID_EDIT_MARK_NONE:
    case ID_EDIT_MARK_INVERT:
    case ID_EDIT_DELETE_CHECKED:
    case ID_EDIT_REMOVE:
    case ID_VIEW_REFRESH:
        // Keys and posted commands arrive whatever the menus show: a command its rule disables does nothing.
        if (!m_actions.IsBusy() && CommandAllowed(id, CommandInputs())) {
            RunResultCommand(id);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void CKeldraWTLView::RunResultCommand(WORD id) {
    switch (id) {
    case ID_FILE_OPEN_REGEDIT:
        m_actions.OpenInRegEdit(KeyBrowserSelectedPath());
        break;
    case ID_FILE_SAVE:
        SaveResultList(m_hWnd, m_list, m_search.Results());
        break;
    case ID_FILE_EXPORT:
        ExportCheckedResults(m_hWnd, m_list, m_search.Results());
        break;
    case ID_OPEN_FILE_LOCATION:
        m_actions.OpenFileLocation();
        break;
    case ID_EDIT_DELETE_SELECTED:
        m_actions.DeleteSelectedValue();
        break;
    case ID_EDIT_DELETE_KEY_SELECTED:
        m_actions.DeleteSelectedKey();
        break;
    case ID_EDIT_REMOVE_SELECTED:
        m_actions.RemoveSelected();
        break;
    case ID_EDIT_COPY:
        m_actions.CopySelected(ResultActions::CopyWhat::Key);
        break;
    case ID_EDIT_COPY_VALUE:
        m_actions.CopySelected(ResultActions::CopyWhat::ValueName);
        break;
    case ID_EDIT_COPY_SELECTED:
        m_actions.CopySelected(ResultActions::CopyWhat::Item);
        break;
    case ID_EDIT_MARK_ALL:
        m_actions.ChangeChecks(ResultActions::CheckChange::All);
        break;
    case ID_EDIT_MARK_NONE:
        m_actions.ChangeChecks(ResultActions::CheckChange::None);
        break;
    case ID_EDIT_MARK_INVERT:
        m_actions.ChangeChecks(ResultActions::CheckChange::Invert);
        break;
    case ID_EDIT_DELETE_CHECKED:
        m_actions.DeleteChecked();
        break;
    case ID_EDIT_REMOVE:
        m_actions.RemoveChecked();
        break;
    case ID_VIEW_REFRESH:
        // "<>" is never a filter, so the rebuild always runs; removed rows stay out.
        m_actions.Refresh([this] {
            SetKeyFilter(L"<>");
            RebuildList(L"");
        });
        break;
    default:
        break;
    }
}

LRESULT CKeldraWTLView::OnResultListKeyDown(const NMLVKEYDOWN& key) {
    const bool control = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    switch (key.wVKey) {
    case 'C':
        if (control) {
            SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0));
            return 1;
        }
        return 0;
    case 'A':
        if (control) {
            ::SendMessageW(m_frame ? m_frame : m_hWnd, WM_COMMAND, MAKEWPARAM(ID_EDIT_MARK_ALL, 0), 0);
            return 1;
        }
        return 0;
    case VK_DELETE:
        if (shift) {
            SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_DELETE_CHECKED, 0));
        } else {
            SearchResult record;
            if (!CopySelectedResult(record)) {
                return 0;
            }
            SendMessage(WM_COMMAND,
                        MAKEWPARAM(record.IsKey() ? ID_EDIT_DELETE_KEY_SELECTED : ID_EDIT_DELETE_SELECTED, 0));
        }
        if (m_list.m_hWnd && ::IsWindow(m_list.m_hWnd)) {
            m_list.SetFocus();
        }
        return 1;
    default:
        return 0;
    }
}

void CKeldraWTLView::OnResultSelectionChanged(const NMHTMLLIST&) {
    ShowSelectionStatus();
}

void CKeldraWTLView::OnResultContextMenu(LPARAM screenPoint) {
    POINT at = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: at the list's top-left corner.
        RECT list = {};
        m_list.GetWindowRect(&list);
        at = {list.left, list.top};
    }
    m_actions.PrepareFileLocation();
    // A menu opens once per click: the key browser setting is read as it stands now.
    m_actions.ReadKeyTreeSetting();
    MenuHandle menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_RESULTS_MENU)));
    HMENU popup = menu.Get() ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) {
        return;
    }
    for (const CommandEnabled& state : ContextMenuStates(CommandInputs())) {
        ::EnableMenuItem(popup, state.id, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
    }
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
}
