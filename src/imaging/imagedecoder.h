#pragma once

#include "imaging/pngcodec.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstddef>
#include <functional>

class QIODevice;

// Bounded decoding of the image files the program accepts (JPEG, PNG, BMP,
// told apart by content, never by extension). An image larger than the
// bounds is decoded at a reduced scale (a JPEG by its DCT, others scaled
// down after decoding) as long as the decoding stays within the memory
// bound; only one that cannot is refused as too large, before its pixel
// memory is allocated. A file whose data ends early is refused rather than
// shown with a grey or black remainder, but a JPEG whose image data is all
// there and lacks only its end marker is read.
class CImageDecoder
{
public:
    // Bounds (also used by the engine's allocation limit).
    static constexpr int kMaxSide = 32767;
    static constexpr qint64 kMaxPixels = 100'000'000;
    static constexpr int kAllocationLimitMb = 512;
    static constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;

    enum Outcome
    {
        Decoded,
        NotDecoded,
        TooLarge
    };

    // Reads only the header: true when `device` holds an accepted image that
    // can be decoded within the bounds; `size` receives its stored size.
    static bool Probe(QIODevice& device, QSize* size = nullptr);
    // The same, telling a picture too large to decode within the memory
    // bound (TooLarge) from one that is not an accepted picture.
    static Outcome ProbeImage(QIODevice& device, QSize* size = nullptr);

    // Decodes `data`. With `keepDepth` false the result is 24-bit (RGB32,
    // transparency laid on white); otherwise the file's own pixel format.
    // `nextResize` (optional) gives the size the caller will resize to next
    // for a given image size; a JPEG is then decoded at 1/2, 1/4 or 1/8 as
    // long as the reduced image still covers that size. `fileSize` receives
    // the image's full size (after orientation). Colours are converted to
    // sRGB; text and colour-space metadata of the file are not kept.
    // An image beyond kMaxSide or kMaxPixels comes back reduced to fit them.
    static bool Decode(const QByteArray& data, bool keepDepth,
                       const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                       QSize& fileSize);
    static Outcome DecodeImage(const QByteArray& data, bool keepDepth,
                               const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                               QSize& fileSize);

    // The rows of a PNG that DecodeImage decodes the quick way, 3 bytes a
    // pixel, without making an image: the same pixels and resolution. False
    // for every other file, whose answer DecodeImage gives.
    static bool DecodeQuickPngRows(const QByteArray& data, CPngCodec::Rows& rows);

    // Whether a picture of `size` at `bytesPerPixel` fits the memory bound.
    // Divided rather than multiplied: the sides a crafted header claims
    // would overflow the product.
    static bool FitsMemory(const QSize& size, int bytesPerPixel);

    // The image as 24-bit colour (RGB32); transparency is laid on white.
    static QImage To24Bit(const QImage& image);

    // Whether a JPEG stream runs from its start marker to its end marker
    // with every segment complete.
    static bool JpegStreamComplete(const unsigned char* data, size_t size);
    // Whether a PNG file is well formed as far as its chunk structure and
    // IHDR go: signature, a valid IHDR first, every chunk within the data,
    // IEND reached. `size` receives the IHDR size. `read(offset, length,
    // buffer)` returns false when those bytes are not there.
    static bool PngStructureValid(const std::function<bool(qint64, int, unsigned char*)>& read,
                                  qint64 total, QSize* size = nullptr);
    // The PNG without its text chunks (tEXt, zTXt, iTXt) and without a
    // colour profile larger than 64 KB: their contents are never used, and
    // the PNG library would allocate whatever length or inflated size they
    // claim.
    static QByteArray PngWithoutBulkyChunks(const QByteArray& png);
    // Whether a BMP file holds all the pixel data its header promises.
    static bool BmpDataComplete(const unsigned char* data, size_t size);
    // The largest reduction of 1, 2, 4 or 8 that keeps floor(size / d) at
    // least `target` in both directions.
    static int ReductionFor(const QSize& size, const QSize& target);
    // Whether a size keeps to kMaxSide and kMaxPixels.
    static bool WithinBounds(const QSize& size);
    // The size within the bounds that `size` is reduced to (itself when it
    // keeps to them), keeping its proportions.
    static QSize BoundedSize(const QSize& size);
};
