#include "CGeneratorDataPane.h"
#include "WaitCursor.h"

#include "CGenerator.h"
#include "CGeneratorNameList.h"
#include "CGeneratorState.h"
#include "GeneratorViewPaneLink.h"
#include "DataPaneImages.h"
#include "DataPaneSelectionRules.h"
#include "Prompts.h"
#include "StringTable.h"
#include "UserAction.h"

#include <QApplication>
#include <QMenu>
#include <QTreeWidget>

namespace {

// Type texts of the lists in questions.
constexpr unsigned kTypeTextIds[CGeneratorDataPane::kNameLists] = {
    IDS_FORMAT, IDS_IMAGE, IDS_SEQUENCE, IDS_KNOB_LIST, IDS_FONT, IDS_ICON,
};

} // namespace

CGeneratorDataPane::CGeneratorDataPane(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(0, 0);
    CreateLists();
    CreateDetailedList();
    m_lists[kFormats]->show();
}

CGeneratorDataPane::~CGeneratorDataPane() = default;

void CGeneratorDataPane::SetView(GeneratorViewPaneLink *view, CGenerator *generator)
{
    m_view = view;
    m_generator = generator;
}

CGeneratorView *CGeneratorDataPane::GetView() const
{
    return m_view ? m_view->View() : nullptr;
}

void CGeneratorDataPane::CreateLists()
{
    for (int list = 0; list < kNameLists; ++list) {
        auto *names = new CGeneratorNameList(this, list);
        names->onBeginDrag = [this] { OnBeginDrag(); };
        names->hide();
        m_lists[list] = names;
        connect(names, &QListWidget::itemSelectionChanged, this, [this] { UpdateSelectionState(); });
        connect(names, &QListWidget::itemDoubleClicked, this, [this] {
            const UserAction action;
            OnDblclkList();
        });
        connect(names, &QWidget::customContextMenuRequested, this,
                [this, names](const QPoint &pos) { OnRightClick(names, pos); });
    }
}

void CGeneratorDataPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (width() < 1 || height() < 1)
        return;
    for (QListWidget *list : m_lists)
        list->setGeometry(rect());
    m_detailedList->setGeometry(rect());
}

// --- Lists ----------------------------------------------------------------------

QListWidget *CGeneratorDataPane::NameList(int list) const
{
    return list >= 0 && list < kNameLists ? m_lists[list] : nullptr;
}

QString CGeneratorDataPane::TypeText(int list)
{
    return list >= 0 && list < kNameLists ? LoadString(kTypeTextIds[list]) : QString();
}

int CGeneratorDataPane::CurrentListRowCount() const
{
    if (m_currentList == kDetailed)
        return FormatListRowCount();
    const QListWidget *list = NameList(m_currentList);
    return list ? list->count() : 0;
}

void CGeneratorDataPane::ShowList(int list)
{
    if (list == m_currentList || (list != kDetailed && !NameList(list)))
        return;
    m_currentList = list;
    if (list == kDetailed && !m_detailedListFilled && AskScanFormats()) {
        ScanFormatDetails();
        m_detailedListFilled = true;
    }
    for (int i = 0; i < kNameLists; ++i)
        m_lists[i]->setVisible(i == list);
    m_detailedList->setVisible(list == kDetailed);
    UpdateSelectionState();
}

void CGeneratorDataPane::EnableLists(bool enable)
{
    for (QListWidget *list : m_lists)
        list->setEnabled(enable);
    m_detailedList->setEnabled(enable);
}

// --- Rows -----------------------------------------------------------------------

CGeneratorItemState CGeneratorDataPane::MakeItemState(const QString &name, int kind, int knobClass)
{
    CGenerator *g = m_generator;
    CGeneratorItemState s;
    s.kind = uint32_t(kind);
    switch (kind) {
    case kKindKnobList:
        s.kind = uint32_t(knobClass >= kKindFormat && knobClass <= kKindMixedKnobList ? knobClass : kKindMixedKnobList);
        s.userFlag = g && g->QueryDirk(name);
        break;
    case kKindFormat:
        s.userFlag = g && g->QueryFmtk(name);
        s.secondFlag = s.userFlag;
        break;
    case kKindImage:
        s.userFlag = g && g->QueryImgk(name);
        s.firstFlag = s.secondFlag = s.userFlag;
        break;
    case kKindSequence:
        break;
    case kKindFont:
        s.userFlag = g && g->QueryFntk(name);
        s.secondFlag = s.userFlag;
        break;
    case kKindIcon:
        s.userFlag = g && g->QueryMapk(name);
        s.secondFlag = s.userFlag;
        break;
    default:
        s.firstFlag = s.secondFlag = 0;
        break;
    }
    return s;
}

int CGeneratorDataPane::SortedRow(int list, const QString &name) const
{
    // The first row that sorts after the name: the lists are sorted
    // ascending without regard to case.
    const QListWidget *names = m_lists[list];
    int low = 0, high = names->count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (names->item(mid)->text().compare(name, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

void CGeneratorDataPane::SetRowItem(QListWidgetItem *item, const QString &name, const CGeneratorItemState &state)
{
    item->setText(name);
    item->setIcon(DataPaneRowIcon(state.userFlag != 0, int(state.kind)));
    item->setToolTip(name);
}

void CGeneratorDataPane::AddItem(const QString &name, int list, int kind, int knobClass)
{
    if (!NameList(list))
        return;
    auto *item = new CGeneratorNameItem(name, MakeItemState(name, kind, knobClass));
    SetRowItem(item, name, item->state);
    m_lists[list]->insertItem(SortedRow(list, name), item);
    m_lists[list]->FitName(name);
}

int CGeneratorDataPane::FindRow(int list, const QString &name) const
{
    const QListWidget *names = NameList(list);
    for (int row = 0; names && row < names->count(); ++row) {
        if (names->item(row)->text().compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

const CGeneratorItemState *CGeneratorDataPane::ItemState(int list, int row) const
{
    const CGeneratorNameItem *item = NameList(list) ? m_lists[list]->Row(row) : nullptr;
    return item ? &item->state : nullptr;
}

QString CGeneratorDataPane::RowName(int list, int row) const
{
    const QListWidget *names = NameList(list);
    const QListWidgetItem *item = names ? names->item(row) : nullptr;
    return item ? item->text() : QString();
}

bool CGeneratorDataPane::RemoveRow(int list, int row)
{
    QListWidget *names = NameList(list);
    if (!names || row < 0 || row >= names->count())
        return false;
    delete names->takeItem(row);
    return true;
}

bool CGeneratorDataPane::RemoveItem(int list, const QString &name)
{
    return RemoveRow(list, FindRow(list, name));
}

bool CGeneratorDataPane::RenameItem(int list, const QString &oldName, const QString &newName)
{
    const int row = FindRow(list, oldName);
    if (row < 0)
        return false;
    QListWidget *names = m_lists[list];
    const bool selected = names->item(row)->isSelected();
    auto *item = static_cast<CGeneratorNameItem *>(names->takeItem(row));
    SetRowItem(item, newName, item->state);
    names->insertItem(SortedRow(list, newName), item);
    m_lists[list]->FitName(newName);
    item->setSelected(selected);
    return true;
}

void CGeneratorDataPane::ClearList(int list)
{
    if (QListWidget *names = NameList(list)) {
        names->clear();
        m_lists[list]->ResetGrid();
    }
}

// --- Selection --------------------------------------------------------------------

QList<CGeneratorDataPane::SelectedItem> CGeneratorDataPane::SelectedItems() const
{
    QList<SelectedItem> items;
    if (m_currentList == kDetailed) {
        for (int row = 0; row < FormatListRowCount(); ++row) {
            const QTreeWidgetItem *item = m_detailedList->topLevelItem(row);
            if (const CFormatListEntry *entry = FormatListEntry(row); entry && item->isSelected())
                items.push_back({kKindFormat, entry->name, entry->icon == kIconUserFormat, row});
        }
        return items;
    }
    const CGeneratorNameList *names = m_currentList >= 0 && m_currentList < kNameLists ? m_lists[m_currentList] : nullptr;
    for (int row = 0; names && row < names->count(); ++row) {
        const CGeneratorNameItem *item = names->Row(row);
        if (item && item->isSelected())
            items.push_back({int(item->state.kind), item->text(), item->state.userFlag != 0, row});
    }
    return items;
}

int CGeneratorDataPane::SelectedCount() const
{
    return int(SelectedItems().size());
}

void CGeneratorDataPane::UpdateSelectionState()
{
    if (!m_view)
        return;
    const GeneratorViewFlags viewFlags = m_view->Flags();
    const CGeneratorState &state = m_view->GetState();
    DataPaneSelectionInput input;
    input.list = m_currentList;
    input.detailedListFilled = m_detailedListFilled;
    input.playing = viewFlags.playing;
    input.knobListMode = viewFlags.knobListMode;
    input.firmware = m_generator ? m_generator->GetFirmwareVersion() : 0;
    const QString *inUse[] = {&state.format, &state.image, &state.sequence};
    if (m_currentList >= kFormats && m_currentList <= kSequences)
        input.inUse = *inUse[m_currentList];
    QList<DataPaneSelectionRow> rows;
    for (const SelectedItem &item : SelectedItems())
        rows.push_back({item.kind, item.user, item.name});
    const DataPaneSelectionFlags f = ComputeSelectionFlags(input, rows);
    m_view->SetSelectionFlags(f.deletable, f.recallable, f.usable);
    // The toolbar follows the selection, not only the menus as they open.
    m_view->UpdateCommands();
}

void CGeneratorDataPane::SelectAll()
{
    if (QListWidget *names = NameList(m_currentList))
        names->selectAll();
}

void CGeneratorDataPane::SelectRow(int list, int row)
{
    if (list == kDetailed) {
        m_detailedList->clearSelection();
        if (QTreeWidgetItem *item = m_detailedList->topLevelItem(row))
            item->setSelected(true);
        return;
    }
    QListWidget *names = NameList(list);
    if (!names)
        return;
    names->clearSelection();
    if (QListWidgetItem *item = names->item(row))
        item->setSelected(true);
}

void CGeneratorDataPane::OnRightClick(QListWidget *list, const QPoint &)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    if (selected.isEmpty() || list != NameList(m_currentList) || !m_view || !m_view->ContextMenu())
        return;
    int first = list->count();
    for (QListWidgetItem *item : selected)
        first = std::min(first, list->row(item));
    const QRect rect = list->visualItemRect(list->item(first));
    if (!rect.isValid()) {
        AfxMessageBox(PromptText(IDS_RIGHT_CLICK_FAILED));
        return;
    }
    m_view->ContextMenu()->popup(list->viewport()->mapToGlobal(rect.bottomRight()));
}

// --- Use --------------------------------------------------------------------------

void CGeneratorDataPane::OnDblclkList()
{
    if (SelectedCount() == 1)
        UseSelected();
}

void CGeneratorDataPane::UseSelected()
{
    if (m_currentList == kDetailed) {
        UseDetailedSelection();
        return;
    }
    const QList<SelectedItem> selected = SelectedItems();
    if (selected.isEmpty() || !m_view || !m_generator || !m_view->Flags().usable)
        return;
    const SelectedItem &item = selected.front();
    if (m_view->Flags().knobListMode) {
        switch (item.kind) {
        case kKindFormat: m_generator->CmdFmtp(item.name); break;
        case kKindImage: m_generator->CmdImgp(item.name); break;
        case kKindSequence: m_generator->CmdSeqp(item.name); break;
        default: AfxMessageBox(PromptText(IDS_KNOB_LIST_CORRUPTED)); break;
        }
        return;
    }
    switch (m_currentList) {
    case kFormats: UseFormatRow(item.row); break;
    case kImages: UseImageRow(item.row); break;
    case kSequences: UseSequenceRow(item.row); break;
    case kFonts: UseFontRow(item.row); break;
    default: break;
    }
}

void CGeneratorDataPane::UseFormatRow(int row)
{
    const QString name = RowName(kFormats, row);
    if (m_view && !m_view->IsPlaying() && !name.isEmpty())
        UseFormat(name);
}

void CGeneratorDataPane::UseFormat(const QString &name)
{
    if (!m_view || !m_generator)
        return;
    WaitCursor cursor;
    CGenerator::Operation operation(m_generator);
    m_generator->CmdFmtl(name);
    m_generator->CmdFmtu();
    if (!GeneratorViewPaneLink::Succeeded(*m_generator))
        return;
    m_view->GetState().format = name;
    m_view->GetState().ReadSignal();
    m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshValues);
}

void CGeneratorDataPane::UseImageRow(int row)
{
    const QString name = RowName(kImages, row);
    if (!m_view || !m_generator || m_view->IsPlaying() || name.isEmpty())
        return;
    WaitCursor cursor;
    CGenerator::Operation operation(m_generator);
    m_generator->CmdImgl(name);
    m_generator->CmdImgu();
    if (!GeneratorViewPaneLink::Succeeded(*m_generator))
        return;
    CGeneratorState &state = m_view->GetState();
    state.image = name;
    state.ReadSignal();
    m_view->RefreshStatus(GeneratorViewPaneLink::kRefreshValues);
    m_view->ShowImageVersion(state.imageVersion);
}

void CGeneratorDataPane::UseSequenceRow(int row)
{
    const QString name = RowName(kSequences, row);
    if (!m_view || name.isEmpty())
        return;
    WaitCursor cursor;
    m_view->OpenSequencePlayer(name, false);
}

void CGeneratorDataPane::UseFontRow(int)
{
    // A font is used by the images that name it: there is nothing to send.
}

void CGeneratorDataPane::UseDetailedSelection()
{
    for (int row = 0; row < FormatListRowCount(); ++row) {
        if (m_detailedList->topLevelItem(row)->isSelected()) {
            UseFormat(FormatListEntry(row)->name);
            return;
        }
    }
}
