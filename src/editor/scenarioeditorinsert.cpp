// CScenarioEditor: inserting cells (control cells, imported cells, the
// slides of a presentation) at the insertion index.
#include "base/msgid.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "document/busyguard.h"
#include "document/zurdoc.h"
#include "document/zurdoclisteners.h"
#include "editor/insertedcellsstep.h"
#include "editor/scenarioeditor.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "presentation/slidepptobj.h"

#include <algorithm>
#include <cerrno>
#include <set>

namespace {

class CSilentProgress : public CProgress
{
public:
    void SetRange(int, int) override {}
    void SetStep(int) override {}
    void SetPos(int) override {}
    void StepIt() override {}
    void SetText(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    bool IsCancelled() override { return false; }
    void Show(bool) override {}
};

// A name that a transfer block may give a cell's file: a plain name inside
// the folder, nothing that climbs out of it.
bool IsPlainName(const std::string& name)
{
    return name.empty() ||
           (name != "." && name != ".." && name.find('/') == std::string::npos &&
            name.find('\\') == std::string::npos && name.find('\0') == std::string::npos);
}
} // namespace

int CScenarioEditor::AnchorForInsertion() const
{
    if (m_insertIndex >= 0 && m_insertIndex < m_rows.GetCount())
        return m_doc.Cells.IndexOf(m_rows.GetCell(m_insertIndex)) - 1;
    return m_doc.Cells.GetCount() - 1;
}

bool CScenarioEditor::EnterCell(std::unique_ptr<CCellInfo> cell, InsertRun& run, bool& rowRefused)
{
    rowRefused = false;
    CCellInfo* raw = cell.get();
    if (run.anchor + 1 < 0 || run.anchor + 1 > m_doc.Cells.GetCount())
        return false;
    const int position = m_doc.Cells.InsertAt(run.anchor + 1, std::move(cell));
    run.anchor = position;
    if (m_rows.InsertRow(run.row, raw) < 0) {
        rowRefused = true;
        return false;
    }
    if (run.row >= 0)
        ++run.row;
    ++run.inserted;
    run.entered.push_back(raw);
    return true;
}

void CScenarioEditor::TakeBack(InsertRun& run)
{
    const std::set<const CCellInfo*> back(run.entered.begin(), run.entered.end());
    // The files any other cell names stay; the new ones go now, so that the
    // room they took is free again for the next save.
    std::set<std::string> named;
    for (int i = 0; i < m_doc.Cells.GetCount(); ++i) {
        const auto* other = dynamic_cast<const CCellBmpInfo*>(m_doc.Cells.GetAt(i));
        if (other && !back.count(other))
            named.insert({other->FileName, other->DispFileName, other->ThumbFileName});
    }
    for (auto it = run.entered.rbegin(); it != run.entered.rend(); ++it) {
        CCellInfo* cell = *it;
        if (const int row = m_rows.FindRow(cell); row >= 0)
            m_rows.DeleteRow(row);
        cell->StateFlags = (cell->StateFlags | CCellInfo::StateDeleted) & ~CCellInfo::StateUndo;
        if (auto* image = dynamic_cast<CCellBmpInfo*>(cell)) {
            for (std::string* name : {&image->FileName, &image->ThumbFileName}) {
                if (name->empty() || named.count(*name))
                    continue;
                image->ReleasePicture();
                CCellBmpInfo::DeleteFileAt(image->ProjectFilePath(*name));
                name->clear();
            }
        }
    }
    run.entered.clear();
    run.inserted = 0;
    // Nothing arrived: a window the cells were dragged from keeps them all.
    m_lastTaken = 0;
    m_undo.reset();
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
    auto cell = std::make_unique<CCellCtrlInfo>();
    ClearUndo(false);
    m_undo = std::make_unique<CInsertedCellsStep>(EditorCommand::CellInsertControl);
    InsertRun run;
    run.anchor = AnchorForInsertion();
    run.row = m_insertIndex;
    const int formerCount = m_rows.GetCount();
    m_rows.SetEnabled(false);
    m_rows.ClearSelection();
    cell->StateFlags = CCellInfo::StateAdded | CCellInfo::StateUndo;
    cell->OwnerList = &m_doc.Cells;
    bool rowRefused = false;
    const bool ok = EnterCell(std::move(cell), run, rowRefused);
    if (!ok && !rowRefused)
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
    m_rows.SetEnabled(true);
    if (ok)
        m_rows.SetSel(m_insertIndex >= 0 ? m_insertIndex : formerCount);
    m_doc.Listeners().SelectionChanged();
    Modified();
    m_insertIndex = -1;
    Repaint();
    return ok;
}

bool CScenarioEditor::IsShowToExpand(const CCellInfo& cell)
{
    return cell.CellType == CCellInfo::Type::Image &&
           CSlideSourceTypes::IsPresentation(static_cast<const CCellBmpInfo&>(cell).RefFilePath) &&
           static_cast<const CCellBmpInfo&>(cell).RefPage == 0;
}

void CScenarioEditor::ReportInsertFailure(const CFileFailure& failure)
{
    m_lastFailure = failure;
    // A file that could not be written says which and why, a full disk
    // above all, as a save does.
    const CSafeFile::Failure written = CSafeFile::LastFailure();
    if (written.error != 0 &&
        (!failure.IsFailure() || failure.reason() == CFileFailure::CannotWrite)) {
        CSafeFile::ReportFailure(Prompt(), written.path, written.error);
        return;
    }
    if (failure.IsFailure())
        AskUser(Prompt(), failure.MessageId(), CUserPrompt::Exclamation, CUserPrompt::Ok,
                failure.file());
    else
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
}

bool CScenarioEditor::InsertCells(int undoCode, CCellInfoList& list, bool reportCancel)
{
    m_lastCancelled = false;
    m_lastTaken = 0;
    m_lastFailure = {};
    if (CBusyGuard::RefuseSecondOperation(m_doc))
        return false;
    const CBusyGuard busy(m_doc);
    CSafeFile::ClearLastFailure();
    // The slides to insert, for a stopped insertion's message; a show counts
    // its slides once it is open.
    int total = list.GetCount();
    ClearUndo(false);
    if (undoCode != 0)
        m_undo = std::make_unique<CInsertedCellsStep>(undoCode);
    std::string folder = m_doc.ProjectPath;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    if (m_insertIndex < -1 || m_insertIndex >= m_rows.GetCount())
        m_insertIndex = -1;

    InsertRun run;
    run.anchor = AnchorForInsertion();
    run.row = m_insertIndex;
    const int formerCount = m_rows.GetCount();
    m_rows.SetEnabled(false);
    m_rows.ClearSelection();

    CSilentProgress silent;
    CProgress& progress = m_progress ? *m_progress : silent;
    progress.SetCaption(CResourceBundle::Text(MsgId::InsertingSlidesCaption));
    progress.SetRange(0, list.GetCount());
    progress.SetPos(0);
    progress.SetStep(1);
    progress.Show(true);

    // Imports of the image cells start at once, in parallel when allowed;
    // the cells still enter the list strictly in order below.
    CCellImporter::HostFactory hosts = m_workerHosts;
    if (m_defaultWorkerHosts) {
        hosts = [backColor = m_doc.BackColor, quality = m_doc.ImageQuality] {
            return std::make_unique<CImagingHost>(backColor, quality,
                                                  CImagingHost::CheckEveryPicture);
        };
    }
    CCellImporter importer(&m_doc, folder, hosts, m_workers);
    for (int i = 0; i < list.GetCount(); ++i) {
        const CCellInfo* cell = list.GetAt(i);
        if (cell && cell->CellType == CCellInfo::Type::Image && !IsShowToExpand(*cell))
            importer.Schedule(cell);
    }

    // A cancel pressed while a conversion runs is kept until the next cell.
    bool cancelPressed = false;
    const auto watchCancel = [&] {
        if (progress.IsCancelled())
            cancelPressed = true;
    };
    const uint32_t flags =
        undoCode != 0 ? CCellInfo::StateAdded | CCellInfo::StateUndo : CCellInfo::StateAdded;
    bool ok = true;
    while (!list.IsEmpty()) {
        watchCancel();
        if (cancelPressed) {
            m_lastCancelled = true;
            ok = !reportCancel;
            break;
        }
        std::unique_ptr<CCellInfo> cell = list.RemoveAt(0);
        if (!cell)
            continue;
        cell->OwnerList = &list;
        if (IsShowToExpand(*cell)) {
            const std::string path = static_cast<CCellBmpInfo&>(*cell).RefFilePath;
            if (OpenPresentation(path)) {
                total += std::max(0, PresentationSlideCount() - 1);
                if (!ExpandPresentation(std::move(cell), run, reportCancel, progress)) {
                    ok = false;
                    break;
                }
                ++m_lastTaken;
                // A cancel during the expansion ends the whole insertion.
                if (m_lastCancelled)
                    break;
                continue;
            }
            const CSlidePPTObj* opened = PresentationInUse();
            ReportInsertFailure(opened ? opened->LastFailure() : CFileFailure());
            ok = false;
            break;
        }
        std::unique_ptr<CCellInfo> ready;
        CFileFailure failure;
        if (cell->CellType == CCellInfo::Type::Image) {
            ready = importer.Take(cell.get(), watchCancel, &failure);
        } else if (cell->CellType == CCellInfo::Type::Control) {
            ready = std::move(cell);
            ready->OwnerList = &m_doc.Cells;
            if (!ready->Validate(&m_doc))
                ready.reset();
        }
        if (!ready) {
            // The import removed what it made; the cell goes.
            ReportInsertFailure(failure);
            ok = false;
            break;
        }
        ready->OwnerList = &m_doc.Cells;
        ready->StateFlags = flags;
        bool rowRefused = false;
        if (!EnterCell(std::move(ready), run, rowRefused)) {
            if (!rowRefused)
                AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
            ok = false;
            break;
        }
        ++m_lastTaken;
        progress.StepIt();
        Repaint();
    }
    importer.Abandon();
    progress.Show(false);

    const CSafeFile::Failure written = CSafeFile::LastFailure();
    const bool diskFull = written.error == ENOSPC || written.error == EDQUOT;
    if (!ok && diskFull)
        TakeBack(run);
    // Told once, here: a caller does not tell it again.
    CSafeFile::ClearLastFailure();
    EndInsertion(m_insertIndex >= 0 ? m_insertIndex : formerCount, run.inserted);
    if (m_lastCancelled && !reportCancel && m_tellStopped && run.inserted > 0)
        AskUser(Prompt(), MsgId::InsertStopped, CUserPrompt::Information, CUserPrompt::Ok,
                std::to_string(run.inserted), std::to_string(std::max(total, run.inserted)));
    return ok;
}

void CScenarioEditor::EndInsertion(int first, int count)
{
    m_rows.SetEnabled(true);
    if (count > 1)
        m_rows.SelectRange(first, first + count - 1);
    else if (count == 1)
        m_rows.SetSel(first);
    // An insertion that took nothing in leaves the project as it was.
    if (count > 0)
        Modified();
    m_insertIndex = -1;
    m_doc.Listeners().SelectionChanged();
    Repaint();
}

bool CScenarioEditor::ReadTransferBlock(const QByteArray& bytes, CCellInfoList& list)
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
