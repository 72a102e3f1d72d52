// The browser panes through their real widgets, offscreen: watching (one
// update for a burst, renames, pulled volumes), the drag block of the file
// list, activation and the bad folders.
#include "base/msgid.h"
#include "browser/dirfileinfo.h"
#include "browserfixture.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/dirtreectrl.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/folderdlgbar.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "presentation/testcompound.h"
#include "support/scriptedprompt.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST_F(BrowserPanes, BurstOfNewFilesGivesOneUpdateKeepingSelectionAndScroll)
{
    MakeFolder("shots");
    for (int i = 0; i < 300; ++i)
        MakePhoto("shots/old" + std::to_string(1000 + i) + ".jpg");
    m_panes->SetWatchDelay(400);
    m_panes->Start(Path("shots"));
    m_panes->SetListViewMode(CFileListCtrl::Details);
    ASSERT_EQ(Files()->Model().rowCount(), 300);
    QTreeView* view = Files()->List()->DetailsView();
    const int row = RowOf("old1150.jpg");
    view->setCurrentIndex(Files()->Model().index(row, 0));
    view->scrollTo(Files()->Model().index(row, 0), QAbstractItemView::PositionAtTop);
    const int scroll = view->verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);
    Settle();
    const int updates = Files()->Updates();
    const int fills = Files()->FullFills();

    for (int i = 0; i < 100; ++i) {
        QFile f(QString::fromStdString(Path("shots/new" + std::to_string(i) + ".ppt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QTRY_COMPARE_WITH_TIMEOUT(Files()->Model().rowCount(), 400, 5000);
    Settle();
    EXPECT_EQ(Files()->Updates() - updates, 1);
    EXPECT_EQ(Files()->FullFills(), fills);
    EXPECT_EQ(Files()->List()->SelectedRows(), std::vector<int>{row});
    EXPECT_EQ(Files()->Model().EntryAt(view->currentIndex().row())->Name, "old1150.jpg");
    EXPECT_EQ(view->verticalScrollBar()->value(), scroll);
}

TEST_F(BrowserPanes, DeletedAndRenamedFilesUpdateTheListInPlace)
{
    MakeFolder("a");
    MakePhoto("a/keep.jpg");
    MakePhoto("a/gone.jpg");
    m_panes->Start(Path("a"));
    ASSERT_EQ(Files()->Model().rowCount(), 2);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Path("a/gone.jpg"))));
    ASSERT_TRUE(QFile::rename(QString::fromStdString(Path("a/keep.jpg")),
                              QString::fromStdString(Path("a/kept.jpg"))));
    QTRY_COMPARE_WITH_TIMEOUT(RowOf("kept.jpg") >= 0, true, 5000);
    EXPECT_EQ(Files()->Model().rowCount(), 1);
}

TEST_F(BrowserPanes, RenamedSubfolderOfTheCurrentFolderRefillsTheListAnUnrelatedOneDoesNot)
{
    MakeFolder("current/sub");
    MakeFolder("other/far");
    m_panes->Start(Path("current"));
    const QModelIndex other = Node(Path("other"));
    ASSERT_TRUE(other.isValid());
    Tree()->expand(other);
    Tree()->expand(Node(Path("current")));
    Settle();
    const int fills = Files()->FullFills();
    const int updates = Files()->Updates();

    const QModelIndex far = Node(Path("other/far"));
    ASSERT_TRUE(far.isValid());
    Tree()->model()->setData(far, QStringLiteral("farther")); // the end of an edit in place
    Settle();
    EXPECT_TRUE(QDir(QString::fromStdString(Path("other/farther"))).exists());
    EXPECT_EQ(Files()->FullFills(), fills);
    EXPECT_EQ(Files()->Updates(), updates);

    const QModelIndex sub = Node(Path("current/sub"));
    ASSERT_TRUE(sub.isValid());
    Tree()->model()->setData(sub, QStringLiteral("renamed"));
    EXPECT_EQ(Files()->FullFills(), fills + 1);
    EXPECT_GE(RowOf("renamed"), 0);
    EXPECT_EQ(RowOf("sub"), -1);
    EXPECT_EQ(CDirTreeCtrl::PathOf(sub), Path("current/renamed/"));
}

TEST_F(BrowserPanes, RenameInTheTreeNeverReplacesAFolder)
{
    MakeFolder("p/one");
    MakeFolder("p/two");
    m_panes->Start(Path("p"));
    const QModelIndex one = Node(Path("p/one"));
    EXPECT_FALSE(Tree()->model()->setData(one, QStringLiteral("two")));
    EXPECT_EQ(m_prompt.Ids().back(), MsgId::ItemExists);
    EXPECT_EQ(one.data().toString(), QStringLiteral("one"));
    EXPECT_TRUE(QDir(QString::fromStdString(Path("p/one"))).exists());
}

TEST_F(BrowserPanes, FilesDroppedOnAFolderMoveAndCopyWithCtrl)
{
    MakeFolder("from");
    MakeFolder("to");
    MakePhoto("from/a.jpg");
    MakePhoto("from/b.jpg");
    m_panes->Start(Path("from"));
    const QModelIndex to = Node(Path("to"));
    ASSERT_TRUE(to.isValid());
    Tree()->scrollTo(to);
    const QPoint at = Tree()->visualRect(to).center();
    const auto drop = [&](const std::string& name, Qt::KeyboardModifiers modifiers) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path(name)))});
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              modifiers);
        QCoreApplication::sendEvent(Tree()->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(Tree()->viewport(), &move);
        QDropEvent event(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(Tree()->viewport(), &event);
    };
    drop("from/a.jpg", Qt::NoModifier);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("from/a.jpg"))));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("to/a.jpg"))));
    drop("from/b.jpg", Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("from/b.jpg"))));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path("to/b.jpg"))));
}

TEST_F(BrowserPanes, PulledVolumeLeavesTheTreeAndTheListFallsBackHome)
{
    MakeFolder("card/DCIM");
    MakePhoto("card/DCIM/p1.jpg");
    CVolumeList::Volume card;
    card.root = Path("card/");
    card.label = "CARD";
    card.kind = CVolumeList::Removable;
    m_volumes.push_back(card);
    m_panes->Start();
    ASSERT_EQ(Tree()->PlaceCount(), 3);
    ASSERT_TRUE(m_panes->ShowFolder(Path("card/DCIM")));
    ASSERT_EQ(Files()->Model().rowCount(), 1);

    m_volumes.pop_back();
    m_panes->PollVolumes();
    Settle(100);
    EXPECT_EQ(Tree()->PlaceCount(), 2);
    EXPECT_FALSE(Tree()->IndexOf(Path("card/DCIM")).isValid());
    EXPECT_EQ(m_panes->CurrentFolder(), QDir::homePath().toStdString() + "/");

    m_volumes.push_back(card); // inserted again
    m_panes->PollVolumes();
    EXPECT_EQ(Tree()->PlaceCount(), 3);
}

TEST_F(BrowserPanes, DragBlockOfTwoPhotosAndAPresentationIsTheTransferFormat)
{
    MakeFolder("mix");
    MakePhoto("mix/b.jpg");
    MakePhoto("mix/a.jpg");
    MakePresentation("mix/talk.ppt");
    MakeFolder("mix/folder");
    m_panes->Start(Path("mix"));
    CFileListModel& model = Files()->Model();
    ASSERT_EQ(model.rowCount(), 4);
    QListView* view = Files()->List()->IconView();
    for (const char* name : {"talk.ppt", "a.jpg", "folder", "b.jpg"})
        view->selectionModel()->select(model.index(RowOf(name), 0), QItemSelectionModel::Select);
    std::unique_ptr<QMimeData> data(model.mimeData(view->selectionModel()->selectedIndexes()));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("CellInfo List from ROvuv UR1")});

    CCellInfoList expected;
    expected.ProjectFolder = Path("mix/");
    for (const char* name : {"a.jpg", "b.jpg", "talk.ppt"}) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->RefFilePath = Path("mix/") + name;
        struct stat st
        {
        };
        ASSERT_EQ(::stat(cell->RefFilePath.c_str(), &st), 0);
        cell->RefFileTime = int32_t(st.st_mtime);
        cell->RefPage = std::string(name) == "talk.ppt" ? 0 : 1;
        expected.Append(std::move(cell));
    }
    EXPECT_EQ(data->data(QStringLiteral("CellInfo List from ROvuv UR1")), expected.ToBytes());

    // Copy offers the same block.
    m_panes->Copy();
    EXPECT_EQ(
        QApplication::clipboard()->mimeData()->data(QStringLiteral("CellInfo List from ROvuv UR1")),
        expected.ToBytes());

    // Only folders selected: nothing to drag.
    view->selectionModel()->clearSelection();
    view->selectionModel()->select(model.index(RowOf("folder"), 0), QItemSelectionModel::Select);
    EXPECT_EQ(model.mimeData(view->selectionModel()->selectedIndexes()), nullptr);
    // A selected file deleted after the listing is left out.
    view->selectionModel()->select(model.index(RowOf("a.jpg"), 0), QItemSelectionModel::Select);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Path("mix/a.jpg"))));
    EXPECT_TRUE(Files()->List()->SelectedBlock().isEmpty());
}

TEST_F(BrowserPanes, DoubleClickInsertsAFileAndOpensAFolder)
{
    MakeFolder("d/inner");
    MakePhoto("d/pic.jpg");
    m_panes->Start(Path("d"));
    m_panes->SetListViewMode(CFileListCtrl::Details);
    QSignalSpy activated(m_panes, &CBrowserPanes::CellsActivated);
    QTreeView* view = Files()->List()->DetailsView();
    const QRect pic = view->visualRect(Files()->Model().index(RowOf("pic.jpg"), 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pic.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pic.center());
    ASSERT_EQ(activated.count(), 1);
    CCellInfoList cells;
    ASSERT_TRUE(cells.AppendFromBytes(activated.at(0).at(0).toByteArray()));
    ASSERT_EQ(cells.GetCount(), 1);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(cells.GetAt(0))->RefFilePath, Path("d/pic.jpg"));

    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect inner = view->visualRect(Files()->Model().index(RowOf("inner"), 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, inner.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, inner.center());
    EXPECT_EQ(m_panes->CurrentFolder(), Path("d/inner/"));
    EXPECT_EQ(activated.count(), 1);
}

TEST_F(BrowserPanes, EveryViewStyleShowsTheSameSelection)
{
    MakeFolder("v");
    MakePhoto("v/1.jpg");
    MakePhoto("v/2.jpg");
    m_panes->Start(Path("v"));
    Files()->List()->Selection()->select(Files()->Model().index(1, 0), QItemSelectionModel::Select);
    for (int style : {CFileListCtrl::LargeIcons, CFileListCtrl::SmallIcons, CFileListCtrl::List,
                      CFileListCtrl::Details}) {
        m_panes->SetListViewMode(style);
        EXPECT_TRUE(Files()->List()->CurrentView()->isVisible());
        EXPECT_EQ(Files()->List()->SelectedRows(), std::vector<int>{1});
        EXPECT_TRUE(Files()->List()->CurrentView()->dragEnabled()) << "style " << style;
    }
}

TEST_F(BrowserPanes, UnreadableFolderTellsWhyAndStaysOnTheFolderBefore)
{
    MakeFolder("ok");
    MakeFolder("ok/closed");
    MakePhoto("ok/x.jpg");
    m_panes->Start(Path("ok"));
    ASSERT_TRUE(Node(Path("ok/closed")).isValid());
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    ASSERT_EQ(::chmod(Path("ok/closed").c_str(), 0), 0);
    EXPECT_FALSE(m_panes->ShowFolder(Path("ok/closed")));
    ::chmod(Path("ok/closed").c_str(), 0700);
    EXPECT_EQ(m_prompt.Ids().back(), MsgId::FolderUnreadable);
    EXPECT_EQ(m_panes->CurrentFolder(), Path("ok/"));
    EXPECT_EQ(Files()->Model().rowCount(), 2);
}

TEST_F(BrowserPanes, ShownFolderDeletedMovesQuietlyToItsParent)
{
    MakeFolder("n/a");
    MakeFolder("n/b");
    m_panes->Start(Path("n/a"));
    const size_t asked = m_prompt.Ids().size();
    ASSERT_TRUE(QDir(QString::fromStdString(Path("n/a"))).removeRecursively());
    QTRY_COMPARE_WITH_TIMEOUT(m_panes->CurrentFolder(), Path("n/"), 5000);
    EXPECT_EQ(Files()->GetFolderPath(), Path("n/"));
    EXPECT_EQ(m_prompt.Ids().size(), asked);
}

} // namespace

namespace {

TEST_F(BrowserPanes, FileTypeSelectorDrivesThePatternOfTheList)
{
    MakeFolder("t");
    MakePhoto("t/a.jpg");
    MakePhoto("t/b.png");
    MakePresentation("t/c.ppt");
    m_panes->Start(Path("t"));
    ASSERT_EQ(Files()->Model().rowCount(), 3);
    const int fills = Files()->FullFills();
    QComboBox* types = m_panes->FolderBar()->FileTypes();
    EXPECT_EQ(types->accessibleName(), QStringLiteral("File type"));
    types->setCurrentIndex(2); // JPEG pictures
    EXPECT_EQ(Files()->FullFills(), fills + 1);
    ASSERT_EQ(Files()->Model().rowCount(), 1);
    EXPECT_EQ(Files()->Model().EntryAt(0)->Name, "a.jpg");
    types->setCurrentIndex(1); // presentations, checked by content
    ASSERT_EQ(Files()->Model().rowCount(), 1);
    EXPECT_EQ(Files()->Model().EntryAt(0)->Name, "c.ppt");
}

} // namespace

namespace {

TEST_F(BrowserPanes, DamagedPicturesLeaveTheListAndThePreviewKeepsItsSize)
{
    // A long folder name makes a long message about the damaged picture.
    const std::string folder = "f" + std::string(180, 'x');
    MakeFolder(folder);
    MakePhoto(folder + "/good.jpg");
    for (const char* name : {"/broken.jpg", "/broken.BMP", "/broken.png", "/empty.jpeg"}) {
        QFile f(QString::fromStdString(Path(folder + name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (std::string(name) != "/empty.jpeg")
            f.write("this is no picture at all");
    }
    m_panes->SetListViewMode(CFileListCtrl::Details);
    m_panes->Start(Path(folder));
    // Checked off the window's thread: the damaged ones of the checked
    // kinds go, a damaged PNG stays (its preview says why).
    QTRY_COMPARE_WITH_TIMEOUT(Files()->Model().rowCount(), 2, 5000);
    EXPECT_GE(RowOf("good.jpg"), 0);
    EXPECT_GE(RowOf("broken.png"), 0);
    EXPECT_EQ(Files()->Model().PendingChecks(), 0);

    const QSize frame = m_frame.size();
    const int paneHeight = Files()->height();
    const int paneWidth = Files()->width();
    QTreeView* view = Files()->List()->DetailsView();
    view->setCurrentIndex(Files()->Model().index(RowOf("broken.png"), 0));
    QTRY_VERIFY_WITH_TIMEOUT(!Files()->PreviewPicture()->text().isEmpty(), 5000);
    Settle(100);
    EXPECT_EQ(m_frame.size(), frame);
    EXPECT_EQ(Files()->height(), paneHeight);
    EXPECT_EQ(Files()->width(), paneWidth);
    // All of the message shows, over lines within the preview: nothing cut.
    QLabel* preview = Files()->PreviewPicture();
    EXPECT_EQ(QString(preview->text()).remove(QChar(0x200B)), preview->toolTip());
    EXPECT_TRUE(preview->toolTip().contains(QString::fromStdString(folder)));
    const QRect room = preview->contentsRect();
    const QRect needed = preview->fontMetrics().boundingRect(
        room, Qt::AlignCenter | Qt::TextWordWrap, preview->text());
    EXPECT_LE(needed.width(), room.width());
    EXPECT_LE(needed.height(), room.height());

    view->setCurrentIndex(Files()->Model().index(RowOf("good.jpg"), 0));
    QTRY_VERIFY_WITH_TIMEOUT(!Files()->PreviewPicture()->pixmap().isNull(), 5000);
    Settle(100);
    EXPECT_EQ(Files()->height(), paneHeight);
    EXPECT_EQ(m_frame.size(), frame);
}

} // namespace
