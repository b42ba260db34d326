#pragma once
// How primitives cover client pixels, in one place for every class: a box
// covers the columns from one corner's to the other's, both included, and
// the rows likewise; an oval is the ellipse inscribed in that box, the same
// pixels for drawing, filling, hit tests and rectangle tests; a line
// includes both end pixels. Fills use a fill pattern's picture, 0 bits in
// the colour and 1 bits black, aligned to the canvas's origin.
//
// Outlines are drawn one pixel at a time at most once, so that drawn twice
// in XOR they leave nothing behind.

#include <QBrush>
#include <QColor>
#include <QPoint>
#include <QRect>

#include <optional>
#include <vector>

class QFont;
class QString;

class QPainter;

// The box of pixels between two corners, both included, in either order.
QRect BoxPixels(const QPoint &p, const QPoint &q);

// One row of an oval: the pixels left..right of row y.
struct OvalSpan {
    int y;
    int left;
    int right;
};
// The rows of the ellipse inscribed in box, top to bottom; a pixel is in it
// when its centre is.
std::vector<OvalSpan> OvalSpans(const QRect &box);
bool OvalContains(const QRect &box, const QPoint &pixel);
bool OvalIntersects(const QRect &box, const QRect &rect);

// In the painter's pen colour.
void DrawBoxOutline(QPainter &painter, const QRect &box, const QColor &colour);
// Every other pixel of the box's outline, those whose x + y is even.
void DrawDottedBoxOutline(QPainter &painter, const QRect &box, const QColor &colour);
void DrawOvalOutline(QPainter &painter, const QRect &box, const QColor &colour);
void DrawLinePixels(QPainter &painter, const QPoint &a, const QPoint &b, const QColor &colour);
void FillBox(QPainter &painter, const QRect &box, const QBrush &brush);
void FillOval(QPainter &painter, const QRect &box, const QBrush &brush);

// Text with its top-left at a client point, in colour, on no background
// or on an opaque one.
void DrawTextAt(QPainter &painter, const QPoint &topLeft, const QString &text, const QFont &font, const QColor &colour,
                const std::optional<QColor> &background = std::nullopt);

// The brush of fill pattern index (0..30) in colour.
QBrush PatternBrush(int pattern, const QColor &colour);
