// The key browser: the tree beside the results that shows where the last search found something. "All" at
// the top, one branch per look-in location below it, children loaded when a key is expanded and shown only
// where results lie at or below them, keys with results of their own in bold. Selecting an item asks for the
// results list to be filtered to the item's key path.
//
// The frame creates the tree window and hands its notifications over; the view feeds the component the
// finished search and acts on the filter requests. What the tree holds comes from results/key_tree.h.
//
// Threads: main thread only. The search's key map is copied at Fill, so a later search that refills the
// engine's map never races with the tree.
#pragma once

#include "results/key_tree.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

class CKeyBrowser {
public:
    // Receives the key path to filter the results list to ("" = every result).
    using FilterHandler = std::function<void(const std::wstring& path)>;

    void Attach(HWND tree) { m_tree = tree; }
    HWND Tree() const { return m_tree; }
    void SetFilterHandler(FilterHandler handler) { m_onFilter = std::move(handler); }

    // Fetches the system's folder and computer icons once, and gives the tree the system image list. The
    // first fetch takes a tenth of a second: the frame asks for it while it is being created.
    void LoadIcons();
    // Deletes every item and forgets the search.
    void Empty();
    // Builds "All" and the look-in branches of a finished search, expands "All" and selects it.
    void Fill(KeyTreeData data);

    // TVN_ITEMEXPANDINGW, TVN_GETDISPINFOW and TVN_SELCHANGEDW of the tree; 0 for anything else.
    LRESULT OnNotify(NMHDR* header);

    // Selects the item of a full key name ("HKEY_...\a\b"), loading children on the way, shows it and filters
    // the list to it. False, with nothing changed, when the key is not in the tree or no longer exists.
    bool GoToKey(const std::wstring& fullKeyName);

    // Key path of the selected item; "" for "All" or without a selection.
    std::wstring SelectedPath() const;

private:
    std::wstring ItemPath(HTREEITEM item) const;
    // The child of parent whose text equals name, ignoring case; null when there is none.
    HTREEITEM FindChild(HTREEITEM parent, const std::wstring& name) const;
    HTREEITEM InsertItem(HTREEITEM parent, const std::wstring& text, bool askForChildren, bool bold,
                         HTREEITEM after = TVI_SORT);
    void AddBranch(const std::wstring& path);
    // Fills an item's children unless it has some already: from the registry as it is now, or from the key
    // map alone.
    void LoadChildren(HTREEITEM item, bool fromKeyMap = false);
    std::wstring ItemText(HTREEITEM item) const;

    HWND m_tree = nullptr;
    FilterHandler m_onFilter;
    KeyTreeData m_data;
    HTREEITEM m_all = nullptr;
    bool m_deleting = false;
    bool m_iconsLoaded = false;
    HIMAGELIST m_systemImages = nullptr; // the system's list, shared by every process user: never destroyed
    int m_folderIcon = 0;
    int m_openFolderIcon = 0;
    int m_computerIcon = 0;
};
