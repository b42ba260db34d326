#pragma once
// The sequence editor: a top-level window per open sequence, the pickers on
// the left and the step table on the right, with the generator choice
// along the top. It edits copies of the sequence's steps and writes them
// back when the item is stored.

#include "CEditorFrame.h"
#include "CSequenceStepView.h"
#include "ResourceIds.h"

class CSequence;
class CSequenceListView;

class CSequenceEditor : public CEditorFrame, public StepTableEditorLink {
public:
    // Shows the sequence's steps.
    explicit CSequenceEditor(CSequence &item);

    CSequence &Item() const { return m_item; }
    CSequenceStepView *StepView() const { return m_steps; }
    CSequenceListView *ListView() const { return m_pickers; }

    // The steps replace the item's; the editor is then unmodified.
    void WriteBack() override;

    // --- StepTableEditorLink --------------------------------------------------------
    void SetModified(bool modified = true) override { CEditorFrame::SetModified(modified); }
    void OnCellChanged() override { UpdateCommands(); }
    bool AutoAdvanceColumns() const override { return m_advanceColumns; }
    bool AutoAdvanceRows() const override { return m_advanceRows; }

    bool AppendMode() const { return m_appendMode; }

    // The commands, as the menu runs them.
    void OnNewStep();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnDelete();
    void OnEditSequenceName();

protected:
    // "name", in double quotes.
    QString TitleName() const override;

private:
    void BuildCommands();
    void OnGeneratorChosen();

    CSequence &m_item;
    CSequenceListView *m_pickers = nullptr;
    CSequenceStepView *m_steps = nullptr;
    bool m_appendMode = true;
    bool m_advanceColumns = false;
    bool m_advanceRows = false;
};
