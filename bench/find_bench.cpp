// Times quillon-find against the bare walk of the benchmark tree and against the tool users run today,
// `reg query <key> /s`, side by side in one run; then a simulated fleet: eight "computers" (this computer's
// own name eight times, through the remote registry) searched at once next to one alone, with every registry
// call delayed as a network round trip would delay it. Not a test: it prints figures.
//
// Both comparisons run their sides in turn and print ratios of medians with their spread (bench/alternate.h).
//
//   find_bench.exe [--keep] [--rounds N]
//     --keep     leave the benchmark trees in place for the next run (they take a while to build)
#include "bench/alternate.h"
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

void CompareWithWalkAndRegQuery(int rounds) {
    benchtree::BuildTree(HKEY_CURRENT_USER, benchtree::kTreePath, benchtree::kDepth);
    const std::wstring find = L"\"" + FolderOfThisProgram() + L"..\\find\\quillon-find.exe\"";
    const std::wstring lookIn = std::wstring(L"HKCU\\") + benchtree::kTreePath;
    const std::wstring findCommand = find + L" --look-in \"" + lookIn + L"\" " + kAbsentText;
    const std::wstring regCommand = L"reg.exe query \"" + lookIn + L"\" /s";

    DWORD code = 0;
    benchalt::Samples findAndBare, queryAndBare;
    std::vector<double> startup;
    // Each round runs the three in turn: the machine is shared, and a burst then lands on all of them.
    for (int round = 0; round < rounds; ++round) {
        startup.push_back(TimeProcess(find + L" --version", code));
        findAndBare.a.push_back(TimeProcess(findCommand, code));
        if (code != kExitNothingFound) {
            std::printf("warning: quillon-find ended with %lu, not 1 (no result)\n", code);
        }
        const double bare = TimeBareWalk(HKEY_CURRENT_USER, benchtree::kTreePath);
        findAndBare.b.push_back(bare);
        queryAndBare.b.push_back(bare);
        queryAndBare.a.push_back(TimeProcess(regCommand, code));
    }
    std::printf("find_s=%.3f bare_s=%.3f reg_query_s=%.3f (medians; program start %.3f s, included in find_s)\n",
                benchalt::Median(findAndBare.a), benchalt::Median(findAndBare.b), benchalt::Median(queryAndBare.a),
                benchalt::Median(startup));
    std::printf("find/bare %s\n", benchalt::RatioText(findAndBare).c_str());
    std::printf("reg_query/bare %s\n", benchalt::RatioText(queryAndBare).c_str());
}

void CompareFleet(int rounds) {
    benchtree::BuildTree(HKEY_LOCAL_MACHINE, kFleetTreePath, kFleetDepth);
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    std::wstring eight;
    for (int i = 0; i < 8; ++i) {
        eight += (i ? L"," : L"") + std::wstring(name);
    }
    int oneCode = 0, eightCode = 0;
    const benchalt::Samples samples = benchalt::Alternate(
        rounds, [&] { return TimeFleet(eight, eightCode); }, [&] { return TimeFleet(name, oneCode); });
    std::printf("fleet: %lu ms per registry call, 1,111 keys, exit codes %d and %d\n",
                static_cast<unsigned long>(kNetworkDelayMs), oneCode, eightCode);
    std::printf("fleet_one_s=%.3f fleet_eight_s=%.3f eight/one %s (sequentially it would be 8.00)\n",
                benchalt::Median(samples.b), benchalt::Median(samples.a), benchalt::RatioText(samples).c_str());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool keep = benchalt::HasFlag(argc, argv, L"--keep");
    const int rounds = benchalt::RoundsArg(argc, argv);
    CompareWithWalkAndRegQuery(rounds);
    CompareFleet(rounds);
    if (!keep) {
        RegDeleteTreeW(HKEY_CURRENT_USER, benchtree::kTreePath);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFleetTreePath);
    }
    return 0;
}
