// View > Play show in the window program: the active project from its
// selected row, and back to the window when the show ends.
#include "editor/scenarioeditor.h"
#include "gui/app/childframe.h"
#include "gui/app/mainframe.h"
#include "gui/player/playerwnd.h"
#include "playertesting.h"
#include "support/scriptedprompt.h"

#include <QAction>
#include <QApplication>
#include <QTest>
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

} // namespace

TEST(PlayShow, PlaysTheActiveProjectFromItsSelectedRowAndReturns)
{
    CSolidShow show({Qt::red, Qt::green, Qt::blue});
    CScriptedPrompt prompt;
    CMainFrame frame(&prompt);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QAction* play = frame.Action(FrameCommand::ViewPlayShow);
    ASSERT_NE(play, nullptr);
    EXPECT_FALSE(play->isEnabled()); // no project yet
    CChildFrame* child = frame.OpenDocumentFile(QString::fromStdString(show.path));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(play->isEnabled());
    child->Editor().Rows().SetSel(1);

    QTest::keyClick(&frame, Qt::Key_F5, Qt::ShiftModifier);
    CPlayerWnd* player = runningPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->Player().Current(), 1);
    EXPECT_EQ(player->Frame().pixel(512, 384), QColor(Qt::green).rgb());
    EXPECT_EQ(player->screen(), frame.screen());
    EXPECT_TRUE(player->isModal()); // the project cannot change under the show
    QTest::keyClick(player, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(runningPlayer(), nullptr);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(prompt.shown.empty());
}
