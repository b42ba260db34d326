#pragma once
// The window of one connected generator: the status pane (what it does now)
// beside the data pane (what it holds), a toolbar, a menu and a dialog bar
// of signal toggles that act on the generator at once. The view owns the
// connection and the terminal, diagnostics window and sequence player it
// opens; it keeps the generator's state record, the flags its data pane
// computes, and whether a tool window is transferring to the generator.

#include "ResourceIds.h"

#include "CGeneratorState.h"
#include "CGeneratorViewRules.h"
#include "CommandRouter.h"
#include "GeneratorViewHost.h"
#include "GeneratorViewPaneLink.h"
#include "MessageTarget.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class CGenData;
class CGenerator;
class CGeneratorDataPane;
class CGeneratorDialogBar;
class CGeneratorStatusPane;
class CGeneratorViewChild;
class CLinkLostBar;
class CProgressDlg;
class CSequencePlayerWindow;
class CStateButton;
class QMenu;
class QSplitter;
class QToolBar;

// Its panes reach it as a GeneratorViewPaneLink (kRefreshAll and the
// other refresh numbers are that link's).
class CGeneratorView : public QMainWindow, public Handled, public GeneratorViewPaneLink {
public:
    // Takes the connection (it closes its port when the view goes) and
    // reads the generator's identity. host is the program around the view.
    CGeneratorView(CGenerator *connection, GeneratorViewHost *host);
    // The view's children go before its panes, the panes before the connection.
    ~CGeneratorView() override;

    // Makes the hidden frame: panes, toolbar, dialog bar, first status.
    bool CreateFrame();
    // The only way a view ends: it saves its size and deletes itself.
    void DestroyWindow();

    // The connection, after making it the current generator.
    CGenerator *GetGenerator() override;
    // The connection, leaving the current generator as it is.
    CGenerator *Connection() const { return m_connection.get(); }
    // Stores generator as the current one; returns it.
    static CGenerator *SetCurrentGenerator(CGenerator *generator);

    void GetIdentity(QString &model, QString &firmware, QString &serial) const;
    void SetIdentity(const QString &model, const QString &firmware, const QString &serial);
    CGeneratorState &GetState() override { return m_state; }
    const CGeneratorState &GetState() const { return m_state; }

    // A tool transfers to the generator: the view's own transfers wait.
    virtual void SetBusy(bool busy);
    bool IsBusy() const override { return m_busy; }
    // Set by the sequence player while it holds a sequence.
    void SetPlaying(bool playing);
    bool IsPlaying() const override { return m_playing; }

    // Stores one data item in the generator; false stops the caller's send loop.
    virtual bool SendItem(CGenData *item, CProgressDlg *progress);
    // The data pane that is the source of a running drag, or nullptr.
    virtual CGeneratorDataPane *GetDraggingDataPane() const;
    int ScanGenerator();
    int IsScanned() const;

    // kRefreshAll, kRefreshValues or kRefreshMemory; anything else: nothing.
    void RefreshStatus(int what) override;
    // The sequence player keeps the data pane still while it plays.
    void LockDataPane(bool lock);
    // Written by the data pane's selection update.
    void SetSelectionFlags(bool deletable, bool recallable, bool usable) override;
    // The toggles and the image-version spin take the state record's values.
    void ShowSignalState() override;
    void ShowImageVersion(int version) override;

    // The detailed format list as a text file the user picks, and on a
    // printer; every row of it.
    void SaveFormatListAsText();
    void PrintFormatList();
    // A rule of count "=".
    static void MakeRule(QString &out, int count);

    void OpenCmdTerminal();
    void OpenDiagnostics();
    // Asks each child that runs a routine to stop; true when one still runs.
    bool StopBusyChildren();
    void OpenSequencePlayer(const QString &sequence, bool attach) override;

    CGeneratorView *View() override { return this; }
    GeneratorViewHost *Host() const override { return m_host; }
    CGeneratorStatusPane *StatusPane() const { return m_statusPane; }
    CGeneratorDataPane *DataPane() const { return m_dataPane; }
    CGeneratorDialogBar *DialogBar() const { return m_dialogBar; }
    QSplitter *Splitter() const { return m_splitter; }
    CommandRouter &Router() { return m_router; }
    void UpdateCommands() override { m_router.Update(); }
    // Menu 301, for the data pane to track with the view's commands.
    QMenu *ContextMenu() const override { return m_contextMenu; }
    GeneratorViewFlags Flags() const override;

    // The data pane's drag of generator items: the registry's drag source.
    void SetDragSource(bool dragging) override;
    GeneratorViewPaneLink *OtherDragSource() override;

    // The bar shown above the panes while the link is lost.
    CLinkLostBar *LinkLostBar() const { return m_linkLostBar; }
    // Reconnect of that bar.
    bool Reconnect();

    // Dialog-bar actions, as the buttons and arrows run them.
    void OnToggleGate(int id);
    void OnToggleOutput();
    void OnToggleSync(int id);
    // The image-version spin's step request: the version the generator
    // took, or nothing when it did not take the wanted one.
    std::optional<int> OnDeltaPosImageVersion(int step);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // CGeneratorViewLink.cpp: the lost link, its bar and the reconnect.
    void WatchLink();
    QWidget *WithLinkLostBar(QWidget *panes);
    void OnLinkChanged(bool lost);
    void OnLinkRegained();
    void OnCreateClient();
    QRect AvailableScreen() const;
    QSize FitOnScreen(QSize size) const;
    void MoveOnScreen();
    void BuildCommands();
    void WireCommands();
    void BuildMenus();
    void BuildToolBar();
    void BuildDialogBar();
    void ApplySavedSize();
    void SaveSize();
    bool HasDestinations();
    void CopySelected();
    void RecallAndEdit();
    void LoadIntoGenerator();
    void ShowList(int list, bool knobListMode);
    CStateButton *Toggle(int id) const;
    template <class Child>
    void CloseChild(QPointer<Child> &child);
    bool RaiseIfVisible(CGeneratorViewChild *child);
    CGeneratorViewChild *OpenChild(QPointer<CGeneratorViewChild> &child, int kind, unsigned titleId);

    bool m_busy = false;
    bool m_deletable = false;
    bool m_recallable = false;
    bool m_usable = false;
    bool m_knobListMode = false;
    bool m_playing = false;
    GeneratorViewHost *m_host;
    QSplitter *m_splitter = nullptr;
    CGeneratorDataPane *m_dataPane = nullptr;
    CGeneratorStatusPane *m_statusPane = nullptr;
    QToolBar *m_toolBar = nullptr;
    QToolBar *m_dialogBarHost = nullptr;
    CGeneratorDialogBar *m_dialogBar = nullptr;
    QMenu *m_contextMenu = nullptr;
    CLinkLostBar *m_linkLostBar = nullptr;
    std::unique_ptr<CGenerator> m_connection;
    CGeneratorState m_state;
    bool m_controlsEnabled = true;
    QPointer<CSequencePlayerWindow> m_player;
    QPointer<CGeneratorViewChild> m_terminal;
    QPointer<CGeneratorViewChild> m_diagnostics;
    CommandRouter m_router;
    bool m_frameCreated = false;
    int m_pendingSplit = -1; // column 0 width for the first showing; -1: none
};
