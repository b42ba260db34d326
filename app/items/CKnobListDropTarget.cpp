#include "CKnobListDropTarget.h"


#include <QMimeData>

namespace {

bool OffersText(const QMimeData *data)
{
    return data && data->hasText();
}

Qt::DropAction KnobEffect(Qt::KeyboardModifiers keys)
{
    return keys & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
}

} // namespace

Qt::DropAction CKnobListDropTarget::OnDragEnter(QWidget *, const QMimeData *data, Qt::KeyboardModifiers keys, QPoint)
{
    if (!OffersText(data))
        return Qt::IgnoreAction;
    m_row = -1;
    m_append = false;
    return KnobEffect(keys);
}

Qt::DropAction CKnobListDropTarget::OnDragOver(QWidget *, const QMimeData *data, Qt::KeyboardModifiers keys,
                                               QPoint point)
{
    if (!OffersText(data))
        return Qt::IgnoreAction;
    const ListDropRow drop = TrackListDropRow(m_view->DropList(), point);
    m_row = drop.row;
    m_append = drop.append;
    m_view->SetDropRow(drop.highlight);
    return KnobEffect(keys);
}

void CKnobListDropTarget::OnDragLeave(QWidget *)
{
    m_view->SetDropRow(-1);
}

bool CKnobListDropTarget::OnDrop(QWidget *, const QMimeData *data, Qt::DropAction action, QPoint)
{
    m_view->SetDropRow(-1);
    if (!OffersText(data))
        return false;
    bool allTaken = false;
    if (!m_view->InsertNames(data->text(), m_row, m_append || m_row < 0, &allTaken))
        return false;
    SetDropEffect(allTaken && action == Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
    return true;
}
