#include "CKnobListEditor.h"

#include "CEditorDialogBar.h"
#include "CKnobList.h"
#include "CKnobListView.h"
#include "CNameSelectionView.h"

#include "CGenerator.h"
#include "CNameDlg.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QSplitter>

namespace {

constexpr QSize kKnobPaneSize(150, 200);
constexpr QSize kKnobFirstSize(640, 460);

// Menu 286 with accelerators 294, besides the File and clipboard commands; the toolbar's show buttons.
const EditorCommand kKnobCommands[] = {
    {ID_NEW_NAME, IDS_KNOB_MENU_NEW_NAME, "Ctrl+N"},
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
    : CEditorFrame(item, QStringLiteral("CKnobListEditor"), LoadString(IDS_KNOB_EDITOR_TITLE), IDR_KNOBLIST_EDITOR),
      m_item(item)
{
    m_entries = new CKnobListView(this, Splitter());
    m_names = new CNameSelectionView(m_entries, Splitter());
    SetPanes(m_entries, kKnobPaneSize, m_names, kKnobPaneSize);
    BuildCommands();
    AddFileMenu();
    AddMenu(LoadString(IDS_EDITOR_MENU_EDIT), {ID_NEW_NAME, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE});
    AddToolBar(IDR_KNOBLIST_TOOLBAR, kKnobToolBar);
    AddGeneratorBar([this] { OnGeneratorChosen(); });
    m_kinds.Reset(DialogBar()->Generator());
    m_entries->Fill(item.Entries());
    m_names->Fill(*DialogBar()->Generator(), m_show[1], m_show[2], m_show[3]);
    SetTitle();
    KeepPlacement({ProfileKeys::kKnobListW, ProfileKeys::kKnobListH, ProfileKeys::kKnobListSP}, kKnobFirstSize,
                  kKnobPaneSize.width() + 100);
    UpdateCommands();
}

// --- Commands ----------------------------------------------------------------------

void CKnobListEditor::BuildCommands()
{
    AddCommands(kKnobCommands);
    m_router.SetEnableRule(ID_FILE_SAVE, [this] { return m_item.IsModified(); });
    m_router.SetHandler(ID_NEW_NAME, [this] { OnNewName(); });
    AddClipboardCommands({.cut = [this] { OnCut(); },
                          .copy = [this] { OnCopy(); },
                          .paste = [this] { OnPaste(); },
                          .remove = [this] { OnDelete(); },
                          .hasSelection = [this] { return m_entries->HasSelection(); },
                          .canPaste = [] { return !KnobNameClipboard().isEmpty(); }});
    const std::pair<int, int> shows[] = {{ID_SHOW_FORMATS, CNameSelectionView::kFormats},
                                         {ID_SHOW_IMAGES, CNameSelectionView::kImages},
                                         {ID_SHOW_SEQUENCES, CNameSelectionView::kSequences}};
    for (const auto &[id, kind] : shows) {
        m_router.SetHandler(id, [this, kind = kind] { ToggleKind(kind); });
        m_router.SetCheckRule(id, [this, kind = kind] { return m_show[kind]; });
    }
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
    SetTitle();
}

QString CKnobListEditor::TitleName() const
{
    return QStringLiteral("\"%1\"").arg(m_item.GetName());
}

void CKnobListEditor::OnGeneratorChosen()
{
    m_kinds.Reset(DialogBar()->Generator());
    m_names->Fill(*DialogBar()->Generator(), m_show[1], m_show[2], m_show[3]);
    m_entries->RefreshKinds();
}
