#include "results/html_list_layout.h"
#include "results/html_list_rows.h"
#include "winlib/display_scale.h"

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

TEST(HtmlListLayout, RowPartsFollowTheLabelCheckBoxAndIcon) {
    const RECT row = {0, 100, 500, 160}; // 60 high
    RowLook look;
    look.checkBoxes = true;
    look.images = true;
    look.imageSize = {16, 16};
    look.lineNumbers = true;
    const RowParts parts = LayoutRow(row, look, SIZE{30, 14}, 20);
    EXPECT_EQ(parts.labelHeight, 14);
    EXPECT_EQ(parts.label.left, Scaled(3));
    EXPECT_EQ(parts.label.right, 30);
    EXPECT_EQ(parts.label.top, 105);
    EXPECT_EQ(parts.labelWidth, 30 - Scaled(3));
    // Check box and icon are centred in the space below the label.
    EXPECT_EQ(parts.checkBox.top, 100 + 14 + (60 - 14) / 2 - 8);
    EXPECT_EQ(parts.checkBox.right - parts.checkBox.left, Scaled(13));
    EXPECT_EQ(parts.icon.x, Scaled(3) + Scaled(13) + Scaled(5));
    EXPECT_EQ(parts.icon.y, 100 + (60 - 14) / 2 + 14 - 8);
    EXPECT_EQ(parts.markup.left, std::max(16 + 10, 30 - Scaled(3) + 2) + Scaled(18));
    EXPECT_EQ(parts.markup.top, 100 + 30 - 10);
    EXPECT_EQ(parts.markup.bottom, 100 + 30 + 10);

    const RECT hot = CheckBoxHotArea(row, 14);
    EXPECT_EQ(hot.left, 3);
    EXPECT_EQ(hot.right, 3 + Scaled(15));
    EXPECT_EQ(hot.top, parts.checkBox.top);

    RowLook plain; // no boxes, no images, no numbers
    const RowParts bare = LayoutRow(row, plain, SIZE{30, 14}, 0);
    EXPECT_EQ(bare.labelHeight, 0);
    EXPECT_EQ(bare.markup.left, 5);
    EXPECT_EQ(bare.markup.top, 100);
    EXPECT_EQ(bare.markup.bottom, 160);
    EXPECT_EQ(MarkupMeasureWidth(400, plain), 395);
    EXPECT_EQ(MarkupMeasureWidth(400, look), 400 - (Scaled(3) + Scaled(13) + 5) - 26);
    EXPECT_EQ(RowHeightFor(16, 14, plain), 16 + Scaled(7));
    EXPECT_EQ(RowHeightFor(16, 14, look), Scaled(14) + 16 + Scaled(7));
}

TEST(HtmlListLayout, ScrollIntoViewMovesOnlyWhenNeeded) {
    EXPECT_EQ(ScrollIntoView(50, 20, 100, 300), 50);   // above: align the top
    EXPECT_EQ(ScrollIntoView(390, 20, 100, 300), 110); // below: align the bottom
    EXPECT_EQ(ScrollIntoView(200, 20, 100, 300), 100); // visible: unchanged
    EXPECT_EQ(VerticalPageStep(400), 300);
    EXPECT_EQ(VerticalPageStep(401), 301);
}

} // namespace
