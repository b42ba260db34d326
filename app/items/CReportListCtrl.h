#pragma once
// The report list of an item editor's pane: rows of columns, several rows
// selectable whole, nothing edited in place. A drag of the selected rows
// is the pane's to run.

#include <QTreeWidget>

#include <functional>

class CReportListCtrl : public QTreeWidget {
public:
    // id: the list's control id.
    CReportListCtrl(QWidget *parent, int id);

    // Runs the drag of the selected rows.
    std::function<void()> onBeginDrag;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
};
