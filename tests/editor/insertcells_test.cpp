#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "editor/celldragsession.h"
#include "editorfixture.h"
#include "imaging/imaginghost.h"
#include "support/tmpfsmount.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

namespace {

namespace cmd = EditorCommand;

class InsertCellsTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        sources = dir.path().toStdString() + "/sources/";
        QDir().mkpath(QString::fromStdString(sources));
    }

    // A picture file with a colour of its own.
    std::string Picture(const std::string& name, int w = 320, int h = 200)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((static_cast<int>(name.size()) * 37) % 360, 200, 200));
        QPainter(&image).drawEllipse(10, 10, w / 2, h / 2);
        const std::string path = sources + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }

    // A list as the file browser offers it: image cells naming source files.
    void AddSource(CCellInfoList& list, const std::string& path, int id, int page = 1)
    {
        list.ProjectFolder = sources;
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->RefFilePath = path;
        cell->RefPage = page;
        cell->AutoIntervalSec = id;
        list.Append(std::move(cell));
    }

    std::set<std::string> ProjectFiles() const
    {
        std::set<std::string> names;
        for (const QString& n : QDir(QString::fromStdString(folder)).entryList(QDir::Files))
            names.insert(n.toStdString());
        return names;
    }

    // The files every visible image cell names.
    std::set<std::string> NamedFiles() const
    {
        std::set<std::string> names;
        for (int i = 0; i < doc->Cells.GetCount(); ++i) {
            const CCellInfo* cell = doc->Cells.GetAt(i);
            if (cell->CellType != CCellInfo::Type::Image || !cell->IsVisible())
                continue;
            const auto* image = static_cast<const CCellBmpInfo*>(cell);
            names.insert(image->FileName);
            names.insert(image->ThumbFileName);
        }
        return names;
    }

    std::string sources;
};

TEST_F(InsertCellsTest, PastedPicturesAreImportedAndUndoable)
{
    Open({1, 2});
    CCellInfoList list;
    AddSource(list, Picture("beach.jpg"), 10);
    AddSource(list, Picture("tree.bmp", 100, 400), 11);
    AddSource(list, Picture("sky.png"), 12);
    editor->SetInsertionIndex(1);
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, false));
    EXPECT_TRUE(list.IsEmpty()) << "the list gave up every cell";
    EXPECT_EQ(Rows(), (std::vector<int>{1, 10, 11, 12, 2}));
    EXPECT_EQ(VisibleCells(), (std::vector<int>{1, 10, 11, 12, 2}));
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(editor->InsertionIndex(), -1);
    EXPECT_EQ(progress.caption, CResourceBundle::Text(MsgId::InsertingSlidesCaption));
    const int kinds[] = {CCellBmpInfo::SourceJpeg, CCellBmpInfo::SourceBmp,
                         CCellBmpInfo::SourceOther};
    for (int r = 1; r <= 3; ++r) {
        const auto* image = static_cast<const CCellBmpInfo*>(CellOfRow(r));
        EXPECT_EQ(image->StateFlags, 0x11u);
        EXPECT_EQ(image->OwnerList, &doc->Cells);
        EXPECT_EQ(image->SourceKind, kinds[r - 1]);
        EXPECT_FALSE(image->FileName.empty());
        EXPECT_FALSE(image->ThumbFileName.empty());
        EXPECT_TRUE(QFile::exists(QString::fromStdString(folder + image->FileName)));
        EXPECT_TRUE(QFile::exists(QString::fromStdString(folder + image->ThumbFileName)));
    }
    const auto* tall = static_cast<const CCellBmpInfo*>(CellOfRow(2));
    EXPECT_EQ(tall->BmpSize[0], 192) << "fitted into 1024 x 768";
    EXPECT_EQ(tall->BmpSize[1], 768);
    EXPECT_EQ(ProjectFiles(), NamedFiles());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(prompt.shown.empty());

    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2}));
    for (int i = 1; i <= 3; ++i)
        EXPECT_FALSE(doc->Cells.GetAt(i)->IsVisible());
}

TEST_F(InsertCellsTest, DroppedCellsAreNotUndoable)
{
    Open({1});
    CCellInfoList list;
    AddSource(list, Picture("a.png"), 10);
    ASSERT_TRUE(editor->InsertCells(0, list, false));
    EXPECT_EQ(CellOfRow(1)->StateFlags, uint32_t(CCellInfo::StateAdded));
    EXPECT_EQ(editor->UndoCode(), 0);
}

TEST_F(InsertCellsTest, AnUnreadableFileFailsItsCellAndKeepsTheOnesBefore)
{
    Open({1});
    CCellInfoList list;
    AddSource(list, Picture("first.jpg"), 10);
    const std::string broken = sources + "broken.jpg";
    {
        QFile f(QString::fromStdString(broken));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xff\xd8\xff\xe0 this is no picture at all");
    }
    AddSource(list, broken, 11);
    AddSource(list, Picture("third.jpg"), 12);
    AddSource(list, sources + "missing.jpg", 13);
    ASSERT_FALSE(editor->InsertCells(cmd::Paste, list, false));
    // A JPEG by its first bytes whose data is no picture: damaged.
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::PictureDamaged}));
    EXPECT_EQ(editor->LastInsertFailure().reason(), CFileFailure::Damaged);
    EXPECT_EQ(editor->LastInsertFailure().file(), broken);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 10}));
    ASSERT_EQ(list.GetCount(), 2) << "the cells after the failed one stay in the list";
    EXPECT_EQ(list.GetAt(0)->AutoIntervalSec, 12);
    const auto* waiting = static_cast<const CCellBmpInfo*>(list.GetAt(0));
    EXPECT_TRUE(waiting->FileName.empty()) << "an abandoned cell is left as it was";
    EXPECT_EQ(ProjectFiles(), NamedFiles()) << "the failed cell's files are gone again";
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{1}));
}

TEST_F(InsertCellsTest, ControlCellsAndOtherKinds)
{
    Open({1});
    CCellInfoList list;
    auto control = std::make_unique<CCellCtrlInfo>();
    control->AutoIntervalSec = 5;
    list.Append(std::move(control));
    auto plain = std::make_unique<CCellInfo>();
    plain->AutoIntervalSec = 6;
    list.Append(std::move(plain));
    EXPECT_FALSE(editor->InsertCells(cmd::Paste, list, false)) << "a plain cell cannot be inserted";
    EXPECT_EQ(Rows(), (std::vector<int>{1, 5}));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::InsertFailed}));
}

TEST_F(InsertCellsTest, WholePresentationWithoutPresentationLayerFails)
{
    Open({1});
    CCellInfoList list;
    AddSource(list, sources + "talk.PPT", 10, 0);
    EXPECT_FALSE(editor->InsertCells(cmd::Paste, list, false));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileDoesNotExist}))
        << "the presentation does not exist";
    EXPECT_EQ(Rows(), (std::vector<int>{1}));
    EXPECT_FALSE(editor->IsBorrowingPresentation());
}

TEST_F(InsertCellsTest, CancelKeepsWhatWasInserted)
{
    Open({});
    CCellInfoList list;
    for (int i = 0; i < 5; ++i)
        AddSource(list, Picture("p" + std::to_string(i) + ".png"), 10 + i);
    progress.cancelAtStep = 2;
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, false)) << "a cancel is no failure";
    EXPECT_TRUE(editor->LastInsertCancelled());
    EXPECT_EQ(editor->LastInsertTaken(), 2);
    EXPECT_EQ(Rows(), (std::vector<int>{10, 11}));
    EXPECT_EQ(list.GetCount(), 3);
    // Told how many of how many went in, never that nothing could be.
    ASSERT_EQ(prompt.Ids(), (std::vector<int>{MsgId::InsertStopped}));
    EXPECT_EQ(prompt.shown[0].text, CResourceBundle::Format(MsgId::InsertStopped, "2", "5"));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(ProjectFiles(), NamedFiles());

    // A caller that discards a stopped insertion hears nothing of it.
    prompt.shown.clear();
    editor->SetTellStoppedInsertions(false);
    progress.steps = 0;
    progress.cancelAtStep = 1;
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, false));
    EXPECT_TRUE(editor->LastInsertCancelled());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(InsertCellsTest, InsertCellListFailsOnACancelOrKeepsWhatWentIn)
{
    Open({});
    CCellInfoList list;
    for (int i = 0; i < 3; ++i)
        AddSource(list, Picture("q" + std::to_string(i) + ".png"), 10 + i);
    progress.cancelAtStep = 1;
    // A new project's slides: the caller takes them all back, nothing said.
    EXPECT_FALSE(editor->InsertCellList(list.ToBytes()));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(Rows(), (std::vector<int>{10}));
    EXPECT_EQ(editor->UndoCode(), cmd::Paste);
    EXPECT_FALSE(editor->InsertCellList(QByteArray("broken")));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::InsertFailed}));

    // The browser's cells sent to a project: what went in stays, and is told.
    prompt.shown.clear();
    progress.steps = 0;
    progress.cancelAtStep = 2;
    EXPECT_TRUE(editor->InsertCellList(list.ToBytes(), false));
    EXPECT_EQ(Rows(), (std::vector<int>{10, 10, 11}));
    ASSERT_EQ(prompt.Ids(), (std::vector<int>{MsgId::InsertStopped}));
    EXPECT_EQ(prompt.shown[0].text, CResourceBundle::Format(MsgId::InsertStopped, "2", "3"));
}

TEST_F(InsertCellsTest, DropThatInsertsNothingLeavesTheProjectUnmodified)
{
    Open({1, 2});
    CCellInfoList list;
    AddSource(list, sources + "absent.png", 10);
    CMemoryClipboard data;
    data.AddData(CCellInfoList::ClipFormatFiles, list.ToBytes());
    CCellDragSession session;
    EXPECT_FALSE(editor->Drop(data, CScenarioEditor::DropCopy, 1, &session));
    EXPECT_EQ(session.acceptedCells, 0);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{7300})) << "the picture does not exist";
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2}));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(editor->UndoCode(), 0);
}

// A paste onto a disk that runs full names the reason, as a save does, and
// takes back what it had put in: the project as it was, nothing to undo, no
// new files left taking room. The parameter: how many pictures fit.
class InsertOntoFullDisk : public InsertCellsTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(InsertOntoFullDisk, NamesTheReasonAndTakesThePasteBack)
{
    Open({1, 2});
    // Noise does not compress, so every picture takes about as much room.
    CCellInfoList list;
    for (int i = 0; i < 4; ++i) {
        QImage noise(320, 200, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, static_cast<QRgb>(std::rand()));
        const std::string path = sources + "noise" + std::to_string(i) + ".png";
        ASSERT_TRUE(noise.save(QString::fromStdString(path)));
        AddSource(list, path, 10 + i);
    }
    // The room one picture takes, measured in a project of its own.
    qint64 perPicture = 0;
    {
        const std::string probeFolder = dir.path().toStdString() + "/probe/";
        QDir().mkpath(QString::fromStdString(probeFolder));
        CZurDoc probe;
        probe.ProjectPath = probe.Cells.ProjectFolder = probeFolder;
        CScenarioEditor probeEditor(probe);
        probeEditor.SetParallelImport({}, 0);
        CCellInfoList measured;
        AddSource(measured, static_cast<const CCellBmpInfo*>(list.GetAt(0))->RefFilePath, 9);
        ASSERT_TRUE(probeEditor.InsertCells(cmd::Paste, measured, false));
        for (const QFileInfo& file :
             QDir(QString::fromStdString(probeFolder)).entryInfoList(QDir::Files))
            perPicture += file.size();
    }
    CTmpfsMount mount(folder, "4m");
    if (!mount.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the right to mount)";
    clipboard.SetData(CCellInfoList::ClipFormatFiles, list.ToBytes());
    // Each file takes whole pages of the file system.
    const size_t room = GetParam() == 0 ? 0 : size_t(GetParam() * (perPicture + 16384));
    ASSERT_TRUE(mount.Fill(room));
    progress.steps = 0;
    Select({1});
    EXPECT_FALSE(editor->Paste());
    EXPECT_EQ(progress.steps, GetParam()) << "pictures that went in before the disk was full";
    ASSERT_EQ(prompt.shown.size(), 1u) << "told once";
    const std::string& text = prompt.shown.back().text;
    EXPECT_NE(text.find(CResourceBundle::Text(MsgId::NotEnoughSpace)), std::string::npos) << text;
    EXPECT_NE(text.find(folder), std::string::npos) << "names the file: " << text;
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2}));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(editor->UndoCode(), 0);
    EXPECT_FALSE(editor->Undo());
    std::string left;
    for (const std::string& name : ProjectFiles())
        left += name + " ";
    EXPECT_TRUE(left.empty()) << "the files of the paste are gone: " << left;
    EXPECT_EQ(CSafeFile::LastFailure().error, 0) << "nobody tells it again";
}

INSTANTIATE_TEST_SUITE_P(Room, InsertOntoFullDisk, ::testing::Values(0, 2), [](const auto& info) {
    return "After" + std::to_string(info.param) + "Pictures";
});

TEST_F(InsertCellsTest, PastingCellsOfAnotherProjectCopiesTheirFiles)
{
    Open({});
    CCellInfoList list;
    AddSource(list, Picture("a.jpg"), 10);
    ASSERT_TRUE(editor->InsertCells(0, list, false));
    // Copy the imported cell and paste it: the pasted cell gets files of
    // its own; deleting the pasted one never touches the first one's files.
    Select({0});
    ASSERT_TRUE(editor->Copy());
    Select({});
    ASSERT_TRUE(editor->Paste());
    const auto* a = static_cast<const CCellBmpInfo*>(CellOfRow(0));
    const auto* b = static_cast<const CCellBmpInfo*>(CellOfRow(1));
    EXPECT_NE(a->FileName, b->FileName);
    EXPECT_NE(a->ThumbFileName, b->ThumbFileName);
    EXPECT_EQ(ProjectFiles().size(), 4u);
}

// The same insertion one at a time and on worker threads gives the same
// rows, flags and files.
TEST_F(InsertCellsTest, ParallelImportMatchesOneAtATime)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i)
        paths.push_back(
            Picture("same" + std::to_string(i % 3) + (i % 2 ? ".jpg" : ".png"), 200 + 40 * i, 150));
    // Several cells come from the same file, and names repeat across kinds:
    // their generated names start alike and are made in the same seconds.
    struct Outcome
    {
        std::vector<int> rows;
        std::vector<uint32_t> flags;
        std::vector<std::vector<int>> sizes;
        size_t files;
    };
    const auto run = [&](int workers) {
        doc->Cells.DeleteAll();
        QDir(QString::fromStdString(folder)).removeRecursively();
        QDir().mkpath(QString::fromStdString(folder));
        OpenEditor();
        if (workers > 0)
            editor->SetParallelImport(
                [] {
                    return std::make_unique<CImagingHost>(0, 2, CImagingHost::CheckEveryPicture);
                },
                workers);
        CCellInfoList list;
        for (size_t i = 0; i < paths.size(); ++i)
            AddSource(list, paths[i], 100 + static_cast<int>(i));
        EXPECT_TRUE(editor->InsertCells(cmd::Paste, list, false));
        Outcome o;
        o.rows = Rows();
        for (int r = 0; r < editor->Rows().GetCount(); ++r) {
            const auto* image = static_cast<const CCellBmpInfo*>(CellOfRow(r));
            o.flags.push_back(image->StateFlags);
            o.sizes.push_back({image->BmpSize[0], image->BmpSize[1], image->Resize[0],
                               image->Resize[1], image->SourceKind});
        }
        o.files = ProjectFiles().size();
        EXPECT_EQ(ProjectFiles(), NamedFiles());
        return o;
    };
    const Outcome one = run(0);
    const Outcome many = run(4);
    EXPECT_EQ(one.rows, many.rows);
    EXPECT_EQ(one.flags, many.flags);
    EXPECT_EQ(one.sizes, many.sizes);
    EXPECT_EQ(one.files, paths.size() * 2);
    EXPECT_EQ(many.files, paths.size() * 2) << "no two cells share a name";
}

// A worker host that waits (a while at most) for a second conversion to be
// under way at the same time, and counts how many ran at once.
class COverlapHost : public CImagingHost
{
public:
    COverlapHost(std::atomic<int>& inside, std::atomic<int>& most)
        : CImagingHost(0, 2, CImagingHost::CheckEveryPicture), m_inside(inside), m_most(most)
    {}
    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override
    {
        const int now = ++m_inside;
        int seen = m_most.load();
        while (now > seen && !m_most.compare_exchange_weak(seen, now)) {
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (m_most.load() < 2 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const int result = CImagingHost::CreateWorkImage(source, destination, size);
        --m_inside;
        return result;
    }

private:
    std::atomic<int>& m_inside;
    std::atomic<int>& m_most;
};

TEST_F(InsertCellsTest, WorkersConvertAtTheSameTime)
{
    if (QThreadPool::globalInstance()->maxThreadCount() < 2)
        GTEST_SKIP() << "one worker thread only";
    Open({});
    std::atomic<int> inside{0}, most{0};
    editor->SetParallelImport([&] { return std::make_unique<COverlapHost>(inside, most); }, 2);
    CCellInfoList list;
    for (int i = 0; i < 4; ++i)
        AddSource(list, Picture("o" + std::to_string(i) + ".png"), 10 + i);
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, false));
    EXPECT_EQ(Rows(), (std::vector<int>{10, 11, 12, 13}));
    EXPECT_EQ(most.load(), 2);
}

TEST_F(InsertCellsTest, ParallelFailureAndCancelLeaveNoStrayFiles)
{
    Open({});
    editor->SetParallelImport(
        [] { return std::make_unique<CImagingHost>(0, 2, CImagingHost::CheckEveryPicture); }, 3);
    CCellInfoList list;
    for (int i = 0; i < 4; ++i)
        AddSource(list, Picture("r" + std::to_string(i) + ".jpg"), 10 + i);
    AddSource(list, sources + "absent.jpg", 20);
    for (int i = 4; i < 8; ++i)
        AddSource(list, Picture("r" + std::to_string(i) + ".jpg"), 10 + i);
    EXPECT_FALSE(editor->InsertCells(cmd::Paste, list, false));
    EXPECT_EQ(Rows(), (std::vector<int>{10, 11, 12, 13}));
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(ProjectFiles(), NamedFiles()) << "work done ahead for later cells is undone";

    prompt.shown.clear();
    progress.steps = 0;
    progress.cancelAtStep = 2;
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, false));
    EXPECT_EQ(Rows(), (std::vector<int>{10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(ProjectFiles(), NamedFiles());
}

} // namespace
