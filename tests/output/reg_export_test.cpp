// The registry export: the export list's de-duplication, the text of each value, and whole files exported
// from keys this test creates under HKCU\Software\QuillonTestExport.
#include "output/reg_export.h"
#include "output/reg_value_text.h"
#include "base/win_handles.h"
#include "tests/common/file_test_support.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <map>
#include <string>
#include <vector>

namespace {

using filetest::ScratchFolder;
using filetest::Utf16Bytes;
using testsupport::FileExists;
using testsupport::ReadFileBytes;

const std::wstring kBase = L"Software\\QuillonTestExport";
const std::wstring kBaseLine = L"[HKEY_CURRENT_USER\\Software\\QuillonTestExport";
const std::wstring kHeader = L"Windows Registry Editor Version 5.00\r\n\r\n";

std::wstring Crlf(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        out += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    return out;
}

std::wstring Item(const std::wstring& name, DWORD type, const std::wstring& text) {
    return RegValueItem(name, type, reinterpret_cast<const BYTE*>(text.data()), text.size() * sizeof(wchar_t));
}
std::wstring Item(const std::wstring& name, DWORD type, const std::vector<BYTE>& bytes) {
    return RegValueItem(name, type, bytes.data(), bytes.size());
}
std::vector<BYTE> Counting(size_t count) {
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<BYTE>(i);
    }
    return bytes;
}

// ---- the export list ----

ExportEntry Key(const wchar_t* path, HKEY root = HKEY_CURRENT_USER) {
    return {root, path, L"", false};
}
ExportEntry Value(const wchar_t* path, const wchar_t* name) {
    return {HKEY_CURRENT_USER, path, name, true};
}

std::vector<std::wstring> Describe(const std::vector<ExportEntry>& entries) {
    std::vector<std::wstring> described;
    for (const ExportEntry& e : entries) {
        described.push_back((e.root == HKEY_CURRENT_USER ? L"HKCU:" : L"other:") + e.keyPath +
                            (e.valueOnly ? L"=" + e.valueName : L""));
    }
    return described;
}
using Described = std::vector<std::wstring>;

TEST(RegExportList, AListedKeyCoversItselfAndEverythingBelowIt) {
    std::vector<ExportEntry> entries;
    EXPECT_TRUE(AddExportEntry(entries, Key(L"Software\\A")));
    EXPECT_FALSE(AddExportEntry(entries, Key(L"SOFTWARE\\a")));
    EXPECT_FALSE(AddExportEntry(entries, Key(L"software\\A\\Deeper")));
    EXPECT_FALSE(AddExportEntry(entries, Value(L"Software\\A", L"v")));
    EXPECT_TRUE(AddExportEntry(entries, Key(L"Software\\A", HKEY_LOCAL_MACHINE)));
    EXPECT_EQ(Describe(entries), (Described{L"HKCU:Software\\A", L"other:Software\\A"}));
}

// Fault guarded against: a plain prefix test let Software\A cover its sibling Software\AB, which then
// was missing from the file.
TEST(RegExportList, ASiblingWhoseNameStartsAlikeIsNotCovered) {
    std::vector<ExportEntry> entries;
    AddExportEntry(entries, Key(L"Software\\A"));
    EXPECT_TRUE(AddExportEntry(entries, Key(L"Software\\AB")));
    EXPECT_TRUE(AddExportEntry(entries, Key(L"Software")));
    EXPECT_EQ(Describe(entries), (Described{L"HKCU:Software"}));
}

TEST(RegExportList, AParentReplacesListedKeysButNeverListedValues) {
    std::vector<ExportEntry> entries;
    AddExportEntry(entries, Value(L"Software\\A\\B", L"v"));
    AddExportEntry(entries, Value(L"Software\\A\\B", L"w"));
    AddExportEntry(entries, Key(L"Software\\A\\C"));
    AddExportEntry(entries, Key(L"Software\\Z"));
    AddExportEntry(entries, Key(L"Software\\A"));
    EXPECT_EQ(Describe(entries), (Described{L"HKCU:Software\\A\\B=v", L"HKCU:Software\\A\\B=w", L"HKCU:Software\\Z",
                                            L"HKCU:Software\\A"}));
}

TEST(RegExportList, OnlyCheckedRowsWithRecordsBecomeEntries) {
    SearchResult parent{HKEY_CURRENT_USER, L"Software\\P"};
    parent.kind = RK_KEY | RK_KEY_NAME;
    SearchResult child{HKEY_CURRENT_USER, L"Software\\P\\C"};
    child.kind = RK_KEY | RK_KEY_NAME;
    SearchResult value{HKEY_CURRENT_USER, L"Software\\Q", L"name"};
    value.kind = RK_VALUE_NAME;
    SearchResult removed = value;
    removed.removed = true;
    const auto entries = ExportEntriesFromRows(
        {{true, &child}, {false, &value}, {true, nullptr}, {true, &parent}, {true, &value}, {true, &removed}});
    EXPECT_EQ(Describe(entries), (Described{L"HKCU:Software\\P", L"HKCU:Software\\Q=name"}));
}

// ---- value text ----

// Fault guarded against: strings that a quoted string cannot restore (a NUL inside, no final NUL, an odd
// size, a line break) were written quoted and cut or broken on import.
TEST(RegValueText, StringsAreQuotedOnlyWhenTheQuotesRestoreTheirBytes) {
    EXPECT_EQ(Item(L"Path", REG_SZ, std::wstring(L"C:\\dir \"q\"\0", 11)), L"\"Path\"=\"C:\\\\dir \\\"q\\\"\"\n");
    EXPECT_EQ(Item(L"", REG_SZ, std::wstring(L"dflt\0", 5)), L"@=\"dflt\"\n");
    EXPECT_EQ(Item(L"s", REG_SZ, std::wstring(L"a\0b\0", 4)), L"\"s\"=hex(1):61,00,00,00,62,00,00,00\n");
    EXPECT_EQ(Item(L"s", REG_SZ, std::wstring(L"a\nb\0", 4)), L"\"s\"=hex(1):61,00,0a,00,62,00,00,00\n");
    EXPECT_EQ(Item(L"e", REG_SZ, std::vector<BYTE>{}), L"\"e\"=hex(1):\n");
}

// Fault guarded against: a value name holding a quote or a backslash was written as it is, so importing
// the script cut the name short at the quote or read the backslash as an escape.
TEST(RegValueText, ValueNamesAreEscapedLikeStrings) {
    EXPECT_EQ(Item(L"say \"hi\"", REG_SZ, std::wstring(L"x\0", 2)), L"\"say \\\"hi\\\"\"=\"x\"\n");
    EXPECT_EQ(Item(L"a\\b", REG_DWORD, std::vector<BYTE>{1, 0, 0, 0}), L"\"a\\\\b\"=dword:00000001\n");
}

// Fault guarded against: string data without a terminator, or of an odd size, was read past its end.
TEST(RegValueText, StringDataIsNeverReadPastItsSize) {
    const wchar_t buffer[] = L"abcdZZZZ";
    const BYTE* bytes = reinterpret_cast<const BYTE*>(buffer);
    EXPECT_EQ(RegValueItem(L"n", REG_SZ, bytes, 8), L"\"n\"=hex(1):61,00,62,00,63,00,64,00\n");
    EXPECT_EQ(RegValueItem(L"n", REG_SZ, bytes, 7), L"\"n\"=hex(1):61,00,62,00,63,00,64\n");
    EXPECT_EQ(RegValueItem(L"n", REG_SZ, bytes, 1), L"\"n\"=hex(1):61\n");
}

TEST(RegValueText, NumbersAndByteListsOfEveryType) {
    EXPECT_EQ(Item(L"D", REG_DWORD, std::vector<BYTE>{1, 0, 0, 0}), L"\"D\"=dword:00000001\n");
    EXPECT_EQ(Item(L"D", REG_DWORD, std::vector<BYTE>{0xef, 0xbe, 0xad, 0xde}), L"\"D\"=dword:deadbeef\n");
    EXPECT_EQ(Item(L"X", REG_EXPAND_SZ, std::wstring(L"%X%\0", 4)), L"\"X\"=hex(2):25,00,58,00,25,00,00,00\n");
    EXPECT_EQ(Item(L"M", REG_MULTI_SZ, std::wstring(L"a\0\0", 3)), L"\"M\"=hex(7):61,00,00,00,00,00\n");
    EXPECT_EQ(Item(L"Q", REG_QWORD, Counting(8)), L"\"Q\"=hex(b):00,01,02,03,04,05,06,07\n");
    EXPECT_EQ(Item(L"N", REG_NONE, std::vector<BYTE>{}), L"\"N\"=hex(0):\n");
    EXPECT_EQ(Item(L"B", REG_BINARY, std::vector<BYTE>{0xAB}), L"\"B\"=hex:ab\n");
}

// Fault guarded against: a REG_DWORD that is not 4 bytes long wrote its name part only, so the next value
// ran on in the same line and its data was lost.
TEST(RegValueText, DwordOfAnotherSizeIsWrittenAsItsBytes) {
    EXPECT_EQ(Item(L"D3", REG_DWORD, std::vector<BYTE>{1, 2, 3}), L"\"D3\"=hex(4):01,02,03\n");
    EXPECT_EQ(Item(L"D0", REG_DWORD, std::vector<BYTE>{}), L"\"D0\"=hex(4):\n");
}

TEST(RegValueText, LongByteListsWrapAfterColumn75) {
    EXPECT_EQ(Item(L"Data", REG_BINARY, Counting(30)),
              L"\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
              L"  16,17,18,19,1a,1b,1c,1d\n");
    // Continuation lines hold 25 groups; no line ends in a lone backslash before the last byte.
    const std::wstring item = Item(L"Data", REG_BINARY, Counting(100));
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < item.size();) {
        const size_t end = item.find(L'\n', start);
        lines.push_back(item.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], L"  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\");
    EXPECT_EQ(lines[3], L"  48,49,4a,4b,4c,4d,4e,4f,50,51,52,53,54,55,56,57,58,59,5a,5b,5c,5d,5e,5f,60,\\");
    EXPECT_EQ(lines[4], L"  61,62,63");
}

// ---- files from the live registry ----

class RegExportFile : public testing::Test {
protected:
    void SetUp() override { RegCloseKey(testsupport::FreshKey(kBase)); }
    void TearDown() override { testsupport::DeleteKey(kBase); }

    static KeyHandle Create(const std::wstring& relative) {
        KeyHandle key;
        RegCreateKeyExW(HKEY_CURRENT_USER, (kBase + L"\\" + relative).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.Receive(), nullptr);
        return key;
    }
    static void Set(const std::wstring& relative, const wchar_t* name, DWORD type, const void* data, size_t size) {
        KeyHandle key = Create(relative);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    static void SetText(const std::wstring& relative, const wchar_t* name, const std::wstring& text) {
        Set(relative, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    static void SetDword(const std::wstring& relative, const wchar_t* name, DWORD value) {
        Set(relative, name, REG_DWORD, &value, sizeof value);
    }
    static ExportEntry KeyEntry(const std::wstring& relative) {
        return {HKEY_CURRENT_USER, kBase + L"\\" + relative, L"", false};
    }
    static ExportEntry ValueEntry(const std::wstring& relative, const wchar_t* name) {
        return {HKEY_CURRENT_USER, kBase + L"\\" + relative, name, true};
    }
    RegExportResult Export(const std::vector<ExportEntry>& entries) { return ExportToRegFile(entries, path_); }
    std::string Expected(const std::wstring& blocks) const { return Utf16Bytes(kHeader + Crlf(blocks)); }

    ScratchFolder folder_;
    const std::wstring path_ = folder_.File(L"export.reg");
};

TEST_F(RegExportFile, KeyResultExportsItsValuesThenEachSubkeyBlock) {
    SetText(L"X", L"A", L"hello");
    SetDword(L"X\\S", L"D", 1);
    const RegExportResult result = Export({KeyEntry(L"X")});
    EXPECT_EQ(result.status, RegExportStatus::Written);
    EXPECT_EQ(result.keysWritten, 2u);
    EXPECT_EQ(ReadFileBytes(path_),
              Expected(kBaseLine + L"\\X]\n\"A\"=\"hello\"\n\n" + kBaseLine + L"\\X\\S]\n\"D\"=dword:00000001\n\n"))
        << filetest::FileText(path_);
}

TEST_F(RegExportFile, ValueResultExportsItsKeyLineAndOnlyThatValue) {
    SetText(L"X", L"", L"default \\ \"text\"");
    SetText(L"X", L"A", L"a");
    SetText(L"X", L"Ab", L"ab");
    SetDword(L"X\\S", L"D", 1);
    EXPECT_EQ(Export({ValueEntry(L"X", L""), ValueEntry(L"X", L"Ab")}).keysWritten, 2u);
    EXPECT_EQ(ReadFileBytes(path_), Expected(kBaseLine + L"\\X]\n@=\"default \\\\ \\\"text\\\"\"\n\n" + kBaseLine +
                                             L"\\X]\n\"Ab\"=\"ab\"\n\n"))
        << filetest::FileText(path_);
}

TEST_F(RegExportFile, CheckedKeyAndSubkeyAreExportedOnceInEitherOrder) {
    SetText(L"K", L"v", L"1");
    SetText(L"K\\Sub", L"w", L"2");
    const std::wstring blocks = kBaseLine + L"\\K]\n\"v\"=\"1\"\n\n" + kBaseLine + L"\\K\\Sub]\n\"w\"=\"2\"\n\n";
    for (bool subkeyFirst : {false, true}) {
        std::vector<ExportEntry> entries;
        AddExportEntry(entries, KeyEntry(subkeyFirst ? L"K\\Sub" : L"K"));
        AddExportEntry(entries, KeyEntry(subkeyFirst ? L"K" : L"K\\Sub"));
        ASSERT_EQ(Export(entries).status, RegExportStatus::Written);
        EXPECT_EQ(ReadFileBytes(path_), Expected(blocks)) << "subkey first: " << subkeyFirst;
    }
}

TEST_F(RegExportFile, BinaryAndExpandStringValuesFromTheRegistry) {
    const auto bytes = Counting(30);
    Set(L"B", L"Data", REG_BINARY, bytes.data(), bytes.size());
    Set(L"E", L"Path", REG_EXPAND_SZ, L"%X%", 8);
    ASSERT_EQ(Export({KeyEntry(L"B"), KeyEntry(L"E")}).keysWritten, 2u);
    EXPECT_EQ(ReadFileBytes(path_), Expected(kBaseLine + L"\\B]\n" + Item(L"Data", REG_BINARY, bytes) + L"\n" +
                                             kBaseLine + L"\\E]\n\"Path\"=hex(2):25,00,58,00,25,00,00,00\n\n"));
}

// Every value of HKCU\<path> by name: type and bytes.
std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> ReadValues(const std::wstring& path) {
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> values;
    KeyHandle key;
    RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Receive());
    wchar_t name[256];
    BYTE data[4096];
    DWORD chars = 256, type = 0, size = sizeof data;
    for (DWORD i = 0; RegEnumValueW(key.Get(), i, name, &chars, nullptr, &type, data, &size) == ERROR_SUCCESS; ++i) {
        values[std::wstring(name, chars)] = {type, std::vector<BYTE>(data, data + size)};
        chars = 256, size = sizeof data;
    }
    return values;
}

// Fault guarded against: a name holding a NUL, strings that quotes cannot carry and numbers of the wrong size
// were written so that the system's import lost or changed them, and every value after the NUL-named one.
TEST_F(RegExportFile, SystemImportRestoresEveryWrittenValueByteForByte) {
    const BYTE bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const struct {
        std::wstring name;
        DWORD type;
        std::wstring text; // the data's characters, or its first `size` bytes of `bytes` when text is empty
        size_t size;
    } values[] = {
        {L"", REG_SZ, std::wstring(L"default\0", 8)},
        {L"quote \"q\" \\ back", REG_SZ, std::wstring(L"C:\\x \"y\"\0", 10)},
        {std::wstring(L"nul\0name", 8), REG_SZ, std::wstring(L"x\0", 2)},
        {L"crlf", REG_SZ, std::wstring(L"a\r\nb\0", 5)},
        {L"lf", REG_SZ, std::wstring(L"a\nb\0", 4)},
        {L"unterminated", REG_SZ, L"abc"},
        {L"odd", REG_SZ, L"", 5},
        {L"empty", REG_SZ, L"", 0},
        {L"inner nul", REG_SZ, std::wstring(L"ab\0cd\0", 6)},
        {L"dword", REG_DWORD, L"", 4},
        {L"dword3", REG_DWORD, L"", 3},
        {L"dword0", REG_DWORD, L"", 0},
        {L"qword", REG_QWORD, L"", 8},
        {L"qword5", REG_QWORD, L"", 5},
        {L"expand", REG_EXPAND_SZ, std::wstring(L"%X%\\y\0", 7)},
        {L"multi", REG_MULTI_SZ, std::wstring(L"a\0bc\0\0", 7)},
        {L"binary", REG_BINARY, std::wstring(60, L'\x1234')},
        {L"none", REG_NONE, L"", 0},
        {L"other type", 0x12345, L"", 3},
    };
    // The native call takes a counted name, which may hold a NUL.
    using SetValue = LONG(WINAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, const void*, ULONG);
    const auto ntSetValueKey = reinterpret_cast<SetValue>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey")));
    KeyHandle key = Create(L"T");
    for (const auto& v : values) {
        UNICODE_STRING name{static_cast<USHORT>(v.name.size() * 2), static_cast<USHORT>(v.name.size() * 2),
                            const_cast<wchar_t*>(v.name.data())};
        const size_t size = v.text.empty() ? v.size : v.text.size() * sizeof(wchar_t);
        ASSERT_EQ(ntSetValueKey(key.Get(), &name, 0, v.type, v.text.empty() ? bytes : (void*)v.text.data(), size), 0);
    }
    key.Reset();
    auto before = ReadValues(kBase + L"\\T");
    ASSERT_EQ(before.size(), 19u);

    const RegExportResult result = Export({KeyEntry(L"T")});
    EXPECT_EQ(result.status, RegExportStatus::Written);
    EXPECT_EQ(result.valuesLeftOut, 1u);
    testsupport::DeleteKey(kBase + L"\\T");
    ASSERT_EQ(testsupport::RunReg(L"import \"" + path_ + L"\""), 0u) << filetest::FileText(path_);

    // The system's import ends string data that lacks a NUL character with one, put over the last byte of
    // odd-sized data: the file is checked for that one, the other is allowed its added NUL.
    const std::wstring text = filetest::FileText(path_);
    EXPECT_NE(text.find(L"\"odd\"=hex(1):01,02,03,04,05\r\n"), std::wstring::npos) << text;
    before.erase(values[2].name);
    before.erase(L"odd");
    auto after = ReadValues(kBase + L"\\T");
    after.erase(L"odd");
    std::vector<BYTE>& unterminated = after[L"unterminated"].second;
    EXPECT_EQ(unterminated.size(), 8u);
    unterminated.resize(6);
    EXPECT_EQ(after, before) << text;
}

// Fault guarded against: when the last checked key was gone, nothing was written although earlier keys
// had been exported, and the user was not told.
TEST_F(RegExportFile, AVanishedLastEntryStillWritesWhatWasExported) {
    SetDword(L"Here", L"D", 2);
    const RegExportResult result = Export({KeyEntry(L"Here"), KeyEntry(L"Gone")});
    EXPECT_EQ(result.status, RegExportStatus::Written);
    EXPECT_EQ(result.keysWritten, 1u);
    EXPECT_EQ(ReadFileBytes(path_), Expected(kBaseLine + L"\\Here]\n\"D\"=dword:00000002\n\n"));
}

TEST_F(RegExportFile, NothingExportedWritesNoFileAndSaysSo) {
    KeyHandle base = Create(L"");
    SetDword(L"Here", L"D", 2);
    // A root without a name (as a remote registry's key would be) cannot be written in a script.
    const RegExportResult result = Export({KeyEntry(L"Gone"), {base.Get(), L"Here", L"", false}});
    EXPECT_EQ(result.status, RegExportStatus::NothingExported);
    EXPECT_EQ(result.keysWritten, 0u);
    EXPECT_FALSE(FileExists(path_));
}

// Fault guarded against: one recursion level per key exhausted the thread's stack on deep trees.
TEST_F(RegExportFile, TreeFiveHundredTwelveLevelsDeepIsExportedWhole) {
    {
        KeyHandle parent = Create(L"Deep");
        for (int level = 0; level < 512; ++level) {
            KeyHandle child;
            ASSERT_EQ(
                RegCreateKeyExW(parent.Get(), L"k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.Receive(), nullptr),
                ERROR_SUCCESS)
                << "level " << level;
            parent = std::move(child);
        }
        const DWORD last = 512;
        ASSERT_EQ(
            RegSetValueExW(parent.Get(), L"Level", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&last), sizeof last),
            ERROR_SUCCESS);
    }
    const RegExportResult result = Export({KeyEntry(L"Deep")});
    EXPECT_EQ(result.keysWritten, 513u);
    std::wstring deepest = kBaseLine + L"\\Deep";
    for (int level = 0; level < 512; ++level) {
        deepest += L"\\k";
    }
    const std::wstring text = filetest::FileText(path_);
    const std::wstring lastBlock = Crlf(deepest + L"]\n\"Level\"=dword:00000200\n\n");
    ASSERT_GT(text.size(), lastBlock.size());
    EXPECT_EQ(text.substr(text.size() - lastBlock.size()), lastBlock);
}

} // namespace
