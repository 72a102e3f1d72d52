#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>

class QPainter;

// The program's imaging engine: one instance holds one current bitmap and
// offers the operations the image procedures are built from. Every operation
// returns a 16-bit result code, 0 for success and non-zero for failure; no
// exception ever leaves an operation. Instances are independent, so separate
// threads may each work with their own instances at the same time.
//
// Bitmap handles: BitmapHandle() names the current bitmap as it is now, for
// CombineImage and for SetBitmapHandle of another instance. A handle stays
// valid until the bitmap it names is changed or released.
class CLead
{
public:
    // File formats of SaveFile.
    enum FileFormat : int16_t
    {
        FormatBmp = 6,
        FormatJpeg = 10,
        FormatPng = 75,
    };
    // Operation codes of CombineImage.
    enum CombineOp : uint32_t
    {
        CombineLighten = 768,    // per channel max(destination, source)
        CombineDifference = 512, // per channel |destination - source|
        CombineCopy = 800,       // source replaces destination
    };
    // Result codes (any non-zero value means failure).
    enum Result : int16_t
    {
        Success = 0,
        ErrorArgument = 1,
        ErrorNoBitmap = 2,
        ErrorRead = 3,
        ErrorDecode = 4,
        ErrorWrite = 5,
        ErrorTooLarge = 6,
        ErrorException = 7,
    };

    CLead() = default;
    ~CLead();
    CLead(const CLead&) = delete;
    CLead& operator=(const CLead&) = delete;

    // The handle of the current bitmap, 0 when there is none.
    uint32_t BitmapHandle();
    // 0 releases the current bitmap; another instance's handle gives this
    // instance its own copy of that bitmap; an unknown handle releases the
    // current bitmap and fails.
    int16_t SetBitmapHandle(uint32_t handle);

    // Settings the procedures apply before use. Sizes here are always pixels
    // and the engine never sizes a window, so they are only remembered.
    void SetAutoSize(bool autoSize) { m_autoSize = autoSize; }
    void SetUnit(int16_t unit) { m_unit = unit; }
    void SetProperty2(bool value) { m_property2 = value; }
    void SetSaveOption(int16_t option) { m_saveOption = option; }
    bool AutoSize() const { return m_autoSize; }
    int16_t Unit() const { return m_unit; }
    bool Property2() const { return m_property2; }
    int16_t SaveOption() const { return m_saveOption; }

    float ImageWidth() const { return float(m_image.width()); }
    float ImageHeight() const { return float(m_image.height()); }

    // 0 when `path` holds an image (JPEG, PNG or BMP, by content) that can
    // be decoded within the decoding bounds (an image larger than they allow
    // is decoded reduced); ErrorTooLarge when it cannot be within the memory
    // bound, ErrorDecode when it is no such image. Reads the header only.
    int16_t ProbeFile(const std::string& path, int16_t page);
    // Replaces the current bitmap by the file's image: `bits` 24 gives a
    // 24-bit image (transparency laid on white), 0 keeps the file's own
    // depth. `nextResize`, when given, returns for the file's image size the
    // size the caller will resize to next; a JPEG is then decoded at 1/2,
    // 1/4 or 1/8 scale as long as that still covers the target.
    int16_t LoadFile(const std::string& path, int16_t bits, int16_t page, int16_t count,
                     const std::function<QSize(const QSize&)>& nextResize = {});
    // The size of the last loaded file's image (before any reduced decoding).
    QSize LoadedFileSize() const { return m_fileSize; }
    // Writes the current bitmap: format 75 PNG, 10 JPEG (baseline JFIF),
    // 6 BMP (uncompressed, bottom-up); `bits` must be 24. Goes through a
    // temporary file, so a failure leaves no partial file behind.
    int16_t SaveFile(const std::string& path, int16_t format, int16_t bits, int16_t quality,
                     int16_t option);
    // Resamples to exactly width x height (method 2: smooth).
    int16_t ResizeImage(float width, float height, int16_t method);
    // A new black bitmap of width x height; `bits` must be 24.
    int16_t NewImage(float width, float height, int16_t bits);
    // Paints the whole bitmap in `color` (0x00BBGGRR).
    int16_t FillImage(uint32_t color);
    // Draws the source bitmap's rectangle (sourceLeft, sourceTop, width,
    // height) onto the current bitmap at (left, top) with operation `op`;
    // pixels outside either bitmap are left alone.
    int16_t CombineImage(float left, float top, float width, float height, uint32_t source,
                         float sourceLeft, float sourceTop, uint32_t op);
    // Draws the current bitmap stretched into the rectangle.
    int16_t PaintImage(QPainter* painter, float left, float top, float width, float height);
    // Replaces the current bitmap by a copy of `dib`.
    int16_t ImportDib(const QImage& dib);
    // The current bitmap (a shared copy; null without one).
    QImage Bitmap() const { return m_image; }
    // Converts the current bitmap to 24 bits per pixel (arguments 24, 4, 0, 0).
    int16_t ConvertBits(int16_t bits, int16_t a, int16_t b, int16_t c);

    // The current bitmap (null when none), for drawing and inspection.
    const QImage& Image() const { return m_image; }
    // Whether a saved file is on the disk before SaveFile returns (the
    // default; see CSafeFile::SetDurable).
    void SetDurableWrites(bool durable) { m_durable = durable; }

    // The system's error number of the last save that failed to write its
    // file (ENOSPC: the disk is full); 0 when none did.
    int LastWriteError() const { return m_lastWriteError; }

    // Writes the PNG file `source` as a 24-bit JPEG file at quality factor
    // `quality` straight from its rows, without a bitmap: the file SaveFile
    // writes after LoadFile of the same PNG. Only for a PNG of exactly
    // `size` that the quick PNG decoder takes; otherwise ErrorDecode and
    // nothing is written (the caller loads and saves). The current bitmap
    // is left alone.
    int16_t TranscodePngToJpeg(const std::string& source, const std::string& destination,
                               const QSize& size, int16_t quality);

    // Maps a save quality factor (2 best, larger is smaller files) to the
    // JPEG codec quality 0..100.
    static int JpegQualityFor(int factor);

private:
    int16_t DoLoadFile(const std::string& path, int16_t bits,
                       const std::function<QSize(const QSize&)>& nextResize);
    int16_t DoSaveFile(const std::string& path, int16_t format, int16_t quality);
    // Writes an encoded file whole, noting the system's error on failure.
    int16_t WriteFileBytes(const std::string& path, const QByteArray& bytes);
    // The file's bytes of a 24-bit image: our own encoders where they apply,
    // Qt's writers for the rest.
    static bool EncodeQuickly(const QImage& image, int16_t format, int16_t quality,
                              QByteArray& bytes);
    static bool EncodeWithQt(const QImage& image, int16_t format, int16_t quality,
                             QByteArray& bytes);
    int16_t DoCombine(int left, int top, int width, int height, const QImage& source,
                      int sourceLeft, int sourceTop, uint32_t op);
    // Forgets the published handle before the bitmap changes, so nobody can
    // read a half-changed bitmap through it (and no copy is forced).
    void Unpublish();
    void SetImage(QImage image);

    QImage m_image;
    int m_lastWriteError = 0;
    bool m_durable = true;
    QSize m_fileSize;
    uint32_t m_handle = 0;
    bool m_autoSize = false;
    bool m_property2 = false;
    int16_t m_unit = 0;
    int16_t m_saveOption = 0;
};
