#include "PrimitiveLineReader.h"

#include "CBlockCopy.h"
#include "CCharacterBox.h"
#include "CCommandReader.h"
#include "CDot.h"
#include "CGrid.h"
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
#include "ImageLines.h"

#include <cstring>

namespace {

struct LineRow {
    const char *mnemonic;
    CPrimitive *(*make)(); // null: the end of an image, no primitive
};

template <class T>
CPrimitive *MakeForLine()
{
    return new T;
}

// A class whose kind the mnemonic gives.
template <class T, int kind>
CPrimitive *MakeKindForLine()
{
    auto *primitive = new T;
    primitive->SetKind(kind);
    return primitive;
}

const LineRow kLineRows[] = {
    {"RECT", &MakeForLine<CRectangle>},
    {"OVAL", &MakeForLine<COval>},
    {"LINE", &MakeForLine<CLine>},
    {"ADOT", &MakeForLine<CDot>},
    {"ANTI", &MakeKindForLine<CImageOption, CImageOption::kAntiAlias>},
    {"NOGA", &MakeKindForLine<CImageOption, CImageOption::kNoGamma>},
    {"TOBL", &MakeKindForLine<CImageOption, CImageOption::kLevelsToBlanking>},
    {"GRID", &MakeKindForLine<CGrid, CGrid::kCentred>},
    {"HATI", &MakeKindForLine<CGrid, CGrid::kInsideOut>},
    {"HATO", &MakeKindForLine<CGrid, CGrid::kOutsideIn>},
    {"GRIH", &MakeKindForLine<CGrill, CGrill::kHorizontal>},
    {"GRIV", &MakeKindForLine<CGrill, CGrill::kVertical>},
    {"CENT", &MakeKindForLine<CMarker, CMarker::kCentreMark>},
    {"CROS", &MakeKindForLine<CMarker, CMarker::kCentredCross>},
    {"LIMI", &MakeKindForLine<CMarker, CMarker::kLimitMarkers>},
    {"TRIA", &MakeForLine<CTriangle>},
    {"TEXT", &MakeForLine<CText>},
    {"FORM", &MakeKindForLine<CInformationBox, CInformationBox::kFormatBox>},
    {"SNUM", &MakeKindForLine<CInformationBox, CInformationBox::kStepBox>},
    {"TBOX", &MakeKindForLine<CInformationBox, CInformationBox::kInfoBox>},
    {"MMAP", &MakeForLine<CBlockCopy>},
    {"PAGE", &MakeForLine<CCharacterBox>},
    {"IMGE", nullptr},
    {"IMGA", nullptr},
};

} // namespace

bool ParsePrimitiveLine(CCommandReader &reader, std::unique_ptr<CPrimitive> &result)
{
    result.reset();
    const char *mnemonic = CCommandReader::MnemonicText(reader.NextMnemonic());
    if (!mnemonic)
        return false;
    for (const LineRow &row : kLineRows) {
        if (std::strcmp(row.mnemonic, mnemonic) != 0)
            continue;
        if (row.make) {
            result.reset(row.make());
            result->SetFromCommand(reader);
        }
        return true;
    }
    return false;
}

void TakePrimitiveLine(CCommandReader &reader, const QString &line,
                       std::vector<std::unique_ptr<CPrimitive>> &primitives, QStringList &leftOut)
{
    std::unique_ptr<CPrimitive> primitive;
    const bool known = ParsePrimitiveLine(reader, primitive);
    if (primitive)
        primitives.push_back(std::move(primitive));
    else if (!known && !IsImageBlockCommand(line))
        leftOut.append(line);
}
