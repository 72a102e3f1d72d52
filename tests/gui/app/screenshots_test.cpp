// Pictures of the main window for people to look at: written only when
// scripts/screenshots.sh sets ZELM_SCREENSHOTS_DIR (it runs them under Xvfb).
#include "apptesting.h"
#include "gui/app/aboutdlg.h"
#include "gui/app/helpwnd.h"
#include "gui/app/mainframe.h"
#include "gui/app/splashwnd.h"
#include "gui/app/vantorelapp.h"
#include "gui/dialogs/addslidesdlg.h"
#include "presentation/presentationfixtures.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QString shotsDir()
{
    return QString::fromLocal8Bit(qgetenv("ZELM_SCREENSHOTS_DIR"));
}

// The window as the user sees it, with whatever lies over it.
bool save(QWidget& widget, const QString& name)
{
    QApplication::processEvents();
    QTest::qWait(300);
    QPixmap picture;
    if (QScreen* screen = widget.screen())
        picture =
            screen->grabWindow(0, widget.frameGeometry().x(), widget.frameGeometry().y(),
                               widget.frameGeometry().width(), widget.frameGeometry().height());
    if (picture.isNull() || picture.toImage().allGray())
        picture = widget.grab();
    QDir().mkpath(shotsDir());
    return picture.save(shotsDir() + QLatin1Char('/') + name + QStringLiteral(".png"));
}

class Screenshots : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (shotsDir().isEmpty())
            GTEST_SKIP() << "run by scripts/screenshots.sh";
        ClearSettings();
    }
};

} // namespace

TEST_F(Screenshots, MainWindow)
{
    CAppUnderTest app;
    ASSERT_TRUE(app.Started());
    app.Frame().setGeometry(40, 40, 1000, 680);
    EXPECT_TRUE(save(app.Frame(), QStringLiteral("main-window-empty")));

    // Two projects made from presentations, side by side.
    for (const char* deck : {"plain6", "custom6"}) {
        const std::string path = CPresentationFixtures::Path(deck);
        ASSERT_FALSE(path.empty());
        ASSERT_NE(app.Frame().OpenDocumentFile(QString::fromStdString(path)), nullptr);
    }
    app.Frame().MdiArea()->tileSubWindows();
    EXPECT_TRUE(save(app.Frame(), QStringLiteral("main-window-two-projects")));

    // Started without it, as the tests are; the picture is the same.
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(&app.Frame());
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    EXPECT_TRUE(save(*CSplashWnd::Current(), QStringLiteral("splash")));
    CSplashWnd::HideSplashScreen();

    CAboutDlg about(&app.Frame());
    about.show();
    EXPECT_TRUE(save(about, QStringLiteral("about")));
    about.close();

    // The help where no browser takes it, opened at its page on adding slides.
    app.Frame().SetUrlOpener([](const QUrl&) { return false; });
    app.Frame().Action(FrameCommand::HelpFinder)->trigger();
    auto* help = app.Frame().findChild<CHelpWnd*>();
    ASSERT_NE(help, nullptr);
    help->Browser()->setSource(QUrl(QStringLiteral("#adding")));
    EXPECT_TRUE(save(*help, QStringLiteral("help-window")));
    help->close();

    // Slide > Add Slides..., its dialog in the photos' folder.
    CAddSlidesDlg add(&app.Frame());
    add.setDirectory(QDir::homePath());
    add.resize(760, 480);
    add.show();
    EXPECT_TRUE(save(add, QStringLiteral("add-slides-dialog")));
    add.close();
    for (QMdiSubWindow* w : app.Frame().MdiArea()->subWindowList())
        w->close();
}
