// quillon-find.exe run as a process of its own, the way scripts run it: UTF-8 on a pipe, messages on
// standard error, the exit code.
#include "tests/find/find_fixture.h"

#include "find/system_text.h"
#include "base/win_handles.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct ProcessOutcome {
    DWORD code = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// The program beside this test program's folder: <build>\tests\find_tests.exe -> <build>\find\quillon-find.exe.
std::wstring ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.erase(path.find_last_of(L'\\'));
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"find\\quillon-find.exe";
}

std::string Drain(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

ProcessOutcome RunProgram(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    UniqueHandle outReader(outRead), errReader(errRead), outWriter(outWrite), errWriter(errWrite);

    STARTUPINFOW startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    PROCESS_INFORMATION process = {};
    ProcessOutcome outcome;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start the program: " << GetLastError();
        return outcome;
    }
    UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    outWriter.Reset();
    errWriter.Reset();
    std::thread errThread([&] { outcome.err = Drain(errReader.Get()); });
    outcome.out = Drain(outReader.Get());
    errThread.join();
    EXPECT_EQ(WaitForSingleObject(processHandle.Get(), 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(processHandle.Get(), &outcome.code);
    return outcome;
}

} // namespace

TEST(FindProcess, ResultsGoToAPipeAsUtf8AndTheExitCodeTellsTheOutcome) {
    findtest::FindTree tree(HKEY_CURRENT_USER, L"Software\\QuillonFindProcessTest");
    const std::wstring lookIn = tree.LookIn(L"HKCU");
    ProcessOutcome found = RunProgram(L"--look-in \"" + lookIn + L"\\Beta\" needle");
    EXPECT_EQ(found.code, DWORD{kExitFound});
    EXPECT_EQ(found.out, "HKEY_CURRENT_USER\\Software\\QuillonFindProcessTest\\Beta\tGr\xC3\xB6\xC3\x9F"
                         "e\tREG_SZ\tneedle "
                         "\xC3\xBC\r\n");
    EXPECT_EQ(found.err, "");

    ProcessOutcome none = RunProgram(L"--look-in \"" + lookIn + L"\" \"not in the tree\"");
    EXPECT_EQ(none.code, DWORD{kExitNothingFound});
    EXPECT_EQ(none.out, "");

    ProcessOutcome refused = RunProgram(L"--look-in \"" + lookIn + L"\" --mode regex \"(\"");
    EXPECT_EQ(refused.code, DWORD{kExitUsage});
    EXPECT_EQ(refused.err, "quillon-find: TEXT: Empty or invalid search string\r\n");

    ProcessOutcome unreachable = RunProgram(L"--computer QUILLON-NO-SUCH-HOST needle");
    EXPECT_EQ(unreachable.code, DWORD{kExitComputersFailed});
    EXPECT_EQ(unreachable.err.rfind("QUILLON-NO-SUCH-HOST: ", 0), 0u) << unreachable.err;
    // The system's text of the failed connection follows the name.
    EXPECT_GT(unreachable.err.find("\r\n"), std::string("QUILLON-NO-SUCH-HOST: ").size());
}
