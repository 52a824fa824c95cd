#include "engine/boost_regex.h"
#include "engine/search_request.h"
#include "engine/matchers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(std::string_view text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

std::vector<BYTE> Utf16Bytes(std::wstring_view text) {
    const BYTE* p = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(p, p + text.size() * sizeof(wchar_t));
}

struct Prepared {
    const wchar_t* text;
    DWORD mode;
    bool ok;
    std::vector<std::wstring> patterns;
};

TEST(PrepareSearchText, TrimsQuotesLeadingDotsAndStarsByMode) {
    const Prepared cases[] = {
        {L"\"*.reg\"", SM_FIND_STRING, true, {L"reg"}},
        {L".txt", SM_FIND_STRING, true, {L"txt"}},
        {L"  \" a b \" ", SM_WHOLE_STRING, true, {L"a b"}},
        {L".*foo", SM_REGEX, true, {L"foo"}},
        {L"...", SM_REGEX, true, {L""}},
        {L" ABCD ", SM_HEX, true, {L"ABCD"}},
        {L"a*b?", SM_WILDCARD, true, {L"a.*?b."}},
        {L"*.\"quoted\"", SM_WILDCARD, true, {L"\"quoted\""}},
        {L"*.txt", SM_WILDCARD, true, {L"txt"}},
        {L"anything", SM_ALL_ITEMS, true, {}},
        {L"", SM_ALL_ITEMS, true, {}},
        {L" \t ", SM_FIND_STRING, false, {L"untouched"}},
        {L"", SM_REGEX, false, {L"untouched"}},
        {L"", SM_INTEGER, false, {L"untouched"}},
    };
    for (const Prepared& c : cases) {
        std::vector<std::wstring> patterns{L"untouched"};
        std::uint64_t value = 7;
        EXPECT_EQ(PrepareSearchText(c.text, c.mode, patterns, value), c.ok) << c.text;
        EXPECT_EQ(patterns, c.patterns) << c.text;
        EXPECT_EQ(value, 7u) << c.text;
    }
}

TEST(PrepareSearchText, IntegerModeParsesDecimalOrHexLikeTheCLibrary) {
    const std::pair<const wchar_t*, std::uint64_t> cases[] = {
        {L"0x1F", 31},
        {L"0X1f", 31},
        {L"31", 31},
        {L" 0x 1F ", 31},
        {L"-1", UINT64_MAX},
        {L"abc", 0},
        {L"12abc", 12},
        {L"99999999999999999999999", UINT64_MAX},
        {L"0x100000005", 0x100000005ull},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::wstring> patterns{L"old"};
        std::uint64_t value = 7;
        EXPECT_TRUE(PrepareSearchText(text, SM_INTEGER, patterns, value)) << text;
        EXPECT_EQ(value, expected) << text;
        EXPECT_TRUE(patterns.empty()) << text;
    }
}

TEST(WildcardToRegex, StarDotAndQuestionMarkOnlyAreTranslated) {
    EXPECT_EQ(WildcardToRegex(L"a*b?"), L"a.*?b.");
    EXPECT_EQ(WildcardToRegex(L"file.txt"), L"file\\.txt");
    EXPECT_EQ(WildcardToRegex(L"[ab]+"), L"[ab]+");
    EXPECT_EQ(WildcardToRegex(L""), L"");
}

TEST(BytesToHex, TwoUpperCaseDigitsPerByte) {
    const BYTE data[] = {0x0A, 0xBC, 0xD0, 0x00, 0xFF};
    EXPECT_EQ(BytesToHex(data, 5), L"0ABCD000FF");
    EXPECT_EQ(BytesToHex(data, 0), L"");
}

struct TextCase {
    DWORD mode;
    const wchar_t* pattern;
    DWORD options;
    const wchar_t* candidate;
    bool found;
    size_t position;
    size_t length;
};

constexpr DWORD kIgnoreCase = 0;
constexpr DWORD kMatchCase = SO_MATCH_CASE;

TEST(MatchText, EachModeFindsWhereItShould) {
    const TextCase cases[] = {
        // Find string: first occurrence, upper-cased comparison unless case matters.
        {SM_FIND_STRING, L"run", kIgnoreCase, L"xRUNyrun", true, 1, 3},
        {SM_FIND_STRING, L"run", kMatchCase, L"xRUNyrun", true, 5, 3},
        {SM_FIND_STRING, L"run", kMatchCase, L"xRUNy", false, 0, 0},
        {SM_FIND_STRING, L"\u00e9t\u00e9", kIgnoreCase, L"L'\u00e9T\u00e9", true, 2, 3},
        {SM_FIND_STRING, L"", kIgnoreCase, L"abc", true, 0, 0},
        {SM_FIND_STRING, L"abcd", kIgnoreCase, L"abc", false, 0, 0},
        // Whole string: the locale-aware case-insensitive comparison, or exact.
        {SM_WHOLE_STRING, L"run", kIgnoreCase, L"Run", true, 0, 3},
        {SM_WHOLE_STRING, L"run", kIgnoreCase, L"RunOnce", false, 0, 0},
        {SM_WHOLE_STRING, L"run", kMatchCase, L"Run", false, 0, 0},
        {SM_WHOLE_STRING, L"Run", kMatchCase, L"Run", true, 0, 3},
        // Wildcards: a search anywhere, lazy stars, "?" one character, "." literal.
        {SM_WILDCARD, L"a*b?", kIgnoreCase, L"xxaQQbZyy", true, 2, 5},
        {SM_WILDCARD, L"abc", kIgnoreCase, L"xABCx", true, 1, 3},
        {SM_WILDCARD, L"a*c", kIgnoreCase, L"zabxcz", true, 1, 4},
        {SM_WILDCARD, L"a*c", kIgnoreCase, L"zab\ncz", false, 0, 0},
        {SM_WILDCARD, L"*.txt", kIgnoreCase, L"readme.TXT", true, 7, 3},
        {SM_WILDCARD, L"file.txt", kIgnoreCase, L"fileXtxt", false, 0, 0},
        {SM_WILDCARD, L"a*", kMatchCase, L"bAba", true, 3, 1},
        {SM_WILDCARD, L"[xy]z", kIgnoreCase, L"aYZ", true, 1, 2},
        // Regular expressions.
        {SM_REGEX, L"b+", kIgnoreCase, L"aBbBc", true, 1, 3},
        {SM_REGEX, L"b+", kMatchCase, L"aBbBc", true, 2, 1},
        {SM_REGEX, L"^run$", kIgnoreCase, L"Run", true, 0, 3},
        {SM_REGEX, L"colou?r", kIgnoreCase, L"the Color", true, 4, 5},
        {SM_REGEX, L"", kIgnoreCase, L"abc", true, 0, 0},
        // Hex text is searched like a string, so a match may start at either digit of a byte.
        {SM_HEX, L"ABCD", kIgnoreCase, L"0ABCD0", true, 1, 4},
        {SM_HEX, L"AB CD", kIgnoreCase, L"0ABCD0", false, 0, 0},
        // Modes that never match text.
        {SM_ALL_ITEMS, L"", kIgnoreCase, L"abc", false, 0, 0},
        {SM_INTEGER, L"", kIgnoreCase, L"5", false, 0, 0},
    };
    for (const TextCase& c : cases) {
        std::vector<std::wstring> patterns;
        std::uint64_t value = 0;
        std::wstring text = c.pattern;
        if (c.mode != SM_ALL_ITEMS && c.mode != SM_INTEGER && !text.empty()) {
            ASSERT_TRUE(PrepareSearchText(text, c.mode, patterns, value)) << text;
        } else {
            patterns.push_back(text);
        }
        SearchMatcher matcher;
        ASSERT_TRUE(matcher.Configure(c.mode, patterns.empty() ? L"" : patterns[0], value, c.options)) << text;
        MatchAnswer answer = matcher.MatchText(c.candidate);
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " pattern '" << text << "' options " << c.options);
        EXPECT_EQ(answer.found, c.found);
        if (c.found) {
            EXPECT_EQ(answer.position, c.position);
            EXPECT_EQ(answer.length, c.length);
        }
    }
}

TEST(SetSearchString, InvalidExpressionsAreRefusedWithoutThrowing) {
    SearchRequest request;
    const auto set = [&](const wchar_t* text, DWORD mode) {
        request.mode = mode;
        return SetRequestPattern(request, text);
    };
    EXPECT_FALSE(set(L"a[", SM_WILDCARD));
    EXPECT_FALSE(set(L"(", SM_REGEX));
    EXPECT_FALSE(set(L"(a)\\2", SM_REGEX));
    EXPECT_FALSE(set(L"   ", SM_FIND_STRING));
    // An unfinished repeat is read as plain characters, as browsers' ECMAScript reads it.
    EXPECT_TRUE(set(L"a{2", SM_REGEX));
    EXPECT_TRUE(set(L"a[bc]", SM_WILDCARD));
    EXPECT_EQ(request.patterns, (std::vector<std::wstring>{L"a[bc]"}));
    EXPECT_TRUE(set(L"0x10", SM_INTEGER));
    EXPECT_TRUE(request.patterns.empty());
    EXPECT_EQ(request.integerValue, 16u);
    EXPECT_TRUE(set(L"", SM_ALL_ITEMS));
}

TEST(SearchMatcher, CaseRuleChangedAfterConfigureIsRecompiled) {
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"ab+c", 0, 0));
    EXPECT_TRUE(matcher.MatchText(L"ABBC").found);
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"ab+c", 0, SO_MATCH_CASE));
    EXPECT_FALSE(matcher.MatchText(L"ABBC").found);
    EXPECT_TRUE(matcher.MatchText(L"abbc").found);
    EXPECT_FALSE(matcher.Configure(SM_REGEX, L"ab+(c", 0, 0));
    EXPECT_FALSE(matcher.MatchText(L"abbc").found) << "an invalid expression matches nothing";
}

struct BinaryCase {
    DWORD mode;
    const wchar_t* pattern;
    DWORD options;
    std::vector<BYTE> data;
    bool found;
    size_t position;
    size_t length;
};

TEST(MatchBytes, AnsiThenUtf16FormOnlyForFindAndWholeWithTheOption) {
    const std::vector<BYTE> hello16 = Utf16Bytes(L"hello");
    const BinaryCase cases[] = {
        {SM_FIND_STRING, L"hello", SO_UNICODE_BINARY, hello16, true, 0, 10},
        {SM_FIND_STRING, L"hello", 0, hello16, false, 0, 0},
        {SM_FIND_STRING, L"HELLO", SO_UNICODE_BINARY, hello16, true, 0, 10},
        {SM_FIND_STRING, L"HELLO", SO_UNICODE_BINARY | SO_MATCH_CASE, hello16, false, 0, 0},
        {SM_FIND_STRING, L"ell", 0, Bytes("\x01hello"), true, 2, 3},
        {SM_WHOLE_STRING, L"hello", 0, Bytes("HELLO"), true, 0, 5},
        {SM_WHOLE_STRING, L"hello", 0, Bytes("hello!"), false, 0, 0},
        {SM_WHOLE_STRING, L"hello", SO_UNICODE_BINARY, hello16, true, 0, 10},
        {SM_WHOLE_STRING, L"hello", 0, hello16, false, 0, 0},
        {SM_WILDCARD, L"hel*o", SO_UNICODE_BINARY, hello16, false, 0, 0},
        {SM_WILDCARD, L"hel*o", 0, Bytes("xhelllo"), true, 1, 6},
        {SM_REGEX, L"l+o", 0, Bytes("hello"), true, 2, 3},
        {SM_REGEX, L"L+O", 0, Bytes("hello"), true, 2, 3},
        {SM_HEX, L"68", 0, Bytes("hello"), false, 0, 0},
    };
    for (const BinaryCase& c : cases) {
        SearchMatcher matcher;
        std::wstring pattern = c.mode == SM_WILDCARD ? WildcardToRegex(c.pattern) : c.pattern;
        ASSERT_TRUE(matcher.Configure(c.mode, pattern, 0, c.options));
        MatchAnswer answer = matcher.MatchBytes(c.data.data(), c.data.size());
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " options " << c.options);
        EXPECT_EQ(answer.found, c.found);
        if (c.found) {
            EXPECT_EQ(answer.position, c.position);
            EXPECT_EQ(answer.length, c.length);
        }
    }
}

TEST(MatchBinary, DisplayShowsPrintableBytesWithTheMatchColoured) {
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_FIND_STRING, L"hello", 0, SO_UNICODE_BINARY));
    std::vector<BYTE> data = Utf16Bytes(L"hello");
    std::wstring display = L"old";
    ASSERT_TRUE(matcher.MatchBinary(data.data(), data.size(), display));
    EXPECT_EQ(display, L"<font color=#0077ff>h.e.l.l.o.</font>");

    ASSERT_TRUE(matcher.Configure(SM_FIND_STRING, L"zz", 0, 0));
    display = L"old";
    EXPECT_FALSE(matcher.MatchBinary(data.data(), data.size(), display));
    EXPECT_EQ(display, L"old");

    // Bytes outside 0x20..0x7E become dots; long displays are cut around the match.
    std::vector<BYTE> big(200, 0xE9);
    const char* word = "needle";
    std::copy(word, word + 6, big.begin() + 150);
    ASSERT_TRUE(matcher.Configure(SM_FIND_STRING, L"NEEDLE", 0, 0));
    ASSERT_TRUE(matcher.MatchBinary(big.data(), big.size(), display));
    std::wstring marked = std::wstring(150, L'.') + L"<font color=#0077ff>needle</font>" + std::wstring(44, L'.');
    EXPECT_EQ(display, L"<...>" + marked.substr(125, 84) + L"<...>");
}

TEST(MatchInteger, DwordLowBitsAndQwordWholeNeverPastTheData) {
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_INTEGER, L"", 0x100000005ull, 0));
    const BYTE five[] = {5, 0, 0, 0, 0, 0, 0, 0};
    const BYTE qword[] = {5, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_TRUE(matcher.MatchInteger(REG_DWORD, five, 4));
    EXPECT_TRUE(matcher.MatchInteger(REG_DWORD, five, 8)) << "only the first 4 bytes count";
    EXPECT_FALSE(matcher.MatchInteger(REG_QWORD, five, 8));
    EXPECT_TRUE(matcher.MatchInteger(REG_QWORD, qword, 8));
    EXPECT_FALSE(matcher.MatchInteger(REG_DWORD, five, 3)) << "short data never matches";
    EXPECT_FALSE(matcher.MatchInteger(REG_QWORD, qword, 7));
    EXPECT_FALSE(matcher.MatchInteger(REG_BINARY, five, 4));
    EXPECT_FALSE(matcher.MatchInteger(REG_DWORD_BIG_ENDIAN, five, 4));
}

TEST(MatchAndMark, MarksWithTheColourAndNeverMatchesEmptyText) {
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_FIND_STRING, L"run", 0, 0));
    std::wstring display = L"AutoRun";
    EXPECT_TRUE(matcher.MatchAndMark(L"AutoRun", display, MarkColour::ValueName));
    EXPECT_EQ(display, L"Auto<font color=#df0000>Run</font>");
    ASSERT_TRUE(matcher.Configure(SM_FIND_STRING, L"", 0, 0));
    display = L"";
    EXPECT_FALSE(matcher.MatchAndMark(L"", display, MarkColour::Data));
    EXPECT_EQ(display, L"");
}

// The plain matcher stands in for the expression engine whenever it accepts an expression: it must find
// exactly the same match on every candidate.
TEST(PlainPattern, AgreesWithTheExpressionEngineOnRandomExpressions) {
    std::mt19937 random(12345);
    const std::wstring pieces[] = {L"a", L"B", L"b", L".", L".*?", L"\u00c9", L"\u00e9"};
    const wchar_t letters[] = {L'a', L'A', L'b', L'B', L'c', L'\n', L'\u00e9', L'\u00c9', L'\u2028'};
    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        std::wstring expression;
        int pieceCount = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < pieceCount; ++i) {
            expression += pieces[random() % std::size(pieces)];
        }
        std::wstring text;
        int length = static_cast<int>(random() % 14);
        for (int i = 0; i < length; ++i) {
            text += letters[random() % std::size(letters)];
        }
        bool ignoreCase = random() % 2 == 0;
        PlainPattern<wchar_t> plain;
        ASSERT_TRUE(plain.Parse(expression, ignoreCase)) << expression.size();
        searchregex::Regex<wchar_t> regex(expression, searchregex::Syntax(ignoreCase));
        boost::match_results<std::wstring::const_iterator> match;
        bool expected = boost::regex_search(text, match, regex);
        MatchAnswer answer = plain.Search(text);
        ASSERT_EQ(answer.found, expected) << "round " << round;
        if (expected) {
            ASSERT_EQ(answer.position, static_cast<size_t>((match[0].first - text.cbegin()))) << "round " << round;
            ASSERT_EQ(answer.length, static_cast<size_t>((match[0].second - match[0].first))) << "round " << round;
        }
        ++compared;
    }
    EXPECT_EQ(compared, 3000);
}

TEST(PlainPattern, RefusesEverythingButCharactersDotAndLazyStar) {
    PlainPattern<wchar_t> plain;
    for (const wchar_t* refused :
         {L"a+", L"a*", L".*", L".*??", L"[a]", L"(a)", L"a|b", L"^a", L"a$", L"\\.", L"a{2}", L"a?", L"\n"}) {
        EXPECT_FALSE(plain.Parse(refused, false)) << refused;
    }
    for (const wchar_t* accepted : {L"", L"abc", L"a.c", L".*?", L"a.*?b.*?", L"x.*?.*?y"}) {
        EXPECT_TRUE(plain.Parse(accepted, false)) << accepted;
    }
}

TEST(RegexPrefilter, RequiredLiteralIsTheLongestUnquantifiedTopLevelRun) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"ne+dle[0-9]+\\\\", L"dle"},
        {L"colou?r", L"colo"},
        {L"(abc)def", L"def"},
        {L"a\\.b", L"a.b"},
        {L"x\\d+yz", L"yz"},
        {L"ab{2,}cd", L"cd"},
        {L"^start.*end$", L"start"},
        {L"abc|def", L""},
        {L"(a|b)c", L"c"},
        {L"\\x41bc", L""},
        {L"[]a]bc", L""},
        {L"(?=abc)x", L"x"},
        {L"ab*?cd", L"cd"},
        {L"", L""},
    };
    for (const auto& [expression, literal] : cases) {
        EXPECT_EQ(regexprefilter::RequiredLiteral<wchar_t>(expression), literal) << expression;
    }
}

// Fault guarded against: a literal that some match lacks would make the search miss results.
TEST(RegexPrefilter, EveryMatchContainsTheLiteral) {
    std::mt19937 random(777);
    const std::wstring pieces[] = {L"a",   L"b", L"c", L"ab", L".",     L"[ab]", L"(a|bc)", L"(?:b+)", L"\\.",
                                   L"\\w", L"+", L"*", L"?",  L"{1,2}", L"a",    L"bc",     L"^",      L"$"};
    const wchar_t letters[] = {L'a', L'b', L'c', L'.', L'A', L'B'};
    int checked = 0;
    for (int round = 0; round < 3000; ++round) {
        std::wstring expression;
        for (int i = 0, n = 1 + static_cast<int>(random() % 7); i < n; ++i) {
            expression += pieces[random() % std::size(pieces)];
        }
        searchregex::Regex<wchar_t> regex;
        try {
            regex.assign(expression, searchregex::Syntax(true));
        } catch (const std::exception&) {
            continue;
        }
        std::wstring literal = regexprefilter::RequiredLiteral<wchar_t>(expression);
        for (wchar_t& c : literal) {
            c = static_cast<wchar_t>(std::towlower(c));
        }
        for (int t = 0; t < 10; ++t) {
            std::wstring text;
            for (int i = 0, n = static_cast<int>(random() % 10); i < n; ++i) {
                text += letters[random() % std::size(letters)];
            }
            if (boost::regex_search(text, regex)) {
                std::wstring lower = text;
                for (wchar_t& c : lower) {
                    c = static_cast<wchar_t>(std::towlower(c));
                }
                ASSERT_NE(lower.find(literal), std::wstring::npos) << "round " << round;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

// Fault guarded against: candidates beyond 32,768 characters or bytes were never given to the expression
// search (it recursed per character), so long values silently never matched.
TEST(RegexSearch, CandidatesOfAnyLengthAreSearched) {
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_WILDCARD, WildcardToRegex(L"a*z"), 0, 0));
    std::wstring huge = L"a" + std::wstring(2000000, L'b');
    EXPECT_FALSE(matcher.MatchText(huge).found);
    huge += L'z';
    MatchAnswer answer = matcher.MatchText(huge);
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(answer.length, huge.size());

    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"a(b|c)*z", 0, 0));
    answer = matcher.MatchText(huge);
    EXPECT_TRUE(answer.found);
    EXPECT_FALSE(answer.failed);
    EXPECT_EQ(answer.length, huge.size());

    const std::wstring justOver = std::wstring(32763, L'q') + L"needle";
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"ne+dle", 0, 0));
    answer = matcher.MatchText(justOver);
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(answer.position, 32763u);
    std::wstring million = L"a" + std::wstring(1000000 - 7, L'x') + L"needle";
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"a.*needle", 0, 0));
    answer = matcher.MatchText(million);
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(answer.length, 1000000u);

    // Binary data: the single-byte expression over a megabyte.
    std::vector<BYTE> data(1 << 20, '.');
    const char tail[] = "neeedle";
    std::copy(tail, tail + 7, data.end() - 7);
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"[m-o]e+dle", 0, 0));
    answer = matcher.MatchBytes(data.data(), data.size());
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(answer.position, data.size() - 7);
}

// An expression that cannot finish is a failure with the engine's reason, not a miss.
TEST(RegexSearch, AnExpressionTooComplexToFinishIsReportedAsAFailure) {
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"(x+x+)+y", 0, 0));
    // The candidate holds the expression's literal, so the prefilter lets it through.
    MatchAnswer answer = matcher.MatchText(std::wstring(60, L'x') + L"-y");
    EXPECT_FALSE(answer.found);
    EXPECT_TRUE(answer.failed);
    EXPECT_FALSE(matcher.LastFailure().empty());
    const std::string bytes = std::string(60, 'x') + "-y";
    answer = matcher.MatchBytes(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    EXPECT_TRUE(answer.failed);
    answer = matcher.MatchText(L"xxxy");
    EXPECT_TRUE(answer.found);
    EXPECT_FALSE(answer.failed);
}

// The grammar as the search modes read it: anchors at the ends only, "." never a line break, even though
// the engine's own defaults differ.
TEST(RegexSearch, AnchorsAndDotFollowTheEcmaScriptReading) {
    const TextCase cases[] = {
        {SM_REGEX, L"^b", kIgnoreCase, L"a\nb", false, 0, 0},
        {SM_REGEX, L"a$", kIgnoreCase, L"a\nb", false, 0, 0},
        {SM_REGEX, L"a.b", kIgnoreCase, L"a\nb", false, 0, 0},
        {SM_REGEX, L"a.b", kIgnoreCase, L"a\u2028b", false, 0, 0},
        {SM_REGEX, L"a[^x]b", kIgnoreCase, L"a\nb", true, 0, 3},
        {SM_REGEX, L"^a.c$", kIgnoreCase, L"ABC", true, 0, 3},
        {SM_REGEX, L"\\d+", kIgnoreCase, L"ab123", true, 2, 3},
        {SM_REGEX, L"(?:ab)+", kMatchCase, L"xababAB", true, 1, 4},
    };
    for (const TextCase& c : cases) {
        SearchMatcher matcher;
        ASSERT_TRUE(matcher.Configure(c.mode, c.pattern, 0, c.options)) << c.pattern;
        MatchAnswer answer = matcher.MatchText(c.candidate);
        EXPECT_EQ(answer.found, c.found) << c.pattern;
        if (c.found) {
            EXPECT_EQ(answer.position, c.position) << c.pattern;
            EXPECT_EQ(answer.length, c.length) << c.pattern;
        }
    }
}

// Inline options change how the rest of an expression reads; the prefilter must not demand a literal then.
TEST(RegexPrefilter, GivesNoLiteralWhereInlineOptionsChangeTheReading) {
    for (const wchar_t* expression : {L"(?i)abc", L"x(?i:abc)", L"\\Qa.b\\E", L"(?x) a b c", L"(*ANY)abc"}) {
        EXPECT_EQ(regexprefilter::RequiredLiteral<wchar_t>(expression), L"") << expression;
    }
    SearchMatcher matcher;
    ASSERT_TRUE(matcher.Configure(SM_REGEX, L"(?i)needle", 0, SO_MATCH_CASE));
    EXPECT_TRUE(matcher.MatchText(L"a NEEDLE").found);
}

} // namespace
