#pragma once
// The data list's drop target: it takes a drag that comes from a generator
// data pane and recalls the pane's selected items into new rows. The drag
// carries nothing it reads: the main window says which pane is dragging.

#include "CDropTarget.h"

class CDataListView;
class CGeneratorDataPane;
class ShellWindow;

class CDataListDropTarget : public CDropTarget {
public:
    CDataListDropTarget() = default;
    ~CDataListDropTarget() override;

    void SetShellWindow(ShellWindow *window) { mainWindow = window; }
    // Keeps the view and takes the drags of its list.
    bool Register(CDataListView *list);

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    CDataListView *view = nullptr;
    CGeneratorDataPane *draggingPane = nullptr; // found dragging when the drag entered
    ShellWindow *mainWindow = nullptr;
};
