#include "editor/cellrowlist.h"

#include "document/zurdoclisteners.h"

#include <algorithm>

CCellInfo* CCellRowList::GetCell(int row) const
{
    return Valid(row) ? m_rows[static_cast<size_t>(row)].cell : nullptr;
}

int CCellRowList::FindRow(const CCellInfo* cell) const
{
    if (!cell)
        return -1;
    const auto it =
        std::find_if(m_rows.begin(), m_rows.end(), [cell](const Row& r) { return r.cell == cell; });
    return it == m_rows.end() ? -1 : static_cast<int>(it - m_rows.begin());
}

int CCellRowList::InsertRow(int row, CCellInfo* cell)
{
    if (!cell || row < -1 || row > GetCount())
        return -1;
    if (row == -1)
        row = GetCount();
    if (m_listeners)
        m_listeners->RowsAboutToBeInserted(row, 1);
    m_rows.insert(m_rows.begin() + row, Row{cell, false});
    if (m_focus >= row)
        ++m_focus;
    if (m_anchor >= row)
        ++m_anchor;
    if (m_listeners)
        m_listeners->RowsInserted(row, 1);
    return row;
}

bool CCellRowList::DeleteRow(int row)
{
    if (!Valid(row))
        return false;
    if (m_listeners)
        m_listeners->RowsAboutToBeRemoved(row, 1);
    m_rows.erase(m_rows.begin() + row);
    const auto shift = [&](int& index) {
        if (index > row)
            --index;
        else if (index == row && index >= GetCount())
            index = GetCount() - 1;
    };
    shift(m_focus);
    shift(m_anchor);
    if (m_listeners)
        m_listeners->RowsRemoved(row, 1);
    return true;
}

void CCellRowList::Clear()
{
    const int count = GetCount();
    if (m_listeners)
        m_listeners->RowsAboutToBeRemoved(0, count);
    m_rows.clear();
    m_focus = m_anchor = -1;
    if (m_listeners)
        m_listeners->RowsRemoved(0, count);
}

bool CCellRowList::IsSelected(int row) const
{
    return Valid(row) && m_rows[static_cast<size_t>(row)].selected;
}

bool CCellRowList::SetSel(int row, bool select)
{
    if (row == -1) {
        for (Row& r : m_rows)
            r.selected = select;
        return true;
    }
    if (!Valid(row))
        return false;
    m_rows[static_cast<size_t>(row)].selected = select;
    return true;
}

bool CCellRowList::SelectRange(int first, int last, bool select)
{
    if (first > last)
        std::swap(first, last);
    if (!Valid(first) || !Valid(last))
        return false;
    for (int i = first; i <= last; ++i)
        m_rows[static_cast<size_t>(i)].selected = select;
    return true;
}

std::vector<int> CCellRowList::SelectedRows() const
{
    std::vector<int> rows;
    for (int i = 0; i < GetCount(); ++i)
        if (m_rows[static_cast<size_t>(i)].selected)
            rows.push_back(i);
    return rows;
}

int CCellRowList::SelectedCount() const
{
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) { return r.selected; }));
}

void CCellRowList::SetFocusRow(int row)
{
    m_focus = Valid(row) ? row : -1;
}

void CCellRowList::SetAnchorRow(int row)
{
    m_anchor = Valid(row) ? row : -1;
}

void CCellRowList::ApplyClick(int row, bool ctrl, bool shift)
{
    if (!Valid(row))
        return;
    if (ctrl) {
        SetSel(row, !IsSelected(row));
    } else if (shift) {
        ClearSelection();
        // Without an anchor the range is the clicked row alone.
        SelectRange(m_anchor >= 0 ? m_anchor : row, row);
    } else {
        ClearSelection();
        SetSel(row);
        m_anchor = row;
    }
    m_focus = row;
}

void CCellRowList::ClickOutside()
{
    ClearSelection();
    m_anchor = -1;
}
