#include "editor/celltransfer.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/cellclipboard.h"
#include "editor/celldragsession.h"
#include "editor/deletedcellsstep.h"
#include "editor/scenarioeditor.h"
#include "editor/sourcecells.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfo.h"

#include <algorithm>

namespace {
constexpr uint32_t kDeletedUndo = CCellInfo::StateDeleted | CCellInfo::StateUndo;

// A name that a transfer block may give a cell's file: a plain name inside
// the folder, nothing that climbs out of it.
bool IsPlainName(const std::string& name)
{
    return name.empty() ||
           (name != "." && name != ".." && name.find('/') == std::string::npos &&
            name.find('\\') == std::string::npos && name.find('\0') == std::string::npos);
}
} // namespace

void CCellTransfer::BuildTransferList(CCellInfoList& list) const
{
    list.DeleteAll();
    list.ProjectFolder = m_editor.Document().Cells.ProjectFolder;
    for (const int row : m_editor.Rows().SelectedRows()) {
        const CCellInfo* cell = m_editor.Rows().GetCell(row);
        std::unique_ptr<CCellInfo> copy = CCellInfo::CreateOfType(
            cell->CellType == CCellInfo::Type::Image ? CCellInfo::Type::Image
                                                     : CCellInfo::Type::Control);
        if (copy->CopyFrom(cell))
            list.Append(std::move(copy));
    }
}

bool CCellTransfer::PlaceOnClipboard(CCellInfoList& list)
{
    const QByteArray bytes = list.ToBytes();
    return m_editor.Clipboard() && !bytes.isEmpty() &&
           m_editor.Clipboard()->SetData(CCellInfoList::ClipFormat, bytes);
}

bool CCellTransfer::Copy()
{
    m_editor.SetInsertionIndex(-1);
    if (m_editor.Rows().SelectedCount() == 0)
        return false;
    CCellInfoList list;
    BuildTransferList(list);
    return PlaceOnClipboard(list);
}

bool CCellTransfer::Cut()
{
    m_editor.SetInsertionIndex(-1);
    const std::vector<int> selected = m_editor.Rows().SelectedRows();
    if (selected.empty() || m_editor.Document().RefuseWhileBusy())
        return false;
    m_editor.ClearUndo(true);
    m_editor.SetUndo(std::make_unique<CDeletedCellsStep>(EditorCommand::Cut, true));
    CCellInfoList list;
    list.ProjectFolder = m_editor.Document().Cells.ProjectFolder;
    for (size_t k = 0; k < selected.size(); ++k) {
        const int row = selected[k] - static_cast<int>(k);
        CCellInfo* cell = m_editor.Rows().GetCell(row);
        if (!cell)
            break;
        std::unique_ptr<CCellInfo> copy = CCellInfo::CreateOfType(
            cell->CellType == CCellInfo::Type::Image ? CCellInfo::Type::Image
                                                     : CCellInfo::Type::Control);
        if (copy->CopyFrom(cell))
            list.Append(std::move(copy));
        cell->StateFlags |= kDeletedUndo;
        if (!m_editor.Rows().DeleteRow(row))
            break;
    }
    m_editor.Repaint();
    // The rows are gone even when the clipboard cannot take them; Undo
    // brings them back.
    const bool placed = PlaceOnClipboard(list);
    m_editor.Modified();
    return placed;
}

bool CCellTransfer::Paste()
{
    m_editor.ForgetLastInsert();
    const std::vector<int> selected = m_editor.Rows().SelectedRows();
    if (selected.size() > 1 || m_editor.Document().RefuseWhileBusy())
        return false;
    if (m_editor.InsertionIndex() == -1)
        m_editor.SetInsertionIndex(selected.empty() ? -1 : selected[0]);
    QByteArray bytes;
    if (m_editor.Clipboard()) {
        for (const std::string& format : m_editor.Clipboard()->Formats()) {
            if (format == CCellInfoList::ClipFormat || format == CCellInfoList::ClipFormatFiles) {
                bytes = m_editor.Clipboard()->Data(format);
                break;
            }
        }
    }
    CCellInfoList list;
    if (bytes.isEmpty() && m_editor.Clipboard() &&
        CSourceCells::AppendUriList(list, m_editor.Clipboard()->Data(CSourceCells::UriListFormat)))
        return m_editor.InsertCells(EditorCommand::Paste, list, false);
    if (!ReadOrRefuse(bytes, list))
        return false;
    return m_editor.InsertCells(EditorCommand::Paste, list, false);
}

bool CCellTransfer::ClipboardHasFiles(const CCellClipboard& clipboard)
{
    if (!clipboard.HasFormat(CSourceCells::UriListFormat))
        return false;
    CCellInfoList list;
    const bool files =
        CSourceCells::AppendUriList(list, clipboard.Data(CSourceCells::UriListFormat));
    list.DeleteAll();
    return files;
}

// ----------------------------------------------------------------------------
// Drag and drop

QByteArray CCellTransfer::BeginDrag(CCellDragSession& session)
{
    if (m_editor.Rows().SelectedCount() == 0)
        return {};
    m_editor.ClearUndo(true);
    BuildTransferList(m_dragList);
    const QByteArray bytes = m_dragList.ToBytes();
    if (bytes.isEmpty()) {
        m_dragList.DeleteAll();
        return {};
    }
    session.source = &m_editor;
    session.target = &m_editor;
    session.acceptedCells = -1;
    return bytes;
}

bool CCellTransfer::Drop(const CCellClipboard& data, int effect, int row, CCellDragSession* session)
{
    const bool hasList = data.HasFormat(CCellInfoList::ClipFormat);
    const bool hasFiles = data.HasFormat(CCellInfoList::ClipFormatFiles);
    if ((!hasList && !hasFiles) ||
        !(effect & (CScenarioEditor::DropCopy | CScenarioEditor::DropMove)) || !session ||
        m_editor.Document().RefuseWhileBusy())
        return false;
    session->target = &m_editor;
    session->acceptedCells = -1;
    m_editor.ForgetLastInsert();
    if (row < -1 || row >= m_editor.Rows().GetCount())
        row = -1;
    m_editor.SetInsertionIndex(row);
    if (session->source == &m_editor && (effect & CScenarioEditor::DropMove)) {
        // The dragging side rearranges its rows when the drag returns.
        m_editor.SetInsertionIndex(row < 0 ? -2 : row);
        return true;
    }
    const QByteArray bytes =
        data.Data(hasList ? CCellInfoList::ClipFormat : CCellInfoList::ClipFormatFiles);
    CCellInfoList list;
    if (!ReadOrRefuse(bytes, list))
        return false;
    const bool ok = m_editor.InsertCells(0, list, false);
    if (!ok || m_editor.LastInsertCancelled()) {
        // Only the cells that arrived may leave the other window.
        session->acceptedCells = m_editor.LastInsertTaken();
        return m_editor.LastInsertTaken() > 0;
    }
    return true;
}

void CCellTransfer::EndDrag(int effect, CCellDragSession& session)
{
    if ((effect & CScenarioEditor::DropMove) && !m_editor.Document().RefuseWhileBusy()) {
        if (session.target && session.target != &m_editor) {
            // Another project took the cells: they leave this one, without undo.
            const std::vector<int> selected = m_editor.Rows().SelectedRows();
            size_t leaving = selected.size();
            if (session.acceptedCells >= 0)
                leaving = std::min(leaving, static_cast<size_t>(session.acceptedCells));
            RemoveRows(selected, leaving);
            m_editor.Repaint();
            if (leaving > 0)
                m_editor.Modified();
        } else {
            InternalMove();
        }
    }
    m_dragList.DeleteAll();
}

void CCellTransfer::RemoveRows(const std::vector<int>& rows, size_t count)
{
    // Each deleted row moves the later ones up by one.
    for (size_t k = 0; k < count && k < rows.size(); ++k) {
        const int row = rows[k] - static_cast<int>(k);
        CCellInfo* cell = m_editor.Rows().GetCell(row);
        if (!cell)
            break;
        cell->StateFlags |= CCellInfo::StateDeleted;
        if (!m_editor.Rows().DeleteRow(row))
            break;
    }
}

void CCellTransfer::InternalMove()
{
    const std::vector<int> selected = m_editor.Rows().SelectedRows();
    const int n = static_cast<int>(selected.size());
    int d = m_editor.InsertionIndex();
    if (n == 0 || (n == 1 && d == selected[0]) || n == m_editor.Rows().GetCount()) {
        m_editor.SetInsertionIndex(-1);
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
            anchor = m_editor.Rows().GetCell(d);
    }
    RemoveRows(selected, selected.size());
    if (anchor)
        d = m_editor.Rows().FindRow(anchor);

    const int tail = m_editor.Document().Cells.GetCount() - 1;
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
            if (row < m_editor.Rows().GetCount()) {
                position = m_editor.Document().Cells.IndexOf(anchor);
            } else {
                position = tail;
                row = -1;
            }
        }
    } else if (d <= 0) {
        position = -1;
        row = 0;
    } else {
        position = m_editor.Document().Cells.IndexOf(anchor) - 1;
        row = d;
    }
    m_editor.MoveIn(m_dragList, position, row);
}

bool CCellTransfer::ReadOrRefuse(const QByteArray& bytes, CCellInfoList& list)
{
    if (bytes.isEmpty()) {
        m_editor.SetInsertionIndex(-1);
        return false;
    }
    if (!ReadTransferBlock(bytes, list)) {
        AskUser(m_editor.Document().Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation,
                CUserPrompt::Ok);
        m_editor.SetInsertionIndex(-1);
        return false;
    }
    return true;
}

bool CCellTransfer::ReadTransferBlock(const QByteArray& bytes, CCellInfoList& list)
{
    list.DeleteAll();
    if (bytes.isEmpty() || !list.AppendFromBytes(bytes))
        return false;
    for (int i = 0; i < list.GetCount(); ++i) {
        const CCellInfo* cell = list.GetAt(i);
        if (!cell) {
            list.DeleteAll();
            return false;
        }
        if (cell->CellType != CCellInfo::Type::Image)
            continue;
        const auto* image = static_cast<const CCellBmpInfo*>(cell);
        if (!IsPlainName(image->FileName) || !IsPlainName(image->DispFileName) ||
            !IsPlainName(image->ThumbFileName)) {
            list.DeleteAll();
            return false;
        }
    }
    return true;
}
