#pragma once

#include "editor/undostep.h"

#include <array>
#include <cstdint>
#include <vector>

// The old values of the cells a command changed in place (properties,
// effect, on / off): undo writes them back. It knows nothing of the
// command, only of the cells and their values before it.
class CCellValuesStep : public CUndoStep
{
public:
    using CUndoStep::CUndoStep;

    // Keeps the values of `cell` as they are now, before the change, and
    // marks the cell for undo.
    void Remember(CCellInfo* cell);
    bool IsEmpty() const { return m_cells.empty(); }
    int Count() const { return static_cast<int>(m_cells.size()); }

    // Restores the remembered cells still in `cells` and still marked;
    // always false (nothing comes or goes).
    bool Undo(CCellInfoList& cells, CCellClipboard* clipboard) override;

private:
    // Every value a command may change in place.
    struct Values
    {
        CCellInfo* cell = nullptr;
        int32_t interval = 0;
        int32_t motion = 0;
        int32_t valid = 0;
        int32_t effect = 0;   // image cells
        int32_t inputDev = 0; // control cells
        std::array<int32_t, 11> disolve{};
    };
    std::vector<Values> m_cells;
};
