// The picture-making operations of image cells and of the cell list, run
// with the real image procedures: display images, thumbnails, validation,
// refreshing from changed sources, card pictures and the upgrade rebuild.
#include "base/msgid.h"
#include "base/pathutils.h"
#include "modelfixture.h"
#include "support/casename.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"
#include "support/testcellhost.h"

#include <QImageReader>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

// The test host, counting the calls, failing on request, and standing in
// for the presentation layer by drawing a slide.
class CountingHost : public CTestCellHost
{
public:
    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override
    {
        ++workCalls;
        if (failWork)
            return 0;
        return CTestCellHost::CreateWorkImage(source, destination, size);
    }
    int CreateThumbImage(const std::string& source, const std::string& destination, int thumbWidth,
                         int thumbHeight, QSize& size) override
    {
        ++thumbCalls;
        if (failThumb)
            return 0;
        return CTestCellHost::CreateThumbImage(source, destination, thumbWidth, thumbHeight, size);
    }
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override
    {
        ++cardCalls;
        return CTestCellHost::CreateCardImage(source, destination, thumbnail);
    }
    bool ExportPresentationSlide(const std::string& presentation, int page,
                                 const std::string& destination, int width, int height) override
    {
        exported.push_back(destination);
        if (!slides || page < 1)
            return false;
        QImage slide(width, height, QImage::Format_RGB32);
        slide.fill(QColor(10 * page, 0, 0));
        (void)presentation;
        return slide.save(QString::fromStdString(destination), "PNG");
    }

    int workCalls = 0, thumbCalls = 0, cardCalls = 0;
    bool failWork = false, failThumb = false, slides = true;
    std::vector<std::string> exported;
};

QSize SizeOf(const std::string& path)
{
    return QImageReader(QString::fromStdString(path)).size();
}

QByteArray FormatOf(const std::string& path)
{
    return QImageReader(QString::fromStdString(path)).format();
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class CellImages : public ModelFixture
{
protected:
    // An image cell with its display image (w x h) and, optionally, its
    // thumbnail, made from the source picture root + "source.jpg".
    CCellBmpInfo* AddMadeCell(int w, int h, bool withThumb, uint32_t flags = 0)
    {
        static int n = 0;
        const std::string tag = std::to_string(++n);
        CCellBmpInfo* cell =
            AddImageCell("d" + tag + ".png", withThumb ? "t" + tag + ".jpg" : "", flags);
        MakeImage(project + cell->FileName, w, h);
        if (withThumb) {
            QSize size;
            EXPECT_TRUE(host.CreateThumbImage(project + cell->FileName,
                                              project + cell->ThumbFileName, 160, 120, size));
            cell->Resize[0] = size.width();
            cell->Resize[1] = size.height();
        }
        cell->BmpSize[0] = w;
        cell->BmpSize[1] = h;
        return cell;
    }

    CountingHost host;
};

TEST_F(CellImages, CreateDisplayFileFitsTheSourceIntoTheFrame)
{
    MakeImage(root + "Holiday pictures.jpg", 2048, 768, Qt::red, "JPG");
    CCellBmpInfo* cell = AddImageCell("");
    cell->RefFilePath = root + "Holiday pictures.jpg";
    ASSERT_TRUE(cell->CreateDisplayFile(&host, project));
    EXPECT_EQ(cell->FileName.rfind("Holiday", 0), 0u) << cell->FileName;
    EXPECT_EQ(cell->FileName.substr(cell->FileName.size() - 4), ".png");
    EXPECT_EQ(FormatOf(project + cell->FileName), "png");
    EXPECT_EQ(SizeOf(project + cell->FileName), QSize(1024, 384));
    EXPECT_EQ(cell->BmpSize[0], 1024);
    EXPECT_EQ(cell->BmpSize[1], 384);
    EXPECT_EQ(FilesIn(project), std::set<std::string>{cell->FileName});
}

TEST_F(CellImages, CreateDisplayFileFailureLeavesNothingBehind)
{
    WriteFile(root + "broken.jpg", "no picture");
    CCellBmpInfo* cell = AddImageCell("old.png");
    cell->RefFilePath = root + "broken.jpg";
    EXPECT_FALSE(cell->CreateDisplayFile(&host, project));
    EXPECT_EQ(cell->FileName, "old.png");
    EXPECT_TRUE(FilesIn(project).empty());

    cell->RefFilePath = "";
    EXPECT_FALSE(cell->CreateDisplayFile(&host, project));
    cell->RefFilePath = root + "broken.jpg";
    EXPECT_FALSE(cell->CreateDisplayFile(&host, ""));
    EXPECT_FALSE(cell->CreateDisplayFile(nullptr, project));
    EXPECT_EQ(host.workCalls, 1);
    EXPECT_TRUE(FilesIn(project).empty());
}

TEST_F(CellImages, CreateDisplayFileFromAPresentationSlide)
{
    WriteFile(root + "talk.PPT", "a presentation");
    CCellBmpInfo* cell = AddImageCell("");
    cell->RefFilePath = root + "talk.PPT";
    cell->RefPage = 3;
    ASSERT_TRUE(cell->CreateDisplayFile(&host, project));
    ASSERT_EQ(host.exported.size(), 1u);
    // The slide went to a temporary file, which is gone; the display image
    // has another name.
    EXPECT_FALSE(Exists(host.exported[0]));
    EXPECT_NE(project + cell->FileName, host.exported[0]);
    EXPECT_EQ(FilesIn(project), std::set<std::string>{cell->FileName});
    EXPECT_EQ(SizeOf(project + cell->FileName), QSize(1024, 768));
    EXPECT_EQ(cell->BmpSize[1], 768);

    // Without a presentation layer it fails cleanly.
    host.exported.clear();
    host.slides = false;
    const std::string before = cell->FileName;
    EXPECT_FALSE(cell->CreateDisplayFile(&host, project));
    EXPECT_EQ(cell->FileName, before);
    EXPECT_EQ(FilesIn(project), std::set<std::string>{before});
    CCellBmpInfo plainHostCell;
    plainHostCell.RefFilePath = root + "talk.ppt";
    plainHostCell.RefPage = 1;
    struct NoPresentations : CTestCellHost
    {
    } bare;
    EXPECT_FALSE(plainHostCell.CreateDisplayFile(&bare, outside));
    EXPECT_TRUE(FilesIn(outside).empty());

    // A failed conversion of the slide removes both files.
    host.slides = true;
    host.failWork = true;
    EXPECT_FALSE(cell->CreateDisplayFile(&host, project));
    EXPECT_EQ(FilesIn(project), std::set<std::string>{before});
}

TEST_F(CellImages, ImportIntoCopiesOrMakesTheDisplayImage)
{
    const std::string dest = root + "dest/";
    std::filesystem::create_directories(dest);
    CCellBmpInfo* cell = AddMadeCell(800, 600, false);
    const std::string original = cell->FileName;
    ASSERT_TRUE(cell->ImportInto(&host, dest));
    EXPECT_EQ(host.workCalls, 0); // copied
    EXPECT_EQ(ReadFile(dest + cell->FileName), ReadFile(project + original));

    MakeImage(root + "source.jpg", 640, 480, Qt::green, "JPG");
    cell->FileName = "gone.png";
    ASSERT_TRUE(cell->ImportInto(&host, dest));
    EXPECT_EQ(host.workCalls, 1); // made from the source
    EXPECT_EQ(SizeOf(dest + cell->FileName), QSize(1024, 768));

    cell->FileName = "gone.png";
    cell->RefFilePath = root + "missing.jpg";
    EXPECT_FALSE(cell->ImportInto(&host, dest));
    EXPECT_EQ(cell->FileName, "");
}

TEST_F(CellImages, MakeThumbnailWithoutForceKeepsAnExistingThumbnail)
{
    CCellBmpInfo* cell = AddMadeCell(1024, 384, true);
    const std::string thumb = cell->ThumbFileName;
    const std::string content = ReadFile(project + thumb);
    cell->Resize[0] = 77; // differs from 160 x 120: still nothing happens
    ASSERT_TRUE(cell->MakeThumbnail(&host, false));
    EXPECT_EQ(cell->ThumbFileName, thumb);
    EXPECT_EQ(cell->Resize[0], 77);
    EXPECT_EQ(ReadFile(project + thumb), content);
    EXPECT_EQ(host.thumbCalls, 1); // the one of the fixture
}

TEST_F(CellImages, MakeThumbnailMakesAndReplaces)
{
    CCellBmpInfo* cell = AddMadeCell(1024, 384, false);
    ASSERT_TRUE(cell->MakeThumbnail(&host, false));
    ASSERT_FALSE(cell->ThumbFileName.empty());
    EXPECT_EQ(cell->ThumbFileName.substr(cell->ThumbFileName.size() - 4), ".jpg");
    EXPECT_EQ(SizeOf(project + cell->ThumbFileName), QSize(160, 60));
    EXPECT_EQ(cell->Resize[0], 160);
    EXPECT_EQ(cell->Resize[1], 60);

    // Forced: a new thumbnail, the old one deleted.
    const std::string old = cell->ThumbFileName;
    ASSERT_TRUE(cell->MakeThumbnail(&host, true));
    EXPECT_NE(cell->ThumbFileName, old);
    EXPECT_FALSE(Exists(project + old));
    EXPECT_TRUE(Exists(project + cell->ThumbFileName));

    // A failed thumbnail keeps the old one and leaves no new file.
    const std::set<std::string> before = FilesIn(project);
    const std::string current = cell->ThumbFileName;
    host.failThumb = true;
    EXPECT_FALSE(cell->MakeThumbnail(&host, true));
    EXPECT_EQ(cell->ThumbFileName, current);
    EXPECT_EQ(FilesIn(project), before);

    // Without a display image there is nothing to make it from.
    host.failThumb = false;
    cell->ThumbFileName.clear();
    std::filesystem::remove(project + cell->FileName);
    EXPECT_FALSE(cell->MakeThumbnail(&host, false));
    EXPECT_EQ(cell->ThumbFileName, "");
}

TEST_F(CellImages, ASourcePathWithANulNeverNamesAFile)
{
    CCellBmpInfo* cell = AddMadeCell(1024, 768, false);
    cell->RefFilePath = std::string("/pictures/ev\0il.jpg", 19);
    ASSERT_TRUE(cell->MakeThumbnail(&host, false));
    EXPECT_TRUE(CCellBmpInfo::IsPlainFileName(cell->ThumbFileName));
    EXPECT_EQ(cell->ThumbFileName.rfind("d", 0), 0u)
        << cell->ThumbFileName; // after the display image
    EXPECT_EQ(FilesIn(project), (std::set<std::string>{cell->FileName, cell->ThumbFileName}));
    EXPECT_FALSE(cell->CreateDisplayFile(&host, project));
    EXPECT_EQ(FilesIn(project).size(), 2u);
}

struct ValidateCase
{
    const char* what;
    bool display;
    bool thumb;
    bool garbageThumb;
    bool valid;
};

class CellValidate : public CellImages, public ::testing::WithParamInterface<ValidateCase>
{
};

TEST_P(CellValidate, NeedsALoadableThumbnail)
{
    const ValidateCase& c = GetParam();
    CCellBmpInfo* cell = AddMadeCell(1024, 768, c.thumb);
    if (c.garbageThumb)
        WriteFile(project + cell->ThumbFileName, "not a jpeg");
    if (!c.display)
        std::filesystem::remove(project + cell->FileName);
    cell->PictureSource = 1;
    EXPECT_EQ(cell->Validate(&host), c.valid) << c.what;
    EXPECT_EQ(cell->PictureSource, c.valid ? 3 : 0) << c.what;
    if (c.valid) {
        EXPECT_TRUE(Exists(project + cell->ThumbFileName));
    }

    list.ValidateAll(&host);
    EXPECT_EQ(cell->IsVisible(), c.valid) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CellValidate,
    ::testing::Values(ValidateCase{"both files", true, true, false, true},
                      ValidateCase{"thumbnail only", false, true, false, true},
                      ValidateCase{"display only: thumbnail made", true, false, false, true},
                      ValidateCase{"neither", false, false, false, false},
                      ValidateCase{"thumbnail is no picture", true, true, true, false}),
    CaseWhat());

TEST_F(CellImages, ValidateAllLeavesControlCellsAndMarksOnlyFailures)
{
    AddMadeCell(1024, 768, true);
    AddControlCell();
    CCellBmpInfo* broken = AddImageCell("nothing.png", "nothing.jpg");
    list.ValidateAll(&host);
    EXPECT_EQ(list.GetAt(0)->StateFlags, 0u);
    EXPECT_EQ(list.GetAt(1)->StateFlags, 0u);
    EXPECT_EQ(broken->StateFlags, uint32_t(CCellInfo::StateDeleted));
}

TEST_F(CellImages, LoadThumbnailPictureLoadsIt)
{
    CCellBmpInfo* cell = AddMadeCell(1024, 768, false);
    ASSERT_TRUE(cell->LoadThumbnailPicture(&host));
    EXPECT_EQ(cell->Picture.size(), QSize(160, 120));
    std::filesystem::remove(project + cell->FileName);
    std::filesystem::remove(project + cell->ThumbFileName);
    EXPECT_FALSE(cell->LoadThumbnailPicture(&host));
    EXPECT_TRUE(cell->Picture.isNull());
}

TEST_F(CellImages, TransferBlockReadWithAHostValidatesTheCells)
{
    CCellBmpInfo* good = AddMadeCell(1024, 768, true);
    AddImageCell("none.png");
    AddMadeCell(1024, 768, false); // no thumbnail: none is made in the block's folder
    const std::set<std::string> files = FilesIn(project);
    const QByteArray block = list.ToBytes();
    CCellInfoList pasted;
    ASSERT_TRUE(pasted.AppendFromBytes(block, &host));
    ASSERT_EQ(pasted.GetCount(), 3);
    EXPECT_EQ(FilesIn(project), files);
    EXPECT_EQ(host.thumbCalls, 1); // the fixture's
    EXPECT_EQ(static_cast<CCellBmpInfo*>(pasted.GetAt(2))->PictureSource, 0);
    EXPECT_EQ(pasted.ProjectFolder, project);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(pasted.GetAt(0))->PictureSource, 3);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(pasted.GetAt(0))->ThumbFileName, good->ThumbFileName);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(pasted.GetAt(1))->PictureSource, 0);
    EXPECT_EQ(pasted.GetAt(1)->StateFlags, 0u); // the result is ignored
}

// --- refreshing from changed sources -------------------------------------

class CellRefresh : public CellImages
{
protected:
    CCellBmpInfo* MadeFromSource(std::chrono::hours sourceAge, std::chrono::hours displayAge)
    {
        MakeImage(root + "source.jpg", 1024, 384, Qt::red, "JPG");
        CCellBmpInfo* cell = AddMadeCell(1024, 768, true);
        const auto now = std::filesystem::file_time_type::clock::now();
        SetTime(root + "source.jpg", now - sourceAge);
        SetTime(project + cell->FileName, now - displayAge);
        return cell;
    }
};

TEST_F(CellRefresh, SourceNewerThanItsDisplayImageRebuildsBoth)
{
    CCellBmpInfo* cell = MadeFromSource(std::chrono::hours(1), std::chrono::hours(5));
    const std::string oldDisplay = cell->FileName;
    const std::string oldThumb = cell->ThumbFileName;
    CScriptedPrompt prompt;
    ASSERT_TRUE(list.RefreshImages(&host, &prompt));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_NE(cell->FileName, oldDisplay);
    EXPECT_EQ(SizeOf(project + cell->FileName), QSize(1024, 384));
    EXPECT_EQ(cell->BmpSize[1], 384);
    // The thumbnail was forced: a new one of the new picture, the old gone.
    EXPECT_NE(cell->ThumbFileName, oldThumb);
    EXPECT_FALSE(Exists(project + oldThumb));
    EXPECT_EQ(SizeOf(project + cell->ThumbFileName), QSize(160, 60));
    CFileStatus source;
    ASSERT_TRUE(GetFileStatus(root + "source.jpg", source));
    EXPECT_EQ(cell->RefFileTime, int32_t(source.mtime));

    // Once rebuilt, the source is no longer newer: nothing more happens.
    const int calls = host.workCalls;
    ASSERT_TRUE(list.RefreshImages(&host, &prompt));
    EXPECT_EQ(host.workCalls, calls);
}

TEST_F(CellRefresh, SourceOlderThanItsDisplayImageOnlyMakesAMissingThumbnail)
{
    CCellBmpInfo* cell = MadeFromSource(std::chrono::hours(5), std::chrono::hours(1));
    const std::string display = cell->FileName;
    std::filesystem::remove(project + cell->ThumbFileName);
    cell->RefFileTime = 1234;
    ASSERT_TRUE(list.RefreshImages(&host, nullptr));
    EXPECT_EQ(host.workCalls, 0);
    EXPECT_EQ(cell->FileName, display);
    EXPECT_EQ(cell->RefFileTime, 1234);
    EXPECT_TRUE(Exists(project + cell->ThumbFileName));
    EXPECT_EQ(SizeOf(project + cell->ThumbFileName), QSize(160, 120));
}

TEST_F(CellRefresh, ASourceNewerAtTheRecordedTimeIsNotRebuilt)
{
    CCellBmpInfo* cell = MadeFromSource(std::chrono::hours(1), std::chrono::hours(5));
    CFileStatus source;
    ASSERT_TRUE(GetFileStatus(root + "source.jpg", source));
    cell->RefFileTime = int32_t(source.mtime);
    const std::string display = cell->FileName;
    ASSERT_TRUE(list.RefreshImages(&host, nullptr));
    EXPECT_EQ(cell->FileName, display);
    EXPECT_EQ(host.workCalls, 0);

    // -1 (time unknown) never matches.
    cell->RefFileTime = -1;
    ASSERT_TRUE(list.RefreshImages(&host, nullptr));
    EXPECT_NE(cell->FileName, display);
}

TEST_F(CellRefresh, MissingDisplayImageIsRebuiltKeepingTheThumbnail)
{
    CCellBmpInfo* cell = MadeFromSource(std::chrono::hours(5), std::chrono::hours(1));
    const std::string thumb = cell->ThumbFileName;
    std::filesystem::remove(project + cell->FileName);
    ASSERT_TRUE(list.RefreshImages(&host, nullptr));
    EXPECT_TRUE(Exists(project + cell->FileName));
    EXPECT_EQ(cell->ThumbFileName, thumb); // not forced
}

TEST_F(CellRefresh, MissingSourceShowsMessage7128)
{
    CCellBmpInfo* cell = MadeFromSource(std::chrono::hours(5), std::chrono::hours(1));
    std::filesystem::remove(project + cell->FileName);
    std::filesystem::remove(root + "source.jpg");
    AddMadeCell(1024, 768, false); // after the failure: untouched
    CScriptedPrompt prompt;
    EXPECT_FALSE(list.RefreshImages(&host, &prompt));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::SlideSourceMissing});
    EXPECT_EQ(static_cast<CCellBmpInfo*>(list.GetAt(1))->ThumbFileName, "");

    // A source that does not convert fails the same way, keeping the time.
    WriteFile(root + "source.jpg", "garbage");
    cell->RefFileTime = 99;
    CScriptedPrompt again;
    EXPECT_FALSE(list.RefreshImages(&host, &again));
    EXPECT_EQ(again.Ids(), std::vector<int>{MsgId::SlideSourceMissing});
    EXPECT_EQ(cell->RefFileTime, 99);
}

TEST_F(CellRefresh, DeletedCellsAndControlCellsArePassedOver)
{
    AddImageCell("gone.png", "gone.jpg", CCellInfo::StateDeleted)->RefFilePath = root + "nope.jpg";
    AddControlCell();
    EXPECT_TRUE(list.RefreshImages(&host, nullptr));
    EXPECT_EQ(host.workCalls + host.thumbCalls, 0);
}

TEST_F(CellRefresh, CraftedNameIsRebuiltInsideTheProjectFolder)
{
    MakeImage(root + "source.jpg", 640, 480, Qt::red, "JPG");
    MakeImage(outside + "victim.png", 10, 10);
    const std::string before = ReadFile(outside + "victim.png");
    CCellBmpInfo* cell = AddImageCell("../outside/victim.png", "../outside/victim.png");
    ASSERT_TRUE(list.RefreshImages(&host, nullptr));
    EXPECT_TRUE(CCellBmpInfo::IsPlainFileName(cell->FileName));
    EXPECT_TRUE(CCellBmpInfo::IsPlainFileName(cell->ThumbFileName));
    EXPECT_TRUE(Exists(project + cell->FileName));
    EXPECT_EQ(ReadFile(outside + "victim.png"), before);
    EXPECT_EQ(FilesIn(outside), std::set<std::string>{"victim.png"});
}

// --- card pictures ----------------------------------------------------------

TEST_F(CellImages, WriteCardImagesMakesFullSizePicturesAndThumbnails)
{
    const std::string card = root + "stage/";
    std::filesystem::create_directories(card);
    AddMadeCell(1024, 768, true); // thumbnail 160 x 120: copied as it is
    AddMadeCell(1024, 384, true); // thumbnail 160 x 60: made into 160 x 120
    AddControlCell();
    AddMadeCell(1024, 768, true, CCellInfo::StateDeleted);
    list.AssignCardNames("Trip");
    WriteFile(card + "TRIP0002.JPG", "stale");
    const std::string thumb1 = static_cast<CCellBmpInfo*>(list.GetAt(0))->ThumbFileName;

    CScriptedProgress progress;
    ASSERT_TRUE(list.WriteCardImages(card, &progress, &host));
    EXPECT_EQ(progress.steps, 2);
    EXPECT_EQ(FilesIn(card), (std::set<std::string>{"TRIP0001.JPG", "TRIP0001.JPS", "TRIP0002.JPG",
                                                    "TRIP0002.JPS"}));
    EXPECT_EQ(SizeOf(card + "TRIP0001.JPG"), QSize(1024, 768));
    EXPECT_EQ(SizeOf(card + "TRIP0002.JPG"), QSize(1024, 768));
    EXPECT_EQ(FormatOf(card + "TRIP0002.JPG"), "jpeg");
    EXPECT_EQ(SizeOf(card + "TRIP0002.JPS"), QSize(160, 120));
    EXPECT_EQ(ReadFile(card + "TRIP0001.JPS"), ReadFile(project + thumb1));
    EXPECT_EQ(host.cardCalls, 3);

    CScriptedProgress cancel;
    cancel.cancelAtQuery = 1;
    EXPECT_FALSE(list.WriteCardImages(card, &cancel, &host));
    EXPECT_EQ(cancel.steps, 1);
    EXPECT_FALSE(list.WriteCardImages(card, nullptr, nullptr));
}

TEST_F(CellImages, WriteCardImagesGoesOnAfterAFailedConversion)
{
    const std::string card = root + "stage/";
    std::filesystem::create_directories(card);
    CCellBmpInfo* bad = AddMadeCell(1024, 768, false);
    WriteFile(project + bad->FileName, "no picture");
    AddMadeCell(1024, 768, true);
    list.AssignCardNames("X");
    EXPECT_FALSE(list.WriteCardImages(card, nullptr, &host));
    EXPECT_TRUE(Exists(card + "X0000002.JPG"));
    EXPECT_TRUE(Exists(card + "X0000002.JPS"));
}

// --- the upgrade rebuild ------------------------------------------------------

TEST_F(CellImages, RebuildImagesIntoGivesEveryImageCellNewFiles)
{
    const std::string temp = root + "Temp2/";
    std::filesystem::create_directories(temp);
    CCellBmpInfo* a = AddMadeCell(800, 600, true);
    AddControlCell();
    CCellBmpInfo* b = AddMadeCell(2048, 768, false);
    a->CardFileName = "STALE.JPG"; // an old export name is not a working name
    const std::string oldA = a->FileName, oldThumbA = a->ThumbFileName, oldB = b->FileName;

    CScriptedProgress progress;
    ASSERT_TRUE(list.RebuildImagesInto("Trip", temp, &host, &progress, nullptr));
    EXPECT_EQ(progress.steps, 2);
    EXPECT_EQ(a->CardFileName, oldA);
    EXPECT_EQ(a->CardThumbName, oldThumbA);
    EXPECT_EQ(b->CardFileName, oldB);
    EXPECT_EQ(b->CardThumbName, "");
    for (CCellBmpInfo* c : {a, b}) {
        EXPECT_EQ(c->FileName.rfind("Trip", 0), 0u);
        EXPECT_EQ(c->PictureSource, 3);
        EXPECT_TRUE(Exists(temp + c->FileName));
        EXPECT_TRUE(Exists(temp + c->ThumbFileName));
        EXPECT_FALSE(Exists(project + c->FileName));
    }
    EXPECT_EQ(b->BmpSize[1], 384);
    EXPECT_EQ(b->Resize[1], 60);

    // The document's next steps: copy the new files in, drop the old ones.
    ASSERT_TRUE(list.CopyNewImagesFrom(temp, nullptr, nullptr));
    list.RestoreWorkNames(false);
    EXPECT_FALSE(Exists(project + oldA));
    EXPECT_FALSE(Exists(project + oldB));
    EXPECT_TRUE(Exists(project + a->FileName));
    EXPECT_EQ(a->CardFileName, "");
}

TEST_F(CellImages, RebuildImagesIntoPutsEverythingBackOnFailure)
{
    const std::string temp = root + "Temp2/";
    std::filesystem::create_directories(temp);
    CCellBmpInfo* a = AddMadeCell(800, 600, true);
    CCellBmpInfo* b = AddMadeCell(800, 600, true);
    CCellBmpInfo* c = AddImageCell("missing.png", "missing.jpg");
    const std::string names[] = {a->FileName, a->ThumbFileName, b->FileName, c->FileName};

    EXPECT_FALSE(list.RebuildImagesInto("Trip", temp, &host, nullptr, nullptr));
    EXPECT_EQ(a->FileName, names[0]);
    EXPECT_EQ(a->ThumbFileName, names[1]);
    EXPECT_EQ(b->FileName, names[2]);
    EXPECT_EQ(c->FileName, names[3]);
    EXPECT_EQ(a->CardFileName, "");
    // The failed cell's reserved files are gone.
    EXPECT_EQ(FilesIn(temp).size(), 4u);

    // A confirmed cancel stops too; a declined one goes on.
    CScriptedProgress progress;
    progress.cancelAtStep = 1;
    CScriptedPrompt yes;
    EXPECT_FALSE(list.RebuildImagesInto("Trip", temp, &host, &progress, &yes));
    EXPECT_EQ(yes.Ids(), std::vector<int>{MsgId::AskStopAndUndo});
    EXPECT_EQ(a->FileName, names[0]);

    list.RemoveAt(2);
    CScriptedProgress progress2;
    progress2.cancelAtStep = 1;
    CScriptedPrompt no;
    no.defaultYes = false;
    EXPECT_TRUE(list.RebuildImagesInto("Trip", temp, &host, &progress2, &no));
    EXPECT_EQ(no.Ids(), std::vector<int>{MsgId::AskStopAndUndo});
    EXPECT_NE(b->FileName, names[2]);

    EXPECT_FALSE(list.RebuildImagesInto("", temp, &host, nullptr, nullptr));
    EXPECT_FALSE(list.RebuildImagesInto("Trip", "", &host, nullptr, nullptr));
    EXPECT_FALSE(list.RebuildImagesInto("Trip", temp, nullptr, nullptr, nullptr));
    CCellInfoList empty;
    EXPECT_TRUE(empty.RebuildImagesInto("Trip", temp, &host, nullptr, nullptr));
}

} // namespace

namespace {

// A transfer block whose cells name files outside the project folder in
// every way a name can: every operation treats them as missing files.
TEST_F(CellImages, CraftedBlockNeverLeadsOutsideTheProjectFolder)
{
    MakeImage(outside + "victim.png", 64, 48);
    MakeImage(outside + "victim.jpg", 16, 12, Qt::blue, "JPG");
    WriteFile(root + "top.png", "top");
    MakeImage(root + "source.jpg", 640, 480, Qt::red, "JPG");
    const std::string victim = ReadFile(outside + "victim.png");
    const std::string victimThumb = ReadFile(outside + "victim.jpg");

    CCellInfoList crafted;
    crafted.ProjectFolder = project;
    const std::string names[][3] = {
        {"../outside/victim.png", outside + "victim.png", "../outside/victim.jpg"},
        {"../top.png", "..", "."},
        {std::string("top.png\0", 8), "/", outside},
    };
    for (const auto& n : names) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = n[0];
        cell->DispFileName = n[1];
        cell->ThumbFileName = n[2];
        cell->RefFilePath = root + "source.jpg";
        cell->RefPage = 1;
        crafted.Append(std::move(cell));
    }
    const QByteArray block = crafted.ToBytes();

    CCellInfoList pasted;
    ASSERT_TRUE(pasted.AppendFromBytes(block, &host));
    ASSERT_EQ(pasted.GetCount(), 3);
    EXPECT_EQ(pasted.TotalFileSize(false, true), 0u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<CCellBmpInfo*>(pasted.GetAt(i))->PictureSource, 0);

    const std::string dest = root + "dest/";
    std::filesystem::create_directories(dest);
    EXPECT_TRUE(pasted.CopyFilesTo(dest, false, true, nullptr));
    EXPECT_TRUE(FilesIn(dest).empty());
    const std::string card = root + "card/";
    std::filesystem::create_directories(card);
    pasted.AssignCardNames("X");
    // Their pictures cannot be had: the card would name what it does not
    // hold, so the write fails, and still writes nothing anywhere.
    EXPECT_FALSE(pasted.WriteCardImages(card, nullptr, &host));
    EXPECT_TRUE(FilesIn(card).empty());
    EXPECT_FALSE(pasted.RebuildImagesInto("Trip", dest, &host, nullptr, nullptr));
    EXPECT_TRUE(FilesIn(dest).empty());
    pasted.RestoreWorkNames(false);

    // Validation, then the save of a project holding such cells.
    CCellInfoList copy;
    ASSERT_TRUE(copy.CopyFrom(&pasted));
    copy.ProjectFolder = project;
    copy.ValidateAll(&host);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(copy.GetAt(i)->IsVisible());
    copy.ClearFlags(CCellInfo::StateDeleted);
    ASSERT_TRUE(copy.RefreshImages(&host, nullptr)); // rebuilt inside the project
    for (int i = 0; i < 3; ++i) {
        auto* cell = static_cast<CCellBmpInfo*>(copy.GetAt(i));
        EXPECT_TRUE(Exists(project + cell->FileName));
        EXPECT_TRUE(Exists(project + cell->ThumbFileName));
    }
    pasted.ProjectFolder = project;
    for (int i = 0; i < 3; ++i)
        pasted.GetAt(i)->StateFlags = CCellInfo::StateDeleted;
    pasted.Purge();
    for (int i = 0; i < 3; ++i)
        static_cast<CCellBmpInfo*>(copy.GetAt(i))->DeleteFiles(project);
    EXPECT_TRUE(FilesIn(project).empty());

    EXPECT_EQ(ReadFile(outside + "victim.png"), victim);
    EXPECT_EQ(ReadFile(outside + "victim.jpg"), victimThumb);
    EXPECT_EQ(FilesIn(outside), (std::set<std::string>{"victim.png", "victim.jpg"}));
    EXPECT_EQ(ReadFile(root + "top.png"), "top");
    EXPECT_EQ(FilesIn(root), (std::set<std::string>{"project", "outside", "top.png", "source.jpg",
                                                    "dest", "card"}));
}

} // namespace
