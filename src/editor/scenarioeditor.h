#pragma once

#include "base/filefailure.h"
#include "base/progress.h"
#include "document/zurdocobserver.h"
#include "editor/cellimporter.h"
#include "editor/cellinserter.h"
#include "editor/cellrowlist.h"
#include "editor/celltransfer.h"
#include "editor/editorcommands.h"
#include "model/cellinfolist.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCellClipboard;
class CCellDialogs;
class CPresentationExpander;
class CSlidePPTObj;
class CUndoStep;
class CUserPrompt;
class CZurDoc;
struct CCellDragSession;

// The editing half of a project window: the rows it shows, their selection,
// and every editing command with its one-step undo. Insertions run in a
// CCellInserter (with CPresentationExpander for whole shows), the clipboard
// and drag-and-drop flows in its CCellTransfer. Widget-free: the window
// program paints the rows and runs the dialogs, the command line drives it
// from its options.
class CScenarioEditor : public CZurDocObserver
{
public:
    enum DropEffect
    {
        DropNone = 0,
        DropCopy = 1,
        DropMove = 2
    };

    // `shared`: the program's shared presentation object (the thumbnail
    // window's), from whoever makes the editor; null when there is none.
    explicit CScenarioEditor(CZurDoc& doc, CSlidePPTObj* shared = nullptr);
    ~CScenarioEditor() override;
    CScenarioEditor(const CScenarioEditor&) = delete;
    CScenarioEditor& operator=(const CScenarioEditor&) = delete;

    CZurDoc& Document() const { return m_doc; }
    CCellRowList& Rows() { return m_rows; }
    const CCellRowList& Rows() const { return m_rows; }

    void SetClipboard(CCellClipboard* clipboard) { m_clipboard = clipboard; }
    CCellClipboard* Clipboard() const { return m_clipboard; }
    void SetDialogs(CCellDialogs* dialogs) { m_dialogs = dialogs; }
    // The progress window of insertions; without one they run unseen.
    void SetProgress(CProgress* progress) { m_progress = progress; }
    // Without a progress set: makes one for each insertion, which goes
    // when the insertion ends.
    void SetProgressMaker(std::function<std::unique_ptr<CProgress>()> maker)
    {
        m_progressMaker = std::move(maker);
    }
    // Called when the rows must be repainted (contents changed in place).
    // Views that need to know what changed listen to the document instead
    // (CZurDoc::AddListener): the editor tells it every row it inserts,
    // removes or changes.
    void SetRepaintHandler(std::function<void()> handler) { m_repaint = std::move(handler); }
    // Imports run on `workers` threads, each with a host from `factory`;
    // 0 workers (or no factory) imports one cell at a time on this thread
    // with the document's own imaging. By default the workers are as many
    // as the machine has cores, with imaging of their own.
    void SetParallelImport(CCellImporter::HostFactory factory, int workers);
    // The program's shared presentation object (the thumbnail window's): a
    // presentation it holds open is borrowed instead of opened again.
    void SetSharedPresentation(CSlidePPTObj* shared);
    CSlidePPTObj* SharedPresentation() const;

    // --- state -----------------------------------------------------------
    // The command number of the pending undo step; 0 when there is none.
    int UndoCode() const;
    // The row before which the next insertion goes: -1 at the end (and not
    // yet decided), -2 after the last row during an internal move.
    int InsertionIndex() const { return m_insertIndex; }
    void SetInsertionIndex(int index) { m_insertIndex = index; }
    bool IsBorrowingPresentation() const;
    CEditorState State() const;
    CommandState StateOf(int command) const { return CEditorCommands::StateOf(command, State()); }
    // The context menu for a right click on `hitRow` (-1 below the rows);
    // sets the insertion index to that row.
    CContextMenuState ContextMenu(int hitRow);
    // Runs a command by its number when it is enabled; false otherwise.
    bool Execute(int command);

    // --- document observer --------------------------------------------------
    void ClearUndo() override { ClearUndo(true); }
    // Rebuilds the rows from the document's visible cells; the selection is
    // lost. The listeners get a reset.
    void UpdateAllViews() override;
    // Inserts a transfer block as a paste; `reportCancel` as for InsertCells.
    bool InsertCellList(const QByteArray& block, bool reportCancel = true);

    // Forgets the pending undo (marks, remembered values, records).
    void ClearUndo(bool resetInsertion);

    // --- commands ------------------------------------------------------------
    void Delete();
    // Enable or disable; false (not handled) when no row is selected.
    bool EnableDisable(int command);
    bool Properties();
    bool Effect();
    bool InsertControlCell();
    void SelectAll();
    bool Undo();
    bool Copy() { return m_transfer.Copy(); }
    bool Cut() { return m_transfer.Cut(); }
    bool Paste() { return m_transfer.Paste(); }

    // Inserts the cells of `list` before the row at the insertion index.
    // Undo code 0 leaves nothing to undo. The list gives up every cell it
    // inserts; after a failure (its message shown) the cells behind it stay in it.
    // A cancel keeps the cells that went in; `reportCancel` makes it a
    // failure (false), for a caller that then takes the whole insertion back.
    // A disk that runs full takes the insertion back: the project stays as it
    // was, with nothing to undo, and the message says why.
    bool InsertCells(int undoCode, CCellInfoList& list, bool reportCancel);
    // Whether a cancelled insertion that keeps its cells tells the user how
    // many of how many went in (the window); a caller that discards them
    // says nothing of the kind.
    void SetTellStoppedInsertions(bool tell) { m_tellStopped = tell; }
    // Whether an insertion first probes the files it is made from and asks
    // once about those it cannot use (the window). The command line keeps
    // its rule instead: the first unusable file stops the insertion.
    void SetScreenBatches(bool screen) { m_screenBatches = screen; }
    // How the last insertion (InsertCells, a paste or a drop) ended.
    const CInsertResult& LastInsert() const { return m_lastInsert; }
    // Whether the last insertion stopped at the user's cancel.
    bool LastInsertCancelled() const { return m_lastInsert.cancelled; }
    // How many cells of the list the last insertion took in.
    int LastInsertTaken() const { return m_lastInsert.taken; }
    // Why the last insertion stopped at a file (None when it did not): the
    // message shown names that file and the reason.
    const CFileFailure& LastInsertFailure() const { return m_lastInsert.failure; }

    // --- drag and drop ---------------------------------------------------------
    // Starts a drag of the selected rows: the "CellInfo List" bytes to offer
    // (empty: no drag). The session records this window as source and target.
    QByteArray BeginDrag(CCellDragSession& session) { return m_transfer.BeginDrag(session); }
    // A drop on row `row` (-1 below the last row) with `effect` (DropEffect
    // bits) of the data offered. False refuses the drop.
    bool Drop(const CCellClipboard& data, int effect, int row, CCellDragSession* session)
    {
        return m_transfer.Drop(data, effect, row, session);
    }
    // The drag came back with `effect`: a move out of this window deletes the
    // rows that the other window took; a move onto itself rearranges.
    void EndDrag(int effect, CCellDragSession& session) { m_transfer.EndDrag(effect, session); }

    // Reads a transfer block into `list`: false, with the list left empty,
    // when the block is damaged, truncated, of another class, or names a
    // file outside its folder.
    static bool ReadTransferBlock(const QByteArray& bytes, CCellInfoList& list)
    {
        return CCellTransfer::ReadTransferBlock(bytes, list);
    }

    // --- for the editor's parts ---------------------------------------------
    void Repaint();
    void Modified();
    // Makes `step` the pending undo.
    void SetUndo(std::unique_ptr<CUndoStep> step);
    // Forgets whether the last insertion was cancelled and what it took,
    // for an insertion about to start (its failure stays until it runs).
    void ForgetLastInsert()
    {
        m_lastInsert.cancelled = false;
        m_lastInsert.taken = 0;
    }
    // Puts the cells of `list` back at `anchor` / `row` (see
    // CCellInserter::MoveIn), with the pending undo forgotten.
    CInsertResult MoveIn(CCellInfoList& list, int anchor, int row);

private:
    CUserPrompt* Prompt() const;
    // Brings the rows in line with the document's visible cells by removing
    // and inserting rows (told to the listeners); a reset when the order of
    // the rows that stay differs from the list's.
    void SyncRows();
    // The rows of the cells marked for undo, ascending.
    std::vector<int> RowsOfMarkedCells() const;
    void RowsChanged(const std::vector<int>& rows);
    // How insertions run: progress, repaint, import workers.
    CCellInserter::Setup InsertSetup();
    // Puts the focus row and the anchor on the selected rows (after an
    // insertion or a move selected the rows that arrived).
    void FocusOnSelection();
    bool PropertiesSingle(CCellInfo* cell, int row);
    bool PropertiesMultiple(const std::vector<int>& rows);

    CZurDoc& m_doc;
    CCellRowList m_rows;
    CCellClipboard* m_clipboard = nullptr;
    CCellDialogs* m_dialogs = nullptr;
    CProgress* m_progress = nullptr;
    std::function<std::unique_ptr<CProgress>()> m_progressMaker;
    std::function<void()> m_repaint;
    CCellImporter::HostFactory m_workerHosts;
    int m_workers = 0;
    bool m_defaultWorkerHosts = false; // workers get a CImagingHost with the project's settings

    std::unique_ptr<CUndoStep> m_undo; // the pending undo: one step at most

    int m_insertIndex = -1;
    std::unique_ptr<CPresentationExpander> m_presentations;
    bool m_tellStopped = true;
    bool m_screenBatches = false;
    CInsertResult m_lastInsert;
    CCellTransfer m_transfer{*this};
};
