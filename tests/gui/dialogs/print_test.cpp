#include "base/resourcebundle.h"
#include "gui/app/vantorelapp.h"
#include "gui/view/scenarioprinter.h"
#include "printtestutil.h"
#include "support/scriptedprompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <poppler-qt6.h>

namespace {

class PrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + "/";
        pdf = folder + "sheet.pdf";
    }

    QTemporaryDir dir;
    QString folder, pdf;
};

// The box of the first word `text` on the page, in points; null when none.
QRectF FindText(Poppler::Page& page, const QString& text)
{
    for (const auto& box : page.textList())
        if (box->text() == text)
            return box->boundingBox();
    return {};
}

bool Near(const QColor& a, const QColor& b, int tolerance = 8)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

TEST_F(PrintTest, ThirtyRowsToPdfGiveThePagesAndPlacesOfTheMetrics)
{
    CScriptedPrompt prompt;
    CZurDoc doc(&prompt);
    ASSERT_TRUE(MakePrintProject(doc, folder, 30));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    CScenarioPrinter sheet(doc);
    ASSERT_TRUE(sheet.Print(printer));
    const CPrintLayout& l = sheet.Layout();
    ASSERT_GT(l.RowsPerPage(), 1);
    const int pages = (30 + l.RowsPerPage() - 1) / l.RowsPerPage();
    EXPECT_EQ(l.PageCount(), pages);
    EXPECT_EQ(l.LeftMargin(), (l.Page().width() - l.Column0() - l.Column1()) / 2);
    EXPECT_EQ(l.TopMargin(), l.RowHeight());

    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    ASSERT_TRUE(document && !document->isLocked());
    ASSERT_EQ(document->numPages(), pages);

    // Printer pixels to points on the sheet.
    const double dpi = printer.resolution();
    const QPointF origin = printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
    auto X = [&](double px) { return origin.x() + px * 72.0 / dpi; };
    auto Y = [&](double py) { return origin.y() + py * 72.0 / dpi; };
    const int dX = std::max(2, l.ScaleX(2));
    const double slack = 3.0; // points

    for (int p = 1; p <= pages; ++p) {
        std::unique_ptr<Poppler::Page> page(document->page(p - 1));
        ASSERT_TRUE(page);
        const QRectF title0 = FindText(*page, QString::fromStdString(CResourceBundle::Text(7120)));
        const QRectF title1 = FindText(*page, QString::fromStdString(CResourceBundle::Text(7121)));
        ASSERT_FALSE(title0.isNull()) << "page " << p;
        ASSERT_FALSE(title1.isNull()) << "page " << p;
        EXPECT_NEAR(title0.left(), X(l.LeftMargin() + dX + 5), slack);
        EXPECT_NEAR(title1.left(), X(l.LeftMargin() + l.Column0() + dX + 5), slack);
        EXPECT_NEAR(title0.center().y(), Y(l.TopMargin() + l.HeaderHeight() / 2.0), slack);

        for (int r = l.FirstRow(p); r <= l.LastRow(p); ++r) {
            const QRectF number = FindText(*page, QString::number(r + 1));
            ASSERT_FALSE(number.isNull()) << "row " << r + 1;
            const double rowTop =
                l.TopMargin() + l.HeaderHeight() + (r - l.FirstRow(p)) * double(l.RowHeight());
            EXPECT_NEAR(number.left(), X(l.LeftMargin() + dX + 5), slack) << r + 1;
            EXPECT_NEAR(number.center().y(), Y(rowTop + l.RowHeight() / 2.0), slack) << r + 1;
            const auto* image = dynamic_cast<const CCellBmpInfo*>(doc.Cells.GetAt(r));
            if (!image)
                continue;
            const QString name = QString::fromStdString(image->GetLabel()).section(' ', 0, 0);
            const QRectF label = FindText(*page, name);
            ASSERT_FALSE(label.isNull()) << name.toStdString();
            const double boxRight = l.LeftMargin() + l.Column0() + dX + 5 + l.BoxWidth();
            EXPECT_NEAR(label.left(), X(boxRight + l.ScaleX(15)), slack) << name.toStdString();
        }
    }

    // The frames of the header cell of column 0: light above, dark below.
    std::unique_ptr<Poppler::Page> first(document->page(0));
    const double scale = 300.0 / 72.0;
    const QImage rendered = first->renderToImage(300, 300);
    const int tY = std::max(1, l.ScaleY(1));
    auto Pixel = [&](double px, double py) {
        return rendered.pixelColor(int(X(px) * scale), int(Y(py) * scale));
    };
    const QPalette palette = QApplication::palette();
    const double midX = l.LeftMargin() + l.Column0() / 2.0;
    EXPECT_TRUE(Near(Pixel(midX, l.TopMargin() + tY / 2.0), palette.color(QPalette::Light)));
    EXPECT_TRUE(Near(Pixel(midX, l.TopMargin() + l.HeaderHeight() - tY / 2.0),
                     palette.color(QPalette::Dark)));
    // Row 1 is a bitmap source: its band has the bitmap colour right of the
    // frames, past the label.
    const double rowMid = l.TopMargin() + l.HeaderHeight() + l.RowHeight() / 2.0;
    EXPECT_TRUE(Near(Pixel(l.LeftMargin() + l.Column0() + l.Column1() - 3 * dX, rowMid),
                     QColor(193, 255, 223)));
}

TEST_F(PrintTest, EmptyProjectPrintsOnePageWithTheHeader)
{
    CZurDoc doc;
    doc.Cells.ProjectFolder = folder.toStdString();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    CScenarioPrinter sheet(doc);
    ASSERT_TRUE(sheet.Print(printer));
    EXPECT_EQ(sheet.Layout().PageCount(), 1);
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->numPages(), 1);
}

TEST(PrintLayout, PagesAndMarginsOfTheMetrics)
{
    CPrintLayout::Screen screen = CPrintLayout::ScreenFor(10, 20, 30);
    EXPECT_EQ(screen.rowHeight, 40);
    EXPECT_EQ(screen.headerHeight, 22);
    EXPECT_EQ(screen.boxHeight, 30);
    EXPECT_EQ(screen.boxWidth, 45);
    // 11 rows, five to a page: rows 1-5, 6-10, 11.
    const CPrintLayout five(screen, QSize(1000, 22 + 40 * 2 + 40 * 5), 96, 96, 96, 96, 11);
    EXPECT_EQ(five.RowsPerPage(), 5);
    EXPECT_EQ(five.PageCount(), 3);
    EXPECT_EQ(five.FirstRow(3), 10);
    EXPECT_EQ(five.LastRow(3), 10);
    // Too low for the header and two rows: no top margin, at least one row.
    const CPrintLayout low(screen, QSize(1000, 60), 96, 96, 96, 96, 3);
    EXPECT_EQ(low.TopMargin(), 0);
    EXPECT_EQ(low.RowsPerPage(), 1);
    // A wide second title makes the second column exactly the page width.
    const CPrintLayout wide(CPrintLayout::ScreenFor(10, 20, 400), QSize(1000, 2000), 96, 96, 96, 96,
                            1);
    EXPECT_EQ(wide.Column1(), 1000);
    EXPECT_EQ(wide.LeftMargin(), 0);
    // Scaling to a 600 dpi printer.
    const CPrintLayout print(screen, QSize(4800, 6600), 600, 600, 96, 96, 0);
    EXPECT_EQ(print.RowHeight(), 250);
    EXPECT_EQ(print.ScaleX(1), 6);
    EXPECT_EQ(print.PageCount(), 1);
}

TEST_F(PrintTest, DirectPrintOfAProjectFileToPdf)
{
    CScriptedPrompt prompt;
    {
        CZurDoc doc(&prompt);
        ASSERT_TRUE(MakePrintProject(doc, folder, 12, true));
        ASSERT_TRUE(doc.Save(folder.toStdString() + "Print.sic"));
    }
    EXPECT_EQ(CScenarioPrinter::PrintFile((folder + "Print.sic").toStdString(), {},
                                          pdf.toStdString(), &prompt),
              0);
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    ASSERT_TRUE(document);
    EXPECT_GE(document->numPages(), 1);
    EXPECT_NE(CScenarioPrinter::PrintFile((folder + "missing.sic").toStdString(), {},
                                          (folder + "other.pdf").toStdString(), &prompt),
              0);
    EXPECT_NE(CScenarioPrinter::PrintFile((folder + "Print.sic").toStdString(), "no such printer",
                                          {}, &prompt),
              0);

    // The same through the window program's command line.
    const QString out = folder + "command.pdf";
    CVantorelApp app;
    app.SetPrompt(&prompt);
    EXPECT_FALSE(app.InitInstance({"zelm-tessara", "--print", folder + "Print.sic", "--pdf", out}));
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_TRUE(QFileInfo(out).size() > 0);
    CVantorelApp missing;
    missing.SetPrompt(&prompt);
    EXPECT_FALSE(missing.InitInstance(
        {"zelm-tessara", "--print", folder + "none.sic", "--pdf", folder + "none.pdf"}));
    EXPECT_NE(missing.ExitCode(), 0);
    CVantorelApp usage;
    EXPECT_FALSE(usage.InitInstance({"zelm-tessara", "--pdf", out}));
    EXPECT_EQ(usage.ExitCode(), 2);
}

// Its speed is measured in bench/print_bench.cpp.
TEST_F(PrintTest, PreviewOfFiveHundredRowsShowsEveryPage)
{
    CZurDoc doc;
    ASSERT_TRUE(MakePrintProject(doc, folder, 500));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    CScenarioPrinter sheet(doc);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                     [&](QPrinter* p) { sheet.Print(*p, true); });
    preview.updatePreview();
    EXPECT_GT(sheet.Layout().PageCount(), 1);
    EXPECT_EQ(preview.pageCount(), sheet.Layout().PageCount());
}

} // namespace
