#include "shell/command_states.h"

#include "resources/command_ids.h"

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
