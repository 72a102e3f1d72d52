// The insertion on its own, without an editor: what it leaves in the
// document and the rows, and what its result says.
#include "base/msgid.h"
#include "base/safefile.h"
#include "document/zurdoc.h"
#include "editor/cellinserter.h"
#include "editor/cellrowlist.h"
#include "editor/editorcommands.h"
#include "editor/insertedcellsstep.h"
#include "editor/presentationexpander.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

class CellInserterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/project/";
        QDir().mkpath(QString::fromStdString(folder));
        doc.ProjectPath = folder;
        doc.Cells.ProjectFolder = folder;
        for (const int id : {1, 2, 3}) {
            auto cell = std::make_unique<CCellCtrlInfo>();
            cell->AutoIntervalSec = id;
            rows.InsertRow(-1, cell.get());
            doc.Cells.Append(std::move(cell));
        }
    }

    CInsertResult Insert(CCellInfoList& list, bool reportCancel = false,
                         const std::function<void(CCellInserter::Setup&)>& adjust = {})
    {
        CCellInserter::Setup setup;
        if (adjust)
            adjust(setup);
        setup.progress = &progress;
        setup.repaint = [this] { ++repaints; };
        setup.tellStopped = false;
        CCellInserter inserter(doc, rows, insertIndex, undo, presentations, setup);
        return inserter.InsertCells(list, reportCancel);
    }

    static void AddControls(CCellInfoList& list, std::initializer_list<int> ids)
    {
        for (const int id : ids) {
            auto cell = std::make_unique<CCellCtrlInfo>();
            cell->AutoIntervalSec = id;
            list.Append(std::move(cell));
        }
    }

    std::vector<int> RowIds() const
    {
        std::vector<int> ids;
        for (int r = 0; r < rows.GetCount(); ++r)
            ids.push_back(rows.GetCell(r)->AutoIntervalSec);
        return ids;
    }

    QTemporaryDir dir;
    std::string folder;
    CScriptedPrompt prompt;
    CZurDoc doc{&prompt};
    CCellRowList rows;
    CPresentationExpander presentations{doc, nullptr};
    CScriptedProgress progress;
    std::unique_ptr<CUndoStep> undo;
    int insertIndex = -1;
    int repaints = 0;
};

TEST_F(CellInserterTest, CellsEnterBeforeTheIndexAndTheResultCountsThem)
{
    insertIndex = 1;
    CCellInfoList list;
    AddControls(list, {7, 8});
    const CInsertResult result = Insert(list);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.taken, 2);
    EXPECT_FALSE(result.failure.IsFailure());
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 7, 8, 2, 3}));
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(rows.IsEnabled());
    EXPECT_EQ(insertIndex, -1) << "the index is spent";
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(doc.IsModified());
    // Without a pending undo step nothing is marked for undo.
    EXPECT_EQ(rows.GetCell(1)->StateFlags, CCellInfo::StateAdded);
    EXPECT_GT(repaints, 0);
}

TEST_F(CellInserterTest, APendingUndoStepMarksTheNewCells)
{
    undo = std::make_unique<CInsertedCellsStep>(EditorCommand::Paste);
    CCellInfoList list;
    AddControls(list, {7});
    EXPECT_TRUE(Insert(list).ok);
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 7}));
    EXPECT_EQ(rows.GetCell(3)->StateFlags, CCellInfo::StateAdded | CCellInfo::StateUndo);
    EXPECT_NE(undo, nullptr) << "the step stays for the caller's Undo";
}

TEST_F(CellInserterTest, ACancelKeepsWhatWentInAndSaysSo)
{
    for (const bool reportCancel : {false, true}) {
        SCOPED_TRACE(reportCancel);
        progress = CScriptedProgress();
        progress.cancelAtStep = 1; // after the first cell
        CCellInfoList list;
        AddControls(list, {7, 8, 9});
        const CInsertResult result = Insert(list, reportCancel);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(result.ok, !reportCancel);
        EXPECT_EQ(result.taken, 1);
        EXPECT_EQ(list.GetCount(), 2) << "the cells behind the cancel stay in the list";
        EXPECT_EQ(insertIndex, -1);
    }
}

TEST_F(CellInserterTest, AFailedImportNamesItsFileAndStopsThere)
{
    CCellInfoList list;
    AddControls(list, {7});
    auto missing = std::make_unique<CCellBmpInfo>();
    missing->RefFilePath = folder + "missing.png";
    missing->RefPage = 1;
    list.Append(std::move(missing));
    AddControls(list, {9});
    const CInsertResult result = Insert(list);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.taken, 1);
    EXPECT_EQ(result.failure.file(), folder + "missing.png");
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 7}));
    EXPECT_EQ(list.GetCount(), 1) << "the cell behind the failure stays";
}

// The new pictures reach the disk with one flush at the end; a write error
// the disk reports then takes the whole insertion back, files and rows, and
// says which file and why.
TEST_F(CellInserterTest, WorkersPicturesAreFlushedOnceAndAFailedFlushTakesAllBack)
{
    const std::string source = dir.path().toStdString() + "/photo.jpg";
    QImage photo(320, 240, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    ASSERT_TRUE(photo.save(QString::fromStdString(source)));
    struct Case
    {
        int workers;
        bool flushes;
        int flushCalls;
    } cases[] = {{2, true, 1}, {2, false, 1}, {0, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.workers << " workers, flush " << c.flushes);
        prompt.shown.clear();
        int calls = 0;
        CCellInfoList list;
        for (int i = 0; i < 3; ++i) {
            auto cell = std::make_unique<CCellBmpInfo>();
            cell->RefFilePath = source;
            cell->RefPage = 1;
            list.Append(std::move(cell));
        }
        const CInsertResult result = Insert(list, false, [&](CCellInserter::Setup& setup) {
            setup.workers = c.workers;
            setup.hosts = [] {
                return std::make_unique<CImagingHost>(0, 2, CImagingHost::NoSpaceCheck);
            };
            setup.flush = [&](const std::string& f, const std::vector<std::string>& names) {
                ++calls;
                EXPECT_EQ(f, folder);
                EXPECT_EQ(names.size(), 6u) << "a display image and a thumbnail each";
                if (!c.flushes)
                    CSafeFile::NoteFailure(f + names.back(), EIO);
                return c.flushes;
            };
        });
        EXPECT_EQ(calls, c.flushCalls);
        EXPECT_EQ(result.ok, c.flushes);
        const QStringList files = QDir(QString::fromStdString(folder)).entryList(QDir::Files);
        if (c.flushes) {
            EXPECT_EQ(rows.GetCount(), 6);
            EXPECT_EQ(files.size(), 6) << "a display image and a thumbnail each";
        } else {
            EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3}));
            EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
            ASSERT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileNotWritten}));
            EXPECT_NE(prompt.shown[0].text.find(folder), std::string::npos);
            EXPECT_NE(prompt.shown[0].text.find(".jpg"), std::string::npos) << "the file it met";
        }
        // The next case starts from the three control cells again.
        while (rows.GetCount() > 3) {
            auto* cell = static_cast<CCellBmpInfo*>(rows.GetCell(3));
            CCellBmpInfo::DeleteFileAt(folder + cell->FileName);
            CCellBmpInfo::DeleteFileAt(folder + cell->ThumbFileName);
            rows.DeleteRow(3);
            doc.Cells.RemoveAt(3);
        }
    }
}

// The flush may wait long on a slow disk: the progress is kept alive (and
// asked for a cancel) while it runs, instead of the window freezing.
TEST_F(CellInserterTest, TheProgressStaysAliveWhileTheFlushWaits)
{
    const std::string source = dir.path().toStdString() + "/photo.png";
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(Qt::darkBlue);
    ASSERT_TRUE(photo.save(QString::fromStdString(source)));
    CCellInfoList list;
    auto cell = std::make_unique<CCellBmpInfo>();
    cell->RefFilePath = source;
    cell->RefPage = 1;
    list.Append(std::move(cell));
    std::atomic<bool> flushing{false};
    std::atomic<int> pumped{0};
    progress.onQuery = [&] {
        if (flushing)
            ++pumped;
    };
    const CInsertResult result = Insert(list, false, [&](CCellInserter::Setup& setup) {
        setup.flush = [&](const std::string&, const std::vector<std::string>&) {
            flushing = true;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (pumped < 2 && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            flushing = false;
            return true;
        };
    });
    EXPECT_TRUE(result.ok);
    EXPECT_GE(pumped.load(), 2) << "the progress was not asked while the flush waited";
    EXPECT_EQ(rows.GetCount(), 4);
}

TEST_F(CellInserterTest, MoveInPutsCellsBackAtTheGivenPlaceWithoutUndo)
{
    undo = std::make_unique<CInsertedCellsStep>(EditorCommand::Paste);
    CCellInfoList list;
    AddControls(list, {7, 8});
    CCellInserter inserter(doc, rows, insertIndex, undo, presentations, {});
    const CInsertResult result = inserter.MoveIn(list, 0, 1); // after cell 1, at row 1
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.taken, 2);
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 7, 8, 2, 3}));
    EXPECT_EQ(rows.GetCell(1)->StateFlags, CCellInfo::StateAdded);
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{1, 2}));
}
} // namespace
