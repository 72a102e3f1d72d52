// The check of a PNG's image data without decoding it: every way a file can
// be damaged is found, and every PNG a writer makes passes.
#include "imaging/pngintegrity.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace {

QByteArray encode(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage picture(QImage::Format format)
{
    QImage image(97, 61, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 2, y * 4, (x ^ y) & 255, 128 + x % 100));
    return image.convertToFormat(format);
}

QByteArray be32(uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (24 - 8 * i));
    return b;
}

QByteArray chunk(const char* type, const QByteArray& data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()));
    return be32(uint32_t(data.size())) + body + be32(uint32_t(crc));
}

// An 8-bit grey PNG of `rows` rows of 4 pixels, each row's filter byte
// `filter`, the header saying `height` rows.
QByteArray handMade(int rows, int height, char filter, bool interlaced = false)
{
    QByteArray raw;
    for (int r = 0; r < rows; ++r)
        raw += filter + QByteArray(4, char(r * 10));
    QByteArray packed(int(compressBound(uLong(raw.size()))), '\0');
    uLongf packedSize = uLongf(packed.size());
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
             reinterpret_cast<const Bytef*>(raw.constData()), uLong(raw.size()));
    packed.resize(int(packedSize));
    QByteArray header = be32(4) + be32(uint32_t(height));
    header += QByteArray("\x08\x00\x00\x00\x00", 5);
    header[12] = interlaced ? 1 : 0;
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", packed) +
           chunk("IEND", {});
}

} // namespace

TEST(PngIntegrity, PngsAsWritersMakeThemAreIntact)
{
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_Grayscale8,
          QImage::Format_Grayscale16, QImage::Format_Mono, QImage::Format_Indexed8,
          QImage::Format_RGBA64})
        EXPECT_EQ(CPngIntegrity::Check(encode(picture(format))), CPngIntegrity::Intact) << format;
    EXPECT_EQ(CPngIntegrity::Check(handMade(3, 3, 4)), CPngIntegrity::Intact);
}

TEST(PngIntegrity, DamageIsFound)
{
    const QByteArray good = encode(picture(QImage::Format_RGB32));
    const int data = good.indexOf("IDAT") + 4;
    const auto flipped = [&](int at) {
        QByteArray b = good;
        b[at] = char(b[at] ^ 0x40);
        return b;
    };
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"cut in the image data", good.left(data + 40)},
        {"cut before the end chunk", good.left(good.size() - 12)},
        {"a byte of the image data changed", flipped(data + 30)},
        {"a byte of the header changed", flipped(20)},
        {"a checksum changed", flipped(good.size() - 1)},
        {"fewer rows than the header says", handMade(2, 3, 0)},
        {"more rows than the header says", handMade(4, 3, 0)},
        {"a filter type that does not exist", handMade(3, 3, 5)},
        {"no image data", QByteArray(good.left(33)) + chunk("IEND", {})},
        {"a second header", QByteArray(good).insert(33, good.mid(8, 25))},
        {"an unknown critical chunk", QByteArray(good).insert(33, chunk("ABCD", "x"))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPngIntegrity::Check(c.bytes), CPngIntegrity::Damaged) << c.name;
    // An ancillary chunk nobody knows is no damage.
    EXPECT_EQ(CPngIntegrity::Check(QByteArray(good).insert(33, chunk("abCd", "x"))),
              CPngIntegrity::Intact);
}

TEST(PngIntegrity, WhatItDoesNotCheckIsLeftToTheDecoder)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture(QImage::Format_RGB32).save(&buffer, "JPEG");
    EXPECT_EQ(CPngIntegrity::Check(jpeg), CPngIntegrity::Unchecked);
    EXPECT_EQ(CPngIntegrity::Check(QByteArray()), CPngIntegrity::Unchecked);
    EXPECT_EQ(CPngIntegrity::Check(handMade(3, 3, 0, true)), CPngIntegrity::Unchecked);
}

namespace {

// The zlib stream of `rows` grey rows of 4 pixels (filter 0), packed with a
// window of 2^windowBits bytes.
QByteArray stream(int rows, int windowBits)
{
    QByteArray raw;
    for (int r = 0; r < rows; ++r)
        raw += char(0) + QByteArray(4, char(r * 10));
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray packed(int(deflateBound(&z, uLong(raw.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(raw.data());
    z.avail_in = uInt(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = uInt(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(int(z.total_out));
    deflateEnd(&z);
    return packed;
}

// A PNG of 3 such rows whose image data is `parts`, one IDAT chunk each.
QByteArray withData(const std::vector<QByteArray>& parts)
{
    const QByteArray header = be32(4) + be32(3) + QByteArray("\x08\x00\x00\x00\x00", 5);
    QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header);
    for (const QByteArray& part : parts)
        png += chunk("IDAT", part);
    return png + chunk("IEND", {});
}

} // namespace

TEST(PngIntegrity, ImageDataSpreadOverChunksIsJudgedAsOneStream)
{
    const QByteArray s = stream(3, 15);
    const QByteArray small = stream(3, 9);
    ASSERT_GT(s.size(), 8);
    const struct
    {
        const char* name;
        std::vector<QByteArray> parts;
        CPngIntegrity::Result expected;
    } cases[] = {
        {"one chunk", {s}, CPngIntegrity::Intact},
        {"three chunks", {s.left(3), s.mid(3, 4), s.mid(7)}, CPngIntegrity::Intact},
        {"empty chunks between and after",
         {QByteArray(), s.left(5), {}, s.mid(5), {}},
         CPngIntegrity::Intact},
        {"a small window", {small.left(2), small.mid(2)}, CPngIntegrity::Intact},
        {"bytes after the end in the same chunk", {s + "xyz"}, CPngIntegrity::Intact},
        {"a chunk after the end", {s, "xyz"}, CPngIntegrity::Damaged},
        {"a chunk after the end, small window", {small, "x"}, CPngIntegrity::Damaged},
        {"the stream cut", {s.left(s.size() - 5)}, CPngIntegrity::Damaged},
        {"only empty chunks", {QByteArray(), QByteArray()}, CPngIntegrity::Damaged},
        {"a row too many", {stream(4, 15)}, CPngIntegrity::Damaged},
        {"a row too many, small window", {stream(4, 9)}, CPngIntegrity::Damaged},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CPngIntegrity::Check(withData(c.parts)), c.expected) << c.name;
}
