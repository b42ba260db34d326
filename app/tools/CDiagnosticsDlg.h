#pragma once
// The Diagnostics window of one generator view: runs the direct-call
// methods (DiagnosticsMethods(): "Smpte133" and the demonstrations) on an
// ISA or PCI generator, each as one routine on the port thread, shows how
// long each took, shows the generator's drawing state as a tree and runs
// the PCI memory benchmarks from its "Test" menu.
//
// One run at a time program-wide: while any window runs, every window's
// list, buttons and benchmark command are off, and only the running
// window's Stop is on (animated rows, Execute All). The window keeps its
// own drawing state; a routine reads the running window's
// (DiagnosticsContext()).

#include "CGeneratorViewChild.h"
#include "CommandRouter.h"
#include "DemonstrationTable.h"
#include "RoutineStop.h"

#include "morvane_types.h"

#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <span>

class CGenerator;
class CGeneratorView;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class ToolLibrary;

class CDiagnosticsDlg : public CGeneratorViewChild {
public:
    CDiagnosticsDlg(CGeneratorView *view, CGenerator *generator);
    ~CDiagnosticsDlg() override;

    // The handlers.
    void OnExecuteSelected();
    void OnDblclkMethodList();
    void OnExecuteAll();
    void OnReloadCanvas();
    void OnStop();
    void OnDmaBenchmark();
    bool OnUpdateDmaBenchmark() const;

    // The value of 1 to 8 hexadecimal digits (an empty text: 0); false for
    // any other text.
    static bool ParseHex(const QString &text, uint32_t &value);

    // A routine of this window runs (or a benchmark): the view shows the
    // window rather than deleting it, and the program does not close.
    bool IsBusyOperating() const override;
    // Asks the running routine to stop (the window is closing).
    void RequestStop() override;
    // Whether some Diagnostics window runs a routine now.
    static bool AnyRunning();

    // Tests list their own methods here (empty: DiagnosticsMethods()); the
    // windows made afterwards show them.
    static void InstallMethods(std::span<const DemonstrationRow> methods);

    QTreeWidget *MethodList() const { return m_list; }
    QTreeWidget *CanvasTree() const { return m_tree; }
    CommandRouter &Router() { return m_router; }
    const RemoteCallContext &Context() const { return m_context; }
    bool CanvasLoaded() const { return m_canvasLoaded; }

protected:
    void reject() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void BuildControls();
    void BuildMenu();
    void FillMethodList();
    void CheckTimer();
    void UpdateControls();
    static void UpdateAllWindows();
    void BeginRun();
    void EndRun();
    // Runs body as one routine for the generator, with this window's drawing
    // state; false (refusal filled) when it could not start.
    bool RunRoutine(const std::function<void(ToolLibrary &)> &body, QString &refusal);
    // Reads the drawing state from the generator; false with why not.
    bool LoadCanvas(QString &failure);
    // The sizes the routines divide by and loop over are sane; else why not.
    bool CanvasUsable(QString &why) const;
    // Loads the canvas when it never was and checks it; a failure in the
    // row's time cell.
    bool ReadyToRun(int row);
    bool RunMethod(int row);
    void SetRowState(int row, int state);
    void SetTimeCell(int row, const QString &text);
    int SelectedRow() const;
    void FillCanvasTree();
    QTreeWidgetItem *AddTreeRow(QTreeWidgetItem *parent, const QString &text, int image);
    void OnSize();

    QPointer<CGeneratorView> m_view;
    CGenerator *m_generator;
    QWidget *m_client = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QTreeWidget *m_tree = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_executeSelected = nullptr;
    QPushButton *m_executeAll = nullptr;
    QPushButton *m_reload = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_close = nullptr;
    QLineEdit *m_code = nullptr;
    QLabel *m_listLabel = nullptr;
    QLabel *m_treeLabel = nullptr;
    CommandRouter m_router;
    RoutineStop m_stop;
    std::span<const DemonstrationRow> m_methods;
    RemoteCallContext m_context{};
    QSize m_initialSize;
    QRect m_initialList;
    QRect m_initialTree;
    bool m_initialised = false;
    bool m_canRun = false;
    bool m_canvasLoaded = false;
    bool m_hasTimer = false;
    bool m_stopEnabled = false;  // an animated row or Execute All runs
    // Stop was pressed (or the window is closing) during this action: its
    // routines still to come stop at once too.
    std::atomic<bool> m_stopRequested{false};
    int m_runDepth = 0;
    QTreeWidgetItem *m_canvasRoot = nullptr;
};
