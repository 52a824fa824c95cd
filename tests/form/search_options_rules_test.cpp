// The options tree's rules without windows: what is offered in which mode, and how checks read back.
#include "engine/search_types.h"
#include "form/search_options.h"

#include <gtest/gtest.h>

#include <vector>

TEST(OptionRules, HiveItemsFollowTheChoiceAndTheComputer) {
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        EXPECT_FALSE(HiveItemEnabled(hive, false, true)) << hive;
        EXPECT_TRUE(HiveItemEnabled(hive, true, true)) << hive;
        EXPECT_EQ(HiveItemEnabled(hive, true, false), hive == kHiveLocalMachine || hive == kHiveUsers) << hive;
    }
}

TEST(OptionRules, IntegerModeOffersOnlyTheNumberTypesEvenForAllTypes) {
    for (DWORD type = 0; type <= REG_QWORD; ++type) {
        const bool number = type == REG_DWORD || type == REG_QWORD;
        EXPECT_EQ(TypeItemEnabled(type, SM_INTEGER, false), number) << type;
        EXPECT_EQ(TypeItemEnabled(type, SM_INTEGER, true), number) << type;
    }
}

TEST(OptionRules, HexModeOffersNoTextTypes) {
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        EXPECT_FALSE(TypeItemEnabled(type, SM_HEX, true)) << type;
        EXPECT_TRUE(TypeItemEnabled(type, SM_FIND_STRING, true)) << type;
    }
    EXPECT_TRUE(TypeItemEnabled(REG_BINARY, SM_HEX, true));
    EXPECT_FALSE(TypeItemEnabled(REG_BINARY, SM_HEX, false)) << "All Types: nothing to pick";
}

TEST(OptionRules, LengthRangeInDataModesOrWithDataChecked) {
    EXPECT_TRUE(LengthRangeEnabled(SM_ALL_ITEMS, false));
    EXPECT_TRUE(LengthRangeEnabled(SM_HEX, false));
    EXPECT_FALSE(LengthRangeEnabled(SM_INTEGER, true)) << "Data is not offered in the integer mode";
    EXPECT_TRUE(LengthRangeEnabled(SM_FIND_STRING, true));
    EXPECT_FALSE(LengthRangeEnabled(SM_FIND_STRING, false));
    for (DWORD mode : {SM_HEX, SM_ALL_ITEMS, SM_INTEGER}) {
        EXPECT_FALSE(LookAtItemsEnabled(mode)) << mode;
    }
}

TEST(OptionRules, LookAtNoneMeansAllThree) {
    EXPECT_EQ(LookAtBits(false, false, false, false), DWORD{SO_KEYS | SO_VALUES | SO_DATA});
    EXPECT_EQ(LookAtBits(false, true, false, true), DWORD{SO_VALUES | SO_MATCH_CASE});
}

TEST(OptionRules, TypeMaskOfChecks) {
    const std::vector<TypeCheck> none = {{REG_SZ, false}, {REG_DWORD, false}};
    EXPECT_EQ(TypeMaskOf(none), 0xFFFFFFFFu);
    const std::vector<TypeCheck> some = {{REG_SZ, true}, {REG_DWORD, false}, {REG_QWORD, true}};
    EXPECT_EQ(TypeMaskOf(some), (1u << REG_SZ) | (1u << REG_QWORD));
}
