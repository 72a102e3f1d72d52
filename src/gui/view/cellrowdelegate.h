#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QStyledItemDelegate>

class CCellRowModel;

// What every row shares: sizes from the header font, the project's
// letterbox colour and the two pictures.
struct CCellRowMetrics
{
    int rowHeight = 50;
    int numberWidth = 20;
    QSize thumbBox{60, 40};
    QColor letterbox = Qt::black;
    QFont font;
    QImage controlPicture; // the picture of a control cell
    QImage disabledMark;   // laid over a disabled cell's picture, 32 x 32
};

// Paints one row of a project: the number column, the framed content column
// with the thumbnail fitted on the letterbox colour (or the control-cell
// picture), the disabled mark, the label, the fill colour of the source kind,
// the selection and the focus.
class CCellRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CCellRowDelegate(const CCellRowModel& model, QObject* parent = nullptr);

    void SetMetrics(const CCellRowMetrics& metrics) { m_metrics = metrics; }
    const CCellRowMetrics& Metrics() const { return m_metrics; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Paints row `row` into `rect` (also for the drag picture).
    void PaintRow(QPainter& painter, const QRect& rect, int row, const QPalette& palette,
                  bool focus) const;
    // The fill colour of an unselected image cell of `sourceKind`.
    static QColor KindColour(int sourceKind);
    // Where a thumbnail of `resize` (its size within a 160 x 120 frame) goes
    // in `box`; the box's rest shows the letterbox colour.
    static QRect FitInBox(const QRect& box, int resizeWidth, int resizeHeight);

private:
    const CCellRowModel& m_model;
    CCellRowMetrics m_metrics;
};
