#include "base/msgid.h"
#include "cardtestutil.h"
#include "output/scenariodeletion.h"
#include "support/scriptedprompt.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class ScenarioDeletion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString() + "/";
        for (const char* name : {"TRIP", "SHOW", "ZOO"}) {
            MakeScenario(root, std::string(name) + ".SIT", name);
            ASSERT_TRUE(WriteBytes(root + name + "/" + name + "0001.JPG", "picture"));
            ASSERT_TRUE(WriteBytes(root + name + "/" + name + "0001.JPS", "thumb"));
        }
        ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\nSHOW.SIT\nZOO.SIT\n"));
        MakeScenario(root, "LOOSE.SIT", "LOOSE"); // one the card does not start
    }
    bool ScenarioThere(const std::string& base)
    {
        return Exists(root + base + ".SIT") || Exists(root + base);
    }
    QTemporaryDir m_dir;
    std::string root;
    CScriptedPrompt prompt;
};

TEST_F(ScenarioDeletion, AsksPerNameAndPrunesTheAutorunList)
{
    prompt.answers = {CUserPrompt::AnswerYes, CUserPrompt::AnswerNo, CUserPrompt::AnswerYes};
    const auto result =
        CScenarioDeletion::DeleteScenarios(root, {"TRIP.SIT", "SHOW.SIT", "", "zoo.sit"}, &prompt);
    EXPECT_TRUE(result.attempted);
    EXPECT_EQ(result.deleted, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_TRUE(result.declined);
    // Each is started by the card: the question says what deleting changes.
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskDeleteStartedScenario, MsgId::AskDeleteStartedScenario,
                                MsgId::AskDeleteStartedScenario}));
    EXPECT_NE(prompt.shown[0].text.find("TRIP"), std::string::npos);
    EXPECT_EQ(prompt.shown[0].text.find("TRIP.SIT"), std::string::npos); // the base name
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::YesNoCancel);
    EXPECT_FALSE(ScenarioThere("TRIP"));
    EXPECT_TRUE(ScenarioThere("SHOW"));
    EXPECT_FALSE(ScenarioThere("ZOO"));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nSHOW.SIT\n"));
}

TEST_F(ScenarioDeletion, CancelStopsTheLoopAndNothingAttemptedLeavesTheList)
{
    prompt.answers = {CUserPrompt::AnswerNo, CUserPrompt::AnswerCancel};
    const auto result =
        CScenarioDeletion::DeleteScenarios(root, {"TRIP.SIT", "SHOW.SIT", "ZOO.SIT"}, &prompt);
    EXPECT_FALSE(result.attempted);
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskDeleteStartedScenario, MsgId::AskDeleteStartedScenario}));
    for (const char* name : {"TRIP", "SHOW", "ZOO"})
        EXPECT_TRUE(ScenarioThere(name));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"),
              QByteArray("[Autorun]\nTRIP.SIT\nSHOW.SIT\nZOO.SIT\n"));
}

TEST_F(ScenarioDeletion, FailuresAreReportedAndTheLoopGoesOn)
{
    // Names that are not on the card, or would reach outside it.
    const auto result = CScenarioDeletion::DeleteScenarios(
        root,
        {"GONE.SIT", "../" + m_dir.path().section('/', -1).toStdString() + "/TRIP.SIT", "SHOW.SIT"},
        &prompt);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(result.deleted, 1);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskDeleteScenario, MsgId::ScenarioNotDeleted,
                                              MsgId::AskDeleteScenario, MsgId::ScenarioNotDeleted,
                                              MsgId::AskDeleteStartedScenario}));
    EXPECT_TRUE(ScenarioThere("TRIP"));
    EXPECT_FALSE(ScenarioThere("SHOW"));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nTRIP.SIT\nZOO.SIT\n"));
}

TEST_F(ScenarioDeletion, CaseOfTheCardIsIgnoredAndAMissingFolderIsNoFailure)
{
    MakeScenario(root, "Mixed.sit", "mixed");
    ASSERT_TRUE(WriteBytes(root + "LONE.SIT", "x"));
    const auto result =
        CScenarioDeletion::DeleteScenarios(root, {"MIXED.SIT", "lone.sit"}, &prompt);
    EXPECT_EQ(result.deleted, 2);
    EXPECT_EQ(result.failed, 0);
    EXPECT_FALSE(Exists(root + "Mixed.sit"));
    EXPECT_FALSE(Exists(root + "mixed"));
    EXPECT_FALSE(Exists(root + "LONE.SIT"));
}

TEST_F(ScenarioDeletion, AFolderWithASubfolderStaysButTheScenarioIsGone)
{
    // A subfolder keeps the scenario folder; its files are still deleted.
    QDir().mkpath(QString::fromStdString(root + "ZOO/sub"));
    const auto result = CScenarioDeletion::DeleteScenarios(root, {"ZOO.SIT"}, &prompt);
    EXPECT_EQ(result.deleted, 1);
    EXPECT_FALSE(Exists(root + "ZOO.SIT"));
    EXPECT_FALSE(Exists(root + "ZOO/ZOO0001.JPG"));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nTRIP.SIT\nSHOW.SIT\n"));
}

TEST_F(ScenarioDeletion, OneScenarioIsAYesOrNoAndItsFolderKeepsWhatIsNotItsOwn)
{
    ASSERT_TRUE(WriteBytes(root + "LOOSE/LOOSE001.JPG", "picture"));
    ASSERT_TRUE(WriteBytes(root + "LOOSE/NOTES.TXT", "the user's own"));
    const auto result = CScenarioDeletion::DeleteScenarios(root, {"LOOSE.SIT"}, &prompt);
    EXPECT_EQ(result.deleted, 1);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskDeleteScenario});
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::YesNo);
    EXPECT_FALSE(Exists(root + "LOOSE.SIT"));
    EXPECT_FALSE(Exists(root + "LOOSE/LOOSE001.JPG"));
    EXPECT_EQ(ReadBytes(root + "LOOSE/NOTES.TXT"), QByteArray("the user's own"));
}

TEST_F(ScenarioDeletion, NothingIsDeletedThroughALink)
{
    // The scenario's folder, and then its file, made links to a folder off
    // the card: refused and named, and what they lead to stays.
    QTemporaryDir outside;
    const std::string away = outside.path().toStdString() + "/";
    ASSERT_TRUE(WriteBytes(away + "SHOW0001.JPG", "not the card's"));
    ASSERT_TRUE(WriteBytes(away + "SHOW.SIT", "not the card's either"));
    QDir(QString::fromStdString(root + "SHOW")).removeRecursively();
    ASSERT_TRUE(QFile::link(outside.path(), QString::fromStdString(root + "SHOW")));
    auto result = CScenarioDeletion::DeleteScenarios(root, {"SHOW.SIT"}, &prompt);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskDeleteStartedScenario,
                                              MsgId::CardLinkOutside, MsgId::ScenarioNotDeleted}));
    EXPECT_NE(prompt.shown[1].text.find(root + "SHOW"), std::string::npos);
    EXPECT_TRUE(Exists(root + "SHOW.SIT"));
    EXPECT_EQ(ReadBytes(away + "SHOW0001.JPG"), QByteArray("not the card's"));

    QFile::remove(QString::fromStdString(root + "SHOW"));
    QFile::remove(QString::fromStdString(root + "SHOW.SIT"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(away + "SHOW.SIT"),
                            QString::fromStdString(root + "SHOW.SIT")));
    prompt.shown.clear();
    result = CScenarioDeletion::DeleteScenarios(root, {"SHOW.SIT"}, &prompt);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(ReadBytes(away + "SHOW.SIT"), QByteArray("not the card's either"));
    // The autorun list that is a link is neither read nor written.
    QFile::remove(QString::fromStdString(root + "AUTORUN.SFC"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(away + "SHOW.SIT"),
                            QString::fromStdString(root + "AUTORUN.SFC")));
    prompt.shown.clear();
    result = CScenarioDeletion::DeleteScenarios(root, {"ZOO.SIT"}, &prompt);
    EXPECT_EQ(result.deleted, 1);
    EXPECT_EQ(prompt.Ids().back(), MsgId::CardLinkOutside);
    EXPECT_EQ(ReadBytes(away + "SHOW.SIT"), QByteArray("not the card's either"));
}
