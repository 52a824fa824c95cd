#include "results/markup_tokenizer.h"

namespace {

struct TagName {
    const wchar_t* name;
    size_t length;
    int code;
};

// Tried in this order; the first name the tag word begins with wins, so "br" comes before "b" and a word
// such as "UNKNOWN" is taken as "u".
constexpr TagName kTagNames[] = {
    {L"u", 1, MT_UNDERLINE}, {L"sup", 3, MT_SUP},   {L"sub", 3, MT_SUB},   {L"strong", 6, MT_BOLD}, {L"p", 1, MT_P},
    {L"i", 1, MT_ITALIC},    {L"font", 4, MT_FONT}, {L"em", 2, MT_ITALIC}, {L"br", 2, MT_BR},       {L"b", 1, MT_BOLD},
};

wchar_t AsciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool StartsWithNoCase(const wchar_t* text, size_t length, const wchar_t* prefix, size_t prefixLength) {
    if (length < prefixLength) {
        return false;
    }
    for (size_t i = 0; i < prefixLength; ++i) {
        if (AsciiLower(text[i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

int MatchTagName(const wchar_t* word, size_t length) {
    for (const TagName& tag : kTagNames) {
        if (StartsWithNoCase(word, length, tag.name, tag.length)) {
            return tag.code;
        }
    }
    return -1;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    c = AsciiLower(c);
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return 0;
}

} // namespace

bool IsMarkupSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

COLORREF ParseMarkupColor(const wchar_t* value, size_t length) {
    size_t i = 0;
    if (i < length && (value[i] == L'\'' || value[i] == L'"')) {
        ++i;
    }
    if (i < length && value[i] == L'#') {
        ++i;
    }
    int digits[6] = {};
    for (int k = 0; k < 6 && i + k < length; ++k) {
        digits[k] = HexValue(value[i + k]);
    }
    return RGB(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
}

bool MarkupTokenizer::SkipSpace() {
    bool skipped = false;
    while (pos_ < length_ && IsMarkupSpace(text_[pos_])) {
        ++pos_;
        skipped = true;
    }
    return skipped;
}

bool MarkupTokenizer::Next(MarkupToken& token) {
    if (SkipSpace()) {
        spaceSeen_ = true;
    }
    if (pos_ >= length_) {
        return false;
    }
    token = MarkupToken{};
    token.start = pos_;
    if (text_[pos_] == L'<' && ReadTag(token)) {
        return true;
    }
    // A word, or a '<' that does not open a tag the list knows: it runs to the next whitespace or '<'.
    size_t end = pos_ + 1;
    while (end < length_ && !IsMarkupSpace(text_[end]) && text_[end] != L'<') {
        ++end;
    }
    token.code = MT_WORD;
    token.length = end - pos_;
    token.spaceBefore = spaceSeen_;
    spaceSeen_ = false;
    pos_ = end;
    return true;
}

bool MarkupTokenizer::ReadTag(MarkupToken& token) {
    size_t p = pos_ + 1;
    const bool closing = p < length_ && text_[p] == L'/';
    if (closing) {
        ++p;
    }
    const size_t wordStart = p;
    while (p < length_ && !IsMarkupSpace(text_[p]) && text_[p] != L'<' && text_[p] != L'>') {
        ++p;
    }
    const int name = MatchTagName(text_ + wordStart, p - wordStart);
    size_t end = 0;
    if (name == MT_FONT && !closing) {
        // Only font takes attributes; its tag runs on to the next '<' or '>' (or the end of the text).
        size_t tagEnd = p;
        while (tagEnd < length_ && text_[tagEnd] != L'<' && text_[tagEnd] != L'>') {
            ++tagEnd;
        }
        const size_t attribute = p + 1; // right after "<font "
        if (p - wordStart == 4 && p < tagEnd && IsMarkupSpace(text_[p]) &&
            StartsWithNoCase(text_ + attribute, tagEnd - attribute, L"color=", 6)) {
            token.hasColor = true;
            token.color = ParseMarkupColor(text_ + attribute + 6, tagEnd - attribute - 6);
        }
        end = (tagEnd < length_ && text_[tagEnd] == L'>') ? tagEnd + 1 : tagEnd;
    } else {
        // Any other tag must close right after its word; an unknown opening tag is text to draw.
        if (p >= length_ || text_[p] != L'>' || (name < 0 && !closing)) {
            return false;
        }
        end = p + 1;
    }
    token.code = (name < 0 ? 0 : name) + (closing ? MT_CLOSING : 0);
    token.length = end - pos_;
    pos_ = end;
    const bool lineTag = name == MT_BR || name == MT_P;
    if (lineTag || spaceSeen_) {
        SkipSpace();
    }
    if (lineTag) {
        // A new line never starts with a space.
        spaceSeen_ = false;
    }
    return true;
}
