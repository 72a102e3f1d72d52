// The browser's file operations and transfer blocks: renames never replace,
// drops refuse their own folder and a folder into itself, and the blocks
// carry one cell per accepted file that still exists.
#include "base/msgid.h"
#include "browser/browserfileops.h"
#include "browser/celllistdata.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class BrowserFileOps : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const
    {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }
    void MakeFile(const std::string& name, const QByteArray& bytes = "data")
    {
        QFile f(QString::fromStdString(Path(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Read(const std::string& name) const
    {
        QFile f(QString::fromStdString(Path(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
    CScriptedPrompt m_prompt;
};

TEST_F(BrowserFileOps, RenameRefusesBadNamesAndNeverReplaces)
{
    MakeFile("a.jpg", "A");
    MakeFile("b.jpg", "B");
    CBrowserFileOps ops(&m_prompt);
    std::string newPath;
    EXPECT_FALSE(ops.Rename(Path("a.jpg"), "x/y.jpg", newPath));
    EXPECT_EQ(m_prompt.Ids(), std::vector<int>{MsgId::FileNameBadCharacters});
    EXPECT_FALSE(ops.Rename(Path("a.jpg"), "b.jpg", newPath));
    EXPECT_EQ(m_prompt.Ids().back(), MsgId::ItemExists);
    EXPECT_EQ(Read("b.jpg"), "B");
    EXPECT_EQ(Read("a.jpg"), "A");
    ASSERT_TRUE(ops.Rename(Path("a.jpg"), "  c.jpg ", newPath));
    EXPECT_EQ(newPath, Path("c.jpg"));
    EXPECT_EQ(Read("c.jpg"), "A");
}

TEST_F(BrowserFileOps, DropsRefuseTheirOwnFolderAndAFolderIntoItself)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("target/inner"));
    MakeFile("photo.jpg");
    EXPECT_TRUE(CBrowserFileOps::CanDropInto({Path("photo.jpg")}, Path("target") + "/"));
    EXPECT_FALSE(
        CBrowserFileOps::CanDropInto({Path("photo.jpg")}, m_dir.path().toStdString() + "/"));
    EXPECT_FALSE(CBrowserFileOps::CanDropInto({Path("target")}, Path("target/inner")));
    EXPECT_FALSE(CBrowserFileOps::CanDropInto({Path("target")}, Path("target")));
}

TEST_F(BrowserFileOps, CopyKeepsTheSourceMoveTakesItAndExistingNamesStay)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("target"));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("album/sub"));
    MakeFile("one.jpg", "1");
    MakeFile("two.jpg", "2");
    MakeFile("album/sub/deep.png", "3");
    MakeFile("target/two.jpg", "old");
    CBrowserFileOps ops(&m_prompt);
    EXPECT_TRUE(ops.CopyOrMove({Path("one.jpg"), Path("album")}, Path("target"), false));
    EXPECT_EQ(Read("one.jpg"), "1");
    EXPECT_EQ(Read("target/one.jpg"), "1");
    EXPECT_EQ(Read("target/album/sub/deep.png"), "3");
    EXPECT_FALSE(ops.CopyOrMove({Path("two.jpg")}, Path("target"), true));
    EXPECT_EQ(Read("target/two.jpg"), "old");
    EXPECT_EQ(Read("two.jpg"), "2");
    EXPECT_EQ(m_prompt.Ids().back(), MsgId::ItemExists);
    MakeFile("three.jpg", "3");
    EXPECT_TRUE(ops.CopyOrMove({Path("three.jpg")}, Path("target"), true));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("three.jpg"))));
    EXPECT_EQ(Read("target/three.jpg"), "3");
}

TEST_F(BrowserFileOps, FileBlockHasOneCellPerAcceptedExistingFile)
{
    MakeFile("a.jpg");
    MakeFile("deck.PPT");
    MakeFile("notes.txt");
    const std::string folder = m_dir.path().toStdString() + "/";
    const QByteArray block =
        CCellListData::FromFiles(folder, {"a.jpg", "notes.txt", "gone.jpg", "deck.PPT"});
    CCellInfoList list;
    ASSERT_TRUE(list.AppendFromBytes(block));
    EXPECT_EQ(list.ProjectFolder, folder);
    ASSERT_EQ(list.GetCount(), 2);
    auto* a = static_cast<CCellBmpInfo*>(list.GetAt(0));
    auto* deck = static_cast<CCellBmpInfo*>(list.GetAt(1));
    EXPECT_EQ(a->RefFilePath, folder + "a.jpg");
    EXPECT_EQ(a->RefPage, 1);
    EXPECT_NE(a->RefFileTime, 0);
    EXPECT_EQ(deck->RefFilePath, folder + "deck.PPT");
    EXPECT_EQ(deck->RefPage, 0);
    EXPECT_TRUE(CCellListData::FromFiles(folder, {"notes.txt", "gone.jpg"}).isEmpty());

    const QByteArray slide = CCellListData::FromSlide("/work/", folder + "deck.PPT", 3);
    CCellInfoList one;
    ASSERT_TRUE(one.AppendFromBytes(slide));
    EXPECT_EQ(one.ProjectFolder, "/work/");
    ASSERT_EQ(one.GetCount(), 1);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(one.GetAt(0))->RefPage, 3);
    EXPECT_TRUE(CCellListData::FromSlide("/work/", folder + "none.ppt", 1).isEmpty());
}

TEST_F(BrowserFileOps, AFailedCopyTellsItsOwnReason)
{
    // A pipe cannot be copied; cleaning up after the failure leaves another
    // errno behind, which must not be the reason told.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path("to"))));
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0644), 0);
    CBrowserFileOps ops(&m_prompt);
    EXPECT_FALSE(ops.CopyOrMove({Path("pipe")}, Path("to"), false));
    ASSERT_EQ(m_prompt.Ids(), std::vector<int>{MsgId::CopyMoveFailed});
    const std::string& text = m_prompt.shown.back().text;
    EXPECT_EQ(text.find(std::strerror(ENOENT)), std::string::npos) << text;
    EXPECT_EQ(text.find(std::strerror(EIO)), std::string::npos) << text;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("to/pipe"))));
}

} // namespace
