#pragma once

// Helpers of the imaging tests: test pictures made with QImage, files written
// and read back as bytes, and crafted headers.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace imagingtest {

// A picture whose every pixel differs from its neighbours, so any resampling
// shows.
inline QImage Pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 7 + y * 3) & 0xFF, (x * 13 + y * 5) & 0xFF, (x ^ y) & 0xFF);
    }
    return img;
}

// Something like a photograph: gradients with grain, so that every PNG
// filter and every JPEG table gets used.
inline QImage Grainy(int w, int h, uint32_t seed = 7)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int g = int(seed >> 28) - 8;
            line[x] = qRgb(qBound(0, x * 255 / w + g, 255), qBound(0, y * 255 / h + g, 255),
                           qBound(0, (x + y) % 256 + g, 255));
        }
    }
    return img;
}

inline QImage Solid(int w, int h, QRgb color)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    return img;
}

inline bool Write(const std::string& path, const QImage& img, const char* format, int quality = 90)
{
    QImageWriter writer(QString::fromStdString(path), format);
    writer.setQuality(quality);
    return writer.write(img);
}

inline QByteArray ReadAll(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteBytes(const std::string& path, const QByteArray& bytes)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QImage Load(const std::string& path)
{
    return QImage(QString::fromStdString(path));
}

inline bool FileExists(const std::string& path)
{
    return QFile::exists(QString::fromStdString(path));
}

// Colours within `tolerance` per channel (JPEG is lossy).
inline bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

inline uint32_t Crc32(const QByteArray& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBe32(QByteArray& b, uint32_t v)
{
    b.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

inline void PutLe32(QByteArray& b, uint32_t v)
{
    b.append(char(v)).append(char(v >> 8)).append(char(v >> 16)).append(char(v >> 24));
}

inline void PutLe16(QByteArray& b, uint16_t v)
{
    b.append(char(v)).append(char(v >> 8));
}

inline void PutPngChunk(QByteArray& png, const QByteArray& type, const QByteArray& data)
{
    PutBe32(png, uint32_t(data.size()));
    const QByteArray chunk = type + data;
    png += chunk;
    PutBe32(png, Crc32(chunk));
}

// A well-formed PNG claiming w x h (8-bit RGB) whose image data is an empty
// zlib stream.
inline QByteArray PngHeader(uint32_t w, uint32_t h)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    PutBe32(ihdr, w);
    PutBe32(ihdr, h);
    ihdr.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
    PutPngChunk(png, "IHDR", ihdr);
    PutPngChunk(png, "IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    PutPngChunk(png, "IEND", QByteArray());
    return png;
}

// A BMP file header and BITMAPINFOHEADER (24-bit, uncompressed) claiming
// w x h, without pixel data.
inline QByteArray BmpHeader(int32_t w, int32_t h)
{
    const uint32_t rowBytes = ((uint32_t(w) * 24 + 31) / 32) * 4;
    QByteArray bmp("BM");
    PutLe32(bmp, 54 + rowBytes * uint32_t(h < 0 ? -h : h));
    PutLe32(bmp, 0);
    PutLe32(bmp, 54);
    PutLe32(bmp, 40);
    PutLe32(bmp, uint32_t(w));
    PutLe32(bmp, uint32_t(h));
    PutLe16(bmp, 1);
    PutLe16(bmp, 24);
    PutLe32(bmp, 0);
    PutLe32(bmp, 0);
    PutLe32(bmp, 2835);
    PutLe32(bmp, 2835);
    PutLe32(bmp, 0);
    PutLe32(bmp, 0);
    return bmp;
}

inline uint32_t Le32At(const QByteArray& b, int at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint16_t Le16At(const QByteArray& b, int at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + at;
    return uint16_t(p[0] | p[1] << 8);
}

// Whether a JPEG file has a frame marker of the given kind (0xC0 baseline,
// 0xC2 progressive) before its scan.
inline bool JpegHasFrame(const QByteArray& jpeg, unsigned char sof)
{
    const auto* p = reinterpret_cast<const unsigned char*>(jpeg.constData());
    int i = 2;
    while (i + 4 <= jpeg.size() && p[i] == 0xFF) {
        const unsigned char m = p[i + 1];
        if (m == sof)
            return true;
        if (m == 0xDA)
            return false;
        i += 2 + (p[i + 2] << 8 | p[i + 3]);
    }
    return false;
}

// A temporary folder with a helper to name files in it.
class TempFolder
{
public:
    std::string Path(const std::string& name) const
    {
        return m_dir.path().toStdString() + "/" + name;
    }
    bool IsValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

} // namespace imagingtest
