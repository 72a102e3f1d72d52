#pragma once

#include <vector>

class CCellClipboard;
class CCellInfo;
class CCellInfoList;

// The pending one-step undo of a project window: what one editing command
// did, and how to put it back. The editor holds at most one; the next
// command replaces it. Every cell the command touched carries the undo mark
// (CCellInfo::StateUndo) until the step is undone or forgotten.
class CUndoStep
{
public:
    explicit CUndoStep(int code) : m_code(code) {}
    virtual ~CUndoStep() = default;
    CUndoStep(const CUndoStep&) = delete;
    CUndoStep& operator=(const CUndoStep&) = delete;

    // The number of the command this step undoes (what the Undo menu names).
    int Code() const { return m_code; }
    // Puts back what the command did to the cells of `cells`; a cell that
    // has left the list since is not touched. True when cells came or went
    // (the rows must follow the list), false when cells changed in place.
    virtual bool Undo(CCellInfoList& cells, CCellClipboard* clipboard) = 0;

protected:
    // The cells of `cells` that carry the undo mark, in list order.
    static std::vector<CCellInfo*> MarkedCells(const CCellInfoList& cells);

private:
    int m_code;
};
