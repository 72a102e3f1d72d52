#pragma once

#include "editor/undostep.h"

// Cells that entered the list (inserted, pasted, dropped with undo): they
// carry the undo mark, and undo marks them deleted again.
class CInsertedCellsStep : public CUndoStep
{
public:
    using CUndoStep::CUndoStep;
    bool Undo(CCellInfoList& cells, CCellClipboard* clipboard) override;
};
