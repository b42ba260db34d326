#include "CLine.h"

#include "Archive.h"
#include "CCommandReader.h"

#include <algorithm>

IMPLEMENT_SERIAL(CLine, CPrimitive, VERSIONABLE_SCHEMA | 1)

CLine::CLine() = default;

CLine::CLine(int x1, int y1, int x2, int y2, int colour) : m_x1(x1), m_y1(y1), m_x2(x2), m_y2(y2)
{
    m_colour.SetIndex(colour);
}

CLine::CLine(const CLine &other) : CPrimitive(other)
{
    TakeValues(other);
}

CLine::~CLine() = default;

void CLine::TakeValues(const CLine &other)
{
    m_x1 = other.m_x1;
    m_y1 = other.m_y1;
    m_x2 = other.m_x2;
    m_y2 = other.m_y2;
    m_colour = other.m_colour;
}

void CLine::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    Transfer(ar, m_x1);
    Transfer(ar, m_y1);
    Transfer(ar, m_x2);
    Transfer(ar, m_y2);
    std::int32_t colour = m_colour.GetArchiveValue();
    Transfer(ar, colour);
    if (ar.IsLoading())
        m_colour.SetArchiveValue(colour); // out of range: the colour stays
}

CPrimitive *CLine::Clone() const { return new CLine(*this); }

QString CLine::GetCommandText() const
{
    return QStringLiteral("LINE %1 %2 %3 %4 %5").arg(m_colour.GetCommandName()).arg(m_x1).arg(m_y1).arg(m_x2).arg(m_y2);
}

QString CLine::GetTypeName() const { return QStringLiteral("Line"); }

void CLine::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = QPoint(std::min(m_x1, m_x2), std::min(m_y1, m_y2));
    bottomRight = QPoint(std::max(m_x1, m_x2), std::max(m_y1, m_y2));
}

void CLine::Offset(int dx, int dy)
{
    m_x1 = Saturate(std::int64_t(m_x1) + dx);
    m_x2 = Saturate(std::int64_t(m_x2) + dx);
    m_y1 = Saturate(std::int64_t(m_y1) + dy);
    m_y2 = Saturate(std::int64_t(m_y2) + dy);
}

void CLine::Scale(double sx, double sy)
{
    m_x1 = RoundHalfUp(m_x1 * sx);
    m_x2 = RoundHalfUp(m_x2 * sx);
    m_y1 = RoundHalfUp(m_y1 * sy);
    m_y2 = RoundHalfUp(m_y2 * sy);
}

void CLine::VirtualAssign(const CPrimitive &other)
{
    const auto *line = dynamic_cast<const CLine *>(&other);
    if (!line) {
        CPrimitive::VirtualAssign(other);
        return;
    }
    AssignBase(other);
    TakeValues(*line);
}

void CLine::SetFromCommand(CCommandReader &reader)
{
    QString colour;
    reader.NextToken(colour);
    m_colour.SetByName(colour);
    m_x1 = NextLineValue(reader);
    m_y1 = NextLineValue(reader);
    m_x2 = NextLineValue(reader);
    m_y2 = NextLineValue(reader);
}
