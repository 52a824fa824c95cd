#include "form/options_tree_check.h"

namespace OptionsTree {

// ---- CPropertyCheckmarkItem

CPropertyCheckmarkItem::CPropertyCheckmarkItem(const wchar_t* name, bool value, DWORD itemData)
    : CProperty(name, itemData), value_(value) {}

void CPropertyCheckmarkItem::SetOwner(HWND hWnd, HTREEITEM hItem) {
    CProperty::SetOwner(hWnd, hItem);
    item_ = hItem;
    UpdateImage();
}

int CPropertyCheckmarkItem::ImageIndex() const {
    return (value_ ? PTI_CHECK_ON : PTI_CHECK_OFF) + (IsEnabled() ? 0 : PTI_DISABLED_OFFSET);
}

void CPropertyCheckmarkItem::UpdateImage() {
    if (!owner_ || !item_) {
        return;
    }
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = item_;
    item.iImage = item.iSelectedImage = ImageIndex();
    ::SendMessageW(owner_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CPropertyCheckmarkItem::RequestValue(bool value) {
    if (!owner_) {
        return;
    }
    ScopedVariant requested(value);
    ::SendMessageW(owner_, PTM_SETVALUE, reinterpret_cast<WPARAM>(&requested.Get()),
                   reinterpret_cast<LPARAM>(static_cast<IProperty*>(this)));
}

bool CPropertyCheckmarkItem::Activate(UINT action, LPARAM) {
    // A double click toggles twice: once for its click, once for itself.
    if ((action == PACT_CLICK || action == PACT_DBLCLICK || action == PACT_SPACE) && IsEnabled()) {
        RequestValue(!value_);
    }
    return true;
}

bool CPropertyCheckmarkItem::GetValue(VARIANT* value) const {
    if (!value) {
        return false;
    }
    ::VariantClear(value);
    value->vt = VT_BOOL;
    value->boolVal = value_ ? VARIANT_TRUE : VARIANT_FALSE;
    return true;
}

bool CPropertyCheckmarkItem::SetValue(const VARIANT& value) {
    if (value.vt != VT_BOOL) {
        return false;
    }
    value_ = value.boolVal != 0;
    UpdateImage();
    return true;
}

// ---- CPropertyOptionItem

CPropertyOptionItem::CPropertyOptionItem(const wchar_t* name, bool value, DWORD itemData)
    : CPropertyCheckmarkItem(name, value, itemData) {}

int CPropertyOptionItem::ImageIndex() const {
    return (value_ ? PTI_OPTION_ON : PTI_OPTION_OFF) + (IsEnabled() ? 0 : PTI_DISABLED_OFFSET);
}

bool CPropertyOptionItem::Activate(UINT action, LPARAM) {
    // Choosing an option that is already on sets it again, so the parent hears of it again.
    if ((action == PACT_CLICK || action == PACT_SPACE) && IsEnabled()) {
        RequestValue(true);
    }
    return true;
}

bool CPropertyOptionItem::SetValue(const VARIANT& value) {
    const bool wasOn = value_;
    if (!CPropertyCheckmarkItem::SetValue(value)) {
        return false;
    }
    // Only an option that becomes on clears its siblings: re-applying the value of an option that is
    // already on (to switch its enabled image, say) must not change other items.
    if (value_ && !wasOn) {
        ClearSiblings(TVGN_PREVIOUS);
        ClearSiblings(TVGN_NEXT);
    }
    return true;
}

// Turns off the siblings in one direction up to the first one that is not a check or option item; the
// tree answers PTM_SETCHECK with 0 for those. Children are never visited.
void CPropertyOptionItem::ClearSiblings(UINT direction) const {
    if (!owner_ || !item_) {
        return;
    }
    auto next = [&](HTREEITEM from) {
        return reinterpret_cast<HTREEITEM>(
            ::SendMessageW(owner_, TVM_GETNEXTITEM, direction, reinterpret_cast<LPARAM>(from)));
    };
    for (HTREEITEM sibling = next(item_); sibling; sibling = next(sibling)) {
        if (!::SendMessageW(owner_, PTM_SETCHECK, reinterpret_cast<WPARAM>(sibling), 0)) {
            break;
        }
    }
}

} // namespace OptionsTree
