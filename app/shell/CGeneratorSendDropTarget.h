#pragma once
// The part of a generator pane's drop target that takes a drag from the
// data list: the drop sends the data list's selected items to the pane's
// generator. The pane's own target (CGeneratorPaneDropTarget) hands it
// every drag that is not a drag between two generator panes.

#include "CDropTarget.h"

class CDataListView;
class CGeneratorDataPane;
class CMainWindow;

class CGeneratorSendDropTarget : public CDropTarget {
public:
    CGeneratorSendDropTarget() = default;
    ~CGeneratorSendDropTarget() override;

    void SetPane(CGeneratorDataPane *target) { pane = target; }
    void SetMainWindow(CMainWindow *window) { mainWindow = window; }

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    CGeneratorDataPane *pane = nullptr;
    CDataListView *draggingList = nullptr; // the data list when it was dragging on entry
    CMainWindow *mainWindow = nullptr;
};
