// The search form in the real view: start-up state, modes, the Search button, the options tree with its
// look-in link and context menu, and the form state restored from the registry.
#include "form/form_state.h"
#include "resources/command_ids.h"
#include "base/settings.h"
#include "tests/common/file_test_support.h"
#include "tests/common/modal_driver.h"
#include "tests/form/view_fixture.h"

#include <commctrl.h>
#include <dlgs.h>

using namespace viewtest;

namespace {

const wchar_t* const kTypeNames[] = {L"REG_SZ",       L"REG_DWORD",    L"REG_BINARY",        L"REG_EXPAND_SZ",
                                     L"REG_MULTI_SZ", L"REG_QWORD",    L"REG_NONE",          L"REG_DWORD_BE",
                                     L"REG_LINK",     L"REG_RES_LIST", L"REG_FULL_RES_DESC", L"REG_RES_REQ_LIST"};
const wchar_t* const kHiveNames[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
                                     L"HKEY_CURRENT_CONFIG"};

} // namespace

TEST_F(ViewTest, FreshStartShowsTheDefaultForm) {
    HWND modes = Item(IDC_SEARCH_MODE);
    ASSERT_EQ(SendMessageW(modes, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(SendMessageW(modes, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(view->CurrentMode(), DWORD{SM_FIND_STRING});
    EXPECT_EQ(Text(IDC_SEARCH_LABEL), L"Search String");
    EXPECT_EQ(Text(IDC_SEARCH_BUTTON), L"Search");
    EXPECT_FALSE(Enabled(IDC_SEARCH_BUTTON)) << "no search text yet";
    EXPECT_FALSE(Shown(IDC_PROGRESS));
    EXPECT_TRUE(GetWindowLongPtrW(Item(IDC_PROGRESS), GWL_STYLE) & PBS_MARQUEE);
    for (int id : {IDC_FROM_DATE, IDC_FROM_TIME, IDC_TO_DATE, IDC_TO_TIME, IDC_EXCLUDE}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }

    // The first look-in text of a fresh profile, carried into the hive checks.
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE");
    EXPECT_TRUE(On(L"Local Computer"));
    EXPECT_TRUE(On(L"Selected Hives"));
    EXPECT_FALSE(On(L"Entire Registry"));
    EXPECT_TRUE(Expanded(L"Selected Hives"));
    EXPECT_TRUE(On(L"HKEY_CURRENT_USER") && On(L"HKEY_LOCAL_MACHINE"));
    EXPECT_FALSE(On(L"HKEY_USERS") || On(L"HKEY_CLASSES_ROOT") || On(L"HKEY_CURRENT_CONFIG"));
    EXPECT_TRUE(Bold(L"HKEY_CURRENT_USER"));
    EXPECT_FALSE(Bold(L"HKEY_USERS"));

    EXPECT_TRUE(On(L"Keys") && On(L"Values") && On(L"Data"));
    EXPECT_TRUE(Bold(L"Keys") && Bold(L"Values") && Bold(L"Data"));
    EXPECT_FALSE(On(L"Case Sensitive"));
    EXPECT_FALSE(Bold(L"Case Sensitive")) << "only the listed items are ever bold";
    EXPECT_TRUE(On(L"All Types"));
    EXPECT_TRUE(Bold(L"All Types"));
    EXPECT_FALSE(Expanded(L"Selected Types"));
    for (const wchar_t* type : kTypeNames) {
        EXPECT_TRUE(On(type)) << "all types start checked";
        EXPECT_FALSE(Offered(type)) << "and disabled while All Types is on";
    }
    EXPECT_FALSE(On(L"Data length range (bytes)"));
    EXPECT_TRUE(Offered(L"Data length range (bytes)")) << "Data is checked";
    EXPECT_EQ(Tree().GetExtendedStyle(), OptionsTree::PTS_EX_NOEXPANDCLICK);
    EXPECT_EQ(TreeView_GetBkColor(Tree()), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ViewTest, SearchButtonFollowsTextsAndMode) {
    Type(IDC_SEARCH_TEXT, L"needle");
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
    Type(IDC_LOOKIN, L"");
    EXPECT_FALSE(Enabled(IDC_SEARCH_BUTTON));
    Type(IDC_LOOKIN, L"HKCU");
    Type(IDC_SEARCH_TEXT, L"");
    EXPECT_FALSE(Enabled(IDC_SEARCH_BUTTON));

    ChooseMode(SM_ALL_ITEMS);
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON)) << "all items needs only a look-in text";
    EXPECT_FALSE(Enabled(IDC_SEARCH_TEXT));
    EXPECT_EQ(Text(IDC_SEARCH_LABEL), L"");
    Type(IDC_LOOKIN, L"");
    EXPECT_FALSE(Enabled(IDC_SEARCH_BUTTON));
}

TEST_F(ViewTest, IntegerAndAllItemsEmptyTheSearchTextOtherModesKeepIt) {
    Type(IDC_SEARCH_TEXT, L"abc");
    ChooseMode(SM_REGEX);
    EXPECT_EQ(Text(IDC_SEARCH_TEXT), L"abc");
    EXPECT_EQ(Text(IDC_SEARCH_LABEL), L"Regular Expression");
    ChooseMode(SM_INTEGER);
    EXPECT_EQ(Text(IDC_SEARCH_TEXT), L"");
    EXPECT_EQ(Text(IDC_SEARCH_LABEL), L"Integer Value");
    EXPECT_TRUE(Enabled(IDC_SEARCH_TEXT));
    Type(IDC_SEARCH_TEXT, L"0x10");
    ChooseMode(SM_ALL_ITEMS);
    EXPECT_EQ(Text(IDC_SEARCH_TEXT), L"");
    ChooseMode(SM_FIND_STRING);
    EXPECT_TRUE(Enabled(IDC_SEARCH_TEXT));
}

TEST_F(ViewTest, IntegerModeOffersOnlyNumberTypesAndNoLookAt) {
    ChooseMode(SM_INTEGER);
    for (const wchar_t* name :
         {L"Keys", L"Values", L"Data", L"Case Sensitive", L"Data length range (bytes)", L"From", L"To"}) {
        EXPECT_FALSE(Offered(name)) << name;
    }
    EXPECT_FALSE(Bold(L"Keys")) << "checked but not offered";
    for (const wchar_t* type : kTypeNames) {
        const bool number = std::wstring(type) == L"REG_DWORD" || std::wstring(type) == L"REG_QWORD";
        EXPECT_EQ(Offered(type), number) << "even with All Types on: " << std::string(type, type + wcslen(type));
    }
    ChooseMode(SM_FIND_STRING);
    EXPECT_TRUE(Offered(L"Keys"));
    EXPECT_TRUE(Bold(L"Keys"));
}

TEST_F(ViewTest, AllItemsAndHexAllowTheLengthRangeWithoutData) {
    for (DWORD mode : {SM_ALL_ITEMS, SM_HEX}) {
        ChooseMode(mode);
        EXPECT_FALSE(Offered(L"Data")) << mode;
        EXPECT_TRUE(Offered(L"Data length range (bytes)")) << mode;
        EXPECT_TRUE(Offered(L"From") && Offered(L"To")) << mode;
    }
    ChooseMode(SM_FIND_STRING);
    SetOption(L"Data", false);
    EXPECT_FALSE(Offered(L"Data length range (bytes)")) << "unchecking Data withdraws the range";
    EXPECT_FALSE(Offered(L"From"));
}

TEST_F(ViewTest, TypedAbbreviationsChooseSelectedHives) {
    SetOption(L"Entire Registry", true);
    EXPECT_FALSE(Expanded(L"Selected Hives"));
    Type(IDC_LOOKIN, L"hklm;hku");
    EXPECT_TRUE(On(L"Selected Hives"));
    EXPECT_FALSE(On(L"Entire Registry"));
    EXPECT_TRUE(Expanded(L"Selected Hives"));
    EXPECT_TRUE(On(L"HKEY_LOCAL_MACHINE") && On(L"HKEY_USERS"));
    EXPECT_FALSE(On(L"HKEY_CURRENT_USER"));
    EXPECT_EQ(Text(IDC_LOOKIN), L"hklm;hku") << "typing is not rewritten";
}

TEST_F(ViewTest, AllFiveHivesAreTheEntireRegistry) {
    Type(IDC_LOOKIN, L"HKCR; hkey_current_user;HKLM;HKEY_USERS;hkcc;");
    EXPECT_TRUE(On(L"Entire Registry"));
    EXPECT_FALSE(On(L"Selected Hives"));
    EXPECT_TRUE(Bold(L"Entire Registry"));
    EXPECT_FALSE(Expanded(L"Selected Hives"));
    for (const wchar_t* hive : kHiveNames) {
        EXPECT_FALSE(On(hive));
        EXPECT_FALSE(Offered(hive));
    }
}

TEST_F(ViewTest, ChoosingEntireRegistryWritesAllHives) {
    SetOption(L"Entire Registry", true);
    EXPECT_EQ(Text(IDC_LOOKIN),
              L"HKEY_CLASSES_ROOT;HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE;HKEY_USERS;HKEY_CURRENT_CONFIG");
    EXPECT_TRUE(On(L"Entire Registry"));
}

TEST_F(ViewTest, RemoteComputerOffersMachineAndUsersOnly) {
    SetOption(L"Remote Computer", true);
    EXPECT_FALSE(On(L"Local Computer"));
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKEY_LOCAL_MACHINE;HKEY_USERS");
    EXPECT_TRUE(On(L"Entire Registry")) << "both remote hives are the entire remote registry";

    SetOption(L"Selected Hives", true);
    EXPECT_EQ(Text(IDC_LOOKIN), L"") << "no hive checked: the hive names go";
    EXPECT_TRUE(Offered(L"HKEY_LOCAL_MACHINE") && Offered(L"HKEY_USERS"));
    for (const wchar_t* hive : {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_CURRENT_CONFIG"}) {
        EXPECT_FALSE(Offered(hive)) << "not offered remotely";
    }
    Type(IDC_LOOKIN, L"HKEY_LOCAL_MACHINE;HKEY_USERS;HKCU");
    EXPECT_TRUE(On(L"Entire Registry"));
    EXPECT_FALSE(On(L"HKEY_CURRENT_USER"));

    SetOption(L"Local Computer", true);
    EXPECT_EQ(Text(IDC_LOOKIN),
              L"HKEY_CLASSES_ROOT;HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE;HKEY_USERS;HKEY_CURRENT_CONFIG");
    EXPECT_TRUE(On(L"Entire Registry"));
}

TEST_F(ViewTest, UncheckingAHiveRemovesItsEntriesButNotKeysBelowIt) {
    Type(IDC_LOOKIN, L"hklm;HKEY_LOCAL_MACHINE;HKLM\\Software;Hkey_Local_Machine;hkcu");
    ASSERT_TRUE(On(L"HKEY_LOCAL_MACHINE"));
    SetOption(L"HKEY_LOCAL_MACHINE", false);
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKLM\\Software;hkcu");
    SetOption(L"HKEY_USERS", true);
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKLM\\Software;hkcu;HKEY_USERS");
}

TEST_F(ViewTest, SelectedHivesWithNothingCheckedLeavesOnlyKeys) {
    Type(IDC_SEARCH_TEXT, L"x");
    SetOption(L"Entire Registry", true);
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
    SetOption(L"Selected Hives", true);
    EXPECT_EQ(Text(IDC_LOOKIN), L"");
    EXPECT_TRUE(Expanded(L"Selected Hives"));
    EXPECT_FALSE(Enabled(IDC_SEARCH_BUTTON)) << "nothing left to look in";

    Type(IDC_LOOKIN, L"HKCU;HKLM\\Software");
    SetOption(L"HKEY_CURRENT_USER", false);
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKLM\\Software");
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
}

TEST_F(ViewTest, TypeChoiceExpandsAndCollapsesTheTypes) {
    SetOption(L"Selected Types", true);
    EXPECT_TRUE(Expanded(L"Selected Types"));
    EXPECT_TRUE(Offered(L"REG_BINARY"));
    EXPECT_TRUE(Bold(L"Selected Types"));
    EXPECT_FALSE(Bold(L"All Types"));
    SetOption(L"All Types", true);
    EXPECT_FALSE(Expanded(L"Selected Types"));
    EXPECT_FALSE(Offered(L"REG_BINARY"));
}

TEST_F(ViewTest, ContextMenuCommandsChangeChecksWithoutLookingAtTheChoice) {
    SetOption(L"Entire Registry", true);
    view->SendMessage(WM_COMMAND, ID_TREE_CHECK_HIVES);
    Settle();
    for (const wchar_t* hive : kHiveNames) {
        EXPECT_TRUE(On(hive)) << "checked although not offered";
    }
    EXPECT_EQ(Text(IDC_LOOKIN),
              L"HKEY_CLASSES_ROOT;HKEY_CURRENT_USER;HKEY_LOCAL_MACHINE;HKEY_USERS;HKEY_CURRENT_CONFIG");
    EXPECT_TRUE(On(L"Entire Registry")) << "the Look In choice stays";

    view->SendMessage(WM_COMMAND, ID_TREE_UNCHECK_HIVES);
    EXPECT_EQ(Text(IDC_LOOKIN), L"");
    Tree().SetCheckState(Find(L"HKEY_USERS"), true);
    view->SendMessage(WM_COMMAND, ID_TREE_INVERT_HIVES);
    EXPECT_FALSE(On(L"HKEY_USERS"));
    EXPECT_TRUE(On(L"HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKEY_LOCAL_MACHINE;HKEY_CLASSES_ROOT;HKEY_CURRENT_USER;HKEY_CURRENT_CONFIG");

    const std::wstring lookIn = Text(IDC_LOOKIN);
    view->SendMessage(WM_COMMAND, ID_TREE_UNCHECK_TYPES);
    for (const wchar_t* type : kTypeNames) {
        EXPECT_FALSE(On(type));
    }
    Tree().SetCheckState(Find(L"REG_SZ"), true);
    view->SendMessage(WM_COMMAND, ID_TREE_INVERT_TYPES);
    EXPECT_FALSE(On(L"REG_SZ"));
    EXPECT_TRUE(On(L"REG_BINARY"));
    view->SendMessage(WM_COMMAND, ID_TREE_CHECK_TYPES);
    EXPECT_TRUE(On(L"REG_SZ"));
    EXPECT_TRUE(On(L"All Types")) << "the type choice stays";
    EXPECT_EQ(Text(IDC_LOOKIN), lookIn) << "type commands change only the tree";
}

TEST_F(ViewTest, HiveFileGivenOrChosenInTheOpenDialogIsTakenAsIfTyped) {
    filetest::ScratchFolder folder;
    const std::wstring hive = folder.File(L"my hive.dat"), quoted = L"\"" + hive + L"\"";
    ::CloseHandle(::CreateFileW(hive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    view->UseHiveFile(quoted);
    EXPECT_TRUE(view->Options().IsHiveFile() && !On(L"Local Computer") && !Offered(L"HKEY_CURRENT_USER"));
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKEY_LOCAL_MACHINE\\my hive.dat");

    const auto browse = [&](const std::function<void(HWND)>& script) {
        testsupport::ModalDriver driver(L"Open", script);
        view->SendMessage(WM_COMMAND, ID_TREE_CHOOSE_HIVE_FILE);
        EXPECT_TRUE(driver.Ran() && !driver.TimedOut());
    };
    std::wstring startFolder(MAX_PATH, L'\0');
    browse([&](HWND dialog) { // starts in the file's folder; a cancel changes nothing
        ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(startFolder.data()));
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(_wcsicmp(startFolder.c_str(), hive.substr(0, hive.rfind(L'\\')).c_str()), 0);
    EXPECT_EQ(view->Options().HiveFileText(), quoted);
    browse([&](HWND dialog) {
        ::SetDlgItemTextW(dialog, ::GetDlgItem(dialog, cmb13) ? cmb13 : edt1, hive.c_str());
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(view->Options().HiveFileText(), hive);
}

TEST_F(ViewTest, DateAndExcludeChecksEnableTheirFields) {
    Check(IDC_MODIFIED_FROM, true);
    EXPECT_TRUE(Enabled(IDC_FROM_DATE) && Enabled(IDC_FROM_TIME));
    EXPECT_FALSE(Enabled(IDC_TO_DATE));
    Check(IDC_MODIFIED_TO, true);
    EXPECT_TRUE(Enabled(IDC_TO_DATE) && Enabled(IDC_TO_TIME));
    Check(IDC_MODIFIED_FROM, false);
    EXPECT_FALSE(Enabled(IDC_FROM_DATE) || Enabled(IDC_FROM_TIME));
    Check(IDC_EXCLUDE_CHECK, true);
    EXPECT_TRUE(Enabled(IDC_EXCLUDE));
}

TEST_F(ViewTest, StatusPanesAreSizedToTheirTexts) {
    view->SetPaneText(kPaneMatches, L"");
    EXPECT_EQ(statusBar.GetPaneWidth(kPaneMatches), 10);
    view->SetPaneText(kPaneMatches, L"Values: 3 ");
    WindowDC dc(statusBar);
    SelectObjectScope font(dc, statusBar.GetFont());
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"Values: 3 ", 10, &size);
    EXPECT_EQ(statusBar.GetPaneWidth(kPaneMatches), size.cx + 10);
    EXPECT_EQ(Pane(kPaneMatches), L"Values: 3 ");
}

// ---- the form state of an earlier run

class RestoredViewTest : public ViewTest {
protected:
    void PrepareSettings() override {
        SettingWriteFailures failures;
        WriteFormState(
            FormState{SM_INTEGER, SO_VALUES | SO_MATCH_CASE, (1u << REG_DWORD) | (1u << REG_BINARY), true, true, true},
            failures);
        HKEY key = testsupport::FreshKey(std::wstring(kProgramKeyPath) + L"\\" + kLookInHistorySubKey);
        const DWORD count = 15;
        RegSetValueExW(key, L"DocumentCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
        const wchar_t newest[] = L"hku;HKLM\\Software";
        const wchar_t older[] = L"HKCC";
        RegSetValueExW(key, L"Document1", 0, REG_SZ, reinterpret_cast<const BYTE*>(newest), sizeof newest);
        RegSetValueExW(key, L"Document2", 0, REG_SZ, reinterpret_cast<const BYTE*>(older), sizeof older);
        RegCloseKey(key);
    }
};

TEST_F(RestoredViewTest, ModeOptionsTypesAndExcludeComeBackButNotTheDates) {
    EXPECT_EQ(view->CurrentMode(), DWORD{SM_INTEGER});
    EXPECT_EQ(Text(IDC_SEARCH_LABEL), L"Integer Value");
    EXPECT_FALSE(On(L"Keys") || On(L"Data"));
    EXPECT_TRUE(On(L"Values"));
    EXPECT_TRUE(On(L"Case Sensitive"));
    EXPECT_TRUE(On(L"Selected Types"));
    EXPECT_TRUE(On(L"REG_DWORD") && On(L"REG_BINARY"));
    EXPECT_FALSE(On(L"REG_SZ") || On(L"REG_QWORD"));
    EXPECT_EQ(IsDlgButtonChecked(*view, IDC_EXCLUDE_CHECK), UINT{BST_CHECKED});
    EXPECT_TRUE(Enabled(IDC_EXCLUDE));
    EXPECT_EQ(IsDlgButtonChecked(*view, IDC_MODIFIED_FROM), UINT{BST_UNCHECKED});
    EXPECT_EQ(IsDlgButtonChecked(*view, IDC_MODIFIED_TO), UINT{BST_UNCHECKED});
    EXPECT_FALSE(Enabled(IDC_FROM_DATE));

    // The newest look-in entry is the first look-in text.
    EXPECT_EQ(Text(IDC_LOOKIN), L"hku;HKLM\\Software");
    EXPECT_TRUE(On(L"HKEY_USERS"));
    EXPECT_FALSE(On(L"HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(SendMessageW(Item(IDC_LOOKIN), CB_GETCOUNT, 0, 0), 2);
}

class UnknownModeViewTest : public ViewTest {
protected:
    void PrepareSettings() override { WriteSettingDword(kSettingsSubKey, kModeValue, 3); }
};

TEST_F(UnknownModeViewTest, AStoredModeThatNamesNoModeSelectsTheFirst) {
    EXPECT_EQ(SendMessageW(Item(IDC_SEARCH_MODE), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(view->CurrentMode(), DWORD{SM_FIND_STRING});
    EXPECT_EQ(Text(IDC_SEARCH_LABEL), L"Search String");
}

TEST_F(ViewTest, ClosingSavesTheFormState) {
    ChooseMode(SM_WILDCARD);
    OnlyLookAt(false, false, false);
    Tree().SetCheckState(Find(L"Case Sensitive"), true);
    SetOption(L"Selected Types", true);
    view->SendMessage(WM_COMMAND, ID_TREE_UNCHECK_TYPES);
    Check(IDC_EXCLUDE_CHECK, true);
    Check(IDC_MODIFIED_TO, true);
    CloseView();
    const FormState saved = ReadFormState();
    EXPECT_EQ(saved.mode, DWORD{SM_WILDCARD});
    EXPECT_EQ(saved.options, DWORD{SO_KEYS | SO_VALUES | SO_DATA | SO_MATCH_CASE}) << "none checked saves all three";
    EXPECT_EQ(saved.types, 0xFFFFFFFFu) << "no type checked saves all types";
    EXPECT_TRUE(saved.excludeKeys);
    EXPECT_FALSE(saved.modifiedFrom);
    EXPECT_TRUE(saved.modifiedTo);
}
