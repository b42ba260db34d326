#pragma once
// The part of a generator pane's drop target that takes a drag from the
// data list: the drop sends the data list's selected items to the pane's
// generator. The pane's own target (CGeneratorPaneDropTarget) hands it
// every drag that is not a drag between two generator panes.

#include "CDropTarget.h"

class CGeneratorDataPane;
class GeneratorViewHost;

class CGeneratorSendDropTarget : public CDropTarget {
public:
    CGeneratorSendDropTarget() = default;
    ~CGeneratorSendDropTarget() override;

    void SetPane(CGeneratorDataPane *target) { pane = target; }
    void SetHost(GeneratorViewHost *viewHost) { host = viewHost; }

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    CGeneratorDataPane *pane = nullptr;
    bool dataListDragging = false; // the data list was dragging on entry
    GeneratorViewHost *host = nullptr;
};
