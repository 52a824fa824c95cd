// quillon-find end to end on a tree the test builds: each mode, each output format against the program's own
// file routines, the exit codes, a list of computers, and stopping.
#include "engine/keldra_thread.h"
#include "find/find_options.h"
#include "find/fleet_search.h"
#include "output/list_save.h"
#include "output/reg_export.h"
#include "output/reg_export_entries.h"
#include "tests/find/find_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using findtest::Find;
using findtest::Lines;

namespace {

const wchar_t kTreePath[] = L"Software\\QuillonFindTest";

class FindSearchTest : public testing::Test {
protected:
    findtest::FindTree tree{HKEY_CURRENT_USER, kTreePath};
    filetest::ScratchFolder folder;
    std::wstring lookIn = tree.LookIn(L"HKCU");

    // The results of the search the command line describes, found by an engine of the test's own: the
    // reference the program's files are compared with.
    std::vector<SearchResult> Reference(const std::vector<std::wstring>& args) {
        ParsedCommandLine parsed = ParseFindArguments(args);
        EXPECT_TRUE(parsed.options);
        RequestOutcome outcome = BuildSearchRequest(parsed.options->form);
        EXPECT_TRUE(outcome.Accepted());
        CKeldraThread engine;
        EXPECT_TRUE(engine.Start(*outcome.request));
        EXPECT_EQ(WaitForSingleObject(engine.GetHandle(), 30000), WAIT_OBJECT_0);
        engine.Stop();
        std::vector<SearchResult> results;
        engine.Results().ReadFrom(0, [&](size_t, const SearchResult& record) { results.push_back(record); });
        return results;
    }

    static std::vector<ListedRow> Rows(const std::vector<SearchResult>& results) {
        std::vector<ListedRow> rows;
        for (const SearchResult& record : results) {
            rows.push_back({true, &record, nullptr});
        }
        return rows;
    }
};

// The list lines without the key path's common start, sorted.
std::vector<std::wstring> Found(const std::wstring& out, const std::wstring& lookIn) {
    std::vector<std::wstring> found;
    for (std::wstring line : Lines(out)) {
        const size_t at = line.find(lookIn);
        if (at != std::wstring::npos) {
            line.erase(at, lookIn.size());
        }
        found.push_back(line);
    }
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

TEST_F(FindSearchTest, EachModeFindsWhatTheEngineFinds) {
    const std::wstring full = L"HKEY_CURRENT_USER\\Software\\QuillonFindTest";
    struct Case {
        std::vector<std::wstring> options;
        std::vector<std::wstring> expected; // list lines below the tree, sorted
    };
    const Case cases[] = {
        {{L"needle"},
         {L"\\Alpha\tMulti\tREG_MULTI_SZ\t<more data...>needle two", L"\\Alpha\tPath\tREG_SZ\tC:\\Tools\\needle.exe",
          L"\\Alpha\\NeedleKey\t\t<KEY>\t", L"\\Beta\tGr\u00f6\u00dfe\tREG_SZ\tneedle \u00fc"}},
        {{L"--mode", L"whole", L"other"}, {L"\\Beta\tOther\tREG_SZ\tOther"}},
        {{L"--mode", L"whole", L"--case", L"other"}, {}},
        {{L"--mode", L"wildcard", L"need*.exe"}, {L"\\Alpha\tPath\tREG_SZ\tC:\\Tools\\needle.exe"}},
        {{L"--mode", L"regex", L"--keys", L"^needle"}, {L"\\Alpha\\NeedleKey\t\t<KEY>\t"}},
        {{L"--mode", L"hex", L"ADBEEF"}, {L"\\Alpha\tBlob\tREG_BINARY\tDEADBEEF00"}},
        {{L"--mode", L"integer", L"0x2A"}, {L"\\Alpha\tCount\tREG_DWORD\t0x0000002a (42)"}},
        {{L"--mode", L"integer", L"4294967301"}, {L"\\Beta\tBig\tREG_QWORD\t0x0000000100000005 (4294967301)"}},
        // The data column shows the data as the results list does, also where no text was matched.
        {{L"--mode", L"all", L"--types", L"REG_SZ", L"--look-in", lookIn + L"\\Beta"},
         {L"\\Beta\tGr\u00f6\u00dfe\tREG_SZ\tneedle \u00fc", L"\\Beta\tOther\tREG_SZ\tOther",
          L"\\Beta\tTab here\tREG_SZ\ta b"}},
        // Tabs inside a field become blanks, so that every result stays one line of five fields.
        {{L"tab"}, {L"\\Beta\tTab here\tREG_SZ\ta b"}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> args = {L"--look-in", lookIn};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const findtest::Outcome outcome = Find(args);
        const std::string label(args.back().begin(), args.back().end());
        EXPECT_EQ(outcome.code, c.expected.empty() ? kExitNothingFound : kExitFound) << label;
        EXPECT_EQ(Found(outcome.out, full), c.expected) << label;
        EXPECT_EQ(Lines(outcome.out).size(), Reference(args).size()) << label;
        EXPECT_EQ(outcome.err, L"") << label;
    }
}

TEST_F(FindSearchTest, FilesAreByteForByteThoseOfTheProgramsOwnRoutines) {
    const std::vector<std::wstring> search = {L"--look-in", lookIn, L"needle"};
    const std::vector<SearchResult> reference = Reference(search);
    ASSERT_EQ(reference.size(), 4u);
    const std::vector<ListedRow> rows = Rows(reference);
    struct Layout {
        const wchar_t* format;
        const wchar_t* referenceName; // the list save picks its layout by the file name
    };
    for (const Layout& layout : {Layout{L"txt", L"ref.txt"}, Layout{L"csv", L"ref.csv"}, Layout{L"tsv", L"ref.tsv"}}) {
        const std::wstring output = folder.File(L"out.dat");
        std::vector<std::wstring> args = search;
        args.insert(args.end(), {L"--format", layout.format, L"--output", output});
        const findtest::Outcome outcome = Find(args);
        EXPECT_EQ(outcome.code, kExitFound);
        EXPECT_TRUE(outcome.out.empty());
        ASSERT_EQ(SaveListToFile(rows, folder.File(layout.referenceName)).error, DWORD{ERROR_SUCCESS});
        const std::string written = testsupport::ReadFileBytes(output);
        EXPECT_EQ(written, testsupport::ReadFileBytes(folder.File(layout.referenceName))) << layout.referenceName;
        EXPECT_EQ(written.substr(0, 2), "\xFF\xFE");
    }

    const std::wstring regOutput = folder.File(L"out.reg");
    std::vector<std::wstring> args = search;
    args.insert(args.end(), {L"--format", L"reg", L"--output", regOutput});
    EXPECT_EQ(Find(args).code, kExitFound);
    ASSERT_EQ(ExportToRegFile(ExportEntriesFromRows(rows), folder.File(L"ref.reg")).status, RegExportStatus::Written);
    const std::string exported = testsupport::ReadFileBytes(regOutput);
    EXPECT_EQ(exported, testsupport::ReadFileBytes(folder.File(L"ref.reg")));
    // The key result exports the whole of NeedleKey; the value results their one value each.
    EXPECT_NE(exported.find("N\0e\0e\0d\0l\0e\0K\0e\0y\0]\0", 0, 20), std::string::npos);

    // Without --output the same text goes to standard output, starting with the heading or script header.
    args = search;
    args.insert(args.end(), {L"--format", L"csv"});
    EXPECT_EQ(Lines(Find(args).out)[0], L"Created by Orvanta Software's Quillon");
    args = search;
    args.insert(args.end(), {L"--format", L"reg"});
    EXPECT_EQ(Lines(Find(args).out)[0], L"Windows Registry Editor Version 5.00");

    // The list format to a file is UTF-8 text with CR LF line ends.
    const std::wstring listOutput = folder.File(L"out.lst");
    args = search;
    args.insert(args.end(), {L"--output", listOutput});
    EXPECT_EQ(Find(args).code, kExitFound);
    const std::string list = testsupport::ReadFileBytes(listOutput);
    EXPECT_NE(list.find("\tGr\xC3\xB6\xC3\x9F"
                        "e\tREG_SZ\tneedle \xC3\xBC\r\n"),
              std::string::npos);
}

TEST_F(FindSearchTest, ExitCodesTellWhatHappened) {
    EXPECT_EQ(Find({L"--look-in", lookIn, L"needle"}).code, kExitFound);
    findtest::Outcome none = Find({L"--look-in", lookIn, L"no such text anywhere"});
    EXPECT_EQ(none.code, kExitNothingFound);
    EXPECT_EQ(none.out, L"");
    EXPECT_EQ(Find({L"--look-in", lookIn, L"--mode", L"bogus", L"needle"}).code, kExitUsage);

    // A file in a folder that does not exist cannot be written; the message names the option and the reason.
    const std::wstring unwritable = folder.File(L"missing\\out.txt");
    findtest::Outcome failed = Find({L"--look-in", lookIn, L"--format", L"txt", L"--output", unwritable, L"needle"});
    EXPECT_EQ(failed.code, kExitFileNotWritten);
    EXPECT_NE(failed.err.find(L"quillon-find: --output: cannot write '" + unwritable + L"': "), std::wstring::npos);

    findtest::Outcome limited = Find({L"--look-in", lookIn, L"--limit", L"1", L"needle"});
    EXPECT_EQ(Lines(limited.out).size(), 1u) << "a limit of 1 is 1, not the settings' minimum of 100";
}

TEST(FindComputers, EveryComputerIsSearchedAndAnUnknownOneIsReported) {
    // A remote registry offers HKEY_LOCAL_MACHINE and HKEY_USERS: the tree lives in the machine's hive.
    findtest::FindTree tree(HKEY_LOCAL_MACHINE, kTreePath);
    filetest::ScratchFolder folder;
    const std::wstring self = findtest::ComputerName();
    const std::wstring unknown = L"QUILLON-NO-SUCH-HOST";
    const std::wstring list = folder.File(L"computers.txt");
    HANDLE file = CreateFileW(list.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string names = std::string(self.begin(), self.end()) + "\r\n" +
                              std::string(unknown.begin(), unknown.end()) + "\r\n\\\\" +
                              std::string(self.begin(), self.end()) + "\r\n";
    DWORD written = 0;
    WriteFile(file, names.data(), static_cast<DWORD>(names.size()), &written, nullptr);
    CloseHandle(file);

    const findtest::Outcome outcome =
        Find({L"--computers", list, L"--look-in", tree.LookIn(L"HKLM"), L"--parallel", L"2", L"needle"});
    EXPECT_EQ(outcome.code, kExitComputersFailed);
    const std::vector<std::wstring> lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), 8u) << "four results from each of the two searches of this computer";
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].substr(0, self.size() + 1), self + L"\t") << "every line names its computer";
        EXPECT_EQ(lines[i].substr(self.size() + 1), lines[i % 4].substr(self.size() + 1)) << "in list order";
    }
    EXPECT_NE(outcome.err.find(unknown + L": "), std::wstring::npos);
    EXPECT_EQ(outcome.err.find(self + L": "), std::wstring::npos);

    // The separated layouts get a computer column in front.
    const std::wstring csv = folder.File(L"fleet.csv");
    Find({L"--computer", self, L"--look-in", tree.LookIn(L"HKLM"), L"--format", L"csv", L"--output", csv, L"needle"});
    const std::string bytes = testsupport::ReadFileBytes(csv);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    const std::vector<std::wstring> csvLines = Lines(text);
    ASSERT_GE(csvLines.size(), 3u);
    EXPECT_EQ(csvLines[1], L" \"Computer\",\"Hive\",\"SubKey\",\"Value\",\"Data\",\"Type\"");
    EXPECT_EQ(csvLines[3].substr(0, self.size() + 25), L"\"" + self + L"\",\"HKEY_LOCAL_MACHINE\",\"");
}

TEST(FindComputers, StoppingEndsEveryWorkerAndKeepsWhatWasFound) {
    findtest::FindTree tree(HKEY_CURRENT_USER, kTreePath);
    ParsedCommandLine parsed = ParseFindArguments({L"--look-in", tree.LookIn(L"HKCU"), L"--mode", L"all"});
    RequestOutcome outcome = BuildSearchRequest(parsed.options->form);
    ASSERT_TRUE(outcome.Accepted());
    std::vector<ComputerSearch> computers;
    for (int i = 0; i < 6; ++i) {
        computers.push_back({L"", *outcome.request, nullptr, false});
    }
    LogFile log;
    // Every registry call waits 100 ms: a search of the tree takes seconds, stopped after the first second.
    FleetSearch search(std::move(computers), 2, log, DelayedRegistry(100));
    int reports = 0;
    const DWORD start = GetTickCount();
    search.Run([&](const FleetProgress& progress) {
        ++reports;
        EXPECT_EQ(progress.computers, 6u);
        search.StopAll();
    });
    DelayedRegistry(0);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(search.Stopped());
    size_t started = 0;
    for (ComputerSearch& computer : search.Computers()) {
        started += computer.searched;
        EXPECT_EQ(computer.engine->GetHandle(), nullptr) << "no worker is left running";
    }
    EXPECT_EQ(started, 2u) << "no search starts after the stop";
}
