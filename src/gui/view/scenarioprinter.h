#pragma once

#include "gui/view/printlayout.h"
#include "imaging/lead.h"

#include <QFont>
#include <memory>
#include <string>
#include <vector>

class CCellInfo;
class CUserPrompt;
class CZurDoc;
class QPainter;
class QPaintDevice;
class QPrinter;
class QWidget;

// Prints the sheet of a project, and shows it in print preview: a header
// row with the column titles, then one row per slide with its number,
// picture and label, laid out as on the screen and scaled to the printer.
// The preview draws the thumbnails; real printing composes each picture at
// the printer's resolution through the imaging procedures.
class CScenarioPrinter
{
public:
    // `headerFont`: the font of the sheet's header on the screen, which sets
    // the row metrics; `screen`: a widget on the screen whose resolution the
    // metrics are scaled from (the primary screen when null).
    explicit CScenarioPrinter(CZurDoc& document, const QFont& headerFont = QFont(),
                              const QWidget* screen = nullptr);
    // Writes the print font back to the settings.
    ~CScenarioPrinter();

    // The print font of the settings (section "Settings", value "Font"),
    // else the default font at 14 pixels. The printer reads it when it is
    // made and writes it back when it goes.
    static QFont ReadPrintFont();
    static void WritePrintFont(const QFont& font);
    void SetPrintFont(const QFont& font) { m_font = font; }
    const QFont& PrintFont() const { return m_font; }

    // Computes the page metrics for `device` (a printer or a PDF writer).
    const CPrintLayout& Begin(const QPaintDevice& device);
    const CPrintLayout& Layout() const { return *m_layout; }
    // Draws page `page` (from 1) of the metrics of the last Begin.
    void PaintPage(QPainter& painter, int page, bool preview);
    // Prints every page once; true only when every page was printed.
    bool Print(QPrinter& printer, bool preview = false);
    // Prints what the printer's settings choose: all pages or the page
    // range, the copies the printer does not make itself (collated or not),
    // the last page first when asked. A PDF file is written whole or not at
    // all. A failure is told to `prompt`, naming the printer or the file and
    // the reason; true only when everything was printed.
    bool PrintChosen(QPrinter& printer, CUserPrompt* prompt);
    // The print preview dialog over `parent`.
    void Preview(QPrinter& printer, QWidget* parent);
    // The Print command of the project window: the print dialog on
    // `printer` (the program's printer of Print setup), offering only what
    // PrintChosen honours, then PrintChosen. False when the user cancelled
    // or the print failed (the user has been told why).
    bool PrintWithDialog(QPrinter& printer, QWidget* parent, CUserPrompt* prompt);
    // The options the print dialog offers.
    static int DialogOptions();

    // The direct print of the command line: opens the project, prints it to
    // the printer named `printerName` (the default printer when empty) or,
    // when `pdfPath` is given, to that PDF file. 0 only when every page was
    // printed; messages go to `prompt`, reasons to standard error.
    static int PrintFile(const std::string& projectFile, const std::string& printerName,
                         const std::string& pdfPath, CUserPrompt* prompt);

private:
    // Prints `pages` (from 1, in this order) on the printer as it stands.
    bool PrintPages(QPrinter& printer, const std::vector<int>& pages, bool preview);
    // Prints `pages` into the printer's PDF file through a temporary file,
    // so that a failure leaves no half-written file.
    bool PrintToPdf(QPrinter& printer, const std::vector<int>& pages, CUserPrompt* prompt);
    void PaintPicture(QPainter& painter, const CCellInfo* cell, const QRect& box, bool preview,
                      const QSize& markSize);

    CZurDoc& m_document;
    QFont m_headerFont;
    QFont m_font;
    double m_screenDpiX = 96;
    double m_screenDpiY = 96;
    std::vector<const CCellInfo*> m_rows;
    std::unique_ptr<CPrintLayout> m_layout;
    CLead m_primary; // the picture being printed
    CLead m_canvas;  // the letterbox and the mark
};
