#include "editor/insertedcellsstep.h"

#include "model/cellinfo.h"

bool CInsertedCellsStep::Undo(CCellInfoList& cells, CCellClipboard*)
{
    for (CCellInfo* cell : MarkedCells(cells))
        cell->StateFlags |= CCellInfo::StateDeleted;
    return true;
}
