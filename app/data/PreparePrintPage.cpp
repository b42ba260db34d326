#include "PreparePrintPage.h"

#include "StringTable.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

void DrawOnePage(QPainter &painter, const PrintedDocument &document, int page)
{
    PreparePrintPage(painter);
    painter.setFont(PrintFont());
    painter.setPen(Qt::black);
    document.DrawPage(painter, page);
}

} // namespace

QTransform PrintPageTransform(const QSize &printable)
{
    const int width = printable.width();
    const int height = printable.height();
    const double scale = std::min(width, height) / 1000.0;
    return QTransform(scale, 0, 0, scale, width / 100, height / 100);
}

void PreparePrintPage(QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    painter.setTransform(PrintPageTransform(QSize(device->width(), device->height())));
}

QFont PrintFont()
{
    // Any fixed-pitch face of the desktop will do; the height is that of the
    // whole character cell, as the line spacing assumes.
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setPixelSize(kPrintFontHeight);
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0)
        font.setPixelSize(std::max(1, qRound(kPrintFontHeight * kPrintFontHeight / cell)));
    return font;
}

void DrawPrintLines(QPainter &painter, const QStringList &lines)
{
    for (int line = 0; line < lines.size(); ++line) {
        if (!lines[line].isEmpty())
            painter.drawText(0, line * kPrintLineHeight, lines[line]);
    }
}

bool PrintDocument(QPrinter &printer, const PrintedDocument &document, QString *error)
{
    printer.setDocName(document.DocumentName());
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = printer.outputFileName().isEmpty()
                         ? LoadString(IDS_PRINT_NOT_OPENED)
                         : LoadString(IDS_PRINT_FILE_NOT_WRITTEN).arg(printer.outputFileName());
        return false;
    }
    for (int page = 0; page < document.PageCount(); ++page) {
        if (page > 0 && !printer.newPage()) {
            painter.end();
            if (error)
                *error = LoadString(IDS_PRINT_NO_FURTHER_PAGE);
            return false;
        }
        DrawOnePage(painter, document, page);
    }
    if (!painter.end()) {
        if (error)
            *error = LoadString(IDS_PRINT_NOT_FINISHED);
        return false;
    }
    return true;
}

QImage PrintedPageImage(const PrintedDocument &document, int page, const QSize &size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawOnePage(painter, document, page);
    return picture;
}
