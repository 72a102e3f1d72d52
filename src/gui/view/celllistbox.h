#pragma once

#include <QListView>
#include <QPoint>

class CCellRowList;
class CCellRowModel;

// The list of a project's rows under the header. It applies the click rules
// of the rows itself (the selection lives in the editor's rows): a plain
// click selects one row, Ctrl toggles, Shift selects from the anchor, a
// press on a selected row decides on release so that a selection can be
// dragged, and a move of 4 pixels from the press starts a drag. A press is
// tracked exactly while its button is held: a menu or dialog that takes the
// release leaves nothing behind. The keys move the focus row as in any list
// (Shift extends, Ctrl moves the focus alone, Space toggles). Drags that
// arrive, context-menu requests and Enter go to the project window.
class CCellListBox : public QListView
{
    Q_OBJECT

public:
    CCellListBox(CCellRowModel& model, CCellRowList& rows, QWidget* parent = nullptr);

    // The row under `y` in viewport coordinates; -1 below the last row.
    int RowAt(int y) const;
    // Input is refused meanwhile (an insertion runs).
    void SetBusy(bool busy) { m_busy = busy; }
    bool IsTracking() const { return m_tracking; }
    // The row a keyboard context menu opens at: the focus row, selected
    // first when it is not (as a right press selects it); -1 without rows.
    int PrepareKeyboardMenuRow();
    // Shows the focus row; called after the rows changed.
    void ScrollToFocus();
    // Where a drag under way would insert: before this row, -1 after the
    // last row; NoDropLine while no drop is offered.
    static constexpr int NoDropLine = -2;
    int DropLineRow() const { return m_dropLine; }

Q_SIGNALS:
    // The selection or the focus changed by a click or a key.
    void SelectionChanged();
    void DragRequested();
    // A menu for `row` (-1: below the rows) at `viewportPos`.
    void ContextMenuRequested(const QPoint& viewportPos, int row);
    // Enter, or the release of a double click on a row: the selection's
    // properties.
    void PropertiesRequested();
    // A drag is over the list: the receiver sets the action and accepts.
    void DragOver(QDragMoveEvent* event);
    void Dropped(QDropEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetDropLine(int row);
    void Press(QMouseEvent* event, bool takeFocus);
    void EndTracking();
    void MoveFocus(int row, Qt::KeyboardModifiers modifiers);
    void KeyboardMenu();

    CCellRowModel& m_model;
    CCellRowList& m_rows;
    QPoint m_pressPoint;
    Qt::MouseButton m_trackButton = Qt::NoButton;
    bool m_deferredClick = false;
    bool m_tracking = false;
    bool m_doubleClicked = false; // the tracked press was a double click
    bool m_busy = false;
    int m_dropLine = NoDropLine;
};
