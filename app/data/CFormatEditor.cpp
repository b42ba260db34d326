#include "CFormatEditor.h"

#include "CFormatOptions.h"
#include "CFormatTiming.h"
#include "CFormatWorksheet1.h"
#include "CFormatWorksheet2.h"
#include "CGeneralFormatData.h"
#include "CGenerator.h"
#include "CProgressDlg.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

CFormatEditor::GeneratorGate &Gate()
{
    static CFormatEditor::GeneratorGate gate;
    return gate;
}

CFormatEditor::Printer &PrintHandler()
{
    static CFormatEditor::Printer printer;
    return printer;
}

} // namespace

void CFormatEditor::SetGeneratorGate(GeneratorGate gate)
{
    Gate() = std::move(gate);
}

void CFormatEditor::SetPrinter(Printer printer)
{
    PrintHandler() = std::move(printer);
}

CFormatEditor::CFormatEditor(CFormat &item)
    : QWidget(nullptr), m_item(item), m_copy(std::make_unique<CGeneralFormatData>(item.Data()))
{
    setObjectName(QStringLiteral("CFormatEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_router.SetActionOwner(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    auto *menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    m_options = new CFormatOptions(m_copy.get(), this);
    m_timing = new CFormatTiming(m_copy.get(), this);
    m_worksheet1 = new CFormatWorksheet1(m_copy.get(), this, m_timing);
    m_worksheet2 = new CFormatWorksheet2(m_copy.get(), this);
    for (CFormatPage *page : std::initializer_list<CFormatPage *>{m_options, m_timing, m_worksheet1, m_worksheet2})
        m_tabs->addTab(page, page->Title());
    m_tabs->setCurrentIndex(kTiming);
    BuildMenu(menuBar);
    m_modified = false;
    UpdateTitle();
}

CFormatEditor::~CFormatEditor()
{
    // The pages go while the working copy they show still exists: losing the
    // focus on the way out redisplays an entry from it.
    delete m_tabs;
}

void CFormatEditor::BuildMenu(QMenuBar *bar)
{
    struct Entry {
        int id; // 0: a separator
        unsigned textId;
    };
    const Entry file[] = {{ID_FILE_SAVE, IDS_EDITOR_MENU_SAVE}, {ID_FILE_SAVE_AS, IDS_EDITOR_MENU_SAVE_AS}, {0, 0},
                          {ID_FILE_CLOSE, IDS_EDITOR_MENU_CLOSE}, {0, 0}, {ID_FORMAT_PRINT, IDS_FMT_MENU_PRINT}};
    QMenu *fileMenu = bar->addMenu(LoadString(IDS_EDITOR_MENU_FILE));
    for (const Entry &entry : file) {
        if (entry.id == 0)
            fileMenu->addSeparator();
        else
            fileMenu->addAction(m_router.Add(entry.id, LoadString(entry.textId)));
    }
    QMenu *editMenu = bar->addMenu(LoadString(IDS_EDITOR_MENU_EDIT));
    editMenu->addAction(m_router.Add(ID_CHECK_FORMAT, LoadString(IDS_FMT_MENU_CHECK)));
    // A top-level item that nobody answers, shown disabled.
    bar->addAction(m_router.Add(ID_FORMAT_EDITOR_HELP, LoadString(IDS_FMT_MENU_HELP)));
    m_router.Watch(fileMenu);
    m_router.Watch(editMenu);

    m_router.Action(ID_FILE_SAVE)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_router.Action(ID_CHECK_FORMAT)->setShortcut(QKeySequence(Qt::Key_F2));
    for (int id : {ID_FILE_SAVE, ID_CHECK_FORMAT}) {
        QAction *action = m_router.Action(id);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action); // the keys work on every page, menu closed
    }
    m_router.SetHandler(ID_FILE_SAVE, [this] { OnSave(); });
    m_router.SetHandler(ID_FILE_SAVE_AS, [this] { OnSaveAs(); });
    m_router.SetHandler(ID_FILE_CLOSE, [this] { OnClose(); });
    m_router.SetHandler(ID_CHECK_FORMAT, [this] { OnCheck(); });
    m_router.SetHandler(ID_FORMAT_PRINT, [this] {
        if (PrintHandler())
            PrintHandler()(*this);
    });
    m_router.SetEnableRule(ID_FORMAT_PRINT, [] { return bool(PrintHandler()); });
}

void CFormatEditor::ShowPage(Page page)
{
    m_tabs->setCurrentIndex(page);
}

// --- The link to the item -------------------------------------------------------

QWidget *CFormatEditor::Window() const
{
    return m_destroyed ? nullptr : const_cast<CFormatEditor *>(this);
}

void CFormatEditor::CommitPages()
{
    m_options->Commit();
    m_timing->Commit();
    m_worksheet1->Commit();
}

void CFormatEditor::Commit()
{
    CommitPages();
    m_item.Data() = *m_copy;
    m_modified = false;
    UpdateTitle();
}

void CFormatEditor::CommitForPrint()
{
    const bool unsaved = m_modified;
    Commit();
    // Printing stores nothing: the edits must still be offered for saving.
    if (unsaved)
        m_item.SetModified(true);
}

QString CFormatEditor::CurrentName() const
{
    return m_options->IsCreated() ? m_options->NameText() : m_item.GetName();
}

void CFormatEditor::ItemRenamed()
{
    m_copy->name = m_item.GetName();
    if (m_options->IsCreated())
        m_options->ShowName();
    UpdateTitle();
}

// --- Title and the modified mark ------------------------------------------------

void CFormatEditor::SetModified(bool retitleAlways)
{
    if (m_modified && !retitleAlways)
        return;
    m_modified = true;
    UpdateTitle();
}

QString CFormatEditor::TitleText() const
{
    return m_item.EditorTitle(FormatString(IDS_FORMAT_EDITOR_TITLE, {m_copy->name}), m_modified);
}

void CFormatEditor::UpdateTitle()
{
    setWindowTitle(TitleText());
}

// --- Closing ----------------------------------------------------------------------

void CFormatEditor::closeEvent(QCloseEvent *event)
{
    // The title bar's close and Close.
    const bool open = !m_destroyed;
    event->setAccepted(m_item.EditorWindowCloses(m_destroyed));
    if (open && m_destroyed) {
        // The pages keep what was typed in the working copy until the editor goes.
        m_timing->Commit();
        m_worksheet1->Commit();
    }
}

// --- Commands ---------------------------------------------------------------------

void CFormatEditor::OnSave()
{
    m_item.RequestSave();
}

void CFormatEditor::OnSaveAs()
{
    m_item.RequestSaveAs();
}

void CFormatEditor::OnClose()
{
    close();
}

void CFormatEditor::OnCheck()
{
    CGenerator *generator = g_pCurrentGenerator;
    if (!generator) {
        MessageBox(this, PromptText(IDS_SELECT_GENERATOR_FIRST), PromptText(), MB_OK);
        return;
    }
    std::unique_ptr<GeneratorLease> lease;
    if (Gate()) {
        QString whyNot;
        lease = Gate()(*generator, whyNot);
        if (!lease) {
            MessageBox(this, PromptText(whyNot), PromptText(IDS_FORMAT_CHECK_CAPTION), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    // What the pages hold, not yet in the working copy, is what is checked.
    CommitPages();
    CProgressDlg progress(this, true);
    m_item.CheckFormat(generator, *m_copy, &progress);
    progress.DestroyWindow();
}
