// The presentation object on presentations LibreOffice made: which slides
// the show holds, the thumbnail batches, single exports, retain and release.
#include "pptbuilder.h"
#include "presentation/slidepptobj.h"
#include "presentation/thumbnailreceiver.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Report
{
    int position;
    int slideNumber;
    std::string path;
    bool fileThere;
};

class CRecordingReceiver : public CThumbnailReceiver
{
public:
    void ThumbnailMade(CSlidePPTObj*, int position, int slideNumber,
                       const std::string& path) override
    {
        reports.push_back(
            {position, slideNumber, path, QFileInfo::exists(QString::fromStdString(path))});
    }
    std::vector<int> Positions() const
    {
        std::vector<int> p;
        for (const Report& r : reports)
            p.push_back(r.position);
        return p;
    }
    std::vector<Report> reports;
};

class SlidePPTObjTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_obj.SetWorkFolder(m_work.path().toStdString() + "/");
        // Converted decks are shared by every test run of this build.
        m_obj.SetCacheFolder(CPresentationFixtures::Folder() + "cache/");
    }
    bool Open(const std::string& fixture, int w = 160, int h = 120, bool png = false)
    {
        const std::string path = CPresentationFixtures::Path(fixture);
        EXPECT_FALSE(path.empty()) << fixture;
        return m_obj.OpenPresentation(path, w, h, &m_receiver, png);
    }
    std::vector<int> Numbers() const
    {
        std::vector<int> n;
        for (int k = 1; k <= m_obj.SlideCount(); ++k)
            n.push_back(m_obj.SlideNumberAt(k));
        return n;
    }
    std::string Out(const std::string& name) const
    {
        return m_work.filePath(QString::fromStdString(name)).toStdString();
    }
    // Exports `position` and tells which fixture slide the picture shows.
    int Shown(int position, int& number)
    {
        const std::string file = Out("slide" + std::to_string(position) + ".png");
        if (!m_obj.ExportSlide(file, position, 1024, 768, number))
            return -1;
        const QImage image(QString::fromStdString(file));
        EXPECT_EQ(image.size(), QSize(1024, 768));
        return SlideShownIn(file);
    }

    QTemporaryDir m_work;
    CRecordingReceiver m_receiver;
    CSlidePPTObj m_obj;
};

TEST_F(SlidePPTObjTest, ShowOfSlidesThreeToFiveHasThreePositions)
{
    ASSERT_TRUE(Open("range3to5", 1024, 768, true));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
    EXPECT_EQ(m_obj.SlideCount(), 3);
    EXPECT_EQ(m_obj.TotalSlides(), 7);
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 4, 5}));
    int number = 0;
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(Shown(k, number), k + 2);
        EXPECT_EQ(number, k + 2);
    }
}

TEST_F(SlidePPTObjTest, StartPageShowRunsToTheLastSlide)
{
    ASSERT_TRUE(Open("range7"));
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 4, 5, 6, 7}));
}

TEST_F(SlidePPTObjTest, CustomShowGivesItsSlidesInItsOrder)
{
    ASSERT_TRUE(Open("custom6"));
    EXPECT_EQ(m_obj.SlideCount(), 3);
    EXPECT_EQ(Numbers(), (std::vector<int>{5, 2, 4}));
    int number = 0;
    EXPECT_EQ(Shown(1, number), 5);
    EXPECT_EQ(Shown(2, number), 2);
    EXPECT_EQ(Shown(3, number), 4);
    EXPECT_EQ(number, 4);
}

TEST_F(SlidePPTObjTest, HiddenSlidesArePositionsAndPicturesStayInStep)
{
    ASSERT_TRUE(Open("hidden4"));
    EXPECT_EQ(m_obj.SlideCount(), 4);
    EXPECT_FALSE(m_obj.IsHiddenAt(1));
    EXPECT_TRUE(m_obj.IsHiddenAt(2));
    EXPECT_FALSE(m_obj.IsHiddenAt(3));
    EXPECT_FALSE(m_obj.IsHiddenAt(5));
    int number = 0;
    EXPECT_EQ(Shown(2, number), 2);
    EXPECT_EQ(Shown(3, number), 3);
    EXPECT_EQ(Shown(4, number), 4);
}

TEST_F(SlidePPTObjTest, FirstSlideNumberShiftsNumbersNotPictures)
{
    ASSERT_TRUE(Open("first5"));
    EXPECT_EQ(Numbers(), (std::vector<int>{5, 6, 7, 8, 9, 10}));
    int number = 0;
    EXPECT_EQ(Shown(2, number), 2);
    EXPECT_EQ(number, 6);
    EXPECT_EQ(Shown(6, number), 6);
    EXPECT_EQ(number, 10);
}

TEST_F(SlidePPTObjTest, BatchesPauseAndContinue)
{
    m_obj.SetBatchSize(5);
    ASSERT_TRUE(Open("deck12"));
    ASSERT_EQ(m_obj.SlideCount(), 12);
    ASSERT_TRUE(m_obj.MakeThumbnails(1));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StatePaused);
    EXPECT_EQ(m_obj.ResumePosition(), 6);
    EXPECT_EQ(m_receiver.Positions(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(m_obj.DoneCount(), 5);

    // Opening while paused is refused; the paused run is untouched.
    EXPECT_FALSE(
        m_obj.OpenPresentation(CPresentationFixtures::Path("plain6"), 160, 120, nullptr, false));
    EXPECT_TRUE(m_obj.IsOpen());
    EXPECT_EQ(m_obj.SlideCount(), 12);

    EXPECT_FALSE(m_obj.ContinueThumbnails(13));
    EXPECT_FALSE(m_obj.ContinueThumbnails(0));
    ASSERT_TRUE(m_obj.ContinueThumbnails(6));
    EXPECT_EQ(m_receiver.Positions(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(m_obj.ResumePosition(), 11);
    ASSERT_TRUE(m_obj.ContinueThumbnails(11));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
    EXPECT_EQ(m_obj.DoneCount(), 12);
    // Not paused: continuing does nothing and succeeds.
    EXPECT_TRUE(m_obj.ContinueThumbnails(3));
    EXPECT_EQ(m_receiver.reports.size(), 12u);

    for (const Report& r : m_receiver.reports) {
        EXPECT_TRUE(r.fileThere);
        EXPECT_EQ(r.slideNumber, r.position);
        EXPECT_EQ(r.path,
                  m_work.path().toStdString() + "/_Thm" + std::to_string(r.position) + ".jpg");
        const QImage picture(QString::fromStdString(r.path));
        EXPECT_EQ(picture.size(), QSize(160, 120));
        EXPECT_EQ(SlideShownIn(r.path), r.position);
    }

    // Stopped, the object opens again.
    EXPECT_TRUE(m_obj.StopThumbnails());
    EXPECT_FALSE(m_obj.IsOpen());
    EXPECT_TRUE(Open("plain6"));
}

TEST_F(SlidePPTObjTest, RunStartedLateWrapsToTheFirstPositions)
{
    m_obj.SetBatchSize(5);
    ASSERT_TRUE(Open("deck12"));
    ASSERT_TRUE(m_obj.MakeThumbnails(9));
    EXPECT_EQ(m_receiver.Positions(), (std::vector<int>{9, 10, 11, 12, 1}));
    EXPECT_EQ(m_obj.ResumePosition(), 2);
    ASSERT_TRUE(m_obj.ContinueThumbnails(2));
    EXPECT_EQ(m_obj.ResumePosition(), 7);
    ASSERT_TRUE(m_obj.ContinueThumbnails(7));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
    EXPECT_EQ(m_receiver.Positions(), (std::vector<int>{9, 10, 11, 12, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(SlidePPTObjTest, NegativeBatchMakesEverythingAndPngOnRequest)
{
    m_obj.SetBatchSize(-1);
    ASSERT_TRUE(Open("plain6", 320, 240, true));
    ASSERT_TRUE(m_obj.MakeThumbnails(0));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
    ASSERT_EQ(m_receiver.reports.size(), 6u);
    EXPECT_EQ(QImage(QString::fromStdString(m_receiver.reports[0].path)).size(), QSize(320, 240));
    EXPECT_NE(m_receiver.reports[0].path.find(".png"), std::string::npos);
}

TEST_F(SlidePPTObjTest, ExportSlideGuardsItsArguments)
{
    int number = -1;
    EXPECT_FALSE(m_obj.ExportSlide(Out("a.png"), 1, 1024, 768, number)); // nothing open
    EXPECT_EQ(number, 0);
    ASSERT_TRUE(Open("plain6"));
    EXPECT_FALSE(m_obj.ExportSlide(Out("a.png"), 0, 1024, 768, number));
    EXPECT_FALSE(m_obj.ExportSlide(Out("a.png"), 7, 1024, 768, number));
    EXPECT_FALSE(m_obj.ExportSlide("", 1, 1024, 768, number));
    EXPECT_FALSE(QFileInfo::exists(m_work.filePath("a.png")));

    // A read-only destination is left alone; a writable one is replaced.
    QFile locked(m_work.filePath("locked.png"));
    ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
    locked.write("keep me");
    locked.close();
    locked.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_FALSE(m_obj.ExportSlide(Out("locked.png"), 1, 1024, 768, number));
    ASSERT_TRUE(locked.open(QIODevice::ReadOnly));
    EXPECT_EQ(locked.readAll(), QByteArray("keep me"));
    locked.close();

    QFile old(m_work.filePath("old.png"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_TRUE(m_obj.ExportSlide(Out("old.png"), 3, 200, 150, number));
    EXPECT_EQ(number, 3);
    EXPECT_EQ(QImage(m_work.filePath("old.png")).size(), QSize(200, 150));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
}

TEST_F(SlidePPTObjTest, ExportWhilePausedKeepsThePause)
{
    m_obj.SetBatchSize(2);
    ASSERT_TRUE(Open("plain6"));
    ASSERT_TRUE(m_obj.MakeThumbnails(1));
    ASSERT_EQ(m_obj.State(), CSlidePPTObj::StatePaused);
    int number = 0;
    EXPECT_TRUE(m_obj.ExportSlide(Out("p.png"), 5, 1024, 768, number));
    EXPECT_EQ(number, 5);
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StatePaused);
    EXPECT_EQ(m_obj.ResumePosition(), 3);
}

TEST_F(SlidePPTObjTest, RetainHoldsThePresentationOpen)
{
    EXPECT_FALSE(m_obj.Retain());
    EXPECT_EQ(m_obj.Release(), 0);
    ASSERT_TRUE(Open("plain6"));
    EXPECT_TRUE(m_obj.Retain());
    EXPECT_TRUE(m_obj.Retain());
    EXPECT_EQ(m_obj.RetainCount(), 2);
    EXPECT_FALSE(m_obj.ClosePresentation());
    EXPECT_FALSE(Open("custom6"));
    EXPECT_TRUE(m_obj.IsOpen());
    EXPECT_EQ(m_obj.Release(), 1);
    EXPECT_TRUE(m_obj.IsOpen());
    EXPECT_EQ(m_obj.Release(), 1); // the result of closing
    EXPECT_FALSE(m_obj.IsOpen());
    EXPECT_EQ(m_obj.PresentationPath(), "");
    EXPECT_FALSE(m_obj.IsListed());
}

TEST_F(SlidePPTObjTest, ReleaseDuringAPausedRunKeepsItOpen)
{
    m_obj.SetBatchSize(2);
    ASSERT_TRUE(Open("plain6"));
    ASSERT_TRUE(m_obj.MakeThumbnails(1));
    ASSERT_TRUE(m_obj.Retain());
    EXPECT_EQ(m_obj.Release(), 0);
    EXPECT_TRUE(m_obj.IsOpen());
    // Stopping a paused run closes it.
    EXPECT_TRUE(m_obj.StopThumbnails());
    EXPECT_FALSE(m_obj.IsOpen());
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
    EXPECT_FALSE(m_obj.StopThumbnails());
}

TEST_F(SlidePPTObjTest, UnknownShowNameGivesNoSlides)
{
    CPptBuilder deck(4);
    deck.rangeType = 3;
    deck.showName = "Nowhere";
    deck.shows = {{"Somewhere", {257, 256}}};
    const std::string path = Out("unknown.ppt");
    ASSERT_TRUE(deck.Write(path));
    ASSERT_TRUE(m_obj.OpenPresentation(path, 160, 120, nullptr, false));
    EXPECT_EQ(m_obj.SlideCount(), 0);
    EXPECT_EQ(m_obj.TotalSlides(), 4);
    int number = 0;
    EXPECT_FALSE(m_obj.ExportSlide(Out("x.png"), 1, 1024, 768, number));
    EXPECT_TRUE(m_obj.MakeThumbnails(1)); // nothing to make
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle);
}

struct ShowCase
{
    const char* what;
    int rangeType;
    int start, end;
    std::string name;
    std::vector<int> numbers;
};

// Shows over a built deck of 5 slides numbered from 3 (slide ids 256..260).
TEST_F(SlidePPTObjTest, ShowSettingsOfBuiltDecks)
{
    const ShowCase cases[] = {
        {"all", 1, 0, 0, "", {3, 4, 5, 6, 7}},
        {"range", 2, 2, 4, "", {4, 5, 6}},
        {"range past the end", 2, 4, 900, "", {6, 7}},
        {"range before the start", 2, -3, 1, "", {3}},
        {"empty range", 2, 4, 2, "", {}},
        {"custom", 3, 0, 0, "B", {7, 3}},
        {"custom with unknown slide", 3, 0, 0, "C", {4, 6}},
        {"names are case-sensitive", 3, 0, 0, "b", {}},
    };
    for (const ShowCase& c : cases) {
        CPptBuilder deck(5);
        deck.firstSlideNumber = 3;
        deck.rangeType = c.rangeType;
        deck.startSlide = c.start;
        deck.endSlide = c.end;
        deck.showName = c.name;
        deck.shows = {{"A", {256}}, {"B", {260, 256}}, {"C", {257, 999, 259}}};
        const std::string path = Out("built.ppt");
        ASSERT_TRUE(deck.Write(path));
        ASSERT_TRUE(m_obj.OpenPresentation(path, 160, 120, nullptr, false)) << c.what;
        EXPECT_EQ(Numbers(), c.numbers) << c.what;
        EXPECT_TRUE(m_obj.ClosePresentation());
    }
}

TEST_F(SlidePPTObjTest, ThousandsOfSlidesOpen)
{
    CPptBuilder deck(3000);
    const std::string path = Out("many.ppt");
    ASSERT_TRUE(deck.Write(path));
    ASSERT_TRUE(m_obj.OpenPresentation(path, 160, 120, nullptr, false));
    EXPECT_EQ(m_obj.SlideCount(), 3000);
    EXPECT_EQ(m_obj.SlideNumberAt(3000), 3000);
    EXPECT_EQ(m_obj.SlideNumberAt(3001), 0);
}

} // namespace
