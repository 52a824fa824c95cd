// The history list rules, their registry form, and the combo box that shows them.
#include "form/history_list.h"
#include "form/history_save.h"
#include "form/history_store.h"
#include "form/mru_combo_ctrl.h"
#include "base/settings.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::wstring>;

Texts OldestFirst(const HistoryList& list) {
    Texts texts;
    for (size_t i = 0; i < list.Count(); ++i) {
        texts.emplace_back(list.Entry(i));
    }
    return texts;
}

// ---- list rules ----

TEST(HistoryList, TextInOtherLetterCaseReplacesTheOldEntryAndMovesToTheTop) {
    HistoryList list;
    EXPECT_TRUE(list.Add(L"hklm\\software"));
    EXPECT_TRUE(list.Add(L"HKCU"));
    EXPECT_TRUE(list.Add(L"HKLM\\Software"));
    EXPECT_EQ(list.NewestFirst(), (Texts{L"HKLM\\Software", L"HKCU"}));
    EXPECT_TRUE(list.Add(L"HKCU"));
    EXPECT_EQ(list.NewestFirst(), (Texts{L"HKCU", L"HKLM\\Software"}));
}

TEST(HistoryList, FullListDropsItsOldestEntry) {
    HistoryList list;
    ASSERT_EQ(list.Capacity(), 15u);
    for (int i = 0; i < 15; ++i) {
        list.Add(L"text" + std::to_wstring(i));
    }
    ASSERT_EQ(list.Count(), 15u);
    EXPECT_TRUE(list.Add(L"newest"));
    EXPECT_EQ(list.Count(), 15u);
    EXPECT_EQ(list.Entry(0), L"text1");
    EXPECT_EQ(list.Entry(14), L"newest");
    // A re-used entry of a full list drops nothing else.
    EXPECT_TRUE(list.Add(L"TEXT5"));
    EXPECT_EQ(list.Count(), 15u);
    EXPECT_EQ(list.Entry(0), L"text1");
}

TEST(HistoryList, TakesAtMost255CharactersAndNeverAnEmptyText) {
    HistoryList list;
    list.Add(L"first");
    EXPECT_TRUE(list.Add(std::wstring(255, L'x')));
    EXPECT_FALSE(list.Add(std::wstring(256, L'y')));
    EXPECT_FALSE(list.Add(L""));
    EXPECT_EQ(list.NewestFirst(), (Texts{std::wstring(255, L'x'), L"first"}));
}

TEST(HistoryList, CapacityIsCappedAndLoadedTextsAreCutNotDropped) {
    HistoryList list;
    list.Add(L"old");
    list.Reset(0xFFFFFFFF);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Capacity(), HistoryList::kMaxCapacity);
    list.AppendLoaded(std::wstring(300, L'a'));
    list.AppendLoaded(L"");
    list.AppendLoaded(std::wstring(L"cut\0here", 8));
    EXPECT_EQ(OldestFirst(list), (Texts{std::wstring(255, L'a'), L"cut"}));
}

TEST(HistoryList, DocumentNumbersAreStrictDecimals) {
    EXPECT_EQ(DocumentNumber(L"Document1"), 1u);
    EXPECT_EQ(DocumentNumber(L"document19"), 19u);
    EXPECT_EQ(DocumentNumber(L"Document250"), 250u);
    EXPECT_EQ(DocumentNumber(L"DocumentCount"), 0u);
    EXPECT_EQ(DocumentNumber(L"Document"), 0u);
    EXPECT_EQ(DocumentNumber(L"Document0"), 0u);
    EXPECT_EQ(DocumentNumber(L"Document07"), 0u);
    EXPECT_EQ(DocumentNumber(L"Document4294967296"), 0u);
    EXPECT_EQ(DocumentNumber(L"Doc"), 0u);
}

// ---- registry form ----

class HistoryRegistry : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetProgramKey(); }
    void TearDown() override { testsupport::ResetProgramKey(); }

    static std::wstring Path(const wchar_t* subKey) { return std::wstring(kProgramKeyPath) + L"\\" + subKey; }
    static bool KeyExists(const wchar_t* subKey) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
    static void SetRaw(const wchar_t* subKey, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        KeyHandle key = OpenProgramSubKey(subKey);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    static void SetCount(const wchar_t* subKey, DWORD count) {
        SetRaw(subKey, kDocumentCountValue, REG_DWORD, &count, sizeof count);
    }
    static void SetText(const wchar_t* subKey, const wchar_t* name, const std::wstring& text) {
        SetRaw(subKey, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    // Every "Document<n>" value of the key, by number.
    static std::vector<unsigned> StoredNumbers(const wchar_t* subKey) {
        std::vector<unsigned> numbers;
        KeyHandle key = OpenProgramSubKey(subKey);
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD chars = 256;
            if (RegEnumValueW(key.Get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            if (unsigned n = DocumentNumber(name)) {
                numbers.push_back(n);
            }
        }
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    static std::wstring StoredText(const wchar_t* subKey, unsigned n) {
        KeyHandle key = OpenProgramSubKey(subKey);
        wchar_t text[300] = {};
        DWORD size = sizeof text;
        RegQueryValueExW(key.Get(), (L"Document" + std::to_wstring(n)).c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(text), &size);
        return text;
    }
};

TEST_F(HistoryRegistry, MissingKeyOrCountLeavesTheListAlone) {
    HistoryList list;
    list.Add(L"kept");
    EXPECT_FALSE(LoadHistory(L"History", list));
    SetText(L"History", L"Document1", L"stored");
    EXPECT_FALSE(LoadHistory(L"History", list)) << "no DocumentCount";
    SetText(L"History", kDocumentCountValue, L"3");
    EXPECT_FALSE(LoadHistory(L"History", list)) << "DocumentCount of the wrong type";
    EXPECT_EQ(list.NewestFirst(), (Texts{L"kept"}));
    EXPECT_EQ(list.Capacity(), 15u);
}

TEST_F(HistoryRegistry, NumberOneIsTheNewestAndTheCountIsTheCapacity) {
    ASSERT_TRUE(StoreHistory(L"History", 20, {L"newest", L"middle", L"oldest"}));
    EXPECT_EQ(StoredText(L"History", 1), L"newest");
    EXPECT_EQ(StoredText(L"History", 3), L"oldest");
    EXPECT_EQ(ReadSettingDword(L"History", kDocumentCountValue, 0), 20u);

    HistoryList list;
    ASSERT_TRUE(LoadHistory(L"History", list));
    EXPECT_EQ(list.Capacity(), 20u);
    EXPECT_EQ(OldestFirst(list), (Texts{L"oldest", L"middle", L"newest"}));
}

TEST_F(HistoryRegistry, ValuesBeyondTheEntriesAreDeleted) {
    ASSERT_TRUE(StoreHistory(L"History", 15, {L"a", L"b", L"c", L"d", L"e"}));
    ASSERT_TRUE(StoreHistory(L"History", 15, {L"x", L"y", L"z"}));
    EXPECT_EQ(StoredNumbers(L"History"), (std::vector<unsigned>{1, 2, 3}));
}

// Fault guarded against: the cleanup stopped at number 19, so a history with a larger capacity kept stale
// values that came back on the next load.
TEST_F(HistoryRegistry, StaleValuesPastNineteenAreDeletedToo) {
    Texts many;
    for (int i = 0; i < 25; ++i) {
        many.push_back(L"t" + std::to_wstring(i));
    }
    ASSERT_TRUE(StoreHistory(L"History_LookIn", 30, many));
    ASSERT_EQ(StoredNumbers(L"History_LookIn").size(), 25u);
    SetText(L"History_LookIn", L"Document200", L"far away");
    ASSERT_TRUE(StoreHistory(L"History_LookIn", 30, {L"only"}));
    EXPECT_EQ(StoredNumbers(L"History_LookIn"), (std::vector<unsigned>{1}));
}

// Fault guarded against: a hand-edited DocumentCount of 0xFFFFFFFF made the load query four billion values.
TEST_F(HistoryRegistry, HugeCountLoadsOnlyTheValuesThatExist) {
    SetCount(L"History", 0xFFFFFFFF);
    SetText(L"History", L"Document1", L"one");
    SetText(L"History", L"Document2", L"two");
    SetText(L"History", L"Document5000", L"beyond the capped capacity");
    HistoryList list;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(LoadHistory(L"History", list));
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(list.Capacity(), HistoryList::kMaxCapacity);
    EXPECT_EQ(OldestFirst(list), (Texts{L"two", L"one"}));
}

TEST_F(HistoryRegistry, OddStoredValuesAreSkippedOrCut) {
    SetCount(L"History", 6);
    SetText(L"History", L"Document1", std::wstring(300, L'L'));
    const DWORD number = 7;
    SetRaw(L"History", L"Document2", REG_DWORD, &number, sizeof number);
    SetText(L"History", L"Document3", L"");
    // Three characters and half of a fourth, without a terminator.
    SetRaw(L"History", L"Document4", REG_SZ, L"abcd", 7);
    SetText(L"History", L"Document6", L"six");
    SetText(L"History", L"Document7", L"beyond the count");
    HistoryList list;
    ASSERT_TRUE(LoadHistory(L"History", list));
    EXPECT_EQ(list.Capacity(), 6u);
    EXPECT_EQ(OldestFirst(list), (Texts{L"six", L"abc", std::wstring(255, L'L')}));
}

// ---- the combo box ----

class HistoryCombo : public HistoryRegistry {
protected:
    void SetUp() override {
        HistoryRegistry::SetUp();
        parent_ = CreateWindowExW(0, WC_STATICW, L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(parent_);
        HistoryRegistry::TearDown();
    }
    HWND MakeCombo(CMruComboCtrl& combo, DWORD extraStyle = 0) {
        HWND hWnd = CreateWindowExW(0, WC_COMBOBOXW, L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | extraStyle, 0,
                                    0, 300, 200, parent_, nullptr, nullptr, nullptr);
        EXPECT_TRUE(combo.SubclassWindow(hWnd));
        return hWnd;
    }
    static Texts Items(HWND combo) {
        Texts items;
        const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[300] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }
    static std::wstring EditText(HWND combo) {
        wchar_t text[300] = {};
        GetWindowTextW(combo, text, 300);
        return text;
    }
    static bool Type(CMruComboCtrl& combo, const std::wstring& text) {
        SetWindowTextW(combo.m_hWnd, text.c_str());
        return combo.AddToHistory();
    }

    HWND parent_ = nullptr;
};

TEST_F(HistoryCombo, AddedTextsListNewestFirstWithTheNewestInTheEditField) {
    CMruComboCtrl combo;
    HWND hWnd = MakeCombo(combo);
    EXPECT_TRUE(Type(combo, L"hkcu\\Software"));
    EXPECT_TRUE(Type(combo, L"HKLM"));
    EXPECT_TRUE(Type(combo, L"HKCU\\SOFTWARE"));
    EXPECT_EQ(Items(hWnd), (Texts{L"HKCU\\SOFTWARE", L"HKLM"}));
    EXPECT_EQ(EditText(hWnd), L"HKCU\\SOFTWARE");

    EXPECT_FALSE(Type(combo, L""));
    EXPECT_TRUE(Type(combo, std::wstring(255, L'k')));
    EXPECT_FALSE(Type(combo, std::wstring(256, L'q')));
    EXPECT_EQ(Items(hWnd), (Texts{std::wstring(255, L'k'), L"HKCU\\SOFTWARE", L"HKLM"}));
}

TEST_F(HistoryCombo, MissingHistoryLeavesAnEmptyListWithCapacityFifteen) {
    CMruComboCtrl combo;
    HWND hWnd = MakeCombo(combo);
    EXPECT_FALSE(combo.ReadHistory(L"History"));
    EXPECT_EQ(Items(hWnd), Texts{});
    EXPECT_EQ(combo.GetCapacity(), 15u);
}

TEST_F(HistoryCombo, StoredHistoryComesBackInTheSameOrder) {
    {
        CMruComboCtrl combo;
        MakeCombo(combo);
        for (const wchar_t* text : {L"one", L"two", L"three"}) {
            Type(combo, text);
        }
        ASSERT_TRUE(combo.WriteHistory(L"History_LookIn"));
        DestroyWindow(combo.m_hWnd);
    }
    CMruComboCtrl combo;
    HWND hWnd = MakeCombo(combo);
    ASSERT_TRUE(combo.ReadHistory(L"History_LookIn"));
    EXPECT_EQ(Items(hWnd), (Texts{L"three", L"two", L"one"}));
    EXPECT_EQ(EditText(hWnd), L"three");
}

TEST_F(HistoryCombo, SortedComboStoresAlphabeticallyAndReloadsTheLastAsOldest) {
    CMruComboCtrl combo;
    HWND hWnd = MakeCombo(combo, CBS_SORT);
    combo.SetCapacity(3);
    for (const wchar_t* text : {L"HKLM\\m", L"HKLM\\a", L"HKLM\\z"}) {
        Type(combo, text);
    }
    EXPECT_EQ(Items(hWnd), (Texts{L"HKLM\\a", L"HKLM\\m", L"HKLM\\z"}));
    EXPECT_EQ(EditText(hWnd), L"HKLM\\a");
    ASSERT_TRUE(combo.WriteHistory(L"History_ExcludeKeys"));
    EXPECT_EQ(StoredText(L"History_ExcludeKeys", 1), L"HKLM\\a");
    EXPECT_EQ(StoredText(L"History_ExcludeKeys", 3), L"HKLM\\z");

    CMruComboCtrl reloaded;
    HWND again = MakeCombo(reloaded, CBS_SORT);
    ASSERT_TRUE(reloaded.ReadHistory(L"History_ExcludeKeys"));
    Type(reloaded, L"HKLM\\b");
    EXPECT_EQ(Items(again), (Texts{L"HKLM\\a", L"HKLM\\b", L"HKLM\\m"})) << "z was the oldest after the load";
}

TEST_F(HistoryCombo, HugeStoredCountGivesACappedCapacity) {
    SetCount(L"History", 0xFFFFFFFF);
    SetText(L"History", L"Document1", L"only");
    CMruComboCtrl combo;
    HWND hWnd = MakeCombo(combo);
    ASSERT_TRUE(combo.ReadHistory(L"History"));
    EXPECT_EQ(combo.GetCapacity(), HistoryList::kMaxCapacity);
    EXPECT_EQ(Items(hWnd), (Texts{L"only"}));
}

TEST_F(HistoryCombo, ClearSearchHistoryDeletesItButStillWritesTheOtherTwo) {
    CMruComboCtrl search, lookIn, exclude;
    MakeCombo(search);
    MakeCombo(lookIn);
    MakeCombo(exclude, CBS_SORT);
    Type(search, L"secret");
    Type(lookIn, L"HKCU");
    Type(exclude, L"HKLM\\SAM");

    SettingWriteFailures failures;
    SaveHistories(search, lookIn, exclude, failures);
    EXPECT_EQ(StoredText(L"History", 1), L"secret");

    ASSERT_TRUE(WriteSettingDword(kSettingsSubKey, kClearSearchHistory, 1));
    Type(lookIn, L"HKU");
    SaveHistories(search, lookIn, exclude, failures);
    EXPECT_EQ(failures.Count(), 0u);
    EXPECT_FALSE(KeyExists(L"History"));
    EXPECT_EQ(StoredText(L"History_LookIn", 1), L"HKU");
    EXPECT_EQ(StoredText(L"History_LookIn", 2), L"HKCU");
    EXPECT_EQ(StoredText(L"History_ExcludeKeys", 1), L"HKLM\\SAM");
}

} // namespace
