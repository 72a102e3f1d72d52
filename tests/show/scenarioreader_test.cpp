#include "output/exportfixture.h"
#include "show/scenarioreader.h"
#include "show/showpictures.h"
#include "show/showsequence.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QByteArray kHeader = "[Project]\nTrip\nBG_COLOR=12ab0c\n[Slides]\n";
const QByteArray kSlide = "TRIP0001.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n";

const char kNul[] = "TRIP\0.JPG,T.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n";
const QByteArray kNulLine(kNul, sizeof(kNul) - 1);

bool near(QRgb a, QColor b, int tolerance = 12)
{
    return std::abs(qRed(a) - b.red()) <= tolerance &&
           std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

} // namespace

TEST(ScenarioReader, ReadsEveryFieldOfSlideAndControlLines)
{
    CScenarioReader reader;
    ASSERT_TRUE(reader.Parse(kHeader + kSlide + "CONTROL,1,0,0010,2\n"));
    EXPECT_EQ(reader.ProjectName(), "Trip");
    EXPECT_EQ(reader.BackColor(), 0x000CAB12u); // kept as 0x00BBGGRR
    ASSERT_EQ(reader.Entries().size(), 2u);
    const CScenarioReader::Entry& slide = reader.Entries()[0];
    EXPECT_EQ(slide.line, 5);
    EXPECT_EQ(slide.picture, "TRIP0001.JPG");
    EXPECT_EQ(slide.thumbnail, "TRIP0001.JPS");
    EXPECT_EQ(slide.AutoIntervalSec, 5);
    EXPECT_EQ(slide.Effect, 1);
    EXPECT_EQ(slide.Disolve[2], 3);
    EXPECT_EQ(slide.Disolve[9], 30);
    const CScenarioReader::Entry& control = reader.Entries()[1];
    EXPECT_TRUE(control.control);
    EXPECT_EQ(control.AutoIntervalSec, 10);
    EXPECT_EQ(control.InputDev, 2);
}

// What a player can use is read even when it was not written exactly so:
// carriage returns, no last line feed, numbers without padding, a comma
// inside the names (nothing is escaped).
TEST(ScenarioReader, IsLenientWhereNothingIsLost)
{
    CScenarioReader reader;
    ASSERT_TRUE(reader.Parse("[Project]\r\nA,B\r\nBG_COLOR=FFFFFF\r\n[Slides]\r\n"
                             "A,B00001.JPG,A,B00001.JPS,1,1,5,2,0,0,0,0,0,0,0,0,0,2,0"));
    ASSERT_EQ(reader.Entries().size(), 1u);
    EXPECT_EQ(reader.Entries()[0].picture, "A,B00001.JPG");
    EXPECT_EQ(reader.Entries()[0].thumbnail, "A,B00001.JPS");
    EXPECT_EQ(reader.Entries()[0].MotionType, 1);
}

TEST(ScenarioReader, NamesTheFirstLineItCannotUse)
{
    const struct
    {
        QByteArray bytes;
        int line;
    } cases[] = {
        {"", 1},
        {"[Project]\nTrip\n", 3},
        {"[Projekt]\nTrip\nBG_COLOR=000000\n[Slides]\n", 1},
        {"[Project]\nTrip\nBG_COLOR=00000g\n[Slides]\n", 3},
        {"[Project]\nTrip\nBG_COLOR=000000\nSlides\n", 4},
        {kHeader + "TRIP0001.JPG,TRIP0001.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030\n", 5},
        {kHeader + kSlide + "CONTROL,1,0,00x0,2\n", 6},
        {kHeader + kSlide + "CONTROL,1,0,0010\n", 6},
        {kHeader + kSlide + kSlide + "garbage\n", 7},
        {kHeader + "../../etc.JPG,X.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n", 5},
        {kHeader + "TRIP0001.JPG,TRIP0001.JPS,1,0,99999999999,01,0,0,3,0,0,0,0,0,0,030,0\n", 5},
        {kHeader + kNulLine, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        CScenarioReader reader;
        EXPECT_FALSE(reader.Parse(c.bytes));
        EXPECT_EQ(reader.ErrorLine(), c.line);
    }
}

using ShowFromSend = ExportFixture;

// The player reads what this program's own Send writes, and shows the
// pictures exactly as the card holds them.
TEST_F(ShowFromSend, ReadsTheCardThatSendWrote)
{
    CCellBmpInfo* first = AddSlide(1024, 768, 160, 120, QColor(200, 30, 30));
    first->Effect = 7;
    first->MotionType = 1;
    first->AutoIntervalSec = 12;
    first->Disolve = {1, 0, 1, 0, 2, 0, 0, 0, 3, 40, 0};
    AddControl()->InputDev = 2;
    CCellBmpInfo* off = AddSlide(800, 600, 160, 120, QColor(30, 200, 30));
    off->CellValid = 0;
    AddSlide(640, 480, 160, 120, QColor(30, 30, 200));
    ASSERT_EQ(Send(), CScenarioExport::Sent);

    CShowSequence fromCard;
    ASSERT_TRUE(fromCard.FromScenarioFile(card + "Trip.sit")) << fromCard.FailedLine();
    CShowSequence fromProject;
    fromProject.FromCells(cells, project.backColor);
    ASSERT_EQ(fromCard.Steps().size(), 4u);
    ASSERT_EQ(fromProject.Steps().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const CShowStep& a = fromCard.Steps()[i];
        const CShowStep& b = fromProject.Steps()[i];
        EXPECT_EQ(a.control, b.control);
        EXPECT_EQ(a.on, b.on);
        EXPECT_EQ(a.timed, b.timed);
        EXPECT_EQ(a.intervalSec, b.intervalSec);
        EXPECT_EQ(a.backColor, project.backColor);
        if (a.control) {
            EXPECT_EQ(a.inputDev, 2);
            continue;
        }
        EXPECT_EQ(a.effect, b.effect);
        EXPECT_FALSE(a.picture.empty());
        // The card's picture and the project's composed picture agree (the
        // card's is a JPEG).
        const QImage onCard = CShowPictures::Compose(a);
        const QImage rehearsed = CShowPictures::Compose(b);
        ASSERT_EQ(onCard.size(), QSize(1024, 768));
        ASSERT_EQ(rehearsed.size(), QSize(1024, 768));
        for (const QPoint& p : {QPoint(512, 384), QPoint(2, 2), QPoint(1020, 760)})
            EXPECT_TRUE(near(onCard.pixel(p), QColor(rehearsed.pixel(p)))) << p.x() << "," << p.y();
    }
    // Transition values as Send writes them: value 2 and 4 apply to patterns 6 and 7 only.
    EXPECT_EQ(fromCard.Steps()[0].disolve[0], 1);
    EXPECT_EQ(fromCard.Steps()[0].disolve[2], 1);
    EXPECT_EQ(fromCard.Steps()[0].disolve[9], 40);
    // The smaller pictures are letterboxed in the background colour.
    const QImage small = CShowPictures::Compose(fromProject.Steps()[3]);
    EXPECT_TRUE(near(small.pixel(2, 2), QColor(0x99, 0x66, 0x33)));
    EXPECT_TRUE(near(small.pixel(512, 384), QColor(30, 30, 200)));
}

// A picture missing from the card gives a frame naming it; the show goes on.
TEST_F(ShowFromSend, AMissingPictureShowsAFrameNamingIt)
{
    AddSlide();
    AddSlide();
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(card + "Trip/TRIP0001.JPG")));
    CShowSequence sequence;
    ASSERT_TRUE(sequence.FromScenarioFile(card + "trip.SIT"));
    ASSERT_EQ(sequence.Steps().size(), 2u);
    EXPECT_TRUE(sequence.Steps()[0].picture.empty());
    EXPECT_EQ(sequence.Steps()[0].pictureName, "TRIP0001.JPG");
    const QImage frame = CShowPictures::Compose(sequence.Steps()[0]);
    EXPECT_EQ(frame.size(), QSize(1024, 768));
    EXPECT_EQ(frame, CShowPictures::MissingFrame("TRIP0001.JPG", project.backColor));
    EXPECT_NE(frame, CShowPictures::Blank(project.backColor)); // the name is drawn on it
    EXPECT_FALSE(sequence.Steps()[1].picture.empty());

    // A damaged file names its line.
    QFile file(QString::fromStdString(card + "Trip.sit"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("not a line\n");
    file.close();
    EXPECT_FALSE(sequence.FromPath(card + "Trip.sit"));
    EXPECT_EQ(sequence.LastFailure(), CShowSequence::Damaged);
    EXPECT_EQ(sequence.FailedLine(), 7);
}
