// The folder tree's item model on its own, over a real folder tree the test
// changes: branches filled off the caller's thread, the lazy expand sign,
// re-reading, closing, vanished folders, the way to a folder and renames,
// all under QAbstractItemModelTester.
#include "browser/foldertreemodel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <semaphore>
#include <sys/stat.h>

namespace {

class FolderTreeModel : public ::testing::Test
{
public: // the table of changes calls them
    void SetUp() override
    {
        m_root = m_dir.path().toStdString() + "/";
        MakeFolder("a/b/c/inner");
        MakeFolder("a/b/sib");
        MakeFolder("a/B2");
        MakeFolder("a/.hidden");
        m_place = m_model.AddPlace(m_root, QStringLiteral("disk"), true);
    }
    std::string Path(const std::string& name) const { return m_root + name; }
    void MakeFolder(const std::string& name)
    {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path(name))));
    }
    bool Rename(const std::string& from, const std::string& to)
    {
        return ::rename(Path(from).c_str(), Path(to).c_str()) == 0;
    }
    bool Delete(const std::string& name)
    {
        return QDir(QString::fromStdString(Path(name))).removeRecursively();
    }
    // Lets every listing on its way arrive and be applied.
    void Settle()
    {
        for (int i = 0; i < 500 && m_model.PendingReads() > 0; ++i) {
            m_model.Reader().WaitForDone(10);
            QCoreApplication::processEvents();
        }
        m_model.Reader().WaitForDone(5000);
        QCoreApplication::processEvents();
        ASSERT_EQ(m_model.PendingReads(), 0);
    }
    QModelIndex Node(const std::string& name) const { return m_model.IndexOf(Path(name)); }
    std::vector<std::string> Names(const QModelIndex& index) const
    {
        std::vector<std::string> names;
        for (int i = 0; i < m_model.rowCount(index); ++i)
            names.push_back(CFolderTreeModel::NameOf(m_model.index(i, 0, index)));
        return names;
    }
    // Every node of the model stands for a folder on disk.
    void ExpectOnlyExistingFolders() const
    {
        QList<QModelIndex> pending{m_place};
        while (!pending.isEmpty()) {
            const QModelIndex index = pending.takeLast();
            EXPECT_TRUE(QDir(QString::fromStdString(CFolderTreeModel::PathOf(index))).exists())
                << CFolderTreeModel::PathOf(index);
            for (int i = 0; i < m_model.rowCount(index); ++i)
                pending.append(m_model.index(i, 0, index));
        }
    }
    void Reveal(const std::string& name)
    {
        QSignalSpy revealed(&m_model, &CFolderTreeModel::Revealed);
        m_model.Reveal(Path(name));
        Settle();
        ASSERT_TRUE(Node(name).isValid()) << name;
    }

    QTemporaryDir m_dir;
    std::string m_root;
    CFolderTreeModel m_model;
    QAbstractItemModelTester m_tester{&m_model,
                                      QAbstractItemModelTester::FailureReportingMode::Fatal};
    QModelIndex m_place;
};

TEST_F(FolderTreeModel, ABranchIsFilledOffTheCallersThreadAndTheSignComesFromACheck)
{
    EXPECT_TRUE(m_model.hasChildren(m_place)); // a place always offers to open
    m_model.fetchMore(m_place);                // (the model tester may have asked already)
    Settle();
    EXPECT_EQ(Names(m_place), std::vector<std::string>{"a"});
    const QModelIndex a = Node("a");
    EXPECT_FALSE(m_model.hasChildren(a)); // not known yet
    m_model.CheckSubfolders(a);
    m_model.Reader().WaitForDone(5000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_model.hasChildren(a));
    EXPECT_TRUE(m_model.canFetchMore(a));
    m_model.fetchMore(a);
    EXPECT_FALSE(m_model.canFetchMore(a)); // no second read while one runs
    EXPECT_EQ(m_model.rowCount(a), 0);     // the answer comes from the event loop
    Settle();
    EXPECT_EQ(Names(a), (std::vector<std::string>{"b", "B2"})); // no hidden one
    EXPECT_FALSE(m_model.canFetchMore(a));

    // Not read yet: no sign until the check says so.
    const QModelIndex b = Node("a/b");
    const QModelIndex b2 = Node("a/B2");
    EXPECT_FALSE(m_model.hasChildren(b));
    QSignalSpy signs(&m_model, &CFolderTreeModel::SignChanged);
    m_model.CheckSubfolders(b);
    m_model.CheckSubfolders(b2);
    m_model.CheckSubfolders(b); // asked once only
    m_model.Reader().WaitForDone(5000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_model.hasChildren(b));
    EXPECT_FALSE(m_model.hasChildren(b2));
    ASSERT_EQ(signs.count(), 1);
    EXPECT_EQ(signs.at(0).at(0).value<QModelIndex>(), b);
}

TEST_F(FolderTreeModel, OutsideChangesAreAppliedWhenABranchIsReadAgain)
{
    struct Case
    {
        const char* what;
        std::function<bool(FolderTreeModel*)> change;
        const char* reread;              // the branch read again ("" the place)
        std::vector<std::string> kept;   // nodes that must still be there
        std::vector<std::string> absent; // nodes that must be gone
    };
    const Case cases[] = {
        {"ancestor renamed",
         [](FolderTreeModel* t) { return t->Rename("a/b", "a/b9"); },
         "a",
         {"a/B2", "a/b9"},
         {"a/b", "a/b/c"}},
        {"ancestor deleted",
         [](FolderTreeModel* t) { return t->Delete("a/b"); },
         "a/b",
         {"a", "a/B2"},
         {"a/b", "a/b/c", "a/b/sib"}},
        {"shown deleted",
         [](FolderTreeModel* t) { return t->Delete("a/b/c"); },
         "a/b",
         {"a/b/sib"},
         {"a/b/c"}},
        {"sibling renamed",
         [](FolderTreeModel* t) { return t->Rename("a/b/sib", "a/b/sob"); },
         "a/b",
         {"a/b/c", "a/b/c/inner", "a/b/sob"},
         {"a/b/sib"}},
        {"sibling deleted",
         [](FolderTreeModel* t) { return t->Delete("a/b/sib"); },
         "",
         {"a/b/c/inner"},
         {"a/b/sib"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_model.Clear();
        ASSERT_TRUE(QDir(QString::fromStdString(m_root)).removeRecursively());
        MakeFolder("a/b/c/inner");
        MakeFolder("a/b/sib");
        MakeFolder("a/B2");
        m_place = m_model.AddPlace(m_root, QStringLiteral("disk"), true);
        Reveal("a/b/c/inner");
        const QPersistentModelIndex shown = Node("a/b/c");
        QSignalSpy removing(&m_model, &CFolderTreeModel::FolderRemoving);

        ASSERT_TRUE(c.change(this));
        // Re-reading the place reads every filled branch below it as well.
        m_model.Refresh(*c.reread ? Node(c.reread) : m_place);
        Settle();
        for (const std::string& name : c.kept)
            EXPECT_TRUE(Node(name).isValid()) << name;
        for (const std::string& name : c.absent)
            EXPECT_FALSE(Node(name).isValid()) << name;
        EXPECT_EQ(shown.isValid(), Node("a/b/c").isValid());
        EXPECT_GE(removing.count(), 1);
        ExpectOnlyExistingFolders();
    }
}

TEST_F(FolderTreeModel, ATouchedFolderThatVanishedLeavesTheModel)
{
    Reveal("a/b/c");
    const QModelIndex c = Node("a/b/c");
    ASSERT_FALSE(m_model.IsFilled(c));
    ASSERT_TRUE(Delete("a/b/c"));
    QSignalSpy removing(&m_model, &CFolderTreeModel::FolderRemoving);
    ASSERT_TRUE(m_model.canFetchMore(c));
    m_model.fetchMore(c); // as a view does when the branch is opened
    Settle();
    EXPECT_FALSE(Node("a/b/c").isValid());
    EXPECT_EQ(Names(Node("a/b")), std::vector<std::string>{"sib"});
    EXPECT_EQ(removing.count(), 1);

    // A place that went only empties.
    Reveal("a/b");
    ASSERT_TRUE(QDir(QString::fromStdString(m_root)).removeRecursively());
    m_model.Refresh(m_place);
    Settle();
    EXPECT_TRUE(m_place.isValid());
    EXPECT_EQ(m_model.rowCount(m_place), 0);
    EXPECT_TRUE(m_model.canFetchMore(m_place));
}

TEST_F(FolderTreeModel, CollapseChangeExpandShowsTheNewSubfolders)
{
    Reveal("a/b/c");
    const QModelIndex b = Node("a/b");
    m_model.Discard(b);
    EXPECT_EQ(m_model.rowCount(b), 0);
    EXPECT_TRUE(m_model.hasChildren(b)); // the sign stays for a branch that had some
    ASSERT_TRUE(Delete("a/b/c"));
    MakeFolder("a/b/New");
    MakeFolder("a/b/apple");
    ASSERT_TRUE(m_model.canFetchMore(b));
    m_model.fetchMore(b);
    Settle();
    EXPECT_EQ(Names(b), (std::vector<std::string>{"apple", "New", "sib"}));

    // An answer for a branch closed before it came is dropped.
    std::binary_semaphore release(0);
    m_model.Reader().SetLister([&](const std::string& folder) {
        release.acquire();
        return CFolderListing::List(folder);
    });
    m_model.Discard(b);
    m_model.fetchMore(b);
    m_model.Discard(b);
    release.release();
    m_model.Reader().WaitForDone(5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_model.rowCount(b), 0);
    EXPECT_FALSE(m_model.IsFilled(b));
}

TEST_F(FolderTreeModel, RevealReadsTheWayAndSaysWhenAFolderIsMissing)
{
    QSignalSpy revealed(&m_model, &CFolderTreeModel::Revealed);
    QSignalSpy unrevealed(&m_model, &CFolderTreeModel::Unrevealed);
    m_model.Reveal(Path("a/b/c/inner"));
    m_model.Reveal(Path("a/B2")); // two ways at once
    m_model.Reveal(Path("a/b/none/x"));
    Settle();
    EXPECT_TRUE(Node("a/b/c/inner").isValid());
    ASSERT_EQ(revealed.count(), 2);
    ASSERT_EQ(unrevealed.count(), 1);
    EXPECT_EQ(unrevealed.at(0).at(0).toByteArray().toStdString(), Path("a/b/none/x/"));
    EXPECT_TRUE(m_model.IsFilled(Node("a/b/c"))); // the way, not the folder itself
    EXPECT_FALSE(m_model.IsFilled(Node("a/b/c/inner")));
}

TEST_F(FolderTreeModel, ARenameMovesThePathsBelowAndAFailedOneChangesNothing)
{
    Reveal("a/b/c/inner");
    bool allow = false;
    m_model.SetRenamer([&](const std::string& oldPath, const QString& typed, std::string& newPath) {
        if (!allow)
            return false;
        std::string bare = oldPath.substr(0, oldPath.size() - 1);
        newPath = bare.substr(0, bare.rfind('/') + 1) + typed.toStdString();
        return ::rename(oldPath.c_str(), newPath.c_str()) == 0;
    });
    const QModelIndex b = Node("a/b");
    EXPECT_FALSE(m_model.setData(b, QStringLiteral("x")));
    EXPECT_EQ(b.data().toString(), QStringLiteral("b"));
    allow = true;
    QSignalSpy renamed(&m_model, &CFolderTreeModel::FolderRenamed);
    EXPECT_TRUE(m_model.setData(b, QStringLiteral("x")));
    EXPECT_EQ(CFolderTreeModel::PathOf(b), Path("a/x/"));
    EXPECT_EQ(CFolderTreeModel::PathOf(Node("a/x/c/inner")), Path("a/x/c/inner/"));
    EXPECT_FALSE(Node("a/b").isValid());
    ASSERT_EQ(renamed.count(), 1);
    EXPECT_FALSE(m_model.setData(m_place, QStringLiteral("y"))); // a place keeps its name
}

TEST_F(FolderTreeModel, OddNamesShowOnOneLine)
{
    EXPECT_EQ(CFolderTreeModel::ShownName("a\nb\x01\x7f"),
              QString::fromUtf8("a\u21b5b\u2401\u2421"));
    EXPECT_EQ(CFolderTreeModel::ShownName("bad\xff"), QString::fromUtf8("bad\ufffd"));
}

} // namespace
