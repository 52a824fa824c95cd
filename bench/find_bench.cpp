// Times quillon-find against the bare walk of the benchmark tree and against the tool users run today,
// `reg query <key> /s`, side by side in one run; then a simulated fleet: eight "computers" (this computer's
// own name eight times, through the remote registry) searched at once next to one alone, with every registry
// call delayed as a network round trip would delay it. Not a test: it prints figures.
//
//   find_bench.exe [--keep]
//     --keep     leave the benchmark trees in place for the next run (they take a while to build)
#include "bench/bench_tree.h"
#include "engine/registry_api.h"
#include "find/find_program.h"
#include "base/win_handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using benchtree::Now;

const wchar_t kFleetTreePath[] = L"Software\\QuillonBenchFleet";
constexpr int kFleetDepth = 3; // 1,111 keys
constexpr DWORD kNetworkDelayMs = 1;
constexpr int kRounds = 3;
const wchar_t kAbsentText[] = L"QuillonTextThatIsNowhere";

std::wstring FolderOfThisProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Runs a command line with its output thrown away; returns the seconds until it ended, and its exit code.
double TimeProcess(const std::wstring& commandLine, DWORD& exitCode) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle nul(
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    std::wstring command = commandLine;
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("cannot start %ls: error %lu\n", commandLine.c_str(), GetLastError());
        exitCode = 0xFFFFFFFF;
        return 0;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = Now() - start;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return seconds;
}

double TimeBareWalk(HKEY root, const wchar_t* path) {
    benchtree::BareCounts counts;
    const double start = Now();
    benchtree::BareWalk(root, path, counts);
    return Now() - start;
}

// A console that keeps nothing: the fleet's timings leave out the writing.
class QuietConsole : public FindConsole {
public:
    void Out(std::wstring_view) override {}
    void Err(std::wstring_view text) override { err.append(text); }
    bool ErrIsConsole() const override { return false; }
    std::wstring err;
};

double TimeFleet(const std::wstring& computers, int& code) {
    QuietConsole console;
    const std::vector<std::wstring> args = {L"--computer", computers,    L"--parallel",
                                            L"8",          L"--look-in", std::wstring(L"HKLM\\") + kFleetTreePath,
                                            kAbsentText};
    const double start = Now();
    code = RunFind(args, console, DelayedRegistry(kNetworkDelayMs));
    const double seconds = Now() - start;
    DelayedRegistry(0);
    if (!console.err.empty()) {
        std::printf("fleet: %ls", console.err.c_str());
    }
    return seconds;
}

void CompareWithWalkAndRegQuery() {
    benchtree::BuildTree(HKEY_CURRENT_USER, benchtree::kTreePath, benchtree::kDepth);
    const std::wstring find = L"\"" + FolderOfThisProgram() + L"..\\find\\quillon-find.exe\"";
    const std::wstring lookIn = std::wstring(L"HKCU\\") + benchtree::kTreePath;
    const std::wstring findCommand = find + L" --look-in \"" + lookIn + L"\" " + kAbsentText;
    const std::wstring regCommand = L"reg.exe query \"" + lookIn + L"\" /s";

    DWORD code = 0;
    double startup = 1e9, found = 1e9, bare = 1e9, query = 1e9;
    // Rounds alternate the order, and the best of each is kept: the machine is shared.
    for (int round = 0; round < kRounds; ++round) {
        startup = std::min(startup, TimeProcess(find + L" --version", code));
        found = std::min(found, TimeProcess(findCommand, code));
        if (code != kExitNothingFound) {
            std::printf("warning: quillon-find ended with %lu, not 1 (no result)\n", code);
        }
        bare = std::min(bare, TimeBareWalk(HKEY_CURRENT_USER, benchtree::kTreePath));
        query = std::min(query, TimeProcess(regCommand, code));
    }
    std::printf("find_s=%.3f bare_s=%.3f reg_query_s=%.3f find/bare=%.2f reg_query/bare=%.2f (program start %.3f s, "
                "included in find_s)\n",
                found, bare, query, found / bare, query / bare, startup);
}

void CompareFleet() {
    benchtree::BuildTree(HKEY_LOCAL_MACHINE, kFleetTreePath, kFleetDepth);
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    std::wstring eight;
    for (int i = 0; i < 8; ++i) {
        eight += (i ? L"," : L"") + std::wstring(name);
    }
    int oneCode = 0, eightCode = 0;
    const double one = TimeFleet(name, oneCode);
    const double all = TimeFleet(eight, eightCode);
    std::printf("fleet: %lu ms per registry call, 1,111 keys, exit codes %d and %d\n",
                static_cast<unsigned long>(kNetworkDelayMs), oneCode, eightCode);
    std::printf("fleet_one_s=%.3f fleet_eight_s=%.3f eight/one=%.2f (sequentially it would be 8.00)\n", one, all,
                all / one);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        keep |= std::wcscmp(argv[i], L"--keep") == 0;
    }
    CompareWithWalkAndRegQuery();
    CompareFleet();
    if (!keep) {
        RegDeleteTreeW(HKEY_CURRENT_USER, benchtree::kTreePath);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFleetTreePath);
    }
    return 0;
}
