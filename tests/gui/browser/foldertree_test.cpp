// The folder tree against a changing disk, through the real widgets: folders
// renamed and deleted while a deep one is shown, vanished folders touched,
// drags that only highlight, branches read again when opened, the expand
// sign, slow volumes and odd names.
#include "base/msgid.h"
#include "browserfixture.h"

#include <QBuffer>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <fcntl.h>
#include <functional>
#include <semaphore>
#include <unistd.h>

namespace {

using FolderTree = BrowserPanes;

TEST_F(FolderTree, OutsideChangesWhileADeepFolderIsShownLeaveAnExistingFolderShown)
{
    struct Case
    {
        const char* what;
        std::function<bool(const std::string& root)> change;
        const char* shownAfter; // relative to the test's disk
    };
    const auto rename = [](const std::string& from, const std::string& to) {
        return ::rename(from.c_str(), to.c_str()) == 0;
    };
    const auto remove = [](const std::string& path) {
        return QDir(QString::fromStdString(path)).removeRecursively();
    };
    const Case cases[] = {
        {"ancestor renamed", [&](const std::string& r) { return rename(r + "t/m", r + "t/m2"); },
         "t/"},
        {"ancestor deleted", [&](const std::string& r) { return remove(r + "t/m/d"); }, "t/m/"},
        {"top renamed", [&](const std::string& r) { return rename(r + "t", r + "t2"); }, ""},
        {"shown renamed",
         [&](const std::string& r) { return rename(r + "t/m/d/s", r + "t/m/d/x"); }, "t/m/d/"},
        {"shown deleted", [&](const std::string& r) { return remove(r + "t/m/d/s"); }, "t/m/d/"},
        {"sibling deleted", [&](const std::string& r) { return remove(r + "t/m/d/sib"); },
         "t/m/d/s/"},
        {"sibling renamed",
         [&](const std::string& r) { return rename(r + "t/m/d/sib", r + "t/m/d/sob"); },
         "t/m/d/s/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(QString::fromStdString(m_root)).removeRecursively());
        MakeFolder("t/m/d/s/inner");
        MakeFolder("t/m/d/sib/deeper");
        MakePhoto("t/m/d/s/p.jpg");
        m_panes->Start(Path("t/m/d/s"));
        ASSERT_EQ(m_panes->CurrentFolder(), Path("t/m/d/s/"));
        ASSERT_EQ(Files()->Model().rowCount(), 2);
        Tree()->expand(Node(Path("t/m/d/sib")));
        Settle(200);
        const size_t asked = m_prompt.Ids().size();

        ASSERT_TRUE(c.change(m_root));
        const std::string expected = Path(c.shownAfter);
        QTRY_COMPARE_WITH_TIMEOUT(m_panes->CurrentFolder(), expected, 5000);
        Settle(300);
        EXPECT_EQ(m_panes->CurrentFolder(), expected);
        EXPECT_EQ(Files()->GetFolderPath(), expected);
        EXPECT_EQ(Tree()->CurrentPath(), expected);
        EXPECT_EQ(m_prompt.Ids().size(), asked); // nothing said about it
        // Every node left in the tree stands for a folder that exists.
        QList<QModelIndex> pending{Tree()->IndexOf(m_root)};
        while (!pending.isEmpty()) {
            const QModelIndex index = pending.takeLast();
            EXPECT_TRUE(QDir(QString::fromStdString(CDirTreeCtrl::PathOf(index))).exists())
                << CDirTreeCtrl::PathOf(index);
            for (int i = 0; i < Tree()->Model().rowCount(index); ++i)
                pending.append(Tree()->Model().index(i, 0, index));
        }
    }
}

TEST_F(FolderTree, AVanishedFolderLeavesTheTreeWhenTouched)
{
    MakeFolder("v/here");
    MakeFolder("v/gone");
    m_panes->Start(Path("v/here"));
    ASSERT_TRUE(Node(Path("v/gone")).isValid());
    m_panes->SetWatchDelay(60000); // as if no change notice came (a network volume)
    ASSERT_TRUE(QDir(QString::fromStdString(Path("v/gone"))).removeRecursively());
    const size_t asked = m_prompt.Ids().size();
    EXPECT_FALSE(m_panes->ShowFolder(Path("v/gone")));
    EXPECT_EQ(m_prompt.Ids().size(), asked);
    EXPECT_EQ(m_panes->CurrentFolder(), Path("v/here/"));
    EXPECT_FALSE(Tree()->IndexOf(Path("v/gone")).isValid());
    EXPECT_EQ(Tree()->CurrentPath(), Path("v/here/"));

    // Opening a branch that went away removes it too.
    ASSERT_TRUE(Tree()->IndexOf(Path("v/here")).isValid());
    m_panes->ShowFolder(Path("v/"));
    MakeFolder("v/other/x");
    Tree()->collapse(Tree()->IndexOf(Path("v")));
    Tree()->expand(Tree()->IndexOf(Path("v")));
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->IndexOf(Path("v/other")).isValid(), true, 5000);
    // Its sign as first seen, then the folder goes.
    Tree()->viewport()->repaint();
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->Model().hasChildren(Tree()->IndexOf(Path("v/other"))), true,
                              5000);
    ASSERT_TRUE(QDir(QString::fromStdString(Path("v/other"))).removeRecursively());
    Tree()->expand(Tree()->IndexOf(Path("v/other")));
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->IndexOf(Path("v/other")).isValid(), false, 5000);
}

TEST_F(FolderTree, ADragOverThreeFoldersThenCancelledLeavesTreeAndListAsTheyWere)
{
    MakeFolder("src");
    MakePhoto("src/a.jpg");
    for (const char* name : {"one", "two", "three"})
        MakeFolder(std::string("src/") + name);
    m_panes->Start(Path("src"));
    Tree()->expand(Node(Path("src")));
    Settle(200);
    const int fills = Files()->FullFills();
    const int rows = Files()->Model().rowCount();
    const QModelIndex current = Tree()->currentIndex();
    ASSERT_EQ(Tree()->CurrentPath(), Path("src/"));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("src/a.jpg")))});
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    bool first = true;
    for (const char* name : {"one", "two", "three"}) {
        const QModelIndex item = Tree()->IndexOf(Path("src/") + name);
        ASSERT_TRUE(item.isValid());
        const QPoint at = Tree()->visualRect(item).center();
        if (first) {
            QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(Tree()->viewport(), &enter);
            first = false;
        }
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(Tree()->viewport(), &move);
        EXPECT_TRUE(move.isAccepted());
        EXPECT_EQ(Tree()->DropHighlight(), Path("src/") + name + "/");
        EXPECT_EQ(Tree()->currentIndex(), current);
        EXPECT_EQ(m_panes->CurrentFolder(), Path("src/"));
    }
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(Tree()->viewport(), &leave);
    Settle(200);
    EXPECT_EQ(Tree()->DropHighlight(), "");
    EXPECT_EQ(Tree()->currentIndex(), current);
    EXPECT_EQ(Files()->FullFills(), fills);
    EXPECT_EQ(Files()->Model().rowCount(), rows);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("src/a.jpg"))));
}

TEST_F(FolderTree, CollapseDiscardsChildrenAndExpandReadsTheBranchAgain)
{
    MakeFolder("p/a");
    MakeFolder("p/b");
    m_panes->Start(Path("p"));
    const QModelIndex p = Node(Path("p"));
    Tree()->expand(p);
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(p), (std::vector<std::string>{"a", "b"}), 5000);
    Tree()->collapse(p);
    EXPECT_EQ(Tree()->Model().rowCount(p), 0);
    EXPECT_TRUE(Tree()->Model().hasChildren(p));

    ASSERT_TRUE(QDir(QString::fromStdString(Path("p/a"))).removeRecursively());
    MakeFolder("p/C");
    MakeFolder("p/c");
    Tree()->expand(p);
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(p), (std::vector<std::string>{"b", "C", "c"}), 5000);

    // Collapsing the branch of the shown folder shows the closing folder.
    m_panes->ShowFolder(Path("p/b"));
    ASSERT_EQ(m_panes->CurrentFolder(), Path("p/b/"));
    Tree()->collapse(p);
    EXPECT_EQ(m_panes->CurrentFolder(), Path("p/"));
    EXPECT_EQ(Files()->GetFolderPath(), Path("p/"));
}

TEST_F(FolderTree, TheExpandSignShowsOnlyOnFoldersWithSubfolders)
{
    MakeFolder("s/full/x");
    MakeFolder("s/empty");
    MakeFolder("s/hidden/.git");
    MakePhoto("s/empty/p.jpg");
    m_panes->Start(Path("s"));
    Tree()->expand(Node(Path("s")));
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(Tree()->IndexOf(Path("s"))).size(), size_t(3), 5000);
    Tree()->viewport()->repaint();
    const auto sign = [&](const char* name) {
        const QModelIndex index = Tree()->IndexOf(Path("s/") + name);
        return index.isValid() ? int(Tree()->Model().hasChildren(index)) : -1;
    };
    QTRY_COMPARE_WITH_TIMEOUT(sign("full"), 1, 5000);
    Tree()->Reader().WaitForDone(5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(sign("empty"), 0);
    EXPECT_EQ(sign("hidden"), 0);
}

TEST_F(FolderTree, ExpandingOnAHangingVolumeNeverWaitsForIt)
{
    MakeFolder("slow/a");
    m_panes->Start(Path("slow"));
    const QModelIndex slow = Node(Path("slow"));
    Tree()->viewport()->repaint();
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->Model().hasChildren(slow), true, 5000); // as first seen
    MakeFolder("slow/b");
    std::counting_semaphore<64> release(0);
    Tree()->Reader().SetLister([&](const std::string& folder) {
        release.acquire();
        return CFolderListing::List(folder);
    });
    Tree()->expand(slow);
    // The window goes on while the listing hangs.
    Settle(100);
    EXPECT_EQ(Tree()->PendingReads(), 1);
    EXPECT_EQ(Tree()->Model().rowCount(slow), 0);
    release.release(64); // change notices may read it again too
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(slow), (std::vector<std::string>{"a", "b"}), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->PendingReads(), 0, 5000);
    Tree()->Reader().SetLister(&CFolderListing::List);
}

TEST_F(FolderTree, OddNamesShowOnOneLineAndStillOpen)
{
    const std::string names[] = {"line\nbreak", "bell\a", std::string("bad\xff")};
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(&buffer, "JPG"));
    }
    for (const std::string& name : names) {
        // Byte-exact names: no detour through QString.
        ASSERT_EQ(::mkdir(Path(name).c_str(), 0755), 0);
        const int fd = ::open(Path(name + "/p.jpg").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, jpeg.constData(), size_t(jpeg.size())), jpeg.size());
        ::close(fd);
    }
    ASSERT_EQ(::symlink(".", Path("loop").c_str()), 0);
    m_panes->Start(m_root);
    for (const std::string& name : names) {
        const QModelIndex item = Node(Path(name));
        ASSERT_TRUE(item.isValid());
        EXPECT_FALSE(item.data().toString().contains(QLatin1Char('\n')));
        EXPECT_FALSE(item.data().toString().contains(QLatin1Char('\a')));
        ASSERT_TRUE(m_panes->ShowFolder(Path(name)));
        EXPECT_EQ(Files()->Model().rowCount(), 1);
    }
    // A link loop opens as deep as the user goes, and no deeper.
    ASSERT_TRUE(m_panes->ShowFolder(Path("loop/loop/loop")));
    EXPECT_EQ(m_panes->CurrentFolder(), Path("loop/loop/loop/"));
    m_panes->ShowFolder(m_root);
    for (const std::string& name : names) {
        ::unlink(Path(name + "/p.jpg").c_str());
        ::rmdir(Path(name).c_str()); // beyond what QTemporaryDir can name
    }
}

TEST_F(FolderTree, FiveThousandSubfoldersAreListedAndFoundAgain)
{
    MakeFolder("big");
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(::mkdir(Path("big/d" + std::to_string(i)).c_str(), 0755), 0);
    m_panes->Start(Path("big/d4321"));
    EXPECT_EQ(m_panes->CurrentFolder(), Path("big/d4321/"));
    ASSERT_TRUE(Node(Path("big/d4321")).isValid());
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->CurrentPath(), Path("big/d4321/"), 5000);
    const QModelIndex big = Tree()->IndexOf(Path("big"));
    ASSERT_TRUE(big.isValid());
    EXPECT_EQ(Tree()->Model().rowCount(big), 5000);
    ASSERT_TRUE(QDir(QString::fromStdString(Path("big/d17"))).removeRecursively());
    Tree()->RefreshBranch(big);
    QTRY_COMPARE_WITH_TIMEOUT(Tree()->Model().rowCount(big), 4999, 5000);
    EXPECT_EQ(Tree()->CurrentPath(), Path("big/d4321/"));
}

} // namespace

namespace {

TEST_F(FolderTree, ADropOnAFolderThatWentSaysSoAndKeepsTheFiles)
{
    MakeFolder("from");
    MakeFolder("to");
    MakePhoto("from/a.jpg");
    m_panes->Start(Path("from"));
    m_panes->SetWatchDelay(60000); // the change not noticed yet
    const QModelIndex to = Node(Path("to"));
    ASSERT_TRUE(to.isValid());
    const QPoint at = Tree()->visualRect(to).center();
    ASSERT_TRUE(QDir(QString::fromStdString(Path("to"))).removeRecursively());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("from/a.jpg")))});
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::IgnoreAction) << "the source removes nothing";
    ASSERT_FALSE(m_prompt.Ids().empty());
    EXPECT_EQ(m_prompt.Ids().back(), MsgId::DropFolderGone);
    EXPECT_NE(m_prompt.shown.back().text.find(Path("to")), std::string::npos);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("from/a.jpg"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("to"))));
    EXPECT_FALSE(Tree()->IndexOf(Path("to")).isValid());
    EXPECT_EQ(Tree()->DropHighlight(), "");
    EXPECT_EQ(m_panes->CurrentFolder(), Path("from/"));
}

// Another program adds a folder above the one under the pointer while the
// drag hovers it: the rows shift, and the drop still goes to the folder that
// was highlighted, not to the row that has come under the pointer.
TEST_F(FolderTree, ADropGoesToTheHighlightedFolderWhenTheRowsShift)
{
    MakeFolder("from");
    MakeFolder("root/m");
    MakeFolder("root/t");
    MakePhoto("from/a.jpg");
    m_panes->Start(Path("from"));
    m_panes->SetWatchDelay(20);
    Tree()->expand(Node(Path("root")));
    Settle(200);
    const QModelIndex target = Tree()->IndexOf(Path("root/t"));
    ASSERT_TRUE(target.isValid());
    const QPoint at = Tree()->visualRect(target).center();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("from/a.jpg")))});
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &move);
    ASSERT_EQ(Tree()->DropHighlight(), Path("root/t/"));

    MakeFolder("root/n");
    QTRY_VERIFY_WITH_TIMEOUT(Tree()->IndexOf(Path("root/n")).isValid(), 5000);
    ASSERT_NE(Tree()->indexAt(at), Tree()->IndexOf(Path("root/t"))) << "the rows have shifted";
    QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("root/t/a.jpg"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("root/n/a.jpg"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("from/a.jpg"))));

    // Without a highlight (no drag moved over a folder) nothing is taken.
    MakePhoto("from/b.jpg");
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("from/b.jpg")))});
    QDropEvent blind(at, actions, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Tree()->viewport(), &blind);
    EXPECT_FALSE(blind.isAccepted());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("from/b.jpg"))));
}

} // namespace
