#pragma once
// One name list of a generator data pane: small icons, several rows
// selectable, sorted by name. Each row owns its record.

#include "CGeneratorDataPane.h"

#include <QListWidget>

class CGeneratorNameItem : public QListWidgetItem {
public:
    enum : int { Type = QListWidgetItem::UserType + 130 };
    CGeneratorNameItem(const QString &name, const CGeneratorItemState &state);

    CGeneratorItemState state;
};

class CGeneratorNameList : public QListWidget {
public:
    CGeneratorNameList(CGeneratorDataPane *pane, int list);

    int ListNumber() const { return m_list; }
    CGeneratorNameItem *Row(int row) const;
    // The rows line up in columns, as in a small-icon list: every cell is
    // as wide as the widest name the list has held since it was emptied.
    void FitName(const QString &name);
    void ResetGrid();

protected:
    // The pane runs the drag of the selected rows.
    void startDrag(Qt::DropActions supportedActions) override;

private:
    CGeneratorDataPane *m_pane;
    int m_list;
};
