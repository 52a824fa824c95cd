#include "results/draw_markup.h"

#include "results/markup_tokenizer.h"
#include "winlib/gdi.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cwchar>

namespace {

constexpr int kColorStackSize = 8;
constexpr int kStyleCount = 32;

// Layout runs in 64 bits so that no text, however long, can overflow it; GDI gets clamped values.
int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN / 2, INT_MAX / 2));
}

int TextWidth(HDC dc, const wchar_t* text, size_t length) {
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(length), &size);
    return size.cx;
}

// The base font and up to 31 styled variants made from it, created on first use and deleted when the
// cache ends (after the device context has been restored, so none is selected any more).
class StyleFonts {
public:
    explicit StyleFonts(HDC dc) : base_(static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT))) {
        if (!base_ || !::GetObjectW(base_, sizeof baseLog_, &baseLog_)) {
            base_ = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
            ::GetObjectW(base_, sizeof baseLog_, &baseLog_);
        }
    }

    HFONT Get(int style) {
        if (style == 0) {
            return base_;
        }
        FontHandle& slot = fonts_[style];
        if (!slot) {
            LOGFONTW log = baseLog_;
            log.lfWeight = (style & MS_BOLD) ? FW_BOLD : FW_NORMAL;
            log.lfItalic = (style & MS_ITALIC) ? TRUE : FALSE;
            log.lfUnderline = (style & MS_UNDERLINE) ? TRUE : FALSE;
            if (style & (MS_SUPERSCRIPT | MS_SUBSCRIPT)) {
                log.lfHeight = log.lfHeight * 7 / 10;
            }
            slot.Reset(::CreateFontIndirectW(&log));
        }
        return slot ? slot.Get() : base_;
    }

private:
    HFONT base_;
    LOGFONTW baseLog_ = {};
    std::array<FontHandle, kStyleCount> fonts_;
};

class MarkupRenderer {
public:
    MarkupRenderer(HDC dc, StyleFonts& fonts, UINT format, POINT origin, long long limit, MarkupLayout* layout)
        : dc_(dc), origin_(origin), limit_(limit), layout_(layout), fonts_(fonts) {
        measureOnly_ = (format & DT_CALCRECT) != 0;
        wrap_ = (format & DT_WORDBREAK) != 0;
        singleLine_ = (format & DT_SINGLELINE) != 0;
        drawFlags_ = format & ~(DT_CALCRECT | DT_WORDBREAK | DT_SINGLELINE);
        SIZE size = {};
        ::GetTextExtentPoint32W(dc, L"\u00C5y", 2, &size);
        lineHeight_ = size.cy;
        color_ = ::GetTextColor(dc);
        colorStack_.fill(color_);
        hasClip_ = !measureOnly_ && ::GetClipBox(dc, &clip_) != ERROR;
        if (layout_) {
            layout_->lineHeight = lineHeight_;
        }
    }

    void Run(const wchar_t* text, size_t length) {
        MarkupTokenizer tokenizer(text, length);
        MarkupToken token;
        while (tokenizer.Next(token)) {
            Act(text, token);
        }
    }

    long long Widest() const { return widest_; }
    long long LastLine() const { return y_; }
    int LineHeight() const { return lineHeight_; }

private:
    void Act(const wchar_t* text, const MarkupToken& token) {
        switch (token.code) {
        case MT_WORD:
            Word(text + token.start, token.length, token.spaceBefore);
            break;
        case MT_BOLD:
        case MT_BOLD | MT_CLOSING:
            SetStyleBit(MS_BOLD, token.code);
            break;
        case MT_ITALIC:
        case MT_ITALIC | MT_CLOSING:
            SetStyleBit(MS_ITALIC, token.code);
            break;
        case MT_UNDERLINE:
        case MT_UNDERLINE | MT_CLOSING:
            SetStyleBit(MS_UNDERLINE, token.code);
            break;
        case MT_SUP:
        case MT_SUP | MT_CLOSING:
            SetStyleBit(MS_SUPERSCRIPT, token.code);
            break;
        case MT_SUB:
        case MT_SUB | MT_CLOSING:
            SetStyleBit(MS_SUBSCRIPT, token.code);
            break;
        case MT_BR:
            if (!singleLine_) {
                x_ = 0;
                y_ += lineHeight_;
            }
            break;
        case MT_P:
            // A paragraph adds a third of a line; the engine writes "<br><p>" where it wants a new line.
            if (!singleLine_) {
                if (token.start != 0) {
                    y_ += lineHeight_ / 3;
                }
                x_ = 0;
            }
            break;
        case MT_FONT:
            if (token.hasColor) {
                PushColor(token.color);
            }
            break;
        case MT_FONT | MT_CLOSING:
            PopColor();
            break;
        default: // closing br / p and unknown closing tags
            break;
        }
    }

    void SetStyleBit(int bit, int code) {
        if (code & MT_CLOSING) {
            style_ &= ~bit;
        } else {
            style_ |= bit;
        }
    }

    void PushColor(COLORREF color) {
        // Beyond the stack's depth the colour still applies but is not saved.
        if (colorDepth_ < kColorStackSize) {
            colorStack_[colorDepth_++] = color_;
        }
        SetColor(color);
    }

    void PopColor() { SetColor(colorDepth_ > 0 ? colorStack_[--colorDepth_] : colorStack_[0]); }

    void SetColor(COLORREF color) {
        color_ = color;
        ::SetTextColor(dc_, color);
    }

    void Word(const wchar_t* word, size_t length, bool spaceBefore) {
        if (style_ != fontStyle_) {
            ::SelectObject(dc_, fonts_.Get(style_));
            fontStyle_ = style_;
            spaceWidth_ = TextWidth(dc_, L" ", 1);
        }
        const long long cx = TextWidth(dc_, word, length);
        if (cx > limit_) {
            limit_ = cx;
        }
        if (spaceBefore) {
            x_ += spaceWidth_;
        }
        if (x_ + cx > limit_) {
            if (wrap_) {
                x_ = 0;
                y_ += lineHeight_;
            } else {
                limit_ = x_ + cx;
            }
        }
        const bool underlinedGap = (style_ & MS_UNDERLINE) && spaceBefore && x_ >= spaceWidth_;
        if (!measureOnly_) {
            UINT flags = drawFlags_;
            if (style_ & MS_SUBSCRIPT) {
                flags |= DT_SINGLELINE | DT_BOTTOM; // subscript sits on the bottom of the line box
            }
            if (underlinedGap) {
                DrawPiece(L" ", 1, x_ - spaceWidth_, x_, flags);
            }
            DrawPiece(word, length, x_, limit_, flags);
        }
        if (layout_) {
            layout_->words.push_back({std::wstring(word, length), ClampToInt(x_), ClampToInt(y_), ClampToInt(cx),
                                      style_, color_, spaceWidth_, underlinedGap});
        }
        x_ += cx;
        widest_ = std::max(widest_, x_);
    }

    void DrawPiece(const wchar_t* text, size_t length, long long left, long long right, UINT flags) {
        RECT box = {ClampToInt(origin_.x + left), ClampToInt(origin_.y + y_), ClampToInt(origin_.x + right),
                    ClampToInt(origin_.y + y_ + lineHeight_)};
        // Words outside the clip box are not drawn: a very long row costs only its measuring.
        RECT visible;
        if (hasClip_ && !::IntersectRect(&visible, &box, &clip_)) {
            return;
        }
        ::DrawTextW(dc_, text, static_cast<int>(length), &box, flags);
    }

    HDC dc_;
    POINT origin_;
    long long limit_;
    MarkupLayout* layout_;
    StyleFonts& fonts_;
    bool measureOnly_ = false;
    bool wrap_ = false;
    bool singleLine_ = false;
    UINT drawFlags_ = 0;
    int lineHeight_ = 0;
    bool hasClip_ = false;
    RECT clip_ = {};
    COLORREF color_ = 0;
    std::array<COLORREF, kColorStackSize> colorStack_ = {};
    int colorDepth_ = 0;
    int style_ = 0;
    int fontStyle_ = -1; // no font chosen yet: the first word measures its space width
    int spaceWidth_ = 0;
    long long x_ = 0;
    long long y_ = 0;
    long long widest_ = 0;
};

} // namespace

int DrawMarkup(HDC dc, const wchar_t* text, int length, RECT* box, UINT format, MarkupLayout* layout) {
    if (!dc || !text) {
        return 0;
    }
    const size_t count = length < 0 ? std::wcslen(text) : static_cast<size_t>(length);
    POINT origin = {};
    long long limit = 0;
    if (box) {
        origin = {box->left, box->top};
        limit = static_cast<long long>(box->right) - box->left;
    } else {
        ::GetCurrentPositionEx(dc, &origin);
        limit = static_cast<long long>(::GetSystemMetrics(SM_CXSCREEN)) - origin.x;
    }
    limit = std::max<long long>(limit, 0);
    format = (format & ~(DT_CENTER | DT_RIGHT | DT_TABSTOP)) | DT_NOPREFIX;

    long long widest = 0;
    long long lastLine = 0;
    int lineHeight = 0;
    // Declared first so that the styled fonts are deleted only after the restore has deselected them.
    StyleFonts fonts(dc);
    {
        SavedDCState saved(dc);
        MarkupRenderer renderer(dc, fonts, format, origin, limit, layout);
        renderer.Run(text, count);
        widest = renderer.Widest();
        lastLine = renderer.LastLine();
        lineHeight = renderer.LineHeight();
    }
    if ((format & DT_CALCRECT) && box) {
        box->right = ClampToInt(box->left + widest);
        box->bottom = ClampToInt(box->top + lastLine + lineHeight);
    }
    return ClampToInt(lastLine);
}
