#include "imaging/imagedecoder.h"
#include "imaging/jpegscan.h"
#include "imaging/lead.h"
#include "imagingtestutil.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>

using namespace imagingtest;

namespace {

QByteArray Encoded(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(img));
    return bytes;
}

bool JpegComplete(const QByteArray& b)
{
    return CImageDecoder::JpegStreamComplete(reinterpret_cast<const unsigned char*>(b.constData()),
                                             size_t(b.size()));
}

bool BmpComplete(const QByteArray& b)
{
    return CImageDecoder::BmpDataComplete(reinterpret_cast<const unsigned char*>(b.constData()),
                                          size_t(b.size()));
}

QSize ReaderSize(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).size();
}

} // namespace

TEST(ImageDecoder, BadFilesFailAtProbeOrLoadAndLeaveNoBitmap)
{
    TempFolder tmp;
    const QImage picture = Pattern(300, 200);
    const QByteArray jpg = Encoded(picture, "jpeg");
    const QByteArray png = Encoded(picture, "png");
    const QByteArray bmp = Encoded(picture, "bmp");
    // The crafted headers are what they claim to be: Qt's own reader sees
    // the absurd sizes, so the refusal below is ours. (Qt refuses a BMP of
    // 60000 x 60000 by itself; one of 16000 x 16000 it would allocate.)
    ASSERT_EQ(ReaderSize(PngHeader(60000, 60000)), QSize(60000, 60000));
    ASSERT_EQ(ReaderSize(BmpHeader(16000, 16000)), QSize(16000, 16000));

    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool probeFails; // false: the header is fine, the data is not
    } cases[] = {
        {"empty.jpg", QByteArray(), true},
        {"text.jpg", QByteArray("this is not a picture at all\n"), true},
        {"text.png", QByteArray("\x89PNG but then nothing sensible"), true},
        {"huge.png", PngHeader(60000, 60000), true},
        {"huge.bmp", BmpHeader(60000, 60000), true},
        {"large.bmp", BmpHeader(16000, 16000), true}, // 256 million pixels
        {"wide.png", PngHeader(40000, 10), false},    // decoded reduced, but no data here
        {"bomb.png", PngHeader(20000, 20000), true},  // 400 million pixels
        {"zero.bmp", BmpHeader(0, 10), true},
        {"half.jpg", jpg.left(jpg.size() / 2), false},
        {"cut.jpg", jpg.left(jpg.size() - 40), false}, // image data missing, not just its end
        {"half.png", png.left(png.size() / 2), true},  // PNG chunks are walked at the probe
        {"half.bmp", bmp.left(bmp.size() / 2), false},
        {"headeronly.bmp", bmp.left(54), false},
        {"headeronly.png", PngHeader(300, 200), false},
        {"soionly.jpg", jpg.left(2), true},
    };
    for (const Case& c : cases) {
        const std::string path = tmp.Path(c.name);
        ASSERT_TRUE(WriteBytes(path, c.bytes)) << c.name;
        CLead lead;
        ASSERT_EQ(lead.NewImage(4, 4, 24), 0);
        EXPECT_EQ(lead.ProbeFile(path, 0) != 0, c.probeFails) << c.name;
        EXPECT_NE(lead.LoadFile(path, 24, 0, -1), 0) << c.name;
        EXPECT_TRUE(lead.Image().isNull()) << c.name << ": a failed load leaves no bitmap";
        EXPECT_NE(lead.LoadFile(path, 0, 0, 1), 0) << c.name;
    }

    // The undamaged files load, whatever their extension says.
    for (const auto& [name, bytes] :
         {std::pair{"ok.png", jpg}, std::pair{"ok.jpg", png}, std::pair{"ok.dib", bmp}}) {
        const std::string path = tmp.Path(name);
        ASSERT_TRUE(WriteBytes(path, bytes));
        CLead lead;
        EXPECT_EQ(lead.ProbeFile(path, 0), 0) << name;
        ASSERT_EQ(lead.LoadFile(path, 24, 0, -1), 0) << name;
        EXPECT_EQ(lead.Image().size(), QSize(300, 200)) << name;
    }
    CLead lead;
    EXPECT_NE(lead.ProbeFile(tmp.Path("missing.jpg"), 0), 0);
    EXPECT_NE(lead.ProbeFile(tmp.Path(""), 0), 0) << "a folder";
    EXPECT_NE(lead.ProbeFile("", 0), 0);
}

// What cameras and phones make: a JPEG without its end marker, sides beyond
// 32,767 pixels, more than 100 megapixels. Only what the memory bound cannot
// hold is refused, and then as too large.
TEST(ImageDecoder, LargePicturesAreReducedAndOnlyWhatCannotBeHeldIsTooLarge)
{
    TempFolder tmp;
    const QByteArray jpg = Encoded(Pattern(300, 200), "jpeg");
    const std::string noEnd = tmp.Path("noend.jpg");
    ASSERT_TRUE(WriteBytes(noEnd, jpg.left(jpg.size() - 2)));
    CLead lead;
    EXPECT_EQ(lead.ProbeFile(noEnd, 0), 0);
    ASSERT_EQ(lead.LoadFile(noEnd, 24, 0, -1), 0);
    EXPECT_EQ(lead.Image().size(), QSize(300, 200));

    QImage wide(33000, 20, QImage::Format_Grayscale8);
    wide.fill(128);
    for (const char* format : {"png", "jpeg"}) {
        const std::string path = tmp.Path(std::string("wide.") + format);
        ASSERT_TRUE(WriteBytes(path, Encoded(wide, format))) << format;
        EXPECT_EQ(lead.ProbeFile(path, 0), 0) << format;
        ASSERT_EQ(lead.LoadFile(path, 24, 0, -1), 0) << format;
        EXPECT_TRUE(CImageDecoder::WithinBounds(lead.Image().size())) << format;
        EXPECT_EQ(lead.LoadedFileSize(), QSize(33000, 20)) << format;
    }

    // Headers that claim more than one picture may hold.
    struct Case
    {
        const char* name;
        QByteArray bytes;
    } tooLarge[] = {
        {"bomb.png", PngHeader(20000, 20000)},
        {"large.bmp", BmpHeader(16000, 16000)},
    };
    for (const Case& c : tooLarge) {
        const std::string path = tmp.Path(c.name);
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        EXPECT_EQ(lead.ProbeFile(path, 0), CLead::ErrorTooLarge) << c.name;
        EXPECT_EQ(lead.LoadFile(path, 24, 0, -1), CLead::ErrorTooLarge) << c.name;
    }
    // A progressive JPEG keeps every coefficient of the full picture: 60000
    // x 60000 cannot be decoded within the bound at any scale.
    QByteArray progressive("\xFF\xD8\xFF\xC2\x00\x11\x08\xEA\x60\xEA\x60\x03"
                           "\x01\x11\x00\x02\x11\x01\x03\x11\x01"
                           "\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x00\x00\xFF\xD9",
                           37);
    CJpegScan::Frame frame;
    ASSERT_TRUE(
        CJpegScan::ReadFrame(reinterpret_cast<const unsigned char*>(progressive.constData()),
                             size_t(progressive.size()), frame));
    EXPECT_TRUE(frame.progressive);
    EXPECT_EQ(frame.width, 60000);
    const std::string path = tmp.Path("progressive.jpg");
    ASSERT_TRUE(WriteBytes(path, progressive));
    EXPECT_EQ(lead.ProbeFile(path, 0), CLead::ErrorTooLarge);
}

// The memory check never multiplies the sides a header claims into an
// overflow: a PNG claiming about 2e9 x 1e9 pixels of 8 bytes is simply too
// large, and the bound itself still fits.
TEST(ImageDecoder, TheMemoryCheckHoldsForAnySidesAHeaderClaims)
{
    const struct
    {
        int width, height, bytesPerPixel;
        bool fits;
    } cases[] = {{8192, 8192, 8, true},
                 {8192, 8193, 8, false},
                 {16384, 8192, 4, true},
                 {1, 1, 4, true},
                 {0x74455874, 0x40000005, 8, false},
                 {INT_MAX, INT_MAX, 8, false},
                 {0, 5, 4, false},
                 {-3, 5, 4, false}};
    for (const auto& c : cases)
        EXPECT_EQ(CImageDecoder::FitsMemory(QSize(c.width, c.height), c.bytesPerPixel), c.fits)
            << c.width << " x " << c.height << " x " << c.bytesPerPixel;
    QByteArray png = PngHeader(0x74455874, 0x40000005);
    QBuffer buffer(&png);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_NE(CImageDecoder::ProbeImage(buffer), CImageDecoder::Decoded);
}

TEST(ImageDecoder, FormatsOutsideTheAcceptedThreeAreRefused)
{
    TempFolder tmp;
    const std::string gif = tmp.Path("anim.gif");
    const QByteArray bytes = Encoded(Pattern(10, 10), "ico");
    ASSERT_TRUE(WriteBytes(gif, bytes));
    CLead lead;
    EXPECT_NE(lead.ProbeFile(gif, 0), 0);
    EXPECT_NE(lead.LoadFile(gif, 24, 0, -1), 0);
}

TEST(ImageDecoder, JpegCompletenessFollowsTheMarkers)
{
    const QByteArray jpg = Encoded(Pattern(64, 48), "jpeg");
    EXPECT_TRUE(JpegComplete(jpg));
    EXPECT_TRUE(JpegComplete(jpg + QByteArray("trailing bytes"))) << "data after the end is fine";
    for (qsizetype cut : {qsizetype(0), qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(20),
                          jpg.size() / 2, jpg.size() - 1})
        EXPECT_FALSE(JpegComplete(jpg.left(cut))) << cut;
    // An end marker inside an application segment (an embedded thumbnail)
    // does not end the stream.
    QByteArray app("\xFF\xD8\xFF\xE1\x00\x06\xFF\xD9\x00\x00", 10);
    EXPECT_FALSE(JpegComplete(app));
    EXPECT_TRUE(JpegComplete(app + QByteArray("\xFF\xD9", 2)));
    // Inside scan data a stuffed 0xFF 0x00 and restart markers are data.
    QByteArray scan("\xFF\xD8\xFF\xDA\x00\x02\x12\xFF\x00\x34\xFF\xD0\x56", 13);
    EXPECT_FALSE(JpegComplete(scan));
    EXPECT_TRUE(JpegComplete(scan + QByteArray("\xFF\xFF\xD9", 3)));
    // A segment length running past the end, or too small.
    EXPECT_FALSE(JpegComplete(QByteArray("\xFF\xD8\xFF\xE0\xFF\xFF\x00\x00\xFF\xD9", 10)));
    EXPECT_FALSE(JpegComplete(QByteArray("\xFF\xD8\xFF\xE0\x00\x01\xFF\xD9", 8)));
    EXPECT_FALSE(JpegComplete(QByteArray("\x89PNG\r\n\x1a\n", 8)));
}

TEST(ImageDecoder, BmpCompletenessCountsRowsAndRuns)
{
    const QByteArray bmp = Encoded(Pattern(31, 7), "bmp");
    EXPECT_TRUE(BmpComplete(bmp));
    EXPECT_FALSE(BmpComplete(bmp.left(bmp.size() - 1)));
    EXPECT_FALSE(BmpComplete(bmp.left(20)));
    EXPECT_TRUE(BmpComplete(BmpHeader(2, -2) + QByteArray(16, '\0'))) << "top-down";
    EXPECT_FALSE(BmpComplete(BmpHeader(2, -2) + QByteArray(15, '\0')));
    EXPECT_FALSE(BmpComplete(BmpHeader(-2, 2) + QByteArray(64, '\0')));

    // RLE8: complete only with its end-of-bitmap code.
    QByteArray rle = BmpHeader(4, 2);
    rle[30] = 1; // biCompression = RLE8
    rle[28] = 8; // biBitCount = 8
    QByteArray runs("\x04\x01\x00\x00\x04\x02\x00\x00", 8);
    EXPECT_FALSE(BmpComplete(rle + runs));
    EXPECT_TRUE(BmpComplete(rle + runs + QByteArray("\x00\x01", 2)));
    // An absolute run that claims more bytes than there are.
    EXPECT_FALSE(BmpComplete(rle + QByteArray("\x00\x40\x01\x02", 4) + QByteArray("\x00\x01", 2)));
    rle[30] = 4; // JPEG inside BMP: not supported
    EXPECT_FALSE(BmpComplete(rle + runs + QByteArray("\x00\x01", 2)));
}

TEST(ImageDecoder, ReductionIsAPowerOfTwoThatStillCovers)
{
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(4000, 3000), QSize(1024, 768)), 2);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(4096, 3072), QSize(1024, 768)), 4);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(4095, 3072), QSize(1024, 768)), 2);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(8192, 6144), QSize(1024, 768)), 8);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(20000, 15000), QSize(1024, 768)), 8);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(1024, 768), QSize(1024, 768)), 1);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(640, 480), QSize(1024, 768)), 1);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(4000, 3000), QSize(0, 768)), 1);
    EXPECT_EQ(CImageDecoder::ReductionFor(QSize(4000, 3000), QSize()), 1);
}

TEST(ImageDecoder, DecodedImagesCarryNoTextOrForeignColourSpace)
{
    QImage tagged = Pattern(20, 10);
    tagged.setText("Comment", "private note");
    QImage image;
    QSize size;
    ASSERT_TRUE(CImageDecoder::Decode(Encoded(tagged, "png"), false, {}, image, size));
    EXPECT_TRUE(image.textKeys().isEmpty());
    EXPECT_EQ(size, QSize(20, 10));
    EXPECT_EQ(image, Pattern(20, 10));
    EXPECT_FALSE(image.colorSpace().isValid());

    QImage wide = Solid(8, 8, qRgb(0, 200, 0));
    wide.setColorSpace(QColorSpace::AdobeRgb);
    ASSERT_TRUE(CImageDecoder::Decode(Encoded(wide, "png"), false, {}, image, size));
    EXPECT_FALSE(image.colorSpace().isValid());
    // Adobe RGB green is more saturated than sRGB can show: the red and blue
    // channels cannot stay as they were.
    EXPECT_NE(image.pixel(0, 0), qRgb(0, 200, 0));
}

namespace {

bool PngValid(const QByteArray& png, QSize* size = nullptr)
{
    return CImageDecoder::PngStructureValid(
        [&](qint64 offset, int length, unsigned char* out) {
            if (offset < 0 || offset + length > png.size())
                return false;
            std::memcpy(out, png.constData() + offset, size_t(length));
            return true;
        },
        png.size(), size);
}

// A real PNG with `chunk` (type + data, length and CRC added) inserted
// after IHDR.
QByteArray PngWithChunk(const QByteArray& type, const QByteArray& data, uint32_t claimed = 0)
{
    const QByteArray png = Encoded(Pattern(12, 9), "png");
    QByteArray extra;
    PutBe32(extra, claimed ? claimed : uint32_t(data.size()));
    extra += type + data;
    PutBe32(extra, Crc32(type + data));
    return png.left(33) + extra + png.mid(33);
}

} // namespace

TEST(ImageDecoder, PngChunksMustLieWithinTheFile)
{
    const QByteArray png = Encoded(Pattern(12, 9), "png");
    QSize size;
    ASSERT_TRUE(PngValid(png, &size));
    EXPECT_EQ(size, QSize(12, 9));
    EXPECT_FALSE(PngValid(png.left(png.size() - 1))) << "IEND cut";
    EXPECT_FALSE(PngValid(png.left(40)));
    EXPECT_FALSE(PngValid(PngWithChunk("tEXt", "a\0b", 0x10000000))) << "a length past the end";
    EXPECT_TRUE(PngValid(PngWithChunk("tEXt", QByteArray("key\0value", 9))));
    QByteArray badDepth = png;
    badDepth[24] = 3; // 3-bit RGB does not exist
    EXPECT_FALSE(PngValid(badDepth));
    QByteArray zeroWidth = png;
    zeroWidth[16] = zeroWidth[17] = zeroWidth[18] = zeroWidth[19] = 0;
    EXPECT_FALSE(PngValid(zeroWidth));

    // The same through the engine, from a file: refused at the probe,
    // before the PNG library could allocate the claimed 256 MB.
    TempFolder tmp;
    const std::string path = tmp.Path("claims.png");
    ASSERT_TRUE(WriteBytes(path, PngWithChunk("tEXt", "a\0b", 0x10000000)));
    CLead lead;
    EXPECT_NE(lead.ProbeFile(path, 0), 0);
    EXPECT_NE(lead.LoadFile(path, 24, 0, -1), 0);
}

TEST(ImageDecoder, PngTextChunksAreDroppedBeforeDecoding)
{
    // A compressed text chunk whose content would inflate a thousandfold.
    QByteArray zeros(1 << 20, '\0');
    const QByteArray bomb = QByteArray("k\0\0", 3) + qCompress(zeros).mid(4);
    const QByteArray png = PngWithChunk("zTXt", bomb);
    const QByteArray stripped = CImageDecoder::PngWithoutBulkyChunks(png);
    EXPECT_FALSE(stripped.contains("zTXt"));
    EXPECT_EQ(stripped.size(), png.size() - 12 - bomb.size());
    EXPECT_TRUE(PngValid(stripped));
    const QByteArray plain = Encoded(Pattern(12, 9), "png");
    EXPECT_EQ(CImageDecoder::PngWithoutBulkyChunks(plain), plain) << "nothing to drop";

    QImage image;
    QSize size;
    ASSERT_TRUE(CImageDecoder::Decode(png, false, {}, image, size));
    EXPECT_EQ(image, Pattern(12, 9));
    EXPECT_TRUE(image.textKeys().isEmpty());
}
