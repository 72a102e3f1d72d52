#pragma once

#include <QListWidget>
#include <QStringList>

class QMimeData;

// A list of scenario file names that drags its selected entries in the
// "Autorun File Drag Drop" format (the names as an archived string list) and,
// as a drop target, hands dropped names to its dialog with the drop index.
class CAutorunListWidget : public QListWidget
{
    Q_OBJECT
public:
    static constexpr const char* MimeFormat = "Autorun File Drag Drop";
    // Names the list a drag came from, so a drop tells a move within the
    // list from a drop out of the other list.
    static constexpr const char* OriginFormat = "application/x-zelm-autorun-origin";

    // `dragActions`: copy for the scenarios on the card, copy and move for
    // the autorun list; `dropTarget` for the autorun list only.
    CAutorunListWidget(Qt::DropActions dragActions, bool dropTarget, QWidget* parent = nullptr);

    // The selected non-empty names in list order.
    QStringList SelectedNames() const;
    // Indexes of the selected entries, ascending.
    std::vector<int> SelectedRows() const;
    // What a drag of the selection offers.
    QMimeData* DragData() const;
    // The names of drag data; empty when it is not a readable list.
    static QStringList NamesOf(const QMimeData* data);

Q_SIGNALS:
    // Names dropped before row `index` (-1: at the end); `withinList` when
    // they were dragged out of this same list.
    void NamesDropped(const QStringList& names, int index, Qt::DropAction action, bool withinList);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    Qt::DropAction ActionFor(const QDropEvent* event) const;

    Qt::DropActions m_dragActions;
};
