#include "CStepDropTarget.h"

#include "StepTransferBlock.h"

#include <QMimeData>

namespace {

bool Offers(const QMimeData *data)
{
    return data && data->hasFormat(StepTransferBlock::MimeType());
}

Qt::DropAction Effect(Qt::KeyboardModifiers keys)
{
    return keys & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
}

} // namespace

Qt::DropAction CStepDropTarget::OnDragEnter(QWidget *, const QMimeData *data, Qt::KeyboardModifiers keys, QPoint)
{
    if (!Offers(data))
        return Qt::IgnoreAction;
    m_row = -1;
    m_append = false;
    return Effect(keys);
}

void CStepDropTarget::Track(QPoint point)
{
    const ListDropRow drop = TrackListDropRow(m_view->DropList(), point);
    m_row = drop.row;
    m_append = drop.append;
    m_view->SetDropRow(drop.highlight);
}

Qt::DropAction CStepDropTarget::OnDragOver(QWidget *, const QMimeData *data, Qt::KeyboardModifiers keys,
                                           QPoint point)
{
    if (!Offers(data))
        return Qt::IgnoreAction;
    Track(point);
    return Effect(keys);
}

void CStepDropTarget::OnDragLeave(QWidget *)
{
    m_view->SetDropRow(-1);
}

bool CStepDropTarget::OnDrop(QWidget *, const QMimeData *data, Qt::DropAction action, QPoint)
{
    m_view->SetDropRow(-1);
    m_lastError.clear();
    if (!Offers(data))
        return false;
    const std::optional<std::vector<CSequenceStep>> steps =
        StepTransferBlock::Parse(data->data(StepTransferBlock::MimeType()), &m_lastError);
    if (!steps)
        return false; // nothing went in: the source keeps its rows
    m_view->DropSteps(*steps, m_append ? -1 : m_row);
    SetDropEffect(action == Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
    return true;
}
