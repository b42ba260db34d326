#include "CRectangle.h"

#include "Archive.h"
#include "CCommandReader.h"

#include <cstdlib>

IMPLEMENT_SERIAL(CRectangle, CPrimitive, VERSIONABLE_SCHEMA | 1)

CRectangle::CRectangle() = default;

CRectangle::CRectangle(int x1, int y1, int x2, int y2, int colour, int pattern)
    : CRectangle(false, x1, y1, x2, y2, colour, pattern)
{
}

CRectangle::CRectangle(bool oval, int x1, int y1, int x2, int y2, int colour, int pattern)
    : m_x1(x1), m_y1(y1), m_x2(x2), m_y2(y2), m_oval(oval ? 1 : 0)
{
    m_colour.SetIndex(colour);
    m_pattern.SetIndex(pattern);
}

CRectangle::CRectangle(const CRectangle &other) : CPrimitive(other), m_oval(other.m_oval)
{
    TakeValues(other);
}

CRectangle::~CRectangle() = default;

void CRectangle::TakeValues(const CRectangle &other)
{
    m_x1 = other.m_x1;
    m_y1 = other.m_y1;
    m_x2 = other.m_x2;
    m_y2 = other.m_y2;
    m_colour = other.m_colour;
    m_pattern = other.m_pattern;
}

void CRectangle::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    Transfer(ar, m_x1);
    Transfer(ar, m_y1);
    Transfer(ar, m_x2);
    Transfer(ar, m_y2);
    std::int32_t colour = m_colour.GetArchiveValue();
    std::int32_t pattern = m_pattern.GetArchiveValue();
    std::int32_t oval = m_oval;
    Transfer(ar, colour);
    Transfer(ar, pattern);
    Transfer(ar, oval);
    if (ar.IsLoading()) {
        // Out of range: the value stays. The flag is the class's own.
        m_colour.SetArchiveValue(colour);
        m_pattern.SetArchiveValue(pattern);
    }
}

CPrimitive *CRectangle::Clone() const { return new CRectangle(*this); }

int CRectangle::Type() const { return IsOval() ? 5 : 4; }

QString CRectangle::GetTypeName() const
{
    return IsOval() ? QStringLiteral("Oval") : QStringLiteral("Rectangle");
}

std::int64_t CRectangle::SizeShrink() const
{
    return IsOval() && !IsFilled() ? 1 : 0;
}

QString CRectangle::GetCommandText() const
{
    const std::int64_t w = std::llabs(std::int64_t(m_x1) - m_x2) + 1 - SizeShrink();
    const std::int64_t h = std::llabs(std::int64_t(m_y1) - m_y2) + 1 - SizeShrink();
    return QStringLiteral("%1 %2  %3 %4  %5 %6  %7")
        .arg(IsOval() ? QLatin1String("OVAL") : QLatin1String("RECT"), m_colour.GetCommandName())
        .arg(w)
        .arg(h)
        .arg(m_x1)
        .arg(m_y1)
        .arg(m_pattern.GetText());
}

void CRectangle::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = TopLeft();
    bottomRight = BottomRight();
}

void CRectangle::Offset(int dx, int dy)
{
    m_x1 = Saturate(std::int64_t(m_x1) + dx);
    m_x2 = Saturate(std::int64_t(m_x2) + dx);
    m_y1 = Saturate(std::int64_t(m_y1) + dy);
    m_y2 = Saturate(std::int64_t(m_y2) + dy);
}

void CRectangle::Scale(double sx, double sy)
{
    m_x1 = RoundHalfUp(m_x1 * sx);
    m_x2 = RoundHalfUp(m_x2 * sx);
    m_y1 = RoundHalfUp(m_y1 * sy);
    m_y2 = RoundHalfUp(m_y2 * sy);
}

void CRectangle::VirtualAssign(const CPrimitive &other)
{
    const auto *box = dynamic_cast<const CRectangle *>(&other);
    if (!box) {
        CPrimitive::VirtualAssign(other);
        return;
    }
    AssignBase(other);
    TakeValues(*box);
}

void CRectangle::SetFromCommand(CCommandReader &reader)
{
    QString name;
    reader.NextToken(name);
    m_colour.SetByName(name);
    const int w = NextLineValue(reader);
    const int h = NextLineValue(reader);
    const int x = NextLineValue(reader);
    const int y = NextLineValue(reader);
    name.clear();
    reader.NextToken(name);
    m_pattern.SetByName(name);
    // An unfilled oval's line holds its size less one (see GetCommandText):
    // the pixel comes back here, so a round trip keeps the box.
    const std::int64_t grow = SizeShrink();
    m_x1 = x;
    m_y1 = y;
    m_x2 = Saturate(std::int64_t(x) + w - 1 + grow);
    m_y2 = Saturate(std::int64_t(y) + h - 1 + grow);
}
