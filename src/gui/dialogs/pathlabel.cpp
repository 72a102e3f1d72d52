#include "gui/dialogs/pathlabel.h"

CPathLabel::CPathLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void CPathLabel::SetFullText(const QString& text)
{
    if (text == m_full)
        return;
    m_full = text;
    setAccessibleDescription(text);
    Elide();
}

void CPathLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

QSize CPathLabel::minimumSizeHint() const
{
    return QSize(50, fontMetrics().height());
}

void CPathLabel::Elide()
{
    const QString shown = fontMetrics().elidedText(m_full, Qt::ElideMiddle, width());
    if (shown != text())
        setText(shown);
}
