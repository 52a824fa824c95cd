#include "find/find_options.h"

#include "engine/hive_registry.h"
#include "engine/key_paths.h"
#include "engine/result_markup.h"
#include "find/system_text.h"
#include "base/win_handles.h"

#include <cwchar>
#include <cwctype>
#include <functional>
#include <map>

namespace {

struct ModeName {
    const wchar_t* name;
    DWORD mode;
};
constexpr ModeName kModeNames[] = {
    {L"find", SM_FIND_STRING}, {L"whole", SM_WHOLE_STRING}, {L"wildcard", SM_WILDCARD}, {L"regex", SM_REGEX},
    {L"hex", SM_HEX},          {L"integer", SM_INTEGER},    {L"all", SM_ALL_ITEMS},
};

struct FormatName {
    const wchar_t* name;
    OutputFormat format;
};
constexpr FormatName kFormatNames[] = {
    {L"list", OutputFormat::List}, {L"txt", OutputFormat::Txt}, {L"csv", OutputFormat::Csv},
    {L"tsv", OutputFormat::Tsv},   {L"reg", OutputFormat::Reg},
};

// The type names of the form's type list where they are shorter than the usual ones.
struct TypeAlias {
    const wchar_t* name;
    DWORD type;
};
constexpr TypeAlias kTypeAliases[] = {
    {L"REG_RES_LIST", REG_RESOURCE_LIST},
    {L"REG_FULL_RES_DESC", REG_FULL_RESOURCE_DESCRIPTOR},
    {L"REG_RES_REQ_LIST", REG_RESOURCE_REQUIREMENTS_LIST},
};

bool SameNoCase(const std::wstring& a, const wchar_t* b) {
    return _wcsicmp(a.c_str(), b) == 0;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return text;
}

// "REG_SZ", "reg_sz" or "sz"; the numbers 0 to 11 of the known types.
std::optional<DWORD> TypeFromName(const std::wstring& typed) {
    std::wstring name = Upper(TrimWhiteSpace(typed));
    if (name.rfind(L"REG_", 0) != 0) {
        name = L"REG_" + name;
    }
    for (const TypeAlias& alias : kTypeAliases) {
        if (name == alias.name) {
            return alias.type;
        }
    }
    for (DWORD type = REG_NONE; type <= REG_QWORD; ++type) {
        if (name == TypeName(type).name) {
            return type;
        }
    }
    return std::nullopt;
}

// A whole decimal number from 0 to limit.
std::optional<unsigned long long> Number(const std::wstring& text, unsigned long long limit) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    unsigned long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    return value;
}

// Reads digits at pos; exactly `count` of them.
bool Digits(const std::wstring& text, size_t& pos, size_t count, WORD& out) {
    if (pos + count > text.size()) {
        return false;
    }
    unsigned value = 0;
    for (size_t i = 0; i < count; ++i) {
        const wchar_t c = text[pos + i];
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    pos += count;
    out = static_cast<WORD>(value);
    return true;
}

WORD DaysInMonth(WORD year, WORD month) {
    static const WORD kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool Expect(const std::wstring& text, size_t& pos, wchar_t c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// The file's text: UTF-16 with its byte-order mark, else UTF-8 (with or without one).
bool ReadTextFile(const std::wstring& path, std::wstring& text, DWORD& error) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > (64 << 20)) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        error = GetLastError();
        return false;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return true;
    }
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        bytes.erase(0, 3);
    }
    text = FromUtf8(bytes);
    return true;
}

class Parser {
public:
    explicit Parser(const std::vector<std::wstring>& args) : args_(args) {
        options_.form.resultLimit = 0; // no limit unless one is given, whatever the program's settings say
    }
    ParsedCommandLine Run();

private:
    bool Fail(const std::wstring& option, const std::wstring& what) {
        error_ = option + L": " + what;
        return false;
    }
    bool Option(const std::wstring& name, const std::optional<std::wstring>& inlineValue, size_t& index);
    bool Value(const std::wstring& name, const std::optional<std::wstring>& inlineValue, size_t& index,
               std::wstring& value);
    bool Types(const std::wstring& value);
    bool Size(const std::wstring& name, const std::wstring& value, LONG& out);
    bool Date(const std::wstring& name, const std::wstring& value, std::optional<SYSTEMTIME>& out);
    bool ComputerFile(const std::wstring& path);

    const std::vector<std::wstring>& args_;
    FindOptions options_;
    std::wstring error_;
    DWORD lookAt_ = 0;
    bool caseOn_ = false;
    std::vector<std::wstring> texts_;
};

ParsedCommandLine Parser::Run() {
    ParsedCommandLine parsed;
    bool optionsEnd = false;
    for (size_t i = 0; i < args_.size(); ++i) {
        const std::wstring& arg = args_[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != L'-') {
            texts_.push_back(arg);
            continue;
        }
        if (arg == L"--") {
            optionsEnd = true;
            continue;
        }
        if (arg == L"-h" || arg == L"-?" || arg == L"/?") {
            options_.help = true;
            continue;
        }
        std::wstring name = arg;
        std::optional<std::wstring> inlineValue;
        const size_t equals = arg.find(L'=');
        if (arg.rfind(L"--", 0) == 0 && equals != std::wstring::npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        if (!Option(name, inlineValue, i)) {
            parsed.error = error_;
            return parsed;
        }
    }
    if (options_.help || options_.version) {
        parsed.options = std::move(options_);
        return parsed;
    }
    SearchFormValues& form = options_.form;
    form.options = (lookAt_ ? lookAt_ : SO_LOOK_AT_MASK) | (caseOn_ ? DWORD{SO_MATCH_CASE} : DWORD{0});
    if (texts_.size() > 1) {
        parsed.error = L"TEXT: one search text expected, " + std::to_wstring(texts_.size()) +
                       L" given (put a text with spaces in quotes)";
        return parsed;
    }
    if (!texts_.empty()) {
        form.searchText = texts_.front();
    }
    if (!options_.hives.empty() && !options_.computers.empty()) {
        parsed.error = L"--hive: hive files are searched on their own, not with --computer or --computers";
        return parsed;
    }
    if (!options_.lookInGiven) {
        form.lookIn = options_.computers.empty() ? kDefaultLookIn : kDefaultRemoteLookIn;
        if (!options_.hives.empty()) {
            form.lookIn = L"HKEY_LOCAL_MACHINE";
        }
    }
    if (options_.format == OutputFormat::Reg && !options_.computers.empty()) {
        parsed.error = L"--format: reg exports this computer's registry or hive files only, not with --computer or "
                       L"--computers";
        return parsed;
    }
    parsed.options = std::move(options_);
    return parsed;
}

bool Parser::Value(const std::wstring& name, const std::optional<std::wstring>& inlineValue, size_t& index,
                   std::wstring& value) {
    if (inlineValue) {
        value = *inlineValue;
        return true;
    }
    if (index + 1 >= args_.size()) {
        return Fail(name, L"a value is missing");
    }
    value = args_[++index];
    return true;
}

bool Parser::Option(const std::wstring& name, const std::optional<std::wstring>& inlineValue, size_t& index) {
    SearchFormValues& form = options_.form;
    using Flag = std::pair<const wchar_t*, std::function<void()>>;
    const Flag flags[] = {
        {L"--keys", [&] { lookAt_ |= SO_KEYS; }},   {L"--values", [&] { lookAt_ |= SO_VALUES; }},
        {L"--data", [&] { lookAt_ |= SO_DATA; }},   {L"--case", [&] { caseOn_ = true; }},
        {L"--help", [&] { options_.help = true; }}, {L"--version", [&] { options_.version = true; }},
    };
    for (const Flag& flag : flags) {
        if (name == flag.first) {
            if (inlineValue) {
                return Fail(name, L"takes no value");
            }
            flag.second();
            return true;
        }
    }
    std::wstring value;
    if (name == L"--look-in") {
        options_.lookInGiven = true;
        return Value(name, inlineValue, index, form.lookIn);
    }
    if (name == L"--exclude") {
        form.excludeOn = true;
        return Value(name, inlineValue, index, form.exclude);
    }
    if (name == L"--mode") {
        if (!Value(name, inlineValue, index, value)) {
            return false;
        }
        for (const ModeName& mode : kModeNames) {
            if (SameNoCase(value, mode.name)) {
                form.mode = mode.mode;
                return true;
            }
        }
        return Fail(name, L"unknown mode '" + value + L"' (find, whole, wildcard, regex, hex, integer or all)");
    }
    if (name == L"--types") {
        return Value(name, inlineValue, index, value) && Types(value);
    }
    if (name == L"--min-size" || name == L"--max-size") {
        form.lengthFilterOn = true;
        return Value(name, inlineValue, index, value) &&
               Size(name, value, name == L"--min-size" ? form.lengthFrom : form.lengthTo);
    }
    if (name == L"--modified-after" || name == L"--modified-before") {
        return Value(name, inlineValue, index, value) &&
               Date(name, value, name == L"--modified-after" ? form.modifiedAfter : form.modifiedBefore);
    }
    if (name == L"--limit") {
        if (!Value(name, inlineValue, index, value)) {
            return false;
        }
        const std::optional<unsigned long long> limit = Number(value, 0xFFFFFFFF);
        if (!limit) {
            return Fail(name, L"'" + value + L"' is not a number of results from 0 (no limit) to 4294967295");
        }
        form.resultLimit = static_cast<DWORD>(*limit);
        return true;
    }
    if (name == L"--computer") {
        if (!Value(name, inlineValue, index, value)) {
            return false;
        }
        size_t start = 0;
        while (start <= value.size()) {
            size_t end = value.find(L',', start);
            if (end == std::wstring::npos) {
                end = value.size();
            }
            const std::wstring computer = TrimComputerName(value.substr(start, end - start));
            if (computer.empty()) {
                return Fail(name, L"Please enter a remote computer name.");
            }
            options_.computers.push_back(computer);
            start = end + 1;
        }
        return true;
    }
    if (name == L"--hive") {
        if (!Value(name, inlineValue, index, value)) {
            return false;
        }
        // FILE=NAME: a name holds no path separators, so an "=" inside a folder name stays with the path.
        HiveFileOption hive{value, {}};
        const size_t equals = value.rfind(L'=');
        if (equals != std::wstring::npos && value.find_first_of(L"\\/:", equals) == std::wstring::npos) {
            hive.path = value.substr(0, equals);
            hive.name = TrimWhiteSpace(value.substr(equals + 1));
            if (hive.name.empty()) {
                return Fail(name, L"'" + value + L"' gives an empty name after '='");
            }
        } else {
            hive.name = DefaultHiveName(hive.path);
        }
        if (hive.path.empty()) {
            return Fail(name, L"a file name is missing");
        }
        for (const HiveFileOption& other : options_.hives) {
            if (_wcsicmp(other.name.c_str(), hive.name.c_str()) == 0) {
                return Fail(name, L"two hives are named '" + hive.name + L"': give one another name with FILE=NAME");
            }
        }
        options_.hives.push_back(std::move(hive));
        return true;
    }
    if (name == L"--computers") {
        return Value(name, inlineValue, index, value) && ComputerFile(value);
    }
    if (name == L"--parallel") {
        if (!Value(name, inlineValue, index, value)) {
            return false;
        }
        const std::optional<unsigned long long> count = Number(value, kMaxParallel);
        if (!count || *count == 0) {
            return Fail(name,
                        L"'" + value + L"' is not a number of computers from 1 to " + std::to_wstring(kMaxParallel));
        }
        options_.parallel = static_cast<unsigned>(*count);
        return true;
    }
    if (name == L"--format") {
        if (!Value(name, inlineValue, index, value)) {
            return false;
        }
        for (const FormatName& format : kFormatNames) {
            if (SameNoCase(value, format.name)) {
                options_.format = format.format;
                return true;
            }
        }
        return Fail(name, L"unknown format '" + value + L"' (list, txt, csv, tsv or reg)");
    }
    if (name == L"--output") {
        if (!Value(name, inlineValue, index, options_.outputPath)) {
            return false;
        }
        return !options_.outputPath.empty() || Fail(name, L"a file name is missing");
    }
    return Fail(name, L"unknown option (see --help)");
}

bool Parser::Types(const std::wstring& value) {
    DWORD mask = 0;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(L',', start);
        if (end == std::wstring::npos) {
            end = value.size();
        }
        const std::wstring name = value.substr(start, end - start);
        const std::optional<DWORD> type = TypeFromName(name);
        if (!type) {
            return Fail(L"--types", L"unknown type '" + TrimWhiteSpace(name) + L"'");
        }
        mask |= 1u << *type;
        start = end + 1;
    }
    options_.form.typeMask = mask;
    return true;
}

bool Parser::Size(const std::wstring& name, const std::wstring& value, LONG& out) {
    const std::optional<unsigned long long> size = Number(value, 0x7FFFFFFF);
    if (!size) {
        return Fail(name, L"'" + value + L"' is not a number of bytes from 0 to 2147483647");
    }
    out = static_cast<LONG>(*size);
    return true;
}

// YYYY-MM-DD, optionally followed by "T" or a blank and HH:MM or HH:MM:SS.
bool Parser::Date(const std::wstring& name, const std::wstring& value, std::optional<SYSTEMTIME>& out) {
    SYSTEMTIME time = {};
    size_t pos = 0;
    bool valid = Digits(value, pos, 4, time.wYear) && Expect(value, pos, L'-') && Digits(value, pos, 2, time.wMonth) &&
                 Expect(value, pos, L'-') && Digits(value, pos, 2, time.wDay);
    if (valid && pos < value.size()) {
        valid = (Expect(value, pos, L'T') || Expect(value, pos, L't') || Expect(value, pos, L' ')) &&
                Digits(value, pos, 2, time.wHour) && Expect(value, pos, L':') && Digits(value, pos, 2, time.wMinute);
        if (valid && pos < value.size()) {
            valid = Expect(value, pos, L':') && Digits(value, pos, 2, time.wSecond);
        }
    }
    FILETIME check = {};
    valid = valid && pos == value.size() && time.wYear >= 1601 && time.wMonth >= 1 && time.wMonth <= 12 &&
            time.wDay >= 1 && time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 &&
            time.wMinute < 60 && time.wSecond < 60 && SystemTimeToFileTime(&time, &check);
    if (!valid) {
        return Fail(name, L"'" + value + L"' is not a date YYYY-MM-DD with an optional time HH:MM[:SS]");
    }
    // The day of the week is not given; the conversion back fills it in, as a picker would.
    FileTimeToSystemTime(&check, &time);
    out = time;
    return true;
}

bool Parser::ComputerFile(const std::wstring& path) {
    std::wstring text;
    DWORD error = ERROR_SUCCESS;
    if (!ReadTextFile(path, text, error)) {
        return Fail(L"--computers", L"cannot read '" + path + L"': " + SystemErrorText(error));
    }
    const std::vector<std::wstring> names = ComputerNamesFromText(text);
    if (names.empty()) {
        return Fail(L"--computers", L"'" + path + L"' names no computer");
    }
    options_.computers.insert(options_.computers.end(), names.begin(), names.end());
    return true;
}

} // namespace

ParsedCommandLine ParseFindArguments(const std::vector<std::wstring>& args) {
    return Parser(args).Run();
}

std::vector<std::wstring> ComputerNamesFromText(const std::wstring& text) {
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        const std::wstring name = TrimComputerName(TrimWhiteSpace(text.substr(start, end - start)));
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

bool SplitLookInByHive(const std::wstring& lookInText, const std::vector<HiveFileOption>& hives,
                       std::vector<std::wstring>& perHive, std::wstring& stray) {
    perHive.assign(hives.size(), std::wstring());
    std::vector<KeyLocation> entries;
    if (!ParseKeyList(lookInText, entries)) {
        return true; // the request builder refuses the text with its own message
    }
    auto add = [&](size_t hive, const std::wstring& path) {
        perHive[hive] += (perHive[hive].empty() ? L"" : L";") + std::wstring(L"HKEY_LOCAL_MACHINE\\") + path;
    };
    for (const KeyLocation& entry : entries) {
        const std::wstring path = TrimChars(entry.subKey, L"\\");
        if (entry.root == HKEY_LOCAL_MACHINE && path.empty()) {
            for (size_t i = 0; i < hives.size(); ++i) {
                add(i, hives[i].name);
            }
            continue;
        }
        const std::wstring first = path.substr(0, path.find(L'\\'));
        bool found = false;
        for (size_t i = 0; i < hives.size() && !found; ++i) {
            if (entry.root == HKEY_LOCAL_MACHINE && _wcsicmp(first.c_str(), hives[i].name.c_str()) == 0) {
                add(i, path);
                found = true;
            }
        }
        if (!found) {
            stray = entry.rootName + (path.empty() ? L"" : L"\\" + path);
            return false;
        }
    }
    return true;
}

const wchar_t* OptionOfField(RequestField field) {
    switch (field) {
    case RequestField::Computer:
        return L"--computer";
    case RequestField::HiveFile:
        return L"--hive";
    case RequestField::RemoteHive:
    case RequestField::LookIn:
        return L"--look-in";
    case RequestField::SearchText:
        break;
    }
    return L"TEXT";
}

std::wstring FindUsage() {
    return LR"(Usage: quillon-find [options] TEXT

Searches the registry for TEXT, on this computer or on others through their remote registry, and writes
what it finds.

Search (the same choices as Quillon's search form):
  --look-in KEYS          hives or keys to search, separated by ; | or ,
                          (default "HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE";
                          with --computer "HKEY_LOCAL_MACHINE;HKEY_USERS")
  --exclude KEYS          keys not to enter
  --mode MODE             find, whole, wildcard, regex, hex, integer or all (default find)
  --keys --values --data  what to look at (default all three)
  --case                  match case
  --types LIST            value types to include, comma separated (REG_SZ,REG_DWORD,...)
  --min-size N            smallest data size in bytes
  --max-size N            largest data size in bytes (0 = no upper bound)
  --modified-after DATE   keys written at or after DATE (YYYY-MM-DD[THH:MM[:SS]])
  --modified-before DATE  keys written at or before DATE
  --limit N               stop after N results (0 = no limit; default no limit)

Computers:
  --computer NAME[,NAME...]  search these computers' registries
  --computers FILE        search the computers named in FILE, one a line
  --parallel N            computers or hive files searched at once (default 8, at most 64)

Hive files (a registry file of another Windows, a backup), read without loading them:
  --hive FILE[=NAME]      search FILE instead of the registry, its keys shown under
                          HKEY_LOCAL_MACHINE\NAME (NAME: the file's name unless given); repeatable.
                          Without --look-in each hive is searched whole; a --look-in names keys
                          under HKEY_LOCAL_MACHINE\NAME

Output:
  --format FORMAT         list (default: computer when remote, key path, value name, type and data,
                          separated by tabs), txt, csv, tsv, or reg (a registry script of every result,
                          read from this computer's registry or the hive files)
  --output FILE           write to FILE (UTF-16 with byte-order mark for txt, csv, tsv and reg; UTF-8 for
                          list) instead of standard output

  --help                  this text
  --version               the program's version

Exit codes: 0 results found, 1 no result, 2 bad usage or an invalid search, 3 a file could not be
written, 4 some computers could not be searched, 5 a hive file could not be read or is damaged.
)";
}
