// Entry point shared by every test program.
#include <gtest/gtest.h>

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    // A crash must end the program with a report, not a Wine debugger dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
