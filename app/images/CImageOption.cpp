#include "CImageOption.h"

#include "Archive.h"
#include "KindTable.h"
#include "ResourceIds.h"

IMPLEMENT_SERIAL(CImageOption, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

const KindRow kOptionRows[] = {
    {CImageOption::kAntiAlias, 20, "ANTI", IDS_TYPE_ANTI_ALIAS},
    {CImageOption::kNoGamma, 21, "NOGA", IDS_TYPE_NO_GAMMA},
    {CImageOption::kLevelsToBlanking, 22, "TOBL", IDS_TYPE_LEVELS_TO_BLANKING},
};
constexpr KindTable kOptionKinds("CImageOption::Type: Unknown type.", kOptionRows);

} // namespace

CImageOption::CImageOption() : CImageOption(kAntiAlias) {}

CImageOption::CImageOption(int kind) : PrimitiveKind(kOptionKinds, kind) {}

CImageOption::CImageOption(CCanvas *canvas, int kind)
    : PrimitiveKind(kOptionKinds, canvas, kOptionKinds.Knows(kind) ? kind : kAntiAlias)
{
}

CImageOption::CImageOption(const CImageOption &other) = default;

CImageOption::~CImageOption() = default;

void CImageOption::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}
