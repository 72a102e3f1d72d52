#include "gui/view/cellrowdelegate.h"

#include "gui/view/cellrowmodel.h"
#include "model/cellbmpinfo.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QWidget>
#include <algorithm>

namespace {
const QColor kSelected(255, 255, 0);

// A one-pixel frame: raised (light top-left) or sunken (dark top-left).
void DrawFrame(QPainter& painter, const QRect& r, const QPalette& palette, bool sunken)
{
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = sunken ? dark : light;
    const QColor bottomRight = sunken ? light : dark;
    painter.setPen(topLeft);
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
    painter.setPen(bottomRight);
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
}
} // namespace

CCellRowDelegate::CCellRowDelegate(const CCellRowModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model)
{}

namespace {
// Rows span the whole width of the list, whatever width the list's layout
// gave the item.
int RowWidth(const QStyleOptionViewItem& option)
{
    int width = option.rect.width();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        width = std::max(width, view->viewport()->width() - option.rect.left());
    return width;
}
} // namespace

QSize CCellRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {std::max(RowWidth(option), m_metrics.numberWidth + 40), m_metrics.rowHeight};
}

QColor CCellRowDelegate::KindColour(int sourceKind)
{
    switch (sourceKind) {
    case CCellBmpInfo::SourceJpeg:
        return {190, 212, 255};
    case CCellBmpInfo::SourceBmp:
        return {193, 255, 223};
    case CCellBmpInfo::SourcePpt:
        return {255, 192, 255};
    default:
        return {224, 224, 224};
    }
}

QRect CCellRowDelegate::FitInBox(const QRect& box, int resizeWidth, int resizeHeight)
{
    const int w = static_cast<int>(box.width() * 0.00625 * resizeWidth);
    const int h = static_cast<int>(box.height() * 0.008333334 * resizeHeight);
    if (w <= 0 || h <= 0 || (w == box.width() && h == box.height()))
        return box;
    return {box.left() + (box.width() - w) / 2, box.top() + (box.height() - h) / 2, w, h};
}

void CCellRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    const bool focus =
        index.data(CCellRowModel::FocusRole).toBool() && option.widget && option.widget->hasFocus();
    QRect rect = option.rect;
    rect.setWidth(RowWidth(option));
    PaintRow(*painter, rect, index.row(), option.palette, focus);
}

void CCellRowDelegate::PaintRow(QPainter& painter, const QRect& rect, int row,
                                const QPalette& palette, bool focus) const
{
    const CCellInfo* cell = m_model.CellAt(row);
    if (!cell)
        return;
    painter.save();
    painter.setFont(m_metrics.font);
    const QModelIndex index = m_model.index(row);
    const bool selected = index.data(CCellRowModel::SelectedRole).toBool();
    const auto* image =
        cell->CellType == CCellInfo::Type::Image ? static_cast<const CCellBmpInfo*>(cell) : nullptr;
    QColor fill = palette.color(QPalette::Button);
    if (selected)
        fill = kSelected;
    else if (image)
        fill = KindColour(image->SourceKind);
    painter.fillRect(rect, fill);

    // Number column.
    QRect number(rect.left(), rect.top(), m_metrics.numberWidth, rect.height());
    DrawFrame(painter, number, palette, selected);
    number.adjust(2, 2, -2, -2);
    painter.setPen(palette.color(QPalette::ButtonText));
    painter.drawText(number.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::number(row + 1));

    // Content column.
    QRect content(number.right() + 3, rect.top(), rect.right() - number.right() - 2, rect.height());
    DrawFrame(painter, content, palette, selected);
    content.adjust(2, 2, -2, -2);
    const QSize boxSize = m_metrics.thumbBox;
    const QRect box(content.left() + 5, content.top() + (content.height() - boxSize.height()) / 2,
                    boxSize.width(), boxSize.height());
    if (image) {
        const QImage picture = m_model.Thumbnail(row);
        if (!picture.isNull()) {
            const QRect target = FitInBox(box, image->Resize[0], image->Resize[1]);
            if (target != box)
                painter.fillRect(box, m_metrics.letterbox);
            painter.drawImage(target, picture);
        }
    } else if (cell->CellType == CCellInfo::Type::Control && !m_metrics.controlPicture.isNull()) {
        painter.drawImage(box, m_metrics.controlPicture);
    }
    if (cell->CellValid == 0 && !m_metrics.disabledMark.isNull()) {
        const QRect mark(box.left() + (box.width() - 32) / 2, box.top() + (box.height() - 32) / 2,
                         32, 32);
        painter.drawImage(mark, m_metrics.disabledMark);
    }
    QRect label(box.right() + 16, content.top(), content.right() - box.right() - 15,
                content.height());
    if (label.width() > 0) {
        // The label and, under it, the row's settings: two lines centred
        // together in the row's height.
        painter.setClipRect(label.intersected(rect));
        painter.setPen(palette.color(QPalette::ButtonText));
        QFont settingsFont = m_metrics.font;
        settingsFont.setBold(false);
        const int lineHeight = QFontMetrics(m_metrics.font).height();
        const int top = label.top() + std::max(0, (label.height() - 2 * lineHeight) / 2);
        painter.drawText(QRect(label.left(), top, label.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromStdString(cell->GetLabel()));
        painter.setFont(settingsFont);
        painter.drawText(QRect(label.left(), top + lineHeight, label.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         CCellRowModel::SettingsText(*cell));
        painter.setFont(m_metrics.font);
        painter.setClipping(false);
    }
    if (focus) {
        QPen pen(palette.color(QPalette::ButtonText), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}
