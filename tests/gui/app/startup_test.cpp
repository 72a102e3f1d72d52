// Start-up of the window program: one instance per user, the open command of
// a later start, the file on the command line, and what survives a restart.
#include "apptesting.h"
#include "base/appfolders.h"
#include "base/msgid.h"
#include "document/projectlock.h"
#include "document/zurdoc.h"
#include "editor/cellrowlist.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"
#include "gui/app/childframe.h"
#include "gui/app/mainframe.h"
#include "gui/app/singleinstance.h"
#include "gui/app/vantorelapp.h"
#include "gui/view/scenarioview.h"
#include "presentation/presentationfixtures.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMdiArea>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QSysInfo>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

class StartUp : public ::testing::Test
{
protected:
    void SetUp() override { ClearSettings(); }
};

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

TEST_F(StartUp, WithoutAFileNoProjectIsOpen)
{
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    EXPECT_TRUE(app.Frame().isVisible());
    EXPECT_TRUE(app.Frame().ChildFrames().isEmpty());
    EXPECT_TRUE(app.App().WaitingCommands().isEmpty());
}

TEST_F(StartUp, FileOfAnotherKindOpensNothingAndSaysNothing)
{
    const QString other = q(CAppFolders::HomeFolder()) + QStringLiteral("notes.txt");
    QFile(other).open(QIODevice::WriteOnly);
    CAppUnderTest app({other});
    ASSERT_TRUE(app.Started());
    EXPECT_TRUE(app.Frame().ChildFrames().isEmpty());
    EXPECT_TRUE(app.prompt.shown.empty());
}

TEST_F(StartUp, ProjectOnTheCommandLineIsOpened)
{
    const std::string project = MakeProject("Trip");
    ASSERT_FALSE(project.empty());
    CAppUnderTest app({q(project)});
    ASSERT_TRUE(app.Started());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    EXPECT_EQ(app.Frame().ChildFrames()[0]->PathName(), project);
    EXPECT_EQ(app.Frame().ChildFrames()[0]->windowTitle().remove(QStringLiteral("[*]")),
              QStringLiteral("Trip"));
    EXPECT_NE(app.Frame().ChildFrames()[0]->View(), nullptr);
    // The window holds the project against other programs while it is open.
    EXPECT_TRUE(CProjectLock::IsLocked(project));
    app.Frame().ChildFrames()[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(CProjectLock::IsLocked(project));
}

TEST_F(StartUp, ProjectThatAnotherProgramChangesIsNotOpened)
{
    const std::string project = MakeProject("Busy");
    CProjectLock other;
    ASSERT_TRUE(other.Acquire(project, 0));
    CAppUnderTest app({q(project)});
    ASSERT_TRUE(app.Started());
    EXPECT_TRUE(app.Frame().ChildFrames().isEmpty());
    ASSERT_EQ(app.prompt.shown.size(), 1u);
    EXPECT_EQ(app.prompt.shown[0].id, MsgId::ProjectLocked);
    EXPECT_NE(app.prompt.shown[0].text.find("Busy"), std::string::npos);
}

TEST_F(StartUp, SecondStartWithProjectsOpensThemInTheFirst)
{
    const std::string first = MakeProject("Second");
    const std::string second = MakeProject("Third");
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    // As from a terminal or a file manager without --shell-open.
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--no-splash"), q(first), q(second)}), 0);
    ASSERT_EQ(app.Frame().ChildFrames().size(), 2);
    EXPECT_EQ(app.Frame().ChildFrames()[0]->PathName(), first);
    EXPECT_EQ(app.Frame().ChildFrames()[1]->PathName(), second);
    // The first still owns the instance: a start without files only brings
    // it to the front.
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--no-splash")}), 0);
    EXPECT_EQ(app.Frame().ChildFrames().size(), 2);
    EXPECT_TRUE(app.Frame().isVisible());
}

TEST_F(StartUp, ShellOpenOpensTheFileInTheFirstInstance)
{
    const std::string project = MakeProject("Shell");
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--shell-open"), q(project)}), 0);
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    EXPECT_EQ(app.Frame().ChildFrames()[0]->PathName(), project);
    // The same file again brings up its window instead of a second one.
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--shell-open"), q(project)}), 0);
    EXPECT_EQ(app.Frame().ChildFrames().size(), 1);
}

TEST_F(StartUp, HandedOverProjectWithAMessageKeepsTheUnsavedWork)
{
    const std::string changed = MakeProject("Changed");
    // A project that opens with "... opened without some of its slides".
    const std::string folder = CAppFolders::HomeFolder() + "Other/";
    QDir().mkpath(q(folder));
    {
        QFile file(q(folder + "Other.sic"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Project]\nProjectName=Other\nProjectPath=/x/\nVersion=2\n[Slides]\n"
                   "Control\nInputDev=1\nSlide\nFileName=gone.png\nThumbFileName=gone.jpg\n");
    }
    CAppUnderTest app({q(changed)});
    ASSERT_TRUE(app.Started());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    CZurDoc& work = app.Frame().ChildFrames()[0]->Document();
    work.SetModifiedFlag(true);
    // The message is a real modal box, answered with Enter after the
    // sending program has ended and hung up.
    bool answered = false;
    app.prompt.onShow = [&answered](int id) {
        if (id != MsgId::CellsLeftOut)
            return;
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Zelm Tessara"),
                        QStringLiteral("opened without some of its slides"), QMessageBox::Ok);
        QTimer::singleShot(1500, &box, [&box, &answered] {
            QTest::keyClick(&box, Qt::Key_Return);
            answered = true;
        });
        box.exec();
    };
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--no-splash"), q(folder + "Other.sic")}), 0);
    for (int i = 0; i < 100 && !answered; ++i)
        QTest::qWait(50);
    QTest::qWait(200);
    ASSERT_TRUE(answered);
    ASSERT_EQ(app.Frame().ChildFrames().size(), 2);
    EXPECT_TRUE(work.IsModified());
    EXPECT_EQ(app.Frame().ChildFrames()[1]->Document().CellsLeftOut(), 1);
    // The instance still answers the next start.
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--no-splash")}), 0);
    app.prompt.onShow = nullptr;
}

TEST_F(StartUp, OpenCommandDuringStartUpWaitsAndIsCarriedOut)
{
    const std::string early = MakeProject("Early");
    const std::string onLine = MakeProject("OnLine");
    // A command that arrives before the window is up is kept, not dropped,
    // also when the start itself opens another file...
    CAppUnderTest app({q(onLine)}, [&early](CVantorelApp& starting) {
        EXPECT_TRUE(starting.OnDdeCommand(CSingleInstance::OpenCommand(q(early))));
        EXPECT_EQ(starting.WaitingCommands().size(), 1);
    });
    ASSERT_TRUE(app.Started());
    // ...and carried out once it is.
    EXPECT_TRUE(app.App().WaitingCommands().isEmpty());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 2);
    EXPECT_EQ(app.Frame().ChildFrames()[0]->PathName(), onLine);
    EXPECT_EQ(app.Frame().ChildFrames()[1]->PathName(), early);
    // After start-up every command is carried out at once.
    EXPECT_TRUE(app.App().OnDdeCommand(CSingleInstance::OpenCommand(q(early))));
    EXPECT_EQ(app.Frame().ChildFrames().size(), 2);
}

TEST_F(StartUp, OpenCommandsReadBack)
{
    QString path;
    ASSERT_TRUE(CSingleInstance::ParseOpenCommand(
        CSingleInstance::OpenCommand(QStringLiteral("/a b/\"x\".sic")), path));
    EXPECT_EQ(path, QStringLiteral("/a b/\"x\".sic"));
    EXPECT_FALSE(CSingleInstance::ParseOpenCommand(QStringLiteral("[print(\"/x\")]"), path));
    EXPECT_FALSE(CSingleInstance::ParseOpenCommand(QStringLiteral("[open(\"\")]"), path));
}

TEST_F(StartUp, StaleLockFileDoesNotBlockAStart)
{
    // A lock left by a program that has ended (its process is gone).
    QProcess gone;
    gone.start(QStringLiteral("true"));
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    CSingleInstance probe;
    {
        QFile lock(probe.LockPath());
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\nzelm-tessara\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    // And the socket file of the crashed program.
    QFile(probe.SocketPath()).open(QIODevice::WriteOnly);
    CAppUnderTest app;
    EXPECT_TRUE(app.Started());
    // The new instance answers a later start.
    EXPECT_EQ(RunSecondInstance({QStringLiteral("--no-splash")}), 0);
}

TEST_F(StartUp, DamagedSettingsFileStartsNormally)
{
    {
        QSettings settings;
        const QString path = settings.fileName();
        settings.clear();
        settings.sync();
        // A fresh home has no settings folder yet.
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings\nwp.left=\xff\xfe\nZURBar=@ByteArray(\\0\\0garbage)\n=\n");
    }
    CAppUnderTest app;
    EXPECT_TRUE(app.Started());
    EXPECT_TRUE(app.Frame().isVisible());
}

TEST_F(StartUp, PlacementAndLayoutSurviveARestart)
{
    const QRect placed(40, 50, 700, 500);
    {
        CAppUnderTest app;
        ASSERT_TRUE(app.Started());
        app.Frame().setGeometry(placed);
        auto* toolbar = app.Frame().findChild<QToolBar*>(QStringLiteral("toolbar"));
        ASSERT_NE(toolbar, nullptr);
        app.Frame().addToolBar(Qt::LeftToolBarArea, toolbar);
        ASSERT_TRUE(app.Frame().close());
    }
    CAppUnderTest again;
    ASSERT_TRUE(again.Started());
    EXPECT_EQ(again.Frame().geometry(), placed);
    auto* toolbar = again.Frame().findChild<QToolBar*>(QStringLiteral("toolbar"));
    EXPECT_EQ(again.Frame().toolBarArea(toolbar), Qt::LeftToolBarArea);
}

TEST_F(StartUp, PresentationOnTheCommandLineBecomesANamedProject)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    ASSERT_FALSE(deck.empty()) << "LibreOffice is needed to make the test deck";
    CAppUnderTest app({q(deck)});
    ASSERT_TRUE(app.Started());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1)
        << (app.prompt.shown.empty() ? std::string() : app.prompt.shown[0].text);
    CChildFrame* child = app.Frame().ChildFrames()[0];
    EXPECT_EQ(QFileInfo(q(child->PathName())).fileName(), QStringLiteral("ZUR0001.sic"));
    EXPECT_EQ(child->windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("ZUR0001"));
    EXPECT_TRUE(child->HoldsProjectLock());
    EXPECT_EQ(child->Editor().Rows().GetCount(), 6);
    // Each project window carries the program's icon, not the toolkit's.
    EXPECT_EQ(child->windowIcon().pixmap(32).toImage(),
              app.Frame().windowIcon().pixmap(32).toImage());
    EXPECT_FALSE(app.Frame().windowIcon().isNull());

    // Closed without saving, it leaves no folder and no recent project.
    const QString folder = QFileInfo(q(child->PathName())).absolutePath();
    const QString file = q(child->PathName());
    app.prompt.answers = {CUserPrompt::AnswerNo};
    child->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app.Frame().ChildFrames().isEmpty());
    EXPECT_EQ(app.prompt.Ids().back(), MsgId::AskToSave);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_FALSE(app.Frame().Action(FrameCommand::FileMru1)->isVisible())
        << "no recent project names it";
    QSettings settings;
    for (const QString& key : settings.allKeys())
        EXPECT_NE(settings.value(key).toString(), file) << key.toStdString();
}

TEST_F(StartUp, PresentationProjectSavedOnceStaysWhenClosed)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    ASSERT_FALSE(deck.empty()) << "LibreOffice is needed to make the test deck";
    CAppUnderTest app({q(deck)});
    ASSERT_TRUE(app.Started());
    ASSERT_EQ(app.Frame().ChildFrames().size(), 1);
    CChildFrame* child = app.Frame().ChildFrames()[0];
    const QString file = q(child->PathName());
    ASSERT_TRUE(child->Save());
    child->Editor().Rows().SetSel(0);
    child->View()->ExecuteCommand(EditorCommand::Delete);
    app.prompt.answers = {CUserPrompt::AnswerNo};
    child->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QFileInfo::exists(file)) << "saved by the user: it is a project like any other";
    EXPECT_TRUE(app.Frame().Action(FrameCommand::FileMru1)->isVisible());
}
