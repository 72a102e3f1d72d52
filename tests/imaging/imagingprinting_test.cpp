#include "base/resourcebundle.h"
#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"
#include "imagingtestutil.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace imagingtest;

namespace {

// A page to print on: a white image with an active painter.
struct Page
{
    explicit Page(int w, int h) : image(Solid(w, h, qRgb(255, 255, 255))), painter(&image) {}
    QImage Done()
    {
        painter.end();
        return image;
    }
    QImage image;
    QPainter painter;
};

} // namespace

TEST(ImagingPrinting, ImageFileIsLetterboxedInto160x120)
{
    TempFolder tmp;
    const std::string file = tmp.Path("thumb.png");
    ASSERT_TRUE(Write(file, Solid(160, 60, qRgb(0, 0, 255)), "png"));
    CLead p, c;
    Page page(200, 200);
    // Twice the size of the box at (20, 10): 30 background rows become 60.
    ASSERT_EQ(CImagingProcedures::PrintImageFile(p, c, file, 0x0000FF00, page.painter,
                                                 QRect(20, 10, 160 * 2 / 2, 120)),
              1);
    const QImage out = page.Done();
    EXPECT_EQ(out.pixel(19, 50), qRgb(255, 255, 255)) << "outside the box untouched";
    EXPECT_EQ(out.pixel(20, 10), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(100, 38), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(100, 41), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(100, 98), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(100, 101), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(179, 129), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(100, 131), qRgb(255, 255, 255));
    EXPECT_TRUE(p.Image().isNull());
    EXPECT_TRUE(c.Image().isNull());

    Page missing(10, 10);
    EXPECT_EQ(CImagingProcedures::PrintImageFile(p, c, tmp.Path("none.png"), 0, missing.painter,
                                                 QRect(0, 0, 10, 10)),
              0);
    EXPECT_EQ(CImagingProcedures::PrintImageFile(p, c, "", 0, missing.painter, QRect(0, 0, 10, 10)),
              0);
    EXPECT_EQ(missing.Done(), Solid(10, 10, qRgb(255, 255, 255))) << "nothing printed";
}

TEST(ImagingPrinting, BuiltInBitmapIsStretchedIntoTheBox)
{
    const QImage bitmap = CResourceBundle::Bitmap(CImagingProcedures::kControlCellBitmap);
    ASSERT_FALSE(bitmap.isNull());
    CLead p;
    Page page(bitmap.width(), bitmap.height());
    ASSERT_EQ(CImagingProcedures::PrintBitmap(p, CImagingProcedures::kControlCellBitmap,
                                              page.painter, QRect(QPoint(0, 0), bitmap.size())),
              1);
    EXPECT_EQ(page.Done(), bitmap.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(p.Image().isNull());
    Page other(4, 4);
    EXPECT_EQ(CImagingProcedures::PrintBitmap(p, 9999, other.painter, QRect(0, 0, 4, 4)), 0);
}

TEST(ImagingPrinting, DisabledPictureShowsTheMarkOverThePicture)
{
    const QImage mask = CResourceBundle::Bitmap(CImagingProcedures::kDisabledMaskBitmap)
                            .convertToFormat(QImage::Format_RGB32);
    const QImage mark = CResourceBundle::Bitmap(CImagingProcedures::kDisabledMarkBitmap)
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(mask.isNull());
    ASSERT_FALSE(mark.isNull());
    TempFolder tmp;
    const std::string file = tmp.Path("thumb.png");
    const QRgb blue = qRgb(0, 0, 255);
    ASSERT_TRUE(Write(file, Solid(160, 120, blue), "png"));

    // Box and mark at the bitmaps' own size: nothing is resampled, so every
    // pixel can be told.
    CLead p, c;
    const QRect box(0, 0, 160, 120);
    Page page(160, 120);
    ASSERT_EQ(
        CImagingProcedures::PrintDisabledImageFile(p, c, file, 0, mask.size(), page.painter, box),
        1);
    const QImage out = page.Done();
    int figure = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const bool inFigure = mask.pixel(x, y) == qRgb(255, 255, 255);
            figure += inFigure;
            ASSERT_EQ(out.pixel(x, y), inFigure ? mark.pixel(x, y) : blue) << x << "," << y;
        }
    EXPECT_GT(figure, 100) << "the mask has a figure";
    EXPECT_TRUE(p.Image().isNull());
    EXPECT_TRUE(c.Image().isNull());

    // Printer-sized box and a smaller mark: the corners keep the picture,
    // the centre shows the mark's colour.
    Page big(400, 300);
    ASSERT_EQ(CImagingProcedures::PrintDisabledImageFile(p, c, file, 0, QSize(80, 60), big.painter,
                                                         QRect(0, 0, 400, 300)),
              1);
    const QImage bigOut = big.Done();
    EXPECT_EQ(bigOut.pixel(5, 5), blue);
    EXPECT_EQ(bigOut.pixel(395, 295), blue);
    int markLike = 0;
    for (int y = 120; y < 180; ++y)
        for (int x = 160; x < 240; ++x)
            markLike += bigOut.pixel(x, y) != blue;
    EXPECT_GT(markLike, 200);

    // The control-cell picture with the mark.
    Page control(160, 120);
    ASSERT_EQ(CImagingProcedures::PrintDisabledBitmap(p, c, CImagingProcedures::kControlCellBitmap,
                                                      mask.size(), control.painter, box),
              1);
    const QImage controlOut = control.Done();
    const QImage picture = CResourceBundle::Bitmap(CImagingProcedures::kControlCellBitmap)
                               .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 120; y += 7)
        for (int x = 0; x < 160; x += 7) {
            const bool inFigure = mask.pixel(x, y) == qRgb(255, 255, 255);
            EXPECT_EQ(controlOut.pixel(x, y), inFigure ? mark.pixel(x, y) : picture.pixel(x, y));
        }
    EXPECT_EQ(CImagingProcedures::PrintDisabledImageFile(p, c, tmp.Path("none.png"), 0, mask.size(),
                                                         control.painter, box),
              0);
}
