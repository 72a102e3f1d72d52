#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "output/scenariofile.h"

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

CCellBmpInfo* addImage(CCellInfoList& list, const std::string& card = {})
{
    auto cell = std::make_unique<CCellBmpInfo>();
    CCellBmpInfo* raw = cell.get();
    list.Append(std::move(cell));
    raw->CardFileName = card;
    raw->CardThumbName = card.empty() ? std::string() : card.substr(0, card.size() - 4) + ".JPS";
    return raw;
}

CCellCtrlInfo* addControl(CCellInfoList& list)
{
    auto cell = std::make_unique<CCellCtrlInfo>();
    CCellCtrlInfo* raw = cell.get();
    list.Append(std::move(cell));
    return raw;
}

std::string text(const CCellInfoList& list, const std::string& name = "Trip",
                 uint32_t color = 0xFFFFFF)
{
    QByteArray bytes;
    EXPECT_TRUE(CScenarioFile::Format(name, color, list, bytes));
    return bytes.toStdString();
}

} // namespace

TEST(ScenarioFile, ReproducesTheExampleByteForByte)
{
    CCellInfoList list;
    CCellBmpInfo* slide = addImage(list, "TRIP0001.JPG");
    slide->CellValid = 1;
    slide->MotionType = 0;
    slide->AutoIntervalSec = 5;
    slide->Effect = 1;
    slide->Disolve = {0, 0, 3, 0, 0, 0, 0, 0, 0, 30, 0};
    CCellCtrlInfo* control = addControl(list);
    control->CellValid = 1;
    control->MotionType = 0;
    control->AutoIntervalSec = 10;
    control->InputDev = 2;

    EXPECT_EQ(text(list), "[Project]\n"
                          "Trip\n"
                          "BG_COLOR=ffffff\n"
                          "[Slides]\n"
                          "TRIP0001.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n"
                          "CONTROL,1,0,0010,2\n");
}

TEST(ScenarioFile, EmptyProjectGivesExactlyFourLines)
{
    CCellInfoList list;
    EXPECT_EQ(text(list, "Empty", 0), "[Project]\nEmpty\nBG_COLOR=000000\n[Slides]\n");
}

TEST(ScenarioFile, ColourIsRedGreenBlueInLowerCaseHex)
{
    // Kept as 0x00BBGGRR: red 0x12, green 0xAB, blue 0x0C.
    EXPECT_EQ(CScenarioFile::ColorLine(0x000CAB12), "BG_COLOR=12ab0c");
    EXPECT_EQ(CScenarioFile::ColorLine(0x00000000), "BG_COLOR=000000");
    EXPECT_EQ(CScenarioFile::ColorLine(0xFF0000FF), "BG_COLOR=ff0000");
}

TEST(ScenarioFile, FieldsEightToTenFollowThePattern)
{
    struct Case
    {
        int pattern;
        const char* fields7to10;
    };
    // Disolve 1..3 hold 4, 1 and 1: which of them reach the file depends on
    // the pattern in Disolve 0.
    const Case cases[] = {
        {0, "0,0,1,0"}, {3, "3,0,1,0"}, {5, "5,0,1,0"},   {6, "6,4,0,1"},
        {7, "7,4,0,1"}, {8, "8,0,0,0"}, {-1, "-1,0,0,0"}, {100, "100,0,0,0"},
    };
    for (const Case& c : cases) {
        CCellInfoList list;
        CCellBmpInfo* cell = addImage(list, "A0000001.JPG");
        cell->Disolve = {c.pattern, 4, 1, 1, 5, 6, 7, 0, 3, 148, 1};
        const std::string line = CScenarioFile::SlideLine(*cell);
        EXPECT_EQ(line, std::string("A0000001.JPG,A0000001.JPS,1,0,0030,00,") + c.fields7to10 +
                            ",5,6,7,0,3,148,1")
            << "pattern " << c.pattern;
    }
}

TEST(ScenarioFile, ZeroPaddedWidthsAreMinimums)
{
    CCellInfoList list;
    CCellBmpInfo* cell = addImage(list, "A0000001.JPG");
    cell->AutoIntervalSec = 12345;
    cell->Effect = 41;
    cell->Disolve[9] = 2;
    EXPECT_EQ(CScenarioFile::SlideLine(*cell),
              "A0000001.JPG,A0000001.JPS,1,0,12345,41,0,0,0,0,0,0,0,0,0,002,0");
    CCellCtrlInfo* control = addControl(list);
    control->AutoIntervalSec = 1800;
    control->MotionType = 1;
    control->CellValid = 0;
    EXPECT_EQ(CScenarioFile::ControlLine(*control), "CONTROL,0,1,1800,0");
    control->AutoIntervalSec = 123456;
    EXPECT_EQ(CScenarioFile::ControlLine(*control), "CONTROL,0,1,123456,0");
}

TEST(ScenarioFile, DeletedCellsAreLeftOut)
{
    CCellInfoList list;
    addImage(list, "TRIP0001.JPG");
    CCellBmpInfo* deleted = addImage(list); // no card name: it would fail if written
    deleted->StateFlags = CCellInfo::StateDeleted;
    addControl(list)->StateFlags = CCellInfo::StateDeleted;
    addImage(list, "TRIP0002.JPG");
    const std::string t = text(list);
    EXPECT_EQ(t.find("CONTROL"), std::string::npos);
    EXPECT_NE(t.find("\nTRIP0001.JPG,"), std::string::npos);
    EXPECT_NE(t.find("\nTRIP0002.JPG,"), std::string::npos);
    EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 6);
}

TEST(ScenarioFile, CardNumbersSkipControlAndDeletedCells)
{
    CCellInfoList list;
    addImage(list);
    addControl(list);
    addImage(list)->StateFlags = CCellInfo::StateDeleted;
    addImage(list);
    list.AssignCardNames("Trip", ".jpg");
    const std::string t = text(list);
    EXPECT_EQ(t, "[Project]\nTrip\nBG_COLOR=ffffff\n[Slides]\n"
                 "TRIP0001.JPG,TRIP0001.JPS,1,0,0030,00,0,0,0,0,0,0,0,0,0,002,0\n"
                 "CONTROL,1,0,0030,0\n"
                 "TRIP0002.JPG,TRIP0002.JPS,1,0,0030,00,0,0,0,0,0,0,0,0,0,002,0\n");
}

TEST(ScenarioFile, NothingIsQuotedOrEscaped)
{
    CCellInfoList list;
    addImage(list);
    list.AssignCardNames("A,B", ".bmp");
    const std::string t = text(list, "A,B");
    EXPECT_EQ(t, "[Project]\nA,B\nBG_COLOR=ffffff\n[Slides]\n"
                 "A,B00001.BMP,A,B00001.JPS,1,0,0030,00,0,0,0,0,0,0,0,0,0,002,0\n");
}

TEST(ScenarioFile, CellsThatCannotBeWrittenFailTheWrite)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/X.sit";
    {
        CCellInfoList list;
        addImage(list, "X0000001.JPG");
        addImage(list); // visible image cell without a card name
        EXPECT_FALSE(CScenarioFile::Write(path, "X", 0, list));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    }
    {
        CCellInfoList list;
        list.Append(std::make_unique<CCellInfo>()); // neither image nor control
        QByteArray bytes;
        EXPECT_FALSE(CScenarioFile::Format("X", 0, list, bytes));
        EXPECT_FALSE(CScenarioFile::Write(path, "X", 0, list));
    }
}

TEST(ScenarioFile, WriteReplacesTheFileWithLineFeedsOnly)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/Trip.sit";
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    CCellInfoList list;
    addControl(list);
    ASSERT_TRUE(CScenarioFile::Write(path.toStdString(), "Trip", 0x00FF8000, list));
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    EXPECT_EQ(bytes,
              QByteArray("[Project]\nTrip\nBG_COLOR=0080ff\n[Slides]\nCONTROL,1,0,0030,0\n"));
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_FALSE(
        CScenarioFile::Write(dir.path().toStdString() + "/missing/Trip.sit", "Trip", 0, list));
}
