// The items of the options tree: the IProperty interface and the heading, read-only and edit item classes.
// Check-box and option items live in options_tree_check.h. Every property is created with new by the code
// that fills the tree and is owned (and deleted) by the tree from the moment it is handed to InsertItem.
// All of them live on the main thread.
#pragma once

#include "form/options_tree_defs.h"
#include "form/options_tree_variant.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace OptionsTree {

// Virtual operations in a fixed order; the tree reaches items only through these.
class IProperty {
public:
    virtual ~IProperty() = default;
    virtual BYTE GetKind() const = 0;
    // Remembers the tree window; check and option items also remember their item and show their image.
    virtual void SetOwner(HWND hWnd, HTREEITEM hItem) = 0;
    virtual const wchar_t* GetName() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetItemData(DWORD data) = 0;
    virtual DWORD GetItemData() const = 0;
    virtual void DrawName(PROPERTYDRAWINFO& di) = 0;
    virtual void DrawValue(PROPERTYDRAWINFO& di) = 0;
    // Creates the in-place editor as a child of the tree over rect; null when the item has none.
    virtual HWND CreateInplaceControl(HWND hWnd, const RECT& rect) = 0;
    // Reaction to an activation (PACT_*); position is the message position in screen coordinates.
    virtual bool Activate(UINT action, LPARAM position) = 0;
    // The value as text, cut to size - 1 characters; false (and an empty buffer) when it has no text form.
    virtual bool GetDisplayValue(wchar_t* buffer, UINT size) const = 0;
    virtual UINT GetDisplayValueLength() const = 0;
    // Copies the value into *value (which the caller has initialised and will clear).
    virtual bool GetValue(VARIANT* value) const = 0;
    // Takes the value from the in-place editor's text.
    virtual bool SetValue(HWND editor) = 0;
    virtual bool SetValue(const VARIANT& value) = 0;
};

// Name, owner, enabled state and user value; no value of its own.
class CProperty : public IProperty {
public:
    explicit CProperty(const wchar_t* name, DWORD itemData = 0);

    void SetOwner(HWND hWnd, HTREEITEM hItem) override;
    const wchar_t* GetName() const override { return name_.c_str(); }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsEnabled() const override { return enabled_; }
    void SetItemData(DWORD data) override { itemData_ = data; }
    DWORD GetItemData() const override { return itemData_; }
    void DrawName(PROPERTYDRAWINFO& di) override;
    void DrawValue(PROPERTYDRAWINFO&) override {}
    HWND CreateInplaceControl(HWND, const RECT&) override { return nullptr; }
    bool Activate(UINT, LPARAM) override { return true; }
    bool GetDisplayValue(wchar_t* buffer, UINT size) const override;
    UINT GetDisplayValueLength() const override { return 0; }
    bool GetValue(VARIANT*) const override { return false; }
    bool SetValue(HWND) override { return false; }
    bool SetValue(const VARIANT&) override { return false; }

protected:
    HWND owner_ = nullptr;

private:
    std::wstring name_;
    bool enabled_ = true;
    DWORD itemData_ = 0;
};

// A value shown as text (kind 2).
class CPropertyItem : public CProperty {
public:
    explicit CPropertyItem(const wchar_t* name, DWORD itemData = 0) : CProperty(name, itemData) {}

    BYTE GetKind() const override { return PROPKIND_ITEM; }
    void DrawValue(PROPERTYDRAWINFO& di) override;
    bool GetDisplayValue(wchar_t* buffer, UINT size) const override;
    UINT GetDisplayValueLength() const override;
    bool GetValue(VARIANT* value) const override;
    using CProperty::SetValue;
    bool SetValue(const VARIANT& value) override;

protected:
    // The value as text; false when it cannot be converted.
    bool DisplayText(std::wstring& text) const;

    ScopedVariant value_;
};

// A group heading: an empty value, drawn opaque, with optional colours and a small icon.
class CPropertyReadOnlyItem : public CPropertyItem {
public:
    explicit CPropertyReadOnlyItem(const wchar_t* name, DWORD itemData = 0);

    void DrawValue(PROPERTYDRAWINFO& di) override;
    // CLR_INVALID (-1) uses the tree's colour.
    void SetBkColor(COLORREF color) { backColor_ = color; }
    void SetTextColor(COLORREF color) { textColor_ = color; }
    // The icon is not owned.
    void SetIcon(HICON icon) { icon_ = icon; }

private:
    COLORREF backColor_ = CLR_INVALID;
    COLORREF textColor_ = CLR_INVALID;
    HICON icon_ = nullptr;
};

// A value of a fixed type edited in place (kind 3). Integer types get a digits-only editor.
class CPropertyEditItem : public CPropertyItem {
public:
    CPropertyEditItem(const wchar_t* name, const VARIANT& value, DWORD itemData = 0);

    BYTE GetKind() const override { return PROPKIND_EDIT; }
    HWND CreateInplaceControl(HWND hWnd, const RECT& rect) override;
    bool Activate(UINT action, LPARAM position) override;
    bool SetValue(HWND editor) override;
    bool SetValue(const VARIANT& value) override;

    bool IsNumeric() const;

private:
    HWND editor_ = nullptr;
};

} // namespace OptionsTree
