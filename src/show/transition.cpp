#include "show/transition.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

constexpr int kDurationMs = 1000;
constexpr int kBlinds = 10;
constexpr int kCheckerColumns = 8;
constexpr int kCheckerRows = 6;
constexpr int kBarPixels = 4;
constexpr int kStripBlock = 64;

// Copies `src`'s rectangle starting at `srcTopLeft` onto `out` at `dst`,
// both clipped to the pictures.
void blit(QImage& out, const QImage& src, QRect dst, QPoint srcTopLeft)
{
    const QPoint shift = srcTopLeft - dst.topLeft();
    dst &= out.rect();
    dst &= src.rect().translated(-shift);
    if (dst.isEmpty())
        return;
    const size_t bytes = size_t(dst.width()) * 4;
    for (int y = dst.top(); y <= dst.bottom(); ++y) {
        const auto* from = reinterpret_cast<const uint32_t*>(src.constScanLine(y + shift.y())) +
                           dst.left() + shift.x();
        auto* into = reinterpret_cast<uint32_t*>(out.scanLine(y)) + dst.left();
        std::memcpy(into, from, bytes);
    }
}

// The same rectangle of `src` onto `out`.
void reveal(QImage& out, const QImage& src, const QRect& area)
{
    blit(out, src, area, area.topLeft());
}

void revealSpan(QImage& out, const QImage& src, int y, int x0, int x1)
{
    x0 = std::max(x0, 0);
    x1 = std::min(x1, out.width());
    if (x1 <= x0)
        return;
    std::memcpy(reinterpret_cast<uint32_t*>(out.scanLine(y)) + x0,
                reinterpret_cast<const uint32_t*>(src.constScanLine(y)) + x0, size_t(x1 - x0) * 4);
}

void copyAll(QImage& out, const QImage& src)
{
    reveal(out, src, src.rect());
}

int part(int length, double p)
{
    return int(std::lround(length * std::clamp(p, 0.0, 1.0)));
}

uint32_t hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

void fade(QImage& out, const QImage& from, const QImage& to, double p)
{
    copyAll(out, from);
    QPainter painter(&out);
    painter.setOpacity(p);
    painter.drawImage(0, 0, to);
}

void fadeThrough(QImage& out, const QImage& from, const QImage& to, double p, QRgb colour)
{
    out.fill(colour);
    QPainter painter(&out);
    painter.setOpacity(p < 0.5 ? 1.0 - 2 * p : 2 * p - 1.0);
    painter.drawImage(0, 0, p < 0.5 ? from : to);
}

void dissolve(QImage& out, const QImage& from, const QImage& to, double p, uint32_t seed)
{
    const uint32_t limit = uint32_t(std::clamp(p, 0.0, 1.0) * 65536.0);
    const int w = out.width();
    for (int y = 0; y < out.height(); ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(from.constScanLine(y));
        const auto* b = reinterpret_cast<const uint32_t*>(to.constScanLine(y));
        auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
        const uint32_t row = hash(uint32_t(y) * 0x9E3779B1U ^ seed);
        for (int x = 0; x < w; ++x) {
            // A cheap per-pixel scramble: each pixel turns once, at its own time.
            uint32_t h = (uint32_t(x) * 0x85EBCA6BU) ^ row;
            h ^= h >> 13;
            h *= 0xC2B2AE35U;
            o[x] = ((h >> 16) < limit) ? b[x] : a[x];
        }
    }
}

void wipe(QImage& out, const QImage& from, const QImage& to, int dir, double p)
{
    copyAll(out, from);
    const int w = out.width(), h = out.height();
    const int dx = part(w, p), dy = part(h, p);
    const QRect areas[] = {QRect(0, 0, dx, h), QRect(w - dx, 0, dx, h), QRect(0, 0, w, dy),
                           QRect(0, h - dy, w, dy)};
    reveal(out, to, areas[dir]);
}

// The offset of the incoming picture entering from side `dir` (left,
// right, top, bottom) at progress p.
QPoint entering(int dir, int w, int h, double p)
{
    const int dx = w - part(w, p), dy = h - part(h, p);
    const QPoint offsets[] = {QPoint(-dx, 0), QPoint(dx, 0), QPoint(0, -dy), QPoint(0, dy)};
    return offsets[dir];
}

void push(QImage& out, const QImage& from, const QImage& to, int dir, double p)
{
    const int w = out.width(), h = out.height();
    const QPoint in = entering(dir, w, h, p);
    const QPoint size[] = {QPoint(w, 0), QPoint(-w, 0), QPoint(0, h), QPoint(0, -h)};
    const QPoint outgoing = in + size[dir];
    blit(out, from, QRect(outgoing, from.size()), QPoint(0, 0));
    blit(out, to, QRect(in, to.size()), QPoint(0, 0));
}

void slideIn(QImage& out, const QImage& from, const QImage& to, int dir, double p)
{
    copyAll(out, from);
    blit(out, to, QRect(entering(dir, out.width(), out.height(), p), to.size()), QPoint(0, 0));
}

void box(QImage& out, const QImage& from, const QImage& to, bool inwards, double p)
{
    const int w = out.width(), h = out.height();
    if (inwards) {
        // The new picture closes in from the edges on a shrinking old centre.
        copyAll(out, to);
        const int iw = w - part(w, p), ih = h - part(h, p);
        reveal(out, from, QRect((w - iw) / 2, (h - ih) / 2, iw, ih));
    } else {
        copyAll(out, from);
        const int iw = part(w, p), ih = part(h, p);
        reveal(out, to, QRect((w - iw) / 2, (h - ih) / 2, iw, ih));
    }
}

void blinds(QImage& out, const QImage& from, const QImage& to, bool horizontal, double p)
{
    copyAll(out, from);
    const int length = horizontal ? out.height() : out.width();
    for (int i = 0; i < kBlinds; ++i) {
        const int start = length * i / kBlinds;
        const int band = length * (i + 1) / kBlinds - start;
        const int open = part(band, p);
        reveal(out, to,
               horizontal ? QRect(0, start, out.width(), open)
                          : QRect(start, 0, open, out.height()));
    }
}

void checkerboard(QImage& out, const QImage& from, const QImage& to, bool across, double p)
{
    copyAll(out, from);
    const int w = out.width(), h = out.height();
    for (int row = 0; row < kCheckerRows; ++row) {
        for (int col = 0; col < kCheckerColumns; ++col) {
            const QRect cell(w * col / kCheckerColumns, h * row / kCheckerRows,
                             w * (col + 1) / kCheckerColumns - w * col / kCheckerColumns,
                             h * (row + 1) / kCheckerRows - h * row / kCheckerRows);
            // Every other square starts half way through: the board pattern.
            const bool late = (row + col) % 2 == 1;
            const double q = std::clamp(p * 2.0 - (late ? 1.0 : 0.0), 0.0, 1.0);
            reveal(out, to,
                   across ? QRect(cell.left(), cell.top(), part(cell.width(), q), cell.height())
                          : QRect(cell.left(), cell.top(), cell.width(), part(cell.height(), q)));
        }
    }
}

void split(QImage& out, const QImage& from, const QImage& to, bool horizontal, bool inwards,
           double p)
{
    const int w = out.width(), h = out.height();
    const int length = horizontal ? h : w;
    const int half = part(length / 2, p);
    if (inwards) {
        copyAll(out, from);
        const QRect a = horizontal ? QRect(0, 0, w, half) : QRect(0, 0, half, h);
        const QRect b = horizontal ? QRect(0, h - half, w, half) : QRect(w - half, 0, half, h);
        reveal(out, to, a);
        reveal(out, to, b);
    } else {
        copyAll(out, from);
        reveal(out, to,
               horizontal ? QRect(0, h / 2 - half, w, 2 * half)
                          : QRect(w / 2 - half, 0, 2 * half, h));
    }
}

// Circle and diamond: the incoming picture inside (out) or outside (in) a
// shape about the centre, one span per row.
void shape(QImage& out, const QImage& from, const QImage& to, bool diamond, bool inwards, double p)
{
    const int w = out.width(), h = out.height();
    const double cx = w / 2.0, cy = h / 2.0;
    const double r = inwards ? 1.0 - p : p;
    copyAll(out, inwards ? to : from);
    const QImage& inside = inwards ? from : to;
    const double radius = std::sqrt(cx * cx + cy * cy) * r;
    for (int y = 0; y < h; ++y) {
        const double dy = y + 0.5 - cy;
        double half = 0;
        if (diamond) {
            // |dx| / cx + |dy| / cy <= 2r reaches the corners at r = 1.
            half = cx * (2.0 * r - std::abs(dy) / cy);
        } else if (radius * radius > dy * dy) {
            half = std::sqrt(radius * radius - dy * dy);
        }
        if (half <= 0)
            continue;
        revealSpan(out, inside, y, int(std::lround(cx - half)), int(std::lround(cx + half)));
    }
}

void clockSweep(QImage& out, const QImage& from, const QImage& to, double p)
{
    copyAll(out, from);
    const double w = out.width(), h = out.height();
    const double r = std::sqrt(w * w + h * h);
    QPainterPath pie;
    pie.moveTo(w / 2, h / 2);
    // From twelve o'clock, clockwise (Qt's angles run anticlockwise).
    pie.arcTo(QRectF(w / 2 - r, h / 2 - r, 2 * r, 2 * r), 90.0, -360.0 * p);
    pie.closeSubpath();
    QPainter painter(&out);
    painter.setClipPath(pie);
    painter.drawImage(0, 0, to);
}

void randomBars(QImage& out, const QImage& from, const QImage& to, bool horizontal, double p,
                uint32_t seed)
{
    copyAll(out, from);
    const int length = horizontal ? out.height() : out.width();
    const int bars = (length + kBarPixels - 1) / kBarPixels;
    std::vector<int> order(size_t(bars), 0);
    std::iota(order.begin(), order.end(), 0);
    // A fixed shuffle per seed: the bars come in the same order every frame.
    for (int i = bars - 1; i > 0; --i)
        std::swap(order[size_t(i)],
                  order[hash(seed ^ uint32_t(i) * 0x9E3779B9U) % uint32_t(i + 1)]);
    const int shown = part(bars, p);
    for (int i = 0; i < shown; ++i) {
        const int start = order[size_t(i)] * kBarPixels;
        reveal(out, to,
               horizontal ? QRect(0, start, out.width(), kBarPixels)
                          : QRect(start, 0, kBarPixels, out.height()));
    }
}

// Blocks turn in diagonal steps from one corner: 0 down-left (from the top
// right), 1 down-right (top left), 2 up-left (bottom right), 3 up-right
// (bottom left).
void strips(QImage& out, const QImage& from, const QImage& to, int dir, double p)
{
    copyAll(out, from);
    const int cols = (out.width() + kStripBlock - 1) / kStripBlock;
    const int rows = (out.height() + kStripBlock - 1) / kStripBlock;
    const int steps = cols + rows - 1;
    const int shown = part(steps, p);
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < cols; ++bx) {
            const int fx = (dir == 0 || dir == 2) ? cols - 1 - bx : bx;
            const int fy = (dir == 2 || dir == 3) ? rows - 1 - by : by;
            if (fx + fy < shown)
                reveal(out, to,
                       QRect(bx * kStripBlock, by * kStripBlock, kStripBlock, kStripBlock));
        }
    }
}

void zoom(QImage& out, const QImage& from, const QImage& to, bool in, double p)
{
    copyAll(out, in ? from : to);
    const double s = in ? p : 1.0 - p;
    const QSizeF size(out.width() * s, out.height() * s);
    const QRectF target(
        QPointF((out.width() - size.width()) / 2, (out.height() - size.height()) / 2), size);
    if (target.width() < 1 || target.height() < 1)
        return;
    QPainter painter(&out);
    painter.drawImage(target, in ? to : from);
}

} // namespace

int CTransition::DurationMs(int effect, const std::array<int32_t, 11>& /*disolve*/)
{
    return effect == Cut || effect < 0 || effect >= EffectCount ? 0 : kDurationMs;
}

int CTransition::Resolve(int effect, uint32_t seed)
{
    if (effect < 0 || effect >= EffectCount)
        return Cut;
    if (effect != Random)
        return effect;
    // Any effect of the list but the cut and random itself.
    return 1 + int(hash(seed) % uint32_t(Random - 1));
}

void CTransition::Draw(const QImage& fromIn, const QImage& toIn, int effect, double progress,
                       uint32_t seed, QImage& out)
{
    const QImage from = fromIn.format() == QImage::Format_RGB32
                            ? fromIn
                            : fromIn.convertToFormat(QImage::Format_RGB32);
    QImage to =
        toIn.format() == QImage::Format_RGB32 ? toIn : toIn.convertToFormat(QImage::Format_RGB32);
    if (to.size() != from.size())
        to = to.scaled(from.size());
    if (out.size() != from.size() || out.format() != QImage::Format_RGB32)
        out = QImage(from.size(), QImage::Format_RGB32);
    const double p = std::clamp(progress, 0.0, 1.0);
    const int e = Resolve(effect, seed);
    if (p <= 0.0 || (e == Cut && p < 1.0 && p <= 0.0)) {
        copyAll(out, from);
        return;
    }
    if (p >= 1.0 || e == Cut) {
        copyAll(out, to);
        return;
    }
    switch (e) {
    case FadeThroughBlack:
        return fadeThrough(out, from, to, p, qRgb(0, 0, 0));
    case FadeThroughWhite:
        return fadeThrough(out, from, to, p, qRgb(255, 255, 255));
    case Dissolve:
        return dissolve(out, from, to, p, seed);
    case 3:
    case 4:
    case 5:
    case 6:
        return wipe(out, from, to, e - WipeFromLeft, p);
    case 7:
    case 8:
    case 9:
    case 10:
        return push(out, from, to, e - PushFromLeft, p);
    case 11:
    case 12:
    case 13:
    case 14:
        return slideIn(out, from, to, e - SlideInFromLeft, p);
    case BoxIn:
    case BoxOut:
        return box(out, from, to, e == BoxIn, p);
    case HorizontalBlinds:
    case VerticalBlinds:
        return blinds(out, from, to, e == HorizontalBlinds, p);
    case CheckerboardAcross:
    case CheckerboardDown:
        return checkerboard(out, from, to, e == CheckerboardAcross, p);
    case SplitInHorizontal:
    case SplitOutHorizontal:
    case SplitInVertical:
    case SplitOutVertical:
        return split(out, from, to, e <= SplitOutHorizontal,
                     e == SplitInHorizontal || e == SplitInVertical, p);
    case CircleIn:
    case CircleOut:
    case DiamondIn:
    case DiamondOut:
        return shape(out, from, to, e >= DiamondIn, e == CircleIn || e == DiamondIn, p);
    case ClockSweep:
        return clockSweep(out, from, to, p);
    case RandomHorizontalBars:
    case RandomVerticalBars:
        return randomBars(out, from, to, e == RandomHorizontalBars, p, seed);
    case 32:
    case 33:
    case 34:
    case 35:
        return strips(out, from, to, e - StripsDownLeft, p);
    case CoverFromTopLeft:
        copyAll(out, from);
        return blit(out, to,
                    QRect(QPoint(-(out.width() - part(out.width(), p)),
                                 -(out.height() - part(out.height(), p))),
                          to.size()),
                    QPoint(0, 0));
    case UncoverToBottomRight:
        copyAll(out, to);
        return blit(out, from,
                    QRect(QPoint(part(out.width(), p), part(out.height(), p)), from.size()),
                    QPoint(0, 0));
    case ZoomIn:
    case ZoomOut:
        return zoom(out, from, to, e == ZoomIn, p);
    default:
        return fade(out, from, to, p);
    }
}
