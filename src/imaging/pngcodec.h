#pragma once

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <memory>

// The quick way for the PNG files the program writes and reads most: the
// display images (8-bit RGB, not interlaced). Compression goes through
// ISA-L and decompression through libdeflate, each several times faster than
// zlib (zlib is what every PNG library here uses), and the rows are filtered and
// unfiltered straight between the file's 3-byte pixels and a 32-bit image,
// with no pass in between.
//
// Decode takes only what it decodes exactly as Qt's PNG reader does and
// declines everything else (colour types other than RGB, 16-bit samples,
// interlacing, a transparent colour, any colour-space chunk, very large
// pictures), so that the caller falls back to that reader: same pixels,
// same resolution, never a different picture.
class CPngCodec
{
public:
    // 8-bit RGB PNG of an RGB32 or ARGB32 image (alpha left out): every row
    // "up"-filtered, deflated at a low level, the image's resolution in a
    // pHYs chunk. False for other formats or a failure.
    static bool Encode(const QImage& image, QByteArray& out);

    // Decodes `png` into an RGB32 image carrying the file's resolution;
    // false when the file is not of the kind above or anything about it is
    // doubtful (a checksum, the data's length): the general reader then
    // gives its own answer.
    static bool Decode(const QByteArray& png, QImage& image);

    // The unfiltered rows of such a PNG, 3 bytes (R, G, B) a pixel, for a
    // consumer that takes that layout as it is (the JPEG writer): no 32-bit
    // image is made.
    struct Rows
    {
        int width = 0;
        int height = 0;
        int dotsPerMeterX = 0; // 0: the file gives none
        int dotsPerMeterY = 0;
        size_t stride = 0;
        std::unique_ptr<unsigned char[]> data;
        const unsigned char* Row(int y) const { return data.get() + size_t(y) * stride + 1; }
    };
    // Takes exactly the files Decode takes.
    static bool DecodeRows(const QByteArray& png, Rows& rows);
};
