#include "editor/scenarioeditor.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "document/busyguard.h"
#include "document/zurdoc.h"
#include "document/zurdoclisteners.h"
#include "editor/batchprobe.h"
#include "editor/cellclipboard.h"
#include "editor/celldialogrules.h"
#include "editor/celldialogs.h"
#include "editor/celldragsession.h"
#include "editor/cellpropdata.h"
#include "editor/cellvaluesstep.h"
#include "editor/ctrlpropdata.h"
#include "editor/deletedcellsstep.h"
#include "editor/effectdata.h"
#include "editor/insertedcellsstep.h"
#include "editor/presentationexpander.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "presentation/slidepptobj.h"

#include <QThread>
#include <algorithm>
#include <unordered_set>

namespace {
constexpr uint32_t kDeletedUndo = CCellInfo::StateDeleted | CCellInfo::StateUndo; // 0x14

bool IsImage(const CCellInfo* cell)
{
    return cell && cell->CellType == CCellInfo::Type::Image;
}
} // namespace

CScenarioEditor::CScenarioEditor(CZurDoc& doc, CSlidePPTObj* shared)
    : m_doc(doc), m_presentations(std::make_unique<CPresentationExpander>(doc, shared))
{
    // Conversions of different files are independent: by default they run
    // on the machine's cores, each worker with imaging of its own.
    const int cores = QThread::idealThreadCount();
    m_workers = cores > 1 ? cores : 0;
    m_defaultWorkerHosts = true;
    if (!m_doc.Observer())
        m_doc.SetObserver(this);
    m_rows.SetListeners(&m_doc.Listeners());
    UpdateAllViews();
}

CScenarioEditor::~CScenarioEditor()
{
    if (m_doc.Observer() == this)
        m_doc.SetObserver(nullptr);
    m_rows.SetListeners(nullptr);
}

void CScenarioEditor::SetParallelImport(CCellImporter::HostFactory factory, int workers)
{
    m_workerHosts = std::move(factory);
    m_workers = m_workerHosts ? std::max(0, workers) : 0;
    m_defaultWorkerHosts = false;
}

void CScenarioEditor::SetSharedPresentation(CSlidePPTObj* shared)
{
    m_presentations->SetSharedPresentation(shared);
}

CSlidePPTObj* CScenarioEditor::SharedPresentation() const
{
    return m_presentations->SharedPresentation();
}

bool CScenarioEditor::IsBorrowingPresentation() const
{
    return m_presentations->IsBorrowingPresentation();
}

CUserPrompt* CScenarioEditor::Prompt() const
{
    return m_doc.Prompt();
}

int CScenarioEditor::UndoCode() const
{
    return m_undo ? m_undo->Code() : 0;
}

void CScenarioEditor::SetUndo(std::unique_ptr<CUndoStep> step)
{
    m_undo = std::move(step);
}

void CScenarioEditor::Repaint()
{
    if (m_repaint)
        m_repaint();
}

void CScenarioEditor::Modified()
{
    m_doc.SetModifiedFlag(true);
}

// ----------------------------------------------------------------------------
// State and enabling

CEditorState CScenarioEditor::State() const
{
    CEditorState s;
    s.rowCount = m_rows.GetCount();
    const std::vector<int> selected = m_rows.SelectedRows();
    s.selectedCount = static_cast<int>(selected.size());
    for (const int row : selected) {
        const CCellInfo* cell = m_rows.GetCell(row);
        (cell->CellValid != 0 ? s.anySelectedEnabled : s.anySelectedDisabled) = true;
    }
    s.singleImage = selected.size() == 1 && IsImage(m_rows.GetCell(selected[0]));
    s.clipboardHasCells = m_clipboard && (m_clipboard->HasFormat(CCellInfoList::ClipFormat) ||
                                          m_clipboard->HasFormat(CCellInfoList::ClipFormatFiles) ||
                                          CCellTransfer::ClipboardHasFiles(*m_clipboard));
    s.undoCode = UndoCode();
    s.busy = m_doc.IsBusy();
    return s;
}

CContextMenuState CScenarioEditor::ContextMenu(int hitRow)
{
    m_insertIndex = -1;
    if (hitRow >= m_rows.GetCount())
        hitRow = -1;
    const bool selected = m_rows.IsSelected(hitRow);
    CContextMenuState menu = CEditorCommands::ContextMenu(hitRow, selected, State());
    if (menu.show)
        m_insertIndex = hitRow;
    return menu;
}

bool CScenarioEditor::Execute(int command)
{
    if (command != EditorCommand::Copy && command != EditorCommand::SelectAll &&
        m_doc.RefuseWhileBusy())
        return false;
    if (StateOf(command) != CommandState::Enabled)
        return false;
    switch (command) {
    case EditorCommand::Copy:
        return this->Copy();
    case EditorCommand::Cut:
        return this->Cut();
    case EditorCommand::Delete:
        this->Delete();
        return true;
    case EditorCommand::Paste:
        return this->Paste();
    case EditorCommand::SelectAll:
        this->SelectAll();
        return true;
    case EditorCommand::Undo:
        return this->Undo();
    case EditorCommand::CellDisable:
    case EditorCommand::CellEnable:
        return EnableDisable(command);
    case EditorCommand::CellProperties:
        return Properties();
    case EditorCommand::CellEffect:
        return this->Effect();
    case EditorCommand::CellInsertControl:
        return InsertControlCell();
    default:
        return false;
    }
}

// ----------------------------------------------------------------------------
// Document observer and undo bookkeeping

void CScenarioEditor::UpdateAllViews()
{
    CZurDocListeners& listeners = m_doc.Listeners();
    listeners.ModelAboutToBeReset();
    m_rows.Clear();
    for (int i = 0; i < m_doc.Cells.GetCount(); ++i) {
        CCellInfo* cell = m_doc.Cells.GetAt(i);
        if (cell && cell->IsVisible())
            m_rows.InsertRow(-1, cell);
    }
    listeners.ModelReset();
    Repaint();
}

void CScenarioEditor::SyncRows()
{
    std::vector<CCellInfo*> wanted;
    for (int i = 0; i < m_doc.Cells.GetCount(); ++i) {
        CCellInfo* cell = m_doc.Cells.GetAt(i);
        if (cell && cell->IsVisible())
            wanted.push_back(cell);
    }
    const std::unordered_set<const CCellInfo*> wantedSet(wanted.begin(), wanted.end());
    for (int row = m_rows.GetCount() - 1; row >= 0; --row) {
        if (!wantedSet.count(m_rows.GetCell(row)))
            m_rows.DeleteRow(row);
    }
    // The rows left must appear in the list's order; anything else is a
    // reset, not a change.
    size_t next = 0;
    for (int row = 0; row < m_rows.GetCount(); ++row) {
        while (next < wanted.size() && wanted[next] != m_rows.GetCell(row))
            ++next;
        if (next == wanted.size()) {
            UpdateAllViews();
            return;
        }
        ++next;
    }
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (m_rows.GetCell(static_cast<int>(i)) != wanted[i])
            m_rows.InsertRow(static_cast<int>(i), wanted[i]);
    }
    Repaint();
}

std::vector<int> CScenarioEditor::RowsOfMarkedCells() const
{
    std::vector<int> rows;
    for (int row = 0; row < m_rows.GetCount(); ++row) {
        if (m_rows.GetCell(row)->StateFlags & CCellInfo::StateUndo)
            rows.push_back(row);
    }
    return rows;
}

void CScenarioEditor::RowsChanged(const std::vector<int>& rows)
{
    m_doc.Listeners().RowsChanged(rows);
}

bool CScenarioEditor::InsertCellList(const QByteArray& block, bool reportCancel)
{
    if (m_doc.RefuseWhileBusy())
        return false;
    m_insertIndex = -1;
    CCellInfoList list;
    if (!ReadTransferBlock(block, list)) {
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return false;
    }
    return InsertCells(EditorCommand::Paste, list, reportCancel);
}

void CScenarioEditor::ClearUndo(bool resetInsertion)
{
    m_doc.Cells.ClearFlags(CCellInfo::StateUndo);
    m_undo.reset();
    if (resetInsertion)
        m_insertIndex = -1;
}

bool CScenarioEditor::Undo()
{
    if (!m_undo || m_doc.RefuseWhileBusy())
        return false;
    const bool rebuild = m_undo->Undo(m_doc.Cells, m_clipboard);
    // Undoing changes in place redraws the rows it touches.
    const std::vector<int> changed = rebuild ? std::vector<int>() : RowsOfMarkedCells();
    ClearUndo(false);
    if (rebuild) {
        SyncRows();
        // As after a rebuild: nothing selected, no focus, no anchor.
        m_rows.ClearSelection();
        m_rows.SetFocusRow(-1);
        m_rows.SetAnchorRow(-1);
        m_doc.Listeners().SelectionChanged();
    } else {
        RowsChanged(changed);
        Repaint();
    }
    return true;
}

// ----------------------------------------------------------------------------
// Insertions

CCellInserter::Setup CScenarioEditor::InsertSetup()
{
    CCellInserter::Setup setup;
    setup.progress = m_progress;
    if (!m_progress && m_progressMaker) {
        setup.ownProgress = m_progressMaker();
        setup.progress = setup.ownProgress.get();
    }
    setup.repaint = [this] { Repaint(); };
    setup.hosts = m_workerHosts;
    setup.workers = m_workers;
    if (m_defaultWorkerHosts) {
        setup.hosts = [backColor = m_doc.BackColor, quality = m_doc.ImageQuality] {
            return std::make_unique<CImagingHost>(backColor, quality,
                                                  CImagingHost::CheckEveryPicture);
        };
    }
    setup.tellStopped = m_tellStopped;
    return setup;
}

bool CScenarioEditor::InsertControlCell()
{
    if (m_doc.RefuseWhileBusy())
        return false;
    if (m_insertIndex == -1) {
        const std::vector<int> selected = m_rows.SelectedRows();
        if (selected.size() > 1)
            return false;
        m_insertIndex = selected.empty() ? -1 : selected[0];
    }
    if (m_insertIndex < -1 || m_insertIndex >= m_rows.GetCount())
        m_insertIndex = -1;
    ClearUndo(false);
    m_undo = std::make_unique<CInsertedCellsStep>(EditorCommand::CellInsertControl);
    CCellInserter inserter(m_doc, m_rows, m_insertIndex, m_undo, *m_presentations, InsertSetup());
    const bool ok = inserter.InsertControlCell().ok;
    FocusOnSelection();
    return ok;
}

void CScenarioEditor::FocusOnSelection()
{
    // The keys go on from the rows that just arrived: the focus on the last
    // of them, the anchor of Shift on the first.
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.empty())
        return;
    m_rows.SetAnchorRow(selected.front());
    m_rows.SetFocusRow(selected.back());
    m_doc.Listeners().SelectionChanged();
}

bool CScenarioEditor::InsertCells(int undoCode, CCellInfoList& list, bool reportCancel)
{
    m_lastInsert = {};
    if (CBusyGuard::RefuseSecondOperation(m_doc)) {
        m_lastInsert.ok = false;
        return false;
    }
    const CBusyGuard busy(m_doc);
    if (m_screenBatches && !CBatchProbe::Screen(list, Prompt())) {
        m_insertIndex = -1;
        m_lastInsert.ok = false;
        return false;
    }
    CSafeFile::ClearLastFailure();
    ClearUndo(false);
    if (undoCode != 0)
        m_undo = std::make_unique<CInsertedCellsStep>(undoCode);
    CCellInserter inserter(m_doc, m_rows, m_insertIndex, m_undo, *m_presentations, InsertSetup());
    m_lastInsert = inserter.InsertCells(list, reportCancel);
    if (m_lastInsert.taken > 0)
        FocusOnSelection();
    return m_lastInsert.ok;
}

CInsertResult CScenarioEditor::MoveIn(CCellInfoList& list, int anchor, int row)
{
    ClearUndo(false);
    CCellInserter inserter(m_doc, m_rows, m_insertIndex, m_undo, *m_presentations, InsertSetup());
    const CInsertResult result = inserter.MoveIn(list, anchor, row);
    FocusOnSelection();
    return result;
}

// ----------------------------------------------------------------------------
// Delete, enable / disable, select all

void CScenarioEditor::Delete()
{
    if (m_doc.RefuseWhileBusy())
        return;
    ClearUndo(true);
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.empty())
        return;
    m_undo = std::make_unique<CDeletedCellsStep>(EditorCommand::Delete, false);
    for (size_t k = 0; k < selected.size(); ++k) {
        const int row = selected[k] - static_cast<int>(k);
        CCellInfo* cell = m_rows.GetCell(row);
        if (!cell)
            break;
        cell->StateFlags |= kDeletedUndo;
        if (!m_rows.DeleteRow(row))
            break;
    }
    Repaint();
    Modified();
}

bool CScenarioEditor::EnableDisable(int command)
{
    if (m_doc.RefuseWhileBusy())
        return false;
    ClearUndo(true);
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.empty())
        return false;
    // The step stands even when no cell changes: Undo names the command.
    auto step = std::make_unique<CCellValuesStep>(command);
    const bool disable = command == EditorCommand::CellDisable;
    std::vector<int> changed;
    for (const int row : selected) {
        CCellInfo* cell = m_rows.GetCell(row);
        if ((cell->CellValid != 0) == disable) {
            step->Remember(cell);
            cell->CellValid = disable ? 0 : 1;
            changed.push_back(row);
        }
    }
    m_undo = std::move(step);
    Modified();
    RowsChanged(changed);
    Repaint();
    return true;
}

void CScenarioEditor::SelectAll()
{
    m_insertIndex = -1;
    if (m_rows.GetCount() > 0) {
        m_rows.SetSel(-1, true);
        m_doc.Listeners().SelectionChanged();
    }
}

// ----------------------------------------------------------------------------
// Properties and effect

bool CScenarioEditor::Properties()
{
    m_insertIndex = -1;
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.empty() || !m_dialogs || m_doc.RefuseWhileBusy())
        return false;
    if (selected.size() == 1)
        return PropertiesSingle(m_rows.GetCell(selected[0]), selected[0]);
    return PropertiesMultiple(selected);
}

bool CScenarioEditor::PropertiesSingle(CCellInfo* cell, int row)
{
    int32_t* extra = nullptr; // Effect or InputDev
    int newValid = 0, newMotion = 0, newInterval = 0, newExtra = 0;
    if (cell->CellType == CCellInfo::Type::Image) {
        auto* image = static_cast<CCellBmpInfo*>(cell);
        CCellPropData data;
        data.number = row + 1;
        data.name = image->RefFilePath;
        data.page = image->RefPage;
        data.interval = image->AutoIntervalSec;
        data.motion = image->MotionType;
        data.valid = image->CellValid;
        data.effect = image->Effect;
        CCellDialogRules::OpenCellProp(data);
        if (!m_dialogs->RunCellProp(data))
            return false;
        extra = &image->Effect;
        newValid = data.valid, newMotion = data.motion, newInterval = data.interval;
        newExtra = data.effect;
    } else if (cell->CellType == CCellInfo::Type::Control) {
        auto* control = static_cast<CCellCtrlInfo*>(cell);
        CCtrlPropData data;
        data.number = row + 1;
        data.interval = control->AutoIntervalSec;
        data.motion = control->MotionType;
        data.valid = control->CellValid;
        data.inputDev = control->InputDev;
        if (!m_dialogs->RunCtrlProp(data))
            return false;
        extra = &control->InputDev;
        newValid = data.valid, newMotion = data.motion, newInterval = data.interval;
        newExtra = data.inputDev;
    } else {
        return false;
    }
    ClearUndo(true);
    const bool changed = newMotion != cell->MotionType ||
                         (newMotion == 1 && newInterval != cell->AutoIntervalSec) ||
                         newValid != cell->CellValid || newExtra != *extra;
    if (!changed)
        return true;
    auto step = std::make_unique<CCellValuesStep>(EditorCommand::CellProperties);
    step->Remember(cell);
    m_undo = std::move(step);
    const bool switched = newValid != cell->CellValid ||
                          (cell->CellType == CCellInfo::Type::Control && newExtra != *extra);
    cell->MotionType = newMotion;
    if (cell->MotionType == 1)
        cell->AutoIntervalSec = newInterval;
    cell->CellValid = newValid;
    *extra = newExtra;
    Modified();
    RowsChanged({row});
    if (switched)
        Repaint();
    return true;
}

bool CScenarioEditor::PropertiesMultiple(const std::vector<int>& rows)
{
    CCellPropData data;
    data.multiple = true;
    data.hasImageCells = false;
    data.effect = -2;
    bool first = true, firstImage = true;
    for (const int row : rows) {
        const CCellInfo* cell = m_rows.GetCell(row);
        if (first) {
            data.interval = cell->AutoIntervalSec;
            data.motion = cell->MotionType;
            data.validMulti = cell->CellValid;
            first = false;
        } else {
            if (data.interval != cell->AutoIntervalSec)
                data.interval = 0;
            if (data.motion != cell->MotionType)
                data.motion = -1;
            if (data.validMulti != cell->CellValid)
                data.validMulti = 2;
        }
        if (IsImage(cell)) {
            const int effect = static_cast<const CCellBmpInfo*>(cell)->Effect;
            data.hasImageCells = true;
            if (firstImage)
                data.effect = effect;
            else if (data.effect != effect)
                data.effect = -1;
            firstImage = false;
        }
    }
    CCellDialogRules::OpenCellProp(data);
    if (!m_dialogs->RunCellProp(data))
        return false;
    ClearUndo(true);
    auto step = std::make_unique<CCellValuesStep>(EditorCommand::CellPropertiesMulti);
    bool switched = false;
    std::vector<int> changed;
    for (const int row : rows) {
        CCellInfo* cell = m_rows.GetCell(row);
        auto* image = IsImage(cell) ? static_cast<CCellBmpInfo*>(cell) : nullptr;
        const bool effectApplies = data.hasImageCells && image && data.effect >= 0;
        const bool applies =
            (data.motion != -1 && data.motion != cell->MotionType) ||
            (data.motion == 1 && data.interval != 0 && data.interval != cell->AutoIntervalSec) ||
            (data.validMulti != 2 && data.validMulti != cell->CellValid) ||
            (effectApplies && data.effect != image->Effect);
        if (!applies)
            continue;
        step->Remember(cell);
        changed.push_back(row);
        if (data.motion != -1)
            cell->MotionType = data.motion;
        if (cell->MotionType == 1 && data.interval != 0)
            cell->AutoIntervalSec = data.interval;
        if (data.validMulti != 2) {
            switched = switched || cell->CellValid != data.validMulti;
            cell->CellValid = data.validMulti;
        }
        if (effectApplies)
            image->Effect = data.effect;
    }
    if (!step->IsEmpty()) {
        m_undo = std::move(step);
        Modified();
        RowsChanged(changed);
        if (switched)
            Repaint();
    }
    return true;
}

bool CScenarioEditor::Effect()
{
    const std::vector<int> selected = m_rows.SelectedRows();
    if (selected.size() != 1 || !IsImage(m_rows.GetCell(selected[0])) || !m_dialogs ||
        m_doc.RefuseWhileBusy())
        return false;
    auto* image = static_cast<CCellBmpInfo*>(m_rows.GetCell(selected[0]));
    CEffectData data;
    data.disolve = image->Disolve;
    CCellDialogRules::OpenEffect(data);
    if (!m_dialogs->RunEffect(data))
        return false;
    ClearUndo(true);
    if (data.disolve == image->Disolve)
        return true;
    auto step = std::make_unique<CCellValuesStep>(EditorCommand::CellEffect);
    step->Remember(image);
    m_undo = std::move(step);
    image->Disolve = data.disolve;
    Modified();
    RowsChanged({selected[0]});
    return true;
}
