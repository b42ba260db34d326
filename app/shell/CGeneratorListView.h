#pragma once
// The lower pane of the main window: one row per connected generator, in
// connection order (model, port, firmware, serial number, baud rate). A row
// owns its generator view, and the view owns the connection. Connecting,
// disconnecting and the commands on the selected generators start here.

#include "GeneratorViewRegistry.h"
#include "ResourceIds.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>

class CDataListView;
class CGenerator;
class CGeneratorView;
class ShellWindow;
class QTreeWidget;
class QTreeWidgetItem;


class CGeneratorListView : public QWidget {
public:
    // The firmware versions a generator may report.
    static constexpr double kMinFirmware = 2.0;
    static constexpr double kMaxFirmware = 20.0;
    static constexpr int kVersionRetries = 5;

    explicit CGeneratorListView(QWidget *parent = nullptr);
    ~CGeneratorListView() override;

    void SetShellWindow(ShellWindow *mainWindow, CDataListView *dataList);

    int GetRowCount() const;
    CGeneratorView *GetRowView(int row) const;
    QString GetRowText(int row, int column) const;
    int GetRowIcon(int row) const;
    // The row shows that its generator's link is lost (mark and tooltip).
    bool IsRowLinkLost(int row) const;
    int FindRow(const CGeneratorView *view) const;
    bool IsRowSelected(int row) const;
    void SelectRow(int row, bool selected);
    int GetSelectedCount() const;
    // The view of the first selected row, or nullptr.
    CGeneratorView *GetSelectedView() const;
    // Exactly one row selected and on a COM port; makes that generator current either way.
    bool IsSingleComSelected();

    // --- Commands -----------------------------------------------------------
    // True when a generator was added; debugLog logs its traffic from the start.
    bool Connect(bool debugLog);
    // Asks about the first selected generator; true when it was removed.
    bool Disconnect();
    // Resets the generator on a card the user picks; a generator connected
    // there is removed first, so the card is free for the library.
    void ForceInit();
    void SetBaudRate();
    // Sends the data list's selected items to the selected generators; ask
    // shows the confirmation and offers to save modified items.
    void SendData(bool ask);
    void OpenCmdTerminals();
    void OpenDiagnostics();
    void OnDblclkList();

    // Adds a connected generator's row; the row owns the view.
    void AppendRow(CGeneratorView *view, const QStringList &columns);
    // Tells the main window, then drops the view's row and deletes the view;
    // false when the view has no row, or when an operation is running: the
    // removal then waits for its end.
    bool RemoveGenerator(CGeneratorView *view);
    // Deletes every view (closing their ports), at shut-down.
    void RemoveAll();

    // A command of this list that pumps messages (the port dialog, the
    // baud-rate dialog, a send's progress dialog) holds one of these. While
    // any is held the list's other commands are refused and removals wait,
    // so nothing deletes a generator the operation is using.
    class Operation {
    public:
        explicit Operation(CGeneratorListView &list);
        ~Operation();
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;

    private:
        QPointer<CGeneratorListView> m_list;
    };
    bool IsOperationRunning() const { return m_operations > 0; }
    // What Operation does, for callers that cannot hold one.
    void StartOperation() { ++m_operations; }
    void EndOperation();

    // The library's forced initialisation; tests replace it. Returns
    // non-zero when a generator was found on the port.
    static std::function<int32_t(uint32_t type, int32_t number)> s_forceInit;

    QTreeWidget *List() const { return m_list; }

private:
    bool CheckFirmwareVersion(CGenerator &generator);
    int SavedBaudRate() const;
    // The port dialog and the two questions; false when the user stopped.
    bool AskForceInit(uint32_t &type, int &number, QString &port);
    void AddConnectedRow(CGeneratorView *view);
    // The row's mark and tooltip follow its generator's link; a regained
    // link refreshes the row from the reconnect once the generator is free.
    void WatchLink(CGeneratorView *view);
    void ShowRowLinkLost(CGeneratorView *view, bool lost);
    void RefreshRowAfterReconnect(CGeneratorView *view);
    bool RemoveNow(CGeneratorView *view);
    // Refuses a command that would run into a running operation or a tool's transfer.
    bool MayRun(const CGeneratorView *view = nullptr) const;
    QList<CGeneratorView *> SelectedViews() const;
    // The view of the generator on an ISA slot or a PCI card (from 1), or nullptr.
    CGeneratorView *ViewOnCard(uint32_t type, int number) const;

    QTreeWidget *m_list;
    ShellWindow *m_mainWindow = nullptr;
    CDataListView *m_dataList = nullptr;
    int m_operations = 0;
    QList<QPointer<CGeneratorView>> m_pendingRemovals;
};
