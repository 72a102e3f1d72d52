// Jobs of two project windows run side by side: each window takes no input
// while its own send runs and the other stays usable; a second send of a
// busy project is refused; Cancel in one window stops only that send, and
// both projects stay whole.
#include "apptesting.h"
#include "base/msgid.h"
#include "document/zurdoc.h"
#include "gui/app/childframe.h"
#include "gui/app/mainframe.h"
#include "gui/dialogs/cardcommands.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "support/zurdoctestutil.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::vector<CFileOpProgressDlg*> ShownProgress()
{
    std::vector<CFileOpProgressDlg*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<CFileOpProgressDlg*>(w);
            progress && progress->isVisible())
            shown.push_back(progress);
    return shown;
}

struct Ended
{
    bool ended = false;
    CScenarioExport::Outcome outcome = CScenarioExport::Declined;
    CCardCommands::SendDone Done()
    {
        return [this](CScenarioExport::Outcome o, bool) {
            outcome = o;
            ended = true;
        };
    }
};

TEST(TwoWindowJobs, CancellingOneSendLeavesTheOtherToFinish)
{
    ClearSettings();
    CAppUnderTest app({q(MakeProject("One"))});
    ASSERT_TRUE(app.Started());
    ASSERT_NE(app.Frame().OpenDocumentFile(q(MakeProject("Two"))), nullptr);
    const QList<CChildFrame*> windows = app.Frame().ChildFrames();
    ASSERT_EQ(windows.size(), 2);
    for (CChildFrame* window : windows)
        ASSERT_TRUE(doctest::addSlideCells(window->Document(), 24));
    QTemporaryDir cards[2];
    const std::string card0 = cards[0].path().toStdString() + "/";
    const std::string card1 = cards[1].path().toStdString() + "/";
    // Both confirmations and the busy message.
    app.prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerOk, CUserPrompt::AnswerOk};

    Ended first, second, again;
    CCardCommands::SendTo(windows[0]->Document(), card0, &app.prompt, windows[0], first.Done());
    ASSERT_TRUE(QTest::qWaitFor([] { return ShownProgress().size() == 1; }, 20000));
    CFileOpProgressDlg* firstProgress = ShownProgress()[0];
    EXPECT_FALSE(windows[0]->isEnabled());
    EXPECT_TRUE(windows[1]->isEnabled()) << "the other window stays usable";

    CCardCommands::SendTo(windows[1]->Document(), card1, &app.prompt, windows[1], second.Done());
    // One job per project: the busy one refuses a second send at once.
    CCardCommands::SendTo(windows[0]->Document(), card1, &app.prompt, windows[0], again.Done());
    EXPECT_TRUE(again.ended);
    EXPECT_EQ(again.outcome, CScenarioExport::Declined);
    const std::vector<int> ids = app.prompt.Ids();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), MsgId::ProjectBusy), 1);

    QTest::mouseClick(firstProgress->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.ended && second.ended; }, 120000));

    EXPECT_EQ(first.outcome, CScenarioExport::Failed);
    EXPECT_EQ(second.outcome, CScenarioExport::Sent);
    EXPECT_TRUE(QDir(cards[0].path()).isEmpty()) << "the cancelled send left its card as it was";
    EXPECT_EQ(QDir(cards[1].path()).entryList({"*.sit"}, QDir::Files).size(), 1);
    for (CChildFrame* window : windows) {
        SCOPED_TRACE(window->Document().ProjectName);
        EXPECT_FALSE(window->Document().IsBusy());
        EXPECT_FALSE(window->Document().IsModified());
        EXPECT_EQ(window->Document().Cells.GetCount(), 24);
        EXPECT_TRUE(window->isEnabled());
    }
    EXPECT_TRUE(ShownProgress().empty());
}

} // namespace
