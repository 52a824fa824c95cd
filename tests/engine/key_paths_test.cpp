#include "engine/key_paths.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    HKEY root;
    const wchar_t* subKey;
};

void ExpectEntries(const std::vector<KeyLocation>& list, std::initializer_list<Expected> expected) {
    ASSERT_EQ(list.size(), expected.size());
    size_t i = 0;
    for (const Expected& e : expected) {
        EXPECT_EQ(list[i].root, e.root) << "entry " << i;
        EXPECT_EQ(list[i].subKey, e.subKey) << "entry " << i;
        EXPECT_EQ(list[i].rootName, RootKeyName(e.root)) << "entry " << i;
        ++i;
    }
}

TEST(HiveNames, FullAndAbbreviatedNamesMatchWholeAndIgnoreCase) {
    EXPECT_EQ(RootKeyFromName(L"HKLM"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyFromName(L"hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyFromName(L"hkey_classes_root"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RootKeyFromName(L"HKCU"), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyFromName(L"HKU"), HKEY_USERS);
    EXPECT_EQ(RootKeyFromName(L"HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
    // No prefix match, no trimming, no other roots.
    EXPECT_EQ(RootKeyFromName(L"HKLM2"), nullptr);
    EXPECT_EQ(RootKeyFromName(L"HKL"), nullptr);
    EXPECT_EQ(RootKeyFromName(L" HKLM"), nullptr);
    EXPECT_EQ(RootKeyFromName(L"HKEY_DYN_DATA"), nullptr);
    EXPECT_EQ(RootKeyFromName(L"HKEY_PERFORMANCE_DATA"), nullptr);
    EXPECT_EQ(RootKeyFromName(L""), nullptr);
}

TEST(HiveNames, RootKeyNameGivesFullNameOrEmpty) {
    for (const HiveName& hive : kHiveTable) {
        EXPECT_EQ(RootKeyName(hive.root), hive.fullName);
        EXPECT_EQ(RootKeyFromName(RootKeyName(hive.root)), hive.root);
    }
    EXPECT_EQ(RootKeyName(HKEY_PERFORMANCE_DATA), L"");
    EXPECT_EQ(RootKeyName(nullptr), L"");
}

TEST(SplitKeyPath, SplitsAtFirstBackslash) {
    std::wstring hive = L"old", sub = L"old";
    EXPECT_EQ(SplitKeyPath(L"HKLM\\Software\\Classes", hive, sub), 4);
    EXPECT_EQ(hive, L"HKLM");
    EXPECT_EQ(sub, L"Software\\Classes");

    EXPECT_EQ(SplitKeyPath(L"HKCU", hive, sub), -1);
    EXPECT_EQ(hive, L"HKCU");
    EXPECT_EQ(sub, L"");

    // An empty path leaves the hive part as it was.
    hive = L"kept";
    EXPECT_EQ(SplitKeyPath(L"", hive, sub), -1);
    EXPECT_EQ(hive, L"kept");

    EXPECT_EQ(SplitKeyPath(L"\\lead", hive, sub), 0);
    EXPECT_EQ(hive, L"");
    EXPECT_EQ(sub, L"lead");
}

TEST(ParseKeyList, ExampleRows) {
    std::vector<KeyLocation> list;
    EXPECT_TRUE(ParseKeyList(L"HKEY_LOCAL_MACHINE;HKEY_USERS", list));
    ExpectEntries(list, {{HKEY_LOCAL_MACHINE, L""}, {HKEY_USERS, L""}});

    EXPECT_TRUE(ParseKeyList(L"hkcu\\Software\\Classes , HKLM", list));
    ExpectEntries(list, {{HKEY_CURRENT_USER, L"Software\\Classes"}, {HKEY_LOCAL_MACHINE, L""}});

    EXPECT_FALSE(ParseKeyList(L"HKEY_DYN_DATA;;|", list));
    EXPECT_TRUE(list.empty());
}

TEST(ParseKeyList, SeparatorsAndUnknownTokens) {
    std::vector<KeyLocation> list;
    EXPECT_TRUE(ParseKeyList(L"HKLM|HKCU,HKU;;;HKCC", list));
    ExpectEntries(list,
                  {{HKEY_LOCAL_MACHINE, L""}, {HKEY_CURRENT_USER, L""}, {HKEY_USERS, L""}, {HKEY_CURRENT_CONFIG, L""}});

    // Unknown hives are dropped silently; duplicates and nested entries are all kept.
    EXPECT_TRUE(ParseKeyList(L"HKLM2; HKLM\\A; nonsense; HKLM\\A; HKLM\\A\\B", list));
    ExpectEntries(list, {{HKEY_LOCAL_MACHINE, L"A"}, {HKEY_LOCAL_MACHINE, L"A"}, {HKEY_LOCAL_MACHINE, L"A\\B"}});

    // A key name holding a separator cannot be given: the text is split there.
    EXPECT_TRUE(ParseKeyList(L"HKCU\\Soft,ware", list));
    ExpectEntries(list, {{HKEY_CURRENT_USER, L"Soft"}});
}

TEST(ParseKeyList, SpaceRules) {
    std::vector<KeyLocation> list;
    // A space between the hive name and its backslash leaves no hive.
    EXPECT_FALSE(ParseKeyList(L"HKLM \\Software", list));

    // Spaces after the backslash are trimmed from subKey but kept in subKeyText.
    EXPECT_TRUE(ParseKeyList(L"HKLM\\ Software", list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].subKey, L"Software");
    EXPECT_EQ(list[0].subKeyText, L" Software");

    // Spaces and semicolons around tokens go.
    EXPECT_TRUE(ParseKeyList(L"   ; HKCU  ;  HKLM\\X  ", list));
    ExpectEntries(list, {{HKEY_CURRENT_USER, L""}, {HKEY_LOCAL_MACHINE, L"X"}});
}

TEST(ParseKeyList, BackslashesStayAsTyped) {
    std::vector<KeyLocation> list;
    EXPECT_TRUE(ParseKeyList(L"HKCU\\\\Software", list));
    ExpectEntries(list, {{HKEY_CURRENT_USER, L"\\Software"}});

    EXPECT_TRUE(ParseKeyList(L"HKCU\\Software\\", list));
    ExpectEntries(list, {{HKEY_CURRENT_USER, L"Software\\"}});
    EXPECT_EQ(list[0].subKeyText, L"Software\\");

    EXPECT_TRUE(ParseKeyList(L"HKCU\\", list));
    ExpectEntries(list, {{HKEY_CURRENT_USER, L""}});
}

TEST(ParseKeyList, WhiteSpaceOnlyTextKeepsThePreviousList) {
    std::vector<KeyLocation> list;
    ASSERT_TRUE(ParseKeyList(L"HKLM", list));
    EXPECT_FALSE(ParseKeyList(L"  \t \r\n ", list));
    ExpectEntries(list, {{HKEY_LOCAL_MACHINE, L""}});
    EXPECT_FALSE(ParseKeyList(L"", list));
    ExpectEntries(list, {{HKEY_LOCAL_MACHINE, L""}});
    // Text that is not blank but names nothing empties the list.
    EXPECT_FALSE(ParseKeyList(L";", list));
    EXPECT_TRUE(list.empty());
}

} // namespace
