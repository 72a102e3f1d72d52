#include "gui/view/celllistbox.h"

#include "editor/cellrowlist.h"
#include "gui/view/cellrowmodel.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
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
    // Moves without a button reach us too: they end a press whose release
    // went elsewhere.
    viewport()->setMouseTracking(true);
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
    if (m_tracking) {
        // A second button while the first is held is ignored; the tracked
        // button pressed again, or up again, lost its release to a menu, a
        // dialog or another window.
        if (event->button() != m_trackButton && (event->buttons() & m_trackButton))
            return;
        EndTracking();
    }
    if (m_busy)
        return;
    if (takeFocus)
        setFocus(Qt::MouseFocusReason);
    const int row = RowAt(event->position().toPoint().y());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    if (row < 0) {
        m_rows.ClickOutside();
        Q_EMIT SelectionChanged();
        return;
    }
    m_pressPoint = event->position().toPoint();
    m_tracking = true;
    m_trackButton = event->button();
    if (event->button() == Qt::LeftButton) {
        m_deferredClick = m_rows.IsSelected(row);
        if (!m_deferredClick) {
            m_rows.ApplyClick(row, ctrl, shift);
            Q_EMIT SelectionChanged();
        }
    } else if (!ctrl && !shift) {
        // A right press on a selected row keeps the selection for its menu.
        m_deferredClick = false;
        if (!m_rows.IsSelected(row)) {
            m_rows.ApplyClick(row, false, false);
            Q_EMIT SelectionChanged();
        }
    }
}

void CCellListBox::mousePressEvent(QMouseEvent* event)
{
    Press(event, true);
    event->accept();
}

void CCellListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click; its release asks for the
    // properties, so no dialog opens while the button is down.
    Press(event, false);
    m_doubleClicked = m_tracking && event->button() == Qt::LeftButton &&
                      !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
    event->accept();
}

void CCellListBox::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_tracking)
        return;
    if (!(event->buttons() & m_trackButton)) {
        // The release went elsewhere (a menu, a dialog, another window).
        EndTracking();
        return;
    }
    const QPoint d = event->position().toPoint() - m_pressPoint;
    if (std::abs(d.x()) > kDragSlack || std::abs(d.y()) > kDragSlack) {
        EndTracking();
        Q_EMIT DragRequested();
    }
}

void CCellListBox::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_tracking || event->button() != m_trackButton)
        return;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool apply = m_deferredClick && (event->button() == Qt::LeftButton || (!ctrl && !shift));
    const int row = RowAt(event->position().toPoint().y());
    if (apply && row >= 0) {
        m_rows.ApplyClick(row, ctrl, shift);
        Q_EMIT SelectionChanged();
    }
    const bool properties = m_doubleClicked && row >= 0;
    EndTracking();
    if (properties)
        Q_EMIT PropertiesRequested();
}

void CCellListBox::EndTracking()
{
    m_deferredClick = false;
    m_tracking = false;
    m_doubleClicked = false;
    m_trackButton = Qt::NoButton;
}

void CCellListBox::MoveFocus(int row, Qt::KeyboardModifiers modifiers)
{
    const int count = m_rows.GetCount();
    if (count == 0)
        return;
    row = std::clamp(row, 0, count - 1);
    if (modifiers & Qt::ShiftModifier) {
        // Extends from the anchor, which stays; without one, from the
        // row the focus leaves.
        if (m_rows.AnchorRow() < 0)
            m_rows.SetAnchorRow(m_rows.FocusRow() >= 0 ? m_rows.FocusRow() : row);
        m_rows.ClearSelection();
        m_rows.SelectRange(m_rows.AnchorRow(), row);
        m_rows.SetFocusRow(row);
    } else if (modifiers & Qt::ControlModifier) {
        m_rows.SetFocusRow(row);
    } else {
        m_rows.ApplyClick(row, false, false);
    }
    scrollTo(m_model.index(row));
    Q_EMIT SelectionChanged();
}

int CCellListBox::PrepareKeyboardMenuRow()
{
    const int focus = m_rows.FocusRow();
    if (focus < 0 || focus >= m_rows.GetCount())
        return -1;
    if (!m_rows.IsSelected(focus)) {
        m_rows.ApplyClick(focus, false, false);
        Q_EMIT SelectionChanged();
    }
    return focus;
}

void CCellListBox::KeyboardMenu()
{
    EndTracking();
    const int row = PrepareKeyboardMenuRow();
    QPoint at(viewport()->width() / 4, 0);
    if (row >= 0) {
        scrollTo(m_model.index(row));
        const QRect r = visualRect(m_model.index(row));
        at = QPoint(r.left() + std::min(r.width() / 4, 120), r.center().y());
    }
    Q_EMIT ContextMenuRequested(at, row);
}

void CCellListBox::keyPressEvent(QKeyEvent* event)
{
    if (m_busy) {
        // Nothing changes while an insertion runs; the key is dropped.
        event->accept();
        return;
    }
    const int focus = m_rows.FocusRow();
    const int page = std::max(1, viewport()->height() / std::max(1, sizeHintForRow(0)));
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Up:
        MoveFocus(focus < 0 ? 0 : focus - 1, mods);
        break;
    case Qt::Key_Down:
        MoveFocus(focus < 0 ? 0 : focus + 1, mods);
        break;
    case Qt::Key_PageUp:
        MoveFocus(focus - page, mods);
        break;
    case Qt::Key_PageDown:
        MoveFocus(focus < 0 ? page - 1 : focus + page, mods);
        break;
    case Qt::Key_Home:
        MoveFocus(0, mods);
        break;
    case Qt::Key_End:
        MoveFocus(m_rows.GetCount() - 1, mods);
        break;
    case Qt::Key_Space:
        if (focus >= 0) {
            m_rows.SetSel(focus, !m_rows.IsSelected(focus));
            m_rows.SetAnchorRow(focus);
            Q_EMIT SelectionChanged();
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::AltModifier) {
            event->ignore(); // the Properties command's own key
            return;
        }
        if (m_rows.SelectedCount() == 0 && focus >= 0) {
            m_rows.ApplyClick(focus, false, false);
            Q_EMIT SelectionChanged();
        }
        if (m_rows.SelectedCount() > 0)
            Q_EMIT PropertiesRequested();
        break;
    case Qt::Key_Menu:
        KeyboardMenu();
        break;
    case Qt::Key_F10:
        if (event->modifiers() != Qt::ShiftModifier) {
            event->ignore();
            return;
        }
        KeyboardMenu();
        break;
    case Qt::Key_Escape:
        if (!m_tracking) {
            event->ignore();
            return;
        }
        // Escape while a button is held: the press is given up, the
        // selection stays as it is.
        EndTracking();
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
    // The menu takes the mouse: the release of the press that opened it
    // never comes here.
    EndTracking();
    if (m_busy)
        return;
    if (event->reason() != QContextMenuEvent::Mouse) {
        KeyboardMenu();
        return;
    }
    const QPoint at = viewport()->mapFromGlobal(event->globalPos());
    Q_EMIT ContextMenuRequested(at, RowAt(at.y()));
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
    // The line shows where the rows would go, while they would be taken.
    SetDropLine(event->isAccepted() ? RowAt(event->position().toPoint().y()) : NoDropLine);
}

void CCellListBox::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDropLine(NoDropLine);
    event->accept();
}

void CCellListBox::dropEvent(QDropEvent* event)
{
    SetDropLine(NoDropLine);
    event->ignore();
    if (!m_busy)
        Q_EMIT Dropped(event);
}

void CCellListBox::SetDropLine(int row)
{
    if (row == m_dropLine)
        return;
    m_dropLine = row;
    viewport()->update();
}

void CCellListBox::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (m_dropLine == NoDropLine)
        return;
    // Before the row (its top edge), or under the last row.
    const int rows = m_model.rowCount();
    int y = 0;
    if (m_dropLine >= 0 && m_dropLine < rows)
        y = visualRect(m_model.index(m_dropLine)).top();
    else if (rows > 0)
        y = visualRect(m_model.index(rows - 1)).bottom() + 1;
    QPainter painter(viewport());
    const QColor colour = palette().color(QPalette::Highlight);
    const int width = viewport()->width();
    painter.fillRect(QRect(0, y - 1, width, 3), colour);
    // Small arrow heads at both ends, as file managers mark an insertion.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const int h = 5;
    painter.drawPolygon(QPolygon({QPoint(0, y - h), QPoint(h + 1, y), QPoint(0, y + h)}));
    painter.drawPolygon(
        QPolygon({QPoint(width, y - h), QPoint(width - h - 1, y), QPoint(width, y + h)}));
}

void CCellListBox::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    viewport()->update();
}

void CCellListBox::focusOutEvent(QFocusEvent* event)
{
    // A menu or a dialog that opens takes the release with it.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        EndTracking();
    QListView::focusOutEvent(event);
    viewport()->update();
}

void CCellListBox::hideEvent(QHideEvent* event)
{
    EndTracking();
    QListView::hideEvent(event);
}

void CCellListBox::ScrollToFocus()
{
    const int focus = m_rows.FocusRow();
    if (focus >= 0 && focus < m_model.rowCount())
        scrollTo(m_model.index(focus));
}
