// The item operations of CPropertyTreeCtrl and its thin wrappers of the tree-view messages.
#include "form/options_tree_ctrl.h"

#include <memory>

namespace OptionsTree {

// ---- items

HTREEITEM CPropertyTreeCtrl::InsertItem(IProperty* property, int image, int selectedImage, HTREEITEM parent) {
    if (!property) {
        return nullptr;
    }
    std::unique_ptr<IProperty> owned(property);
    if (!parent) {
        parent = TVI_ROOT;
    }
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(property->GetName());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = reinterpret_cast<LPARAM>(property);
    auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) {
        return nullptr;
    }
    owned.release();
    property->SetOwner(m_hWnd, item);
    if (parent != TVI_ROOT) {
        Expand(parent);
    }
    clicked_ = false;
    return item;
}

IProperty* CPropertyTreeCtrl::GetProperty(HTREEITEM item) const {
    if (!item) {
        return nullptr;
    }
    TVITEMW data = {};
    data.mask = TVIF_HANDLE | TVIF_PARAM;
    data.hItem = item;
    if (!SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) {
        return nullptr;
    }
    return reinterpret_cast<IProperty*>(data.lParam);
}

bool CPropertyTreeCtrl::GetCheckState(HTREEITEM item) const {
    IProperty* property = GetProperty(item);
    if (!property || property->GetKind() != PROPKIND_CHECK) {
        return false;
    }
    ScopedVariant value;
    return property->GetValue(value.Receive()) && value.Get().vt == VT_BOOL && value.Get().boolVal != 0;
}

bool CPropertyTreeCtrl::SetCheckState(HTREEITEM item, bool check) {
    IProperty* property = GetProperty(item);
    if (!property || property->GetKind() != PROPKIND_CHECK) {
        return false;
    }
    ScopedVariant value(check);
    const bool changed = property->SetValue(value.Get());
    InvalidateItem(item);
    return changed;
}

void CPropertyTreeCtrl::SetItemEnabled(HTREEITEM item, bool enabled) {
    IProperty* property = GetProperty(item);
    if (!property) {
        return;
    }
    property->SetEnabled(enabled);
    if (property->GetKind() == PROPKIND_CHECK) {
        // Setting the same value again picks the enabled or disabled image.
        ScopedVariant value;
        if (property->GetValue(value.Receive())) {
            property->SetValue(value.Get());
        }
    }
    InvalidateItem(item);
}

bool CPropertyTreeCtrl::IsItemEnabled(HTREEITEM item) const {
    IProperty* property = GetProperty(item);
    return property && property->IsEnabled();
}

HTREEITEM CPropertyTreeCtrl::FindItem(const IProperty* property) const {
    if (!property) {
        return nullptr;
    }
    std::vector<HTREEITEM> items;
    CollectItems(GetRootItem(), items);
    for (HTREEITEM item : items) {
        if (GetProperty(item) == property) {
            return item;
        }
    }
    return nullptr;
}

void CPropertyTreeCtrl::CollectItems(HTREEITEM first, std::vector<HTREEITEM>& items) const {
    for (HTREEITEM item = first; item; item = GetNextSiblingItem(item)) {
        items.push_back(item);
        CollectItems(GetChildItem(item), items);
    }
}

void CPropertyTreeCtrl::DeleteAllProperties() {
    std::vector<HTREEITEM> items;
    CollectItems(GetRootItem(), items);
    std::vector<std::unique_ptr<IProperty>> properties;
    properties.reserve(items.size());
    for (HTREEITEM item : items) {
        IProperty* property = GetProperty(item);
        if (!property) {
            continue;
        }
        TVITEMW data = {};
        data.mask = TVIF_HANDLE | TVIF_PARAM;
        data.hItem = item;
        data.lParam = 0;
        SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        properties.emplace_back(property);
    }
}

// ---- thin wrappers

BOOL CPropertyTreeCtrl::Expand(HTREEITEM item, UINT code) const {
    return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}

BOOL CPropertyTreeCtrl::SelectItem(HTREEITEM item) const {
    return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

BOOL CPropertyTreeCtrl::DeleteItem(HTREEITEM item) const {
    return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CPropertyTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

UINT CPropertyTreeCtrl::GetItemState(HTREEITEM item, UINT mask) const {
    return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

BOOL CPropertyTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) const {
    TVITEMW data = {};
    data.mask = TVIF_HANDLE | TVIF_STATE;
    data.hItem = item;
    data.state = state;
    data.stateMask = mask;
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data)));
}

BOOL CPropertyTreeCtrl::GetItemRect(HTREEITEM item, RECT& rect, bool textOnly) const {
    // The message takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(&rect) = item;
    return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect)));
}

void CPropertyTreeCtrl::InvalidateItem(HTREEITEM item) const {
    RECT rect;
    if (item && GetItemRect(item, rect, false)) {
        InvalidateRect(&rect, TRUE);
    }
}

bool CPropertyTreeCtrl::GetValueRect(HTREEITEM item, RECT& rect) const {
    RECT label, row;
    if (!item || !GetItemRect(item, label, true) || !GetItemRect(item, row, false)) {
        return false;
    }
    rect = row;
    rect.left = label.right + 4;
    if (valueColumn_ > rect.left) {
        rect.left = valueColumn_;
    }
    return rect.left < rect.right;
}

} // namespace OptionsTree
