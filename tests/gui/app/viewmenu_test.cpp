// The View menu's greying, the layout that comes back after a restart, and
// the help shown inside the program when no browser takes it.
#include "apptesting.h"
#include "gui/app/helpwnd.h"
#include "gui/app/mainframe.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/folderdlgbar.h"

#include <QAction>
#include <QDir>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class ViewMenu : public ::testing::Test
{
protected:
    void SetUp() override { ClearSettings(); }
};

TEST_F(ViewMenu, RefreshAndListStylesFollowThePanesShown)
{
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    CBrowserPanes* browser = app.Frame().Browser();
    QAction* folders = app.Frame().Action(FrameCommand::ViewFolderBar);
    QAction* files = app.Frame().Action(FrameCommand::ViewFileBar);
    struct Case
    {
        bool folders, files, refresh, styles;
    };
    const Case cases[] = {
        {true, true, true, true},
        {true, false, true, false},
        {false, true, true, true},
        {false, false, false, false},
    };
    for (const Case& c : cases) {
        if (folders->isChecked() != c.folders)
            folders->trigger();
        if (files->isChecked() != c.files)
            files->trigger();
        SCOPED_TRACE(testing::Message() << "folders " << c.folders << " files " << c.files);
        EXPECT_EQ(browser->RefreshAction()->isEnabled(), c.refresh);
        for (QAction* style : browser->ViewActions())
            EXPECT_EQ(style->isEnabled(), c.styles);
    }
}

TEST_F(ViewMenu, TheWholeLayoutComesBackAfterARestart)
{
    const std::string folder = QDir::homePath().toStdString() + "/Pictures/Trip";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    {
        CAppUnderTest app;
        ASSERT_TRUE(app.Started());
        CMainFrame& frame = app.Frame();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.Browser()->CurrentFolder().empty(), 5000);
        ASSERT_TRUE(frame.Browser()->ShowFolder(folder));
        frame.Browser()->SetListViewMode(CFileListCtrl::Details);
        frame.Action(FrameCommand::ViewStatusBar)->trigger();
        frame.Action(FrameCommand::ViewToolbar)->trigger();
        frame.Action(FrameCommand::ViewFileBar)->trigger();
        ASSERT_TRUE(frame.close());
    }
    CAppUnderTest again;
    ASSERT_TRUE(again.Started());
    CMainFrame& frame = again.Frame();
    QTRY_COMPARE_WITH_TIMEOUT(frame.Browser()->CurrentFolder(), folder + "/", 5000);
    EXPECT_EQ(frame.Browser()->ListViewMode(), CFileListCtrl::Details);
    EXPECT_TRUE(frame.Browser()->ViewActions()[3]->isChecked()); // Details
    EXPECT_FALSE(frame.Action(FrameCommand::ViewStatusBar)->isChecked());
    EXPECT_FALSE(frame.statusBar()->isVisible());
    EXPECT_FALSE(frame.Action(FrameCommand::ViewToolbar)->isChecked());
    EXPECT_FALSE(frame.Action(FrameCommand::ViewFileBar)->isChecked());
    EXPECT_FALSE(frame.Browser()->ViewActions()[0]->isEnabled());
    EXPECT_TRUE(frame.Browser()->RefreshAction()->isEnabled());
}

TEST_F(ViewMenu, ALastFolderThatWentStartsAtItsNearestAncestor)
{
    const std::string folder = QDir::homePath().toStdString() + "/Gone/Deeper";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    {
        CAppUnderTest app;
        ASSERT_TRUE(app.Started());
        QTRY_VERIFY_WITH_TIMEOUT(!app.Frame().Browser()->CurrentFolder().empty(), 5000);
        ASSERT_TRUE(app.Frame().Browser()->ShowFolder(folder));
        ASSERT_TRUE(app.Frame().close());
    }
    ASSERT_TRUE(QDir(QString::fromStdString(folder)).removeRecursively());
    CAppUnderTest again;
    ASSERT_TRUE(again.Started());
    QTRY_COMPARE_WITH_TIMEOUT(again.Frame().Browser()->CurrentFolder(),
                              QDir::homePath().toStdString() + "/Gone/", 5000);
    EXPECT_TRUE(again.prompt.shown.empty());
}

TEST_F(ViewMenu, HelpWithoutABrowserIsShownInsideTheProgram)
{
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    ASSERT_FALSE(CMainFrame::HelpFile().isEmpty()) << "the build copies docs/help";
    QList<QUrl> asked;
    app.Frame().SetUrlOpener([&](const QUrl& url) {
        asked.append(url);
        return false; // no browser on this desktop
    });
    app.Frame().Action(FrameCommand::HelpFinder)->trigger();
    ASSERT_EQ(asked.size(), 1);
    auto* help = app.Frame().findChild<CHelpWnd*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->Browser()->toPlainText().trimmed().isEmpty());
    EXPECT_TRUE(help->Browser()->source().toLocalFile().endsWith(QStringLiteral("index.html")));
    EXPECT_TRUE(app.prompt.shown.empty());
    // Asked again: the same window, not a second one.
    app.Frame().Action(FrameCommand::HelpFinder)->trigger();
    EXPECT_EQ(app.Frame().findChildren<CHelpWnd*>().size(), 1);
    help->close();
}

} // namespace
