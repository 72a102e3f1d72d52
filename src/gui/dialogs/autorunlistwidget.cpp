#include "gui/dialogs/autorunlistwidget.h"

#include "model/archive.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <algorithm>

namespace {
// More entries than any card holds; a larger list is not ours.
constexpr uint32_t kMaxNames = 10000;
} // namespace

CAutorunListWidget::CAutorunListWidget(Qt::DropActions dragActions, bool dropTarget,
                                       QWidget* parent)
    : QListWidget(parent), m_dragActions(dragActions)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(dropTarget);
    viewport()->setAcceptDrops(dropTarget);
    setDropIndicatorShown(dropTarget);
    setDragDropMode(dropTarget ? QAbstractItemView::DragDrop : QAbstractItemView::DragOnly);
}

QStringList CAutorunListWidget::SelectedNames() const
{
    QStringList names;
    for (int row : SelectedRows()) {
        const QString text = item(row)->text();
        if (!text.isEmpty())
            names << text;
    }
    return names;
}

std::vector<int> CAutorunListWidget::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QMimeData* CAutorunListWidget::DragData() const
{
    QByteArray bytes;
    {
        CArchive archive(&bytes);
        const QStringList names = SelectedNames();
        archive.WriteCount(static_cast<uint32_t>(names.size()));
        for (const QString& name : names)
            archive.WriteString(name.toStdString());
    }
    auto* data = new QMimeData;
    data->setData(MimeFormat, bytes);
    data->setData(OriginFormat, objectName().toUtf8());
    return data;
}

QStringList CAutorunListWidget::NamesOf(const QMimeData* data)
{
    QStringList names;
    if (!data || !data->hasFormat(MimeFormat))
        return names;
    const QByteArray bytes = data->data(MimeFormat);
    try {
        CArchive archive(bytes);
        const uint32_t count = archive.ReadCount();
        if (count > kMaxNames)
            return {};
        for (uint32_t i = 0; i < count; ++i)
            names << QString::fromStdString(archive.ReadString());
    } catch (const CArchiveException&) {
        return {};
    }
    return names;
}

void CAutorunListWidget::startDrag(Qt::DropActions)
{
    if (SelectedNames().isEmpty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(DragData());
    drag->exec(m_dragActions, (m_dragActions & Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
}

Qt::DropAction CAutorunListWidget::ActionFor(const QDropEvent* event) const
{
    const bool copy =
        (event->modifiers() & Qt::ControlModifier) || !(event->possibleActions() & Qt::MoveAction);
    return copy ? Qt::CopyAction : Qt::MoveAction;
}

void CAutorunListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasFormat(MimeFormat)) {
        event->ignore();
        return;
    }
    event->setDropAction(ActionFor(event));
    event->accept();
}

void CAutorunListWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasFormat(MimeFormat)) {
        event->ignore();
        return;
    }
    QListWidget::dragMoveEvent(event);
    event->setDropAction(ActionFor(event));
    event->accept();
}

void CAutorunListWidget::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    const QStringList names = NamesOf(data);
    if (names.isEmpty()) {
        event->ignore();
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    const int index = at.isValid() ? at.row() : -1;
    const Qt::DropAction action = ActionFor(event);
    const bool withinList = data->data(OriginFormat) == objectName().toUtf8();
    event->setDropAction(action);
    event->accept();
    Q_EMIT NamesDropped(names, index, action, withinList);
}
