#include "CGeneratorPaneDropTarget.h"

#include "GeneratorItemDragBlock.h"
#include "GeneratorViewRegistry.h"

#include <QMimeData>

CGeneratorPaneDropTarget::~CGeneratorPaneDropTarget()
{
    Revoke();
    pane = nullptr;
}

bool CGeneratorPaneDropTarget::Register(GeneratorDropPane *target, GeneratorViewHost *host)
{
    pane = target;
    inner.SetHost(host);
    inner.SetPane(target);
    return RegisterOn(target->DropWidget());
}

bool CGeneratorPaneDropTarget::IsBlockDrag(const QMimeData *data) const
{
    if (!pane || !pane->MayTakeBlock() || !g_pDragSourceView)
        return false;
    const QString type = GeneratorItemDragBlock::MimeType();
    return data && data->hasFormat(type) && GeneratorItemDragBlock::HasMagic(data->data(type));
}

Qt::DropAction CGeneratorPaneDropTarget::OnDragEnter(QWidget *window, const QMimeData *data,
                                                     Qt::KeyboardModifiers keys, QPoint point)
{
    if (IsBlockDrag(data))
        return Qt::CopyAction;
    return inner.OnDragEnter(window, data, keys, point);
}

Qt::DropAction CGeneratorPaneDropTarget::OnDragOver(QWidget *window, const QMimeData *data,
                                                    Qt::KeyboardModifiers keys, QPoint point)
{
    if (IsBlockDrag(data))
        return Qt::CopyAction;
    return inner.OnDragOver(window, data, keys, point);
}

bool CGeneratorPaneDropTarget::OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point)
{
    if (!IsBlockDrag(data))
        return inner.OnDrop(window, data, action, point);
    return pane->CopyFromGenerator(data->data(GeneratorItemDragBlock::MimeType()));
}

void CGeneratorPaneDropTarget::OnDragLeave(QWidget *window)
{
    inner.OnDragLeave(window);
    CDropTarget::OnDragLeave(window);
}
