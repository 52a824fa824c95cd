#include "engine/value_match.h"

#include "engine/result_markup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const std::wstring kData = L"<font color=#0077ff>";
const std::wstring kName = L"<font color=#df0000>";
const std::wstring kMore = L"<i><more data...></i>";

std::vector<BYTE> Text(std::wstring_view text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t));
}

std::vector<BYTE> Dword(DWORD value, size_t size = 4) {
    std::vector<BYTE> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    bytes.resize(size);
    return bytes;
}

struct Outcome {
    ValueVerdict verdict;
    SearchResult record;
};

Outcome Evaluate(DWORD mode, const std::wstring& search, DWORD options, std::wstring_view name, DWORD type,
                 const std::vector<BYTE>& data) {
    std::vector<std::wstring> patterns;
    std::uint64_t number = 0;
    EXPECT_TRUE(PrepareSearchText(search, mode, patterns, number));
    SearchMatcher matcher;
    EXPECT_TRUE(matcher.Configure(mode, patterns.empty() ? L"" : patterns[0], number, options));
    Outcome outcome;
    std::wstring scratch;
    outcome.verdict = EvaluateValue(matcher, options, name, type, data.data(), static_cast<DWORD>(data.size()), scratch,
                                    outcome.record);
    return outcome;
}

constexpr DWORD kLookAtAll = SO_KEYS | SO_VALUES | SO_DATA;

TEST(MultiStringData, MoreDataMarkersOnTheSidesWhereStringsAreLeft) {
    struct Case {
        std::wstring_view data;
        std::wstring markup;
    };
    const Case cases[] = {
        {std::wstring_view(L"alpha\0needle\0omega\0\0", 20), kMore + kData + L"needle</font>" + kMore},
        {std::wstring_view(L"needle\0omega\0\0", 14), kData + L"needle</font>" + kMore},
        {std::wstring_view(L"alpha\0needle\0\0", 14), kMore + kData + L"needle</font>"},
        {std::wstring_view(L"alpha\0needle", 12), kMore + kData + L"needle</font>"},
        {std::wstring_view(L"needle\0\0", 8), kData + L"needle</font>"},
    };
    for (const Case& c : cases) {
        Outcome o = Evaluate(SM_FIND_STRING, L"needle", kLookAtAll, L"Name", REG_MULTI_SZ, Text(c.data));
        EXPECT_TRUE(o.verdict.dataMatched);
        EXPECT_EQ(DataMarkup(o.record), c.markup);
        EXPECT_EQ(o.record.kind, static_cast<DWORD>(RK_DATA));
        EXPECT_TRUE(o.record.dataText.empty()) << "only REG_SZ and REG_EXPAND_SZ keep their text";
    }
}

TEST(MultiStringData, WithoutADataMatchTheLastStringVisitedIsShown) {
    Outcome o = Evaluate(SM_FIND_STRING, L"Name", kLookAtAll, L"MyName", REG_MULTI_SZ,
                         Text(std::wstring_view(L"one\0two\0\0", 9)));
    EXPECT_TRUE(o.verdict.nameMatched);
    EXPECT_FALSE(o.verdict.dataMatched);
    EXPECT_EQ(NameMarkup(o.record), L"My" + kName + L"Name</font>");
    EXPECT_EQ(DataMarkup(o.record), L"two");
    // Data that starts with a null holds nothing to test; the markup falls back to the rendering.
    o = Evaluate(SM_FIND_STRING, L"Name", kLookAtAll, L"MyName", REG_MULTI_SZ,
                 Text(std::wstring_view(L"\0two\0\0", 6)));
    EXPECT_EQ(DataMarkup(o.record), std::wstring(L"\0two\0", 5));
    o = Evaluate(SM_FIND_STRING, L"two", kLookAtAll, L"x", REG_MULTI_SZ, Text(std::wstring_view(L"\0two\0\0", 6)));
    EXPECT_FALSE(o.verdict.dataMatched);
}

TEST(StringData, MatchedAsStoredAndKeptAsDataText) {
    Outcome o =
        Evaluate(SM_FIND_STRING, L"%path%", kLookAtAll, L"P", REG_EXPAND_SZ, Text(std::wstring_view(L"x;%PATH%\0", 9)));
    EXPECT_TRUE(o.verdict.dataMatched);
    EXPECT_EQ(o.record.dataText, L"x;%PATH%");
    EXPECT_EQ(DataMarkup(o.record), L"x;" + kData + L"%PATH%</font>");

    // The name matched, the data did not: the whole string, unmarked.
    o = Evaluate(SM_FIND_STRING, L"tool", kLookAtAll, L"Tool", REG_SZ, Text(std::wstring_view(L"C:\\x.exe\0", 9)));
    EXPECT_EQ(o.record.kind, static_cast<DWORD>(RK_VALUE_NAME));
    EXPECT_EQ(DataMarkup(o.record), L"C:\\x.exe");
    EXPECT_EQ(o.record.dataText, L"C:\\x.exe");

    // Both matched.
    o = Evaluate(SM_FIND_STRING, L"tool", kLookAtAll, L"Tool", REG_SZ, Text(std::wstring_view(L"tool\0", 5)));
    EXPECT_EQ(o.record.kind, static_cast<DWORD>(RK_VALUE_NAME | RK_DATA));
    EXPECT_EQ(o.record.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(o.record.dataSize, 10u);
    EXPECT_EQ(o.record.valueName, L"Tool");
}

TEST(ValueTests, LookAtBitsDecideWhatIsTested) {
    // Value names only: data is rendered, not marked.
    Outcome o = Evaluate(SM_FIND_STRING, L"run", SO_VALUES, L"Run", REG_SZ, Text(std::wstring_view(L"run\0", 4)));
    EXPECT_TRUE(o.verdict.nameMatched);
    EXPECT_FALSE(o.verdict.dataMatched);
    EXPECT_EQ(DataMarkup(o.record), L"run");
    EXPECT_TRUE(o.record.dataText.empty());
    // Data only: a matching name is not reported.
    o = Evaluate(SM_FIND_STRING, L"run", SO_DATA, L"Run", REG_SZ, Text(std::wstring_view(L"xx\0", 3)));
    EXPECT_FALSE(o.verdict.nameMatched);
    EXPECT_FALSE(o.verdict.dataMatched);
    // The default value's empty name never matches, not even an empty pattern.
    o = Evaluate(SM_REGEX, L"...", SO_VALUES, L"", REG_SZ, Text(std::wstring_view(L"x\0", 2)));
    EXPECT_FALSE(o.verdict.nameMatched);
}

TEST(ValueTests, NumbersAndBinaryDataAsText) {
    // Numbers never match as text; a name match shows the number.
    Outcome o = Evaluate(SM_FIND_STRING, L"255", kLookAtAll, L"Count255", REG_DWORD, Dword(255));
    EXPECT_TRUE(o.verdict.nameMatched);
    EXPECT_FALSE(o.verdict.dataMatched);
    EXPECT_EQ(DataMarkup(o.record), L"0x000000ff (255)");
    o = Evaluate(SM_FIND_STRING, L"Count", kLookAtAll, L"Count", REG_DWORD, Dword(255, 2));
    EXPECT_EQ(DataMarkup(o.record), L"FF00") << "short data is shown as its bytes";

    // Binary data that did not match shows the notice.
    o = Evaluate(SM_FIND_STRING, L"Blob", kLookAtAll, L"Blob", REG_BINARY, {1, 2, 3});
    EXPECT_EQ(DataMarkup(o.record), L"<i><binary data not shown></i>");
    o = Evaluate(SM_FIND_STRING, L"hello", kLookAtAll | SO_UNICODE_BINARY, L"x", REG_BINARY, Text(L"hello"));
    EXPECT_TRUE(o.verdict.dataMatched);
    EXPECT_EQ(DataMarkup(o.record), kData + L"h.e.l.l.o.</font>");
    o = Evaluate(SM_FIND_STRING, L"hello", kLookAtAll, L"x", REG_BINARY, Text(L"hello"));
    EXPECT_FALSE(o.verdict.dataMatched);
}

TEST(ValueTests, HexIntegerAndAllItemsModes) {
    Outcome o = Evaluate(SM_HEX, L"ABCD", 0, L"v", REG_BINARY, {0x0A, 0xBC, 0xD0});
    EXPECT_TRUE(o.verdict.dataMatched);
    EXPECT_EQ(o.record.dataText, L"0ABCD0");
    EXPECT_EQ(DataMarkup(o.record), L"0" + kData + L"ABCD</font>0");
    o = Evaluate(SM_HEX, L"ABCD", 0, L"v", REG_BINARY, {});
    EXPECT_FALSE(o.verdict.dataMatched);

    o = Evaluate(SM_INTEGER, L"0x100000005", 0, L"v", REG_DWORD, Dword(5));
    EXPECT_TRUE(o.verdict.dataMatched);
    EXPECT_EQ(o.record.kind, static_cast<DWORD>(RK_DATA));
    EXPECT_EQ(DataMarkup(o.record), L"0x00000005 (5)");
    o = Evaluate(SM_INTEGER, L"5", 0, L"v", REG_DWORD, Dword(5, 3));
    EXPECT_FALSE(o.verdict.dataMatched);

    o = Evaluate(SM_ALL_ITEMS, L"", 0, L"v", REG_SZ, Text(std::wstring_view(L"all\0", 4)));
    EXPECT_TRUE(o.verdict.dataMatched);
    EXPECT_EQ(DataMarkup(o.record), L"all");
    o = Evaluate(SM_ALL_ITEMS, L"", 0, L"v", REG_BINARY, {});
    EXPECT_TRUE(o.verdict.dataMatched);
    EXPECT_EQ(DataMarkup(o.record), L"") << "data of size 0 leaves the markup empty";
}

} // namespace
