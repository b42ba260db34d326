#pragma once
// The page set-up every printout of the program shares: a square of
// 1000 x 1000 page units laid on the printable area with one scale for both
// axes, its origin a hundredth of the area in from the top left corner; a
// fixed-pitch font 20 units high and lines 18 units apart, text standing on
// its baseline. A printout is a PrintedDocument; the same drawing goes to a
// printer or into a picture.

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTransform>

class QPainter;
class QPrinter;

// The name of the format list's printout.
inline constexpr char kPrintDocumentName[] = "FormatList";

class PrintedDocument {
public:
    virtual ~PrintedDocument() = default;
    virtual int PageCount() const = 0;
    // Draws page (from 0) in page units, with the page set-up already made.
    virtual void DrawPage(QPainter &painter, int page) const = 0;
    // The name the print queue and a PDF's title show: what it prints.
    virtual QString DocumentName() const { return QString::fromLatin1(kPrintDocumentName); }
};

inline constexpr int kPrintFontHeight = 20;
// Nine tenths of the font height, truncated.
inline constexpr int kPrintLineHeight = kPrintFontHeight * 9 / 10;

// Page units to device pixels for a printable area of that size.
QTransform PrintPageTransform(const QSize &printable);
// Sets the painter's transform for its device's printable area.
void PreparePrintPage(QPainter &painter);
// The fixed-pitch face at the printout's height (in page units).
QFont PrintFont();

// Line n of lines at x 0 and y n x the line height, on its baseline.
void DrawPrintLines(QPainter &painter, const QStringList &lines);

// Draws every page of document on printer, each after the page set-up;
// false (with the reason) when the printer could not take them.
bool PrintDocument(QPrinter &printer, const PrintedDocument &document, QString *error = nullptr);
// One page drawn on a white picture of the given size, as a printer gets it.
QImage PrintedPageImage(const PrintedDocument &document, int page, const QSize &size);
