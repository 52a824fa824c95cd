#include "registry_tree.h"

#include "engine/matchers.h"
#include "engine/result_markup.h"
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
    SearchRequest request;
};

TEST_F(Walker, PreOrderValuesFirstAndTheStartKeyNameIsNeverMatched) {
    ScratchKey root(kBase + L"\\mOrder");
    HKEY k = root.Get();
    SetString(k, L"", L"m1", L"x");
    SetString(k, L"mA", L"m2", L"x");
    SetString(k, L"mA\\mA1", L"m3", L"x");
    SetString(k, L"mB", L"m4", L"x");
    Prepare(request, root.LookIn(), L"m", SM_FIND_STRING);
    RunSearch(engine, request);

    const std::wstring p = root.Path();
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L":m1", p + L"\\mA", p + L"\\mA:m2", p + L"\\mA\\mA1",
                                                        p + L"\\mA\\mA1:m3", p + L"\\mB", p + L"\\mB:m4"}));
    EXPECT_EQ(engine.Results().KeysSearched(), 4);
    EXPECT_EQ(engine.Results().Matches().keys, 3u);
    EXPECT_EQ(engine.Results().Matches().valueNames, 4u);
    EXPECT_EQ(engine.Results().Matches().data, 0u);
    const SearchResult key = Records(engine)[1];
    EXPECT_EQ(key.root, HKEY_CURRENT_USER);
    EXPECT_EQ(key.kind, static_cast<DWORD>(RK_KEY | RK_KEY_NAME));
    EXPECT_EQ(KeyMarkup(key), p + L"\\<font color=#007f22>m</font>A");
    EXPECT_NE(key.lastWrite.dwHighDateTime, 0u);
    EXPECT_EQ(NameMarkup(Records(engine)[2]), L"<font color=#df0000>m</font>2");
    EXPECT_EQ(DataMarkup(Records(engine)[2]), L"x");
    EXPECT_TRUE(SearchLogLines().empty());
}

// Results keep one copy of a key's path however many of its values match: a whole registry's results would
// otherwise hold each path once per value.
TEST_F(Walker, ResultsOfOneKeyShareItsPath) {
    ScratchKey root(kBase + L"\\mShare");
    HKEY k = root.Get();
    SetString(k, L"mA", L"m1", L"x");
    SetString(k, L"mA", L"m2", L"x");
    SetString(k, L"mB", L"m3", L"x");
    Prepare(request, root.LookIn(), L"m", SM_FIND_STRING);
    RunSearch(engine, request);

    const std::wstring p = root.Path();
    ASSERT_EQ(Found(engine),
              (std::vector<std::wstring>{p + L"\\mA", p + L"\\mA:m1", p + L"\\mA:m2", p + L"\\mB", p + L"\\mB:m3"}));
    const auto& r = Records(engine);
    EXPECT_EQ(r[0].SharedKeyPath(), r[1].SharedKeyPath()) << "the key's own result and its values";
    EXPECT_EQ(r[1].SharedKeyPath(), r[2].SharedKeyPath());
    EXPECT_NE(r[2].SharedKeyPath(), r[3].SharedKeyPath());
    EXPECT_EQ(r[4].KeyPath(), r[3].KeyPath());
    EXPECT_EQ(KeyMarkup(r[3]), p + L"\\<font color=#007f22>m</font>B");
}

TEST_F(Walker, KeyDirectlyUnderAHiveHasNoLeadingBackslashAndStaysOutOfTheKeyTree) {
    ScratchKey top(L"QuillonHiveTopZq7");
    SetString(top.Get(), L"", L"QuillonHiveTopZq7Value", L"x");
    request.keyTreeOn = TRUE;
    Prepare(request, L"HKCU", L"QuillonHiveTopZq7", SM_FIND_STRING);
    RunSearch(engine, request);

    ASSERT_EQ(Records(engine).size(), 2u);
    EXPECT_EQ(Records(engine)[0].KeyPath(), L"QuillonHiveTopZq7");
    EXPECT_EQ(KeyMarkup(Records(engine)[0]), L"<font color=#007f22>QuillonHiveTopZq7</font>");
    // The key's own value puts it in the tree; its match as a key name alone would not.
    EXPECT_EQ(engine.Results().KeyTree().count(L"HKEY_CURRENT_USER\\QuillonHiveTopZq7"), 1u);
    EXPECT_EQ(engine.Results().KeyTree().at(L"HKEY_CURRENT_USER\\QuillonHiveTopZq7"), 2);
    request.options = SO_KEYS;
    RunSearch(engine, request);
    ASSERT_EQ(Records(engine).size(), 1u);
    EXPECT_TRUE(engine.Results().KeyTree().empty());
}

TEST_F(Walker, ExcludedKeysAreNotEnteredButStillMatchByName) {
    ScratchKey root(kBase + L"\\Excl");
    SetString(root.Get(), L"mSkip", L"mInside", L"x");
    SetString(root.Get(), L"mSkip\\Deeper", L"mDeeper", L"x");
    SetString(root.Get(), L"mKeep", L"mv", L"x");
    const std::wstring p = root.Path();

    Prepare(request, root.LookIn(), L"m", SM_FIND_STRING);
    ParseKeyList(L"HKCU\\" + p + L"\\MSKIP", request.excludeKeys);
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L"\\mKeep", p + L"\\mKeep:mv", p + L"\\mSkip"}));
    EXPECT_EQ(engine.Results().KeysSearched(), 2) << "the excluded key is not counted";

    // Another hive with the same path excludes nothing here.
    ParseKeyList(L"HKLM\\" + p + L"\\mSkip", request.excludeKeys);
    RunSearch(engine, request);
    EXPECT_EQ(Records(engine).size(), 5u);

    // A trailing backslash never equals a walked path.
    ParseKeyList(L"HKCU\\" + p + L"\\mSkip\\", request.excludeKeys);
    RunSearch(engine, request);
    EXPECT_EQ(Records(engine).size(), 5u);

    // Excluding the start key itself: nothing is searched.
    ParseKeyList(L"HKCU\\" + p, request.excludeKeys);
    RunSearch(engine, request);
    EXPECT_TRUE(Records(engine).empty());
    EXPECT_EQ(engine.Results().KeysSearched(), 0);
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

    Prepare(request, root.LookIn(), L"m", SM_FIND_STRING);
    request.modifiedAfterOn = TRUE;
    request.modifiedAfter = middle;
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L"\\mNew", p + L"\\mNew:mv"}));

    request.modifiedAfterOn = FALSE;
    request.modifiedBeforeOn = TRUE;
    request.modifiedBefore = middle;
    RunSearch(engine, request);
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

    Prepare(request, root.LookIn(), L"v", SM_FIND_STRING);
    request.typeMask = 1u << REG_DWORD;
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L":vDword"}));

    request.typeMask = 0xFFFFFFFF;
    request.lengthFilterOn = TRUE;
    request.minLength = 4;
    request.maxLength = 8;
    RunSearch(engine, request);
    std::vector<std::wstring> found = Found(engine);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::wstring>{p + L":vDword", p + L":vString"}));

    request.maxLength = 0; // no upper bound
    request.minLength = 10;
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{p + L":vLong"}));
}

void FillValues(HKEY key, int count) {
    for (int i = 0; i < count; ++i) {
        SetDword(key, L"", L"lim" + std::to_wstring(i), static_cast<DWORD>(i));
    }
}

TEST_F(Walker, ResultLimitOfTheRequest) {
    ScratchKey root(kBase + L"\\Limit");
    FillValues(root.Get(), 300);
    Prepare(request, root.LookIn(), L"lim", SM_FIND_STRING);

    request.resultLimit = 150;
    RunSearch(engine, request);
    EXPECT_EQ(Records(engine).size(), 150u);
    EXPECT_GE(engine.Results().Matches().valueNames, 150u);
    EXPECT_LE(engine.Results().Matches().valueNames, 151u);

    request.resultLimit = 0;
    RunSearch(engine, request);
    EXPECT_EQ(Records(engine).size(), 300u);
}

TEST_F(Walker, LimitAlsoStopsTheKeyWalk) {
    ScratchKey root(kBase + L"\\KeyLimit");
    for (int i = 0; i < 120; ++i) {
        CreateKey(root.Get(), L"limkey" + std::to_wstring(1000 + i));
    }
    request.resultLimit = 100;
    Prepare(request, root.LookIn(), L"limkey", SM_FIND_STRING);
    RunSearch(engine, request);
    EXPECT_EQ(Records(engine).size(), 100u);
    EXPECT_EQ(engine.Results().Matches().keys, 100u);
}

TEST_F(Walker, KeyTreeFlagsForKeysWithResultsAndTheirAncestors) {
    ScratchKey root(kBase + L"\\Tree");
    SetString(root.Get(), L"K1\\K2", L"treeValue", L"x");
    CreateKey(root.Get(), L"K3\\treeKey");
    request.keyTreeOn = TRUE;
    Prepare(request, root.LookIn(), L"tree", SM_FIND_STRING);
    RunSearch(engine, request);

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
    EXPECT_EQ(engine.Results().KeyTree(), expected);

    request.keyTreeOn = FALSE;
    RunSearch(engine, request);
    EXPECT_TRUE(engine.Results().KeyTree().empty());
    EXPECT_EQ(Records(engine).size(), 2u);
}

TEST_F(Walker, KeyMapJoinsNonEmptyComponents) {
    ResultsStore store;
    store.MarkKeyWithResults(L"HKEY_USERS\\a\\\\b\\\\");
    EXPECT_EQ(store.KeyTree(),
              (std::map<std::wstring, int>{{L"HKEY_USERS", 1}, {L"HKEY_USERS\\a", 1}, {L"HKEY_USERS\\a\\\\b", 2}}));
    store.MarkKeyWithResults(L"HKEY_USERS\\a");
    EXPECT_EQ(store.KeyTree().at(L"HKEY_USERS\\a"), 3);
}

TEST_F(Walker, ValueNameTooLongIsLoggedAndSkipped) {
    ScratchKey root(kBase + L"\\LongName");
    const std::wstring longName = L"long" + std::wstring(296, L'n');
    SetString(root.Get(), L"", longName, L"x");
    SetString(root.Get(), L"", L"longShort", L"x");
    ASSERT_EQ(RegQueryValueExW(root.Get(), longName.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

    Prepare(request, root.LookIn(), L"long", SM_FIND_STRING);
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":longShort"}));
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"RegEnumValue error 234: " + Narrow(root.Path())}));
}

TEST_F(Walker, MissingLookInPathIsLogged) {
    Prepare(request, L"HKCU\\" + kBase + L"\\NoSuchKey\\\\; HKCU\\" + kBase + L"\\Also Missing", L"x", SM_FIND_STRING);
    RunSearch(engine, request);
    EXPECT_TRUE(Records(engine).empty());
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"Unable to open key:" + Narrow(kBase) + "\\NoSuchKey",
                                                          "Unable to open key:" + Narrow(kBase) + "\\Also Missing"}));
}

TEST_F(Walker, RemoteSearchThroughThisComputersOwnName) {
    ScratchKey root(kBase + L"\\Remote");
    SetString(root.Get(), L"", L"remoteValue", L"x");
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(name, &size));

    Prepare(request, root.LookIn(), L"remote", SM_FIND_STRING);
    request.remoteComputer = name;
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":remoteValue"}));

    HKEY unused = nullptr;
    EXPECT_EQ(RegConnectRegistryW(L"QuillonNoSuchHost", HKEY_CURRENT_USER, &unused), ERROR_BAD_NETPATH);
    request.remoteComputer = L"QuillonNoSuchHost";
    RunSearch(engine, request);
    EXPECT_TRUE(Records(engine).empty());
    EXPECT_EQ(SearchLogLines(), (std::vector<std::string>{"Unable to open key:" + Narrow(root.Path())}));
}

TEST_F(Walker, CaseOptionSetAfterTheSearchStringIsHonoured) {
    ScratchKey root(kBase + L"\\Case");
    SetString(root.Get(), L"", L"mixed1", L"x");
    SetString(root.Get(), L"", L"MIXED2", L"x");
    Prepare(request, root.LookIn(), L"MI+XED", SM_REGEX);
    RunSearch(engine, request);
    EXPECT_EQ(Records(engine).size(), 2u);
    request.options |= SO_MATCH_CASE;
    RunSearch(engine, request);
    EXPECT_EQ(Found(engine), (std::vector<std::wstring>{root.Path() + L":MIXED2"}));
}

// Fault guarded against: values longer than 32,768 characters (or bytes) were never searched by a regular
// expression or a wildcard pattern, and the user was not told; the find-string mode found them.
TEST_F(Walker, ValuesOfAnyLengthMatchInEveryModeThatLooksAtData) {
    ScratchKey root(kBase + L"\\LongData");
    const std::wstring p = root.Path();
    SetString(root.Get(), L"", L"justOver", std::wstring(32763, L'q') + L"needle"); // 32,769 characters
    std::wstring million(1000000 - 6, L'x');
    million[0] = L'a';
    SetString(root.Get(), L"", L"million", million + L"needle");
    std::wstring multi = std::wstring(40000, L'y') + L'\0' + std::wstring(40000, L'z') + L"needle" + L'\0';
    SetValue(root.Get(), L"", L"multi", REG_MULTI_SZ, multi.c_str(), (multi.size() + 1) * sizeof(wchar_t));
    std::vector<BYTE> binary(1 << 20, 0x11);
    const char needle[] = "needle";
    std::copy(needle, needle + 6, binary.end() - 10);
    binary[binary.size() - 2] = 0xAB;
    binary[binary.size() - 1] = 0xCD;
    SetValue(root.Get(), L"", L"binary", REG_BINARY, binary.data(), binary.size());

    struct Case {
        const wchar_t* text;
        DWORD mode;
        std::vector<std::wstring> found;
    };
    const Case cases[] = {
        {L"ne+dle", SM_REGEX, {p + L":binary", p + L":justOver", p + L":million", p + L":multi"}},
        {L"a.*needle", SM_REGEX, {p + L":million"}},
        {L"q+needle$", SM_REGEX, {p + L":justOver"}},
        {L"*need?e", SM_WILDCARD, {p + L":binary", p + L":justOver", p + L":million", p + L":multi"}},
        {L"[n]eedle", SM_WILDCARD, {p + L":binary", p + L":justOver", p + L":million", p + L":multi"}},
        {L"needle", SM_FIND_STRING, {p + L":binary", p + L":justOver", p + L":million", p + L":multi"}},
        {L"6C651111ABCD", SM_HEX, {p + L":binary"}},
    };
    for (const Case& c : cases) {
        // The form looks at nothing but the data's hexadecimal text in the hex mode.
        Prepare(request, root.LookIn(), c.text, c.mode, c.mode == SM_HEX ? 0 : SO_KEYS | SO_VALUES | SO_DATA);
        RunSearch(engine, request);
        std::vector<std::wstring> found = Found(engine);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.found) << c.text;
        EXPECT_EQ(engine.Problems(), 0u) << c.text;
        EXPECT_TRUE(SearchLogLines().empty()) << c.text;
    }
    // The matched part is marked in the data, however far into the value it lies.
    Prepare(request, root.LookIn(), L"a.*needle", SM_REGEX);
    RunSearch(engine, request);
    ASSERT_EQ(Records(engine).size(), 1u);
    EXPECT_NE(DataMarkup(Records(engine)[0]).find(L"needle</font>"), std::wstring::npos);
}

// Fault guarded against: an expression the engine gives up on (too complex to finish) made the value look
// like a miss; it must be logged with its key path and counted.
TEST_F(Walker, ExpressionsTooComplexToFinishAreLoggedAndCounted) {
    ScratchKey root(kBase + L"\\Complex");
    SetString(root.Get(), L"", L"hard", std::wstring(60, L'x') + L"-y");
    SetString(root.Get(), L"", L"easy", L"xxy");
    SetString(root.Get(), L"Sub", L"other", L"xxxy");
    Prepare(request, root.LookIn(), L"(x+x+)+y", SM_REGEX);
    RunSearch(engine, request);
    std::vector<std::wstring> found = Found(engine);
    EXPECT_EQ(found, (std::vector<std::wstring>{root.Path() + L":easy", root.Path() + L"\\Sub:other"}));
    EXPECT_EQ(engine.Problems(), 1u);
    const std::vector<std::string> lines = SearchLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Regular expression search failed (", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("): " + Narrow(root.Path()) + "\\hard"), std::string::npos) << lines[0];
}

// Runs the engine's search on a thread whose stack is far too small for one frame with two 260-character
// name buffers per level of a 512-level tree.
struct SmallStackSearch {
    CKeldraThread* engine;
    const SearchRequest* request;
};

DWORD WINAPI RunOnSmallStack(void* parameter) {
    const auto* search = static_cast<SmallStackSearch*>(parameter);
    return search->engine->RunHere(*search->request);
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

    Prepare(request, root.LookIn(), L"deepest", SM_FIND_STRING);
    SmallStackSearch search{&engine, &request};
    HANDLE thread =
        CreateThread(nullptr, 256 * 1024, &RunOnSmallStack, &search, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    CloseHandle(thread);
    ASSERT_EQ(Records(engine).size(), 1u);
    EXPECT_EQ(engine.Results().KeysSearched(), 513);
    std::wstring expected = root.Path();
    for (int level = 0; level < 511; ++level) {
        expected += L"\\d";
    }
    EXPECT_EQ(Records(engine)[0].KeyPath(), expected + L"\\deepest");
    EXPECT_TRUE(SearchLogLines().empty());
}

} // namespace
