// Checks the compiled resources that every layer relies on: dialog templates (control ids, classes,
// styles, layout), menus, accelerators, the string table, the toolbar, the images and the manifest.
#include "resources/command_ids.h"
#include "resources/dialog_ids.h"
#include "resources/image_ids.h"
#include "resources/string_ids.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace {

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

std::wstring Lower(std::wstring s) {
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return s;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return Lower(name);
}

std::wstring TextOf(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}

std::wstring LoadText(UINT id) {
    const wchar_t* p = nullptr;
    int n = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 ? std::wstring(p, n) : std::wstring();
}

INT_PTR CALLBACK TrivialProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// Creates a dialog from this program's resources; child dialogs get a hidden top-level host.
class DialogFixture : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_LINK_CLASS |
                                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void TearDown() override {
        if (dialog_) {
            DestroyWindow(dialog_);
        }
        if (host_) {
            DestroyWindow(host_);
        }
    }
    HWND Create(int id, bool child) {
        if (child) {
            host_ =
                CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 1200, 900, nullptr, nullptr, Module(), nullptr);
        }
        dialog_ = CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), host_, TrivialProc, 0);
        return dialog_;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    LONG Style(int id) const { return GetWindowLongW(Item(id), GWL_STYLE); }
    // The control's rectangle in the dialog's client coordinates.
    RECT Rect(int id) const {
        RECT r{};
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // A control of the given class whose text is exactly text (for controls without an id of their own).
    HWND FindByText(const wchar_t* cls, const std::wstring& text) const {
        for (HWND w = GetWindow(dialog_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (ClassOf(w) == Lower(cls) && TextOf(w) == text) {
                return w;
            }
        }
        return nullptr;
    }

    struct Expected {
        int id;
        const wchar_t* cls;
        const wchar_t* text; // nullptr: not checked
        bool visible;
        bool enabled;
    };
    void ExpectControls(const std::vector<Expected>& controls) const {
        for (const Expected& e : controls) {
            SCOPED_TRACE(testing::Message() << "control " << e.id);
            HWND w = Item(e.id);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(ClassOf(w), Lower(e.cls));
            if (e.text) {
                EXPECT_EQ(TextOf(w), e.text);
            }
            EXPECT_EQ((GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0, e.visible);
            EXPECT_EQ(IsWindowEnabled(w) != FALSE, e.enabled);
        }
    }

    HWND host_ = nullptr;
    HWND dialog_ = nullptr;
};

bool Overlap(const RECT& a, const RECT& b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

// ---------------------------------------------------------------------------------------------------
// Search view (dialog 129)

using SearchForm = DialogFixture;

TEST_F(SearchForm, IsAChildDialogWithEveryControlOfTheForm) {
    ASSERT_NE(Create(IDD_KELDRAWTL_FORM, true), nullptr);
    const LONG style = GetWindowLongW(dialog_, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & DS_CONTROL);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & WS_POPUP, 0);

    ExpectControls({
        {IDC_SEARCH_LABEL, L"Static", L"Search String", true, true},
        {IDC_SEARCH_TEXT, L"ComboBox", L"", true, true},
        {IDC_SEARCH_MODE, L"ComboBox", nullptr, true, true},
        {IDC_SEARCH_BUTTON, L"Button", L"Search", true, false},
        {IDC_LOOKIN, L"ComboBox", L"", true, true},
        {IDC_EXCLUDE_CHECK, L"Button", L"Exclude Keys", true, true},
        {IDC_EXCLUDE, L"ComboBox", L"", true, false},
        {IDC_MODIFIED_FROM, L"Button", L"Modified Date From", true, true},
        {IDC_FROM_DATE, L"SysDateTimePick32", nullptr, true, false},
        {IDC_FROM_TIME, L"SysDateTimePick32", nullptr, true, false},
        {IDC_MODIFIED_TO, L"Button", L"To", true, true},
        {IDC_TO_DATE, L"SysDateTimePick32", nullptr, true, false},
        {IDC_TO_TIME, L"SysDateTimePick32", nullptr, true, false},
        {IDC_OPTIONS_TREE, L"SysTreeView32", nullptr, true, true},
        {IDC_RESULTS_LIST, L"SysListView32", nullptr, true, true},
        {IDC_PROGRESS, L"msctls_progress32", nullptr, false, true},
        {IDC_SPACER, L"Static", nullptr, false, true},
    });
    EXPECT_NE(FindByText(L"Static", L"Hives or Keys to look in"), nullptr);
}

TEST_F(SearchForm, ControlStylesMatchTheirRoles) {
    ASSERT_NE(Create(IDD_KELDRAWTL_FORM, true), nullptr);
    // The three history fields stop at their visible width.
    for (int id : {IDC_SEARCH_TEXT, IDC_LOOKIN, IDC_EXCLUDE}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Style(id) & 3, CBS_DROPDOWN);
        EXPECT_EQ(Style(id) & CBS_AUTOHSCROLL, 0);
    }
    EXPECT_TRUE(Style(IDC_EXCLUDE) & CBS_SORT);
    EXPECT_EQ(Style(IDC_SEARCH_TEXT) & CBS_SORT, 0);
    EXPECT_EQ(Style(IDC_SEARCH_MODE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(Style(IDC_SEARCH_BUTTON) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    for (int id : {IDC_EXCLUDE_CHECK, IDC_MODIFIED_FROM, IDC_MODIFIED_TO}) {
        EXPECT_EQ(Style(id) & BS_TYPEMASK, BS_AUTOCHECKBOX) << id;
    }
    for (int id : {IDC_FROM_DATE, IDC_TO_DATE}) {
        EXPECT_EQ(Style(id) & DTS_TIMEFORMAT, DTS_SHORTDATEFORMAT) << id;
    }
    for (int id : {IDC_FROM_TIME, IDC_TO_TIME}) {
        EXPECT_EQ(Style(id) & DTS_TIMEFORMAT, DTS_TIMEFORMAT) << id;
    }
    EXPECT_EQ(Style(IDC_RESULTS_LIST) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(Style(IDC_RESULTS_LIST) & LVS_NOCOLUMNHEADER);
    // Every field the user fills in is reachable with Tab.
    for (int id : {IDC_SEARCH_TEXT, IDC_SEARCH_MODE, IDC_SEARCH_BUTTON, IDC_LOOKIN, IDC_EXCLUDE_CHECK, IDC_EXCLUDE,
                   IDC_MODIFIED_FROM, IDC_FROM_DATE, IDC_FROM_TIME, IDC_MODIFIED_TO, IDC_TO_DATE, IDC_TO_TIME,
                   IDC_OPTIONS_TREE, IDC_RESULTS_LIST}) {
        EXPECT_TRUE(Style(id) & WS_TABSTOP) << id;
    }
}

// Replays the view's resize table (move right, widen, grow downwards) on the laid-out form and checks
// that the controls stay apart and inside the view at every size from the template's size upwards.
TEST_F(SearchForm, LayoutStaysApartWhenTheViewIsResized) {
    ASSERT_NE(Create(IDD_KELDRAWTL_FORM, true), nullptr);
    enum { MoveX = 1, SizeX = 2, SizeY = 4 };
    const std::map<int, int> table = {
        {IDC_SEARCH_BUTTON, MoveX},        {IDC_SEARCH_TEXT, SizeX}, {IDC_LOOKIN, SizeX},
        {IDC_RESULTS_LIST, SizeX | SizeY}, {IDC_SEARCH_MODE, MoveX}, {IDC_OPTIONS_TREE, MoveX | SizeY},
        {IDC_SPACER, MoveX | SizeY},       {IDC_PROGRESS, SizeX},    {IDC_EXCLUDE, SizeX},
    };
    std::vector<int> ids;
    for (HWND w = GetWindow(dialog_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        ids.push_back(GetDlgCtrlID(w));
    }
    RECT client{};
    GetClientRect(dialog_, &client);
    for (int dx : {0, 150, 700}) {
        for (int dy : {0, 400}) {
            std::vector<std::pair<HWND, RECT>> placed;
            for (HWND w = GetWindow(dialog_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                RECT r{};
                GetWindowRect(w, &r);
                MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
                auto it = table.find(GetDlgCtrlID(w));
                int how = it == table.end() ? 0 : it->second;
                if (how & MoveX) {
                    OffsetRect(&r, dx, 0);
                }
                if (how & SizeX) {
                    r.right += dx;
                }
                if (how & SizeY) {
                    r.bottom += dy;
                }
                placed.emplace_back(w, r);
            }
            RECT view = client;
            view.right += dx;
            view.bottom += dy;
            for (size_t i = 0; i < placed.size(); ++i) {
                RECT inside{};
                IntersectRect(&inside, &placed[i].second, &view);
                EXPECT_TRUE(EqualRect(&inside, &placed[i].second))
                    << "control " << GetDlgCtrlID(placed[i].first) << " leaves the view at +" << dx << ",+" << dy;
                for (size_t j = i + 1; j < placed.size(); ++j) {
                    EXPECT_FALSE(Overlap(placed[i].second, placed[j].second))
                        << "controls " << GetDlgCtrlID(placed[i].first) << " and " << GetDlgCtrlID(placed[j].first)
                        << " overlap at +" << dx << ",+" << dy;
                }
            }
        }
    }
    // Form above the list, the tree down the right side next to it.
    EXPECT_LE(Rect(IDC_MODIFIED_FROM).bottom, Rect(IDC_RESULTS_LIST).top);
    EXPECT_LE(Rect(IDC_RESULTS_LIST).right, Rect(IDC_SPACER).left);
    EXPECT_LE(Rect(IDC_SPACER).right, Rect(IDC_OPTIONS_TREE).left);
    EXPECT_EQ(Rect(IDC_OPTIONS_TREE).top, Rect(IDC_SEARCH_TEXT).top);
    EXPECT_NEAR(Rect(IDC_OPTIONS_TREE).bottom, Rect(IDC_RESULTS_LIST).bottom, 1);
}

// ---------------------------------------------------------------------------------------------------
// About, Preferences, Please wait

using SmallDialogs = DialogFixture;

TEST_F(SmallDialogs, AboutShowsTheProductLineALinkAndOk) {
    ASSERT_NE(Create(IDD_ABOUTBOX, false), nullptr);
    EXPECT_EQ(TextOf(dialog_), L"About");
    ExpectControls({{IDC_ABOUT_PRODUCT, L"Static", nullptr, true, true},
                    {IDC_ABOUT_LINK, WC_LINK, nullptr, true, true},
                    {IDOK, L"Button", L"OK", true, true}});
    EXPECT_NE(TextOf(Item(IDC_ABOUT_LINK)).find(L"<a href=\"https://"), std::wstring::npos);
    bool hasIcon = false;
    for (HWND w = GetWindow(dialog_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (ClassOf(w) == L"static" && (GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            hasIcon = SendMessageW(w, STM_GETICON, 0, 0) != 0;
        }
    }
    EXPECT_TRUE(hasIcon);
}

TEST_F(SmallDialogs, PreferencesGroupsItsSettings) {
    ASSERT_NE(Create(IDD_PREFERENCES, false), nullptr);
    EXPECT_EQ(TextOf(dialog_), L"Preferences");
    ExpectControls({
        {IDC_PREF_STOP_ON_LIMIT, L"Button", L"Stop searching if items found exceeds", true, true},
        {IDC_PREF_STOP_LIMIT, L"Edit", nullptr, true, true},
        {IDC_PREF_UNICODE_BINARY, L"Button", L"Search for unicode strings inside REG_BINARY data", true, true},
        {IDC_PREF_KEY_TREE, L"Button", L"Enable key browser window", true, true},
        {IDC_PREF_CLEAR_HISTORY, L"Button", L"Clear search history on exit", true, true},
        {IDC_PREF_RIBBON, L"Button", L"Ribbon toolbar", true, true},
        {IDC_PREF_LINE_NUMBERS, L"Button", L"Show line numbers", true, true},
        {IDC_PREF_FONT, L"Button", L"Font...", true, true},
        {IDOK, L"Button", L"OK", true, true},
        {IDCANCEL, L"Button", L"Cancel", true, true},
    });
    EXPECT_TRUE(Style(IDC_PREF_STOP_LIMIT) & ES_NUMBER);
    for (int id : {IDC_PREF_STOP_ON_LIMIT, IDC_PREF_UNICODE_BINARY, IDC_PREF_KEY_TREE, IDC_PREF_CLEAR_HISTORY,
                   IDC_PREF_RIBBON, IDC_PREF_LINE_NUMBERS}) {
        EXPECT_EQ(Style(id) & BS_TYPEMASK, BS_AUTOCHECKBOX) << id;
    }
    EXPECT_EQ(Style(IDOK) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    const std::map<std::wstring, std::vector<int>> groups = {
        {L"Search",
         {IDC_PREF_STOP_ON_LIMIT, IDC_PREF_STOP_LIMIT, IDC_PREF_UNICODE_BINARY, IDC_PREF_SEARCH_AS_YOU_TYPE,
          IDC_PREF_SNAPSHOT_BUDGET}},
        {L"Window", {IDC_PREF_KEY_TREE, IDC_PREF_CLEAR_HISTORY, IDC_PREF_RIBBON}},
        {L"List", {IDC_PREF_LINE_NUMBERS, IDC_PREF_FONT}},
    };
    for (const auto& [title, members] : groups) {
        HWND box = FindByText(L"Button", title);
        ASSERT_NE(box, nullptr) << "group box " << std::string(title.begin(), title.end());
        RECT g{};
        GetWindowRect(box, &g);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&g), 2);
        for (int id : members) {
            RECT r = Rect(id), inside{};
            IntersectRect(&inside, &r, &g);
            EXPECT_TRUE(EqualRect(&inside, &r)) << id << " lies outside its group box";
        }
    }
    // The limit field sits beside its check box, which must not run under it.
    EXPECT_LE(Rect(IDC_PREF_STOP_ON_LIMIT).right, Rect(IDC_PREF_STOP_LIMIT).left);
}

TEST_F(SmallDialogs, PleaseWaitIsASmallToolWindowWithAHiddenCancel) {
    ASSERT_NE(Create(IDD_PROGRESS, false), nullptr);
    EXPECT_EQ(TextOf(dialog_), L"Please wait");
    EXPECT_TRUE(GetWindowLongW(dialog_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    ExpectControls(
        {{IDC_PROGRESS_TEXT, L"Static", L"Please wait...", true, true}, {IDCANCEL, L"Button", L"Cancel", false, true}});
    RECT size{0, 0, 132, 27}, client{};
    MapDialogRect(dialog_, &size);
    GetClientRect(dialog_, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

// ---------------------------------------------------------------------------------------------------
// Menus

struct MenuEntry {
    std::wstring text; // empty for a separator
    UINT id;           // 0 for a separator or a submenu
    std::vector<MenuEntry> sub;
};

std::vector<MenuEntry> ReadMenu(HMENU menu) {
    std::vector<MenuEntry> out;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        MenuEntry e{text, info.hSubMenu ? 0u : info.wID, {}};
        if (info.fType & MFT_SEPARATOR) {
            e = MenuEntry{L"", 0, {}};
        }
        if (info.hSubMenu) {
            e.sub = ReadMenu(info.hSubMenu);
        }
        out.push_back(e);
    }
    return out;
}

void ExpectMenu(const std::vector<MenuEntry>& actual, const std::vector<MenuEntry>& expected,
                const std::string& where) {
    ASSERT_EQ(actual.size(), expected.size()) << where;
    for (size_t i = 0; i < expected.size(); ++i) {
        std::string here = where + "/" + std::to_string(i);
        EXPECT_EQ(actual[i].text, expected[i].text) << here;
        EXPECT_EQ(actual[i].id, expected[i].id) << here;
        ExpectMenu(actual[i].sub, expected[i].sub, here);
    }
}

const MenuEntry kSep{L"", 0, {}};

class Menus : public testing::Test {
protected:
    void TearDown() override {
        if (menu_) {
            DestroyMenu(menu_);
        }
    }
    std::vector<MenuEntry> Load(int id) {
        menu_ = LoadMenuW(Module(), MAKEINTRESOURCEW(id));
        EXPECT_NE(menu_, nullptr);
        return menu_ ? ReadMenu(menu_) : std::vector<MenuEntry>{};
    }
    HMENU menu_ = nullptr;
};

TEST_F(Menus, MainMenuHasEveryItemInPlace) {
    const std::vector<MenuEntry> expected = {
        {L"&File",
         0,
         {{L"&Open RegEdit...\tCtrl+O", ID_FILE_OPEN_REGEDIT, {}},
          kSep,
          {L"&Save", ID_FILE_SAVE, {}},
          {L"Export as .REG", ID_FILE_EXPORT, {}},
          kSep,
          {L"Open as Administrator", ID_FILE_OPEN_ASADMIN, {}},
          kSep,
          {L"E&xit", ID_APP_EXIT, {}}}},
        {L"&Edit",
         0,
         {{L"Delete Selected Value", ID_EDIT_DELETE_SELECTED, {}},
          {L"Delete Selected Key", ID_EDIT_DELETE_KEY_SELECTED, {}},
          {L"Remove from list", ID_EDIT_REMOVE_SELECTED, {}},
          kSep,
          {L"Copy Selected Key\tCtrl+C", ID_EDIT_COPY, {}},
          {L"&Copy Selected  item", ID_EDIT_COPY_SELECTED, {}},
          kSep,
          {L"Checked Items",
           0,
           {{L"Delete item(s)\tShift+Delete", ID_EDIT_DELETE_CHECKED, {}}, {L"Remove from list", ID_EDIT_REMOVE, {}}}},
          kSep,
          {L"Show Search Log", ID_EDIT_SHOW_SEARCH_LOG, {}},
          {L"Preferences...", ID_EDIT_PREFERENCES, {}}}},
        {L"&View",
         0,
         {{L"&Toolbar", ID_VIEW_TOOLBAR, {}},
          {L"&Status Bar", ID_VIEW_STATUS_BAR, {}},
          {L"Key Browser Pane", ID_VIEW_TREEPANE, {}},
          kSep,
          {L"Check All\tCtrl+A", ID_EDIT_MARK_ALL, {}},
          {L"Uncheck All", ID_EDIT_MARK_NONE, {}},
          {L"Invert Checks", ID_EDIT_MARK_INVERT, {}},
          kSep,
          {L"Refresh\tF5", ID_VIEW_REFRESH, {}}}},
        {L"&Help", 0, {{L"Help\tF1", ID_HELP_HELP, {}}, kSep, {L"&About...", ID_APP_ABOUT, {}}}},
    };
    ExpectMenu(Load(IDR_MAINFRAME), expected, "menu 128");
}

// Collects command id -> text (up to the tab) of every item in a menu tree.
void Collect(const std::vector<MenuEntry>& menu, std::multimap<UINT, std::wstring>& out) {
    for (const MenuEntry& e : menu) {
        if (e.id) {
            out.emplace(e.id, e.text.substr(0, e.text.find(L'\t')));
        }
        Collect(e.sub, out);
    }
}

TEST_F(Menus, ResultsContextMenuHoldsEveryResultActionOnce) {
    std::vector<MenuEntry> top = Load(IDR_RESULTS_MENU);
    ASSERT_EQ(top.size(), 1u);
    ASSERT_FALSE(top[0].sub.empty());
    std::multimap<UINT, std::wstring> items;
    Collect(top[0].sub, items);
    const std::map<UINT, std::wstring> expected = {
        {ID_FILE_OPEN_REGEDIT, L"Open in RegEdit..."},
        {ID_OPEN_FILE_LOCATION, L"Open file location"},
        {ID_EDIT_DELETE_SELECTED, L"Delete Selected Value"},
        {ID_EDIT_DELETE_KEY_SELECTED, L"Delete Selected Key"},
        {ID_EDIT_REMOVE_SELECTED, L"Remove from list"},
        {ID_EDIT_COPY, L"Copy Selected Key"},
        {ID_EDIT_COPY_VALUE, L"Copy Selected Value Name"},
        {ID_EDIT_COPY_SELECTED, L"&Copy Selected  item"},
        {ID_EDIT_MARK_ALL, L"Check All"},
        {ID_EDIT_MARK_NONE, L"Uncheck All"},
        {ID_EDIT_MARK_INVERT, L"Invert Checks"},
        {ID_EDIT_DELETE_CHECKED, L"Delete item(s)"},
        {ID_EDIT_REMOVE, L"Remove from list"},
        {ID_FILE_EXPORT, L"Export as .REG"},
        {ID_GOTO_KEY_BROWSER, L"Goto this key in Key Browser"},
        {ID_VIEW_REFRESH, L"Refresh"},
    };
    EXPECT_EQ(items.size(), expected.size());
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(items.count(id), 1u) << id;
        auto it = items.find(id);
        if (it != items.end()) {
            EXPECT_EQ(it->second, text) << id;
        }
    }
    // The two commands on checked items sit together in their own submenu.
    auto checked = std::find_if(top[0].sub.begin(), top[0].sub.end(),
                                [](const MenuEntry& e) { return e.text == L"Checked Items"; });
    ASSERT_NE(checked, top[0].sub.end());
    ASSERT_EQ(checked->sub.size(), 2u);
    EXPECT_EQ(checked->sub[0].id, static_cast<UINT>(ID_EDIT_DELETE_CHECKED));
    EXPECT_EQ(checked->sub[1].id, static_cast<UINT>(ID_EDIT_REMOVE));
}

TEST_F(Menus, OptionsTreeMenuOffersTheHiveAndTypeCommands) {
    std::vector<MenuEntry> top = Load(IDR_OPTIONS_MENU);
    ASSERT_EQ(top.size(), 1u);
    std::multimap<UINT, std::wstring> items;
    Collect(top[0].sub, items);
    const std::map<UINT, std::wstring> expected = {
        {ID_TREE_CHECK_HIVES, L"Check all Hives"},          {ID_TREE_UNCHECK_HIVES, L"Uncheck all Hives"},
        {ID_TREE_INVERT_HIVES, L"Invert Check Hives"},      {ID_TREE_CHECK_TYPES, L"Check all Types"},
        {ID_TREE_UNCHECK_TYPES, L"Uncheck all Types"},      {ID_TREE_INVERT_TYPES, L"Invert Check Types"},
        {ID_TREE_CHOOSE_HIVE_FILE, L"Choose Hive File..."},
    };
    ASSERT_EQ(items.size(), expected.size());
    for (const auto& [id, text] : expected) {
        auto it = items.find(id);
        ASSERT_NE(it, items.end()) << id;
        EXPECT_EQ(it->second, text);
    }
}

// ---------------------------------------------------------------------------------------------------
// Accelerators, strings, toolbar

TEST(Accelerators, MapExactlyTheFiveFrameKeys) {
    HACCEL table = LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL entries[16] = {};
    int n = CopyAcceleratorTableW(table, entries, 16);
    std::map<std::pair<BYTE, WORD>, WORD> got;
    for (int i = 0; i < n; ++i) {
        got[{static_cast<BYTE>(entries[i].fVirt & ~FNOINVERT), entries[i].key}] = entries[i].cmd;
    }
    const std::map<std::pair<BYTE, WORD>, WORD> expected = {
        {{FVIRTKEY | FCONTROL, 'O'}, ID_FILE_OPEN_REGEDIT},
        {{FVIRTKEY | FCONTROL, 'S'}, ID_FILE_SAVE},
        {{FVIRTKEY, VK_F5}, ID_VIEW_REFRESH},
        {{FVIRTKEY | FCONTROL, 'R'}, ID_VIEW_RIBBON},
        {{FVIRTKEY | FCONTROL, 'K'}, ID_VIEW_TREEPANE},
    };
    EXPECT_EQ(got, expected);
    DestroyAcceleratorTable(table);
}

TEST(Strings, FrameTextsAndPaneWidths) {
    EXPECT_EQ(LoadText(IDS_PRODUCT_NAME), L"Quillon");
    EXPECT_EQ(LoadText(IDS_PANE_MODIFIED), L" ");
    EXPECT_EQ(LoadText(IDS_PANE_TOTALS), L" ===========");
    EXPECT_EQ(LoadText(IDS_PANE_MATCHES), std::wstring(45, L' '));
    EXPECT_EQ(LoadText(ATL_IDS_IDLEMESSAGE), L"Ready (F1 for help)");
    EXPECT_EQ(LoadText(IDS_SCANNING), L"Scanning...");
    EXPECT_EQ(LoadText(IDS_SCAN_CANCELLED), L"Scan cancelled");
    EXPECT_EQ(LoadText(IDS_SCAN_FINISHED), L"Scan Finished (%lu sec)");
    EXPECT_EQ(LoadText(IDS_KEY_BROWSER), L"Key Browser");
    EXPECT_EQ(LoadText(IDS_KEY_BROWSER_DISABLED), L"Key Browser is disabled.\nDo you want to enable it?");
    EXPECT_EQ(LoadText(IDS_ADMIN_PREFIX), L"Administrator: ");
}

TEST(Strings, EveryCommandHasAPromptAndATooltipTitle) {
    const UINT commands[] = {
        ID_FILE_OPEN_REGEDIT,
        ID_FILE_SAVE,
        ID_FILE_EXPORT,
        ID_FILE_OPEN_ASADMIN,
        ID_APP_EXIT,
        ID_EDIT_DELETE_SELECTED,
        ID_EDIT_DELETE_KEY_SELECTED,
        ID_EDIT_REMOVE_SELECTED,
        ID_EDIT_COPY,
        ID_EDIT_COPY_SELECTED,
        ID_EDIT_COPY_VALUE,
        ID_EDIT_DELETE_CHECKED,
        ID_EDIT_REMOVE,
        ID_EDIT_PREFERENCES,
        ID_VIEW_TOOLBAR,
        ID_VIEW_STATUS_BAR,
        ID_VIEW_TREEPANE,
        ID_VIEW_RIBBON,
        ID_EDIT_MARK_ALL,
        ID_EDIT_MARK_NONE,
        ID_EDIT_MARK_INVERT,
        ID_VIEW_REFRESH,
        ID_HELP_HELP,
        ID_APP_ABOUT,
        ID_PANE_CLOSE,
        ID_OPEN_FILE_LOCATION,
        ID_GOTO_KEY_BROWSER,
        ID_TREE_CHECK_HIVES,
        ID_TREE_UNCHECK_HIVES,
        ID_TREE_INVERT_HIVES,
        ID_TREE_CHECK_TYPES,
        ID_TREE_UNCHECK_TYPES,
        ID_TREE_INVERT_TYPES,
    };
    for (UINT id : commands) {
        std::wstring s = LoadText(id);
        size_t nl = s.find(L'\n');
        ASSERT_NE(nl, std::wstring::npos) << "command " << id << " has no \"prompt\\ntitle\" string";
        EXPECT_GT(nl, 0u) << id;
        EXPECT_LT(nl + 1, s.size()) << id;
        EXPECT_EQ(s.find(L'\n', nl + 1), std::wstring::npos) << id;
    }
    EXPECT_EQ(LoadText(ID_VIEW_TREEPANE), L"Show or hide the key browser pane\nToggle Key Browser (Ctrl+K)");
    EXPECT_EQ(LoadText(ID_EDIT_DELETE_CHECKED),
              L"Delete all the check marked items\nDelete checked item(s) (Shift+Delete)");
    std::wstring markAll = LoadText(ID_EDIT_MARK_ALL);
    EXPECT_EQ(markAll.substr(markAll.find(L'\n') + 1), L"Check mark all items (Ctrl+A)");
}

TEST(Strings, EveryMenuCommandHasAPrompt) {
    std::multimap<UINT, std::wstring> items;
    for (int id : {IDR_MAINFRAME, IDR_RESULTS_MENU, IDR_OPTIONS_MENU}) {
        HMENU menu = LoadMenuW(Module(), MAKEINTRESOURCEW(id));
        ASSERT_NE(menu, nullptr);
        Collect(ReadMenu(menu), items);
        DestroyMenu(menu);
    }
    for (const auto& entry : items) {
        EXPECT_NE(LoadText(entry.first).find(L'\n'), std::wstring::npos) << entry.first;
    }
}

// The toolbar resource: version 1, button size, then one command id per button (0 = separator).
TEST(Toolbar, ButtonsAndBitmapAgree) {
    HRSRC res = FindResourceW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(241));
    ASSERT_NE(res, nullptr);
    const WORD* data = static_cast<const WORD*>(LockResource(LoadResource(Module(), res)));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 16);
    EXPECT_EQ(data[2], 15);
    std::vector<WORD> ids(data + 4, data + 4 + data[3]);
    const std::vector<WORD> expected = {ID_FILE_OPEN_REGEDIT,   0, ID_FILE_SAVE,   ID_FILE_EXPORT, 0, ID_EDIT_COPY, 0,
                                        ID_EDIT_DELETE_CHECKED, 0, ID_VIEW_REFRESH};
    EXPECT_EQ(ids, expected);

    HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(bmp, nullptr);
    BITMAP info{};
    GetObjectW(bmp, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 16 * 6);
    EXPECT_EQ(info.bmHeight, 15);
    DeleteObject(bmp);
}

// ---------------------------------------------------------------------------------------------------
// Images and manifest

// Pixels of a bitmap resource as 0x00RRGGBB, rows top to bottom.
std::vector<COLORREF> Pixels(int id, int& width, int& height) {
    std::vector<COLORREF> out;
    HBITMAP bmp =
        static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) {
        return out;
    }
    BITMAP info{};
    GetObjectW(bmp, sizeof(info), &info);
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    out.resize(static_cast<size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bmp, 0, height, out.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bmp);
    for (COLORREF& c : out) {
        c &= 0xFFFFFF;
    }
    return out;
}

// Counts the painted (not magenta) pixels of one 16-pixel-wide cell.
int Painted(const std::vector<COLORREF>& px, int width, int height, int cell) {
    int n = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = cell * 16; x < cell * 16 + 16; ++x) {
            n += px[static_cast<size_t>(y) * width + x] != 0xFF00FF;
        }
    }
    return n;
}

TEST(Images, ImageListStripsHaveTheirCellsOnAMagentaMask) {
    struct Strip {
        int id;
        int cells;
        std::vector<int> drawn;
    };
    const Strip strips[] = {
        {IDB_TYPE_ICONS, 3, {0, 1, 2}},
        {IDB_LIST_IMAGES, 3, {0, 1, 2}},
        {IDB_OPTION_IMAGES, 14, {0, 1, 2, 3, 4, 5, 6, 7, 11, 13}},
        {IDR_MAINFRAME, 6, {0, 1, 2, 3, 4, 5}},
    };
    for (const Strip& s : strips) {
        SCOPED_TRACE(s.id);
        int w = 0, h = 0;
        std::vector<COLORREF> px = Pixels(s.id, w, h);
        ASSERT_FALSE(px.empty());
        EXPECT_EQ(w, 16 * s.cells);
        EXPECT_EQ(h, s.id == IDR_MAINFRAME ? 15 : 16);
        for (int cell : s.drawn) {
            int painted = Painted(px, w, h, cell);
            EXPECT_GT(painted, 40) << "cell " << cell << " is nearly empty";
            EXPECT_LT(painted, 16 * h) << "cell " << cell << " has no transparent pixel";
        }
    }
    // Checked and unchecked images differ, and so do the enabled and disabled ones.
    int w = 0, h = 0;
    std::vector<COLORREF> px = Pixels(IDB_OPTION_IMAGES, w, h);
    ASSERT_FALSE(px.empty());
    auto cell = [&](int c) {
        std::vector<COLORREF> out;
        for (int y = 0; y < h; ++y) {
            out.insert(out.end(), px.begin() + y * w + c * 16, px.begin() + y * w + c * 16 + 16);
        }
        return out;
    };
    for (auto [a, b] : {std::pair{0, 1}, {2, 3}, {0, 4}, {1, 5}, {2, 6}, {3, 7}, {0, 2}}) {
        EXPECT_NE(cell(a), cell(b)) << a << " vs " << b;
    }
}

TEST(Images, IconsLoadAtSmallAndLargeSizes) {
    for (int id : {IDR_MAINFRAME, IDI_SEARCH, IDI_STOP}) {
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << id << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bm{};
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
            EXPECT_EQ(bm.bmWidth, size) << id;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(Manifest, AsksForCommonControlsSixAsInvokerAndDpiAwareness) {
    HRSRC res = FindResourceW(Module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(res, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(Module(), res)));
    std::string text(data, SizeofResource(Module(), res));
    for (const char* needle : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
                               ">true</dpiAware>", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                               "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(text.find(needle), std::string::npos) << needle;
    }
    // The manifest is in effect: this process runs with the side-by-side version 6 common controls
    // (whose file lives in the common-controls 6.0 assembly folder; Wine's copy still reports 5.81).
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    std::wstring file = Lower(path);
    EXPECT_NE(file.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos)
        << std::string(file.begin(), file.end());
}

} // namespace
