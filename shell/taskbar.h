// The taskbar button: the "TaskbarButtonCreated" message, opening it to an elevated window, and the
// taskbar interface that shows search progress on the button.
#pragma once

#include "base/com_ptr.h"

#include <windows.h>
#include <shobjidl.h>

// The registered id of "TaskbarButtonCreated" (registered before the entry point runs).
UINT TaskbarButtonCreatedMessage();

// Lets the shell's message through the window-message filter of an elevated process: per window where
// the system has that call, else for the process; nothing on systems with neither.
void OpenTaskbarMessageFilter(HWND window);

// The taskbar interface on Windows 7 and later; null before that or when it cannot be created.
ComPtr<ITaskbarList3> CreateTaskbarList();
