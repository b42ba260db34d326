#include "CLine.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

IMPLEMENT_SERIAL(CLine, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

// Half the width of the band a click on a line hits, in image pixels.
constexpr double kBandHalfWidth = 5.0;

QPoint IntegerMidpoint(const QPoint &a, const QPoint &b)
{
    return QPoint((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
}

QPoint SaturatedSum(const QPoint &a, const QPoint &b)
{
    return QPoint(CPrimitive::Saturate(std::int64_t(a.x()) + b.x()), CPrimitive::Saturate(std::int64_t(a.y()) + b.y()));
}

} // namespace

CLine::CLine() = default;

CLine::CLine(int x1, int y1, int x2, int y2, int colour) : m_x1(x1), m_y1(y1), m_x2(x2), m_y2(y2)
{
    m_colour.SetIndex(colour);
}

CLine::CLine(CCanvas *canvas) : PlacedKind(canvas)
{
    SetEnds(NewBoxStart(*canvas), NewBoxEnd(*canvas));
    CreateHandles();
}

CLine::CLine(const CLine &other) = default;

CLine::~CLine() = default;

void CLine::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CLine::GetCommandText() const
{
    QPoint p1 = P1();
    QPoint p2 = P2();
    if (IsTracking() && HandleCount() == 3) {
        p1 = HandleImagePoint(1);
        p2 = HandleImagePoint(2);
    }
    return QStringLiteral("LINE %1 %2 %3 %4 %5").arg(m_colour.GetCommandName()).arg(p1.x()).arg(p1.y()).arg(p2.x()).arg(p2.y());
}

QString CLine::GetTypeName() const { return LoadString(IDS_TYPE_LINE); }

void CLine::SetEnds(const QPoint &p1, const QPoint &p2)
{
    m_x1 = p1.x();
    m_y1 = p1.y();
    m_x2 = p2.x();
    m_y2 = p2.y();
}

void CLine::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = QPoint(std::min(m_x1, m_x2), std::min(m_y1, m_y2));
    bottomRight = QPoint(std::max(m_x1, m_x2), std::max(m_y1, m_y2));
}

void CLine::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    m_x1 = NextLineValue(reader);
    m_y1 = NextLineValue(reader);
    m_x2 = NextLineValue(reader);
    m_y2 = NextLineValue(reader);
}

// --- On the canvas ----------------------------------------------------------------------

QPoint CLine::ImageMidpoint() const
{
    return QPoint(RoundHalfUp((double(m_x1) + m_x2) / 2.0), RoundHalfUp((double(m_y1) + m_y2) / 2.0));
}

void CLine::CreateHandles()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || HandleCount() != 0)
        return;
    const QPoint p = canvas->ImageToClient(P1());
    const QPoint q = canvas->ImageToClient(P2());
    AddHandle(p, IDC_CURSOR_POINT, false);
    AddHandle(q, IDC_CURSOR_POINT, false);
    AddHandle(IntegerMidpoint(p, q), IDC_CURSOR_MOVE, false);
}

void CLine::PlaceHandles()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || HandleCount() != 3)
        return;
    MoveHandle(1, canvas->ImageToClient(P1()));
    MoveHandle(2, canvas->ImageToClient(P2()));
    MoveHandle(3, canvas->ImageToClient(ImageMidpoint()));
}

QPolygon CLine::GetHitPolygon() const
{
    CCanvas *canvas = GetCanvas();
    const double dx = double(m_x2) - m_x1;
    const double dy = double(m_y2) - m_y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!canvas || std::trunc(length) == 0)
        return {};
    const double a = kBandHalfWidth * dy / length;
    const double b = -kBandHalfWidth * dx / length;
    const auto corner = [canvas](double x, double y) { return canvas->ImageToClient(RoundHalfUp(x), RoundHalfUp(y)); };
    return QPolygon({corner(m_x2 - a, m_y2 - b), corner(m_x1 - a, m_y1 - b), corner(m_x1 + a, m_y1 + b),
                     corner(m_x2 + a, m_y2 + b)});
}

QRegion CLine::Band() const
{
    const QPolygon polygon = GetHitPolygon();
    return polygon.isEmpty() ? QRegion() : QRegion(polygon, Qt::OddEvenFill);
}

QRegion CLine::Covered() const
{
    QRegion covered = Band();
    CCanvas *canvas = GetCanvas();
    if (covered.isEmpty() || !canvas)
        return {};
    // The band's edges may leave out an end pixel, which the line includes.
    for (const QPoint &end : {canvas->ImageToClient(P1()), canvas->ImageToClient(P2())})
        covered += QRect(end, QSize(1, 1));
    return covered;
}

bool CLine::HitTest(const QPoint &client) const
{
    return Band().contains(client);
}

bool CLine::IntersectsRect(const QRect &client) const
{
    return Covered().intersects(client);
}

void CLine::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update(Covered());
}

void CLine::Paint(QPainter &painter, const QRect &)
{
    DrawLinePixels(painter, ToClient(P1()), ToClient(P2()), m_colour.GetScreenColour());
}

// --- Dragging -----------------------------------------------------------------------------

void CLine::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->SetDragFeedback({{FeedbackShape::Line, HandlePoint(1), HandlePoint(2), m_colour.GetScreenColour()}});
}

bool CLine::MoveMode(int index) const
{
    CCanvas *canvas = GetCanvas();
    return (canvas && canvas->MoveWhole()) || index == 3;
}

bool CLine::BeginTrack(int index)
{
    return BeginDrag(3, [this, index] {
        m_dragStart1 = P1();
        m_dragStart2 = P2();
        m_dragStartClient = HandlePoint(index);
    });
}

bool CLine::Track(int index, QPoint &, bool)
{
    if (!GetCanvas())
        return false;
    if (MoveMode(index)) {
        FollowStep(index, 3);
        SetEnds(HandleImagePoint(1), HandleImagePoint(2));
    } else {
        MoveHandle(3, IntegerMidpoint(HandlePoint(1), HandlePoint(2)));
    }
    return ShowDragStep();
}

void CLine::EndTrack(int index, bool moved)
{
    EndDrag(moved, [this, index](CCanvas &canvas) {
        if (MoveMode(index)) {
            // Every point moves by the dragged point's way from where the
            // drag began, so the line lands exactly under the handle.
            const QPoint image = DropWholePoint(index);
            const QPoint from = index == 1 ? m_dragStart1 : index == 2 ? m_dragStart2 : ToImage(m_dragStartClient);
            const QPoint delta = image - from;
            SetEnds(index == 1 ? image : SaturatedSum(m_dragStart1, delta),
                    index == 2 ? image : SaturatedSum(m_dragStart2, delta));
            return;
        }
        QPoint image = DropPoint(index);
        canvas.ClampToImage(image);
        SetEnds(index == 1 ? image : P1(), index == 2 ? image : P2());
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CLine::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_LINE_PROPERTIES);
}

void CLine::UpdateProperties()
{
    const bool dragged = IsTracking() && HandleCount() == 3;
    ShowInDialog([this, dragged](CPropertiesDlg &dialog) {
        dialog.SetPoint(0, dragged ? HandleImagePoint(1) : P1());
        dialog.SetPoint(1, dragged ? HandleImagePoint(2) : P2());
    });
}

void CLine::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        SetEnds(dialog.GetPoint(0), dialog.GetPoint(1));
        PlaceHandles();
    });
}
