// The options tree as part of the form: reactions to changed options, the two-way link between the
// look-in text and the hive checks, and the tree's context menu.
#include "form/keldra_view.h"

#include "base/win_handles.h"
#include "engine/hive_registry.h"

#include "form/hive_file_dialog.h"
#include "form/look_in_link.h"
#include "form/options_tree_variant.h"
#include "resources/command_ids.h"
#include "resources/image_ids.h"

#include <memory>

void CKeldraWTLView::UpdateOptionStates() {
    m_options.UpdateStates(CurrentMode());
}

void CKeldraWTLView::OnOptionChanged(const OptionsTree::IProperty* property) {
    using Role = CSearchOptions::ItemRole;
    UpdateOptionStates();
    switch (m_options.RoleOf(property)) {
    case Role::Hive:
        TreeToLookIn();
        break;
    case Role::SelectedTypes:
        m_options.ExpandSelectedTypes(true);
        break;
    case Role::AllTypes:
        m_options.ExpandSelectedTypes(false);
        break;
    case Role::SelectedHives:
        TreeToLookIn();
        m_options.ExpandSelectedHives();
        break;
    case Role::EntireRegistry:
        SetLookInText(m_options.IsLocal() ? kEntireRegistryLocal : kEntireRegistryRemote);
        LookInToTree();
        break;
    case Role::LocalComputer:
        SetLookInText(kEntireRegistryLocal);
        LookInToTree();
        break;
    case Role::RemoteComputer:
        SetLookInText(kEntireRegistryRemote);
        LookInToTree();
        break;
    case Role::HivePath:
        // Typing a path chooses the hive file.
        m_options.ChooseHiveFile();
        UpdateOptionStates();
        LookInHiveFile();
        break;
    case Role::HiveFile:
        LookInHiveFile();
        break;
    case Role::Other:
        break;
    }
}

void CKeldraWTLView::SetLookInText(const wchar_t* text) {
    SetDlgItemText(IDC_LOOKIN, text);
}

void CKeldraWTLView::LookInHiveFile() {
    const std::wstring file = TrimChars(m_options.HiveFileText(), L" \"");
    if (!file.empty()) {
        SetLookInText((L"HKEY_LOCAL_MACHINE\\" + DefaultHiveName(file)).c_str());
    }
    PostCommand(IDC_SEARCH_TEXT, CBN_EDITCHANGE);
}

void CKeldraWTLView::LookInToTree() {
    const HiveChoice choice = HivesFromLookIn(ControlText(IDC_LOOKIN), m_options.IsLocal());
    m_options.ShowHives(choice);
    UpdateOptionStates();
    m_options.ShowHiveBranch(choice.entire);
    PostCommand(IDC_SEARCH_TEXT, CBN_EDITCHANGE);
}

void CKeldraWTLView::TreeToLookIn() {
    const std::wstring text = LookInFromHives(ControlText(IDC_LOOKIN), m_options.CheckedHives(), m_options.IsLocal());
    SetLookInText(text.c_str());
    PostCommand(IDC_SEARCH_TEXT, CBN_EDITCHANGE);
}

void CKeldraWTLView::UseHiveFile(const std::wstring& path) {
    // Through the tree, so the change takes the same way as the user's typing (OnOptionChanged).
    OptionsTree::ScopedVariant text(path.c_str());
    m_tree.SendMessage(OptionsTree::PTM_SETVALUE, reinterpret_cast<WPARAM>(&text.Get()),
                       reinterpret_cast<LPARAM>(m_options.HivePathProperty()));
}

void CKeldraWTLView::BrowseForHiveFile() {
    if (const auto path = AskForHiveFile(::GetAncestor(m_hWnd, GA_ROOT), m_options.HiveFileText())) {
        UseHiveFile(*path);
    }
}

void CKeldraWTLView::ShowOptionsMenu() {
    MenuHandle menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_OPTIONS_MENU)));
    HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) {
        return;
    }
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
}

void CKeldraWTLView::OnOptionsMenuCommand(WORD id) {
    using Bulk = CSearchOptions::Bulk;
    switch (id) {
    case ID_TREE_CHECK_HIVES:
        m_options.SetHiveChecks(Bulk::Check);
        TreeToLookIn();
        break;
    case ID_TREE_UNCHECK_HIVES:
        m_options.SetHiveChecks(Bulk::Uncheck);
        TreeToLookIn();
        break;
    case ID_TREE_INVERT_HIVES:
        m_options.SetHiveChecks(Bulk::Invert);
        TreeToLookIn();
        break;
    case ID_TREE_CHECK_TYPES:
        m_options.SetTypeChecks(Bulk::Check);
        break;
    case ID_TREE_UNCHECK_TYPES:
        m_options.SetTypeChecks(Bulk::Uncheck);
        break;
    case ID_TREE_INVERT_TYPES:
        m_options.SetTypeChecks(Bulk::Invert);
        break;
    case ID_TREE_CHOOSE_HIVE_FILE:
        BrowseForHiveFile();
        break;
    default:
        break;
    }
}
