#include "CImageOption.h"

#include "Archive.h"
#include "ResourceIds.h"
#include "StringTable.h"

IMPLEMENT_SERIAL(CImageOption, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

struct OptionKindRow {
    int type;
    const char *command;
    unsigned name;
};

const OptionKindRow kOptionKinds[] = {
    {20, "ANTI", IDS_TYPE_ANTI_ALIAS},
    {21, "NOGA", IDS_TYPE_NO_GAMMA},
    {22, "TOBL", IDS_TYPE_LEVELS_TO_BLANKING},
};

} // namespace

CImageOption::CImageOption() = default;

CImageOption::CImageOption(int kind) : m_kind(kind) {}

CImageOption::CImageOption(CCanvas *canvas, int kind)
    : CPrimitive(canvas), m_kind(kind >= kAntiAlias && kind <= kLevelsToBlanking ? kind : kAntiAlias)
{
}

CImageOption::CImageOption(const CImageOption &other) : CPrimitive(other), m_kind(other.m_kind) {}

CImageOption::~CImageOption() = default;

void CImageOption::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    Transfer(ar, m_kind);
}

CPrimitive *CImageOption::Clone() const { return new CImageOption(*this); }

bool CImageOption::KnownKind() const
{
    return m_kind >= kAntiAlias && m_kind <= kLevelsToBlanking;
}

int CImageOption::Type() const
{
    return KnownKind() ? kOptionKinds[m_kind - 1].type : 0;
}

QString CImageOption::KindProblem() const
{
    return KnownKind() ? QString() : QStringLiteral("CImageOption::Type: Unknown type.");
}

QString CImageOption::GetTypeName() const
{
    return KnownKind() ? LoadString(kOptionKinds[m_kind - 1].name) : QString();
}

QString CImageOption::GetCommandText() const
{
    return KnownKind() ? QString::fromLatin1(kOptionKinds[m_kind - 1].command) : QString();
}

void CImageOption::VirtualAssign(const CPrimitive &other)
{
    const auto *option = dynamic_cast<const CImageOption *>(&other);
    if (!option) {
        CPrimitive::VirtualAssign(other);
        return;
    }
    AssignBase(other);
    m_kind = option->m_kind;
}
