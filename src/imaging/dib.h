#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <vector>

class QPainter;

// One numbered picture of the resource bundle (the splash, the control-cell
// picture, the marks laid over disabled slides), drawn with QPainter. The
// palette of an indexed picture is its colour table; a picture of more than
// 8 bits per pixel has none and is drawn in its own colours.
class CDib
{
public:
    // Loads bitmap `id` of the resource bundle; false (and empty) when the
    // bundle has no such picture.
    bool LoadResource(int id);
    // Takes `image`; false (and empty) for a null image.
    bool Attach(const QImage& image);
    void Reset() { m_image = QImage(); }
    bool IsNull() const { return m_image.isNull(); }
    const QImage& Image() const { return m_image; }

    // (0, 0) when empty.
    QSize GetSize() const { return m_image.isNull() ? QSize(0, 0) : m_image.size(); }
    // The colour table (empty for a picture of more than 8 bits per pixel).
    std::vector<QRgb> GetColorTable() const;

    // Draws the picture's part `source` into `destination`: a plain copy
    // when both have the same size, else a smooth scale. An empty source is
    // the whole picture, and so is (0, 0, -1, -1); an empty destination is
    // the source's size at its place. False when empty.
    bool Draw(QPainter& painter, const QRect& destination = {}, const QRect& source = {}) const;

private:
    QRect SourceRect(const QRect& source) const;

    QImage m_image;
};
