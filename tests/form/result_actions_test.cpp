// Acting on results through the real view: deletes from the registry (single and checked, with the delete
// log), the refusals for remote results and hive roots, the list-only actions, the clipboard copies and the
// list's keys.
#include "base/log_file.h"
#include "base/settings.h"
#include "tests/common/message_box_closer.h"
#include "tests/form/actions_fixture.h"

using namespace actionstest;
using testsupport::MessageBoxCloser;

namespace {

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) {
        return L"<busy>";
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void PutOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

std::wstring DeleteLogPath() {
    return LogFolderPath() + L"\\" + kDeleteLogName;
}

std::string ReadLog() {
    return testsupport::ReadFileBytes(DeleteLogPath());
}

std::string Narrow(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += c < 0x100 ? static_cast<char>(c) : '?';
    }
    return bytes;
}

} // namespace

// ---- single deletes

TEST_F(ActionsTest, DeleteSelectedValueAsksAndDeletesOnlyOnYes) {
    BuildTree();
    SearchAll();
    const int row = RowOf(L"A", L"s1");
    ASSERT_GE(row, 0);
    Click(row);
    {
        MessageBoxCloser closer(IDNO, L"Delete value");
        Command(ID_EDIT_DELETE_SELECTED);
        ASSERT_EQ(closer.Seen().size(), 1u);
        EXPECT_EQ(closer.Seen()[0].text, DeleteValueQuestion(RecordAt(row)));
    }
    EXPECT_TRUE(ValueExists(L"A", L"s1"));
    ASSERT_EQ(RowOf(L"A", L"s1"), row);

    const int rows = Rows();
    const size_t index = List().GetItemData(row);
    MessageBoxCloser closer(IDYES);
    Command(ID_EDIT_DELETE_SELECTED);
    EXPECT_FALSE(ValueExists(L"A", L"s1"));
    EXPECT_TRUE(ValueExists(L"A", L"d1"));
    EXPECT_EQ(RowOf(L"A", L"s1"), -1);
    EXPECT_EQ(Rows(), rows - 1);
    EXPECT_TRUE(Removed(index));
    EXPECT_EQ(closer.Seen().size(), 1u) << "no error for a value that was deleted";
}

TEST_F(ActionsTest, DeleteSelectedValueThatIsAlreadyGoneTakesOnlyTheRow) {
    BuildTree();
    SearchAll();
    Click(RowOf(L"B", L"gone"));
    DeleteValue(L"B", L"gone");
    MessageBoxCloser closer(IDYES);
    Command(ID_EDIT_DELETE_SELECTED);
    EXPECT_EQ(RowOf(L"B", L"gone"), -1);
    ASSERT_EQ(closer.Seen().size(), 1u) << "only the question, no error";
    EXPECT_TRUE(KeyExists(L"B"));
}

TEST_F(ActionsTest, DeleteSelectedKeyOnAKeyResultTakesEveryRowBelowIt) {
    BuildTree();
    SearchAll();
    Click(KeyRow(L"A"));
    MessageBoxCloser closer(IDYES, L"Delete key");
    Command(ID_EDIT_DELETE_KEY_SELECTED);
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_FALSE(KeyExists(L"A"));
    for (int row : {KeyRow(L"A"), RowOf(L"A", L"s1"), RowOf(L"A", L"d1"), KeyRow(L"A\\Sub"), RowOf(L"A\\Sub", L"s2")}) {
        EXPECT_EQ(row, -1);
    }
    // The sibling whose name begins alike stays, in the registry and in the list.
    EXPECT_TRUE(KeyExists(L"AB"));
    EXPECT_GE(KeyRow(L"AB"), 0);
    EXPECT_GE(RowOf(L"AB", L"x"), 0);
    EXPECT_GE(RowOf(L"B", L"gone"), 0);
}

TEST_F(ActionsTest, DeleteSelectedKeyOnAValueResultDeletesItsKey) {
    BuildTree();
    SearchAll();
    Click(RowOf(L"A\\Sub", L"s2"));
    MessageBoxCloser closer(IDYES, L"Delete key");
    Command(ID_EDIT_DELETE_KEY_SELECTED);
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].text,
              L"Are you sure you want to delete the key and its subkeys?\n\nHKEY_CURRENT_USER\n" + kBase + L"\\A\\Sub");
    EXPECT_FALSE(KeyExists(L"A\\Sub"));
    EXPECT_TRUE(KeyExists(L"A"));
    EXPECT_EQ(KeyRow(L"A\\Sub"), -1);
    EXPECT_EQ(RowOf(L"A\\Sub", L"s2"), -1);
    EXPECT_GE(RowOf(L"A", L"s1"), 0);
}

// ---- the checked delete

TEST_F(ActionsTest, CheckedDeleteLogsWhatWasAlreadyGoneAndOffersTheLog) {
    BuildTree();
    SearchAll();
    const int rows = Rows();
    for (int row : {RowOf(L"A", L"s1"), RowOf(L"A", L"d1"), RowOf(L"B", L"gone")}) {
        List().SetCheck(row, TRUE);
    }
    DeleteValue(L"B", L"gone");
    MessageBoxCloser closer(std::vector<int>{IDYES, IDNO}, L"Delete item(s)");
    Command(ID_EDIT_DELETE_CHECKED);
    ASSERT_EQ(closer.Seen().size(), 2u);
    EXPECT_EQ(closer.Seen()[0].text, DeleteCheckedQuestion(3));
    EXPECT_EQ(closer.Seen()[1].text, L"Delete encountered some errors.\nDo you want to view the log?");
    EXPECT_FALSE(ValueExists(L"A", L"s1"));
    EXPECT_FALSE(ValueExists(L"A", L"d1"));
    EXPECT_EQ(Rows(), rows - 3);
    EXPECT_EQ(Pane(0), L"3 item(s) deleted.");
    const std::string expected = Narrow(L"Value Delete Error: " + SystemErrorText(ERROR_FILE_NOT_FOUND) +
                                        L", HKEY_CURRENT_USER\\" + kBase + L"\\B\\gone") +
                                 "\r\n";
    EXPECT_EQ(ReadLog(), expected);
}

TEST_F(ActionsTest, CheckedDeleteWithoutErrorsLeavesNoLog) {
    BuildTree();
    SearchAll();
    List().SetCheck(RowOf(L"AB", L"x"), TRUE);
    MessageBoxCloser closer(IDYES, L"Delete item(s)");
    Command(ID_EDIT_DELETE_CHECKED);
    EXPECT_EQ(closer.Seen().size(), 1u);
    EXPECT_FALSE(ValueExists(L"AB", L"x"));
    EXPECT_FALSE(testsupport::FileExists(DeleteLogPath()));
    EXPECT_EQ(Pane(0), L"1 item(s) deleted.");

    // Nothing checked: told so, nothing asked.
    MessageBoxCloser told(IDOK);
    Command(ID_EDIT_DELETE_CHECKED);
    ASSERT_EQ(told.Seen().size(), 1u);
    EXPECT_EQ(told.Seen()[0].text, L"No items marked for deletion.\n");
}

// Fault guarded against: the checked delete walked rows by position while a key delete took rows below it
// away; results under the deleted key were deleted a second time and logged as errors, and the count was off.
TEST_F(ActionsTest, CheckedDeleteDeletesEachCheckedResultOnce) {
    BuildTree();
    SearchAll();
    const int unchecked = RowOf(L"AB", L"x");
    for (int row = 0; row < Rows(); ++row) {
        const std::wstring path = RecordAt(row).KeyPath();
        List().SetCheck(row, row != unchecked && (path == kBase + L"\\A" || path.rfind(kBase + L"\\A\\", 0) == 0));
    }
    const size_t checked = [&] {
        size_t n = 0;
        for (int row = 0; row < Rows(); ++row) {
            n += List().GetCheck(row) ? 1 : 0;
        }
        return n;
    }();
    ASSERT_EQ(checked, 5u) << "A, A:s1, A:d1, A\\Sub, A\\Sub:s2";
    MessageBoxCloser closer(std::vector<int>{IDYES, IDNO}, L"Delete item(s)");
    Command(ID_EDIT_DELETE_CHECKED);
    EXPECT_EQ(closer.Seen().size(), 1u) << "no errors to offer";
    EXPECT_FALSE(KeyExists(L"A"));
    EXPECT_TRUE(KeyExists(L"AB"));
    EXPECT_TRUE(ValueExists(L"AB", L"x"));
    EXPECT_EQ(Pane(0), L"5 item(s) deleted.");
    EXPECT_GE(RowOf(L"AB", L"x"), 0);
    EXPECT_FALSE(testsupport::FileExists(DeleteLogPath()));
}

// ---- mends: what is never deleted

// Fault guarded against: only the context menu kept remote results from being deleted; the Delete keys, the
// Edit menu and the toolbar deleted the key or value of the same name on this computer.
TEST_F(ActionsTest, RemoteResultsAreNeverDeletedWhateverAsks) {
    BuildTree();
    SearchAll(viewtest::ComputerName());
    ASSERT_TRUE(view->IsRemoteSearch());
    MessageBoxCloser closer(IDYES);
    Click(KeyRow(L"A"));
    Press(VK_DELETE);
    Command(ID_EDIT_DELETE_KEY_SELECTED);
    Click(RowOf(L"B", L"gone"));
    Press(VK_DELETE);
    Command(ID_EDIT_DELETE_SELECTED);
    for (int row = 0; row < Rows(); ++row) {
        List().SetCheck(row, TRUE);
    }
    Press(VK_DELETE, false, true);
    Command(ID_EDIT_DELETE_CHECKED);
    view->Actions().DeleteSelectedValue();
    view->Actions().DeleteChecked();
    EXPECT_TRUE(closer.Seen().empty());
    EXPECT_TRUE(KeyExists(L"A\\Sub"));
    EXPECT_TRUE(ValueExists(L"B", L"gone"));
    EXPECT_TRUE(ValueExists(L"A", L"s1"));
}

// Fault guarded against: a key delete of a result in a hive root itself deleted the whole hive.
TEST_F(ActionsTest, AHiveRootIsNeverDeleted) {
    // A stand-in root: a scratch key whose own handle plays the hive, so that a failing guard costs only it.
    HKEY root = Open(L"Root");
    SetString(L"Root\\Child", L"v", L"x");
    SearchResult record;
    record.root = root;
    record.kind = RK_KEY | RK_KEY_NAME;
    EXPECT_EQ(DeleteResultKey(record).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    record.kind = RK_DATA;
    record.valueName = L"v";
    EXPECT_EQ(DeleteResultKey(record).error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    RegCloseKey(root);
    EXPECT_TRUE(ValueExists(L"Root\\Child", L"v"));

    // Through the view: a value right in HKEY_CURRENT_USER, its key deleted by command, key and checked delete.
    const std::wstring probe = L"QuillonActionsRootProbe";
    HKEY user = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, &user);
    RegSetValueExW(user, probe.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"p"), 4);
    ChooseMode(SM_FIND_STRING);
    OnlyLookAt(false, true, false);
    Type(IDC_LOOKIN, L"HKCU");
    Type(IDC_SEARCH_TEXT, probe);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    int row = -1;
    for (int i = 0; i < Rows(); ++i) {
        if (RecordAt(i).KeyPath().empty() && RecordAt(i).valueName == probe) {
            row = i;
        }
    }
    ASSERT_GE(row, 0);
    Click(row);
    MessageBoxCloser closer(IDYES);
    Command(ID_EDIT_DELETE_KEY_SELECTED);
    view->Actions().DeleteSelectedKey();
    EXPECT_TRUE(closer.Seen().empty()) << "nothing is even asked";
    EXPECT_EQ(RegQueryValueExW(user, probe.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(L"Root"));
    // The value itself may go.
    Command(ID_EDIT_DELETE_SELECTED);
    EXPECT_NE(RegQueryValueExW(user, probe.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegDeleteValueW(user, probe.c_str());
    RegCloseKey(user);
}

// ---- list only

TEST_F(ActionsTest, RemovedRowsStayOutOfRefreshUntilTheNextSearch) {
    BuildTree();
    SearchAll();
    const int rows = Rows();
    Click(RowOf(L"A", L"s1"));
    Command(ID_EDIT_REMOVE_SELECTED);
    List().SetCheck(RowOf(L"B", L"gone"), TRUE);
    List().SetCheck(KeyRow(L"AB"), TRUE);
    Command(ID_EDIT_REMOVE);
    EXPECT_EQ(Rows(), rows - 3);
    Command(ID_VIEW_REFRESH);
    EXPECT_EQ(Rows(), rows - 3);
    EXPECT_EQ(RowOf(L"A", L"s1"), -1);
    EXPECT_EQ(RowOf(L"B", L"gone"), -1);
    EXPECT_EQ(KeyRow(L"AB"), -1);
    EXPECT_TRUE(ValueExists(L"A", L"s1")) << "removing touches only the list";
    EXPECT_EQ(Pane(0), std::to_wstring(rows - 3) + L" item(s) shown");

    MessageBoxCloser closer(IDOK);
    Command(ID_EDIT_REMOVE);
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].text, L"Check mark items to remove");

    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(Rows(), rows);
}

TEST_F(ActionsTest, TheKeyFilterListsItsKeyAndNotItsLookalikeSibling) {
    BuildTree();
    SearchAll();
    view->RebuildList(L"HKEY_CURRENT_USER\\" + kBase + L"\\A");
    ASSERT_GT(Rows(), 0);
    for (int row = 0; row < Rows(); ++row) {
        const std::wstring path = RecordAt(row).KeyPath();
        EXPECT_TRUE(path == kBase + L"\\A" || path.rfind(kBase + L"\\A\\", 0) == 0) << path;
    }
    EXPECT_EQ(KeyRow(L"AB"), -1);
    EXPECT_EQ(RowOf(L"AB", L"x"), -1);
}

TEST_F(ActionsTest, CheckAllUncheckAllAndInvert) {
    BuildTree();
    SearchAll();
    auto checkedRows = [&] {
        int n = 0;
        for (int row = 0; row < Rows(); ++row) {
            n += List().GetCheck(row) ? 1 : 0;
        }
        return n;
    };
    // Ctrl+A goes to the frame, which hands it back as the command.
    Press('A', true);
    EXPECT_EQ(frameCommands, std::vector<WORD>{ID_EDIT_MARK_ALL});
    EXPECT_EQ(checkedRows(), Rows());
    Command(ID_EDIT_MARK_NONE);
    EXPECT_EQ(checkedRows(), 0);
    List().SetCheck(0, TRUE);
    Command(ID_EDIT_MARK_INVERT);
    EXPECT_EQ(checkedRows(), Rows() - 1);
    EXPECT_FALSE(List().GetCheck(0));
    // A plain A is no shortcut.
    Press('A');
    EXPECT_EQ(frameCommands.size(), 1u);
}

TEST_F(ActionsTest, CopiesGoToTheClipboardOnlyWithASelection) {
    BuildTree();
    SearchAll();
    PutOnClipboard(L"before");
    Press('C', true);
    Command(ID_EDIT_COPY_SELECTED);
    Command(ID_EDIT_COPY_VALUE);
    EXPECT_EQ(ClipboardText(), L"before");

    Click(RowOf(L"A", L"s1"));
    Press('C', true);
    EXPECT_EQ(ClipboardText(), L"HKEY_CURRENT_USER\\" + kBase + L"\\A");
    Command(ID_EDIT_COPY_VALUE);
    EXPECT_EQ(ClipboardText(), L"s1");
    Command(ID_EDIT_COPY_SELECTED);
    EXPECT_EQ(ClipboardText(), L"HKEY_CURRENT_USER\\" + kBase + L"\\A, s1, one");

    // A key result has no value name: nothing is copied for it.
    Click(KeyRow(L"B"));
    Command(ID_EDIT_COPY_VALUE);
    EXPECT_EQ(ClipboardText(), L"HKEY_CURRENT_USER\\" + kBase + L"\\A, s1, one");
    Command(ID_EDIT_COPY_SELECTED);
    EXPECT_EQ(ClipboardText(), L"HKEY_CURRENT_USER\\" + kBase + L"\\B, , ");
}

TEST_F(ActionsTest, DownArrowThenDeleteDeletesTheKeyAfterConfirmation) {
    BuildTree();
    SearchAll();
    const int target = KeyRow(L"B");
    ASSERT_GT(target, 0);
    Click(target - 1);
    Press(VK_DOWN);
    ASSERT_EQ(List().GetSelectedIndex(), target);
    MessageBoxCloser closer(IDYES, L"Delete key");
    Press(VK_DELETE);
    EXPECT_EQ(closer.Seen().size(), 1u);
    EXPECT_FALSE(KeyExists(L"B"));
    EXPECT_EQ(KeyRow(L"B"), -1);
    EXPECT_EQ(GetFocus(), List().m_hWnd);
}

TEST_F(ActionsTest, OpenFileLocationOpensOnlyAnExistingFolder) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = temp;
    if (folder.back() == L'\\') {
        folder.pop_back();
    }
    const std::wstring file = folder + L"\\quillon_actions_tool.exe";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    SetString(L"F", L"good", folder + L"\\tool.exe");
    SetString(L"F", L"evil", file + L"\\x");
    SetString(L"F", L"expand", L"%TEMP%\\x.dll", REG_EXPAND_SZ);
    SearchAll();
    std::vector<std::wstring> opened;
    view->Actions().openFolder = [&](HWND, const std::wstring& path) {
        opened.push_back(path);
        return true;
    };
    auto offered = [&](const wchar_t* value) {
        Click(RowOf(L"F", value));
        view->Actions().PrepareFileLocation();
        return ContextMenuStatesFor(ID_OPEN_FILE_LOCATION);
    };
    EXPECT_TRUE(offered(L"good"));
    Command(ID_OPEN_FILE_LOCATION);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(_wcsicmp(opened[0].c_str(), folder.c_str()), 0);

    // Fault guarded against: a location whose folder part names a file opened (ran) that file.
    EXPECT_FALSE(offered(L"evil"));
    Command(ID_OPEN_FILE_LOCATION);
    EXPECT_TRUE(view->Actions().OpenFileLocation() == false);
    EXPECT_EQ(opened.size(), 1u);

    wchar_t expanded[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%TEMP%", expanded, MAX_PATH);
    if (GetFileAttributesW(expanded) & FILE_ATTRIBUTE_DIRECTORY) {
        EXPECT_TRUE(offered(L"expand"));
    }
    DeleteFileW(file.c_str());
}
