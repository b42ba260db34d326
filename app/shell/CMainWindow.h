#pragma once
// The program's one top-level window and the shell's switchboard: the data
// list above the generator list, menu, toolbar, status bar, the tool windows
// it owns, and the private messages of data items, editors and tools.

#include "ResourceIds.h"

#include "CToolWindow.h"
#include "CommandRouter.h"
#include "MessageTarget.h"
#include "ShellWindow.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

class CDataListView;
class CGenData;
class CGeneratorDataPane;
class CGeneratorListView;
class CGeneratorView;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

class CMainWindow : public QMainWindow, public MessageTarget, public ShellWindow {
public:

    CMainWindow();
    ~CMainWindow() override;

    bool CreateFrame();
    void UpdateControls() override;

    // --- GeneratorViewHost ---------------------------------------------------
    QObject *MessageWindow() override { return this; }
    QWidget *Frame() override { return this; }
    CGenData *NewDataItem(int kind) override;
    void DeleteDataItems(const QList<CGenData *> &items) override;
    void SelectDataItems(const QList<CGenData *> &items) override;
    void DeselectAllData() override;
    void EditSelectedData() override;
    bool OpenDataFile() override;
    bool IsDataListDragging() const override;
    void SendDataListSelectionTo(CGeneratorView *destination, CProgressDlg *progress) override;
    void SendDataToSelectedGenerators() override;
    bool HasSelectedGenerators() const override;
    void OperationStarted() override;
    void OperationEnded() override;

    CDataListView *GetDataListView() const { return m_dataList; }
    CGeneratorListView *GetGeneratorListView() const { return m_generatorList; }
    CGeneratorDataPane *FindDraggingDataPane() const override;
    CDataListView *GetDraggingDataList() const;
    void GeneratorAdded(CGeneratorView *view) override;
    void GeneratorRemoved(CGeneratorView *view) override;
    int PersistentBaudRate() override;
    void PersistentBaudRate(quint32 rate) override;

    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // Shows the tool, creating it (with every connected generator) when it is
    // not visible; false when the program has no such tool.
    bool ShowTool(ToolSlot slot);
    CToolWindow *Tool(ToolSlot slot) const { return m_tools[size_t(slot)]; }

    // Placement, tools, editor clipboards, generators and data items, in
    // that order; runs once (on close, or when the window object goes).
    void DestroyWindow();

    CommandRouter &Router() { return m_router; }
    QMenu *SystemMenu() const { return m_systemMenu; }
    QSplitter *Splitter() const { return m_splitter; }

    // Set by the items that keep clipboards of their editors.
    static std::function<void()> s_clearEditorClipboards;
    // The help file, beside the program.
    void SetHelpFile(const QString &name) { m_helpFile = name; }
    void OpenHelpFile() override;

    int generatorSelected = 0;
    int dataSelected = 0;
    int cmdFileWritable = 0;
    int debugNewConnections = 0;
    int bothSelected = 0;
    int singleComSelected = 0;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void OnCreateClient();
    void BuildCommands();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void WireCommands();
    void ShowAbout();
    void ToggleSelectedLog();
    QString SelectedGeneratorText() const;
    bool SelectedGeneratorLogs() const;
    void ReapHiddenTools();
    void DestroyTool(ToolSlot slot);
    bool IsVisible(ToolSlot slot) const;
    bool IsBusyOperating(ToolSlot slot) const;
    // Offers every modified item for saving; false keeps the window open.
    bool CanClose();
    void ForwardBusy(CGeneratorView *view, int busy);
    QRect SavedRect() const;
    void SavePlacement();

    QSplitter *m_splitter = nullptr;
    CDataListView *m_dataList = nullptr;
    CGeneratorListView *m_generatorList = nullptr;
    std::array<QPointer<CToolWindow>, kToolSlotCount> m_tools;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_statusPane = nullptr;
    QMenu *m_systemMenu = nullptr;
    CommandRouter m_router;
    QString m_helpFile;
    bool m_destroyed = false;
    bool m_started = false; // shown once: the start-up text of the status pane is gone
    int m_pendingRow0 = 0; // height for splitter row 0 once the window is laid out; 0: none
};
