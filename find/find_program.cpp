#include "find/find_program.h"

#include "find/find_options.h"
#include "find/find_output.h"
#include "find/fleet_search.h"
#include "find/system_text.h"

#include "base/program_version.h"

#include <atomic>
#include <new>

namespace {

// The search that Ctrl+C stops; the handler runs on a thread of its own.
std::atomic<FleetSearch*> activeSearch{nullptr};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    if (FleetSearch* search = activeSearch.load()) {
        search->StopAll();
        return TRUE;
    }
    return FALSE;
}

class ControlHandler {
public:
    explicit ControlHandler(FleetSearch& search) {
        activeSearch.store(&search);
        SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    }
    ~ControlHandler() {
        SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
        activeSearch.store(nullptr);
    }
    ControlHandler(const ControlHandler&) = delete;
    ControlHandler& operator=(const ControlHandler&) = delete;
};

// One progress line, rewritten in place.
std::wstring ProgressLine(const FleetProgress& progress) {
    wchar_t line[160];
    swprintf(line, std::size(line), L"\rComputers done: %zu of %zu, keys searched: %llu, results: %zu   ",
             progress.computersDone, progress.computers, progress.keysSearched, progress.results);
    return line;
}

// One request per computer (a single local one without --computer), each built by the form's rules.
bool BuildRequests(const FindOptions& options, std::vector<ComputerSearch>& computers, std::wstring& error) {
    std::vector<std::wstring> names = options.computers;
    const bool remote = !names.empty();
    if (!remote) {
        names.emplace_back();
    }
    for (const std::wstring& name : names) {
        SearchFormValues values = options.form;
        values.remote = remote;
        values.computer = name;
        RequestOutcome outcome = BuildSearchRequest(values);
        if (!outcome.Accepted()) {
            error = std::wstring(OptionOfField(outcome.refusal.field)) + L": " + outcome.refusal.message;
            return false;
        }
        computers.push_back(
            {remote ? outcome.request->remoteComputer : std::wstring(), std::move(*outcome.request), nullptr, false});
    }
    return true;
}

} // namespace

int RunFind(const std::vector<std::wstring>& args, FindConsole& console, const RegistryApi& registry) {
    const ParsedCommandLine parsed = ParseFindArguments(args);
    if (!parsed.options) {
        console.Err(L"quillon-find: " + parsed.error + L"\n");
        return kExitUsage;
    }
    const FindOptions& options = *parsed.options;
    if (options.help) {
        console.Out(FindUsage());
        return kExitFound;
    }
    if (options.version) {
        const std::wstring version = ModuleVersionText();
        console.Out(L"quillon-find " + (version.empty() ? std::wstring(L"(no version resource)") : version) + L"\n");
        return kExitFound;
    }
    std::vector<ComputerSearch> computers;
    std::wstring error;
    if (!BuildRequests(options, computers, error)) {
        console.Err(L"quillon-find: " + error + L"\n");
        return kExitUsage;
    }
    const bool remote = !options.computers.empty();

    LogFile log;
    const std::wstring logPath = log.OpenLogFile(kSearchLogName);
    FleetSearch search(std::move(computers), options.parallel, log, registry);
    {
        ControlHandler stopOnCtrlC(search);
        if (console.ErrIsConsole()) {
            search.Run([&](const FleetProgress& progress) { console.Err(ProgressLine(progress)); });
            console.Err(L"\r" + std::wstring(78, L' ') + L"\r");
        } else {
            search.Run();
        }
    }
    log.CloseLogFile();

    bool computersFailed = false;
    unsigned long failures = 0;
    std::vector<ListedRow> rows;
    for (ComputerSearch& computer : search.Computers()) {
        CKeldraThread& engine = *computer.engine;
        failures += engine.problems;
        if (engine.connectError != ERROR_SUCCESS) {
            computersFailed = true;
            console.Err(computer.name + L": " + SystemErrorText(engine.connectError) + L"\n");
        }
        for (const SearchResult& record : engine.results) {
            rows.push_back({true, &record, remote ? &computer.name : nullptr});
        }
    }
    if (search.Stopped()) {
        console.Err(L"quillon-find: stopped; the results found so far follow\n");
    }
    if (failures > 0) {
        console.Err(L"quillon-find: " + std::to_wstring(failures) + L" registry failure(s) written to " +
                    (logPath.empty() ? std::wstring(kSearchLogName) : logPath) + L"\n");
    }

    RegExportCounts exported;
    if (!options.outputPath.empty()) {
        const DWORD written = WriteOutputFile(options.format, rows, remote, options.outputPath, exported);
        if (written != ERROR_SUCCESS) {
            console.Err(L"quillon-find: --output: cannot write '" + options.outputPath + L"': " +
                        SystemErrorText(written) + L"\n");
            return kExitFileNotWritten;
        }
    } else {
        try {
            console.Out(OutputText(options.format, rows, remote, exported));
        } catch (const std::bad_alloc&) {
            console.Err(L"quillon-find: the results do not fit in memory\n");
            return kExitFileNotWritten;
        }
    }
    if (exported.Failures() > 0) {
        const std::wstring logPath = WriteExportLog(exported.problems);
        console.Err(L"quillon-find: " + ExportFailureText(exported.keysFailed, exported.valuesLeftOut, logPath) +
                    L"\n");
    }
    if (computersFailed) {
        return kExitComputersFailed;
    }
    return rows.empty() ? kExitNothingFound : kExitFound;
}
