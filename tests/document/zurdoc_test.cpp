#include "base/msgid.h"
#include "document/projectfile.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace doctest;

namespace {

class ZurDocTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = str(m_dir.path()) + "/";
        sources = root + "sources/";
        QDir().mkpath(QString::fromStdString(sources));
        ASSERT_TRUE(makePicture(sources + "beach.jpg", 640, 480, Qt::blue));
        ASSERT_TRUE(makePicture(sources + "hill.png", 300, 500, Qt::green));
        ASSERT_TRUE(makePicture(sources + "sun.bmp", 100, 100, Qt::yellow));
    }

    // A new project "Trip" in root/Trip/ through the document.
    void newProject(CZurDoc& doc, const std::string& name = "Trip")
    {
        const std::string folder = root + name + "/";
        QDir().mkpath(QString::fromStdString(folder));
        CProjectSettings settings;
        settings.name = name;
        settings.folder = folder;
        settings.backColor = 0x00800000;
        settings.imageQuality = 1;
        ASSERT_TRUE(doc.NewProject(settings));
    }

    std::string root, sources;
    CScriptedPrompt prompt;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZurDocTest, DeleteContentsRestoresDefaults)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    ASSERT_NE(importPicture(doc, sources + "beach.jpg"), nullptr);
    doc.DeleteContents();
    EXPECT_EQ(doc.ProjectName, "");
    EXPECT_EQ(doc.ProjectPath, "");
    EXPECT_EQ(doc.BackColor, 0u);
    EXPECT_EQ(doc.ImageQuality, 2);
    EXPECT_EQ(doc.Version, 2);
    EXPECT_FALSE(doc.CreateDateTime.isValid());
    EXPECT_FALSE(doc.LastWriteDateTime.isValid());
    EXPECT_EQ(doc.Cells.GetCount(), 0);
    EXPECT_EQ(doc.Cells.ProjectFolder, "");
    EXPECT_EQ(doc.GetPathName(), "");
}

TEST_F(ZurDocTest, NewProjectWritesItsFileAtOnce)
{
    CZurDoc doc(&prompt);
    RecordingObserver observer;
    doc.SetObserver(&observer);
    newProject(doc);
    const std::string path = root + "Trip/Trip.sic";
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(doc.ProjectPath, root + "Trip/");
    EXPECT_EQ(doc.Cells.ProjectFolder, doc.ProjectPath);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.CreateDateTime.isValid());
    EXPECT_GE(observer.updates, 1);
    const std::string text = readAll(path);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 9), "[Slides]\n");
    EXPECT_NE(text.find("\nProjectName=Trip\nProjectPath=" + root + "Trip/\nBackColor=0,0,128\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nImageQuality=1\nVersion=2\n"), std::string::npos);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ZurDocTest, NewProjectInAMissingFolderFails)
{
    CZurDoc doc(&prompt);
    CProjectSettings settings;
    settings.name = "Nope";
    settings.folder = root + "missing/";
    EXPECT_FALSE(doc.NewProject(settings));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::InvalidFileName});
    EXPECT_EQ(doc.ProjectName, "");
}

TEST_F(ZurDocTest, SaveOpenAndSaveAgainGiveTheSameText)
{
    CZurDoc doc(&prompt);
    RecordingObserver observer;
    doc.SetObserver(&observer);
    newProject(doc);
    ASSERT_NE(importPicture(doc, sources + "beach.jpg"), nullptr);
    addControl(doc, 2);
    ASSERT_NE(importPicture(doc, sources + "hill.png"), nullptr);
    const int clearUndo = observer.clearUndo;
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(observer.clearUndo, clearUndo + 1);
    EXPECT_FALSE(doc.IsModified());
    for (int i = 0; i < doc.Cells.GetCount(); ++i)
        EXPECT_EQ(doc.Cells.GetAt(i)->StateFlags, 0u);
    const std::string first = readAll(doc.GetPathName());

    CZurDoc other(&prompt);
    ASSERT_TRUE(other.Open(doc.GetPathName()));
    EXPECT_EQ(other.ProjectName, "Trip");
    EXPECT_EQ(other.BackColor, 0x00800000u);
    EXPECT_EQ(other.ImageQuality, 1);
    ASSERT_EQ(other.Cells.GetCount(), 3);
    EXPECT_EQ(other.Cells.VisibleCount(), 3);
    const auto* image = dynamic_cast<CCellBmpInfo*>(other.Cells.GetAt(2));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->BmpSize[0], 460); // 300 x 500 fitted into 1024 x 768
    EXPECT_EQ(image->BmpSize[1], 768);
    EXPECT_EQ(image->PictureSource, CCellBmpInfo::PictureThumb);
    ASSERT_TRUE(other.Save());
    const std::string second = readAll(doc.GetPathName());
    const auto withoutWriteTime = [](std::string s) {
        const size_t at = s.find("LastWriteDateTime=");
        return s.erase(at, s.find('\n', at) - at);
    };
    EXPECT_EQ(withoutWriteTime(first), withoutWriteTime(second));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ZurDocTest, ClosingWithoutSavingDropsAddedFilesAndKeepsDeletedOnes)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    CCellBmpInfo* kept = importPicture(doc, sources + "beach.jpg");
    ASSERT_NE(kept, nullptr);
    ASSERT_TRUE(doc.Save());
    const std::string keptDisplay = doc.ProjectPath + kept->FileName;
    const std::string keptThumb = doc.ProjectPath + kept->ThumbFileName;
    CCellBmpInfo* added = importPicture(doc, sources + "hill.png");
    ASSERT_NE(added, nullptr);
    const std::string addedDisplay = doc.ProjectPath + added->FileName;
    const std::string addedThumb = doc.ProjectPath + added->ThumbFileName;
    kept->StateFlags |= CCellInfo::StateDeleted;
    ASSERT_TRUE(exists(addedDisplay) && exists(addedThumb));
    const std::string folder = doc.ProjectPath;

    doc.CloseWithoutSaving();
    EXPECT_FALSE(exists(addedDisplay));
    EXPECT_FALSE(exists(addedThumb));
    EXPECT_TRUE(exists(keptDisplay));
    EXPECT_TRUE(exists(keptThumb));
    EXPECT_EQ(doc.Cells.GetCount(), 0);
    // The project on disk still has its one cell.
    CZurDoc again(&prompt);
    ASSERT_TRUE(again.Open(folder + "Trip.sic"));
    EXPECT_EQ(again.Cells.VisibleCount(), 1);
}

TEST_F(ZurDocTest, DestroyingTheDocumentClosesWithoutSaving)
{
    std::string display, thumb, kept;
    {
        CZurDoc doc(&prompt);
        newProject(doc);
        CCellBmpInfo* saved = importPicture(doc, sources + "sun.bmp");
        ASSERT_NE(saved, nullptr);
        ASSERT_TRUE(doc.Save());
        kept = doc.ProjectPath + saved->FileName;
        CCellBmpInfo* cell = importPicture(doc, sources + "beach.jpg");
        ASSERT_NE(cell, nullptr);
        display = doc.ProjectPath + cell->FileName;
        thumb = doc.ProjectPath + cell->ThumbFileName;
        ASSERT_TRUE(exists(display));
    }
    EXPECT_FALSE(exists(display));
    EXPECT_FALSE(exists(thumb));
    EXPECT_TRUE(exists(kept));
}

TEST_F(ZurDocTest, SavingDeletesFilesOfDeletedCellsUnlessALiveCellNamesThem)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    CCellBmpInfo* a = importPicture(doc, sources + "beach.jpg");
    CCellBmpInfo* c = importPicture(doc, sources + "sun.bmp");
    ASSERT_TRUE(a && c);
    // b names the same files as a (a copy of the cell).
    auto copy = std::make_unique<CCellBmpInfo>();
    ASSERT_TRUE(copy->CopyFrom(a));
    copy->StateFlags = 0;
    doc.Cells.Append(std::move(copy));
    ASSERT_TRUE(doc.Save());
    const std::string aDisplay = doc.ProjectPath + a->FileName;
    const std::string aThumb = doc.ProjectPath + a->ThumbFileName;
    const std::string cDisplay = doc.ProjectPath + c->FileName;
    const std::string cThumb = doc.ProjectPath + c->ThumbFileName;

    a->StateFlags |= CCellInfo::StateDeleted;
    c->StateFlags |= CCellInfo::StateDeleted;
    ASSERT_TRUE(doc.Save());
    EXPECT_TRUE(exists(aDisplay));
    EXPECT_TRUE(exists(aThumb));
    EXPECT_FALSE(exists(cDisplay));
    EXPECT_FALSE(exists(cThumb));
    EXPECT_EQ(doc.Cells.GetCount(), 1);
    const std::string text = readAll(doc.GetPathName());
    EXPECT_EQ(text.find("sun"), std::string::npos);
}

TEST_F(ZurDocTest, SaveAsIntoTheSameFolderLeavesTheFirstProjectFile)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    ASSERT_NE(importPicture(doc, sources + "beach.jpg"), nullptr);
    ASSERT_TRUE(doc.Save());
    const std::string firstFile = doc.GetPathName();
    const std::string firstText = readAll(firstFile);

    ASSERT_TRUE(doc.SaveAs("Trip2", doc.ProjectPath));
    EXPECT_EQ(doc.ProjectName, "Trip2");
    EXPECT_EQ(doc.GetPathName(), root + "Trip/Trip2.sic");
    EXPECT_EQ(readAll(firstFile), firstText);
    EXPECT_NE(readAll(root + "Trip/Trip2.sic").find("ProjectName=Trip2\n"), std::string::npos);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ZurDocTest, SaveAsIntoANewFolderCopiesTheFiles)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    CCellBmpInfo* cell = importPicture(doc, sources + "beach.jpg");
    ASSERT_NE(cell, nullptr);
    ASSERT_TRUE(doc.Save());
    const std::vector<std::string> oldFiles = filesOf(root + "Trip/");
    const std::string oldText = readAll(root + "Trip/Trip.sic");
    QDir().mkpath(QString::fromStdString(root + "Moved/"));

    ASSERT_TRUE(doc.SaveAs("Moved", root + "Moved"));
    EXPECT_EQ(doc.ProjectPath, root + "Moved/");
    EXPECT_EQ(doc.Cells.ProjectFolder, root + "Moved/");
    EXPECT_TRUE(exists(root + "Moved/" + cell->FileName));
    EXPECT_TRUE(exists(root + "Moved/" + cell->ThumbFileName));
    EXPECT_EQ(filesOf(root + "Trip/"), oldFiles);
    EXPECT_EQ(readAll(root + "Trip/Trip.sic"), oldText);
    CZurDoc moved(&prompt);
    ASSERT_TRUE(moved.Open(root + "Moved/Moved.sic"));
    EXPECT_EQ(moved.Cells.VisibleCount(), 1);
}

TEST_F(ZurDocTest, SaveAsWithoutRoomShows7106AndChangesNothing)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    CCellBmpInfo* cell = importPicture(doc, sources + "beach.jpg");
    ASSERT_NE(cell, nullptr);
    // A sparse file as a further file of the cell makes the copy need more
    // room than any disk has.
    QFile huge(QString::fromStdString(doc.ProjectPath + "huge.dat"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    bool sized = false;
    for (qint64 size : {qint64(1) << 46, qint64(1) << 43, qint64(1) << 40})
        if ((sized = huge.resize(size)))
            break;
    huge.close();
    if (!sized)
        GTEST_SKIP() << "no sparse files here";
    cell->DispFileName = "huge.dat";
    ASSERT_TRUE(doc.Save());
    doc.SetModifiedFlag(false);
    const std::string name = doc.ProjectName, path = doc.ProjectPath, file = doc.GetPathName();
    const QDateTime created = doc.CreateDateTime, written = doc.LastWriteDateTime;
    const std::string fileName = cell->FileName;
    const std::string target = root + "Full/";
    QDir().mkpath(QString::fromStdString(target));
    prompt.shown.clear();

    EXPECT_FALSE(doc.SaveAs("Full", target));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::NotEnoughSpace});
    EXPECT_EQ(doc.ProjectName, name);
    EXPECT_EQ(doc.ProjectPath, path);
    EXPECT_EQ(doc.GetPathName(), file);
    EXPECT_EQ(doc.Cells.ProjectFolder, path);
    EXPECT_EQ(doc.CreateDateTime, created);
    EXPECT_EQ(doc.LastWriteDateTime, written);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(cell->FileName, fileName);
    EXPECT_FALSE(exists(target)); // the empty folder is removed again
}

TEST_F(ZurDocTest, FailedCopyRestoresAndKeepsTheUsersFiles)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    CCellBmpInfo* a = importPicture(doc, sources + "beach.jpg");
    CCellBmpInfo* b = importPicture(doc, sources + "hill.png");
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(doc.Save());
    // The target folder exists with a file of the user's and a read-only
    // file in the way of the second cell's display image.
    const std::string target = root + "Busy/";
    QDir().mkpath(QString::fromStdString(target));
    ASSERT_TRUE(writeAll(target + "notes.txt", "mine"));
    ASSERT_TRUE(writeAll(target + b->FileName, "blocked"));
    QFile::setPermissions(QString::fromStdString(target + b->FileName), QFileDevice::ReadOwner);
    const std::string before = readAll(doc.GetPathName());
    const std::string oldA = a->FileName;
    prompt.shown.clear();

    EXPECT_FALSE(doc.SaveAs("Busy", target));
    EXPECT_EQ(doc.ProjectName, "Trip");
    EXPECT_EQ(doc.ProjectPath, root + "Trip/");
    EXPECT_EQ(a->FileName, oldA);
    EXPECT_TRUE(exists(target + "notes.txt"));
    EXPECT_EQ(readAll(target + b->FileName), "blocked");
    EXPECT_FALSE(exists(target + oldA)); // what was copied is gone again
    EXPECT_FALSE(exists(target + "Busy.sic"));
    EXPECT_EQ(readAll(doc.GetPathName()), before);
}

TEST_F(ZurDocTest, PropertiesColourOnlyLeavesTheProjectModified)
{
    CZurDoc doc(&prompt);
    RecordingObserver observer;
    doc.SetObserver(&observer);
    newProject(doc);
    const std::string before = readAll(doc.GetPathName());
    const int updates = observer.updates;
    CProjectSettings s{doc.ProjectName, doc.ProjectPath, 0x00FFFFFF, 0};
    ASSERT_TRUE(doc.ChangeProperties(s));
    EXPECT_EQ(doc.BackColor, 0x00FFFFFFu);
    EXPECT_EQ(doc.ImageQuality, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(observer.updates, updates + 1);
    EXPECT_EQ(readAll(doc.GetPathName()), before);
    ASSERT_TRUE(doc.Save());
    EXPECT_NE(readAll(doc.GetPathName()).find("BackColor=255,255,255\nCreate"), std::string::npos);
}

TEST_F(ZurDocTest, PropertiesWithANewFolderMovesAndAFailureRestoresEverything)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    ASSERT_NE(importPicture(doc, sources + "beach.jpg"), nullptr);
    ASSERT_TRUE(doc.Save());
    QDir().mkpath(QString::fromStdString(root + "Other/"));
    CProjectSettings moved{"Other", root + "Other/", 0x000000FF, 2};
    ASSERT_TRUE(doc.ChangeProperties(moved));
    EXPECT_EQ(doc.GetPathName(), root + "Other/Other.sic");
    EXPECT_NE(readAll(root + "Other/Other.sic").find("BackColor=255,0,0\n"), std::string::npos);

    // Saving into a folder that cannot hold the project file fails after
    // the copy: colour, quality, name and folder come back.
    const std::string blocked = root + "Blocked/";
    QDir().mkpath(QString::fromStdString(blocked + "Blocked.sic")); // a folder in the way
    prompt.shown.clear();
    CProjectSettings failing{"Blocked", blocked, 0x00FFFFFF, 0};
    EXPECT_FALSE(doc.ChangeProperties(failing));
    EXPECT_EQ(doc.BackColor, 0x000000FFu);
    EXPECT_EQ(doc.ImageQuality, 2);
    EXPECT_EQ(doc.ProjectName, "Other");
    EXPECT_EQ(doc.GetPathName(), root + "Other/Other.sic");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::InvalidFileName});
    EXPECT_EQ(filesOf(blocked), std::vector<std::string>{});
}

TEST_F(ZurDocTest, SaveFailuresKeepTheOldFile)
{
    CZurDoc doc(&prompt);
    newProject(doc);
    CCellBmpInfo* cell = importPicture(doc, sources + "beach.jpg");
    ASSERT_NE(cell, nullptr);
    ASSERT_TRUE(doc.Save());
    const std::string before = readAll(doc.GetPathName());
    const QDateTime written = doc.LastWriteDateTime;

    // A cell the format cannot hold: 7127, then the failed-save report.
    doc.Cells.Append(CCellInfo::CreateOfType(CCellInfo::Type::Plain));
    prompt.shown.clear();
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileNotWritten, MsgId::DocumentNotSaved}));
    EXPECT_EQ(readAll(doc.GetPathName()), before);
    EXPECT_EQ(doc.LastWriteDateTime, written);
    doc.Cells.RemoveAt(doc.Cells.GetCount() - 1);

    // A display image that can no longer be made: 7128, then 7129.
    QFile::remove(QString::fromStdString(doc.ProjectPath + cell->FileName));
    QFile::remove(QString::fromStdString(sources + "beach.jpg"));
    prompt.shown.clear();
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::SlideSourceMissing, MsgId::SaveRefreshFailed}));
    EXPECT_EQ(readAll(doc.GetPathName()), before);
}

TEST_F(ZurDocTest, ImageServicesFailQuietly)
{
    CZurDoc doc(&prompt);
    QSize size;
    EXPECT_EQ(doc.CreateWorkImage(sources + "hill.png", root + "w.png", size), 1);
    EXPECT_EQ(size, QSize(460, 768));
    EXPECT_EQ(doc.CreateThumbImage(root + "w.png", root + "t.jpg", 0, 0, size), 1);
    EXPECT_LE(size.width(), 160);
    EXPECT_EQ(size.height(), 120);
    EXPECT_EQ(doc.CreateCardImage(root + "w.png", root + "c.jpg", false), 1);
    EXPECT_EQ(QImage(QString::fromStdString(root + "c.jpg")).size(), QSize(1024, 768));
    EXPECT_EQ(doc.CreateWorkImage(sources + "hill.png", root + "missing/w.png", size), 0);
    EXPECT_EQ(doc.CreateThumbImage(root + "none.png", root + "t2.jpg", 0, 0, size), 0);
    EXPECT_TRUE(prompt.shown.empty());
}
