#pragma once

#include <QByteArray>

// What a project document tells the window that shows it (the editing
// controller, the window program's views).
class CZurDocObserver
{
public:
    virtual ~CZurDocObserver() = default;
    // Forget the one-step undo (a save makes it unavailable).
    virtual void ClearUndo() = 0;
    // Redraw: the cells or the project's fields changed.
    virtual void UpdateAllViews() = 0;
    // Insert the cells of a transfer block later (the document made them
    // from a presentation). Returns false when nobody can take them.
    virtual bool InsertCellList(const QByteArray& block) = 0;
};
