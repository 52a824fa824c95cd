// Check-box and radio-option items of the options tree (kind 6). Their value is a bool shown as the item's
// image; the tree changes them through PTM_SETVALUE (with notifications) or PTM_SETCHECK (without).
#pragma once

#include "form/options_tree_property.h"

namespace OptionsTree {

// Item images in the tree's image list.
inline constexpr int PTI_CHECK_OFF = 0;
inline constexpr int PTI_CHECK_ON = 1;
inline constexpr int PTI_OPTION_OFF = 2;
inline constexpr int PTI_OPTION_ON = 3;
inline constexpr int PTI_DISABLED_OFFSET = 4; // the same four images, disabled
inline constexpr int PTI_EDIT = 11;
inline constexpr int PTI_HEADING = 13;

class CPropertyCheckmarkItem : public CProperty {
public:
    CPropertyCheckmarkItem(const wchar_t* name, bool value, DWORD itemData = 0);

    BYTE GetKind() const override { return PROPKIND_CHECK; }
    void SetOwner(HWND hWnd, HTREEITEM hItem) override;
    bool Activate(UINT action, LPARAM position) override;
    bool GetValue(VARIANT* value) const override;
    using CProperty::SetValue;
    // Accepts VT_BOOL only.
    bool SetValue(const VARIANT& value) override;

    bool GetCheck() const { return value_; }

protected:
    virtual int ImageIndex() const;
    // Asks the tree to change the value with notifications.
    void RequestValue(bool value);

    HTREEITEM item_ = nullptr;
    bool value_;

private:
    void UpdateImage();
};

// A radio option: turning it on turns off the adjacent check and option siblings.
class CPropertyOptionItem : public CPropertyCheckmarkItem {
public:
    CPropertyOptionItem(const wchar_t* name, bool value, DWORD itemData = 0);

    bool Activate(UINT action, LPARAM position) override;
    using CPropertyCheckmarkItem::SetValue;
    bool SetValue(const VARIANT& value) override;

protected:
    int ImageIndex() const override;

private:
    void ClearSiblings(UINT direction) const;
};

} // namespace OptionsTree
