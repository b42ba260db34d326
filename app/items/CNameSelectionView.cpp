#include "CNameSelectionView.h"

#include "CKnobListView.h"
#include "KnobListPictures.h"

#include "CGenerator.h"
#include "DialogUnits.h"
#include "DragLoop.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kNameWidth = 150;
constexpr int kTypeWidth = 50;
// The row's kind in the high half, its index in the generator's list of that kind in the low half.
constexpr int kDataRole = Qt::UserRole + 1;

// By kind: none, format, image, sequence.
const unsigned kTypeTexts[] = {0, IDS_FORMAT_EXTENSION, IDS_IMAGE_EXTENSION, IDS_SEQUENCE_EXTENSION};

int KindOfData(const QTreeWidgetItem *item)
{
    return item ? int(item->data(0, kDataRole).toUInt() >> 16) : 0;
}

} // namespace

CNameSelectionView::CNameSelectionView(CKnobListView *entries, QWidget *parent) : QWidget(parent), m_entries(entries)
{
    m_list = new CReportListCtrl(this, IDC_NAME_SELECTION);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setHeaderLabels({LoadString(IDS_NAME_COLUMN), LoadString(IDS_TYPE_COLUMN)});
    m_list->setColumnWidth(0, kNameWidth);
    m_list->setColumnWidth(1, kTypeWidth);
    m_list->header()->setSectionsClickable(true);
    m_list->onBeginDrag = [this] { OnBeginDrag(); };
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int column) { SortBy(column); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (item)
            m_entries->AppendNames({item->text(0)});
    });
}

const QStringList &CNameSelectionView::NamesOf(int kind) const
{
    static const QStringList none;
    if (!m_generator)
        return none;
    switch (kind) {
    case kFormats: return m_generator->FormatNames();
    case kImages: return m_generator->ImageNames();
    case kSequences: return m_generator->SequenceNames();
    default: return none;
    }
}

void CNameSelectionView::AddRows(int kind)
{
    const QStringList &names = NamesOf(kind);
    const QIcon picture = KindPicture(kind);
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < names.size(); ++i) {
        auto *row = new QTreeWidgetItem(QStringList{names.at(i), LoadString(kTypeTexts[kind])});
        row->setIcon(0, picture);
        row->setData(0, kDataRole, (uint(kind) << 16) | uint(i & 0xFFFF));
        rows.append(row);
    }
    m_list->addTopLevelItems(rows);
}

void CNameSelectionView::Fill(CGenerator &generator, bool formats, bool images, bool sequences)
{
    m_generator = &generator;
    m_list->clear();
    const bool shown[] = {false, formats, images, sequences};
    for (int kind = kFormats; kind <= kSequences; ++kind) {
        if (shown[kind])
            AddRows(kind);
    }
}

void CNameSelectionView::ShowKind(int kind, bool show)
{
    if (show) {
        AddRows(kind);
        return;
    }
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (KindAt(row) == kind)
            delete m_list->takeTopLevelItem(row);
    }
}

void CNameSelectionView::SortBy(int column)
{
    m_sortColumn = column;
    m_sortDescending = !m_sortDescending;
    QList<QTreeWidgetItem *> rows;
    while (RowCount() > 0)
        rows.append(m_list->takeTopLevelItem(0));
    std::stable_sort(rows.begin(), rows.end(), [this](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        const int order = m_sortColumn == 0 ? a->text(0).compare(b->text(0), Qt::CaseInsensitive)
                                            : KindOfData(a) - KindOfData(b);
        return m_sortDescending ? order > 0 : order < 0;
    });
    m_list->addTopLevelItems(rows);
}

int CNameSelectionView::RowCount() const
{
    return m_list->topLevelItemCount();
}

QString CNameSelectionView::NameAt(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(0) : QString();
}

int CNameSelectionView::KindAt(int row) const
{
    return KindOfData(m_list->topLevelItem(row));
}

QStringList CNameSelectionView::SelectedNames() const
{
    QStringList names;
    for (int row = 0; row < RowCount(); ++row) {
        if (m_list->topLevelItem(row)->isSelected())
            names << NameAt(row);
    }
    return names;
}

void CNameSelectionView::OnBeginDrag()
{
    int kind = 0;
    for (int row = 0; row < RowCount(); ++row) {
        if (!m_list->topLevelItem(row)->isSelected())
            continue;
        if (kind != 0 && KindAt(row) != kind) {
            MessageBox(this, PromptText(IDS_MULTIPLE_TYPES), PromptText(IDS_MULTIPLE_TYPES_CAPTION),
                       MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        kind = KindAt(row);
    }
    const QStringList names = SelectedNames();
    if (names.isEmpty())
        return;
    auto *data = new QMimeData;
    data->setText(names.join(u'\r'));
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    RunDrag(drag, Qt::CopyAction);
}
