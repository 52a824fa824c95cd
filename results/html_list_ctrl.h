// CHTMLListCtrl: the results list. Attached to an existing list-view control by subclassing; draws rows of
// markup (DrawMarkup) with stripes, line numbers, check boxes and icons, scrolls by pixels, and reports
// clicks, selection, checks and keys to its parent (html_list_notify.h). Keys it does not use reach the
// list view's own procedure, so the parent still gets LVN_KEYDOWN for them. Main thread only.
#pragma once

#include "results/html_list_layout.h"
#include "results/html_list_notify.h"
#include "results/html_list_rows.h"
#include "winlib/gdi.h"
#include "winlib/image_list.h"
#include "winlib/window_impl.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class CHTMLListCtrl : public CWindowImpl<CHTMLListCtrl> {
public:
    CHTMLListCtrl();
    ~CHTMLListCtrl() override = default;

    // Attaches to a child window, reads its id and size, and sends HLN_CREATED.
    BOOL SubclassWindow(HWND hWnd);
    // Sets the style bits (the results list uses both), resets the vertical range and repaints.
    void SetStyle(BYTE style = HLS_CHECKBOXES | HLS_IMAGES);
    // The image list is owned by the caller; null = no icons.
    void SetImageList(HIMAGELIST images) { images_ = images; }
    // (Re)creates the list font from the Font setting. Rows already listed keep their heights.
    void LoadListFont();

    // Where rows get their markup when they are drawn: the row's user data in, its markup out. With a source
    // set, rows keep no markup of their own; a list of a million results would otherwise hold every row's text
    // beside the records it is made from. Set it before rows are added.
    using MarkupSource = std::function<void(DWORD_PTR data, std::wstring& markup)>;
    void SetMarkupSource(MarkupSource source) { source_ = std::move(source); }

    // Appends a row (markup measured now, and kept unless a markup source is set) and returns its position.
    int AddItem(std::wstring_view markup, int image, DWORD_PTR data);
    // Appends a row whose markup the markup source makes when the row is drawn, and returns its position. The
    // row costs no text and no measuring now: it takes the height last measured for a row with the same image
    // and is measured when it is first shown. The scroll ranges follow at CommitRows (or the next paint), so
    // a batch of rows costs one update of the scroll bars.
    int AddRow(int image, DWORD_PTR data);
    // Updates the scroll ranges for the rows added since the last call and repaints those of them that are in
    // view (without erasing); rows added below the visible part cost no paint.
    void CommitRows();
    BOOL DeleteItem(int position);
    void DeleteCheckedItems();
    // Removes every row and re-reads the LineNumbers setting.
    void DeleteAllItems();

    DWORD_PTR GetItemData(int position) const; // HTML_LIST_NO_DATA for a missing row
    BOOL GetCheck(int position) const;
    void SetCheck(int position, BOOL checked);
    // The row's rectangle in client coordinates at the current scroll position; empty for a missing row.
    RECT GetItemRect(int position) const;
    int GetItemCount() const { return rows_.Count(); }
    int GetSelectedIndex() const { return rows_.Selected(); }
    // Height of a line-number label (0 with line numbers off); the check boxes sit below it.
    int GetLabelHeight() const { return LabelHeight(); }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    // Window messages (html_list_input.cpp, html_list_paint.cpp).
    void OnAttached();
    void OnPaint();
    void OnSize(int width, int height);
    void OnFocus(bool focused);
    void OnButtonDown(LPARAM lParam);
    void OnDoubleClick();
    BOOL OnKeyDown(WPARAM key);
    void OnVScroll(int code);
    void OnHScroll(int code);
    void OnMouseWheel(int delta);

    // Keyboard actions.
    void ToggleSelectedCheck();
    void MoveSelection(bool down);

    // Scrolling; every change repaints at once.
    int VerticalPosition() const;
    int HorizontalPosition() const;
    void ScrollVerticalTo(long long position);
    void ScrollHorizontalTo(long long position);
    void UpdateVerticalRange();
    void SetScrollBar(int bar, const SCROLLINFO& info);

    // Drawing and measuring.
    void PaintRows(HDC dc, const RECT& clip, int scrollWidth);
    void DrawRow(HDC dc, const RECT& row, const HtmlListItem& item);
    // Sets the row's heights from its markup; returns the markup's width.
    int MeasureRow(std::wstring_view markup, HtmlListItem& item);
    // Measures the rows in view that were added unmeasured, moving the rows below when a height changed.
    void MeasureShownRows();
    void WidenTo(int extent);
    RowLook CurrentLook() const;
    void ReadLineNumbers();
    int LabelHeight() const { return lineNumbers_ ? labelHeight_ : 0; }
    int ScrollWidth() const;
    RECT RowRect(const HtmlListItem& item) const;
    void InvalidateRow(int position);
    void Repaint();

    void Notify(UINT code, int row);
    void NotifyHeader(UINT code);

    BOOL lineNumbers_ = TRUE;
    int labelHeight_ = 0;  // height of a line-number label in the list font
    int numberHeight_ = 0; // height of the text "10" in the list font
    FontHandle font_;
    MemoryDC measureDC_; // holds the list font; rows are measured here when added
    HtmlListRows rows_;
    MarkupSource source_;
    std::wstring drawnMarkup_; // the source's answer for the row being drawn
    struct RowEstimate {
        int height;
        int textHeight;
    };
    std::unordered_map<int, RowEstimate> estimates_; // by image: the last row measured with it
    bool rowsUncommitted_ = false;
    int firstUncommitted_ = -1; // the first row added since the last CommitRows
    int controlId_ = 0;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int horizontalMax_ = 0;
    BOOL focused_ = FALSE;
    bool scrollBarsStale_ = false; // a frame repaint is pending for changed scroll ranges
    BYTE style_ = 0;
    HIMAGELIST images_ = nullptr;
    ImageListHandle defaultImages_;
    COLORREF textColor_ = RGB(0, 0, 0);
    COLORREF backgroundColor_;
    COLORREF selectedColor_ = RGB(255, 245, 200);
};
