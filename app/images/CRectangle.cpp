#include "CRectangle.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "StringTable.h"
#include "BoxRules.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <vector>

IMPLEMENT_SERIAL(CRectangle, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

// How far around its box a box's repaint reaches: the handles' half size.
constexpr int kHandleReach = 3;

} // namespace

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

CRectangle::CRectangle(CCanvas *canvas) : CRectangle(false, canvas) {}

CRectangle::CRectangle(bool oval, CCanvas *canvas) : PlacedKind(canvas), m_oval(oval ? 1 : 0)
{
    SetCorners(NewBoxStart(*canvas), NewBoxEnd(*canvas));
    CreateHandles();
}

CRectangle::CRectangle(const CRectangle &other) = default;

CRectangle::~CRectangle() = default;

void CRectangle::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
    // The flag is the class's own: one read is not taken.
    std::int32_t oval = m_oval;
    Transfer(ar, oval);
}

int CRectangle::Type() const { return IsOval() ? 5 : 4; }

QString CRectangle::GetTypeName() const
{
    return LoadString(IsOval() ? IDS_TYPE_OVAL : IDS_TYPE_RECTANGLE);
}

std::int64_t CRectangle::SizeShrink() const
{
    return IsOval() && !IsFilled() ? 1 : 0;
}

CRectangle::LineBox CRectangle::BoxForLine(bool dragged) const
{
    if (dragged) {
        const Geometry g = GetTrackGeometry();
        return {g.x, g.y, g.w, g.h};
    }
    return {m_x1, m_y1, std::llabs(std::int64_t(m_x1) - m_x2) + 1, std::llabs(std::int64_t(m_y1) - m_y2) + 1};
}

QString CRectangle::GetCommandText() const
{
    const LineBox box = BoxForLine();
    return QStringLiteral("%1 %2  %3 %4  %5 %6  %7")
        .arg(IsOval() ? QLatin1String("OVAL") : QLatin1String("RECT"), m_colour.GetCommandName())
        .arg(box.w - SizeShrink())
        .arg(box.h - SizeShrink())
        .arg(box.x)
        .arg(box.y)
        .arg(m_pattern.GetText());
}

void CRectangle::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = TopLeft();
    bottomRight = BottomRight();
}

void CRectangle::SetCorners(const QPoint &topLeft, const QPoint &bottomRight)
{
    m_x1 = topLeft.x();
    m_y1 = topLeft.y();
    m_x2 = bottomRight.x();
    m_y2 = bottomRight.y();
    PlaceHandles();
}

CRectangle::LineBox CRectangle::NextLineBox(CCommandReader &reader)
{
    LineBox box{};
    box.w = NextLineSize(reader);
    box.h = NextLineSize(reader);
    box.x = NextLineValue(reader);
    box.y = NextLineValue(reader);
    return box;
}

void CRectangle::SetLineBox(const LineBox &box, std::int64_t grow)
{
    SetCorners(QPoint(int(box.x), int(box.y)),
               QPoint(Saturate(box.x + box.w - 1 + grow), Saturate(box.y + box.h - 1 + grow)));
}

void CRectangle::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    const LineBox box = NextLineBox(reader);
    m_pattern.SetByName(NextWord(reader));
    // An unfilled oval's line holds its size less one (see GetCommandText):
    // the pixel comes back here, so a round trip keeps the box.
    SetLineBox(box, SizeShrink());
}

// --- On the canvas ----------------------------------------------------------------------

void CRectangle::ComputePoints()
{
    if (CCanvas *canvas = GetCanvas())
        m_points = BoxRules::Layout(canvas->ImageToClient(TopLeft()), canvas->ImageToClient(BottomRight()));
}

void CRectangle::PlaceHandles()
{
    if (HandleCount() < kHandles || IsTracking())
        return;
    ComputePoints();
    for (int i = 1; i <= kHandles; ++i)
        MoveHandle(i, m_points[size_t(i - 1)]);
}

void CRectangle::CreateHandles()
{
    if (!GetCanvas() || HandleCount() != 0)
        return;
    ComputePoints();
    for (int i = 1; i <= kHandles; ++i)
        AddHandle(m_points[size_t(i - 1)], BoxRules::Look(i).cursor, BoxRules::Look(i).system);
}

QRect CRectangle::ClientBox() const
{
    if (IsTracking() && HandleCount() >= kHandles)
        return BoxPixels(HandlePoint(1), HandlePoint(3));
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return BoxPixels(TopLeft(), BottomRight());
    return BoxPixels(canvas->ImageToClient(TopLeft()), canvas->ImageToClient(BottomRight()));
}

bool CRectangle::HitTest(const QPoint &client) const
{
    const QRect box = ClientBox();
    return IsOval() ? OvalContains(box, client) : box.contains(client);
}

bool CRectangle::IntersectsRect(const QRect &client) const
{
    const QRect box = ClientBox();
    return IsOval() ? OvalIntersects(box, client) : box.intersects(client);
}

void CRectangle::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->RepaintArea(ClientBox().adjusted(-kHandleReach, -kHandleReach, kHandleReach, kHandleReach));
}

void CRectangle::Paint(QPainter &painter, const QRect &)
{
    const QRect box = ClientBox();
    const QColor colour = m_colour.GetScreenColour();
    if (IsFilled()) {
        const QBrush brush = PatternBrush(m_pattern.GetIndex(), colour);
        if (IsOval())
            FillOval(painter, box, brush);
        else
            FillBox(painter, box, brush);
    } else if (IsOval()) {
        DrawOvalOutline(painter, box, colour);
    } else {
        DrawBoxOutline(painter, box, colour);
    }
}

std::vector<QPoint> CRectangle::SnapKeys() const
{
    std::vector<QPoint> keys = BoxRules::SnapKeys(TopLeft(), BottomRight());
    // An oval has no corners.
    if (IsOval())
        keys.erase(keys.begin(), keys.begin() + 4);
    return keys;
}

// --- Dragging -----------------------------------------------------------------------------

bool CRectangle::MoveMode(int index) const
{
    CCanvas *canvas = GetCanvas();
    return (canvas && canvas->MoveWhole()) || index == kHandles;
}

QPoint CRectangle::OffsetInBox(int index) const
{
    return BoxRules::OffsetInBox(index, m_extent);
}

CRectangle::Geometry CRectangle::GetTrackGeometry() const
{
    const QPoint a = HandleImagePoint(1);
    if (MoveMode(m_trackIndex)) {
        const QPoint corner = HandleImagePoint(m_trackIndex) - OffsetInBox(m_trackIndex);
        return {corner.x(), corner.y(), m_extent.x() + 1, m_extent.y() + 1};
    }
    const QPoint d = HandleImagePoint(3) - a;
    const int w = BoxRules::KeepsX(m_trackIndex) ? m_extent.x() + 1 : std::abs(d.x()) + 1;
    const int h = BoxRules::KeepsY(m_trackIndex) ? m_extent.y() + 1 : std::abs(d.y()) + 1;
    return {a.x(), a.y(), w, h};
}

void CRectangle::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->SetDragFeedback({{IsOval() ? FeedbackShape::Ellipse : FeedbackShape::Frame, HandlePoint(1),
                                  HandlePoint(3), m_colour.GetScreenColour()}});
}

void CRectangle::PinEdge(int index)
{
    if (BoxRules::KeepsY(index))
        m_pinned = HandlePoint(index).y();
    else if (BoxRules::KeepsX(index))
        m_pinned = HandlePoint(index).x();
}

bool CRectangle::BeginTrack(int index)
{
    return BeginDrag(kHandles, [this, index] {
        m_trackIndex = index;
        PinEdge(index);
        m_extent = QPoint(m_x2 - m_x1, m_y2 - m_y1);
        m_dragCentre = HandlePoint(kHandles);
    });
}

bool CRectangle::Track(int index, QPoint &point, bool test)
{
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return false;
    if (MoveMode(index)) {
        FollowStep(index, kHandles);
        PinEdge(index);
        if (canvas->MoveWhole()) {
            const QPoint a = HandleImagePoint(1);
            const QPoint b = HandleImagePoint(3);
            m_extent = QPoint(std::abs(a.x() - b.x()), std::abs(a.y() - b.y()));
        }
    } else {
        // An edge handle moves only across its edge.
        if (BoxRules::KeepsY(index))
            point.setY(m_pinned);
        else if (BoxRules::KeepsX(index))
            point.setX(m_pinned);
        if (!test) {
            QPoint a = HandlePoint(1);
            QPoint b = HandlePoint(3);
            BoxRules::ResizeCorners(index, point, a, b);
            const std::array<QPoint, kHandles> points = BoxRules::Layout(a, b);
            for (int i = 1; i <= kHandles; ++i) {
                if (i != index)
                    MoveHandle(i, points[size_t(i - 1)]);
            }
        }
    }
    return ShowDragStep();
}

void CRectangle::EndTrack(int index, bool moved)
{
    EndDrag(moved, [this, index](CCanvas &canvas) {
        if (MoveMode(index)) {
            QPoint p = DropPoint(index);
            // A grid point at the edge may lie outside: the dragged point stays in.
            canvas.ClampToImage(p);
            const QPoint corner = p - OffsetInBox(index);
            SetCorners(corner, QPoint(Saturate(std::int64_t(corner.x()) + m_extent.x()),
                                      Saturate(std::int64_t(corner.y()) + m_extent.y())));
            return;
        }
        QPoint a = HandleImagePoint(1);
        QPoint b = HandleImagePoint(3);
        BoxRules::OrderCorners(a, b);
        SetCorners(a, b);
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CRectangle::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_RECTANGLE_PROPERTIES, IsOval() ? LoadString(IDS_OVAL_PROPERTIES) : QString());
}

void CRectangle::ShowBox(CPropertiesDlg &dialog) const
{
    if (IsTracking() && HandleCount() == kHandles) {
        const Geometry drag = GetTrackGeometry();
        dialog.SetPosition({drag.x, drag.y});
        dialog.SetSize({drag.w, drag.h});
        return;
    }
    dialog.SetPosition(TopLeft());
    dialog.SetSize({Saturate(std::int64_t(m_x2) - m_x1 + 1), Saturate(std::int64_t(m_y2) - m_y1 + 1)});
}

void CRectangle::TakeBox(CPropertiesDlg &dialog)
{
    const QPoint position = dialog.GetPosition();
    const QSize size = dialog.GetSize();
    SetCorners(position, QPoint(Saturate(std::int64_t(position.x()) + size.width() - 1),
                                Saturate(std::int64_t(position.y()) + size.height() - 1)));
}

void CRectangle::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) { ShowBox(dialog); });
}

void CRectangle::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) { TakeBox(dialog); });
}
