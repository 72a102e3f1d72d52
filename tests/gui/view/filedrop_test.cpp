// Files dropped from the desktop's file manager (text/uri-list).
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "gui/view/celllistbox.h"
#include "gui/view/scenarioview.h"
#include "model/cellbmpinfo.h"
#include "presentation/presentationfixtures.h"
#include "presentation/testpackages.h"
#include "viewfixture.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <sys/stat.h>

namespace {

std::string MakePhoto(const std::string& path, QColor colour)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPEG"));
    return path;
}

QMimeData* UriList(const std::vector<std::string>& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls.append(QUrl::fromLocalFile(QString::fromStdString(p)));
    data->setUrls(urls);
    return data;
}

std::string LabelOf(const ViewProject& p, int row)
{
    const CCellInfo* cell = p.editor->Rows().GetCell(row);
    return cell && cell->CellType == CCellInfo::Type::Image
               ? static_cast<const CCellBmpInfo*>(cell)->RefFilePath
               : "";
}

} // namespace

TEST_F(ViewFixture, TwoPhotosAndAPresentationDroppedBeforeRow2)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    if (deck.empty())
        GTEST_SKIP() << "LibreOffice made no presentation";
    const std::string photos = Folder("photos");
    QDir().mkpath(QString::fromStdString(photos));
    const std::string red = MakePhoto(photos + "red.jpg", Qt::red);
    const std::string blue = MakePhoto(photos + "blue.jpg", Qt::blue);
    ViewProject p(Folder("a"), {1, 2, 3});

    std::unique_ptr<QMimeData> data(UriList({red, blue, deck}));
    // A file manager's files are copied, never moved away.
    EXPECT_EQ(p.DropAt(data.get(), 1, Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    ASSERT_EQ(p.editor->Rows().GetCount(), 3 + 2 + 6) << p.prompt.Ids().size();
    EXPECT_EQ(p.editor->Rows().GetCell(0)->AutoIntervalSec, 1);
    EXPECT_EQ(LabelOf(p, 1), red);
    EXPECT_EQ(LabelOf(p, 2), blue);
    for (int row = 3; row < 9; ++row) {
        const auto* slide = static_cast<const CCellBmpInfo*>(p.editor->Rows().GetCell(row));
        ASSERT_EQ(slide->CellType, CCellInfo::Type::Image);
        EXPECT_EQ(slide->RefFilePath, deck);
        EXPECT_EQ(slide->RefPage, row - 2);
        EXPECT_EQ(slide->SourceKind, CCellBmpInfo::SourcePpt);
    }
    EXPECT_EQ(p.editor->Rows().GetCell(9)->AutoIntervalSec, 2);
    EXPECT_EQ(p.editor->Rows().SelectedCount(), 8);
    EXPECT_TRUE(QFile::exists(red.c_str())) << "the dropped file stays";
    EXPECT_TRUE(p.prompt.shown.empty());
    // The photos' thumbnails load off the window's thread and paint.
    EXPECT_TRUE(p.view->Model()->Thumbnail(1).isNull());
    p.view->Model()->Thumbnails().WaitForIdle();
    EXPECT_FALSE(p.view->Model()->Thumbnail(1).isNull());
}

struct RefusedFile
{
    const char* name;
    int message;
};

class RefusedFiles : public ViewFixture, public ::testing::WithParamInterface<RefusedFile>
{
};

// A file that cannot become a slide is named with its reason before anything
// goes in, and the user decides about the others.
TEST_P(RefusedFiles, TheFileIsNamedAndTheOthersGoInOnYes)
{
    const std::string files = Folder("files");
    QDir().mkpath(QString::fromStdString(files + "folder.jpg"));
    const std::string good = MakePhoto(files + "good.jpg", Qt::green);
    QFile text(QString::fromStdString(files + "notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("notes");
    text.close();
    QFile fake(QString::fromStdString(files + "fake.png"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a picture at all");
    fake.close();
    // Pipes with nobody writing: a read of one would wait for ever.
    for (const char* pipe : {"pipe.jpg", "pipe.pdf", "pipe.pptx"})
        ASSERT_EQ(::mkfifo((files + pipe).c_str(), 0600), 0);

    ViewProject p(Folder("a"), {1, 2});
    const std::string bad = files + GetParam().name;
    const std::string reason = CResourceBundle::Format(GetParam().message, bad);

    // Alone, it is refused with its own message.
    std::unique_ptr<QMimeData> alone(UriList({bad}));
    EXPECT_EQ(p.DropAt(alone.get(), 0), Qt::IgnoreAction);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2}));
    ASSERT_EQ(p.prompt.Ids(), std::vector<int>{GetParam().message});
    EXPECT_EQ(p.prompt.shown[0].text, reason);

    // With a good file: one question; No inserts nothing and refuses the drop.
    std::unique_ptr<QMimeData> data(UriList({bad, good}));
    p.prompt.shown.clear();
    p.prompt.answers = {CUserPrompt::AnswerNo};
    EXPECT_EQ(p.DropAt(data.get(), 0), Qt::IgnoreAction);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2}));
    ASSERT_EQ(p.prompt.Ids(), std::vector<int>{MsgId::BatchSomeUnusable});
    EXPECT_NE(p.prompt.shown[0].text.find(reason), std::string::npos) << p.prompt.shown[0].text;

    // Yes inserts the good one where the drop aimed.
    p.prompt.shown.clear();
    p.prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(p.DropAt(data.get(), 0), Qt::CopyAction);
    ASSERT_EQ(p.editor->Rows().GetCount(), 3);
    EXPECT_EQ(LabelOf(p, 0), good);
    EXPECT_EQ(p.prompt.Ids(), std::vector<int>{MsgId::BatchSomeUnusable});
}

INSTANTIATE_TEST_SUITE_P(ViewFixture, RefusedFiles,
                         ::testing::Values(RefusedFile{"folder.jpg", 7170},
                                           RefusedFile{"notes.txt", 7171},
                                           RefusedFile{"vanished.jpg", 7159},
                                           RefusedFile{"fake.png", 7118},
                                           RefusedFile{"pipe.jpg", MsgId::NotARegularFile},
                                           RefusedFile{"pipe.pdf", MsgId::NotARegularFile},
                                           RefusedFile{"pipe.pptx", MsgId::NotARegularFile}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             std::replace(n.begin(), n.end(), '.', '_');
                             return n;
                         });

namespace {

// While files are dragged over the rows a line shows where they would go:
// before the row under the pointer, or after the last row.
TEST_F(ViewFixture, ALineShowsWhereADropWouldGo)
{
    QDir().mkpath(QString::fromStdString(Folder("line")));
    const std::string photo = MakePhoto(Folder("line") + "p.jpg", Qt::yellow);
    ViewProject p(Folder("a"), {1, 2, 3});
    CCellListBox* list = p.view->ListBox();
    std::unique_ptr<QMimeData> files(UriList({photo}));
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(p.RowPoint(1), actions, files.get(), Qt::LeftButton, {});
    QApplication::sendEvent(p.Viewport(), &enter);
    EXPECT_EQ(list->DropLineRow(), 1);
    for (const int row : {2, 0, -1}) {
        QDragMoveEvent move(p.RowPoint(row), actions, files.get(), Qt::LeftButton, {});
        QApplication::sendEvent(p.Viewport(), &move);
        EXPECT_EQ(list->DropLineRow(), row);
    }
    // The line is painted in the highlight colour at the row's top edge.
    QDragMoveEvent onRow2(p.RowPoint(2), actions, files.get(), Qt::LeftButton, {});
    QApplication::sendEvent(p.Viewport(), &onRow2);
    const QImage shot = list->viewport()->grab().toImage();
    const int y = list->visualRect(p.view->Model()->index(2)).top();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, y), list->palette().color(QPalette::Highlight));
    QDragLeaveEvent leave;
    QApplication::sendEvent(p.Viewport(), &leave);
    EXPECT_EQ(list->DropLineRow(), CCellListBox::NoDropLine);

    // Nothing that the rows would take draws no line.
    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent refused(p.RowPoint(1), actions, &text, Qt::LeftButton, {});
    QApplication::sendEvent(p.Viewport(), &refused);
    EXPECT_EQ(list->DropLineRow(), CCellListBox::NoDropLine);
    // A drop ends the line.
    EXPECT_EQ(p.DropAt(files.get(), 1), Qt::CopyAction);
    EXPECT_EQ(list->DropLineRow(), CCellListBox::NoDropLine);
}

} // namespace

namespace {

// Files a desktop file manager copied (text/uri-list) paste as a drop of
// them does, before the selected row; Paste is offered while they are there.
TEST_F(ViewFixture, FilesCopiedOnTheDesktopPasteBeforeTheSelectedRow)
{
    QDir().mkpath(QString::fromStdString(Folder("desktop")));
    const std::string photo = MakePhoto(Folder("desktop") + "sea.jpg", Qt::cyan);
    ViewProject p(Folder("a"), {1, 2});
    p.view->SetShortcutsEnabled(true);
    QGuiApplication::clipboard()->setText(QStringLiteral("just words"));
    EXPECT_NE(p.view->StateOf(EditorCommand::Paste), CommandState::Enabled);

    QGuiApplication::clipboard()->setMimeData(UriList({photo}));
    EXPECT_EQ(p.view->StateOf(EditorCommand::Paste), CommandState::Enabled);
    p.Select({1});
    p.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p.view.get()));
    p.view->ListBox()->setFocus();
    QTest::keyClick(p.view->ListBox(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(p.editor->Rows().GetCount(), 3);
    EXPECT_EQ(LabelOf(p, 1), photo);
    EXPECT_EQ(p.editor->Rows().FocusRow(), 1) << "the keys go on from the pasted row";

    // The row menu offers Add Slides too.
    std::unique_ptr<QMenu> menu(p.view->CreateContextMenu(1, nullptr));
    ASSERT_TRUE(menu);
    bool offered = false;
    for (QAction* action : menu->actions())
        offered = offered || action->data().toInt() == CScenarioView::AddSlidesCommand;
    EXPECT_TRUE(offered);
}

} // namespace
// A presentation crafted to expand entities is refused with one message,
// whatever looks at the file on the way.
TEST_F(ViewFixture, ADropOfAnEntityBombShowsOneMessage)
{
    const std::string files = Folder("files");
    QDir().mkpath(QString::fromStdString(files));
    const std::string pptx = files + "entities.pptx";
    ASSERT_TRUE(testpackages::WriteZip(pptx, testpackages::Pptx({testpackages::EntityBomb()})));
    const std::string odp = files + "entities.odp";
    ASSERT_TRUE(testpackages::WriteZip(
        odp, {{"mimetype", "application/vnd.oasis.opendocument.presentation"},
              {"content.xml", testpackages::EntityBomb()}}));
    for (const std::string& bomb : {pptx, odp}) {
        SCOPED_TRACE(bomb);
        ViewProject p(Folder("a"), {1, 2});
        std::unique_ptr<QMimeData> data(UriList({bomb}));
        EXPECT_EQ(p.DropAt(data.get(), 0), Qt::IgnoreAction);
        QApplication::processEvents();
        EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2}));
        ASSERT_EQ(p.prompt.Ids(), std::vector<int>{MsgId::PresentationDamaged});
        EXPECT_NE(p.prompt.shown[0].text.find(bomb), std::string::npos);
    }
}
