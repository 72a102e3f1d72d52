#pragma once

#include <QByteArray>
#include <QImage>

// Baseline JFIF encoding straight from a 32-bit image (RGB32 or ARGB32,
// alpha ignored), without the row-by-row copy into 3-byte pixels that a
// generic writer makes first. It writes exactly the bytes Qt's JPEG writer
// writes for the same image with optimized and progressive writing off: the
// same quality tables, 4:2:0 chroma and density; only text entries and
// colour profiles are not written (CanEncode refuses such images).
class CJpegWriter
{
public:
    // Whether Encode writes `image` as Qt's writer would.
    static bool CanEncode(const QImage& image);
    // Encodes `image` at `quality` (1..100) into `out`; false on failure.
    static bool Encode(const QImage& image, int quality, QByteArray& out);
    // The same encoding from rows of 3-byte pixels (R, G, B), `stride` bytes
    // apart from `first`, with the density a QImage of `dotsPerMeterX` and
    // `dotsPerMeterY` carries: the bytes Encode writes for that image.
    static bool EncodeRgb(const unsigned char* first, size_t stride, int width, int height,
                          int dotsPerMeterX, int dotsPerMeterY, int quality, QByteArray& out);
};
