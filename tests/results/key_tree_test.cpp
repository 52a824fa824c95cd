// The key browser's contents without windows: the key map the engine builds for a set of result keys, the
// children it yields below a key (from the registry for this computer, from the map for a remote search),
// bold keys, expand buttons and look-in branch paths.
#include "engine/results_store.h"
#include "results/key_tree.h"
#include "results/key_tree_children.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kRoot = L"Software\\QuillonKeyTreeTest";
const std::wstring kRootPath = L"HKEY_CURRENT_USER\\" + kRoot;

// The map the engine records for these keys with results of their own.
KeyTreeMap MapOf(const std::vector<std::wstring>& resultKeys) {
    ResultsStore store;
    for (const std::wstring& key : resultKeys) {
        store.MarkKeyWithResults(key);
    }
    return store.TakeKeyTree();
}

std::vector<std::wstring> Names(const std::vector<KeyTreeChild>& children) {
    std::vector<std::wstring> names;
    for (const KeyTreeChild& child : children) {
        names.push_back(child.name + (child.bold ? L"*" : L""));
    }
    return names;
}

void CreateKeys(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + L"\\" + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        if (key) {
            RegCloseKey(key);
        }
    }
}

TEST(KeyTreeMapTest, ChildrenBoldAndExpandButtonsFollowTheResults) {
    const KeyTreeMap keys =
        MapOf({kRootPath + L"\\A", kRootPath + L"\\B\\C", kRootPath + L"\\B\\C\\D", kRootPath + L"\\Bx\\E", kRootPath});
    // Only direct children; "Bx" is no child of "B" although its name begins with it.
    EXPECT_EQ(Names(ChildrenFromKeyMap(keys, kRootPath)), (std::vector<std::wstring>{L"A*", L"B", L"Bx"}));
    EXPECT_EQ(Names(ChildrenFromKeyMap(keys, kRootPath + L"\\B")), (std::vector<std::wstring>{L"C*"}));
    EXPECT_EQ(Names(ChildrenFromKeyMap(keys, L"HKEY_CURRENT_USER")), (std::vector<std::wstring>{L"Software"}));
    EXPECT_TRUE(ChildrenFromKeyMap(keys, kRootPath + L"\\A").empty());

    // A key with results of its own and none below has no expand button; one with results below has.
    EXPECT_EQ(KeyTreeChildCount(keys, kRootPath + L"\\A"), 0);
    EXPECT_EQ(KeyTreeChildCount(keys, kRootPath + L"\\B"), 1);
    EXPECT_EQ(KeyTreeChildCount(keys, kRootPath + L"\\B\\C"), 1);
    EXPECT_EQ(KeyTreeChildCount(keys, kRootPath + L"\\Nothing"), 0);
    // The map matches exactly, case included, as the walk recorded the names.
    EXPECT_EQ(KeyTreeChildCount(keys, L"HKEY_CURRENT_USER\\software\\QuillonKeyTreeTest\\B"), 0);
    EXPECT_TRUE(KeyTreeHasOwnResults(keys, kRootPath + L"\\B\\C\\D"));
    EXPECT_FALSE(KeyTreeHasOwnResults(keys, kRootPath + L"\\B"));

    // Sub-key names as the registry lists them keep their order; those without results drop out.
    EXPECT_EQ(Names(ChildrenWithResults(keys, kRootPath, {L"Z", L"Bx", L"A", L"Ab"})),
              (std::vector<std::wstring>{L"Bx", L"A*"}));
}

TEST(KeyTreeMapTest, BranchPathsAndResultKeyNames) {
    std::vector<KeyLocation> lookIn;
    ASSERT_TRUE(ParseKeyList(L"hkcu\\Software\\X\\\\ ; HKLM", lookIn));
    ASSERT_EQ(lookIn.size(), 2u);
    EXPECT_EQ(LookInBranchPath(lookIn[0]), L"HKEY_CURRENT_USER\\Software\\X");
    EXPECT_EQ(LookInBranchPath(lookIn[1]), L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(KeyPathComponents(L"HKEY_CURRENT_USER\\\\Software\\X\\"),
              (std::vector<std::wstring>{L"HKEY_CURRENT_USER", L"Software", L"X"}));
    EXPECT_EQ(ResultKeyName(HKEY_CURRENT_USER, L"Software\\X"), L"HKEY_CURRENT_USER\\Software\\X");
    EXPECT_EQ(ResultKeyName(HKEY_USERS, L""), L"HKEY_USERS");
}

class KeyTreeChildrenTest : public testing::Test {
protected:
    void SetUp() override {
        testsupport::DeleteKey(kRoot);
        CreateKeys({L"A", L"B\\C", L"Quiet", L"B\\Quiet"});
        data.keys = MapOf({kRootPath + L"\\A", kRootPath + L"\\B\\C"});
        data.branches = {kRootPath};
    }
    void TearDown() override { testsupport::DeleteKey(kRoot); }

    KeyTreeData data;
};

TEST_F(KeyTreeChildrenTest, ThisComputersChildrenComeFromTheRegistryAsItIsNow) {
    EXPECT_EQ(Names(LoadKeyTreeChildren(data, kRootPath)), (std::vector<std::wstring>{L"A*", L"B"}));
    EXPECT_EQ(Names(LoadKeyTreeChildren(data, kRootPath + L"\\B")), (std::vector<std::wstring>{L"C*"}));
    EXPECT_TRUE(KeyTreeKeyExists(data, kRootPath + L"\\B\\C"));

    // A key deleted since the search is gone from the tree, and cannot be gone to.
    testsupport::DeleteKey(kRoot + L"\\B\\C");
    EXPECT_TRUE(LoadKeyTreeChildren(data, kRootPath + L"\\B").empty());
    EXPECT_FALSE(KeyTreeKeyExists(data, kRootPath + L"\\B\\C"));
    EXPECT_TRUE(LoadKeyTreeChildren(data, kRootPath + L"\\NoSuchKey").empty());
    EXPECT_TRUE(LoadKeyTreeChildren(data, L"NOT_A_HIVE\\x").empty());
}

// Regression: a remote search's tree was expanded from this computer's registry, whose root of the same name
// is the local one, so it showed this computer's keys (or lost keys it did not have).
TEST_F(KeyTreeChildrenTest, ARemoteSearchsChildrenComeFromItsKeyMapOnly) {
    data.remoteComputer = L"ELSEWHERE";
    testsupport::DeleteKey(kRoot + L"\\B\\C");
    CreateKeys({L"LocalOnly"});
    EXPECT_EQ(Names(LoadKeyTreeChildren(data, kRootPath)), (std::vector<std::wstring>{L"A*", L"B"}));
    EXPECT_EQ(Names(LoadKeyTreeChildren(data, kRootPath + L"\\B")), (std::vector<std::wstring>{L"C*"}));
    EXPECT_TRUE(KeyTreeKeyExists(data, kRootPath + L"\\B\\C"));
    EXPECT_FALSE(KeyTreeKeyExists(data, kRootPath + L"\\LocalOnly"));
}

} // namespace
