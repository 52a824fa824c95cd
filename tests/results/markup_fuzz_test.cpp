// Random hostile markup, measured and drawn directly and through the list: nothing may fault or hang.
#include "results/draw_markup.h"
#include "results/html_list_ctrl.h"
#include "tests/common/test_support.h"
#include "tests/results/guarded_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Tags, broken tags, separators, lone surrogates and plain words, split at '|'; NULs and random characters
// are added apart.
std::vector<std::wstring> Pieces() {
    const std::wstring list =
        L"<b>|</b>|<i>|</i>|<u>|</u>|<sub>|</sub>|<sup>|</sup>|<br>|<p>|</p>|<font color=|<font color=#|<font "
        L"color='#0077ff'>|</font>|<font |<|>|</|<UNKNOWN>|<KEY>|<...>|#|'|\"| "
        L"|\t|\r\n|\u00A0|\xD800|\xDFFF|ff00|word|HKEY_LOCAL_MACHINE\\SOFTWARE|<strong>|<em>|<brr|</font color=1>";
    std::vector<std::wstring> pieces;
    for (size_t start = 0, bar = 0; bar != std::wstring::npos; start = bar + 1) {
        bar = list.find(L'|', start);
        pieces.push_back(list.substr(start, bar == std::wstring::npos ? bar : bar - start));
    }
    return pieces;
}

std::wstring RandomMarkup(std::mt19937& random) {
    static const std::vector<std::wstring> kPieces = Pieces();
    std::uniform_int_distribution<int> pieceCount(0, 120);
    std::uniform_int_distribution<size_t> piece(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> character(0, 0xFFFF);
    std::wstring text;
    for (int n = pieceCount(random); n > 0; --n) {
        const unsigned choice = random() % 16;
        if (choice == 0) {
            text += L'\0';
        } else if (choice < 3) {
            text += static_cast<wchar_t>(character(random));
        } else {
            text += kPieces[piece(random)];
        }
    }
    return text;
}

TEST(HostileMarkup, ThousandsOfRandomTextsAreMeasuredAndDrawnWithoutFault) {
    WindowDC screen(nullptr);
    MemoryDC dc(screen);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen, 400, 300));
    SelectObjectScope bitmapScope(dc, bitmap);
    SelectObjectScope fontScope(dc, GetStockObject(DEFAULT_GUI_FONT));
    std::mt19937 random(20240611);
    for (int i = 0; i < 3000; ++i) {
        const std::wstring text = RandomMarkup(random);
        GuardedText guarded(text);
        const int length = static_cast<int>(text.size());
        RECT box = {0, 0, 300, 300};
        DrawMarkup(dc, guarded.Data(), length, &box, DT_CALCRECT | (i % 2 ? DT_WORDBREAK : 0));
        ASSERT_GE(box.right, 0);
        ASSERT_GE(box.bottom, 0);
        RECT draw = {static_cast<LONG>(i % 50) - 20, static_cast<LONG>(i % 30) - 10, 380, 290};
        DrawMarkup(dc, guarded.Data(), length, &draw, i % 3 ? 0 : DT_SINGLELINE);
    }
}

TEST(HostileMarkup, RandomRowsArePaintedAndScrolledThroughTheList) {
    testsupport::ResetProgramKey();
    CWindow parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
    HWND listView = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 480, 380, parent,
                                    reinterpret_cast<HMENU>(1005), GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(listView);
    parent.ShowWindow(SW_SHOWNOACTIVATE);
    {
        CHTMLListCtrl list;
        ASSERT_TRUE(list.SubclassWindow(listView));
        list.SetStyle();
        std::mt19937 random(7);
        std::wstring openings;
        for (int i = 0; i < 10000; ++i) {
            openings += L"<font color=";
        }
        list.AddItem(openings, 0, 0);
        list.AddItem(std::wstring(L"\0\0<\0", 4), 99, 1); // image index past the list: drawn as nothing
        for (int i = 0; i < 400; ++i) {
            list.AddItem(RandomMarkup(random), i % 4 - 1, i);
        }
        for (int step = 0; step < 40; ++step) {
            list.SendMessage(WM_KEYDOWN, step % 7 == 6 ? VK_PRIOR : VK_NEXT, 0);
            list.SendMessage(WM_KEYDOWN, step % 2 ? VK_RIGHT : VK_DOWN, 0);
        }
        list.SendMessage(WM_KEYDOWN, VK_END, 0);
        EXPECT_EQ(list.GetItemCount(), 402);
    }
    parent.DestroyWindow();
}

} // namespace
