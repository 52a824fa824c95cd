#include "results/regedit_keys.h"
#include "results/regedit_launch.h"
#include "base/win_handles.h"
#include "tests/common/test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------------
// The remembered key

TEST(RegEditLastKey, KeepsTheEditorsOwnNameOfItsTopItem) {
    EXPECT_EQ(LastKeyTopItem(L"Arbeitsplatz\\HKEY_LOCAL_MACHINE\\SOFTWARE"), L"Arbeitsplatz");
    EXPECT_EQ(LastKeyTopItem(L"Computer\\HKEY_CURRENT_USER"), L"Computer");
    EXPECT_EQ(MakeLastKey(LastKeyTopItem(L"Ordinateur\\HKEY_USERS\\.DEFAULT"), L"HKEY_CURRENT_USER", L"Software\\A"),
              L"Ordinateur\\HKEY_CURRENT_USER\\Software\\A");
}

TEST(RegEditLastKey, MissingEmptyOrNamelessValuesStartAtComputer) {
    EXPECT_EQ(LastKeyTopItem(std::nullopt), L"Computer");
    EXPECT_EQ(LastKeyTopItem(L""), L"Computer");
    EXPECT_EQ(LastKeyTopItem(L"\\HKEY_CURRENT_USER\\Software"), L"Computer");
    EXPECT_EQ(LastKeyTopItem(std::wstring(L"\0Junk\\X", 7)), L"Computer");
}

// Guards against a value without any backslash: it names only the top item and is kept whole.
TEST(RegEditLastKey, ValueWithoutBackslashIsTheTopItemItself) {
    EXPECT_EQ(LastKeyTopItem(L"Mein Computer"), L"Mein Computer");
    EXPECT_EQ(MakeLastKey(LastKeyTopItem(L"Mein Computer"), L"HKEY_USERS", L".DEFAULT"),
              L"Mein Computer\\HKEY_USERS\\.DEFAULT");
}

// Guards against naming the hive twice when the old value starts at a hive rather than a top item.
TEST(RegEditLastKey, ValueStartingAtAHiveGetsNoTopItem) {
    EXPECT_EQ(LastKeyTopItem(L"HKEY_LOCAL_MACHINE\\SOFTWARE"), L"");
    EXPECT_EQ(LastKeyTopItem(L"hkey_users"), L"");
    EXPECT_EQ(MakeLastKey(LastKeyTopItem(L"HKEY_CURRENT_USER\\Software"), L"HKEY_USERS", L".DEFAULT\\X"),
              L"HKEY_USERS\\.DEFAULT\\X");
}

TEST(RegEditLastKey, RootWithoutKeyPathHasNoTrailingBackslash) {
    EXPECT_EQ(MakeLastKey(L"Computer", L"HKEY_CLASSES_ROOT", L""), L"Computer\\HKEY_CLASSES_ROOT");
}

// ---------------------------------------------------------------------------------------------------
// Keystrokes

std::vector<KeyStroke> Typed(const std::wstring& text) {
    std::vector<KeyStroke> strokes;
    for (wchar_t c : text) {
        strokes.push_back({WM_CHAR, static_cast<WPARAM>(c), 0});
    }
    return strokes;
}

TEST(RegEditKeystrokes, TreeCollapsesThenExpandsOncePerBackslashAndTypesUpperCase) {
    const std::wstring path = RegEditTreePath(L"HKEY_CURRENT_USER", L"Software\\Vendör");
    EXPECT_EQ(path, L"\\HKEY_CURRENT_USER\\Software\\Vendör");
    const std::vector<KeyStroke> strokes = TreeKeystrokes(path, true);

    std::vector<KeyStroke> expected(30, KeyStroke{WM_KEYDOWN, VK_LEFT, 0});
    expected.back().pauseMs = 200;
    expected.push_back({WM_KEYDOWN, VK_RIGHT, 1000});
    for (const KeyStroke& s : Typed(L"HKEY_CURRENT_USER")) {
        expected.push_back(s);
    }
    expected.push_back({WM_KEYDOWN, VK_RIGHT, 1000});
    for (const KeyStroke& s : Typed(L"SOFTWARE")) {
        expected.push_back(s);
    }
    expected.push_back({WM_KEYDOWN, VK_RIGHT, 1000});
    for (const KeyStroke& s : Typed(L"VENDÖR")) {
        expected.push_back(s);
    }
    EXPECT_EQ(strokes, expected);
}

// Fault guarded against: names typed without a pause between them ran together in the tree's search, so
// the walk stopped at the first level.
TEST(RegEditKeystrokes, EightBitDisplaysPauseOnlyBetweenNames) {
    for (const KeyStroke& stroke : TreeKeystrokes(RegEditTreePath(L"HKEY_USERS", L"A\\B"), false)) {
        EXPECT_EQ(stroke.pauseMs, stroke.key == VK_RIGHT ? 1000u : 0u);
    }
}

TEST(RegEditKeystrokes, LongPathsAndValueNamesAreCut) {
    const std::wstring longPath(700, L'k');
    const std::wstring path = RegEditTreePath(L"HKEY_USERS", longPath);
    EXPECT_EQ(path.size(), kRegEditTextLimit);
    EXPECT_EQ(path.substr(0, 12), L"\\HKEY_USERS\\");
    EXPECT_EQ(TreeKeystrokes(path, false).size(), 30 + kRegEditTextLimit);
    EXPECT_EQ(ValueListKeystrokes(std::wstring(600, L'v')).size(), 1 + kRegEditTextLimit);
}

TEST(RegEditKeystrokes, ValueListPressesHomeThenTypesTheName) {
    std::vector<KeyStroke> expected = {{WM_KEYDOWN, VK_HOME, 0}};
    for (const KeyStroke& s : Typed(L"PATH ÄX")) {
        expected.push_back(s);
    }
    EXPECT_EQ(ValueListKeystrokes(L"Path äx"), expected);
    // The default value, and a key result: Home alone.
    EXPECT_EQ(ValueListKeystrokes(L""), (std::vector<KeyStroke>{{WM_KEYDOWN, VK_HOME, 0}}));
}

// ---------------------------------------------------------------------------------------------------
// The real editor

const std::wstring kTestKey = L"Software\\QuillonTest\\RegEdit Target";

std::optional<std::wstring> StoredLastKey() {
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegEditSettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof text[0];
    if (RegQueryValueExW(key.Get(), kRegEditLastKey, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

// Closes the editor and waits, bounded, for its process to end, so that later tests find it closed.
bool CloseEditor(HWND editor) {
    DWORD processId = 0;
    GetWindowThreadProcessId(editor, &processId);
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    PostMessageW(editor, WM_CLOSE, 0, 0);
    return process && WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0;
}

class RealRegEdit : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(kRegEditWindowClass, nullptr), nullptr) << "an editor is already open";
        testsupport::DeleteKey(kRegEditSettingsKey);
        HKEY key = testsupport::FreshKey(kTestKey);
        ASSERT_TRUE(key);
        const wchar_t data[] = L"x";
        RegSetValueExW(key, L"Needle", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
        RegCloseKey(key);
    }
    void TearDown() override {
        if (HWND editor = FindWindowW(kRegEditWindowClass, nullptr)) {
            EXPECT_TRUE(CloseEditor(editor));
        }
        testsupport::DeleteKey(L"Software\\QuillonTest");
        testsupport::DeleteKey(kRegEditSettingsKey);
    }
};

// The editor's status bar shows the path of its selected tree item.
std::wstring EditorStatusText(HWND editor) {
    HWND status = FindWindowExW(editor, nullptr, L"msctls_statusbar32", nullptr);
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(status, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(RealRegEdit, ClosedEditorStartsAtTheRememberedKey) {
    ASSERT_EQ(StoredLastKey(), std::nullopt);
    ASSERT_TRUE(OpenRegEditAt(L"HKEY_CURRENT_USER", kTestKey, L"Needle"));
    EXPECT_EQ(StoredLastKey(), L"Computer\\HKEY_CURRENT_USER\\" + kTestKey);
    HWND editor = FindWindowW(kRegEditWindowClass, nullptr);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(IsWindowVisible(editor));

    // A running editor is walked by keystrokes; what it remembers stays as it was.
    const DWORD start = GetTickCount();
    EXPECT_TRUE(OpenRegEditAt(L"HKEY_LOCAL_MACHINE", L"Software", L""));
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(StoredLastKey(), L"Computer\\HKEY_CURRENT_USER\\" + kTestKey);
    EXPECT_EQ(FindWindowW(kRegEditWindowClass, nullptr), editor);
    EXPECT_TRUE(CloseEditor(editor));
}

BOOL CALLBACK FindValueList(HWND child, LPARAM found) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    *reinterpret_cast<HWND*>(found) = wcscmp(name, L"SysListView32") == 0 ? child : nullptr;
    return *reinterpret_cast<HWND*>(found) ? FALSE : TRUE;
}

// Fault guarded against: with the editor already open, its tree was left on the first hive's first key and
// no value was selected, since the typed characters carried no key data and ran together across names.
TEST_F(RealRegEdit, RunningEditorIsWalkedPastNamesSharingAPrefixToTheValue) {
    HKEY target = nullptr;
    for (const wchar_t* sibling : {L"Gam", L"Gamma2", L"Gamma"}) { // the last is the target
        RegCloseKey(target);
        target = testsupport::FreshKey(L"Software\\QuillonTest\\" + std::wstring(sibling));
    }
    for (const wchar_t* name : {L"Need", L"Needle", L"Needles"}) {
        RegSetValueExW(target, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    }
    RegCloseKey(target);
    ASSERT_TRUE(OpenRegEditAt(L"HKEY_LOCAL_MACHINE", L"Software", L""));
    ASSERT_TRUE(OpenRegEditAt(L"HKEY_CURRENT_USER", L"Software\\QuillonTest\\Gamma", L"Needle"));
    HWND editor = FindWindowW(kRegEditWindowClass, nullptr);
    EXPECT_TRUE(EndsWith(EditorStatusText(editor), L"\\HKEY_CURRENT_USER\\Software\\QuillonTest\\Gamma"))
        << testing::PrintToString(EditorStatusText(editor));
    // The values are listed by name after the default row, so "Needle" is the last but one.
    HWND list = nullptr;
    EnumChildWindows(editor, &FindValueList, reinterpret_cast<LPARAM>(&list));
    const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), count - 2);
    EXPECT_TRUE(CloseEditor(editor));
}

// This editor writes and reads its remembered key from the hive on, without a top item.
TEST_F(RealRegEdit, EditorRememberingFromTheHiveOpensAtTheKey) {
    HKEY settings = testsupport::FreshKey(kRegEditSettingsKey);
    ASSERT_TRUE(settings);
    const wchar_t old[] = L"HKEY_CURRENT_USER\\Software";
    RegSetValueExW(settings, kRegEditLastKey, 0, REG_SZ, reinterpret_cast<const BYTE*>(old), sizeof old);
    RegCloseKey(settings);

    ASSERT_TRUE(OpenRegEditAt(L"HKEY_CURRENT_USER", kTestKey, L"Needle"));
    EXPECT_EQ(StoredLastKey(), L"HKEY_CURRENT_USER\\" + kTestKey);
    HWND editor = FindWindowW(kRegEditWindowClass, nullptr);
    ASSERT_NE(editor, nullptr);
    // The editor shows the key by itself; this one does not select values by typed names, so only the key
    // is checked.
    std::wstring shown;
    const std::wstring expected = L"\\HKEY_CURRENT_USER\\" + kTestKey;
    EXPECT_TRUE(testsupport::PumpUntil([&] { return EndsWith(shown = EditorStatusText(editor), expected); }, 5000))
        << "status bar: " << testing::PrintToString(shown);
    EXPECT_TRUE(CloseEditor(editor));
}

} // namespace
