#include "CGrid.h"

#include "CCanvas.h"
#include "GridLines.h"
#include "KindTable.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

IMPLEMENT_SERIAL(CGrid, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

const KindRow kGridRows[] = {
    {CGrid::kCentred, 11, "GRID", IDS_TYPE_CENTRED_GRID},
    {CGrid::kInsideOut, 12, "HATI", IDS_TYPE_HATCH_INSIDE_OUT},
    {CGrid::kOutsideIn, 13, "HATO", IDS_TYPE_HATCH_OUTSIDE_IN},
};
constexpr KindTable kGridKinds("CGrid::Type: Unknown type.", kGridRows);

} // namespace

CGrid::CGrid() : CGrid(kCentred, 10, 10) {}

CGrid::CGrid(int kind, int h, int v, int colour) : PrimitiveKind(kGridKinds, kind, h, v, colour) {}

CGrid::CGrid(CCanvas *canvas, int kind)
    : PrimitiveKind(kGridKinds, canvas, kGridKinds.Knows(kind) ? kind : kCentred, 3, 3)
{
}

CGrid::CGrid(const CGrid &other) : PrimitiveKind(other) {}

CGrid::~CGrid() = default;

void CGrid::SetBoxes(int h, int v)
{
    m_first = h;
    m_second = v;
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
        columns = GridLines::CentredGridLines(w, m_first, 0, w - 1);
        rows = GridLines::CentredGridLines(h, m_second, 0, h - 1);
    } else {
        const bool insideOut = m_kind == kInsideOut;
        columns = GridLines::HatchLines(w, m_first, insideOut, false, 0, w - 1);
        rows = GridLines::HatchLines(h, m_second, insideOut, true, 0, h - 1);
    }
    // Lines with both end pixels.
    const QColor colour = m_colour.GetScreenColour();
    const QPoint corner = canvas->ImageToClient(canvas->LargestX(), canvas->LargestY());
    for (int x : ClientLines(*canvas, columns, true))
        painter.fillRect(QRect(x, 0, 1, corner.y() + 1), colour);
    for (int y : ClientLines(*canvas, rows, false))
        painter.fillRect(QRect(0, y, corner.x() + 1, 1), colour);
}

CPropertiesDlg *CGrid::OpenProperties(QWidget *parent)
{
    const bool hatch = m_kind != kCentred;
    return OpenPropertyDialog(parent, IDD_GRID_PROPERTIES, hatch ? LoadString(IDS_HATCH_PROPERTIES) : QString());
}
