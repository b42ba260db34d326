#include "FormatPrintout.h"

#include "CFormatEditor.h"
#include "CGeneralFormatData.h"
#include "Numbers.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QPainter>
#include <QPrinter>

namespace {

// The double just below 1e9: seconds to nanoseconds as the printout has
// always converted them.
constexpr double kNanosecondsPerSecond = 999999999.9999999;

QString Repeat(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

// printf "%-<width>.<decimals>f", without the locale.
QString LeftFixed(double value, int decimals, int width)
{
    return FormatFixed(value, decimals).leftJustified(width);
}

// printf "%<width>.<decimals>f".
QString RightFixed(double value, int decimals, int width)
{
    return FormatFixed(value, decimals).rightJustified(width);
}

// printf "%-5d".
QString LeftInt(int value)
{
    return FormatInt(value).leftJustified(5);
}

// Filled up to width (never cut), then the closing bar.
QString Boxed(QString text, int width, char fill = ' ')
{
    if (text.size() < width)
        text += Repeat(fill, int(width - text.size()));
    return text + QLatin1Char('|');
}

QString OnOff(qint32 flag)
{
    return flag == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
}

// One row of the horizontal and vertical table: a count and a time (us)
// for each direction, the vertical time in ms.
QString TimingRow(const char *head, double pixels, double hTime, double lines, double vTime)
{
    return QString::fromLatin1(head) + LeftFixed(pixels, 0, 4) + QStringLiteral(" pixs     ")
           + LeftFixed(hTime * 1e6, 3, 6) + QStringLiteral(" uS  | ") + LeftFixed(lines, 0, 4)
           + QStringLiteral(" lines    ") + LeftFixed(vTime * 1e3, 3, 6) + QStringLiteral(" mS  |");
}

QString Switches(std::initializer_list<std::pair<qint32, const char *>> switches)
{
    QString text;
    for (const auto &[on, label] : switches)
        text += on == 1 ? QString::fromLatin1(label) : QStringLiteral("   ");
    return text;
}

QString Polarity(char axis, qint32 positive)
{
    return QString(QLatin1Char(axis)) + (positive == 1 ? QStringLiteral("+ ") : QStringLiteral("- "));
}

constexpr int kTimingWidth = 63;
constexpr int kOptionsWidth = 49;

} // namespace

FormatPrintout::FormatPrintout(const CGeneralFormatData &format) : m_lines(Lines(format)), m_name(format.name) {}

QStringList FormatPrintout::Lines(const CGeneralFormatData &f)
{
    QStringList l(kLineCount);
    const QString timingRule = QLatin1Char('|') + Repeat('-', kTimingWidth - 1) + QLatin1Char('|');
    const QString sizeRule = Boxed(QStringLiteral("|--------|--------------------------|-----------------"), kTimingWidth, '-');
    l[2] = QStringLiteral("Format Name : ") + f.name;
    l[4] = Repeat(' ', 23) + QStringLiteral("Timing Specs");
    l[5] = Repeat('=', 64);
    l[6] = QStringLiteral("| Rates") + Repeat(' ', 56) + QLatin1Char('|');
    l[7] = Boxed(QStringLiteral("|       Pixel:  ") + LeftFixed(f.pixelRate / 1e6, 3, 6) + QStringLiteral(" MHz    ")
                     + LeftFixed(f.pixelPeriod * kNanosecondsPerSecond, 3, 6) + QStringLiteral(" nS    Pulse: ")
                     + OnOff(f.pcpg),
                 kTimingWidth);
    l[8] = Boxed(QStringLiteral("|        Horz:  ") + RightFixed(f.lineRate / 1e3, 3, 3) + QStringLiteral(" KHz"),
                 kTimingWidth);
    l[9] = Boxed(QStringLiteral("|        Vert:  ") + RightFixed(f.fieldRate, 3, 3) + QStringLiteral("  Hz"),
                 kTimingWidth);
    l[10] = timingRule;
    l[11] = Boxed(QStringLiteral("|        |       Horizontal         |         Vertical"), kTimingWidth);
    l[12] = TimingRow("| Active | ", f.hActive, f.hActiveTime, f.vActive, f.vActiveTime);
    l[13] = TimingRow("| Blank  | ", f.hBlank, f.hBlankTime, f.vBlank, f.vBlankTime);
    l[14] = TimingRow("| Period | ", f.hTotal, f.hTotalTime, f.vTotal, f.vTotalTime);
    l[15] = sizeRule;
    l[16] = QStringLiteral("| Size   |   ") + LeftFixed(f.hSizeInches, 3, 6) + QStringLiteral(" in  ")
            + LeftFixed(f.hSizeMm, 3, 6) + QStringLiteral(" mm  | ") + LeftFixed(f.vSizeInches, 3, 6)
            + QStringLiteral(" in    ") + LeftFixed(f.vSizeMm, 3, 6) + QStringLiteral(" mm  |");
    l[17] = sizeRule;
    // The pulse delays themselves, also in back porch mode.
    l[18] = TimingRow("|P Delay | ", f.hSyncDelay, f.hSyncDelayTime, f.vSyncDelay, f.vSyncDelayTime);
    l[19] = TimingRow("|P Width | ", f.hSyncWidth, f.hSyncWidthTime, f.vSyncWidth, f.vSyncWidthTime);
    l[20] = Boxed(QStringLiteral("|--------|--------------------------------------------"), kTimingWidth, '-');
    l[21] = Boxed(QStringLiteral("|Equaliz |   Before: ") + LeftInt(f.eqBefore) + QStringLiteral(" lines        After: ")
                      + LeftInt(f.eqAfter) + QStringLiteral(" lines"),
                  kTimingWidth);
    l[22] = timingRule;
    l[23] = Boxed(QStringLiteral("|   Scan Type: ")
                      + (f.interlaced == 1 ? QStringLiteral("Interlaced") : QStringLiteral("Progressive")),
                  kTimingWidth);
    l[24] = Boxed(QStringLiteral("| RepeatField: ") + OnOff(f.repeatField), kTimingWidth);
    l[25] = Repeat('=', 64);

    l[29] = Repeat(' ', 18) + QStringLiteral("Options");
    l[30] = Repeat('=', 50);
    l[31] = Boxed(QStringLiteral("|    ACS Kind:  ") + f.acsKind.GetText(), kOptionsWidth);
    l[32] = Boxed(QStringLiteral("|    DCS Kind:  ") + f.dcsKind.GetText(), kOptionsWidth);
    l[33] = Boxed(QStringLiteral("|    DSS Kind:  ") + f.dssKind.GetText(), kOptionsWidth);
    l[34] = Boxed(QStringLiteral("|   Sync Kind:  ") + f.syncSelect.GetText(), kOptionsWidth);
    l[35] = Boxed(QStringLiteral("|  Video Kind:  ") + f.videoKind.GetText(), kOptionsWidth);
    l[36] = Boxed(QStringLiteral("| Video Swing:  ") + LeftFixed(f.videoSwing, 3, 6), kOptionsWidth);
    l[37] = Boxed(QStringLiteral("|  Sync Swing:  ") + LeftFixed(f.syncSwing, 3, 6), kOptionsWidth);
    l[38] = Boxed(QStringLiteral("|       Gamma:  ") + (f.gammaOn == 1 ? LeftFixed(f.gamma, 3, 6) : QStringLiteral("OFF")),
                  kOptionsWidth);
    l[39] = Boxed(QStringLiteral("|    Pedestal:  ")
                      + (f.pedestalOn == 1 ? LeftFixed(f.pedestalLevel, 3, 6) : QStringLiteral("OFF")),
                  kOptionsWidth);
    l[40] = Boxed(QStringLiteral("|        Sync:  ")
                      + Switches({{f.syncOnRed, "R  "}, {f.syncOnGreen, "G  "}, {f.syncOnBlue, "B  "}}),
                  kOptionsWidth);
    l[41] = Boxed(QStringLiteral("|     DS Gate:  ")
                      + Switches({{f.hSyncGate, "H  "}, {f.vSyncGate, "V  "}, {f.cSyncGate, "C  "}}),
                  kOptionsWidth);
    l[42] = Boxed(QStringLiteral("| DS Polarity:  ") + Polarity('H', f.hSyncPolarity) + Polarity('V', f.vSyncPolarity)
                      + Polarity('C', f.cSyncPolarity),
                  kOptionsWidth);
    l[43] = Repeat('=', 50);
    return l;
}

void FormatPrintout::DrawPage(QPainter &painter, int) const
{
    DrawPrintLines(painter, m_lines);
}

bool PrintFormatSummary(QWidget *parent, const CGeneralFormatData &format)
{
    PrintRequest request;
    request.parent = parent;
    const std::unique_ptr<QPrinter> printer = PromptForPrinter(request);
    if (!printer)
        return false;
    QString error;
    if (!PrintDocument(*printer, FormatPrintout(format), &error)) {
        MessageBox(parent, PromptText(error), PromptText(IDS_PRINT_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void PrintFromFormatEditor(CFormatEditor &editor)
{
    editor.CommitForPrint();
    PrintFormatSummary(&editor, editor.WorkingCopy());
}
