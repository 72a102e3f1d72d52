// The road of one slide through the windows by real input only, on a real
// X server (xvfb-run with ZELM_TEST_PLATFORM=xcb): a new project, a photo
// dragged from the browser, Properties by Enter, Ctrl+S, Send to a card
// folder, the autorun editor, and the card checked by the program's own
// card check. The pointer and the keys are the X server's (XTest).
#include "apptesting.h"
#include "base/msgid.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "gui/app/childframe.h"
#include "gui/app/helpwnd.h"
#include "gui/app/mainframe.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/view/celllistbox.h"
#include "gui/view/cellrowmodel.h"
#include "gui/view/scenarioview.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "xtestinput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Steps run from a timer, so they go on inside the event loops that dialogs
// and drags run: each waits for its condition, then acts.
class Script
{
public:
    struct Step
    {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void Add(const std::string& name, std::function<bool()> ready, std::function<void()> act)
    {
        m_steps.push_back({name, std::move(ready), std::move(act)});
    }
    void Then(const std::string& name, std::function<void()> act)
    {
        Add(
            name, [] { return true; }, std::move(act));
    }
    // Runs the steps; the name of the step that timed out, "" when all ran.
    std::string Run(int stepTimeoutMs = 20000)
    {
        QTimer timer;
        timer.setInterval(40);
        size_t next = 0;
        QElapsedTimer waited;
        waited.start();
        bool failed = false;
        bool running = false;
        int steady = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (failed) {
                // Unwinds the dialogs and menus still open, whose loops hold
                // the test.
                if (QWidget* popup = QApplication::activePopupWidget())
                    popup->close();
                else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    dialog->reject();
                return;
            }
            if (running || next >= m_steps.size())
                return;
            Step& step = m_steps[next];
            // A window the step acts on must be up a little while: shown is
            // not yet mapped and focused by the X server.
            if (!step.ready()) {
                steady = 0;
                failed = waited.elapsed() > stepTimeoutMs;
                return;
            }
            if (++steady < 3)
                return;
            steady = 0;
            running = true;
            std::fprintf(stderr, "[ step: %s ]\n", step.name.c_str());
            ++next;
            waited.restart();
            step.act();
            running = false;
        });
        timer.start();
        while (next < m_steps.size() && !failed)
            QTest::qWait(20);
        timer.stop();
        return failed ? m_steps[next].name : std::string();
    }

private:
    std::vector<Step> m_steps;
};

QDialog* ModalOf(const char* className)
{
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() && dialog->inherits(className) ? dialog : nullptr;
}

QPoint GlobalCenter(QWidget* widget, const QRect& rect)
{
    return widget->mapToGlobal(rect.center());
}

} // namespace

TEST(EndToEnd, OneSlideFromTheBrowserToTheCardByRealInput)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs a real X server: xvfb-run -a env ZELM_TEST_PLATFORM=xcb";
    CXTestInput input;
    if (!input.IsAvailable())
        GTEST_SKIP() << "the X server has no XTest extension";
    ClearSettings();

    // A photo where the browser starts (the home folder), and a card.
    const QString home = QDir::homePath();
    QImage photo(800, 600, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    QPainter(&photo).fillRect(100, 100, 300, 200, Qt::yellow);
    ASSERT_TRUE(photo.save(home + QStringLiteral("/beach.jpg")));
    const QString card = home + QStringLiteral("/card");
    ASSERT_TRUE(QDir().mkpath(card));

    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    CMainFrame& frame = app.Frame();
    frame.raise();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    CFileListCtrl* files = frame.Browser()->FileBar()->List();
    const auto child = [&]() -> CChildFrame* {
        return frame.ChildFrames().isEmpty() ? nullptr : frame.ChildFrames().front();
    };
    // What a window manager does when a dialog closes (Xvfb runs none):
    // the main window is active again.
    const auto backToTheWindow = [&frame] {
        if (QApplication::activeWindow() != &frame)
            frame.activateWindow();
        return QApplication::activeWindow() == &frame;
    };
    QPoint photoAt;

    Script s;
    // New project by Ctrl+N, named by typing.
    s.Then("new project", [&] { input.Key("n", {"Control_L"}); });
    s.Add(
        "project dialog", [] { return ModalOf("CProjectDlg") != nullptr; },
        [&] {
            input.Type(QStringLiteral("Trip"));
            input.Key("Return");
        });
    s.Add(
        "project window",
        [&] { return child() && child()->isVisible() && !ModalOf("QDialog") && backToTheWindow(); },
        [] {});
    // The photo in the browser's list, dragged onto the project's rows.
    s.Add(
        "photo listed",
        [&] {
            QAbstractItemView* view = files->CurrentView();
            const QModelIndexList found =
                view->model()->match(view->model()->index(0, 0), Qt::DisplayRole,
                                     QStringLiteral("beach.jpg"), 1, Qt::MatchExactly);
            if (found.isEmpty())
                return false;
            view->scrollTo(found.front());
            photoAt = GlobalCenter(view->viewport(), view->visualRect(found.front()));
            return true;
        },
        [&] {
            input.MoveTo(photoAt);
            input.Press();
        });
    s.Then("drag starts", [&] { input.DragTo(photoAt + QPoint(12, -12), 3); });
    s.Then("drag over the project", [&] {
        QWidget* rows = child()->View()->ListBox()->viewport();
        input.DragTo(rows->mapToGlobal(QPoint(rows->width() / 2, 20)), 10);
    });
    s.Then("drop", [&] { input.Release(); });
    s.Add(
        "slide inserted",
        [&] {
            return child()->Editor().Rows().GetCount() == 1 && !child()->IsBusy() &&
                   !ModalOf("QDialog") && backToTheWindow();
        },
        [&] {
            // Properties of the new, selected row by Enter.
            input.Key("Return");
        });
    s.Add(
        "properties dialog", [] { return ModalOf("CCellPropDlg") != nullptr; },
        [&] { input.Key("Return"); });
    s.Add(
        "properties closed", [&] { return !ModalOf("QDialog") && backToTheWindow(); },
        [&] { input.Key("s", {"Control_L"}); });
    // Send by the File menu's keys; the card is a folder chosen by typing.
    s.Add(
        "saved", [&] { return !child()->Document().IsModified(); },
        [&] { input.Key("f", {"Alt_L"}); });
    s.Then("send command", [&] { input.Key("d"); });
    s.Add(
        "send dialog", [] { return ModalOf("CSendDlg") != nullptr; },
        [&] {
            auto* cards = ModalOf("CSendDlg")->findChild<CCardComboBox*>();
            input.Click(cards->mapToGlobal(cards->rect().center()));
        });
    s.Then("choose folder entry", [&] {
        input.Key("End");
        input.Key("Return");
    });
    s.Add(
        "folder dialog", [] { return ModalOf("QFileDialog") != nullptr; },
        [&] {
            input.Type(QStringLiteral("card"));
            input.Key("Return");
        });
    s.Add(
        "folder chosen",
        [&] {
            if (!ModalOf("QFileDialog"))
                return true;
            input.Key("Return"); // the first Return may close the completion only
            return false;
        },
        [] {});
    s.Add(
        "card in the send dialog",
        [&] {
            QDialog* dialog = ModalOf("CSendDlg");
            return dialog && dialog->findChild<CCardComboBox*>()->Root() ==
                                 QDir(card).absolutePath().toStdString() + "/";
        },
        [&] {
            // The question before anything is written is answered OK (the
            // message boxes are the test's).
            app.prompt.answers = {CUserPrompt::AnswerOk};
            input.Key("Return");
        });
    // The send offers the autorun editor (the prompt says Yes); OK keeps it.
    s.Add(
        "autorun editor", [] { return ModalOf("CAutorunEditDlg") != nullptr; },
        [&] { input.Key("Return"); });
    s.Add(
        "done", [] { return !ModalOf("QDialog"); }, [] {});

    const std::string stuck = s.Run(90000);
    for (const auto& shown : app.prompt.shown)
        std::fprintf(stderr, "[ told %d: %s ]\n", shown.id, shown.text.c_str());
    ASSERT_EQ(stuck, "") << "stopped at: " << stuck;

    ASSERT_NE(child(), nullptr);
    EXPECT_EQ(child()->Document().ProjectName, "Trip");
    EXPECT_FALSE(child()->Document().IsModified());
    EXPECT_TRUE(QFile::exists(card + QStringLiteral("/TRIP.SIT")) ||
                QFile::exists(card + QStringLiteral("/Trip.sit")));
    // The program's own card check finds the card sound.
    QProcess check;
    check.start(QStringLiteral(ZELM_BIN_DIR "/zelm"), {QStringLiteral("card-check"), card});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();
    // Nothing the user was told went wrong.
    for (const auto& shown : app.prompt.shown)
        EXPECT_TRUE(shown.icon != CUserPrompt::Exclamation && shown.icon != CUserPrompt::Error)
            << shown.id << " " << shown.text;
}

namespace {

// A project of three control steps (intervals 1, 2, 3) open in the program,
// its window active, for the X server's input.
struct XProject
{
    XProject()
    {
        ClearSettings();
        const std::string project = MakeProject("Rows");
        CZurDoc doc;
        if (doc.Open(project)) {
            for (int id : {1, 2, 3}) {
                auto cell = std::make_unique<CCellCtrlInfo>();
                cell->AutoIntervalSec = id;
                doc.Cells.Append(std::move(cell));
            }
            doc.Save();
        }
        app = std::make_unique<CAppUnderTest>(QStringList{QString::fromStdString(project)});
        app->Frame().activateWindow();
        active = QTest::qWaitForWindowActive(&app->Frame());
    }
    CChildFrame* Child() { return app->Frame().ChildFrames().value(0); }
    QWidget* Rows() { return Child()->View()->ListBox()->viewport(); }
    QPoint RowAt(int row)
    {
        CCellListBox* list = Child()->View()->ListBox();
        const QRect r = list->visualRect(Child()->View()->Model()->index(row));
        return Rows()->mapToGlobal(r.center());
    }
    QPoint BelowRows()
    {
        CCellListBox* list = Child()->View()->ListBox();
        const QRect r = list->visualRect(Child()->View()->Model()->index(2));
        return Rows()->mapToGlobal(QPoint(r.center().x(), r.bottom() + 30));
    }
    std::vector<int> Ids()
    {
        std::vector<int> ids;
        const CCellRowList& rows = Child()->Editor().Rows();
        for (int r = 0; r < rows.GetCount(); ++r)
            ids.push_back(rows.GetCell(r)->AutoIntervalSec);
        return ids;
    }

    std::unique_ptr<CAppUnderTest> app;
    bool active = false;
};

} // namespace

TEST(EndToEnd, RightClickEscapeThenADragFromTheLastRowMovesOnlyThatRow)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs a real X server: xvfb-run -a env ZELM_TEST_PLATFORM=xcb";
    CXTestInput input;
    if (!input.IsAvailable())
        GTEST_SKIP() << "the X server has no XTest extension";
    XProject p;
    ASSERT_NE(p.Child(), nullptr);
    ASSERT_TRUE(p.active);

    Script s;
    s.Then("right press on row 1", [&] {
        input.MoveTo(p.RowAt(0));
        input.Press(3);
    });
    s.Add(
        "menu", [] { return QApplication::activePopupWidget() != nullptr; },
        [&] {
            input.Release(3);
            input.Key("Escape");
        });
    s.Add(
        "menu gone", [] { return QApplication::activePopupWidget() == nullptr; },
        [&] {
            input.MoveTo(p.RowAt(2));
            input.Press();
        });
    s.Then("drag", [&] { input.DragTo(p.RowAt(2) + QPoint(0, 10), 2); });
    s.Then("below the rows", [&] { input.DragTo(p.BelowRows(), 6); });
    s.Then("drop", [&] { input.Release(); });
    s.Add(
        "settled", [&] { return !p.Child()->IsBusy(); }, [] {});
    ASSERT_EQ(s.Run(), "");
    EXPECT_EQ(p.Ids(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(p.Child()->View()->ListBox()->IsTracking());

    // Escape during a drag: the drag is called off, the rows stay, and the
    // next click acts.
    Script escape;
    escape.Then("press on row 2", [&] {
        input.MoveTo(p.RowAt(1));
        input.Press();
    });
    escape.Then("drag", [&] { input.DragTo(p.RowAt(1) + QPoint(0, 12), 3); });
    escape.Then("over row 3", [&] { input.DragTo(p.RowAt(2), 4); });
    escape.Then("escape", [&] { input.Key("Escape"); });
    escape.Then("release", [&] { input.Release(); });
    escape.Add(
        "settled", [&] { return !p.Child()->IsBusy(); }, [&] { input.Click(p.RowAt(0)); });
    escape.Add(
        "clicked", [&] { return p.Child()->Editor().Rows().SelectedRows() == std::vector<int>{0}; },
        [] {});
    ASSERT_EQ(escape.Run(5000), "");
    EXPECT_EQ(p.Ids(), (std::vector<int>{1, 2, 3}));

    // A click outside the menu closes it (on X11 that click goes no
    // further); the next click acts.
    Script outside;
    outside.Then("right press on row 3", [&] {
        input.MoveTo(p.RowAt(2));
        input.Press(3);
        input.Release(3);
    });
    outside.Add(
        "menu", [] { return QApplication::activePopupWidget() != nullptr; },
        [&] {
            // Row 1's left end lies outside a menu that opens down and right.
            input.Click(QPoint(p.Rows()->mapToGlobal(QPoint(6, 0)).x(), p.RowAt(0).y()));
        });
    outside.Add(
        "menu closed", [] { return !QApplication::activePopupWidget(); },
        [&] { input.Click(p.RowAt(0)); });
    outside.Add(
        "row 1 selected",
        [&] {
            return !QApplication::activePopupWidget() &&
                   p.Child()->Editor().Rows().SelectedRows() == std::vector<int>{0};
        },
        [] {});
    ASSERT_EQ(outside.Run(5000), "");
    EXPECT_FALSE(p.Child()->View()->ListBox()->IsTracking());
}

namespace {

// A file of the browser's list, found by name and brought into view; its
// centre on the screen, or a null point while it is not listed yet.
QPoint ListedFile(CFileListCtrl* files, const QString& name)
{
    QAbstractItemView* view = files->CurrentView();
    const QModelIndexList found = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole,
                                                       name, 1, Qt::MatchExactly);
    if (found.isEmpty())
        return {};
    view->scrollTo(found.front());
    return GlobalCenter(view->viewport(), view->visualRect(found.front()));
}

QString Photo(const QString& name, QColor colour)
{
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(colour);
    const QString path = QDir::homePath() + QLatin1Char('/') + name;
    photo.save(path, "JPEG");
    return path;
}

} // namespace

// The ways a newcomer adds slides without a drag, by the X server's input:
// Add Slides (Ctrl+I) with its file dialog, Ctrl+C in the Files pane and
// Ctrl+V in the project, Enter on a file; a batch with one bad file asks
// once and inserts the others; the help opens in the program's own window
// where no browser takes it.
TEST(EndToEnd, SlidesAddedByMenuPasteAndEnterAndHelpWithoutABrowser)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs a real X server: xvfb-run -a env ZELM_TEST_PLATFORM=xcb";
    CXTestInput input;
    if (!input.IsAvailable())
        GTEST_SKIP() << "the X server has no XTest extension";
    const QString byMenu = Photo(QStringLiteral("bymenu.jpg"), Qt::red);
    Photo(QStringLiteral("copied.jpg"), Qt::green);
    Photo(QStringLiteral("entered.jpg"), Qt::blue);
    {
        QFile fake(QDir::homePath() + QStringLiteral("/fake.png"));
        ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
        fake.write("text saved as a picture");
    }
    XProject p;
    ASSERT_NE(p.Child(), nullptr);
    ASSERT_TRUE(p.active);
    CMainFrame& frame = p.app->Frame();
    CFileListCtrl* files = frame.Browser()->FileBar()->List();
    const auto rows = [&] { return p.Child()->Editor().Rows().GetCount(); };
    const auto source = [&](int row) {
        const auto* cell =
            dynamic_cast<const CCellBmpInfo*>(p.Child()->Editor().Rows().GetCell(row));
        return cell ? QFileInfo(QString::fromStdString(cell->RefFilePath)).fileName() : QString();
    };
    const auto idle = [&] {
        if (p.Child()->IsBusy() || ModalOf("QDialog"))
            return false;
        if (QApplication::activeWindow() != &frame)
            frame.activateWindow();
        return QApplication::activeWindow() == &frame;
    };
    QPoint at;

    Script s;
    // 1. Slide > Add Slides... by its key, the file typed in its dialog.
    s.Then("focus the rows", [&] { input.Click(p.BelowRows()); });
    s.Then("add slides", [&] { input.Key("i", {"Control_L"}); });
    s.Add(
        "add slides dialog", [] { return ModalOf("CAddSlidesDlg") != nullptr; },
        [&] {
            // The photo chosen and the dialog accepted (without a window
            // manager the dialog does not get the X server's keyboard).
            QDialog* dialog = ModalOf("CAddSlidesDlg");
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(byMenu);
            dialog->accept();
        });
    s.Add(
        "added by the menu", [&] { return rows() == 4 && idle(); },
        [&] { at = ListedFile(files, QStringLiteral("copied.jpg")); });
    // 2. Copied in the Files pane, pasted before row 1.
    s.Add(
        "copied.jpg listed",
        [&] { return !(at = ListedFile(files, QStringLiteral("copied.jpg"))).isNull(); },
        [&] { input.Click(at); });
    s.Then("copy", [&] { input.Key("c", {"Control_L"}); });
    s.Then("row 1", [&] { input.Click(p.RowAt(0)); });
    s.Then("paste", [&] { input.Key("v", {"Control_L"}); });
    s.Add(
        "pasted", [&] { return rows() == 5 && idle(); },
        [&] { at = ListedFile(files, QStringLiteral("entered.jpg")); });
    // 3. Enter on a file of the Files pane.
    s.Add(
        "entered.jpg listed",
        [&] { return !(at = ListedFile(files, QStringLiteral("entered.jpg"))).isNull(); },
        [&] { input.Click(at); });
    s.Then("enter", [&] { input.Key("Return"); });
    s.Add(
        "entered", [&] { return rows() == 6 && idle(); },
        [&] { at = ListedFile(files, QStringLiteral("fake.png")); });
    // 4. A batch with a bad file: fake.png and copied.jpg, Enter; the one
    // question is answered Yes by the test's prompt.
    s.Add(
        "fake.png listed",
        [&] { return !(at = ListedFile(files, QStringLiteral("fake.png"))).isNull(); },
        [&] { input.Click(at); });
    s.Add(
        "fake.png selected", [&] { return files->SelectedRows().size() == 1; },
        [&] {
            // The second file joins the selection (as a Ctrl+click adds it).
            QAbstractItemView* view = files->CurrentView();
            const QModelIndexList found =
                view->model()->match(view->model()->index(0, 0), Qt::DisplayRole,
                                     QStringLiteral("copied.jpg"), 1, Qt::MatchExactly);
            view->selectionModel()->select(found.front(), QItemSelectionModel::Select);
            input.Key("Return");
        });
    s.Add(
        "batch", [&] { return rows() == 7 && idle(); },
        [&] {
            frame.SetHelpOpener({QStringLiteral("sh"), QStringLiteral("-c"),
                                 QStringLiteral("exit 3"), QStringLiteral("xdg-open")});
            input.Key("F1");
        });
    // 5. No browser takes the help: the program's own window shows it.
    s.Add(
        "help window",
        [&] {
            auto* help = frame.findChild<CHelpWnd*>();
            return help && help->isVisible();
        },
        [] {});
    const std::string stuck = s.Run(60000);
    for (const auto& shown : p.app->prompt.shown)
        std::fprintf(stderr, "[ told %d: %s ]\n", shown.id, shown.text.c_str());
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_EQ(stuck, "") << "stopped at: " << stuck << " with " << rows() << " rows, modal "
                         << (modal ? modal->metaObject()->className() : "none") << ", busy "
                         << p.Child()->IsBusy();

    // By the menu at the end (no row had the focus): after the last step.
    int byMenuRow = -1;
    for (int r = 0; r < rows(); ++r)
        if (source(r) == QStringLiteral("bymenu.jpg"))
            byMenuRow = r;
    ASSERT_GT(byMenuRow, 0);
    EXPECT_EQ(p.Child()->Editor().Rows().GetCell(byMenuRow - 1)->AutoIntervalSec, 3);
    EXPECT_EQ(source(0), QStringLiteral("copied.jpg")) << "before the selected row";
    const std::vector<int> asked = p.app->prompt.Ids();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), MsgId::BatchSomeUnusable), 1);
    bool batchCopied = false;
    for (int r = 0; r < rows(); ++r)
        batchCopied = batchCopied || (source(r) == QStringLiteral("copied.jpg") && r != 0);
    EXPECT_TRUE(batchCopied) << "the good file of the batch went in";
    for (int r = 0; r < rows(); ++r)
        EXPECT_NE(source(r), QStringLiteral("fake.png"));

    // The help window follows its links and goes back.
    auto* help = frame.findChild<CHelpWnd*>();
    ASSERT_NE(help, nullptr);
    EXPECT_FALSE(help->BackButton()->isEnabled());
    help->Browser()->setSource(QUrl(QStringLiteral("#adding")));
    EXPECT_TRUE(help->BackButton()->isEnabled());
    QTest::mouseClick(help->BackButton(), Qt::LeftButton);
    EXPECT_TRUE(help->ForwardButton()->isEnabled());
    EXPECT_TRUE(help->Browser()->toPlainText().contains(QStringLiteral("Add Slides")));
    help->close();
}
