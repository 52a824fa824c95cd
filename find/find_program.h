// The whole of quillon-find apart from its entry point: parse the command line, build one request per
// computer with the search form's own rules, search, write the results, and give the exit code.
#pragma once

#include "engine/registry_api.h"
#include "find/find_console.h"

#include <string>
#include <vector>

enum FindExitCode : int {
    kExitFound = 0,
    kExitNothingFound = 1,
    kExitUsage = 2,
    kExitFileNotWritten = 3,
    kExitComputersFailed = 4,
    kExitHiveDamaged = 5, // a hive file could not be read or is damaged
};

// args: the arguments after the program name. registry: the functions every engine calls (benchmarks put in
// a delay). Ctrl+C during the search stops every worker; what was found is still written.
int RunFind(const std::vector<std::wstring>& args, FindConsole& console, const RegistryApi& registry = kAdvapiRegistry);
