// The printed summary of a format: its lines written by hand from the
// printout's table, the page set-up, and the page as it comes out of a
// PDF printer.

#include "CGeneralFormatData.h"
#include "FormatPrintout.h"
#include "PdfText.h"
#include "PreparePrintPage.h"
#include "TestSupport.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>

#include <cmath>
#include <functional>

namespace {

using Change = std::function<void(CGeneralFormatData &)>;

// The default format, line by line (lines 0 to 43; gaps are empty).
const QStringList kDefaultLines = {
    "",
    "",
    "Format Name : default",
    "",
    "                       Timing Specs",
    "================================================================",
    "| Rates                                                        |",
    "|       Pixel:  25.175 MHz    39.722 nS    Pulse: OFF          |",
    "|        Horz:  31.469 KHz                                     |",
    "|        Vert:  59.941  Hz                                     |",
    "|--------------------------------------------------------------|",
    "|        |       Horizontal         |         Vertical         |",
    "| Active | 640  pixs     25.422 uS  | 480  lines    15.253 mS  |",
    "| Blank  | 160  pixs     6.355  uS  | 45   lines    1.430  mS  |",
    "| Period | 800  pixs     31.777 uS  | 525  lines    16.683 mS  |",
    "|--------|--------------------------|--------------------------|",
    "| Size   |   11.200 in  284.480 mm  | 8.400  in    213.360 mm  |",
    "|--------|--------------------------|--------------------------|",
    "|P Delay | 16   pixs     0.636  uS  | 10   lines    0.318  mS  |",
    "|P Width | 96   pixs     3.813  uS  | 2    lines    0.064  mS  |",
    "|--------|-----------------------------------------------------|",
    "|Equaliz |   Before: 0     lines        After: 0     lines     |",
    "|--------------------------------------------------------------|",
    "|   Scan Type: Progressive                                     |",
    "| RepeatField: OFF                                             |",
    "================================================================",
    "",
    "",
    "",
    "                  Options",
    "==================================================",
    "|    ACS Kind:  American ORed                    |",
    "|    DCS Kind:  American ORed                    |",
    "|    DSS Kind:  American Separate                |",
    "|   Sync Kind:  DSS                              |",
    "|  Video Kind:  Analog RGB (color)               |",
    "| Video Swing:  0.700                            |",
    "|  Sync Swing:  0.300                            |",
    "|       Gamma:  OFF                              |",
    "|    Pedestal:  OFF                              |",
    "|        Sync:     G                             |",
    "|     DS Gate:  H  V  C                          |",
    "| DS Polarity:  H- V- C-                         |",
    "==================================================",
};

TEST(FormatPrintout, TheDefaultFormatLineByLine)
{
    const QStringList lines = FormatPrintout::Lines(CGeneralFormatData());
    ASSERT_EQ(lines.size(), 44);
    for (int n = 0; n < 44; ++n)
        EXPECT_EQ(lines[n], kDefaultLines[n]) << "line " << n;
}

TEST(FormatPrintout, SwitchesKindsAndLongValues)
{
    struct Case {
        const char *what;
        Change change;
        int line;
        const char *expected;
    };
    const Case cases[] = {
        {"gamma on", [](CGeneralFormatData &f) { f.gammaOn = 1; },
         38, "|       Gamma:  2.200                            |"},
        {"pedestal on", [](CGeneralFormatData &f) { f.pedestalOn = 1; },
         39, "|    Pedestal:  7.500                            |"},
        {"pixel clock pulse", [](CGeneralFormatData &f) { f.pcpg = 1; },
         7, "|       Pixel:  25.175 MHz    39.722 nS    Pulse: ON           |"},
        {"interlaced", [](CGeneralFormatData &f) { f.interlaced = 1; },
         23, "|   Scan Type: Interlaced                                      |"},
        {"repeat field", [](CGeneralFormatData &f) { f.repeatField = 1; },
         24, "| RepeatField: ON                                              |"},
        {"sync on red and blue", [](CGeneralFormatData &f) { f.syncOnRed = 1, f.syncOnGreen = 0, f.syncOnBlue = 1; },
         40, "|        Sync:  R     B                          |"},
        {"no sync on any colour", [](CGeneralFormatData &f) { f.syncOnGreen = 0; },
         40, "|        Sync:                                   |"},
        {"only the V gate", [](CGeneralFormatData &f) { f.hSyncGate = 0, f.cSyncGate = 0; },
         41, "|     DS Gate:     V                             |"},
        {"H and C positive", [](CGeneralFormatData &f) { f.hSyncPolarity = 1, f.cSyncPolarity = 1; },
         42, "| DS Polarity:  H+ V- C+                         |"},
        {"equalisation", [](CGeneralFormatData &f) { f.eqBefore = 3, f.eqAfter = 123456; },
         21, "|Equaliz |   Before: 3     lines        After: 123456 lines    |"},
        {"other kinds", [](CGeneralFormatData &f) { f.syncSelect.SetCode(13), f.videoKind.SetIndex(4); },
         34, "|   Sync Kind:  DPMS ON                          |"},
        {"a long kind text", [](CGeneralFormatData &f) { f.videoKind.SetIndex(4); },
         35, "|  Video Kind:  Analog TV EYC (color Subcarrier) |"},
        // Back porch mode prints the pulse delays, not the porches.
        {"back porch mode", [](CGeneralFormatData &f) { f.backPorchMode = 1, f.hBackPorchPixels = 48, f.vBackPorchLines = 33; },
         18, "|P Delay | 16   pixs     0.636  uS  | 10   lines    0.318  mS  |"},
        {"a long name", [](CGeneralFormatData &f) { f.name = QString(70, u'N'); },
         2, "Format Name : NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN"},
        // Past column 63 or 49: no pad, the bar follows at once.
        {"a rate past column 63", [](CGeneralFormatData &f) { f.pixelRate = 1e15, f.pixelPeriod = 1e-3; },
         7, "|       Pixel:  1000000000.000 MHz    1000000.000 nS    Pulse: OFF|"},
        {"a line rate past column 63", [](CGeneralFormatData &f) { f.lineRate = std::ldexp(1000.0, 150); },
         8, "|        Horz:  1427247692705959881058285969449495136382746624.000 KHz|"},
        {"a swing past column 49", [](CGeneralFormatData &f) { f.videoSwing = 1e35; },
         36, "| Video Swing:  99999999999999996863366107917975552.000|"},
        {"a rate below %3.3f's width", [](CGeneralFormatData &f) { f.fieldRate = 0.5; },
         9, "|        Vert:  0.500  Hz                                      |"},
        {"counts wider than four", [](CGeneralFormatData &f) { f.hTotal = 12345, f.vTotal = 99999; },
         14, "| Period | 12345 pixs     31.777 uS  | 99999 lines    16.683 mS  |"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CGeneralFormatData format;
        c.change(format);
        EXPECT_EQ(FormatPrintout::Lines(format).value(c.line), QString::fromLatin1(c.expected));
    }
}

TEST(PreparePrintPage, ASquareOfThousandUnitsOnThePrintableArea)
{
    struct Case {
        QSize printable;
        QPointF origin;    // where (0, 0) lands
        QPointF farCorner; // where (1000, 1000) lands
    };
    const Case cases[] = {
        {{1000, 1000}, {10, 10}, {1010, 1010}},
        {{2000, 3000}, {20, 30}, {2020, 2030}},   // portrait: the width sets the scale
        {{3000, 2000}, {30, 20}, {2030, 2020}},   // landscape: the height does
        {{9921, 14031}, {99, 140}, {10020, 10061}}, // A4 at 1200 dpi, less the margins
        {{199, 1501}, {1, 15}, {200, 214}},       // origin by integer division
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.printable.width());
        const QTransform t = PrintPageTransform(c.printable);
        EXPECT_EQ(t.map(QPointF(0, 0)), c.origin);
        EXPECT_EQ(t.map(QPointF(1000, 1000)), c.farCorner);
        EXPECT_DOUBLE_EQ(t.m11(), t.m22()); // one scale for both axes
    }
}

class FormatPrintoutPdfTest : public PlatformTest {};

TEST_F(FormatPrintoutPdfTest, TheFontIsFixedPitchAndTwentyUnitsHigh)
{
    const QFont font = PrintFont();
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << qPrintable(QFontInfo(font).family());
    EXPECT_NEAR(QFontMetricsF(font).height(), kPrintFontHeight, 1.5);
    EXPECT_EQ(kPrintLineHeight, 18);
    // Sixty-four characters fit a portrait page's thousand units.
    EXPECT_LT(QFontMetricsF(font).horizontalAdvance(QString(64, u'=')), 1000);
}

TEST_F(FormatPrintoutPdfTest, OnePageWithEveryLineInOrder)
{
    struct Case {
        QPageSize::PageSizeId size;
        const char *pageSize;
    };
    for (const Case &c : {Case{QPageSize::A4, "(A4)"}, Case{QPageSize::Letter, "(letter)"}}) {
        SCOPED_TRACE(c.pageSize);
        const QString pdf = TempPath(QStringLiteral("summary%1.pdf").arg(int(c.size)));
        prompter.ExpectPrint(ScriptedPrint::Pdf(pdf, c.size));
        ASSERT_TRUE(PrintFormatSummary(nullptr, CGeneralFormatData()));
        EXPECT_EQ(pdf_text::Info(pdf, "Pages"), "1");
        EXPECT_EQ(pdf_text::Info(pdf, "Title"), "default") << "titled by the format it prints";
        EXPECT_TRUE(pdf_text::Info(pdf, "Page size").endsWith(QLatin1String(c.pageSize)));
        // The text comes back in the page's order; the tool spaces words by
        // their places, so blanks are compared as one.
        QStringList expected;
        for (const QString &line : kDefaultLines) {
            if (!line.isEmpty())
                expected.append(line.simplified());
        }
        EXPECT_EQ(pdf_text::Lines(pdf, pdf_text::kSimplified), expected);
    }
    ASSERT_EQ(prompter.PrintRequests().size(), 2u);
    EXPECT_EQ(prompter.PrintRequests()[0].fromPage, 1);
    EXPECT_EQ(prompter.PrintRequests()[0].maxPage, 1);
}

TEST_F(FormatPrintoutPdfTest, CancelPrintsNothing)
{
    prompter.ExpectPrint(ScriptedPrint::Cancel());
    EXPECT_FALSE(PrintFormatSummary(nullptr, CGeneralFormatData()));
    EXPECT_EQ(prompter.Messages().size(), 0u);
}

TEST_F(FormatPrintoutPdfTest, APrinterThatCannotWriteSaysSo)
{
    const QString pdf = TempPath(QStringLiteral("no/such/folder/summary.pdf"));
    prompter.ExpectPrint(ScriptedPrint::Pdf(pdf));
    prompter.ExpectMessage(PromptMatch::Contains(QStringLiteral("could not be written")), IDOK, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(PrintFormatSummary(nullptr, CGeneralFormatData()));
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(FormatPrintoutPdfTest, ThePageAsAPicture)
{
    // A4 at 100 dots an inch, portrait and landscape.
    for (const QSize size : {QSize(827, 1169), QSize(1169, 827)}) {
        CGeneralFormatData format;
        format.name = QStringLiteral("VGA_m4");
        const QImage page = PrintedPageImage(FormatPrintout(format), 0, size);
        SaveScreenshot(page, QStringLiteral("format_printout_%1x%2").arg(size.width()).arg(size.height()));
        // Ink inside the page, the widest line short of the right edge.
        int right = -1, bottom = -1;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                if (qGray(page.pixel(x, y)) < 128) {
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_GT(right, size.width() / 3);
        EXPECT_LT(right, size.width() - 5);
        EXPECT_LT(bottom, size.height() - 5);
    }
}

} // namespace
