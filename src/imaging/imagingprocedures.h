#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <string>

class CLead;
class QPainter;

// The fixed image procedures built on the imaging engine. The owners (the
// project document, the printing view, the file browser) hold the engine
// instances and pass them in; a procedure has exclusive use of them while
// it runs and releases their bitmaps on every path. Each returns 1 on
// success and 0 on failure, and shows nothing: the callers decide.
class CImagingProcedures
{
public:
    // The display-image frame, the card picture and the card thumbnail.
    static constexpr int kWorkWidth = 1024;
    static constexpr int kWorkHeight = 768;
    static constexpr int kThumbWidth = 160;
    static constexpr int kThumbHeight = 120;
    // The bitmaps of the resource bundle used in printing.
    static constexpr int kControlCellBitmap = 143;
    static constexpr int kDisabledMarkBitmap = 144;
    static constexpr int kDisabledMaskBitmap = 145;

    // Release the bitmap and apply the settings every procedure starts with.
    static void PrepareImaging(CLead& lead);

    // 1 when the engine can read `path` as an image (header only).
    static int IsImageFile(CLead& lead, const std::string& path);
    // The display image: `source` fitted into 1024 x 768 (enlarged when
    // smaller), written as PNG; `size` receives its size.
    // `written`, when given, receives the picture as written to the file.
    static int CreateWorkImage(CLead& primary, const std::string& source,
                               const std::string& destination, QSize& size,
                               QImage* written = nullptr);
    // The display image of a picture already in memory (a page rendered at
    // its display size): fitted into 1024 x 768 as above when it is not yet,
    // written as PNG; `size` receives its size.
    static int WriteWorkImage(CLead& primary, const QImage& picture, const std::string& destination,
                              QSize& size, QImage* written = nullptr);
    // The thumbnail: `source` scaled by (thumb / 1024 x 768), written as
    // JPEG; 0 for either thumb side means 160 x 120.
    static int CreateThumbImage(CLead& primary, const std::string& source,
                                const std::string& destination, int thumbWidth, int thumbHeight,
                                QSize& size);
    // The same from the pixels of a file already decoded (a display image
    // just written): the file is not read again.
    static int CreateThumbImageFrom(CLead& primary, const QImage& decoded,
                                    const std::string& destination, int thumbWidth, int thumbHeight,
                                    QSize& size);
    // The card picture: exactly 1024 x 768 (160 x 120 for a thumbnail) with
    // the source centred on `backColor` (0x00BBGGRR). A thumbnail is always
    // JPEG; a full picture is BMP for image quality 0, JPEG otherwise.
    static int CreateCardImage(CLead& primary, CLead& canvas, const std::string& source,
                               const std::string& destination, bool thumbnail, uint32_t backColor,
                               int imageQuality);

    // The card picture of `source` in memory, composed exactly as
    // CreateCardImage composes it for the card (1024 x 768 on `backColor`),
    // as 32-bit RGB; 1 on success, 0 (and a null picture) on failure.
    static int ComposeCardImage(CLead& primary, CLead& canvas, const std::string& source,
                                uint32_t backColor, QImage& picture);

    // Printing: an image file letterboxed into 160 x 120 on `backColor`,
    // stretched into `rect`.
    static int PrintImageFile(CLead& primary, CLead& canvas, const std::string& path,
                              uint32_t backColor, QPainter& painter, const QRect& rect);
    // Printing: bitmap `bitmapId` of the resource bundle stretched into `rect`.
    static int PrintBitmap(CLead& primary, int bitmapId, QPainter& painter, const QRect& rect);
    // Printing a disabled image cell: the letterboxed picture at the size of
    // `box`, with the disabled mark of `markSize` laid over its centre.
    static int PrintDisabledImageFile(CLead& primary, CLead& canvas, const std::string& path,
                                      uint32_t backColor, const QSize& markSize, QPainter& painter,
                                      const QRect& box);
    // Printing a disabled control cell: bitmap `bitmapId` at the size of
    // `box` with the disabled mark over it.
    static int PrintDisabledBitmap(CLead& primary, CLead& canvas, int bitmapId,
                                   const QSize& markSize, QPainter& painter, const QRect& box);

    // The size a picture of `size` gets in the 1024 x 768 frame.
    static QSize FitWorkSize(const QSize& size);
    // The same rule for any frame: the picture fills the frame in one
    // direction, its proportions kept.
    static QSize FitSize(const QSize& size, const QSize& frame);
    // The thumbnail size of a picture of `size` for a thumb frame.
    static QSize ThumbSize(const QSize& size, int thumbWidth, int thumbHeight);
    // Save format and quality factor of a card picture.
    static void CardFormat(bool thumbnail, int imageQuality, int16_t& format, int16_t& factor);

private:
    // Resizes the primary's bitmap to `thumb` and writes it as the thumbnail.
    static int SaveThumbnail(CLead& primary, const QSize& thumb, const std::string& destination,
                             QSize& size);
};
