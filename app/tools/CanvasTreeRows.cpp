#include "CanvasTreeRows.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::array<const char*, 70> kColourNames = {
    "black", "red", "red50", "red75", "green", "green50", "green75", "yellow", "yellow50", "yellow75",
    "blue", "blue50", "blue75", "magenta", "magenta50", "magenta75", "cyan", "cyan50", "cyan75", "white",
    "brown", "huei", "hueq", "huenegi", "huenegq", "gray2", "gray3", "gray4", "gray5", "gray7",
    "gray10", "gray12", "gray13", "gray17", "gray20", "gray23", "gray25", "gray27", "gray30", "gray33",
    "gray35", "gray37", "gray40", "gray43", "gray45", "gray47", "gray48", "gray50", "gray51", "gray53",
    "gray55", "gray57", "gray60", "gray63", "gray65", "gray67", "gray70", "gray73", "gray75", "gray77",
    "gray80", "gray83", "gray85", "gray87", "gray90", "gray93", "gray95", "gray97", "background", "foreground"};

enum class Kind { Int, Double, Hex, Matrix, Small };

struct Parameter {
    const char* name;
    Kind kind;
};

// In word order from RCC_IMAGEVERSION; each kind takes its own count of words.
constexpr std::array<Parameter, 43> kParameters = {{
    {"imageversion", Kind::Int}, {"penw", Kind::Int}, {"penh", Kind::Int}, {"dwell", Kind::Int},
    {"offsetx", Kind::Int}, {"offsety", Kind::Int}, {"spacex", Kind::Int}, {"spacey", Kind::Int},
    {"deltax", Kind::Int}, {"deltay", Kind::Int}, {"levelred", Kind::Int}, {"levelgreen", Kind::Int},
    {"levelblue", Kind::Int}, {"x", Kind::Int}, {"y", Kind::Int}, {"width", Kind::Int}, {"height", Kind::Int},
    {"ctm", Kind::Matrix}, {"aspect", Kind::Double}, {"aspectsize", Kind::Double}, {"aspectpixel", Kind::Double},
    {"normalwidth", Kind::Double}, {"normalheight", Kind::Double}, {"uintsize", Kind::Small},
    {"widthsize", Kind::Double}, {"heightsize", Kind::Double}, {"meterwidth", Kind::Int},
    {"meterheight", Kind::Int}, {"left", Kind::Int}, {"top", Kind::Int}, {"right", Kind::Int},
    {"bottom", Kind::Int}, {"centerleft", Kind::Int}, {"centertop", Kind::Int}, {"centerright", Kind::Int},
    {"centerbottom", Kind::Int}, {"major", Kind::Int}, {"minor", Kind::Int}, {"addspace", Kind::Int},
    {"modspace", Kind::Int}, {"addtext", Kind::Int}, {"pensize", Kind::Hex}, {"xyorigin", Kind::Hex},
}};

int WordsOf(Kind kind)
{
    switch (kind) {
    case Kind::Double:
    case Kind::Small: return 2;
    case Kind::Matrix: return 19;
    case Kind::Int:
    case Kind::Hex: break;
    }
    return 1;
}

QString Row(const char* name, const QString& value)
{
    return FormatString(IDS_DIAG_ROW, {QString::fromLatin1(name), value});
}

QString Printed(const char* format, auto value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

} // namespace

namespace CanvasTreeRows {

QString Hex(uint32_t word)
{
    return Printed("%#8X", word);
}

QString Int(uint32_t word)
{
    return Printed("%-5d", int32_t(word));
}

// Without the locale: a comma-decimal desktop still shows "1.50000".
QString Double(double value)
{
    return QString::number(value, 'f', 5);
}

QString SmallHex(uint32_t word)
{
    return Printed("%-3x", word & 0xFFu);
}

double DoubleAt(const RemoteCallContext& context, int word)
{
    double value = 0.0;
    std::memcpy(&value, &context.words[word], sizeof value);
    return value;
}

QStringList Colours(const RemoteCallContext& context)
{
    QStringList rows;
    for (size_t i = 0; i < kColourNames.size(); ++i)
        rows.append(Row(kColourNames[i], Hex(context.words[i])));
    return rows;
}

QStringList Parameters(const RemoteCallContext& context)
{
    QStringList rows;
    int word = RCC_IMAGEVERSION;
    for (const Parameter& p : kParameters) {
        QString value;
        switch (p.kind) {
        case Kind::Int: value = Int(context.words[word]); break;
        case Kind::Hex: value = Hex(context.words[word]); break;
        case Kind::Double: value = Double(DoubleAt(context, word)); break;
        case Kind::Small: value = SmallHex(context.words[word]); break;
        case Kind::Matrix: value = LoadString(IDS_DIAG_MATRIX); break;
        }
        rows.append(Row(p.name, value));
        word += WordsOf(p.kind);
    }
    return rows;
}

} // namespace CanvasTreeRows
