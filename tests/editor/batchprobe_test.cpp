// The quick look at every file of a batch before it is inserted, and the one
// question about those that cannot be used.
#include "base/filefailure.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "editor/batchprobe.h"
#include "editor/sourcecells.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path.toStdString();
}

std::string photo(const QTemporaryDir& dir, const char* name)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(image.save(path, "JPEG"));
    return path.toStdString();
}

struct ProbeCase
{
    const char* name;
    QByteArray bytes; // empty: made otherwise (see the test)
    int message;      // 0: usable
};

int failure(CFileFailure::Reason reason)
{
    return CFileFailure(reason, "x").MessageId();
}

TEST(BatchProbe, EachFileByKindHeaderAndReadability)
{
    QTemporaryDir dir;
    const ProbeCase cases[] = {
        {"text.png", "not a picture at all", MsgId::PictureUnreadable},
        {"cut.jpg", QByteArray("\xFF\xD8\xFF", 3), MsgId::PictureUnreadable},
        {"notes.txt", "notes", MsgId::DroppedNotPicture},
        {"deck.pptx", "PK\x03\x04rest", 0},
        {"renamed.pptx", "%PDF-1.4", failure(CFileFailure::NotAPresentation)},
        {"old.ppt", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), 0},
        {"text.ppt", "plain text", failure(CFileFailure::NotAPresentation)},
        {"show.odp", "not a zip", failure(CFileFailure::NotAPresentation)},
        {"doc.pdf", "\n%PDF-1.7\n", 0},
        {"page.pdf", "<html>", failure(CFileFailure::NotAPresentation)},
    };
    for (const ProbeCase& c : cases) {
        const std::string path = write(dir, c.name, c.bytes);
        EXPECT_EQ(CBatchProbe::ProbeFile(path).messageId, c.message) << c.name;
    }
    EXPECT_EQ(CBatchProbe::ProbeFile(photo(dir, "good.jpg")).messageId, 0);
    EXPECT_EQ(CBatchProbe::ProbeFile(dir.filePath("gone.jpg").toStdString()).messageId,
              MsgId::FileGone);
    QDir().mkpath(dir.filePath("folder.jpg"));
    EXPECT_EQ(CBatchProbe::ProbeFile(dir.filePath("folder.jpg").toStdString()).messageId,
              MsgId::DroppedFolder);
    if (geteuid() != 0) {
        const std::string locked = photo(dir, "locked.jpg");
        QFile::setPermissions(QString::fromStdString(locked), QFileDevice::Permissions());
        EXPECT_EQ(CBatchProbe::ProbeFile(locked).messageId, failure(CFileFailure::CannotRead));
    }
}

class BatchScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        good = photo(dir, "good.jpg");
        fake = write(dir, "fake.png", "not a picture at all");
        broken = write(dir, "broken.jpg", QByteArray("\xFF\xD8\xFF", 3));
    }
    std::vector<std::string> Sources(const CCellInfoList& list)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < list.GetCount(); ++i)
            paths.push_back(static_cast<const CCellBmpInfo*>(list.GetAt(i))->RefFilePath);
        return paths;
    }
    QTemporaryDir dir;
    std::string good, fake, broken;
    CScriptedPrompt prompt;
};

TEST_F(BatchScreen, AsksOnceNamingEachUnusableFileWithItsReason)
{
    for (const bool yes : {true, false}) {
        CCellInfoList list;
        for (const std::string& path : {broken, fake, good})
            CSourceCells::Append(list, path);
        // Cells copied from a project bring their own pictures: not probed.
        auto copied = std::make_unique<CCellBmpInfo>();
        copied->FileName = "ZUR0001.png";
        copied->RefFilePath = dir.filePath("elsewhere.jpg").toStdString();
        list.Append(std::move(copied));
        prompt.shown.clear();
        prompt.answers = {yes ? CUserPrompt::AnswerYes : CUserPrompt::AnswerNo};

        EXPECT_EQ(CBatchProbe::Screen(list, &prompt), yes);
        ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::BatchSomeUnusable});
        const std::string& text = prompt.shown[0].text;
        EXPECT_NE(text.find(CResourceBundle::Format(MsgId::PictureUnreadable, broken)),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(CResourceBundle::Format(MsgId::PictureUnreadable, fake)),
                  std::string::npos);
        EXPECT_EQ(text.find(good), std::string::npos) << "only the unusable files are named";
        const std::vector<std::string> left =
            yes ? std::vector<std::string>{good, dir.filePath("elsewhere.jpg").toStdString()}
                : std::vector<std::string>{};
        EXPECT_EQ(Sources(list), left);
    }
}

TEST_F(BatchScreen, NothingUsableIsToldNotAsked)
{
    CCellInfoList list;
    CSourceCells::Append(list, fake);
    CSourceCells::Append(list, broken);
    EXPECT_FALSE(CBatchProbe::Screen(list, &prompt));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::BatchNoneUsable});
    EXPECT_TRUE(list.IsEmpty());

    // A single file keeps its own message.
    prompt.shown.clear();
    CSourceCells::Append(list, fake);
    EXPECT_FALSE(CBatchProbe::Screen(list, &prompt));
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::PictureUnreadable});
    EXPECT_EQ(prompt.shown[0].text, CResourceBundle::Format(MsgId::PictureUnreadable, fake));

    // A whole batch of good files passes without a word.
    prompt.shown.clear();
    CSourceCells::Append(list, good);
    CSourceCells::Append(list, good);
    EXPECT_TRUE(CBatchProbe::Screen(list, &prompt));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(SourceCells, UriListOfLocalFiles)
{
    CCellInfoList list;
    EXPECT_TRUE(CSourceCells::AppendUriList(
        list, "# copied\r\nfile:///tmp/a%20b.jpg\r\nfile:///tmp/deck.odp\r\n"));
    ASSERT_EQ(list.GetCount(), 2);
    const auto* first = static_cast<const CCellBmpInfo*>(list.GetAt(0));
    const auto* second = static_cast<const CCellBmpInfo*>(list.GetAt(1));
    EXPECT_EQ(first->RefFilePath, "/tmp/a b.jpg");
    EXPECT_EQ(first->RefPage, 1);
    EXPECT_EQ(second->RefPage, 0) << "a presentation stands for its whole show";
    list.DeleteAll();
    // Anything that is no local file refuses the whole list.
    for (const char* refused : {"", "# nothing\n", "https://example.org/a.jpg\n",
                                "file:///tmp/a.jpg\nsmb://server/b.jpg\n"}) {
        EXPECT_FALSE(CSourceCells::AppendUriList(list, refused)) << refused;
        EXPECT_TRUE(list.IsEmpty());
    }
}

} // namespace
