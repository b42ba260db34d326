#pragma once
// The sequence editor: a top-level window per open sequence, the pickers on
// the left and the step table on the right, with the generator choice
// along the top. It edits copies of the sequence's steps and writes them
// back when the item is stored.

#include "ResourceIds.h"

#include "CommandRouter.h"
#include "EditorPlacement.h"

#include <QMainWindow>

class CEditorDialogBar;
class CSequence;
class CSequenceListView;
class CSequenceStepView;
class QSplitter;

class CSequenceEditor : public QMainWindow {
public:
    // Shows the sequence's steps; the window deletes itself when it closes.
    explicit CSequenceEditor(CSequence &item);
    // Tells the item its editor has gone and keeps its size.
    ~CSequenceEditor() override;

    CSequence &Item() const { return m_item; }
    CommandRouter &Router() { return m_router; }
    CSequenceStepView *StepView() const { return m_steps; }
    CSequenceListView *ListView() const { return m_pickers; }
    CEditorDialogBar *DialogBar() const { return m_bar; }
    QSplitter *Splitter() const { return m_splitter; }

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified = true);
    // The steps replace the item's; the editor is then unmodified.
    void WriteBack();
    // "name" * folder/file, or "<no associated file>".
    void UpdateTitle();
    // A generator was connected (0) or disconnected (1).
    void OnGeneratorsChanged(int hint);
    // Re-evaluates the commands' rules (after a selection or cell change).
    void UpdateCommands();

    bool AppendMode() const { return m_appendMode; }
    bool AutoAdvanceColumns() const { return m_advanceColumns; }
    bool AutoAdvanceRows() const { return m_advanceRows; }

    // The commands, as the menu runs them.
    void OnNewStep();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnDelete();
    void OnEditSequenceName();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void BuildCommands();
    void BuildMenus();
    void BuildBars();
    void OnGeneratorChosen();

    CSequence &m_item;
    CommandRouter m_router;
    CEditorDialogBar *m_bar = nullptr;
    QSplitter *m_splitter = nullptr;
    CSequenceListView *m_pickers = nullptr;
    CSequenceStepView *m_steps = nullptr;
    bool m_appendMode = true;
    bool m_advanceColumns = false;
    bool m_advanceRows = false;
    bool m_modified = false;
    EditorPlacement m_placement;
};
