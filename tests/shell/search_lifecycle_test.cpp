// Whole searches through the real main frame and search view: the window keeps answering while a large
// search ends, repeated searches leave no GDI objects or handles behind, and the problems a search met are
// shown (the end-of-search text, the message for an unreachable computer, the search log command).
#include "tests/shell/frame_fixture.h"

#include "base/log_file.h"
#include "base/settings.h"
#include "engine/snapshot_shelf.h"
#include "resources/string_ids.h"
#include "shell/search_log_view.h"
#include "tests/common/message_box_closer.h"
#include "tests/common/test_support.h"
#include "winlib/resource_string.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::wstring kTree = L"Software\\QuillonTestLifecycle";

void BuildTree(int keys, int values) {
    HKEY root = testsupport::FreshKey(kTree);
    for (int k = 0; k < keys; ++k) {
        HKEY key = nullptr;
        RegCreateKeyExW(root, (L"Key" + std::to_wstring(k)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        for (int v = 0; v < values; ++v) {
            const std::wstring data = L"C:\\needle\\module" + std::to_wstring(v) + L".dll";
            RegSetValueExW(key, (L"v" + std::to_wstring(v)).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    RegCloseKey(root);
}

class SearchLifecycle : public FrameTest {
protected:
    void TearDown() override {
        FrameTest::TearDown();
        testsupport::DeleteKey(kTree);
    }

    // Starts a search of the data for "needle" below lookIn and handles messages until its end text shows.
    bool SearchToTheEnd(const std::wstring& lookIn, const std::wstring& computer = L"") {
        CKeldraWTLView& view = frame->View();
        SearchFormValues values;
        values.lookIn = lookIn;
        values.remote = !computer.empty();
        values.computer = computer;
        values.options = SO_DATA;
        values.searchText = L"needle";
        RequestOutcome outcome = BuildSearchRequest(values);
        // The end text of an earlier search must not pass for this one's.
        frame->StatusBar().SetPaneText(ID_DEFAULT_PANE, L"");
        if (!outcome.Accepted() || !view.StartSearch(std::move(*outcome.request))) {
            return false;
        }
        return testsupport::PumpUntil(
            [&] { return !view.IsSearchRunning() && !view.IsListing() && DefaultPaneText().rfind(L"Scan ", 0) == 0; });
    }
};

// ---- the window answers while a large search ends

// A window on the test's thread that answers a sent question: is the view in its final listing now?
// With a filter, the first question answered during the listing also rebuilds the list, as Refresh or a key
// browser selection would at that moment.
class ListingWitness : public CWindowImpl<ListingWitness> {
public:
    explicit ListingWitness(CKeldraWTLView& view, std::wstring rebuildFilter = {})
        : view_(view), rebuildFilter_(std::move(rebuildFilter)) {}
    BOOL ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result, DWORD) override {
        if (message != WM_APP) {
            return FALSE;
        }
        result = view_.IsListing() ? 1 : 0;
        if (result && !rebuildFilter_.empty() && view_.ListedCount() > 0) {
            view_.RebuildList(rebuildFilter_);
            rebuildFilter_.clear();
            rebuilt = true;
        }
        return TRUE;
    }
    bool rebuilt = false;

private:
    CKeldraWTLView& view_;
    std::wstring rebuildFilter_;
};

// Sends the witness its question from another thread until stopped; counts the answers given during the
// final listing.
class Prober {
public:
    explicit Prober(HWND target) : target_(target), thread_([this] { Run(); }) {}
    ~Prober() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    int AnsweredWhileListing() const { return answered_.load(); }

private:
    void Run() {
        while (!stop_) {
            DWORD_PTR listing = 0;
            if (SendMessageTimeoutW(target_, WM_APP, 0, 0, SMTO_NORMAL, 30000, &listing) && listing) {
                ++answered_;
            }
            Sleep(2);
        }
    }
    HWND target_;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

// Fault guarded against: the hand-over from the worker to the final listing and the listing itself held
// the main thread for seconds on a large search, so the window answered nothing meanwhile.
TEST_F(SearchLifecycle, TheWindowAnswersWhileALargeSearchIsListed) {
    BuildTree(100, 100);
    ListingWitness witness(frame->View());
    ASSERT_NE(witness.Create(HWND_MESSAGE), nullptr);
    Prober prober(witness.m_hWnd);
    const bool ended = SearchToTheEnd(L"HKCU\\" + kTree);
    prober.Stop();
    witness.DestroyWindow();
    ASSERT_TRUE(ended);

    EXPECT_GT(prober.AnsweredWhileListing(), 0) << "the window must answer during the final listing";
    // Every result is listed once, in order, as before.
    CKeldraWTLView& view = frame->View();
    ASSERT_EQ(view.Results().Count(), 10000u);
    ASSERT_EQ(view.ListedCount(), 10000u);
    CHTMLListCtrl& list = view.ResultsList();
    for (int row = 0; row < 10000; row += 997) {
        EXPECT_EQ(list.GetItemData(row), static_cast<DWORD_PTR>(row));
    }
    EXPECT_EQ(frame->StatusBar().GetPaneText(kPaneTotals), L"Keys Searched: 101, Total Item(s): 10000");
    EXPECT_EQ(frame->StatusBar().GetPaneText(kPaneMatches), L"Data: 10000 ");
}

// A list rebuilt while the final listing handles messages has listed everything; the listing must not add
// those rows a second time.
TEST_F(SearchLifecycle, AListRebuiltDuringTheFinalListingHoldsEveryResultOnce) {
    BuildTree(100, 100);
    ListingWitness witness(frame->View(), L"HKEY_CURRENT_USER");
    ASSERT_NE(witness.Create(HWND_MESSAGE), nullptr);
    Prober prober(witness.m_hWnd);
    const bool ended = SearchToTheEnd(L"HKCU\\" + kTree);
    prober.Stop();
    witness.DestroyWindow();
    ASSERT_TRUE(ended);
    ASSERT_TRUE(witness.rebuilt);

    CKeldraWTLView& view = frame->View();
    ASSERT_EQ(view.ListedCount(), 10000u);
    CHTMLListCtrl& list = view.ResultsList();
    for (int row = 0; row < 10000; row += 499) {
        EXPECT_EQ(list.GetItemData(row), static_cast<DWORD_PTR>(row));
    }
}

// ---- no GDI object or handle grows with the number of searches

// GDI objects of this process: the system's count on Windows; where that reads 0 (Wine), the objects found
// by asking each slot of the handle table for its type.
int GdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted) {
        return static_cast<int>(counted);
    }
    int found = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) {
            ++found;
        }
    }
    return found;
}

// Kernel handles of this process: the system's count, or (where it reads 0) the open handle values found.
int KernelHandles() {
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted) {
        return static_cast<int>(counted);
    }
    int found = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++found;
        }
    }
    return found;
}

// Fault guarded against: every search added 6 GDI objects (bitmaps) that were never freed, so after about
// 1,600 searches the process reached the system's limit.
TEST_F(SearchLifecycle, RepeatedSearchesLeaveNoObjectsOrHandlesBehind) {
    constexpr int kFirstPaintObjects = 8;
    BuildTree(5, 20);
    const std::wstring lookIn = L"HKCU\\" + kTree;
    // Painted, frames and scroll bars included, before each count, and counted from the second search on.
    // Controls make a few drawing objects once, at a first paint that may fall in any later search (a short
    // search can end before its progress bar or a live row was ever drawn); a leak shows once per search.
    auto paint = [&] {
        RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    ASSERT_TRUE(SearchToTheEnd(lookIn));
    ASSERT_TRUE(SearchToTheEnd(lookIn));
    paint();
    const int gdiAfterFirst = GdiObjects();
    const int handlesAfterFirst = KernelHandles();
    ASSERT_GT(gdiAfterFirst, 0);
    ASSERT_GT(handlesAfterFirst, 0);

    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(SearchToTheEnd(lookIn)) << "search " << i;
    }
    paint();
    EXPECT_LE(GdiObjects(), gdiAfterFirst + kFirstPaintObjects) << "after 50 searches";
    // Wine's own handles come and go by one or two; a leak would show one per search.
    EXPECT_LE(KernelHandles(), handlesAfterFirst + 2) << "after 50 searches";

    CKeldraWTLView& view = frame->View();
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(view.StartSearch(SearchRequest()));
        view.StopSearch();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !view.IsListing() && DefaultPaneText() == L"Scan cancelled"; }))
            << "cycle " << i;
        // The next start must not find this cycle's end text.
        frame->StatusBar().SetPaneText(ID_DEFAULT_PANE, L"");
    }
    paint();
    EXPECT_LE(GdiObjects(), gdiAfterFirst + kFirstPaintObjects) << "after 50 start/stop cycles";
    EXPECT_LE(KernelHandles(), handlesAfterFirst + 2) << "after 50 start/stop cycles";
}

// ---- problems are shown

TEST_F(SearchLifecycle, ProblemsAreCountedInTheEndTextOnly) {
    BuildTree(1, 3);
    // Two look-in keys that do not exist: each is logged as a key that could not be opened.
    ASSERT_TRUE(
        SearchToTheEnd(L"HKCU\\" + kTree + L";HKCU\\Software\\QuillonNoSuchKey1;HKCU\\Software\\QuillonNoSuchKey2"));
    EXPECT_EQ(DefaultPaneText(), L"Scan Finished (0 sec) - 2 problem(s), see the search log");
    EXPECT_EQ(frame->View().Search().Problems(), 2u);
    EXPECT_EQ(frame->StatusBar().GetPaneText(kPaneTotals), L"Keys Searched: 2, Total Item(s): 3");
    EXPECT_EQ(frame->StatusBar().GetPaneText(kPaneMatches), L"Data: 3 ");
    const std::string log = testsupport::ReadFileBytes(SearchLogPath());
    // The registry view searched comes first; it is not a problem.
    EXPECT_EQ(log.substr(log.find("\r\n") + 2),
              "Unable to open key:Software\\QuillonNoSuchKey1\r\nUnable to open key:Software\\QuillonNoSuchKey2\r\n");

    // A search without problems keeps the plain text. The first search had a copy of the tree read after
    // it: this one runs over it.
    TheSnapshotShelf().FinishReading();
    ASSERT_TRUE(SearchToTheEnd(L"HKCU\\" + kTree));
    EXPECT_EQ(DefaultPaneText(), L"Scan Finished (0 sec)");
    EXPECT_EQ(frame->StatusBar().GetPaneText(kPaneTotals), L"Keys Searched: 2, Total Item(s): 3 (instant)");
}

// Search as you type: once a search has kept a copy of the look-in, the list follows the search text.
TEST_F(SearchLifecycle, WithSearchAsYouTypeTheListFollowsTheTextOverAKeptCopy) {
    BuildTree(3, 4);
    WriteSetting(kSearchAsYouTypeSetting, 1);
    CKeldraWTLView& view = frame->View();
    // The form's look-in text is filled in once after start-up: replaced only after that.
    ASSERT_TRUE(testsupport::PumpUntil([&] { return GetWindowTextLengthW(GetDlgItem(view.m_hWnd, IDC_LOOKIN)) > 0; }));
    SetDlgItemTextW(view.m_hWnd, IDC_LOOKIN, (L"HKCU\\" + kTree).c_str());
    ASSERT_TRUE(SearchToTheEnd(L"HKCU\\" + kTree));
    TheSnapshotShelf().FinishReading();
    for (const wchar_t* typed : {L"module1.dll", L"module3"}) {
        // Every search here ends with the same totals: only its own end text tells that it has ended.
        frame->StatusBar().SetPaneText(ID_DEFAULT_PANE, L"");
        SetDlgItemTextW(view.m_hWnd, IDC_SEARCH_TEXT, typed);
        SendMessageW(view.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_TEXT, CBN_EDITCHANGE), 0);
        EXPECT_TRUE(testsupport::PumpUntil([&] {
            return DefaultPaneText().rfind(L"Scan ", 0) == 0 &&
                   frame->StatusBar().GetPaneText(kPaneTotals) == L"Keys Searched: 4, Total Item(s): 3 (instant)" &&
                   view.Search().Request().patterns == std::vector<std::wstring>{typed} && !view.IsListing();
        }));
        EXPECT_EQ(view.ListedCount(), 3u);
    }
}

TEST_F(SearchLifecycle, AComputerThatCannotBeReachedIsToldAtOnce) {
    testsupport::MessageBoxCloser closer(IDOK);
    ASSERT_TRUE(SearchToTheEnd(L"HKLM\\Software", L"QuillonNoSuchComputer"));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !closer.Seen().empty(); }));
    ASSERT_EQ(closer.Seen().size(), 1u);
    const std::wstring& text = closer.Seen()[0].text;
    EXPECT_EQ(text.rfind(L"Unable to connect to the registry of QuillonNoSuchComputer.\n\n", 0), 0u) << text;
    const DWORD error = static_cast<DWORD>(frame->View().Search().ConnectError());
    ASSERT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
    wchar_t code[16] = {};
    swprintf(code, 16, L"Error %08lX", static_cast<unsigned long>(error));
    EXPECT_NE(text.find(code), std::wstring::npos) << text;
    wchar_t system[512] = {};
    ASSERT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, system, 512,
                             nullptr),
              0u);
    std::wstring reason = system;
    reason = reason.substr(0, reason.find_last_not_of(L"\r\n ") + 1);
    EXPECT_NE(text.find(reason), std::wstring::npos) << "the system's text for the error: " << text;
    EXPECT_EQ(DefaultPaneText(), L"Scan Finished (0 sec) - 1 problem(s), see the search log");

    // A search that reaches its computer tells nothing.
    ASSERT_TRUE(SearchToTheEnd(L"HKCU\\Software\\QuillonNoSuchKey1"));
    EXPECT_EQ(closer.Seen().size(), 1u);
}

struct Launch {
    std::wstring file, verb, parameters;
};
std::vector<Launch> g_launches;

bool RecordLaunch(HWND, const std::wstring& file, const std::wstring& verb, const std::wstring& parameters) {
    g_launches.push_back({file, verb, parameters});
    return true;
}

TEST_F(SearchLifecycle, ShowSearchLogOpensTheLogInNotepad) {
    g_launches.clear();
    const std::wstring path = SearchLogPath();
    ASSERT_FALSE(path.empty());
    DeleteFileW(path.c_str());
    {
        testsupport::MessageBoxCloser closer(IDOK);
        ShowSearchLog(frame->m_hWnd, &RecordLaunch);
        ASSERT_EQ(closer.Seen().size(), 1u);
        EXPECT_EQ(closer.Seen()[0].text, LoadResourceString(IDS_NO_SEARCH_LOG));
        EXPECT_TRUE(g_launches.empty()) << "Notepad would offer to create the missing file";
    }
    ASSERT_TRUE(SearchToTheEnd(L"HKCU\\Software\\QuillonNoSuchKey1"));
    ShowSearchLog(frame->m_hWnd, &RecordLaunch);
    ASSERT_EQ(g_launches.size(), 1u);
    EXPECT_EQ(g_launches[0].file, L"notepad.exe");
    EXPECT_EQ(g_launches[0].verb, L"open");
    EXPECT_EQ(g_launches[0].parameters, L"\"" + LogFolderPath() + L"\\tamsel_log.txt\"");
}

} // namespace
