#pragma once
// The part of a generator pane's drop target that takes a drag from the
// data list: the drop sends the data list's selected items to the pane's
// generator. The pane's own target (CGeneratorPaneDropTarget) hands it
// every drag that is not a drag between two generator panes.

#include "CDropTarget.h"

class GeneratorViewHost;
class QByteArray;

// What the drop targets of a generator data pane need of the pane; the
// pane implements it.
class GeneratorDropPane {
public:
    virtual ~GeneratorDropPane() = default;
    // The widget whose drags the targets take.
    virtual QWidget *DropWidget() = 0;
    // A tool transfers to the pane's generator: nothing is sent to it meanwhile.
    virtual bool IsViewBusy() const = 0;
    // Another pane's block may come in now: the pane has a view that is
    // neither busy nor playing, and the drag is not its own.
    virtual bool MayTakeBlock() const = 0;
    // Copies the block's items from the dragging pane's generator.
    virtual bool CopyFromGenerator(const QByteArray &block) = 0;
    // Sends the data list's selection to the pane's generator.
    virtual void SendDataListSelection() = 0;
};

class CGeneratorSendDropTarget : public CDropTarget {
public:
    CGeneratorSendDropTarget() = default;
    ~CGeneratorSendDropTarget() override;

    void SetPane(GeneratorDropPane *target) { pane = target; }
    void SetHost(GeneratorViewHost *viewHost) { host = viewHost; }

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    GeneratorDropPane *pane = nullptr;
    bool dataListDragging = false; // the data list was dragging on entry
    GeneratorViewHost *host = nullptr;
};
