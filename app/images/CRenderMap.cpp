#include "CRenderMap.h"

#include "Archive.h"
#include "BoxRules.h"
#include "CCanvas.h"
#include "PrimitivePainting.h"
#include "ResourceIds.h"
#include "StringTable.h"

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

CRenderMap::CRenderMap(const CRenderMap &other) = default;

CRenderMap::~CRenderMap() = default;

void CRenderMap::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CRenderMap::GetTypeName() const { return LoadString(IDS_TYPE_RENDER_MAP); }

QString CRenderMap::GetCommandText() const
{
    const QPoint p = TrackedPoint(Position());
    return QStringLiteral("RMAP %1 %2 ").arg(p.x()).arg(p.y()) + m_name;
}

void CRenderMap::Scale(double sx, double sy)
{
    ScalePoint(m_w, m_h, sx, sy);
    MovedWholeKind::Scale(sx, sy);
}

// --- Geometry ---------------------------------------------------------------------------

QPoint CRenderMap::ClientSize(std::int64_t w, std::int64_t h) const
{
    const QPoint size(Saturate(w), Saturate(h));
    CCanvas *canvas = GetCanvas();
    return canvas ? canvas->ImageToClient(size) : size;
}

QRect CRenderMap::GetRect() const
{
    const QPoint p = ToClient(Position());
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
    return BoxRules::LayoutFrom(ToClient(Position()), ClientSize(std::int64_t(m_w) - 1, std::int64_t(m_h) - 1));
}

void CRenderMap::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    ImageBounds(GetRect(), topLeft, bottomRight);
}

std::vector<QPoint> CRenderMap::SnapKeys() const
{
    return BoxRules::SnapKeys(Position(),
                              QPoint(Saturate(std::int64_t(m_x) + m_w - 1), Saturate(std::int64_t(m_y) + m_h - 1)));
}

// --- On the canvas ----------------------------------------------------------------------

void CRenderMap::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->RepaintArea(GetRect().adjusted(-kMapReachBefore, -kMapReachBefore, kMapReachAfter, kMapReachAfter));
}

void CRenderMap::Paint(QPainter &painter, const QRect &)
{
    const QPoint p = ToClient(Position());
    DrawBoxOutline(painter, FrameAt(p), kMapColour);
    const QPoint f = ClientSize(m_w, m_h);
    if (const std::optional<QFont> font = FitTextFont(m_name, f.x() - 2, f.y() - 1))
        DrawTextAt(painter, p + QPoint(1, 2), m_name, *font, kMapColour);
}

// --- Dragging -----------------------------------------------------------------------------

void CRenderMap::ShowOutline()
{
    if (CCanvas *canvas = GetCanvas()) {
        const QRect frame = FrameAt(HandlePoint(1));
        canvas->SetDragFeedback({{FeedbackShape::Frame, frame.topLeft(), frame.bottomRight(), kMapColour}});
    }
}

void CRenderMap::EndTrack(int, bool moved)
{
    EndDrag(moved, [this](CCanvas &) {
        const QPoint p = HandleImagePoint(1);
        m_x = p.x();
        m_y = p.y();
    });
}
