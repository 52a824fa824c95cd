#include "results/result_command_rules.h"

#include "resources/command_ids.h"

#include <algorithm>

std::vector<CommandEnabled> ComputeCommandStates(const CommandStateInputs& in) {
    const bool selected = in.selected != -1;
    const bool listed = in.count > 0;
    // Deleting and the registry editor act on this computer's registry, which holds neither another
    // computer's keys nor a hive file's.
    const bool local = !in.remote && !in.fromFile;
    return {
        {ID_EDIT_COPY, selected},
        {ID_EDIT_DELETE_CHECKED, listed && local},
        {ID_EDIT_COPY_SELECTED, selected},
        {ID_FILE_OPEN_REGEDIT, local},
        // Removing takes rows out of the list only, so another computer's results may be removed too.
        {ID_EDIT_REMOVE_SELECTED, selected},
        {ID_EDIT_REMOVE, listed},
        {ID_EDIT_DELETE_SELECTED, selected && !in.selectedIsKey && local},
        {ID_EDIT_DELETE_KEY_SELECTED, selected && in.selectedHasKeyPath && local},
        {ID_EDIT_COPY_VALUE, selected && !in.selectedIsKey},
        {ID_EDIT_MARK_ALL, listed},
        {ID_EDIT_MARK_NONE, listed},
        {ID_EDIT_MARK_INVERT, listed},
        // The export reads where the results came from (this computer's registry or the hive file); the
        // registry here holds other keys under the names that a remote search found.
        {ID_FILE_EXPORT, !in.remote},
        // The two commands that only the context menu offers follow the same rules wherever they come from.
        {ID_OPEN_FILE_LOCATION, selected && !in.selectedIsKey && in.fileLocationFound},
        {ID_GOTO_KEY_BROWSER, selected && in.keyTreeOn && !in.selectedKeyIsFilter},
        {ID_RIBBON_REMOVE, true},
    };
}

std::vector<CommandEnabled> ContextMenuStates(const CommandStateInputs& in) {
    std::vector<CommandEnabled> states = ComputeCommandStates(in);
    states.push_back({ID_FILE_SAVE, true});
    states.push_back({ID_VIEW_REFRESH, true});

    const bool listed = in.count > 0;
    auto disable = [&states](UINT id) {
        for (CommandEnabled& state : states) {
            if (state.id == id) {
                state.enabled = false;
            }
        }
    };
    // The menu is about the row under it: without one, Open in RegEdit has nothing to open.
    if (!in.rowSelected) {
        disable(ID_FILE_OPEN_REGEDIT);
    }
    if (!listed) {
        disable(ID_FILE_EXPORT);
    }
    // For another computer's results the context menu offers no copies; the menu bar keeps them.
    if (in.remote) {
        for (UINT id : {ID_EDIT_COPY, ID_EDIT_COPY_SELECTED, ID_EDIT_COPY_VALUE}) {
            disable(id);
        }
    }
    return states;
}

bool CommandAllowed(UINT id, const CommandStateInputs& in) {
    const std::vector<CommandEnabled> states = ComputeCommandStates(in);
    const auto found =
        std::find_if(states.begin(), states.end(), [id](const CommandEnabled& state) { return state.id == id; });
    return found == states.end() || found->enabled;
}
