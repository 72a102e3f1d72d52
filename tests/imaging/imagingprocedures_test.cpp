#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"
#include "imagingtestutil.h"
#include "support/testcellhost.h"

#include <QDir>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace imagingtest;

namespace {

class ImagingProceduresTest : public ::testing::Test
{
protected:
    std::string Source(const std::string& name, const QImage& img)
    {
        const std::string path = tmp.Path(name);
        EXPECT_TRUE(Write(path, img, name.substr(name.rfind('.') + 1).c_str(), 95));
        return path;
    }

    TempFolder tmp;
    CTestCellHost host;
};

} // namespace

TEST_F(ImagingProceduresTest, WorkImageFitsInto1024x768)
{
    struct Case
    {
        QSize source;
        QSize expected;
    } cases[] = {
        {{2048, 768}, {1024, 384}},                               // wider: width limits
        {{640, 480}, {1024, 768}},                                // smaller: enlarged
        {{500, 1000}, {384, 768}},                                // taller: height limits
        {{1024, 500}, {1024, 500}},                               // fits exactly in width already
        {{1000, 1000}, {768, 768}},  {{4000, 3000}, {1024, 768}}, // decoded reduced on the way
        {{3001, 2000}, {1024, 682}}, // trunc(2000 * 1024 / 3001) = 682.4
    };
    for (const Case& c : cases) {
        for (const char* ext : {"png", "jpg"}) {
            const std::string src = Source("s" + std::to_string(c.source.width()) + "." + ext,
                                           Pattern(c.source.width(), c.source.height()));
            const std::string dst = tmp.Path("work.png");
            QSize size;
            ASSERT_EQ(host.CreateWorkImage(src, dst, size), 1) << c.source.width() << ext;
            EXPECT_EQ(size, c.expected) << c.source.width() << ext;
            const QByteArray bytes = ReadAll(dst);
            EXPECT_EQ(bytes.left(4), QByteArray("\x89PNG")) << "stored as PNG";
            EXPECT_EQ(Load(dst).size(), c.expected);
            EXPECT_TRUE(host.primary.Image().isNull()) << "the bitmap is released";
        }
    }
}

TEST_F(ImagingProceduresTest, WorkImageOfTheFrameSizeIsNotResampled)
{
    const QImage original = Pattern(1024, 768);
    const std::string src = Source("exact.png", original);
    const std::string dst = tmp.Path("work.png");
    QSize size;
    ASSERT_EQ(host.CreateWorkImage(src, dst, size), 1);
    EXPECT_EQ(size, QSize(1024, 768));
    EXPECT_EQ(Load(dst).convertToFormat(QImage::Format_RGB32), original) << "every pixel as it was";
}

TEST_F(ImagingProceduresTest, ThumbnailScalesByTheThumbFrameAndIsJpeg)
{
    struct Case
    {
        QSize work;
        int thumbW, thumbH;
        QSize expected;
    } cases[] = {
        {{1024, 768}, 160, 120, {160, 120}},
        {{1024, 384}, 160, 120, {160, 60}},
        {{384, 768}, 160, 120, {60, 120}},
        {{1024, 768}, 0, 0, {160, 120}},      // 0 means the usual frame
        {{1000, 700}, 160, 120, {156, 109}},  // trunc(156.25), trunc(109.375)
        {{4000, 3000}, 160, 120, {625, 468}}, // not a working image: scaled all the same
    };
    for (const Case& c : cases) {
        const std::string src = Source("w.png", Pattern(c.work.width(), c.work.height()));
        const std::string dst = tmp.Path("thumb.jpg");
        QSize size(-7, -7);
        ASSERT_EQ(host.CreateThumbImage(src, dst, c.thumbW, c.thumbH, size), 1);
        EXPECT_EQ(size, c.expected) << c.work.width() << "x" << c.work.height();
        EXPECT_EQ(ReadAll(dst).left(3), QByteArray("\xFF\xD8\xFF", 3));
        EXPECT_EQ(Load(dst).size(), c.expected);
    }
    // A JPEG source may be decoded reduced; the thumbnail size stays exact.
    const std::string big = Source("big.jpg", Pattern(4000, 3000));
    QSize size;
    ASSERT_EQ(host.CreateThumbImage(big, tmp.Path("t.jpg"), 160, 120, size), 1);
    EXPECT_EQ(size, QSize(625, 468));
    EXPECT_EQ(Load(tmp.Path("t.jpg")).size(), QSize(625, 468));
}

TEST_F(ImagingProceduresTest, CardThumbnailLetterboxesOnTheBackgroundColour)
{
    // 1024 x 384 working image -> 160 x 60 thumbnail -> 160 x 120 card
    // thumbnail with 30 rows of background above and below.
    const QRgb picture = qRgb(20, 200, 40);
    const std::string work = Source("work.png", Solid(1024, 384, picture));
    QSize size;
    ASSERT_EQ(host.CreateThumbImage(work, tmp.Path("thumb.jpg"), 160, 120, size), 1);
    ASSERT_EQ(size, QSize(160, 60));

    host.backColor = 0x00C08040; // red 0x40, green 0x80, blue 0xC0
    const QRgb back = qRgb(0x40, 0x80, 0xC0);
    const std::string card = tmp.Path("CARD0001.JPS");
    ASSERT_EQ(host.CreateCardImage(tmp.Path("thumb.jpg"), card, true), 1);
    const QImage img = Load(card);
    ASSERT_EQ(img.size(), QSize(160, 120));
    EXPECT_EQ(ReadAll(card).left(3), QByteArray("\xFF\xD8\xFF", 3));
    for (int x : {0, 80, 159}) {
        for (int y : {0, 15, 27})
            EXPECT_TRUE(Near(img.pixel(x, y), back, 6)) << x << "," << y;
        for (int y : {92, 105, 119})
            EXPECT_TRUE(Near(img.pixel(x, y), back, 6)) << x << "," << y;
        for (int y : {33, 60, 86})
            EXPECT_TRUE(Near(img.pixel(x, y), picture, 6)) << x << "," << y;
    }
    EXPECT_TRUE(host.primary.Image().isNull());
    EXPECT_TRUE(host.canvas.Image().isNull());
}

TEST_F(ImagingProceduresTest, CardFormatFollowsImageQuality)
{
    const std::string work = Source("work.png", Pattern(1024, 384));
    const std::string exact = Source("exact.png", Pattern(1024, 768));
    struct Case
    {
        int quality;
        QByteArray magic;
    } cases[] = {
        {0, "BM"},
        {1, QByteArray("\xFF\xD8", 2)},
        {2, QByteArray("\xFF\xD8", 2)},
        {7, QByteArray("\xFF\xD8", 2)},
    };
    for (const Case& c : cases) {
        host.imageQuality = c.quality;
        for (const std::string& src : {work, exact}) {
            const std::string card = tmp.Path("CARD.IMG");
            ASSERT_EQ(host.CreateCardImage(src, card, false), 1) << c.quality;
            const QByteArray bytes = ReadAll(card);
            EXPECT_EQ(bytes.left(2), c.magic) << c.quality;
            EXPECT_EQ(Load(card).size(), QSize(1024, 768));
            // Thumbnails stay JPEG whatever the quality.
            ASSERT_EQ(host.CreateCardImage(src, tmp.Path("CARD.JPS"), true), 1);
            EXPECT_EQ(ReadAll(tmp.Path("CARD.JPS")).left(2), QByteArray("\xFF\xD8", 2));
        }
    }
    // Quality 0 stores every pixel of a picture of the card size.
    host.imageQuality = 0;
    ASSERT_EQ(host.CreateCardImage(exact, tmp.Path("X.BMP"), false), 1);
    EXPECT_EQ(Load(tmp.Path("X.BMP")).convertToFormat(QImage::Format_RGB32), Pattern(1024, 768));
    // Quality factor 4 keeps more than 20.
    host.imageQuality = 1;
    ASSERT_EQ(host.CreateCardImage(exact, tmp.Path("Q1.JPG"), false), 1);
    host.imageQuality = 2;
    ASSERT_EQ(host.CreateCardImage(exact, tmp.Path("Q2.JPG"), false), 1);
    EXPECT_GT(ReadAll(tmp.Path("Q1.JPG")).size(), ReadAll(tmp.Path("Q2.JPG")).size());
}

TEST_F(ImagingProceduresTest, FailuresReturnZeroAndWriteNothing)
{
    const std::string good = Source("good.png", Pattern(200, 100));
    const std::string bad = tmp.Path("bad.jpg");
    ASSERT_TRUE(WriteBytes(bad, "definitely not a JPEG"));
    QSize size(1, 1);

    // Empty paths: nothing is done at all.
    EXPECT_EQ(host.CreateWorkImage(good, "", size), 0);
    EXPECT_EQ(size, QSize(1, 1));
    EXPECT_EQ(host.CreateWorkImage("", tmp.Path("w.png"), size), 0);
    EXPECT_EQ(host.CreateThumbImage(good, "", 160, 120, size), 0);
    EXPECT_EQ(host.CreateCardImage(good, "", false), 0);
    EXPECT_EQ(host.CreateCardImage("", tmp.Path("c.jpg"), true), 0);

    // Unreadable sources fail at the probe; the bitmaps are released.
    ASSERT_EQ(host.primary.NewImage(10, 10, 24), 0);
    ASSERT_EQ(host.canvas.NewImage(10, 10, 24), 0);
    EXPECT_EQ(host.CreateWorkImage(bad, tmp.Path("w.png"), size), 0);
    EXPECT_EQ(host.CreateThumbImage(bad, tmp.Path("t.jpg"), 160, 120, size), 0);
    EXPECT_EQ(host.CreateCardImage(bad, tmp.Path("c.jpg"), false), 0);
    EXPECT_EQ(host.CreateWorkImage(tmp.Path("missing.png"), tmp.Path("w.png"), size), 0);
    EXPECT_TRUE(host.primary.Image().isNull());
    EXPECT_TRUE(host.canvas.Image().isNull());
    for (const char* name : {"w.png", "t.jpg", "c.jpg"})
        EXPECT_FALSE(FileExists(tmp.Path(name))) << name;

    // A destination that cannot be written (below a regular file: this
    // holds for root too) fails and leaves nothing.
    ASSERT_TRUE(WriteBytes(tmp.Path("file"), "x"));
    const std::string blocked = tmp.Path("file/sub/out.png");
    EXPECT_EQ(host.CreateWorkImage(good, blocked, size), 0);
    EXPECT_EQ(host.CreateThumbImage(good, blocked, 160, 120, size), 0);
    EXPECT_EQ(host.CreateCardImage(good, blocked, false), 0);
    EXPECT_EQ(host.CreateCardImage(good, blocked, true), 0);
    EXPECT_FALSE(FileExists(blocked));
    EXPECT_EQ(QDir(QString::fromStdString(tmp.Path(""))).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"bad.jpg", "file", "good.png"}));
    EXPECT_TRUE(host.primary.Image().isNull());
    EXPECT_TRUE(host.canvas.Image().isNull());
}

TEST_F(ImagingProceduresTest, ImageFileCheckProbesWithoutKeepingAnything)
{
    CLead lead;
    const std::string good = Source("a.jpg", Pattern(30, 20));
    ASSERT_TRUE(WriteBytes(tmp.Path("b.jpg"), "text"));
    ASSERT_TRUE(WriteBytes(tmp.Path("c.png"), ""));
    ASSERT_EQ(lead.NewImage(5, 5, 24), 0);
    EXPECT_EQ(CImagingProcedures::IsImageFile(lead, good), 1);
    EXPECT_TRUE(lead.Image().isNull());
    EXPECT_EQ(CImagingProcedures::IsImageFile(lead, tmp.Path("b.jpg")), 0);
    EXPECT_EQ(CImagingProcedures::IsImageFile(lead, tmp.Path("c.png")), 0);
    EXPECT_EQ(CImagingProcedures::IsImageFile(lead, tmp.Path("none.bmp")), 0);
    EXPECT_EQ(CImagingProcedures::IsImageFile(lead, ""), 0);
}

TEST_F(ImagingProceduresTest, PrepareImagingAppliesTheSettings)
{
    CLead lead;
    lead.SetUnit(0);
    lead.SetProperty2(true);
    lead.SetAutoSize(true);
    ASSERT_EQ(lead.NewImage(3, 3, 24), 0);
    CImagingProcedures::PrepareImaging(lead);
    EXPECT_TRUE(lead.Image().isNull());
    EXPECT_EQ(lead.Unit(), 3);
    EXPECT_FALSE(lead.Property2());
    EXPECT_FALSE(lead.AutoSize());
}

TEST(ImagingProcedureSizes, FitAndThumbAndCardFormat)
{
    EXPECT_EQ(CImagingProcedures::FitWorkSize({1024, 768}), QSize(1024, 768));
    EXPECT_EQ(CImagingProcedures::FitWorkSize({1, 1}), QSize(768, 768));
    EXPECT_EQ(CImagingProcedures::FitWorkSize({4, 3}), QSize(1024, 768));
    // Extreme proportions keep every side at least one pixel.
    EXPECT_EQ(CImagingProcedures::FitWorkSize({10000, 1}), QSize(1024, 1));
    EXPECT_EQ(CImagingProcedures::FitWorkSize({4000, 3}), QSize(1024, 1));
    EXPECT_EQ(CImagingProcedures::FitWorkSize({16000, 8}), QSize(1024, 1));
    EXPECT_EQ(CImagingProcedures::FitWorkSize({1, 100000}), QSize(1, 768));
    EXPECT_EQ(CImagingProcedures::FitWorkSize({0, 0}), QSize(1, 1));
    EXPECT_EQ(CImagingProcedures::FitSize({14400, 1}, {160, 120}), QSize(160, 1));
    EXPECT_EQ(CImagingProcedures::ThumbSize({1024, 768}, 160, 120), QSize(160, 120));
    EXPECT_EQ(CImagingProcedures::ThumbSize({6, 5}, 160, 120), QSize(1, 1));
    EXPECT_EQ(CImagingProcedures::ThumbSize({1024, 1}, 160, 120), QSize(160, 1));
    int16_t format = 0, factor = 0;
    CImagingProcedures::CardFormat(true, 0, format, factor);
    EXPECT_EQ(format, CLead::FormatJpeg);
    EXPECT_EQ(factor, 2);
    CImagingProcedures::CardFormat(false, 0, format, factor);
    EXPECT_EQ(format, CLead::FormatBmp);
    EXPECT_EQ(factor, 2);
    CImagingProcedures::CardFormat(false, 1, format, factor);
    EXPECT_EQ(factor, 4);
    CImagingProcedures::CardFormat(false, 2, format, factor);
    EXPECT_EQ(factor, 20);
    CImagingProcedures::CardFormat(false, -1, format, factor);
    EXPECT_EQ(format, CLead::FormatJpeg);
    EXPECT_EQ(factor, 2);
}

TEST_F(ImagingProceduresTest, TinySourceGivesAThumbnailOfAtLeastAPixelEachWay)
{
    // 6 x 5 scaled by the thumbnail rule truncates to 0 x 0: each side keeps
    // a pixel instead, so the step does not fail over a valid picture.
    const std::string src = Source("tiny.png", Pattern(6, 5));
    QSize size(3, 3);
    EXPECT_EQ(host.CreateThumbImage(src, tmp.Path("t.jpg"), 160, 120, size), 1);
    EXPECT_EQ(size, QSize(1, 1));
    EXPECT_EQ(QImage(QString::fromStdString(tmp.Path("t.jpg"))).size(), QSize(1, 1));
}

TEST_F(ImagingProceduresTest, GreySourceStillGivesA24BitThumbnailAndProgressiveJpegsRead)
{
    // The thumbnail loads at the file's own depth but always writes 24-bit
    // colour: a three-component baseline frame.
    QImage grey(1024, 768, QImage::Format_Grayscale8);
    grey.fill(90);
    const std::string src = tmp.Path("grey.png");
    ASSERT_TRUE(Write(src, grey, "png"));
    QSize size;
    ASSERT_EQ(host.CreateThumbImage(src, tmp.Path("t.jpg"), 160, 120, size), 1);
    const QByteArray jpg = ReadAll(tmp.Path("t.jpg"));
    ASSERT_TRUE(JpegHasFrame(jpg, 0xC0));
    const int sof = jpg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    EXPECT_EQ(int(jpg[sof + 9]), 3) << "components";

    // A progressive source (several scans) is complete and loads, reduced
    // when large.
    const std::string progressive = tmp.Path("prog.jpg");
    QImageWriter writer(QString::fromStdString(progressive), "jpeg");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(Pattern(2400, 1800)));
    ASSERT_TRUE(JpegHasFrame(ReadAll(progressive), 0xC2));
    ASSERT_EQ(host.CreateWorkImage(progressive, tmp.Path("w.png"), size), 1);
    EXPECT_EQ(size, QSize(1024, 768));
    EXPECT_EQ(Load(tmp.Path("w.png")).size(), QSize(1024, 768));
}

TEST_F(ImagingProceduresTest, HostsWorkInParallel)
{
    // The import and the card export run the procedures on several threads,
    // each with hosts of its own.
    constexpr int kThreads = 3;
    std::vector<std::string> sources;
    for (int i = 0; i < kThreads; ++i)
        sources.push_back(Source("p" + std::to_string(i) + ".jpg", Pattern(1500 + 200 * i, 1000)));
    std::vector<int> results(kThreads, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            CTestCellHost own;
            own.imageQuality = i % 3;
            const std::string base = tmp.Path("out" + std::to_string(i));
            QSize work, thumb;
            int ok = 1;
            for (int round = 0; round < 3 && ok; ++round)
                ok = own.CreateWorkImage(sources[size_t(i)], base + ".png", work) &&
                     own.CreateThumbImage(base + ".png", base + ".jpg", 160, 120, thumb) &&
                     own.CreateCardImage(base + ".png", base + ".CRD", false) &&
                     own.CreateCardImage(base + ".jpg", base + ".JPS", true);
            results[size_t(i)] = ok && work.width() == 1024 && thumb.width() == 160;
        });
    for (std::thread& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(results[size_t(i)], 1) << i;
        EXPECT_EQ(Load(tmp.Path("out" + std::to_string(i) + ".CRD")).size(), QSize(1024, 768));
        EXPECT_EQ(Load(tmp.Path("out" + std::to_string(i) + ".JPS")).size(), QSize(160, 120));
    }
}
