#include "CStepDropTarget.h"

#include "CSequenceEditor.h"
#include "CSequenceStepView.h"
#include "StepTransferBlock.h"

#include <QMimeData>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kScrollMargin = 3;

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
    CStepListCtrl *list = m_view->List();
    const int last = m_view->RowCount() - 1;
    const QModelIndex hit = list->indexAt(point);
    m_append = false;
    if (point.y() < 0) {
        // Above the rows shown: the row before the top one.
        const QModelIndex top = list->indexAt(QPoint(5, 1));
        m_row = top.isValid() ? std::max(top.row() - 1, 0) : -1;
    } else if (point.y() >= list->viewport()->height()) {
        // Below the rows shown: the last one shown.
        const QModelIndex bottom = list->indexAt(QPoint(5, list->viewport()->height() - 1));
        m_row = bottom.isValid() ? bottom.row() : last;
    } else if (hit.isValid()) {
        m_row = hit.row();
    } else {
        m_row = -1; // beside the rows: after the last
        m_append = true;
    }
    m_view->SetDropRow(m_append ? last : m_row);
    // Near the edges the table scrolls one row.
    QScrollBar *bar = list->verticalScrollBar();
    const QModelIndex top = list->indexAt(QPoint(5, 1));
    if (top.isValid() && point.y() < list->visualRect(top).top() && bar->value() > bar->minimum())
        bar->setValue(bar->value() - 1);
    else if (point.y() >= list->viewport()->height() - kScrollMargin && bar->value() < bar->maximum())
        bar->setValue(bar->value() + 1);
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
    m_view->InsertStepsAt(*steps, m_append ? -1 : m_row);
    m_view->Editor()->SetModified();
    SetDropEffect(action == Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
    return true;
}
