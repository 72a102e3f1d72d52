// A card picture written straight from a display image's rows: the bytes
// loading the PNG and saving it as a JPEG give, or nothing at all when the
// file is not one the quick way takes (the caller then loads and saves).
#include "imaging/imagingprocedures.h"
#include "imaging/jpegwriter.h"
#include "imaging/lead.h"
#include "imaging/pngcodec.h"
#include "imagingtestutil.h"

#include <QBuffer>
#include <QImageWriter>
#include <gtest/gtest.h>

using namespace imagingtest;

namespace {

QByteArray Ours(const QImage& image)
{
    QByteArray png;
    EXPECT_TRUE(CPngCodec::Encode(image, png));
    return png;
}

QByteArray WithQt(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, "png").write(image));
    return png;
}

// Our PNG without its resolution chunk (it follows the header).
QByteArray WithoutResolution(const QImage& image)
{
    const QByteArray png = Ours(image);
    EXPECT_EQ(png.mid(8 + 25 + 4, 4), QByteArray("pHYs"));
    return png.left(8 + 25) + png.mid(8 + 25 + 21);
}

// The card picture as loading and saving make it.
QByteArray LoadedAndSaved(const std::string& png, int16_t factor, const std::string& out)
{
    CLead lead;
    EXPECT_EQ(lead.LoadFile(png, 24, 0, -1), CLead::Success);
    EXPECT_EQ(lead.SaveFile(out, CLead::FormatJpeg, 24, factor, 0), CLead::Success);
    return ReadAll(out);
}

class PngToJpeg : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const
    {
        return dir.path().toStdString() + "/" + name;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(PngToJpeg, WritesTheBytesOfALoadAndASave)
{
    QImage dpi72 = Grainy(64, 48, 3);
    dpi72.setDotsPerMeterX(2835);
    dpi72.setDotsPerMeterY(2835);
    const struct
    {
        const char* name;
        QByteArray png;
        QSize size;
    } cases[] = {
        {"display image", Ours(Grainy(1024, 768, 1)), {1024, 768}},
        {"written by Qt: many data chunks, every filter",
         WithQt(Grainy(1024, 768, 2)),
         {1024, 768}},
        {"72 dpi", Ours(dpi72), {64, 48}},
        {"no resolution", WithoutResolution(Grainy(33, 17, 4)), {33, 17}},
        {"one pixel", Ours(Grainy(1, 1, 5)), {1, 1}},
    };
    for (const auto& c : cases) {
        for (const int16_t factor : {2, 20}) {
            SCOPED_TRACE(std::string(c.name) + ", factor " + std::to_string(factor));
            ASSERT_TRUE(WriteBytes(Path("in.png"), c.png));
            CLead lead;
            ASSERT_EQ(lead.TranscodePngToJpeg(Path("in.png"), Path("quick.jpg"), c.size, factor),
                      CLead::Success);
            EXPECT_EQ(ReadAll(Path("quick.jpg")),
                      LoadedAndSaved(Path("in.png"), factor, Path("slow.jpg")));
        }
    }
}

TEST_F(PngToJpeg, LeavesEveryOtherFileAloneAndWritesNothing)
{
    QByteArray damaged = Ours(Grainy(160, 120, 6));
    damaged[damaged.size() - 20] = char(damaged[damaged.size() - 20] ^ 0x40);
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"another size", Ours(Grainy(200, 120, 7))},
        {"with transparency",
         WithQt(Grainy(160, 120, 8).convertToFormat(QImage::Format_ARGB32).copy())},
        {"grey", WithQt(Grainy(160, 120, 9).convertToFormat(QImage::Format_Grayscale8))},
        {"a JPEG",
         [] {
             QByteArray jpeg;
             EXPECT_TRUE(CJpegWriter::Encode(Grainy(160, 120, 10), 90, jpeg));
             return jpeg;
         }()},
        {"damaged image data", damaged},
        {"cut off", Ours(Grainy(160, 120, 11)).left(500)},
        {"empty", QByteArray()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(Path("in.png"), c.bytes));
        CLead lead;
        EXPECT_EQ(lead.TranscodePngToJpeg(Path("in.png"), Path("out.jpg"), QSize(160, 120), 20),
                  CLead::ErrorDecode);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("out.jpg"))));
    }
    CLead lead;
    EXPECT_EQ(lead.TranscodePngToJpeg(Path("missing.png"), Path("out.jpg"), QSize(1, 1), 20),
              CLead::ErrorDecode);
}

TEST_F(PngToJpeg, TheCardPictureOfEveryQualityIsTheComposedPictureEncoded)
{
    // A display image of the card's size, and a narrower one that is laid
    // on the background colour.
    for (const int width : {1024, 900}) {
        ASSERT_TRUE(WriteBytes(Path("d.png"), Ours(Grainy(width, 768, 12))));
        for (const int quality : {1, 2, 3}) {
            SCOPED_TRACE(std::to_string(width) + " wide, quality " + std::to_string(quality));
            CLead primary, canvas;
            ASSERT_EQ(CImagingProcedures::CreateCardImage(primary, canvas, Path("d.png"),
                                                          Path("card.jpg"), false, 0x102030,
                                                          quality),
                      1);
            QImage composed;
            ASSERT_EQ(CImagingProcedures::ComposeCardImage(primary, canvas, Path("d.png"), 0x102030,
                                                           composed),
                      1);
            int16_t format = 0, factor = 0;
            CImagingProcedures::CardFormat(false, quality, format, factor);
            QByteArray expected;
            ASSERT_TRUE(CJpegWriter::Encode(composed, CLead::JpegQualityFor(factor), expected));
            EXPECT_EQ(ReadAll(Path("card.jpg")), expected);
        }
    }
}
