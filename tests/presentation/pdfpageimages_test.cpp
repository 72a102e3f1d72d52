// Display images rendered straight from PDF pages: the page's proportions
// kept, each job given its own page whichever thread renders it.
#include "presentation/pdfpageimages.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Page
{
    QSizeF points;
    QColor colour;
};

// One PDF page per entry, filled with its colour, with a black square in
// the middle whose side is half the page's shorter side.
bool WriteSquarePdf(const QString& path, const std::vector<Page>& pages)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QPageSize size(pages[i].points, QPageSize::Point, QString(), QPageSize::ExactMatch);
        if (!writer.setPageSize(size) || !writer.setPageMargins(QMarginsF(0, 0, 0, 0)))
            return false;
        if (i == 0 ? !painter.begin(&writer) : !writer.newPage())
            return false;
        const QRectF page(QPointF(0, 0), pages[i].points);
        painter.fillRect(page, pages[i].colour);
        const double side = std::min(page.width(), page.height()) / 2;
        painter.fillRect(QRectF(page.center() - QPointF(side / 2, side / 2), QSizeF(side, side)),
                         Qt::black);
    }
    return painter.end();
}

bool Dark(QRgb pixel)
{
    return qGray(pixel) < 64;
}

// The black square's width and height as drawn in `image`.
QSize SquareIn(const QImage& image)
{
    int w = 0;
    int h = 0;
    for (int x = 0; x < image.width(); ++x)
        w += Dark(image.pixel(x, image.height() / 2)) ? 1 : 0;
    for (int y = 0; y < image.height(); ++y)
        h += Dark(image.pixel(image.width() / 2, y)) ? 1 : 0;
    return {w, h};
}

class PdfPageImagesTest : public ::testing::Test
{
protected:
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
};

TEST_F(PdfPageImagesTest, PagesKeepTheirProportionsInTheDisplayFrame)
{
    struct Case
    {
        const char* name;
        QSizeF points;
        QSize display;
    } cases[] = {
        {"3:4 portrait", {540, 720}, {576, 768}},         {"A4 portrait", {595, 842}, {542, 768}},
        {"16:9 slide", {960, 540}, {1024, 576}},          {"4:3 slide", {720, 540}, {1024, 768}},
        {"small page, enlarged", {100, 75}, {1024, 768}}, {"tall strip", {100, 1000}, {76, 768}},
    };
    std::vector<Page> pages;
    for (const Case& c : cases)
        pages.push_back({c.points, Qt::white});
    ASSERT_TRUE(WriteSquarePdf(Path("sizes.pdf"), pages));
    CPdfPageImages images(Path("sizes.pdf").toStdString(), 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CPdfPageImages::DisplaySize(c.points), c.display);
        std::vector<CPdfPageImages::Job> jobs(1);
        jobs[0].page = int(i) + 1;
        jobs[0].destination = Path("page.png").toStdString();
        ASSERT_TRUE(images.Run(jobs));
        ASSERT_TRUE(jobs[0].written);
        EXPECT_EQ(jobs[0].size, c.display);
        const QImage written(Path("page.png"));
        ASSERT_EQ(written.size(), c.display);
        // A square stays a square: nothing stretched to fill the frame.
        const QSize square = SquareIn(written);
        const int side = std::min(c.display.width(), c.display.height()) / 2;
        EXPECT_NEAR(square.width(), side, 3);
        EXPECT_NEAR(square.height(), side, 3);
    }
    EXPECT_FALSE(CPdfPageImages::DisplaySize({0, 100}).isValid());
    EXPECT_FALSE(CPdfPageImages::DisplaySize({100, -1}).isValid());
}

TEST_F(PdfPageImagesTest, EveryJobGetsItsOwnPageOnAnyThreadAndAFailureLeavesNoFile)
{
    const std::vector<QColor> colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
    std::vector<Page> pages;
    for (const QColor& colour : colours)
        pages.push_back({QSizeF(720, 540), colour});
    ASSERT_TRUE(WriteSquarePdf(Path("colours.pdf"), pages));
    CPdfPageImages images(Path("colours.pdf").toStdString(), 2);
    EXPECT_EQ(images.Threads(), 2);
    const std::vector<int> order = {5, 1, 3, 99, 2, 4};
    std::vector<CPdfPageImages::Job> jobs;
    for (size_t i = 0; i < order.size(); ++i) {
        CPdfPageImages::Job job;
        job.page = order[i];
        job.destination = Path("out").toStdString() + std::to_string(i) + ".png";
        QFile reserved(QString::fromStdString(job.destination));
        ASSERT_TRUE(reserved.open(QIODevice::WriteOnly)); // as a reserved name is
        jobs.push_back(job);
    }
    // The page that is not there fails alone.
    EXPECT_FALSE(images.Run(jobs));
    for (size_t i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i]);
        const QString file = QString::fromStdString(jobs[i].destination);
        if (order[i] == 99) {
            EXPECT_FALSE(jobs[i].written);
            EXPECT_FALSE(QFile::exists(file));
            continue;
        }
        ASSERT_TRUE(jobs[i].written);
        const QImage written(file);
        ASSERT_EQ(written.size(), QSize(1024, 768));
        EXPECT_EQ(QColor(written.pixel(5, 5)), colours[size_t(order[i] - 1)]);
    }
    // A document that cannot be read writes nothing.
    CPdfPageImages missing(Path("none.pdf").toStdString(), 2);
    std::vector<CPdfPageImages::Job> one(1);
    one[0].page = 1;
    one[0].destination = Path("none.png").toStdString();
    EXPECT_FALSE(missing.Run(one));
    EXPECT_FALSE(QFile::exists(Path("none.png")));
}

} // namespace
