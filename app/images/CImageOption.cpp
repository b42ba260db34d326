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

CImageOption::CImageOption() = default;

CImageOption::CImageOption(int kind) : m_kind(kind) {}

CImageOption::CImageOption(CCanvas *canvas, int kind)
    : PrimitiveKind(canvas), m_kind(kOptionKinds.Knows(kind) ? kind : kAntiAlias)
{
}

CImageOption::CImageOption(const CImageOption &other) : PrimitiveKind(other), m_kind(other.m_kind) {}

CImageOption::~CImageOption() = default;

void CImageOption::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    Transfer(ar, m_kind);
}

int CImageOption::Type() const { return kOptionKinds.Type(m_kind); }
QString CImageOption::GetTypeName() const { return kOptionKinds.TypeName(m_kind); }
QString CImageOption::KindProblem() const { return kOptionKinds.Problem(m_kind); }
// The mnemonic is the whole line.
QString CImageOption::GetCommandText() const { return kOptionKinds.Mnemonic(m_kind); }
