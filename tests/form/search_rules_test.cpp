// The search form's rules without windows: modes, the Search button, how the mode shapes the request,
// remote checks, the length range, status texts and the final listing's progress points.
#include "engine/search_types.h"
#include "form/search_rules.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SearchModes, ListedInOrderWithTheirLabels) {
    const std::vector<DWORD> expected = {SM_FIND_STRING, SM_WHOLE_STRING, SM_WILDCARD, SM_REGEX,
                                         SM_HEX,         SM_INTEGER,      SM_ALL_ITEMS};
    std::vector<DWORD> modes;
    for (const SearchModeInfo& info : SearchModes()) {
        modes.push_back(info.mode);
    }
    EXPECT_EQ(modes, expected);
    EXPECT_STREQ(SearchModeOf(SM_WILDCARD).item, L" Wildcards (*,?) search");
    EXPECT_STREQ(SearchModeOf(SM_INTEGER).cue, L"Enter a decimal or hexadecimal value. (Prefix '0x' for hexadecimal)");
    EXPECT_STREQ(SearchModeOf(SM_ALL_ITEMS).label, L"");
    EXPECT_STREQ(SearchModeOf(SM_WHOLE_STRING).label, L"Search String");
    // A stored mode that names no mode is shown as the first mode.
    EXPECT_EQ(SearchModeOf(3).mode, SM_FIND_STRING);
}

TEST(SearchModes, OnlyIntegerAndAllItemsEmptyTheSearchText) {
    for (const SearchModeInfo& info : SearchModes()) {
        EXPECT_EQ(ModeClearsSearchText(info.mode), info.mode == SM_INTEGER || info.mode == SM_ALL_ITEMS) << info.mode;
    }
}

TEST(SearchButtonRule, AllItemsNeedsOnlyALookInText) {
    EXPECT_TRUE(SearchButtonEnabled(SM_ALL_ITEMS, L"", L"HKCU"));
    EXPECT_FALSE(SearchButtonEnabled(SM_ALL_ITEMS, L"text", L""));
    for (DWORD mode : {SM_FIND_STRING, SM_WHOLE_STRING, SM_WILDCARD, SM_REGEX, SM_HEX, SM_INTEGER}) {
        EXPECT_TRUE(SearchButtonEnabled(mode, L"x", L"HKCU")) << mode;
        EXPECT_FALSE(SearchButtonEnabled(mode, L"", L"HKCU")) << mode;
        EXPECT_FALSE(SearchButtonEnabled(mode, L"x", L"")) << mode;
    }
}

TEST(RequestShaping, DataModesDropTheLookAtBitsAndKeepTheCaseBit) {
    const DWORD options = SO_KEYS | SO_VALUES | SO_DATA | SO_MATCH_CASE;
    for (DWORD mode : {SM_HEX, SM_ALL_ITEMS, SM_INTEGER}) {
        EXPECT_EQ(OptionsForMode(mode, options), DWORD{SO_MATCH_CASE}) << mode;
    }
    EXPECT_EQ(OptionsForMode(SM_REGEX, SO_VALUES), DWORD{SO_VALUES});
}

TEST(RequestShaping, HexLeavesOutTextTypesAndIntegerKeepsOnlyNumbers) {
    EXPECT_EQ(TypeMaskForMode(SM_HEX, 0xFFFFFFFF), 0xFFFFFFFFu & ~0x86u);
    EXPECT_EQ(TypeMaskForMode(SM_INTEGER, 0xFFFFFFFF), 0x810u);
    EXPECT_EQ(TypeMaskForMode(SM_INTEGER, 1u << REG_SZ), 0u);
    EXPECT_EQ(TypeMaskForMode(SM_FIND_STRING, 0x12), 0x12u);
}

TEST(RemoteChecks, ComputerNameLosesSlashesAndBlanksAround) {
    EXPECT_EQ(TrimComputerName(L"\\\\SERVER/"), L"SERVER");
    EXPECT_EQ(TrimComputerName(L" //SERVER\\ "), L"SERVER");
    EXPECT_EQ(TrimComputerName(L"\\\\ /"), L"");
}

TEST(RemoteChecks, OnlyTheFullNamesOfTheLocalOnlyHivesAreRefused) {
    EXPECT_TRUE(NamesLocalOnlyHive(L"HKLM;hkey_classes_root"));
    EXPECT_TRUE(NamesLocalOnlyHive(L"Hkey_Current_User\\Software"));
    EXPECT_FALSE(NamesLocalOnlyHive(L"HKCR;HKCU"));
    EXPECT_FALSE(NamesLocalOnlyHive(L"HKEY_LOCAL_MACHINE;HKEY_USERS"));
}

TEST(LengthRangeRule, ZeroOrABoundBelowTheLowerMeansNoUpperBound) {
    EXPECT_EQ(MakeLengthRange(0, 0).maxLength, 0u);
    const LengthRange reversed = MakeLengthRange(100, 50);
    EXPECT_EQ(reversed.minLength, 100u);
    EXPECT_EQ(reversed.maxLength, 0u);
    const LengthRange normal = MakeLengthRange(10, 20);
    EXPECT_EQ(normal.minLength, 10u);
    EXPECT_EQ(normal.maxLength, 20u);
    // A negative value must not turn into a huge unsigned bound that lets nothing through.
    const LengthRange negative = MakeLengthRange(-5, -1);
    EXPECT_EQ(negative.minLength, 0u);
    EXPECT_EQ(negative.maxLength, 0u);
}

TEST(StatusTexts, TotalsAndMatchSummary) {
    EXPECT_EQ(TotalsText(12, 3), L"Keys Searched: 12, Total Item(s): 3");
    EXPECT_EQ(MatchSummary(SO_VALUES, 5, 3, 7), L"Values: 3 ");
    EXPECT_EQ(MatchSummary(SO_KEYS | SO_VALUES | SO_DATA | SO_MATCH_CASE, 1, 2, 3), L"Keys: 1 Values: 2 Data: 3 ");
    EXPECT_EQ(MatchSummary(SO_MATCH_CASE | SO_UNICODE_BINARY, 1, 2, 3), L"");
}

TEST(StatusTexts, ModifiedTextNeedsATime) {
    EXPECT_EQ(ModifiedText(FILETIME{}), L"");
    SYSTEMTIME time = {2024, 5, 0, 17, 12, 30, 0, 0};
    FILETIME written = {};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &written));
    const std::wstring text = ModifiedText(written);
    EXPECT_EQ(text.rfind(L"Modified: ", 0), 0u) << text;
    EXPECT_NE(text.find(L", "), std::wstring::npos);
}

namespace {

// The rows at which the final listing stops to move the bar, with the bar's positions.
std::vector<std::pair<size_t, int>> ProgressPoints(size_t remaining) {
    ListingProgress progress(remaining);
    std::vector<std::pair<size_t, int>> points;
    for (size_t row = 0; row < remaining; ++row) {
        int percent = -1;
        if (progress.Next(percent)) {
            points.emplace_back(row, percent);
        }
    }
    return points;
}

} // namespace

TEST(FinalListing, TwoHundredFiftyRowsMoveTheBarEverySecondRow) {
    EXPECT_EQ(ListingProgress(250).Step(), 2u);
    const auto points = ProgressPoints(250);
    ASSERT_EQ(points.size(), 125u);
    EXPECT_EQ(points.front(), std::make_pair(size_t{1}, 0));
    EXPECT_EQ(points[1], std::make_pair(size_t{3}, 1));
    EXPECT_EQ(points.back(), std::make_pair(size_t{249}, 100));
}

TEST(FinalListing, FewerThanAHundredRowsNeverStop) {
    EXPECT_TRUE(ProgressPoints(99).empty());
    EXPECT_TRUE(ProgressPoints(0).empty());
    const auto points = ProgressPoints(100);
    ASSERT_EQ(points.size(), 100u);
    EXPECT_EQ(points.back().second, 100);
}
