#pragma once

#include "imaging/imagedecoder.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <functional>

class QIODevice;

// Decoding of the photo formats of current cameras and phones: HEIC/HEIF
// (libheif), WebP (libwebp) and TIFF (libtiff), told apart by content. Only
// the first image counts (a TIFF's first page, an animation's first frame).
// The rules are those of CImageDecoder: the orientation the file records
// is applied, sizes are checked before any pixel memory is taken, an image
// beyond the bounds comes back reduced when its decoding fits the memory
// bound and is refused as too large when it does not. When the caller
// reduces next anyway, a WebP is decoded straight at that size and a HEIF
// is reduced to it as it leaves the codec (or decoded from its stored
// thumbnail when that covers the size).
class CPhotoDecoder
{
public:
    enum Kind
    {
        None,
        Heif,
        WebP,
        Tiff
    };

    // The kind of photo `head` (the first 16 bytes or more) begins.
    static Kind Sniff(const QByteArray& head);

    static CImageDecoder::Outcome Probe(Kind kind, const QByteArray& data, QSize* size);
    // The same for the photo from the device's position on (left there):
    // these formats keep what the size depends on anywhere in the file.
    static CImageDecoder::Outcome ProbeDevice(Kind kind, QIODevice& device, QSize* size);
    static CImageDecoder::Outcome Decode(Kind kind, const QByteArray& data, bool keepDepth,
                                         const std::function<QSize(const QSize&)>& nextResize,
                                         QImage& image, QSize& fileSize);

    // The orientation (1..8) an Exif block records ("Exif\0\0" prefix
    // optional), 1 when it records none or cannot be read.
    static int ExifOrientation(const unsigned char* data, size_t size);
    // `image` turned upright from a file orientation of 1..8.
    static QImage Oriented(const QImage& image, int orientation);
};
