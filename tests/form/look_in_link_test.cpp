// The look-in text and the hive checks: which hives a text names, the choice it gives, and the text that
// checking and unchecking hives leaves.
#include "form/look_in_link.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t HKLM = 0, HKCR = 1, HKCU = 2, HKU = 3, HKCC = 4;

HiveFlags Only(std::initializer_list<size_t> hives) {
    HiveFlags flags = {};
    for (size_t hive : hives) {
        flags[hive] = true;
    }
    return flags;
}

} // namespace

TEST(NamedHives, FullNamesAndAbbreviationsInAnyCase) {
    EXPECT_EQ(NamedHives(L"hklm;hku"), Only({HKLM, HKU}));
    EXPECT_EQ(NamedHives(L"HKEY_Current_User ; HKCC;;  "), Only({HKCC}));
    EXPECT_EQ(NamedHives(L"HKEY_CLASSES_ROOT;HKEY_CURRENT_USER"), Only({HKCR, HKCU}));
}

TEST(NamedHives, KeysBelowAHiveAreNotTheHive) {
    EXPECT_EQ(NamedHives(L"HKLM\\Software;HKEY_USERS\\.DEFAULT"), Only({}));
    // A path whose last name happens to spell a hive is still a path.
    EXPECT_EQ(NamedHives(L"HKLM\\Software\\MyHKU;HKCU"), Only({HKCU}));
}

TEST(HivesFromLookIn, SomeHivesAreSelectedHives) {
    const HiveChoice choice = HivesFromLookIn(L"hklm;hku", true);
    EXPECT_FALSE(choice.entire);
    EXPECT_EQ(choice.checked, Only({HKLM, HKU}));
}

TEST(HivesFromLookIn, AllFiveInAnyMixAreTheEntireRegistryWithNoHiveChecked) {
    const HiveChoice choice = HivesFromLookIn(L"HKCR;hkey_current_user;HKLM;hkey_users;HKCC;", true);
    EXPECT_TRUE(choice.entire);
    EXPECT_EQ(choice.checked, Only({}));
}

TEST(HivesFromLookIn, RemoteEntireRegistryIsMachineAndUsers) {
    EXPECT_TRUE(HivesFromLookIn(L"HKEY_LOCAL_MACHINE;HKEY_USERS", false).entire);
    const HiveChoice part = HivesFromLookIn(L"HKEY_LOCAL_MACHINE;HKCU;HKCR", false);
    EXPECT_FALSE(part.entire);
    EXPECT_EQ(part.checked, Only({HKLM})) << "the local-only hives stay off remotely";
    EXPECT_FALSE(HivesFromLookIn(L"HKEY_LOCAL_MACHINE;HKEY_USERS", true).entire);
}

TEST(LookInFromHives, UncheckingRemovesBothSpellingsButNotKeysBelow) {
    const std::wstring text = L"hklm;HKEY_LOCAL_MACHINE;HKLM\\Software;Hkey_Local_Machine;hkcu";
    EXPECT_EQ(LookInFromHives(text, Only({HKCU}), true), L"HKLM\\Software;hkcu");
}

TEST(LookInFromHives, CheckingAppendsTheFullNameOnce) {
    EXPECT_EQ(LookInFromHives(L"HKCU\\Software;", Only({HKU}), true), L"HKCU\\Software;HKEY_USERS");
    EXPECT_EQ(LookInFromHives(L"hku", Only({HKU}), true), L"hku");
    EXPECT_EQ(LookInFromHives(L"", Only({HKLM, HKCR}), true), L"HKEY_LOCAL_MACHINE;HKEY_CLASSES_ROOT");
}

TEST(LookInFromHives, NothingCheckedLeavesOnlyKeys) {
    EXPECT_EQ(LookInFromHives(L"HKCU;HKLM\\Software;HKU", Only({}), true), L"HKLM\\Software");
    EXPECT_EQ(LookInFromHives(L"HKCU; HKU ;HKLM\\X", Only({}), true), L"HKU ;HKLM\\X")
        << "\"HKU ;\" within the text is not an entry of HKU";
}

TEST(LookInFromHives, RemoteDropsTheLocalOnlyHivesEvenWhenChecked) {
    EXPECT_EQ(LookInFromHives(L"HKCU;HKCR;HKCC;HKLM", Only({HKCU, HKLM, HKU}), false), L"HKLM;HKEY_USERS");
}

TEST(LookInFromHives, APathEndingInAHiveNameIsNotRewritten) {
    EXPECT_EQ(LookInFromHives(L"HKLM\\Software\\MyHKU;HKCU", Only({HKCU}), true), L"HKLM\\Software\\MyHKU;HKCU");
}
