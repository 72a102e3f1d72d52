// The card commands of `zelm`: send, autorun, delete-scenario, card-check.
#include "output/sfcfile.h"
#include "support/clirunner.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace doctest;
using Names = std::vector<std::string>;

class CardCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const std::string base = m_dir.path().toStdString() + "/";
        card = base + "card/";
        QDir().mkpath(QString::fromStdString(card));
        QDir().mkpath(QString::fromStdString(base + "sources"));
        // A saved project "Trip" with two slides and a control step.
        CZurDoc doc(&prompt);
        QDir().mkpath(QString::fromStdString(base + "Trip/"));
        project = makeTripProject(doc, base + "Trip/", base + "sources/");
        ASSERT_FALSE(project.empty());
    }
    static QJsonObject Json(const std::string& text)
    {
        return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    }
    QTemporaryDir m_dir;
    CScriptedPrompt prompt;
    std::string card;
    std::string project;
};

TEST_F(CardCommands, SendWritesAScenarioThatPassesTheCardCheck)
{
    const CCliResult sent = RunZelm({"send", project, card, "--yes", "--message-ids"});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.err.find("[7134]"), std::string::npos) << "--yes answers it unprinted";
    EXPECT_EQ(sent.err.find("[7148]"), std::string::npos); // not offered here
    EXPECT_EQ(filesOf(card), Names{"Trip.sit"});
    EXPECT_EQ(filesOf(card + "Trip"),
              (Names{"TRIP0001.JPG", "TRIP0001.JPS", "TRIP0002.JPG", "TRIP0002.JPS"}));
    EXPECT_EQ(readAll(card + "Trip.sit").substr(0, 40),
              "[Project]\nTrip\nBG_COLOR=ffffff\n[Slides]\n");
    EXPECT_NE(readAll(card + "Trip.sit").find("\nCONTROL,1,0,0030,2\n"), std::string::npos);

    const CCliResult check = RunZelm({"card-check", card, "--json"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    const QJsonObject json = Json(check.out);
    EXPECT_TRUE(json["ok"].toBool());
    ASSERT_EQ(json["scenarios"].toArray().size(), 1);
    EXPECT_EQ(json["scenarios"].toArray()[0].toObject()["file"].toString(), "Trip.sit");
}

TEST_F(CardCommands, SendWithoutAnAnswerWritesNothing)
{
    const CCliResult r = RunZelm({"send", project, card});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_TRUE(filesOf(card).empty());
    EXPECT_FALSE(exists(card + "Trip"));
}

TEST_F(CardCommands, SendToAMissingCardFails)
{
    const CCliResult r = RunZelm({"send", project, card + "missing", "--yes", "--message-ids"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("[7115]"), std::string::npos) << r.err;
    const CCliResult usage = RunZelm({"send", project});
    EXPECT_EQ(usage.exitCode, 2);
}

TEST_F(CardCommands, SendWithAutorunListsTheScenarioOnce)
{
    for (int i = 0; i < 2; ++i) {
        const CCliResult r = RunZelm({"send", project, card, "--yes", "--autorun"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\nTRIP.SIT\n");
}

TEST_F(CardCommands, AutorunEditsTheList)
{
    ASSERT_EQ(RunZelm({"send", project, card, "--yes"}).exitCode, 0);
    writeAll(card + "AUTORUN.SFC", "[Autorun]\nGONE.SIT\n");

    const CCliResult listed = RunZelm({"autorun", card, "--list"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "repeat: off\n"); // pruned in the listing only
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\nGONE.SIT\n");

    const CCliResult added = RunZelm({"autorun", card, "--add", "trip.sit", "--repeat", "on"});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\nTRIP.SIT\nREPEAT\n");

    const CCliResult json = RunZelm({"autorun", card, "--list", "--json"});
    EXPECT_EQ(Json(json.out)["entries"].toArray().size(), 1);
    EXPECT_TRUE(Json(json.out)["repeat"].toBool());

    const CCliResult missing = RunZelm({"autorun", card, "--add", "NONE.SIT", "--message-ids"});
    EXPECT_EQ(missing.exitCode, 1);
    // A scenario the card never had does not exist (7159 would say it had).
    EXPECT_NE(missing.err.find("[7300]"), std::string::npos) << missing.err;

    const CCliResult removed = RunZelm({"autorun", card, "--remove", "TRIP.SIT", "--repeat=off"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\n");

    EXPECT_EQ(RunZelm({"autorun", card, "--repeat", "maybe"}).exitCode, 2);
}

TEST_F(CardCommands, DeleteScenarioAsksAndPrunes)
{
    ASSERT_EQ(RunZelm({"send", project, card, "--yes", "--autorun"}).exitCode, 0);
    const CCliResult declined = RunZelm({"delete-scenario", card, "Trip.sit"});
    EXPECT_EQ(declined.exitCode, 3);
    EXPECT_TRUE(exists(card + "Trip.sit"));

    const CCliResult deleted = RunZelm({"delete-scenario", card, "TRIP.SIT", "--yes"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(exists(card + "Trip.sit"));
    EXPECT_FALSE(exists(card + "Trip"));
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\n");

    const CCliResult gone =
        RunZelm({"delete-scenario", card, "TRIP.SIT", "--yes", "--message-ids"});
    EXPECT_EQ(gone.exitCode, 1);
    // No longer on the card: named as missing, not as half deleted.
    EXPECT_NE(gone.err.find("[7300]"), std::string::npos) << gone.err;
    EXPECT_EQ(gone.err.find("[7145]"), std::string::npos) << gone.err;
}

TEST_F(CardCommands, CardCheckReportsProblems)
{
    ASSERT_EQ(RunZelm({"send", project, card, "--yes"}).exitCode, 0);
    QFile::remove(QString::fromStdString(card + "Trip/TRIP0002.JPS"));
    writeAll(card + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\nOTHER.SIT\n");
    const CCliResult text = RunZelm({"card-check", card});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.out.find("Trip.sit: problems"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("TRIP0002.JPS"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("OTHER.SIT"), std::string::npos) << text.out;

    const QJsonObject json = Json(RunZelm({"card-check", card, "--json"}).out);
    EXPECT_FALSE(json["ok"].toBool());
    EXPECT_FALSE(json["scenarios"].toArray()[0].toObject()["ok"].toBool());
    EXPECT_EQ(json["autorun"].toObject()["problems"].toArray().size(), 1);
    EXPECT_EQ(json["autorun"].toObject()["entries"].toArray().size(), 2);

    EXPECT_EQ(RunZelm({"card-check", card + "nowhere"}).exitCode, 1);
}
