#include "imaging/imagedecoder.h"
#include "imaging/jpegdecoder.h"
#include "imagingtestutil.h"
#include "phototestfiles.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <vector>

using namespace imagingtest;

namespace {

// How a test JPEG is written: the picture's size, the chroma sampling of
// the first component (2 = halved), grey or colour, progressive, restart
// intervals, the resolution unit and an embedded colour profile.
struct JpegKind
{
    const char* name;
    int width;
    int height;
    int hSample = 2;
    int vSample = 2;
    bool grey = false;
    bool progressive = false;
    int restartRows = 0;
    int densityUnit = 0;
    bool profile = false;
    int orientation = 1;
};

QByteArray App1Exif(int orientation)
{
    const QByteArray exif = phototest::ExifWithOrientation(orientation);
    return QByteArray("Exif\0\0", 6) + exif;
}

QByteArray WriteJpeg(const JpegKind& k)
{
    const QImage picture = Grainy(k.width, k.height, 11);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(k.width);
    info.image_height = JDIMENSION(k.height);
    info.input_components = k.grey ? 1 : 3;
    info.in_color_space = k.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (!k.grey) {
        info.comp_info[0].h_samp_factor = k.hSample;
        info.comp_info[0].v_samp_factor = k.vSample;
    }
    if (k.progressive)
        jpeg_simple_progression(&info);
    info.restart_in_rows = k.restartRows;
    info.density_unit = UINT8(k.densityUnit);
    info.X_density = 300;
    info.Y_density = 150;
    jpeg_start_compress(&info, TRUE);
    if (k.orientation != 1) {
        const QByteArray app1 = App1Exif(k.orientation);
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(app1.constData()),
                          unsigned(app1.size()));
    }
    if (k.profile) {
        const QByteArray icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
        jpeg_write_icc_profile(&info, reinterpret_cast<const JOCTET*>(icc.constData()),
                               unsigned(icc.size()));
    }
    std::vector<unsigned char> row(size_t(k.width) * 3);
    while (info.next_scanline < info.image_height) {
        const auto* s =
            reinterpret_cast<const QRgb*>(picture.constScanLine(int(info.next_scanline)));
        for (int x = 0; x < k.width; ++x) {
            if (k.grey) {
                row[size_t(x)] = uint8_t(qGray(s[x]));
            } else {
                row[size_t(3 * x)] = uint8_t(qRed(s[x]));
                row[size_t(3 * x + 1)] = uint8_t(qGreen(s[x]));
                row[size_t(3 * x + 2)] = uint8_t(qBlue(s[x]));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    free(out);
    return bytes;
}

// What Qt's own reader makes of the file at its highest quality.
QImage QtReads(const QByteArray& jpeg, const QSize& scaled, bool turned = true)
{
    QByteArray copy = jpeg;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setQuality(100);
    reader.setAutoTransform(turned);
    if (scaled.isValid())
        reader.setScaledSize(scaled);
    return reader.read();
}

void ExpectSamePicture(const QImage& ours, const QImage& qt)
{
    ASSERT_FALSE(ours.isNull());
    ASSERT_FALSE(qt.isNull());
    EXPECT_EQ(ours.size(), qt.size());
    EXPECT_EQ(ours, qt);
    EXPECT_EQ(ours.dotsPerMeterX(), qt.dotsPerMeterX());
    EXPECT_EQ(ours.dotsPerMeterY(), qt.dotsPerMeterY());
    EXPECT_EQ(ours.colorSpace(), qt.colorSpace());
}

class JpegDecoderMatchesQt : public ::testing::TestWithParam<JpegKind>
{
};

} // namespace

// The quick decoder is only worth having if nothing a user sees changes: every
// kind of stream, at every reduction, gives Qt's reader's pixels exactly.
TEST_P(JpegDecoderMatchesQt, AtEveryReduction)
{
    const JpegKind& k = GetParam();
    const QByteArray jpeg = WriteJpeg(k);
    const auto* p = reinterpret_cast<const unsigned char*>(jpeg.constData());
    for (const QSize& scaled :
         {QSize(), QSize(k.width / 2, k.height / 2), QSize(k.width / 3, k.height / 3),
          QSize(k.width / 8, k.height / 8)}) {
        SCOPED_TRACE(testing::Message() << scaled.width() << "x" << scaled.height());
        QImage ours;
        ASSERT_TRUE(CJpegDecoder::Decode(p, size_t(jpeg.size()), scaled, ours));
        // Turning is left to the caller.
        ExpectSamePicture(ours, QtReads(jpeg, scaled, false));
    }
}

// Through the whole decoder, turned as the file says and reduced for the
// next resize, the picture is still Qt's.
TEST_P(JpegDecoderMatchesQt, ThroughTheImageDecoder)
{
    const JpegKind& k = GetParam();
    const QByteArray jpeg = WriteJpeg(k);
    const bool turned = k.orientation >= 5;
    const QSize shown = turned ? QSize(k.height, k.width) : QSize(k.width, k.height);
    const QSize target(shown.width() / 4, shown.height() / 4);
    QImage ours;
    QSize fileSize;
    ASSERT_EQ(CImageDecoder::DecodeImage(
                  jpeg, false, [&](const QSize&) { return target; }, ours, fileSize),
              CImageDecoder::Decoded);
    EXPECT_EQ(fileSize, shown);
    const int d = CImageDecoder::ReductionFor(QSize(k.width, k.height),
                                              turned ? target.transposed() : target);
    QImage qt = QtReads(jpeg, d > 1 ? QSize(k.width / d, k.height / d) : QSize());
    if (qt.colorSpace().isValid()) {
        qt = qt.convertToFormat(QImage::Format_RGB32);
        qt.convertToColorSpace(QColorSpace::SRgb);
        qt.setColorSpace(QColorSpace());
    }
    ExpectSamePicture(ours, CImageDecoder::To24Bit(qt));
}

INSTANTIATE_TEST_SUITE_P(
    Streams, JpegDecoderMatchesQt,
    ::testing::Values(JpegKind{"Halved420", 640, 480}, JpegKind{"OddSized", 1001, 777},
                      JpegKind{"Full444", 320, 240, 1, 1}, JpegKind{"Halved422", 322, 246, 2, 1},
                      JpegKind{"Grey", 300, 200, 1, 1, true},
                      JpegKind{"Progressive", 400, 300, 2, 2, false, true},
                      JpegKind{"Restarts", 330, 250, 2, 2, false, false, 1},
                      JpegKind{"DotsPerInch", 200, 100, 2, 2, false, false, 0, 1},
                      JpegKind{"DotsPerCm", 200, 100, 2, 2, false, false, 0, 2},
                      JpegKind{"DisplayP3", 256, 192, 2, 2, false, false, 0, 0, true},
                      JpegKind{"TurnedRight", 320, 200, 2, 2, false, false, 0, 0, false, 6},
                      JpegKind{"TurnedLeft", 320, 200, 2, 2, false, false, 0, 0, false, 8},
                      JpegKind{"UpsideDown", 320, 200, 2, 2, false, false, 0, 0, false, 3},
                      JpegKind{"Mirrored", 320, 200, 2, 2, false, false, 0, 0, false, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A damaged or cut stream is refused with no picture left behind; Qt's
// reader then has its say.
TEST(JpegDecoder, RefusesACutStreamAndKeepsNoPicture)
{
    const QByteArray colour = WriteJpeg(JpegKind{"Colour", 64, 48});
    for (int cut : {2, 20, 200}) {
        const QByteArray head = colour.left(cut);
        QImage partial = Grainy(4, 4);
        EXPECT_FALSE(CJpegDecoder::Decode(reinterpret_cast<const unsigned char*>(head.constData()),
                                          size_t(head.size()), QSize(), partial))
            << cut;
        EXPECT_TRUE(partial.isNull()) << cut;
    }
}
