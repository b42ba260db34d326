#include "CGrill.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "GridLines.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

#include <algorithm>
#include <vector>

IMPLEMENT_SERIAL(CGrill, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kVerticalGrillType = 18;

// Far beyond any canvas, and small enough that a rectangle's far edge stays an int.
constexpr std::int64_t kLongestBar = 1 << 24;

// A client extent of bar pixels and one more.
int BarPixels(int clientBar)
{
    return int(std::min(std::int64_t(clientBar) + 1, kLongestBar));
}

} // namespace

CGrill::CGrill() = default;

CGrill::CGrill(int kind, int bar, int space, int colour) : m_kind(kind), m_bar(bar), m_space(space)
{
    m_colour.SetIndex(colour);
}

CGrill::CGrill(CCanvas *canvas, int typeCode)
    : CPrimitive(canvas), m_kind(typeCode == kVerticalGrillType ? kVertical : kHorizontal)
{
}

CGrill::CGrill(const CGrill &other)
    : CPrimitive(other), m_kind(other.m_kind), m_bar(other.m_bar), m_space(other.m_space), m_colour(other.m_colour)
{
}

CGrill::~CGrill() = default;

void CGrill::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    GridLines::TransferPatternFields(ar, m_kind, m_bar, m_space, m_colour);
}

CPrimitive *CGrill::Clone() const { return new CGrill(*this); }

bool CGrill::KnownKind() const
{
    return m_kind == kVertical || m_kind == kHorizontal;
}

int CGrill::Type() const
{
    if (!KnownKind())
        return 0;
    return m_kind == kHorizontal ? 17 : kVerticalGrillType;
}

QString CGrill::KindProblem() const
{
    return KnownKind() ? QString() : QStringLiteral("CGrill::Type: Unknown type.");
}

QString CGrill::GetTypeName() const
{
    if (!KnownKind())
        return {};
    return LoadString(m_kind == kHorizontal ? IDS_TYPE_HORIZONTAL_GRILL : IDS_TYPE_VERTICAL_GRILL);
}

QString CGrill::GetCommandText() const
{
    if (!KnownKind())
        return {};
    return QStringLiteral("%1 %2 %3 %4")
        .arg(m_kind == kHorizontal ? QLatin1String("GRIH") : QLatin1String("GRIV"), m_colour.GetCommandName())
        .arg(m_bar)
        .arg(m_space);
}

void CGrill::SetBars(int bar, int space)
{
    m_bar = bar;
    m_space = space;
}

void CGrill::VirtualAssign(const CPrimitive &other)
{
    const auto *grill = dynamic_cast<const CGrill *>(&other);
    if (!grill) {
        CPrimitive::VirtualAssign(other);
        return;
    }
    AssignBase(other);
    m_kind = grill->m_kind;
    m_bar = grill->m_bar;
    m_space = grill->m_space;
    m_colour = grill->m_colour;
}

void CGrill::SetFromCommand(CCommandReader &reader)
{
    QString colour;
    reader.NextToken(colour);
    m_colour.SetByName(colour);
    m_bar = NextLineValue(reader);
    m_space = NextLineValue(reader);
}

void CGrill::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update();
}

void CGrill::Draw(QPainter &painter, const QRect &)
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || !KnownKind())
        return;
    const int w = canvas->LargestX() + 1;
    const int h = canvas->LargestY() + 1;
    const QPoint end = canvas->ImageToClient(w, h);
    const QPoint thickness = canvas->ImageToClient(m_bar, m_bar);
    const bool horizontal = m_kind == kHorizontal;
    const QColor colour = m_colour.GetScreenColour();
    const int extent = horizontal ? canvas->height() : canvas->width();
    std::vector<bool> drawn(size_t(std::max(extent, 0)), false);
    const int last = (horizontal ? h : w) - 1;
    for (int start : GridLines::GrillBarStarts(horizontal ? h : w, m_bar, m_space, 0, last)) {
        const QPoint client = horizontal ? canvas->ImageToClient(0, start) : canvas->ImageToClient(start, 0);
        const int at = horizontal ? client.y() : client.x();
        // Each client row (column) starts one bar at most.
        if (at < 0 || at >= extent || drawn[size_t(at)])
            continue;
        drawn[size_t(at)] = true;
        if (horizontal)
            painter.fillRect(QRect(0, at, BarPixels(end.x()), BarPixels(thickness.y())), colour);
        else
            painter.fillRect(QRect(at, 0, BarPixels(thickness.x()), BarPixels(end.y())), colour);
    }
}
