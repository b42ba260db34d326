#include "CGrill.h"

#include "CCanvas.h"
#include "GridLines.h"
#include "KindTable.h"
#include "ResourceIds.h"

#include <QPainter>

#include <algorithm>

IMPLEMENT_SERIAL(CGrill, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kVerticalGrillType = 18;

const KindRow kGrillRows[] = {
    {CGrill::kHorizontal, 17, "GRIH", IDS_TYPE_HORIZONTAL_GRILL},
    {CGrill::kVertical, kVerticalGrillType, "GRIV", IDS_TYPE_VERTICAL_GRILL},
};
constexpr KindTable kGrillKinds("CGrill::Type: Unknown type.", kGrillRows);

// Far beyond any canvas, and small enough that a rectangle's far edge stays an int.
constexpr std::int64_t kLongestBar = 1 << 24;

// A client extent of bar pixels and one more.
int BarPixels(int clientBar)
{
    return int(std::min(std::int64_t(clientBar) + 1, kLongestBar));
}

} // namespace

CGrill::CGrill() : CGrill(kHorizontal, 10, 40) {}

CGrill::CGrill(int kind, int bar, int space, int colour) : PrimitiveKind(kGrillKinds, kind, bar, space, colour) {}

CGrill::CGrill(CCanvas *canvas, int typeCode)
    : PrimitiveKind(kGrillKinds, canvas, typeCode == kVerticalGrillType ? kVertical : kHorizontal, 10, 40)
{
}

CGrill::CGrill(const CGrill &other) : PrimitiveKind(other) {}

CGrill::~CGrill() = default;

void CGrill::SetBars(int bar, int space)
{
    m_first = bar;
    m_second = space;
}

void CGrill::Draw(QPainter &painter, const QRect &)
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || !KnownKind())
        return;
    const int w = canvas->LargestX() + 1;
    const int h = canvas->LargestY() + 1;
    const QPoint end = canvas->ImageToClient(w, h);
    const QPoint thickness = canvas->ImageToClient(m_first, m_first);
    const bool horizontal = m_kind == kHorizontal;
    const QColor colour = m_colour.GetScreenColour();
    const int last = (horizontal ? h : w) - 1;
    const std::vector<int> starts = GridLines::GrillBarStarts(horizontal ? h : w, m_first, m_second, 0, last);
    // Each client row (column) starts one bar at most.
    for (int at : ClientLines(*canvas, starts, !horizontal)) {
        if (horizontal)
            painter.fillRect(QRect(0, at, BarPixels(end.x()), BarPixels(thickness.y())), colour);
        else
            painter.fillRect(QRect(at, 0, BarPixels(thickness.x()), BarPixels(end.y())), colour);
    }
}

CPropertiesDlg *CGrill::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_GRILL_PROPERTIES);
}
