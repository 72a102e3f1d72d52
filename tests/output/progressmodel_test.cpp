#include "base/job.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "output/fileopprogress.h"
#include "output/progressmodel.h"
#include "support/casename.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// An owner window: enabled or not, with a count of the changes made to it.
struct FakeOwner
{
    bool enabled = true;
    int changes = 0;
    void Attach(CProgressModel& model)
    {
        model.SetOwner([this] { return enabled; },
                       [this](bool e) {
                           enabled = e;
                           ++changes;
                       });
    }
};

} // namespace

TEST(ProgressModel, StartsWithTheWindowDefaults)
{
    CProgressModel model;
    EXPECT_EQ(model.Lower(), 0);
    EXPECT_EQ(model.Upper(), 100);
    EXPECT_EQ(model.Step(), 10);
    EXPECT_EQ(model.Pos(), 0);
    EXPECT_EQ(model.PercentText(), "0%");
    EXPECT_FALSE(model.Exists());
    EXPECT_FALSE(model.IsVisible());
    EXPECT_FALSE(model.CancelPending());
    EXPECT_EQ(model.Caption(), CResourceBundle::Text(MsgId::ProgressCaption));
    EXPECT_FALSE(model.Caption().empty());
}

TEST(ProgressModel, CaptionComesFromItsNumberUnlessSet)
{
    CProgressModel insert(7152);
    EXPECT_EQ(insert.Caption(), CResourceBundle::Text(MsgId::InsertingSlidesCaption));
    insert.SetCaption("Copying");
    EXPECT_EQ(insert.Caption(), "Copying");
}

struct PercentCase
{
    long long pos, lower, upper;
    const char* text;
};

class ProgressPercent : public ::testing::TestWithParam<PercentCase>
{
};

TEST_P(ProgressPercent, FollowsTheWindowsRule)
{
    const PercentCase& c = GetParam();
    EXPECT_EQ(CProgressModel::PercentText(c.pos, c.lower, c.upper), c.text)
        << c.pos << " in " << c.lower << ".." << c.upper;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressPercent,
    ::testing::Values(PercentCase{0, 0, 100, "0%"}, PercentCase{50, 0, 100, "50%"},
                      PercentCase{100, 0, 100, "100%"}, PercentCase{3, 0, 4, "75%"},
                      PercentCase{4, 0, 4, "100%"}, PercentCase{1, 0, 3, "33%"},
                      PercentCase{2, 0, 3, "66%"}, PercentCase{15, 10, 20, "50%"},
                      // Beyond the range the share is taken modulo 100, 100 itself kept.
                      PercentCase{150, 0, 100, "50%"}, PercentCase{200, 0, 100, "0%"},
                      PercentCase{199, 0, 100, "99%"},
                      // An empty range would divide by zero.
                      PercentCase{0, 0, 0, "0%"}, PercentCase{7, 7, 7, "0%"},
                      // Before the lower end there is nothing done.
                      PercentCase{-1, 0, 4, "0%"}, PercentCase{5, 10, 20, "0%"},
                      // A range upside down counts from its lower end all the same.
                      PercentCase{2, 4, 0, "50%"},
                      // The widest range does not overflow.
                      PercentCase{0, INT_MIN, INT_MAX, "50%"},
                      PercentCase{INT_MAX, INT_MIN, INT_MAX, "100%"}),
    [](const auto& info) {
        const PercentCase& c = info.param;
        return CaseNameSpelled(std::to_string(c.pos) + " of " + std::to_string(c.lower) + " to " +
                               std::to_string(c.upper));
    });

TEST(ProgressModel, StepsReportThePreviousPositionAndThePercentage)
{
    CProgressModel model;
    model.SetPos(0);
    model.SetStep(1);
    model.SetRange(0, 4);
    std::vector<int> previous;
    std::vector<std::string> texts;
    for (int i = 0; i < 4; ++i) {
        previous.push_back(model.StepIt());
        texts.push_back(model.PercentText());
    }
    EXPECT_EQ(previous, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(texts, (std::vector<std::string>{"25%", "50%", "75%", "100%"}));
}

TEST(ProgressModel, PositionsStayInsideTheRange)
{
    CProgressModel model;
    model.SetRange(0, 4);
    EXPECT_EQ(model.SetPos(3), 0);
    EXPECT_EQ(model.SetPos(9), 3);
    EXPECT_EQ(model.Pos(), 4);
    EXPECT_EQ(model.SetPos(-2), 4);
    EXPECT_EQ(model.Pos(), 0);
    model.SetPos(4);
    model.SetRange(0, 2); // a narrower range pulls the position in
    EXPECT_EQ(model.Pos(), 2);
}

TEST(ProgressModel, AFullBarStartsOverWhenSteppedOn)
{
    CProgressModel model;
    model.SetRange(0, 4);
    model.SetStep(2);
    model.SetPos(4);
    EXPECT_EQ(model.StepIt(), 4);
    EXPECT_EQ(model.Pos(), 0);
    model.SetStep(-1);
    EXPECT_EQ(model.StepIt(), 0);
    EXPECT_EQ(model.Pos(), 4);
    // A huge step does not overflow.
    model.SetRange(0, INT_MAX);
    model.SetPos(INT_MAX - 1);
    model.SetStep(INT_MAX);
    model.StepIt();
    EXPECT_EQ(model.Pos(), 0);
}

TEST(ProgressModel, CancelIsReportedOnceHoweverOftenPressed)
{
    CProgressModel model;
    model.Cancel();
    model.Cancel();
    EXPECT_TRUE(model.TakeCancelled());
    EXPECT_FALSE(model.TakeCancelled());
    model.Cancel();
    EXPECT_TRUE(model.TakeCancelled());
}

TEST(ProgressModel, ShowingClearsAPendingCancelAndTheText)
{
    CProgressModel model;
    model.Create();
    model.SetText("old");
    model.Cancel();
    EXPECT_TRUE(model.Show(true));
    EXPECT_TRUE(model.IsVisible());
    EXPECT_FALSE(model.TakeCancelled());
    EXPECT_EQ(model.Text(), "");
    model.SetText("Copying");
    EXPECT_TRUE(model.Show(false));
    EXPECT_EQ(model.Text(), "Copying");
}

TEST(ProgressModel, ShowFailsWhenTheWindowDoesNotExist)
{
    CProgressModel model;
    EXPECT_FALSE(model.Show(true));
    model.Create();
    EXPECT_TRUE(model.Show(true));
    model.Destroy();
    EXPECT_FALSE(model.IsVisible());
    EXPECT_FALSE(model.Show(false));
}

TEST(ProgressModel, GivesBackAnOwnerItDisabled)
{
    CProgressModel model;
    FakeOwner owner;
    owner.Attach(model);
    model.Create();
    EXPECT_FALSE(owner.enabled);
    EXPECT_TRUE(model.OwnerDisabledHere());
    model.Show(true);
    EXPECT_FALSE(owner.enabled);
    EXPECT_EQ(owner.changes, 1);
    model.Show(false);
    EXPECT_TRUE(owner.enabled);
    EXPECT_FALSE(model.OwnerDisabledHere());
    // Shown again, it disables the owner again; destroying gives it back.
    model.Show(true);
    EXPECT_FALSE(owner.enabled);
    model.Destroy();
    EXPECT_TRUE(owner.enabled);
    EXPECT_EQ(owner.changes, 4);
}

TEST(ProgressModel, LeavesAnOwnerDisabledThatWasDisabledBefore)
{
    CProgressModel model;
    FakeOwner owner;
    owner.enabled = false;
    owner.Attach(model);
    model.Create();
    model.Show(true);
    EXPECT_FALSE(model.OwnerDisabledHere());
    model.Show(false);
    EXPECT_FALSE(owner.enabled);
    model.Destroy();
    EXPECT_FALSE(owner.enabled);
    EXPECT_EQ(owner.changes, 0);
}

namespace {

// A front end that records the hooks and may press Cancel while it pumps.
class RecordingProgress : public CFileOpProgress
{
public:
    using CFileOpProgress::CFileOpProgress;
    std::vector<std::string> calls;
    bool cancelAtNextPump = false;

protected:
    void Pump() override
    {
        calls.push_back("pump");
        if (cancelAtNextPump) {
            cancelAtNextPump = false;
            Cancel();
        }
    }
    void Refresh() override
    {
        Hook();
        calls.push_back("refresh " + Model().PercentText());
    }
    void Visibility(bool visible) override
    {
        Hook();
        calls.push_back(visible ? "show" : "hide");
    }
    void Hook()
    {
        if (onHook)
            onHook();
    }

public:
    std::function<void()> onHook;
};

} // namespace

TEST(FileOpProgress, KeepsTheFrontEndAliveBeforeEveryMoveAndQuery)
{
    RecordingProgress progress;
    progress.SetPos(0);
    progress.SetStep(1);
    progress.SetRange(0, 4);
    progress.Show(true);
    progress.calls.clear();
    EXPECT_FALSE(progress.IsCancelled());
    progress.StepIt();
    progress.SetPos(3);
    EXPECT_EQ(progress.calls,
              (std::vector<std::string>{"pump", "pump", "refresh 25%", "pump", "refresh 75%"}));
}

TEST(FileOpProgress, SeesACancelPressedWhileItPumps)
{
    RecordingProgress progress;
    progress.Show(true);
    EXPECT_FALSE(progress.IsCancelled());
    EXPECT_FALSE(progress.CancelReported());
    progress.cancelAtNextPump = true;
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_TRUE(progress.CancelReported());
    EXPECT_FALSE(progress.IsCancelled());
    progress.Cancel();
    progress.Cancel();
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_FALSE(progress.IsCancelled());
    // Once reported, it stays known after the queries have cleared it.
    EXPECT_TRUE(progress.CancelReported());
}

TEST(FileOpProgress, APressNobodyAskedAboutIsNotACancel)
{
    RecordingProgress progress;
    progress.Show(true);
    progress.Cancel();
    progress.StepIt();
    progress.Show(false);
    EXPECT_FALSE(progress.CancelReported());
}

TEST(FileOpProgress, ShowingCreatesItAndHidingTwiceIsHarmless)
{
    RecordingProgress progress(7152);
    EXPECT_EQ(progress.Model().Caption(), CResourceBundle::Text(MsgId::InsertingSlidesCaption));
    progress.Show(false); // nothing to hide yet
    EXPECT_FALSE(progress.Model().Exists());
    progress.Show(true);
    EXPECT_TRUE(progress.Model().Exists());
    progress.Show(false);
    progress.Show(false);
    progress.Destroy();
    EXPECT_FALSE(progress.Model().Exists());
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"show", "hide"}));
}

TEST(FileOpProgress, DestroyHidesAndGivesTheOwnerBack)
{
    bool enabled = true;
    {
        RecordingProgress progress;
        progress.SetOwner([&] { return enabled; }, [&](bool e) { enabled = e; });
        progress.Show(true);
        EXPECT_FALSE(enabled);
        progress.SetText("Copying");
        EXPECT_EQ(progress.Model().Text(), "Copying");
        progress.Destroy();
        EXPECT_TRUE(enabled);
        EXPECT_EQ(progress.calls.back(), "hide");
        progress.Show(true);
        EXPECT_FALSE(enabled);
    }
    // Going out of scope while shown gives the owner back as well.
    EXPECT_TRUE(enabled);
}

// A job's worker reports from its own thread: every hook runs on the
// progress's thread, in the order reported, without a pump; the worker sees
// a Cancel pressed there at its next query.
TEST(FileOpProgress, AWorkerReportsThroughQueuedCallsAndSeesCancel)
{
    RecordingProgress progress;
    progress.SetStep(1);
    QThread* home = QThread::currentThread();
    std::vector<QThread*> hookThreads;
    progress.onHook = [&] { hookThreads.push_back(QThread::currentThread()); };
    std::atomic<bool> reported{false};
    std::atomic<int> cancelSeenAfter{-1};
    bool done = false;
    CJob::Start(
        nullptr,
        [&] {
            progress.SetRange(0, 4);
            progress.Show(true);
            progress.SetText("Copying");
            progress.StepIt();
            progress.SetPos(3);
            reported = true;
            for (int i = 0; i < 5000 && cancelSeenAfter < 0; ++i) {
                if (progress.IsCancelled())
                    cancelSeenAfter = i;
                else
                    QThread::msleep(1);
            }
        },
        [&] { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return reported.load() && progress.calls.size() >= 5; }));
    progress.Cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }));
    EXPECT_GE(cancelSeenAfter.load(), 0);
    EXPECT_TRUE(progress.CancelReported());
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"refresh 0%", "show", "refresh 0%",
                                                        "refresh 25%", "refresh 75%"}));
    EXPECT_EQ(progress.Model().Text(), "Copying");
    for (QThread* t : hookThreads)
        EXPECT_EQ(t, home);
}
