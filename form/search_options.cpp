#include "form/search_options.h"

#include "engine/key_paths.h"
#include "engine/search_types.h"
#include "form/search_rules.h"
#include "resources/image_ids.h"

#include <algorithm>
#include <utility>

using namespace OptionsTree;

namespace {

struct HiveItem {
    const wchar_t* name;
    size_t hive; // index in kHiveTable
};
// Display order of the hive checks.
constexpr HiveItem kHiveItems[] = {
    {L"HKEY_CLASSES_ROOT", 1}, {L"HKEY_CURRENT_USER", 2},   {L"HKEY_LOCAL_MACHINE", 0},
    {L"HKEY_USERS", 3},        {L"HKEY_CURRENT_CONFIG", 4},
};

struct TypeItem {
    const wchar_t* name;
    DWORD type;
};
// Display order of the type checks: the common types first.
constexpr TypeItem kTypeItems[] = {
    {L"REG_SZ", REG_SZ},
    {L"REG_DWORD", REG_DWORD},
    {L"REG_BINARY", REG_BINARY},
    {L"REG_EXPAND_SZ", REG_EXPAND_SZ},
    {L"REG_MULTI_SZ", REG_MULTI_SZ},
    {L"REG_QWORD", REG_QWORD},
    {L"REG_NONE", REG_NONE},
    {L"REG_DWORD_BE", REG_DWORD_BIG_ENDIAN},
    {L"REG_LINK", REG_LINK},
    {L"REG_RES_LIST", REG_RESOURCE_LIST},
    {L"REG_FULL_RES_DESC", REG_FULL_RESOURCE_DESCRIPTOR},
    {L"REG_RES_REQ_LIST", REG_RESOURCE_REQUIREMENTS_LIST},
};

constexpr DWORD kAllTypes = 0xFFFFFFFF;

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}
bool IsNumberType(DWORD type) {
    return type == REG_DWORD || type == REG_QWORD;
}

} // namespace

// ---- rules

bool HiveItemEnabled(size_t hive, bool hivesChosen, bool local) {
    return hivesChosen && (local || IsRemoteHive(hive));
}

bool TypeItemEnabled(DWORD type, DWORD mode, bool typesChosen) {
    if (IsNumberType(type)) {
        return mode == SM_INTEGER || typesChosen;
    }
    if (IsTextType(type)) {
        return typesChosen && mode != SM_HEX && mode != SM_INTEGER;
    }
    return typesChosen && mode != SM_INTEGER;
}

bool LookAtItemsEnabled(DWORD mode) {
    return !ModeIgnoresLookAt(mode);
}

bool LengthRangeEnabled(DWORD mode, bool dataChecked) {
    return mode == SM_ALL_ITEMS || mode == SM_HEX || (dataChecked && LookAtItemsEnabled(mode));
}

DWORD LookAtBits(bool keys, bool values, bool data, bool caseSensitive) {
    DWORD bits = 0;
    bits |= keys ? DWORD{SO_KEYS} : 0;
    bits |= values ? DWORD{SO_VALUES} : 0;
    bits |= data ? DWORD{SO_DATA} : 0;
    if (bits == 0) {
        bits = SO_LOOK_AT_MASK;
    }
    return caseSensitive ? bits | SO_MATCH_CASE : bits;
}

DWORD TypeMaskOf(std::span<const TypeCheck> checks) {
    DWORD mask = 0;
    for (const TypeCheck& check : checks) {
        if (check.checked) {
            mask |= 1u << (check.type % 32);
        }
    }
    return mask != 0 ? mask : kAllTypes;
}

// ---- the tree

void CSearchOptions::SetUpTree() {
    TreeView_SetBkColor(tree_, ::GetSysColor(COLOR_BTNFACE));
    if (!images_.Get()) {
        images_.Reset(LoadMaskedImageList(IDB_OPTION_IMAGES, RGB(255, 0, 255)));
    }
    TreeView_SetImageList(tree_, images_.Get(), TVSIL_NORMAL);
    // Once the user has clicked the tree, only the form expands and collapses its branches.
    tree_.SetExtendedStyle(PTS_EX_NOEXPANDCLICK);
    TreeView_SetExtendedStyle(tree_, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
}

HTREEITEM CSearchOptions::Insert(IProperty* property, int image, HTREEITEM parent) {
    return tree_.InsertItem(property, image, image, parent);
}

HTREEITEM CSearchOptions::InsertCheck(const wchar_t* name, bool on, DWORD data, int image, HTREEITEM parent) {
    return Insert(new CPropertyCheckmarkItem(name, on, data), image, parent);
}

HTREEITEM CSearchOptions::InsertOption(const wchar_t* name, bool on, HTREEITEM parent) {
    return Insert(new CPropertyOptionItem(name, on), PTI_HEADING, parent);
}

void CSearchOptions::Build(DWORD options, DWORD typeMask) {
    SetUpTree();

    HTREEITEM registryOf = Insert(new CPropertyReadOnlyItem(L"Registry of"), PTI_HEADING, TVI_ROOT);
    localComputer_ = InsertOption(L"Local Computer", true, registryOf);
    remoteComputer_ = InsertOption(L"Remote Computer", false, registryOf);
    ScopedVariant noComputer(L"");
    computer_ = Insert(new CPropertyEditItem(L"Computer", noComputer.Get()), PTI_EDIT, remoteComputer_);
    hiveFile_ = InsertOption(L"Hive File", false, registryOf);
    hivePath_ = Insert(new CPropertyEditItem(L"File", noComputer.Get()), PTI_EDIT, hiveFile_);

    HTREEITEM lookIn = Insert(new CPropertyReadOnlyItem(L"Look In"), PTI_HEADING, TVI_ROOT);
    entireRegistry_ = InsertOption(L"Entire Registry", true, lookIn);
    selectedHives_ = InsertOption(L"Selected Hives", false, lookIn);
    for (const HiveItem& item : kHiveItems) {
        const DWORD root = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(kHiveTable[item.hive].root));
        hives_[item.hive] = InsertCheck(item.name, false, root, PTI_CHECK_OFF, selectedHives_);
    }

    HTREEITEM lookAt = Insert(new CPropertyReadOnlyItem(L"Look at"), PTI_HEADING, TVI_ROOT);
    keys_ = InsertCheck(L"Keys", (options & SO_KEYS) != 0, 0, PTI_CHECK_OFF, lookAt);
    values_ = InsertCheck(L"Values", (options & SO_VALUES) != 0, 0, PTI_CHECK_OFF, lookAt);
    data_ = InsertCheck(L"Data", (options & SO_DATA) != 0, 0, PTI_CHECK_OFF, lookAt);

    const bool allTypes = typeMask == kAllTypes;
    HTREEITEM typesHeading = Insert(new CPropertyReadOnlyItem(L"Types to include"), PTI_HEADING, TVI_ROOT);
    allTypes_ = InsertOption(L"All Types", allTypes, typesHeading);
    selectedTypes_ = InsertOption(L"Selected Types", !allTypes, typesHeading);
    types_.clear();
    for (const TypeItem& item : kTypeItems) {
        const bool on = (typeMask & (1u << item.type)) != 0;
        types_.push_back(InsertCheck(item.name, on, item.type, PTI_CHECK_OFF, selectedTypes_));
    }

    HTREEITEM other = Insert(new CPropertyReadOnlyItem(L"Other"), PTI_HEADING, TVI_ROOT);
    caseSensitive_ = InsertCheck(L"Case Sensitive", (options & SO_MATCH_CASE) != 0, 0, PTI_HEADING, other);
    lengthRange_ = InsertCheck(L"Data length range (bytes)", false, 0, PTI_HEADING, other);
    ScopedVariant zero(0L);
    lengthFrom_ = Insert(new CPropertyEditItem(L"From", zero.Get()), PTI_EDIT, lengthRange_);
    lengthTo_ = Insert(new CPropertyEditItem(L"To", zero.Get()), PTI_EDIT, lengthRange_);

    if (allTypes) {
        ExpandSelectedTypes(false);
    }
}

void CSearchOptions::UpdateStates(DWORD mode) {
    const bool hivesChosen = tree_.GetCheckState(selectedHives_);
    const bool local = IsLocal();
    // The Look In items name a registry's hives; a hive file is looked in by the look-in text alone.
    const bool registry = !IsHiveFile();
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        tree_.SetItemEnabled(hives_[hive], registry && HiveItemEnabled(hive, hivesChosen, local));
    }
    tree_.SetItemEnabled(entireRegistry_, registry);
    tree_.SetItemEnabled(selectedHives_, registry);

    const bool typesChosen = tree_.GetCheckState(selectedTypes_);
    for (HTREEITEM item : types_) {
        const IProperty* property = tree_.GetProperty(item);
        tree_.SetItemEnabled(item, property && TypeItemEnabled(property->GetItemData(), mode, typesChosen));
    }

    const bool lookAt = LookAtItemsEnabled(mode);
    for (HTREEITEM item : {keys_, values_, data_, caseSensitive_}) {
        tree_.SetItemEnabled(item, lookAt);
    }
    const bool lengthRange = LengthRangeEnabled(mode, tree_.GetCheckState(data_));
    for (HTREEITEM item : {lengthRange_, lengthFrom_, lengthTo_}) {
        tree_.SetItemEnabled(item, lengthRange);
    }

    for (HTREEITEM item : hives_) {
        SetBold(item);
    }
    for (HTREEITEM item : {keys_, values_, data_, allTypes_, selectedTypes_, entireRegistry_}) {
        SetBold(item);
    }
}

void CSearchOptions::SetBold(HTREEITEM item) const {
    const bool bold = tree_.IsItemEnabled(item) && tree_.GetCheckState(item);
    tree_.SetItemState(item, bold ? TVIS_BOLD : 0, TVIS_BOLD);
}

CSearchOptions::ItemRole CSearchOptions::RoleOf(const IProperty* property) const {
    if (!property) {
        return ItemRole::Other;
    }
    // Hive items carry their predefined root handle, which reads as a negative number.
    if (static_cast<LONG>(property->GetItemData()) < 0) {
        return ItemRole::Hive;
    }
    const std::pair<HTREEITEM, ItemRole> roles[] = {
        {selectedTypes_, ItemRole::SelectedTypes}, {allTypes_, ItemRole::AllTypes},
        {selectedHives_, ItemRole::SelectedHives}, {entireRegistry_, ItemRole::EntireRegistry},
        {localComputer_, ItemRole::LocalComputer}, {remoteComputer_, ItemRole::RemoteComputer},
        {hiveFile_, ItemRole::HiveFile},           {hivePath_, ItemRole::HivePath},
    };
    for (const auto& [item, role] : roles) {
        if (tree_.GetProperty(item) == property) {
            return role;
        }
    }
    return ItemRole::Other;
}

std::wstring CSearchOptions::TextOf(HTREEITEM item) const {
    const IProperty* property = tree_.GetProperty(item);
    if (!property) {
        return {};
    }
    std::wstring text(property->GetDisplayValueLength() + 1, L'\0');
    property->GetDisplayValue(text.data(), static_cast<UINT>(text.size()));
    text.resize(wcslen(text.c_str()));
    return text;
}

LONG CSearchOptions::IntegerOf(HTREEITEM item) const {
    const IProperty* property = tree_.GetProperty(item);
    ScopedVariant value;
    if (!property || !property->GetValue(value.Receive())) {
        return 0;
    }
    ScopedVariant number;
    if (FAILED(number.ConvertFrom(value.Get(), VT_I4))) {
        return 0;
    }
    return number.Get().lVal;
}

DWORD CSearchOptions::ReadLookAt(bool fillIn) {
    const bool keys = tree_.GetCheckState(keys_);
    const bool values = tree_.GetCheckState(values_);
    const bool data = tree_.GetCheckState(data_);
    if (!keys && !values && !data && fillIn) {
        for (HTREEITEM item : {keys_, values_, data_}) {
            tree_.SetCheckState(item, true);
        }
    }
    return LookAtBits(keys, values, data, tree_.GetCheckState(caseSensitive_));
}

DWORD CSearchOptions::ReadTypeMask(bool fillIn) {
    if (tree_.GetCheckState(allTypes_)) {
        return kAllTypes;
    }
    std::vector<TypeCheck> checks;
    for (HTREEITEM item = tree_.GetChildItem(selectedTypes_); item; item = tree_.GetNextSiblingItem(item)) {
        const IProperty* property = tree_.GetProperty(item);
        if (property && property->GetKind() == PROPKIND_CHECK) {
            checks.push_back({property->GetItemData(), tree_.GetCheckState(item)});
        }
    }
    const bool noneChecked = std::none_of(checks.begin(), checks.end(), [](const TypeCheck& c) { return c.checked; });
    if (noneChecked && fillIn) {
        tree_.SetCheckState(allTypes_, true);
    }
    return TypeMaskOf(checks);
}

HiveFlags CSearchOptions::CheckedHives() const {
    HiveFlags checked = {};
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        checked[hive] = tree_.GetCheckState(hives_[hive]);
    }
    return checked;
}

void CSearchOptions::ShowHives(const HiveChoice& choice) {
    for (size_t hive = 0; hive < kHiveCount; ++hive) {
        tree_.SetCheckState(hives_[hive], choice.checked[hive]);
    }
    // The option that goes on last turns its sibling off.
    tree_.SetCheckState(choice.entire ? selectedHives_ : entireRegistry_, false);
    tree_.SetCheckState(choice.entire ? entireRegistry_ : selectedHives_, true);
}

void CSearchOptions::ShowHiveBranch(bool entire) const {
    tree_.Expand(selectedHives_, entire ? TVE_COLLAPSE : TVE_EXPAND);
}

void CSearchOptions::SetChildChecks(HTREEITEM parent, Bulk change) const {
    for (HTREEITEM item = tree_.GetChildItem(parent); item; item = tree_.GetNextSiblingItem(item)) {
        const IProperty* property = tree_.GetProperty(item);
        if (!property || property->GetKind() != PROPKIND_CHECK) {
            continue;
        }
        const bool on = change == Bulk::Check ? true : change == Bulk::Uncheck ? false : !tree_.GetCheckState(item);
        tree_.SetCheckState(item, on);
    }
}
