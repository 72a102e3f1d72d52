// The folder tree's rules without widgets: what a branch lists and in which
// order, the has-subfolders check, what a re-reading changes, the nearest
// folder left when one goes, and reading off the caller's thread.
#include "browser/folderlisting.h"
#include "browser/folderreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <semaphore>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FolderListing : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const { return m_root + name; }
    void MakeFolder(const std::string& name)
    {
        ASSERT_EQ(::mkdir(Path(name).c_str(), 0755), 0) << name;
    }
    void MakeFile(const std::string& name)
    {
        QFile f(QString::fromStdString(Path(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void Link(const std::string& target, const std::string& name)
    {
        ASSERT_EQ(::symlink(target.c_str(), Path(name).c_str()), 0);
    }

    QTemporaryDir m_dir;
    std::string m_root = m_dir.path().toStdString() + "/";
};

TEST_F(FolderListing, ListsFoldersAndLinksToFoldersInCaseFreeOrder)
{
    for (const char* name : {"b", "A", "a", "C", ".hidden", "real"})
        MakeFolder(name);
    MakeFile("file.jpg");
    MakeFile("Zfile");
    Link(Path("real"), "link-to-folder");
    Link(Path("file.jpg"), "link-to-file");
    Link(Path("nowhere"), "dangling");
    Link(Path("loop"), "loop"); // a link to itself
    Link(Path("cycle2"), "cycle1");
    Link(Path("cycle1"), "cycle2");
    Link(".", "self-folder"); // a folder through a loop of links is still a folder

    const CFolderListing::Result result = CFolderListing::List(m_dir.path().toStdString());
    EXPECT_EQ(result.folder, m_root);
    EXPECT_TRUE(result.exists);
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.names, (std::vector<std::string>{"A", "a", "b", "C", "link-to-folder", "real",
                                                      "self-folder"}));
}

TEST_F(FolderListing, NamesWithControlCharactersAndInvalidUtf8AreKeptAsBytes)
{
    const std::string odd[] = {"line\nbreak", "tab\there", std::string("bad\xff\xfe"), "bell\a"};
    for (const std::string& name : odd)
        MakeFolder(name);
    const CFolderListing::Result result = CFolderListing::List(m_root);
    ASSERT_EQ(result.names.size(), 4u);
    for (const std::string& name : odd) {
        EXPECT_NE(std::find(result.names.begin(), result.names.end(), name), result.names.end());
        EXPECT_TRUE(CFolderListing::IsFolder(Path(name)));
    }
    for (const std::string& name : odd)
        ::rmdir(Path(name).c_str()); // beyond what QTemporaryDir can name
}

TEST_F(FolderListing, HasSubfoldersLooksOnlyForListedFolders)
{
    struct Case
    {
        const char* folder;
        std::vector<std::string> folders;
        std::vector<std::string> files;
        bool expected;
    };
    const Case cases[] = {
        {"empty", {}, {}, false},
        {"files", {}, {"a.jpg", "b"}, false},
        {"hidden", {".git"}, {}, false},
        {"one", {"x"}, {"y.jpg"}, true},
    };
    for (const Case& c : cases) {
        MakeFolder(c.folder);
        for (const std::string& f : c.folders)
            MakeFolder(std::string(c.folder) + "/" + f);
        for (const std::string& f : c.files)
            MakeFile(std::string(c.folder) + "/" + f);
        EXPECT_EQ(CFolderListing::HasSubfolders(Path(c.folder)), c.expected) << c.folder;
    }
    MakeFolder("linked");
    Link(Path("one"), "linked/to-one");
    EXPECT_TRUE(CFolderListing::HasSubfolders(Path("linked")));
    EXPECT_FALSE(CFolderListing::HasSubfolders(Path("missing")));
}

TEST_F(FolderListing, GoneAndUnreadableFoldersSayWhy)
{
    MakeFile("plain");
    const CFolderListing::Result gone = CFolderListing::List(Path("missing"));
    EXPECT_FALSE(gone.exists);
    EXPECT_EQ(gone.error, ENOENT);
    const CFolderListing::Result file = CFolderListing::List(Path("plain"));
    EXPECT_FALSE(file.exists);
    EXPECT_EQ(file.error, ENOTDIR);
    if (::geteuid() != 0) {
        MakeFolder("closed");
        ASSERT_EQ(::chmod(Path("closed").c_str(), 0), 0);
        const CFolderListing::Result closed = CFolderListing::List(Path("closed"));
        ::chmod(Path("closed").c_str(), 0755);
        EXPECT_TRUE(closed.exists);
        EXPECT_EQ(closed.error, EACCES);
    }
}

TEST_F(FolderListing, CompareNamesWhatLeftAndWhatCame)
{
    const CFolderListing::Changes changes =
        CFolderListing::Compare({"a", "b", "c", "d"}, {"a", "B", "c", "e", "f"});
    EXPECT_EQ(changes.gone, (std::vector<std::string>{"b", "d"}));
    EXPECT_EQ(changes.added, (std::vector<std::string>{"B", "e", "f"}));
    EXPECT_TRUE(CFolderListing::Compare({"x"}, {"x"}).gone.empty());
}

TEST_F(FolderListing, NearestExistingClimbsToTheClosestFolderLeft)
{
    MakeFolder("a");
    MakeFolder("a/b");
    MakeFolder("a/b/c");
    const std::string floor = m_root;
    EXPECT_EQ(CFolderListing::NearestExisting(Path("a/b/c"), floor), Path("a/b/c/"));
    ASSERT_TRUE(QDir(QString::fromStdString(Path("a/b"))).removeRecursively());
    EXPECT_EQ(CFolderListing::NearestExisting(Path("a/b/c/"), floor), Path("a/"));
    ASSERT_EQ(::rename(Path("a").c_str(), Path("renamed").c_str()), 0);
    EXPECT_EQ(CFolderListing::NearestExisting(Path("a/b/c/"), floor), floor);
    // Never above the place it belongs to; nothing when that went too.
    EXPECT_EQ(CFolderListing::NearestExisting(Path("x/y/"), Path("renamed")), Path("renamed/"));
    EXPECT_EQ(CFolderListing::NearestExisting(Path("gone/y/"), Path("gone")), "");
}

TEST_F(FolderListing, ThousandsOfSubfoldersAreListedInOrder)
{
    MakeFolder("many");
    for (int i = 0; i < 3000; ++i)
        MakeFolder("many/f" + std::to_string(i));
    const CFolderListing::Result result = CFolderListing::List(Path("many"));
    ASSERT_EQ(result.names.size(), 3000u);
    EXPECT_TRUE(std::is_sorted(result.names.begin(), result.names.end(), &CFolderListing::Before));
}

TEST_F(FolderListing, ReaderListsOffTheCallersThreadAndDeliversOnIt)
{
    MakeFolder("slow");
    MakeFolder("slow/sub");
    QObject context;
    std::binary_semaphore release(0);
    std::atomic<bool> started{false};
    CFolderReader reader(&context);
    // A volume that hangs until the test lets it answer.
    reader.SetLister([&](const std::string& folder) {
        started = true;
        release.acquire();
        return CFolderListing::List(folder);
    });
    std::vector<std::string> names;
    bool done = false;
    reader.List(Path("slow"), [&](const CFolderListing::Result& result) {
        EXPECT_EQ(QThread::currentThread(), context.thread());
        names = result.names;
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(started.load(), 5000);
    QCoreApplication::processEvents();
    EXPECT_FALSE(done); // the caller went on while the volume hung
    release.release();
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    EXPECT_EQ(names, std::vector<std::string>{"sub"});

    bool probed = false;
    reader.Probe(Path("slow"), [&](const std::string& folder, bool has) {
        EXPECT_EQ(folder, Path("slow"));
        EXPECT_TRUE(has);
        probed = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(probed, 5000);
}

TEST_F(FolderListing, AnswersOfAReaderThatIsGoneAreDropped)
{
    QObject context;
    bool called = false;
    {
        CFolderReader reader(&context);
        reader.List(m_root, [&](const CFolderListing::Result&) { called = true; });
        ASSERT_TRUE(reader.WaitForDone(5000));
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

} // namespace
