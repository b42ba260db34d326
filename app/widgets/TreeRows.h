#pragma once
// The top-level rows of a list shown as a tree widget, by row number: what
// the program's lists (data list, generator list) answer about their rows.
// An out-of-range row reads as empty and ignores changes.

#include <QString>
#include <QTreeWidget>
#include <QVariant>

namespace TreeRows {

inline int Count(const QTreeWidget* list)
{
    return list->topLevelItemCount();
}

inline QString Text(const QTreeWidget* list, int row, int column)
{
    const QTreeWidgetItem* item = list->topLevelItem(row);
    return item ? item->text(column) : QString();
}

// Column 0's data of role, or fallback for a missing row.
inline int Data(const QTreeWidget* list, int row, int role, int fallback)
{
    const QTreeWidgetItem* item = list->topLevelItem(row);
    return item ? item->data(0, role).toInt() : fallback;
}

inline bool IsSelected(const QTreeWidget* list, int row)
{
    const QTreeWidgetItem* item = list->topLevelItem(row);
    return item && item->isSelected();
}

inline void Select(QTreeWidget* list, int row, bool selected)
{
    if (QTreeWidgetItem* item = list->topLevelItem(row))
        item->setSelected(selected);
}

} // namespace TreeRows
