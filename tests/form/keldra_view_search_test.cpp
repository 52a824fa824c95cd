// Searches through the real view: validation and its messages, the request the form builds, the engine's
// notifications, the final listing with its progress and stop, the status texts, and the histories kept
// from one view to the next.
#include "form/form_state.h"
#include "form/search_rules.h"
#include "resources/command_ids.h"
#include "base/settings.h"
#include "tests/common/message_box_closer.h"
#include "tests/form/view_fixture.h"
#include "tests/common/file_test_support.h"
#include "tests/common/held_registry.h"
#include "output/list_save.h"
#include "results/file_commands.h"

#include <commctrl.h>

#include <set>

using namespace viewtest;

namespace {

void SetString(HKEY key, const wchar_t* name, const std::wstring& data) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// HKCU\Software\QuillonViewTest with `count` string values "v000".. holding "needle <n>" in sub-key "many",
// and three values whose names hold "needle" in sub-key "names".
void BuildTestKeys(int count) {
    HKEY root = testsupport::FreshKey(kTestKey);
    HKEY many = nullptr;
    RegCreateKeyExW(root, L"many", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &many, nullptr);
    for (int i = 0; i < count; ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"v%03d", i);
        SetString(many, name, L"needle " + std::to_wstring(i));
    }
    RegCloseKey(many);
    HKEY names = nullptr;
    RegCreateKeyExW(root, L"names", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &names, nullptr);
    for (const wchar_t* name : {L"needle_a", L"needle_b", L"the_needle"}) {
        SetString(names, name, L"plain");
    }
    RegCloseKey(names);
    RegCloseKey(root);
}

SearchResult KeyRecord(size_t n) {
    SearchResult record;
    record.root = HKEY_CURRENT_USER;
    record.SetKeyPath(L"key" + std::to_wstring(n));
    record.kind = RK_KEY | RK_KEY_NAME;
    record.lastWrite = {static_cast<DWORD>(n + 1), 0x01D00000};
    return record;
}

std::wstring ReadHistoryValue(const wchar_t* subKey, const wchar_t* value) {
    wchar_t text[300] = {};
    DWORD size = sizeof text;
    const std::wstring path = std::wstring(kProgramKeyPath) + L"\\" + subKey;
    RegGetValueW(HKEY_CURRENT_USER, path.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

} // namespace

class SearchViewTest : public ViewTest {
protected:
    void StartedByEngine() { view->SendMessage(WM_SEARCH_NOTIFY, SN_STARTED); }
    void FinishedByEngine() { view->SendMessage(WM_SEARCH_NOTIFY, SN_FINISHED); }
    void FillResults(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            view->Search().Results().Append(KeyRecord(i), 0);
        }
    }
    int Rows() { return view->ResultsList().GetItemCount(); }
    // Every row shows the result of its own position: all listed once, in order.
    void ExpectRowsInOrder(size_t count) {
        ASSERT_EQ(static_cast<size_t>(Rows()), count);
        for (size_t i = 0; i < count; ++i) {
            ASSERT_EQ(view->ResultsList().GetItemData(static_cast<int>(i)), i) << "row " << i;
        }
    }
    void FormFor(const wchar_t* text, const std::wstring& lookIn) {
        Type(IDC_LOOKIN, lookIn);
        Type(IDC_SEARCH_TEXT, text);
    }
};

// ---- end to end

TEST_F(SearchViewTest, SearchListsEveryResultOnceInOrderAndReportsIt) {
    BuildTestKeys(300);
    FormFor(L"needle", L"HKCU\\" + kTestKey);
    OnlyLookAt(false, false, true);
    ASSERT_TRUE(Enabled(IDC_SEARCH_BUTTON));
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());

    CKeldraThread& search = view->Search();
    ASSERT_EQ(search.Results().Count(), 300u);
    ExpectRowsInOrder(300);
    EXPECT_EQ(view->ListedCount(), 300u);
    EXPECT_EQ(frame.scans, (std::vector<WPARAM>{SCAN_STARTED, SCAN_ENDED}));
    EXPECT_EQ(frame.defaultPaneAtScan.back(), L"Populating tree");
    EXPECT_EQ(Pane(kPaneTotals), TotalsText(static_cast<DWORD>(search.Results().KeysSearched()), 300));
    EXPECT_EQ(search.Results().KeysSearched(), 3);
    EXPECT_EQ(Pane(kPaneMatches), L"Data: 300 ");
    EXPECT_EQ(Text(IDC_SEARCH_BUTTON), L"Search");
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
    EXPECT_FALSE(Shown(IDC_PROGRESS));
    EXPECT_FALSE(view->StopRequested());
    EXPECT_EQ(search.Request().options & SO_LOOK_AT_MASK, DWORD{SO_DATA});
    ASSERT_EQ(search.Request().excludeKeys.size(), 1u) << "only the history key is excluded";
    EXPECT_EQ(search.Request().excludeKeys[0].root, HKEY_CURRENT_USER);
    EXPECT_EQ(search.Request().excludeKeys[0].subKey, L"Software\\Orvanta\\Quillon\\History");

    // The histories reach the registry when the view closes and come back in the next view.
    CloseView();
    EXPECT_EQ(ReadHistoryValue(kHistorySubKey, L"Document1"), L"needle");
    EXPECT_EQ(ReadHistoryValue(kLookInHistorySubKey, L"Document1"), L"HKCU\\" + kTestKey);
    EXPECT_EQ(ReadFormState().options, DWORD{SO_DATA});
    OpenView();
    EXPECT_EQ(Text(IDC_SEARCH_TEXT), L"needle");
    EXPECT_EQ(Text(IDC_LOOKIN), L"HKCU\\" + kTestKey);
    EXPECT_TRUE(On(L"Data"));
    EXPECT_FALSE(On(L"Keys") || On(L"Values"));
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
}

// One search seen four ways: the engine alone running the view's request on the same tree, the view's store,
// the rows listed and the saved list hold the same results in the same order.
TEST_F(SearchViewTest, EngineStoreRowsAndSavedListAgree) {
    BuildTestKeys(300);
    FormFor(L"needle", L"HKCU\\" + kTestKey);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());

    SearchRequest request = view->Search().Request();
    request.notifyWindow = nullptr;
    CKeldraThread reference;
    reference.RunHere(request);
    std::vector<ListedRow> expected;
    reference.Results().ReadFrom(0, [&](size_t, const SearchResult& record) { expected.push_back({false, &record}); });
    ASSERT_EQ(expected.size(), 303u) << "300 data and 3 value names";
    ASSERT_EQ(view->Results().Count(), expected.size());
    ExpectRowsInOrder(expected.size());

    filetest::ScratchFolder folder;
    std::vector<SearchResult> copies;
    const std::wstring listed = folder.File(L"listed.csv");
    const std::wstring found = folder.File(L"found.csv");
    EXPECT_EQ(SaveListToFile(ListedRows(view->ResultsList(), view->Results(), copies), listed).rowsWritten, 303u);
    SaveListToFile(expected, found);
    EXPECT_EQ(filetest::FileText(listed), filetest::FileText(found));
}

TEST_F(SearchViewTest, ValueNameMatchesAreSummedUpAndSelectionShowsTheTime) {
    BuildTestKeys(0);
    FormFor(L"needle", L"HKCU\\" + kTestKey);
    OnlyLookAt(false, true, false);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    ExpectRowsInOrder(3);
    EXPECT_EQ(Pane(kPaneMatches), L"Values: 3 ");

    // Down with nothing selected selects the last row.
    view->ResultsList().SendMessage(WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(view->SelectedResult(), 2);
    SearchResult selected;
    ASSERT_TRUE(view->CopySelectedResult(selected));
    EXPECT_EQ(selected.valueName, StoredRecord(view->Results(), 2).valueName);
    EXPECT_EQ(Pane(kPaneModified), ModifiedText(selected.lastWrite));
    EXPECT_EQ(Pane(kPaneModified).rfind(L"Modified: ", 0), 0u);
}

TEST_F(SearchViewTest, HexSearchLeavesTheSummaryEmpty) {
    BuildTestKeys(2);
    ChooseMode(SM_HEX);
    FormFor(L"6E006500", L"HKCU\\" + kTestKey);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Search().Request().options & SO_LOOK_AT_MASK, 0u);
    EXPECT_EQ(view->Search().Request().typeMask & 0x86u, 0u) << "text types are not searched as bytes";
    EXPECT_EQ(Pane(kPaneMatches), L"");
}

TEST_F(SearchViewTest, EmptySelectionClearsTheModifiedPane) {
    view->SetPaneText(kPaneModified, L"Modified: earlier");
    // Up on an empty list leaves position 0 selected, which is no selection.
    view->ResultsList().SendMessage(WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(Pane(kPaneModified), L"");
    EXPECT_EQ(view->SelectedResult(), -1);
}

// ---- validation

TEST_F(SearchViewTest, LocalLookInErrorIsShown) {
    FormFor(L"x", L"nonsense");
    testsupport::MessageBoxCloser closer(IDOK);
    PressSearch();
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].text, L"Error in the Look-In text.");
    EXPECT_EQ(view->SearchThreadHandle(), nullptr);
}

TEST_F(SearchViewTest, RemoteSearchNeedsAComputerName) {
    SetOption(L"Remote Computer", true);
    SetText(L"Computer", L" \\\\/ ");
    FormFor(L"x", L"HKLM\\Software");
    testsupport::MessageBoxCloser closer(IDOK);
    PressSearch();
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].text, L"Please enter a remote computer name.");
    EXPECT_EQ(Tree().GetSelectedItem(), Find(L"Computer"));
    EXPECT_EQ(view->SearchThreadHandle(), nullptr);
}

TEST_F(SearchViewTest, RemoteSearchRefusesLocalOnlyHivesNamedInFull) {
    SetOption(L"Remote Computer", true);
    SetText(L"Computer", L"\\\\SOMEWHERE/");
    FormFor(L"x", L"HKLM;hkey_classes_root\\.txt");
    {
        testsupport::MessageBoxCloser closer(IDOK);
        PressSearch();
        ASSERT_EQ(closer.Seen().size(), 1u);
        EXPECT_EQ(closer.Seen()[0].text,
                  L"Only 'HKEY_LOCAL_MACHINE' and 'HKEY_USERS' are supported for remote registry search.");
    }
    // A remote look-in text with nothing usable is refused without a word.
    Type(IDC_LOOKIN, L"nonsense");
    testsupport::MessageBoxCloser closer(IDOK);
    PressSearch();
    EXPECT_TRUE(closer.Seen().empty());
    EXPECT_EQ(view->SearchThreadHandle(), nullptr);
}

TEST_F(SearchViewTest, RemoteComputerNameIsTrimmedAndAbbreviationsPass) {
    const std::wstring name = ComputerName();
    SetOption(L"Remote Computer", true);
    SetText(L"Computer", (L"\\\\" + name + L"/").c_str());
    FormFor(L"x", L"HKCR\\QuillonNoSuchKey;HKU\\QuillonNoSuchKey");
    testsupport::MessageBoxCloser closer(IDOK);
    PressSearch();
    EXPECT_TRUE(closer.Seen().empty()) << "HKCR written short is not refused by the form";
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Results().Origin().computer, name);
    EXPECT_TRUE(view->IsRemoteSearch());

    // A refused request leaves the listed results described as they were: remote rows must not pass for
    // rows of this computer, whose registry a delete would then change.
    SetOption(L"Local Computer", true);
    ChooseMode(SM_REGEX);
    Type(IDC_SEARCH_TEXT, L"[");
    PressSearch();
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_TRUE(view->IsRemoteSearch());
    EXPECT_EQ(view->Results().Origin().computer, name);
    EXPECT_EQ(view->Results().Origin().lookIn.size(), 2u);
}

TEST_F(SearchViewTest, InvalidSearchTextIsRefusedAfterTheLookInIsRemembered) {
    ChooseMode(SM_REGEX);
    FormFor(L"[", L"HKCU\\QuillonNoSuchKey");
    testsupport::MessageBoxCloser closer(IDOK);
    PressSearch();
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].text, L"Empty or invalid search string");
    EXPECT_EQ(view->SearchThreadHandle(), nullptr);
    EXPECT_EQ(SendMessageW(Item(IDC_LOOKIN), CB_GETCOUNT, 0, 0), 1) << "the look-in text entered its history";
    EXPECT_EQ(SendMessageW(Item(IDC_SEARCH_TEXT), CB_GETCOUNT, 0, 0), 0);
}

// ---- the request

TEST_F(SearchViewTest, NoLookAtCheckedSearchesAndChecksAllThree) {
    FormFor(L"x", L"HKCU\\QuillonNoSuchKey");
    OnlyLookAt(false, false, false);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_TRUE(On(L"Keys") && On(L"Values") && On(L"Data"));
    EXPECT_TRUE(Bold(L"Keys"));
    EXPECT_EQ(view->Search().Request().options & SO_LOOK_AT_MASK, SO_LOOK_AT_MASK);
}

TEST_F(SearchViewTest, SelectedTypesWithNoneCheckedSearchAllTypes) {
    FormFor(L"x", L"HKCU\\QuillonNoSuchKey");
    SetOption(L"Selected Types", true);
    view->SendMessage(WM_COMMAND, ID_TREE_UNCHECK_TYPES);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Search().Request().typeMask, 0xFFFFFFFFu);
    EXPECT_TRUE(On(L"All Types"));
    ChooseMode(SM_INTEGER);
    Type(IDC_SEARCH_TEXT, L"5");
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Search().Request().typeMask, 0x810u);
}

TEST_F(SearchViewTest, LengthRangeToZeroOrBelowFromHasNoUpperBound) {
    FormFor(L"x", L"HKCU\\QuillonNoSuchKey");
    SetNumber(L"From", 100);
    SetNumber(L"To", 50);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_FALSE(view->Search().Request().lengthFilterOn) << "the range applies only while checked";
    EXPECT_EQ(view->Search().Request().minLength, 0u);

    SetOption(L"Data length range (bytes)", true);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_TRUE(view->Search().Request().lengthFilterOn);
    EXPECT_EQ(view->Search().Request().minLength, 100u);
    EXPECT_EQ(view->Search().Request().maxLength, 0u);

    SetNumber(L"From", 10);
    SetNumber(L"To", 20);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Search().Request().minLength, 10u);
    EXPECT_EQ(view->Search().Request().maxLength, 20u);

    SetNumber(L"To", 0);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Search().Request().maxLength, 0u);
}

TEST_F(SearchViewTest, DateBoundsCombinePickedDateAndTime) {
    FormFor(L"x", L"HKCU\\QuillonNoSuchKey");
    Check(IDC_MODIFIED_FROM, true);
    SYSTEMTIME date = {2021, 3, 0, 14, 0, 0, 0, 0};
    SYSTEMTIME time = {2000, 1, 0, 1, 15, 26, 53, 0};
    DateTime_SetSystemtime(Item(IDC_FROM_DATE), GDT_VALID, &date);
    DateTime_SetSystemtime(Item(IDC_FROM_TIME), GDT_VALID, &time);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_TRUE(view->Search().Request().modifiedAfterOn);
    EXPECT_FALSE(view->Search().Request().modifiedBeforeOn);
    SYSTEMTIME got = {};
    FileTimeToSystemTime(&view->Search().Request().modifiedAfter, &got);
    EXPECT_EQ(got.wYear, 2021);
    EXPECT_EQ(got.wMonth, 3);
    EXPECT_EQ(got.wDay, 14);
    EXPECT_EQ(got.wHour, 15);
    EXPECT_EQ(got.wMinute, 26);
    EXPECT_EQ(got.wSecond, 53);
}

TEST_F(SearchViewTest, ExcludeKeysOnlyWhileCheckedAndTheFieldKeepsWhatWasExcluded) {
    FormFor(L"x", L"HKCU\\QuillonNoSuchKey");
    SetWindowTextW(Item(IDC_EXCLUDE), L"HKCU\\Software\\Zeta");
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(view->Search().Request().excludeKeys.size(), 1u) << "unchecked: only the history key";

    Check(IDC_EXCLUDE_CHECK, true);
    SetWindowTextW(Item(IDC_EXCLUDE), L"HKCU\\Software\\Alpha");
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    SetWindowTextW(Item(IDC_EXCLUDE), L"HKCU\\Software\\Zeta");
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    ASSERT_EQ(view->Search().Request().excludeKeys.size(), 2u);
    EXPECT_EQ(view->Search().Request().excludeKeys[0].subKey, L"Software\\Zeta");
    EXPECT_EQ(SendMessageW(Item(IDC_EXCLUDE), CB_GETCOUNT, 0, 0), 2);
    // The sorted list would show "Alpha" first; the next search must exclude what this one did.
    EXPECT_EQ(Text(IDC_EXCLUDE), L"HKCU\\Software\\Zeta");
}

// ---- the final listing

TEST_F(SearchViewTest, FinalListingOfTwoHundredFiftyResultsEndsAtFullProgress) {
    StartedByEngine();
    EXPECT_EQ(Text(IDC_SEARCH_BUTTON), L"Stop");
    EXPECT_TRUE(Shown(IDC_PROGRESS));
    EXPECT_EQ(frame.scans, (std::vector<WPARAM>{SCAN_STARTED}));
    FillResults(250);
    FinishedByEngine();
    ExpectRowsInOrder(250);
    EXPECT_EQ(SendMessageW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);
    EXPECT_FALSE(GetWindowLongPtrW(Item(IDC_PROGRESS), GWL_STYLE) & PBS_MARQUEE);
    EXPECT_FALSE(Shown(IDC_PROGRESS));
    EXPECT_EQ(Text(IDC_SEARCH_BUTTON), L"Search");
    EXPECT_EQ(frame.scans, (std::vector<WPARAM>{SCAN_STARTED, SCAN_ENDED}));
}

TEST_F(SearchViewTest, StopDuringTheFinalListingEndsItAtTheNextPercent) {
    StartedByEngine();
    FillResults(1000);
    // The press waits in the queue until the listing lets messages through at its first percent.
    view->PostMessage(WM_COMMAND, MAKEWPARAM(IDC_SEARCH_BUTTON, BN_CLICKED),
                      reinterpret_cast<LPARAM>(Item(IDC_SEARCH_BUTTON)));
    FinishedByEngine();
    EXPECT_TRUE(view->StopRequested());
    ExpectRowsInOrder(9);
    EXPECT_EQ(Text(IDC_SEARCH_BUTTON), L"Search");
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
    EXPECT_EQ(frame.scans.back(), SCAN_ENDED);
}

TEST_F(SearchViewTest, FewerThanAHundredRowsAreAllListedEvenAfterStop) {
    StartedByEngine();
    view->StopSearch();
    EXPECT_FALSE(Enabled(IDC_SEARCH_BUTTON));
    FillResults(99);
    FinishedByEngine();
    ExpectRowsInOrder(99);
    EXPECT_TRUE(Enabled(IDC_SEARCH_BUTTON));
}

TEST_F(SearchViewTest, ResultsArrivingAfterTheWorkerEndedWaitForTheFinalListing) {
    StartedByEngine();
    FillResults(3);
    view->SendMessage(WM_SEARCH_NOTIFY, SN_RESULT, 0);
    EXPECT_EQ(Rows(), 0) << "no worker is running";
    view->SendMessage(WM_SEARCH_NOTIFY, SN_RESULT, 7);
    FinishedByEngine();
    ExpectRowsInOrder(3);
}

// A worker whose registry holds its first key opening stays "running" for as long as the test holds it.
TEST_F(SearchViewTest, LiveRowsAndARowRemovedDuringTheSearchAreNotListedTwice) {
    HeldRegistry held;
    const SearchRequest request = held.Request(L"HKCU\\QuillonNoSuchKey");
    ASSERT_TRUE(view->StartSearch(request));
    ASSERT_TRUE(Pump([&] { return Text(IDC_SEARCH_BUTTON) == L"Stop"; }));
    EXPECT_EQ(Pane(kPaneTotals), L"");
    FillResults(4);
    view->SendMessage(WM_SEARCH_NOTIFY, SN_RESULT, 0);
    view->SendMessage(WM_SEARCH_NOTIFY, SN_RESULT, 2); // result 1's notice went missing: listed first
    ExpectRowsInOrder(3);
    view->SendMessage(WM_SEARCH_NOTIFY, SN_RESULT, 1);
    EXPECT_EQ(Rows(), 3) << "an index already listed is not listed again";
    EXPECT_EQ(Pane(kPaneTotals), L"Keys Searched: 0, Total Item(s): 4");

    view->ResultsList().DeleteItem(0);
    FinishedByEngine();
    ASSERT_EQ(Rows(), 3);
    std::set<DWORD_PTR> listed;
    for (int row = 0; row < Rows(); ++row) {
        listed.insert(view->ResultsList().GetItemData(row));
    }
    EXPECT_EQ(listed, (std::set<DWORD_PTR>{1, 2, 3}));

    held.Release();
    view->StopSearch();
    Pump([] { return false; }, 100);
}

TEST_F(SearchViewTest, ClosingDuringASearchTellsTheWorkerToStopAndSaves) {
    CKeldraThread& search = view->Search();
    HeldRegistry held;
    const SearchRequest request = held.Request(L"HKCU\\QuillonNoSuchKey");
    Type(IDC_SEARCH_TEXT, L"kept");
    ASSERT_TRUE(view->StartSearch(request));
    ASSERT_TRUE(held.WaitUntilHeld());
    view->DestroyWindow();
    EXPECT_TRUE(search.IsStopSet());
    EXPECT_TRUE(search.IsRunning()) << "not waited for";
    held.Release();
    view.reset(); // the engine waits for its worker
    EXPECT_EQ(ReadFormState().mode, DWORD{SM_FIND_STRING});
    HKEY key = nullptr;
    EXPECT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kProgramKeyPath) + L"\\History").c_str(), 0, KEY_READ, &key),
        ERROR_SUCCESS);
    if (key) {
        RegCloseKey(key);
    }
}
