// The search options in the view's options tree: which computer, where to look, what to look at, which
// value types, case sensitivity and a data-length range. The rules that enable and embolden items and that
// read options back are pure functions (first half); CSearchOptions puts the items into the tree and applies
// those rules to them. Main thread only.
#pragma once

#include "form/look_in_link.h"
#include "form/options_tree_ctrl.h"
#include "winlib/image_list.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <span>
#include <string>
#include <vector>

// ---- rules

// Hive items: HKEY_LOCAL_MACHINE and HKEY_USERS while hives are chosen, the other three only on the local
// computer (a remote registry offers no more).
bool HiveItemEnabled(size_t hive, bool hivesChosen, bool local);
// Type items: only while types are chosen, never in the integer mode except for the two number types, which
// that mode always offers; the text types are not offered to the hexadecimal mode.
bool TypeItemEnabled(DWORD type, DWORD mode, bool typesChosen);
// Keys, Values, Data and Case Sensitive: only in modes that match names and text.
bool LookAtItemsEnabled(DWORD mode);
// The data-length range: in modes that look at all data, or while Data is checked and offered.
bool LengthRangeEnabled(DWORD mode, bool dataChecked);

// Option bits of the look-at checks; none checked means all three.
DWORD LookAtBits(bool keys, bool values, bool data, bool caseSensitive);

struct TypeCheck {
    DWORD type;
    bool checked;
};
// The type mask of the type checks; none checked means every type (0xFFFFFFFF).
DWORD TypeMaskOf(std::span<const TypeCheck> checks);

// ---- the tree

class CSearchOptions {
public:
    // What a changed item is, for the view's reaction.
    enum class ItemRole {
        Hive,
        SelectedTypes,
        AllTypes,
        SelectedHives,
        EntireRegistry,
        LocalComputer,
        RemoteComputer,
        HiveFile,
        HivePath,
        Other
    };

    explicit CSearchOptions(OptionsTree::CPropertyTreeCtrl& tree) : tree_(tree) {}
    CSearchOptions(const CSearchOptions&) = delete;
    CSearchOptions& operator=(const CSearchOptions&) = delete;

    // Sets up the attached tree (image list from bitmap 206, colours, styles) and fills it: look-at and case
    // checks from the option bits, the type choice and type checks from the type mask.
    void Build(DWORD options, DWORD typeMask);

    // Enabled and bold states for the mode.
    void UpdateStates(DWORD mode);

    ItemRole RoleOf(const OptionsTree::IProperty* property) const;

    bool IsLocal() const { return tree_.GetCheckState(localComputer_); }
    bool IsRemote() const { return tree_.GetCheckState(remoteComputer_); }
    // A hive file is searched instead of a registry.
    bool IsHiveFile() const { return tree_.GetCheckState(hiveFile_); }
    void ChooseHiveFile() const { tree_.SetCheckState(hiveFile_, true); }
    // The "Computer" and "File" items' texts.
    std::wstring ComputerText() const { return TextOf(computer_); }
    std::wstring HiveFileText() const { return TextOf(hivePath_); }
    // The "File" item's property, to change its text as the user does (with notifications).
    OptionsTree::IProperty* HivePathProperty() const { return tree_.GetProperty(hivePath_); }
    void SelectComputer() const { tree_.SelectItem(computer_); }

    bool LengthFilterOn() const { return tree_.GetCheckState(lengthRange_); }
    LONG LengthFrom() const { return IntegerOf(lengthFrom_); }
    LONG LengthTo() const { return IntegerOf(lengthTo_); }

    // Option bits of Keys, Values, Data and Case Sensitive. With none of the three checked all three bits
    // are set and, with fillIn, all three are checked in the tree.
    DWORD ReadLookAt(bool fillIn);
    // 0xFFFFFFFF for "All Types"; otherwise the checked types. With none checked, all types and, with
    // fillIn, "All Types" is chosen.
    DWORD ReadTypeMask(bool fillIn);

    HiveFlags CheckedHives() const;
    // Shows a hive choice: the hive checks, "Entire Registry" or "Selected Hives" (no notifications).
    void ShowHives(const HiveChoice& choice);
    // Expands "Selected Hives" for a choice of hives, collapses it for the entire registry.
    void ShowHiveBranch(bool entire) const;
    void ExpandSelectedHives() const { tree_.Expand(selectedHives_, TVE_EXPAND); }
    void ExpandSelectedTypes(bool expand) const { tree_.Expand(selectedTypes_, expand ? TVE_EXPAND : TVE_COLLAPSE); }

    // The context menu's bulk changes: every hive or type check on, off or inverted, without notifications.
    enum class Bulk { Check, Uncheck, Invert };
    void SetHiveChecks(Bulk change) const { SetChildChecks(selectedHives_, change); }
    void SetTypeChecks(Bulk change) const { SetChildChecks(selectedTypes_, change); }

    OptionsTree::CPropertyTreeCtrl& Tree() const { return tree_; }

private:
    HTREEITEM Insert(OptionsTree::IProperty* property, int image, HTREEITEM parent);
    HTREEITEM InsertCheck(const wchar_t* name, bool on, DWORD data, int image, HTREEITEM parent);
    HTREEITEM InsertOption(const wchar_t* name, bool on, HTREEITEM parent);
    void SetUpTree();
    void SetBold(HTREEITEM item) const;
    LONG IntegerOf(HTREEITEM item) const;
    std::wstring TextOf(HTREEITEM item) const;
    void SetChildChecks(HTREEITEM parent, Bulk change) const;

    OptionsTree::CPropertyTreeCtrl& tree_;
    ImageListHandle images_;

    HTREEITEM localComputer_ = nullptr;
    HTREEITEM remoteComputer_ = nullptr;
    HTREEITEM computer_ = nullptr;
    HTREEITEM hiveFile_ = nullptr;
    HTREEITEM hivePath_ = nullptr;
    HTREEITEM entireRegistry_ = nullptr;
    HTREEITEM selectedHives_ = nullptr;
    std::array<HTREEITEM, kHiveCount> hives_ = {}; // in kHiveTable order
    HTREEITEM keys_ = nullptr;
    HTREEITEM values_ = nullptr;
    HTREEITEM data_ = nullptr;
    HTREEITEM allTypes_ = nullptr;
    HTREEITEM selectedTypes_ = nullptr;
    std::vector<HTREEITEM> types_; // in tree order
    HTREEITEM caseSensitive_ = nullptr;
    HTREEITEM lengthRange_ = nullptr;
    HTREEITEM lengthFrom_ = nullptr;
    HTREEITEM lengthTo_ = nullptr;
};
