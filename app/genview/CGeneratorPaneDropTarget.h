#pragma once
// A generator data pane's drop target. A drag from another generator's
// pane carries the generator item drag block: its drop copies the items
// from that generator to this one. Every other drag goes to the inner
// target, which takes the data list's drags.

#include "CGeneratorSendDropTarget.h"

class GeneratorViewHost;

class CGeneratorPaneDropTarget : public CDropTarget {
public:
    CGeneratorPaneDropTarget() = default;
    ~CGeneratorPaneDropTarget() override;

    // The inner target learns the main window and the pane; then the pane's
    // drags come here.
    bool Register(GeneratorDropPane *target, GeneratorViewHost *host);

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

    // True when the drag is a block this pane may take now: not while its
    // view is busy or playing, never its own, only while a source pane drags.
    bool IsBlockDrag(const QMimeData *data) const;

private:
    GeneratorDropPane *pane = nullptr;
    CGeneratorSendDropTarget inner;
};
