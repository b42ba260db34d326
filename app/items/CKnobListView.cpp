#include "CKnobListView.h"

#include "DroppedNames.h"
#include "KnobListPictures.h"
#include "NameKinds.h"

#include "DialogUnits.h"
#include "DragLoop.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace {

constexpr int kEntryColumnWidth = 200;
constexpr int kRecordRole = Qt::UserRole + 1;
constexpr int kKindRole = Qt::UserRole + 2;
// Of two kinds of the rows: whether a name of kind may join rows holding present.
bool Mixes(int kind, const bool present[4])
{
    switch (kind) {
    case kNameFormat: return present[kNameImage] || present[kNameSequence];
    case kNameImage: return present[kNameFormat] || present[kNameSequence];
    case kNameSequence: return present[kNameFormat] || present[kNameImage];
    default: return false;
    }
}

} // namespace

// The drop row highlighted, the others as usual.
class CKnobListView::EntryDelegate : public QStyledItemDelegate {
public:
    explicit EntryDelegate(CKnobListView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        if (index.row() == m_view->DropRow())
            o.state |= QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, o, index);
    }

private:
    CKnobListView *m_view;
};

CKnobListView::CKnobListView(KnobEntriesEditorLink *editor, QWidget *parent)
    : QWidget(parent), m_editor(editor), m_dropTarget(std::make_unique<CKnobListDropTarget>(this))
{
    m_list = new CReportListCtrl(this, IDC_KNOB_ENTRIES);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setHeaderLabels({LoadString(IDS_PRESS_TO_SORT)});
    m_list->setColumnWidth(0, kEntryColumnWidth);
    m_list->header()->setSectionsClickable(true);
    m_list->setItemDelegate(new EntryDelegate(this));
    m_list->onBeginDrag = [this] { OnBeginDrag(); };
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this] { SortRows(); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { m_editor->OnSelectionChanged(); });
    m_dropTarget->RegisterOn(m_list->viewport());
}

CKnobListView::~CKnobListView()
{
    m_dropTarget->Revoke();
}

// --- Rows -------------------------------------------------------------------------

QTreeWidgetItem *CKnobListView::MakeRow(const QString &name, int index)
{
    auto *row = new QTreeWidgetItem(QStringList{name});
    const int kind = m_editor->KindOf(name);
    row->setData(0, kRecordRole, index);
    row->setData(0, kKindRole, kind);
    row->setIcon(0, KindPicture(kind));
    return row;
}

void CKnobListView::Fill(const QStringList &entries)
{
    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < entries.size(); ++i)
        rows.append(MakeRow(entries.at(i), i));
    m_list->addTopLevelItems(rows);
}

int CKnobListView::RowCount() const
{
    return m_list->topLevelItemCount();
}

QString CKnobListView::NameAt(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(0) : QString();
}

int CKnobListView::KindAt(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->data(0, kKindRole).toInt() : 0;
}

CKnobListEntry CKnobListView::RecordAt(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? CKnobListEntry{item->text(0), item->data(0, kRecordRole).toInt()} : CKnobListEntry{};
}

QStringList CKnobListView::RowNames() const
{
    QStringList names;
    for (int row = 0; row < RowCount(); ++row)
        names << NameAt(row);
    return names;
}

QStringList CKnobListView::SelectedNames() const
{
    QStringList names;
    for (int row = 0; row < RowCount(); ++row) {
        if (m_list->topLevelItem(row)->isSelected())
            names << NameAt(row);
    }
    return names;
}

void CKnobListView::Renumber()
{
    for (int row = 0; row < RowCount(); ++row)
        m_list->topLevelItem(row)->setData(0, kRecordRole, row);
}

void CKnobListView::RefreshKinds()
{
    for (int row = 0; row < RowCount(); ++row) {
        QTreeWidgetItem *item = m_list->topLevelItem(row);
        const int kind = m_editor->KindOf(item->text(0));
        item->setData(0, kKindRole, kind);
        item->setIcon(0, KindPicture(kind));
    }
}

bool CKnobListView::InsertNames(const QString &text, int row, bool append, bool *allTaken)
{
    bool present[4] = {};
    for (int r = 0; r < RowCount(); ++r) {
        const int kind = KindAt(r);
        if (kind >= kNameFormat && kind <= kNameSequence)
            present[kind] = true;
    }
    const DroppedNames read = ReadDroppedNames(text);
    const int at = append || row < 0 || row > RowCount() ? RowCount() : row;
    QList<QTreeWidgetItem *> added;
    bool refused = false;
    for (const QString &name : read.names) {
        const int kind = m_editor->KindOf(name);
        if (Mixes(kind, present)) {
            MessageBox(this, PromptText(IDS_MULTIPLE_TYPES), PromptText(IDS_MULTIPLE_TYPES_CAPTION),
                       MB_OK | MB_ICONEXCLAMATION);
            refused = true; // the reading ends here, before whatever followed
            break;
        }
        if (kind >= kNameFormat && kind <= kNameSequence)
            present[kind] = true;
        added.append(MakeRow(name, 0));
    }
    if (!added.isEmpty()) {
        // One insert for all: a row at a time costs the list a layout each.
        m_list->insertTopLevelItems(at, added);
        Renumber();
        m_editor->SetModified();
    }
    if (allTaken)
        *allTaken = read.whole && !refused;
    return read.whole || refused;
}

void CKnobListView::AppendNames(const QStringList &names)
{
    if (names.isEmpty())
        return;
    QList<QTreeWidgetItem *> rows;
    rows.reserve(names.size());
    for (const QString &name : names)
        rows.append(MakeRow(name, 0));
    m_list->addTopLevelItems(rows);
    Renumber();
    m_editor->SetModified();
}

void CKnobListView::RemoveSelectedRows()
{
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (m_list->topLevelItem(row)->isSelected())
            delete m_list->takeTopLevelItem(row);
    }
    Renumber();
    m_editor->SetModified();
}

void CKnobListView::SortRows()
{
    m_sortDescending = !m_sortDescending;
    QList<QTreeWidgetItem *> rows = m_list->invisibleRootItem()->takeChildren();
    std::stable_sort(rows.begin(), rows.end(), [this](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        const int order = a->text(0).compare(b->text(0), Qt::CaseInsensitive);
        return m_sortDescending ? order > 0 : order < 0;
    });
    m_list->addTopLevelItems(rows); // the records keep their positions: the item is unchanged
}

// --- Drags ---------------------------------------------------------------------------

void CKnobListView::SetDropRow(int row)
{
    if (row == m_dropRow)
        return;
    m_dropRow = row;
    m_list->viewport()->update();
}

void CKnobListView::OnBeginDrag()
{
    const QStringList names = SelectedNames();
    if (names.isEmpty())
        return;
    auto *data = new QMimeData;
    try {
        data->setText(names.join(u'\r'));
    } catch (const std::bad_alloc &) {
        delete data;
        MessageBox(this, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    if (RunDrag(drag, Qt::CopyAction | Qt::MoveAction) == Qt::MoveAction)
        RemoveSelectedRows();
}
