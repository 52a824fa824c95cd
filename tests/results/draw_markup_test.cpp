#include "results/draw_markup.h"
#include "tests/results/guarded_text.h"
#include "winlib/gdi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A memory device context with a bitmap to draw on and a known font selected.
class MarkupCanvas : public testing::Test {
protected:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 200;
    static constexpr COLORREF kInitialColor = RGB(1, 2, 3);

    void SetUp() override {
        ASSERT_TRUE(dc_.Get());
        LOGFONTW log = {};
        log.lfHeight = -14;
        wcscpy_s(log.lfFaceName, L"Tahoma");
        font_.Reset(CreateFontIndirectW(&log));
        bitmap_.Reset(CreateCompatibleBitmap(screen_, kWidth, kHeight));
        oldBitmap_ = SelectObject(dc_, bitmap_);
        oldFont_ = SelectObject(dc_, font_);
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, kInitialColor);
        RECT all = {0, 0, kWidth, kHeight};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void TearDown() override {
        SelectObject(dc_, oldFont_);
        SelectObject(dc_, oldBitmap_);
    }

    MarkupLayout Measure(const std::wstring& text, UINT format = 0, int width = kWidth, RECT* result = nullptr) {
        RECT box = {0, 0, width, kHeight};
        MarkupLayout layout;
        DrawMarkup(dc_, text.data(), static_cast<int>(text.size()), &box, format | DT_CALCRECT, &layout);
        if (result) {
            *result = box;
        }
        return layout;
    }

    // Width of a text in the list font with the given style bits, measured independently of DrawMarkup.
    int Width(const std::wstring& text, int style = 0) {
        LOGFONTW log = {};
        GetObjectW(font_, sizeof log, &log);
        log.lfWeight = (style & MS_BOLD) ? FW_BOLD : FW_NORMAL;
        log.lfItalic = (style & MS_ITALIC) != 0;
        log.lfUnderline = (style & MS_UNDERLINE) != 0;
        FontHandle styled(CreateFontIndirectW(&log));
        SelectObjectScope scope(dc_, styled);
        SIZE size = {};
        GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight() {
        SIZE size = {};
        GetTextExtentPoint32W(dc_, L"\u00C5y", 2, &size);
        return size.cy;
    }

    WindowDC screen_{nullptr};
    MemoryDC dc_{screen_};
    FontHandle font_;
    BitmapHandle bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};

TEST_F(MarkupCanvas, StyledWordsAreSeparatedByOneSpaceWidthOfTheNextWordsFont) {
    MarkupLayout layout = Measure(L"<b>bold</b> <i>italic</i>");
    ASSERT_EQ(layout.words.size(), 2u);
    EXPECT_EQ(layout.words[0].style, MS_BOLD);
    EXPECT_EQ(layout.words[0].width, Width(L"bold", MS_BOLD));
    EXPECT_EQ(layout.words[1].style, MS_ITALIC);
    EXPECT_EQ(layout.words[1].spaceWidth, Width(L" ", MS_ITALIC));
    EXPECT_EQ(layout.words[1].x, layout.words[0].width + Width(L" ", MS_ITALIC));

    // Several blanks or a line end between words still give one space width.
    for (const wchar_t* text : {L"one     two", L"one\r\n\ttwo", L"one two"}) {
        layout = Measure(text);
        ASSERT_EQ(layout.words.size(), 2u) << text;
        EXPECT_EQ(layout.words[1].x, Width(L"one") + Width(L" ")) << text;
        EXPECT_EQ(layout.words[1].y, 0) << text;
    }
    // Words joined by a tag touch.
    layout = Measure(L"ab<b>cd</b>ef");
    ASSERT_EQ(layout.words.size(), 3u);
    EXPECT_EQ(layout.words[1].x, Width(L"ab"));
    EXPECT_EQ(layout.words[2].x, Width(L"ab") + Width(L"cd", MS_BOLD));
}

TEST_F(MarkupCanvas, ParagraphsAddAThirdOfALineAndBreaksAWholeLine) {
    const int line = LineHeight();
    MarkupLayout layout = Measure(L"<p>first");
    ASSERT_EQ(layout.words.size(), 1u);
    EXPECT_EQ(layout.words[0].y, 0) << "a paragraph at the very start adds no space";
    EXPECT_EQ(layout.lineHeight, line);

    layout = Measure(L"first<br><p>second");
    ASSERT_EQ(layout.words.size(), 2u);
    EXPECT_EQ(layout.words[1].x, 0);
    EXPECT_EQ(layout.words[1].y, line + line / 3);

    layout = Measure(L"first <p> second");
    EXPECT_EQ(layout.words[1].y, line / 3);
    EXPECT_EQ(layout.words[1].x, 0) << "a new line never starts with a space";

    RECT extent = {};
    layout = Measure(L"a<br>b<br>c", 0, kWidth, &extent);
    EXPECT_EQ(layout.words[2].y, 2 * line);
    EXPECT_EQ(extent.bottom, 3 * line);
    EXPECT_EQ(extent.right, std::max({Width(L"a"), Width(L"b"), Width(L"c")}));

    // Single-line layout ignores both.
    layout = Measure(L"a<br><p>b", DT_SINGLELINE);
    EXPECT_EQ(layout.words[1].y, 0);
    EXPECT_EQ(layout.words[1].x, Width(L"a"));
}

TEST_F(MarkupCanvas, WrappingMovesWholeWordsAndNoWrapWidensTheLine) {
    const int line = LineHeight();
    const int narrow = Width(L"alpha") + Width(L" ") + Width(L"be") - 1;
    RECT extent = {};
    MarkupLayout layout = Measure(L"alpha beta", DT_WORDBREAK, narrow, &extent);
    ASSERT_EQ(layout.words.size(), 2u);
    EXPECT_EQ(layout.words[1].x, 0);
    EXPECT_EQ(layout.words[1].y, line);
    EXPECT_EQ(extent.bottom, 2 * line);

    layout = Measure(L"alpha beta", 0, narrow, &extent);
    EXPECT_EQ(layout.words[1].y, 0);
    EXPECT_EQ(extent.right, Width(L"alpha") + Width(L" ") + Width(L"beta"));

    // A word wider than the box stays on its line and widens it.
    layout = Measure(L"alphabet", DT_WORDBREAK, 5, &extent);
    EXPECT_EQ(layout.words[0].y, 0);
    EXPECT_EQ(extent.right, Width(L"alphabet"));
}

TEST_F(MarkupCanvas, ColoursArePushedAndRestoredIncludingBeyondTheStack) {
    MarkupLayout layout = Measure(L"<font color=#0077ff>blue</font> back");
    ASSERT_EQ(layout.words.size(), 2u);
    EXPECT_EQ(layout.words[0].color, RGB(0, 0x77, 0xff));
    EXPECT_EQ(layout.words[1].color, kInitialColor);

    // Nine nested colours: the ninth applies but is not saved, so its closing restores the eighth saved
    // colour (the one in force before the eighth opened).
    std::wstring text;
    for (int i = 1; i <= 9; ++i) {
        text += L"<font color=#0000" + std::wstring(i < 16 ? L"0" : L"") + std::to_wstring(i) + L">c" +
                std::to_wstring(i) + L" ";
    }
    for (int i = 0; i < 10; ++i) {
        text += L"</font>x ";
    }
    layout = Measure(text);
    ASSERT_EQ(layout.words.size(), 19u);
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(layout.words[i - 1].color, RGB(0, 0, i)) << i;
    }
    EXPECT_EQ(layout.words[9].color, RGB(0, 0, 7)) << "closing the ninth restores the eighth saved colour";
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(layout.words[9 + k].color, RGB(0, 0, 7 - k)) << k;
    }
    EXPECT_EQ(layout.words[16].color, kInitialColor);
    EXPECT_EQ(layout.words[17].color, kInitialColor) << "an extra closing tag restores the first entry";
    EXPECT_EQ(layout.words[18].color, kInitialColor);

    // Font tags without a colour change nothing.
    layout = Measure(L"<font color=#ff0000><font size=3>red</font>");
    EXPECT_EQ(layout.words[0].color, RGB(255, 0, 0));
}

TEST_F(MarkupCanvas, UnknownTagsAreDrawnOrDroppedAndPrefixesTaken) {
    MarkupLayout layout = Measure(L"REG_<KEY> <UNKNOWN>name</u> </key>end");
    ASSERT_EQ(layout.words.size(), 4u);
    EXPECT_EQ(layout.words[1].text, L"<KEY>") << "an unknown opening tag is drawn literally";
    EXPECT_EQ(layout.words[1].x, Width(L"REG_"));
    EXPECT_EQ(layout.words[2].text, L"name") << "\"<UNKNOWN>\" is an underline tag and is not shown";
    EXPECT_EQ(layout.words[2].style, MS_UNDERLINE);
    EXPECT_EQ(layout.words[3].text, L"end") << "an unknown closing tag is dropped";
    EXPECT_EQ(layout.words[3].style, 0);

    layout = Measure(L"<bogus>word</b> <i><more data...></i>");
    ASSERT_EQ(layout.words.size(), 3u);
    EXPECT_EQ(layout.words[0].style, MS_BOLD) << "a tag word beginning with b is bold";
    EXPECT_EQ(layout.words[1].text, L"<more");
    EXPECT_EQ(layout.words[2].text, L"data...>");
    EXPECT_EQ(layout.words[2].style, MS_ITALIC);
}

TEST_F(MarkupCanvas, ScriptsUseSmallerFontsAndUnderlineRunsAcrossSpaces) {
    MarkupLayout layout = Measure(L"H<sub>2</sub>O x<sup>10</sup>");
    ASSERT_EQ(layout.words.size(), 5u);
    EXPECT_EQ(layout.words[1].style, MS_SUBSCRIPT);
    EXPECT_EQ(layout.words[4].style, MS_SUPERSCRIPT);
    EXPECT_LT(layout.words[4].width, Width(L"10"));

    layout = Measure(L"<u>one two</u> three <u>four</u>");
    ASSERT_EQ(layout.words.size(), 4u);
    EXPECT_FALSE(layout.words[0].underlinedGap);
    EXPECT_TRUE(layout.words[1].underlinedGap);
    EXPECT_FALSE(layout.words[2].underlinedGap);
    EXPECT_TRUE(layout.words[3].underlinedGap) << "the gap takes the style of the word after it";

    // After a wrap the word starts the line, so there is no gap to underline.
    const int narrow = Width(L"one", MS_UNDERLINE) + 2;
    layout = Measure(L"<u>one two</u>", DT_WORDBREAK, narrow);
    EXPECT_EQ(layout.words[1].x, 0);
    EXPECT_FALSE(layout.words[1].underlinedGap);
}

TEST_F(MarkupCanvas, DrawingPlacesWordsAsMeasuredAndRestoresTheContext) {
    const std::wstring text = L"<p>HKEY_LOCAL_MACHINE\\<font color=#ff0000>Micro</font>soft<br><b>bold</b>";
    MarkupLayout measured = Measure(text);
    RECT box = {10, 20, kWidth, kHeight};
    MarkupLayout drawn;
    const int last = DrawMarkup(dc_, text.data(), -1, &box, 0, &drawn);
    EXPECT_EQ(last, LineHeight());
    ASSERT_EQ(drawn.words.size(), measured.words.size());
    for (size_t i = 0; i < drawn.words.size(); ++i) {
        EXPECT_EQ(drawn.words[i].x, measured.words[i].x);
        EXPECT_EQ(drawn.words[i].y, measured.words[i].y);
    }
    EXPECT_EQ(box.right, kWidth) << "drawing leaves the box alone";
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), font_.Get());
    EXPECT_EQ(GetTextColor(dc_), kInitialColor);

    // The coloured word really is drawn in red, inside its own place.
    const int left = 10 + drawn.words[1].x;
    int red = 0;
    for (int y = 20; y < 20 + LineHeight(); ++y) {
        for (int x = left; x < left + drawn.words[1].width; ++x) {
            COLORREF c = GetPixel(dc_, x, y);
            red += GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100;
        }
    }
    EXPECT_GT(red, 5);
}

TEST_F(MarkupCanvas, LengthsAndMissingInputsAreHonoured) {
    RECT box = {0, 0, 100, 100};
    EXPECT_EQ(DrawMarkup(nullptr, L"x", -1, &box, DT_CALCRECT), 0);
    EXPECT_EQ(DrawMarkup(dc_, nullptr, -1, &box, DT_CALCRECT), 0);
    EXPECT_EQ(box.right, 100) << "nothing measured";

    MarkupLayout layout;
    DrawMarkup(dc_, L"ab cd", 2, &box, DT_CALCRECT, &layout);
    ASSERT_EQ(layout.words.size(), 1u);
    EXPECT_EQ(layout.words[0].text, L"ab");

    // -1 stops at the first NUL; an explicit length takes embedded NULs as characters.
    const std::wstring withNul(L"ab\0cd ef", 8);
    layout = {};
    DrawMarkup(dc_, withNul.data(), -1, &box, DT_CALCRECT, &layout);
    EXPECT_EQ(layout.words.size(), 1u);
    layout = {};
    DrawMarkup(dc_, withNul.data(), 8, &box, DT_CALCRECT, &layout);
    ASSERT_EQ(layout.words.size(), 2u);
    EXPECT_EQ(layout.words[0].text.size(), 5u);

    // Empty markup still occupies one line.
    box = {5, 5, 100, 100};
    EXPECT_EQ(DrawMarkup(dc_, L"", 0, &box, DT_CALCRECT), 0);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 5 + LineHeight());

    // Without a box the layout starts at the current position.
    MoveToEx(dc_, 40, 30, nullptr);
    layout = {};
    EXPECT_EQ(DrawMarkup(dc_, L"a<br>b", -1, nullptr, 0, &layout), LineHeight());
    EXPECT_EQ(layout.words.size(), 2u);
}

TEST_F(MarkupCanvas, HostileMarkupIsBoundedAndFinishes) {
    std::wstring openings;
    for (int i = 0; i < 10000; ++i) {
        openings += L"<font color=";
    }
    std::wstring nested;
    for (int i = 0; i < 20000; ++i) {
        nested += L"<b><i><u><sup><sub>x";
    }
    const std::wstring cases[] = {
        openings,
        nested,
        L"<",
        L"</",
        L"<font color=#12",
        L"<font color=\"",
        std::wstring(L"\0<\0b\0>\0", 8),
        std::wstring(200000, L'w'),
        std::wstring(5000, L'<') + L">",
        L"</font></font></font></font></font></font></font></font></font></font>x",
    };
    for (const std::wstring& text : cases) {
        GuardedText guarded(text);
        for (UINT format : {UINT(DT_CALCRECT), UINT(0), UINT(DT_WORDBREAK), UINT(DT_CALCRECT | DT_WORDBREAK)}) {
            RECT box = {0, 0, 300, kHeight};
            DrawMarkup(dc_, guarded.Data(), static_cast<int>(text.size()), &box, format);
            EXPECT_GE(box.bottom, box.top);
        }
    }
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), font_.Get());
}

} // namespace
