#include "CGeneratorListView.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DialogUnits.h"
#include "ShellImages.h"
#include "strings.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

QList<CGeneratorView *> g_generatorViews;

namespace {

struct Column {
    unsigned titleId;
    int width;
    int image;
};
const Column kColumns[] = {
    {33073, 110, kImageUnit}, {33076, 90, kImageConnector}, {33074, 90, kImageChip},
    {33075, 130, kImageIdBadge}, {33368, 150, kImageClock},
};

constexpr quint32 kComPortType = 0x0002;

CGeneratorView *ViewOf(const QTreeWidgetItem *item)
{
    return item ? static_cast<CGeneratorView *>(item->data(0, Qt::UserRole).value<void *>()) : nullptr;
}

} // namespace

CGeneratorListView::CGeneratorListView(QWidget *parent) : QWidget(parent), m_list(new QTreeWidget(this))
{
    SetControlId(m_list, IDC_LIST);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setColumnCount(int(std::size(kColumns)));
    auto *header = new QTreeWidgetItem;
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        header->setText(i, LoadString(kColumns[i].titleId));
        header->setIcon(i, ShellImageList().value(kColumns[i].image));
    }
    m_list->setHeaderItem(header);
    for (int i = 0; i < int(std::size(kColumns)); ++i)
        m_list->setColumnWidth(i, kColumns[i].width);
    // Only a click recomputes the main window's commands, as with the data list.
    connect(m_list, &QTreeWidget::itemClicked, this, [this] {
        if (m_mainWindow)
            m_mainWindow->UpdateControls();
    });
}

CGeneratorListView::~CGeneratorListView()
{
    RemoveAll();
}

void CGeneratorListView::SetMainWindow(CMainWindow *mainWindow, CDataListView *dataList)
{
    m_mainWindow = mainWindow;
    m_dataList = dataList;
}

int CGeneratorListView::GetRowCount() const
{
    return m_list->topLevelItemCount();
}

CGeneratorView *CGeneratorListView::GetRowView(int row) const
{
    return ViewOf(m_list->topLevelItem(row));
}

QString CGeneratorListView::GetRowText(int row, int column) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

int CGeneratorListView::FindRow(const CGeneratorView *view) const
{
    for (int row = 0; row < GetRowCount(); ++row) {
        if (GetRowView(row) == view)
            return row;
    }
    return -1;
}

bool CGeneratorListView::IsRowSelected(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item && item->isSelected();
}

void CGeneratorListView::SelectRow(int row, bool selected)
{
    if (QTreeWidgetItem *item = m_list->topLevelItem(row))
        item->setSelected(selected);
}

int CGeneratorListView::GetSelectedCount() const
{
    int count = 0;
    for (int row = 0; row < GetRowCount(); ++row)
        count += IsRowSelected(row) ? 1 : 0;
    return count;
}

CGeneratorView *CGeneratorListView::GetSelectedView() const
{
    for (int row = 0; row < GetRowCount(); ++row) {
        if (IsRowSelected(row))
            return GetRowView(row);
    }
    return nullptr;
}

bool CGeneratorListView::IsSingleComSelected()
{
    CGeneratorView *view = GetSelectedView();
    if (!view)
        return false;
    CGenerator *generator = view->GetGenerator();
    return GetSelectedCount() == 1 && generator && (generator->GetPort() >> 16) == kComPortType;
}

void CGeneratorListView::AppendRow(CGeneratorView *view, const QStringList &columns)
{
    auto *item = new QTreeWidgetItem(m_list, columns);
    item->setData(0, Qt::UserRole, QVariant::fromValue<void *>(view));
    CGenerator *generator = view->GetGenerator();
    const bool com = generator && (generator->GetPort() >> 16) == kComPortType;
    item->setIcon(0, ShellImageList().value(com ? kImageStandAlone : kImageCard));
    g_generatorViews.append(view);
}

bool CGeneratorListView::RemoveGenerator(CGeneratorView *view)
{
    const int row = FindRow(view);
    if (row < 0)
        return false;
    if (m_mainWindow)
        m_mainWindow->GeneratorRemoved(view);
    delete m_list->takeTopLevelItem(row);
    g_generatorViews.removeOne(view);
    delete view; // its connection forgets itself as the current generator
    return true;
}

void CGeneratorListView::RemoveAll()
{
    while (GetRowCount() > 0) {
        CGeneratorView *view = GetRowView(0);
        delete m_list->takeTopLevelItem(0);
        g_generatorViews.removeOne(view);
        delete view;
    }
}
