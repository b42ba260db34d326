#include "CEditorFrame.h"

#include "CEditorDialogBar.h"

#include "CGenData.h"
#include "DialogUnits.h"
#include "StringTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>

namespace {

// The File menu's commands, in every editor.
const EditorCommand kFileCommands[] = {
    {ID_FILE_SAVE, IDS_EDITOR_MENU_SAVE, "Ctrl+S"},
    {ID_FILE_SAVE_AS, IDS_EDITOR_MENU_SAVE_AS, nullptr},
    {ID_FILE_CLOSE, IDS_EDITOR_MENU_CLOSE, nullptr},
};

// The Edit menu's clipboard commands.
const EditorCommand kClipboardCommands[] = {
    {ID_EDIT_CUT, IDS_EDITOR_MENU_CUT, "Ctrl+X"},
    {ID_EDIT_COPY, IDS_EDITOR_MENU_COPY, "Ctrl+C"},
    {ID_EDIT_PASTE, IDS_EDITOR_MENU_PASTE, "Ctrl+V"},
    {ID_DELETE, IDS_EDITOR_MENU_DELETE, "Del"},
};

} // namespace

CEditorFrame::CEditorFrame(CGenData &item, const QString &objectName, const QString &firstTitle, int menuId)
    : QMainWindow(nullptr), m_item(item)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(firstTitle);
    m_router.SetActionOwner(this);
    menuBar()->setObjectName(ControlName(menuId));
    m_splitter = new QSplitter(Qt::Horizontal, this);
    setCentralWidget(m_splitter);
}

CEditorFrame::~CEditorFrame()
{
    if (m_placement)
        m_placement->Save(*this, *m_splitter);
}

// --- Commands ----------------------------------------------------------------------

void CEditorFrame::AddRows(std::span<const EditorCommand> rows, const TipRule &tip)
{
    for (const EditorCommand &command : rows) {
        const QString prompt = tip ? tip(command) : LoadString(unsigned(command.id));
        QAction *action = m_router.Add(command.id, LoadString(command.text), prompt);
        if (!command.keys)
            continue;
        action->setShortcut(QKeySequence(QString::fromLatin1(command.keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

void CEditorFrame::AddCommands(std::span<const EditorCommand> rows, const TipRule &tip)
{
    AddRows(kFileCommands, tip);
    AddRows(rows, tip);
    const auto save = [this](bool as) {
        if (as)
            m_item.RequestSaveAs();
        else
            m_item.RequestSave();
        SetTitle();
    };
    m_router.SetHandler(ID_FILE_SAVE, [save] { save(false); });
    m_router.SetHandler(ID_FILE_SAVE_AS, [save] { save(true); });
    m_router.SetHandler(ID_FILE_CLOSE, [this] { close(); });
}

void CEditorFrame::AddClipboardCommands(const ClipboardCommands &commands)
{
    AddRows(kClipboardCommands, {});
    const std::pair<int, const CommandRouter::Handler &> handlers[] = {
        {ID_EDIT_CUT, commands.cut}, {ID_EDIT_COPY, commands.copy}, {ID_EDIT_PASTE, commands.paste},
        {ID_DELETE, commands.remove}};
    for (const auto &[id, handler] : handlers) {
        if (!handler)
            continue;
        m_router.SetHandler(id, handler);
        m_router.SetEnableRule(id, id == ID_EDIT_PASTE ? commands.canPaste : commands.hasSelection);
    }
}

QMenu *CEditorFrame::AddMenu(const QString &title, std::initializer_list<int> ids)
{
    return m_router.FillMenu(menuBar()->addMenu(title), ids);
}

QMenu *CEditorFrame::AddFileMenu()
{
    return AddMenu(LoadString(IDS_EDITOR_MENU_FILE), {ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_FILE_CLOSE});
}

QToolBar *CEditorFrame::AddToolBar(int id, std::span<const ToolButton> buttons)
{
    QToolBar *bar = m_router.AddToolBar(this, ControlName(id), buttons);
    bar->setIconSize(QSize(16, 16));
    return bar;
}

// --- Bars and panes ----------------------------------------------------------------

void CEditorFrame::AddGeneratorBar(std::function<void()> chosen)
{
    addToolBarBreak();
    QToolBar *host = addToolBar(LoadString(IDS_EDITOR_GENERATOR_BAR));
    host->setObjectName(ControlName(ID_EDITOR_BAR));
    host->setMovable(false);
    m_bar = new CEditorDialogBar(host, std::move(chosen));
    host->addWidget(m_bar);
}

void CEditorFrame::OnGeneratorsChanged(int)
{
    if (m_bar)
        m_bar->Fill();
}

void CEditorFrame::SetPanes(QWidget *left, QSize leftSize, QWidget *right, QSize rightSize)
{
    left->resize(leftSize);
    right->resize(rightSize);
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
}

void CEditorFrame::KeepPlacement(const EditorSizeKeys &keys, QSize firstSize, int firstSplit)
{
    m_placement.emplace(keys, firstSize, firstSplit);
    m_placement->Apply(*this);
}

void CEditorFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_placement)
        m_placement->ApplySplit(*m_splitter);
}

// --- Title and closing -------------------------------------------------------------

void CEditorFrame::SetTitle()
{
    setWindowTitle(m_item.EditorTitle(TitleName(), TitleModified()));
}

bool CEditorFrame::TitleModified() const
{
    return m_item.IsModified();
}

void CEditorFrame::SetModified(bool modified)
{
    m_modified = modified;
    SetTitle();
    UpdateCommands();
}

QWidget *CEditorFrame::Window() const
{
    return m_destroyed ? nullptr : const_cast<CEditorFrame *>(this);
}

void CEditorFrame::closeEvent(QCloseEvent *event)
{
    const bool open = !m_destroyed;
    event->setAccepted(m_item.EditorWindowCloses(m_destroyed));
    if (open && m_destroyed)
        OnDestroyWindow();
}
