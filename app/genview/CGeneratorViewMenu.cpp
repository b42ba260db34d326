// Menu 214, toolbar 212, context menu 301 and dialog bar 299 of a generator
// view: each command with its text, tip, handler and enable rule.

#include "CGeneratorView.h"

#include "CGeneratorDataPane.h"
#include "CGeneratorDialogBar.h"
#include "CGeneratorViewChild.h"
#include "CGenerator.h"
#include "CSpinButtonCtrl.h"
#include "CStateButton.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "ShellImages.h"
#include "StringTable.h"

#include <QAction>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>


namespace {

struct CommandText {
    int id;
    unsigned text; // text id; 0: the tip is the text (toolbar only)
};

const CommandText kCommands[] = {
    {ID_LOAD_FORMAT_LIST, IDS_VIEW_MENU_LOAD_FORMAT_LIST},
    {ID_SAVE_FORMAT_LIST, IDS_VIEW_MENU_SAVE_FORMAT_LIST},
    {ID_SAVE_FORMAT_LIST_TEXT, IDS_VIEW_MENU_SAVE_FORMAT_LIST_TEXT},
    {ID_PRINT_FORMAT_LIST, IDS_VIEW_MENU_PRINT_FORMAT_LIST},
    {ID_CLOSE_VIEW, IDS_VIEW_MENU_CLOSE_VIEW},
    {ID_SELECT_ALL, IDS_VIEW_MENU_SELECT_ALL},
    {ID_USE_ITEM, IDS_VIEW_MENU_USE_ITEM},
    {ID_RECALL_ITEMS, IDS_VIEW_MENU_RECALL_ITEMS},
    {ID_SCAN_FORMATS, IDS_VIEW_MENU_SCAN_FORMATS},
    {ID_COPY, IDS_VIEW_MENU_COPY},
    {ID_RENAME, IDS_VIEW_MENU_RENAME},
    {ID_ERASE, IDS_VIEW_MENU_ERASE},
    {ID_DELETE, IDS_VIEW_MENU_DELETE},
    {ID_CMD_TERMINAL, IDS_VIEW_MENU_CMD_TERMINAL},
    {ID_DIAGNOSTICS, IDS_VIEW_MENU_DIAGNOSTICS},
    {ID_HELP_OPEN, IDS_VIEW_MENU_HELP_OPEN},
    {ID_LIST_FORMATS, 0},
    {ID_LIST_IMAGES, 0},
    {ID_LIST_SEQUENCES, 0},
    {ID_LIST_KNOB_LISTS, 0},
    {ID_LIST_FONTS, 0},
    {ID_LIST_ICONS, 0},
    {ID_LIST_DETAILED, 0},
    {ID_RECALL_AND_EDIT, 0},
    {ID_LOAD_INTO_GENERATOR, 0},
    {ID_CONTEXT_OPEN, IDS_CONTEXT_OPEN},
    {ID_CONTEXT_EDIT, IDS_CONTEXT_EDIT},
    {ID_CONTEXT_COPY, IDS_CONTEXT_COPY},
    {ID_CONTEXT_RENAME, IDS_CONTEXT_RENAME},
    {ID_CONTEXT_PROPERTIES, IDS_CONTEXT_PROPERTIES},
    {IDC_RED, IDS_TOGGLE_RED},
    {IDC_GREEN, IDS_TOGGLE_GREEN},
    {IDC_BLUE, IDS_TOGGLE_BLUE},
    {IDC_OUTPUT, IDS_TOGGLE_OUTPUT},
    {IDC_ACS, IDS_TOGGLE_ACS},
    {IDC_DCS, IDS_TOGGLE_DCS},
    {IDC_DSS, IDS_TOGGLE_DSS},
};

// The list buttons and the list each shows.
struct ListButton {
    int id;
    int list;
};
const ListButton kListButtons[] = {
    {ID_LIST_FORMATS, CGeneratorDataPane::kFormats},    {ID_LIST_IMAGES, CGeneratorDataPane::kImages},
    {ID_LIST_SEQUENCES, CGeneratorDataPane::kSequences}, {ID_LIST_KNOB_LISTS, CGeneratorDataPane::kKnobLists},
    {ID_LIST_FONTS, CGeneratorDataPane::kFonts},         {ID_LIST_ICONS, CGeneratorDataPane::kIcons},
};

const ToolButton kToolBar[] = {
    {ID_USE_ITEM, QStyle::SP_FileIcon},
    {0, {}},
    {ID_RECALL_ITEMS, QStyle::SP_ArrowLeft},
    {0, {}},
    {ID_DELETE, QStyle::SP_TrashIcon},
    {0, {}},
    {ID_LIST_FORMATS, QStyle::SP_ComputerIcon},
    {ID_LIST_IMAGES, QStyle::SP_DesktopIcon},
    {ID_LIST_SEQUENCES, QStyle::SP_FileDialogListView},
    {ID_LIST_KNOB_LISTS, QStyle::SP_FileDialogContentsView},
    {ID_LIST_FONTS, QStyle::SP_FileDialogDetailedView},
    {ID_LIST_ICONS, QStyle::SP_DirIcon},
    {ID_LIST_DETAILED, QStyle::SP_FileDialogInfoView},
    {0, {}},
    {ID_RECALL_AND_EDIT, QStyle::SP_BrowserReload},
    {ID_LOAD_INTO_GENERATOR, QStyle::SP_ArrowRight},
};

constexpr int kToggleIds[] = {IDC_RED, IDC_GREEN, IDC_BLUE, IDC_OUTPUT, IDC_ACS, IDC_DCS, IDC_DSS};

} // namespace

void CGeneratorView::BuildCommands()
{
    for (const CommandText &command : kCommands) {
        const QString tip = LoadString(unsigned(command.id));
        m_router.Add(command.id, command.text ? LoadString(command.text) : tip, tip);
        m_router.SetEnableRule(command.id, [this, id = command.id] {
            return IsGeneratorViewCommandEnabled(id, Flags());
        });
    }
    for (const ListButton &button : kListButtons) {
        m_router.SetCheckRule(button.id, [this, list = button.list] {
            return m_dataPane && m_dataPane->CurrentList() == list;
        });
    }
    m_router.SetCheckRule(ID_LIST_DETAILED, [this] { return m_dataPane && m_dataPane->IsDetailedMode(); });
}

void CGeneratorView::WireCommands()
{
    CGeneratorDataPane *pane = m_dataPane;
    m_router.SetHandler(ID_LOAD_FORMAT_LIST, [pane] { pane->LoadFormatList(); });
    m_router.SetHandler(ID_SAVE_FORMAT_LIST, [pane] { pane->SaveFormatList(); });
    m_router.SetHandler(ID_SAVE_FORMAT_LIST_TEXT, [this] { SaveFormatListAsText(); });
    m_router.SetHandler(ID_PRINT_FORMAT_LIST, [this] { PrintFormatList(); });
    m_router.SetHandler(ID_CLOSE_VIEW, [this] { close(); });
    m_router.SetHandler(ID_SELECT_ALL, [pane] { pane->SelectAll(); });
    m_router.SetHandler(ID_USE_ITEM, [pane] { pane->UseSelected(); });
    m_router.SetHandler(ID_RECALL_ITEMS, [pane] { pane->RecallSelected(); });
    m_router.SetHandler(ID_SCAN_FORMATS, [pane] { pane->ScanFormats(); });
    m_router.SetHandler(ID_COPY, [this] { CopySelected(); });
    m_router.SetHandler(ID_CONTEXT_COPY, [this] { CopySelected(); });
    m_router.SetHandler(ID_RENAME, [pane] { pane->RenameSelected(); });
    m_router.SetHandler(ID_DELETE, [pane] { pane->DeleteSelected(); });
    // As in the main window: without the window's kind in the program they stay off.
    if (FindViewChildFactory(ViewChildKind::CmdTerminal))
        m_router.SetHandler(ID_CMD_TERMINAL, [this] { OpenCmdTerminal(); });
    if (FindViewChildFactory(ViewChildKind::Diagnostics))
        m_router.SetHandler(ID_DIAGNOSTICS, [this] { OpenDiagnostics(); });
    m_router.SetHandler(ID_HELP_OPEN, [this] {
        if (m_host)
            m_host->OpenHelpFile();
    });
    for (const ListButton &button : kListButtons) {
        m_router.SetHandler(button.id, [this, list = button.list] {
            ShowList(list, list == CGeneratorDataPane::kKnobLists);
        });
    }
    m_router.SetHandler(ID_LIST_DETAILED, [this] { ShowList(CGeneratorDataPane::kDetailed, m_knobListMode); });
    m_router.SetHandler(ID_RECALL_AND_EDIT, [this] { RecallAndEdit(); });
    m_router.SetHandler(ID_CONTEXT_EDIT, [this] { RecallAndEdit(); });
    m_router.SetHandler(ID_LOAD_INTO_GENERATOR, [this] { LoadIntoGenerator(); });
    m_router.SetHandler(ID_CONTEXT_OPEN, [pane] { pane->OnDblclkList(); });
    // "&Erase", the context menu's "Rename" and "Properties" have no handler.
    for (int id : {IDC_RED, IDC_GREEN, IDC_BLUE})
        m_router.SetHandler(id, [this, id] { OnToggleGate(id); });
    m_router.SetHandler(IDC_OUTPUT, [this] { OnToggleOutput(); });
    for (int id : {IDC_ACS, IDC_DCS, IDC_DSS})
        m_router.SetHandler(id, [this, id] { OnToggleSync(id); });
}

void CGeneratorView::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(ControlName(IDR_GENERATOR_VIEW));
    auto add = [this](QMenu *menu, std::initializer_list<int> ids) { m_router.FillMenu(menu, ids); };
    add(bar->addMenu(LoadString(IDS_VIEW_MENU_FILE)), {ID_LOAD_FORMAT_LIST, ID_SAVE_FORMAT_LIST,
                                                       ID_SAVE_FORMAT_LIST_TEXT, ID_PRINT_FORMAT_LIST, 0, ID_CLOSE_VIEW});
    add(bar->addMenu(LoadString(IDS_VIEW_MENU_EDIT)), {ID_COPY, ID_RENAME, ID_ERASE, ID_DELETE});
    add(bar->addMenu(LoadString(IDS_VIEW_MENU_GENERATOR)), {ID_SELECT_ALL, ID_USE_ITEM, ID_RECALL_ITEMS, ID_SCAN_FORMATS});
    add(bar->addMenu(LoadString(IDS_VIEW_MENU_TOOLS)), {ID_CMD_TERMINAL, ID_DIAGNOSTICS});
    add(bar->addMenu(LoadString(IDS_VIEW_MENU_HELP)), {ID_HELP_OPEN});
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(ControlName(IDR_DATA_PANE_MENU));
    add(m_contextMenu, {ID_CONTEXT_OPEN, ID_CONTEXT_EDIT, ID_CONTEXT_COPY, ID_CONTEXT_RENAME, ID_CONTEXT_PROPERTIES});
}

void CGeneratorView::BuildToolBar()
{
    m_router.Action(ID_USE_ITEM)->setIcon(NewItemToolImage());
    m_router.Action(ID_DELETE)->setIcon(DeleteToolImage());
    m_toolBar = m_router.AddToolBar(this, ControlName(IDR_GENERATOR_VIEW_BAR), kToolBar);
    // The Delete key deletes the data pane's selection, as the toolbar's bin does.
    m_router.Action(ID_DELETE)->setShortcut(QKeySequence::Delete);
    m_toolBar->setIconSize(QSize(16, 16));
}

void CGeneratorView::BuildDialogBar()
{
    addToolBarBreak();
    m_dialogBarHost = addToolBar(LoadString(IDS_SIGNAL_BAR));
    m_dialogBarHost->setObjectName(ControlName(ID_GENERATOR_BAR));
    m_dialogBarHost->setMovable(false);
    m_dialogBar = new CGeneratorDialogBar(m_dialogBarHost);
    m_dialogBarHost->addWidget(m_dialogBar);
    for (int id : kToggleIds) {
        CStateButton *button = m_dialogBar->Toggle(id);
        QAction *action = m_router.Action(id);
        connect(button, &QPushButton::clicked, this, [this, id] { m_router.Execute(id); });
        // The button is enabled exactly when its command is.
        connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
        button->setEnabled(action->isEnabled());
    }
    m_dialogBar->Spin()->SetRequest([this](int step) { return OnDeltaPosImageVersion(step); });
}

// --- Handlers that combine the panes and the main window ----------------------------

void CGeneratorView::ShowList(int list, bool knobListMode)
{
    if (list != CGeneratorDataPane::kDetailed)
        m_knobListMode = knobListMode;
    m_dataPane->ShowList(list);
}

// Copy and Load send to the generators selected in the main window's list;
// with none they would recall or open and then send nowhere.
bool CGeneratorView::HasDestinations()
{
    if (m_host && m_host->HasSelectedGenerators())
        return true;
    AfxMessageBox(PromptText(IDS_SELECT_DESTINATIONS), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CGeneratorView::CopySelected()
{
    if (!HasDestinations())
        return;
    // Only the copies go on to the selected generators, and only they are
    // removed again: never rows of the user's own.
    const QList<CGenData *> copies = m_dataPane->CopySelected();
    if (copies.isEmpty() || !m_host)
        return;
    m_host->SelectDataItems(copies);
    m_host->SendDataToSelectedGenerators();
    m_host->DeleteDataItems(copies);
    m_host->UpdateControls();
}

void CGeneratorView::RecallAndEdit()
{
    m_dataPane->RecallSelected();
    if (m_host)
        m_host->EditSelectedData();
}

void CGeneratorView::LoadIntoGenerator()
{
    if (!HasDestinations() || !m_host->OpenDataFile())
        return;
    m_host->UpdateControls();
    m_host->SendDataToSelectedGenerators();
}
