// One writer of a card at a time: the card's lock as the autorun editor, the
// deletion of scenarios and the check see it; what interrupted writers left.
#include "cardtestutil.h"
#include "output/autoruneditor.h"
#include "output/cardcheck.h"
#include "output/cardlock.h"
#include "output/scenariodeletion.h"
#include "support/scriptedprompt.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class CardLock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString() + "/";
        MakeScenario(root, "TRIP.SIT", "TRIP");
        MakeScenario(root, "ZOO.SIT", "ZOO");
    }
    bool Has(const std::string& name) const { return Exists(root + name); }

    QTemporaryDir m_dir;
    std::string root;
    CScriptedPrompt prompt;
};

TEST_F(CardLock, AnotherWriterOfTheCardIsRefusedWithItsHolderNamed)
{
    CCardLock held;
    ASSERT_TRUE(held.Acquire(root, 0));
    ASSERT_TRUE(held.IsHeld());

    CAutorunEditor editor;
    EXPECT_FALSE(editor.LockDrive(root, &prompt, 100));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find(root), std::string::npos) << prompt.shown[0].text;
    EXPECT_NE(prompt.shown[0].text.find("process"), std::string::npos) << prompt.shown[0].text;
    prompt.shown.clear();

    const CScenarioDeletion::Result result =
        CScenarioDeletion::DeleteScenarios(root, {"TRIP.SIT"}, &prompt);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.deleted, 0);
    EXPECT_TRUE(Has("TRIP.SIT"));

    held.Release();
    EXPECT_TRUE(editor.LockDrive(root, &prompt, 0));
    EXPECT_TRUE(editor.IsDriveLocked());
}

TEST_F(CardLock, TheHolderRemovesWhatInterruptedWritersLeftInTheRoot)
{
    for (const char* name : {".zelmcopy-Ab12Cd", "AUTORUN.SFC.x1Y2z3", "autorun.sfc.Q1w2E3"})
        ASSERT_TRUE(WriteBytes(root + name, "half"));
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC.BAK", "the user's"));
    EXPECT_EQ(CCardLock::RootLeftovers(root).size(), 3u);
    CAutorunEditor editor;
    ASSERT_TRUE(editor.LockDrive(root, &prompt, 0));
    EXPECT_TRUE(CCardLock::RootLeftovers(root).empty());
    EXPECT_TRUE(Has("AUTORUN.SFC.BAK"));
}

TEST_F(CardLock, AScenarioFolderWithoutItsFileIsReportedAndDeleted)
{
    ASSERT_TRUE(QFile::remove(QString::fromStdString(root + "TRIP.SIT")));
    ASSERT_TRUE(WriteBytes(root + "TRIP/TRIP0001.JPG", "picture"));
    ASSERT_TRUE(WriteBytes(root + "TRIP/.zelmcopy-Zz11Yy", "half"));
    // A folder of other things is none of the check's business.
    QDir().mkpath(QString::fromStdString(root + "DCIM/100CAM"));
    QDir().mkpath(QString::fromStdString(root + "MUSIC"));
    ASSERT_TRUE(WriteBytes(root + "DCIM/100CAM/IMG_0001.JPG", "photo"));
    ASSERT_TRUE(WriteBytes(root + "MUSIC/song.mp3", "tune"));

    CCardCheck check;
    ASSERT_TRUE(check.Run(root));
    ASSERT_EQ(check.CardProblems().size(), 1u);
    EXPECT_NE(check.CardProblems()[0].find("TRIP/"), std::string::npos);
    EXPECT_FALSE(check.Ok());

    prompt.answers = {CUserPrompt::AnswerYes};
    const CScenarioDeletion::Result result =
        CScenarioDeletion::DeleteScenarios(root, {"TRIP.SIT"}, &prompt);
    EXPECT_EQ(result.deleted, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_FALSE(Has("TRIP"));
    EXPECT_TRUE(Has("ZOO.SIT"));
    EXPECT_TRUE(Has("DCIM/100CAM/IMG_0001.JPG"));
}
