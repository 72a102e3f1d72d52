#include "gui/view/printlayout.h"

#include <algorithm>
#include <cmath>

CPrintLayout::Screen CPrintLayout::ScreenFor(int charHeight, int title0Width, int title1Width)
{
    Screen s;
    s.column0 = title0Width + 15;
    s.column1 = title1Width + 15;
    s.rowHeight = 4 * charHeight;
    s.headerHeight = charHeight + 12;
    s.boxHeight = 4 * charHeight - 10;
    s.boxWidth = static_cast<int>(1.5 * s.boxHeight);
    return s;
}

CPrintLayout::CPrintLayout(const Screen& screen, QSize page, double printerDpiX, double printerDpiY,
                           double screenDpiX, double screenDpiY, int rowCount)
    : m_px(printerDpiX), m_py(printerDpiY), m_sx(screenDpiX > 0 ? screenDpiX : 96),
      m_sy(screenDpiY > 0 ? screenDpiY : 96), m_page(page), m_rowCount(std::max(0, rowCount))
{
    m_headerHeight = ScaleY(screen.headerHeight);
    m_column0 = ScaleX(screen.column0);
    m_column1 = std::min(6 * ScaleX(screen.column1), page.width());
    m_rowHeight = std::max(1, ScaleY(screen.rowHeight));
    m_boxWidth = ScaleX(screen.boxWidth);
    m_boxHeight = ScaleY(screen.boxHeight);
    const int spare = page.width() - m_column0 - m_column1;
    m_leftMargin = spare > 0 ? spare / 2 : 0;
    m_topMargin = m_headerHeight + 2 * m_rowHeight < page.height() ? m_rowHeight : 0;
    m_rowsPerPage = std::max(1, (page.height() - 2 * m_topMargin - m_headerHeight) / m_rowHeight);
    m_pageCount = m_rowCount / m_rowsPerPage + (m_rowCount % m_rowsPerPage ? 1 : 0);
    m_pageCount = std::max(1, m_pageCount);
}

int CPrintLayout::ScaleX(int x) const
{
    return static_cast<int>(std::lround(x * m_px / m_sx));
}

int CPrintLayout::ScaleY(int y) const
{
    return static_cast<int>(std::lround(y * m_py / m_sy));
}

int CPrintLayout::LastRow(int page) const
{
    return std::min(FirstRow(page) + m_rowsPerPage - 1, m_rowCount - 1);
}

std::vector<int> CPrintLayout::PageSequence(int from, int to, int copies, bool collate,
                                            bool lastFirst)
{
    std::vector<int> order;
    if (from < 1 || to < from)
        return order;
    for (int page = from; page <= to; ++page)
        order.push_back(page);
    if (lastFirst)
        std::reverse(order.begin(), order.end());
    copies = std::max(1, copies);
    std::vector<int> pages;
    pages.reserve(order.size() * static_cast<size_t>(copies));
    if (collate) {
        for (int c = 0; c < copies; ++c)
            pages.insert(pages.end(), order.begin(), order.end());
    } else {
        for (const int page : order)
            pages.insert(pages.end(), static_cast<size_t>(copies), page);
    }
    return pages;
}
