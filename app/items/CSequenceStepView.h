#pragma once
// The right-hand pane of the sequence editor: the table of steps (list
// 1228), one row per step and one column per field, with the current cell
// the pickers edit. Rows own copies of the steps; the editor writes them
// back into the sequence when it is stored.

#include "CSequenceStep.h"
#include "CStepDropTarget.h"
#include "CStepListCtrl.h"
#include "ResourceIds.h"

#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class CSequenceListView;

// What the step table needs of its editor; the sequence editor implements it.
class StepTableEditorLink {
public:
    virtual ~StepTableEditorLink() = default;
    // The steps changed (a pick, a name, a drop): the editor is modified.
    virtual void SetModified(bool modified = true) = 0;
    // The current cell or the selection changed: the commands' rules anew.
    virtual void OnCellChanged() = 0;
    virtual bool AutoAdvanceColumns() const = 0;
    virtual bool AutoAdvanceRows() const = 0;
};

class CSequenceStepView : public QWidget, public StepDropPane {
public:
    CSequenceStepView(StepTableEditorLink *editor, QWidget *parent);
    ~CSequenceStepView() override;

    void SetPickerPane(CSequenceListView *pickers) { m_pickers = pickers; }
    StepTableEditorLink *Editor() const { return m_editor; }
    CStepListCtrl *List() const { return m_list; }
    CStepDropTarget *DropTarget() const { return m_dropTarget.get(); }

    // --- Rows -----------------------------------------------------------------
    int RowCount() const;
    const CSequenceStep &StepAt(int row) const;
    std::vector<CSequenceStep> Steps() const;
    QList<int> SelectedRows() const; // top down
    std::vector<CSequenceStep> SelectedSteps() const;
    bool HasSelection() const { return !SelectedRows().isEmpty(); }
    QString CellText(int row, int column) const;

    // At the end (append, or no current row) or before the current row,
    // keeping their order; new rows are not selected.
    void InsertSteps(const std::vector<CSequenceStep> &steps, bool append);
    // Before row, or at the end for row -1.
    void InsertStepsAt(const std::vector<CSequenceStep> &steps, int row);
    void RemoveSelectedRows();
    // Writes the numbers of the rows from first on; a current row past the
    // end becomes none.
    void Renumber(int first = 0);

    // --- The current cell ------------------------------------------------------
    int CurrentRow() const { return m_currentRow; }
    int CurrentColumn() const { return m_currentColumn; }
    // Moves the cell (clamped to the table) and shows it in the pickers.
    void SetCurrentCell(int row, int column);
    void ShowCurrentCell();
    bool IsNameCell() const;
    // A picker item chose a value for the current cell: the field takes it,
    // the editor is modified, the cell auto-advances.
    void OnPick(int item, const QString &text);
    // The name dialog on the current format or image cell.
    void EditItemName();

    // --- Drags ------------------------------------------------------------------
    void OnBeginDrag();
    // The drop target's highlighted row (-1 none).
    int DropRow() const { return m_dropRow; }
    // --- StepDropPane
    QTreeWidget *DropList() const override { return m_list; }
    void SetDropRow(int row) override;
    void DropSteps(const std::vector<CSequenceStep> &steps, int row) override;

private:
    class StepDelegate;

    void OnPress(QMouseEvent *event);
    void OnDoubleClick(QMouseEvent *event);
    bool OnKey(QKeyEvent *event);
    void AutoAdvance();
    void RefreshRow(int row);
    // A row for the table, numbered as row.
    QTreeWidgetItem *MakeRow(const CSequenceStep &step, int row) const;
    CSequenceStep &MutableStep(int row);
    // The cell under a point of the viewport, as a click finds it.
    std::pair<int, int> CellAt(QPoint point) const;

    StepTableEditorLink *m_editor;
    CSequenceListView *m_pickers = nullptr;
    CStepListCtrl *m_list = nullptr;
    std::unique_ptr<CStepDropTarget> m_dropTarget;
    int m_currentRow = -1;
    int m_previousRow = -1;
    int m_currentColumn = -1;
    int m_previousColumn = -1;
    int m_dropRow = -1;
};
