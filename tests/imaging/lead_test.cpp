#include "imaging/lead.h"
#include "imagingtestutil.h"

#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace imagingtest;

namespace {

class LeadTest : public ::testing::Test
{
protected:
    // Writes `img` as `name` in the temporary folder and loads it into `lead`.
    void LoadInto(CLead& lead, const QImage& img, const std::string& name = "in.png")
    {
        const std::string path = tmp.Path(name);
        ASSERT_TRUE(Write(path, img, name.substr(name.rfind('.') + 1).c_str()));
        ASSERT_EQ(lead.LoadFile(path, 24, 0, -1), 0);
    }

    TempFolder tmp;
};

} // namespace

TEST_F(LeadTest, HandleGivesAnIndependentCopyAndZeroReleases)
{
    CLead a, b;
    EXPECT_EQ(a.BitmapHandle(), 0u) << "no bitmap, no handle";
    LoadInto(a, Solid(40, 30, qRgb(10, 20, 30)));
    const uint32_t h = a.BitmapHandle();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(a.BitmapHandle(), h) << "the same bitmap keeps its handle";

    ASSERT_EQ(b.SetBitmapHandle(h), 0);
    EXPECT_EQ(b.ImageWidth(), 40.f);
    EXPECT_EQ(b.ImageHeight(), 30.f);
    EXPECT_NE(b.BitmapHandle(), h) << "the copy is a bitmap of its own";

    // Changing the copy leaves the original alone, and the other way round.
    ASSERT_EQ(b.FillImage(0x000000FF), 0);
    EXPECT_EQ(a.Image().pixel(0, 0), qRgb(10, 20, 30));
    ASSERT_EQ(a.SetBitmapHandle(0), 0);
    EXPECT_TRUE(a.Image().isNull());
    EXPECT_EQ(a.ImageWidth(), 0.f);
    EXPECT_EQ(b.Image().pixel(5, 5), qRgb(255, 0, 0));

    // The released bitmap's handle names nothing any more.
    CLead c;
    EXPECT_NE(c.SetBitmapHandle(h), 0);
    EXPECT_TRUE(c.Image().isNull());
}

TEST_F(LeadTest, HandleOfAChangedBitmapIsWithdrawnAndOwnHandleKeeps)
{
    CLead a, b;
    LoadInto(a, Solid(8, 8, qRgb(1, 2, 3)));
    const uint32_t h = a.BitmapHandle();
    ASSERT_EQ(a.SetBitmapHandle(h), 0) << "putting its own handle keeps the bitmap";
    EXPECT_EQ(a.ImageWidth(), 8.f);

    ASSERT_EQ(a.FillImage(0), 0);
    EXPECT_NE(b.SetBitmapHandle(h), 0) << "a handle names the bitmap as it was";
    const uint32_t h2 = a.BitmapHandle();
    EXPECT_NE(h2, h);
    ASSERT_EQ(b.SetBitmapHandle(h2), 0);
    EXPECT_EQ(b.Image().pixel(0, 0), qRgb(0, 0, 0));

    // A destroyed instance withdraws its handle.
    uint32_t gone = 0;
    {
        CLead d;
        LoadInto(d, Solid(4, 4, qRgb(9, 9, 9)));
        gone = d.BitmapHandle();
    }
    EXPECT_NE(b.SetBitmapHandle(gone), 0);
    EXPECT_TRUE(b.Image().isNull()) << "an unknown handle releases the bitmap";
}

TEST_F(LeadTest, NewFillAndConvertUseRedInTheLowByte)
{
    CLead lead;
    EXPECT_NE(lead.FillImage(0), 0) << "nothing to fill";
    EXPECT_NE(lead.NewImage(0, 10, 24), 0);
    EXPECT_NE(lead.NewImage(10, 10, 8), 0);
    EXPECT_NE(lead.NewImage(40000, 40000, 24), 0) << "beyond the bounds";
    ASSERT_EQ(lead.NewImage(160, 120, 24), 0);
    EXPECT_EQ(lead.Image().pixel(0, 0), qRgb(0, 0, 0));
    ASSERT_EQ(lead.FillImage(0x00332211), 0);
    EXPECT_EQ(lead.Image().pixel(159, 119), qRgb(0x11, 0x22, 0x33));

    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(200, 100, 50)});
    indexed.fill(0);
    ASSERT_EQ(lead.ImportDib(indexed), 0);
    EXPECT_EQ(lead.Image().format(), QImage::Format_Indexed8);
    ASSERT_EQ(lead.ConvertBits(24, 4, 0, 0), 0);
    EXPECT_EQ(lead.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(lead.Image().pixel(3, 3), qRgb(200, 100, 50));
    EXPECT_NE(lead.ImportDib(QImage()), 0);
}

TEST_F(LeadTest, CombineCopyPlacesClipsAndTruncatesHalfPositions)
{
    CLead src, dst;
    ASSERT_EQ(src.NewImage(4, 2, 24), 0);
    ASSERT_EQ(src.FillImage(0x0000FF00), 0);
    ASSERT_EQ(dst.NewImage(10, 6, 24), 0);
    ASSERT_EQ(dst.FillImage(0x00FF0000), 0);

    // (10 - 4) / 2 = 3, (6 - 2) / 2 = 2: exact.
    ASSERT_EQ(dst.CombineImage(3, 2, 4, 2, src.BitmapHandle(), 0, 0, CLead::CombineCopy), 0);
    const QImage& img = dst.Image();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 2 && y < 4;
            EXPECT_EQ(img.pixel(x, y), inside ? qRgb(0, 255, 0) : qRgb(0, 0, 255)) << x << "," << y;
        }

    // A position ending in .5 starts at the pixel it lies in; a source
    // larger than the destination is clipped on every side.
    ASSERT_EQ(dst.FillImage(0), 0);
    ASSERT_EQ(dst.CombineImage(0.5f, 0.5f, 4, 2, src.BitmapHandle(), 0, 0, CLead::CombineCopy), 0);
    EXPECT_EQ(dst.Image().pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(dst.Image().pixel(4, 0), qRgb(0, 0, 0));
    CLead big;
    ASSERT_EQ(big.NewImage(20, 20, 24), 0);
    ASSERT_EQ(big.FillImage(0x00FFFFFF), 0);
    ASSERT_EQ(dst.CombineImage(-5, -7, 20, 20, big.BitmapHandle(), 0, 0, CLead::CombineCopy), 0);
    EXPECT_EQ(dst.Image().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(dst.Image().pixel(9, 5), qRgb(255, 255, 255));

    EXPECT_NE(dst.CombineImage(0, 0, 4, 2, 0, 0, 0, CLead::CombineCopy), 0) << "no source";
    EXPECT_NE(dst.CombineImage(0, 0, 4, 2, big.BitmapHandle(), 0, 0, 801), 0) << "unknown code";
    // Combining a bitmap with itself reads the bitmap as it was.
    ASSERT_EQ(src.CombineImage(1, 0, 3, 2, src.BitmapHandle(), 0, 0, CLead::CombineCopy), 0);
    EXPECT_EQ(src.Image().pixel(3, 1), qRgb(0, 255, 0));
}

TEST_F(LeadTest, MaskThenMarkSequenceLaysATransparentOverlay)
{
    // Mask white where the mark has its figure, mark black elsewhere: after
    // 768 and 512 with the mask and 768 with the mark the picture shows the
    // mark inside the figure and itself outside.
    const QImage picture = Pattern(16, 8);
    QImage mask = Solid(16, 8, qRgb(0, 0, 0));
    QImage mark = Solid(16, 8, qRgb(0, 0, 0));
    for (int y = 2; y < 6; ++y)
        for (int x = 4; x < 12; ++x) {
            mask.setPixel(x, y, qRgb(255, 255, 255));
            mark.setPixel(x, y, qRgb(200, (x * 20) & 0xFF, 10));
        }
    CLead p, c;
    ASSERT_EQ(p.ImportDib(picture), 0);
    ASSERT_EQ(c.ImportDib(mask), 0);
    ASSERT_EQ(p.CombineImage(0, 0, 16, 8, c.BitmapHandle(), 0, 0, 768), 0);
    ASSERT_EQ(p.CombineImage(0, 0, 16, 8, c.BitmapHandle(), 0, 0, 512), 0);
    ASSERT_EQ(c.ImportDib(mark), 0);
    ASSERT_EQ(p.CombineImage(0, 0, 16, 8, c.BitmapHandle(), 0, 0, 768), 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool figure = qRed(mask.pixel(x, y)) == 255;
            EXPECT_EQ(p.Image().pixel(x, y), figure ? mark.pixel(x, y) : picture.pixel(x, y))
                << x << "," << y;
        }
}

TEST_F(LeadTest, ResizeIsExactAndRejectsBadSizes)
{
    CLead lead;
    EXPECT_NE(lead.ResizeImage(10, 10, 2), 0) << "nothing to resize";
    ASSERT_EQ(lead.ImportDib(Pattern(100, 50)), 0);
    ASSERT_EQ(lead.ResizeImage(33, 77, 2), 0);
    EXPECT_EQ(lead.Image().size(), QSize(33, 77));
    EXPECT_NE(lead.ResizeImage(0, 10, 2), 0);
    EXPECT_NE(lead.ResizeImage(10, -3, 2), 0);
    EXPECT_NE(lead.ResizeImage(std::numeric_limits<float>::quiet_NaN(), 10, 2), 0);
    EXPECT_NE(lead.ResizeImage(30000, 30000, 2), 0) << "beyond the pixel bound";
    EXPECT_EQ(lead.Image().size(), QSize(33, 77)) << "a refused resize keeps the bitmap";
    // A smooth filter: a hard edge becomes a ramp when enlarged.
    QImage edge = Solid(2, 1, qRgb(0, 0, 0));
    edge.setPixel(1, 0, qRgb(255, 255, 255));
    ASSERT_EQ(lead.ImportDib(edge), 0);
    ASSERT_EQ(lead.ResizeImage(8, 1, 2), 0);
    const int mid = qRed(lead.Image().pixel(4, 0));
    EXPECT_GT(mid, 0);
    EXPECT_LT(mid, 255);
}

TEST_F(LeadTest, LoadKeepsOrWidensTheDepthAndLaysTransparencyOnWhite)
{
    CLead lead;
    QImage gray(20, 10, QImage::Format_Grayscale8);
    gray.fill(77);
    const std::string grayPath = tmp.Path("gray.png");
    ASSERT_TRUE(Write(grayPath, gray, "png"));
    ASSERT_EQ(lead.LoadFile(grayPath, 0, 0, 1), 0);
    EXPECT_EQ(lead.Image().format(), QImage::Format_Grayscale8);
    ASSERT_EQ(lead.LoadFile(grayPath, 24, 0, -1), 0);
    EXPECT_EQ(lead.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(lead.Image().pixel(3, 3), qRgb(77, 77, 77));
    EXPECT_NE(lead.LoadFile(grayPath, 8, 0, -1), 0) << "only 24 or the file's own depth";

    QImage alpha(10, 10, QImage::Format_ARGB32);
    alpha.fill(qRgba(0, 0, 0, 0));
    alpha.setPixel(5, 5, qRgba(255, 0, 0, 255));
    const std::string alphaPath = tmp.Path("alpha.png");
    ASSERT_TRUE(Write(alphaPath, alpha, "png"));
    ASSERT_EQ(lead.LoadFile(alphaPath, 24, 0, -1), 0);
    EXPECT_EQ(lead.Image().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(lead.Image().pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(lead.LoadedFileSize(), QSize(10, 10));
}

TEST_F(LeadTest, JpegDecodesReducedOnlyWhileTheTargetIsCovered)
{
    const std::string jpg = tmp.Path("big.jpg");
    ASSERT_TRUE(Write(jpg, Pattern(4000, 3000), "jpeg"));
    const std::string png = tmp.Path("big.png");
    ASSERT_TRUE(Write(png, Pattern(1600, 1200), "png"));
    struct Case
    {
        std::string path;
        QSize target;
        QSize decoded;
    } cases[] = {
        {jpg, QSize(1024, 768), QSize(2000, 1500)}, // 1/4 would be 1000 x 750: too small
        {jpg, QSize(1000, 750), QSize(1000, 750)},  // 1/4 covers exactly
        {jpg, QSize(160, 120), QSize(500, 375)},    // 1/8 at most
        {jpg, QSize(2001, 10), QSize(4000, 3000)},  // half is too narrow
        {jpg, QSize(), QSize(4000, 3000)},          // no target, no reduction
        {png, QSize(100, 75), QSize(1600, 1200)},   // only JPEG is decoded reduced
    };
    for (const Case& c : cases) {
        CLead lead;
        const QSize target = c.target;
        ASSERT_EQ(lead.LoadFile(c.path, 24, 0, -1, [&](const QSize&) { return target; }), 0);
        EXPECT_EQ(lead.Image().size(), c.decoded) << c.path << " " << target.width();
        EXPECT_EQ(lead.LoadedFileSize(), c.path == jpg ? QSize(4000, 3000) : QSize(1600, 1200));
    }
    CLead lead;
    ASSERT_EQ(lead.LoadFile(jpg, 24, 0, -1), 0);
    EXPECT_EQ(lead.Image().size(), QSize(4000, 3000));
}

TEST_F(LeadTest, OrientedJpegLoadsUprightAndReducesInItsOwnSense)
{
    const std::string path = tmp.Path("turned.jpg");
    QImageWriter writer(QString::fromStdString(path), "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(Pattern(1600, 800)));
    CLead lead;
    ASSERT_EQ(lead.LoadFile(path, 24, 0, -1), 0);
    if (lead.Image().size() == QSize(1600, 800))
        GTEST_SKIP() << "this Qt writes no orientation";
    EXPECT_EQ(lead.Image().size(), QSize(800, 1600));
    EXPECT_EQ(lead.LoadedFileSize(), QSize(800, 1600));
    // Shown 800 x 1600; a target of 400 x 800 allows half, not a quarter.
    ASSERT_EQ(lead.LoadFile(path, 24, 0, -1, [](const QSize&) { return QSize(400, 800); }), 0);
    EXPECT_EQ(lead.Image().size(), QSize(400, 800));
    ASSERT_EQ(lead.LoadFile(path, 24, 0, -1, [](const QSize&) { return QSize(300, 500); }), 0);
    EXPECT_EQ(lead.Image().size(), QSize(400, 800));
}

TEST_F(LeadTest, SavedJpegIsBaselineJfifAndBmpIs24BitBottomUp)
{
    CLead lead;
    ASSERT_EQ(lead.ImportDib(Pattern(33, 17)), 0);
    EXPECT_NE(lead.SaveFile(tmp.Path("x.jpg"), CLead::FormatJpeg, 8, 2, 0), 0);
    EXPECT_NE(lead.SaveFile(tmp.Path("x.gif"), 7, 24, 2, 0), 0);

    const std::string jpg = tmp.Path("card.jpg");
    ASSERT_EQ(lead.SaveFile(jpg, CLead::FormatJpeg, 24, 20, 0), 0);
    const QByteArray j = ReadAll(jpg);
    ASSERT_GT(j.size(), 20);
    EXPECT_EQ(j.left(4), QByteArray("\xFF\xD8\xFF\xE0", 4)) << "starts with the JFIF segment";
    EXPECT_EQ(j.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_TRUE(JpegHasFrame(j, 0xC0)) << "baseline frame";
    EXPECT_FALSE(JpegHasFrame(j, 0xC2)) << "never progressive";
    EXPECT_EQ(Load(jpg).size(), QSize(33, 17));

    const std::string bmp = tmp.Path("card.bmp");
    ASSERT_EQ(lead.SaveFile(bmp, CLead::FormatBmp, 24, 2, 0), 0);
    const QByteArray b = ReadAll(bmp);
    ASSERT_GE(b.size(), 54);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(Le32At(b, 14), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(int32_t(Le32At(b, 18)), 33);
    EXPECT_EQ(int32_t(Le32At(b, 22)), 17) << "positive height: bottom-up";
    EXPECT_EQ(Le16At(b, 28), 24) << "biBitCount";
    EXPECT_EQ(Le32At(b, 30), 0u) << "biCompression: none";
    const uint32_t rowBytes = (33 * 3 + 3) & ~3u;
    EXPECT_EQ(uint32_t(b.size()), Le32At(b, 10) + rowBytes * 17);
    // Bottom-up: the first stored row is the picture's last.
    const int off = int(Le32At(b, 10));
    const QRgb last = Pattern(33, 17).pixel(0, 16);
    EXPECT_EQ(uchar(b[off]), qBlue(last));
    EXPECT_EQ(uchar(b[off + 1]), qGreen(last));
    EXPECT_EQ(uchar(b[off + 2]), qRed(last));

    const std::string png = tmp.Path("work.png");
    ASSERT_EQ(lead.SaveFile(png, CLead::FormatPng, 24, 2, 0), 0);
    const QByteArray p = ReadAll(png);
    ASSERT_GT(p.size(), 26);
    EXPECT_EQ(p.mid(12, 4), QByteArray("IHDR"));
    EXPECT_EQ(int(p[24]), 8) << "8 bits per sample";
    EXPECT_EQ(int(p[25]), 2) << "RGB without alpha";
    EXPECT_EQ(Load(png).convertToFormat(QImage::Format_RGB32), Pattern(33, 17));
}

TEST_F(LeadTest, QualityFactorsMapToFallingJpegQuality)
{
    EXPECT_EQ(CLead::JpegQualityFor(2), 95);
    EXPECT_EQ(CLead::JpegQualityFor(4), 90);
    EXPECT_EQ(CLead::JpegQualityFor(20), 75);
    int previous = 100;
    for (int f = 0; f <= 255; ++f) {
        const int q = CLead::JpegQualityFor(f);
        EXPECT_LE(q, previous) << f;
        EXPECT_GE(q, 10) << f;
        previous = q;
    }
    // And the files follow: a higher factor writes a smaller file.
    CLead lead;
    ASSERT_EQ(lead.ImportDib(Pattern(256, 256)), 0);
    ASSERT_EQ(lead.SaveFile(tmp.Path("q2.jpg"), CLead::FormatJpeg, 24, 2, 0), 0);
    ASSERT_EQ(lead.SaveFile(tmp.Path("q20.jpg"), CLead::FormatJpeg, 24, 20, 0), 0);
    EXPECT_GT(ReadAll(tmp.Path("q2.jpg")).size(), ReadAll(tmp.Path("q20.jpg")).size());
}

TEST_F(LeadTest, UnwritableDestinationFailsAndLeavesNoFile)
{
    CLead lead;
    ASSERT_EQ(lead.ImportDib(Pattern(20, 20)), 0);
    EXPECT_NE(lead.SaveFile(tmp.Path("x.png"), 0, 24, 2, 0), 0) << "no format 0";
    // A folder below a regular file cannot be created or written, even by
    // root, so this holds whoever runs the tests.
    ASSERT_TRUE(WriteBytes(tmp.Path("plain"), "not a folder"));
    for (int format : {CLead::FormatPng, CLead::FormatJpeg, CLead::FormatBmp}) {
        const std::string dest = tmp.Path("plain/sub/out.img");
        EXPECT_NE(lead.SaveFile(dest, int16_t(format), 24, 2, 0), 0) << format;
        EXPECT_FALSE(FileExists(dest));
    }
    EXPECT_EQ(ReadAll(tmp.Path("plain")), QByteArray("not a folder"));
    // A destination that is a folder stays a folder.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(tmp.Path("folder.png"))));
    EXPECT_NE(lead.SaveFile(tmp.Path("folder.png"), CLead::FormatPng, 24, 2, 0), 0);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(tmp.Path("folder.png"))).isDir());
    EXPECT_EQ(QDir(QString::fromStdString(tmp.Path(""))).entryList(QDir::Files | QDir::Hidden),
              QStringList{"plain"})
        << "no temporary file is left behind";
}

TEST_F(LeadTest, InstancesConvertInParallel)
{
    constexpr int kThreads = 4;
    std::vector<std::string> sources;
    for (int i = 0; i < kThreads; ++i) {
        sources.push_back(tmp.Path("src" + std::to_string(i) + ".jpg"));
        ASSERT_TRUE(
            Write(sources.back(), Solid(800 + 100 * i, 600, qRgb(40 * i, 100, 200)), "jpeg"));
    }
    std::vector<int> results(kThreads, -1);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            CLead a, b;
            int ok = 1;
            for (int round = 0; round < 5 && ok; ++round) {
                ok = a.LoadFile(sources[size_t(i)], 24, 0, -1) == 0 &&
                     a.ResizeImage(400, 300, 2) == 0 && b.NewImage(500, 400, 24) == 0 &&
                     b.FillImage(0) == 0 &&
                     b.CombineImage(50, 50, 400, 300, a.BitmapHandle(), 0, 0, 800) == 0 &&
                     b.SaveFile(sources[size_t(i)] + ".out.jpg", CLead::FormatJpeg, 24, 2, 0) == 0;
            }
            results[size_t(i)] = ok;
        });
    for (std::thread& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(results[size_t(i)], 1) << i;
        const QImage out = Load(sources[size_t(i)] + ".out.jpg");
        EXPECT_EQ(out.size(), QSize(500, 400));
        EXPECT_TRUE(Near(out.pixel(250, 200), qRgb(40 * i, 100, 200), 8)) << i;
    }
}

TEST_F(LeadTest, PaintStretchesIntoTheRectangle)
{
    CLead lead;
    QImage target = Solid(40, 40, qRgb(0, 0, 0));
    QPainter painter(&target);
    EXPECT_NE(lead.PaintImage(&painter, 0, 0, 10, 10), 0) << "nothing to paint";
    ASSERT_EQ(lead.NewImage(2, 2, 24), 0);
    ASSERT_EQ(lead.FillImage(0x0000FF00), 0);
    EXPECT_NE(lead.PaintImage(nullptr, 0, 0, 10, 10), 0);
    EXPECT_NE(lead.PaintImage(&painter, 0, 0, 0, 10), 0);
    ASSERT_EQ(lead.PaintImage(&painter, 10, 10, 20, 20), 0);
    painter.end();
    EXPECT_EQ(target.pixel(10, 10), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(29, 29), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(9, 9), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(30, 30), qRgb(0, 0, 0));
}
