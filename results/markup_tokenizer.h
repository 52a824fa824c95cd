// The row markup's tokenizer: splits text into words and the few tags the list understands. Markup comes
// from registry names and data, so it is untrusted: every read is bounded by the explicit length.
#pragma once

#include <windows.h>

#include <cstddef>

// Token codes; a closing tag adds MT_CLOSING (an unknown closing tag is MT_CLOSING alone).
enum MarkupTokenCode : int {
    MT_WORD = 0,
    MT_BOLD = 1, // b, strong
    MT_BR = 2,
    MT_FONT = 3,
    MT_ITALIC = 4, // i, em
    MT_P = 5,
    MT_SUB = 6,
    MT_SUP = 7,
    MT_UNDERLINE = 8, // u
    MT_CLOSING = 256,
};

struct MarkupToken {
    int code = MT_WORD;
    size_t start = 0;         // offset of the token's first character
    size_t length = 0;        // the word, or the whole tag including its '>'
    bool spaceBefore = false; // a word only: whitespace came before it since the previous word
    bool hasColor = false;    // an opening font tag with "color=" right after "<font "
    COLORREF color = 0;
};

class MarkupTokenizer {
public:
    MarkupTokenizer(const wchar_t* text, size_t length) : text_(text), length_(text ? length : 0) {}

    // Reads the next token; false once the text is used up. Every token consumes at least one character.
    bool Next(MarkupToken& token);

private:
    bool SkipSpace();
    bool ReadTag(MarkupToken& token);

    const wchar_t* text_;
    size_t length_;
    size_t pos_ = 0;
    bool spaceSeen_ = false; // stays set until a word uses it
};

// "'#RRGGBB'" with the quote and '#' optional, hex digits in either case; a missing or non-hex digit
// counts as 0. Reads at most `length` characters.
COLORREF ParseMarkupColor(const wchar_t* value, size_t length);

bool IsMarkupSpace(wchar_t c);
