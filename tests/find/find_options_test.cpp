// The command line: every option reaches the search, the defaults mirror the form, and every bad value is
// refused with exit code 2 and a message that names the option or the rule.
#include "base/program_version.h"
#include "find/find_options.h"
#include "tests/find/find_fixture.h"

#include <gtest/gtest.h>

using findtest::Find;

namespace {

FindOptions Parsed(const std::vector<std::wstring>& args) {
    ParsedCommandLine parsed = ParseFindArguments(args);
    EXPECT_TRUE(parsed.options.has_value()) << std::string(parsed.error.begin(), parsed.error.end());
    return parsed.options.value_or(FindOptions{});
}

} // namespace

TEST(FindOptions, DefaultsMirrorAFreshForm) {
    const FindOptions options = Parsed({L"needle"});
    EXPECT_EQ(options.form.searchText, L"needle");
    EXPECT_EQ(options.form.lookIn, L"HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE");
    EXPECT_EQ(options.form.mode, DWORD{SM_FIND_STRING});
    EXPECT_EQ(options.form.options, SO_LOOK_AT_MASK);
    EXPECT_EQ(options.form.typeMask, 0xFFFFFFFFu);
    EXPECT_FALSE(options.form.excludeOn);
    EXPECT_FALSE(options.form.lengthFilterOn);
    EXPECT_FALSE(options.form.modifiedAfter || options.form.modifiedBefore);
    EXPECT_EQ(options.form.resultLimit, std::optional<DWORD>(0)) << "no limit unless asked, whatever the settings";
    EXPECT_TRUE(options.computers.empty());
    EXPECT_EQ(options.parallel, 8u);
    EXPECT_EQ(options.format, OutputFormat::List);
    EXPECT_TRUE(options.outputPath.empty());
    // A remote search starts from the two hives a remote registry offers, as the form switches to them.
    EXPECT_EQ(Parsed({L"--computer", L"far", L"x"}).form.lookIn, L"HKEY_LOCAL_MACHINE;HKEY_USERS");
}

TEST(FindOptions, EveryOptionReachesTheSearch) {
    const FindOptions options = Parsed({L"--look-in",
                                        L"HKLM\\Software",
                                        L"--exclude=HKLM\\Software\\Classes",
                                        L"--mode",
                                        L"REGEX",
                                        L"--values",
                                        L"--data",
                                        L"--case",
                                        L"--types",
                                        L"REG_SZ, dword,REG_RES_LIST",
                                        L"--min-size",
                                        L"10",
                                        L"--max-size=2000",
                                        L"--modified-after",
                                        L"2024-05-01",
                                        L"--modified-before",
                                        L"2024-06-30T23:59:58",
                                        L"--limit",
                                        L"150",
                                        L"--computer",
                                        L"\\\\one/,two",
                                        L"--parallel",
                                        L"3",
                                        L"--format",
                                        L"csv",
                                        L"--output",
                                        L"out.csv",
                                        L"--",
                                        L"-dash"});
    const SearchFormValues& form = options.form;
    EXPECT_EQ(form.lookIn, L"HKLM\\Software");
    EXPECT_TRUE(form.excludeOn);
    EXPECT_EQ(form.exclude, L"HKLM\\Software\\Classes");
    EXPECT_EQ(form.mode, DWORD{SM_REGEX});
    EXPECT_EQ(form.options, DWORD{SO_VALUES | SO_DATA | SO_MATCH_CASE});
    EXPECT_EQ(form.typeMask, DWORD{(1u << REG_SZ) | (1u << REG_DWORD) | (1u << REG_RESOURCE_LIST)});
    EXPECT_TRUE(form.lengthFilterOn);
    EXPECT_EQ(form.lengthFrom, 10);
    EXPECT_EQ(form.lengthTo, 2000);
    ASSERT_TRUE(form.modifiedAfter && form.modifiedBefore);
    EXPECT_EQ(form.modifiedAfter->wMonth, 5);
    EXPECT_EQ(form.modifiedAfter->wHour, 0);
    EXPECT_EQ(form.modifiedBefore->wDay, 30);
    EXPECT_EQ(form.modifiedBefore->wSecond, 58);
    EXPECT_EQ(form.resultLimit, std::optional<DWORD>(150));
    EXPECT_EQ(options.computers, (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_EQ(options.parallel, 3u);
    EXPECT_EQ(options.format, OutputFormat::Csv);
    EXPECT_EQ(options.outputPath, L"out.csv");
    EXPECT_EQ(form.searchText, L"-dash") << "after --, a text may start with a dash";

    EXPECT_EQ(Parsed({L"--keys", L"x"}).form.options, DWORD{SO_KEYS});
    EXPECT_EQ(Parsed({L"--mode", L"all"}).form.mode, DWORD{SM_ALL_ITEMS}) << "all items needs no text";
    EXPECT_EQ(Parsed({L"--modified-after", L"2024-02-29 08:30", L"x"}).form.modifiedAfter->wMinute, 30);
    EXPECT_EQ(Parsed({L"--limit", L"0", L"x"}).form.resultLimit, std::optional<DWORD>(0));
    for (const wchar_t* format : {L"list", L"txt", L"tsv", L"reg"}) {
        EXPECT_TRUE(ParseFindArguments({L"--format", format, L"x"}).options) << format;
    }
}

TEST(FindOptions, ComputerListFileNamesOneComputerALine) {
    EXPECT_EQ(ComputerNamesFromText(L"alpha\r\n\r\n  \\\\beta  \r\ngamma"),
              (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
    filetest::ScratchFolder folder;
    const std::wstring path = folder.File(L"computers.txt");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char text[] = "\xEF\xBB\xBFone\r\ntwo\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(Parsed({L"--computers", path, L"--computer", L"three", L"x"}).computers,
              (std::vector<std::wstring>{L"one", L"two", L"three"}));
}

TEST(FindOptions, BadValuesExitWithTwoNamingTheOption) {
    struct Case {
        std::vector<std::wstring> args;
        const wchar_t* expected; // part of the message on standard error
    };
    const Case cases[] = {
        {{L"--mode", L"fuzzy", L"x"}, L"--mode: unknown mode 'fuzzy'"},
        {{L"--types", L"REG_SZ,REG_TEXT", L"x"}, L"--types: unknown type 'REG_TEXT'"},
        {{L"--min-size", L"-1", L"x"}, L"--min-size: '-1' is not a number of bytes"},
        {{L"--max-size", L"2147483648", L"x"}, L"--max-size:"},
        {{L"--modified-after", L"2024-13-01", L"x"}, L"--modified-after: '2024-13-01' is not a date"},
        {{L"--modified-before", L"2023-02-29", L"x"}, L"--modified-before:"},
        {{L"--modified-before", L"2024-01-01T25:00", L"x"}, L"--modified-before:"},
        {{L"--limit", L"ten", L"x"}, L"--limit:"},
        {{L"--parallel", L"0", L"x"}, L"--parallel:"},
        {{L"--parallel", L"65", L"x"}, L"--parallel:"},
        {{L"--format", L"xml", L"x"}, L"--format: unknown format 'xml'"},
        {{L"--format", L"reg", L"--computer", L"far", L"x"}, L"--format: reg exports this computer's registry or hive files only"},
        {{L"--output"}, L"--output: a value is missing"},
        {{L"--computer", L"one,,two", L"x"}, L"--computer: Please enter a remote computer name."},
        {{L"--computers", L"Z:\\no\\such\\list.txt", L"x"}, L"--computers: cannot read"},
        {{L"--case=yes", L"x"}, L"--case: takes no value"},
        {{L"--colour", L"x"}, L"--colour: unknown option"},
        {{L"two", L"texts"}, L"TEXT: one search text expected, 2 given"},
        // The search form's own checks and messages.
        {{L"--look-in", L"HKXX;nowhere", L"x"}, L"--look-in: Error in the Look-In text."},
        {{L"--computer", L"far", L"--look-in", L"HKLM;HKEY_CURRENT_USER", L"x"},
         L"--look-in: Only 'HKEY_LOCAL_MACHINE' and 'HKEY_USERS' are supported for remote registry search."},
        {{L"--mode", L"regex", L"(unclosed"}, L"TEXT: Empty or invalid search string"},
        {{L"   "}, L"TEXT: Empty or invalid search string"},
        {{}, L"TEXT: Empty or invalid search string"},
    };
    for (const Case& c : cases) {
        const findtest::Outcome outcome = Find(c.args);
        EXPECT_EQ(outcome.code, kExitUsage) << std::string(c.expected, c.expected + wcslen(c.expected));
        EXPECT_NE(outcome.err.find(std::wstring(L"quillon-find: ") + c.expected), std::wstring::npos)
            << std::string(outcome.err.begin(), outcome.err.end());
        EXPECT_TRUE(outcome.out.empty());
    }
}

TEST(FindOptions, HelpAndVersionSucceedWithoutSearching) {
    findtest::Outcome help = Find({L"--help"});
    EXPECT_EQ(help.code, kExitFound);
    EXPECT_NE(help.out.find(L"Usage: quillon-find [options] TEXT"), std::wstring::npos);
    EXPECT_NE(help.out.find(L"--computers FILE"), std::wstring::npos);
    findtest::Outcome version = Find({L"--version"});
    EXPECT_EQ(version.code, kExitFound);
    // The version is the one of the program's version resource (linked into this test program too).
    EXPECT_EQ(version.out, L"quillon-find " + ModuleVersionText() + L"\n");
    EXPECT_FALSE(ModuleVersionText().empty());
}
