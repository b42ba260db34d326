#include "CSequenceEditor.h"

#include "CEditorDialogBar.h"
#include "CSequence.h"
#include "CSequenceListView.h"
#include "CSequenceStepView.h"
#include "StepClipboard.h"

#include "ProfileKeys.h"
#include "StringTable.h"

#include <QSplitter>

namespace {

constexpr QSize kPaneSize(150, 200);
constexpr QSize kFirstSize(1060, 440); // without a saved size: the table's eight columns show

// Menu 272 with accelerators 295, after the File commands and before the clipboard's.
const EditorCommand kCommands[] = {
    {ID_EDIT_SEQUENCE_NAME, IDS_SEQ_MENU_EDIT_SEQUENCE_NAME, nullptr},
    {ID_NEW_STEP, IDS_SEQ_MENU_NEW_STEP, "Ctrl+N"},
    {ID_APPEND_STEPS, IDS_SEQ_MENU_APPEND_STEPS, "Ctrl+A"},
    {ID_INSERT_STEPS, IDS_SEQ_MENU_INSERT_STEPS, "Ctrl+I"},
    {ID_AUTO_ADVANCE_COLUMNS, IDS_SEQ_MENU_AUTO_ADVANCE_COLUMNS, nullptr},
    {ID_AUTO_ADVANCE_ROWS, IDS_SEQ_MENU_AUTO_ADVANCE_ROWS, nullptr},
    {ID_EDIT_ITEM_NAME, IDS_SEQ_MENU_EDIT_ITEM_NAME, "Ctrl+E"},
};

// Toolbar 274.
const ToolButton kToolBar[] = {
    {ID_FILE_SAVE, QStyle::SP_DialogSaveButton},
    {0, {}},
    {ID_APPEND_STEPS, QStyle::SP_ArrowDown},
    {ID_INSERT_STEPS, QStyle::SP_ArrowRight},
    {ID_NEW_STEP, QStyle::SP_FileIcon},
    {0, {}},
    {ID_AUTO_ADVANCE_COLUMNS, QStyle::SP_MediaSeekForward},
    {ID_AUTO_ADVANCE_ROWS, QStyle::SP_MediaSkipForward},
    {0, {}},
    {ID_EDIT_ITEM_NAME, QStyle::SP_FileDialogDetailedView},
    {ID_EDIT_CUT, QStyle::SP_DialogDiscardButton},
    {ID_EDIT_COPY, QStyle::SP_FileDialogNewFolder},
    {ID_EDIT_PASTE, QStyle::SP_DialogApplyButton},
    {ID_DELETE, QStyle::SP_TrashIcon},
};

} // namespace

CSequenceEditor::CSequenceEditor(CSequence &item)
    : CEditorFrame(item, QStringLiteral("CSequenceEditor"), LoadString(IDS_SEQ_EDITOR_TITLE), IDR_SEQUENCE_EDITOR),
      m_item(item)
{
    m_pickers = new CSequenceListView(Splitter());
    m_steps = new CSequenceStepView(this, Splitter());
    m_pickers->SetPickHandler([this](int item, const QString &text) { m_steps->OnPick(item, text); });
    m_steps->SetPickerPane(m_pickers);
    SetPanes(m_pickers, kPaneSize, m_steps, kPaneSize);
    Splitter()->setStretchFactor(1, 1);
    BuildCommands();
    AddFileMenu();
    AddMenu(LoadString(IDS_EDITOR_MENU_EDIT),
            {ID_EDIT_SEQUENCE_NAME, 0, ID_NEW_STEP, ID_APPEND_STEPS, ID_INSERT_STEPS, 0, ID_AUTO_ADVANCE_COLUMNS,
             ID_AUTO_ADVANCE_ROWS, 0, ID_EDIT_ITEM_NAME, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE});
    AddToolBar(IDR_SEQUENCE_TOOLBAR, kToolBar);
    AddGeneratorBar([this] { OnGeneratorChosen(); });
    m_pickers->Fill(*DialogBar()->Generator(), false);
    std::vector<CSequenceStep> steps = item.Steps();
    m_steps->InsertStepsAt(steps, -1);
    SetTitle();
    KeepPlacement({ProfileKeys::kSequenceW, ProfileKeys::kSequenceH, ProfileKeys::kSequenceSP}, kFirstSize,
                  kPaneSize.width() + 60);
    UpdateCommands();
}

// --- Commands ----------------------------------------------------------------------

void CSequenceEditor::BuildCommands()
{
    AddCommands(kCommands);
    m_router.SetEnableRule(ID_FILE_SAVE, [this] { return m_item.IsModified(); });
    m_router.SetHandler(ID_EDIT_SEQUENCE_NAME, [this] { OnEditSequenceName(); });
    m_router.SetHandler(ID_NEW_STEP, [this] { OnNewStep(); });
    m_router.SetHandler(ID_APPEND_STEPS, [this] { m_appendMode = true; });
    m_router.SetCheckRule(ID_APPEND_STEPS, [this] { return m_appendMode; });
    m_router.SetHandler(ID_INSERT_STEPS, [this] { m_appendMode = false; });
    m_router.SetCheckRule(ID_INSERT_STEPS, [this] { return !m_appendMode; });
    m_router.SetHandler(ID_AUTO_ADVANCE_COLUMNS, [this] {
        m_advanceColumns = !m_advanceColumns;
        m_advanceRows = m_advanceRows && !m_advanceColumns;
    });
    m_router.SetCheckRule(ID_AUTO_ADVANCE_COLUMNS, [this] { return m_advanceColumns; });
    m_router.SetHandler(ID_AUTO_ADVANCE_ROWS, [this] {
        m_advanceRows = !m_advanceRows;
        m_advanceColumns = m_advanceColumns && !m_advanceRows;
    });
    m_router.SetCheckRule(ID_AUTO_ADVANCE_ROWS, [this] { return m_advanceRows; });
    m_router.SetHandler(ID_EDIT_ITEM_NAME, [this] { m_steps->EditItemName(); });
    m_router.SetEnableRule(ID_EDIT_ITEM_NAME, [this] { return m_steps->IsNameCell(); });
    AddClipboardCommands({.cut = [this] { OnCut(); },
                          .copy = [this] { OnCopy(); },
                          .paste = [this] { OnPaste(); },
                          .remove = [this] { OnDelete(); },
                          .hasSelection = [this] { return m_steps->HasSelection(); },
                          .canPaste = [] { return !StepClipboard().empty(); }});
}

void CSequenceEditor::OnNewStep()
{
    m_steps->InsertSteps({CSequenceStep()}, m_appendMode);
    SetModified();
}

void CSequenceEditor::OnCut()
{
    SetStepClipboard(m_steps->SelectedSteps());
    m_steps->RemoveSelectedRows();
    SetModified();
}

void CSequenceEditor::OnCopy()
{
    SetStepClipboard(m_steps->SelectedSteps());
    m_router.Update();
}

void CSequenceEditor::OnPaste()
{
    m_steps->InsertSteps(StepClipboard(), m_appendMode);
    m_steps->ShowCurrentCell();
    SetModified();
}

void CSequenceEditor::OnDelete()
{
    m_steps->RemoveSelectedRows();
    SetModified();
}

void CSequenceEditor::OnEditSequenceName()
{
    if (m_item.Rename())
        SetModified();
}

// --- State -------------------------------------------------------------------------

void CSequenceEditor::WriteBack()
{
    m_item.SetSteps(m_steps->Steps());
    SetModified(false);
}

QString CSequenceEditor::TitleName() const
{
    return QStringLiteral("\"%1\"").arg(m_item.GetName());
}

void CSequenceEditor::OnGeneratorChosen()
{
    m_pickers->Fill(*DialogBar()->Generator(), true);
    m_steps->ShowCurrentCell();
}
