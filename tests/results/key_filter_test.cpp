// Key filters as the key browser and Refresh use them.
#include "results/key_filter.h"

#include <gtest/gtest.h>

namespace {

SearchResult At(HKEY root, const wchar_t* keyPath) {
    SearchResult record;
    record.root = root;
    record.SetKeyPath(keyPath);
    return record;
}

} // namespace

TEST(KeyFilterTest, PathPrefixEndsAtABackslashAndIgnoresCase) {
    const ParsedKeyFilter filter = ParseKeyFilter(L"HKCU\\Software\\X");
    EXPECT_EQ(filter.root, HKEY_CURRENT_USER);
    EXPECT_TRUE(KeyFilterAdmits(filter, At(HKEY_CURRENT_USER, L"Software\\X")));
    EXPECT_TRUE(KeyFilterAdmits(filter, At(HKEY_CURRENT_USER, L"SOFTWARE\\x\\y")));
    EXPECT_FALSE(KeyFilterAdmits(filter, At(HKEY_CURRENT_USER, L"Software\\XY")));
    EXPECT_FALSE(KeyFilterAdmits(filter, At(HKEY_CURRENT_USER, L"Software")));
    EXPECT_FALSE(KeyFilterAdmits(filter, At(HKEY_LOCAL_MACHINE, L"Software\\X")));
}

TEST(KeyFilterTest, EmptyOrUnknownRootAdmitsEveryHiveButNeverARemovedRecord) {
    SearchResult removed = At(HKEY_CURRENT_USER, L"A");
    removed.removed = true;
    for (const wchar_t* text : {L"", L"<>"}) {
        const ParsedKeyFilter filter = ParseKeyFilter(text);
        EXPECT_TRUE(KeyFilterAdmits(filter, At(HKEY_USERS, L"")));
        EXPECT_TRUE(KeyFilterAdmits(filter, At(HKEY_CURRENT_USER, L"A\\B")));
        EXPECT_FALSE(KeyFilterAdmits(filter, removed));
    }
    EXPECT_TRUE(KeyFilterAdmits(ParseKeyFilter(L"Nowhere\\A"), At(HKEY_USERS, L"a\\b")));
}
