// The command line of quillon-find: options that mirror the search form, the computers to search and the
// output wanted. Parsing is pure; a bad value is refused with a message that names the option.
#pragma once

#include "engine/search_request.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

inline constexpr wchar_t kDefaultLookIn[] = L"HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE";
// The look-in text of a remote search when none is given: the form switches to it for a remote computer.
inline constexpr wchar_t kDefaultRemoteLookIn[] = L"HKEY_LOCAL_MACHINE;HKEY_USERS";
inline constexpr unsigned kDefaultParallel = 8;
// Workers waited for at once; a wait on more handles is not possible.
inline constexpr unsigned kMaxParallel = 64;

enum class OutputFormat { List, Txt, Csv, Tsv, Reg };

// A hive file to search instead of the registry, shown under HKEY_LOCAL_MACHINE\<name>.
struct HiveFileOption {
    std::wstring path;
    std::wstring name; // the file's name unless one was given
};

struct FindOptions {
    SearchFormValues form;               // the search itself, as the form would hold it (remote and computer unset)
    bool lookInGiven = false;            // else the default for a local or a remote search
    std::vector<std::wstring> computers; // empty = this computer's registry without a remote connection
    std::vector<HiveFileOption> hives;   // not empty: these files are searched, not the registry
    unsigned parallel = kDefaultParallel;
    OutputFormat format = OutputFormat::List;
    std::wstring outputPath; // empty = standard output
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    std::optional<FindOptions> options;
    std::wstring error; // when options is empty: "<option>: <what is wrong>"
};

// Parses the arguments after the program name. A computer list file named by --computers is read here.
ParsedCommandLine ParseFindArguments(const std::vector<std::wstring>& args);

// The names in the text of a computer list: one a line, blanks around a name and empty lines ignored.
std::vector<std::wstring> ComputerNamesFromText(const std::wstring& text);

// The --help text.
std::wstring FindUsage();

// The look-in text of each hive: the entries of lookInText that lie in it ("HKEY_LOCAL_MACHINE" alone stands
// for every hive whole). False, with the entry that lies in no hive, when one does.
bool SplitLookInByHive(const std::wstring& lookInText, const std::vector<HiveFileOption>& hives,
                       std::vector<std::wstring>& perHive, std::wstring& stray);

// The option that a refused request is about, for the message on standard error.
const wchar_t* OptionOfField(RequestField field);
