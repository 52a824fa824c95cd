#include "results/html_list_ctrl.h"
#include "base/settings.h"
#include "tests/common/test_support.h"
#include "winlib/display_scale.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kListId = 1005;
constexpr int kListWidth = 400;
constexpr int kListHeight = 300;
constexpr RECT kParentRect = {0, 0, 600, 500};

struct Notice {
    UINT code;
    int row;
    DWORD_PTR data;
    BOOL checked;
    bool operator==(const Notice&) const = default;
};

// The parent: records what the list reports and answers HLN_KEYDOWN as told.
class ParentWindow : public CWindowImpl<ParentWindow> {
public:
    std::vector<Notice> notices;
    std::vector<WORD> listViewKeys; // LVN_KEYDOWN from the list view's own procedure
    std::vector<WORD> stopKeys;     // HLN_KEYDOWN answered 1 for these

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM lParam, LRESULT& lResult, DWORD) override {
        if (uMsg != WM_NOTIFY) {
            return FALSE;
        }
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        lResult = 0;
        if (header->code == LVN_KEYDOWN) {
            listViewKeys.push_back(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
        } else if (header->code == HLN_KEYDOWN) {
            const WORD key = reinterpret_cast<const NMHTMLLISTKEY*>(lParam)->vkey;
            notices.push_back({HLN_KEYDOWN, key, 0, FALSE});
            for (WORD stop : stopKeys) {
                lResult = stop == key ? 1 : lResult;
            }
        } else if (header->code == HLN_CREATED) {
            EXPECT_EQ(header->idFrom, static_cast<UINT_PTR>(kListId));
            notices.push_back({HLN_CREATED, 0, 0, FALSE});
        } else if (header->code <= HLN_CHECKCHANGED) {
            const NMHTMLLIST* record = reinterpret_cast<const NMHTMLLIST*>(lParam);
            EXPECT_EQ(header->idFrom, static_cast<UINT_PTR>(kListId));
            notices.push_back({header->code, record->row, record->data, record->checked});
        }
        return TRUE;
    }
};

class HtmlList : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetProgramKey();
        // A pop-up: under a bare X server, hiding a framed window waits seconds for a window manager.
        ASSERT_TRUE(parent_.Create(nullptr, &kParentRect, L"results", WS_POPUP));
        // Styled like the search view's control 1005.
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LVS_REPORT |
                            LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        listView_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 10, 10, kListWidth, kListHeight,
                                    parent_, reinterpret_cast<HMENU>(kListId), GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(listView_);
        parent_.ShowWindow(SW_SHOWNOACTIVATE);
        images_ = MakeImages();
    }
    void TearDown() override {
        list_.reset();
        parent_.DestroyWindow();
        if (images_) {
            ImageList_Destroy(images_);
        }
        testsupport::ResetProgramKey();
    }

    // Builds the list as the view does: construct, attach, style, image list.
    CHTMLListCtrl& Attach(bool lineNumbers = true) {
        WriteSettingDword(kSettingsSubKey, kLineNumbers, lineNumbers ? 1 : 0);
        list_ = std::make_unique<CHTMLListCtrl>();
        EXPECT_TRUE(list_->SubclassWindow(listView_));
        list_->SetStyle();
        list_->SetImageList(images_);
        return *list_;
    }

    static HIMAGELIST MakeImages() {
        HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
        WindowDC screen(nullptr);
        BitmapHandle strip(CreateCompatibleBitmap(screen, 48, 16));
        ImageList_AddMasked(list, strip, RGB(255, 0, 255));
        return list;
    }

    void Fill(int count) {
        for (int i = 0; i < count; ++i) {
            list_->AddItem(L"<p>HKEY_LOCAL_MACHINE\\SOFTWARE\\<font color=#007f22>Micro</font>soft</p>", i % 3,
                           1000 + i);
        }
        Paint();
    }
    void Paint() {
        list_->Invalidate(FALSE);
        list_->UpdateWindow();
    }

    void Press(UINT message, POINT point) { list_->SendMessage(message, 0, MAKELPARAM(point.x, point.y)); }
    POINT RowMiddle(int position) {
        RECT rect = list_->GetItemRect(position);
        return {rect.left + 200, (rect.top + rect.bottom) / 2};
    }
    POINT CheckBoxOf(int position) {
        RECT hot = CheckBoxHotArea(list_->GetItemRect(position), list_->GetLabelHeight());
        return {(hot.left + hot.right) / 2, (hot.top + hot.bottom) / 2};
    }
    void Key(WORD key) { list_->SendMessage(WM_KEYDOWN, key, 1); }
    int VerticalPosition() { return GetScrollPos(listView_, SB_VERT); }
    // The client height once scroll bars have come and gone.
    int ClientHeight() {
        RECT client = {};
        GetClientRect(listView_, &client);
        return client.bottom;
    }
    std::vector<Notice> Take() { return std::exchange(parent_.notices, {}); }

    ParentWindow parent_;
    HWND listView_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::unique_ptr<CHTMLListCtrl> list_;
};

TEST_F(HtmlList, AttachingNotifiesAndRowsAnswerByPosition) {
    CHTMLListCtrl& list = Attach();
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_CREATED, 0, 0, FALSE}}));
    EXPECT_EQ(list.AddItem(L"<b>zero</b>", 0, 7), 0);
    EXPECT_EQ(list.AddItem(L"one", 1, 8), 1);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemData(1), 8u);
    EXPECT_EQ(list.GetItemData(2), 0xFFFFFFFFu);
    EXPECT_EQ(list.GetItemData(-1), 0xFFFFFFFFu);
    EXPECT_FALSE(list.GetCheck(5));
    list.SetCheck(5, TRUE); // no such row: nothing happens
    list.SetCheck(1, TRUE);
    EXPECT_TRUE(list.GetCheck(1));
    RECT missing = list.GetItemRect(2);
    EXPECT_TRUE(IsRectEmpty(&missing));
    EXPECT_FALSE(list.DeleteItem(2));
    EXPECT_EQ(list.GetSelectedIndex(), -1);

    // Rows stack without gaps; the vertical range is the total height.
    RECT first = list.GetItemRect(0), second = list.GetItemRect(1);
    EXPECT_EQ(first.top, 0);
    EXPECT_EQ(second.top, first.bottom);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE};
    GetScrollInfo(listView_, SB_VERT, &info);
    EXPECT_EQ(info.nMax, second.bottom);
    EXPECT_EQ(info.nMin, 0);
}

TEST_F(HtmlList, PressSelectsRowsAndTogglesCheckBoxesWithEitherButton) {
    CHTMLListCtrl& list = Attach(false);
    Fill(5);
    Take();
    Press(WM_LBUTTONDOWN, RowMiddle(1));
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_BUTTONDOWN, -1, 0, FALSE}, {HLN_SELCHANGED, 1, 1001, FALSE}}));
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    EXPECT_EQ(GetFocus(), listView_);

    Press(WM_LBUTTONDOWN, CheckBoxOf(2));
    EXPECT_EQ(Take(),
              (std::vector<Notice>{
                  {HLN_BUTTONDOWN, -1, 0, FALSE}, {HLN_CHECKCHANGED, 2, 1002, TRUE}, {HLN_SELCHANGED, 2, 1002, TRUE}}));
    EXPECT_TRUE(list.GetCheck(2));

    // A right press does the same: toggles the box under the pointer and selects the row.
    Press(WM_RBUTTONDOWN, CheckBoxOf(2));
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_BUTTONDOWN, -1, 0, FALSE},
                                           {HLN_CHECKCHANGED, 2, 1002, FALSE},
                                           {HLN_SELCHANGED, 2, 1002, FALSE}}));
    Press(WM_RBUTTONDOWN, RowMiddle(4));
    EXPECT_EQ(list.GetSelectedIndex(), 4);
    EXPECT_FALSE(list.GetCheck(4));
    Take();

    // Below the last row: the selection is cleared.
    Press(WM_LBUTTONDOWN, {200, kListHeight - 2});
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_BUTTONDOWN, -1, 0, FALSE}, {HLN_SELCHANGED, -1, 0, FALSE}}));
    EXPECT_EQ(list.GetSelectedIndex(), -1);

    list.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_DBLCLK, 0, 0, FALSE}}));
}

TEST_F(HtmlList, CheckBoxHotAreaSitsBelowTheLineNumberAndFollowsScrolling) {
    CHTMLListCtrl& list = Attach(true);
    ASSERT_GT(list.GetLabelHeight(), 0);
    // Wide rows so that the list scrolls sideways.
    for (int i = 0; i < 3; ++i) {
        list.AddItem(L"<p>" + std::wstring(200, L'w') + L"</p>", 1, i);
    }
    Paint();
    Press(WM_LBUTTONDOWN, CheckBoxOf(1));
    EXPECT_TRUE(list.GetCheck(1));
    // The row's top-left corner is not the box any more: the label is there.
    RECT row = list.GetItemRect(1);
    Press(WM_LBUTTONDOWN, {row.left + 5, row.top + 2});
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_EQ(list.GetSelectedIndex(), 1);

    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(GetScrollPos(listView_, SB_HORZ), 40);
    EXPECT_EQ(list.GetItemRect(1).left, -40);
    Press(WM_LBUTTONDOWN, CheckBoxOf(2));
    EXPECT_TRUE(list.GetCheck(2)) << "hot area moved with the drawn box";
    Key(VK_LEFT);
    EXPECT_EQ(GetScrollPos(listView_, SB_HORZ), 20);
}

TEST_F(HtmlList, SelectionFollowsItsRowThroughRemovals) {
    CHTMLListCtrl& list = Attach();
    Fill(6);
    Press(WM_LBUTTONDOWN, RowMiddle(3));
    ASSERT_EQ(list.GetSelectedIndex(), 3);
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_EQ(list.GetItemData(2), 1003u);
    EXPECT_EQ(list.GetItemData(0), 1001u);

    list.SetCheck(0, TRUE);
    list.SetCheck(4, TRUE);
    list.DeleteCheckedItems();
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    EXPECT_EQ(list.GetItemData(1), 1003u);
    EXPECT_EQ(list.GetItemRect(1).top, list.GetItemRect(0).bottom);

    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(list.GetSelectedIndex(), -1);

    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.AddItem(L"again", 0, 1), 0);
}

TEST_F(HtmlList, UpAndDownMoveTheSelectionAndKeepItInView) {
    CHTMLListCtrl& list = Attach();
    // Empty list: nothing to select, the selection stays none.
    Key(VK_UP);
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_EQ(Take().back(), (Notice{HLN_SELCHANGED, -1, 0, FALSE}));
    Key(VK_DOWN);
    EXPECT_EQ(list.GetSelectedIndex(), -1);

    Fill(40);
    Take();
    Key(VK_DOWN); // no selection: the last row, scrolled into view
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_KEYDOWN, VK_DOWN, 0, FALSE}, {HLN_SELCHANGED, 39, 1039, FALSE}}));
    RECT last = list.GetItemRect(39);
    EXPECT_EQ(last.bottom, ClientHeight());
    Key(VK_DOWN);
    EXPECT_EQ(list.GetSelectedIndex(), 39) << "stops at the last row";
    Key(VK_UP);
    EXPECT_EQ(list.GetSelectedIndex(), 38);

    Press(WM_LBUTTONDOWN, {-5, -5}); // outside every row: none
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    Key(VK_UP); // no selection: the first row, scrolled back to the top
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    EXPECT_EQ(VerticalPosition(), 0);
    Key(VK_UP);
    EXPECT_EQ(list.GetSelectedIndex(), 0) << "stops at the first row";
}

TEST_F(HtmlList, PagesWheelAndEndsScrollByPixels) {
    CHTMLListCtrl& list = Attach();
    Fill(60);
    const int page = ClientHeight() - ClientHeight() / 4;
    SCROLLINFO info = {sizeof info, SIF_PAGE};
    GetScrollInfo(listView_, SB_VERT, &info);
    EXPECT_EQ(info.nPage, static_cast<UINT>(ClientHeight()));
    const int selected = list.GetSelectedIndex();
    Key(VK_NEXT);
    EXPECT_EQ(VerticalPosition(), page) << "three quarters of the client height";
    Key(VK_NEXT);
    EXPECT_EQ(VerticalPosition(), 2 * page);
    Key(VK_PRIOR);
    EXPECT_EQ(VerticalPosition(), page);
    EXPECT_EQ(list.GetSelectedIndex(), selected) << "paging does not move the selection";

    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 3)), 0);
    EXPECT_EQ(VerticalPosition(), page + 40) << "one step per message";
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(VerticalPosition(), page);

    Key(VK_HOME);
    EXPECT_EQ(VerticalPosition(), 0);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(VerticalPosition(), 0) << "never above the top";
    list.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(VerticalPosition(), 50);
    list.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    list.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(VerticalPosition(), 0);

    Key(VK_END);
    const int bottom = VerticalPosition();
    EXPECT_GT(bottom, 0);
    RECT last = list.GetItemRect(59);
    EXPECT_LE(last.bottom, ClientHeight());
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(VerticalPosition(), bottom) << "never below the bottom";

    // A resize keeps the position the list scrolled to, and the new page size.
    Key(VK_HOME);
    Key(VK_NEXT);
    SetWindowPos(listView_, nullptr, 0, 0, kListWidth + 50, kListHeight + 40, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(VerticalPosition(), page);
    GetScrollInfo(listView_, SB_VERT, &info);
    EXPECT_EQ(info.nPage, static_cast<UINT>(ClientHeight()));
    EXPECT_GT(ClientHeight(), kListHeight - 20);
}

TEST_F(HtmlList, KeysGoToTheParentFirstAndUnhandledOnesReachTheListView) {
    CHTMLListCtrl& list = Attach();
    Fill(30);
    Press(WM_LBUTTONDOWN, RowMiddle(1));
    Take();

    Key(VK_SPACE);
    EXPECT_EQ(Take(), (std::vector<Notice>{{HLN_KEYDOWN, VK_SPACE, 0, FALSE}, {HLN_CHECKCHANGED, 1, 1001, TRUE}}));
    EXPECT_TRUE(list.GetCheck(1));

    // Answered 1: the control does nothing more with the key.
    parent_.stopKeys = {VK_NEXT, VK_DOWN, VK_DELETE};
    Key(VK_NEXT);
    Key(VK_DOWN);
    EXPECT_EQ(VerticalPosition(), 0);
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    Key(VK_DELETE);
    EXPECT_TRUE(parent_.listViewKeys.empty());
    parent_.stopKeys.clear();
    Take();

    // Keys the control does not use reach the list view, which reports them as LVN_KEYDOWN.
    Key(VK_DELETE);
    Key('C');
    Key('A');
    EXPECT_EQ(parent_.listViewKeys, (std::vector<WORD>{VK_DELETE, 'C', 'A'}));
    EXPECT_EQ(Take(),
              (std::vector<Notice>{
                  {HLN_KEYDOWN, VK_DELETE, 0, FALSE}, {HLN_KEYDOWN, 'C', 0, FALSE}, {HLN_KEYDOWN, 'A', 0, FALSE}}));
    // Keys the control handles do not.
    Key(VK_NEXT);
    EXPECT_EQ(parent_.listViewKeys.size(), 3u);

    const LRESULT code = list.SendMessage(WM_GETDLGCODE);
    EXPECT_EQ(code & (DLGC_WANTARROWS | DLGC_WANTCHARS), DLGC_WANTARROWS | DLGC_WANTCHARS);
    EXPECT_EQ(list.SendMessage(WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(HtmlList, LineNumbersSettingIsReadWhenTheListIsCleared) {
    CHTMLListCtrl& list = Attach(true);
    list.AddItem(L"one line", 1, 0);
    const RECT numbered = list.GetItemRect(0);
    WriteSettingDword(kSettingsSubKey, kLineNumbers, 0);
    list.AddItem(L"one line", 1, 0);
    EXPECT_EQ(list.GetItemRect(1).bottom - list.GetItemRect(1).top, numbered.bottom - numbered.top)
        << "the setting is not read until the list is cleared";
    list.DeleteAllItems();
    EXPECT_EQ(list.GetLabelHeight(), 0);
    list.AddItem(L"one line", 1, 0);
    const RECT plain = list.GetItemRect(0);
    EXPECT_LT(plain.bottom - plain.top, numbered.bottom - numbered.top)
        << "without a label above it the icon needs less height";
}

TEST_F(HtmlList, DefaultImagesComeFromTheProgramsBitmap) {
    list_ = std::make_unique<CHTMLListCtrl>();
    ASSERT_TRUE(list_->SubclassWindow(listView_));
    list_->SetStyle();
    list_->AddItem(L"one line", 0, 0);
    const RECT row = list_->GetItemRect(0);
    EXPECT_GE(row.bottom - row.top, list_->GetLabelHeight() + 16) << "room for a 16-pixel icon below the label";
}

TEST_F(HtmlList, PaintingDrawsStripesSelectionAndLineNumbers) {
    CHTMLListCtrl& list = Attach(true);
    Fill(8);
    Press(WM_LBUTTONDOWN, RowMiddle(2));
    Paint();
    WindowDC dc(listView_);
    auto colourAt = [&](int position) {
        RECT rect = list.GetItemRect(position);
        return GetPixel(dc, kListWidth - 30, rect.top + 2);
    };
    EXPECT_EQ(colourAt(0), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(colourAt(1), RGB(240, 240, 245));
    EXPECT_EQ(colourAt(2), RGB(255, 245, 200));
    EXPECT_EQ(colourAt(3), RGB(240, 240, 245));

    // Row 0's label "1." is grey, in the top-left corner above the check box.
    RECT row = list.GetItemRect(0);
    int grey = 0;
    for (int y = row.top + 5; y < row.top + 5 + list.GetLabelHeight(); ++y) {
        for (int x = row.left + Scaled(3); x < row.left + 30; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            grey += GetRValue(c) < 200 && GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c);
        }
    }
    EXPECT_GT(grey, 3);
}

// A list with a markup source keeps no text: it asks the source for the rows it draws, and must draw
// exactly what a list that keeps the same texts draws.
TEST_F(HtmlList, RowsFromAMarkupSourceLookLikeRowsThatKeepTheirText) {
    auto markupOf = [](DWORD_PTR data) {
        std::wstring text = L"HKEY_CURRENT_USER\\Key" + std::to_wstring(data) +
                            L"<br><p><i>Value </i><font color=#df0000>v" + std::to_wstring(data) + L"</font>";
        if (data % 3 == 0) {
            text += L"<br>a third line";
        }
        return text + L"</p>";
    };
    auto capture = [&] {
        Paint();
        RECT client = {};
        GetClientRect(listView_, &client);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB};
        void* bits = nullptr;
        BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        MemoryDC memory(nullptr);
        SelectObjectScope scope(memory, bitmap);
        WindowDC dc(listView_);
        BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        return std::vector<DWORD>(first, first + static_cast<size_t>(client.right) * client.bottom);
    };

    CHTMLListCtrl& list = Attach(true);
    for (DWORD_PTR data = 0; data < 40; ++data) {
        list.AddItem(markupOf(data), static_cast<int>(data % 3), data);
    }
    list.SetCheck(1, TRUE);
    const RECT keptRow = list.GetItemRect(3);
    const std::vector<DWORD> kept = capture();

    list.DeleteAllItems();
    std::vector<DWORD_PTR> asked;
    list.SetMarkupSource([&](DWORD_PTR data, std::wstring& markup) {
        asked.push_back(data);
        markup = markupOf(data);
    });
    for (DWORD_PTR data = 0; data < 40; ++data) {
        list.AddItem(markupOf(data), static_cast<int>(data % 3), data);
    }
    list.SetCheck(1, TRUE);
    const RECT sourceRow = list.GetItemRect(3);
    EXPECT_TRUE(EqualRect(&keptRow, &sourceRow)) << "rows are measured from the markup they are added with";
    asked.clear();
    const std::vector<DWORD> drawn = capture();
    EXPECT_TRUE(drawn == kept) << "the source's rows are drawn pixel for pixel like kept rows";
    ASSERT_FALSE(asked.empty());
    for (DWORD_PTR data : asked) {
        EXPECT_LT(list.GetItemRect(static_cast<int>(data)).top, ClientHeight()) << "only visible rows are made";
    }
}

} // namespace
