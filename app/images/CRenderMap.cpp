#include "CRenderMap.h"

#include "Archive.h"
#include "CCanvas.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"

#include <QPainter>

IMPLEMENT_SERIAL(CRenderMap, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kMapReachBefore = 3;
constexpr int kMapReachAfter = 2;
const QColor kMapColour(255, 255, 255);

} // namespace

CRenderMap::CRenderMap() = default;

CRenderMap::CRenderMap(int x, int y, const QString &name, int w, int h) : m_x(x), m_y(y), m_name(name), m_w(w), m_h(h)
{
}

CRenderMap::CRenderMap(const CRenderMap &other) : PlacedKind(other)
{
    TakeValues(other);
}

CRenderMap::~CRenderMap() = default;

void CRenderMap::TakeValues(const CRenderMap &other)
{
    m_x = other.m_x;
    m_y = other.m_y;
    m_name = other.m_name;
    m_w = other.m_w;
    m_h = other.m_h;
    PlaceHandles();
}

void CRenderMap::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    Transfer(ar, m_x);
    Transfer(ar, m_y);
    if (ar.IsStoring())
        ar << m_name;
    else
        ar >> m_name;
    Transfer(ar, m_w);
    Transfer(ar, m_h);
}

QString CRenderMap::GetTypeName() const { return QStringLiteral("Render Map"); }

QString CRenderMap::GetCommandText() const
{
    const QPoint p = TrackedPoint(Position());
    return QStringLiteral("RMAP %1 %2 ").arg(p.x()).arg(p.y()) + m_name;
}

void CRenderMap::Scale(double sx, double sy)
{
    ScalePoint(m_w, m_h, sx, sy);
    PlacedKind::Scale(sx, sy);
}

// --- Geometry ---------------------------------------------------------------------------

QPoint CRenderMap::ClientPoint() const
{
    CCanvas *canvas = GetCanvas();
    return canvas ? canvas->ImageToClient(Position()) : Position();
}

QPoint CRenderMap::ClientSize(std::int64_t w, std::int64_t h) const
{
    const QPoint size(Saturate(w), Saturate(h));
    CCanvas *canvas = GetCanvas();
    return canvas ? canvas->ImageToClient(size) : size;
}

QRect CRenderMap::GetRect() const
{
    const QPoint p = ClientPoint();
    const QPoint s = ClientSize(std::int64_t(m_w) - 1, std::int64_t(m_h) - 1);
    return QRect(p, QPoint(Saturate(std::int64_t(p.x()) + s.x()), Saturate(std::int64_t(p.y()) + s.y())));
}

QRect CRenderMap::FrameAt(const QPoint &client) const
{
    const QPoint f = ClientSize(m_w, m_h);
    return QRect(client,
                 QPoint(Saturate(std::int64_t(client.x()) + f.x() + 1), Saturate(std::int64_t(client.y()) + f.y() + 1)));
}

std::array<QPoint, CRenderMap::kHandles> CRenderMap::HandlePoints() const
{
    const QPoint p = ClientPoint();
    const QPoint s = ClientSize(std::int64_t(m_w) - 1, std::int64_t(m_h) - 1);
    const int sw = s.x();
    const int sh = s.y();
    return {p,
            p + QPoint(0, sh),
            p + QPoint(sw, sh),
            p + QPoint(sw, 0),
            p + QPoint(0, sh / 2),
            p + QPoint(sw / 2, sh),
            p + QPoint(sw, sh / 2),
            p + QPoint(sw / 2, 0),
            p + QPoint(sw / 2, sh / 2)};
}

void CRenderMap::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    const QRect rect = GetRect();
    CCanvas *canvas = GetCanvas();
    topLeft = canvas ? canvas->ClientToImage(rect.topLeft()) : rect.topLeft();
    bottomRight = canvas ? canvas->ClientToImage(rect.bottomRight()) : rect.bottomRight();
}

bool CRenderMap::HitTest(const QPoint &client) const
{
    return GetRect().contains(client);
}

bool CRenderMap::IntersectsRect(const QRect &client) const
{
    return GetRect().intersects(client);
}

bool CRenderMap::SnapPoint(QPoint &image)
{
    if (IsTracking())
        return false;
    const int left = m_x;
    const int top = m_y;
    const int right = Saturate(std::int64_t(m_x) + m_w - 1);
    const int bottom = Saturate(std::int64_t(m_y) + m_h - 1);
    const int mx = RoundHalfUp((double(left) + right) / 2.0);
    const int my = RoundHalfUp((double(top) + bottom) / 2.0);
    for (const QPoint &key : {QPoint(left, top), QPoint(right, bottom), QPoint(left, bottom), QPoint(right, top),
                              QPoint(left, my), QPoint(right, my), QPoint(mx, top), QPoint(mx, bottom), QPoint(mx, my)}) {
        if (SnapToNearPoint(image, key))
            return true;
    }
    return false;
}

// --- On the canvas ----------------------------------------------------------------------

void CRenderMap::PlaceHandles()
{
    if (!GetCanvas() || HandleCount() != kHandles || IsTracking())
        return;
    const auto points = HandlePoints();
    for (int i = 1; i <= kHandles; ++i)
        MoveHandle(i, points[size_t(i - 1)]);
}

void CRenderMap::CreateHandles()
{
    if (!GetCanvas() || HandleCount() != 0)
        return;
    for (const QPoint &point : HandlePoints())
        AddHandle(point, IDC_CURSOR_MOVE, false);
}

void CRenderMap::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update(GetRect().adjusted(-kMapReachBefore, -kMapReachBefore, kMapReachAfter, kMapReachAfter));
}

void CRenderMap::Draw(QPainter &painter, const QRect &update)
{
    if (!GetCanvas() || IsTracking() || !IntersectsRect(update))
        return;
    const QPoint p = ClientPoint();
    DrawBoxOutline(painter, FrameAt(p), kMapColour);
    const QPoint f = ClientSize(m_w, m_h);
    if (const std::optional<QFont> font = FitTextFont(m_name, f.x() - 2, f.y() - 1))
        DrawTextAt(painter, p + QPoint(1, 2), m_name, *font, kMapColour);
    if (IsSelected())
        PlaceHandles();
}

// --- Dragging -----------------------------------------------------------------------------

void CRenderMap::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas()) {
        const QRect frame = FrameAt(HandlePoint(1));
        canvas->SetDragFeedback({{FeedbackShape::Frame, frame.topLeft(), frame.bottomRight(), kMapColour}});
    }
}

bool CRenderMap::BeginTrack(int)
{
    return BeginWholeMove(kHandles, [this] { PlaceHandles(); }, [this] { ShowOutline(); });
}

bool CRenderMap::Track(int index, QPoint &, bool)
{
    TrackWholeMove(index, [this] { ShowOutline(); });
    return true;
}

void CRenderMap::EndTrack(int, bool moved)
{
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return;
    if (moved) {
        const QPoint p = HandleImagePoint(1);
        m_x = p.x();
        m_y = p.y();
    }
    ClearTracking();
    canvas->ClearDragFeedback();
    if (moved)
        canvas->SetModified();
    PlaceHandles();
    Invalidate();
    if (moved)
        ShowStatus();
}
