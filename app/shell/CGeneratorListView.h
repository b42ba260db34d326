#pragma once
// The lower pane of the main window: one row per connected generator, in
// connection order (model, port, firmware, serial number, baud rate). A row
// owns its generator view. Connecting and the commands on the selected
// generators come with the generator list's own commands.

#include <QList>
#include <QStringList>
#include <QWidget>

class CDataListView;
class CGeneratorView;
class CMainWindow;
class QTreeWidget;

// Every connected generator's view, in connection order, in step with the rows.
extern QList<CGeneratorView *> g_generatorViews;

class CGeneratorListView : public QWidget {
public:
    enum : int { IDC_LIST = 1189 };

    explicit CGeneratorListView(QWidget *parent = nullptr);
    ~CGeneratorListView() override;

    void SetMainWindow(CMainWindow *mainWindow, CDataListView *dataList);

    int GetRowCount() const;
    CGeneratorView *GetRowView(int row) const;
    QString GetRowText(int row, int column) const;
    int FindRow(const CGeneratorView *view) const;
    bool IsRowSelected(int row) const;
    void SelectRow(int row, bool selected);
    int GetSelectedCount() const;
    // The view of the first selected row, or nullptr.
    CGeneratorView *GetSelectedView() const;
    // Exactly one row selected and on a COM port; makes that generator current either way.
    bool IsSingleComSelected();

    // Adds a connected generator's row; the row owns the view.
    void AppendRow(CGeneratorView *view, const QStringList &columns);
    // Tells the main window, then drops the view's row and deletes the view;
    // false when the view has no row.
    bool RemoveGenerator(CGeneratorView *view);
    // Deletes every view (closing their ports), at shut-down.
    void RemoveAll();

    QTreeWidget *List() const { return m_list; }

private:
    QTreeWidget *m_list;
    CMainWindow *m_mainWindow = nullptr;
    CDataListView *m_dataList = nullptr;
};
