// The options tree's rules without windows: which types and ranges each mode offers.
#include "engine/search_types.h"
#include "form/search_options.h"

#include <gtest/gtest.h>

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
