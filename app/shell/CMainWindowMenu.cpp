// Menu 129, toolbar 202, the status bar and the window's own menu of the
// main window: each command with its text, prompt, handler and enable rule.

#include "CMainWindow.h"

#include "AppFolders.h"
#include "CAboutDlg.h"
#include "CDataListView.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CGeneratorViewChild.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "ShellImages.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

struct CommandText {
    int id;
    unsigned text; // text id
};

// The leaf texts of menu 129 (and of the print command no menu shows).
const CommandText kCommands[] = {
    {ID_FILE_NEW, IDS_MAIN_MENU_FILE_NEW},
    {ID_FILE_OPEN, IDS_MAIN_MENU_FILE_OPEN},
    {ID_IMPORT_ZOT2, IDS_MAIN_MENU_IMPORT_ZOT2},
    {ID_IMPORT_CMD, IDS_MAIN_MENU_IMPORT_CMD},
    {ID_FILE_SAVE, IDS_MAIN_MENU_FILE_SAVE},
    {ID_FILE_SAVE_AS, IDS_MAIN_MENU_FILE_SAVE_AS},
    {ID_WRITE_CMD_FILE, IDS_MAIN_MENU_WRITE_CMD_FILE},
    {ID_APP_EXIT, IDS_MAIN_MENU_APP_EXIT},
    {ID_DELETE, IDS_MAIN_MENU_DELETE},
    {ID_CONNECT, IDS_MAIN_MENU_CONNECT},
    {ID_DISCONNECT, IDS_MAIN_MENU_DISCONNECT},
    {ID_SET_BAUD_RATE, IDS_MAIN_MENU_SET_BAUD_RATE},
    {ID_SEND_DATA, IDS_MAIN_MENU_SEND_DATA},
    {ID_FORCED_INIT, IDS_MAIN_MENU_FORCED_INIT},
    {ID_ARCHIVE_EXTRACT, IDS_MAIN_MENU_ARCHIVE_EXTRACT},
    {ID_ARCHIVE_RESTORE, IDS_MAIN_MENU_ARCHIVE_RESTORE},
    {ID_UPDATE_FIRMWARE, IDS_MAIN_MENU_UPDATE_FIRMWARE},
    {ID_CMD_TERMINAL, IDS_MAIN_MENU_CMD_TERMINAL},
    {ID_DIAGNOSTICS, IDS_MAIN_MENU_DIAGNOSTICS},
    {ID_IMAGE_DOWNLOAD, IDS_MAIN_MENU_IMAGE_DOWNLOAD},
    {ID_APP_ABOUT, IDS_MAIN_MENU_APP_ABOUT},
    {ID_HELP_OPEN, IDS_MAIN_MENU_HELP_OPEN},
    {ID_FORMAT_PRINT, IDS_MAIN_MENU_FORMAT_PRINT},
};

struct ToolCommand {
    int id;
    ToolSlot slot;
};
const ToolCommand kToolCommands[] = {
    {ID_ARCHIVE_EXTRACT, ToolSlot::Extraction},
    {ID_ARCHIVE_RESTORE, ToolSlot::Restoration},
    {ID_UPDATE_FIRMWARE, ToolSlot::Firmware},
    {ID_IMAGE_DOWNLOAD, ToolSlot::ImageDownload},
};

const ToolButton kToolBar[] = {
    {ID_CONNECT, QStyle::SP_DriveNetIcon},
    {ID_DISCONNECT, QStyle::SP_DialogCloseButton},
    {0, {}},
    {ID_FILE_NEW, QStyle::SP_FileIcon},
    {ID_FILE_OPEN, QStyle::SP_DialogOpenButton},
    {ID_FILE_SAVE, QStyle::SP_DialogSaveButton},
    {0, {}},
    {ID_SEND_DATA, QStyle::SP_ArrowRight},
    {0, {}},
    {ID_DELETE, QStyle::SP_TrashIcon},
};

} // namespace

void CMainWindow::BuildCommands()
{
    for (const CommandText &command : kCommands)
        m_router.Add(command.id, LoadString(command.text), LoadString(unsigned(command.id)));
    m_router.Add(IDM_ABOUTBOX, LoadString(IDS_ABOUT_ITEM));
    m_router.Add(IDM_DEBUG_NEW, LoadString(IDS_DEBUG_NEW));
    m_router.Add(IDM_DEBUG_SELECTED, LoadString(IDS_NO_GENERATOR));

    // Update rules; commands without one are enabled whenever they have a handler.
    m_router.SetEnableRule(ID_FILE_SAVE, [this] { return dataSelected != 0; });
    m_router.SetEnableRule(ID_FILE_SAVE_AS, [this] { return dataSelected != 0; });
    m_router.SetEnableRule(ID_WRITE_CMD_FILE, [this] { return cmdFileWritable != 0; });
    m_router.SetEnableRule(ID_DELETE, [this] { return dataSelected != 0; });
    m_router.SetEnableRule(ID_DISCONNECT, [this] { return generatorSelected != 0; });
    m_router.SetEnableRule(ID_SET_BAUD_RATE, [this] { return singleComSelected != 0; });
    m_router.SetEnableRule(ID_SEND_DATA, [this] { return bothSelected != 0; });
    m_router.SetEnableRule(ID_CMD_TERMINAL, [this] { return generatorSelected != 0; });
    m_router.SetEnableRule(ID_DIAGNOSTICS, [this] { return generatorSelected != 0; });
    m_router.SetEnableRule(ID_FORMAT_PRINT, [this] { return m_dataList->AllSelectedAreFormats(); });
    m_router.SetCheckRule(IDM_DEBUG_NEW, [this] { return debugNewConnections != 0; });
    m_router.SetEnableRule(IDM_DEBUG_SELECTED, [this] { return generatorSelected != 0; });
    m_router.SetCheckRule(IDM_DEBUG_SELECTED, [this] { return generatorSelected && SelectedGeneratorLogs(); });
    m_router.SetTextRule(IDM_DEBUG_SELECTED, [this] {
        return generatorSelected ? FormatString(IDS_DEBUG_SELECTED, {SelectedGeneratorText()})
                                 : LoadString(IDS_NO_GENERATOR);
    });
}

void CMainWindow::WireCommands()
{
    CDataListView *list = m_dataList;
    // Commands that change the list's content or selection recompute the flags.
    m_router.SetHandler(ID_FILE_NEW, [this, list] {
        list->OnFileNew();
        UpdateControls();
    });
    m_router.SetHandler(ID_FILE_OPEN, [this, list] {
        if (list->FileOpen())
            UpdateControls();
    });
    m_router.SetHandler(ID_IMPORT_ZOT2, [this, list] {
        list->FileImportZot2();
        UpdateControls();
    });
    m_router.SetHandler(ID_IMPORT_CMD, [this, list] {
        list->ImportCmdFile();
        UpdateControls();
    });
    m_router.SetHandler(ID_FILE_SAVE, [list] { list->SaveSelected(); });
    m_router.SetHandler(ID_FILE_SAVE_AS, [list] { list->SaveSelectedAs(false); });
    m_router.SetHandler(ID_WRITE_CMD_FILE, [list] { list->WriteCmdFile(); });
    m_router.SetHandler(ID_APP_EXIT, [this] { close(); });
    m_router.SetHandler(ID_DELETE, [this, list] {
        list->DeleteSelected(true);
        UpdateControls();
    });
    m_router.SetHandler(ID_FORMAT_PRINT, [list] { list->SaveSelectedAs(true); });
    // --- The generator list's commands ---
    CGeneratorListView *generators = m_generatorList;
    m_router.SetHandler(ID_CONNECT, [this, generators] {
        if (generators->Connect(debugNewConnections != 0))
            UpdateControls();
    });
    m_router.SetHandler(ID_DISCONNECT, [this, generators] {
        if (generators->Disconnect())
            UpdateControls();
    });
    m_router.SetHandler(ID_SET_BAUD_RATE, [generators] { generators->SetBaudRate(); });
    m_router.SetHandler(ID_SEND_DATA, [generators] { generators->SendData(true); });
    m_router.SetHandler(ID_FORCED_INIT, [this, generators] {
        generators->ForceInit();
        UpdateControls();
    });
    // Until the program carries a terminal or diagnostics window these stay off.
    if (FindViewChildFactory(ViewChildKind::CmdTerminal))
        m_router.SetHandler(ID_CMD_TERMINAL, [generators] { generators->OpenCmdTerminals(); });
    if (FindViewChildFactory(ViewChildKind::Diagnostics))
        m_router.SetHandler(ID_DIAGNOSTICS, [generators] { generators->OpenDiagnostics(); });
    // --- End of the generator list's commands ---
    for (const ToolCommand &command : kToolCommands) {
        if (FindToolFactory(command.slot))
            m_router.SetHandler(command.id, [this, slot = command.slot] { ShowTool(slot); });
    }
    m_router.SetHandler(ID_APP_ABOUT, [this] { ShowAbout(); });
    m_router.SetHandler(ID_HELP_OPEN, [this] { OpenHelpFile(); });
    m_router.SetHandler(IDM_ABOUTBOX, [this] { ShowAbout(); });
    m_router.SetHandler(IDM_DEBUG_NEW, [this] {
        debugNewConnections = !debugNewConnections;
        UpdateControls();
    });
    m_router.SetHandler(IDM_DEBUG_SELECTED, [this] { ToggleSelectedLog(); });
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { OpenHelpFile(); });
    // The Delete key in the data list is Edit/Delete. A selection made with
    // the keyboard has not recomputed the commands yet.
    auto *del = new QShortcut(QKeySequence::Delete, m_dataList, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(del, &QShortcut::activated, this, [this] {
        UpdateControls();
        m_router.Execute(ID_DELETE);
    });
}

void CMainWindow::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("id129"));
    auto add = [this](QMenu *menu, std::initializer_list<int> ids) { m_router.FillMenu(menu, ids); };
    QMenu *file = bar->addMenu(LoadString(IDS_MAIN_MENU_FILE));
    add(file, {ID_FILE_NEW, ID_FILE_OPEN});
    QMenu *import = file->addMenu(LoadString(IDS_MAIN_MENU_IMPORT));
    add(import, {ID_IMPORT_ZOT2, ID_IMPORT_CMD});
    add(file, {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_WRITE_CMD_FILE, 0, ID_APP_EXIT});
    add(bar->addMenu(LoadString(IDS_MAIN_MENU_EDIT)), {ID_DELETE});
    QMenu *generator = bar->addMenu(LoadString(IDS_MAIN_MENU_GENERATOR));
    add(generator, {ID_CONNECT, ID_DISCONNECT, ID_SET_BAUD_RATE, ID_SEND_DATA});
    add(generator->addMenu(LoadString(IDS_MAIN_MENU_SPECIAL)), {ID_FORCED_INIT});
    QMenu *tools = bar->addMenu(LoadString(IDS_MAIN_MENU_TOOLS));
    add(tools->addMenu(LoadString(IDS_MAIN_MENU_ARCHIVER)), {ID_ARCHIVE_EXTRACT, ID_ARCHIVE_RESTORE, ID_UPDATE_FIRMWARE});
    add(tools, {ID_CMD_TERMINAL, ID_DIAGNOSTICS, ID_IMAGE_DOWNLOAD});
    add(bar->addMenu(LoadString(IDS_MAIN_MENU_HELP)), {ID_APP_ABOUT, ID_HELP_OPEN});
    // Qt has no portable system menu: its three items live in a menu of their own.
    m_systemMenu = bar->addMenu(LoadString(IDS_MAIN_MENU_SYSTEM));
    m_systemMenu->setObjectName(QStringLiteral("systemMenu"));
    add(m_systemMenu, {IDM_ABOUTBOX, 0, IDM_DEBUG_NEW, 0, IDM_DEBUG_SELECTED});
}

void CMainWindow::BuildToolBar()
{
    m_router.Action(ID_FILE_NEW)->setIcon(NewItemToolImage());
    m_router.Action(ID_DELETE)->setIcon(DeleteToolImage());
    m_toolBar = m_router.AddToolBar(this, QStringLiteral("id202"), kToolBar);
}

void CMainWindow::BuildStatusBar()
{
    QStatusBar *status = statusBar();
    m_statusPane = new QLabel(LoadString(IDS_STARTING), status);
    SetControlId(m_statusPane, int(IDS_STATUS_PANE));
    m_statusPane->setMinimumWidth(m_statusPane->fontMetrics().horizontalAdvance(LoadString(IDS_STATUS_WIDTH)));
    status->addPermanentWidget(m_statusPane);
    // The idle text comes back whenever a menu prompt goes.
    connect(status, &QStatusBar::messageChanged, this, [status](const QString &text) {
        if (text.isEmpty())
            status->showMessage(LoadString(IDS_IDLE));
    });
    status->showMessage(LoadString(IDS_IDLE));
}

void CMainWindow::ShowAbout()
{
    CAboutDlg about(this);
    DoModal(about);
}

QString CMainWindow::SelectedGeneratorText() const
{
    const int row = m_generatorList->FindRow(m_generatorList->GetSelectedView());
    return FormatString(IDS_GENERATOR_ON_PORT, {m_generatorList->GetRowText(row, 0), m_generatorList->GetRowText(row, 1)});
}

bool CMainWindow::SelectedGeneratorLogs() const
{
    CGeneratorView *view = m_generatorList->GetSelectedView();
    CGenerator *generator = view ? view->GetGenerator() : nullptr;
    return generator && generator->IsCommandLogOn();
}

void CMainWindow::ToggleSelectedLog()
{
    if (!generatorSelected)
        return;
    CGeneratorView *view = m_generatorList->GetSelectedView();
    if (CGenerator *generator = view ? view->GetGenerator() : nullptr)
        generator->EnableCommandLog(!generator->IsCommandLogOn());
    UpdateControls();
}

void CMainWindow::OpenHelpFile()
{
    const QString path = AssetFile(m_helpFile);
    if (!QFileInfo::exists(path)) {
        MessageBox(this, PromptText(IDS_HELP_NOT_INSTALLED, {m_helpFile, AssetFolder()}), PromptText(),
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!OpenHelp(path))
        MessageBox(this, PromptText(IDS_HELP_NOT_OPENED, {path}), PromptText(), MB_OK | MB_ICONEXCLAMATION);
}
