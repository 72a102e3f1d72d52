#include "editor/deletedcellsstep.h"

#include "editor/cellclipboard.h"
#include "model/cellinfo.h"

bool CDeletedCellsStep::Undo(CCellInfoList& cells, CCellClipboard* clipboard)
{
    for (CCellInfo* cell : MarkedCells(cells))
        cell->StateFlags &= ~uint32_t(CCellInfo::StateDeleted);
    if (m_onClipboard && clipboard)
        clipboard->Clear();
    return true;
}
