// quillon-find: the search of Quillon from consoles and scripts. See find_program.h.
#include "find/find_program.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    StdConsole console;
    return RunFind(args, console);
}
