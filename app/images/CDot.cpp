#include "CDot.h"

#include "Archive.h"
#include "CCanvas.h"
#include "CCommandReader.h"
#include "CPropertiesDlg.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QPainter>

IMPLEMENT_SERIAL(CDot, CPrimitive, VERSIONABLE_SCHEMA | 1)

namespace {

// How far around the dot a click or a repaint reaches, in client pixels.
constexpr int kDotReach = 2;

} // namespace

CDot::CDot() = default;

CDot::CDot(int x, int y, int colour) : m_x(x), m_y(y)
{
    m_colour.SetIndex(colour);
}

CDot::CDot(CCanvas *canvas) : PlacedKind(canvas)
{
    m_x = (canvas->LargestX() + 1) / 2;
    m_y = (canvas->LargestY() + 1) / 2;
    SetCanvas(canvas);
}

CDot::CDot(const CDot &other) = default;

CDot::~CDot() = default;

void CDot::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    TransferValues(ar);
}

QString CDot::GetTypeName() const { return LoadString(IDS_TYPE_DOT); }

QString CDot::GetCommandText() const
{
    const QPoint p = TrackedPoint(Position());
    return QStringLiteral("ADOT %1 %2 %3").arg(m_colour.GetCommandName()).arg(p.x()).arg(p.y());
}

void CDot::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = QPoint(Saturate(std::int64_t(m_x) - 1), Saturate(std::int64_t(m_y) - 1));
    bottomRight = QPoint(Saturate(std::int64_t(m_x) + 1), Saturate(std::int64_t(m_y) + 1));
}

void CDot::SetFromCommand(CCommandReader &reader)
{
    m_colour.SetByName(NextWord(reader));
    m_x = NextLineValue(reader);
    m_y = NextLineValue(reader);
}

// --- On the canvas ----------------------------------------------------------------------

void CDot::PlaceHandles()
{
    if (GetCanvas() && HandleCount() == 1 && !IsTracking())
        MoveHandle(1, ToClient(Position()));
}

void CDot::CreateHandles()
{
    if (GetCanvas() && HandleCount() == 0)
        AddHandle(ToClient(Position()), IDC_CURSOR_MOVE, false);
}

bool CDot::HitTest(const QPoint &client) const
{
    const QPoint p = ToClient(Position());
    return client.x() >= p.x() - kDotReach && client.x() < p.x() + kDotReach && client.y() >= p.y() - kDotReach
        && client.y() < p.y() + kDotReach;
}

bool CDot::IntersectsRect(const QRect &client) const
{
    return client.contains(ToClient(Position()));
}

void CDot::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->RepaintArea(QRect(ToClient(Position()) - QPoint(kDotReach, kDotReach),
                             QSize(2 * kDotReach + 1, 2 * kDotReach + 1)));
}

void CDot::Paint(QPainter &painter, const QRect &)
{
    painter.fillRect(QRect(ToClient(Position()), QSize(1, 1)), m_colour.GetScreenColour());
}

// --- Dragging -----------------------------------------------------------------------------

bool CDot::BeginTrack(int)
{
    if (!GetCanvas() || IsLocked() || HandleCount() != 1)
        return false;
    SetTracking(true);
    return true;
}

bool CDot::Track(int, QPoint &, bool)
{
    ShowStatus();
    return true;
}

void CDot::EndTrack(int, bool moved)
{
    EndDrag(moved, [this](CCanvas &canvas) {
        QPoint p = DropPoint(1);
        canvas.ClampToImage(p);
        m_x = p.x();
        m_y = p.y();
    });
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CDot::OpenProperties(QWidget *parent)
{
    return OpenPropertyDialog(parent, IDD_DOT_PROPERTIES);
}

void CDot::UpdateProperties()
{
    ShowInDialog([this](CPropertiesDlg &dialog) { dialog.SetPosition(TrackedPoint(Position())); });
}

void CDot::ApplyProperties()
{
    TakeFromDialog([this](CPropertiesDlg &dialog) {
        const QPoint position = dialog.GetPosition();
        m_x = position.x();
        m_y = position.y();
        PlaceHandles();
    });
}
