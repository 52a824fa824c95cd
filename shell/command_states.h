// Which commands are enabled, from what the results list shows. Save, Export and Refresh are never
// disabled (their handlers report an empty list themselves), so they do not appear here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

struct CommandStateInputs {
    size_t count = 0;                // rows in the results list
    int selected = -1;               // selected result, -1 for none
    bool remote = false;             // the results came from a remote computer
    bool selectedIsKey = false;      // the selected result is a key, not a value
    bool selectedHasKeyPath = false; // the selected result's key path is not empty
};

struct CommandEnabled {
    UINT id;
    bool enabled;
};

std::vector<CommandEnabled> ComputeCommandStates(const CommandStateInputs& in);

// The commands the main frame carries out itself; every other command goes to the search view.
bool IsFrameCommand(UINT id);
