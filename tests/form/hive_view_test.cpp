// A hive file searched through the real search view lists and exports what quillon-find gives for it, and
// offers nothing that writes. tests/hive/hive_test.py makes the hive and runs this test with the paths of
// the hive, of the window's list and export (.txt, .reg) and of a cut copy in QUILLON_TEST_HIVE*.
#include "output/list_save.h"
#include "resources/command_ids.h"
#include "results/file_commands.h"
#include "tests/common/message_box_closer.h"
#include "tests/form/view_fixture.h"

namespace {

class HiveView : public viewtest::ViewTest {};

TEST_F(HiveView, ListsAndExportsWhatTheConsoleProgramFindsAndOffersNoWrites) {
    if (!_wgetenv(L"QUILLON_TEST_HIVE")) {
        GTEST_SKIP() << "run by tests/hive/hive_test.py, which makes the hive";
    }
    const std::wstring hive = _wgetenv(L"QUILLON_TEST_HIVE"), out = _wgetenv(L"QUILLON_TEST_HIVE_OUT");
    SetText(L"File", hive.c_str()); // chooses the hive file and looks in all of it
    EXPECT_FALSE(Offered(L"HKEY_CURRENT_USER"));
    ChooseMode(SM_ALL_ITEMS);
    PressSearch();
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_NE(CWindow(frame).GetWindowText().find(hive), std::wstring::npos) << "the title names the file";
    CHTMLListCtrl& list = view->ResultsList();
    ASSERT_GT(list.GetItemCount(), 20);
    // A same-named file that cannot be read is refused; the listed results keep their hive, exported below.
    testsupport::MessageBoxCloser closer(IDOK);
    SetText(L"File", (hive.substr(0, hive.rfind(L'\\')) + L"\\gone" + hive.substr(hive.rfind(L'\\'))).c_str());
    PressSearch();
    ASSERT_TRUE(closer.Seen().size() == 1 &&
                closer.Seen()[0].text.find(L" cannot be searched: ") != std::wstring::npos);
    view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_MARK_ALL, 0), 0);
    const RECT row = list.GetItemRect(1);
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2));
    const CommandStateInputs in = view->CommandInputs();
    ASSERT_EQ(in.selected, 1);
    for (UINT id : {ID_EDIT_DELETE_CHECKED, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED, ID_FILE_OPEN_REGEDIT}) {
        EXPECT_FALSE(CommandAllowed(id, in)) << "command " << id;
    }
    EXPECT_TRUE(CommandAllowed(ID_FILE_EXPORT, in) && CommandAllowed(ID_EDIT_COPY, in));
    std::vector<SearchResult> records;
    const std::vector<ListedRow> rows = ListedRows(list, view->Results(), records);
    EXPECT_EQ(SaveListToFile(rows, out + L".txt").error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ExportResultsToFile(ExportEntriesFromRows(rows), view->Results(), out + L".reg").status,
              RegExportStatus::Written);

    // A cut copy is named with its damage, whether it cannot be mounted or its search meets the damage.
    const std::wstring damaged = _wgetenv(L"QUILLON_TEST_HIVE_DAMAGED");
    SetText(L"File", damaged.c_str());
    PressSearch();
    ASSERT_TRUE(Pump([&] { return closer.Seen().size() > 1 && !view->IsSearchRunning() && !view->IsListing(); }));
    const std::wstring& told = closer.Seen()[1].text;
    EXPECT_TRUE(told.find(damaged + L" ") != std::wstring::npos && told.find(L"truncated") != told.npos) << told;
}

} // namespace
