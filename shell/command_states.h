// Which commands are enabled, from what the results list shows (the rule set lives with the result actions,
// which share it with the results context menu), and which commands the frame carries out itself.
#pragma once

#include "results/result_command_rules.h"

#include <windows.h>

// The commands the main frame carries out itself; every other command goes to the search view.
bool IsFrameCommand(UINT id);
