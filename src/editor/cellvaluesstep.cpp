#include "editor/cellvaluesstep.h"

#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <unordered_set>

static_assert(std::tuple_size_v<decltype(CCellBmpInfo::Disolve)> == 11);

void CCellValuesStep::Remember(CCellInfo* cell)
{
    if (!cell)
        return;
    Values values;
    values.cell = cell;
    values.interval = cell->AutoIntervalSec;
    values.motion = cell->MotionType;
    values.valid = cell->CellValid;
    if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell)) {
        values.effect = image->Effect;
        values.disolve = image->Disolve;
    } else if (const auto* control = dynamic_cast<const CCellCtrlInfo*>(cell)) {
        values.inputDev = control->InputDev;
    }
    cell->StateFlags |= CCellInfo::StateChanged | CCellInfo::StateUndo;
    m_cells.push_back(values);
}

bool CCellValuesStep::Undo(CCellInfoList& cells, CCellClipboard*)
{
    // Only cells still in the list are written: one that left it may be gone.
    const std::vector<CCellInfo*> marked = MarkedCells(cells);
    const std::unordered_set<const CCellInfo*> present(marked.begin(), marked.end());
    for (const Values& values : m_cells) {
        CCellInfo* cell = values.cell;
        if (!present.count(cell))
            continue;
        cell->AutoIntervalSec = values.interval;
        cell->MotionType = values.motion;
        cell->CellValid = values.valid;
        if (auto* image = dynamic_cast<CCellBmpInfo*>(cell)) {
            image->Effect = values.effect;
            image->Disolve = values.disolve;
        } else if (auto* control = dynamic_cast<CCellCtrlInfo*>(cell)) {
            control->InputDev = values.inputDev;
        }
    }
    return false;
}
