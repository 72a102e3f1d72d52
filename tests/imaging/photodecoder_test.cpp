#include "base/filefailure.h"
#include "heicstreams.h"
#include "imaging/imagecheck.h"
#include "imaging/imagedecoder.h"
#include "imaging/lead.h"
#include "imaging/photodecoder.h"
#include "imagingtestutil.h"
#include "phototestfiles.h"

#include <QBuffer>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vector>

using namespace phototest;

namespace {

bool Near(QRgb a, QRgb b, int tolerance = 40)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// What a decode of the whole file gives, and what the header probe said.
struct Decoded
{
    CImageDecoder::Outcome probed = CImageDecoder::NotDecoded;
    CImageDecoder::Outcome outcome = CImageDecoder::NotDecoded;
    QSize probedSize;
    QSize fileSize;
    QImage image;
};

Decoded DecodeBytes(QByteArray data, const std::function<QSize(const QSize&)>& next = {})
{
    Decoded d;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    d.probed = CImageDecoder::ProbeImage(buffer, &d.probedSize);
    d.outcome = CImageDecoder::DecodeImage(data, false, next, d.image, d.fileSize);
    return d;
}

// The upright picture of Halves(64, 32) turned a quarter clockwise: the red
// half on top, the green band (the stored top) on the right.
void ExpectTurnedClockwise(const Decoded& d)
{
    ASSERT_EQ(d.outcome, CImageDecoder::Decoded);
    EXPECT_EQ(d.fileSize, QSize(32, 64));
    EXPECT_EQ(d.probedSize, QSize(32, 64));
    ASSERT_EQ(d.image.size(), QSize(32, 64));
    EXPECT_EQ(d.image.format(), QImage::Format_RGB32);
    EXPECT_TRUE(Near(d.image.pixel(20, 12), qRgb(220, 0, 0)));
    EXPECT_TRUE(Near(d.image.pixel(20, 52), qRgb(0, 0, 220)));
    EXPECT_TRUE(Near(d.image.pixel(30, 30), qRgb(0, 200, 0)));
}

std::string TempPath(imagingtest::TempFolder& tmp, const char* name)
{
    return tmp.Path(name);
}

} // namespace

TEST(PhotoDecoder, OrientedPhotosOfEveryFormatComeOutUpright)
{
    imagingtest::TempFolder tmp;
    const QImage stored = Halves(64, 32);
    ASSERT_TRUE(Tiff(TempPath(tmp, "turned.tif"), {stored}, 6));
    ASSERT_TRUE(Tiff(TempPath(tmp, "cmyk.tif"), {stored}, 6, TiffKind::Cmyk));
    ASSERT_TRUE(Tiff(TempPath(tmp, "deep.tif"), {stored}, 6, TiffKind::Rgb16));
    ASSERT_TRUE(Tiff(TempPath(tmp, "plain.tif"), {stored}, 6, TiffKind::Rgb8, COMPRESSION_NONE));
    struct Case
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"HEIC", Heic(stored, 6)},
        {"WebP", WebP(stored, 6)},
        {"TIFF", imagingtest::ReadAll(TempPath(tmp, "turned.tif"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        ExpectTurnedClockwise(DecodeBytes(c.bytes));
    }
}

TEST(PhotoDecoder, FirstImageOnlyAndDeepOrCmykTiffsAreRead)
{
    imagingtest::TempFolder tmp;
    const QImage red = imagingtest::Solid(40, 30, qRgb(220, 0, 0));
    const QImage blue = imagingtest::Solid(40, 30, qRgb(0, 0, 220));
    ASSERT_TRUE(Tiff(TempPath(tmp, "pages.tif"), {red, blue}));
    ASSERT_TRUE(Tiff(TempPath(tmp, "deep.tif"), {red}, 1, TiffKind::Rgb16));
    ASSERT_TRUE(Tiff(TempPath(tmp, "cmyk.tif"), {red}, 1, TiffKind::Cmyk));
    const QByteArray files[] = {AnimatedWebP({red, blue}),
                                imagingtest::ReadAll(TempPath(tmp, "pages.tif")),
                                imagingtest::ReadAll(TempPath(tmp, "deep.tif")),
                                imagingtest::ReadAll(TempPath(tmp, "cmyk.tif"))};
    for (const QByteArray& bytes : files) {
        ASSERT_FALSE(bytes.isEmpty());
        const Decoded d = DecodeBytes(bytes);
        ASSERT_EQ(d.outcome, CImageDecoder::Decoded);
        EXPECT_EQ(d.probed, CImageDecoder::Decoded);
        EXPECT_EQ(d.image.size(), QSize(40, 30));
        EXPECT_TRUE(Near(d.image.pixel(20, 15), qRgb(220, 0, 0), 6));
    }
}

// A tiled TIFF of `image` (tiles of 16 x 16, the last ones partly outside the
// picture) shown after `orientation`.
QByteArray TiledTiff(imagingtest::TempFolder& tmp, const QImage& image, int orientation,
                     uint16_t compression = COMPRESSION_LZW)
{
    const std::string path = tmp.Path("tiled.tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff)
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(rgb.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(rgb.height()));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(orientation));
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, uint32_t(16));
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, uint32_t(16));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    std::vector<uint8_t> tile(16 * 16 * 3);
    for (int ty = 0; ty < rgb.height(); ty += 16) {
        for (int tx = 0; tx < rgb.width(); tx += 16) {
            std::fill(tile.begin(), tile.end(), uint8_t(0));
            for (int y = 0; y < 16 && ty + y < rgb.height(); ++y)
                for (int x = 0; x < 16 && tx + x < rgb.width(); ++x)
                    std::memcpy(&tile[size_t(y * 16 + x) * 3],
                                rgb.constScanLine(ty + y) + (tx + x) * 3, 3);
            TIFFWriteTile(tiff, tile.data(), uint32_t(tx), uint32_t(ty), 0, 0);
        }
    }
    TIFFClose(tiff);
    return imagingtest::ReadAll(path);
}

TEST(PhotoDecoder, PhotosComeOutAtTheCallersNextSizeUpright)
{
    imagingtest::TempFolder tmp;
    // Stored 256 x 128, shown turned a quarter clockwise (128 x 256): the
    // caller's next size is asked for the shown picture, so a decoder that
    // reduces in the stored orientation gives the wrong shape.
    const QImage stored = Halves(256, 128);
    const auto half = [](const QSize& shown) { return shown / 2; };
    // A TIFF is reduced as it is read, a band of rows at a time.
    ASSERT_TRUE(Tiff(TempPath(tmp, "turned.tif"), {stored}, 6));
    ASSERT_TRUE(Tiff(TempPath(tmp, "cmyk.tif"), {stored}, 6, TiffKind::Cmyk));
    ASSERT_TRUE(Tiff(TempPath(tmp, "deep.tif"), {stored}, 6, TiffKind::Rgb16));
    ASSERT_TRUE(Tiff(TempPath(tmp, "plain.tif"), {stored}, 6, TiffKind::Rgb8, COMPRESSION_NONE));
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QSize shown = QSize(128, 256);
    } cases[] = {
        {"webp", WebP(stored, 6)},
        {"heic", Heic(stored, 6)},
        {"heic with a covering thumbnail", Heic(stored, 6, 200)},
        {"tiff", imagingtest::ReadAll(TempPath(tmp, "turned.tif"))},
        {"cmyk tiff", imagingtest::ReadAll(TempPath(tmp, "cmyk.tif"))},
        {"16-bit tiff", imagingtest::ReadAll(TempPath(tmp, "deep.tif"))},
        {"uncompressed tiff", imagingtest::ReadAll(TempPath(tmp, "plain.tif"))},
        {"tiled tiff, no whole blocks at the edges",
         TiledTiff(tmp, Halves(250, 130), 6),
         {130, 250}},
        {"uncompressed tiled tiff",
         TiledTiff(tmp, Halves(250, 130), 6, COMPRESSION_NONE),
         {130, 250}},
        {"deflate tiled tiff",
         TiledTiff(tmp, Halves(250, 130), 6, COMPRESSION_ADOBE_DEFLATE),
         {130, 250}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Never enlarged by the decoder, and whole without a next size.
        const auto twice = [](const QSize& shown) { return shown * 2; };
        EXPECT_EQ(DecodeBytes(c.bytes, twice).image.size(), c.shown);
        EXPECT_EQ(DecodeBytes(c.bytes).image.size(), c.shown);
        const Decoded d = DecodeBytes(c.bytes, half);
        ASSERT_EQ(d.outcome, CImageDecoder::Decoded);
        EXPECT_EQ(d.fileSize, c.shown);
        ASSERT_EQ(d.image.size(), c.shown / 2);
        EXPECT_EQ(d.image.format(), QImage::Format_RGB32);
        EXPECT_TRUE(Near(d.image.pixel(20, 30), qRgb(220, 0, 0)));
        EXPECT_TRUE(Near(d.image.pixel(20, 100), qRgb(0, 0, 220)));
        EXPECT_TRUE(Near(d.image.pixel(60, 30), qRgb(0, 200, 0)));
    }
}

TEST(PhotoDecoder, DamagedPhotosAreRefusedByTheChecksWithTheirReason)
{
    imagingtest::TempFolder tmp;
    const QImage picture = Halves(64, 48);
    const QByteArray heic = Heic(picture);
    const QByteArray webp = WebP(picture);
    ASSERT_TRUE(Tiff(TempPath(tmp, "whole.tif"), {picture}));
    const QByteArray tiff = imagingtest::ReadAll(TempPath(tmp, "whole.tif"));
    // A HEIF container with no image in it: the file-type box alone.
    const QByteArray emptyHeif("\0\0\0\x18"
                               "ftypheic\0\0\0\0mif1heic",
                               24);
    // Streams cut short inside well-formed files, alone and as a grid's
    // tile, by either decoder; the same files whole are read. (A size the encoder codes
    // without padding: these files carry no cropping.)
    const QSize tile(64, 64);
    const HevcStream stream = Encoded(Halves(tile.width(), tile.height()), 90);
    const auto single = [&](const HevcStream& s) { return HeicOfTiles({s}, 1, tile, tile); };
    const auto pair = [&](const HevcStream& second) {
        return HeicOfTiles({stream, second}, 2, tile, QSize(128, 64));
    };
    struct Case
    {
        const char* name;
        QByteArray bytes;
        CFileFailure::Reason reason;
    } cases[] = {
        {"heic-without-image.heic", emptyHeif, CFileFailure::Damaged},
        {"cut.heic", heic.left(heic.size() / 2), CFileFailure::Damaged},
        {"cut.webp", webp.left(webp.size() / 2), CFileFailure::Damaged},
        {"cut.tif", tiff.left(tiff.size() / 2), CFileFailure::Damaged},
        {"header-only.tif", tiff.left(8), CFileFailure::Damaged},
        {"text.webp", QByteArray("not a picture at all"), CFileFailure::NotAPicture},
        {"hevc-cut-short.heic", single(CutShort(stream)), CFileFailure::Damaged},
        {"hevc-cut-at-its-last-byte.heic", single(CutShort(stream, 0.99)), CFileFailure::Damaged},
        {"hevc-without-picture.heic", single(WithoutPicture(stream)), CFileFailure::Damaged},
        {"tile-cut-short.heic", pair(CutShort(stream)), CFileFailure::Damaged},
        {"tile-without-picture.heic", pair(WithoutPicture(stream)), CFileFailure::Damaged},
        {"good.heic", heic, CFileFailure::None},
        {"hevc-whole.heic", single(stream), CFileFailure::None},
        {"grid.heic", pair(stream), CFileFailure::None},
        {"good.webp", webp, CFileFailure::None},
        {"good.tif", tiff, CFileFailure::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TempPath(tmp, c.name);
        ASSERT_TRUE(Save(path, c.bytes));
        EXPECT_EQ(CImageCheck::Examine(path).reason(), c.reason);
        CLead lead;
        EXPECT_EQ(lead.LoadFile(path, 24, 0, -1) == CLead::Success, c.reason == CFileFailure::None);
    }
}

TEST(PhotoDecoder, TiffBeyondTheMemoryBoundIsTooLargeBeforeDecoding)
{
    imagingtest::TempFolder tmp;
    // A header claiming 60000 x 60000 pixels of 8-bit RGB, strips absent.
    ASSERT_TRUE(Tiff(TempPath(tmp, "small.tif"), {Halves(16, 16)}));
    TIFF* tiff = TIFFOpen(TempPath(tmp, "huge.tif").c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(60000));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(60000));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(1));
    std::vector<uint8_t> row(60000 * 3);
    TIFFWriteScanline(tiff, row.data(), 0, 0);
    TIFFClose(tiff);
    const Decoded d = DecodeBytes(imagingtest::ReadAll(TempPath(tmp, "huge.tif")));
    EXPECT_EQ(d.probed, CImageDecoder::TooLarge);
    EXPECT_EQ(d.outcome, CImageDecoder::TooLarge);
    EXPECT_EQ(CImageCheck::Examine(TempPath(tmp, "huge.tif")).reason(), CFileFailure::TooLarge);
}

TEST(PhotoDecoder, ExifOrientationIsReadFromEitherByteOrderAndNeverBeyondTheBlock)
{
    const QByteArray little = ExifWithOrientation(6);
    const auto orientation = [](const QByteArray& b) {
        return CPhotoDecoder::ExifOrientation(reinterpret_cast<const unsigned char*>(b.constData()),
                                              size_t(b.size()));
    };
    EXPECT_EQ(orientation(little), 6);
    EXPECT_EQ(orientation(QByteArray("Exif\0\0", 6) + little), 6);
    const unsigned char bigEndian[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0,
                                       3,   0,   0, 0,  1, 0, 8, 0, 0, 0, 0,    0,    0};
    EXPECT_EQ(CPhotoDecoder::ExifOrientation(bigEndian, sizeof bigEndian), 8);
    EXPECT_EQ(orientation(ExifWithOrientation(9)), 1);
    for (int cut = 0; cut < little.size(); ++cut)
        EXPECT_EQ(orientation(little.left(cut)), cut >= 22 ? 6 : 1) << cut;
}
