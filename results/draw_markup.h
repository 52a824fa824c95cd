// DrawMarkup: lays out and draws (or, with DT_CALCRECT, measures) a row's markup in the font selected
// into the device context: bold, italic, underline, super- and subscript, coloured runs, line breaks and
// paragraphs, one space width per whitespace run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Style bits; they index the per-call font cache.
enum MarkupStyle : int {
    MS_BOLD = 1,
    MS_ITALIC = 2,
    MS_UNDERLINE = 4,
    MS_SUPERSCRIPT = 8,
    MS_SUBSCRIPT = 16,
};

// Where one word went, relative to the origin; filled only when a caller asks for it (tests, diagnostics).
struct MarkupWordPlacement {
    std::wstring text;
    int x = 0;
    int y = 0;
    int width = 0;
    int style = 0;
    COLORREF color = 0;
    int spaceWidth = 0;         // width of " " in this word's font
    bool underlinedGap = false; // an underlined space joins this word to the previous one
};

struct MarkupLayout {
    int lineHeight = 0;
    std::vector<MarkupWordPlacement> words;
};

// text: `length` characters, or up to the first NUL when length is negative. box: the layout box (its
// left/top is the origin and its width the line width); null = from the current position to the screen's
// right edge. format: DT_CALCRECT measures only and sets box->right/bottom to the extent; DT_WORDBREAK
// wraps; DT_SINGLELINE ignores br and p; other DT_ flags go to each DrawTextW. Returns the offset of the
// last line from the origin; 0 without a device context or text.
int DrawMarkup(HDC dc, const wchar_t* text, int length, RECT* box, UINT format, MarkupLayout* layout = nullptr);
