#include "DiagnosticsImages.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

constexpr int kSize = 16;

void DrawDocument(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.drawPolyline(QPolygon({{10, 1}, {10, 4}, {13, 4}}));
    for (int y = 6; y <= 12; y += 2)
        p.drawLine(5, y, 11, y);
}

void DrawClock(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 200));
    p.drawEllipse(1, 1, 13, 13);
    p.drawLine(8, 8, 8, 4);
    p.drawLine(8, 8, 11, 9);
}

void DrawRunning(QPainter& p)
{
    p.setPen(QColor(128, 0, 0));
    p.setBrush(QColor(230, 0, 0));
    p.drawEllipse(3, 3, 9, 9);
}

void DrawIdle(QPainter& p)
{
    p.fillRect(3, 7, 10, 3, QColor(0, 0, 200));
}

void DrawFunction(QPainter& p)
{
    QFont font = p.font();
    font.setPixelSize(14);
    font.setItalic(true);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("f")); // resource-rule-ok: a picture
}

void DrawCamera(QPainter& p)
{
    p.setPen(Qt::black);
    p.setBrush(QColor(80, 80, 80));
    p.drawRect(1, 5, 10, 8);
    p.drawPolygon(QPolygon({{11, 8}, {15, 5}, {15, 13}, {11, 10}}));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(2, 1, 4, 4);
    p.drawEllipse(6, 1, 4, 4);
}

void DrawColourBars(QPainter& p)
{
    static const std::array<QColor, 7> bars = {Qt::white, Qt::yellow, Qt::cyan, Qt::green,
                                              Qt::magenta, Qt::red, Qt::blue};
    for (int i = 0; i < 7; ++i)
        p.fillRect(1 + 2 * i, 2, 2, 12, bars[size_t(i)]);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 1, 15, 13);
}

QPixmap Draw(void (*draw)(QPainter&))
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter);
    return pixmap;
}

} // namespace

const QPixmap& DiagnosticsPixmap(int image)
{
    static const std::array<QPixmap, kImageCount> images = {
        Draw(DrawDocument), Draw(DrawClock),    Draw(DrawRunning),    Draw(DrawIdle),
        Draw(DrawFunction), Draw(DrawCamera), Draw(DrawColourBars)};
    return images[size_t(image >= 0 && image < kImageCount ? image : kImageDocument)];
}

QIcon DiagnosticsRowIcon(int state, int image)
{
    QPixmap pixmap(2 * kSize + 2, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.drawPixmap(0, 0, DiagnosticsPixmap(state));
    painter.drawPixmap(kSize + 2, 0, DiagnosticsPixmap(image));
    return QIcon(pixmap);
}
