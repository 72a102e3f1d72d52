#include "base/appfolders.h"
#include "base/msgid.h"
#include "document/projectfile.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace doctest;

namespace {

class ZurDocOpenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = str(m_dir.path()) + "/";
        folder = root + "Show/";
        QDir().mkpath(QString::fromStdString(folder));
    }

    // A project file with `cells` (lines after "[Slides]").
    std::string writeProject(const std::string& cells, int version = 2,
                             const std::string& recordedPath = {})
    {
        const std::string path = folder + "Show.sic";
        const std::string text =
            "[Project]\nProjectName=Show\nProjectPath=" +
            (recordedPath.empty() ? folder : recordedPath) +
            "\nBackColor=0,0,0\nImageQuality=2\nVersion=" + std::to_string(version) +
            "\n[Slides]\n" + cells;
        EXPECT_TRUE(writeAll(path, text));
        return path;
    }

    static std::string imageCell(const std::string& display, const std::string& thumb,
                                 const std::string& source = "/nowhere/src.jpg")
    {
        return "Slide\nFileName=" + display + "\nRefFilePath=" + source +
               "\nRefPage=1\nThumbFileName=" + thumb + "\n";
    }

    void expectEmpty(const CZurDoc& doc)
    {
        EXPECT_EQ(doc.ProjectName, "");
        EXPECT_EQ(doc.ProjectPath, "");
        EXPECT_EQ(doc.Cells.GetCount(), 0);
        EXPECT_EQ(doc.GetPathName(), "");
        EXPECT_FALSE(doc.IsModified());
    }

    std::string root, folder;
    CScriptedPrompt prompt;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ZurDocOpenTest, EveryMalformedFileIsRefusedWith7126AndLeavesTheDocumentEmpty)
{
    const char* const bodies[] = {
        "",
        "garbage\n",
        "[Project]\nProjectPath=/a/\n[Slides]\n",
        "[Project]\nProjectName=A\n[Slides]\n",
        "[Project]\nProjectName=A\nProjectPath=/a/\n[Slides]\nControl\nFileName=x\n",
        "[Project]\nProjectName=A\nProjectPath=/a/\n[Slides]\nSlide\nInputDev=1\n",
        "[Project]\nProjectName=A\nProjectPath=/a/\n[Slides]\n\nSlide\n",
        "[Project]\nProjectName=A\nProjectName=B\nProjectPath=/a/\n",
        "[Project]\nProjectName=A\nProjectPath=/a/\n[Project]\n",
        "[Project]\nProjectName=../../A\nProjectPath=/a/\n",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        const std::string path = folder + "Bad.sic";
        ASSERT_TRUE(writeAll(path, body));
        CZurDoc doc(&prompt);
        prompt.shown.clear();
        EXPECT_FALSE(doc.Open(path));
        ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileUnreadable});
        EXPECT_NE(prompt.shown[0].text.find(path), std::string::npos);
        expectEmpty(doc);
    }
}

TEST_F(ZurDocOpenTest, AMissingFileIsReportedAsUnopenable)
{
    CZurDoc doc(&prompt);
    EXPECT_FALSE(doc.Open(folder + "none.sic"));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileDoesNotExist})
        << "a missing file is named as missing";
    expectEmpty(doc);
}

TEST_F(ZurDocOpenTest, OpeningReplacesTheContentsOfAnOpenProject)
{
    ASSERT_TRUE(makePicture(folder + "a.png", 1024, 768));
    ASSERT_TRUE(makePicture(folder + "a.jpg", 160, 120));
    const std::string path = writeProject(imageCell("a.png", "a.jpg") + "Control\n");
    CZurDoc doc(&prompt);
    ASSERT_TRUE(doc.Open(path));
    ASSERT_TRUE(doc.Open(path));
    EXPECT_EQ(doc.Cells.GetCount(), 2);
    ASSERT_TRUE(writeAll(root + "broken.sic", "nothing"));
    EXPECT_FALSE(doc.Open(root + "broken.sic"));
    expectEmpty(doc);
    EXPECT_TRUE(exists(folder + "a.png"));
    EXPECT_TRUE(exists(folder + "a.jpg"));
}

TEST_F(ZurDocOpenTest, TheProjectFolderIsWhereTheFileIs)
{
    ASSERT_TRUE(makePicture(folder + "a.png", 1024, 768));
    ASSERT_TRUE(makePicture(folder + "a.jpg", 160, 120));
    const std::string path = writeProject(imageCell("a.png", "a.jpg"), 2, "D:\\Shows\\Show\\");
    CZurDoc doc(&prompt);
    ASSERT_TRUE(doc.Open(path));
    EXPECT_EQ(doc.ProjectPath, folder);
    EXPECT_EQ(doc.Cells.ProjectFolder, folder);
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(doc.Cells.VisibleCount(), 1);
    ASSERT_TRUE(doc.Save());
    EXPECT_NE(readAll(path).find("ProjectPath=" + folder + "\n"), std::string::npos);
}

TEST_F(ZurDocOpenTest, CellsWhoseThumbnailCannotBeHadAreDropped)
{
    ASSERT_TRUE(makePicture(folder + "ok.png", 1024, 768));
    ASSERT_TRUE(makePicture(folder + "ok.jpg", 160, 120));
    ASSERT_TRUE(makePicture(folder + "nothumb.png", 800, 600));
    ASSERT_TRUE(writeAll(folder + "broken.jpg", "not a picture"));
    const std::string path =
        writeProject(imageCell("ok.png", "ok.jpg") + imageCell("nothumb.png", "gone.jpg") +
                     imageCell("missing.png", "missing.jpg") + imageCell("x.png", "broken.jpg"));
    CZurDoc doc(&prompt);
    ASSERT_TRUE(doc.Open(path));
    ASSERT_EQ(doc.Cells.GetCount(), 4);
    EXPECT_TRUE(doc.Cells.GetAt(0)->IsVisible());
    EXPECT_TRUE(doc.Cells.GetAt(1)->IsVisible()); // a new thumbnail was made
    EXPECT_FALSE(doc.Cells.GetAt(2)->IsVisible());
    EXPECT_FALSE(doc.Cells.GetAt(3)->IsVisible());
    const auto* remade = dynamic_cast<CCellBmpInfo*>(doc.Cells.GetAt(1));
    EXPECT_NE(remade->ThumbFileName, "gone.jpg");
    EXPECT_TRUE(exists(folder + remade->ThumbFileName));
    // Saving drops the two cells from the file; their files (the broken
    // thumbnail) go with them.
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(doc.Cells.GetCount(), 2);
    EXPECT_FALSE(exists(folder + "broken.jpg"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ZurDocOpenTest, NamesLeadingOutOfTheFolderNeverTouchOutsideFiles)
{
    const std::string outside = root + "outside/";
    QDir().mkpath(QString::fromStdString(outside));
    ASSERT_TRUE(makePicture(outside + "victim.png", 1024, 768));
    ASSERT_TRUE(makePicture(outside + "victim.jpg", 160, 120));
    ASSERT_TRUE(writeAll(outside + "notes.txt", "keep me"));
    ASSERT_TRUE(makePicture(folder + "ok.png", 1024, 768));
    ASSERT_TRUE(makePicture(folder + "ok.jpg", 160, 120));
    const std::string cells =
        imageCell("../outside/victim.png", "../outside/victim.jpg") +
        imageCell(outside + "victim.png", outside + "victim.jpg") +
        "Slide\nFileName=ok.png\nDispFileName=../outside/notes.txt\nThumbFileName=ok.jpg\n" +
        imageCell("..", ".");
    const std::string path = writeProject(cells, 2, outside);
    {
        CZurDoc doc(&prompt);
        ASSERT_TRUE(doc.Open(path));
        EXPECT_EQ(doc.ProjectPath, folder);
        for (int i = 0; i < doc.Cells.GetCount(); ++i)
            doc.Cells.GetAt(i)->StateFlags |= CCellInfo::StateDeleted;
        ASSERT_TRUE(doc.Save());
    }
    {
        // The same file again, its cells now taken as added and dropped.
        const std::string again = writeProject(cells, 2, outside);
        CZurDoc doc(&prompt);
        ASSERT_TRUE(doc.Open(again));
        for (int i = 0; i < doc.Cells.GetCount(); ++i)
            doc.Cells.GetAt(i)->StateFlags |= CCellInfo::StateAdded;
        doc.CloseWithoutSaving();
    }
    EXPECT_TRUE(exists(outside + "victim.png"));
    EXPECT_TRUE(exists(outside + "victim.jpg"));
    EXPECT_EQ(readAll(outside + "notes.txt"), "keep me");
    EXPECT_TRUE(exists(root + "Show"));
}

TEST_F(ZurDocOpenTest, VersionOneIsUpgradedWhenTheUserAgrees)
{
    ASSERT_TRUE(makePicture(folder + "old1.png", 1024, 768, Qt::red));
    ASSERT_TRUE(makePicture(folder + "old1.jpg", 160, 120, Qt::red));
    ASSERT_TRUE(makePicture(folder + "old2.png", 500, 700, Qt::blue));
    ASSERT_TRUE(makePicture(folder + "old2.jpg", 86, 120, Qt::blue));
    const std::string path = writeProject(
        imageCell("old1.png", "old1.jpg") + "Control\n" + imageCell("old2.png", "old2.jpg"), 1);
    CZurDoc doc(&prompt);
    CScriptedProgress progress;
    doc.SetProgress(&progress);
    prompt.answers.push_back(CUserPrompt::AnswerOk);
    ASSERT_TRUE(doc.Open(path));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskUpgradeProject});
    EXPECT_EQ(doc.Version, 2);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(progress.rangeUpper - progress.rangeLower, 4);
    EXPECT_FALSE(progress.visible);
    for (const char* old : {"old1.png", "old1.jpg", "old2.png", "old2.jpg"})
        EXPECT_FALSE(exists(folder + old)) << old;
    for (int i : {0, 2}) {
        const auto* cell = dynamic_cast<CCellBmpInfo*>(doc.Cells.GetAt(i));
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(exists(folder + cell->FileName));
        EXPECT_TRUE(exists(folder + cell->ThumbFileName));
        EXPECT_EQ(cell->CardFileName, "");
        EXPECT_EQ(cell->PictureSource, CCellBmpInfo::PictureThumb);
    }
    const std::string text = readAll(path);
    EXPECT_NE(text.find("\nVersion=2\n"), std::string::npos);
    EXPECT_EQ(text.find("old1"), std::string::npos);
    for (const std::string& f : filesOf(folder))
        EXPECT_EQ(f.find(".tmp"), std::string::npos) << f;
    EXPECT_TRUE(filesOf(CAppFolders::WorkFolder("Temp2")).empty());
    CZurDoc reopened(&prompt);
    ASSERT_TRUE(reopened.Open(path));
    EXPECT_EQ(reopened.Cells.VisibleCount(), 3);
}

TEST_F(ZurDocOpenTest, RefusedOrFailedUpgradesLeaveEverythingAsItWas)
{
    ASSERT_TRUE(makePicture(folder + "old1.png", 1024, 768, Qt::red));
    ASSERT_TRUE(makePicture(folder + "old1.jpg", 160, 120, Qt::red));
    ASSERT_TRUE(makePicture(folder + "old2.png", 500, 700, Qt::blue));
    ASSERT_TRUE(makePicture(folder + "old2.jpg", 86, 120, Qt::blue));
    const std::string good = imageCell("old1.png", "old1.jpg") + imageCell("old2.png", "old2.jpg");
    struct Case
    {
        const char* what;
        std::string cells;
        std::vector<CUserPrompt::Answer> answers;
        int cancelAtStep;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {"refused", good, {CUserPrompt::AnswerCancel}, -1, {212, 7126}},
        {"cancel confirmed",
         good,
         {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes},
         1,
         {212, 7163, 7164}},
        {"display image missing",
         good + imageCell("missing.png", "missing.jpg"),
         {CUserPrompt::AnswerOk},
         -1,
         {212, 7164}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = writeProject(c.cells, 1);
        const std::string text = readAll(path);
        const std::vector<std::string> files = filesOf(folder);
        CZurDoc doc(&prompt);
        CScriptedProgress progress;
        progress.cancelAtStep = c.cancelAtStep;
        doc.SetProgress(&progress);
        prompt.shown.clear();
        prompt.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_FALSE(doc.Open(path));
        EXPECT_EQ(prompt.Ids(), c.ids);
        expectEmpty(doc);
        EXPECT_EQ(readAll(path), text);
        EXPECT_EQ(filesOf(folder), files);
        EXPECT_TRUE(filesOf(CAppFolders::WorkFolder("Temp2")).empty());
    }
}
