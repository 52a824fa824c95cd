// CPropertyTreeCtrl: a tree-view control whose items are properties (IProperty). It is attached to an existing
// tree view by subclassing; the parent must reflect the tree's notifications (ReflectNotifications) so that
// clicks, selection changes, expansion requests, custom drawing and item deletion reach it, and answers the
// PTN_* notifications itself. The tree owns every property handed to InsertItem and deletes it with its item,
// also when the tree window is destroyed. Main thread only.
#pragma once

#include "form/options_tree_check.h"
#include "form/options_tree_property.h"
#include "winlib/gdi.h"
#include "winlib/window_impl.h"

#include <commctrl.h>

#include <vector>

namespace OptionsTree {

class CPropertyTreeCtrl : public CWindowImplRoot {
public:
    CPropertyTreeCtrl() = default;
    ~CPropertyTreeCtrl() override;

    // Attaches to a tree view and sets it up (styles, colours, fonts).
    BOOL SubclassWindow(HWND hWnd);
    // Creates a tree view child of parent and attaches to it.
    HWND Create(HWND parent, const RECT& rect, UINT id,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);

    // Inserts `property` last under `parent` and expands the parent. The tree owns the property from this
    // call on: it is deleted with its item, or at once when the insertion fails (the result is then null).
    HTREEITEM InsertItem(IProperty* property, int image, int selectedImage, HTREEITEM parent = TVI_ROOT);
    // The property of an item; null for a null item or an item without one.
    IProperty* GetProperty(HTREEITEM item) const;

    // True only for a check or option item that is on.
    bool GetCheckState(HTREEITEM item) const;
    // Sets a check or option item without notifications and repaints it.
    bool SetCheckState(HTREEITEM item, bool check);
    // Enables or disables an item; check and option items switch to their disabled or enabled image.
    void SetItemEnabled(HTREEITEM item, bool enabled);
    bool IsItemEnabled(HTREEITEM item) const;

    DWORD GetExtendedStyle() const { return extendedStyle_; }
    DWORD SetExtendedStyle(DWORD style);
    // Client x at which value areas start at the latest; 0 = right after each label.
    void SetColumn(int x) { valueColumn_ = x; }
    int GetColumn() const { return valueColumn_; }

    // The in-place editor and the item it edits; null when there is none.
    HWND GetEditor() const { return editor_; }
    HTREEITEM GetEditedItem() const { return editedItem_; }
    // The area right of an item's label where its value is drawn, in client coordinates; false when the
    // item is not visible.
    bool GetValueRect(HTREEITEM item, RECT& rect) const;

    // Thin wrappers of the tree-view messages.
    BOOL Expand(HTREEITEM item, UINT code = TVE_EXPAND) const;
    BOOL SelectItem(HTREEITEM item) const;
    BOOL DeleteItem(HTREEITEM item) const;
    BOOL DeleteAllItems() const { return DeleteItem(TVI_ROOT); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    UINT GetItemState(HTREEITEM item, UINT mask) const;
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask) const;
    BOOL GetItemRect(HTREEITEM item, RECT& rect, bool textOnly) const;
    void InvalidateItem(HTREEITEM item) const;
    // The item that carries `property`; null when none does.
    HTREEITEM FindItem(const IProperty* property) const;

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

private:
    void Setup();
    void OnSettingChange();
    LRESULT OnReflectedNotify(NMHDR* header, BOOL& handled);
    LRESULT OnClick();
    LRESULT OnDoubleClick();
    LRESULT OnItemExpanding(const NMTREEVIEWW& info);
    void OnSelChanged(const NMTREEVIEWW& info);
    void OnDeleteItem(const NMTREEVIEWW& info);
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW& draw);
    BOOL OnKeyDown(WPARAM key);
    void OnSetFocus();
    LRESULT OnSetValue(const VARIANT* value, IProperty* property);
    LRESULT OnSetCheck(HTREEITEM item, bool check);
    void OnAcceptEdit(HWND editor);
    void OnCancelEdit(HWND editor);
    void OnNavigate(WPARAM key);
    void OnDestroy();
    LRESULT OnExpandMessage(WPARAM wParam, LPARAM lParam);

    LRESULT NotifyParent(int code, IProperty* property) const;
    void ActivateItem(HTREEITEM item, UINT action, LPARAM position);
    void CreateEditor(HTREEITEM item);
    void CloseEditor();
    // Takes every property off the items (so no notification can reach them again) and deletes it.
    void DeleteAllProperties();
    void CollectItems(HTREEITEM first, std::vector<HTREEITEM>& items) const;

    HWND editor_ = nullptr;
    HTREEITEM editedItem_ = nullptr;
    bool closingEditor_ = false;
    DWORD extendedStyle_ = 0;
    bool clicked_ = false;
    bool ownerExpanding_ = false;
    int valueColumn_ = 0;
    HFONT labelFont_ = nullptr; // the parent's or the stock GUI font; not owned
    FontHandle valueFont_;
    PenHandle pen_;
    PROPERTYDRAWINFO drawInfo_;
};

} // namespace OptionsTree
