#include "cardtestutil.h"
#include "output/cardcheck.h"
#include "output/scenariocheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const QByteArray kHeader = "[Project]\nTrip\nBG_COLOR=ffffff\n[Slides]\n";
const QByteArray kSlide = "TRIP0001.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n";

struct CheckCase
{
    const char* name;
    QByteArray bytes;
    std::vector<int> damaged;
};

} // namespace

TEST(ScenarioCheck, ParsesWhatTheWriterWritesAndNamesBadLines)
{
    const CheckCase cases[] = {
        {"example", kHeader + kSlide + "CONTROL,1,0,0010,2\n", {}},
        {"empty project", kHeader, {}},
        {"wide fields",
         kHeader + "TRIP0001.BMP,TRIP0001.JPS,1,0,12345,41,-1,0,0,0,0,0,0,0,0,148,0\n",
         {}},
        {"comma in the names",
         kHeader + "A,B00001.JPG,A,B00001.JPS,1,0,0030,00,0,0,0,0,0,0,0,0,0,002,0\n",
         {}}, // nothing is escaped: a comma of the project name stays
        {"empty file", "", {0}},
        {"no line feed at the end", kHeader + kSlide.chopped(1), {0}},
        {"three lines", "[Project]\nTrip\nBG_COLOR=ffffff\n", {0}},
        {"carriage returns", "[Project]\r\nTrip\r\nBG_COLOR=ffffff\r\n[Slides]\r\n", {1, 2, 3, 4}},
        {"wrong header", "[Projects]\nTrip\nBG_COLOR=FFFFFF\n[Slide]\n", {1, 3, 4}},
        {"short interval",
         kHeader + "TRIP0001.JPG,TRIP0001.JPS,1,0,005,01,0,0,3,0,0,0,0,0,0,030,0\n",
         {5}},
        {"sixteen fields",
         kHeader + "TRIP0001.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,030,0\n",
         {5}},
        {"not a number",
         kHeader + "TRIP0001.JPG,TRIP0001.JPS,1,0,0005,01,x,0,3,0,0,0,0,0,0,030,0\n",
         {5}},
        {"number too large",
         kHeader + "TRIP0001.JPG,TRIP0001.JPS,1,0,9999999999,01,0,0,3,0,0,0,0,0,0,030,0\n",
         {5}},
        {"long name",
         kHeader + "TRIPTRIP1.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n",
         {5}},
        {"wrong extension",
         kHeader + "TRIP0001.PNG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n",
         {5}},
        {"path in a name",
         kHeader + "../X.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n",
         {5}},
        {"short control", kHeader + kSlide + "CONTROL,1,0,0010\n", {6}},
        {"empty slide line", kHeader + "\n" + kSlide, {5}},
        {"NUL", kHeader + QByteArray("CONTROL,1,0,0010,2\0\n", 20), {5}},
    };
    for (const CheckCase& c : cases) {
        CScenarioCheck check;
        EXPECT_EQ(check.Parse(c.bytes), c.damaged.empty()) << c.name;
        EXPECT_EQ(check.DamagedLines(), c.damaged) << c.name;
    }
}

TEST(ScenarioCheck, KeepsTheSlidesItRead)
{
    CScenarioCheck check;
    ASSERT_TRUE(check.Parse(kHeader + kSlide + "CONTROL,1,0,0010,2\n" +
                            "TRIP0002.BMP,TRIP0002.JPS,0,1,0030,00,6,3,0,1,0,0,0,0,0,002,0\n"));
    EXPECT_EQ(check.ProjectName(), "Trip");
    EXPECT_EQ(check.ControlCount(), 1);
    ASSERT_EQ(check.Slides().size(), 2u);
    EXPECT_EQ(check.Slides()[1].line, 7);
    EXPECT_EQ(check.Slides()[1].picture, "TRIP0002.BMP");
    EXPECT_EQ(check.Slides()[1].thumbnail, "TRIP0002.JPS");
}

TEST(ScenarioCheck, ShortNames)
{
    EXPECT_TRUE(CScenarioCheck::IsShortName("TRIP.SIT"));
    EXPECT_TRUE(CScenarioCheck::IsShortName("ABCDEFGH.SIT"));
    EXPECT_TRUE(CScenarioCheck::IsShortName("NOEXT"));
    EXPECT_FALSE(CScenarioCheck::IsShortName("ABCDEFGHI.SIT"));
    EXPECT_FALSE(CScenarioCheck::IsShortName("TRIP.SITX"));
    EXPECT_FALSE(CScenarioCheck::IsShortName(".SIT"));
    EXPECT_FALSE(CScenarioCheck::IsShortName("A/B.SIT"));
    EXPECT_TRUE(CScenarioCheck::IsCardName("trip0001.jpg", {".JPG"}));
    EXPECT_FALSE(CScenarioCheck::IsCardName("TRIP0001.JPS", {".JPG", ".BMP"}));
}

class CardCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString() + "/";
    }
    // A correct scenario TRIP with two slides.
    void MakeGoodTrip()
    {
        ASSERT_TRUE(WriteBytes(root + "Trip.sit",
                               kHeader + kSlide +
                                   "TRIP0002.BMP,TRIP0002.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n"
                                   "CONTROL,1,0,0010,2\n"));
        QDir().mkpath(QString::fromStdString(root + "Trip"));
        ASSERT_TRUE(WritePicture(root + "Trip/TRIP0001.JPG", 1024, 768, "JPG"));
        ASSERT_TRUE(WritePicture(root + "Trip/TRIP0001.JPS", 160, 120, "JPG"));
        ASSERT_TRUE(WritePicture(root + "Trip/trip0002.bmp", 1024, 768, "BMP"));
        ASSERT_TRUE(WritePicture(root + "Trip/TRIP0002.JPS", 160, 120, "JPG"));
    }
    QTemporaryDir m_dir;
    std::string root;
};

TEST_F(CardCheck, AGoodCardPasses)
{
    MakeGoodTrip();
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\nREPEAT\n"));
    CCardCheck check;
    ASSERT_TRUE(check.Run(root));
    EXPECT_TRUE(check.Ok());
    ASSERT_EQ(check.Scenarios().size(), 1u);
    EXPECT_EQ(check.Scenarios()[0].file, "Trip.sit");
    EXPECT_TRUE(check.Scenarios()[0].problems.empty());
    EXPECT_EQ(check.AutorunEntries(), std::vector<std::string>{"TRIP.SIT"});
    EXPECT_TRUE(check.AutorunRepeat());

    const QJsonObject json = QJsonDocument::fromJson(check.ToJson()).object();
    EXPECT_TRUE(json["ok"].toBool());
    EXPECT_EQ(json["scenarios"].toArray()[0].toObject()["file"].toString(), "Trip.sit");
    EXPECT_TRUE(json["autorun"].toObject()["repeat"].toBool());
    EXPECT_EQ(json["autorun"].toObject()["entries"].toArray().size(), 1);
}

TEST_F(CardCheck, FindsWrongPicturesMissingFilesAndBadAutorunEntries)
{
    MakeGoodTrip();
    // Wrong size, PNG under .JPG, a cut-off JPEG, a missing thumbnail.
    ASSERT_TRUE(WritePicture(root + "Trip/TRIP0001.JPG", 1024, 767, "JPG"));
    ASSERT_TRUE(WritePicture(root + "Trip/TRIP0001.JPS", 160, 120, "PNG"));
    QByteArray bmp = ReadBytes(root + "Trip/trip0002.bmp");
    ASSERT_TRUE(WriteBytes(root + "Trip/trip0002.bmp", bmp.left(bmp.size() / 2)));
    QFile::remove(QString::fromStdString(root + "Trip/TRIP0002.JPS"));
    // A scenario without its folder, one with a long name (allowed: project
    // names may be longer than 8), a damaged one.
    ASSERT_TRUE(WriteBytes(root + "LONELY.SIT", kHeader));
    MakeScenario(root, "TOOLONGNAME.SIT", "TOOLONGNAME");
    ASSERT_TRUE(WriteBytes(root + "BAD.SIT", "garbage"));
    QDir().mkpath(QString::fromStdString(root + "BAD"));
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\nGONE.SIT\n"));

    CCardCheck check;
    ASSERT_TRUE(check.Run(root));
    EXPECT_FALSE(check.Ok());
    std::map<std::string, std::vector<std::string>> problems;
    for (const auto& s : check.Scenarios())
        problems[s.file] = s.problems;
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems["Trip.sit"].size(), 4u);
    EXPECT_EQ(problems["LONELY.SIT"].size(), 1u);
    EXPECT_TRUE(problems["TOOLONGNAME.SIT"].empty());
    EXPECT_EQ(problems["BAD.SIT"].size(), 1u);
    ASSERT_EQ(check.AutorunProblems().size(), 1u);
    EXPECT_NE(check.AutorunProblems()[0].find("GONE.SIT"), std::string::npos);
    const std::string joined = [&] {
        std::string all;
        for (const auto& p : problems["Trip.sit"])
            all += p + "\n";
        return all;
    }();
    EXPECT_NE(joined.find("Trip/TRIP0001.JPG"), std::string::npos);
    EXPECT_NE(joined.find("Trip/TRIP0002.JPS"), std::string::npos);
}

TEST_F(CardCheck, DamagedAutorunListAndUnreadableCard)
{
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", QByteArray("\x7F"
                                                            "ELF\0\0",
                                                            6)));
    CCardCheck check;
    ASSERT_TRUE(check.Run(root));
    EXPECT_FALSE(check.Ok());
    EXPECT_EQ(check.AutorunProblems().size(), 1u);
    EXPECT_FALSE(check.Run(root + "missing/"));
}
