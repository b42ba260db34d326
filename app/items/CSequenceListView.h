#pragma once
// The left-hand pane of the sequence editor: seven pickers, one per field
// of a step, of which the one of the current cell's column shows (the
// static "No Selection" when there is no current cell). A double-click on
// an item sets the current cell to it.

#include "ResourceIds.h"

#include <QWidget>

#include <array>

class CGenerator;
class CSequenceStepView;
class QLabel;
class QListWidget;

class CSequenceListView : public QWidget {
public:
    explicit CSequenceListView(QWidget *parent);

    void SetStepPane(CSequenceStepView *steps) { m_steps = steps; }

    // The format and image pickers take the generator's names; with
    // namesOnly false the other five are filled too.
    void Fill(CGenerator &generator, bool namesOnly);
    // Shows the picker of column with the item of text selected, or the
    // static when row < 0 or column < 1.
    void ShowCell(int row, int column, const QString &text);

    // The picker of a step column (1 to 7), or nullptr.
    QListWidget *Picker(int column) const;
    QLabel *NoSelection() const { return m_noSelection; }
    // The column whose picker shows, 0 when none does.
    int ShownColumn() const { return m_shownColumn; }

private:
    void FillPicker(int column, const QStringList &items);

    std::array<QListWidget *, 8> m_pickers{}; // by column; [0] unused
    QLabel *m_noSelection = nullptr;
    CSequenceStepView *m_steps = nullptr;
    int m_shownColumn = 0;
};
