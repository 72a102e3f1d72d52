#include "imaging/imagedecoder.h"

#include "imaging/jpegdecoder.h"
#include "imaging/jpegscan.h"
#include "imaging/photodecoder.h"
#include "imaging/pngcodec.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Accurate DCT and smooth chroma upsampling in Qt's JPEG reader start at
// this quality; below it the reader trades picture quality for speed.
constexpr int kDecodeQuality = 100;

bool AcceptedFormat(const QByteArray& format)
{
    return format == "jpeg" || format == "png" || format == "bmp";
}

using Outcome = CImageDecoder::Outcome;

// The memory one decoded image may take.
constexpr qint64 kMemoryBound = qint64(CImageDecoder::kAllocationLimitMb) * 1024 * 1024;
// How much of a JPEG is searched for its frame header behind the metadata.
constexpr qint64 kJpegHeaderBytes = 16 * 1024 * 1024;

bool WithinBounds(const QSize& size)
{
    return CImageDecoder::WithinBounds(size);
}

// The JPEG decoder's own reduction (1, 2, 4 or 8) that brings a frame within
// the bounds, 0 when no reduction does within the memory bound: a
// progressive frame keeps every coefficient of the full image.
int JpegReductionFor(const CJpegScan::Frame& frame)
{
    if (frame.progressive && frame.coefficientBytes > kMemoryBound)
        return 0;
    for (int d : {1, 2, 4, 8}) {
        const QSize reduced(frame.width / d, frame.height / d);
        if (WithinBounds(reduced) && qint64(reduced.width()) * reduced.height() * 4 <= kMemoryBound)
            return d;
    }
    return 0;
}

// Whether a PNG or BMP beyond the bounds can be decoded whole within the
// memory bound, to be scaled down after: 8 bytes a pixel for 16-bit PNG
// samples, 4 otherwise.
bool FitsWhole(const QSize& size, int bytesPerPixel)
{
    return CImageDecoder::FitsMemory(size, bytesPerPixel);
}

void Prepare(QImageReader& reader)
{
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(CImageDecoder::kAllocationLimitMb);
    // Photos that say how they were held are shown upright.
    reader.setAutoTransform(true);
}

bool SwapsSides(QImageIOHandler::Transformations t)
{
    return t.testFlag(QImageIOHandler::TransformationRotate90);
}

// The picture turned as the file says it was held, as Qt's reader turns it:
// mirrored and flipped first, then a quarter turn. Every step only moves
// pixels.
QImage Oriented(QImage image, QImageIOHandler::Transformations t)
{
    if (t.testAnyFlags(QImageIOHandler::TransformationRotate180))
        image = std::move(image).mirrored(t.testFlag(QImageIOHandler::TransformationMirror),
                                          t.testFlag(QImageIOHandler::TransformationFlip));
    if (t.testFlag(QImageIOHandler::TransformationRotate90))
        image = image.transformed(QTransform().rotate(90));
    return image;
}

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsPng(const unsigned char* p, size_t n)
{
    return n >= 8 && std::memcmp(p, kPngSignature, 8) == 0;
}

bool IsJpeg(const unsigned char* p, size_t n)
{
    return n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
}

// The bit depth byte of a PNG's IHDR (the structure is checked beforehand).
int PngBytesPerPixel(const unsigned char* head29)
{
    return head29[24] == 16 ? 8 : 4;
}

uint32_t Be32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

bool ValidPngHeader(unsigned bitDepth, unsigned colorType, unsigned compression, unsigned filter,
                    unsigned interlace)
{
    if (compression != 0 || filter != 0 || interlace > 1)
        return false;
    switch (colorType) {
    case 0: // grey
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3: // palette
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2: // RGB
    case 4: // grey + alpha
    case 6: // RGBA
        return bitDepth == 8 || bitDepth == 16;
    default:
        return false;
    }
}

bool BytesReader(const QByteArray& data, qint64 offset, int length, unsigned char* out)
{
    if (offset < 0 || length < 0 || offset + length > data.size())
        return false;
    std::memcpy(out, data.constData() + offset, size_t(length));
    return true;
}

uint32_t Le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// Walks an RLE4 / RLE8 stream: complete when the end-of-bitmap code is
// reached inside the data.
bool RleComplete(const unsigned char* p, size_t n, bool rle4)
{
    size_t i = 0;
    while (i + 1 < n) {
        const unsigned count = p[i];
        const unsigned code = p[i + 1];
        i += 2;
        if (count > 0)
            continue; // encoded run
        if (code == 0)
            continue; // end of line
        if (code == 1)
            return true; // end of bitmap
        if (code == 2) {
            i += 2; // delta
            continue;
        }
        size_t bytes = rle4 ? (code + 1) / 2 : code; // absolute run
        bytes += bytes & 1;                          // padded to a word
        i += bytes;
    }
    return false;
}

// Copies the pixels without the file's text entries, which would otherwise
// travel into every file written from this image.
QImage WithoutText(const QImage& image)
{
    if (image.textKeys().isEmpty())
        return image;
    QImage wrapped(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                   image.format());
    wrapped.setColorTable(image.colorTable());
    QImage copy = wrapped.copy();
    copy.setDotsPerMeterX(image.dotsPerMeterX());
    copy.setDotsPerMeterY(image.dotsPerMeterY());
    return copy;
}

} // namespace

QImage CImageDecoder::To24Bit(const QImage& image)
{
    if (image.isNull() || image.format() == QImage::Format_RGB32)
        return image;
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(Qt::white);
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

int CImageDecoder::ReductionFor(const QSize& size, const QSize& target)
{
    if (!size.isValid() || !target.isValid() || target.isEmpty())
        return 1;
    for (int d : {8, 4, 2}) {
        if (size.width() / d >= target.width() && size.height() / d >= target.height())
            return d;
    }
    return 1;
}

bool CImageDecoder::JpegStreamComplete(const unsigned char* p, size_t n)
{
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    size_t i = 2;
    for (;;) {
        // Like the decoder, skip stray bytes up to the next marker.
        if (i >= n)
            return false;
        if (p[i] != 0xFF) {
            const void* ff = std::memchr(p + i, 0xFF, n - i);
            if (!ff)
                return false;
            i = size_t(static_cast<const unsigned char*>(ff) - p);
        }
        while (i < n && p[i] == 0xFF)
            ++i;
        if (i >= n)
            return false;
        const unsigned char marker = p[i++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (n - i < 2)
            return false;
        const size_t length = size_t(p[i]) << 8 | p[i + 1];
        if (length < 2 || length > n - i)
            return false;
        i += length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data: 0xFF is followed by a stuffed zero or a restart
        // marker inside it; anything else is the next marker.
        for (;;) {
            if (i >= n)
                return false;
            const void* ff = std::memchr(p + i, 0xFF, n - i);
            if (!ff)
                return false;
            i = size_t(static_cast<const unsigned char*>(ff) - p);
            if (i + 1 >= n)
                return false;
            const unsigned char next = p[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                i += 2;
                continue;
            }
            break;
        }
    }
}

bool CImageDecoder::PngStructureValid(const std::function<bool(qint64, int, unsigned char*)>& read,
                                      qint64 total, QSize* size)
{
    unsigned char head[8 + 8 + 13];
    if (total < qint64(sizeof head) || !read(0, int(sizeof head), head) || !IsPng(head, 8))
        return false;
    if (Be32(head + 8) != 13 || std::memcmp(head + 12, "IHDR", 4) != 0)
        return false;
    const uint32_t w = Be32(head + 16);
    const uint32_t h = Be32(head + 20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu ||
        !ValidPngHeader(head[24], head[25], head[26], head[27], head[28]))
        return false;
    qint64 at = 8;
    for (;;) {
        unsigned char chunk[8];
        if (total - at < 12 || !read(at, 8, chunk))
            return false;
        const qint64 length = Be32(chunk);
        if (length > total - at - 12)
            return false;
        if (std::memcmp(chunk + 4, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    if (size)
        *size = QSize(int(w), int(h));
    return true;
}

QByteArray CImageDecoder::PngWithoutBulkyChunks(const QByteArray& png)
{
    const auto* p = reinterpret_cast<const unsigned char*>(png.constData());
    const qint64 n = png.size();
    if (!IsPng(p, size_t(n)))
        return png;
    QByteArray out;
    qint64 at = 8;
    qint64 copiedUpTo = 0;
    while (n - at >= 12) {
        const qint64 length = Be32(p + at);
        if (length > n - at - 12)
            break;
        const char* type = reinterpret_cast<const char*>(p + at + 4);
        const bool drop = std::memcmp(type, "tEXt", 4) == 0 || std::memcmp(type, "zTXt", 4) == 0 ||
                          std::memcmp(type, "iTXt", 4) == 0 ||
                          (std::memcmp(type, "iCCP", 4) == 0 && length > 64 * 1024);
        if (drop) {
            out.append(png.constData() + copiedUpTo, at - copiedUpTo);
            copiedUpTo = at + 12 + length;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        at += 12 + length;
    }
    if (copiedUpTo == 0)
        return png; // nothing dropped: no copy
    out.append(png.constData() + copiedUpTo, n - copiedUpTo);
    return out;
}

bool CImageDecoder::BmpDataComplete(const unsigned char* p, size_t n)
{
    if (n < 26 || p[0] != 'B' || p[1] != 'M')
        return false;
    const uint64_t offBits = Le32(p + 10);
    const uint32_t headerSize = Le32(p + 14);
    int64_t width = 0;
    int64_t height = 0;
    unsigned bitCount = 0;
    uint32_t compression = 0;
    if (headerSize == 12) {
        width = Le16(p + 18);
        height = Le16(p + 20);
        bitCount = Le16(p + 24);
    } else if (headerSize >= 40 && n >= 34) {
        width = int32_t(Le32(p + 18));
        height = int32_t(Le32(p + 22));
        bitCount = Le16(p + 28);
        compression = Le32(p + 30);
    } else {
        return false;
    }
    if (width <= 0 || height == 0 || bitCount == 0 || bitCount > 32)
        return false;
    if (height < 0)
        height = -height;
    if (offBits > n)
        return false;
    switch (compression) {
    case 0: // uncompressed
    case 3: // bit fields
    case 6: {
        const uint64_t rowBytes = ((uint64_t(width) * bitCount + 31) / 32) * 4;
        return rowBytes * uint64_t(height) <= n - offBits;
    }
    case 1:
        return bitCount == 8 && RleComplete(p + offBits, n - offBits, false);
    case 2:
        return bitCount == 4 && RleComplete(p + offBits, n - offBits, true);
    default:
        return false;
    }
}

bool CImageDecoder::FitsMemory(const QSize& size, int bytesPerPixel)
{
    return size.width() > 0 && size.height() > 0 && bytesPerPixel > 0 &&
           qint64(size.width()) <= kMemoryBound / bytesPerPixel / qint64(size.height());
}

bool CImageDecoder::WithinBounds(const QSize& size)
{
    return size.isValid() && size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide &&
           size.height() <= kMaxSide && qint64(size.width()) * size.height() <= kMaxPixels;
}

QSize CImageDecoder::BoundedSize(const QSize& size)
{
    if (size.isEmpty() || WithinBounds(size))
        return size;
    QSize bounded = size.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
    const qint64 pixels = qint64(bounded.width()) * bounded.height();
    if (pixels > kMaxPixels) {
        const double f = std::sqrt(double(kMaxPixels) / double(pixels));
        bounded = QSize(int(bounded.width() * f), int(bounded.height() * f));
    }
    return bounded.expandedTo(QSize(1, 1));
}

bool CImageDecoder::Probe(QIODevice& device, QSize* size)
{
    return ProbeImage(device, size) == Decoded;
}

CImageDecoder::Outcome CImageDecoder::ProbeImage(QIODevice& device, QSize* size)
{
    if (const CPhotoDecoder::Kind photo = CPhotoDecoder::Sniff(device.peek(16)))
        return CPhotoDecoder::ProbeDevice(photo, device, size);
    // A PNG is checked by our own walk over its chunks: the PNG library
    // would allocate whatever a chunk before the image data claims.
    const QByteArray signature = device.peek(8);
    if (IsPng(reinterpret_cast<const unsigned char*>(signature.constData()),
              size_t(signature.size()))) {
        if (device.isSequential())
            return NotDecoded;
        const qint64 start = device.pos();
        const auto read = [&](qint64 offset, int length, unsigned char* out) {
            return device.seek(start + offset) &&
                   device.read(reinterpret_cast<char*>(out), length) == length;
        };
        QSize stored;
        unsigned char head[29];
        const bool valid = PngStructureValid(read, device.size() - start, &stored) &&
                           read(0, int(sizeof head), head);
        device.seek(start);
        if (!valid)
            return NotDecoded;
        if (!WithinBounds(stored) && !FitsWhole(stored, PngBytesPerPixel(head)))
            return TooLarge;
        if (size)
            *size = stored;
        return Decoded;
    }
    const qint64 start = device.pos();
    QImageReader reader(&device);
    Prepare(reader);
    if (!AcceptedFormat(reader.format()))
        return NotDecoded;
    QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return NotDecoded;
    if (!WithinBounds(stored)) {
        if (reader.format() == "jpeg") {
            // The reader has moved on; the frame header is read from the start.
            if (device.isSequential() || !device.seek(start))
                return NotDecoded;
            const QByteArray head = device.peek(kJpegHeaderBytes);
            CJpegScan::Frame frame;
            if (!CJpegScan::ReadFrame(reinterpret_cast<const unsigned char*>(head.constData()),
                                      size_t(head.size()), frame))
                return NotDecoded;
            if (JpegReductionFor(frame) == 0)
                return TooLarge;
        } else if (!FitsWhole(stored, 4)) {
            return TooLarge;
        }
    }
    if (SwapsSides(reader.transformation()))
        stored.transpose();
    if (size)
        *size = stored;
    return Decoded;
}

bool CImageDecoder::Decode(const QByteArray& data, bool keepDepth,
                           const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                           QSize& fileSize)
{
    return DecodeImage(data, keepDepth, nextResize, image, fileSize) == Decoded;
}

bool CImageDecoder::DecodeQuickPngRows(const QByteArray& data, CPngCodec::Rows& rows)
{
    // The same gate as DecodeImage's quick way.
    const auto* head = reinterpret_cast<const unsigned char*>(data.constData());
    if (CPhotoDecoder::Sniff(data.left(16)) || !IsPng(head, size_t(data.size())))
        return false;
    const auto read = [&](qint64 offset, int length, unsigned char* out) {
        return BytesReader(data, offset, length, out);
    };
    return PngStructureValid(read, data.size()) &&
           WithinBounds(QSize(int(Be32(head + 16)), int(Be32(head + 20)))) &&
           CPngCodec::DecodeRows(data, rows);
}

CImageDecoder::Outcome
CImageDecoder::DecodeImage(const QByteArray& data, bool keepDepth,
                           const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                           QSize& fileSize)
{
    image = QImage();
    fileSize = QSize();
    if (const CPhotoDecoder::Kind photo = CPhotoDecoder::Sniff(data.left(16)))
        return CPhotoDecoder::Decode(photo, data, keepDepth, nextResize, image, fileSize);
    QByteArray bytes = data; // shared, the buffer only reads
    const auto* head = reinterpret_cast<const unsigned char*>(data.constData());
    const size_t headSize = size_t(data.size());
    int pngBytesPerPixel = 4;
    if (IsPng(head, headSize)) {
        const auto read = [&](qint64 offset, int length, unsigned char* out) {
            return BytesReader(data, offset, length, out);
        };
        if (!PngStructureValid(read, data.size()))
            return NotDecoded;
        pngBytesPerPixel = PngBytesPerPixel(head);
        bytes = PngWithoutBulkyChunks(data);
        // The program's own display images, and PNGs like them, the quick way.
        QImage quick;
        if (WithinBounds(QSize(int(Be32(head + 16)), int(Be32(head + 20)))) &&
            CPngCodec::Decode(data, quick)) {
            image = std::move(quick);
            fileSize = image.size();
            return Decoded;
        }
    } else if (IsJpeg(head, headSize) && !JpegStreamComplete(head, headSize)) {
        // Some cameras and editors leave out the end marker. Such a file is
        // read when its image data is all there: a trial decode meets no
        // missing data before the end marker put after it.
        QByteArray ended = data;
        ended.append("\xFF\xD9", 2);
        const auto* p = reinterpret_cast<const unsigned char*>(ended.constData());
        if (!JpegStreamComplete(p, size_t(ended.size())) ||
            !CJpegScan::DecodesCleanly(p, size_t(ended.size()), long(kMemoryBound)))
            return NotDecoded;
        bytes = ended;
    }
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return NotDecoded;
    QImageReader reader(&buffer);
    Prepare(reader);
    const QByteArray format = reader.format();
    if (!AcceptedFormat(format))
        return NotDecoded;
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return NotDecoded;
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t rawSize = size_t(bytes.size());

    // Beyond the bounds: a JPEG is decoded reduced by its own decoder, any
    // other picture whole (when that fits the memory bound) and scaled down.
    int reduction = 1;
    if (!WithinBounds(stored)) {
        if (format == "jpeg") {
            CJpegScan::Frame frame;
            if (!CJpegScan::ReadFrame(raw, rawSize, frame))
                return NotDecoded;
            reduction = JpegReductionFor(frame);
            if (reduction == 0)
                return TooLarge;
        } else if (!FitsWhole(stored, format == "png" ? pngBytesPerPixel : 4)) {
            return TooLarge;
        }
    }
    if (format == "jpeg" && !JpegStreamComplete(raw, rawSize))
        return NotDecoded;
    if (format == "bmp" && !BmpDataComplete(raw, rawSize))
        return NotDecoded;

    const bool swaps = SwapsSides(reader.transformation());
    QSize shown = stored;
    if (swaps)
        shown.transpose();

    QImage decoded;
    if (format == "jpeg") {
        int d = reduction;
        if (nextResize) {
            QSize target = nextResize(shown);
            if (swaps)
                target.transpose();
            d = std::max(d, ReductionFor(stored, target));
        }
        const QSize scaled = d > 1 ? QSize(stored.width() / d, stored.height() / d) : QSize();
        if (CJpegDecoder::Decode(raw, rawSize, scaled, decoded))
            decoded = Oriented(std::move(decoded), reader.transformation());
        else if (scaled.isValid())
            reader.setScaledSize(scaled);
    }
    reader.setQuality(kDecodeQuality);

    if (decoded.isNull())
        decoded = reader.read();
    if (decoded.isNull())
        return NotDecoded;
    if (!WithinBounds(decoded.size()))
        decoded = decoded.scaled(BoundedSize(decoded.size()), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    if (decoded.isNull())
        return NotDecoded;
    if (!keepDepth)
        decoded = To24Bit(decoded);
    if (decoded.isNull())
        return NotDecoded;
    const QColorSpace space = decoded.colorSpace();
    if (space.isValid()) {
        const QImage::Format f = decoded.format();
        if (space != QColorSpace(QColorSpace::SRgb) &&
            (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
             f == QImage::Format_ARGB32_Premultiplied))
            decoded.convertToColorSpace(QColorSpace::SRgb);
        decoded.setColorSpace(QColorSpace());
    }
    image = WithoutText(decoded);
    fileSize = shown;
    return image.isNull() ? NotDecoded : Decoded;
}
