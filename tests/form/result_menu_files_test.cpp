// The results context menu as it opens over the real view, checked against the frame's command states;
// Save and Export as .REG end to end with the file dialog answered; and a registry script exported, deleted
// and imported again by the system's own reg.exe.
#include "output/list_save.h"
#include "base/settings.h"
#include "tests/common/message_box_closer.h"
#include "tests/common/modal_driver.h"
#include "tests/form/actions_fixture.h"
#include "tests/common/file_test_support.h"

#include <map>
#include <tuple>

using namespace actionstest;
using testsupport::MessageBoxCloser;
using testsupport::ModalDriver;

namespace {

// The states of the context menu while it is open: read from inside its modal loop, then closed.
class MenuReader {
public:
    MenuReader() {
        g_reader = this;
        timer_ = SetTimer(nullptr, 0, 50, &Tick);
    }
    ~MenuReader() {
        KillTimer(nullptr, timer_);
        g_reader = nullptr;
    }
    bool opened = false;
    std::map<UINT, bool> states;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!g_reader || !menuWindow || g_reader->opened) {
            return;
        }
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        g_reader->opened = menu != nullptr;
        for (UINT id : kCommands) {
            const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
            if (state != static_cast<UINT>(-1)) {
                g_reader->states[id] = (state & (MF_GRAYED | MF_DISABLED)) == 0;
            }
        }
        EndMenu();
    }
    static constexpr UINT kCommands[] = {
        ID_FILE_OPEN_REGEDIT,    ID_OPEN_FILE_LOCATION, ID_GOTO_KEY_BROWSER,     ID_EDIT_COPY,
        ID_EDIT_COPY_VALUE,      ID_EDIT_COPY_SELECTED, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED,
        ID_EDIT_REMOVE_SELECTED, ID_EDIT_MARK_ALL,      ID_EDIT_MARK_NONE,       ID_EDIT_MARK_INVERT,
        ID_EDIT_DELETE_CHECKED,  ID_EDIT_REMOVE,        ID_FILE_EXPORT,          ID_VIEW_REFRESH};
    static inline MenuReader* g_reader = nullptr;
    UINT_PTR timer_ = 0;
};

// Types the file name into the save dialog and presses Save.
std::function<void(HWND)> Answer(const std::wstring& path) {
    return [path](HWND dialog) {
        for (int id : {0x47c, 0x480}) { // the file-name combo box and edit field
            if (HWND field = GetDlgItem(dialog, id)) {
                SetWindowTextW(field, path.c_str());
            }
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

using Snapshot = std::map<std::wstring, std::tuple<DWORD, std::vector<BYTE>>>;

// Every key and value below path, by full name ("key" or "key" + ":" + value name).
void Capture(HKEY parent, const std::wstring& path, Snapshot& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    out[path] = {0, {}};
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameChars = 512;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof data;
        if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data, &size) != ERROR_SUCCESS) {
            break;
        }
        out[path + L":" + std::wstring(name, nameChars)] = {type, std::vector<BYTE>(data, data + size)};
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameChars = 512;
        if (RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        Capture(parent, path + L"\\" + name, out);
    }
    RegCloseKey(key);
}

} // namespace

class MenuTest : public ActionsTest {
protected:
    std::map<UINT, bool> OpenMenu() {
        List().SetFocus();
        MenuReader reader;
        view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List().m_hWnd), MAKELPARAM(-1, -1));
        EXPECT_TRUE(reader.opened);
        return reader.states;
    }
    // The open menu shows exactly the rule set's context-menu states, and never enables what the frame's
    // states disable.
    std::map<UINT, bool> Expect(const std::map<UINT, bool>& shown) {
        const CommandStateInputs inputs = view->CommandInputs();
        std::map<UINT, bool> frame;
        for (const CommandEnabled& state : ComputeCommandStates(inputs)) {
            frame[state.id] = state.enabled;
        }
        for (const CommandEnabled& state : ContextMenuStates(inputs)) {
            if (shown.count(state.id)) {
                EXPECT_EQ(shown.at(state.id), state.enabled) << state.id;
                if (shown.at(state.id) && frame.count(state.id)) {
                    EXPECT_TRUE(frame.at(state.id)) << state.id;
                }
            }
        }
        EXPECT_EQ(shown.size(), 16u);
        return shown;
    }
};

TEST_F(MenuTest, TheContextMenuFollowsTheSelectionAndTheList) {
    auto states = Expect(OpenMenu());
    for (const auto& [id, enabled] : states) {
        EXPECT_EQ(enabled, id == ID_VIEW_REFRESH) << "empty list: " << id;
    }

    BuildTree();
    SearchAll();
    states = Expect(OpenMenu());
    for (UINT id : {ID_FILE_OPEN_REGEDIT, ID_EDIT_COPY, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED}) {
        EXPECT_FALSE(states.at(id)) << "no selection: " << id;
    }
    EXPECT_TRUE(states.at(ID_EDIT_MARK_ALL));
    EXPECT_TRUE(states.at(ID_FILE_EXPORT));

    Click(KeyRow(L"A"));
    states = Expect(OpenMenu());
    EXPECT_FALSE(states.at(ID_EDIT_DELETE_SELECTED));
    EXPECT_FALSE(states.at(ID_EDIT_COPY_VALUE));
    EXPECT_TRUE(states.at(ID_EDIT_DELETE_KEY_SELECTED));
    EXPECT_TRUE(states.at(ID_GOTO_KEY_BROWSER));

    Click(RowOf(L"A", L"s1"));
    states = Expect(OpenMenu());
    EXPECT_TRUE(states.at(ID_EDIT_DELETE_SELECTED));
    EXPECT_TRUE(states.at(ID_EDIT_COPY_VALUE));
    EXPECT_FALSE(states.at(ID_OPEN_FILE_LOCATION));

    WriteSettingDword(kSettingsSubKey, kKeyTree, 0);
    EXPECT_FALSE(Expect(OpenMenu()).at(ID_GOTO_KEY_BROWSER));
}

TEST_F(MenuTest, RemoteResultsOfferNoDeleteOpenOrCopy) {
    BuildTree();
    SearchAll(viewtest::ComputerName());
    Click(RowOf(L"A", L"s1"));
    const auto states = Expect(OpenMenu());
    for (UINT id : {ID_EDIT_DELETE_SELECTED, ID_FILE_OPEN_REGEDIT, ID_EDIT_COPY, ID_EDIT_COPY_SELECTED,
                    ID_EDIT_COPY_VALUE, ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_DELETE_CHECKED, ID_FILE_EXPORT}) {
        EXPECT_FALSE(states.at(id)) << id;
    }
    EXPECT_TRUE(states.at(ID_EDIT_MARK_ALL));
}

// ---- Save and Export as .REG through the commands

TEST_F(ActionsTest, SaveAndExportRefuseWhatTheyCannotWrite) {
    MessageBoxCloser closer(IDOK);
    Command(ID_FILE_SAVE);
    Command(ID_FILE_EXPORT);
    BuildTree();
    SearchAll();
    Command(ID_FILE_EXPORT);
    ASSERT_EQ(closer.Seen().size(), 3u);
    EXPECT_EQ(closer.Seen()[0].text, L"No items to save");
    EXPECT_EQ(closer.Seen()[1].text, L"No items to export");
    EXPECT_EQ(closer.Seen()[2].text, L"Please check mark items to export");
}

TEST_F(ActionsTest, SaveWritesEveryListedRowToTheChosenFile) {
    BuildTree();
    SearchAll();
    Click(RowOf(L"A", L"d1"));
    Command(ID_EDIT_REMOVE_SELECTED);
    filetest::ScratchFolder folder;
    const std::wstring path = folder.File(L"list.tsv");
    {
        ModalDriver driver(L"Save As", Answer(path));
        Command(ID_FILE_SAVE);
        ASSERT_TRUE(driver.Ran());
        ASSERT_FALSE(driver.TimedOut());
    }
    std::wstring expected = ListSaveHeading(ListLayout::TabSeparated);
    for (int row = 0; row < Rows(); ++row) {
        expected += ListSaveRow(ListLayout::TabSeparated, RecordAt(row));
    }
    std::wstring crlf;
    for (wchar_t c : expected) {
        crlf += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(path), filetest::Utf16Bytes(crlf));
    EXPECT_EQ(filetest::FileText(path).find(L"\"d1\""), std::wstring::npos) << "a removed row is not saved";
    EXPECT_NE(
        filetest::FileText(path).find(L"\"HKEY_CURRENT_USER\"\t\"" + kBase + L"\\A\"\t\"s1\"\t\"one\"\t\"REG_SZ\""),
        std::wstring::npos);
}

TEST_F(ActionsTest, ExportWritesTheCheckedResultsFromTheRegistry) {
    BuildTree();
    SearchAll();
    List().SetCheck(RowOf(L"B", L"gone"), TRUE);
    List().SetCheck(KeyRow(L"A"), TRUE);
    List().SetCheck(RowOf(L"A\\Sub", L"s2"), TRUE); // inside A: exported once, with A
    filetest::ScratchFolder folder;
    const std::wstring path = folder.File(L"checked.reg");
    {
        ModalDriver driver(L"Save As", Answer(path));
        Command(ID_FILE_EXPORT);
        ASSERT_TRUE(driver.Ran());
    }
    const std::wstring line = L"[HKEY_CURRENT_USER\\" + kBase;
    // In display order: the key A (with A\Sub inside it), then the value of B; values as the registry
    // enumerates them.
    ASSERT_LT(KeyRow(L"A"), RowOf(L"B", L"gone"));
    const std::wstring expected = L"Windows Registry Editor Version 5.00\r\n\r\n" + line + L"\\A]\r\n" +
                                  L"\"d1\"=dword:00000001\r\n\"s1\"=\"one\"\r\n\r\n" + line +
                                  L"\\A\\Sub]\r\n\"s2\"=\"two\"\r\n\r\n" + line + L"\\B]\r\n\"gone\"=\"soon\"\r\n\r\n";
    EXPECT_EQ(testsupport::ReadFileBytes(path), filetest::Utf16Bytes(expected)) << filetest::FileText(path);
}

// ---- round trip through the system's reg.exe

TEST_F(ActionsTest, AnExportedTreeComesBackWholeThroughRegImport) {
    const std::wstring odd = L"odd \"quoted\" back\\slash \x00fc\x4e2d";
    SetString(L"T", L"", L"");
    SetString(L"T", odd, L"data \"q\" \\ \x00e9\x4e2d");
    SetString(L"T", L"expand", L"%TEMP%\\x", REG_EXPAND_SZ);
    const wchar_t multi[] = L"one\0two \"2\"\0\0";
    Set(L"T", L"multi", REG_MULTI_SZ, multi, sizeof multi);
    std::vector<BYTE> binary(100);
    for (size_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<BYTE>(i * 7);
    }
    Set(L"T", L"binary", REG_BINARY, binary.data(), binary.size());
    Set(L"T", L"empty binary", REG_BINARY, nullptr, 0);
    const DWORD number = 0xdeadbeef;
    Set(L"T", L"dword", REG_DWORD, &number, sizeof number);
    Set(L"T", L"short dword", REG_DWORD, "\x01\x02\x03", 3);
    Set(L"T", L"big endian", REG_DWORD_BIG_ENDIAN, "\x01\x02\x03\x04", 4);
    const unsigned long long wide = 0x0123456789abcdefULL;
    Set(L"T", L"qword", REG_QWORD, &wide, sizeof wide);
    Set(L"T", L"none", REG_NONE, "\x05", 1);
    Set(L"T", L"resource list", REG_RESOURCE_LIST, "\x01\x00", 2);
    SetString(L"T\\Sub \x00e4\\Deeper", L"back\\", L"\\");
    SetString(L"T\\Empty", L"", L"");

    Snapshot before;
    Capture(HKEY_CURRENT_USER, kBase + L"\\T", before);
    ASSERT_GE(before.size(), 17u);

    SearchAll();
    List().SetCheck(KeyRow(L"T"), TRUE);
    filetest::ScratchFolder folder;
    const std::wstring path = folder.File(L"tree.reg");
    {
        ModalDriver driver(L"Save As", Answer(path));
        Command(ID_FILE_EXPORT);
        ASSERT_TRUE(driver.Ran());
    }
    ASSERT_TRUE(testsupport::FileExists(path));

    testsupport::DeleteKey(kBase + L"\\T");
    ASSERT_FALSE(KeyExists(L"T"));
    ASSERT_EQ(testsupport::RunReg(L"import \"" + path + L"\""), 0u) << filetest::FileText(path);

    Snapshot after;
    Capture(HKEY_CURRENT_USER, kBase + L"\\T", after);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, value] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_EQ(std::get<0>(after.at(name)), std::get<0>(value)) << name;
        EXPECT_EQ(std::get<1>(after.at(name)), std::get<1>(value)) << name;
    }
}
