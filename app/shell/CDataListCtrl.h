#pragma once
// The report list inside the data list view: it asks for the item's name
// dialog in place of a label edit, for the view's drag, and hands on files
// dropped from the desktop. It tells its view through signals.

#include <QStringList>
#include <QTreeWidget>

class CDataListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDataListCtrl(QWidget *parent);

signals:
    void labelEditRequested(QTreeWidgetItem *row);
    void dragRequested();
    void filesDropped(const QStringList &paths);
    void listClicked();

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The local files a drop carries, in its order; empty when it carries none.
QStringList DroppedFiles(const QMimeData *data);
