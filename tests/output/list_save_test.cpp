// The list save: layout by file name and the exact bytes of each layout.
#include "output/list_save.h"
#include "tests/common/file_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using filetest::ScratchFolder;
using filetest::Utf16Bytes;
using testsupport::ReadFileBytes;

const std::wstring kCreatedBy = L"Created by Orvanta Software's Quillon\r\n";
const std::wstring kTsvHeading = L" \"Hive\"\t\"SubKey\"\t\"Value\"\t\"Data\"\t\"Type\"\r\n\r\n";

SearchResult ValueResult(const wchar_t* path, const wchar_t* name, const wchar_t* data, DWORD type) {
    SearchResult record{HKEY_LOCAL_MACHINE, path, name, data};
    record.kind = RK_DATA;
    record.type = type;
    return record;
}

SearchResult KeyResult(const wchar_t* path) {
    SearchResult record{HKEY_CURRENT_USER, path};
    record.kind = RK_KEY | RK_KEY_NAME;
    return record;
}

TEST(ListSaveLayout, ChosenByACaseSensitiveMatchOfTheFileName) {
    EXPECT_EQ(LayoutForFileName(L"C:\\out\\report.txt"), ListLayout::TextReport);
    EXPECT_EQ(LayoutForFileName(L"C:\\out\\data.csv"), ListLayout::CommaSeparated);
    EXPECT_EQ(LayoutForFileName(L"C:\\out\\data.tsv"), ListLayout::TabSeparated);
    EXPECT_EQ(LayoutForFileName(L"C:\\out\\DATA.CSV"), ListLayout::TabSeparated);
    EXPECT_EQ(LayoutForFileName(L"C:\\out\\notes.TXT"), ListLayout::TabSeparated);
    EXPECT_EQ(LayoutForFileName(L"C:\\out.txt\\data"), ListLayout::TabSeparated);
    EXPECT_EQ(LayoutForFileName(L"a.txt.csv"), ListLayout::CommaSeparated);

    EXPECT_TRUE(WildcardMatch(L"*.t?t", L"x.tat"));
    EXPECT_TRUE(WildcardMatch(L"a*b*c", L"aXbYbZc"));
    EXPECT_FALSE(WildcardMatch(L"a*b*c", L"aXbYc d"));
    EXPECT_TRUE(WildcardMatch(L"*", L""));
}

class ListSaveFile : public testing::Test {
protected:
    std::string Save(const wchar_t* name, const std::vector<ListedRow>& rows, size_t expectedRows) {
        const std::wstring path = folder_.File(name);
        const ListSaveResult result = SaveListToFile(rows, path);
        EXPECT_EQ(result.error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(result.rowsWritten, expectedRows);
        return ReadFileBytes(path);
    }
    ScratchFolder folder_;
};

TEST_F(ListSaveFile, TabSeparatedFileOfOneValue) {
    const SearchResult value = ValueResult(L"SOFTWARE\\Vendor", L"Path", L"C:\\Tools", REG_SZ);
    EXPECT_EQ(Save(L"list.tsv", {{false, &value}}, 1),
              Utf16Bytes(kCreatedBy + kTsvHeading +
                         L"\"HKEY_LOCAL_MACHINE\"\t\"SOFTWARE\\Vendor\"\t\"Path\"\t\"C:\\Tools\"\t\"REG_SZ\"\r\n"));
}

TEST_F(ListSaveFile, TextReportHasFiveLinesAndARulePerRowAndKeysTypedKey) {
    const SearchResult key = KeyResult(L"Software\\Found");
    const SearchResult number = ValueResult(L"SYSTEM\\Setup", L"", L"", REG_DWORD);
    const std::wstring rule(50, L'-');
    EXPECT_EQ(Save(L"report.txt", {{true, &key}, {false, &number}}, 2),
              Utf16Bytes(kCreatedBy + L"Hive\r\nSubKey\r\nValue\r\nData\r\nType\r\n" + std::wstring(50, L'=') +
                         L"\r\n" + L"HKEY_CURRENT_USER\r\nSoftware\\Found\r\n\r\n\r\n<KEY>\r\n" + rule + L"\r\n" +
                         L"HKEY_LOCAL_MACHINE\r\nSYSTEM\\Setup\r\n\r\n\r\nREG_DWORD\r\n" + rule + L"\r\n"));
}

TEST_F(ListSaveFile, RowsWithoutRecordsAndRemovedRecordsAreLeftOut) {
    const SearchResult kept = ValueResult(L"K", L"v", L"", 0x77);
    SearchResult removed = kept;
    removed.removed = true;
    EXPECT_EQ(Save(L"rows.tsv", {{false, nullptr}, {false, &removed}, {true, &kept}}, 1),
              Utf16Bytes(kCreatedBy + kTsvHeading + L"\"HKEY_LOCAL_MACHINE\"\t\"K\"\t\"v\"\t\"\"\t\"<UNKNOWN>\"\r\n"));
}

TEST_F(ListSaveFile, UpperCaseCsvNameGivesTabSeparatedValues) {
    const SearchResult key = KeyResult(L"Software\\X");
    EXPECT_EQ(
        Save(L"UPPER.CSV", {{false, &key}}, 1),
        Utf16Bytes(kCreatedBy + kTsvHeading + L"\"HKEY_CURRENT_USER\"\t\"Software\\X\"\t\"\"\t\"\"\t\"<KEY>\"\r\n"));
}

// Fault guarded against: a double quote inside a field ended the field early, so the rest of the line
// was read as other fields.
TEST_F(ListSaveFile, QuotesInsideFieldsAreDoubled) {
    const SearchResult value = ValueResult(L"Software\\Q", L"say \"hi\"", L"a \"b\", c\nd", REG_SZ);
    EXPECT_EQ(Save(L"quotes.csv", {{false, &value}}, 1),
              Utf16Bytes(
                  kCreatedBy + L" \"Hive\",\"SubKey\",\"Value\",\"Data\",\"Type\"\r\n\r\n" +
                  L"\"HKEY_LOCAL_MACHINE\",\"Software\\Q\",\"say \"\"hi\"\"\",\"a \"\"b\"\", c\r\nd\",\"REG_SZ\"\r\n"));
    EXPECT_EQ(ListSaveRow(ListLayout::TabSeparated, value),
              L"\"HKEY_LOCAL_MACHINE\"\t\"Software\\Q\"\t\"say \"\"hi\"\"\"\t\"a \"\"b\"\", c\nd\"\t\"REG_SZ\"\n");
    EXPECT_EQ(ListSaveRow(ListLayout::TextReport, value),
              L"HKEY_LOCAL_MACHINE\nSoftware\\Q\nsay \"hi\"\na \"b\", c\nd\nREG_SZ\n" + std::wstring(50, L'-') + L"\n");
}

} // namespace
