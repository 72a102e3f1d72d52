#include "gui/view/scenarioviewtransfer.h"

#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/memoryclipboard.h"
#include "editor/scenarioeditor.h"
#include "gui/view/celllistbox.h"
#include "gui/view/cellmimedata.h"
#include "gui/view/cellrowdelegate.h"
#include "gui/view/cellrowmodel.h"
#include "gui/view/scenarioview.h"
#include "gui/view/uricelllist.h"
#include "model/cellinfolist.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>

namespace {
// The drag picture shows at most this many rows.
constexpr int kDragRows = 4;
constexpr int kDragWidth = 360;

bool HasCells(const QMimeData* data)
{
    return data && (data->hasFormat(QString::fromLatin1(CCellInfoList::ClipFormat)) ||
                    data->hasFormat(QString::fromLatin1(CCellInfoList::ClipFormatFiles)));
}
} // namespace

CScenarioViewTransfer::CScenarioViewTransfer(CScenarioView& view, CZurDoc& doc,
                                             CScenarioEditor& editor)
    : m_view(view), m_doc(doc), m_editor(editor)
{}

Qt::DropAction CScenarioViewTransfer::DropActionFor(const QMimeData* data,
                                                    Qt::KeyboardModifiers modifiers,
                                                    Qt::DropActions possible) const
{
    if (!data || (m_view.IsBusy() && !m_dragging))
        return Qt::IgnoreAction;
    Qt::DropAction action = Qt::IgnoreAction;
    if (data->hasFormat(QString::fromLatin1(CCellInfoList::ClipFormatFiles)))
        action = Qt::CopyAction; // files of the browser are never moved
    else if (data->hasFormat(QString::fromLatin1(CCellInfoList::ClipFormat)))
        action = (modifiers & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
    else if (data->hasUrls())
        action = Qt::CopyAction; // a file manager's files stay where they are
    if (action == Qt::MoveAction && !(possible & Qt::MoveAction))
        action = Qt::CopyAction;
    if (action != Qt::IgnoreAction && !(possible & action))
        return Qt::IgnoreAction;
    return action;
}

void CScenarioViewTransfer::DragOver(QDragMoveEvent* event)
{
    // A window busy with its own drag still takes its rows back.
    if (m_view.m_busy > 0 || m_doc.IsBusy() || !m_editor.Rows().IsEnabled()) {
        event->ignore();
        return;
    }
    const Qt::DropAction action =
        DropActionFor(event->mimeData(), event->modifiers(), event->possibleActions());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CScenarioViewTransfer::Drop(QDropEvent* event)
{
    event->ignore();
    if (m_view.m_busy > 0 || m_doc.IsBusy() || !m_editor.Rows().IsEnabled())
        return;
    const QMimeData* data = event->mimeData();
    const Qt::DropAction action = DropActionFor(data, event->modifiers(), event->possibleActions());
    if (action == Qt::IgnoreAction)
        return;
    const int row = m_view.m_list->RowAt(event->position().toPoint().y());
    bool ok = false;
    if (HasCells(data)) {
        const auto* cells = qobject_cast<const CCellMimeData*>(data);
        CCellDragSession foreign;
        CCellDragSession& session = cells ? cells->Session() : foreign;
        CMimeCellSource source(data);
        const int effect =
            action == Qt::MoveAction ? CScenarioEditor::DropMove : CScenarioEditor::DropCopy;
        CScenarioView::CBusyScope busy(m_view);
        ok = m_editor.Drop(source, effect, row, &session);
        if (ok && &session == &m_session)
            m_droppedOnSelf = true;
    } else {
        ok = DropFiles(data->urls(), row);
    }
    if (!ok)
        return;
    event->setDropAction(action);
    event->accept();
    m_view.m_list->setFocus(Qt::OtherFocusReason);
    m_view.ScrollToSelection();
    // The project that took the cells comes to the front.
    for (QWidget* w = m_view.parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            if (frame->mdiArea())
                frame->mdiArea()->setActiveSubWindow(frame);
            break;
        }
    }
    m_view.window()->activateWindow();
}

bool CScenarioViewTransfer::DropFiles(const QList<QUrl>& urls, int row)
{
    const CUriCellList::Result files = CUriCellList::Build(urls);
    if (files.block.isEmpty()) {
        if (files.messageId != 0)
            m_view.ShowMessage(files.messageId, files.file);
        return false;
    }
    CMemoryClipboard source;
    source.AddData(CCellInfoList::ClipFormatFiles, files.block);
    CCellDragSession session;
    CScenarioView::CBusyScope busy(m_view);
    return m_editor.Drop(source, CScenarioEditor::DropCopy, row, &session);
}

QMimeData* CScenarioViewTransfer::BeginDrag()
{
    if (m_view.IsBusy())
        return nullptr;
    const QByteArray block = m_editor.BeginDrag(m_session);
    if (block.isEmpty())
        return nullptr;
    m_dragging = true;
    m_droppedOnSelf = false;
    m_view.UpdateActions();
    return new CCellMimeData(block, m_session);
}

void CScenarioViewTransfer::FinishDrag(Qt::DropAction action)
{
    if (!m_dragging)
        return;
    int effect = action == Qt::MoveAction   ? CScenarioEditor::DropMove
                 : action == Qt::CopyAction ? CScenarioEditor::DropCopy
                                            : CScenarioEditor::DropNone;
    // A move taken by something that is not a project window (another
    // program, the browser's folders) leaves the rows where they are: only
    // a project window takes cells away, and only this one rearranges them.
    if (effect == CScenarioEditor::DropMove && m_session.target == &m_editor && !m_droppedOnSelf)
        effect = CScenarioEditor::DropCopy;
    m_dragging = false;
    m_droppedOnSelf = false;
    {
        CScenarioView::CBusyScope busy(m_view);
        m_editor.EndDrag(effect, m_session);
    }
    m_session = CCellDragSession();
    m_view.ScrollToSelection();
}

void CScenarioViewTransfer::StartDrag()
{
    const QPixmap picture = DragPixmap();
    QMimeData* data = BeginDrag();
    if (!data)
        return;
    auto* drag = new QDrag(&m_view);
    drag->setMimeData(data);
    if (!picture.isNull()) {
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(12, 12));
    }
    FinishDrag(drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction));
}

QPixmap CScenarioViewTransfer::DragPixmap() const
{
    const std::vector<int> selected = m_editor.Rows().SelectedRows();
    if (selected.empty())
        return {};
    const int rowHeight = m_view.m_delegate->Metrics().rowHeight;
    const int shown = std::min<int>(kDragRows, static_cast<int>(selected.size()));
    const int width = std::min(kDragWidth, std::max(m_view.m_list->viewport()->width(), 120));
    const bool more = static_cast<int>(selected.size()) > shown;
    const int height = shown * rowHeight + (more ? QFontMetrics(m_view.font()).height() + 4 : 0);
    const qreal ratio = m_view.devicePixelRatioF();
    QPixmap pixmap(QSize(width, height) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setOpacity(0.8);
    for (int i = 0; i < shown; ++i)
        m_view.m_delegate->PaintRow(painter, QRect(0, i * rowHeight, width, rowHeight),
                                    selected[static_cast<size_t>(i)], m_view.palette(), false);
    if (more) {
        painter.setOpacity(1.0);
        const QRect band(0, shown * rowHeight, width, height - shown * rowHeight);
        painter.fillRect(band, m_view.palette().color(QPalette::ToolTipBase));
        painter.setPen(m_view.palette().color(QPalette::ToolTipText));
        painter.drawText(band, Qt::AlignCenter,
                         CScenarioView::tr("%n more slide(s)", nullptr,
                                           static_cast<int>(selected.size()) - shown));
    }
    return pixmap;
}
