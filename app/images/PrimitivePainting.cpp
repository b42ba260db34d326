#include "PrimitivePainting.h"

#include "CFillPattern.h"

#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

// The fills are made once per pattern and colour; a canvas paints them often.
constexpr qsizetype kMaxCachedBrushes = 256;

} // namespace

QRect BoxPixels(const QPoint &p, const QPoint &q)
{
    return QRect(QPoint(std::min(p.x(), q.x()), std::min(p.y(), q.y())),
                 QPoint(std::max(p.x(), q.x()), std::max(p.y(), q.y())));
}

std::vector<OvalSpan> OvalSpans(const QRect &box)
{
    std::vector<OvalSpan> spans;
    if (box.isEmpty())
        return spans;
    // In pixel-edge coordinates the box runs from left to right + 1; pixel
    // centres lie at + 0.5.
    const double a = box.width() / 2.0;
    const double b = box.height() / 2.0;
    const double cx = box.left() + a;
    const double cy = box.top() + b;
    spans.reserve(size_t(box.height()));
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const double dy = (y + 0.5 - cy) / b;
        const double half = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
        const int left = int(std::ceil(cx - half - 0.5));
        const int right = int(std::floor(cx + half - 0.5));
        if (left <= right)
            spans.push_back({y, std::max(left, box.left()), std::min(right, box.right())});
    }
    return spans;
}

bool OvalContains(const QRect &box, const QPoint &pixel)
{
    if (!box.contains(pixel))
        return false;
    for (const OvalSpan &span : OvalSpans(box)) {
        if (span.y == pixel.y())
            return pixel.x() >= span.left && pixel.x() <= span.right;
    }
    return false;
}

bool OvalIntersects(const QRect &box, const QRect &rect)
{
    const QRect rows = box.intersected(rect);
    if (rows.isEmpty())
        return false;
    for (const OvalSpan &span : OvalSpans(box)) {
        if (span.y >= rows.top() && span.y <= rows.bottom() && span.right >= rect.left() && span.left <= rect.right())
            return true;
    }
    return false;
}

void DrawBoxOutline(QPainter &painter, const QRect &box, const QColor &colour)
{
    if (box.isEmpty())
        return;
    // Four strips that do not overlap: top, bottom, and the sides between.
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), colour);
    if (box.height() > 1)
        painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), colour);
    if (box.height() > 2) {
        painter.fillRect(QRect(box.left(), box.top() + 1, 1, box.height() - 2), colour);
        if (box.width() > 1)
            painter.fillRect(QRect(box.right(), box.top() + 1, 1, box.height() - 2), colour);
    }
}

void DrawDottedBoxOutline(QPainter &painter, const QRect &box, const QColor &colour)
{
    if (box.isEmpty())
        return;
    QPolygon dots;
    const auto dot = [&dots](int x, int y) {
        if ((x + y) % 2 == 0)
            dots << QPoint(x, y);
    };
    for (int x = box.left(); x <= box.right(); ++x) {
        dot(x, box.top());
        if (box.height() > 1)
            dot(x, box.bottom());
    }
    for (int y = box.top() + 1; y < box.bottom(); ++y) {
        dot(box.left(), y);
        if (box.width() > 1)
            dot(box.right(), y);
    }
    painter.save();
    painter.setPen(QPen(colour, 0));
    painter.drawPoints(dots);
    painter.restore();
}

void DrawOvalOutline(QPainter &painter, const QRect &box, const QColor &colour)
{
    const std::vector<OvalSpan> spans = OvalSpans(box);
    QPolygon pixels;
    for (size_t i = 0; i < spans.size(); ++i) {
        const OvalSpan &row = spans[i];
        // A pixel of the row lies on the outline when the row above or below
        // does not reach it (or there is none), or it ends the row.
        const OvalSpan *above = i > 0 ? &spans[i - 1] : nullptr;
        const OvalSpan *below = i + 1 < spans.size() ? &spans[i + 1] : nullptr;
        for (int x = row.left; x <= row.right; ++x) {
            const bool inAbove = above && x >= above->left && x <= above->right;
            const bool inBelow = below && x >= below->left && x <= below->right;
            if (x == row.left || x == row.right || !inAbove || !inBelow)
                pixels << QPoint(x, row.y);
        }
    }
    painter.save();
    painter.setPen(QPen(colour, 0));
    painter.drawPoints(pixels);
    painter.restore();
}

void DrawLinePixels(QPainter &painter, const QPoint &a, const QPoint &b, const QColor &colour)
{
    painter.save();
    // A cosmetic pen with square caps lights both end pixels, each once.
    QPen pen(colour, 0);
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.drawLine(a, b);
    painter.restore();
}

void FillBox(QPainter &painter, const QRect &box, const QBrush &brush)
{
    painter.fillRect(box, brush);
}

void FillOval(QPainter &painter, const QRect &box, const QBrush &brush)
{
    for (const OvalSpan &span : OvalSpans(box))
        painter.fillRect(QRect(span.left, span.y, span.right - span.left + 1, 1), brush);
}

void DrawTextAt(QPainter &painter, const QPoint &topLeft, const QString &text, const QFont &font, const QColor &colour,
                const std::optional<QColor> &background)
{
    painter.save();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    if (background) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(*background);
    } else {
        painter.setBackgroundMode(Qt::TransparentMode);
    }
    painter.setPen(colour);
    painter.drawText(QPoint(topLeft.x(), topLeft.y() + metrics.ascent()), text);
    painter.restore();
}

QBrush PatternBrush(int pattern, const QColor &colour)
{
    // Kept to the end of the process, as the GUI's own resources are.
    static auto &brushes = *new QHash<quint64, QBrush>;
    const quint64 key = (quint64(quint32(pattern)) << 32) | colour.rgb();
    const auto known = brushes.constFind(key);
    if (known != brushes.constEnd())
        return *known;
    const CFillPattern fill(pattern);
    const QImage &bits = fill.GetBitmap(pattern);
    QImage tile(bits.size(), QImage::Format_RGB32);
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x)
            tile.setPixel(x, y, bits.pixelIndex(x, y) == 0 ? colour.rgb() : qRgb(0, 0, 0));
    if (brushes.size() >= kMaxCachedBrushes)
        brushes.clear();
    return brushes.insert(key, QBrush(tile)).value();
}
