#include "find/find_program.h"

#include "engine/hive_registry.h"
#include "find/find_options.h"
#include "find/find_output.h"
#include "find/fleet_search.h"
#include "find/system_text.h"

#include "base/program_version.h"

#include <algorithm>
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
std::wstring ProgressLine(const FleetProgress& progress, bool hives) {
    wchar_t line[160];
    swprintf(line, std::size(line), L"\r%ls done: %zu of %zu, keys searched: %llu, results: %zu   ",
             hives ? L"Hive files" : L"Computers", progress.computersDone, progress.computers, progress.keysSearched,
             progress.results);
    return line;
}

// One request per computer (a single local one without --computer) or per hive file, each built by the
// form's rules; a hive's request looks in the parts of the look-in text that lie in it.
bool BuildRequests(const FindOptions& options, std::vector<ComputerSearch>& computers, std::wstring& error) {
    std::vector<std::wstring> names = options.computers;
    const bool remote = !names.empty();
    std::vector<std::wstring> hiveLookIns;
    if (!options.hives.empty()) {
        std::wstring stray;
        if (!SplitLookInByHive(options.form.lookIn, options.hives, hiveLookIns, stray)) {
            error = L"--look-in: '" + stray + L"' is in none of the hive files (give keys under HKEY_LOCAL_MACHINE\\" +
                    options.hives.front().name + L")";
            return false;
        }
        for (const HiveFileOption& hive : options.hives) {
            names.push_back(hive.path);
        }
    } else if (!remote) {
        names.emplace_back();
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const std::wstring& name = names[i];
        SearchFormValues values = options.form;
        values.remote = remote;
        values.computer = remote ? name : std::wstring();
        if (!hiveLookIns.empty()) {
            if (hiveLookIns[i].empty()) {
                continue; // the look-in names no key of this hive
            }
            values.lookIn = hiveLookIns[i];
        }
        RequestOutcome outcome = BuildSearchRequest(values);
        if (!outcome.Accepted()) {
            error = std::wstring(OptionOfField(outcome.refusal.field)) + L": " + outcome.refusal.message;
            return false;
        }
        if (!hiveLookIns.empty()) {
            outcome.request->sourceDescription = name; // the hive file's path
        }
        computers.push_back({remote ? outcome.request->remoteComputer : name, std::move(*outcome.request), nullptr, false});
    }
    return true;
}

// Mounts every hive file of the options; a file that cannot be read is reported and left out. Unmounts them
// all when it ends.
class MountedHives {
public:
    MountedHives(const std::vector<HiveFileOption>& hives, FindConsole& console) {
        for (const HiveFileOption& hive : hives) {
            std::wstring error;
            std::vector<std::wstring> warnings;
            if (MountHive(hive.name, hive.path, error, warnings)) {
                mounted_.push_back(hive);
            } else {
                console.Err(L"quillon-find: " + hive.path + L": " + error + L"\n");
                failed_ = true;
            }
            for (const std::wstring& warning : warnings) {
                console.Err(L"quillon-find: " + hive.path + L": warning: " + warning + L"\n");
            }
        }
    }
    ~MountedHives() {
        for (const HiveFileOption& hive : mounted_) {
            UnmountHive(hive.name);
        }
    }
    MountedHives(const MountedHives&) = delete;
    MountedHives& operator=(const MountedHives&) = delete;

    bool IsMounted(const std::wstring& path) const {
        return std::any_of(mounted_.begin(), mounted_.end(), [&](const HiveFileOption& h) { return h.path == path; });
    }
    // Reports the damage found in each hive while it was read; true when there was some (or a file failed).
    bool ReportDamage(FindConsole& console) const {
        bool damaged = failed_;
        for (const HiveFileOption& hive : mounted_) {
            std::vector<std::wstring> texts;
            const size_t count = HiveProblems(hive.name, texts);
            if (count == 0) {
                continue;
            }
            damaged = true;
            std::wstring line = L"quillon-find: " + hive.path + L": damaged: " + texts.front();
            if (count > 1) {
                line += L" (and " + std::to_wstring(count - 1) + L" more problem(s); what could be read was searched)";
            }
            console.Err(line + L"\n");
        }
        return damaged;
    }

private:
    std::vector<HiveFileOption> mounted_;
    bool failed_ = false;
};

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
    const bool hives = !options.hives.empty();
    MountedHives mounted(options.hives, console);
    if (hives) {
        std::erase_if(computers, [&](const ComputerSearch& c) { return !mounted.IsMounted(c.name); });
    }
    const RegistryApi& source = hives ? kHiveRegistry : registry;

    LogFile log;
    const std::wstring logPath = log.OpenLogFile(kSearchLogName);
    FleetSearch search(std::move(computers), options.parallel, log, source);
    {
        ControlHandler stopOnCtrlC(search);
        if (console.ErrIsConsole()) {
            search.Run([&](const FleetProgress& progress) { console.Err(ProgressLine(progress, hives)); });
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
        failures += engine.Problems();
        if (engine.ConnectError() != ERROR_SUCCESS) {
            computersFailed = true;
            console.Err(computer.name + L": " + SystemErrorText(engine.ConnectError()) + L"\n");
        }
        // The worker has ended: the records stay where they are while the rows point at them.
        engine.Results().ReadFrom(0, [&](size_t, const SearchResult& record) {
            rows.push_back({true, &record, remote ? &computer.name : nullptr});
        });
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
        const DWORD written = WriteOutputFile(options.format, rows, remote, options.outputPath, exported, source);
        if (written != ERROR_SUCCESS) {
            console.Err(L"quillon-find: --output: cannot write '" + options.outputPath + L"': " +
                        SystemErrorText(written) + L"\n");
            return kExitFileNotWritten;
        }
    } else {
        try {
            if (options.format == OutputFormat::List) {
                WriteListText(rows, remote, [&](std::wstring_view piece) { console.Out(piece); });
            } else {
                console.Out(OutputText(options.format, rows, remote, exported, source));
            }
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
    if (hives && mounted.ReportDamage(console)) {
        return kExitHiveDamaged;
    }
    return rows.empty() ? kExitNothingFound : kExitFound;
}
