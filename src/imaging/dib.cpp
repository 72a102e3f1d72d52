#include "imaging/dib.h"

#include "base/resourcebundle.h"

#include <QPainter>

bool CDib::LoadResource(int id)
{
    return Attach(CResourceBundle::Bitmap(id));
}

bool CDib::Attach(const QImage& image)
{
    m_image = image;
    return !m_image.isNull();
}

std::vector<QRgb> CDib::GetColorTable() const
{
    if (m_image.isNull() || m_image.depth() > 8)
        return {};
    const QList<QRgb> table = m_image.colorTable();
    return std::vector<QRgb>(table.begin(), table.end());
}

QRect CDib::SourceRect(const QRect& source) const
{
    const QRect whole(QPoint(0, 0), m_image.size());
    if (source.isEmpty() || source == QRect(QPoint(0, 0), QPoint(-1, -1)))
        return whole;
    return source.intersected(whole);
}

bool CDib::Draw(QPainter& painter, const QRect& destination, const QRect& source) const
{
    if (m_image.isNull())
        return false;
    const QRect from = SourceRect(source);
    if (from.isEmpty())
        return false;
    const QRect to = destination.isEmpty() ? from : destination;
    if (to.size() == from.size()) {
        painter.drawImage(to.topLeft(), m_image, from);
    } else {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(to, m_image, from);
        painter.restore();
    }
    return true;
}
