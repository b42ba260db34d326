#include "PrimitiveLineReader.h"

#include "CCommandReader.h"
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

#include <cstring>

namespace {

struct LineRow {
    const char *mnemonic;
    CPrimitive *(*make)(); // null: the end of an image, no primitive
};

template <class T>
CPrimitive *Make()
{
    return new T;
}

// A class whose kind the mnemonic gives.
template <class T, int kind>
CPrimitive *MakeKind()
{
    auto *primitive = new T;
    primitive->SetKind(kind);
    return primitive;
}

const LineRow kLineRows[] = {
    {"RECT", &Make<CRectangle>},
    {"OVAL", &Make<COval>},
    {"LINE", &Make<CLine>},
    {"ADOT", &Make<CDot>},
    {"ANTI", &MakeKind<CImageOption, CImageOption::kAntiAlias>},
    {"NOGA", &MakeKind<CImageOption, CImageOption::kNoGamma>},
    {"TOBL", &MakeKind<CImageOption, CImageOption::kLevelsToBlanking>},
    {"GRID", &MakeKind<CGrid, CGrid::kCentred>},
    {"HATI", &MakeKind<CGrid, CGrid::kInsideOut>},
    {"HATO", &MakeKind<CGrid, CGrid::kOutsideIn>},
    {"GRIH", &MakeKind<CGrill, CGrill::kHorizontal>},
    {"GRIV", &MakeKind<CGrill, CGrill::kVertical>},
    {"CENT", &MakeKind<CMarker, CMarker::kCentreMark>},
    {"CROS", &MakeKind<CMarker, CMarker::kCentredCross>},
    {"LIMI", &MakeKind<CMarker, CMarker::kLimitMarkers>},
    {"TRIA", &Make<CTriangle>},
    {"TEXT", &Make<CText>},
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
