#include "CDropTarget.h"

#include "UserAction.h"

#include <QDropEvent>

CDropTarget::~CDropTarget()
{
    Revoke();
}

bool CDropTarget::RegisterOn(QWidget *widget)
{
    if (!widget || m_widget)
        return false;
    m_widget = widget;
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
    return true;
}

void CDropTarget::Revoke()
{
    if (m_widget)
        m_widget->removeEventFilter(this);
    m_widget = nullptr;
    m_entered = false;
}

void CDropTarget::OnDragLeave(QWidget *) {}

bool CDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *enter = static_cast<QDragEnterEvent *>(event);
        const Qt::DropAction action =
            OnDragEnter(m_widget, enter->mimeData(), enter->modifiers(), enter->position().toPoint());
        m_entered = action != Qt::IgnoreAction;
        if (!m_entered)
            return false; // the widget's own handling decides
        enter->setDropAction(action);
        enter->accept();
        return true;
    }
    case QEvent::DragMove: {
        if (!m_entered)
            return false;
        auto *move = static_cast<QDragMoveEvent *>(event);
        const Qt::DropAction action =
            OnDragOver(m_widget, move->mimeData(), move->modifiers(), move->position().toPoint());
        if (action == Qt::IgnoreAction) {
            move->ignore();
        } else {
            move->setDropAction(action);
            move->accept();
        }
        return true;
    }
    case QEvent::Drop: {
        if (!m_entered)
            return false;
        m_entered = false;
        auto *drop = static_cast<QDropEvent *>(event);
        m_dropEffect = Qt::CopyAction;
        const UserAction userAction;
        if (OnDrop(m_widget, drop->mimeData(), drop->dropAction(), drop->position().toPoint())) {
            drop->setDropAction(m_dropEffect);
            drop->accept();
        } else {
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        if (!m_entered)
            return false;
        m_entered = false;
        OnDragLeave(m_widget);
        return true;
    default: return false;
    }
}
