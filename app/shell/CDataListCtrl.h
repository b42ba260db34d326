#pragma once
// The report list inside the data list view: it turns a label edit into
// the item's name dialog, starts the view's drag, and takes files dropped
// from the desktop.

#include <QTreeWidget>

class CDataListView;

class CDataListCtrl : public QTreeWidget {
public:
    explicit CDataListCtrl(CDataListView *view);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    CDataListView *m_view;
};

// The local files a drop carries, in its order; empty when it carries none.
QStringList DroppedFiles(const QMimeData *data);
