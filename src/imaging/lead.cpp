#include "imaging/lead.h"

#include "base/outsidefile.h"
#include "base/safefile.h"
#include "imaging/imagedecoder.h"
#include "imaging/jpegwriter.h"
#include "imaging/pngcodec.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <exception>
#include <mutex>
#include <unordered_map>

namespace {

// Published bitmaps by handle. An entry is a shared copy of the bitmap as
// it was when its handle was asked for; the owner withdraws it before it
// changes the bitmap, so a copy taken through a handle never sees a change.
struct HandleRegistry
{
    std::mutex mutex;
    std::unordered_map<uint32_t, QImage> images;
    uint32_t last = 0;
};

HandleRegistry& Registry()
{
    static HandleRegistry registry;
    return registry;
}

QImage Published(uint32_t handle)
{
    HandleRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.images.find(handle);
    return it == r.images.end() ? QImage() : it->second;
}

// A float size or position of the interface as whole pixels; false when it
// is not a usable number.
bool ToPixels(float value, int& out)
{
    if (!std::isfinite(value) || value < -1e9f || value > 1e9f)
        return false;
    out = int(std::floor(value));
    return true;
}

bool ToSide(float value, int& out)
{
    return ToPixels(value, out) && out > 0 && out <= CImageDecoder::kMaxSide &&
           qint64(out) <= CImageDecoder::kMaxPixels;
}

QRgb ColorRefToRgb(uint32_t color)
{
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

template <typename F> int16_t Guarded(F&& f)
{
    try {
        return f();
    } catch (...) {
        return CLead::ErrorException;
    }
}

} // namespace

CLead::~CLead()
{
    Unpublish();
}

void CLead::Unpublish()
{
    if (!m_handle)
        return;
    HandleRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.images.erase(m_handle);
    m_handle = 0;
}

void CLead::SetImage(QImage image)
{
    Unpublish();
    m_image = std::move(image);
}

uint32_t CLead::BitmapHandle()
{
    if (m_image.isNull())
        return 0;
    if (m_handle)
        return m_handle;
    try {
        HandleRegistry& r = Registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        do {
            ++r.last;
        } while (r.last == 0 || r.images.count(r.last));
        r.images.emplace(r.last, m_image);
        m_handle = r.last;
    } catch (...) {
        return 0;
    }
    return m_handle;
}

int16_t CLead::SetBitmapHandle(uint32_t handle)
{
    return Guarded([&]() -> int16_t {
        if (handle == 0) {
            SetImage(QImage());
            return Success;
        }
        if (handle == m_handle)
            return Success;
        QImage copy = Published(handle);
        SetImage(copy);
        return copy.isNull() ? ErrorArgument : Success;
    });
}

int16_t CLead::ProbeFile(const std::string& path, int16_t page)
{
    return Guarded([&]() -> int16_t {
        if (path.empty() || page != 0)
            return ErrorArgument;
        QFile file;
        if (COutsideFile::Open(path, file).IsFailure())
            return ErrorRead;
        switch (CImageDecoder::ProbeImage(file)) {
        case CImageDecoder::Decoded:
            return Success;
        case CImageDecoder::TooLarge:
            return ErrorTooLarge;
        case CImageDecoder::NotDecoded:
            break;
        }
        return ErrorDecode;
    });
}

int16_t CLead::LoadFile(const std::string& path, int16_t bits, int16_t page, int16_t count,
                        const std::function<QSize(const QSize&)>& nextResize)
{
    (void)count; // one image per file
    return Guarded([&]() -> int16_t {
        if (path.empty() || page != 0 || (bits != 0 && bits != 24))
            return ErrorArgument;
        return DoLoadFile(path, bits, nextResize);
    });
}

int16_t CLead::DoLoadFile(const std::string& path, int16_t bits,
                          const std::function<QSize(const QSize&)>& nextResize)
{
    SetImage(QImage());
    m_fileSize = QSize();
    QFile file;
    if (COutsideFile::Open(path, file).IsFailure())
        return ErrorRead;
    const qint64 size = file.size();
    if (size <= 0)
        return ErrorDecode;
    if (size > CImageDecoder::kMaxFileBytes)
        return ErrorTooLarge;
    const QByteArray data = file.readAll();
    if (data.size() != size)
        return ErrorRead;
    QImage image;
    QSize fileSize;
    switch (CImageDecoder::DecodeImage(data, bits == 0, nextResize, image, fileSize)) {
    case CImageDecoder::Decoded:
        break;
    case CImageDecoder::TooLarge:
        return ErrorTooLarge;
    case CImageDecoder::NotDecoded:
        return ErrorDecode;
    }
    SetImage(std::move(image));
    m_fileSize = fileSize;
    return Success;
}

int16_t CLead::TranscodePngToJpeg(const std::string& source, const std::string& destination,
                                  const QSize& size, int16_t quality)
{
    return Guarded([&]() -> int16_t {
        if (source.empty() || destination.empty())
            return ErrorArgument;
        QFile file(QString::fromStdString(source));
        if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 ||
            file.size() > CImageDecoder::kMaxFileBytes)
            return ErrorDecode;
        const QByteArray data = file.readAll();
        CPngCodec::Rows rows;
        if (data.size() != file.size() || !CImageDecoder::DecodeQuickPngRows(data, rows) ||
            QSize(rows.width, rows.height) != size)
            return ErrorDecode;
        // A file without a resolution gets what a decoded image would carry.
        const QImage plain(1, 1, QImage::Format_RGB32);
        const int dpmX = rows.dotsPerMeterX > 0 ? rows.dotsPerMeterX : plain.dotsPerMeterX();
        const int dpmY = rows.dotsPerMeterY > 0 ? rows.dotsPerMeterY : plain.dotsPerMeterY();
        QByteArray bytes;
        if (!CJpegWriter::EncodeRgb(rows.Row(0), rows.stride, rows.width, rows.height, dpmX, dpmY,
                                    JpegQualityFor(quality), bytes))
            return ErrorDecode;
        return WriteFileBytes(destination, bytes);
    });
}

int CLead::JpegQualityFor(int factor)
{
    // Quality factor 2 is the best the card format is written with, 4 a
    // little smaller, 20 the everyday compromise; beyond that quality falls
    // off slowly towards 10.
    if (factor <= 2)
        return 95;
    if (factor <= 4)
        return 95 - (factor - 2) * 5 / 2; // 4 -> 90
    if (factor <= 20)
        return 90 - (factor - 4) * 15 / 16; // 20 -> 75
    return std::max(10, 75 - (factor - 20) / 3);
}

int16_t CLead::SaveFile(const std::string& path, int16_t format, int16_t bits, int16_t quality,
                        int16_t option)
{
    (void)option;
    return Guarded([&]() -> int16_t {
        if (path.empty() || bits != 24)
            return ErrorArgument;
        if (format != FormatPng && format != FormatJpeg && format != FormatBmp)
            return ErrorArgument;
        if (m_image.isNull())
            return ErrorNoBitmap;
        return DoSaveFile(path, format, quality);
    });
}

int16_t CLead::DoSaveFile(const std::string& path, int16_t format, int16_t quality)
{
    // Always written as 24-bit colour; RGB32 is what every writer below
    // turns into 3 bytes per pixel.
    const QImage image = CImageDecoder::To24Bit(m_image);
    if (image.isNull())
        return ErrorWrite;

    // Encoded in memory first: an encoder never meets a full disk (whose
    // errors it would print on its own), and the file is written whole or
    // not at all.
    QByteArray bytes;
    if (!EncodeQuickly(image, format, quality, bytes) &&
        !EncodeWithQt(image, format, quality, bytes))
        return ErrorWrite;
    return WriteFileBytes(path, bytes);
}

int16_t CLead::WriteFileBytes(const std::string& path, const QByteArray& bytes)
{
    int error = 0;
    if (!CSafeFile::WriteAll(path, bytes, &error, m_durable)) {
        m_lastWriteError = error;
        return ErrorWrite;
    }
    return Success;
}

bool CLead::EncodeQuickly(const QImage& image, int16_t format, int16_t quality, QByteArray& bytes)
{
    // The same bytes as Qt's JPEG writer without its copy of every row, and
    // display images deflated by a quicker library.
    if (format == FormatJpeg && CJpegWriter::CanEncode(image))
        return CJpegWriter::Encode(image, JpegQualityFor(quality), bytes);
    if (format == FormatPng)
        return CPngCodec::Encode(image, bytes);
    return false;
}

bool CLead::EncodeWithQt(const QImage& image, int16_t format, int16_t quality, QByteArray& bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == FormatPng    ? QByteArrayLiteral("png")
                                 : format == FormatJpeg ? QByteArrayLiteral("jpeg")
                                                        : QByteArrayLiteral("bmp"));
    if (format == FormatJpeg) {
        // Baseline JFIF: the card player decodes nothing else.
        writer.setQuality(JpegQualityFor(quality));
        writer.setOptimizedWrite(false);
        writer.setProgressiveScanWrite(false);
    } else if (format == FormatPng) {
        // Display images are written often and read back at once; a low
        // zlib level keeps that quick for some ten per cent more bytes.
        writer.setQuality(70);
    }
    const bool written = writer.write(image);
    buffer.close();
    return written;
}

int16_t CLead::ResizeImage(float width, float height, int16_t method)
{
    (void)method; // every resize is smooth
    return Guarded([&]() -> int16_t {
        int w = 0;
        int h = 0;
        if (!ToSide(width, w) || !ToSide(height, h) || qint64(w) * h > CImageDecoder::kMaxPixels)
            return ErrorArgument;
        if (m_image.isNull())
            return ErrorNoBitmap;
        if (m_image.width() == w && m_image.height() == h)
            return Success;
        QImage scaled = m_image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (scaled.isNull())
            return ErrorTooLarge;
        SetImage(std::move(scaled));
        return Success;
    });
}

int16_t CLead::NewImage(float width, float height, int16_t bits)
{
    return Guarded([&]() -> int16_t {
        int w = 0;
        int h = 0;
        if (bits != 24 || !ToSide(width, w) || !ToSide(height, h) ||
            qint64(w) * h > CImageDecoder::kMaxPixels)
            return ErrorArgument;
        QImage image(w, h, QImage::Format_RGB32);
        if (image.isNull())
            return ErrorTooLarge;
        image.fill(Qt::black);
        SetImage(std::move(image));
        return Success;
    });
}

int16_t CLead::FillImage(uint32_t color)
{
    return Guarded([&]() -> int16_t {
        if (m_image.isNull())
            return ErrorNoBitmap;
        Unpublish();
        if (m_image.format() != QImage::Format_RGB32)
            m_image = QImage(m_image.size(), QImage::Format_RGB32);
        if (m_image.isNull())
            return ErrorTooLarge;
        m_image.fill(ColorRefToRgb(color));
        return Success;
    });
}

int16_t CLead::CombineImage(float left, float top, float width, float height, uint32_t source,
                            float sourceLeft, float sourceTop, uint32_t op)
{
    return Guarded([&]() -> int16_t {
        int x = 0, y = 0, w = 0, h = 0, sx = 0, sy = 0;
        if (!ToPixels(left, x) || !ToPixels(top, y) || !ToPixels(width, w) ||
            !ToPixels(height, h) || !ToPixels(sourceLeft, sx) || !ToPixels(sourceTop, sy))
            return ErrorArgument;
        if (op != CombineCopy && op != CombineLighten && op != CombineDifference)
            return ErrorArgument;
        if (m_image.isNull())
            return ErrorNoBitmap;
        // Read the source before touching our own bitmap: it may be our own.
        const QImage src = Published(source);
        if (src.isNull())
            return ErrorArgument;
        return DoCombine(x, y, w, h, src, sx, sy, op);
    });
}

int16_t CLead::DoCombine(int x, int y, int w, int h, const QImage& source, int sx, int sy,
                         uint32_t op)
{
    if (w <= 0 || h <= 0)
        return Success;
    const QImage src =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    Unpublish();
    m_image = CImageDecoder::To24Bit(m_image);
    if (m_image.isNull() || src.isNull())
        return ErrorTooLarge;

    // Clip the rectangle against both bitmaps (64-bit, positions may be far
    // outside).
    int64_t x0 = std::max<int64_t>({0, int64_t(x), int64_t(x) - sx});
    int64_t y0 = std::max<int64_t>({0, int64_t(y), int64_t(y) - sy});
    int64_t x1 = std::min<int64_t>(
        {int64_t(m_image.width()), int64_t(x) + w, int64_t(x) - sx + src.width()});
    int64_t y1 = std::min<int64_t>(
        {int64_t(m_image.height()), int64_t(y) + h, int64_t(y) - sy + src.height()});
    if (x0 >= x1 || y0 >= y1)
        return Success;

    for (int64_t dy = y0; dy < y1; ++dy) {
        auto* d = reinterpret_cast<QRgb*>(m_image.scanLine(int(dy))) + x0;
        const auto* s =
            reinterpret_cast<const QRgb*>(src.constScanLine(int(dy - y + sy))) + (x0 - x + sx);
        const int64_t n = x1 - x0;
        switch (op) {
        case CombineCopy:
            for (int64_t i = 0; i < n; ++i)
                d[i] = s[i] | 0xFF000000u;
            break;
        case CombineLighten:
            for (int64_t i = 0; i < n; ++i)
                d[i] = qRgb(std::max(qRed(d[i]), qRed(s[i])), std::max(qGreen(d[i]), qGreen(s[i])),
                            std::max(qBlue(d[i]), qBlue(s[i])));
            break;
        case CombineDifference:
            for (int64_t i = 0; i < n; ++i)
                d[i] =
                    qRgb(std::abs(qRed(d[i]) - qRed(s[i])), std::abs(qGreen(d[i]) - qGreen(s[i])),
                         std::abs(qBlue(d[i]) - qBlue(s[i])));
            break;
        }
    }
    return Success;
}

int16_t CLead::PaintImage(QPainter* painter, float left, float top, float width, float height)
{
    return Guarded([&]() -> int16_t {
        if (!painter || !painter->isActive())
            return ErrorArgument;
        if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(width) ||
            !std::isfinite(height) || width <= 0 || height <= 0)
            return ErrorArgument;
        if (m_image.isNull())
            return ErrorNoBitmap;
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter->drawImage(QRectF(left, top, width, height), m_image);
        painter->restore();
        return Success;
    });
}

int16_t CLead::ImportDib(const QImage& dib)
{
    return Guarded([&]() -> int16_t {
        if (dib.isNull())
            return ErrorArgument;
        SetImage(dib);
        return Success;
    });
}

int16_t CLead::ConvertBits(int16_t bits, int16_t a, int16_t b, int16_t c)
{
    (void)a, (void)b, (void)c;
    return Guarded([&]() -> int16_t {
        if (bits != 24)
            return ErrorArgument;
        if (m_image.isNull())
            return ErrorNoBitmap;
        if (m_image.format() == QImage::Format_RGB32)
            return Success;
        QImage converted = CImageDecoder::To24Bit(m_image);
        if (converted.isNull())
            return ErrorTooLarge;
        SetImage(std::move(converted));
        return Success;
    });
}
