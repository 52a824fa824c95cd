// The main window's placement, kept between runs as the 44-byte WINDOWPLACEMENT record in the value
// "MainFrameWindowPlacement" of the program key.
#pragma once

#include <windows.h>

inline constexpr const wchar_t* kWindowPlacementValue = L"MainFrameWindowPlacement";

// The record a read starts from: length 44, flags 0, shown normally, zero positions, and the given work
// area shrunk by 100 pixels on each side as the normal rectangle.
WINDOWPLACEMENT DefaultWindowPlacement(const RECT& workArea);

// Reads at most 44 bytes of the stored value over DefaultWindowPlacement (the primary work area); the
// value's type is not examined. False when the key or the value cannot be read.
bool ReadWindowPlacement(WINDOWPLACEMENT& placement);

// Stores the record whole, creating the program key if needed. False on failure.
bool WriteWindowPlacement(const WINDOWPLACEMENT& placement);

// The ShowWindow command that follows SetWindowPlacement at start-up, or 0 for none: started normally,
// a window stored minimised comes back restored and any other keeps its stored state; any other start-up
// command is used as it is.
int ShowCommandAfterPlacement(int startShow, UINT storedShow);

// Applies the stored placement to a new main window and shows it; shows it with startShow when nothing
// usable is stored.
void RestoreWindowPlacement(HWND window, int startShow);
