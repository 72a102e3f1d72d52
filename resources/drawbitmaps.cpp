// Draws the numbered bitmaps of the resource bundle into the folder given:
//   103.png  splash picture, 400 x 260
//   128.png  program icon, 256 x 256
//   143.bmp  picture of a control cell ("waits"), 160 x 120, 24-bit
//   144.bmp  disabled-cell mark, 160 x 120, 24-bit
//   145.bmp  mask of that mark, 160 x 120, 24-bit
//   170.png  disabled-cell icon, 32 x 32 with alpha
//   250.png  split cursor, 32 x 32 with alpha (hot spot in the middle)
// and, when a second folder is given, the program icon in the icon theme's
// sizes (SIZExSIZE/zelm-tessara.png).
//
// The mark and its mask follow the classic sprite convention: the mask is
// white where the mark has its figure and black elsewhere; the mark is
// coloured in its figure and black elsewhere. Printing lays the mark over a
// picture P with three combines: lighten with the mask (768: the figure turns
// white, the rest stays), difference with the mask (512: the figure turns
// black, the rest stays), lighten with the mark (768: the figure takes the
// mark). Bitwise this is (P OR mask) XOR mask, then OR mark. Both are drawn
// without antialiasing so that every mask pixel is pure white or pure black.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace {

// A calm palette shared by the pictures.
const QColor kNight(0x1f, 0x2a, 0x3c);
const QColor kSlate(0x3b, 0x4d, 0x66);
const QColor kBeam(0xff, 0xf3, 0xc4);
const QColor kCard(0xf7, 0xf4, 0xec);
const QColor kSky(0x8e, 0xc5, 0xe8);
const QColor kHill(0x5d, 0x9c, 0x6b);
const QColor kSun(0xf2, 0xb5, 0x3a);
const QColor kCoral(0xe0, 0x6c, 0x5a);
const QColor kOffRed(0xd8, 0x24, 0x24);

// A slide card: a white card with a small landscape (sky, sun, two hills).
void drawSlideCard(QPainter& p, const QRectF& r, qreal angle, const QColor& sky)
{
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    const QRectF card(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    p.setPen(QPen(QColor(0, 0, 0, 60), std::max<qreal>(1.0, r.width() / 60)));
    p.setBrush(kCard);
    p.drawRoundedRect(card, r.width() / 20, r.width() / 20);
    const qreal m = r.width() * 0.08;
    const QRectF pic = card.adjusted(m, m, -m, -m);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(pic);
    p.setBrush(kSun);
    const qreal sun = pic.height() * 0.22;
    p.drawEllipse(QPointF(pic.right() - pic.width() * 0.25, pic.top() + pic.height() * 0.3), sun,
                  sun);
    p.setBrush(kHill);
    QPolygonF hills;
    hills << pic.bottomLeft()
          << QPointF(pic.left() + pic.width() * 0.35, pic.top() + pic.height() * 0.4)
          << QPointF(pic.left() + pic.width() * 0.6, pic.top() + pic.height() * 0.7)
          << QPointF(pic.left() + pic.width() * 0.78, pic.top() + pic.height() * 0.55)
          << pic.bottomRight();
    p.drawPolygon(hills);
    p.restore();
}

// The outline of a memory card: a rounded rectangle with its top right corner cut.
QPainterPath cardOutline(const QRectF& r)
{
    const qreal cut = r.width() * 0.22;
    const qreal rad = r.width() * 0.06;
    QPainterPath path;
    path.moveTo(r.left() + rad, r.top());
    path.lineTo(r.right() - cut, r.top());
    path.lineTo(r.right(), r.top() + cut);
    path.lineTo(r.right(), r.bottom() - rad);
    path.quadTo(r.bottomRight(), QPointF(r.right() - rad, r.bottom()));
    path.lineTo(r.left() + rad, r.bottom());
    path.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - rad));
    path.lineTo(r.left(), r.top() + rad);
    path.quadTo(r.topLeft(), QPointF(r.left() + rad, r.top()));
    path.closeSubpath();
    return path;
}

QImage drawSplash()
{
    QImage img(400, 260, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 260);
    bg.setColorAt(0, kNight);
    bg.setColorAt(1, kSlate);
    p.fillRect(img.rect(), bg);

    // The projector, low on the left.
    const QPointF lens(92, 176);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2c, 0x36, 0x48));
    p.drawRoundedRect(QRectF(30, 152, 74, 50), 8, 8);
    p.setBrush(QColor(0x4a, 0x5a, 0x72));
    p.drawRoundedRect(QRectF(40, 142, 30, 14), 4, 4);
    p.setBrush(QColor(0x9a, 0xa8, 0xbc));
    p.drawEllipse(lens, 15, 15);
    p.setBrush(kBeam);
    p.drawEllipse(lens, 9, 9);

    // Its beam widening towards the cards.
    QPolygonF beam;
    beam << lens + QPointF(0, -8) << QPointF(372, 26) << QPointF(372, 206) << lens + QPointF(0, 8);
    QLinearGradient light(lens, QPointF(372, 116));
    QColor near = kBeam, far = kBeam;
    near.setAlpha(170);
    far.setAlpha(35);
    light.setColorAt(0, near);
    light.setColorAt(1, far);
    p.setBrush(light);
    p.drawPolygon(beam);

    // The slide cards it shows.
    drawSlideCard(p, QRectF(196, 58, 104, 76), -8, kSky);
    drawSlideCard(p, QRectF(250, 84, 104, 76), 5, QColor(0xb8, 0xd8, 0xc8));
    drawSlideCard(p, QRectF(214, 112, 104, 76), -2, QColor(0xf0, 0xc8, 0xa8));

    // The program's name, when the system has a font for it.
    QFont font = p.font();
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kCard);
    p.drawText(QRectF(20, 212, 360, 36), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Zelm Tessara"));
    return img;
}

// The program icon at `size` x `size`, drawn on a 256 x 256 grid (the
// scalable icon resources/desktop/zelm-tessara.svg draws the same shapes).
QImage drawIcon(int size = 256)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    const QPainterPath card = cardOutline(QRectF(34, 16, 188, 228));
    QLinearGradient body(0, 16, 0, 244);
    body.setColorAt(0, kSlate);
    body.setColorAt(1, kNight);
    p.setPen(QPen(QColor(0x12, 0x18, 0x22), 4));
    p.setBrush(body);
    p.drawPath(card);
    // The card's contacts.
    p.setPen(Qt::NoPen);
    p.setBrush(kSun);
    for (int i = 0; i < 5; ++i)
        p.drawRoundedRect(QRectF(56 + i * 24, 28, 14, 30), 3, 3);
    // Two slides stacked on the label.
    drawSlideCard(p, QRectF(58, 96, 128, 94), -10, QColor(0xb8, 0xd8, 0xc8));
    drawSlideCard(p, QRectF(72, 118, 128, 94), 4, kSky);
    return img;
}

QImage drawControlCell()
{
    QImage img(160, 120, QImage::Format_RGB888);
    img.fill(QColor(0xee, 0xf1, 0xf5));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(80, 60);
    const qreal r = 44;
    // A clock: the show waits here.
    p.setPen(QPen(kSlate, 5));
    p.setBrush(Qt::white);
    p.drawEllipse(c, r, r);
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        const qreal inner = i % 3 == 0 ? r - 12 : r - 8;
        p.setPen(QPen(kSlate, i % 3 == 0 ? 4 : 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(std::sin(a) * inner, -std::cos(a) * inner),
                   c + QPointF(std::sin(a) * (r - 4), -std::cos(a) * (r - 4)));
    }
    p.setPen(QPen(kNight, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -26)); // minute hand at twelve
    p.drawLine(c, c + QPointF(18, 10)); // hour hand at four
    p.setPen(QPen(kCoral, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(-22, 22)); // second hand
    p.setPen(Qt::NoPen);
    p.setBrush(kCoral);
    p.drawEllipse(c, 4, 4);
    return img;
}

// The "off" sign of a disabled cell: a ring with a diagonal bar, centred in `size`.
QPainterPath offSign(const QSizeF& size)
{
    const QPointF c(size.width() / 2, size.height() / 2);
    const qreal outer = std::min(size.width(), size.height()) * 0.42;
    const qreal inner = outer * 0.74;
    QPainterPath ring;
    ring.addEllipse(c, outer, outer);
    QPainterPath hole;
    hole.addEllipse(c, inner, inner);
    ring = ring.subtracted(hole);
    QPainterPath bar;
    const qreal half = outer * 0.13;
    bar.addRect(QRectF(-inner, -half, 2 * inner, 2 * half));
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(-45);
    return ring.united(t.map(bar));
}

QImage drawMark(bool mask)
{
    QImage img(160, 120, QImage::Format_RGB888);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(mask ? QColor(Qt::white) : kOffRed);
    p.drawPath(offSign(img.size()));
    return img;
}

QImage drawMarkIcon()
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(kOffRed);
    p.drawPath(offSign(QSizeF(32, 32)));
    return img;
}

QImage drawSplitCursor()
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Two upright bars with an arrow to each side: the divider moves left or right.
    QPainterPath shape;
    shape.addRect(QRectF(13, 5, 2, 22));
    shape.addRect(QRectF(17, 5, 2, 22));
    QPolygonF left, right;
    left << QPointF(2, 16) << QPointF(9, 10) << QPointF(9, 14) << QPointF(12, 14) << QPointF(12, 18)
         << QPointF(9, 18) << QPointF(9, 22);
    right << QPointF(30, 16) << QPointF(23, 10) << QPointF(23, 14) << QPointF(20, 14)
          << QPointF(20, 18) << QPointF(23, 18) << QPointF(23, 22);
    shape.addPolygon(left);
    shape.closeSubpath();
    shape.addPolygon(right);
    shape.closeSubpath();
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(shape);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    auto save = [&](const QImage& img, const char* name) {
        ok = img.save(dir + QLatin1Char('/') + QLatin1String(name)) && ok;
    };
    save(drawSplash(), "103.png");
    save(drawIcon(), "128.png");
    save(drawControlCell(), "143.bmp");
    save(drawMark(false), "144.bmp");
    save(drawMark(true), "145.bmp");
    save(drawMarkIcon(), "170.png");
    save(drawSplitCursor(), "250.png");
    // The icon theme's sizes, drawn at each size rather than scaled down.
    if (argc > 2) {
        const QString icons = QString::fromLocal8Bit(argv[2]);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString folder = icons + QStringLiteral("/%1x%1").arg(size);
            ok = QDir().mkpath(folder) &&
                 drawIcon(size).save(folder + QStringLiteral("/zelm-tessara.png")) && ok;
        }
    }
    return ok ? 0 : 1;
}
