// The program's life: start-up, the main window and its message loop, tear-down.
#pragma once

// Creates the message loop and the main window, applies the stored placement, shows the window with the
// start-up show command and runs the loop. Returns the loop's result (1 after a normal close), or 0 when the
// main window cannot be created. Needs COM and the application module initialised.
int Run(int show);

// Everything wWinMain does: COM, common controls, the application module and the display scale around Run.
int QuillonMain(int show);
