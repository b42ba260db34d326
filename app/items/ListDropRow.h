#pragma once
// Where a drag over a report list would drop, as the sequence and knob
// list editors find it: the row under the cursor; above the rows shown,
// the row before the top one; below them, the last one shown; beside the
// rows, after the last one (append). Near the top or bottom edge the list
// scrolls one row.

#include <QPoint>

class QTreeWidget;

// What a list's drop target needs of the pane that shows the list.
class ListDropPane {
public:
    virtual ~ListDropPane() = default;
    virtual QTreeWidget *DropList() const = 0;
    // The row shown as where a drop goes; -1 for none.
    virtual void SetDropRow(int row) = 0;
};

struct ListDropRow {
    int row = -1;        // the row a drop goes before; -1 with append
    bool append = false; // after the last row
    int highlight = -1;  // the row to show highlighted
};

ListDropRow TrackListDropRow(QTreeWidget *list, QPoint point);
