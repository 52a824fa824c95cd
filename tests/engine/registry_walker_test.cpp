#include "registry_tree.h"

#include "engine/matchers.h"
#include "base/settings.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace walktest;

const std::wstring kBase = L"Software\\QuillonTestWalk";

class Walker : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetProgramKey(); }
    void TearDown() override { testsupport::ResetProgramKey(); }
    CKeldraThread engine;
};

TEST_F(Walker, PreOrderValuesFirstAndTheStartKeyNameIsNeverMatched) {
    ScratchKey root(kBase + L"\\mOrder");
    HKEY k = root.Get();
    SetString(k, L"", L"m1", L"x");
    SetString(k, L"mA", L"m2", L"x");
    SetString(k, L"mA\\mA1", L"m3", L"x");
    SetString(k, L"mB", L"m4", L"x");
    Prepare(engine, root.LookIn(), L"m", SM_FIND_STRING);
    engine.Run();

    const std::wstring p = root.Path();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L":m1", p + L"\\mA", p + L"\\mA:m2", p + L"\\mA\\mA1",
                                                        p + L"\\mA\\mA1:m3", p + L"\\mB", p + L"\\mB:m4"}));
    EXPECT_EQ(engine.keysSearched, 4);
    EXPECT_EQ(engine.keyMatches, 3u);
    EXPECT_EQ(engine.valueNameMatches, 4u);
    EXPECT_EQ(engine.dataMatches, 0u);
    const SearchResult& key = engine.results[1];
    EXPECT_EQ(key.root, HKEY_CURRENT_USER);
    EXPECT_EQ(key.kind, static_cast<DWORD>(RK_KEY | RK_KEY_NAME));
    EXPECT_EQ(key.keyMarkup, p + L"\\<font color=#007f22>m</font>A");
    EXPECT_NE(key.lastWrite.dwHighDateTime, 0u);
    EXPECT_EQ(engine.results[2].nameMarkup, L"<font color=#df0000>m</font>2");
    EXPECT_EQ(engine.results[2].dataMarkup, L"x");
    EXPECT_TRUE(SearchLog().empty());
}

TEST_F(Walker, KeyDirectlyUnderAHiveHasNoLeadingBackslashAndStaysOutOfTheKeyTree) {
    ScratchKey top(L"QuillonHiveTopZq7");
    SetString(top.Get(), L"", L"QuillonHiveTopZq7Value", L"x");
    engine.keyTreeOn = TRUE;
    Prepare(engine, L"HKCU", L"QuillonHiveTopZq7", SM_FIND_STRING);
    engine.Run();

    ASSERT_EQ(engine.results.size(), 2u);
    EXPECT_EQ(engine.results[0].keyPath, L"QuillonHiveTopZq7");
    EXPECT_EQ(engine.results[0].keyMarkup, L"<font color=#007f22>QuillonHiveTopZq7</font>");
    // The key's own value puts it in the tree; its match as a key name alone would not.
    EXPECT_EQ(engine.keyTree.count(L"HKEY_CURRENT_USER\\QuillonHiveTopZq7"), 1u);
    EXPECT_EQ(engine.keyTree[L"HKEY_CURRENT_USER\\QuillonHiveTopZq7"], 2);
    engine.options = SO_KEYS;
    engine.Run();
    ASSERT_EQ(engine.results.size(), 1u);
    EXPECT_TRUE(engine.keyTree.empty());
}

TEST_F(Walker, ExcludedKeysAreNotEnteredButStillMatchByName) {
    ScratchKey root(kBase + L"\\Excl");
    SetString(root.Get(), L"mSkip", L"mInside", L"x");
    SetString(root.Get(), L"mSkip\\Deeper", L"mDeeper", L"x");
    SetString(root.Get(), L"mKeep", L"mv", L"x");
    const std::wstring p = root.Path();

    Prepare(engine, root.LookIn(), L"m", SM_FIND_STRING);
    engine.SetExcludeKeys(L"HKCU\\" + p + L"\\MSKIP");
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L"\\mKeep", p + L"\\mKeep:mv", p + L"\\mSkip"}));
    EXPECT_EQ(engine.keysSearched, 2) << "the excluded key is not counted";

    // Another hive with the same path excludes nothing here.
    engine.SetExcludeKeys(L"HKLM\\" + p + L"\\mSkip");
    engine.Run();
    EXPECT_EQ(engine.results.size(), 5u);

    // A trailing backslash never equals a walked path.
    engine.SetExcludeKeys(L"HKCU\\" + p + L"\\mSkip\\");
    engine.Run();
    EXPECT_EQ(engine.results.size(), 5u);

    // Excluding the start key itself: nothing is searched.
    engine.SetExcludeKeys(L"HKCU\\" + p);
    engine.Run();
    EXPECT_TRUE(engine.results.empty());
    EXPECT_EQ(engine.keysSearched, 0);
}

TEST_F(Walker, DateRangePrunesWholeSubTrees) {
    ScratchKey root(kBase + L"\\Dates");
    SetString(root.Get(), L"mOld\\mChild", L"mv", L"x");
    Sleep(60);
    FILETIME middle;
    GetSystemTimeAsFileTime(&middle);
    Sleep(60);
    SetString(root.Get(), L"mNew", L"mv", L"x");
    // The old key's child changes after the bound, the old key itself does not.
    SetString(root.Get(), L"mOld\\mChild", L"mLate", L"x");
    const std::wstring p = root.Path();

    Prepare(engine, root.LookIn(), L"m", SM_FIND_STRING);
    engine.modifiedAfterOn = TRUE;
    engine.modifiedAfter = middle;
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L"\\mNew", p + L"\\mNew:mv"}));

    engine.modifiedAfterOn = FALSE;
    engine.modifiedBeforeOn = TRUE;
    engine.modifiedBefore = middle;
    engine.Run();
    // The start key was changed after the bound: its own values would be skipped, but its sub-keys are still
    // tested one by one.
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L"\\mOld"}));
}

TEST_F(Walker, TypeAndLengthFilters) {
    ScratchKey root(kBase + L"\\Filters");
    HKEY k = root.Get();
    SetString(k, L"", L"vString", L"abc");               // 8 bytes
    SetDword(k, L"", L"vDword", 7);                      // 4 bytes
    SetString(k, L"", L"vLong", std::wstring(20, L'l')); // 42 bytes
    SetValue(k, L"", L"vEmpty", REG_BINARY, nullptr, 0);
    const std::wstring p = root.Path();

    Prepare(engine, root.LookIn(), L"v", SM_FIND_STRING);
    engine.typeMask = 1u << REG_DWORD;
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L":vDword"}));

    engine.typeMask = 0xFFFFFFFF;
    engine.lengthFilterOn = TRUE;
    engine.minLength = 4;
    engine.maxLength = 8;
    engine.Run();
    std::vector<std::wstring> found = Found(engine);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::wstring>{p + L":vDword", p + L":vString"}));

    engine.maxLength = 0; // no upper bound
    engine.minLength = 10;
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L":vLong"}));
}

void FillValues(HKEY key, int count) {
    for (int i = 0; i < count; ++i) {
        SetDword(key, L"", L"lim" + std::to_wstring(i), static_cast<DWORD>(i));
    }
}

TEST_F(Walker, ResultLimitFromTheSettings) {
    ScratchKey root(kBase + L"\\Limit");
    FillValues(root.Get(), 300);
    Prepare(engine, root.LookIn(), L"lim", SM_FIND_STRING);

    WriteSettingDword(kSettingsSubKey, kStopLimit, 150);
    engine.Run();
    EXPECT_EQ(engine.results.size(), 150u);
    EXPECT_GE(engine.valueNameMatches, 150u);
    EXPECT_LE(engine.valueNameMatches, 151u);

    WriteSettingDword(kSettingsSubKey, kStopLimit, 50);
    engine.Run();
    EXPECT_EQ(engine.results.size(), 100u) << "a limit below 100 counts as 100";

    WriteSettingDword(kSettingsSubKey, kStopSearchOnLimit, 0);
    engine.Run();
    EXPECT_EQ(engine.results.size(), 300u);
}

TEST_F(Walker, LimitAlsoStopsTheKeyWalk) {
    ScratchKey root(kBase + L"\\KeyLimit");
    for (int i = 0; i < 120; ++i) {
        CreateKey(root.Get(), L"limkey" + std::to_wstring(1000 + i));
    }
    WriteSettingDword(kSettingsSubKey, kStopLimit, 100);
    Prepare(engine, root.LookIn(), L"limkey", SM_FIND_STRING);
    engine.Run();
    EXPECT_EQ(engine.results.size(), 100u);
    EXPECT_EQ(engine.keyMatches, 100u);
}

TEST_F(Walker, KeyTreeFlagsForKeysWithResultsAndTheirAncestors) {
    ScratchKey root(kBase + L"\\Tree");
    SetString(root.Get(), L"K1\\K2", L"treeValue", L"x");
    CreateKey(root.Get(), L"K3\\treeKey");
    engine.keyTreeOn = TRUE;
    Prepare(engine, root.LookIn(), L"tree", SM_FIND_STRING);
    engine.Run();

    const std::wstring full = L"HKEY_CURRENT_USER\\" + root.Path();
    std::map<std::wstring, int> expected = {
        {L"HKEY_CURRENT_USER", 1},
        {L"HKEY_CURRENT_USER\\Software", 1},
        {L"HKEY_CURRENT_USER\\Software\\QuillonTestWalk", 1},
        {full, 1},
        {full + L"\\K1", 1},
        {full + L"\\K1\\K2", 2},
        {full + L"\\K3", 1},
        {full + L"\\K3\\treeKey", 2},
    };
    EXPECT_EQ(engine.keyTree, expected);

    engine.keyTreeOn = FALSE;
    engine.Run();
    EXPECT_TRUE(engine.keyTree.empty());
    EXPECT_EQ(engine.results.size(), 2u);
}

TEST_F(Walker, AddToKeyTreeJoinsNonEmptyComponents) {
    engine.keyTreeOn = TRUE;
    engine.AddToKeyTree(L"HKEY_USERS\\a\\\\b\\\\");
    EXPECT_EQ(engine.keyTree,
              (std::map<std::wstring, int>{{L"HKEY_USERS", 1}, {L"HKEY_USERS\\a", 1}, {L"HKEY_USERS\\a\\\\b", 2}}));
    engine.AddToKeyTree(L"HKEY_USERS\\a");
    EXPECT_EQ(engine.keyTree[L"HKEY_USERS\\a"], 3);
}

TEST_F(Walker, ValueNameTooLongIsLoggedAndSkipped) {
    ScratchKey root(kBase + L"\\LongName");
    const std::wstring longName = L"long" + std::wstring(296, L'n');
    SetString(root.Get(), L"", longName, L"x");
    SetString(root.Get(), L"", L"longShort", L"x");
    ASSERT_EQ(RegQueryValueExW(root.Get(), longName.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    Prepare(engine, root.LookIn(), L"long", SM_FIND_STRING);
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":longShort"}));
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"RegEnumValue error 234: " + Narrow(root.Path())}));
}

TEST_F(Walker, MissingLookInPathIsLogged) {
    Prepare(engine, L"HKCU\\" + kBase + L"\\NoSuchKey\\\\; HKCU\\" + kBase + L"\\Also Missing", L"x", SM_FIND_STRING);
    engine.Run();
    EXPECT_TRUE(engine.results.empty());
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"Unable to open key:" + Narrow(kBase) + "\\NoSuchKey",
                                                          "Unable to open key:" + Narrow(kBase) + "\\Also Missing"}));
}

TEST_F(Walker, RemoteSearchThroughThisComputersOwnName) {
    ScratchKey root(kBase + L"\\Remote");
    SetString(root.Get(), L"", L"remoteValue", L"x");
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));

    Prepare(engine, root.LookIn(), L"remote", SM_FIND_STRING);
    engine.remoteComputer = name;
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":remoteValue"}));

    HKEY unused = nullptr;
    EXPECT_EQ(RegConnectRegistryW(L"QuillonNoSuchHost", HKEY_CURRENT_USER, &unused), ERROR_BAD_NETPATH);
    engine.remoteComputer = L"QuillonNoSuchHost";
    engine.Run();
    EXPECT_TRUE(engine.results.empty());
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"Unable to open key:" + Narrow(root.Path())}));
}

TEST_F(Walker, CaseOptionSetAfterTheSearchStringIsHonoured) {
    ScratchKey root(kBase + L"\\Case");
    SetString(root.Get(), L"", L"mixed1", L"x");
    SetString(root.Get(), L"", L"MIXED2", L"x");
    Prepare(engine, root.LookIn(), L"MI+XED", SM_REGEX);
    engine.Run();
    EXPECT_EQ(engine.results.size(), 2u);
    engine.options |= SO_MATCH_CASE;
    engine.Run();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":MIXED2"}));
}

TEST_F(Walker, DataTooLongForARegularExpressionIsLoggedNotSearched) {
    ScratchKey root(kBase + L"\\LongData");
    SetString(root.Get(), L"", L"big", std::wstring(kRegexCandidateLimit + 10, L'q') + L"end");
    SetString(root.Get(), L"", L"small", L"qqend");
    Prepare(engine, root.LookIn(), L"q(q)+end", SM_REGEX);
    ASSERT_TRUE(engine.Start());
    WaitForSingleObject(engine.GetHandle(), INFINITE);
    engine.Stop();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":small"}));
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"Value data too long for a regular expression search: " +
                                                          Narrow(root.Path()) + "\\big"}));
    // A wildcard search takes data of any length.
    Prepare(engine, root.LookIn(), L"q*end", SM_WILDCARD);
    engine.ResetStopEvent(); // left set by Stop; Start would clear it
    engine.Run();
    EXPECT_EQ(engine.results.size(), 2u);
}

// Runs the engine's search on a thread whose stack is far too small for one frame with two 260-character
// name buffers per level of a 512-level tree.
DWORD WINAPI RunOnSmallStack(void* parameter) {
    return static_cast<CKeldraThread*>(parameter)->Run();
}

TEST_F(Walker, DeepTreesDoNotNeedStackPerLevel) {
    ScratchKey root(kBase + L"\\Deep");
    HKEY parent = nullptr;
    RegOpenKeyExW(root.Get(), nullptr, 0, KEY_ALL_ACCESS, &parent);
    for (int level = 0; level < 512 && parent; ++level) {
        HKEY child = nullptr;
        RegCreateKeyExW(parent, level == 511 ? L"deepest" : L"d", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                        nullptr);
        RegCloseKey(parent);
        parent = child;
    }
    ASSERT_NE(parent, nullptr);
    RegCloseKey(parent);

    Prepare(engine, root.LookIn(), L"deepest", SM_FIND_STRING);
    HANDLE thread =
        CreateThread(nullptr, 256 * 1024, &RunOnSmallStack, &engine, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    CloseHandle(thread);
    ASSERT_EQ(engine.results.size(), 1u);
    EXPECT_EQ(engine.keysSearched, 513);
    std::wstring expected = root.Path();
    for (int level = 0; level < 511; ++level) {
        expected += L"\\d";
    }
    EXPECT_EQ(engine.results[0].keyPath, expected + L"\\deepest");
    EXPECT_TRUE(SearchLog().empty());
}

} // namespace
