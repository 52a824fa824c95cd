#include "results/key_browser.h"

#include "base/unique_owner.h"
#include "results/key_tree_children.h"

#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>

namespace {

// A shell item id list the shell allocated for the caller.
struct ItemIdListTraits {
    using Handle = LPITEMIDLIST;
    static constexpr LPITEMIDLIST kNone = nullptr;
    bool IsSet(LPITEMIDLIST list) const { return list != nullptr; }
    void Close(LPITEMIDLIST list) const { CoTaskMemFree(list); }
};

constexpr wchar_t kAllText[] = L"All";

// Index of a small icon in the system image list, with that list; -1 when the shell cannot say.
int SystemIconIndex(const wchar_t* path, UINT extraFlags, HIMAGELIST& list) {
    SHFILEINFOW info = {};
    const DWORD_PTR result =
        SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
    if (!result) {
        return -1;
    }
    list = reinterpret_cast<HIMAGELIST>(result);
    return info.iIcon;
}

int ComputerIconIndex(HIMAGELIST& list) {
    UniqueOwner<ItemIdListTraits> computer;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.Receive())) || !computer) {
        return -1;
    }
    return SystemIconIndex(reinterpret_cast<const wchar_t*>(computer.Get()), SHGFI_PIDL, list);
}

} // namespace

void CKeyBrowser::Empty() {
    if (m_tree) {
        // Deleting the selected item may move the selection; that is no choice of the user's to filter by.
        m_deleting = true;
        TreeView_DeleteAllItems(m_tree);
        m_deleting = false;
    }
    m_all = nullptr;
    m_data = {};
}

void CKeyBrowser::Fill(KeyTreeData data) {
    Empty();
    if (!m_tree) {
        return;
    }
    m_data = std::move(data);
    LoadIcons();
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_FIRST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(kAllText);
    insert.item.iImage = m_computerIcon;
    insert.item.iSelectedImage = m_computerIcon;
    m_all = TreeView_InsertItem(m_tree, &insert);
    const std::vector<std::wstring> branches = m_data.branches;
    for (const std::wstring& branch : branches) {
        AddBranch(branch);
    }
    TreeView_Expand(m_tree, m_all, TVE_EXPAND);
    TreeView_SelectItem(m_tree, m_all);
}

void CKeyBrowser::LoadIcons() {
    wchar_t system[MAX_PATH] = {};
    if (!m_iconsLoaded && GetSystemDirectoryW(system, MAX_PATH)) {
        m_iconsLoaded = true;
        HIMAGELIST list = nullptr;
        const int folder = SystemIconIndex(system, 0, list);
        const int open = SystemIconIndex(system, SHGFI_OPENICON, list);
        const int computer = ComputerIconIndex(list);
        m_systemImages = list;
        m_folderIcon = folder < 0 ? 0 : folder;
        m_openFolderIcon = open < 0 ? m_folderIcon : open;
        m_computerIcon = computer < 0 ? m_folderIcon : computer;
    }
    if (m_tree && m_systemImages && TreeView_GetImageList(m_tree, TVSIL_NORMAL) != m_systemImages) {
        TreeView_SetImageList(m_tree, m_systemImages, TVSIL_NORMAL);
    }
}

HTREEITEM CKeyBrowser::InsertItem(HTREEITEM parent, const std::wstring& text, bool askForChildren, bool bold,
                                  HTREEITEM after) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.iImage = m_folderIcon;
    insert.item.iSelectedImage = m_openFolderIcon;
    insert.item.stateMask = TVIS_BOLD;
    insert.item.state = bold ? TVIS_BOLD : 0;
    if (askForChildren) {
        insert.item.mask |= TVIF_CHILDREN;
        insert.item.cChildren = I_CHILDRENCALLBACK;
    }
    return TreeView_InsertItem(m_tree, &insert);
}

void CKeyBrowser::AddBranch(const std::wstring& path) {
    const std::vector<std::wstring> components = KeyPathComponents(path);
    HTREEITEM parent = m_all;
    for (size_t i = 0; i < components.size(); ++i) {
        const bool last = i + 1 == components.size();
        HTREEITEM item = FindChild(parent, components[i]);
        if (!item) {
            // A look-in location's own item is never bold, whatever it holds itself.
            item = InsertItem(parent, components[i], last, false);
            if (!item) {
                return;
            }
            if (last) {
                // The search that just ended found these children, and its key map holds every one with
                // results: reading them from the registry again took 60 ms for a thousand sub-keys.
                LoadChildren(item, true);
                TreeView_Expand(m_tree, item, TVE_EXPAND);
            }
        }
        parent = item;
    }
}

void CKeyBrowser::LoadChildren(HTREEITEM item, bool fromKeyMap) {
    if (!item || item == m_all || TreeView_GetChild(m_tree, item)) {
        return;
    }
    const std::wstring path = ItemPath(item);
    // Sorted here as the tree sorts (lstrcmpi) and appended: a sorted insertion looks through every sibling,
    // and a key with a thousand sub-keys took the tree a tenth of a second to fill.
    std::vector<KeyTreeChild> children =
        fromKeyMap ? ChildrenFromKeyMap(m_data.keys, path) : LoadKeyTreeChildren(m_data, path);
    std::stable_sort(children.begin(), children.end(), [](const KeyTreeChild& a, const KeyTreeChild& b) {
        return ::lstrcmpiW(a.name.c_str(), b.name.c_str()) < 0;
    });
    for (const KeyTreeChild& child : children) {
        InsertItem(item, child.name, true, child.bold, TVI_LAST);
    }
}

LRESULT CKeyBrowser::OnNotify(NMHDR* header) {
    if (!header || header->hwndFrom != m_tree || !m_tree) {
        return 0;
    }
    switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
        const auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
        if ((info->action & (TVE_EXPAND | TVE_COLLAPSE | TVE_TOGGLE)) == TVE_EXPAND) {
            LoadChildren(info->itemNew.hItem);
        }
        return FALSE;
    }
    case TVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
        if (info->item.mask & TVIF_CHILDREN) {
            info->item.cChildren = KeyTreeChildCount(m_data.keys, ItemPath(info->item.hItem));
            info->item.mask |= TVIF_DI_SETITEM; // the tree keeps the answer
        }
        return 0;
    }
    case TVN_SELCHANGEDW: {
        const auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
        if (m_onFilter && info->itemNew.hItem && !m_deleting) {
            m_onFilter(ItemPath(info->itemNew.hItem));
        }
        return 0;
    }
    default:
        return 0;
    }
}

bool CKeyBrowser::GoToKey(const std::wstring& fullKeyName) {
    if (!m_tree || !m_all || !KeyTreeKeyExists(m_data, fullKeyName)) {
        return false;
    }
    HTREEITEM item = m_all;
    for (const std::wstring& component : KeyPathComponents(fullKeyName)) {
        // Children are loaded without expanding, so a failed search leaves the tree as the user left it.
        LoadChildren(item);
        item = FindChild(item, component);
        if (!item) {
            return false;
        }
    }
    if (item == m_all) {
        return false;
    }
    TreeView_SelectItem(m_tree, item);
    TreeView_EnsureVisible(m_tree, item);
    // Selecting filters already; an item that was selected before sends no change.
    if (m_onFilter) {
        m_onFilter(fullKeyName);
    }
    return true;
}

std::wstring CKeyBrowser::SelectedPath() const {
    if (!m_tree) {
        return {};
    }
    HTREEITEM selected = TreeView_GetSelection(m_tree);
    return selected ? ItemPath(selected) : std::wstring();
}

std::wstring CKeyBrowser::ItemPath(HTREEITEM item) const {
    std::wstring path;
    for (; item && item != m_all; item = TreeView_GetParent(m_tree, item)) {
        const std::wstring text = ItemText(item);
        path = path.empty() ? text : text + L"\\" + path;
    }
    return path;
}

HTREEITEM CKeyBrowser::FindChild(HTREEITEM parent, const std::wstring& name) const {
    for (HTREEITEM child = TreeView_GetChild(m_tree, parent); child; child = TreeView_GetNextSibling(m_tree, child)) {
        if (_wcsicmp(ItemText(child).c_str(), name.c_str()) == 0) {
            return child;
        }
    }
    return nullptr;
}

std::wstring CKeyBrowser::ItemText(HTREEITEM item) const {
    wchar_t text[MAX_PATH + 1] = {};
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = MAX_PATH + 1;
    TreeView_GetItem(m_tree, &info);
    return text;
}
