// The main frame through its real widgets: the Open command's checks, the
// unsaved-project questions when the window closes, drops from the desktop,
// help, the splash and the about box.
#include "apptesting.h"
#include "base/msgid.h"
#include "document/zurdoc.h"
#include "gui/app/aboutdlg.h"
#include "gui/app/childframe.h"
#include "gui/app/helpwnd.h"
#include "gui/app/mainframe.h"
#include "gui/app/splashwnd.h"
#include "gui/app/vantorelapp.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/deletedlg.h"
#include "gui/dialogs/dialogtestutil.h"
#include "gui/view/celllistbox.h"
#include "gui/view/scenarioview.h"
#include "presentation/testpackages.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

constexpr int kUnexpectedFormat = MsgId::FileFormatUnexpected;
constexpr int kAskToSave = MsgId::AskToSave;

class MainFrame : public ::testing::Test
{
protected:
    void SetUp() override { ClearSettings(); }
};

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Answers the Open dialog with `path` once it is up.
void chooseInOpenDialog(const QString& path)
{
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

} // namespace

TEST_F(MainFrame, OpenRefusesAnotherExtensionAndTakesProjectsInAnyCase)
{
    const std::string project = MakeProject("Card");
    // The same project file under a name in capitals.
    const QString upper = QFileInfo(q(project)).absolutePath() + QStringLiteral("/CARD2.SIC");
    ASSERT_TRUE(QFile::copy(q(project), upper));
    const QString scenario = QFileInfo(q(project)).absolutePath() + QStringLiteral("/SHOW.SIT");
    QFile(scenario).open(QIODevice::WriteOnly);

    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    QAction* open = app.Frame().Action(FrameCommand::FileOpen);
    ASSERT_NE(open, nullptr);

    chooseInOpenDialog(scenario);
    open->trigger();
    ASSERT_EQ(app.prompt.shown.size(), 1u);
    EXPECT_EQ(app.prompt.shown[0].id, kUnexpectedFormat);
    EXPECT_NE(app.prompt.shown[0].text.find("SHOW.SIT"), std::string::npos);
    EXPECT_TRUE(app.Frame().ChildFrames().isEmpty());

    chooseInOpenDialog(upper);
    open->trigger();
    EXPECT_EQ(app.prompt.shown.size(), 1u);
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    EXPECT_EQ(QFileInfo(q(app.Frame().ChildFrames()[0]->PathName())).fileName(),
              QStringLiteral("CARD2.SIC"));
    // It joins the recent files.
    ASSERT_FALSE(app.Frame().RecentFiles().Files().isEmpty());
    EXPECT_EQ(QFileInfo(app.Frame().RecentFiles().Files()[0]).fileName(),
              QStringLiteral("CARD2.SIC"));
}

TEST_F(MainFrame, ClosingWithTwoModifiedProjectsAsksForEachAndCancelKeepsTheWindow)
{
    const std::string first = MakeProject("One");
    const std::string second = MakeProject("Two");
    CAppUnderTest app({q(first)});
    ASSERT_TRUE(app.Started());
    ASSERT_NE(app.Frame().OpenDocumentFile(q(second)), nullptr);
    ASSERT_EQ(app.Frame().ChildFrames().size(), 2);
    for (CChildFrame* child : app.Frame().ChildFrames())
        child->Document().SetModifiedFlag(true);

    app.prompt.answers = {CUserPrompt::AnswerNo, CUserPrompt::AnswerCancel};
    EXPECT_FALSE(app.Frame().close());
    ASSERT_EQ(app.prompt.shown.size(), 2u);
    EXPECT_EQ(app.prompt.shown[0].id, kAskToSave);
    EXPECT_EQ(app.prompt.shown[1].id, kAskToSave);
    EXPECT_NE(app.prompt.shown[0].text.find("One.sic"), std::string::npos);
    EXPECT_NE(app.prompt.shown[1].text.find("Two.sic"), std::string::npos);
    EXPECT_TRUE(app.Frame().isVisible());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 2);
    // Nothing was given up: both still hold their changes.
    for (CChildFrame* child : app.Frame().ChildFrames())
        EXPECT_TRUE(child->Document().IsModified());

    // Saving one and dropping the other's changes lets the window close.
    app.prompt.shown.clear();
    app.prompt.answers = {CUserPrompt::AnswerNo, CUserPrompt::AnswerYes};
    EXPECT_TRUE(app.Frame().close());
    EXPECT_EQ(app.prompt.shown.size(), 2u);
    EXPECT_FALSE(app.Frame().isVisible());
}

TEST_F(MainFrame, ACloseWhileAProjectOpensIsCarriedOutAfterwards)
{
    // A project of an earlier version asks before it is converted: the
    // window is closed while that question is up.
    const QString folder = QDir::home().filePath(QStringLiteral("Earlier"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString project = folder + QStringLiteral("/Earlier.sic");
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Project]\nProjectName=Earlier\nProjectPath=/old/\nVersion=1\n[Slides]\n");
    file.close();

    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    bool closedMeanwhile = true;
    app.prompt.onShow = [&](int id) {
        if (id == MsgId::AskUpgradeProject)
            closedMeanwhile = app.Frame().close();
    };
    app.prompt.answers = {CUserPrompt::AnswerCancel};
    EXPECT_EQ(app.Frame().OpenDocumentFile(project), nullptr);
    app.prompt.onShow = nullptr;
    EXPECT_FALSE(closedMeanwhile) << "not while the project is being opened";
    EXPECT_TRUE(app.Frame().isVisible());
    // Once the opening has ended, the close is carried out, not dropped.
    for (int i = 0; i < 50 && app.Frame().isVisible(); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(app.Frame().isVisible());
}

TEST_F(MainFrame, FilesDroppedFromTheDesktopOpenByTheirKind)
{
    const std::string project = MakeProject("Drop");
    const QString text = QFileInfo(q(project)).absolutePath() + QStringLiteral("/readme.txt");
    QFile(text).open(QIODevice::WriteOnly);
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(q(project)), QUrl::fromLocalFile(text)});
    // As the desktop does it: the drag enters the window, then drops.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app.Frame(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app.Frame(), &drop);
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    EXPECT_EQ(app.Frame().ChildFrames()[0]->PathName(), project);
    EXPECT_TRUE(app.prompt.shown.empty());
}

// A drop the project's rows refuse is told once, with its reason, and the
// window around them does not make a project of it as well.
TEST_F(MainFrame, AFileTheRowsRefuseIsToldOnceAndNotOpenedAsWell)
{
    const std::string project = MakeProject("Rows");
    const std::string bomb = QFileInfo(q(project)).absolutePath().toStdString() + "/bomb.pptx";
    ASSERT_TRUE(testpackages::WriteZip(bomb, testpackages::Pptx({testpackages::EntityBomb()})));
    CAppUnderTest app({q(project)});
    ASSERT_TRUE(app.Started());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    QWidget* rows = app.Frame().ChildFrames()[0]->View()->ListBox()->viewport();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(bomb))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rows, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rows, &drop);
    EXPECT_EQ(app.prompt.Ids(), std::vector<int>{MsgId::PresentationDamaged});
    EXPECT_EQ(app.Frame().ChildFrames().size(), 1) << "no new project was made from it";
    EXPECT_TRUE(!drop.isAccepted() || drop.dropAction() == Qt::IgnoreAction);
}

namespace {

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

TEST_F(MainFrame, HelpOpensTheHtmlHelp)
{
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    ASSERT_FALSE(CMainFrame::HelpFile().isEmpty()) << "the build copies docs/help";
    // The desktop's opener, which takes the page (exit status 0): it is
    // handed the page, and the program opens no window of its own.
    const QString asked = QDir::homePath() + QStringLiteral("/opened.txt");
    app.Frame().SetHelpOpener({QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("printf '%s' \"$1\" > \"$0\""), asked});
    app.Frame().Action(FrameCommand::HelpFinder)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(asked), 10000);
    QTest::qWait(300);
    QFile file(asked);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QUrl(QString::fromUtf8(file.readAll()))
                    .toLocalFile()
                    .endsWith(QStringLiteral("help/index.html")));
    EXPECT_EQ(app.Frame().findChild<CHelpWnd*>(), nullptr);
    EXPECT_TRUE(app.prompt.shown.empty());
}

TEST_F(MainFrame, ActionsCarryTheirCommandNumbersAndNames)
{
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    for (int command :
         {57600, 57601, 57602, 57603, 57604, 57606, 57607, 57609, 57664, 57665, 57667, 57643,
          57632, 57634, 57635, 57637, 57642, 59392, 59393, 59397, 59398, 32771, 32783, 32784}) {
        QAction* action = app.Frame().Action(command);
        ASSERT_NE(action, nullptr) << command;
        EXPECT_EQ(action->data().toInt(), command);
        EXPECT_FALSE(action->text().isEmpty()) << command;
    }
    // Nothing to save or close without a project.
    EXPECT_FALSE(app.Frame().Action(FrameCommand::FileSave)->isEnabled());
    EXPECT_FALSE(app.Frame().Action(FrameCommand::FileClose)->isEnabled());
    EXPECT_TRUE(app.Frame().property("headerFont").value<QFont>().bold());
    EXPECT_EQ(app.Frame().property("controlCellPicture").value<QImage>().size(), QSize(160, 120));
}

TEST_F(MainFrame, SplashGoesAtAKeyThatDoesNotReachTheWindow)
{
    CAppUnderTest app({}, true);
    ASSERT_TRUE(app.Started());
    // Start-up waited for the splash to go (three ticks): show one again.
    CSplashWnd::ShowSplashScreen(&app.Frame());
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    QTest::keyClick(&app.Frame(), Qt::Key_A);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen(&app.Frame());
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    CSplashWnd::EnableSplashScreen(true);
}

TEST_F(MainFrame, AboutBoxNamesTheVersionAndLibraries)
{
    CAboutDlg about;
    const QLabel* libraries = about.findChild<QLabel*>(QStringLiteral("libraries"));
    ASSERT_NE(libraries, nullptr);
    EXPECT_TRUE(libraries->text().contains(QStringLiteral("Qt ")));
    EXPECT_TRUE(libraries->text().contains(QStringLiteral("poppler ")));
    EXPECT_TRUE(libraries->text().contains(QStringLiteral("libgsf ")));
    EXPECT_TRUE(libraries->text().contains(QStringLiteral("LibreOffice: ")));
}

#include "mainframe_test.moc"

TEST_F(MainFrame, TheCardUsedLastIsOfferedAgainAfterARestart)
{
    QTemporaryDir dir;
    const QString card = dir.path() + QStringLiteral("/card/");
    ASSERT_TRUE(QDir().mkpath(card));
    QFile(card + QStringLiteral("TRIP.SIT")).open(QIODevice::WriteOnly);
    // What the card commands offer first, each answered with Cancel.
    const auto offered = [](CAppUnderTest& app, int command) {
        std::string root = "(no dialog)";
        AnswerNextModal([&root](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog))
                root = files->directory().absolutePath().toStdString() + "/";
            else if (auto* cards = dialog.findChild<CCardComboBox*>())
                root = cards->Root();
            dialog.reject();
        });
        app.Frame().Action(command)->trigger();
        return root;
    };
    {
        CAppUnderTest app;
        ASSERT_TRUE(app.Started());
        EXPECT_EQ(app.Frame().LastCard(), "");
        // Delete scenarios on the card folder, nothing ticked.
        AnswerNextModal([&card](QDialog& dialog) {
            auto* cards = dialog.findChild<CCardComboBox*>();
            ASSERT_NE(cards, nullptr);
            cards->SelectRoot(card.toStdString());
            Press(dialog);
        });
        app.Frame().Action(FrameCommand::CardDeleteScenarios)->trigger();
        EXPECT_EQ(app.Frame().LastCard(), card.toStdString());
    }
    CAppUnderTest again;
    ASSERT_TRUE(again.Started());
    EXPECT_EQ(again.Frame().LastCard(), card.toStdString());
    for (int command : {FrameCommand::CardDeleteScenarios, FrameCommand::CardEditAutorun,
                        FrameCommand::CardPlayScenario})
        EXPECT_EQ(offered(again, command), card.toStdString()) << command;

    // A card that has gone is not offered, also not to the player.
    ASSERT_TRUE(QDir(card).removeRecursively());
    EXPECT_EQ(offered(again, FrameCommand::CardDeleteScenarios), "");
    EXPECT_NE(offered(again, FrameCommand::CardPlayScenario), card.toStdString());
    ClearSettings();
}
