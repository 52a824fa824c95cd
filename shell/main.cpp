// Quillon.exe: a registry search tool. It takes no command-line options; only the show command is used.
#include "shell/app.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    return QuillonMain(show);
}
