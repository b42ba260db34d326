#pragma once
// One row of the knob list editor: a name and the position it is written
// back to. Sorting the rows leaves the positions; every insertion and
// removal numbers the rows anew.

#include <QString>

struct CKnobListEntry {
    QString name;
    int index = 0;
};
