// A search over a kept snapshot must find exactly what a live walk finds, also after another process has
// changed, added and deleted keys and values: the snapshot is refreshed from its change notification.
#include "registry_tree.h"

#include "engine/snapshot_registry.h"
#include "engine/snapshot_shelf.h"
#include "base/settings.h"
#include "tests/common/file_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace walktest;

const std::wstring kBase = L"Software\\QuillonTestInstant";

struct Mode {
    DWORD mode;
    const wchar_t* text;
    DWORD options;
};

const Mode kModes[] = {
    {SM_FIND_STRING, L"a1", SO_KEYS | SO_VALUES | SO_DATA},
    {SM_WHOLE_STRING, L"b0", SO_KEYS | SO_VALUES | SO_DATA},
    {SM_WILDCARD, L"*1?b*", SO_KEYS | SO_VALUES | SO_DATA | SO_MATCH_CASE},
    {SM_REGEX, L"^[ab]+0", SO_KEYS | SO_VALUES | SO_DATA},
    {SM_HEX, L"61 00", 0},
    {SM_INTEGER, L"7", 0},
    {SM_ALL_ITEMS, L"", 0},
};

std::wstring Describe(const SearchResult& r) {
    std::wstring text = RootKeyName(r.root) + L"\\" + r.KeyPath() + L"|" + r.valueName + L"|" + r.dataText;
    for (std::uint64_t n :
         {std::uint64_t{r.kind}, std::uint64_t{r.type}, std::uint64_t{r.dataSize}, r.number,
          std::uint64_t{static_cast<unsigned>(r.dataDisplay)}, std::uint64_t{r.nameMark.position},
          std::uint64_t{r.nameMark.length}, std::uint64_t{r.dataMark.position}, std::uint64_t{r.dataMark.length},
          std::uint64_t{r.lastWrite.dwLowDateTime}, std::uint64_t{r.lastWrite.dwHighDateTime}}) {
        text += L"|" + std::to_wstring(n);
    }
    return text + L"|" + (r.keptMarkup ? *r.keptMarkup : L"");
}

// Everything a search leaves behind: results, counters, key tree and the problems it logged.
std::vector<std::wstring> Outcome(CKeldraThread& engine, const Mode& m, const RegistryApi& registry,
                                  const std::wstring& lookIn = L"HKCU\\" + kBase, bool keepSnapshots = false) {
    SearchRequest request;
    request.registry = &registry;
    request.keepSnapshots = keepSnapshots;
    request.keyTreeOn = TRUE;
    Prepare(request, lookIn, m.text, m.mode, m.options);
    engine.RunHere(std::move(request));
    std::vector<std::wstring> outcome;
    for (const SearchResult& r : Records(engine)) {
        outcome.push_back(Describe(r));
    }
    const ResultsStore& store = engine.Results();
    for (const auto& [path, flags] : store.KeyTree()) {
        outcome.push_back(L"tree " + path + L" " + std::to_wstring(flags));
    }
    const MatchCounts matches = store.Matches();
    outcome.push_back(L"counts " + std::to_wstring(store.KeysSearched()) + L" " + std::to_wstring(matches.keys) +
                      L" " + std::to_wstring(matches.valueNames) + L" " + std::to_wstring(matches.data));
    for (const std::string& line : SearchLogLines()) {
        outcome.push_back(std::wstring(line.begin(), line.end()));
    }
    return outcome;
}

// Random edits of the tree, written as one registry script for reg.exe; keys holds the paths below kBase.
class Editor {
public:
    explicit Editor(unsigned seed) : random_(seed) {}
    std::vector<std::wstring> keys{L""};

    std::wstring Text() { return std::wstring(L"ab01").substr(Pick(4), 1) + std::to_wstring(Pick(3)) + L"b"; }

    std::wstring ValueLine() {
        std::wstring line = L"\"v" + std::to_wstring(Pick(6)) + L"\"=";
        switch (Pick(3)) {
        case 0:
            return line + L"\"" + Text() + L"\"";
        case 1:
            return line + L"dword:0000000" + std::to_wstring(Pick(10));
        default:
            return line + L"hex:61,00," + std::to_wstring(10 + Pick(80));
        }
    }

    // A script of a few random additions, changes and deletions; the model of key paths follows it.
    std::wstring Script(int edits, bool onlyAdd = false) {
        std::wstring script = L"Windows Registry Editor Version 5.00\r\n\r\n";
        const std::wstring top = L"HKEY_CURRENT_USER\\" + kBase;
        for (int i = 0; i < edits; ++i) {
            const std::wstring key = keys[Pick(keys.size())];
            const std::wstring full = top + (key.empty() ? L"" : L"\\" + key);
            const unsigned what = onlyAdd ? 1 : Pick(4);
            if (what == 0 && !key.empty()) {
                script += L"[-" + full + L"]\r\n\r\n";
                std::erase_if(keys, [&](const std::wstring& k) { return k == key || k.starts_with(key + L"\\"); });
            } else if (what == 1) {
                const std::wstring child = Text() + std::to_wstring(serial_++);
                keys.push_back(key.empty() ? child : key + L"\\" + child);
                script += L"[" + full + L"\\" + child + L"]\r\n" + ValueLine() + L"\r\n\r\n";
            } else {
                script += L"[" + full + L"]\r\n" + ValueLine() + L"\r\n" + L"\"v" + std::to_wstring(Pick(6)) +
                          L"\"=-\r\n\r\n";
            }
        }
        return script;
    }

private:
    unsigned Pick(size_t count) { return static_cast<unsigned>(random_() % count); }
    std::mt19937 random_;
    int serial_ = 0;
};

void Import(const filetest::ScratchFolder& folder, const std::wstring& script) {
    const std::wstring path = folder.File(L"edits.reg");
    const std::string bytes = filetest::Utf16Bytes(script);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(testsupport::RunReg(L"import \"" + path + L"\" /reg:64"), 0u) << script;
}

TEST(SnapshotSearch, EqualsTheLiveWalkInEveryModeAfterChangesFromAnotherProcess) {
    testsupport::ResetProgramKey();
    ScratchKey root(kBase);
    Editor editor(20261209);
    filetest::ScratchFolder folder;
    Import(folder, editor.Script(60, true));
    // A value name too long for the walker's buffer is logged and skipped, by both.
    SetString(root.Get(), L"", std::wstring(300, L'a'), L"long");

    std::wstring failure;
    std::unique_ptr<RegistrySnapshot> snapshot =
        RegistrySnapshot::Take(HKEY_CURRENT_USER, kBase, SnapshotBudgetBytes(), failure);
    ASSERT_TRUE(snapshot) << Narrow(failure);
    ASSERT_FALSE(snapshot->IsChanged());
    const std::vector<const RegistrySnapshot*> reading{snapshot.get()};
    SnapshotReading scope(reading);

    for (int round = 0; round < 4; ++round) {
        if (round > 0) {
            Import(folder, editor.Script(6));
            ASSERT_EQ(WaitForSingleObject(snapshot->ChangeEvent(), 10000), WAIT_OBJECT_0);
            ASSERT_TRUE(snapshot->Refresh(failure)) << Narrow(failure);
            EXPECT_LT(snapshot->KeysRead(), snapshot->KeyCount() / 2) << "a refresh reads only what changed";
        }
        for (const Mode& m : kModes) {
            CKeldraThread live;
            CKeldraThread kept;
            const std::vector<std::wstring> expected = Outcome(live, m, kAdvapiRegistry);
            EXPECT_EQ(Outcome(kept, m, kSnapshotRegistry), expected) << "round " << round << " mode " << m.mode;
            EXPECT_GT(expected.size(), 1u);
        }
    }
    EXPECT_FALSE(RegistrySnapshot::Take(HKEY_CURRENT_USER, kBase, 4096, failure)) << "over the budget";
    EXPECT_FALSE(RegistrySnapshot::Take(HKEY_CURRENT_USER, kBase + L"\\Missing", 1 << 20, failure));
}

// The engine keeps the snapshot of a searched location itself, read after the search that walked it, and
// runs the next search over it, the same process's own writes included; over the memory budget it walks
// the registry and the search log says so.
TEST(SnapshotSearch, EngineKeepsSnapshotsBetweenSearchesWithinTheBudget) {
    testsupport::ResetProgramKey();
    TheSnapshotShelf().Clear();
    const std::wstring path = kBase + L"\\Kept";
    ScratchKey root(path);
    SetString(root.Get(), L"a1", L"v", L"a1 b0");
    SetDword(root.Get(), L"a1\\b0", L"n", 7);
    CKeldraThread kept;
    for (int round = 0; round < 3; ++round) {
        if (round == 1) {
            SetString(root.Get(), L"a1\\new", L"a1", L"x");
        }
        if (round == 2) {
            testsupport::DeleteKey(path + L"\\a1\\b0");
        }
        CKeldraThread live;
        EXPECT_EQ(Outcome(kept, kModes[0], kAdvapiRegistry, L"HKCU\\" + path, true),
                  Outcome(live, kModes[0], kAdvapiRegistry, L"HKCU\\" + path));
        EXPECT_EQ(kept.SearchedSnapshot(), round > 0) << "the first search walks, its snapshot is read after it";
        TheSnapshotShelf().FinishReading();
    }
    // A location with a key whose values cannot be read (Wine serves Perflib\009 specially) is kept all the
    // same; a walk over it meets that key's failure as the registry walk does, also after a refresh.
    const std::wstring perflib = L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib";
    KeyHandle machine;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, perflib.c_str() + 5, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, machine.Receive()),
        ERROR_SUCCESS);
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            SetString(machine.Get(), L"", L"QuillonTestRefresh", L"a1");
        }
        CKeldraThread live;
        const std::vector<std::wstring> expected = Outcome(live, kModes[6], kAdvapiRegistry, perflib);
        EXPECT_EQ(Outcome(kept, kModes[6], kAdvapiRegistry, perflib, true), expected);
        EXPECT_EQ(kept.SearchedSnapshot(), round > 0) << SearchLog();
        TheSnapshotShelf().FinishReading();
        EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                                [](const std::wstring& line) { return line.find(L" error ") != std::wstring::npos; }));
    }
    RegDeleteValueW(machine.Get(), L"QuillonTestRefresh");
    WriteSetting(kSnapshotBudgetSetting, 1);
    TheSnapshotShelf().Clear();
    Outcome(kept, kModes[0], kAdvapiRegistry, L"HKCU\\" + path, true);
    TheSnapshotShelf().FinishReading();
    // The read after the search failed: the next search tells why it walks the registry again.
    Outcome(kept, kModes[0], kAdvapiRegistry, L"HKCU\\" + path, true);
    EXPECT_FALSE(kept.SearchedSnapshot());
    EXPECT_NE(SearchLog().find("over the memory budget"), std::string::npos) << SearchLog();
    testsupport::ResetProgramKey();
}

} // namespace
