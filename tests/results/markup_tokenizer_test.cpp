#include "results/markup_tokenizer.h"
#include "tests/results/guarded_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    int code;
    std::wstring text;
    bool space;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> Tokens(const std::wstring& text) {
    MarkupTokenizer tokenizer(text.data(), text.size());
    std::vector<Seen> seen;
    MarkupToken token;
    while (tokenizer.Next(token)) {
        seen.push_back({token.code, text.substr(token.start, token.length), token.spaceBefore});
    }
    return seen;
}

std::vector<int> Codes(const std::wstring& text) {
    std::vector<int> codes;
    for (const Seen& s : Tokens(text)) {
        codes.push_back(s.code);
    }
    return codes;
}

TEST(MarkupTokenizer, TagNamesAreMatchedByPrefixInTheirFixedOrder) {
    EXPECT_EQ(
        Codes(L"<b><strong><i><em><u><sup><sub><p><br><font>"),
        (std::vector<int>{MT_BOLD, MT_BOLD, MT_ITALIC, MT_ITALIC, MT_UNDERLINE, MT_SUP, MT_SUB, MT_P, MT_BR, MT_FONT}));
    // Closing tags add 256; names are compared without regard to case.
    EXPECT_EQ(Codes(L"</B></Em></FONT></br>"), (std::vector<int>{MT_BOLD | MT_CLOSING, MT_ITALIC | MT_CLOSING,
                                                                 MT_FONT | MT_CLOSING, MT_BR | MT_CLOSING}));
    // A word that merely begins with a known name is that name: br before b, "UNKNOWN" is u, "pre" is p.
    EXPECT_EQ(Codes(L"<bold><brx><UNKNOWN><pre><img><br/>"),
              (std::vector<int>{MT_BOLD, MT_BR, MT_UNDERLINE, MT_P, MT_ITALIC, MT_BR}));
}

TEST(MarkupTokenizer, UnknownOrMalformedTagsBecomeWordsOrAreDropped) {
    // An unknown opening tag is a word drawn literally; an unknown closing tag is code 256 alone.
    EXPECT_EQ(Tokens(L"<KEY></KEY>x"),
              (std::vector<Seen>{{MT_WORD, L"<KEY>", false}, {MT_CLOSING, L"</KEY>", false}, {MT_WORD, L"x", false}}));
    // A known name not followed by '>' is no tag: "<b x>" is two words.
    EXPECT_EQ(Tokens(L"<b x>"), (std::vector<Seen>{{MT_WORD, L"<b", false}, {MT_WORD, L"x>", true}}));
    // The engine's literal markers.
    EXPECT_EQ(Tokens(L"<...>"), (std::vector<Seen>{{MT_WORD, L"<...>", false}}));
    EXPECT_EQ(Tokens(L"<more data...>"), (std::vector<Seen>{{MT_WORD, L"<more", false}, {MT_WORD, L"data...>", true}}));
    EXPECT_EQ(Tokens(L"<"), (std::vector<Seen>{{MT_WORD, L"<", false}}));
    EXPECT_EQ(Tokens(L"<<</"),
              (std::vector<Seen>{{MT_WORD, L"<", false}, {MT_WORD, L"<", false}, {MT_WORD, L"</", false}}));
    EXPECT_EQ(Tokens(L"a<>b"), (std::vector<Seen>{{MT_WORD, L"a", false}, {MT_WORD, L"<>b", false}}));
    // Only font takes attributes.
    EXPECT_EQ(Codes(L"<i class=x>"), (std::vector<int>{MT_WORD, MT_WORD}));
    EXPECT_EQ(Codes(L"<font face=x size=3>"), (std::vector<int>{MT_FONT}));
}

TEST(MarkupTokenizer, WhitespaceFlagIsKeptUntilAWordUsesIt) {
    EXPECT_EQ(Tokens(L"a \t\r\n b"), (std::vector<Seen>{{MT_WORD, L"a", false}, {MT_WORD, L"b", true}}));
    // Space before a tag carries over to the next word; tags themselves do not take it.
    EXPECT_EQ(Tokens(L"a <b> c"),
              (std::vector<Seen>{{MT_WORD, L"a", false}, {MT_BOLD, L"<b>", false}, {MT_WORD, L"c", true}}));
    EXPECT_EQ(
        Tokens(L"a</b>c"),
        (std::vector<Seen>{{MT_WORD, L"a", false}, {MT_BOLD | MT_CLOSING, L"</b>", false}, {MT_WORD, L"c", false}}));
    // br and p clear it and swallow the whitespace after them: a new line never starts with a space.
    EXPECT_EQ(Tokens(L"a <br> b <p>  c"), (std::vector<Seen>{{MT_WORD, L"a", false},
                                                             {MT_BR, L"<br>", false},
                                                             {MT_WORD, L"b", false},
                                                             {MT_P, L"<p>", false},
                                                             {MT_WORD, L"c", false}}));
    // A no-break space is not whitespace.
    EXPECT_EQ(Tokens(L"}\u00A0</font>"),
              (std::vector<Seen>{{MT_WORD, L"}\u00A0", false}, {MT_FONT | MT_CLOSING, L"</font>", false}}));
}

TEST(MarkupTokenizer, FontColourIsReadOnlyDirectlyAfterTheTagName) {
    auto first = [](const std::wstring& text) {
        MarkupTokenizer tokenizer(text.data(), text.size());
        MarkupToken token;
        EXPECT_TRUE(tokenizer.Next(token));
        return token;
    };
    MarkupToken token = first(L"<font color=#0077ff>x");
    EXPECT_EQ(token.code, MT_FONT);
    EXPECT_TRUE(token.hasColor);
    EXPECT_EQ(token.color, RGB(0, 0x77, 0xff));
    EXPECT_EQ(token.length, 20u);
    EXPECT_EQ(first(L"<FONT COLOR=\"#A0b0C0\">").color, RGB(0xa0, 0xb0, 0xc0));
    EXPECT_EQ(first(L"<font color='102030'>").color, RGB(0x10, 0x20, 0x30));
    EXPECT_FALSE(first(L"<font size=2 color=#ff0000>").hasColor);
    EXPECT_FALSE(first(L"<font  color=#ff0000>").hasColor);
    EXPECT_FALSE(first(L"<fontx color=#ff0000>").hasColor);
    // Cut short: missing and non-hex digits count as 0, and nothing past the tag is read.
    EXPECT_EQ(first(L"<font color=#ab>cdef").color, RGB(0xab, 0, 0));
    EXPECT_EQ(first(L"<font color=#zz1122>").color, RGB(0, 0x11, 0x22));
    token = first(L"<font color=#12");
    EXPECT_TRUE(token.hasColor);
    EXPECT_EQ(token.color, RGB(0x12, 0, 0));
    EXPECT_EQ(token.length, 15u);
    // A font tag runs to the next '<' when no '>' comes first.
    EXPECT_EQ(Tokens(L"<font color=#ff0000<b>x"),
              (std::vector<Seen>{
                  {MT_FONT, L"<font color=#ff0000", false}, {MT_BOLD, L"<b>", false}, {MT_WORD, L"x", false}}));
}

TEST(MarkupTokenizer, ColourValuesParseWithOptionalQuoteAndHash) {
    EXPECT_EQ(ParseMarkupColor(L"#FFfF00", 7), RGB(255, 255, 0));
    EXPECT_EQ(ParseMarkupColor(L"'#007f22'", 9), RGB(0, 0x7f, 0x22));
    EXPECT_EQ(ParseMarkupColor(L"\"df0000", 7), RGB(0xdf, 0, 0));
    EXPECT_EQ(ParseMarkupColor(L"", 0), RGB(0, 0, 0));
    EXPECT_EQ(ParseMarkupColor(L"#ffffff", 3), RGB(0xff, 0, 0)); // the length bounds the read
}

TEST(MarkupTokenizer, ExplicitLengthIsNeverOverrun) {
    // Each text ends exactly at an inaccessible page: any read past its length faults.
    for (const std::wstring& text : {std::wstring(L"<"), std::wstring(L"</"), std::wstring(L"<font color=#1"),
                                     std::wstring(L"<font color="), std::wstring(L"<font "), std::wstring(L"<b"),
                                     std::wstring(L"word "), std::wstring(L"a\0b<\0>", 6), std::wstring(L"<br")}) {
        GuardedText guarded(text);
        MarkupTokenizer tokenizer(guarded.Data(), text.size());
        MarkupToken token;
        size_t consumed = 0;
        while (tokenizer.Next(token)) {
            EXPECT_LE(token.start + token.length, text.size());
            consumed = token.start + token.length;
        }
        EXPECT_LE(consumed, text.size());
    }
    // Embedded NULs are ordinary characters of a word.
    EXPECT_EQ(Tokens(std::wstring(L"a\0b c", 5)),
              (std::vector<Seen>{{MT_WORD, std::wstring(L"a\0b", 3), false}, {MT_WORD, L"c", true}}));
}

} // namespace
