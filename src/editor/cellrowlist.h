#pragma once

#include <vector>

class CCellInfo;
class CZurDocListeners;

// The rows of a project window: each row names a visible cell owned by the
// document's cell list (the rows own nothing). Multiple selection with a
// focus row and an anchor row for Shift ranges, as the window's list box
// keeps them; the list box widget mirrors this class row for row.
//
// With listeners set (the editor sets its document's), every inserted and
// removed row is told to them before and after the change.
class CCellRowList
{
public:
    void SetListeners(CZurDocListeners* listeners) { m_listeners = listeners; }

    int GetCount() const { return static_cast<int>(m_rows.size()); }
    // The cell of `row`, nullptr out of range.
    CCellInfo* GetCell(int row) const;
    // The row showing `cell`, -1 when none.
    int FindRow(const CCellInfo* cell) const;

    // Inserts a row before `row` (-1 appends). Returns the new row's index,
    // or -1 when `row` lies beyond the end or `cell` is null. Selection,
    // focus and anchor move with their rows.
    int InsertRow(int row, CCellInfo* cell);
    bool DeleteRow(int row);
    // Removes every row; focus and anchor become -1. Told as a removal of
    // all rows unless a reset is under way.
    void Clear();

    bool IsSelected(int row) const;
    // Selects or deselects one row; row -1 means every row.
    bool SetSel(int row, bool select = true);
    // Selects or deselects first..last (either order).
    bool SelectRange(int first, int last, bool select = true);
    void ClearSelection() { SetSel(-1, false); }
    // The selected rows in ascending order.
    std::vector<int> SelectedRows() const;
    int SelectedCount() const;

    int FocusRow() const { return m_focus; }
    void SetFocusRow(int row);
    int AnchorRow() const { return m_anchor; }
    void SetAnchorRow(int row);

    // The click rules of the list: Ctrl toggles the row, Shift selects the
    // range from the anchor (which stays), a plain click selects only the
    // row and makes it the anchor. The focus follows the click.
    void ApplyClick(int row, bool ctrl, bool shift);
    // A press below the last row: nothing selected, no anchor.
    void ClickOutside();

    // The list refuses input while an insertion runs.
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

private:
    struct Row
    {
        CCellInfo* cell;
        bool selected;
    };
    bool Valid(int row) const { return row >= 0 && row < GetCount(); }

    std::vector<Row> m_rows;
    int m_focus = -1;
    int m_anchor = -1;
    bool m_enabled = true;
    CZurDocListeners* m_listeners = nullptr;
};
