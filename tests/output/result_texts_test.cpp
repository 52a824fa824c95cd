// The pure parts of the result actions: the file path search (against the regular-expression engine of the
// standard library as the reference), the clipboard texts, the delete questions and the delete log's line.
#include "output/result_texts.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

SearchResult Value(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const wchar_t* data) {
    SearchResult record;
    record.root = root;
    record.SetKeyPath(path);
    record.valueName = name;
    record.type = type;
    record.dataText = data;
    record.kind = RK_DATA;
    return record;
}

SearchResult Key(HKEY root, const wchar_t* path) {
    SearchResult record;
    record.root = root;
    record.SetKeyPath(path);
    record.kind = RK_KEY | RK_KEY_NAME;
    return record;
}

std::wstring Reference(const std::wstring& text) {
    static const std::wregex pattern(L"(?:[\\w]\\:)(\\\\[a-zA-Z_\\-\\s0-9\\.()~!@#$%^&=+';,{}\\[\\]]+)+",
                                     std::regex_constants::ECMAScript | std::regex_constants::icase);
    std::wsmatch match;
    return std::regex_search(text, match, pattern) ? match.str(0) : std::wstring();
}

TEST(FileLocation, FindsTheSamePathAsTheRegularExpression) {
    const std::vector<std::wstring> texts = {
        L"C:\\Windows\\system32\\x.dll",
        L"\"C:\\Program Files\\App\\app.exe\" -arg /x",
        L"rundll32 d:\\a b\\c(1).dll,Entry",
        L"no path here",
        L"C:",
        L"C:\\",
        L"C:\\\\x",
        L"ab:\\c\\d",
        L"::\\x",
        L"1:\\x y\\z",
        L"_:\\x",
        L"x C:\\a\\ and D:\\b",
        L"C:\\a\\\"quoted\"",
        L"C:\\a/b\\c",
        L"C:\\dir\\file.txt:stream",
        L"%SystemRoot%\\x.dll;E:\\[x]{y}\\~!@#$%^&=+';,.dat",
        L"C:\\tab\there\\x",
        L"\\\\server\\share\\file",
        L"C:\\a\\b\\",
    };
    for (const std::wstring& text : texts) {
        EXPECT_EQ(FindFilePath(text), Reference(text)) << text;
    }
}

TEST(FileLocation, OnlyStringValuesNameAFileAndTheNameComesFirst) {
    EXPECT_EQ(FileLocationOf(Value(HKEY_CURRENT_USER, L"S", L"C:\\in\\name.txt", REG_SZ, L"D:\\in\\data.txt")),
              L"C:\\in\\name.txt");
    EXPECT_EQ(FileLocationOf(Value(HKEY_CURRENT_USER, L"S", L"plain", REG_SZ, L"D:\\in\\data.txt")),
              L"D:\\in\\data.txt");
    EXPECT_EQ(FileLocationOf(Value(HKEY_CURRENT_USER, L"S", L"plain", REG_MULTI_SZ, L"D:\\in\\data.txt")), L"");
    EXPECT_EQ(FileLocationOf(Value(HKEY_CURRENT_USER, L"S", L"C:\\x\\y", REG_DWORD, L"1")), L"");
    EXPECT_EQ(FileLocationOf(Key(HKEY_CURRENT_USER, L"C:\\x\\y")), L"");
}

TEST(FileLocation, ExpandableDataIsExpandedWhenItFits) {
    wchar_t root[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    EXPECT_EQ(FileLocationOf(Value(HKEY_CURRENT_USER, L"S", L"v", REG_EXPAND_SZ, L"%SystemRoot%\\system32\\x.dll")),
              std::wstring(root) + L"\\system32\\x.dll");
    // Longer than MAX_PATH after expansion: the text stays as it was, and holds no drive path.
    const std::wstring longText = L"%SystemRoot%\\" + std::wstring(300, L'a');
    EXPECT_EQ(FileLocationOf(Value(HKEY_CURRENT_USER, L"S", L"v", REG_EXPAND_SZ, longText.c_str())), L"");
}

TEST(FileLocation, TheFolderIsEverythingBeforeTheLastBackslash) {
    EXPECT_EQ(FolderOfLocation(L"C:\\Tools\\evil.exe\\x"), L"C:\\Tools\\evil.exe");
    EXPECT_EQ(FolderOfLocation(L"C:\\a"), L"C:");
    EXPECT_EQ(FolderOfLocation(L"nothing"), L"");
}

TEST(ResultTexts, FullKeyNamesAndTheCopiedItem) {
    EXPECT_EQ(FullKeyName(Key(HKEY_CURRENT_USER, L"Software\\X")), L"HKEY_CURRENT_USER\\Software\\X");
    EXPECT_EQ(FullKeyName(Key(HKEY_LOCAL_MACHINE, L"")), L"HKEY_LOCAL_MACHINE");
    // Empty parts keep their separators.
    EXPECT_EQ(CopyItemText(Key(HKEY_CURRENT_USER, L"Software\\X")), L"HKEY_CURRENT_USER\\Software\\X, , ");
    EXPECT_EQ(CopyItemText(Value(HKEY_USERS, L"K", L"n", REG_SZ, L"d")), L"HKEY_USERS\\K, n, d");
}

TEST(ResultTexts, DeleteQuestionsAndErrors) {
    EXPECT_EQ(DeleteValueQuestion(Value(HKEY_CURRENT_USER, L"Software\\X", L"v", REG_SZ, L"")),
              L"Are you sure you want to delete the selected value?\n\nHKEY_CURRENT_USER\nSoftware\\X\nv");
    EXPECT_EQ(DeleteKeyQuestion(Key(HKEY_CURRENT_USER, L"Software\\X")),
              L"Are you sure you want to delete the key and its subkeys?\n\nHKEY_CURRENT_USER\nSoftware\\X");
    EXPECT_EQ(DeleteCheckedQuestion(3), L"Are you sure you want to delete the 3 check marked items(s)?\n\n");
    EXPECT_EQ(DeleteErrorText(false, 5), L"Error deleting value. Error=00000005");
    EXPECT_EQ(DeleteErrorText(true, 0x3f2), L"Error deleting key. Error=000003f2");
}

TEST(ResultTexts, TheDeleteLogLineCarriesTheSystemText) {
    const std::wstring notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(notFound.empty());
    EXPECT_NE(notFound.back(), L'\n');
    EXPECT_NE(notFound.back(), L'\r');
    EXPECT_EQ(notFound.find(L"HRESULT"), std::wstring::npos);
    EXPECT_EQ(SystemErrorText(0x2FFFFFFF), L"HRESULT 0x2fffffff");
    EXPECT_EQ(DeleteLogLine(Value(HKEY_CURRENT_USER, L"Software\\X", L"v", REG_SZ, L""), L"gone"),
              L"Value Delete Error: gone, HKEY_CURRENT_USER\\Software\\X\\v");
    EXPECT_EQ(DeleteLogLine(Key(HKEY_LOCAL_MACHINE, L"K"), L"denied"),
              L"Key Delete Error: denied, HKEY_LOCAL_MACHINE\\K\\");
}

} // namespace
