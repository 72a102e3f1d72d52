#pragma once

#include <QSize>
#include <QStyledItemDelegate>

// Draws the file list's items; in the icon views every item takes the
// whole grid cell, so names get the cell's width and the view can lay out
// many items from one size.
class CFileListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // An empty size: sizes come from the items (list and details views).
    void SetCellSize(const QSize& size) { m_cell = size; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSize m_cell;
};
