#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QSize>
#include <tiffio.h>

// A TIFF held in memory, read through libtiff's client callbacks (its
// "mapping" is the bytes in memory, never one of the file), with the
// library's own messages kept quiet: the reasons reach the user as one
// message. Only the first image counts.
class CTiffFile
{
public:
    struct Memory
    {
        const QByteArray* data;
        toff_t at = 0;
    };

    // `maxAllocation`: the most the library may take at once.
    CTiffFile(const QByteArray& data, qint64 maxAllocation);
    ~CTiffFile();
    CTiffFile(const CTiffFile&) = delete;
    CTiffFile& operator=(const CTiffFile&) = delete;

    // Reads the header: true when the first image has a size and pixels the
    // library can give as RGBA.
    bool Open();
    QSize Stored() const { return m_stored; }
    // 1..8 as in Exif.
    int Orientation() const { return m_orientation; }
    QColorSpace ColorSpace() const;
    // The first image as stored (rows top first, premultiplied RGBA),
    // whole for `reduction` 1, else reduced by it in both directions as it
    // is read, so that the whole raster is never in memory; null when it
    // cannot be read. `alpha` receives whether the image has alpha.
    QImage Read(int reduction, bool& alpha);

private:
    Memory m_memory;
    qint64 m_maxAllocation;
    TIFF* m_tiff = nullptr;
    QSize m_stored;
    int m_orientation = 1;
};
