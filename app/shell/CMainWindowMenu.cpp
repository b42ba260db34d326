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
    const char *text;
};

// The leaf texts of menu 129 (and of the print command no menu shows).
const CommandText kCommands[] = {
    {ID_FILE_NEW, "&New..."},
    {ID_FILE_OPEN, "&Open..."},
    {ID_IMPORT_ZOT2, "Zot 2 Data..."},
    {ID_IMPORT_CMD, "CMD Script"},
    {ID_FILE_SAVE, "&Save"},
    {ID_FILE_SAVE_AS, "Save &As..."},
    {ID_WRITE_CMD_FILE, "Write CMD File"},
    {ID_APP_EXIT, "E&xit"},
    {ID_DELETE, "&Delete Data"},
    {ID_CONNECT, "&Connect..."},
    {ID_DISCONNECT, "&Disconnect"},
    {ID_SET_BAUD_RATE, "Set &Baud Rate..."},
    {ID_SEND_DATA, "&Send Data"},
    {ID_FORCED_INIT, "&Forced Init..."},
    {ID_ARCHIVE_EXTRACT, "&Extract..."},
    {ID_ARCHIVE_RESTORE, "&Restore..."},
    {ID_UPDATE_FIRMWARE, "&Update Firmware..."},
    {ID_CMD_TERMINAL, "CMD &Terminal..."},
    {ID_DIAGNOSTICS, "&Diagnostics..."},
    {ID_IMAGE_DOWNLOAD, "&Image Download..."},
    {ID_APP_ABOUT, "&About ZOT..."},
    {ID_HELP_OPEN, "&Open"},
    {ID_FORMAT_PRINT, "&Print"},
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
        m_router.Add(command.id, QString::fromLatin1(command.text), LoadString(unsigned(command.id)));
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
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    add(file, {ID_FILE_NEW, ID_FILE_OPEN});
    QMenu *import = file->addMenu(QStringLiteral("&Import"));
    add(import, {ID_IMPORT_ZOT2, ID_IMPORT_CMD});
    add(file, {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_WRITE_CMD_FILE, 0, ID_APP_EXIT});
    add(bar->addMenu(QStringLiteral("&Edit")), {ID_DELETE});
    QMenu *generator = bar->addMenu(QStringLiteral("&Generator"));
    add(generator, {ID_CONNECT, ID_DISCONNECT, ID_SET_BAUD_RATE, ID_SEND_DATA});
    add(generator->addMenu(QStringLiteral("Special")), {ID_FORCED_INIT});
    QMenu *tools = bar->addMenu(QStringLiteral("&Tools"));
    add(tools->addMenu(QStringLiteral("&Archiver")), {ID_ARCHIVE_EXTRACT, ID_ARCHIVE_RESTORE, ID_UPDATE_FIRMWARE});
    add(tools, {ID_CMD_TERMINAL, ID_DIAGNOSTICS, ID_IMAGE_DOWNLOAD});
    add(bar->addMenu(QStringLiteral("&Help")), {ID_APP_ABOUT, ID_HELP_OPEN});
    // Qt has no portable system menu: its three items live in a menu of their own.
    m_systemMenu = bar->addMenu(QStringLiteral("&System"));
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
    m_statusPane = new QLabel(QStringLiteral("Starting..."), status);
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
    return m_generatorList->GetRowText(row, 0) + QStringLiteral(" on ") + m_generatorList->GetRowText(row, 1);
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
        MessageBox(this, PromptText(QStringLiteral("The help file \"%1\" is not installed; it belongs in %2.")
                                        .arg(m_helpFile, AssetFolder())),
                   PromptText(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!OpenHelp(path))
        MessageBox(this, PromptText(QStringLiteral("The help file \"%1\" could not be opened.").arg(path)),
                   PromptText(), MB_OK | MB_ICONEXCLAMATION);
}
