#include "base/msgid.h"
#include "base/safefile.h"
#include "support/scriptedprompt.h"
#include "support/tmpfsmount.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

class SafeFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        dir = m_tmp.path().toStdString() + "/";
    }

    static QByteArray read(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void write(const std::string& path, const QByteArray& bytes)
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static std::vector<std::string> names(const std::vector<std::string>& paths)
    {
        std::vector<std::string> out;
        for (const std::string& p : paths)
            out.push_back(p.substr(p.rfind('/') + 1));
        std::sort(out.begin(), out.end());
        return out;
    }

    std::string dir;

private:
    QTemporaryDir m_tmp;
};

} // namespace

TEST_F(SafeFile, ReplacesTheFileWholeAndKeepsItsPermissions)
{
    const std::string path = dir + "list.txt";
    write(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    EXPECT_TRUE(CSafeFile::WriteAll(path, "new contents"));
    EXPECT_EQ(read(path), "new contents");
    struct stat st
    {
    };
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(CSafeFile::FindLeftovers(dir).empty());
}

TEST_F(SafeFile, ACancelledFileLeavesTheOldOneAndNoTemporary)
{
    const std::string path = dir + "list.txt";
    write(path, "old");
    {
        CSafeFile file(path);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("half", 4));
        // Going out of scope without Commit: a failed command.
    }
    EXPECT_EQ(read(path), "old");
    EXPECT_TRUE(CSafeFile::FindLeftovers(dir).empty());
}

TEST_F(SafeFile, AWriteProtectedFileOrAFolderIsNotReplaced)
{
    const std::string path = dir + "locked.txt";
    write(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    int error = 0;
    EXPECT_FALSE(CSafeFile::WriteAll(path, "new", &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(read(path), "old");
    QDir().mkpath(QString::fromStdString(dir + "folder"));
    EXPECT_FALSE(CSafeFile::WriteAll(dir + "folder", "new", &error));
    EXPECT_EQ(error, EISDIR);
}

TEST_F(SafeFile, AFullDiskKeepsTheOldFileAndSaysWhy)
{
    const std::string disk = dir + "disk";
    QDir().mkpath(QString::fromStdString(disk));
    CTmpfsMount mount(disk, "256k");
    if (!mount.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the right to mount)";
    const std::string path = disk + "/TRIP.sic";
    write(path, QByteArray(3000, 'o'));
    for (size_t leave : {size_t(0), size_t(4096)}) {
        ASSERT_TRUE(mount.Fill(leave));
        int error = 0;
        EXPECT_FALSE(CSafeFile::WriteAll(path, QByteArray(64 * 1024, 'n'), &error)) << leave;
        EXPECT_EQ(error, ENOSPC);
        EXPECT_EQ(read(path), QByteArray(3000, 'o'));
        EXPECT_TRUE(CSafeFile::FindLeftovers(disk + "/").empty());
    }
    CScriptedPrompt prompt;
    CSafeFile::ReportFailure(&prompt, path, ENOSPC);
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileNotWritten});
    EXPECT_NE(prompt.shown[0].text.find(path), std::string::npos);
    EXPECT_NE(prompt.shown[0].text.find("space"), std::string::npos) << prompt.shown[0].text;
}

// Files written without a wait each are flushed together; one that went
// missing meanwhile is named as the file that could not be written.
TEST_F(SafeFile, FlushFilesNamesTheFileItCouldNotFlush)
{
    for (const char* name : {"a.png", "a.jpg"})
        ASSERT_TRUE(CSafeFile::WriteAll(dir + name, "picture", nullptr, false));
    CSafeFile::ClearLastFailure();
    EXPECT_TRUE(CSafeFile::FlushFiles(dir, {"a.png", "a.jpg"}));
    EXPECT_EQ(CSafeFile::LastFailure().error, 0);
    EXPECT_FALSE(CSafeFile::FlushFiles(dir, {"a.png", "gone.png", "a.jpg"}));
    EXPECT_EQ(CSafeFile::LastFailure().path, dir + "gone.png");
    EXPECT_EQ(CSafeFile::LastFailure().error, ENOENT);
    CSafeFile::ClearLastFailure();
}

TEST_F(SafeFile, FindsOnlyTheTemporariesOfInterruptedWriters)
{
    for (const char* name : {".zelmcopy-Ab12Cd", ".zelmcopy-unfinished", "AUTORUN.SFC.x1Y2z3",
                             "AUTORUN.SFC", "AUTORUN.SFC.bak", "AUTORUN.SFC.toolong1", ".hidden",
                             "TRIP.sic", "TRIP.sic.Q9w8E7", "photo.jpg"})
        write(dir + name, "x");
    QDir().mkpath(QString::fromStdString(dir + ".zelmcopy-folder"));
    EXPECT_EQ(names(CSafeFile::FindLeftovers(dir)),
              (std::vector<std::string>{".zelmcopy-Ab12Cd", ".zelmcopy-unfinished"}));
    EXPECT_EQ(names(CSafeFile::FindLeftovers(dir, {"AUTORUN.SFC", "TRIP.sic"})),
              (std::vector<std::string>{".zelmcopy-Ab12Cd", ".zelmcopy-unfinished",
                                        "AUTORUN.SFC.x1Y2z3", "TRIP.sic.Q9w8E7"}));
    // Fresh ones may be another program's work in progress.
    EXPECT_TRUE(CSafeFile::FindLeftovers(dir, {"AUTORUN.SFC"}, 60).empty());
    EXPECT_TRUE(CSafeFile::RemoveLeftovers(dir, {"AUTORUN.SFC"}));
    EXPECT_EQ(names(CSafeFile::FindLeftovers(dir, {"AUTORUN.SFC", "TRIP.sic"})),
              std::vector<std::string>{"TRIP.sic.Q9w8E7"});
    EXPECT_EQ(read(dir + "AUTORUN.SFC.bak"), "x");
    EXPECT_EQ(read(dir + "photo.jpg"), "x");
}
