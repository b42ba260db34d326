#include "CGeneratorNameList.h"

#include "DialogUnits.h"
#include "ResourceIds.h"

#include <algorithm>

CGeneratorNameItem::CGeneratorNameItem(const QString &name, const CGeneratorItemState &itemState)
    : QListWidgetItem(name, nullptr, Type), state(itemState)
{
}

CGeneratorNameList::CGeneratorNameList(QWidget *pane, int list) : QListWidget(pane), m_list(list)
{
    setObjectName(ControlName(IDC_NAME_LIST_FIRST + list));
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setIconSize(QSize(32, 16));
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    // Drops go to the pane, which tells a drag from another pane apart.
    setAcceptDrops(false);
}

void CGeneratorNameList::FitName(const QString &name)
{
    constexpr int kPadding = 16; // the gap between the icons and the name, and to the next column
    const int width = iconSize().width() + fontMetrics().horizontalAdvance(name) + kPadding;
    if (width <= gridSize().width())
        return;
    const int height = std::max(iconSize().height(), fontMetrics().height()) + 2;
    setGridSize(QSize(width, height));
}

void CGeneratorNameList::ResetGrid()
{
    setGridSize(QSize());
}

CGeneratorNameItem *CGeneratorNameList::Row(int row) const
{
    QListWidgetItem *it = item(row);
    return it && it->type() == CGeneratorNameItem::Type ? static_cast<CGeneratorNameItem *>(it) : nullptr;
}

void CGeneratorNameList::startDrag(Qt::DropActions)
{
    if (onBeginDrag)
        onBeginDrag();
}
