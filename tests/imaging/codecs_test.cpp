// Our own encoders and the quick PNG decoder against Qt's codecs: the JPEG
// writer gives Qt's bytes exactly, the PNG codec gives Qt's pixels exactly
// and leaves every file it does not take to Qt's reader; a thumbnail made
// from a display image kept in memory is the one its file gives.
#include "imaging/imagedecoder.h"
#include "imaging/imaginghost.h"
#include "imaging/imagingprocedures.h"
#include "imaging/jpegwriter.h"
#include "imaging/lead.h"
#include "imaging/pngcodec.h"
#include "imagingtestutil.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <libdeflate.h>

namespace {

using imagingtest::Grainy;

QByteArray WithQt(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setOptimizedWrite(false);
    writer.setProgressiveScanWrite(false);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

QImage QtDecoded(const QByteArray& bytes)
{
    QImage image;
    image.loadFromData(bytes, "png");
    return image.convertToFormat(QImage::Format_RGB32);
}

QByteArray Chunk(const char* type, const QByteArray& data)
{
    QByteArray out;
    const uint32_t n = uint32_t(data.size());
    out.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    QByteArray body = QByteArray(type, 4) + data;
    const uint32_t crc = libdeflate_crc32(0, body.constData(), size_t(body.size()));
    out += body;
    out.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
    return out;
}

// The PNG with `chunk` put in right after IHDR.
QByteArray WithChunkAfterHeader(const QByteArray& png, const QByteArray& chunk)
{
    return png.left(8 + 25) + chunk + png.mid(8 + 25);
}

struct Picture
{
    const char* name;
    QImage image;
};

// Every byte independent: nothing to compress, the stored blocks' case.
QImage Noise(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = 0xFF000000u | (seed >> 8);
        }
    }
    return img;
}

std::vector<Picture> Pictures()
{
    QImage dpi72 = Grainy(64, 48, 3);
    dpi72.setDotsPerMeterX(2835);
    dpi72.setDotsPerMeterY(2835);
    QImage dpcm = Grainy(33, 17, 5);
    dpcm.setDotsPerMeterX(10000);
    dpcm.setDotsPerMeterY(5000);
    QImage argb = Grainy(40, 30, 9).convertToFormat(QImage::Format_ARGB32);
    return {{"display size", Grainy(1024, 768)},
            {"odd size", Grainy(161, 97, 11)},
            {"one pixel", Grainy(1, 1)},
            {"one column", Grainy(1, 9)},
            {"72 dpi", dpi72},
            {"dots per cm", dpcm},
            {"alpha ignored", argb},
            {"flat", imagingtest::Solid(50, 40, qRgb(1, 2, 3))},
            {"noise", Noise(300, 200)}};
}

} // namespace

TEST(JpegWriter, WritesExactlyTheBytesOfQtsWriter)
{
    for (const Picture& p : Pictures()) {
        for (int quality : {95, 90, 75, 10}) {
            SCOPED_TRACE(std::string(p.name) + ", quality " + std::to_string(quality));
            ASSERT_TRUE(CJpegWriter::CanEncode(p.image));
            QByteArray ours;
            ASSERT_TRUE(CJpegWriter::Encode(p.image, quality, ours));
            EXPECT_TRUE(ours == WithQt(p.image, "jpeg", quality));
        }
    }
}

TEST(JpegWriter, LeavesTextProfilesAndOtherFormatsToQt)
{
    QImage text = Grainy(16, 16);
    text.setText(QStringLiteral("Comment"), QStringLiteral("hello"));
    QImage profiled = Grainy(16, 16);
    profiled.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    for (const QImage& image :
         {text, profiled, Grainy(16, 16).convertToFormat(QImage::Format_RGB888), QImage()}) {
        EXPECT_FALSE(CJpegWriter::CanEncode(image));
        QByteArray out;
        EXPECT_FALSE(CJpegWriter::Encode(image, 75, out));
    }
}

TEST(PngCodec, WritesRgbPngsThatEveryReaderReadsBackExactly)
{
    for (const Picture& p : Pictures()) {
        SCOPED_TRACE(p.name);
        QByteArray png;
        ASSERT_TRUE(CPngCodec::Encode(p.image, png));
        const QImage expected = p.image.convertToFormat(QImage::Format_RGB32);
        const QImage qt = QtDecoded(png);
        EXPECT_EQ(qt, expected);
        EXPECT_EQ(qt.dotsPerMeterX(), p.image.dotsPerMeterX());
        EXPECT_EQ(qt.dotsPerMeterY(), p.image.dotsPerMeterY());
        QImage ours;
        ASSERT_TRUE(CPngCodec::Decode(png, ours));
        EXPECT_EQ(ours, expected);
        EXPECT_EQ(ours.dotsPerMeterX(), p.image.dotsPerMeterX());
        // The whole decoder takes the quick way and gives the same.
        QImage decoded;
        QSize size;
        ASSERT_TRUE(CImageDecoder::Decode(png, false, nullptr, decoded, size));
        EXPECT_EQ(decoded, expected);
        EXPECT_EQ(size, p.image.size());
    }
}

TEST(PngCodec, DecodesQtsPngsWithEveryFilterAsQtDoes)
{
    // Qt's writer chooses a filter per row, so all five occur.
    for (const Picture& p : Pictures()) {
        for (int quality : {70, 100}) {
            SCOPED_TRACE(std::string(p.name) + ", quality " + std::to_string(quality));
            const QByteArray png =
                WithQt(p.image.convertToFormat(QImage::Format_RGB32), "png", quality);
            QImage ours;
            ASSERT_TRUE(CPngCodec::Decode(png, ours));
            const QImage qt = QtDecoded(png);
            EXPECT_EQ(ours, qt);
            EXPECT_EQ(ours.dotsPerMeterX(), qt.dotsPerMeterX());
            EXPECT_EQ(ours.dotsPerMeterY(), qt.dotsPerMeterY());
        }
    }
}

TEST(PngCodec, LeavesEveryOtherKindOfPngToQtsReader)
{
    const QImage image = Grainy(20, 10);
    QByteArray png;
    ASSERT_TRUE(CPngCodec::Encode(image, png));
    QByteArray badCrc = png;
    badCrc[badCrc.size() - 20] = char(badCrc[badCrc.size() - 20] ^ 0x40); // inside IDAT
    const QByteArray gamma =
        WithChunkAfterHeader(png, Chunk("gAMA", QByteArray("\0\0\xB1\x8F", 4)));
    const QByteArray srgb = WithChunkAfterHeader(png, Chunk("sRGB", QByteArray(1, '\0')));
    const QByteArray transparent =
        WithChunkAfterHeader(png, Chunk("tRNS", QByteArray("\0\1\0\2\0\3", 6)));
    // The image data split by another chunk.
    const int idat = png.indexOf("IDAT") - 4;
    const uint32_t idatLength = (uint8_t(png[idat]) << 24) | (uint8_t(png[idat + 1]) << 16) |
                                (uint8_t(png[idat + 2]) << 8) | uint8_t(png[idat + 3]);
    const QByteArray data = png.mid(idat + 8, int(idatLength));
    const QByteArray split = png.left(idat) + Chunk("IDAT", data.left(5)) + Chunk("tEXt", "a\0b") +
                             Chunk("IDAT", data.mid(5)) + png.mid(idat + 12 + int(idatLength));
    // Deflate data one byte short, its checksums made right.
    const QByteArray shortData = png.left(idat) + Chunk("IDAT", data.left(data.size() - 1)) +
                                 png.mid(idat + 12 + int(idatLength));

    const std::vector<std::pair<const char*, QByteArray>> declined = {
        {"RGBA", WithQt(image.convertToFormat(QImage::Format_ARGB32), "png")},
        {"grey", WithQt(image.convertToFormat(QImage::Format_Grayscale8), "png")},
        {"palette", WithQt(image.convertToFormat(QImage::Format_Indexed8), "png")},
        {"16-bit", WithQt(image.convertToFormat(QImage::Format_RGBX64), "png")},
        {"bad checksum", badCrc},
        {"gamma", gamma},
        {"sRGB", srgb},
        {"transparent colour", transparent},
        {"split image data", split},
        {"short image data", shortData},
        {"not a PNG", QByteArray("not a picture at all, not even close to one")},
    };
    for (const auto& [name, bytes] : declined) {
        SCOPED_TRACE(name);
        QImage out;
        EXPECT_FALSE(CPngCodec::Decode(bytes, out));
        EXPECT_TRUE(out.isNull());
    }
    // What the general reader makes of the split data is still the picture.
    QImage decoded;
    QSize size;
    ASSERT_TRUE(CImageDecoder::Decode(split, false, nullptr, decoded, size));
    EXPECT_EQ(decoded, image);
}

TEST(ImagingHost, ThumbnailOfTheDisplayImageJustWrittenEqualsTheOneReadFromItsFile)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    ASSERT_TRUE(imagingtest::Write(folder + "photo.jpg", Grainy(1500, 1000), "jpeg", 90));
    CImagingHost host(0, 2, CImagingHost::CheckEveryPicture);
    QSize size;
    ASSERT_EQ(host.CreateWorkImage(folder + "photo.jpg", folder + "work.png", size), 1);
    EXPECT_EQ(size, QSize(1024, 682));
    QSize thumb;
    ASSERT_EQ(host.CreateThumbImage(folder + "work.png", folder + "kept.jpg", 160, 120, thumb), 1);
    // The same thumbnail made the ordinary way, from the file.
    CLead lead;
    QSize fromFile;
    ASSERT_EQ(CImagingProcedures::CreateThumbImage(lead, folder + "work.png", folder + "read.jpg",
                                                   160, 120, fromFile),
              1);
    EXPECT_EQ(thumb, fromFile);
    EXPECT_EQ(imagingtest::ReadAll(folder + "kept.jpg"), imagingtest::ReadAll(folder + "read.jpg"));

    // A display image replaced after it was written is read from its file.
    ASSERT_EQ(host.CreateWorkImage(folder + "photo.jpg", folder + "work.png", size), 1);
    QFile::remove(QString::fromStdString(folder + "work.png"));
    ASSERT_TRUE(imagingtest::Write(folder + "work.png",
                                   imagingtest::Solid(1024, 768, qRgb(9, 99, 199)), "png"));
    ASSERT_EQ(host.CreateThumbImage(folder + "work.png", folder + "other.jpg", 160, 120, thumb), 1);
    EXPECT_EQ(thumb, QSize(160, 120));
    const QImage other = imagingtest::Load(folder + "other.jpg");
    EXPECT_LE(std::abs(qBlue(other.pixel(80, 60)) - 199), 3) << "the new file's colour";
}
