#include "shell/command_states.h"

#include "resources/command_ids.h"

std::vector<CommandEnabled> ComputeCommandStates(const CommandStateInputs& in) {
    const bool selected = in.selected != -1;
    const bool listed = in.count > 0;
    return {
        {ID_EDIT_COPY, selected},
        {ID_EDIT_DELETE_CHECKED, listed && !in.remote},
        {ID_EDIT_COPY_SELECTED, selected},
        {ID_FILE_OPEN_REGEDIT, !in.remote},
        {ID_EDIT_REMOVE_SELECTED, selected && !in.remote},
        {ID_EDIT_REMOVE, listed && !in.remote},
        {ID_EDIT_DELETE_SELECTED, selected && !in.selectedIsKey && !in.remote},
        {ID_EDIT_DELETE_KEY_SELECTED, selected && in.selectedHasKeyPath && !in.remote},
        {ID_EDIT_COPY_VALUE, selected && !in.selectedIsKey},
        {ID_EDIT_MARK_ALL, listed},
        {ID_EDIT_MARK_NONE, listed},
        {ID_EDIT_MARK_INVERT, listed},
        {ID_RIBBON_REMOVE, true},
    };
}

bool IsFrameCommand(UINT id) {
    switch (id) {
    case ID_FILE_OPEN_ASADMIN:
    case ID_APP_EXIT:
    case ID_EDIT_PREFERENCES:
    case ID_EDIT_SHOW_SEARCH_LOG:
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR:
    case ID_VIEW_TREEPANE:
    case ID_VIEW_RIBBON:
    case ID_HELP_HELP:
    case ID_APP_ABOUT:
    case ID_PANE_CLOSE:
        return true;
    default:
        return false;
    }
}
