#include "output/cardpicture.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

uint32_t byteAt(const QByteArray& b, qsizetype i)
{
    return static_cast<uint8_t>(b[i]);
}

uint32_t le16(const QByteArray& b, qsizetype i)
{
    return byteAt(b, i) | byteAt(b, i + 1) << 8;
}

uint32_t le32(const QByteArray& b, qsizetype i)
{
    return le16(b, i) | le16(b, i + 2) << 16;
}

uint32_t be16(const QByteArray& b, qsizetype i)
{
    return byteAt(b, i) << 8 | byteAt(b, i + 1);
}

} // namespace

bool CCardPicture::IsBaselineJpeg(const QByteArray& bytes, int width, int height)
{
    const qsizetype size = bytes.size();
    if (size < 4 || byteAt(bytes, 0) != 0xFF || byteAt(bytes, 1) != 0xD8)
        return false;
    bool frameSeen = false;
    qsizetype pos = 2;
    for (;;) {
        if (pos + 4 > size || byteAt(bytes, pos) != 0xFF)
            return false;
        const uint32_t marker = byteAt(bytes, pos + 1);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA) // start of scan: the header is over
            break;
        const uint32_t length = be16(bytes, pos + 2);
        if (length < 2 || pos + 2 + static_cast<qsizetype>(length) > size)
            return false;
        if (marker == 0xC0 || marker == 0xC1) {
            if (frameSeen || length < 8)
                return false;
            frameSeen = true;
            if (be16(bytes, pos + 5) != static_cast<uint32_t>(height) ||
                be16(bytes, pos + 7) != static_cast<uint32_t>(width))
                return false;
        } else if (marker >= 0xC2 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                   marker != 0xCC) {
            return false; // progressive, lossless or arithmetic coding
        }
        pos += 2 + static_cast<qsizetype>(length);
    }
    if (!frameSeen)
        return false;
    // A cut-off file has no end-of-image marker; allow a little padding.
    for (qsizetype i = size - 2; i >= std::max<qsizetype>(pos, size - 34); --i) {
        if (byteAt(bytes, i) == 0xFF && byteAt(bytes, i + 1) == 0xD9)
            return true;
    }
    return false;
}

bool CCardPicture::IsBitmap24(const QByteArray& bytes, int width, int height)
{
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const uint32_t offset = le32(bytes, 10);
    const uint32_t headerSize = le32(bytes, 14);
    const int32_t w = static_cast<int32_t>(le32(bytes, 18));
    const int32_t h = static_cast<int32_t>(le32(bytes, 22));
    if (headerSize < 40 || le16(bytes, 26) != 1 || le16(bytes, 28) != 24 || le32(bytes, 30) != 0)
        return false;
    if (w != width || std::abs(static_cast<int64_t>(h)) != height)
        return false;
    const uint64_t row = (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
    return offset >= 14 + headerSize &&
           static_cast<uint64_t>(offset) + row * static_cast<uint64_t>(height) <=
               static_cast<uint64_t>(bytes.size());
}

bool CCardPicture::Check(const std::string& path, Kind kind, int width, int height)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return false;
    const QByteArray bytes = file.readAll();
    return kind == Jpeg ? IsBaselineJpeg(bytes, width, height) : IsBitmap24(bytes, width, height);
}
