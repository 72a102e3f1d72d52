#pragma once

#include "base/filefailure.h"
#include "editor/cellimporter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCellInfo;
class CCellInfoList;
class CCellRowList;
class CPresentationExpander;
class CProgress;
class CUndoStep;
class CUserPrompt;
class CZurDoc;

// How an insertion ended.
struct CInsertResult
{
    // False when it failed (its message shown) or stopped at a cancel that
    // the caller asked to count as a failure.
    bool ok = true;
    // It stopped at the user's cancel.
    bool cancelled = false;
    // How many cells of the list it took in.
    int taken = 0;
    // Why it stopped at a file (None when it did not): the message shown
    // names that file and the reason.
    CFileFailure failure;
};

// One insertion of cells into a project window: the cells enter the
// document's list and the rows before the row at the editor's insertion
// index, in order, with the rows switched off meanwhile; at the end the new
// rows are selected and the insertion index resets. Made for one insertion
// and thrown away: what happened comes back as a CInsertResult.
class CCellInserter
{
public:
    struct Setup
    {
        // The progress window; without one the insertion runs unseen.
        CProgress* progress = nullptr;
        // A progress made for this insertion alone (`progress` then points
        // to it): it goes with the insertion.
        std::shared_ptr<CProgress> ownProgress;
        std::function<void()> repaint;
        // Imports run on `workers` threads with hosts from `hosts` (none:
        // one at a time with the document's imaging).
        CCellImporter::HostFactory hosts;
        int workers = 0;
        // A cancel that keeps its cells tells how many of how many went in.
        bool tellStopped = true;
        // Makes the pictures of the new cells durable at the end (false on a
        // write error the disk reports then): workers and rendered pages
        // write them without a wait each. When not set, CSafeFile::FlushFiles.
        std::function<bool(const std::string& folder, const std::vector<std::string>& names)> flush;
    };

    // `insertIndex` and `undo` are the editor's: the insertion reads the
    // index and resets it when it ends; a pending undo step makes the new
    // cells undoable, and a disk that runs full drops it with the cells.
    CCellInserter(CZurDoc& doc, CCellRowList& rows, int& insertIndex,
                  std::unique_ptr<CUndoStep>& undo, CPresentationExpander& presentations,
                  Setup setup);
    CCellInserter(const CCellInserter&) = delete;
    CCellInserter& operator=(const CCellInserter&) = delete;

    // Inserts the cells of `list`, importing pictures and expanding shows.
    // The list gives up every cell it inserts; after a failure the cells
    // behind it stay in it. A cancel keeps the cells that went in;
    // `reportCancel` makes it a failure. A disk that runs full takes the
    // whole insertion back.
    CInsertResult InsertCells(CCellInfoList& list, bool reportCancel);
    // Inserts one new control cell and selects it.
    CInsertResult InsertControlCell();
    // Puts the cells of `list` (a drag rearranging the window) back after
    // position `anchor` of the document's list (-1: the head) and at row
    // `row` (-1: the end), without undo.
    CInsertResult MoveIn(CCellInfoList& list, int anchor, int row);

    // --- for the expansion of a show -------------------------------------
    // Puts a prepared cell into the document after the current anchor and
    // into the rows; false when the list refuses it (`rowRefused`: the rows
    // refused it, the cell is still in the document's list).
    bool EnterCell(std::unique_ptr<CCellInfo> cell, bool& rowRefused);
    // Shows why the insertion failed: the reason with its file when known
    // (kept as the result's failure), else the general message.
    void ReportInsertFailure(const CFileFailure& failure = {});
    void Repaint();
    // The state flags a new cell enters with.
    uint32_t NewCellFlags() const;
    bool Undoable() const { return m_undo != nullptr; }
    void SetCancelled() { m_result.cancelled = true; }
    bool Cancelled() const { return m_result.cancelled; }

private:
    CUserPrompt* Prompt() const;
    int AnchorForInsertion() const;
    // Switches the rows off and starts the run at the insertion index.
    void Begin();
    // Ends an insertion of the run's rows from row `first`: the rows come
    // back to life with the new ones selected, and the insertion index resets.
    void End(int first);
    // Takes back the cells of the run: their rows go, the cells are marked
    // deleted, and the files the insertion made for them are removed.
    void TakeBack();
    // The display images and thumbnails the entered cells name.
    std::vector<std::string> NewPictures() const;

    CZurDoc& m_doc;
    CCellRowList& m_rows;
    int& m_insertIndex;
    std::unique_ptr<CUndoStep>& m_undo;
    CPresentationExpander& m_presentations;
    Setup m_setup;
    int m_anchor = -1; // the position in the document's list after which cells enter
    int m_row = -1;    // the row they enter at (-1: at the end)
    std::vector<CCellInfo*> m_entered; // the cells that went in, in order
    CInsertResult m_result;
};
