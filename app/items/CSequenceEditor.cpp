#include "CSequenceEditor.h"

#include "CEditorDialogBar.h"
#include "CSequence.h"
#include "CSequenceListView.h"
#include "CSequenceStepView.h"
#include "StepClipboard.h"

#include "DialogUnits.h"
#include "ProfileKeys.h"
#include "StringTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr QSize kPaneSize(150, 200);
constexpr QSize kFirstSize(1060, 440); // without a saved size: the table's eight columns show

struct EditorCommand {
    int id;
    unsigned text; // text id
    const char *accelerator; // nullptr: none
};

// Menu 272 with accelerators 295.
const EditorCommand kCommands[] = {
    {ID_FILE_SAVE, IDS_EDITOR_MENU_SAVE, "Ctrl+S"},
    {ID_FILE_SAVE_AS, IDS_EDITOR_MENU_SAVE_AS, nullptr},
    {ID_FILE_CLOSE, IDS_EDITOR_MENU_CLOSE, nullptr},
    {ID_EDIT_SEQUENCE_NAME, IDS_SEQ_MENU_EDIT_SEQUENCE_NAME, nullptr},
    {ID_NEW_STEP, IDS_SEQ_MENU_NEW_STEP, "Ctrl+N"},
    {ID_APPEND_STEPS, IDS_SEQ_MENU_APPEND_STEPS, "Ctrl+A"},
    {ID_INSERT_STEPS, IDS_SEQ_MENU_INSERT_STEPS, "Ctrl+I"},
    {ID_AUTO_ADVANCE_COLUMNS, IDS_SEQ_MENU_AUTO_ADVANCE_COLUMNS, nullptr},
    {ID_AUTO_ADVANCE_ROWS, IDS_SEQ_MENU_AUTO_ADVANCE_ROWS, nullptr},
    {ID_EDIT_ITEM_NAME, IDS_SEQ_MENU_EDIT_ITEM_NAME, "Ctrl+E"},
    {ID_EDIT_CUT, IDS_EDITOR_MENU_CUT, "Ctrl+X"},
    {ID_EDIT_COPY, IDS_EDITOR_MENU_COPY, "Ctrl+C"},
    {ID_EDIT_PASTE, IDS_EDITOR_MENU_PASTE, "Ctrl+V"},
    {ID_DELETE, IDS_EDITOR_MENU_DELETE, "Del"},
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
    : QMainWindow(nullptr), m_item(item),
      m_placement({ProfileKeys::kSequenceW, ProfileKeys::kSequenceH, ProfileKeys::kSequenceSP}, kFirstSize,
                  kPaneSize.width() + 60)
{
    setObjectName(QStringLiteral("CSequenceEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LoadString(IDS_SEQ_EDITOR_TITLE));
    m_router.SetActionOwner(this);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_pickers = new CSequenceListView(m_splitter);
    m_steps = new CSequenceStepView(this, m_splitter);
    m_pickers->SetStepPane(m_steps);
    m_steps->SetPickerPane(m_pickers);
    m_pickers->resize(kPaneSize);
    m_steps->resize(kPaneSize);
    m_splitter->addWidget(m_pickers);
    m_splitter->addWidget(m_steps);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    BuildCommands();
    BuildMenus();
    BuildBars();
    m_pickers->Fill(*m_bar->Generator(), false);
    std::vector<CSequenceStep> steps = item.Steps();
    m_steps->InsertStepsAt(steps, -1);
    UpdateTitle();
    m_placement.Apply(*this);
    m_router.Update();
}

CSequenceEditor::~CSequenceEditor()
{
    m_placement.Save(*this, *m_splitter);
    m_item.NotifyEditorClosed();
}

// --- Commands ----------------------------------------------------------------------

void CSequenceEditor::BuildCommands()
{
    for (const EditorCommand &command : kCommands) {
        QAction *action = m_router.Add(command.id, LoadString(command.text), LoadString(unsigned(command.id)));
        if (command.accelerator)
            action->setShortcut(QKeySequence(QString::fromLatin1(command.accelerator)));
    }
    m_router.SetHandler(ID_FILE_SAVE, [this] {
        m_item.RequestSave();
        UpdateTitle();
    });
    m_router.SetEnableRule(ID_FILE_SAVE, [this] { return m_item.IsModified(); });
    m_router.SetHandler(ID_FILE_SAVE_AS, [this] {
        m_item.RequestSaveAs();
        UpdateTitle();
    });
    m_router.SetHandler(ID_FILE_CLOSE, [this] { close(); });
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
    m_router.SetHandler(ID_EDIT_CUT, [this] { OnCut(); });
    m_router.SetHandler(ID_EDIT_COPY, [this] { OnCopy(); });
    m_router.SetHandler(ID_DELETE, [this] { OnDelete(); });
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_DELETE})
        m_router.SetEnableRule(id, [this] { return m_steps->HasSelection(); });
    m_router.SetHandler(ID_EDIT_PASTE, [this] { OnPaste(); });
    m_router.SetEnableRule(ID_EDIT_PASTE, [] { return !StepClipboard().empty(); });
}

void CSequenceEditor::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(ControlName(IDR_SEQUENCE_EDITOR));
    auto add = [this](QMenu *menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_router.Action(id));
        }
        m_router.Watch(menu);
    };
    add(bar->addMenu(LoadString(IDS_EDITOR_MENU_FILE)), {ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_FILE_CLOSE});
    add(bar->addMenu(LoadString(IDS_EDITOR_MENU_EDIT)),
        {ID_EDIT_SEQUENCE_NAME, 0, ID_NEW_STEP, ID_APPEND_STEPS, ID_INSERT_STEPS, 0, ID_AUTO_ADVANCE_COLUMNS,
         ID_AUTO_ADVANCE_ROWS, 0, ID_EDIT_ITEM_NAME, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE});
}

void CSequenceEditor::BuildBars()
{
    QToolBar *tools = m_router.AddToolBar(this, ControlName(IDR_SEQUENCE_TOOLBAR), kToolBar);
    tools->setIconSize(QSize(16, 16));
    addToolBarBreak();
    QToolBar *host = addToolBar(LoadString(IDS_EDITOR_GENERATOR_BAR));
    host->setObjectName(ControlName(ID_EDITOR_BAR));
    host->setMovable(false);
    m_bar = new CEditorDialogBar(host, [this] { OnGeneratorChosen(); });
    host->addWidget(m_bar);
}

void CSequenceEditor::UpdateCommands()
{
    m_router.Update();
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

void CSequenceEditor::SetModified(bool modified)
{
    m_modified = modified;
    UpdateTitle();
    m_router.Update();
}

void CSequenceEditor::WriteBack()
{
    m_item.SetSteps(m_steps->Steps());
    SetModified(false);
}

void CSequenceEditor::UpdateTitle()
{
    const bool modified = m_item.IsModified();
    setWindowTitle(QStringLiteral("\"%1\"").arg(m_item.GetName()) + (modified ? QStringLiteral(" * ") : QStringLiteral("  ")) +
                   m_item.GetFileText());
}

void CSequenceEditor::OnGeneratorsChanged(int)
{
    m_bar->Fill();
}

void CSequenceEditor::OnGeneratorChosen()
{
    m_pickers->Fill(*m_bar->Generator(), true);
    m_steps->ShowCurrentCell();
}

// --- Window ------------------------------------------------------------------------

void CSequenceEditor::closeEvent(QCloseEvent *event)
{
    if (m_item.SaveModified())
        event->accept();
    else
        event->ignore();
}

void CSequenceEditor::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_placement.ApplySplit(*m_splitter);
}

