#include "CPrimitiveHandle.h"

#include "HandleLinks.h"
#include "ProgramCursors.h"

#include <QCursor>
#include <QPainter>

#include <utility>

namespace {

const QColor kSnappedColour(0, 255, 0);
const QColor kSnapOnColour(255, 0, 0);

} // namespace

CPrimitiveHandle::CPrimitiveHandle(int index, HandleOwnerLink *primitive, int x, int y)
    : m_x(x), m_y(y), m_primitive(primitive), m_index(index)
{
}

CPrimitiveHandle::~CPrimitiveHandle()
{
    Hide();
}

void CPrimitiveHandle::Show(HandleLayer &layer)
{
    if (m_layer == &layer)
        return;
    Hide();
    m_layer = &layer;
    layer.ShowHandle(*this);
}

void CPrimitiveHandle::Hide()
{
    if (HandleLayer *layer = std::exchange(m_layer, nullptr))
        layer->HideHandle(*this);
}

void CPrimitiveHandle::MoveTo(const QPoint &client)
{
    if (client == Point())
        return;
    const QRect before = Box();
    m_x = client.x();
    m_y = client.y();
    if (m_layer) {
        m_layer->RepaintHandleBox(before);
        m_layer->RepaintHandleBox(Box());
    }
}

void CPrimitiveHandle::Repaint()
{
    if (m_layer)
        m_layer->RepaintHandleBox(Box());
}

void CPrimitiveHandle::SetCursor(int id, bool system)
{
    m_cursorId = id;
    m_systemCursor = system;
}

QCursor CPrimitiveHandle::Cursor() const
{
    if (!m_systemCursor)
        return ProgramCursor(m_cursorId);
    switch (m_cursorId) {
    case kSizeNwSe: return QCursor(Qt::SizeFDiagCursor);
    case kSizeNeSw: return QCursor(Qt::SizeBDiagCursor);
    case kSizeWestEast: return QCursor(Qt::SizeHorCursor);
    case kSizeNorthSouth: return QCursor(Qt::SizeVerCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

QColor CPrimitiveHandle::FillColour() const
{
    if (m_dragging)
        return m_snappedNow ? kSnappedColour : m_snapMode ? kSnapOnColour : m_dragColour;
    return m_marked && !m_selected ? QColor(0, 0, 0) : m_selectedColour;
}

void CPrimitiveHandle::Paint(QPainter &painter) const
{
    const QRect box = Box();
    painter.fillRect(box, FillColour());
    painter.setPen(QPen(m_frameColour, 0));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}
