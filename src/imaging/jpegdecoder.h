#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>

// JPEG decoding straight from memory into 32-bit rows. It gives the same
// pixels, resolution and colour space as Qt's JPEG reader at its highest
// quality (accurate DCT, smooth chroma upsampling) with a scaled size set,
// without the reader's small read buffer (which keeps the library off its
// quick entropy decoder) and without converting every row from 24 bits.
class CJpegDecoder
{
public:
    // Decodes `data`: when `scaledSize` is valid, reduced by the library to
    // the least M/8 scale that covers it and then scaled smoothly to exactly
    // that size, as Qt's reader does. The result is RGB32, or Grayscale8
    // for a grey stream. False, with `image` null, for a stream this way
    // does not take (other than YCbCr or grey) or that the library refuses;
    // the caller reads those with Qt.
    static bool Decode(const unsigned char* data, size_t size, const QSize& scaledSize,
                       QImage& image);
};
