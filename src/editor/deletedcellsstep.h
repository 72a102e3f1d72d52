#pragma once

#include "editor/undostep.h"

// Cells a delete or a cut marked deleted (they stay in the list until the
// project is saved): undo takes the deletion mark off again. After a cut
// the clipboard is emptied as well, so that a paste cannot bring the cells
// back a second time.
class CDeletedCellsStep : public CUndoStep
{
public:
    CDeletedCellsStep(int code, bool onClipboard) : CUndoStep(code), m_onClipboard(onClipboard) {}
    bool Undo(CCellInfoList& cells, CCellClipboard* clipboard) override;

private:
    bool m_onClipboard;
};
