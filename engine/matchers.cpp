#include "engine/matchers.h"

#include "engine/boost_regex.h"
#include "engine/key_paths.h"
#include "engine/text_fold.h"

#include <cstring>
#include <cwchar>

namespace {

std::string ToAnsi(const std::wstring& text) {
    std::string bytes;
    if (text.empty()) {
        return bytes;
    }
    int size =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
    }
    return bytes;
}

std::string UpperBytes(std::string bytes) {
    const auto& fold = textfold::Get();
    for (char& c : bytes) {
        c = fold.Upper(c);
    }
    return bytes;
}

// First occurrence of pattern (already upper-cased) in text, comparing text upper-cased.
template <class Ch> MatchAnswer FindFolded(std::basic_string_view<Ch> text, std::basic_string_view<Ch> pattern) {
    const auto& fold = textfold::Get();
    const size_t m = pattern.size();
    if (m > text.size()) {
        return {};
    }
    const Ch first = pattern[0];
    const size_t last = text.size() - m;
    for (size_t i = 0; i <= last; ++i) {
        if (fold.Upper(text[i]) != first) {
            continue;
        }
        size_t j = 1;
        while (j < m && fold.Upper(text[i + j]) == pattern[j]) {
            ++j;
        }
        if (j == m) {
            return {true, i, m};
        }
    }
    return {};
}

template <class Ch>
MatchAnswer Find(std::basic_string_view<Ch> text, std::basic_string_view<Ch> pattern, bool matchCase) {
    if (pattern.empty()) {
        return {true, 0, 0};
    }
    if (matchCase) {
        size_t at = text.find(pattern);
        return at == text.npos ? MatchAnswer{} : MatchAnswer{true, at, pattern.size()};
    }
    return FindFolded(text, pattern);
}

// Whether text contains literal, lower-casing text when literal was lower-cased (the regular expressions'
// own case rule).
template <class Ch>
bool ContainsLiteral(std::basic_string_view<Ch> text, const std::basic_string<Ch>& literal, bool matchCase) {
    if (literal.empty()) {
        return true;
    }
    if (matchCase) {
        return text.find(literal) != text.npos;
    }
    const auto& fold = textfold::Get();
    const size_t m = literal.size();
    if (m > text.size()) {
        return false;
    }
    for (size_t i = 0, last = text.size() - m; i <= last; ++i) {
        size_t j = 0;
        while (j < m && fold.Lower(text[i + j]) == literal[j]) {
            ++j;
        }
        if (j == m) {
            return true;
        }
    }
    return false;
}

template <class Str> Str LowerAll(Str text) {
    const auto& fold = textfold::Get();
    for (auto& c : text) {
        c = fold.Lower(c);
    }
    return text;
}

template <class Ch>
MatchAnswer SearchExpression(const Ch* first, const Ch* last, const searchregex::Regex<Ch>& compiled,
                             boost::match_results<const Ch*>& match, std::string& failure) {
    // The engine throws when an expression is too complex to finish on this candidate (its bound on the
    // states it visits) or memory runs out. That is a failure to report, never a quiet "no match".
    try {
        if (boost::regex_search(first, last, match, compiled)) {
            return {true, static_cast<size_t>(match[0].first - first),
                    static_cast<size_t>(match[0].second - match[0].first)};
        }
        return {};
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "unknown error";
    }
    MatchAnswer answer;
    answer.failed = true;
    return answer;
}

} // namespace

struct SearchMatcher::Expressions {
    searchregex::Regex<wchar_t> text;
    searchregex::Regex<char> bytes;
    bool hasText = false;
    bool hasBytes = false;
    // Reused across candidates so that a search does not allocate its results per call.
    boost::match_results<const wchar_t*> textMatch;
    boost::match_results<const char*> bytesMatch;
};

bool PrepareSearchText(const std::wstring& text, DWORD mode, std::vector<std::wstring>& patterns,
                       std::uint64_t& integerValue) {
    std::wstring trimmed = TrimWhiteSpace(text);
    if (trimmed.empty() && mode != SM_ALL_ITEMS) {
        return false;
    }
    patterns.clear();
    switch (mode) {
    case SM_FIND_STRING:
    case SM_WHOLE_STRING:
    case SM_REGEX:
    case SM_HEX: {
        std::wstring pattern = TrimChars(trimmed, L"\" ");
        pattern.erase(0, pattern.find_first_not_of(L".*"));
        patterns.push_back(std::move(pattern));
        break;
    }
    case SM_WILDCARD:
        trimmed.erase(0, trimmed.find_first_not_of(L".*"));
        patterns.push_back(WildcardToRegex(trimmed));
        break;
    case SM_ALL_ITEMS:
        return true;
    case SM_INTEGER: {
        int base = 10;
        if (trimmed.size() >= 2 && trimmed[0] == L'0' && (trimmed[1] == L'x' || trimmed[1] == L'X')) {
            trimmed = TrimWhiteSpace(trimmed.substr(2));
            base = 16;
        }
        integerValue = std::wcstoull(trimmed.c_str(), nullptr, base);
        return true;
    }
    default:
        break;
    }
    return !patterns.empty();
}

std::wstring WildcardToRegex(const std::wstring& wildcard) {
    std::wstring expression;
    expression.reserve(wildcard.size() * 2);
    for (wchar_t c : wildcard) {
        switch (c) {
        case L'*':
            expression += L".*?";
            break;
        case L'.':
            expression += L"\\.";
            break;
        case L'?':
            expression += L'.';
            break;
        default:
            expression += c;
            break;
        }
    }
    return expression;
}

void BytesToHex(const BYTE* bytes, size_t count, std::wstring& out) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    out.resize(count * 2);
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = kDigits[bytes[i] >> 4];
        out[2 * i + 1] = kDigits[bytes[i] & 0xF];
    }
}

std::wstring BytesToHex(const BYTE* bytes, size_t count) {
    std::wstring out;
    BytesToHex(bytes, count, out);
    return out;
}

SearchMatcher::SearchMatcher() = default;
SearchMatcher::~SearchMatcher() = default;

bool SearchMatcher::Configure(DWORD mode, const std::wstring& pattern, std::uint64_t integerValue, DWORD options) {
    const bool matchCase = (options & SO_MATCH_CASE) != 0;
    unicodeBinary_ = (options & SO_UNICODE_BINARY) != 0;
    integerValue_ = integerValue;
    if (configured_ && mode == mode_ && matchCase == matchCase_ && pattern == pattern_) {
        return valid_;
    }
    configured_ = true;
    mode_ = mode;
    matchCase_ = matchCase;
    pattern_ = pattern;
    Compile();
    return valid_;
}

void SearchMatcher::Compile() {
    valid_ = true;
    plainText_ = plainBytes_ = false;
    regex_.reset();
    textLiteral_.clear();
    bytesLiteral_.clear();
    const auto& fold = textfold::Get();

    comparePattern_ = pattern_;
    if (!matchCase_) {
        for (wchar_t& c : comparePattern_) {
            c = fold.Upper(c);
        }
    }
    const std::string ansi = ToAnsi(pattern_);
    const std::string utf16(reinterpret_cast<const char*>(pattern_.data()), pattern_.size() * sizeof(wchar_t));
    ansiPattern_ = matchCase_ ? ansi : UpperBytes(ansi);
    utf16Pattern_ = matchCase_ ? utf16 : UpperBytes(utf16);

    if (mode_ != SM_WILDCARD && mode_ != SM_REGEX) {
        return;
    }
    const auto flags = searchregex::Syntax(!matchCase_);
    regex_ = std::make_unique<Expressions>();
    plainText_ = plainTextPattern_.Parse(pattern_, !matchCase_);
    if (!plainText_) {
        try {
            regex_->text.assign(pattern_, flags);
            regex_->hasText = true;
        } catch (const std::exception&) {
            valid_ = false;
            return;
        }
        textLiteral_ = regexprefilter::RequiredLiteral<wchar_t>(pattern_);
        if (!matchCase_) {
            textLiteral_ = LowerAll(textLiteral_);
        }
    }
    // The ANSI form can differ from the typed expression (characters outside the code page become "?"); if
    // it does not compile, binary data simply never matches.
    plainBytes_ = plainBytesPattern_.Parse(ansi, !matchCase_);
    if (!plainBytes_) {
        try {
            regex_->bytes.assign(ansi, flags);
            regex_->hasBytes = true;
            bytesLiteral_ = regexprefilter::RequiredLiteral<char>(ansi);
            if (!matchCase_) {
                bytesLiteral_ = LowerAll(bytesLiteral_);
            }
        } catch (const std::exception&) {
            regex_->hasBytes = false;
        }
    }
}

MatchAnswer SearchMatcher::MatchText(std::wstring_view candidate) const {
    if (!valid_) {
        return {};
    }
    switch (mode_) {
    case SM_FIND_STRING:
    case SM_HEX:
        return Find<wchar_t>(candidate, comparePattern_, matchCase_);
    case SM_WHOLE_STRING:
        return WholeText(candidate);
    case SM_WILDCARD:
    case SM_REGEX:
        return RegexText(candidate);
    default:
        return {};
    }
}

MatchAnswer SearchMatcher::WholeText(std::wstring_view candidate) const {
    bool equal = false;
    if (matchCase_) {
        equal = candidate == pattern_;
    } else {
        // The locale-aware comparison of lstrcmpiW, with lengths so that the whole candidate counts.
        equal =
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, candidate.data(), static_cast<int>(candidate.size()),
                           pattern_.data(), static_cast<int>(pattern_.size())) == CSTR_EQUAL;
    }
    return equal ? MatchAnswer{true, 0, candidate.size()} : MatchAnswer{};
}

MatchAnswer SearchMatcher::RegexText(std::wstring_view candidate) const {
    if (plainText_) {
        return plainTextPattern_.Search(candidate);
    }
    if (!regex_ || !regex_->hasText || !ContainsLiteral(candidate, textLiteral_, matchCase_)) {
        return {};
    }
    return SearchExpression(candidate.data(), candidate.data() + candidate.size(), regex_->text, regex_->textMatch,
                            lastFailure_);
}

MatchAnswer SearchMatcher::MatchBytes(const BYTE* data, size_t size) const {
    if (!valid_) {
        return {};
    }
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MatchAnswer answer;
    switch (mode_) {
    case SM_FIND_STRING:
        answer = Find<char>(bytes, ansiPattern_, matchCase_);
        if (!answer.found && unicodeBinary_) {
            answer = Find<char>(bytes, utf16Pattern_, matchCase_);
        }
        return answer;
    case SM_WHOLE_STRING:
        answer = WholeBytes(bytes, ansiPattern_);
        if (!answer.found && unicodeBinary_) {
            answer = WholeBytes(bytes, utf16Pattern_);
        }
        return answer;
    case SM_WILDCARD:
    case SM_REGEX:
        return RegexBytes(bytes);
    default:
        return {};
    }
}

MatchAnswer SearchMatcher::WholeBytes(std::string_view data, const std::string& pattern) const {
    if (data.size() != pattern.size()) {
        return {};
    }
    const auto& fold = textfold::Get();
    for (size_t i = 0; i < data.size(); ++i) {
        char c = matchCase_ ? data[i] : fold.Upper(data[i]);
        if (c != pattern[i]) {
            return {};
        }
    }
    return {true, 0, data.size()};
}

MatchAnswer SearchMatcher::RegexBytes(std::string_view data) const {
    if (plainBytes_) {
        return plainBytesPattern_.Search(data);
    }
    if (!regex_ || !regex_->hasBytes || !ContainsLiteral(data, bytesLiteral_, matchCase_)) {
        return {};
    }
    return SearchExpression(data.data(), data.data() + data.size(), regex_->bytes, regex_->bytesMatch, lastFailure_);
}

bool SearchMatcher::MatchInteger(DWORD type, const BYTE* data, size_t size) const {
    if (type == REG_DWORD && size >= sizeof(std::uint32_t)) {
        std::uint32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        return value == static_cast<std::uint32_t>(integerValue_);
    }
    if (type == REG_QWORD && size >= sizeof(std::uint64_t)) {
        std::uint64_t value = 0;
        std::memcpy(&value, data, sizeof value);
        return value == integerValue_;
    }
    return false;
}

bool SearchMatcher::MatchAndMark(std::wstring_view candidate, std::wstring& display, MarkColour colour) const {
    if (candidate.empty()) {
        return false;
    }
    MatchAnswer answer = MatchText(candidate);
    if (!answer.found) {
        return false;
    }
    display = MarkAndShorten(display, answer.position, answer.length, colour);
    return true;
}

bool SearchMatcher::MatchBinary(const BYTE* data, size_t size, std::wstring& display) const {
    MatchAnswer answer = MatchBytes(data, size);
    if (!answer.found) {
        return false;
    }
    display = BinaryMarkup(data, size, answer.position, answer.length);
    return true;
}
