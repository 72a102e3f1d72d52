// The one-slide export of a presentation file.
#include "pptbuilder.h"
#include "presentation/slideexport.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ExportCase
{
    const char* fixture;
    int page;         // asked for
    int expectedPage; // given back
    int shownSlide;   // which slide's picture
};

class SlideExportTest : public ::testing::Test
{
protected:
    std::string Out(const char* name) const { return m_dir.filePath(name).toStdString(); }
    const std::string m_cache = CPresentationFixtures::Folder() + "cache/";
    QTemporaryDir m_dir;
};

TEST_F(SlideExportTest, PageZeroIsTheFirstSlideOfTheShow)
{
    const ExportCase cases[] = {
        {"plain6", 0, 1, 1},  {"plain6", 4, 4, 4},
        {"range7", 0, 3, 3},  // the show starts at slide 3
        {"custom6", 0, 5, 5}, // the custom show starts with slide 5
        {"first5", 0, 5, 1},  // numbered from 5
        {"first5", 7, 7, 3},
    };
    for (const ExportCase& c : cases) {
        int page = c.page;
        const std::string out = Out("slide.png");
        ASSERT_TRUE(ExportPresentationSlide(CPresentationFixtures::Path(c.fixture), out, page, 0, 0,
                                            m_cache))
            << c.fixture << " " << c.page;
        EXPECT_EQ(page, c.expectedPage) << c.fixture << " " << c.page;
        EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(160, 120));
        EXPECT_EQ(SlideShownIn(out), c.shownSlide) << c.fixture << " " << c.page;
    }
}

TEST_F(SlideExportTest, SizeAndFailures)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    int page = 2;
    ASSERT_TRUE(ExportPresentationSlide(deck, Out("big.png"), page, 1024, 768, m_cache));
    EXPECT_EQ(QImage(QString::fromStdString(Out("big.png"))).size(), QSize(1024, 768));

    page = 7; // no such slide
    EXPECT_FALSE(ExportPresentationSlide(deck, Out("none.png"), page, 0, 0, m_cache));
    EXPECT_EQ(page, 7);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Out("none.png"))));
    page = 1;
    EXPECT_FALSE(ExportPresentationSlide(deck, "", page, 0, 0, m_cache));
    EXPECT_FALSE(ExportPresentationSlide("", Out("x.png"), page, 0, 0, m_cache));
    EXPECT_FALSE(ExportPresentationSlide(Out("missing.ppt"), Out("x.png"), page, 0, 0, m_cache));
    const std::string notPpt = Out("deck.odp");
    ASSERT_TRUE(CPptBuilder(2).Write(notPpt));
    EXPECT_FALSE(ExportPresentationSlide(notPpt, Out("x.png"), page, 0, 0, m_cache));
}

} // namespace
