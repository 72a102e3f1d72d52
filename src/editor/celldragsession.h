#pragma once

class CScenarioEditor;

// The bookkeeping of one drag of cells, kept by whoever runs the drag loop
// (the main window): which project window the drag started from and which
// one took the drop. It is how the dragging window tells a move inside
// itself from a move into another project.
struct CCellDragSession
{
    CScenarioEditor* source = nullptr;
    CScenarioEditor* target = nullptr;
    // How many of the dragged cells the target took, in order; -1 all of
    // them. A target that stops at a failure takes only the cells before it,
    // and only those leave the source on a move.
    int acceptedCells = -1;
};
