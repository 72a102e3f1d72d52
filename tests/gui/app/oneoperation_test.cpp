// One long operation at a time across the program: two project windows each
// send to a card; while one sends (its progress window pumping events), the
// other's send is refused with the busy message, and both then finish, or
// stop at Cancel, each in turn.
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
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

int Count(const std::vector<int>& ids, int id)
{
    return static_cast<int>(std::count(ids.begin(), ids.end(), id));
}

struct Case
{
    const char* name;
    bool cancel;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class OneOperation : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override { ClearSettings(); }
};

TEST_P(OneOperation, ASecondWindowWaitsAndEachSendEndsOrStopsAtCancel)
{
    const bool cancel = GetParam().cancel;
    const std::string first = MakeProject("One");
    const std::string second = MakeProject("Two");
    CAppUnderTest app({q(first)});
    ASSERT_TRUE(app.Started());
    ASSERT_NE(app.Frame().OpenDocumentFile(q(second)), nullptr);
    const QList<CChildFrame*> windows = app.Frame().ChildFrames();
    ASSERT_EQ(windows.size(), 2);
    for (CChildFrame* window : windows)
        ASSERT_TRUE(doctest::addSlideCells(window->Document(), 24));
    QTemporaryDir cards[2];

    for (int running = 0; running < 2; ++running) {
        SCOPED_TRACE(running == 0 ? "first window sends" : "second window sends");
        CChildFrame* busy = windows[running];
        CChildFrame* other = windows[1 - running];
        const std::string otherCard = cards[1 - running].path().toStdString() + "/";
        app.prompt.shown.clear();
        const QStringList otherCardBefore = QDir(q(otherCard)).entryList();
        bool triedOther = false;
        CScenarioExport::Outcome otherOutcome = CScenarioExport::Sent;
        QTimer watcher;
        watcher.setInterval(5);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<CFileOpProgressDlg*>(w);
                if (!progress || !progress->isVisible() || triedOther ||
                    progress->findChild<QProgressBar*>()->value() < 2)
                    continue;
                // The other window starts its own send inside this one's.
                triedOther = true;
                bool otherAutorun = false;
                otherOutcome = CCardCommands::SendTo(other->Document(), otherCard, &app.prompt,
                                                     other, otherAutorun);
                if (cancel)
                    QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
            }
        });
        watcher.start();
        app.prompt.answers = {CUserPrompt::AnswerOk}; // send to the card
        bool wantsAutorun = false;
        const CScenarioExport::Outcome outcome =
            CCardCommands::SendTo(busy->Document(), cards[running].path().toStdString() + "/",
                                  &app.prompt, busy, wantsAutorun);
        watcher.stop();

        ASSERT_TRUE(triedOther) << "the progress window never showed progress";
        EXPECT_EQ(otherOutcome, CScenarioExport::Declined);
        EXPECT_EQ(Count(app.prompt.Ids(), MsgId::ProjectBusy), 1);
        EXPECT_EQ(QDir(q(otherCard)).entryList(), otherCardBefore)
            << "the refused send wrote nothing";
        EXPECT_EQ(outcome, cancel ? CScenarioExport::Failed : CScenarioExport::Sent);
        EXPECT_EQ(QDir(cards[running].path()).isEmpty(), cancel);
        EXPECT_FALSE(busy->Document().IsBusy());
        EXPECT_FALSE(other->Document().IsBusy());
    }
}

INSTANTIATE_TEST_SUITE_P(Sends, OneOperation,
                         ::testing::Values(Case{"BothFinish", false}, Case{"BothCancelled", true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
