#include "LegacyPrimitiveReader.h"

#include "Archive.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGrill.h"
#include "CImageOption.h"
#include "CLine.h"
#include "CMarker.h"
#include "COval.h"
#include "CPrimitive.h"
#include "CRectangle.h"
#include "CText.h"
#include "CTriangle.h"

#include <array>

namespace {

// What the older product stored before and after a record's fields.
constexpr qint64 kLegacyPadAfterKind = 1;
constexpr qint64 kLegacyPadBeforeFields = 4;
constexpr qint64 kLegacyPadAfterFields = 1;

template <size_t N>
std::array<qint32, N> ReadLegacyFields(CArchive &ar)
{
    std::array<qint32, N> values{};
    for (qint32 &value : values)
        ar >> value;
    return values;
}

// Colour and pattern are taken as indexes after the primitive was built
// with White and GrayPat0; an index outside the tables keeps those.
std::unique_ptr<CPrimitive> ReadLegacyLine(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<5>(ar); // x1, y1, x2, y2, colour
    auto line = std::make_unique<CLine>(v[0], v[1], v[2], v[3]);
    line->SetColour(v[4]);
    return line;
}

std::unique_ptr<CPrimitive> ReadLegacyBox(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<7>(ar); // x1, y1, x2, y2, colour, pattern, oval flag
    // A width of x2 - x1 + 1 from the corner (x1, y1): both corners inside.
    std::unique_ptr<CPrimitive> box;
    if (v[6] != 0)
        box = std::make_unique<COval>(v[0], v[1], v[2], v[3]);
    else
        box = std::make_unique<CRectangle>(v[0], v[1], v[2], v[3]);
    box->SetColour(v[4]);
    box->SetPattern(v[5]);
    return box;
}

std::unique_ptr<CPrimitive> ReadLegacyDot(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<3>(ar); // x, y, colour
    auto dot = std::make_unique<CDot>(v[0], v[1]);
    dot->SetColour(v[2]);
    return dot;
}

// Kinds are stored one less than the marker's and the option's own.
int NextKind(qint32 stored)
{
    return CPrimitive::Saturate(std::int64_t(stored) + 1);
}

std::unique_ptr<CPrimitive> ReadLegacyMarker(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<2>(ar); // colour, kind
    auto marker = std::make_unique<CMarker>(NextKind(v[1]));
    marker->SetColour(v[0]);
    return marker;
}

std::unique_ptr<CPrimitive> ReadLegacyGrid(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<4>(ar); // colour, kind, h, v
    auto grid = std::make_unique<CGrid>(v[1], v[2], v[3]);
    grid->SetColour(v[0]);
    return grid;
}

std::unique_ptr<CPrimitive> ReadLegacyGrill(CArchive &ar, int, QString &)
{
    constexpr qint32 kStoredVertical = 2;
    const auto v = ReadLegacyFields<4>(ar); // colour, kind, bar, space
    auto grill = std::make_unique<CGrill>(v[1] == kStoredVertical ? int(CGrill::kVertical) : v[1], v[2], v[3]);
    grill->SetColour(v[0]);
    return grill;
}

std::unique_ptr<CPrimitive> ReadLegacyOption(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<1>(ar); // kind
    // The older product numbered "TOBL" before "NOGA".
    switch (v[0]) {
    case 0: return std::make_unique<CImageOption>(CImageOption::kAntiAlias);
    case 1: return std::make_unique<CImageOption>(CImageOption::kLevelsToBlanking);
    case 2: return std::make_unique<CImageOption>(CImageOption::kNoGamma);
    default: return std::make_unique<CImageOption>(NextKind(v[0]));
    }
}

std::unique_ptr<CPrimitive> ReadLegacyTriangle(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<8>(ar); // x1, y1, x2, y2, x3, y3, colour, pattern
    auto triangle = std::make_unique<CTriangle>(QPoint(v[0], v[1]), QPoint(v[2], v[3]), QPoint(v[4], v[5]));
    triangle->SetColour(v[6]);
    triangle->SetPattern(v[7]);
    return triangle;
}

std::unique_ptr<CPrimitive> ReadLegacyTextRecord(CArchive &ar, int, QString &error)
{
    const auto v = ReadLegacyFields<4>(ar); // x, y, colour, font, then the counted text
    QString text;
    if (!ReadLegacyText(ar, text, error))
        return nullptr;
    auto primitive = std::make_unique<CText>(v[0], v[1], text);
    primitive->SetColour(v[2]);
    primitive->SetFont(v[3]);
    return primitive;
}

struct LegacyRow {
    quint32 kind;
    std::unique_ptr<CPrimitive> (*read)(CArchive &ar, int depth, QString &error);
};

const LegacyRow kLegacyRows[] = {
    {0, &ReadLegacyDot},
    {1, &ReadLegacyLine},
    {2, &ReadLegacyTriangle},
    {3, &ReadLegacyBox},
    {4, &ReadLegacyMarker},
    {6, &ReadLegacyGrid},
    {7, &ReadLegacyGrill},
    {9, &ReadLegacyTextRecord},
    {10, &ReadLegacyOption},
};

const LegacyRow *FindLegacyRow(quint32 kind)
{
    for (const LegacyRow &row : kLegacyRows) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

} // namespace

bool ReadLegacyText(CArchive &ar, QString &text, QString &error)
{
    qint32 length = 0;
    ar >> length;
    if (length < 0 || length > kMaxLegacyTextLength) {
        error = QStringLiteral("A text record announces %1 characters.").arg(length);
        return false;
    }
    text = QString::fromLatin1(ar.ReadBytes(length));
    return true;
}

std::unique_ptr<CPrimitive> ReadLegacyPrimitive(CArchive &ar, int depth, QString &error)
{
    if (depth >= CArchive::kMaxDepth) {
        error = QStringLiteral("The primitives are nested too deeply.");
        return nullptr;
    }
    quint32 kind = 0;
    ar >> kind;
    const LegacyRow *row = FindLegacyRow(kind);
    if (!row) {
        error = QStringLiteral("A primitive record has the kind %1, which this program cannot read.").arg(kind);
        return nullptr;
    }
    ar.ReadBytes(kLegacyPadAfterKind);
    qint32 tagLength = 0;
    ar >> tagLength;
    if (tagLength < 0 || tagLength > ar.BytesLeft()) {
        error = QStringLiteral("A primitive record announces %1 bytes it does not hold.").arg(tagLength);
        return nullptr;
    }
    ar.ReadBytes(tagLength);
    ar.ReadBytes(kLegacyPadBeforeFields);
    std::unique_ptr<CPrimitive> primitive = row->read(ar, depth, error);
    if (!primitive)
        return nullptr;
    ar.ReadBytes(kLegacyPadAfterFields);
    return primitive;
}
