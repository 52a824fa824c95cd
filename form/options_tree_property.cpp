#include "form/options_tree_property.h"

#include "form/options_tree_edit.h"
#include "winlib/gdi.h"
#include "winlib/window.h"

#include <algorithm>
#include <cwchar>

namespace OptionsTree {

namespace {

constexpr UINT kValueTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

void DrawLine(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

HFONT ValueFont(const PROPERTYDRAWINFO& di) {
    return di.valueFont ? di.valueFont : di.font;
}

} // namespace

// ---- CProperty

CProperty::CProperty(const wchar_t* name, DWORD itemData) : name_(name ? name : L""), itemData_(itemData) {}

void CProperty::SetOwner(HWND hWnd, HTREEITEM) {
    owner_ = hWnd;
}

void CProperty::DrawName(PROPERTYDRAWINFO& di) {
    const bool selected = (di.state & PDS_SELECTED) != 0;
    COLORREF text = selected ? di.selTextColor : di.textColor;
    if (di.state & PDS_DISABLED) {
        text = di.disabledColor;
    }
    SavedDCState saved(di.dc);
    BrushHandle back(::CreateSolidBrush(selected ? di.selBackColor : di.backColor));
    ::FillRect(di.dc, &di.rect, back);
    ::SelectObject(di.dc, di.font);
    ::SetBkMode(di.dc, TRANSPARENT);
    ::SetTextColor(di.dc, text);
    RECT rect = di.rect;
    rect.left += 2;
    DrawLine(di.dc, name_, rect, kValueTextFormat);
}

bool CProperty::GetDisplayValue(wchar_t* buffer, UINT size) const {
    if (buffer && size) {
        buffer[0] = L'\0';
    }
    return false;
}

// ---- CPropertyItem

bool CPropertyItem::DisplayText(std::wstring& text) const {
    ScopedVariant converted;
    if (FAILED(converted.ConvertFrom(value_.Get(), VT_BSTR))) {
        return false;
    }
    BSTR bstr = converted.Get().bstrVal;
    text.assign(bstr ? bstr : L"", bstr ? ::SysStringLen(bstr) : 0);
    return true;
}

bool CPropertyItem::GetDisplayValue(wchar_t* buffer, UINT size) const {
    if (!buffer || size == 0) {
        return false;
    }
    buffer[0] = L'\0';
    std::wstring text;
    if (!DisplayText(text)) {
        return false;
    }
    const size_t count = std::min<size_t>(text.size(), size - 1);
    std::wmemcpy(buffer, text.data(), count);
    buffer[count] = L'\0';
    return true;
}

UINT CPropertyItem::GetDisplayValueLength() const {
    std::wstring text;
    return DisplayText(text) ? static_cast<UINT>(text.size()) : 0;
}

bool CPropertyItem::GetValue(VARIANT* value) const {
    if (!value) {
        return false;
    }
    HRESULT hr = ::VariantCopy(value, const_cast<VARIANT*>(&value_.Get()));
    ThrowIfOutOfMemory(hr);
    return SUCCEEDED(hr);
}

bool CPropertyItem::SetValue(const VARIANT& value) {
    return SUCCEEDED(value_.CopyFrom(value));
}

void CPropertyItem::DrawValue(PROPERTYDRAWINFO& di) {
    std::wstring text;
    if (!DisplayText(text) || text.empty()) {
        return;
    }
    SavedDCState saved(di.dc);
    ::SelectObject(di.dc, ValueFont(di));
    ::SetBkMode(di.dc, TRANSPARENT);
    ::SetTextColor(di.dc, (di.state & PDS_DISABLED) ? di.disabledColor : di.textColor);
    RECT rect = di.rect;
    rect.left += 2;
    DrawLine(di.dc, text, rect, kValueTextFormat);
}

// ---- CPropertyReadOnlyItem

CPropertyReadOnlyItem::CPropertyReadOnlyItem(const wchar_t* name, DWORD itemData) : CPropertyItem(name, itemData) {
    ScopedVariant empty(L"");
    value_.CopyFrom(empty.Get());
}

void CPropertyReadOnlyItem::DrawValue(PROPERTYDRAWINFO& di) {
    const COLORREF back = backColor_ != CLR_INVALID ? backColor_ : di.backColor;
    COLORREF text = textColor_ != CLR_INVALID ? textColor_ : di.textColor;
    if (di.state & PDS_DISABLED) {
        text = di.disabledColor;
    }
    SavedDCState saved(di.dc);
    BrushHandle brush(::CreateSolidBrush(back));
    ::FillRect(di.dc, &di.rect, brush);
    RECT rect = di.rect;
    if (icon_) {
        const int size = ::GetSystemMetrics(SM_CXSMICON);
        const int top = rect.top + (rect.bottom - rect.top - size) / 2;
        ::DrawIconEx(di.dc, rect.left + 2, top, icon_, size, size, 0, nullptr, DI_NORMAL);
        rect.left += size + 4;
    }
    std::wstring value;
    if (!DisplayText(value) || value.empty()) {
        return;
    }
    ::SelectObject(di.dc, ValueFont(di));
    ::SetBkMode(di.dc, OPAQUE);
    ::SetBkColor(di.dc, back);
    ::SetTextColor(di.dc, text);
    DrawLine(di.dc, value, rect, kValueTextFormat | DT_EDITCONTROL);
}

// ---- CPropertyEditItem

CPropertyEditItem::CPropertyEditItem(const wchar_t* name, const VARIANT& value, DWORD itemData)
    : CPropertyItem(name, itemData) {
    value_.CopyFrom(value);
}

bool CPropertyEditItem::IsNumeric() const {
    switch (value_.Get().vt) {
    case VT_I4:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
        return true;
    default:
        return false;
    }
}

HWND CPropertyEditItem::CreateInplaceControl(HWND hWnd, const RECT& rect) {
    std::wstring text;
    DisplayText(text);
    editor_ = CPropertyEditWindow::Create(hWnd, rect, text, IsNumeric());
    return editor_;
}

bool CPropertyEditItem::Activate(UINT action, LPARAM) {
    if (action != PACT_DBLCLICK && action != PACT_TAB && action != PACT_SPACE) {
        return true;
    }
    // The tree may have closed the editor since it was made; only a live child of the owner counts.
    if (editor_ && ::IsWindow(editor_) && ::GetParent(editor_) == owner_) {
        ::SetFocus(editor_);
        ::SendMessageW(editor_, EM_SETSEL, 0, -1);
    }
    return true;
}

bool CPropertyEditItem::SetValue(HWND editor) {
    const std::wstring text = CWindow(editor).GetWindowText();
    if (::GetWindowLongPtrW(editor, GWL_STYLE) & ES_NUMBER) {
        // Decimal, as wcstol reads it: an empty text is 0.
        ScopedVariant number(static_cast<LONG>(std::wcstol(text.c_str(), nullptr, 10)));
        return SetValue(number.Get());
    }
    ScopedVariant string(text.c_str());
    return SetValue(string.Get());
}

bool CPropertyEditItem::SetValue(const VARIANT& value) {
    // The item keeps its type; an item created empty takes the type of its first value.
    const VARTYPE type = value_.Get().vt == VT_EMPTY ? value.vt : value_.Get().vt;
    return SUCCEEDED(value_.ConvertFrom(value, type));
}

} // namespace OptionsTree
