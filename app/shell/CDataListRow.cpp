#include "CDataListRow.h"

#include "CGenData.h"

#include <QTreeWidget>

CDataListRow::CDataListRow(QTreeWidget* list, std::unique_ptr<CGenData> item, const QStringList& texts)
    : QTreeWidgetItem(list, texts)
    , m_item(std::move(item))
{
}

CDataListRow::~CDataListRow()
{
    if (QTreeWidget* list = treeWidget())
        list->takeTopLevelItem(list->indexOfTopLevelItem(this));
    m_item.reset();
}

CGenData* CDataListRow::ItemOf(const QTreeWidgetItem* row)
{
    return row ? static_cast<const CDataListRow*>(row)->Item() : nullptr;
}
