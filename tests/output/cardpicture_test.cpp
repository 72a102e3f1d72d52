#include "output/cardpicture.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <gtest/gtest.h>

namespace {

QByteArray encode(int width, int height, const char* format, bool progressive = false)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

} // namespace

TEST(CardPicture, JpegMustBeCompleteBaselineAndOfTheSize)
{
    const QByteArray good = encode(160, 120, "jpeg");
    EXPECT_TRUE(CCardPicture::IsBaselineJpeg(good, 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(good, 120, 160));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(good.left(good.size() / 2), 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(good.left(40), 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(encode(160, 120, "jpeg", true), 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(encode(160, 120, "png"), 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(encode(160, 120, "bmp"), 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(QByteArray(), 160, 120));
    EXPECT_FALSE(CCardPicture::IsBaselineJpeg(QByteArray("\xFF\xD8\xFF\xD9", 4), 160, 120));
}

TEST(CardPicture, BitmapMustBe24BitUncompressedWithAllRows)
{
    const QByteArray good = encode(1024, 768, "bmp");
    EXPECT_TRUE(CCardPicture::IsBitmap24(good, 1024, 768));
    EXPECT_FALSE(CCardPicture::IsBitmap24(good, 1024, 767));
    EXPECT_FALSE(CCardPicture::IsBitmap24(good.chopped(1), 1024, 768));
    QByteArray other = good;
    other[28] = 32; // bits per pixel
    EXPECT_FALSE(CCardPicture::IsBitmap24(other, 1024, 768));
    other = good;
    other[30] = 1; // run-length compressed
    EXPECT_FALSE(CCardPicture::IsBitmap24(other, 1024, 768));
    other = good;
    other[22] = static_cast<char>(0x00); // top-down: height -768 (0xFFFFFD00)
    other[23] = static_cast<char>(0xFD);
    other[24] = static_cast<char>(0xFF);
    other[25] = static_cast<char>(0xFF);
    EXPECT_TRUE(CCardPicture::IsBitmap24(other, 1024, 768));
    EXPECT_FALSE(CCardPicture::IsBitmap24(encode(1024, 768, "jpeg"), 1024, 768));
    EXPECT_FALSE(CCardPicture::IsBitmap24(good.left(53), 1024, 768));
}
