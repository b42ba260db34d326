#include "CGrid.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "GridLines.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

#include <vector>

IMPLEMENT_SERIAL(CGrid, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

struct GridKindRow {
    int type;
    const char *mnemonic;
    unsigned name;
};

const GridKindRow kGridKinds[] = {
    {11, "GRID", IDS_TYPE_CENTRED_GRID},
    {12, "HATI", IDS_TYPE_HATCH_INSIDE_OUT},
    {13, "HATO", IDS_TYPE_HATCH_OUTSIDE_IN},
};

// Lines at image positions, each client column (row) once: a grid of more
// lines than the canvas has pixels draws no more than it can show.
void DrawGridLines(QPainter &painter, const CCanvas &canvas, const std::vector<int> &positions, bool vertical,
                   const QColor &colour)
{
    const QPoint corner = canvas.ImageToClient(canvas.LargestX(), canvas.LargestY());
    const int extent = vertical ? canvas.width() : canvas.height();
    std::vector<bool> drawn(size_t(std::max(extent, 0)), false);
    for (int position : positions) {
        const QPoint client = vertical ? canvas.ImageToClient(position, 0) : canvas.ImageToClient(0, position);
        const int at = vertical ? client.x() : client.y();
        if (at < 0 || at >= extent || drawn[size_t(at)])
            continue;
        drawn[size_t(at)] = true;
        // Both end pixels included.
        if (vertical)
            painter.fillRect(QRect(at, 0, 1, corner.y() + 1), colour);
        else
            painter.fillRect(QRect(0, at, corner.x() + 1, 1), colour);
    }
}

} // namespace

CGrid::CGrid() = default;

CGrid::CGrid(int kind, int h, int v, int colour) : m_kind(kind), m_h(h), m_v(v)
{
    m_colour.SetIndex(colour);
}

CGrid::CGrid(CCanvas *canvas, int kind)
    : CPrimitive(canvas), m_kind(kind >= kCentred && kind <= kOutsideIn ? kind : kCentred), m_h(3), m_v(3)
{
}

CGrid::CGrid(const CGrid &other)
    : CPrimitive(other), m_kind(other.m_kind), m_h(other.m_h), m_v(other.m_v), m_colour(other.m_colour)
{
}

CGrid::~CGrid() = default;

void CGrid::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    GridLines::TransferPatternFields(ar, m_kind, m_h, m_v, m_colour);
}

CPrimitive *CGrid::Clone() const { return new CGrid(*this); }

bool CGrid::KnownKind() const
{
    return m_kind >= kCentred && m_kind <= kOutsideIn;
}

int CGrid::Type() const
{
    return KnownKind() ? kGridKinds[m_kind - 1].type : 0;
}

QString CGrid::KindProblem() const
{
    return KnownKind() ? QString() : QStringLiteral("CGrid::Type: Unknown type.");
}

QString CGrid::GetTypeName() const
{
    return KnownKind() ? LoadString(kGridKinds[m_kind - 1].name) : QString();
}

QString CGrid::GetCommandText() const
{
    if (!KnownKind())
        return {};
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QLatin1String(kGridKinds[m_kind - 1].mnemonic), m_colour.GetCommandName())
        .arg(m_h)
        .arg(m_v);
}

void CGrid::SetBoxes(int h, int v)
{
    m_h = h;
    m_v = v;
}

void CGrid::VirtualAssign(const CPrimitive &other)
{
    const auto *grid = dynamic_cast<const CGrid *>(&other);
    if (!grid) {
        CPrimitive::VirtualAssign(other);
        return;
    }
    AssignBase(other);
    m_kind = grid->m_kind;
    m_h = grid->m_h;
    m_v = grid->m_v;
    m_colour = grid->m_colour;
}

void CGrid::SetFromCommand(CCommandReader &reader)
{
    QString colour;
    reader.NextToken(colour);
    m_colour.SetByName(colour);
    m_h = NextLineValue(reader);
    m_v = NextLineValue(reader);
}

void CGrid::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update();
}

void CGrid::Draw(QPainter &painter, const QRect &)
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || !KnownKind())
        return;
    const int w = canvas->LargestX() + 1;
    const int h = canvas->LargestY() + 1;
    std::vector<int> columns;
    std::vector<int> rows;
    if (m_kind == kCentred) {
        columns = GridLines::CentredGridLines(w, m_h, 0, w - 1);
        rows = GridLines::CentredGridLines(h, m_v, 0, h - 1);
    } else {
        const bool insideOut = m_kind == kInsideOut;
        columns = GridLines::HatchLines(w, m_h, insideOut, false, 0, w - 1);
        rows = GridLines::HatchLines(h, m_v, insideOut, true, 0, h - 1);
    }
    const QColor colour = m_colour.GetScreenColour();
    DrawGridLines(painter, *canvas, columns, true, colour);
    DrawGridLines(painter, *canvas, rows, false, colour);
}
