// The detailed format list of a generator data pane: one row of figures
// per stored format, read from the generator on request, sorted by a
// clicked column.

#include "CGeneratorDataPane.h"

#include "CGenerator.h"
#include "CGeneratorState.h"
#include "GeneratorViewPaneLink.h"
#include "CKindValue.h"
#include "CProgressDlg.h"
#include "DataPaneImages.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "UserAction.h"

#include <QHeaderView>
#include <QListWidget>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace {

// A row of the detailed list and the entry it owns.
class CFormatListItem : public QTreeWidgetItem {
public:
    enum : int { Type = QTreeWidgetItem::UserType + 118 };
    explicit CFormatListItem(const CFormatListEntry &e) : QTreeWidgetItem(Type), entry(e) { ShowEntry(); }

    void ShowEntry()
    {
        for (int column = 0; column < kFormatListColumnCount; ++column)
            setText(column, FormatListColumnText(entry, column));
        setIcon(0, DataPaneImage(entry.icon));
    }

    CFormatListEntry entry;
};

CFormatListItem *EntryItem(QTreeWidgetItem *item)
{
    return item && item->type() == CFormatListItem::Type ? static_cast<CFormatListItem *>(item) : nullptr;
}

} // namespace

bool CGeneratorDataPane::ShowsScanPercentage(int position, int count)
{
    // Every tenth of the list; a list of fewer than ten has no tenths, and
    // shows the line once, at its first row.
    const int step = count / 10;
    return step > 0 ? position % step == 0 : position == 0;
}

void CGeneratorDataPane::CreateDetailedList()
{
    m_detailedList = new QTreeWidget(this);
    m_detailedList->setObjectName(ControlName(IDC_FORMAT_LIST));
    m_detailedList->hide();
    m_detailedList->setRootIsDecorated(false);
    m_detailedList->setUniformRowHeights(true);
    m_detailedList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_detailedList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_detailedList->setSortingEnabled(false);
    m_detailedList->setColumnCount(kFormatListColumnCount);
    QStringList headings;
    for (const FormatListColumnDef &column : kFormatListColumns)
        headings.push_back(LoadString(column.heading));
    m_detailedList->setHeaderLabels(headings);
    for (int column = 0; column < kFormatListColumnCount; ++column)
        m_detailedList->setColumnWidth(column, kFormatListColumns[column].width);
    m_detailedList->header()->setSectionsClickable(true);
    m_detailedList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(m_detailedList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { OnColumnClickFormatList(column); });
    connect(m_detailedList, &QTreeWidget::itemDoubleClicked, this, [this] {
        const UserAction action;
        UseDetailedSelection();
    });
}

bool CGeneratorDataPane::AskScanFormats()
{
    return MessageBox(this, PromptText(IDS_SCAN_FORMATS_QUESTION), PromptText(IDS_DETAILED_FORMAT_LIST),
                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CGeneratorDataPane::ScanFormats()
{
    if (!AskScanFormats())
        return;
    // A scan asks the generator for its formats: the names it gave before
    // may be stale, or missing after a read that failed.
    if (m_generator)
        m_generator->RefreshFormatList();
    FreeFormatListEntries();
    ScanFormatDetails();
    m_detailedListFilled = true;
    UpdateSelectionState();
}

void CGeneratorDataPane::FreeFormatListEntries()
{
    m_detailedList->clear();
}

int CGeneratorDataPane::FormatListRowCount() const
{
    return m_detailedList->topLevelItemCount();
}

QList<CFormatListEntry> CGeneratorDataPane::FormatListEntries() const
{
    QList<CFormatListEntry> entries;
    for (int row = 0; row < FormatListRowCount(); ++row) {
        if (const CFormatListEntry *entry = FormatListEntry(row))
            entries.push_back(*entry);
    }
    return entries;
}

const CFormatListEntry *CGeneratorDataPane::FormatListEntry(int row) const
{
    const CFormatListItem *item = EntryItem(m_detailedList->topLevelItem(row));
    return item ? &item->entry : nullptr;
}

void CGeneratorDataPane::AddFormatListEntry(const CFormatListEntry &entry)
{
    m_detailedList->addTopLevelItem(new CFormatListItem(entry));
}

void CGeneratorDataPane::AddFormatListEntries(const QList<CFormatListEntry> &entries)
{
    // One insert: the view lays its rows out once, not once a row.
    QList<QTreeWidgetItem *> rows;
    rows.reserve(entries.size());
    for (const CFormatListEntry &entry : entries)
        rows.append(new CFormatListItem(entry));
    m_detailedList->addTopLevelItems(rows);
}

void CGeneratorDataPane::ScanFormatDetails()
{
    if (!m_generator)
        return;
    const QStringList names = m_generator->FormatNames();
    const int count = int(names.size());
    auto progress = std::make_unique<CProgressDlg>(this, false);
    progress->SetStatus(IDC_STATUS1, FormatString(IDS_SCANNING_FORMATS, {QString::number(count)}));
    CGenerator &g = *m_generator;
    QList<CFormatListEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (ShowsScanPercentage(i, count))
            progress->SetStatus(IDC_STATUS2, FormatString(IDS_SCANNED_PERCENT, {QString::number(i * 100 / count)}));
        entries.append(ReadFormatListEntry(g, names[i]));
    }
    AddFormatListEntries(entries);
    progress->DestroyWindow();
}

CFormatListEntry CGeneratorDataPane::ReadFormatListEntry(CGenerator &g, const QString &name)
{
    CFormatListEntry entry;
    entry.name = name;
    entry.icon = g.QueryFmtk(entry.name) ? kIconUserFormat : kIconBuiltInFormat;
    g.CmdFmtl(entry.name);
    entry.hRes = g.QueryHres();
    entry.vRes = g.QueryVres();
    entry.scan = g.QueryScan();
    const int hTotal = g.QueryHtot();
    const int vTotal = g.QueryVtot();
    entry.SetTiming(g.QueryHrat(), hTotal, vTotal);
    entry.syncType = uint16_t(g.QuerySsst());
    const int analog = g.QueryAvst();
    CVideoKind video;
    if (analog != 0)
        video.SetFromAnalogCode(analog);
    else
        video.SetFromDigitalCode(g.QueryDvst());
    entry.videoType = int16_t(video.GetIndex());
    return entry;
}

void CGeneratorDataPane::ReadAgain()
{
    if (!m_scanned)
        return;
    // The list shown and its selection stay, as far as the rows are still there.
    const int shown = m_currentList;
    QStringList selected;
    if (shown >= 0 && shown < kNameLists)
        for (const SelectedItem &item : SelectedItems())
            selected.append(item.name);
    ScanGenerator();
    if (m_detailedListFilled) {
        FreeFormatListEntries();
        ScanFormatDetails();
    }
    if (shown < 0)
        return;
    ShowList(shown);
    for (const QString &name : selected)
        if (const int row = FindRow(shown, name); row >= 0)
            NameList(shown)->item(row)->setSelected(true);
    UpdateSelectionState();
}

void CGeneratorDataPane::RefreshFormatListEntry(const QString &name)
{
    if (!m_generator || !m_detailedListFilled)
        return;
    // Reading a format's figures loads it; the format in use is loaded again.
    const QString inUse = m_view ? m_view->GetState().format : QString();
    const CFormatListEntry entry = ReadFormatListEntry(*m_generator, name);
    if (!inUse.isEmpty() && inUse.compare(name, Qt::CaseInsensitive) != 0)
        m_generator->CmdFmtl(inUse);
    for (int row = 0; row < FormatListRowCount(); ++row) {
        auto *item = EntryItem(m_detailedList->topLevelItem(row));
        if (item && item->entry.name.compare(name, Qt::CaseInsensitive) == 0) {
            item->entry = entry;
            item->ShowEntry();
            return;
        }
    }
    AddFormatListEntry(entry);
    SortFormatList();
}

void CGeneratorDataPane::OnColumnClickFormatList(int column)
{
    if (column < 0 || column >= kFormatListColumnCount)
        return;
    m_sortColumn = column;
    m_sortDirection = !m_sortDirection;
    SortFormatList();
}

void CGeneratorDataPane::SortFormatList()
{
    for (int row = 0; row < FormatListRowCount(); ++row) {
        QTreeWidgetItem *item = m_detailedList->topLevelItem(row);
        item->setData(0, Qt::UserRole, item->isSelected());
    }
    // Taken out and put back whole: a row at a time costs the view a layout each.
    QList<CFormatListItem *> rows;
    for (QTreeWidgetItem *item : m_detailedList->invisibleRootItem()->takeChildren()) {
        if (CFormatListItem *entry = EntryItem(item))
            rows.push_back(entry);
        else
            delete item;
    }
    // A strict weak order: rows that compare equal keep their order.
    std::stable_sort(rows.begin(), rows.end(), [this](const CFormatListItem *a, const CFormatListItem *b) {
        return CompareFormatListEntries(a->entry, b->entry, m_sortColumn, m_sortDirection) < 0;
    });
    m_detailedList->addTopLevelItems(QList<QTreeWidgetItem *>(rows.begin(), rows.end()));
    for (CFormatListItem *item : rows)
        item->setSelected(item->data(0, Qt::UserRole).toBool());
}
