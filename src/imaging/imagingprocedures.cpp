#include "imaging/imagingprocedures.h"

#include "base/pathutils.h"
#include "base/resourcebundle.h"
#include "base/volumelist.h"
#include "imaging/lead.h"

#include <QImage>
#include <algorithm>

namespace {

// The space a procedure wants free before it writes anything.
constexpr uint64_t kSpaceNeeded = 1024;

// Releases the bitmaps of the instances a procedure used, on every path.
class CReleaseBitmaps
{
public:
    explicit CReleaseBitmaps(CLead& a, CLead* b = nullptr) : m_a(a), m_b(b) {}
    ~CReleaseBitmaps()
    {
        m_a.SetBitmapHandle(0);
        if (m_b)
            m_b->SetBitmapHandle(0);
    }
    CReleaseBitmaps(const CReleaseBitmaps&) = delete;
    CReleaseBitmaps& operator=(const CReleaseBitmaps&) = delete;

private:
    CLead& m_a;
    CLead* m_b;
};

void ApplySettings(CLead& lead)
{
    lead.SetUnit(3);
    lead.SetProperty2(false);
    lead.SetAutoSize(false);
}

// Quietly checks the volume that will hold the destination's folder.
bool EnoughSpace(const std::string& destination)
{
    const size_t slash = destination.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : destination.substr(0, slash + 1);
    return CheckDiskSpace(nullptr, CVolumeList::RootOf(folder), kSpaceNeeded, true);
}

QSize CurrentSize(const CLead& lead)
{
    return QSize(int(lead.ImageWidth()), int(lead.ImageHeight()));
}

// Builds in `canvas` a target-sized bitmap of `backColor` with the primary's
// bitmap centred on it (the halves are exact: an odd difference gives a
// position ending in .5). The first failure stops the sequence.
int16_t Letterbox(CLead& primary, CLead& canvas, int width, int height, uint32_t backColor)
{
    const float w = primary.ImageWidth();
    const float h = primary.ImageHeight();
    int16_t r = canvas.NewImage(float(width), float(height), 24);
    if (r == 0)
        r = canvas.FillImage(backColor);
    if (r == 0)
        r = canvas.CombineImage((float(width) - w) / 2, (float(height) - h) / 2, w, h,
                                primary.BitmapHandle(), 0, 0, CLead::CombineCopy);
    return r;
}

// Loads `path` into the primary and leaves the 160 x 120 letterboxed
// picture there.
int16_t LoadLetterboxed(CLead& primary, CLead& canvas, const std::string& path, uint32_t backColor)
{
    int16_t r = primary.LoadFile(path, 24, 0, -1);
    if (r != 0)
        return r;
    if (CurrentSize(primary) ==
        QSize(CImagingProcedures::kThumbWidth, CImagingProcedures::kThumbHeight))
        return 0;
    r = Letterbox(primary, canvas, CImagingProcedures::kThumbWidth,
                  CImagingProcedures::kThumbHeight, backColor);
    if (r == 0)
        r = primary.SetBitmapHandle(canvas.BitmapHandle());
    canvas.SetBitmapHandle(0);
    return r;
}

// Imports a bundle bitmap into `lead` as 24-bit colour, resized to `size`
// when it differs.
int16_t ImportBitmap(CLead& lead, const QImage& bitmap, const QSize& size)
{
    int16_t r = lead.ImportDib(bitmap);
    if (r == 0)
        r = lead.ConvertBits(24, 4, 0, 0);
    if (r == 0 && size.isValid() && CurrentSize(lead) != size)
        r = lead.ResizeImage(float(size.width()), float(size.height()), 2);
    return r;
}

// Lays the disabled mark over the centre of the primary's bitmap, which
// already has the size of `box`, and paints the result into `box`. Where
// the mask is white the picture takes the mark's pixels, where it is black
// the picture stays: lighten with the mask whitens the figure, difference
// with the mask turns it black, lighten with the mark paints the mark in.
int16_t OverlayMarkAndPaint(CLead& primary, CLead& canvas, const QImage& mask, const QImage& mark,
                            const QSize& markSize, QPainter& painter, const QRect& box)
{
    const QSize ms = markSize.isValid() && !markSize.isEmpty() ? markSize : mark.size();
    const float x = float(box.width() - ms.width()) / 2;
    const float y = float(box.height() - ms.height()) / 2;
    const float mw = float(ms.width());
    const float mh = float(ms.height());
    int16_t r = ImportBitmap(canvas, mask, ms);
    if (r == 0)
        r = primary.CombineImage(x, y, mw, mh, canvas.BitmapHandle(), 0, 0, CLead::CombineLighten);
    if (r == 0)
        r = primary.CombineImage(x, y, mw, mh, canvas.BitmapHandle(), 0, 0,
                                 CLead::CombineDifference);
    canvas.SetBitmapHandle(0);
    if (r == 0)
        r = ImportBitmap(canvas, mark, ms);
    if (r == 0)
        r = primary.CombineImage(x, y, mw, mh, canvas.BitmapHandle(), 0, 0, CLead::CombineLighten);
    if (r == 0)
        r = primary.PaintImage(&painter, float(box.left()), float(box.top()), float(box.width()),
                               float(box.height()));
    return r;
}

int16_t ResizeToBox(CLead& lead, const QRect& box)
{
    if (CurrentSize(lead) == box.size())
        return 0;
    return lead.ResizeImage(float(box.width()), float(box.height()), 2);
}

// What both ways to a thumbnail need first: a source, a destination with
// room beside it, and a size (0 stands for the standard one).
bool ReadyForThumbnail(bool hasSource, const std::string& destination, int& thumbWidth,
                       int& thumbHeight)
{
    if (!hasSource || destination.empty() || !EnoughSpace(destination))
        return false;
    if (thumbWidth == 0 || thumbHeight == 0) {
        thumbWidth = CImagingProcedures::kThumbWidth;
        thumbHeight = CImagingProcedures::kThumbHeight;
    }
    return true;
}

} // namespace

void CImagingProcedures::PrepareImaging(CLead& lead)
{
    lead.SetBitmapHandle(0);
    ApplySettings(lead);
}

QSize CImagingProcedures::FitWorkSize(const QSize& size)
{
    return FitSize(size, QSize(kWorkWidth, kWorkHeight));
}

QSize CImagingProcedures::FitSize(const QSize& size, const QSize& frame)
{
    const double w = size.width();
    const double h = size.height();
    if (size == frame)
        return size;
    // A picture of extreme proportions keeps at least one pixel across,
    // where the rule's truncation would leave none.
    if (w <= 0 || h <= 0)
        return QSize(1, 1);
    if (h / frame.height() > w / frame.width())
        return QSize(std::max(1, int(w * frame.height() / h)), frame.height());
    return QSize(frame.width(), std::max(1, int(h * frame.width() / w)));
}

QSize CImagingProcedures::ThumbSize(const QSize& size, int thumbWidth, int thumbHeight)
{
    return QSize(std::max(1, int(size.width() * (double(thumbWidth) / kWorkWidth))),
                 std::max(1, int(size.height() * (double(thumbHeight) / kWorkHeight))));
}

void CImagingProcedures::CardFormat(bool thumbnail, int imageQuality, int16_t& format,
                                    int16_t& factor)
{
    format = CLead::FormatJpeg;
    factor = 2;
    if (thumbnail)
        return;
    switch (imageQuality) {
    case 0:
        format = CLead::FormatBmp;
        break;
    case 1:
        factor = 4;
        break;
    case 2:
        factor = 20;
        break;
    default:
        break;
    }
}

int CImagingProcedures::IsImageFile(CLead& lead, const std::string& path)
{
    if (path.empty())
        return 0;
    CReleaseBitmaps release(lead);
    lead.SetBitmapHandle(0);
    return lead.ProbeFile(path, 0) == 0 ? 1 : 0;
}

int CImagingProcedures::CreateWorkImage(CLead& primary, const std::string& source,
                                        const std::string& destination, QSize& size,
                                        QImage* written)
{
    if (source.empty() || destination.empty())
        return 0;
    if (!EnoughSpace(destination))
        return 0;
    size = QSize(kWorkWidth, kWorkHeight);

    CReleaseBitmaps release(primary);
    PrepareImaging(primary);
    if (primary.ProbeFile(source, 0) != 0)
        return 0;
    if (primary.LoadFile(source, 24, 0, -1, &FitWorkSize) != 0)
        return 0;
    // The size stored in the file: a JPEG may have been decoded reduced.
    const QSize stored = primary.LoadedFileSize();
    if (stored != QSize(kWorkWidth, kWorkHeight)) {
        const QSize fitted = FitWorkSize(stored);
        if (primary.ResizeImage(float(fitted.width()), float(fitted.height()), 2) != 0)
            return 0;
        size = fitted;
    }
    primary.SetSaveOption(1);
    if (primary.SaveFile(destination, CLead::FormatPng, 24, 2, 0) != 0)
        return 0;
    if (written)
        *written = primary.Bitmap();
    return 1;
}

int CImagingProcedures::WriteWorkImage(CLead& primary, const QImage& picture,
                                       const std::string& destination, QSize& size, QImage* written)
{
    if (picture.isNull() || destination.empty())
        return 0;
    if (!EnoughSpace(destination))
        return 0;
    CReleaseBitmaps release(primary);
    PrepareImaging(primary);
    if (primary.ImportDib(picture) != 0 || primary.ConvertBits(24, 0, 0, 0) != 0)
        return 0;
    const QSize fitted = FitWorkSize(picture.size());
    if (fitted != picture.size() &&
        primary.ResizeImage(float(fitted.width()), float(fitted.height()), 2) != 0)
        return 0;
    primary.SetSaveOption(1);
    if (primary.SaveFile(destination, CLead::FormatPng, 24, 2, 0) != 0)
        return 0;
    size = fitted;
    if (written)
        *written = primary.Bitmap();
    return 1;
}

int CImagingProcedures::CreateThumbImage(CLead& primary, const std::string& source,
                                         const std::string& destination, int thumbWidth,
                                         int thumbHeight, QSize& size)
{
    if (!ReadyForThumbnail(!source.empty(), destination, thumbWidth, thumbHeight))
        return 0;

    CReleaseBitmaps release(primary);
    PrepareImaging(primary);
    if (primary.ProbeFile(source, 0) != 0)
        return 0;
    const auto target = [=](const QSize& s) { return ThumbSize(s, thumbWidth, thumbHeight); };
    if (primary.LoadFile(source, 0, 0, 1, target) != 0)
        return 0;
    return SaveThumbnail(primary, target(primary.LoadedFileSize()), destination, size);
}

int CImagingProcedures::CreateThumbImageFrom(CLead& primary, const QImage& decoded,
                                             const std::string& destination, int thumbWidth,
                                             int thumbHeight, QSize& size)
{
    if (!ReadyForThumbnail(!decoded.isNull(), destination, thumbWidth, thumbHeight))
        return 0;
    CReleaseBitmaps release(primary);
    PrepareImaging(primary);
    if (primary.ImportDib(decoded) != 0)
        return 0;
    return SaveThumbnail(primary, ThumbSize(decoded.size(), thumbWidth, thumbHeight), destination,
                         size);
}

int CImagingProcedures::SaveThumbnail(CLead& primary, const QSize& thumb,
                                      const std::string& destination, QSize& size)
{
    if (primary.ResizeImage(float(thumb.width()), float(thumb.height()), 2) != 0)
        return 0;
    primary.SetSaveOption(1);
    if (primary.SaveFile(destination, CLead::FormatJpeg, 24, 2, 0) != 0)
        return 0;
    size = thumb;
    return 1;
}

namespace {

// The card picture of `source` composed in the engines: loaded, and centred
// on `backColor` unless it has the card's size already. `result` receives
// the engine that holds it.
int16_t ComposeCard(CLead& primary, CLead& canvas, const std::string& source, int width, int height,
                    uint32_t backColor, CLead*& result)
{
    primary.SetBitmapHandle(0);
    canvas.SetBitmapHandle(0);
    ApplySettings(primary);
    ApplySettings(canvas);
    if (primary.ProbeFile(source, 0) != 0)
        return CLead::ErrorDecode;
    if (primary.LoadFile(source, 24, 0, -1) != 0)
        return CLead::ErrorRead;
    result = &primary;
    if (CurrentSize(primary) == QSize(width, height))
        return 0;
    result = &canvas;
    return Letterbox(primary, canvas, width, height, backColor);
}

} // namespace

int CImagingProcedures::CreateCardImage(CLead& primary, CLead& canvas, const std::string& source,
                                        const std::string& destination, bool thumbnail,
                                        uint32_t backColor, int imageQuality)
{
    if (source.empty() || destination.empty())
        return 0;
    if (!EnoughSpace(destination))
        return 0;
    const int width = thumbnail ? kThumbWidth : kWorkWidth;
    const int height = thumbnail ? kThumbHeight : kWorkHeight;

    int16_t format = 0;
    int16_t factor = 0;
    CardFormat(thumbnail, imageQuality, format, factor);
    if (format == CLead::FormatJpeg) {
        // A display image of the card's size, the usual case, goes from its
        // rows straight into the JPEG: the same bytes, with no bitmap made.
        const int16_t quick =
            primary.TranscodePngToJpeg(source, destination, QSize(width, height), factor);
        if (quick == CLead::Success || quick == CLead::ErrorWrite)
            return quick == CLead::Success ? 1 : 0;
    }

    CReleaseBitmaps release(primary, &canvas);
    CLead* result = nullptr;
    int16_t r = ComposeCard(primary, canvas, source, width, height, backColor, result);
    if (r != 0)
        return 0;
    r = result->SaveFile(destination, format, 24, factor, 0);
    return r == 0 ? 1 : 0;
}

int CImagingProcedures::ComposeCardImage(CLead& primary, CLead& canvas, const std::string& source,
                                         uint32_t backColor, QImage& picture)
{
    picture = QImage();
    if (source.empty())
        return 0;
    CReleaseBitmaps release(primary, &canvas);
    CLead* result = nullptr;
    if (ComposeCard(primary, canvas, source, kWorkWidth, kWorkHeight, backColor, result) != 0)
        return 0;
    picture = result->Image().convertToFormat(QImage::Format_RGB32);
    return picture.isNull() ? 0 : 1;
}

int CImagingProcedures::PrintImageFile(CLead& primary, CLead& canvas, const std::string& path,
                                       uint32_t backColor, QPainter& painter, const QRect& rect)
{
    if (path.empty())
        return 0;
    CReleaseBitmaps release(primary, &canvas);
    PrepareImaging(primary);
    PrepareImaging(canvas);
    int16_t r = LoadLetterboxed(primary, canvas, path, backColor);
    if (r == 0)
        r = primary.PaintImage(&painter, float(rect.left()), float(rect.top()), float(rect.width()),
                               float(rect.height()));
    return r == 0 ? 1 : 0;
}

int CImagingProcedures::PrintBitmap(CLead& primary, int bitmapId, QPainter& painter,
                                    const QRect& rect)
{
    const QImage dib = CResourceBundle::Bitmap(bitmapId);
    if (dib.isNull())
        return 0;
    CReleaseBitmaps release(primary);
    PrepareImaging(primary);
    int16_t r = ImportBitmap(primary, dib, QSize());
    if (r == 0)
        r = primary.PaintImage(&painter, float(rect.left()), float(rect.top()), float(rect.width()),
                               float(rect.height()));
    return r == 0 ? 1 : 0;
}

int CImagingProcedures::PrintDisabledImageFile(CLead& primary, CLead& canvas,
                                               const std::string& path, uint32_t backColor,
                                               const QSize& markSize, QPainter& painter,
                                               const QRect& box)
{
    const QImage mask = CResourceBundle::Bitmap(kDisabledMaskBitmap);
    const QImage mark = CResourceBundle::Bitmap(kDisabledMarkBitmap);
    if (mask.isNull() || mark.isNull() || path.empty() || box.isEmpty())
        return 0;
    CReleaseBitmaps release(primary, &canvas);
    PrepareImaging(primary);
    PrepareImaging(canvas);
    int16_t r = LoadLetterboxed(primary, canvas, path, backColor);
    if (r == 0)
        r = ResizeToBox(primary, box);
    if (r == 0)
        r = OverlayMarkAndPaint(primary, canvas, mask, mark, markSize, painter, box);
    return r == 0 ? 1 : 0;
}

int CImagingProcedures::PrintDisabledBitmap(CLead& primary, CLead& canvas, int bitmapId,
                                            const QSize& markSize, QPainter& painter,
                                            const QRect& box)
{
    const QImage mask = CResourceBundle::Bitmap(kDisabledMaskBitmap);
    const QImage mark = CResourceBundle::Bitmap(kDisabledMarkBitmap);
    const QImage picture = CResourceBundle::Bitmap(bitmapId);
    if (mask.isNull() || mark.isNull() || picture.isNull() || box.isEmpty())
        return 0;
    CReleaseBitmaps release(primary, &canvas);
    PrepareImaging(primary);
    PrepareImaging(canvas);
    int16_t r = ImportBitmap(primary, picture, box.size());
    if (r == 0)
        r = OverlayMarkAndPaint(primary, canvas, mask, mark, markSize, painter, box);
    return r == 0 ? 1 : 0;
}
