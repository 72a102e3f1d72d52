#pragma once

#include <QSize>
#include <vector>

// The page metrics of a printed sheet: the screen's row metrics scaled to
// the printer, the margins that centre the table, the rows per page and the
// page count. Lengths are in printer pixels.
class CPrintLayout
{
public:
    // The sheet as the screen shows it (pixels of the screen).
    struct Screen
    {
        int headerHeight = 20;
        int column0 = 20;
        int column1 = 20;
        int rowHeight = 40;
        int boxWidth = 45;
        int boxHeight = 30;
    };

    // The screen metrics of a header font of character height `charHeight`
    // and column titles `title0Width` and `title1Width` wide.
    static Screen ScreenFor(int charHeight, int title0Width, int title1Width);

    // `page`: the printable area in printer pixels; dpi of printer and
    // screen; `rowCount` the rows to print.
    CPrintLayout(const Screen& screen, QSize page, double printerDpiX, double printerDpiY,
                 double screenDpiX, double screenDpiY, int rowCount);

    // A screen length scaled to the printer (multiplied, then divided, to
    // the nearest integer).
    int ScaleX(int x) const;
    int ScaleY(int y) const;

    QSize Page() const { return m_page; }
    int HeaderHeight() const { return m_headerHeight; }
    int Column0() const { return m_column0; }
    int Column1() const { return m_column1; }
    int RowHeight() const { return m_rowHeight; }
    int BoxWidth() const { return m_boxWidth; }
    int BoxHeight() const { return m_boxHeight; }
    int LeftMargin() const { return m_leftMargin; }
    int TopMargin() const { return m_topMargin; }
    int RowsPerPage() const { return m_rowsPerPage; }
    int PageCount() const { return m_pageCount; }
    // Rows [first, last] of page `page` (from 1); last < first when none.
    int FirstRow(int page) const { return m_rowsPerPage * (page - 1); }
    int LastRow(int page) const;

    // The pages a print run puts on paper, in order: pages `from` to `to`
    // (from 1), `copies` times over (1 when the printer makes the copies
    // itself), each copy whole when `collate`, else every page repeated in
    // place, and the last page first when `lastFirst`.
    static std::vector<int> PageSequence(int from, int to, int copies, bool collate,
                                         bool lastFirst);

private:
    double m_px, m_py, m_sx, m_sy;
    QSize m_page;
    int m_rowCount;
    int m_headerHeight, m_column0, m_column1, m_rowHeight, m_boxWidth, m_boxHeight;
    int m_leftMargin, m_topMargin, m_rowsPerPage, m_pageCount;
};
