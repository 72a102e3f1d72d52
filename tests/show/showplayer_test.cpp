#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "show/showclock.h"
#include "show/showplayer.h"
#include "show/showsequence.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FakeClock : public CShowClock
{
public:
    qint64 NowMs() const override { return now; }
    qint64 now = 1000;
};

struct Cell
{
    char kind; // 'p' picture, 'c' control
    bool on;
    bool timed;
    int interval;
};

// A project of the given cells; pictures are named p1.png, p2.png...
void fill(CCellInfoList& cells, std::initializer_list<Cell> list)
{
    int n = 0;
    for (const Cell& c : list) {
        std::unique_ptr<CCellInfo> cell;
        if (c.kind == 'p') {
            auto image = std::make_unique<CCellBmpInfo>();
            image->FileName = "p" + std::to_string(++n) + ".png";
            cell = std::move(image);
        } else {
            cell = std::make_unique<CCellCtrlInfo>();
        }
        cell->CellValid = c.on ? 1 : 0;
        cell->MotionType = c.timed ? 1 : 0;
        cell->AutoIntervalSec = c.interval;
        cells.Append(std::move(cell));
    }
}

class ShowPlayer : public ::testing::Test
{
protected:
    void Build(std::initializer_list<Cell> list)
    {
        cells.ProjectFolder = "/project/";
        fill(cells, list);
        sequence.FromCells(cells, 0);
    }

    CCellInfoList cells;
    CShowSequence sequence;
    FakeClock clock;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST_F(ShowPlayer, SkipsStepsThatAreOffAndGoesOnByTheClockOrTheUser)
{
    // 0 timed 5 s, 1 off, 2 waits, 3 control of 3 s, 4 waits.
    Build({{'p', true, true, 5},
           {'p', false, true, 5},
           {'p', true, false, 30},
           {'c', true, true, 3},
           {'p', true, false, 30}});
    CShowPlayer player(sequence, clock);
    ASSERT_TRUE(player.Start());
    EXPECT_EQ(player.Current(), 0);
    EXPECT_EQ(player.TimeLeftMs(), 5000);
    clock.now += 4999;
    EXPECT_EQ(player.Tick(), CShowPlayer::NoMove);
    clock.now += 1;
    EXPECT_EQ(player.Tick(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 2); // the step that is off is skipped
    EXPECT_EQ(player.TimeLeftMs(), -1);
    clock.now += 600000;
    EXPECT_EQ(player.Tick(), CShowPlayer::NoMove); // waits for the user
    EXPECT_EQ(player.Next(), CShowPlayer::Forward);
    // The control step shows no picture of its own: the last one stays.
    EXPECT_EQ(player.Current(), 3);
    EXPECT_EQ(player.ShownPicture(), 2);
    EXPECT_EQ(player.NextPicture(), 4);
    clock.now += 3000;
    EXPECT_EQ(player.Tick(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 4);
    EXPECT_EQ(player.ShownPicture(), 4);
    EXPECT_EQ(player.Next(), CShowPlayer::NoMove);
    EXPECT_TRUE(player.Finished());
    // Numbers count the pictures that are on.
    EXPECT_EQ(sequence.PictureCount(), 3);
    EXPECT_EQ(sequence.PictureNumber(4), 3);
    EXPECT_EQ(sequence.PictureNumber(3), 0);
}

TEST_F(ShowPlayer, BackForwardFirstLastAndPauseWorkAtAnyTime)
{
    Build({{'p', true, true, 5},
           {'p', false, false, 5},
           {'p', true, true, 4},
           {'c', true, false, 9},
           {'p', true, false, 1},
           {'p', false, false, 1}});
    CShowPlayer player(sequence, clock);
    ASSERT_TRUE(player.Start());
    EXPECT_EQ(player.Previous(), CShowPlayer::NoMove); // nothing before the first
    EXPECT_EQ(player.Next(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 2);
    EXPECT_EQ(player.Previous(), CShowPlayer::Jump);
    EXPECT_EQ(player.Current(), 0);
    EXPECT_EQ(player.Last(), CShowPlayer::Jump);
    EXPECT_EQ(player.Current(), 4); // the last step that is on
    EXPECT_EQ(player.Previous(), CShowPlayer::Jump);
    EXPECT_EQ(player.Current(), 3);
    EXPECT_EQ(player.ShownPicture(), 2); // back into a control step: its picture before it
    EXPECT_EQ(player.First(), CShowPlayer::Jump);
    EXPECT_EQ(player.First(), CShowPlayer::NoMove);

    // A pause holds the time left; a move while paused starts the new step's time whole.
    clock.now += 2000;
    player.SetPaused(true);
    clock.now += 60000;
    EXPECT_EQ(player.TimeLeftMs(), 3000);
    EXPECT_EQ(player.Tick(), CShowPlayer::NoMove);
    player.SetPaused(false);
    clock.now += 2999;
    EXPECT_EQ(player.Tick(), CShowPlayer::NoMove);
    player.SetPaused(true);
    EXPECT_EQ(player.Next(), CShowPlayer::Forward);
    clock.now += 10000;
    EXPECT_EQ(player.TimeLeftMs(), 4000);
    player.SetPaused(false);
    clock.now += 4000;
    EXPECT_EQ(player.Tick(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 3);
}

TEST_F(ShowPlayer, AControlStepWaitsForItsInputAndAZeroIntervalStillTakesASecond)
{
    Build({{'c', true, false, 10}, {'p', true, true, 0}, {'p', true, false, 1}});
    CShowPlayer player(sequence, clock);
    ASSERT_TRUE(player.Start());
    EXPECT_EQ(player.ShownPicture(), -1); // nothing shown yet
    clock.now += 100000;
    EXPECT_EQ(player.Tick(), CShowPlayer::NoMove);
    EXPECT_EQ(player.Next(), CShowPlayer::Forward);
    EXPECT_EQ(player.TimeLeftMs(), 1000);
    clock.now += 1000;
    EXPECT_EQ(player.Tick(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 2);
}

TEST_F(ShowPlayer, StartsFromARowAndRefusesAShowWithNothingOn)
{
    Build({{'p', true, false, 1},
           {'p', false, false, 1},
           {'c', true, false, 1},
           {'p', true, false, 1}});
    EXPECT_EQ(sequence.StepOfRow(2), 2); // row 2 is off: the next that is on
    EXPECT_EQ(sequence.StepOfRow(4), 3);
    CShowPlayer player(sequence, clock);
    ASSERT_TRUE(player.Start(sequence.StepOfRow(4)));
    EXPECT_EQ(player.Current(), 3);

    CCellInfoList off;
    fill(off, {{'p', false, true, 1}, {'c', false, true, 1}});
    CShowSequence none;
    none.FromCells(off, 0);
    EXPECT_FALSE(none.HasPlayableStep());
    CShowPlayer nothing(none, clock);
    EXPECT_FALSE(nothing.Start());
    EXPECT_TRUE(nothing.Finished());
    EXPECT_EQ(nothing.Next(), CShowPlayer::NoMove);
}

// A card plays the scenarios of its autorun list in the list's order and
// starts again after the last when REPEAT is present.
TEST(ShowCard, PlaysTheAutorunListInOrderAndLoopsWithRepeat)
{
    QTemporaryDir card;
    ASSERT_TRUE(card.isValid());
    const QString root = card.path() + QLatin1Char('/');
    writeFile(root + QStringLiteral("one.sit"),
              "[Project]\nONE\nBG_COLOR=000000\n[Slides]\n"
              "ONE00001.JPG,ONE00001.JPS,1,0,0005,00,0,0,0,0,0,0,0,0,0,002,0\n"
              "CONTROL,1,1,0002,0\n");
    writeFile(root + QStringLiteral("TWO.SIT"),
              "[Project]\nTWO\nBG_COLOR=ffffff\n[Slides]\n"
              "TWO00001.JPG,TWO00001.JPS,1,1,0003,05,0,0,0,0,0,0,0,0,0,002,0\n");
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("ONE")));
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("two")));
    // A listed scenario that is not on the card is left out.
    writeFile(root + QStringLiteral("autorun.sfc"),
              "[Autorun]\nTWO.SIT\nGONE.SIT\nONE.SIT\nREPEAT\n");

    CShowSequence sequence;
    ASSERT_TRUE(sequence.FromCard(root.toStdString()));
    ASSERT_EQ(sequence.Steps().size(), 3u);
    EXPECT_EQ(sequence.Steps()[0].pictureName, "TWO00001.JPG");
    EXPECT_EQ(sequence.Steps()[0].backColor, 0x00FFFFFFu);
    EXPECT_EQ(sequence.Steps()[1].pictureName, "ONE00001.JPG");
    EXPECT_TRUE(sequence.Steps()[2].control);
    EXPECT_TRUE(sequence.Repeat());

    FakeClock clock;
    CShowPlayer player(sequence, clock);
    ASSERT_TRUE(player.Start());
    clock.now += 3000;
    EXPECT_EQ(player.Tick(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 1);
    EXPECT_EQ(player.NextPicture(), 0); // across the loop
    EXPECT_EQ(player.Next(), CShowPlayer::Forward);
    clock.now += 2000;
    EXPECT_EQ(player.Tick(), CShowPlayer::Forward);
    EXPECT_EQ(player.Current(), 0);
    EXPECT_EQ(player.Loops(), 1);
    EXPECT_FALSE(player.Finished());

    // Without REPEAT the show ends after the last scenario.
    writeFile(root + QStringLiteral("autorun.sfc"), "[Autorun]\nTWO.SIT\nONE.SIT\n");
    CShowSequence once;
    ASSERT_TRUE(once.FromCard(root.toStdString()));
    CShowPlayer single(once, clock);
    ASSERT_TRUE(single.Start());
    single.Last();
    EXPECT_EQ(single.Next(), CShowPlayer::NoMove);
    EXPECT_TRUE(single.Finished());

    // A card without a list naming a present scenario has nothing to play.
    writeFile(root + QStringLiteral("autorun.sfc"), "[Autorun]\nGONE.SIT\n");
    CShowSequence empty;
    EXPECT_FALSE(empty.FromCard(root.toStdString()));
    EXPECT_EQ(empty.LastFailure(), CShowSequence::NoScenario);
}
