#include "editor/cellrowlist.h"
#include "model/cellctrlinfo.h"

#include <array>
#include <gtest/gtest.h>

namespace {

class CellRowListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto& cell : cells)
            rows.InsertRow(-1, &cell);
    }
    std::array<CCellCtrlInfo, 5> cells;
    CCellRowList rows;
};

TEST_F(CellRowListTest, InsertAndFind)
{
    ASSERT_EQ(rows.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rows.GetCell(i), &cells[static_cast<size_t>(i)]);
        EXPECT_EQ(rows.FindRow(&cells[static_cast<size_t>(i)]), i);
    }
    EXPECT_EQ(rows.GetCell(5), nullptr);
    EXPECT_EQ(rows.GetCell(-1), nullptr);
    CCellCtrlInfo stranger;
    EXPECT_EQ(rows.FindRow(&stranger), -1);
    EXPECT_EQ(rows.InsertRow(7, &stranger), -1) << "beyond the end";
    EXPECT_EQ(rows.InsertRow(0, nullptr), -1);
    EXPECT_EQ(rows.InsertRow(5, &stranger), 5) << "at the count appends";
}

TEST_F(CellRowListTest, SelectionMovesWithItsRows)
{
    rows.SetSel(1);
    rows.SetSel(3);
    CCellCtrlInfo extra;
    ASSERT_EQ(rows.InsertRow(0, &extra), 0);
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{2, 4}));
    EXPECT_FALSE(rows.IsSelected(0)) << "a new row is not selected";
    ASSERT_TRUE(rows.DeleteRow(2));
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{3}));
    EXPECT_EQ(rows.GetCell(3), &cells[3]);
    EXPECT_FALSE(rows.DeleteRow(9));
}

TEST_F(CellRowListTest, DeletingSelectedRowsByShiftedIndex)
{
    // Deleting the k-th selected row at its index minus k removes exactly them.
    for (int r : {1, 2, 4})
        rows.SetSel(r);
    const std::vector<int> selected = rows.SelectedRows();
    for (size_t k = 0; k < selected.size(); ++k)
        ASSERT_TRUE(rows.DeleteRow(selected[k] - static_cast<int>(k)));
    ASSERT_EQ(rows.GetCount(), 2);
    EXPECT_EQ(rows.GetCell(0), &cells[0]);
    EXPECT_EQ(rows.GetCell(1), &cells[3]);
    EXPECT_EQ(rows.SelectedCount(), 0);
}

TEST_F(CellRowListTest, FocusAndAnchorFollowInsertAndDelete)
{
    rows.SetFocusRow(2);
    rows.SetAnchorRow(3);
    CCellCtrlInfo extra;
    rows.InsertRow(1, &extra);
    EXPECT_EQ(rows.FocusRow(), 3);
    EXPECT_EQ(rows.AnchorRow(), 4);
    rows.DeleteRow(0);
    EXPECT_EQ(rows.FocusRow(), 2);
    EXPECT_EQ(rows.AnchorRow(), 3);
    rows.DeleteRow(4);
    rows.DeleteRow(3);
    EXPECT_EQ(rows.AnchorRow(), 2) << "the anchor's row went; it stays within the list";
    rows.SetFocusRow(17);
    EXPECT_EQ(rows.FocusRow(), -1);
    rows.Clear();
    EXPECT_EQ(rows.GetCount(), 0);
    EXPECT_EQ(rows.AnchorRow(), -1);
}

TEST_F(CellRowListTest, RangesAndAll)
{
    EXPECT_TRUE(rows.SelectRange(3, 1));
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(rows.SelectRange(2, 8));
    EXPECT_TRUE(rows.SetSel(-1, true));
    EXPECT_EQ(rows.SelectedCount(), 5);
    rows.ClearSelection();
    EXPECT_EQ(rows.SelectedCount(), 0);
}

TEST_F(CellRowListTest, ClickRules)
{
    struct Click
    {
        int row;
        bool ctrl, shift;
        std::vector<int> expected;
        int anchor;
    };
    const Click clicks[] = {
        {1, false, false, {1}, 1},      // plain click: only that row, anchor there
        {3, false, true, {1, 2, 3}, 1}, // shift: range from the anchor, anchor stays
        {0, false, true, {0, 1}, 1},    // a second shift range replaces the first
        {4, true, false, {0, 1, 4}, 1}, // ctrl adds
        {1, true, false, {0, 4}, 1},    // ctrl on a selected row removes it
        {2, false, false, {2}, 2},
    };
    for (const Click& c : clicks) {
        rows.ApplyClick(c.row, c.ctrl, c.shift);
        EXPECT_EQ(rows.SelectedRows(), c.expected) << "click on " << c.row;
        EXPECT_EQ(rows.AnchorRow(), c.anchor);
        EXPECT_EQ(rows.FocusRow(), c.row);
    }
    rows.ClickOutside();
    EXPECT_EQ(rows.SelectedCount(), 0);
    EXPECT_EQ(rows.AnchorRow(), -1);
    rows.ApplyClick(3, false, true);
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{3})) << "shift without anchor";
}

} // namespace
