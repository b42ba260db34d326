#pragma once
// The left-hand pane of the sequence editor: seven pickers, one per field
// of a step, of which the one of the current cell's column shows (the
// static "No Selection" when there is no current cell). A double-click on
// an item sets the current cell to it.

#include "ResourceIds.h"

#include <QWidget>

#include <array>
#include <functional>

class CGenerator;
class QLabel;
class QListWidget;

class CSequenceListView : public QWidget {
public:
    explicit CSequenceListView(QWidget *parent);

    // A double-click on item (its row in the picker) of the shown picker: the
    // step table takes it for the current cell.
    using PickHandler = std::function<void(int item, const QString &text)>;
    void SetPickHandler(PickHandler handler) { m_onPick = std::move(handler); }

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
    PickHandler m_onPick;
    int m_shownColumn = 0;
};
