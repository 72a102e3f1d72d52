// CScenarioEditor: cells leaving and entering the window as transfer blocks
// (copy, cut, paste, drag and drop) and the move of rows inside the window.
#include "base/msgid.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/cellclipboard.h"
#include "editor/celldragsession.h"
#include "editor/deletedcellsstep.h"
#include "editor/scenarioeditor.h"
#include "model/cellinfo.h"

#include <algorithm>

namespace {
constexpr uint32_t kDeletedUndo = CCellInfo::StateDeleted | CCellInfo::StateUndo;
} // namespace

void CScenarioEditor::BuildTransferList(CCellInfoList& list) const
{
    list.DeleteAll();
    list.ProjectFolder = m_doc.Cells.ProjectFolder;
    for (const int row : m_rows.SelectedRows()) {
        const CCellInfo* cell = m_rows.GetCell(row);
        std::unique_ptr<CCellInfo> copy = CCellInfo::CreateOfType(
            cell->CellType == CCellInfo::Type::Image ? CCellInfo::Type::Image
                                                     : CCellInfo::Type::Control);
        if (copy->CopyFrom(cell))
            list.Append(std::move(copy));
    }
}

bool CScenarioEditor::PlaceOnClipboard(CCellInfoList& list)
{
    const QByteArray bytes = list.ToBytes();
    return m_clipboard && !bytes.isEmpty() &&
           m_clipboard->SetData(CCellInfoList::ClipFormat, bytes);
}

bool CScenarioEditor::Copy()
{
    m_insertIndex = -1;
    if (m_rows.SelectedCount() == 0)
        return false;
    CCellInfoList list;
    BuildTransferList(list);
    return PlaceOnClipboard(list);
}

bool CScenarioEditor::Cut()
{
    m_insertIndex = -1;
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.empty() || m_doc.RefuseWhileBusy())
        return false;
    ClearUndo(true);
    m_undo = std::make_unique<CDeletedCellsStep>(EditorCommand::Cut, true);
    CCellInfoList list;
    list.ProjectFolder = m_doc.Cells.ProjectFolder;
    for (size_t k = 0; k < selected.size(); ++k) {
        const int row = selected[k] - static_cast<int>(k);
        CCellInfo* cell = m_rows.GetCell(row);
        if (!cell)
            break;
        std::unique_ptr<CCellInfo> copy = CCellInfo::CreateOfType(
            cell->CellType == CCellInfo::Type::Image ? CCellInfo::Type::Image
                                                     : CCellInfo::Type::Control);
        if (copy->CopyFrom(cell))
            list.Append(std::move(copy));
        cell->StateFlags |= kDeletedUndo;
        if (!m_rows.DeleteRow(row))
            break;
    }
    Repaint();
    // The rows are gone even when the clipboard cannot take them; Undo
    // brings them back.
    const bool placed = PlaceOnClipboard(list);
    Modified();
    return placed;
}

bool CScenarioEditor::Paste()
{
    m_lastCancelled = false;
    m_lastTaken = 0;
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.size() > 1 || m_doc.RefuseWhileBusy())
        return false;
    if (m_insertIndex == -1)
        m_insertIndex = selected.empty() ? -1 : selected[0];
    QByteArray bytes;
    if (m_clipboard) {
        for (const std::string& format : m_clipboard->Formats()) {
            if (format == CCellInfoList::ClipFormat || format == CCellInfoList::ClipFormatFiles) {
                bytes = m_clipboard->Data(format);
                break;
            }
        }
    }
    if (bytes.isEmpty()) {
        m_insertIndex = -1;
        return false;
    }
    CCellInfoList list;
    if (!ReadTransferBlock(bytes, list)) {
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
        m_insertIndex = -1;
        return false;
    }
    return InsertCells(EditorCommand::Paste, list, false);
}

// ----------------------------------------------------------------------------
// Drag and drop

QByteArray CScenarioEditor::BeginDrag(CCellDragSession& session)
{
    if (m_rows.SelectedCount() == 0)
        return {};
    ClearUndo(true);
    BuildTransferList(m_dragList);
    const QByteArray bytes = m_dragList.ToBytes();
    if (bytes.isEmpty()) {
        m_dragList.DeleteAll();
        return {};
    }
    session.source = this;
    session.target = this;
    session.acceptedCells = -1;
    return bytes;
}

bool CScenarioEditor::Drop(const CCellClipboard& data, int effect, int row,
                           CCellDragSession* session)
{
    const bool hasList = data.HasFormat(CCellInfoList::ClipFormat);
    const bool hasFiles = data.HasFormat(CCellInfoList::ClipFormatFiles);
    if ((!hasList && !hasFiles) || !(effect & (DropCopy | DropMove)) || !session ||
        m_doc.RefuseWhileBusy())
        return false;
    session->target = this;
    session->acceptedCells = -1;
    m_lastCancelled = false;
    m_lastTaken = 0;
    if (row < -1 || row >= m_rows.GetCount())
        row = -1;
    m_insertIndex = row;
    if (session->source == this && (effect & DropMove)) {
        // The dragging side rearranges its rows when the drag returns.
        m_insertIndex = row < 0 ? -2 : row;
        return true;
    }
    const QByteArray bytes =
        data.Data(hasList ? CCellInfoList::ClipFormat : CCellInfoList::ClipFormatFiles);
    CCellInfoList list;
    if (bytes.isEmpty()) {
        m_insertIndex = -1;
        return false;
    }
    if (!ReadTransferBlock(bytes, list)) {
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
        m_insertIndex = -1;
        return false;
    }
    const bool ok = InsertCells(0, list, false);
    if (!ok || m_lastCancelled) {
        // Only the cells that arrived may leave the other window.
        session->acceptedCells = m_lastTaken;
        return m_lastTaken > 0;
    }
    return true;
}

void CScenarioEditor::EndDrag(int effect, CCellDragSession& session)
{
    if ((effect & DropMove) && !m_doc.RefuseWhileBusy()) {
        if (session.target && session.target != this) {
            // Another project took the cells: they leave this one, without undo.
            const std::vector<int> selected = m_rows.SelectedRows();
            size_t leaving = selected.size();
            if (session.acceptedCells >= 0)
                leaving = std::min(leaving, static_cast<size_t>(session.acceptedCells));
            for (size_t k = 0; k < leaving; ++k) {
                const int row = selected[k] - static_cast<int>(k);
                CCellInfo* cell = m_rows.GetCell(row);
                if (!cell)
                    break;
                cell->StateFlags |= CCellInfo::StateDeleted;
                if (!m_rows.DeleteRow(row))
                    break;
            }
            Repaint();
            if (leaving > 0)
                Modified();
        } else {
            InternalMove();
        }
    }
    m_dragList.DeleteAll();
}

void CScenarioEditor::InternalMove()
{
    const std::vector<int> selected = m_rows.SelectedRows();
    const int n = static_cast<int>(selected.size());
    int d = m_insertIndex;
    if (n == 0 || (n == 1 && d == selected[0]) || n == m_rows.GetCount()) {
        m_insertIndex = -1;
        return;
    }
    const bool after = d == -2 || d >= selected[0];
    const auto isSelected = [&](int row) {
        return std::binary_search(selected.begin(), selected.end(), row);
    };
    CCellInfo* anchor = nullptr;
    if (d >= 0) {
        // The nearest unselected row at or above the drop row.
        while (d >= 0 && isSelected(d))
            --d;
        if (d != -1)
            anchor = m_rows.GetCell(d);
    }
    for (int k = 0; k < n; ++k) {
        const int row = selected[static_cast<size_t>(k)] - k;
        CCellInfo* cell = m_rows.GetCell(row);
        if (!cell)
            break;
        cell->StateFlags |= CCellInfo::StateDeleted;
        if (!m_rows.DeleteRow(row))
            break;
    }
    if (anchor)
        d = m_rows.FindRow(anchor);

    const int tail = m_doc.Cells.GetCount() - 1;
    int position = -1; // after which cell of the document's list; -1 the head
    int row = 0;
    if (after) {
        if (d == -2) {
            position = tail;
            row = -1;
        } else if (d == -1) {
            position = -1;
            row = 0;
        } else {
            row = d + 1;
            if (row < m_rows.GetCount()) {
                position = m_doc.Cells.IndexOf(anchor);
            } else {
                position = tail;
                row = -1;
            }
        }
    } else if (d <= 0) {
        position = -1;
        row = 0;
    } else {
        position = m_doc.Cells.IndexOf(anchor) - 1;
        row = d;
    }
    MoveInsert(position, row);
}

bool CScenarioEditor::MoveInsert(int anchor, int row)
{
    ClearUndo(false);
    m_rows.SetEnabled(false);
    m_rows.ClearSelection();
    const int formerCount = m_rows.GetCount();
    InsertRun run;
    run.anchor = anchor;
    run.row = row;
    bool ok = true;
    while (!m_dragList.IsEmpty()) {
        std::unique_ptr<CCellInfo> cell = m_dragList.RemoveAt(0);
        if (!cell)
            continue;
        cell->StateFlags = CCellInfo::StateAdded;
        cell->OwnerList = &m_doc.Cells;
        bool rowRefused = false;
        if (!EnterCell(std::move(cell), run, rowRefused)) {
            if (!rowRefused)
                AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
            ok = false;
            break;
        }
        Repaint();
    }
    // The rows left their places: the project changed even if none came back.
    Modified();
    EndInsertion(row >= 0 ? row : formerCount, run.inserted);
    return ok;
}
