#include "gui/view/scenarioprinter.h"

#include "base/appfolders.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "gui/dialogs/filenamecompleter.h"
#include "gui/dialogs/fontui.h"
#include "imaging/imagingprocedures.h"
#include "model/cellbmpinfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QSettings>
#include <QTemporaryFile>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
constexpr int kMarkIcon = 170;
constexpr int kTextIndent = 5; // device pixels, as on the screen
const QString kFontSection = QStringLiteral("Settings");
const QString kFontValue = QStringLiteral("Font");

QColor FillOf(const CCellInfo* cell, const QColor& face)
{
    const auto* image = dynamic_cast<const CCellBmpInfo*>(cell);
    if (!image)
        return face;
    switch (image->SourceKind) {
    case CCellBmpInfo::SourceJpeg:
        return QColor(190, 212, 255);
    case CCellBmpInfo::SourceBmp:
        return QColor(193, 255, 223);
    case CCellBmpInfo::SourcePpt:
        return QColor(255, 192, 255);
    default:
        return QColor(224, 224, 224);
    }
}

QColor FromColorRef(uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// A raised frame of bands tX wide and tY high; returns the content inside.
QRect Frame(QPainter& painter, const QRect& r, int tX, int tY, int dX, int dY)
{
    const QPalette palette = QApplication::palette();
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    painter.fillRect(QRect(r.x(), r.y(), r.width() - tX, tY), light);
    painter.fillRect(QRect(r.x(), r.y(), tX, r.height() - tY), light);
    painter.fillRect(QRect(r.x() + r.width() - tX, r.y(), tX, r.height()), dark);
    painter.fillRect(QRect(r.x(), r.y() + r.height() - tY, r.width(), tY), dark);
    return r.adjusted(dX, dY, -dX, -dY);
}

void Line(QPainter& painter, const QRect& rect, const QString& text)
{
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

// Why a file could not be written in `folder`, as far as the system tells:
// the PDF writer itself does not say.
int FolderError(const std::string& folder)
{
    struct statvfs vfs
    {
    };
    if (statvfs(folder.c_str(), &vfs) != 0)
        return errno;
    if (vfs.f_bavail == 0)
        return ENOSPC;
    if (access(folder.c_str(), W_OK) != 0)
        return errno;
    return EIO;
}

// A complete PDF file ends with its trailer; the PDF writer does not report
// a write that failed, so a full disk shows as a file cut short.
bool EndsWithTrailer(QFile& file)
{
    const qint64 size = file.size();
    if (size < 5 || !file.seek(std::max<qint64>(0, size - 32)))
        return false;
    return file.readAll().contains("%%EOF");
}

// The wait cursor while pages are drawn.
class CWaitCursor
{
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
} // namespace

CScenarioPrinter::CScenarioPrinter(CZurDoc& document, const QFont& headerFont,
                                   const QWidget* screen)
    : m_document(document), m_headerFont(headerFont), m_font(ReadPrintFont())
{
    if (screen) {
        m_screenDpiX = screen->logicalDpiX();
        m_screenDpiY = screen->logicalDpiY();
    } else if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        m_screenDpiX = primary->logicalDotsPerInchX();
        m_screenDpiY = primary->logicalDotsPerInchY();
    }
    // The font's size in points against the screen, so that the printer
    // gets the same size on paper.
    if (m_font.pointSizeF() <= 0 && m_font.pixelSize() > 0)
        m_font.setPointSizeF(m_font.pixelSize() * 72.0 / m_screenDpiY);
}

CScenarioPrinter::~CScenarioPrinter()
{
    WritePrintFont(m_font);
}

QFont CScenarioPrinter::ReadPrintFont()
{
    QFont font = QApplication::font();
    QSettings settings;
    if (!CFontUI().ReadFont(settings, kFontSection, kFontValue, font)) {
        font = QApplication::font();
        font.setPixelSize(14);
    }
    return font;
}

void CScenarioPrinter::WritePrintFont(const QFont& font)
{
    QSettings settings;
    CFontUI().WriteFont(settings, kFontSection, kFontValue, font);
}

const CPrintLayout& CScenarioPrinter::Begin(const QPaintDevice& device)
{
    m_rows.clear();
    for (int i = 0; i < m_document.Cells.GetCount(); ++i) {
        const CCellInfo* cell = m_document.Cells.GetAt(i);
        if (cell->IsVisible())
            m_rows.push_back(cell);
    }
    const QFontMetrics metrics(m_headerFont);
    const CPrintLayout::Screen screen = CPrintLayout::ScreenFor(
        metrics.height(),
        metrics.horizontalAdvance(
            QString::fromStdString(CResourceBundle::Text(MsgId::RowNumberHeader))),
        metrics.horizontalAdvance(
            QString::fromStdString(CResourceBundle::Text(MsgId::SlideHeader))));
    m_layout = std::make_unique<CPrintLayout>(
        screen, QSize(device.width(), device.height()), device.logicalDpiX(), device.logicalDpiY(),
        m_screenDpiX, m_screenDpiY, static_cast<int>(m_rows.size()));
    return *m_layout;
}

void CScenarioPrinter::PaintPage(QPainter& painter, int page, bool preview)
{
    if (!m_layout)
        return;
    const CPrintLayout& l = *m_layout;
    const QRect area(l.LeftMargin(), l.TopMargin(), l.Page().width() - 2 * l.LeftMargin(),
                     l.Page().height() - 2 * l.TopMargin());
    const int tX = std::max(1, l.ScaleX(1)), tY = std::max(1, l.ScaleY(1));
    const int dX = std::max(2, l.ScaleX(2)), dY = std::max(2, l.ScaleY(2));
    const QSize mark(l.ScaleX(32), l.ScaleY(32));
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor text = QApplication::palette().color(QPalette::WindowText);

    painter.save();
    painter.setFont(QFont(m_font, painter.device()));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(text);

    // Header row.
    const QRect header(area.left(), area.top(), area.width(), l.HeaderHeight());
    painter.fillRect(header, face);
    const QRect col0(area.left(), header.top(), l.Column0(), header.height());
    const QRect col1(col0.right() + 1, header.top(), l.Column1(), header.height());
    for (const auto& [rect, id] :
         {std::pair{col0, MsgId::RowNumberHeader}, std::pair{col1, MsgId::SlideHeader}}) {
        const QRect content = Frame(painter, rect, tX, tY, dX, dY);
        Line(painter, content.adjusted(kTextIndent, 0, 0, 0),
             QString::fromStdString(CResourceBundle::Text(id)));
    }

    // Rows.
    int y = header.bottom() + 1;
    for (int r = l.FirstRow(page); r <= l.LastRow(page); ++r, y += l.RowHeight()) {
        const CCellInfo* cell = m_rows[static_cast<size_t>(r)];
        painter.fillRect(QRect(area.left(), y, area.width(), l.RowHeight()), FillOf(cell, face));
        const QRect number(area.left(), y, l.Column0(), l.RowHeight());
        const QRect numberContent = Frame(painter, number, tX, tY, dX, dY);
        Line(painter, numberContent.adjusted(kTextIndent, 0, 0, 0), QString::number(r + 1));
        const QRect slide(number.right() + 1, y, l.Column1(), l.RowHeight());
        const QRect content = Frame(painter, slide, tX, tY, dX, dY);
        const QRect box(content.left() + kTextIndent,
                        content.top() + (content.height() - l.BoxHeight()) / 2, l.BoxWidth(),
                        l.BoxHeight());
        PaintPicture(painter, cell, box, preview, mark);
        const QRect label(box.right() + 1 + l.ScaleX(15), content.top(),
                          content.right() - box.right() - l.ScaleX(15), content.height());
        if (label.width() > 0)
            Line(painter, label, QString::fromStdString(cell->GetLabel()));
    }
    painter.restore();
}

void CScenarioPrinter::PaintPicture(QPainter& painter, const CCellInfo* cell, const QRect& box,
                                    bool preview, const QSize& markSize)
{
    const auto* image = dynamic_cast<const CCellBmpInfo*>(cell);
    const bool disabled = cell->CellValid == 0;
    const uint32_t back = m_document.BackColor;
    if (preview) {
        if (image) {
            // The preview draws the thumbnail; the cell's picture is loaded
            // for this row only.
            auto* mutableImage = const_cast<CCellBmpInfo*>(image);
            if (mutableImage->LoadPicture()) {
                const QSize drawn(int(box.width() * 0.00625 * image->Resize[0]),
                                  int(box.height() * 0.008333334 * image->Resize[1]));
                QRect target = box;
                if (drawn != box.size()) {
                    painter.fillRect(box, FromColorRef(back));
                    target = QRect(box.left() + (box.width() - drawn.width()) / 2,
                                   box.top() + (box.height() - drawn.height()) / 2, drawn.width(),
                                   drawn.height());
                }
                painter.drawImage(target, image->Picture);
                mutableImage->ReleasePicture();
            }
        } else if (cell->CellType == CCellInfo::Type::Control) {
            const QImage control = CResourceBundle::Bitmap(CImagingProcedures::kControlCellBitmap);
            if (!control.isNull())
                painter.drawImage(box, control);
        }
        if (disabled) {
            const QImage icon = CResourceBundle::Bitmap(kMarkIcon);
            if (!icon.isNull())
                painter.drawImage(QRect(box.left() + (box.width() - markSize.width()) / 2,
                                        box.top() + (box.height() - markSize.height()) / 2,
                                        markSize.width(), markSize.height()),
                                  icon);
        }
        return;
    }
    // A failed procedure leaves the box without picture; the page goes on.
    if (image) {
        const std::string path = image->GetPicturePath();
        if (path.empty())
            return;
        if (disabled)
            CImagingProcedures::PrintDisabledImageFile(m_primary, m_canvas, path, back, markSize,
                                                       painter, box);
        else
            CImagingProcedures::PrintImageFile(m_primary, m_canvas, path, back, painter, box);
    } else if (cell->CellType == CCellInfo::Type::Control) {
        if (disabled)
            CImagingProcedures::PrintDisabledBitmap(m_primary, m_canvas,
                                                    CImagingProcedures::kControlCellBitmap,
                                                    markSize, painter, box);
        else
            CImagingProcedures::PrintBitmap(m_primary, CImagingProcedures::kControlCellBitmap,
                                            painter, box);
    }
}

bool CScenarioPrinter::Print(QPrinter& printer, bool preview)
{
    std::vector<int> pages(static_cast<size_t>(Begin(printer).PageCount()));
    for (size_t i = 0; i < pages.size(); ++i)
        pages[i] = static_cast<int>(i) + 1;
    return PrintPages(printer, pages, preview);
}

bool CScenarioPrinter::PrintPages(QPrinter& printer, const std::vector<int>& pages, bool preview)
{
    const CWaitCursor wait;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    Begin(printer);
    bool ok = true;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            ok = false;
            break;
        }
        PaintPage(painter, pages[i], preview);
    }
    return painter.end() && ok && printer.printerState() != QPrinter::Error &&
           printer.printerState() != QPrinter::Aborted;
}

int CScenarioPrinter::DialogOptions()
{
    // No "selection" and no "current page": the sheet has neither.
    return QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
           QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
}

bool CScenarioPrinter::PrintChosen(QPrinter& printer, CUserPrompt* prompt)
{
    const int count = Begin(printer).PageCount();
    int from = 1;
    int to = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = std::max(from, printer.toPage());
    }
    if (from > count) {
        AskUser(prompt, MsgId::PrintRangeOutside, CUserPrompt::Exclamation, CUserPrompt::Ok,
                std::to_string(count));
        return false;
    }
    to = std::min(to, count);
    // A printer that makes the copies itself gets the pages once.
    const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    const std::vector<int> pages = CPrintLayout::PageSequence(
        from, to, copies, printer.collateCopies(), printer.pageOrder() == QPrinter::LastPageFirst);
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return PrintToPdf(printer, pages, prompt);
    if (PrintPages(printer, pages, false))
        return true;
    const QString name = printer.printerName();
    const bool gone = name.isEmpty() || QPrinterInfo::printerInfo(name).isNull();
    AskUser(prompt, MsgId::PrintFailed, CUserPrompt::Exclamation, CUserPrompt::Ok,
            name.toStdString(),
            CResourceBundle::Text(gone ? MsgId::PrinterNotAvailable : MsgId::PrinterRefused));
    return false;
}

bool CScenarioPrinter::PrintToPdf(QPrinter& printer, const std::vector<int>& pages,
                                  CUserPrompt* prompt)
{
    const QString target = printer.outputFileName();
    const std::string path = QFileInfo(target).absoluteFilePath().toStdString();
    // The file is made ready first: a folder that cannot be written is
    // named, with its reason, before any page is drawn.
    CSafeFile out(path);
    if (target.isEmpty() || !out.Open()) {
        CSafeFile::ReportFailure(prompt, path, target.isEmpty() ? ENOENT : out.Error());
        return false;
    }
    std::string folder = CAppFolders::WorkFolder("Temp");
    if (folder.empty())
        folder = QDir::tempPath().toStdString() + "/";
    QTemporaryFile temp(QString::fromStdString(folder) + QStringLiteral("sheet-XXXXXX.pdf"));
    if (!temp.open()) {
        CSafeFile::ReportFailure(prompt, path, FolderError(folder));
        return false;
    }
    temp.close(); // the PDF writer opens it by name
    printer.setOutputFileName(temp.fileName());
    const bool printed = PrintPages(printer, pages, false);
    printer.setOutputFileName(target);
    QFile pdf(temp.fileName());
    if (!printed || !pdf.open(QIODevice::ReadOnly) || !EndsWithTrailer(pdf) || !pdf.seek(0)) {
        CSafeFile::ReportFailure(prompt, path, FolderError(folder));
        return false;
    }
    while (!pdf.atEnd()) {
        const QByteArray chunk = pdf.read(1 << 20);
        if (chunk.isEmpty() || !out.Write(chunk)) {
            CSafeFile::ReportFailure(prompt, path, chunk.isEmpty() ? EIO : out.Error());
            return false;
        }
    }
    if (!out.Commit()) {
        CSafeFile::ReportFailure(prompt, path, out.Error());
        return false;
    }
    return true;
}

void CScenarioPrinter::Preview(QPrinter& printer, QWidget* parent)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this](QPrinter* p) { Print(*p, true); });
    dialog.exec();
}

bool CScenarioPrinter::PrintWithDialog(QPrinter& printer, QWidget* parent, CUserPrompt* prompt)
{
    printer.setDocName(QString::fromStdString(m_document.ProjectName));
    const int pages = Begin(printer).PageCount();
    // Every print starts from the whole sheet.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(1, pages);
    QPrintDialog dialog(&printer, parent);
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions(DialogOptions()));
    dialog.setMinMax(1, pages);
    CFileNameCompleter::InstallInFileFields(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return PrintChosen(printer, prompt);
}

int CScenarioPrinter::PrintFile(const std::string& projectFile, const std::string& printerName,
                                const std::string& pdfPath, CUserPrompt* prompt)
{
    CZurDoc document(prompt);
    if (!document.Open(projectFile)) {
        std::fprintf(stderr, "%s: the project could not be opened\n", projectFile.c_str());
        return 1;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromStdString(document.ProjectName));
    if (!pdfPath.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdfPath));
    } else {
        const QString name = printerName.empty() ? QPrinterInfo::defaultPrinterName()
                                                 : QString::fromStdString(printerName);
        if (name.isEmpty() || QPrinterInfo::printerInfo(name).isNull()) {
            std::fprintf(stderr, "%s: no such printer\n",
                         name.isEmpty() ? "(default)" : name.toLocal8Bit().constData());
            return 1;
        }
        printer.setPrinterName(name);
    }
    if (!printer.isValid()) {
        std::fprintf(stderr, "the printer cannot be used\n");
        return 1;
    }
    CScenarioPrinter sheet(document);
    if (!sheet.PrintChosen(printer, prompt)) {
        std::fprintf(stderr, "%s: not every page could be printed\n", projectFile.c_str());
        return 1;
    }
    return 0;
}
