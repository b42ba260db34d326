#pragma once
// A row of the data list: it owns its data item, so taking the row out of
// the list and deleting it deletes the item too, and no item outlives or
// predeceases its row.

#include <QTreeWidgetItem>

#include <memory>

class CGenData;

class CDataListRow : public QTreeWidgetItem
{
public:
    CDataListRow(QTreeWidget* list, std::unique_ptr<CGenData> item, const QStringList& texts);
    // Leaves the list first, then deletes the item: whatever the item's
    // going sets off never finds a row without an item.
    ~CDataListRow() override;

    CGenData* Item() const { return m_item.get(); }
    // The item of a data-list row (null for none).
    static CGenData* ItemOf(const QTreeWidgetItem* row);

private:
    std::unique_ptr<CGenData> m_item;
};
