// The show started as `zelm-tessara --play` on a real X server, and the
// pictures of the player for people to look at.
#include "gui/app/vantorelapp.h"
#include "gui/player/playerwnd.h"
#include "playertesting.h"
#include "show/transition.h"
#include "support/scriptedprompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

CPlayerWnd* runningPlayer()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* player = qobject_cast<CPlayerWnd*>(window); player && player->isVisible())
            return player;
    }
    return nullptr;
}

QString shotsDir()
{
    return QString::fromLocal8Bit(qgetenv("ZELM_SCREENSHOTS_DIR"));
}

} // namespace

// Three solid slides appear on the screen in order as the user goes on, and
// Escape ends the show and the program's run.
TEST(PlayWindow, PlaysThreeSlidesInOrderOnTheScreenAndEscapeEnds)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X display to play on";
        // This program runs offscreen: the test runs again in a child on the
        // X server (the shared test start keeps xcb when a screenshot
        // folder is named).
        QTemporaryDir shots(QDir::tempPath() + QStringLiteral("/zelm-play-XXXXXX"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("ZELM_SCREENSHOTS_DIR"), shots.path());
        // The session-bus library may keep one buffer to the end
        // of the process; that is not ours to free.
        QFile suppressions(shots.path() + QStringLiteral("/lsan.supp"));
        if (suppressions.open(QIODevice::WriteOnly))
            suppressions.write("leak:libdbus-1.so\n");
        suppressions.close();
        env.insert(QStringLiteral("LSAN_OPTIONS"),
                   QStringLiteral("suppressions=") + suppressions.fileName());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=PlayWindow.*")});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        if (output.contains(QStringLiteral("could not connect to display")))
            GTEST_SKIP() << "the X display does not answer";
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
        return;
    }

    const std::vector<QColor> colours{Qt::red, Qt::green, Qt::blue};
    CSolidShow show(colours);
    std::vector<QRgb> seen;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        CPlayerWnd* player = runningPlayer();
        if (!player || !player->windowHandle() || !player->windowHandle()->isExposed())
            return;
        QScreen* screen = player->screen();
        const QRect area = screen->geometry();
        const QImage shot =
            screen->grabWindow(0, area.center().x() - 2, area.center().y() - 2, 4, 4).toImage();
        if (shot.isNull())
            return;
        const QRgb colour = shot.pixel(1, 1) | 0xFF000000;
        if (!seen.empty() && seen.back() == colour)
            return;
        seen.push_back(colour);
        QTest::keyClick(player, seen.size() < colours.size() ? Qt::Key_Right : Qt::Key_Escape);
    });
    watch.start();
    CVantorelApp::Options options;
    options.registerFileTypes = false;
    CVantorelApp app(options);
    CScriptedPrompt prompt;
    app.SetPrompt(&prompt);
    QTimer::singleShot(30000, [] {
        if (CPlayerWnd* player = runningPlayer())
            player->close(); // a show that does not end fails, it does not hang
    });
    const bool windowProgram =
        app.InitInstance({QStringLiteral("zelm-tessara"), QStringLiteral("--play"),
                          QString::fromStdString(show.path)});
    watch.stop();
    EXPECT_FALSE(windowProgram); // the program ends with the show
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_TRUE(prompt.shown.empty());
    ASSERT_EQ(seen.size(), colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
        EXPECT_EQ(seen[i], colours[i].rgb()) << i;
}

// A frame caught half way through a transition, and the overlay.
TEST(Screenshots, PlayerTransitionAndOverlay)
{
    if (shotsDir().isEmpty())
        GTEST_SKIP() << "run by scripts/screenshots.sh";
    CSolidShow show({QColor(40, 90, 160), QColor(230, 170, 40), QColor(60, 160, 80)},
                    CTransition::CircleOut);
    auto sequence = std::make_unique<CShowSequence>();
    ASSERT_TRUE(sequence->FromPath(show.path));
    CPlayerWnd player(std::move(sequence), 0);
    ASSERT_TRUE(player.Start(nullptr, true));
    player.setGeometry(40, 40, 800, 600);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    QTest::keyClick(&player, Qt::Key_Right);
    player.FreezeTransition(0.5);
    QTest::qWait(300);
    QDir().mkpath(shotsDir());
    EXPECT_TRUE(player.grab().save(shotsDir() + QStringLiteral("/player-transition.png")));
    player.FreezeTransition(1.0);
    QTest::keyClick(&player, Qt::Key_I);
    QTest::qWait(300);
    EXPECT_TRUE(player.grab().save(shotsDir() + QStringLiteral("/player-overlay.png")));
}
