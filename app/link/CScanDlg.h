#pragma once
// "Scanning the Generator...": per kind of stored item, the total and a
// running count while the generator data pane reads them.

#include "ResourceIds.h"

#include <QDialog>

class CScanDlg : public QDialog {
public:
    enum : int { IDD = IDD_SCAN };
    // Kinds of the rows, top to bottom.
    enum Kind { kFormats, kImages, kSequences, kKnobLists, kFonts, kPixelMaps, kLookupTables, kKinds };

    struct Row {
        int total;
        int running;
        int check;
        unsigned label; // text id
        int y;
    };
    static const Row kRows[kKinds];

    // The caller shows the dialog and closes it when the scan ends.
    CScanDlg(bool hasFonts, bool hasMaps, bool hasLuts, QWidget *parent = nullptr);

    // Writes count into the running count of the kind's row; other kinds are ignored.
    void SetCount(int count, int kind);

    bool m_hasFonts;
    bool m_hasMaps;
    bool m_hasLuts;

private:
    void BuildControls();
    void OnInitDialog();
    void ColourRows();
    bool RowAvailable(int kind) const;
};
