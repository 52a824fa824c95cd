#include "engine/result_markup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const std::wstring kData = L"<font color=#0077ff>";
const std::wstring kKey = L"<font color=#007f22>";

template <class T> std::vector<BYTE> Raw(const T& value, size_t size = sizeof(T)) {
    std::vector<BYTE> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    bytes.resize(size);
    return bytes;
}

std::vector<BYTE> Raw(std::wstring_view text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t));
}

TEST(Marking, TagsGoAroundTheMatchAndEveryOpeningTagIsTwentyLong) {
    for (MarkColour colour : {MarkColour::KeyName, MarkColour::ValueName, MarkColour::Data}) {
        EXPECT_EQ(std::wstring(OpeningTag(colour)).size(), kOpenTagLength);
    }
    EXPECT_EQ(MarkText(L"Microsoft", 0, 5, MarkColour::KeyName), kKey + L"Micro</font>soft");
    EXPECT_EQ(MarkText(L"abc", 3, 0, MarkColour::Data), L"abc" + kData + L"</font>");
    EXPECT_EQ(KeyNameMarkup(L"SOFTWARE", L"Microsoft", 0, 5), L"SOFTWARE\\" + kKey + L"Micro</font>soft");
    EXPECT_EQ(KeyNameMarkup(L"", L"SOFTWARE", 0, 4), kKey + L"SOFT</font>WARE") << "no backslash under a hive";
    // Key names are never shortened.
    std::wstring longName(200, L'k');
    EXPECT_EQ(KeyNameMarkup(L"", longName, 100, 1).size(), 200 + kOpenTagLength + kCloseTagLength);
}

TEST(Shortening, WindowOfEightyFourAroundShortMatches) {
    // A 300-character string with a 5-character match at 200: "<...>", 84 characters, "<...>".
    std::wstring text(300, L'x');
    text.replace(200, 5, L"MATCH");
    std::wstring marked = MarkText(text, 200, 5, MarkColour::Data);
    EXPECT_EQ(MarkAndShorten(text, 200, 5, MarkColour::Data), L"<...>" + marked.substr(174, 84) + L"<...>");

    // A 120-character value name matched at its start: 120 + 27 > 128, so the first 84 characters and a
    // marker at the end only.
    std::wstring name = L"Run" + std::wstring(117, L'n');
    marked = MarkText(name, 0, 3, MarkColour::ValueName);
    EXPECT_EQ(MarkAndShorten(name, 0, 3, MarkColour::ValueName), marked.substr(0, 84) + L"<...>");

    // Exactly 128 characters once marked: left whole.
    std::wstring fits(101, L'f');
    EXPECT_EQ(MarkAndShorten(fits, 50, 0, MarkColour::Data), MarkText(fits, 50, 0, MarkColour::Data));
    std::wstring over(102, L'f');
    EXPECT_NE(MarkAndShorten(over, 50, 0, MarkColour::Data), MarkText(over, 50, 0, MarkColour::Data));
}

TEST(Shortening, LongMatchesAndMatchesNearTheEnds) {
    // A match of 36 or more characters: from 10 before the opening tag, 2W + 20 wide.
    std::wstring text(400, L'y');
    std::wstring marked = MarkText(text, 150, 60, MarkColour::Data);
    const size_t width = (20 + 60 + 8) / 2; // 44
    EXPECT_EQ(MarkAndShorten(text, 150, 60, MarkColour::Data),
              L"<...>" + marked.substr(150 + width - width - 10, 2 * width + 20) + L"<...>");

    // At the very end: the window is clamped to the text and gets no closing marker.
    std::wstring tail = std::wstring(200, L'z') + L"END";
    marked = MarkText(tail, 200, 3, MarkColour::Data);
    EXPECT_EQ(MarkAndShorten(tail, 200, 3, MarkColour::Data), L"<...>" + marked.substr(200 + 15 - 32 - 10));

    // Repetitive text still gets its markers where it was cut.
    std::wstring dots(300, L'.');
    marked = MarkText(dots, 150, 1, MarkColour::Data);
    std::wstring shown = MarkAndShorten(dots, 150, 1, MarkColour::Data);
    EXPECT_EQ(shown.substr(0, 5), L"<...>");
    EXPECT_EQ(shown.substr(shown.size() - 5), L"<...>");
}

TEST(BinaryMarkup, PrintableBytesOnlyAndShortenedBeforeWidening) {
    const BYTE data[] = {'a', 0x00, 'b', 0x7F, 0x1F, ' ', '~', 0xFF};
    EXPECT_EQ(BinaryMarkup(data, sizeof data, 2, 1), L"a." + kData + L"b</font>.. ~.");
}

struct Formatted {
    DWORD type;
    std::vector<BYTE> data;
    std::wstring display;
};

TEST(FormatData, RenderingByType) {
    const Formatted cases[] = {
        {REG_DWORD, Raw<DWORD>(255), L"0x000000ff (255)"},
        {REG_DWORD, Raw<DWORD>(0xFFFFFFFF), L"0xffffffff (4294967295)"},
        {REG_QWORD, Raw<unsigned long long>(4294967296ull), L"0x0000000100000000 (4294967296)"},
        {REG_QWORD, Raw<unsigned long long>(~0ull), L"0xffffffffffffffff (18446744073709551615)"},
        // Data shorter than the number: its bytes, never read past the end.
        {REG_DWORD, Raw<DWORD>(0x00FF, 2), L"FF00"},
        {REG_QWORD, Raw<unsigned long long>(0x0A0B0C, 3), L"0C0B0A"},
        {REG_SZ, Raw(std::wstring_view(L"hello\0", 6)), L"hello"},
        {REG_SZ, Raw(std::wstring_view(L"no null")), L"no null"},
        {REG_EXPAND_SZ, Raw(std::wstring_view(L"%PATH%\0", 7)), L"%PATH%"},
        {REG_MULTI_SZ, Raw(std::wstring_view(L"one\0two\0\0", 9)), std::wstring(L"one\0two\0", 8)},
        {REG_BINARY, {1, 2, 3}, L"<i><binary data not shown></i>"},
        {REG_NONE, {1}, L"<i><binary data not shown></i>"},
        {REG_DWORD_BIG_ENDIAN, Raw<DWORD>(1), L"<i><binary data not shown></i>"},
    };
    for (const Formatted& c : cases) {
        std::wstring display = L"old";
        FormatData(c.type, c.data.data(), static_cast<DWORD>(c.data.size()), display);
        EXPECT_EQ(display, c.display) << "type " << c.type << " size " << c.data.size();
    }
    // An odd size: the last half character is not read.
    std::vector<BYTE> odd = Raw(std::wstring_view(L"ab"));
    odd.push_back('c');
    std::wstring display;
    FormatData(REG_SZ, odd.data(), static_cast<DWORD>(odd.size()), display);
    EXPECT_EQ(display, L"ab");
}

TEST(TypeName, SizeSuffixFollowsTheUnitAndUnknownTypesAreBytes) {
    EXPECT_EQ(SizeSuffix(REG_SZ, 26), L", 13 Chars") << "the terminating null counts as a character";
    EXPECT_EQ(SizeSuffix(REG_MULTI_SZ, 5), L", 2 Chars");
    EXPECT_EQ(SizeSuffix(REG_BINARY, 16), L", 16 Bytes");
    EXPECT_EQ(SizeSuffix(REG_DWORD_BIG_ENDIAN, 4), L", 4 Bytes");
    EXPECT_EQ(SizeSuffix(REG_DWORD, 4), L"");
    EXPECT_EQ(SizeSuffix(REG_QWORD, 8), L"");
    EXPECT_STREQ(TypeName(REG_DWORD_BIG_ENDIAN).name, L"REG_DWORD_BE");
    for (DWORD unknown : {12ul, 0xFFFFFFFFul}) {
        TypeInfo info = TypeName(unknown);
        EXPECT_STREQ(info.name, L"<UNKNOWN>");
        EXPECT_EQ(info.unit, SizeUnit::Bytes);
        EXPECT_EQ(info.icon, 2);
    }
}

TEST(ListResult, KeyAndValueLinesByteForByte) {
    SearchResult key;
    key.root = HKEY_LOCAL_MACHINE;
    key.SetKeyPath(L"SOFTWARE\\Microsoft");
    key.kind = RK_KEY | RK_KEY_NAME;
    key.nameMark = {0, 5, true}; // "Micro" in the key's name
    auto line = ListResult(key, 4);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, L"<p>HKEY_LOCAL_MACHINE\\SOFTWARE\\<font color=#007f22>Micro</font>soft</p>");
    EXPECT_EQ(line->icon, 0);
    EXPECT_EQ(line->index, 4u);

    SearchResult value;
    value.root = HKEY_CURRENT_USER;
    value.SetKeyPath(L"Software\\Run");
    value.valueName = L"Tool";
    value.kind = RK_DATA;
    value.type = REG_SZ;
    value.dataText = L"C:\\tool.exe";
    value.dataDisplay = DataDisplay::MarkedText;
    value.dataMark = {3, 4, true};
    value.dataSize = 26;
    line = ListResult(value, 0);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, L"HKEY_CURRENT_USER\\Software\\Run<br><p><i><font color=#afafaf>Value </font></i>Tool<br>"
                          L"<i><font color=#afafaf>Data </font><font color=#5f5f5f>{ REG_SZ, 13 Chars }\u00A0"
                          L"</font></i> C:\\<font color=#0077ff>tool</font>.exe </p>");
    EXPECT_EQ(line->icon, 1);

    // A default value directly under a hive: the path ends in a backslash and nothing follows "Value ".
    value.SetKeyPath(L"");
    value.valueName.clear();
    value.dataText.clear();
    value.type = REG_DWORD;
    value.dataSize = 4;
    value.dataDisplay = DataDisplay::Number;
    value.number = 1;
    line = ListResult(value, 1);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, L"HKEY_CURRENT_USER\\<br><p><i><font color=#afafaf>Value </font></i><br>"
                          L"<i><font color=#afafaf>Data </font><font color=#5f5f5f>{ REG_DWORD }\u00A0"
                          L"</font></i> 0x00000001 (1) </p>");
    EXPECT_EQ(line->icon, 2);

    value.removed = true;
    EXPECT_FALSE(ListResult(value, 1));
}

} // namespace
