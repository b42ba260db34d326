#include "PrimitiveTypes.h"

#include "CBlockCopy.h"
#include "CCharacterBox.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGrill.h"
#include "CGroup.h"
#include "CImageOption.h"
#include "CInformationBox.h"
#include "CLine.h"
#include "CMarker.h"
#include "COval.h"
#include "CRectangle.h"
#include "CText.h"
#include "CTriangle.h"

#include <array>

namespace {

using Maker = std::unique_ptr<CPrimitive> (*)(CCanvas *);

template <class T>
std::unique_ptr<CPrimitive> Make(CCanvas *canvas)
{
    return std::make_unique<T>(canvas);
}

// A class whose constructor on a canvas takes a sub-kind.
template <class T, int kind>
std::unique_ptr<CPrimitive> MakeKind(CCanvas *canvas)
{
    return std::make_unique<T>(canvas, kind);
}

struct TypeRow {
    int type;
    Maker make;
};

const std::array<TypeRow, 23> kTypeRows{{
    {0, &Make<CDot>},
    {2, &Make<CLine>},
    {3, &Make<CTriangle>},
    {4, &Make<CRectangle>},
    {5, &Make<COval>},
    {6, &MakeKind<CInformationBox, CInformationBox::kFormatBox>},
    {7, &MakeKind<CInformationBox, CInformationBox::kStepBox>},
    {8, &MakeKind<CInformationBox, CInformationBox::kInfoBox>},
    {9, &Make<CCharacterBox>},
    {10, &Make<CText>},
    {11, &MakeKind<CGrid, 1>},
    {12, &MakeKind<CGrid, 2>},
    {13, &MakeKind<CGrid, 3>},
    {14, &MakeKind<CMarker, 1>},
    {15, &MakeKind<CMarker, 2>},
    {16, &MakeKind<CMarker, 3>},
    // The grill's constructor takes the type code itself.
    {17, &MakeKind<CGrill, 17>},
    {18, &MakeKind<CGrill, 18>},
    {20, &MakeKind<CImageOption, 1>},
    {21, &MakeKind<CImageOption, 2>},
    {22, &MakeKind<CImageOption, 3>},
    {25, &Make<CBlockCopy>},
    // 1, 23 and 24 create nothing; 19, the group, only Group makes.
    {-1, nullptr},
}};

std::function<std::unique_ptr<CPrimitive>(CCanvas *)> &GroupMaker()
{
    static std::function<std::unique_ptr<CPrimitive>(CCanvas *)> maker = &Make<CGroup>;
    return maker;
}

} // namespace

std::unique_ptr<CPrimitive> MakePrimitive(int type, CCanvas *canvas)
{
    for (const TypeRow &row : kTypeRows) {
        if (row.type == type && row.make)
            return row.make(canvas);
    }
    return nullptr;
}

std::unique_ptr<CPrimitive> MakeGroup(CCanvas *canvas)
{
    return GroupMaker()(canvas);
}

void SetGroupMaker(std::function<std::unique_ptr<CPrimitive>(CCanvas *)> maker)
{
    if (maker)
        GroupMaker() = std::move(maker);
    else
        GroupMaker() = &Make<CGroup>;
}
