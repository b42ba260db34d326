#pragma once
// What the selection of a generator data pane allows: whether the selected
// items may be deleted, recalled and used. The pane gathers its selection
// and the view's state into the input; the view's commands read the result.

#include <QList>
#include <QString>

struct DataPaneSelectionRow {
    int kind;     // the row's kind code
    bool user;    // user data, not built into the generator
    QString name;
};

struct DataPaneSelectionInput {
    int list = 0;                 // 0 to 5, or 7 for the detailed list
    bool detailedListFilled = false;
    bool playing = false;         // the view plays a sequence
    bool knobListMode = false;
    double firmware = 0;
    QString inUse;                // the format, image or sequence in use for lists 0, 1, 2
};

struct DataPaneSelectionFlags {
    bool deletable = false;
    bool recallable = false;
    bool usable = false;
    bool operator==(const DataPaneSelectionFlags &) const = default;
};

// rows: the selected rows from the first down.
DataPaneSelectionFlags ComputeSelectionFlags(const DataPaneSelectionInput &input,
                                             const QList<DataPaneSelectionRow> &rows);
