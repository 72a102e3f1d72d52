#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "gui/player/playerwnd.h"
#include "gui/player/showlauncher.h"
#include "playertesting.h"
#include "show/showpictures.h"
#include "support/scriptedprompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<CShowSequence> load(const std::string& path)
{
    auto sequence = std::make_unique<CShowSequence>();
    EXPECT_TRUE(sequence->FromPath(path));
    return sequence;
}

QRgb centre(const CPlayerWnd& player)
{
    return player.Frame().pixel(512, 384);
}

} // namespace

// The keys of the player, pressed as a user presses them.
TEST(PlayerWnd, KeysAndClicksMoveThroughTheShow)
{
    CSolidShow show({Qt::red, Qt::green, Qt::blue, Qt::yellow});
    CPlayerWnd player(load(show.path), 0);
    ASSERT_TRUE(player.Start(nullptr, true));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    EXPECT_EQ(centre(player), QColor(Qt::red).rgb());
    EXPECT_EQ(
        player.accessibleName().toStdString(),
        CResourceBundle::Format(MsgId::ShowAccessibleSlide, "1", show.cells.GetAt(0)->GetLabel()));

    QTest::keyClick(&player, Qt::Key_Space);
    EXPECT_EQ(player.Player().Current(), 1);
    QTest::keyClick(&player, Qt::Key_Right);
    EXPECT_EQ(player.Player().Current(), 2);
    QTest::keyClick(&player, Qt::Key_Left);
    EXPECT_EQ(player.Player().Current(), 1);
    QTest::keyClick(&player, Qt::Key_PageDown);
    EXPECT_EQ(player.Player().Current(), 2);
    QTest::keyClick(&player, Qt::Key_PageUp);
    EXPECT_EQ(player.Player().Current(), 1);
    QTest::keyClick(&player, Qt::Key_End);
    EXPECT_EQ(player.Player().Current(), 3);
    EXPECT_EQ(centre(player), QColor(Qt::yellow).rgb()); // a jump draws no transition
    QTest::keyClick(&player, Qt::Key_Home);
    EXPECT_EQ(player.Player().Current(), 0);
    QTest::mouseClick(&player, Qt::LeftButton);
    EXPECT_EQ(player.Player().Current(), 1);
    EXPECT_EQ(
        player.accessibleName().toStdString(),
        CResourceBundle::Format(MsgId::ShowAccessibleSlide, "2", show.cells.GetAt(1)->GetLabel()));

    QTest::keyClick(&player, Qt::Key_P);
    EXPECT_TRUE(player.Player().Paused());
    QTest::keyClick(&player, Qt::Key_P);
    EXPECT_FALSE(player.Player().Paused());
    QTest::keyClick(&player, Qt::Key_I);
    EXPECT_TRUE(player.OverlayShown());
    // The overlay's small next picture is the one decoded ahead.
    player.repaint();
    EXPECT_LE(player.PicturesHeld(), CShowPictures::MaxHeld);

    QSignalSpy ended(&player, &CPlayerWnd::Ended);
    QTest::keyClick(&player, Qt::Key_Escape);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(player.Reason(), CPlayerWnd::EndedByUser);
    EXPECT_FALSE(player.isVisible());
}

// Forward moves draw the incoming picture's transition; the show ends after
// its last step.
TEST(PlayerWnd, ForwardDrawsTheTransitionAndTheLastStepEnds)
{
    CSolidShow show({Qt::red, Qt::blue}, 3); // wipe from the left
    CPlayerWnd player(load(show.path), 0);
    ASSERT_TRUE(player.Start(nullptr, true));
    QTest::keyClick(&player, Qt::Key_Right);
    ASSERT_TRUE(player.InTransition());
    player.FreezeTransition(0.5);
    EXPECT_EQ(player.Frame().pixel(100, 384), QColor(Qt::blue).rgb());
    EXPECT_EQ(player.Frame().pixel(900, 384), QColor(Qt::red).rgb());
    QSignalSpy ended(&player, &CPlayerWnd::Ended);
    QTest::keyClick(&player, Qt::Key_Right);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(player.Reason(), CPlayerWnd::EndedAtLastStep);
}

// A card taken out during the show ends it, and the launcher says so.
TEST(PlayerWnd, ACardPulledDuringTheShowEndsIt)
{
    QTemporaryDir card;
    const QString root = card.path() + QLatin1Char('/');
    QFile sit(root + QStringLiteral("SHOW.SIT"));
    ASSERT_TRUE(sit.open(QIODevice::WriteOnly));
    sit.write("[Project]\nSHOW\nBG_COLOR=000000\n[Slides]\n"
              "SHOW0001.JPG,SHOW0001.JPS,1,0,0005,00,0,0,0,0,0,0,0,0,0,002,0\n"
              "SHOW0002.JPG,SHOW0002.JPS,1,0,0005,00,0,0,0,0,0,0,0,0,0,002,0\n");
    sit.close();
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("SHOW")));
    CScriptedPrompt prompt;
    std::unique_ptr<CShowSequence> sequence =
        CShowLauncher::Load(sit.fileName().toStdString(), &prompt);
    ASSERT_TRUE(sequence);
    CPlayerWnd player(std::move(sequence), 0);
    ASSERT_TRUE(player.Start(nullptr, true));
    // The missing pictures show frames naming them; the show goes on.
    EXPECT_EQ(player.Frame(), CShowPictures::MissingFrame("SHOW0001.JPG", 0));
    QSignalSpy ended(&player, &CPlayerWnd::Ended);
    ASSERT_TRUE(QDir(root).removeRecursively());
    EXPECT_TRUE(ended.wait(3000));
    EXPECT_EQ(player.Reason(), CPlayerWnd::EndedCardGone);
    EXPECT_EQ(player.GoneCard(), card.path().toStdString());
}

// What cannot play says why once, and opens no window.
TEST(ShowLauncher, SaysWhyAShowCannotPlay)
{
    CScriptedPrompt prompt;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    QFile sit(QString::fromStdString(folder + "BAD.SIT"));
    ASSERT_TRUE(sit.open(QIODevice::WriteOnly));
    sit.write("[Project]\nBAD\nBG_COLOR=000000\n[Slides]\nCONTROL,1,0\n");
    sit.close();
    EXPECT_FALSE(CShowLauncher::Load(folder + "BAD.SIT", &prompt));
    EXPECT_FALSE(CShowLauncher::Load(folder + "none.sic", &prompt));
    EXPECT_FALSE(CShowLauncher::Load(folder, &prompt)); // a folder without an autorun list

    CCellInfoList empty;
    EXPECT_EQ(CShowLauncher::PlayProject(empty, 0, "Empty", 1, &prompt, nullptr), nullptr);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::ShowScenarioDamaged, MsgId::ShowCannotOpen,
                                              MsgId::ShowNoAutorun, MsgId::ShowNothingToPlay}));
    EXPECT_EQ(prompt.shown[0].text,
              CResourceBundle::Format(MsgId::ShowScenarioDamaged, folder + "BAD.SIT", "5"));
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CPlayerWnd*>(window) && window->isVisible());
    // Nothing was written beside the files.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}
