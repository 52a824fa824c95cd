#include "results/html_list_ctrl.h"

#include "resources/image_ids.h"
#include "results/list_font.h"
#include "base/settings.h"

#include <algorithm>
#include <climits>

namespace {

constexpr COLORREF kMaskColor = RGB(255, 0, 255);

// The control's own 16x16 images; empty when the module has no such bitmap.
HIMAGELIST LoadDefaultImages() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    BitmapHandle bitmap(static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(IDB_LIST_IMAGES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (list && bitmap) {
        ImageList_AddMasked(list, bitmap, kMaskColor);
    }
    return list;
}

int ClampCoordinate(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN / 2, INT_MAX / 2));
}

} // namespace

CHTMLListCtrl::CHTMLListCtrl() : defaultImages_(LoadDefaultImages()), backgroundColor_(::GetSysColor(COLOR_WINDOW)) {
    images_ = defaultImages_.Get();
    LoadListFont();
    ReadLineNumbers();
}

BOOL CHTMLListCtrl::SubclassWindow(HWND hWnd) {
    if (!CWindowImplRoot::SubclassWindow(hWnd)) {
        return FALSE;
    }
    OnAttached();
    return TRUE;
}

void CHTMLListCtrl::OnAttached() {
    controlId_ = GetDlgCtrlID();
    RECT client = {};
    GetClientRect(&client);
    clientWidth_ = client.right;
    clientHeight_ = client.bottom;
    NotifyHeader(HLN_CREATED);
}

void CHTMLListCtrl::SetStyle(BYTE style) {
    style_ = style;
    UpdateVerticalRange();
    Repaint();
}

void CHTMLListCtrl::LoadListFont() {
    const LOGFONTW log = ListFontSettings();
    FontHandle font(::CreateFontIndirectW(&log));
    if (!font) {
        return;
    }
    // The new font goes into the measuring context before the old one is deleted.
    ::SelectObject(measureDC_, font);
    font_ = std::move(font);
    estimates_.clear();
    SIZE number = {};
    ::GetTextExtentPoint32W(measureDC_, L"10", 2, &number);
    numberHeight_ = number.cy;
    RECT label = {};
    ::DrawTextW(measureDC_, L"1.", 2, &label, DT_CALCRECT | DT_NOPREFIX);
    labelHeight_ = label.bottom - label.top;
}

void CHTMLListCtrl::ReadLineNumbers() {
    lineNumbers_ = ReadSettingFlag(kLineNumbersSetting) ? TRUE : FALSE;
}

RowLook CHTMLListCtrl::CurrentLook() const {
    RowLook look;
    look.checkBoxes = (style_ & HLS_CHECKBOXES) != 0;
    int width = 0, height = 0;
    if ((style_ & HLS_IMAGES) && images_ && ImageList_GetImageCount(images_) > 0 &&
        ImageList_GetIconSize(images_, &width, &height)) {
        look.images = true;
        look.imageSize = {width, height};
    }
    look.lineNumbers = lineNumbers_ != FALSE;
    return look;
}

int CHTMLListCtrl::AddItem(std::wstring_view markup, int image, DWORD_PTR data) {
    HtmlListItem item;
    item.image = image;
    item.data = data;
    const int extent = MeasureRow(markup, item);
    if (!source_) {
        item.text = std::make_unique<const std::wstring>(markup);
    }
    const HtmlListItem& row = rows_.Append(std::move(item));
    UpdateVerticalRange();
    WidenTo(extent);
    return row.position;
}

int CHTMLListCtrl::AddRow(int image, DWORD_PTR data) {
    HtmlListItem item;
    item.image = image;
    item.data = data;
    const auto known = estimates_.find(image);
    if (known == estimates_.end()) {
        // The first row of its kind is measured at once; its height is the estimate for the rest.
        std::wstring markup;
        if (source_) {
            source_(data, markup);
        }
        WidenTo(MeasureRow(markup, item));
        estimates_[image] = {item.height, item.textHeight};
    } else {
        item.height = known->second.height;
        item.textHeight = known->second.textHeight;
        item.measured = false;
    }
    rowsUncommitted_ = true;
    const int position = rows_.Append(std::move(item)).position;
    if (firstUncommitted_ < 0) {
        firstUncommitted_ = position;
    }
    return position;
}

void CHTMLListCtrl::CommitRows() {
    if (!rowsUncommitted_) {
        return;
    }
    rowsUncommitted_ = false;
    UpdateVerticalRange();
    const HtmlListItem* first = rows_.At(firstUncommitted_);
    firstUncommitted_ = -1;
    if (first && m_hWnd) {
        const long long top = first->top - VerticalPosition();
        if (top < clientHeight_) {
            RECT shown = {0, static_cast<int>(std::max<long long>(top, 0)), clientWidth_, clientHeight_};
            InvalidateRect(&shown, FALSE);
        }
    }
}

void CHTMLListCtrl::WidenTo(int extent) {
    const int wanted = extent > INT_MAX - 100 ? INT_MAX : extent + 100;
    if (wanted > horizontalMax_) {
        horizontalMax_ = wanted;
        SCROLLINFO info = {sizeof info, SIF_RANGE};
        info.nMax = horizontalMax_;
        SetScrollBar(SB_HORZ, info);
    }
}

BOOL CHTMLListCtrl::DeleteItem(int position) {
    if (!rows_.Remove(position)) {
        return FALSE;
    }
    UpdateVerticalRange();
    Repaint();
    return TRUE;
}

void CHTMLListCtrl::DeleteCheckedItems() {
    if (rows_.RemoveChecked() > 0) {
        UpdateVerticalRange();
        Repaint();
    }
}

void CHTMLListCtrl::DeleteAllItems() {
    ReadLineNumbers();
    rows_.Clear();
    estimates_.clear(); // line numbers change the height of every row
    rowsUncommitted_ = false;
    firstUncommitted_ = -1;
    horizontalMax_ = clientWidth_;
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_POS};
    info.nMax = horizontalMax_;
    SetScrollBar(SB_HORZ, info);
    // The vertical range goes too, so that no stale range can be scrolled through.
    info.nMax = 0;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nPage = static_cast<UINT>(std::max(clientHeight_, 0));
    SetScrollBar(SB_VERT, info);
    Repaint();
}

DWORD_PTR CHTMLListCtrl::GetItemData(int position) const {
    const HtmlListItem* row = rows_.At(position);
    return row ? row->data : HTML_LIST_NO_DATA;
}

BOOL CHTMLListCtrl::GetCheck(int position) const {
    const HtmlListItem* row = rows_.At(position);
    return row ? row->checked : FALSE;
}

void CHTMLListCtrl::SetCheck(int position, BOOL checked) {
    if (HtmlListItem* row = rows_.At(position)) {
        row->checked = checked ? TRUE : FALSE;
        InvalidateRow(position);
    }
}

RECT CHTMLListCtrl::GetItemRect(int position) const {
    const HtmlListItem* row = rows_.At(position);
    return row ? RowRect(*row) : RECT{};
}

RECT CHTMLListCtrl::RowRect(const HtmlListItem& item) const {
    // Rows start at the client's left edge in the scrolled drawing; in client coordinates that edge moves
    // left by the horizontal position.
    const int left = -HorizontalPosition();
    const long long top = item.top - VerticalPosition();
    return {left, ClampCoordinate(top), left + ScrollWidth(), ClampCoordinate(top + item.height)};
}

int CHTMLListCtrl::ScrollWidth() const {
    return std::max(clientWidth_, horizontalMax_);
}

void CHTMLListCtrl::InvalidateRow(int position) {
    if (!m_hWnd) {
        return;
    }
    if (const HtmlListItem* row = rows_.At(position)) {
        RECT rect = RowRect(*row);
        ::InvalidateRect(m_hWnd, &rect, FALSE);
    }
}

void CHTMLListCtrl::Repaint() {
    if (m_hWnd) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CHTMLListCtrl::Notify(UINT code, int row) {
    NMHTMLLIST record = {{m_hWnd, static_cast<UINT_PTR>(controlId_), code}, row, 0, FALSE};
    if (code == HLN_SELCHANGED || code == HLN_CHECKCHANGED) {
        if (const HtmlListItem* item = rows_.At(row)) {
            record.data = item->data;
            record.checked = item->checked;
        }
    }
    ::SendMessageW(GetParent(), WM_NOTIFY, controlId_, reinterpret_cast<LPARAM>(&record));
}

void CHTMLListCtrl::NotifyHeader(UINT code) {
    NMHDR header = {m_hWnd, static_cast<UINT_PTR>(controlId_), code};
    ::SendMessageW(GetParent(), WM_NOTIFY, controlId_, reinterpret_cast<LPARAM>(&header));
}

BOOL CHTMLListCtrl::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
    lResult = 0;
    switch (uMsg) {
    case WM_CREATE:
        OnAttached();
        return FALSE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_ERASEBKGND:
        lResult = 1; // painting covers everything
        return TRUE;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_WINDOWPOSCHANGED:
        // Straight to the default procedure: the list view's own handling would reset our scroll ranges.
        lResult = ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        return TRUE;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        OnFocus(uMsg == WM_SETFOCUS);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        OnButtonDown(lParam);
        return TRUE;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick();
        return TRUE;
    case WM_KEYDOWN:
        return OnKeyDown(wParam);
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam));
        return TRUE;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return TRUE;
    case WM_GETDLGCODE:
        lResult = DefWindowProc(uMsg, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS;
        return TRUE;
    case WM_NCPAINT:
        scrollBarsStale_ = false;
        return FALSE; // the list view's own procedure draws the frame and scroll bars
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        lResult = TRUE;
        return TRUE;
    default:
        return FALSE;
    }
}
