#include "CBlockCopy.h"

#include "Archive.h"
#include "BoxRules.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

IMPLEMENT_SERIAL(CBlockCopy, CRectangle, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr int kCopyReach = 3;
constexpr double kBandHalfWidth = 5.0;
constexpr int kCopyMargin = 5;
const QColor kCopyColour(192, 192, 192);

void DrawStyled(QPainter &painter, const QPolygon &points, Qt::PenStyle style)
{
    painter.setPen(QPen(kCopyColour, 0, style));
    painter.drawPolyline(points);
}

} // namespace

CBlockCopy::CBlockCopy() = default;

CBlockCopy::CBlockCopy(int x1, int y1, int x2, int y2, int dstX, int dstY)
    : PlacedKind(x1, y1, x2, y2), m_dstX(dstX), m_dstY(dstY)
{
}

CBlockCopy::CBlockCopy(CCanvas *canvas) : PlacedKind(canvas)
{
    const int cx = (canvas->LargestX() + 1) / 2;
    const int cy = (canvas->LargestY() + 1) / 2;
    const int a = RoundHalfUp(0.8 * cx);
    const int b = RoundHalfUp(0.8 * cy);
    m_dstX = cx + kCopyMargin;
    m_dstY = b;
    SetCorners(QPoint(2 * a - cx - kCopyMargin, b), QPoint(cx - kCopyMargin, 2 * cy - b));
    SetCanvas(canvas);
}

CBlockCopy::CBlockCopy(const CBlockCopy &other) = default;

CBlockCopy::~CBlockCopy() = default;

void CBlockCopy::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CBlockCopy::GetTypeName() const { return LoadString(IDS_TYPE_BLOCK_COPY); }

QString CBlockCopy::GetCommandText() const
{
    const bool dragged = IsTracking() && HandleCount() == kAllHandles;
    const bool destination = dragged && m_trackIndex >= kFirstDestinationHandle;
    LineBox box = BoxForLine(dragged && !destination);
    const QPoint dst = destination ? HandleImagePoint(kFirstDestinationHandle) : Destination();
    if (destination && m_trackIndex == kJoinHandle) {
        box.x = HandleImagePoint(1).x();
        box.y = HandleImagePoint(1).y();
    }
    return QStringLiteral("MMAP %1 %2  %3 %4  %5 %6").arg(box.w).arg(box.h).arg(box.x).arg(box.y).arg(dst.x()).arg(dst.y());
}

void CBlockCopy::Scale(double sx, double sy)
{
    ScalePoint(m_dstX, m_dstY, sx, sy);
    PlacedKind::Scale(sx, sy);
}

void CBlockCopy::SetFromCommand(CCommandReader &reader)
{
    const LineBox box = NextLineBox(reader);
    m_dstX = NextLineValue(reader);
    m_dstY = NextLineValue(reader);
    SetLineBox(box);
}

// --- Geometry ---------------------------------------------------------------------------

std::array<QPoint, 10> CBlockCopy::DestinationPoints(const QPoint &sourceTopLeft, const QPoint &d,
                                                     const QPoint &size) const
{
    std::array<QPoint, 10> points;
    const auto box = BoxRules::LayoutFrom(d, size);
    std::copy(box.begin(), box.end(), points.begin());
    points[9] = QPoint((sourceTopLeft.x() + d.x()) / 2, (sourceTopLeft.y() + d.y()) / 2);
    return points;
}

QRect CBlockCopy::DestinationBox() const
{
    const QRect source = ClientBox();
    CCanvas *canvas = GetCanvas();
    QPoint d = canvas ? canvas->ImageToClient(Destination()) : Destination();
    if (IsTracking() && HandleCount() == kAllHandles)
        d = HandlePoint(kFirstDestinationHandle);
    return QRect(d, source.size());
}

QPolygon CBlockCopy::JoiningBand() const
{
    CCanvas *canvas = GetCanvas();
    const double x1 = TopLeft().x();
    const double y1 = TopLeft().y();
    const double dx = double(m_dstX) - x1;
    const double dy = double(m_dstY) - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (std::trunc(length) == 0)
        return {};
    const double a = kBandHalfWidth * dy / length;
    const double b = kBandHalfWidth * dx / length;
    const auto corner = [canvas](double x, double y) {
        const QPoint image(RoundHalfUp(x), RoundHalfUp(y));
        return canvas ? canvas->ImageToClient(image) : image;
    };
    return QPolygon({corner(m_dstX - a, m_dstY + b), corner(x1 - a, y1 + b), corner(x1 + a, y1 - b),
                     corner(m_dstX + a, m_dstY - b)});
}

bool CBlockCopy::HitTest(const QPoint &client) const
{
    return ClientBox().contains(client) || DestinationBox().contains(client);
}

bool CBlockCopy::IntersectsRect(const QRect &client) const
{
    if (ClientBox().intersects(client) || DestinationBox().intersects(client))
        return true;
    const QPolygon band = JoiningBand();
    return !band.isEmpty() && QRegion(band, Qt::OddEvenFill).intersects(client);
}

// --- On the canvas ----------------------------------------------------------------------

void CBlockCopy::PlaceDestinationHandles()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || HandleCount() != kAllHandles || IsTracking())
        return;
    const QRect source = ClientBox();
    const auto points = DestinationPoints(source.topLeft(), canvas->ImageToClient(Destination()),
                                          QPoint(source.width() - 1, source.height() - 1));
    for (int i = kFirstDestinationHandle; i <= kAllHandles; ++i)
        MoveHandle(i, points[size_t(i - kFirstDestinationHandle)]);
}

void CBlockCopy::CreateHandles()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || HandleCount() != kHandles)
        return;
    const QRect source = ClientBox();
    for (const QPoint &point : DestinationPoints(source.topLeft(), canvas->ImageToClient(Destination()),
                                                 QPoint(source.width() - 1, source.height() - 1)))
        AddHandle(point, IDC_CURSOR_MOVE, false);
}

void CBlockCopy::PlaceHandles()
{
    CRectangle::PlaceHandles();
    PlaceDestinationHandles();
}

void CBlockCopy::Invalidate()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return;
    const QMargins reach(kCopyReach, kCopyReach, kCopyReach, kCopyReach);
    canvas->RepaintArea(ClientBox().marginsAdded(reach));
    canvas->RepaintArea(DestinationBox().marginsAdded(reach));
    const QPolygon band = JoiningBand();
    if (!band.isEmpty())
        canvas->RepaintArea(band.boundingRect());
}

void CBlockCopy::Paint(QPainter &painter, const QRect &)
{
    const QRect source = ClientBox();
    const QRect destination = DestinationBox();
    painter.save();
    painter.setBrush(Qt::NoBrush);
    const auto frame = [](const QRect &box) {
        return QPolygon({box.topLeft(), box.bottomLeft(), box.bottomRight(), box.topRight(), box.topLeft()});
    };
    DrawStyled(painter, frame(source), Qt::DashLine);
    DrawStyled(painter, frame(destination), Qt::DotLine);
    DrawStyled(painter, QPolygon({source.topLeft(), destination.topLeft()}), Qt::DashDotLine);
    painter.restore();
}

// --- Dragging -----------------------------------------------------------------------------

void CBlockCopy::ShowOutline()
{
    CCanvas *canvas = GetCanvas();
    if (!canvas || HandleCount() != kAllHandles)
        return;
    canvas->SetDragFeedback({{FeedbackShape::Frame, HandlePoint(1), HandlePoint(3), kCopyColour},
                             {FeedbackShape::Frame, HandlePoint(10), HandlePoint(12), kCopyColour},
                             {FeedbackShape::Line, HandlePoint(1), HandlePoint(10), kCopyColour}});
}

bool CBlockCopy::BeginTrack(int index)
{
    if (!GetCanvas() || IsLocked() || HandleCount() != kAllHandles)
        return false;
    m_trackIndex = index;
    if (index >= kFirstDestinationHandle)
        return BeginDrag(kAllHandles, [this] { KeepHandleStarts(); });
    // The source's drag is the box's, with all three outlines.
    if (!CRectangle::BeginTrack(index))
        return false;
    KeepHandleStarts();
    ShowOutline();
    RepaintHandles();
    return true;
}

bool CBlockCopy::Track(int index, QPoint &point, bool test)
{
    if (index < kFirstDestinationHandle) {
        CRectangle::Track(index, point, test);
    } else if (index == kJoinHandle) {
        FollowHandle(index);
    } else {
        // The destination moves whole; the handle between follows the half.
        const QPoint way = HandlePoint(index) - HandleStart(index);
        for (int i = kFirstDestinationHandle; i < kJoinHandle; ++i) {
            if (i != index)
                MoveHandle(i, HandleStart(i) + way);
        }
        const QPoint a = HandlePoint(1);
        const QPoint d = HandlePoint(kFirstDestinationHandle);
        MoveHandle(kJoinHandle, QPoint((a.x() + d.x()) / 2, (a.y() + d.y()) / 2));
        ShowStatus();
    }
    ShowOutline();
    RepaintHandles();
    return true;
}

void CBlockCopy::EndTrack(int index, bool moved)
{
    if (index < kFirstDestinationHandle) {
        CRectangle::EndTrack(index, moved);
        PlaceDestinationHandles();
        Invalidate();
        return;
    }
    EndDrag(moved, [this, index](CCanvas &canvas) {
        if (index != kJoinHandle) {
            const QPoint d = HandleImagePoint(kFirstDestinationHandle);
            m_dstX = d.x();
            m_dstY = d.y();
            return;
        }
        // Both boxes move as far as the handle did.
        const QPoint delta = canvas.ClientToImage(HandlePoint(index)) - canvas.ClientToImage(HandleStart(index));
        OffsetPoint(m_dstX, m_dstY, delta.x(), delta.y());
        Offset(delta.x(), delta.y());
    });
}
