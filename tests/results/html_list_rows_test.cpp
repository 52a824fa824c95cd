#include "results/html_list_layout.h"
#include "results/html_list_rows.h"

#include <gtest/gtest.h>

namespace {

HtmlListRows MakeRows(std::initializer_list<int> heights) {
    HtmlListRows rows;
    DWORD_PTR data = 100;
    for (int height : heights) {
        HtmlListItem item;
        item.height = height;
        item.data = data++;
        rows.Append(std::move(item));
    }
    return rows;
}

TEST(HtmlListRows, RemovalsRenumberAndKeepTheSelectionOnItsRow) {
    HtmlListRows rows = MakeRows({10, 20, 30, 40, 50});
    EXPECT_EQ(rows.TotalHeight(), 150);
    rows.SetSelected(3); // data 103
    EXPECT_FALSE(rows.Remove(5));
    EXPECT_FALSE(rows.Remove(-1));

    ASSERT_TRUE(rows.Remove(1)); // above the selection
    EXPECT_EQ(rows.Count(), 4);
    EXPECT_EQ(rows.Selected(), 2);
    EXPECT_EQ(rows.At(2)->data, 103u);
    EXPECT_EQ(rows.TotalHeight(), 130);
    for (int i = 0; i < rows.Count(); ++i) {
        EXPECT_EQ(rows.At(i)->position, i);
    }
    EXPECT_EQ(rows.At(2)->top, 10 + 30);

    ASSERT_TRUE(rows.Remove(3)); // below it
    EXPECT_EQ(rows.Selected(), 2);
    ASSERT_TRUE(rows.Remove(2)); // the selected row itself
    EXPECT_EQ(rows.Selected(), -1);
    EXPECT_EQ(rows.Count(), 2);
}

TEST(HtmlListRows, CheckedRowsGoTogether) {
    HtmlListRows rows = MakeRows({10, 10, 10, 10, 10, 10});
    rows.At(0)->checked = TRUE;
    rows.At(2)->checked = TRUE;
    rows.At(5)->checked = TRUE;
    rows.SetSelected(4); // data 104
    EXPECT_EQ(rows.RemoveChecked(), 3);
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.Selected(), 2);
    EXPECT_EQ(rows.At(2)->data, 104u);
    EXPECT_EQ(rows.At(1)->data, 103u);
    EXPECT_EQ(rows.At(1)->top, 10);
    EXPECT_EQ(rows.RemoveChecked(), 0);

    rows.At(2)->checked = TRUE;
    rows.RemoveChecked();
    EXPECT_EQ(rows.Selected(), -1);
    rows.Clear();
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(rows.TotalHeight(), 0);
    EXPECT_EQ(rows.At(0), nullptr);
}

TEST(HtmlListRows, RowsAreFoundByOffset) {
    HtmlListRows rows = MakeRows({10, 20, 30});
    EXPECT_EQ(rows.RowAt(0), 0);
    EXPECT_EQ(rows.RowAt(9), 0);
    EXPECT_EQ(rows.RowAt(10), 1);
    EXPECT_EQ(rows.RowAt(59), 2);
    EXPECT_EQ(rows.RowAt(60), -1);
    EXPECT_EQ(rows.RowAt(-1), -1);
    EXPECT_EQ(rows.FirstEndingAfter(0), 0);
    EXPECT_EQ(rows.FirstEndingAfter(10), 1);
    EXPECT_EQ(rows.FirstEndingAfter(29), 1);
    EXPECT_EQ(rows.FirstEndingAfter(1000), 3);
}

TEST(HtmlListLayout, CheckBoxAndIconAreCentredBelowTheLineNumber) {
    const RECT row = {0, 100, 500, 160}; // 60 high
    RowLook look;
    look.checkBoxes = true;
    look.images = true;
    look.imageSize = {16, 16};
    look.lineNumbers = true;
    const RowParts parts = LayoutRow(row, look, SIZE{30, 14}, 20);
    EXPECT_EQ(parts.labelHeight, 14);
    const int middleBelowLabel = 100 + 14 + (60 - 14) / 2;
    EXPECT_EQ(parts.checkBox.top, middleBelowLabel - 8);
    EXPECT_EQ(parts.icon.y, middleBelowLabel - 8);
    EXPECT_GE(parts.icon.x, parts.checkBox.right);
    EXPECT_GE(parts.markup.left, parts.icon.x + 16);
    EXPECT_EQ(CheckBoxHotArea(row, 14).top, parts.checkBox.top);
    // The markup is centred on its measured height.
    EXPECT_EQ(parts.markup.top - row.top, row.bottom - parts.markup.bottom);

    RowLook plain; // no boxes, no images, no numbers: the markup fills the row from 5 pixels in
    const RowParts bare = LayoutRow(row, plain, SIZE{30, 14}, 0);
    EXPECT_EQ(bare.labelHeight, 0);
    EXPECT_EQ(bare.markup.left, 5);
    EXPECT_EQ(bare.markup.top, 100);
    EXPECT_EQ(bare.markup.bottom, 160);
}

TEST(HtmlListLayout, ScrollIntoViewMovesOnlyWhenNeeded) {
    EXPECT_EQ(ScrollIntoView(50, 20, 100, 300), 50);   // above: align the top
    EXPECT_EQ(ScrollIntoView(390, 20, 100, 300), 110); // below: align the bottom
    EXPECT_EQ(ScrollIntoView(200, 20, 100, 300), 100); // visible: unchanged
    EXPECT_EQ(VerticalPageStep(400), 300);
    EXPECT_EQ(VerticalPageStep(401), 301);
}

} // namespace
