#include "KindedPrimitive.h"

#include "KindTable.h"

KindedPrimitive::KindedPrimitive(const KindTable &kinds, int kind) : m_kind(kind), m_kinds(kinds) {}

KindedPrimitive::KindedPrimitive(const KindTable &kinds, CCanvas *canvas, int kind)
    : CPrimitive(canvas), m_kind(kind), m_kinds(kinds)
{
}

int KindedPrimitive::Type() const { return m_kinds.Type(m_kind); }
QString KindedPrimitive::GetTypeName() const { return m_kinds.TypeName(m_kind); }
QString KindedPrimitive::KindProblem() const { return m_kinds.Problem(m_kind); }
bool KindedPrimitive::KnownKind() const { return m_kinds.Knows(m_kind); }
QString KindedPrimitive::Mnemonic() const { return m_kinds.Mnemonic(m_kind); }
