#pragma once

#include "editor/celldragsession.h"

#include <QList>
#include <QUrl>
#include <Qt>

class CScenarioEditor;
class CScenarioView;
class CZurDoc;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QPixmap;

// Drags of a project window's rows out of it and drops into it (rows of a
// project window, the browser's files and slides, files of the desktop),
// turned into the editor's drag and drop calls.
class CScenarioViewTransfer
{
public:
    CScenarioViewTransfer(CScenarioView& view, CZurDoc& doc, CScenarioEditor& editor);
    CScenarioViewTransfer(const CScenarioViewTransfer&) = delete;
    CScenarioViewTransfer& operator=(const CScenarioViewTransfer&) = delete;

    // A drag of these rows runs.
    bool IsDragging() const { return m_dragging; }
    // How a drop of `data` is taken with `modifiers` held (IgnoreAction:
    // refused).
    Qt::DropAction DropActionFor(const QMimeData* data, Qt::KeyboardModifiers modifiers,
                                 Qt::DropActions possible) const;
    void DragOver(QDragMoveEvent* event);
    void Drop(QDropEvent* event);
    // The two halves of a drag of the selected rows: the data to drag (null:
    // no drag), and the end with the action the drop took.
    QMimeData* BeginDrag();
    void FinishDrag(Qt::DropAction action);
    // Runs a whole drag of the selected rows.
    void StartDrag();
    // The picture a drag shows: the rows it carries.
    QPixmap DragPixmap() const;
    // Files of the desktop or of the file dialog dropped before `row` (-1:
    // at the end).
    bool DropFiles(const QList<QUrl>& urls, int row);

private:
    CScenarioView& m_view;
    CZurDoc& m_doc;
    CScenarioEditor& m_editor;
    bool m_dragging = false;
    bool m_droppedOnSelf = false; // the drag under way was dropped on these rows
    CCellDragSession m_session;
};
