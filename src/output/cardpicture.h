#pragma once

#include <QByteArray>
#include <string>

// What the card player accepts as a picture, judged from the file's bytes: a
// complete baseline JPEG (never progressive) or an uncompressed 24-bit
// Windows bitmap, of an exact size.
class CCardPicture
{
public:
    enum Kind
    {
        Jpeg,
        Bitmap
    };

    // Reads the file at `path` (at most MaxFileSize bytes) and checks it.
    static bool Check(const std::string& path, Kind kind, int width, int height);
    // A baseline JPEG of width x height with its end-of-image marker.
    static bool IsBaselineJpeg(const QByteArray& bytes, int width, int height);
    // A 24-bit uncompressed bitmap of width x height holding all its rows.
    static bool IsBitmap24(const QByteArray& bytes, int width, int height);

    // Far above a 1024 x 768 bitmap (2.4 MB).
    static constexpr qsizetype MaxFileSize = 32 * 1024 * 1024;
};
