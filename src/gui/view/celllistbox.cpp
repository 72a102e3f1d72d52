#include "gui/view/celllistbox.h"

#include "editor/cellrowlist.h"
#include "gui/view/cellrowmodel.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

namespace {
// A press moved by more than this in either direction starts a drag.
constexpr int kDragSlack = 3;
} // namespace

CCellListBox::CCellListBox(CCellRowModel& model, CCellRowList& rows, QWidget* parent)
    : QListView(parent), m_model(model), m_rows(rows)
{
    setModel(&m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setDragEnabled(false); // drags start from our own press rules
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setAutoScroll(false);
    setFocusPolicy(Qt::StrongFocus);
    // Below the last row the list shows light grey.
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(192, 192, 192));
    setPalette(p);
    setAccessibleName(tr("Slides"));
}

int CCellListBox::RowAt(int y) const
{
    const QModelIndex index = indexAt(QPoint(1, y));
    return index.isValid() ? index.row() : -1;
}

void CCellListBox::Press(QMouseEvent* event, bool takeFocus)
{
    if (m_tracking || m_busy)
        return;
    if (takeFocus)
        setFocus(Qt::MouseFocusReason);
    const int row = RowAt(event->position().toPoint().y());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (row < 0) {
        if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
            m_rows.ClickOutside();
            Q_EMIT SelectionChanged();
        }
        return;
    }
    m_pressPoint = event->position().toPoint();
    m_tracking = true;
    if (event->button() == Qt::LeftButton) {
        m_deferredClick = m_rows.IsSelected(row);
        if (!m_deferredClick) {
            m_rows.ApplyClick(row, ctrl, shift);
            Q_EMIT SelectionChanged();
        }
    } else if (event->button() == Qt::RightButton) {
        // A right press on a selected row keeps the selection for its menu.
        if (!ctrl && !shift) {
            m_deferredClick = false;
            if (!m_rows.IsSelected(row)) {
                m_rows.ApplyClick(row, false, false);
                Q_EMIT SelectionChanged();
            }
        }
    } else {
        m_tracking = false;
    }
}

void CCellListBox::mousePressEvent(QMouseEvent* event)
{
    Press(event, true);
    event->accept();
}

void CCellListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click means nothing of its own: a second press.
    Press(event, false);
    event->accept();
}

void CCellListBox::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_tracking)
        return;
    const QPoint d = event->position().toPoint() - m_pressPoint;
    if (std::abs(d.x()) > kDragSlack || std::abs(d.y()) > kDragSlack) {
        EndTracking();
        Q_EMIT DragRequested();
    }
}

void CCellListBox::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_tracking)
        return;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool apply = m_deferredClick && (event->button() == Qt::LeftButton || (!ctrl && !shift));
    if (apply) {
        const int row = RowAt(event->position().toPoint().y());
        if (row >= 0) {
            m_rows.ApplyClick(row, ctrl, shift);
            Q_EMIT SelectionChanged();
        }
    }
    EndTracking();
}

void CCellListBox::EndTracking()
{
    m_deferredClick = false;
    m_tracking = false;
}

void CCellListBox::MoveFocus(int row, bool extend)
{
    Q_UNUSED(extend);
    const int count = m_rows.GetCount();
    if (count == 0)
        return;
    row = std::clamp(row, 0, count - 1);
    m_rows.SetFocusRow(row);
    scrollTo(m_model.index(row));
    Q_EMIT SelectionChanged();
}

void CCellListBox::keyPressEvent(QKeyEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    const int focus = m_rows.FocusRow();
    const int page = std::max(1, viewport()->height() / std::max(1, sizeHintForRow(0)));
    switch (event->key()) {
    case Qt::Key_Up:
        MoveFocus(focus < 0 ? 0 : focus - 1, false);
        break;
    case Qt::Key_Down:
        MoveFocus(focus < 0 ? 0 : focus + 1, false);
        break;
    case Qt::Key_PageUp:
        MoveFocus(focus - page, false);
        break;
    case Qt::Key_PageDown:
        MoveFocus(focus < 0 ? page - 1 : focus + page, false);
        break;
    case Qt::Key_Home:
        MoveFocus(0, false);
        break;
    case Qt::Key_End:
        MoveFocus(m_rows.GetCount() - 1, false);
        break;
    case Qt::Key_Space:
        if (focus >= 0) {
            m_rows.SetSel(focus, !m_rows.IsSelected(focus));
            Q_EMIT SelectionChanged();
        }
        break;
    default:
        // Everything else is a shortcut of the window's commands.
        event->ignore();
        return;
    }
    event->accept();
}

void CCellListBox::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (!m_busy)
        Q_EMIT ContextMenuRequested(viewport()->mapFromGlobal(event->globalPos()));
}

void CCellListBox::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void CCellListBox::dragMoveEvent(QDragMoveEvent* event)
{
    event->ignore();
    if (!m_busy)
        Q_EMIT DragOver(event);
}

void CCellListBox::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
}

void CCellListBox::dropEvent(QDropEvent* event)
{
    event->ignore();
    if (!m_busy)
        Q_EMIT Dropped(event);
}

void CCellListBox::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    viewport()->update();
}

void CCellListBox::focusOutEvent(QFocusEvent* event)
{
    QListView::focusOutEvent(event);
    viewport()->update();
}

void CCellListBox::ScrollToFocus()
{
    const int focus = m_rows.FocusRow();
    if (focus >= 0 && focus < m_model.rowCount())
        scrollTo(m_model.index(focus));
}
