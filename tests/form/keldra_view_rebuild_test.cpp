// The list rebuilt for a key filter through the real view: which records come back, in store order, what the
// main pane says, and when a rebuild is skipped.
#include "tests/form/view_fixture.h"

#include <vector>

using namespace viewtest;

namespace {

SearchResult Record(HKEY root, const wchar_t* keyPath, bool removed = false) {
    SearchResult record;
    record.root = root;
    record.SetKeyPath(keyPath);
    record.kind = RK_KEY | RK_KEY_NAME;
    record.removed = removed;
    return record;
}

} // namespace

class RebuildTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ResultsStore& results = view->Search().Results();
        results.Append(Record(HKEY_CURRENT_USER, L"Software\\X"), 0);             // 0
        results.Append(Record(HKEY_CURRENT_USER, L"Software\\XY"), 0);            // 1: sibling sharing a prefix
        results.Append(Record(HKEY_CURRENT_USER, L"software\\x\\Deeper"), 0);     // 2: other case, below
        results.Append(Record(HKEY_LOCAL_MACHINE, L"Software\\X"), 0);            // 3: other hive
        results.Append(Record(HKEY_CURRENT_USER, L"Software\\X\\Gone", true), 0); // 4: removed by the user
    }
    std::vector<DWORD_PTR> Listed() {
        std::vector<DWORD_PTR> rows;
        for (int row = 0; row < view->ResultsList().GetItemCount(); ++row) {
            rows.push_back(view->ResultsList().GetItemData(row));
        }
        return rows;
    }
};

TEST_F(RebuildTest, KeyFilterListsTheKeyAndItsSubKeysButNoSiblingOrOtherHive) {
    view->RebuildList(L"HKEY_CURRENT_USER\\Software\\X");
    EXPECT_EQ(Listed(), (std::vector<DWORD_PTR>{0, 2}));
    EXPECT_EQ(Pane(0), L"2 item(s) shown");
    EXPECT_EQ(view->KeyFilter(), L"HKEY_CURRENT_USER\\Software\\X");

    view->RebuildList(L"hkcu");
    EXPECT_EQ(Listed(), (std::vector<DWORD_PTR>{0, 1, 2})) << "a hive alone admits all of its keys";
}

TEST_F(RebuildTest, EmptyFilterListsEveryRecordNotRemovedAndASameFilterIsSkipped) {
    view->SetKeyFilter(L"<>");
    view->RebuildList(L"");
    EXPECT_EQ(Listed(), (std::vector<DWORD_PTR>{0, 1, 2, 3}));
    EXPECT_EQ(view->NextResultToList(), 5u);

    view->ResultsList().DeleteItem(0);
    view->RebuildList(L"");
    EXPECT_EQ(view->ResultsList().GetItemCount(), 3) << "the filter did not change: nothing is rebuilt";
    view->RebuildList(L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(Listed(), (std::vector<DWORD_PTR>{3}));
}
