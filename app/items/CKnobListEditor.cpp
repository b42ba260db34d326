#include "CKnobListEditor.h"

#include "CEditorDialogBar.h"
#include "CKnobList.h"
#include "CKnobListView.h"
#include "CNameSelectionView.h"

#include "CGenerator.h"
#include "CNameDlg.h"
#include "DialogUnits.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr QSize kKnobPaneSize(150, 200);
constexpr QSize kKnobFirstSize(640, 460);

struct KnobCommand {
    int id;
    unsigned text; // text id
    const char *accelerator;
};

// Menu 286 with accelerators 294; the toolbar's show buttons.
const KnobCommand kKnobCommands[] = {
    {ID_FILE_SAVE, IDS_EDITOR_MENU_SAVE, "Ctrl+S"},
    {ID_FILE_SAVE_AS, IDS_EDITOR_MENU_SAVE_AS, nullptr},
    {ID_FILE_CLOSE, IDS_EDITOR_MENU_CLOSE, nullptr},
    {ID_NEW_NAME, IDS_KNOB_MENU_NEW_NAME, "Ctrl+N"},
    {ID_EDIT_CUT, IDS_EDITOR_MENU_CUT, "Ctrl+X"},
    {ID_EDIT_COPY, IDS_EDITOR_MENU_COPY, "Ctrl+C"},
    {ID_EDIT_PASTE, IDS_EDITOR_MENU_PASTE, "Ctrl+V"},
    {ID_DELETE, IDS_EDITOR_MENU_DELETE, "Del"},
    {ID_SHOW_FORMATS, IDS_KNOB_SHOW_FORMATS, nullptr},
    {ID_SHOW_IMAGES, IDS_KNOB_SHOW_IMAGES, nullptr},
    {ID_SHOW_SEQUENCES, IDS_KNOB_SHOW_SEQUENCES, nullptr},
};

// Toolbar 287.
const ToolButton kKnobToolBar[] = {
    {ID_FILE_SAVE, QStyle::SP_DialogSaveButton},
    {0, {}},
    {ID_NEW_NAME, QStyle::SP_FileIcon},
    {0, {}},
    {ID_EDIT_CUT, QStyle::SP_DialogDiscardButton},
    {ID_EDIT_COPY, QStyle::SP_FileDialogNewFolder},
    {ID_EDIT_PASTE, QStyle::SP_DialogApplyButton},
    {ID_DELETE, QStyle::SP_TrashIcon},
    {0, {}},
    {ID_SHOW_FORMATS, QStyle::SP_ComputerIcon},
    {ID_SHOW_IMAGES, QStyle::SP_DesktopIcon},
    {ID_SHOW_SEQUENCES, QStyle::SP_FileDialogListView},
};

QStringList &NameClipboard()
{
    static QStringList names;
    return names;
}

} // namespace

const QStringList &KnobNameClipboard()
{
    return NameClipboard();
}

void SetKnobNameClipboard(const QStringList &names)
{
    NameClipboard() = names;
}

CKnobListEditor::CKnobListEditor(CKnobList &item)
    : QMainWindow(nullptr), m_item(item),
      m_placement({ProfileKeys::kKnobListW, ProfileKeys::kKnobListH, ProfileKeys::kKnobListSP}, kKnobFirstSize,
                  kKnobPaneSize.width() + 100)
{
    setObjectName(QStringLiteral("CKnobListEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LoadString(IDS_KNOB_EDITOR_TITLE));
    m_router.SetActionOwner(this);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_entries = new CKnobListView(this, m_splitter);
    m_names = new CNameSelectionView(this, m_splitter);
    m_entries->resize(kKnobPaneSize);
    m_names->resize(kKnobPaneSize);
    m_splitter->addWidget(m_entries);
    m_splitter->addWidget(m_names);
    setCentralWidget(m_splitter);
    BuildCommands();
    BuildMenus();
    BuildBars();
    m_kinds.Reset(m_bar->Generator());
    m_entries->Fill(item.Entries());
    m_names->Fill(*m_bar->Generator(), m_show[1], m_show[2], m_show[3]);
    UpdateTitle();
    m_placement.Apply(*this);
    m_router.Update();
}

CKnobListEditor::~CKnobListEditor()
{
    m_placement.Save(*this, *m_splitter);
    m_item.NotifyEditorClosed();
}

// --- Commands ----------------------------------------------------------------------

void CKnobListEditor::BuildCommands()
{
    for (const KnobCommand &command : kKnobCommands) {
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
    m_router.SetHandler(ID_NEW_NAME, [this] { OnNewName(); });
    m_router.SetHandler(ID_EDIT_CUT, [this] { OnCut(); });
    m_router.SetHandler(ID_EDIT_COPY, [this] { OnCopy(); });
    m_router.SetHandler(ID_DELETE, [this] { OnDelete(); });
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_DELETE})
        m_router.SetEnableRule(id, [this] { return m_entries->HasSelection(); });
    m_router.SetHandler(ID_EDIT_PASTE, [this] { OnPaste(); });
    m_router.SetEnableRule(ID_EDIT_PASTE, [] { return !KnobNameClipboard().isEmpty(); });
    const std::pair<int, int> shows[] = {{ID_SHOW_FORMATS, CNameSelectionView::kFormats},
                                         {ID_SHOW_IMAGES, CNameSelectionView::kImages},
                                         {ID_SHOW_SEQUENCES, CNameSelectionView::kSequences}};
    for (const auto &[id, kind] : shows) {
        m_router.SetHandler(id, [this, kind = kind] { ToggleKind(kind); });
        m_router.SetCheckRule(id, [this, kind = kind] { return m_show[kind]; });
    }
}

void CKnobListEditor::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(ControlName(IDR_KNOBLIST_EDITOR));
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
        {ID_NEW_NAME, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE});
}

void CKnobListEditor::BuildBars()
{
    QToolBar *tools = m_router.AddToolBar(this, ControlName(IDR_KNOBLIST_TOOLBAR), kKnobToolBar);
    tools->setIconSize(QSize(16, 16));
    addToolBarBreak();
    QToolBar *host = addToolBar(LoadString(IDS_EDITOR_GENERATOR_BAR));
    host->setObjectName(ControlName(ID_EDITOR_BAR));
    host->setMovable(false);
    m_bar = new CEditorDialogBar(host, [this] { OnGeneratorChosen(); });
    host->addWidget(m_bar);
}

void CKnobListEditor::UpdateCommands()
{
    m_router.Update();
}

void CKnobListEditor::OnNewName()
{
    CNameDlg dialog(this, QString());
    if (DoModal(dialog) != IDOK || dialog.GetName().isEmpty())
        return;
    m_entries->AppendNames({dialog.GetName()});
}

void CKnobListEditor::OnCut()
{
    SetKnobNameClipboard(m_entries->SelectedNames());
    m_entries->RemoveSelectedRows();
}

void CKnobListEditor::OnCopy()
{
    SetKnobNameClipboard(m_entries->SelectedNames());
    m_router.Update();
}

void CKnobListEditor::OnPaste()
{
    m_entries->AppendNames(KnobNameClipboard());
}

void CKnobListEditor::OnDelete()
{
    m_entries->RemoveSelectedRows();
}

void CKnobListEditor::ToggleKind(int kind)
{
    m_show[kind] = !m_show[kind];
    m_names->ShowKind(kind, m_show[kind]);
}

// --- State -------------------------------------------------------------------------

void CKnobListEditor::SetModified(bool modified)
{
    m_modified = modified;
    UpdateTitle();
    m_router.Update();
}

void CKnobListEditor::WriteBack()
{
    const int count = m_entries->RowCount();
    // Each record goes to its position; a set of positions that is not
    // 0..count-1 once each would lose or misplace names, so then the rows' order holds.
    std::vector<int> seen(size_t(count), 0);
    bool permutation = true;
    for (int row = 0; row < count && permutation; ++row) {
        const int index = m_entries->RecordAt(row).index;
        permutation = index >= 0 && index < count && seen[size_t(index)]++ == 0;
    }
    if (!permutation)
        m_entries->Renumber();
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(QString());
    for (int row = 0; row < count; ++row) {
        const CKnobListEntry record = m_entries->RecordAt(row);
        entries[record.index] = record.name;
    }
    m_item.SetEntries(entries);
    SetModified(false);
}

void CKnobListEditor::Rebuild()
{
    m_entries->Fill(m_item.Entries());
    UpdateTitle();
}

void CKnobListEditor::UpdateTitle()
{
    const bool modified = m_item.IsModified();
    setWindowTitle(QStringLiteral("\"%1\"").arg(m_item.GetName()) + (modified ? QStringLiteral(" * ") : QStringLiteral("  ")) +
                   m_item.GetFileText());
}

void CKnobListEditor::OnGeneratorsChanged(int)
{
    m_bar->Fill();
}

void CKnobListEditor::OnGeneratorChosen()
{
    m_kinds.Reset(m_bar->Generator());
    m_names->Fill(*m_bar->Generator(), m_show[1], m_show[2], m_show[3]);
    m_entries->RefreshKinds();
}

// --- Window ------------------------------------------------------------------------

void CKnobListEditor::closeEvent(QCloseEvent *event)
{
    if (m_item.SaveModified())
        event->accept();
    else
        event->ignore();
}

void CKnobListEditor::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_placement.ApplySplit(*m_splitter);
}

