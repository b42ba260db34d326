#include "LegacyPrimitiveReader.h"

#include "Archive.h"
#include "CCharacterBox.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGroup.h"
#include "CGrill.h"
#include "CImageOption.h"
#include "CInformationBox.h"
#include "CLine.h"
#include "CMarker.h"
#include "COval.h"
#include "CPrimitive.h"
#include "CRectangle.h"
#include "CText.h"
#include "CTriangle.h"
#include "StringTable.h"

#include <array>
#include <cmath>

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

std::unique_ptr<CPrimitive> ReadLegacyGroup(CArchive &ar, int depth, QString &error)
{
    constexpr qint32 kMaxLegacyMembers = 65535;
    const auto v = ReadLegacyFields<5>(ar); // x1, y1, x2, y2, member count
    if (v[4] < 1 || v[4] > kMaxLegacyMembers) {
        error = LoadString(IDS_IMAGE_RECORD_GROUP_MEMBERS).arg(v[4]);
        return nullptr;
    }
    auto group = std::make_unique<CGroup>(QPoint(v[0], v[1]), QPoint(v[2], v[3]));
    for (qint32 i = 0; i < v[4]; ++i) {
        std::unique_ptr<CPrimitive> member = ReadLegacyPrimitive(ar, depth + 1, error);
        if (!member)
            return nullptr;
        group->AddMember(member.release(), i, false);
    }
    return group;
}

std::unique_ptr<CPrimitive> ReadLegacyInfoBox(CArchive &ar, int, QString &error)
{
    constexpr qint32 kStoredInfoBox = 3;
    const auto v = ReadLegacyFields<4>(ar); // x, y, colour, type
    double xRatio = 0;
    double yRatio = 0;
    ar >> xRatio >> yRatio;
    const auto rest = ReadLegacyFields<2>(ar); // contents, border
    std::unique_ptr<CInformationBox> box;
    if (v[3] == kStoredInfoBox) {
        if (!std::isfinite(xRatio) || !std::isfinite(yRatio)) {
            error = LoadString(IDS_IMAGE_RECORD_INFO_BOX_PLACE);
            return nullptr;
        }
        box = std::make_unique<CInformationBox>(xRatio, yRatio, rest[0], rest[1]);
    } else {
        // Types 1 and 2 were the format and the step box; others stay unknown.
        box = std::make_unique<CInformationBox>(int((std::int64_t(v[3]) - 1) % 3), v[0], v[1]);
    }
    box->SetColour(v[2]);
    return box;
}

std::unique_ptr<CPrimitive> ReadLegacyCharacterBox(CArchive &ar, int, QString &)
{
    const auto v = ReadLegacyFields<7>(ar); // x1, y1, x2, y2, colour, font, code
    auto box = std::make_unique<CCharacterBox>(v[0], v[1], v[2], v[3], CNamedColour::kWhite, 0, v[6]);
    box->SetColour(v[4]);
    box->SetFont(v[5]);
    return box;
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
    {5, &ReadLegacyInfoBox},
    {6, &ReadLegacyGrid},
    {7, &ReadLegacyGrill},
    {8, &ReadLegacyCharacterBox},
    {9, &ReadLegacyTextRecord},
    {10, &ReadLegacyOption},
    {11, &ReadLegacyGroup},
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
        error = LoadString(IDS_IMAGE_RECORD_TEXT_LENGTH).arg(length);
        return false;
    }
    text = QString::fromLatin1(ar.ReadBytes(length));
    return true;
}

std::unique_ptr<CPrimitive> ReadLegacyPrimitive(CArchive &ar, int depth, QString &error)
{
    if (depth >= CArchive::kMaxDepth) {
        error = LoadString(IDS_IMAGE_RECORD_NESTED);
        return nullptr;
    }
    quint32 kind = 0;
    ar >> kind;
    const LegacyRow *row = FindLegacyRow(kind);
    if (!row) {
        error = LoadString(IDS_IMAGE_RECORD_KIND).arg(kind);
        return nullptr;
    }
    ar.ReadBytes(kLegacyPadAfterKind);
    qint32 tagLength = 0;
    ar >> tagLength;
    if (tagLength < 0 || tagLength > ar.BytesLeft()) {
        error = LoadString(IDS_IMAGE_RECORD_BYTES).arg(tagLength);
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
