#include "editor/cellinserter.h"

#include "base/job.h"
#include "base/msgid.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "document/zurdoclisteners.h"
#include "editor/cellrowlist.h"
#include "editor/presentationexpander.h"
#include "editor/undostep.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "presentation/slidepptobj.h"

#include <QSemaphore>
#include <QtConcurrent/QtConcurrentRun>
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
} // namespace

CCellInserter::CCellInserter(CZurDoc& doc, CCellRowList& rows, int& insertIndex,
                             std::unique_ptr<CUndoStep>& undo, CPresentationExpander& presentations,
                             Setup setup)
    : m_doc(doc), m_rows(rows), m_insertIndex(insertIndex), m_undo(undo),
      m_presentations(presentations), m_setup(std::move(setup))
{}

CUserPrompt* CCellInserter::Prompt() const
{
    return m_doc.Prompt();
}

void CCellInserter::Repaint()
{
    if (m_setup.repaint)
        m_setup.repaint();
}

uint32_t CCellInserter::NewCellFlags() const
{
    return m_undo ? CCellInfo::StateAdded | CCellInfo::StateUndo : CCellInfo::StateAdded;
}

int CCellInserter::AnchorForInsertion() const
{
    if (m_insertIndex >= 0 && m_insertIndex < m_rows.GetCount())
        return m_doc.Cells.IndexOf(m_rows.GetCell(m_insertIndex)) - 1;
    return m_doc.Cells.GetCount() - 1;
}

void CCellInserter::Begin()
{
    m_anchor = AnchorForInsertion();
    m_row = m_insertIndex;
    m_rows.SetEnabled(false);
    m_rows.ClearSelection();
}

bool CCellInserter::EnterCell(std::unique_ptr<CCellInfo> cell, bool& rowRefused)
{
    rowRefused = false;
    CCellInfo* raw = cell.get();
    if (m_anchor + 1 < 0 || m_anchor + 1 > m_doc.Cells.GetCount())
        return false;
    const int position = m_doc.Cells.InsertAt(m_anchor + 1, std::move(cell));
    m_anchor = position;
    if (m_rows.InsertRow(m_row, raw) < 0) {
        rowRefused = true;
        return false;
    }
    if (m_row >= 0)
        ++m_row;
    m_entered.push_back(raw);
    return true;
}

std::vector<std::string> CCellInserter::NewPictures() const
{
    std::vector<std::string> names;
    for (const CCellInfo* cell : m_entered)
        if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell))
            for (const std::string* name : {&image->FileName, &image->ThumbFileName})
                if (!name->empty())
                    names.push_back(*name);
    return names;
}

void CCellInserter::TakeBack()
{
    const std::set<const CCellInfo*> back(m_entered.begin(), m_entered.end());
    // The files any other cell names stay; the new ones go now, so that the
    // room they took is free again for the next save.
    std::set<std::string> named;
    for (int i = 0; i < m_doc.Cells.GetCount(); ++i) {
        const auto* other = dynamic_cast<const CCellBmpInfo*>(m_doc.Cells.GetAt(i));
        if (other && !back.count(other))
            named.insert({other->FileName, other->DispFileName, other->ThumbFileName});
    }
    for (auto it = m_entered.rbegin(); it != m_entered.rend(); ++it) {
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
    m_entered.clear();
    // Nothing arrived: a window the cells were dragged from keeps them all.
    m_result.taken = 0;
    m_undo.reset();
}

CInsertResult CCellInserter::InsertControlCell()
{
    auto cell = std::make_unique<CCellCtrlInfo>();
    Begin();
    const int formerCount = m_rows.GetCount();
    cell->StateFlags = CCellInfo::StateAdded | CCellInfo::StateUndo;
    cell->OwnerList = &m_doc.Cells;
    bool rowRefused = false;
    const bool ok = EnterCell(std::move(cell), rowRefused);
    if (!ok && !rowRefused)
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
    m_rows.SetEnabled(true);
    if (ok)
        m_rows.SetSel(m_insertIndex >= 0 ? m_insertIndex : formerCount);
    m_doc.Listeners().SelectionChanged();
    m_doc.SetModifiedFlag(true);
    m_insertIndex = -1;
    Repaint();
    m_result.ok = ok;
    m_result.taken = ok ? 1 : 0;
    return m_result;
}

void CCellInserter::ReportInsertFailure(const CFileFailure& failure)
{
    m_result.failure = failure;
    // A file that could not be written says which and why, a full disk
    // above all, as a save does.
    const CSafeFile::Failure written = CSafeFile::LastFailure();
    if (written.error != 0 &&
        (!failure.IsFailure() || failure.reason() == CFileFailure::CannotWrite)) {
        CSafeFile::ReportFailure(Prompt(), written.path, written.error);
        return;
    }
    if (failure.IsFailure()) {
        if (CUserPrompt* prompt = Prompt())
            prompt->Show(failure.MessageId(), failure.TextFor(prompt), CUserPrompt::Exclamation,
                         CUserPrompt::Ok);
    } else
        AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
}

CInsertResult CCellInserter::InsertCells(CCellInfoList& list, bool reportCancel)
{
    // The slides to insert, for a stopped insertion's message; a show counts
    // its slides once it is open.
    int total = list.GetCount();
    std::string folder = m_doc.ProjectPath;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    if (m_insertIndex < -1 || m_insertIndex >= m_rows.GetCount())
        m_insertIndex = -1;

    const int formerCount = m_rows.GetCount();
    Begin();

    CSilentProgress silent;
    CProgress& progress = m_setup.progress ? *m_setup.progress : silent;
    progress.SetCaption(CResourceBundle::Text(MsgId::InsertingSlidesCaption));
    progress.SetRange(0, list.GetCount());
    progress.SetPos(0);
    progress.SetStep(1);
    progress.Show(true);

    // Imports of the image cells start at once, in parallel when allowed;
    // the cells still enter the list strictly in order below.
    CCellImporter importer(&m_doc, folder, m_setup.hosts, m_setup.workers);
    for (int i = 0; i < list.GetCount(); ++i) {
        const CCellInfo* cell = list.GetAt(i);
        if (cell && cell->CellType == CCellInfo::Type::Image &&
            !CPresentationExpander::IsShowToExpand(*cell))
            importer.Schedule(cell);
    }

    // A cancel pressed while a conversion runs is kept until the next cell.
    bool cancelPressed = false;
    const auto watchCancel = [&] {
        if (progress.IsCancelled())
            cancelPressed = true;
    };
    const uint32_t flags = NewCellFlags();
    bool ok = true;
    while (!list.IsEmpty()) {
        watchCancel();
        if (cancelPressed) {
            m_result.cancelled = true;
            ok = !reportCancel;
            break;
        }
        std::unique_ptr<CCellInfo> cell = list.RemoveAt(0);
        if (!cell)
            continue;
        cell->OwnerList = &list;
        if (CPresentationExpander::IsShowToExpand(*cell)) {
            const std::string path = static_cast<CCellBmpInfo&>(*cell).RefFilePath;
            if (m_presentations.OpenPresentation(path)) {
                total += std::max(0, m_presentations.PresentationSlideCount() - 1);
                if (!m_presentations.ExpandPresentation(std::move(cell), *this, reportCancel,
                                                        progress)) {
                    ok = false;
                    break;
                }
                ++m_result.taken;
                // A cancel during the expansion ends the whole insertion.
                if (m_result.cancelled)
                    break;
                continue;
            }
            const CSlidePPTObj* opened = m_presentations.PresentationInUse();
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
        if (!EnterCell(std::move(ready), rowRefused)) {
            if (!rowRefused)
                AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
            ok = false;
            break;
        }
        ++m_result.taken;
        progress.StepIt();
        Repaint();
    }
    importer.Abandon();
    // Workers and rendered pages write pictures without a wait for each:
    // one wait for them all, before any save can name them. A write error
    // the disk reports now takes the insertion back, as a full disk does.
    bool unflushed = false;
    if (ok && !folder.empty()) {
        const std::vector<std::string> names = NewPictures();
        if (!names.empty()) {
            // Off this thread: on a slow disk the wait may be long, and the
            // progress (the window) stays alive meanwhile.
            QSemaphore ended;
            QFuture<bool> flushed = QtConcurrent::run(&CJob::Pool(), [&] {
                const bool done = m_setup.flush ? m_setup.flush(folder, names)
                                                : CSafeFile::FlushFiles(folder, names);
                ended.release();
                return done;
            });
            while (!ended.tryAcquire(1, 30))
                watchCancel();
            unflushed = !flushed.result();
            ok = !unflushed;
            // Every cell is in: a cancel now only counts where a cancel
            // makes the insertion fail.
            if (ok && cancelPressed && reportCancel) {
                m_result.cancelled = true;
                ok = false;
            }
        }
    }
    progress.Show(false);

    const CSafeFile::Failure written = CSafeFile::LastFailure();
    const bool diskFull = written.error == ENOSPC || written.error == EDQUOT;
    if (!ok && (diskFull || unflushed))
        TakeBack();
    if (unflushed)
        CSafeFile::ReportFailure(Prompt(), written.error ? written.path : folder, written.error);
    // Told once, here: a caller does not tell it again.
    CSafeFile::ClearLastFailure();
    const int inserted = static_cast<int>(m_entered.size());
    End(m_insertIndex >= 0 ? m_insertIndex : formerCount);
    if (m_result.cancelled && !reportCancel && m_setup.tellStopped && inserted > 0)
        AskUser(Prompt(), MsgId::InsertStopped, CUserPrompt::Information, CUserPrompt::Ok,
                std::to_string(inserted), std::to_string(std::max(total, inserted)));
    m_result.ok = ok;
    return m_result;
}

CInsertResult CCellInserter::MoveIn(CCellInfoList& list, int anchor, int row)
{
    m_rows.SetEnabled(false);
    m_rows.ClearSelection();
    const int formerCount = m_rows.GetCount();
    m_anchor = anchor;
    m_row = row;
    bool ok = true;
    while (!list.IsEmpty()) {
        std::unique_ptr<CCellInfo> cell = list.RemoveAt(0);
        if (!cell)
            continue;
        cell->StateFlags = CCellInfo::StateAdded;
        cell->OwnerList = &m_doc.Cells;
        bool rowRefused = false;
        if (!EnterCell(std::move(cell), rowRefused)) {
            if (!rowRefused)
                AskUser(Prompt(), MsgId::InsertFailed, CUserPrompt::Exclamation, CUserPrompt::Ok);
            ok = false;
            break;
        }
        ++m_result.taken;
        Repaint();
    }
    // The rows left their places: the project changed even if none came back.
    m_doc.SetModifiedFlag(true);
    End(row >= 0 ? row : formerCount);
    m_result.ok = ok;
    return m_result;
}

void CCellInserter::End(int first)
{
    const int count = static_cast<int>(m_entered.size());
    m_rows.SetEnabled(true);
    if (count > 1)
        m_rows.SelectRange(first, first + count - 1);
    else if (count == 1)
        m_rows.SetSel(first);
    // An insertion that took nothing in leaves the project as it was.
    if (count > 0)
        m_doc.SetModifiedFlag(true);
    m_insertIndex = -1;
    m_doc.Listeners().SelectionChanged();
    Repaint();
}
