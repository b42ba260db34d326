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

CDot::CDot(CCanvas *canvas) : CPrimitive(canvas)
{
    m_x = (canvas->LargestX() + 1) / 2;
    m_y = (canvas->LargestY() + 1) / 2;
    SetCanvas(canvas);
}

CDot::CDot(const CDot &other) : CPrimitive(other), m_x(other.m_x), m_y(other.m_y), m_colour(other.m_colour) {}

CDot::~CDot() = default;

void CDot::Serialize(CArchive &ar)
{
    CPrimitive::Serialize(ar);
    Transfer(ar, m_x);
    Transfer(ar, m_y);
    std::int32_t colour = m_colour.GetArchiveValue();
    Transfer(ar, colour);
    if (ar.IsLoading())
        m_colour.SetArchiveValue(colour); // out of range: the colour stays
}

CPrimitive *CDot::Clone() const { return new CDot(*this); }

QString CDot::GetTypeName() const { return LoadString(IDS_TYPE_DOT); }

QString CDot::GetCommandText() const
{
    const QPoint p = IsTracking() && HandleCount() == 1 ? HandleImagePoint(1) : Position();
    return QStringLiteral("ADOT %1 %2 %3").arg(m_colour.GetCommandName()).arg(p.x()).arg(p.y());
}

void CDot::GetBounds(QPoint &topLeft, QPoint &bottomRight) const
{
    topLeft = QPoint(Saturate(std::int64_t(m_x) - 1), Saturate(std::int64_t(m_y) - 1));
    bottomRight = QPoint(Saturate(std::int64_t(m_x) + 1), Saturate(std::int64_t(m_y) + 1));
}

void CDot::Offset(int dx, int dy)
{
    m_x = Saturate(std::int64_t(m_x) + dx);
    m_y = Saturate(std::int64_t(m_y) + dy);
    PlaceHandle();
}

void CDot::Scale(double sx, double sy)
{
    m_x = RoundHalfUp(m_x * sx);
    m_y = RoundHalfUp(m_y * sy);
    PlaceHandle();
}

void CDot::VirtualAssign(const CPrimitive &other)
{
    const auto *dot = dynamic_cast<const CDot *>(&other);
    if (!dot) {
        CPrimitive::VirtualAssign(other);
        return;
    }
    AssignBase(other);
    m_x = dot->m_x;
    m_y = dot->m_y;
    m_colour = dot->m_colour;
    PlaceHandle();
}

void CDot::SetFromCommand(CCommandReader &reader)
{
    QString colour;
    reader.NextToken(colour);
    m_colour.SetByName(colour);
    m_x = NextLineValue(reader);
    m_y = NextLineValue(reader);
}

// --- On the canvas ----------------------------------------------------------------------

QPoint CDot::ClientPoint() const
{
    CCanvas *canvas = GetCanvas();
    return canvas ? canvas->ImageToClient(Position()) : Position();
}

void CDot::PlaceHandle()
{
    if (GetCanvas() && HandleCount() == 1 && !IsTracking())
        MoveHandle(1, ClientPoint());
}

void CDot::SetCanvas(CCanvas *canvas)
{
    CPrimitive::SetCanvas(canvas);
    if (canvas && HandleCount() == 0)
        AddHandle(ClientPoint(), IDC_CURSOR_MOVE, false);
}

void CDot::Select()
{
    CPrimitive::Select();
    PlaceHandle();
}

bool CDot::HitTest(const QPoint &client) const
{
    const QPoint p = ClientPoint();
    return client.x() >= p.x() - kDotReach && client.x() < p.x() + kDotReach && client.y() >= p.y() - kDotReach
        && client.y() < p.y() + kDotReach;
}

bool CDot::IntersectsRect(const QRect &client) const
{
    return client.contains(ClientPoint());
}

void CDot::Invalidate()
{
    if (CCanvas *canvas = GetCanvas())
        canvas->update(QRect(ClientPoint() - QPoint(kDotReach, kDotReach), QSize(2 * kDotReach + 1, 2 * kDotReach + 1)));
}

void CDot::Draw(QPainter &painter, const QRect &update)
{
    if (!GetCanvas() || IsTracking() || !IntersectsRect(update))
        return;
    painter.fillRect(QRect(ClientPoint(), QSize(1, 1)), m_colour.GetScreenColour());
    if (IsSelected())
        PlaceHandle();
}

bool CDot::SnapPoint(QPoint &image)
{
    return !IsTracking() && SnapToNearPoint(image, Position());
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
    CCanvas *canvas = GetCanvas();
    if (!canvas)
        return;
    if (moved) {
        QPoint p = HandleImagePoint(1);
        if (canvas->GridSnap() || IsSnapped())
            SnapTrackPoint(p, false, IsSnapped());
        canvas->ClampToImage(p);
        m_x = p.x();
        m_y = p.y();
    }
    ClearTracking();
    if (moved)
        canvas->SetModified();
    PlaceHandle();
    Invalidate();
    if (moved)
        ShowStatus();
}

// --- Properties ------------------------------------------------------------------------

CPropertiesDlg *CDot::OpenProperties(QWidget *parent)
{
    auto *dialog = new CPropertiesDlg(parent, this, IDD_DOT_PROPERTIES);
    SetPropertyDialog(dialog);
    UpdateProperties();
    return dialog;
}

void CDot::UpdateProperties()
{
    CPropertiesDlg *dialog = GetPropertyDialog();
    if (!dialog)
        return;
    if (IsTracking() && HandleCount() == 1) {
        dialog->SetPosition(HandleImagePoint(1));
        dialog->repaint();
        return;
    }
    dialog->SetPosition({m_x, m_y});
}

void CDot::ApplyProperties()
{
    CPropertiesDlg *dialog = GetPropertyDialog();
    if (!dialog)
        return;
    Invalidate();
    const QPoint position = dialog->GetPosition();
    m_x = position.x();
    m_y = position.y();
    PlaceHandle();
    Invalidate();
    ShowStatus();
    if (CCanvas *canvas = GetCanvas())
        canvas->SetModified();
}
