// In-place editing and value painting of CPropertyTreeCtrl.
#include "form/options_tree_ctrl.h"

#include "form/options_tree_flag_scope.h"

#include <utility>

namespace OptionsTree {

namespace {

bool IsEditControl(HWND hWnd) {
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    return ::lstrcmpiW(name, WC_EDITW) == 0;
}

} // namespace

// ---- in-place editing

void CPropertyTreeCtrl::CreateEditor(HTREEITEM item) {
    if (closingEditor_) {
        return;
    }
    CloseEditor();
    if (!item || item != GetSelectedItem()) {
        return;
    }
    IProperty* property = GetProperty(item);
    RECT rect;
    if (!property || !property->IsEnabled() || !GetValueRect(item, rect)) {
        return;
    }
    ::InflateRect(&rect, 0, -1);
    if (HWND editor = property->CreateInplaceControl(m_hWnd, rect)) {
        editor_ = editor;
        editedItem_ = item;
    }
}

void CPropertyTreeCtrl::CloseEditor() {
    if (!editor_ || closingEditor_) {
        return;
    }
    HWND editor = nullptr;
    {
        FlagScope closing(closingEditor_);
        // Taking the focus away lets the editor report first: a changed text is committed, not lost.
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(m_hWnd, focus)) {
            ::SetFocus(m_hWnd);
        }
        editor = std::exchange(editor_, nullptr);
        editedItem_ = nullptr;
    }
    if (!::IsWindow(editor)) {
        return;
    }
    if (IsEditControl(editor)) {
        ::DestroyWindow(editor);
    } else {
        ::SendMessageW(editor, WM_CLOSE, 0, 0);
    }
}

void CPropertyTreeCtrl::OnAcceptEdit(HWND editor) {
    if (!editor || editor != editor_) {
        return;
    }
    HTREEITEM item = editedItem_;
    IProperty* property = GetProperty(item);
    if (!property) {
        CloseEditor();
        return;
    }
    // A refused or failed change leaves the value as it was; the editor then shows that value again
    // instead of a text that was never taken.
    if (NotifyParent(PTN_ITEMCHANGING, property)) {
        OnCancelEdit(editor);
        return;
    }
    if (!property->SetValue(editor)) {
        ::MessageBeep(0xFFFFFFFF);
        OnCancelEdit(editor);
        return;
    }
    NotifyParent(PTN_ITEMCHANGED, property);
    InvalidateItem(item);
    CloseEditor();
}

void CPropertyTreeCtrl::OnCancelEdit(HWND editor) {
    if (!editor || editor != editor_) {
        return;
    }
    HTREEITEM item = editedItem_;
    CloseEditor();
    InvalidateItem(item);
    if (item == GetSelectedItem()) {
        CreateEditor(item);
    }
}

// ---- painting

LRESULT CPropertyTreeCtrl::OnCustomDraw(NMTVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        break;
    default:
        return CDRF_DODEFAULT;
    }
    auto item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    IProperty* property = GetProperty(item);
    RECT area;
    if (!property || !GetValueRect(item, area)) {
        return CDRF_DODEFAULT;
    }
    HDC dc = draw.nmcd.hdc;
    {
        BrushHandle back(::CreateSolidBrush(IsWindowEnabled() ? drawInfo_.backColor : ::GetSysColor(COLOR_BTNFACE)));
        ::FillRect(dc, &area, back);
    }
    const bool selected = item == GetSelectedItem();
    const BYTE kind = property->GetKind();
    if (selected && kind != PROPKIND_ITEM && kind != PROPKIND_CHECK) {
        SelectObjectScope pen(dc, pen_);
        SelectObjectScope brush(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, area.left, area.top, area.right, area.bottom);
    }
    PROPERTYDRAWINFO di = drawInfo_;
    di.dc = dc;
    di.rect = area;
    di.state = (selected ? PDS_SELECTED : 0) | (property->IsEnabled() ? 0 : PDS_DISABLED) |
               (item == editedItem_ ? PDS_EDITING : 0);
    property->DrawValue(di);
    return CDRF_DODEFAULT;
}

} // namespace OptionsTree
