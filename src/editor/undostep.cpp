#include "editor/undostep.h"

#include "model/cellinfo.h"
#include "model/cellinfolist.h"

std::vector<CCellInfo*> CUndoStep::MarkedCells(const CCellInfoList& cells)
{
    std::vector<CCellInfo*> marked;
    for (int i = 0; i < cells.GetCount(); ++i) {
        CCellInfo* cell = cells.GetAt(i);
        if (cell && (cell->StateFlags & CCellInfo::StateUndo))
            marked.push_back(cell);
    }
    return marked;
}
