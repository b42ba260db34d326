#include "CGeneratorView.h"

#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorDialogBar.h"
#include "CGeneratorStatusPane.h"
#include "CGeneratorViewChild.h"
#include "GeneratorViewRegistry.h"
#include "CSpinButtonCtrl.h"
#include "CStateButton.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

using namespace ProfileKeys;

namespace {
constexpr QSize kStatusPaneSize(200, 300);
constexpr QSize kDataPaneSize(300, 300);
constexpr int kMinimumSavedWidth = 20; // a saved width up to this is no size

} // namespace

CGeneratorView::CGeneratorView(CGenerator *connection, GeneratorViewHost *host)
    : QMainWindow(nullptr), m_host(host), m_connection(connection), m_state(connection)
{
    m_state.ReadIdentity();
    WatchLink();
}

CGeneratorView::~CGeneratorView()
{
    GeneratorViewRegistry::Forget(this);
    if (m_frameCreated)
        SaveSize();
    // The children use the panes and the connection, and the player puts the
    // generator back as it leaves: they go while both still exist.
    CloseChild(m_terminal);
    CloseChild(m_diagnostics);
    CloseChild(m_player);
    delete m_statusPane;
    m_statusPane = nullptr;
    delete m_dataPane;
    m_dataPane = nullptr;
    m_state.generator = nullptr;
    m_connection.reset(); // closes the port; the generator is no longer current
}

void CGeneratorView::DestroyWindow()
{
    delete this;
}

// --- Frame ------------------------------------------------------------------

bool CGeneratorView::CreateFrame()
{
    if (m_frameCreated)
        return true;
    setObjectName(QStringLiteral("CGeneratorView"));
    setWindowTitle(LoadString(IDS_GENERATOR_VIEW_TITLE));
    m_router.SetActionOwner(this);
    OnCreateClient();
    BuildCommands();
    WireCommands();
    BuildMenus();
    BuildToolBar();
    BuildDialogBar();
    const QString model = m_state.model;
    setWindowTitle(FormatString(IDS_GENERATOR_ON_PORT, {model, m_connection ? m_connection->GetPortName() : QString()}));
    m_frameCreated = true;
    m_statusPane->RefreshValues();
    m_statusPane->RefreshMemory();
    ApplySavedSize();
    m_router.Update();
    return true;
}

void CGeneratorView::OnCreateClient()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_statusPane = new CGeneratorStatusPane(m_splitter);
    m_dataPane = new CGeneratorDataPane(m_splitter);
    m_statusPane->resize(kStatusPaneSize);
    m_dataPane->resize(kDataPaneSize);
    m_splitter->addWidget(m_statusPane);
    m_splitter->addWidget(m_dataPane);
    m_splitter->setSizes({kStatusPaneSize.width(), kDataPaneSize.width()});
    // A wider view gives the room to the data pane's names, not to the status rows.
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(WithLinkLostBar(m_splitter));
    m_statusPane->SetView(this, m_connection.get());
    m_dataPane->SetView(this, m_connection.get());
    m_dataPane->RegisterDropTarget(m_host);
}

void CGeneratorView::ApplySavedSize()
{
    const int width = GetProfileInt(kWindow, kGenViewW, -1);
    if (width <= kMinimumSavedWidth) {
        // No saved size: room for both panes, the status pane showing its
        // rows and columns whole, rather than the bars alone.
        const QSize status = kStatusPaneSize.expandedTo(m_statusPane->sizeHint());
        const QSize frame = sizeHint();
        const int bars = frame.height() - std::max(0, m_splitter->sizeHint().height());
        const int panes = status.width() + m_splitter->handleWidth() + kDataPaneSize.width();
        resize(FitOnScreen(QSize(std::max(frame.width(), panes), bars + std::max(status.height(), kDataPaneSize.height()))));
        m_pendingSplit = status.width();
        return;
    }
    resize(FitOnScreen(QSize(width, GetProfileInt(kWindow, kGenViewH, 100))));
    // A splitter divides only the width it has: wait until it has its own.
    m_pendingSplit = std::max(0, GetProfileInt(kWindow, kGenViewSP, 100));
}

QRect CGeneratorView::AvailableScreen() const
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// A saved size from a larger screen, or room for both panes on a small one,
// must not put the bars or a pane out of reach.
QSize CGeneratorView::FitOnScreen(QSize size) const
{
    const QRect screen = AvailableScreen();
    return screen.isEmpty() ? size : size.boundedTo(screen.size());
}

void CGeneratorView::MoveOnScreen()
{
    const QRect screen = AvailableScreen();
    if (screen.isEmpty())
        return;
    QRect frame = frameGeometry();
    if (frame.width() > screen.width() || frame.height() > screen.height()) {
        const QSize decoration = frame.size() - size();
        resize(size().boundedTo(screen.size() - decoration));
        frame = frameGeometry();
    }
    frame.moveLeft(std::clamp(frame.left(), screen.left(), std::max(screen.left(), screen.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), screen.top(), std::max(screen.top(), screen.bottom() - frame.height() + 1)));
    if (frame.topLeft() != frameGeometry().topLeft())
        move(frame.topLeft());
}

void CGeneratorView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    MoveOnScreen();
    if (m_pendingSplit >= 0) {
        const int rest = m_splitter->width() - m_splitter->handleWidth() - m_pendingSplit;
        m_splitter->setSizes({m_pendingSplit, std::max(1, rest)});
        m_pendingSplit = -1;
    }
}

void CGeneratorView::SaveSize()
{
    // The size that resize() restores: the window manager's frame around it
    // is unknown until the window shows, so saving it would grow every view.
    WriteProfileInt(kWindow, kGenViewW, width());
    WriteProfileInt(kWindow, kGenViewH, height());
    WriteProfileInt(kWindow, kGenViewSP, m_pendingSplit >= 0 ? m_pendingSplit : m_splitter->sizes().value(0));
}

void CGeneratorView::closeEvent(QCloseEvent *event)
{
    // Closing only hides: the connection and the children stay.
    event->ignore();
    hide();
}

// --- Identity and the current generator --------------------------------------

CGenerator *CGeneratorView::SetCurrentGenerator(CGenerator *generator)
{
    CGenerator::MakeCurrent(generator);
    return generator;
}

CGenerator *CGeneratorView::GetGenerator()
{
    return SetCurrentGenerator(m_connection.get());
}

void CGeneratorView::GetIdentity(QString &model, QString &firmware, QString &serial) const
{
    model = m_state.model;
    firmware = m_state.firmwareVersion;
    serial = m_state.serialNumber;
}

void CGeneratorView::SetIdentity(const QString &model, const QString &firmware, const QString &serial)
{
    m_state.model = model;
    m_state.firmwareVersion = firmware;
    m_state.serialNumber = serial;
}

// --- Busy, flags and refreshing -----------------------------------------------

void CGeneratorView::SetBusy(bool busy)
{
    m_busy = busy;
    m_controlsEnabled = !busy;
    if (busy && m_playing && m_player && m_player->isVisible())
        m_player->Unload();
    if (m_dataPane)
        m_dataPane->setEnabled(!busy);
    m_router.Update();
    if (m_frameCreated)
        repaint();
}

void CGeneratorView::SetPlaying(bool playing)
{
    m_playing = playing;
    if (m_dataPane)
        m_dataPane->UpdateSelectionState();
    m_router.Update();
}

void CGeneratorView::SetSelectionFlags(bool deletable, bool recallable, bool usable)
{
    m_deletable = deletable;
    m_recallable = recallable;
    m_usable = usable;
}

GeneratorViewFlags CGeneratorView::Flags() const
{
    GeneratorViewFlags f;
    f.busy = m_busy;
    f.playing = m_playing;
    f.controlsEnabled = m_controlsEnabled;
    f.deletable = m_deletable;
    f.recallable = m_recallable;
    f.usable = m_usable;
    f.knobListMode = m_knobListMode;
    if (m_dataPane) {
        f.detailedMode = m_dataPane->IsDetailedMode();
        f.detailedListFilled = m_dataPane->IsDetailedListFilled();
        f.selectionRecallable = m_dataPane->SelectionRecallable();
        f.currentListRows = m_dataPane->CurrentListRowCount();
    }
    if (m_connection) {
        f.fontsSupported = m_connection->FontsSupported();
        f.pixelMapsSupported = m_connection->PixelMapsSupported();
    }
    return f;
}

void CGeneratorView::RefreshStatus(int what)
{
    if (!m_statusPane)
        return;
    switch (what) {
    case kRefreshAll:
        m_dataPane->UpdateSelectionState();
        m_statusPane->RefreshValues();
        m_statusPane->RefreshMemory();
        break;
    case kRefreshValues: m_statusPane->RefreshValues(); break;
    case kRefreshMemory: m_statusPane->RefreshMemory(); break;
    default: return;
    }
    m_router.Update();
}

void CGeneratorView::LockDataPane(bool lock)
{
    if (m_dataPane)
        m_dataPane->EnableLists(!lock);
}

void CGeneratorView::ShowSignalState()
{
    if (!m_dialogBar)
        return;
    const std::pair<int, int32_t> states[] = {
        {IDC_RED, m_state.red},   {IDC_GREEN, m_state.green},
        {IDC_BLUE, m_state.blue}, {IDC_OUTPUT, m_state.output},
        {IDC_ACS, m_state.acs},   {IDC_DCS, m_state.dcs},
        {IDC_DSS, m_state.dss},
    };
    for (const auto &[id, state] : states)
        Toggle(id)->SetState(state);
    m_dialogBar->Spin()->SetPos(m_state.imageVersion & 0xFFFF);
}

void CGeneratorView::ShowImageVersion(int version)
{
    if (m_dialogBar)
        m_dialogBar->Spin()->SetPos(version);
}

void CGeneratorView::SetDragSource(bool dragging)
{
    GeneratorViewRegistry::SetDragSource(dragging ? this : nullptr);
}

GeneratorViewPaneLink *CGeneratorView::OtherDragSource()
{
    CGeneratorView *source = g_pDragSourceView;
    if (!source || source == this || !GeneratorViewRegistry::IsListed(source))
        return nullptr;
    return source;
}

CStateButton *CGeneratorView::Toggle(int id) const
{
    return m_dialogBar ? m_dialogBar->Toggle(id) : nullptr;
}

// --- The data pane's operations --------------------------------------------------

bool CGeneratorView::SendItem(CGenData *item, CProgressDlg *progress)
{
    GetGenerator();
    if (m_dataPane)
        return m_dataPane->SendItem(item, progress);
    return item && m_connection && item->SendToGenerator(m_connection.get(), progress);
}

CGeneratorDataPane *CGeneratorView::GetDraggingDataPane() const
{
    return m_dataPane && m_dataPane->IsDragging() ? m_dataPane : nullptr;
}

int CGeneratorView::ScanGenerator()
{
    return m_dataPane ? m_dataPane->ScanGenerator() : 0;
}

int CGeneratorView::IsScanned() const
{
    return m_dataPane && m_dataPane->IsScanned() ? 1 : 0;
}

// --- Children ------------------------------------------------------------------

template <class Child>
void CGeneratorView::CloseChild(QPointer<Child> &child)
{
    delete child.data();
    child = nullptr;
}

bool CGeneratorView::RaiseIfVisible(CGeneratorViewChild *child)
{
    if (!child || !child->isVisible())
        return false;
    child->raise();
    child->activateWindow();
    return true;
}

CGeneratorViewChild *CGeneratorView::OpenChild(QPointer<CGeneratorViewChild> &child, int kind, unsigned titleId)
{
    if (RaiseIfVisible(child))
        return child;
    // A window whose routine still runs stays: it shows again as it is.
    if (child && child->IsBusyOperating()) {
        child->showNormal();
        child->raise();
        return child;
    }
    // A window the user closed is made anew, not shown again.
    CloseChild(child);
    const ViewChildFactory &factory = FindViewChildFactory(ViewChildKind(kind));
    if (!factory || !m_connection)
        return nullptr;
    child = factory(this, m_connection.get());
    if (!child)
        return nullptr;
    child->showNormal();
    QString model, version, serial;
    m_connection->QueryIdn(model, version, serial);
    child->setWindowTitle(FormatString(titleId, {model, m_connection->GetPortName()}));
    return child;
}

bool CGeneratorView::StopBusyChildren()
{
    bool busy = false;
    for (CGeneratorViewChild *child : {m_terminal.data(), m_diagnostics.data(), static_cast<CGeneratorViewChild *>(m_player.data())}) {
        if (child && child->IsBusyOperating()) {
            child->RequestStop();
            busy = true;
        }
    }
    return busy;
}

void CGeneratorView::OpenCmdTerminal()
{
    OpenChild(m_terminal, int(ViewChildKind::CmdTerminal), IDS_TERMINAL_TITLE);
}

void CGeneratorView::OpenDiagnostics()
{
    OpenChild(m_diagnostics, int(ViewChildKind::Diagnostics), IDS_DIAGNOSTICS_TITLE);
}

void CGeneratorView::OpenSequencePlayer(const QString &sequence, bool attach)
{
    if (!RaiseIfVisible(m_player)) {
        CloseChild(m_player);
        const ViewChildFactory &factory = FindViewChildFactory(ViewChildKind::SequencePlayer);
        if (!factory || !m_connection)
            return;
        CGeneratorViewChild *child = factory(this, m_connection.get());
        m_player = dynamic_cast<CSequencePlayerWindow *>(child);
        if (!m_player) {
            delete child;
            return;
        }
        m_player->showNormal();
    }
    if (attach)
        m_player->Attach();
    else
        m_player->Load(sequence);
}
