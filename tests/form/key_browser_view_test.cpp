// The key browser through the real view after real searches: the branch of the look-in location, only keys
// with results, bold keys and expand buttons, filtering by selection, "All", Goto this key (also on a key
// deleted meanwhile), the KeyTree setting, and a remote search's tree built from its key map.
#include "resources/command_ids.h"
#include "base/settings.h"
#include "tests/form/view_fixture.h"

#include <commctrl.h>

using namespace viewtest;

namespace {

// The frame's part for the tree: its notifications go to the view's key browser handler.
class TreeHost : public CWindowImpl<TreeHost> {
public:
    std::unique_ptr<CKeldraWTLView>* view = nullptr;

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM lParam, LRESULT& lResult, DWORD) override {
        if (uMsg != WM_NOTIFY || !view || !*view) {
            return FALSE;
        }
        lResult = (*view)->OnKeyBrowserNotify(reinterpret_cast<NMHDR*>(lParam));
        return TRUE;
    }
};

void SetString(const std::wstring& path, const wchar_t* name, const wchar_t* data) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

const std::wstring kLookInPath = L"HKEY_CURRENT_USER\\" + kTestKey;

class KeyBrowserViewTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        RECT area = {0, 0, 300, 600};
        ASSERT_TRUE(host.Create(nullptr, &area, L"tree host", WS_POPUP | WS_CLIPCHILDREN));
        host.view = &view;
        keyBrowserTree = CreateWindowExW(
            WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
            WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0, 300, 600,
            host, reinterpret_cast<HMENU>(IDC_KEY_BROWSER_TREE), GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(keyBrowserTree);
        // Results in the look-in key itself, in A, in AX (a sibling whose name begins with A), in B\C and
        // in B\C\D; none in Quiet.
        testsupport::DeleteKey(kTestKey);
        SetString(kTestKey, L"own", L"needle");
        SetString(kTestKey + L"\\A", L"v", L"needle");
        SetString(kTestKey + L"\\AX", L"v", L"needle");
        SetString(kTestKey + L"\\B\\C", L"v", L"needle");
        SetString(kTestKey + L"\\B\\C\\D", L"v", L"needle");
        SetString(kTestKey + L"\\Quiet", L"v", L"plain");
    }
    void TearDown() override {
        ViewTest::TearDown();
        host.DestroyWindow();
    }

    void Search() {
        Type(IDC_LOOKIN, L"HKCU\\" + kTestKey);
        Type(IDC_SEARCH_TEXT, L"needle");
        OnlyLookAt(false, false, true);
        PressSearch();
        ASSERT_TRUE(WaitForSearchEnd());
    }

    HWND TreeWindow() const { return keyBrowserTree; }
    std::wstring TextOf(HTREEITEM item) const {
        wchar_t text[300] = {};
        TVITEMW info = {TVIF_TEXT, item};
        info.pszText = text;
        info.cchTextMax = 300;
        TreeView_GetItem(keyBrowserTree, &info);
        return text;
    }
    bool IsBold(HTREEITEM item) const { return TreeView_GetItemState(keyBrowserTree, item, TVIS_BOLD) & TVIS_BOLD; }
    bool IsExpanded(HTREEITEM item) const {
        return TreeView_GetItemState(keyBrowserTree, item, TVIS_EXPANDED) & TVIS_EXPANDED;
    }
    // The children's texts, bold ones marked with "*".
    std::vector<std::wstring> Children(HTREEITEM parent) const {
        std::vector<std::wstring> names;
        for (HTREEITEM child = TreeView_GetChild(keyBrowserTree, parent); child;
             child = TreeView_GetNextSibling(keyBrowserTree, child)) {
            names.push_back(TextOf(child) + (IsBold(child) ? L"*" : L""));
        }
        return names;
    }
    // The item at a path of texts below the tree's top ("All", then "HKEY_CURRENT_USER", ...).
    HTREEITEM At(const std::vector<std::wstring>& texts) const {
        HTREEITEM item = TVI_ROOT;
        for (const std::wstring& text : texts) {
            HTREEITEM child = TreeView_GetChild(keyBrowserTree, item == TVI_ROOT ? nullptr : item);
            while (child && TextOf(child) != text) {
                child = TreeView_GetNextSibling(keyBrowserTree, child);
            }
            if (!child) {
                return nullptr;
            }
            item = child;
        }
        return item;
    }
    HTREEITEM LookInItem() const { return At({L"All", L"HKEY_CURRENT_USER", L"Software", L"QuillonViewTest"}); }
    HTREEITEM Below(const std::vector<std::wstring>& texts) const {
        std::vector<std::wstring> path = {L"All", L"HKEY_CURRENT_USER", L"Software", L"QuillonViewTest"};
        path.insert(path.end(), texts.begin(), texts.end());
        return At(path);
    }
    // What the tree learns when it asks whether an item has children.
    int AskChildren(HTREEITEM item) {
        NMTVDISPINFOW info = {};
        info.hdr = {keyBrowserTree, IDC_KEY_BROWSER_TREE, TVN_GETDISPINFOW};
        info.item.mask = TVIF_CHILDREN;
        info.item.hItem = item;
        info.item.cChildren = 1;
        SendMessageW(host, WM_NOTIFY, IDC_KEY_BROWSER_TREE, reinterpret_cast<LPARAM>(&info));
        return info.item.cChildren;
    }
    void Select(HTREEITEM item) {
        TreeView_SelectItem(keyBrowserTree, item);
        Settle();
    }
    // The key paths of the listed rows' results.
    std::vector<std::wstring> ListedKeys() {
        std::vector<std::wstring> keys;
        CHTMLListCtrl& list = view->ResultsList();
        for (int row = 0; row < list.GetItemCount(); ++row) {
            keys.push_back(StoredRecord(view->Results(), list.GetItemData(row)).KeyPath().substr(kTestKey.size()));
        }
        return keys;
    }
    // Clicks the row whose result lies in the key ending with suffix.
    bool ClickRowOf(const std::wstring& suffix) {
        const std::vector<std::wstring> keys = ListedKeys();
        for (size_t row = 0; row < keys.size(); ++row) {
            if (keys[row] == suffix) {
                const RECT rect = view->ResultsList().GetItemRect(static_cast<int>(row));
                view->ResultsList().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                                                MAKELPARAM(rect.left + 40, (rect.top + rect.bottom) / 2));
                view->ResultsList().SendMessage(WM_LBUTTONUP, 0,
                                                MAKELPARAM(rect.left + 40, (rect.top + rect.bottom) / 2));
                Settle();
                return view->SelectedResult() >= 0;
            }
        }
        return false;
    }
    void GotoKey() {
        view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_GOTO_KEY_BROWSER, 0), 0);
        Settle();
    }

    TreeHost host;
};

TEST_F(KeyBrowserViewTest, OneBranchPerLookInAndOnlyKeysWithResults) {
    Search();
    ASSERT_EQ(view->ListedCount(), 5u);
    HTREEITEM all = At({L"All"});
    ASSERT_TRUE(all);
    EXPECT_FALSE(TreeView_GetNextSibling(keyBrowserTree, all));
    EXPECT_EQ(Children(all), (std::vector<std::wstring>{L"HKEY_CURRENT_USER"}));
    EXPECT_EQ(Children(At({L"All", L"HKEY_CURRENT_USER"})), (std::vector<std::wstring>{L"Software"}));
    HTREEITEM lookIn = LookInItem();
    ASSERT_TRUE(lookIn);
    EXPECT_TRUE(IsExpanded(lookIn));
    EXPECT_FALSE(IsBold(lookIn)) << "a look-in item is never bold, though it holds a result itself";
    EXPECT_EQ(Children(lookIn), (std::vector<std::wstring>{L"A*", L"AX*", L"B"}));
    EXPECT_EQ(AskChildren(lookIn), 1);
    EXPECT_EQ(AskChildren(Below({L"A"})), 0) << "results of its own, none below: no expand button";
    EXPECT_EQ(AskChildren(Below({L"B"})), 1);

    TreeView_Expand(keyBrowserTree, Below({L"B"}), TVE_EXPAND);
    EXPECT_EQ(Children(Below({L"B"})), (std::vector<std::wstring>{L"C*"}));
    EXPECT_EQ(AskChildren(Below({L"B", L"C"})), 1);
    EXPECT_TRUE(Children(Below({L"B", L"C"})).empty()) << "loaded only when expanded";

    // "All" is selected and every result listed; the icons come from the system image list.
    EXPECT_EQ(TreeView_GetSelection(keyBrowserTree), all);
    EXPECT_EQ(view->KeyBrowserSelectedPath(), L"");
    EXPECT_TRUE(TreeView_GetImageList(keyBrowserTree, TVSIL_NORMAL));
    TVITEMW folder = {TVIF_IMAGE | TVIF_SELECTEDIMAGE, Below({L"A"})};
    TreeView_GetItem(keyBrowserTree, &folder);
    TVITEMW computer = {TVIF_IMAGE | TVIF_SELECTEDIMAGE, all};
    TreeView_GetItem(keyBrowserTree, &computer);
    EXPECT_EQ(computer.iImage, computer.iSelectedImage);
    EXPECT_NE(computer.iImage, folder.iImage);
}

TEST_F(KeyBrowserViewTest, SelectingAKeyListsItAndItsSubKeysAndAllListsEveryResultLeft) {
    Search();
    view->SetPaneText(kPaneModified, L"Modified: earlier");
    Select(Below({L"A"}));
    EXPECT_EQ(ListedKeys(), (std::vector<std::wstring>{L"\\A"})) << "AX begins with A but is a sibling";
    EXPECT_EQ(Pane(0), L"1 item(s) shown");
    EXPECT_EQ(Pane(kPaneModified), L"") << "the selection's pane is cleared";
    EXPECT_EQ(view->KeyBrowserSelectedPath(), kLookInPath + L"\\A");

    Select(Below({L"B"}));
    EXPECT_EQ(ListedKeys(), (std::vector<std::wstring>{L"\\B\\C", L"\\B\\C\\D"}));
    EXPECT_EQ(Pane(0), L"2 item(s) shown");

    // A result removed from the list stays out when "All" lists every result again.
    for (size_t i = 0; i < view->Results().Count(); ++i) {
        if (StoredRecord(view->Results(), i).KeyPath() == kTestKey + L"\\AX") {
            view->Search().Results().MarkRemoved(i);
        }
    }
    Select(At({L"All"}));
    EXPECT_EQ(ListedKeys(), (std::vector<std::wstring>{L"", L"\\A", L"\\B\\C", L"\\B\\C\\D"}));
    EXPECT_EQ(Pane(0), L"4 item(s) shown");
}

TEST_F(KeyBrowserViewTest, GotoSelectsTheResultsKeyAndChangesNothingForADeletedKey) {
    Search();
    ASSERT_TRUE(ClickRowOf(L"\\B\\C\\D"));
    GotoKey();
    HTREEITEM d = Below({L"B", L"C", L"D"});
    ASSERT_TRUE(d);
    EXPECT_EQ(TreeView_GetSelection(keyBrowserTree), d);
    EXPECT_TRUE(IsBold(d));
    EXPECT_TRUE(IsExpanded(Below({L"B", L"C"})));
    EXPECT_EQ(ListedKeys(), (std::vector<std::wstring>{L"\\B\\C\\D"}));
    EXPECT_EQ(view->KeyBrowserSelectedPath(), kLookInPath + L"\\B\\C\\D");

    // Back to everything; then A's key goes from the registry and Goto finds nothing to select.
    Select(At({L"All"}));
    ASSERT_TRUE(ClickRowOf(L"\\A"));
    testsupport::DeleteKey(kTestKey + L"\\A");
    GotoKey();
    EXPECT_EQ(TreeView_GetSelection(keyBrowserTree), At({L"All"}));
    EXPECT_EQ(view->ListedCount(), 5u);
    EXPECT_EQ(view->KeyBrowserSelectedPath(), L"");

    // Without a selected row Goto does nothing either.
    Select(Below({L"AX"}));
    ASSERT_EQ(view->SelectedResult(), -1);
    GotoKey();
    EXPECT_EQ(TreeView_GetSelection(keyBrowserTree), Below({L"AX"}));
}

TEST_F(KeyBrowserViewTest, EmptiedAtEachStartAndFilledOnlyWhileKeyTreeIsOn) {
    Search();
    EXPECT_TRUE(At({L"All"}));
    Select(Below({L"A"}));
    WriteSettingDword(kSettingsSubKey, kKeyTree, 0);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(TreeView_GetCount(keyBrowserTree), 0u);
    EXPECT_EQ(view->ListedCount(), 5u) << "the filter of the last tree is gone";
    EXPECT_EQ(view->KeyBrowserSelectedPath(), L"");
    WriteSettingDword(kSettingsSubKey, kKeyTree, 1);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(Children(LookInItem()), (std::vector<std::wstring>{L"A*", L"AX*", L"B"}));
}

// Regression: a remote search's tree was expanded from this computer's registry (the root found by name is
// the local one). Through this computer's own name the two are the same registry, so a key deleted here
// after the search tells them apart: the remote tree still shows what the searched registry held.
TEST_F(KeyBrowserViewTest, ARemoteSearchShowsOnlyKeysOfItsKeyMap) {
    SetOption(L"Remote Computer", true);
    SetText(L"Computer", ComputerName().c_str());
    Settle();
    Search();
    ASSERT_TRUE(view->IsRemoteSearch());
    ASSERT_EQ(view->ListedCount(), 5u);
    SetString(kTestKey + L"\\B\\Fresh", L"v", L"needle");
    testsupport::DeleteKey(kTestKey + L"\\B\\C");
    EXPECT_EQ(Children(LookInItem()), (std::vector<std::wstring>{L"A*", L"AX*", L"B"}));
    TreeView_Expand(keyBrowserTree, Below({L"B"}), TVE_EXPAND);
    EXPECT_EQ(Children(Below({L"B"})), (std::vector<std::wstring>{L"C*"}));
    ASSERT_TRUE(ClickRowOf(L"\\B\\C\\D"));
    GotoKey();
    EXPECT_EQ(view->KeyBrowserSelectedPath(), kLookInPath + L"\\B\\C\\D");
}

} // namespace
