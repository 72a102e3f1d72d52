#pragma once

#include "model/cellinfolist.h"

#include <QByteArray>
#include <cstddef>
#include <vector>

class CCellClipboard;
class CScenarioEditor;
struct CCellDragSession;

// The ways cells leave and enter a project window as transfer blocks: copy,
// cut and paste on the clipboard, drag and drop between windows, and the
// move of rows inside the window that a drag onto itself makes. It works on
// its editor's rows, undo and insertions.
class CCellTransfer
{
public:
    explicit CCellTransfer(CScenarioEditor& editor) : m_editor(editor) {}
    CCellTransfer(const CCellTransfer&) = delete;
    CCellTransfer& operator=(const CCellTransfer&) = delete;

    bool Copy();
    bool Cut();
    bool Paste();

    // Starts a drag of the selected rows: the "CellInfo List" bytes to offer
    // (empty: no drag). The session records the editor as source and target.
    QByteArray BeginDrag(CCellDragSession& session);
    // A drop on row `row` (-1 below the last row) with `effect` (the
    // editor's DropEffect bits) of the data offered. False refuses the drop.
    bool Drop(const CCellClipboard& data, int effect, int row, CCellDragSession* session);
    // The drag came back with `effect`: a move out of this window deletes the
    // rows that the other window took; a move onto itself rearranges.
    void EndDrag(int effect, CCellDragSession& session);

    // Reads a transfer block into `list`: false, with the list left empty,
    // when the block is damaged, truncated, of another class, or names a
    // file outside its folder.
    static bool ReadTransferBlock(const QByteArray& bytes, CCellInfoList& list);
    // Whether `clipboard` offers local files as a desktop file manager
    // copies them (a paste makes a cell of each).
    static bool ClipboardHasFiles(const CCellClipboard& clipboard);

private:
    // ReadTransferBlock for a paste or drop: an empty or damaged block
    // clears the insertion point, and a damaged one says so.
    bool ReadOrRefuse(const QByteArray& bytes, CCellInfoList& list);
    void BuildTransferList(CCellInfoList& list) const;
    bool PlaceOnClipboard(CCellInfoList& list);
    void InternalMove();
    // Deletes the first `count` of the selected `rows` (ascending), flagged
    // as deleted.
    void RemoveRows(const std::vector<int>& rows, size_t count);

    CScenarioEditor& m_editor;
    CCellInfoList m_dragList; // the cells of the drag under way
};
