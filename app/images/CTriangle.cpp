#include "CTriangle.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

#include <algorithm>

IMPLEMENT_SERIAL(CTriangle, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

// How far around its corners a triangle's repaint reaches: the handles' half size.
constexpr int kTriangleReach = 3;

// The corners of each edge handle (5: 1-2, 6: 2-3, 7: 1-3), from 0.
struct Edge {
    int a;
    int b;
};
constexpr Edge kEdges[3] = {{0, 1}, {1, 2}, {0, 2}};

QPoint SaturatedPlus(const QPoint &a, const QPoint &b)
{
    return QPoint(CPrimitive::Saturate(std::int64_t(a.x()) + b.x()), CPrimitive::Saturate(std::int64_t(a.y()) + b.y()));
}

} // namespace

CTriangle::CTriangle() = default;

CTriangle::CTriangle(const QPoint &a, const QPoint &b, const QPoint &c, int colour, int pattern)
    : m_corners{a, b, c}
{
    m_colour.SetIndex(colour);
    m_pattern.SetIndex(pattern);
}

CTriangle::CTriangle(CCanvas *canvas) : PlacedKind(canvas)
{
    const int cx = (canvas->LargestX() + 1) / 2;
    const int cy = (canvas->LargestY() + 1) / 2;
    m_corners = {QPoint(cx, RoundHalfUp(0.8 * cy)), QPoint(RoundHalfUp(0.8 * cx), RoundHalfUp(1.2 * cy)),
                 QPoint(RoundHalfUp(1.2 * cx), RoundHalfUp(1.2 * cy))};
    CreateHandles();
}

CTriangle::CTriangle(const CTriangle &other) = default;

CTriangle::~CTriangle() = default;

QPoint CTriangle::Centroid(const QPoint &a, const QPoint &b, const QPoint &c)
{
    constexpr double kThird = 0.3333333333333333;
    return QPoint(RoundHalfUp((double(a.x()) + b.x() + c.x()) * kThird),
                  RoundHalfUp((double(a.y()) + b.y() + c.y()) * kThird));
}

QPoint CTriangle::Midpoint(const QPoint &a, const QPoint &b)
{
    return QPoint(RoundHalfUp((double(a.x()) + b.x()) * 0.5), RoundHalfUp((double(a.y()) + b.y()) * 0.5));
}

void CTriangle::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CTriangle::GetTypeName() const { return LoadString(IDS_TYPE_TRIANGLE); }

QString CTriangle::GetCommandText() const
{
    std::array<QPoint, 3> p = m_corners;
    if (IsTracking() && HandleCount() == kHandles)
        p = {HandleImagePoint(1), HandleImagePoint(2), HandleImagePoint(3)};
    return QStringLiteral("TRIA %1  %2 %3  %4 %5  %6 %7  %8")
        .arg(m_colour.GetCommandName())
        .arg(p[0].x())
        .arg(p[0].y())
        .arg(p[1].x())
        .arg(p[1].y())
        .arg(p[2].x())
        .arg(p[2].y())
        .arg(m_pattern.GetText());
}

void CTriangle::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = bottomRight = m_corners[0];
    for (const QPoint &c : m_corners) {
        topLeft = QPoint(std::min(topLeft.x(), c.x()), std::min(topLeft.y(), c.y()));
        bottomRight = QPoint(std::max(bottomRight.x(), c.x()), std::max(bottomRight.y(), c.y()));
    }
}

void CTriangle::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    for (QPoint &c : m_corners) {
        const int x = NextLineValue(reader);
        const int y = NextLineValue(reader);
        c = QPoint(x, y);
    }
    m_pattern.SetByName(NextWord(reader));
}

// --- On the canvas ----------------------------------------------------------------------

void CTriangle::UpdateClientPoints()
{
    CCanvas *canvas = GetCanvas();
    for (size_t i = 0; i < 3; ++i)
        m_clientCorners[i] = canvas ? canvas->ImageToClient(m_corners[i]) : m_corners[i];
}

QPolygon CTriangle::ClientPolygon() const
{
    if (IsTracking() && HandleCount() == kHandles)
        return QPolygon({HandlePoint(1), HandlePoint(2), HandlePoint(3)});
    CCanvas *canvas = GetCanvas();
    QPolygon polygon;
    for (const QPoint &c : m_corners)
        polygon << (canvas ? canvas->ImageToClient(c) : c);
    return polygon;
}

QRegion CTriangle::Region() const
{
    return QRegion(ClientPolygon(), Qt::OddEvenFill);
}

void CTriangle::PlaceDerivedHandles()
{
    const QPoint a = HandlePoint(1);
    const QPoint b = HandlePoint(2);
    const QPoint c = HandlePoint(3);
    MoveHandle(kCentroidHandle, Centroid(a, b, c));
    MoveHandle(5, Midpoint(a, b));
    MoveHandle(6, Midpoint(b, c));
    MoveHandle(7, Midpoint(a, c));
}

void CTriangle::PlaceHandles()
{
    if (!GetCanvas() || HandleCount() != kHandles || IsTracking())
        return;
    UpdateClientPoints();
    for (int i = 0; i < 3; ++i)
        MoveHandle(i + 1, m_clientCorners[size_t(i)]);
    PlaceDerivedHandles();
}

void CTriangle::CreateHandles()
{
    if (!GetCanvas() || HandleCount() != 0)
        return;
    UpdateClientPoints();
    const auto &c = m_clientCorners;
    for (const QPoint &corner : c)
        AddHandle(corner, IDC_CURSOR_POINT, false);
    AddHandle(Centroid(c[0], c[1], c[2]), IDC_CURSOR_MOVE, false);
    AddHandle(Midpoint(c[0], c[1]), IDC_CURSOR_POINT, false);
    AddHandle(Midpoint(c[1], c[2]), IDC_CURSOR_POINT, false);
    AddHandle(Midpoint(c[0], c[2]), IDC_CURSOR_POINT, false);
}

bool CTriangle::HitTest(const QPoint &client) const
{
    return Region().contains(client);
}

bool CTriangle::IntersectsRect(const QRect &client) const
{
    return Region().intersects(client);
}

void CTriangle::Invalidate()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return;
    UpdateClientPoints();
    const QRect box = ClientPolygon().boundingRect();
    canvas->RepaintArea(box.adjusted(-kTriangleReach, -kTriangleReach, kTriangleReach, kTriangleReach));
}

void CTriangle::Paint(QPainter &painter, const QRect &)
{
    UpdateClientPoints();
    const QColor colour = m_colour.GetScreenColour();
    const auto &c = m_clientCorners;
    if (m_pattern.GetIndex() != 0) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(PatternBrush(m_pattern.GetIndex(), colour));
        painter.drawPolygon(QPolygon({c[0], c[1], c[2]}), Qt::OddEvenFill);
        painter.restore();
    } else {
        DrawLinePixels(painter, c[0], c[1], colour);
        DrawLinePixels(painter, c[1], c[2], colour);
        DrawLinePixels(painter, c[2], c[0], colour);
    }
    if (IsSelected())
        RepaintHandles();
}

std::vector<QPoint> CTriangle::SnapKeys() const
{
    const auto &c = m_corners;
    return {c[0],
            c[1],
            c[2],
            Centroid(c[0], c[1], c[2]),
            Midpoint(c[0], c[1]),
            Midpoint(c[1], c[2]),
            Midpoint(c[0], c[2])};
}

// --- Dragging -----------------------------------------------------------------------------

bool CTriangle::MoveMode(int index) const
{
    CCanvas *canvas = GetCanvas();
    return (canvas && canvas->MoveWhole()) || index == kCentroidHandle;
}

void CTriangle::ShowOutline()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return;
    const QColor colour = m_colour.GetScreenColour();
    const QPoint a = HandlePoint(1);
    const QPoint b = HandlePoint(2);
    const QPoint c = HandlePoint(3);
    canvas->SetDragFeedback({{FeedbackShape::Line, a, b, colour},
                             {FeedbackShape::Line, b, c, colour},
                             {FeedbackShape::Line, c, a, colour}});
}

bool CTriangle::BeginTrack(int index)
{
    return BeginDrag(kHandles, [this, index] {
        m_dragCorners = m_corners;
        m_dragStart = HandlePoint(index);
    });
}

bool CTriangle::Track(int index, QPoint &, bool)
{
    if (!GetCanvas())
        return false;
    if (MoveMode(index)) {
        FollowStep(index, kHandles);
    } else if (index > kCentroidHandle) {
        // An edge handle translates its edge from where the drag began.
        const Edge edge = kEdges[index - 5];
        const QPoint shift = HandlePoint(index) - m_dragStart;
        MoveHandle(edge.a + 1, m_clientCorners[size_t(edge.a)] + shift);
        MoveHandle(edge.b + 1, m_clientCorners[size_t(edge.b)] + shift);
        const QPoint a = HandlePoint(1);
        const QPoint b = HandlePoint(2);
        const QPoint c = HandlePoint(3);
        MoveHandle(kCentroidHandle, Centroid(a, b, c));
        for (int i = 5; i <= kHandles; ++i) {
            if (i != index)
                MoveHandle(i, Midpoint(HandlePoint(kEdges[i - 5].a + 1), HandlePoint(kEdges[i - 5].b + 1)));
        }
    } else {
        PlaceDerivedHandles();
    }
    return ShowDragStep();
}

void CTriangle::EndTrack(int index, bool moved)
{
    EndDrag(moved, [this, index](CCanvas &canvas) {
        if (MoveMode(index)) {
            // Every corner moves by the dragged point's way from where the
            // drag began, so the triangle lands exactly under the handle.
            const QPoint image = DropWholePoint(index);
            const QPoint from = index <= 3 ? m_dragCorners[size_t(index - 1)] : ToImage(m_dragStart);
            const QPoint delta = image - from;
            for (size_t i = 0; i < 3; ++i)
                m_corners[i] = int(i) == index - 1 ? image : SaturatedPlus(m_dragCorners[i], delta);
        } else if (index <= 3) {
            QPoint image = DropPoint(index);
            canvas.ClampToImage(image);
            m_corners[size_t(index - 1)] = image;
        } else {
            const Edge edge = kEdges[index - 5];
            m_corners[size_t(edge.a)] = HandleImagePoint(edge.a + 1);
            m_corners[size_t(edge.b)] = HandleImagePoint(edge.b + 1);
        }
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CTriangle::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_TRIANGLE_PROPERTIES);
}

void CTriangle::UpdateProperties()
{
    const bool dragged = IsTracking() && HandleCount() == kHandles;
    ShowInDialog([this, dragged](CPropertiesDlg &dialog) {
        for (int i = 0; i < 3; ++i)
            dialog.SetPoint(i, dragged ? HandleImagePoint(i + 1) : m_corners[size_t(i)]);
    });
}

void CTriangle::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        for (int i = 0; i < 3; ++i)
            m_corners[size_t(i)] = dialog.GetPoint(i);
        PlaceHandles();
    });
}
