#pragma once
// The data list's drop target: it takes a drag that comes from a generator
// data pane and recalls the pane's selected items into new rows. The drag
// carries nothing it reads: the main window says which pane is dragging.

#include "CDropTarget.h"

#include <functional>

class CGeneratorDataPane;
class QTreeWidget;
class ShellWindow;

class CDataListDropTarget : public CDropTarget {
public:
    CDataListDropTarget() = default;
    ~CDataListDropTarget() override;

    void SetShellWindow(ShellWindow *window) { mainWindow = window; }
    // Takes the drags over the data list's report control; a drop hands the
    // dragging pane to recall.
    bool Register(QTreeWidget *list, std::function<void(CGeneratorDataPane *)> recall);

    Qt::DropAction OnDragEnter(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                               QPoint point) override;
    Qt::DropAction OnDragOver(QWidget *window, const QMimeData *data, Qt::KeyboardModifiers keys,
                              QPoint point) override;
    bool OnDrop(QWidget *window, const QMimeData *data, Qt::DropAction action, QPoint point) override;
    void OnDragLeave(QWidget *window) override;

private:
    std::function<void(CGeneratorDataPane *)> recallFromPane;
    CGeneratorDataPane *draggingPane = nullptr; // found dragging when the drag entered
    ShellWindow *mainWindow = nullptr;
};
