#pragma once
// One name list of a generator data pane: small icons, several rows
// selectable, sorted by name. Each row owns its record.

#include "DataPaneKinds.h"

#include <QListWidget>

#include <functional>

class CGeneratorNameItem : public QListWidgetItem {
public:
    enum : int { Type = QListWidgetItem::UserType + 130 };
    CGeneratorNameItem(const QString &name, const CGeneratorItemState &state);

    CGeneratorItemState state;
};

class CGeneratorNameList : public QListWidget {
public:
    CGeneratorNameList(QWidget *pane, int list);
    // Runs the drag of the selected rows (the pane's).
    std::function<void()> onBeginDrag;

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
    int m_list;
};
