// When each result command may act: one rule set for the frame's menus, toolbar and ribbon, for the results
// context menu, and for the handlers themselves (which refuse a command its rule disables, whatever issued
// it). The context menu shows the frame's states with its own, stricter row rules on top, so it never
// offers a command that the frame refuses. Pure; no windows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

struct CommandStateInputs {
    size_t count = 0;                // rows in the results list
    int selected = -1;               // the selected row's result index; -1 for none or a row without a record
    bool remote = false;             // the results came from a remote computer
    bool fromFile = false;           // the results were read from a hive file, not this computer's registry
    bool selectedIsKey = false;      // the selected result is a key, not a value
    bool selectedHasKeyPath = false; // the selected result's key path is not empty

    // Read for the context menu and for the context-menu commands only.
    bool rowSelected = false;         // a row is selected, whether or not its user data names a record
    bool keyTreeOn = true;            // the KeyTree setting
    bool selectedKeyIsFilter = false; // the selected result's full key name equals the current key filter
    bool fileLocationFound = false;   // the selected result names an existing folder (Open file location)
};

struct CommandEnabled {
    UINT id;
    bool enabled;
};

// The frame's states. Save and Refresh are never disabled (their handlers report an empty list themselves),
// so they do not appear; Export is disabled only for another computer's results.
std::vector<CommandEnabled> ComputeCommandStates(const CommandStateInputs& in);

// The states of every command in the results context menu.
std::vector<CommandEnabled> ContextMenuStates(const CommandStateInputs& in);

// Whether the frame's rule lets the command act now; true for a command without a rule.
bool CommandAllowed(UINT id, const CommandStateInputs& in);
