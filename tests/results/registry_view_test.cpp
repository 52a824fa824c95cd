// Keys in the two views of HKLM\Software on a 64-bit system: one made in the 64-bit view only, one made
// through the 32-bit view (which lands under Wow6432Node). Whichever build runs, the search finds each once
// at its true path, the key browser shows the 64-bit view, an export and import keeps each in its view, and
// deleting one leaves the other. On 32-bit Windows there is one view, and both keys sit side by side.
#include "base/log_file.h"
#include "base/win_handles.h"
#include "engine/keldra_thread.h"
#include "engine/registry_view.h"
#include "results/key_tree_children.h"
#include "output/reg_export.h"
#include "results/result_deletes.h"
#include "tests/common/test_support.h"
#include "tests/common/file_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

const std::wstring kTestKey = L"Software\\QuillonViewTest";

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool SystemHasTwoViews() {
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

void DeleteInView(REGSAM view) {
    KeyHandle software;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_ALL_ACCESS | view, software.Receive()) == ERROR_SUCCESS) {
        RegDeleteTreeW(software.Get(), L"QuillonViewTest");
        RegDeleteKeyExW(software.Get(), L"QuillonViewTest", view, 0);
    }
}

void MakeInView(REGSAM view, const std::wstring& name, const std::wstring& data) {
    KeyHandle key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kTestKey + L"\\" + name).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | view, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.Get(), L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// The value "v" of Software\QuillonViewTest\name as the given view shows it; empty when it is not there.
std::wstring ReadInView(REGSAM view, const std::wstring& name) {
    KeyHandle key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kTestKey + L"\\" + name).c_str(), 0, KEY_QUERY_VALUE | view,
                      key.Receive()) != ERROR_SUCCESS) {
        return {};
    }
    wchar_t data[64] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    RegQueryValueExW(key.Get(), L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    return data;
}

class RegistryViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        MakeInView(KEY_WOW64_64KEY, L"Native", L"QuillonViewData64");
        MakeInView(KEY_WOW64_32KEY, L"Redirected", L"QuillonViewData32");
    }
    void TearDown() override {
        DeleteInView(KEY_WOW64_64KEY);
        DeleteInView(KEY_WOW64_32KEY);
    }

    // The data results of a search of HKLM\Software for the test's values.
    std::vector<SearchResult> Search() {
        SearchRequest request;
        request.options = SO_DATA;
        ParseKeyList(L"HKLM\\Software", request.lookIn);
        EXPECT_TRUE(SetRequestPattern(request, L"QuillonViewData"));
        CKeldraThread engine;
        engine.RunHere(request);
        std::vector<SearchResult> results;
        engine.Results().ReadFrom(0, [&](size_t, const SearchResult& record) { results.push_back(record); });
        return results;
    }
    const SearchResult* Find(const std::vector<SearchResult>& results, const std::wstring& data) {
        const auto found = std::find_if(results.begin(), results.end(),
                                        [&](const SearchResult& r) { return r.dataText.find(data) == 0; });
        return found == results.end() ? nullptr : &*found;
    }

    const std::wstring redirectedPath = SystemHasTwoViews() ? L"software\\wow6432node\\quillonviewtest\\redirected"
                                                            : L"software\\quillonviewtest\\redirected";
};

TEST_F(RegistryViewTest, EachKeyIsFoundOnceAtItsTruePathAndBrowsedInTheNativeView) {
    const std::vector<SearchResult> results = Search();
    ASSERT_EQ(results.size(), 2u);
    const SearchResult* native = Find(results, L"QuillonViewData64");
    const SearchResult* redirected = Find(results, L"QuillonViewData32");
    ASSERT_TRUE(native && redirected);
    EXPECT_EQ(Lower(native->KeyPath()), L"software\\quillonviewtest\\native");
    EXPECT_EQ(Lower(redirected->KeyPath()), redirectedPath);

    // The key browser goes to keys in the same view.
    const std::wstring browsed = L"HKEY_LOCAL_MACHINE\\" + kTestKey;
    EXPECT_TRUE(KeyTreeKeyExists({}, browsed + L"\\Native"));
    EXPECT_EQ(KeyTreeKeyExists({}, browsed + L"\\Redirected"), !SystemHasTwoViews());
    // The search log names the view searched.
    const std::string log = testsupport::ReadFileBytes(LogFolderPath() + L"\\" + kSearchLogName);
    EXPECT_EQ(log.substr(0, log.find("\r\n")),
              std::string("Registry view: ") + (SystemHasTwoViews() ? "64" : "32") + "-bit (native)");
}

TEST_F(RegistryViewTest, AnExportedPairComesBackInItsOwnViews) {
    const std::vector<SearchResult> results = Search();
    const SearchResult* native = Find(results, L"QuillonViewData64");
    const SearchResult* redirected = Find(results, L"QuillonViewData32");
    ASSERT_TRUE(native && redirected);
    filetest::ScratchFolder folder;
    const std::wstring path = folder.File(L"views.reg");
    const RegExportResult exported = ExportToRegFile(
        {{HKEY_LOCAL_MACHINE, native->KeyPath(), L"", false}, {HKEY_LOCAL_MACHINE, redirected->KeyPath(), L"", false}},
        path);
    ASSERT_EQ(exported.status, RegExportStatus::Written);
    EXPECT_EQ(exported.keysWritten, 2u);

    TearDown();
    ASSERT_TRUE(ReadInView(KEY_WOW64_64KEY, L"Native").empty());
    ASSERT_EQ(testsupport::RunReg(L"import \"" + path + L"\" /reg:64"), 0u) << filetest::FileText(path);
    EXPECT_EQ(ReadInView(KEY_WOW64_64KEY, L"Native"), L"QuillonViewData64");
    EXPECT_EQ(ReadInView(KEY_WOW64_32KEY, L"Redirected"), L"QuillonViewData32");
    if (SystemHasTwoViews()) {
        EXPECT_TRUE(ReadInView(KEY_WOW64_32KEY, L"Native").empty());
        EXPECT_TRUE(ReadInView(KEY_WOW64_64KEY, L"Redirected").empty());
    }
}

TEST_F(RegistryViewTest, DeletingOneKeyLeavesTheOther) {
    std::vector<SearchResult> results = Search();
    const SearchResult* native = Find(results, L"QuillonViewData64");
    ASSERT_TRUE(native);
    EXPECT_EQ(DeleteResultKey(*native).error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(CheckResultPresence(*native), ResultPresence::Gone);
    EXPECT_TRUE(ReadInView(KEY_WOW64_64KEY, L"Native").empty());
    EXPECT_EQ(ReadInView(KEY_WOW64_32KEY, L"Redirected"), L"QuillonViewData32");

    SetUp();
    results = Search();
    const SearchResult* redirected = Find(results, L"QuillonViewData32");
    ASSERT_TRUE(redirected);
    EXPECT_EQ(DeleteResultValue(*redirected).error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(CheckResultPresence(*redirected), ResultPresence::Gone);
    EXPECT_TRUE(ReadInView(KEY_WOW64_32KEY, L"Redirected").empty());
    EXPECT_EQ(ReadInView(KEY_WOW64_64KEY, L"Native"), L"QuillonViewData64");
}

} // namespace
