#include "PrimitiveTypes.h"

#include "CLine.h"
#include "COval.h"
#include "CRectangle.h"

#include <array>

namespace {

using Maker = std::unique_ptr<CPrimitive> (*)(CCanvas *);

template <class T>
std::unique_ptr<CPrimitive> Make(CCanvas *canvas)
{
    return std::make_unique<T>(canvas);
}

struct TypeRow {
    int type;
    Maker make;
};

const std::array<TypeRow, 3> kTypeRows{{
    {2, &Make<CLine>},
    {4, &Make<CRectangle>},
    {5, &Make<COval>},
}};

std::function<std::unique_ptr<CPrimitive>(CCanvas *)> &GroupMaker()
{
    static std::function<std::unique_ptr<CPrimitive>(CCanvas *)> maker;
    return maker;
}

} // namespace

std::unique_ptr<CPrimitive> MakePrimitive(int type, CCanvas *canvas)
{
    for (const TypeRow &row : kTypeRows) {
        if (row.type == type)
            return row.make(canvas);
    }
    return nullptr;
}

std::unique_ptr<CPrimitive> MakeGroup(CCanvas *canvas)
{
    return GroupMaker() ? GroupMaker()(canvas) : nullptr;
}

void SetGroupMaker(std::function<std::unique_ptr<CPrimitive>(CCanvas *)> maker)
{
    GroupMaker() = std::move(maker);
}
