#include "gui/browser/filelistdelegate.h"

QSize CFileListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    if (m_cell.isValid())
        return m_cell;
    return QStyledItemDelegate::sizeHint(option, index);
}
