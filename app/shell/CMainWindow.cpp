#include "CMainWindow.h"

#include "CDataListView.h"
#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CImageEditor.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QTimer>

#include <algorithm>

using namespace ProfileKeys;

std::function<void()> CMainWindow::s_clearEditorClipboards;

namespace {

constexpr int kPaneRequest = 300;          // initial height of each pane
constexpr QSize kDefaultSize(640, 480);    // when no usable rectangle is saved
constexpr int kDefaultBaudRate = 2400;
constexpr int kBaudRateAbsent = 1;

// Tool order of the notices to visible tools.
constexpr ToolSlot kNoticeOrder[] = {ToolSlot::Firmware, ToolSlot::Extraction, ToolSlot::Restoration,
                                     ToolSlot::ImageDownload};
// Tools that take the busy notice, in its order.
constexpr ToolSlot kBusyOrder[] = {ToolSlot::Firmware, ToolSlot::Extraction, ToolSlot::Restoration};
// Order of reaping and of shut-down.
constexpr ToolSlot kReapOrder[] = {ToolSlot::Extraction, ToolSlot::Restoration, ToolSlot::Firmware,
                                   ToolSlot::ImageDownload};

} // namespace

CMainWindow::CMainWindow() : m_helpFile(QStringLiteral("VERSION 3 HELP.hlp"))
{
    setObjectName(QStringLiteral("CMainWindow"));
    CImageEditor::SetFixedAspect(false); // before any image editor exists
    m_router.SetActionOwner(this);
    GeneratorViewRegistry::Clear();
    OnCreateClient();
    BuildCommands();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    WireCommands();
    UpdateControls();
}

CMainWindow::~CMainWindow()
{
    DestroyWindow();
}

void CMainWindow::OnCreateClient()
{
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setChildrenCollapsible(false);
    m_dataList = new CDataListView(m_splitter);
    m_generatorList = new CGeneratorListView(m_splitter);
    m_splitter->addWidget(m_dataList);
    m_splitter->addWidget(m_generatorList);
    m_pendingRow0 = kPaneRequest;
    setCentralWidget(m_splitter);
    m_dataList->SetShellWindow(this);
    m_generatorList->SetShellWindow(this, m_dataList);
}

QRect CMainWindow::SavedRect() const
{
    const int x1 = GetProfileInt(kWindow, kMainX1, kMainRectDefault);
    const int y1 = GetProfileInt(kWindow, kMainY1, kMainRectDefault);
    const int x2 = GetProfileInt(kWindow, kMainX2, kMainRectDefault);
    const int y2 = GetProfileInt(kWindow, kMainY2, kMainRectDefault);
    // A reversed rectangle is as unusable as an empty one.
    if (x2 <= x1 || y2 <= y1)
        return {};
    const QRect saved(QPoint(x1, y1), QSize(x2 - x1, y2 - y1));
    // A window on no screen (one that has gone since) could not be reached.
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(saved))
            return saved;
    }
    return {};
}

bool CMainWindow::CreateFrame()
{
    setWindowTitle(LoadString(IDS_APP_TITLE));
    const QRect saved = SavedRect();
    if (saved.isValid())
        setGeometry(saved);
    else
        resize(kDefaultSize);
    const int current = GetProfileInt(kWindow, kMainCur1, -1);
    if (current > 0) {
        const int minimum = std::max(0, GetProfileInt(kWindow, kMainMin1, 0));
        m_dataList->setMinimumHeight(minimum);
        m_pendingRow0 = current;
    }
    return true;
}

void CMainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // "Starting..." lasts until the program is idle for the first time.
    if (!m_started) {
        m_started = true;
        QTimer::singleShot(0, m_statusPane, [pane = m_statusPane] { pane->clear(); });
    }
    // A splitter divides only the height it has: wait until it has its own.
    if (m_pendingRow0 > 0) {
        m_splitter->setSizes(
            {m_pendingRow0, std::max(1, m_splitter->height() - m_splitter->handleWidth() - m_pendingRow0)});
        m_pendingRow0 = 0;
    }
}

void CMainWindow::SavePlacement()
{
    // The normal rectangle: a window closed maximised or minimised comes back normal.
    QRect g = normalGeometry();
    if (!g.isValid())
        g = geometry(); // never shown: the rectangle it was given
    WriteProfileInt(kWindow, kMainX1, g.left());
    WriteProfileInt(kWindow, kMainY1, g.top());
    WriteProfileInt(kWindow, kMainX2, g.left() + g.width());
    WriteProfileInt(kWindow, kMainY2, g.top() + g.height());
    WriteProfileInt(kWindow, kMainCur1, m_pendingRow0 > 0 ? m_pendingRow0 : m_splitter->sizes().value(0));
    WriteProfileInt(kWindow, kMainMin1, m_dataList->minimumHeight());
}

void CMainWindow::UpdateControls()
{
    generatorSelected = dataSelected = cmdFileWritable = bothSelected = 0;
    const int generators = m_generatorList->GetSelectedCount();
    const int data = m_dataList->GetSelectedCount();
    generatorSelected = generators > 0;
    dataSelected = data > 0;
    bothSelected = generators > 0 && data > 0;
    singleComSelected = m_generatorList->IsSingleComSelected();
    ReapHiddenTools();
    for (int row = 0; row < m_dataList->GetRowCount(); ++row) {
        if (!m_dataList->IsRowSelected(row))
            continue;
        const int type = m_dataList->GetRowItem(row)->GetTypeCode();
        cmdFileWritable = type == CGenData::kFormat || type == CGenData::kImage || type == CGenData::kSequence;
        break;
    }
    m_router.Update();
}

CGenData *CMainWindow::NewDataItem(int kind)
{
    CGenData *item = m_dataList->NewItem(kind);
    UpdateControls();
    return item;
}

void CMainWindow::DeleteDataItems(const QList<CGenData *> &items)
{
    m_dataList->DeleteItems(items);
}

void CMainWindow::SelectDataItems(const QList<CGenData *> &items)
{
    m_dataList->SelectItems(items);
}

bool CMainWindow::OpenDataFile()
{
    return m_dataList->FileOpen();
}

bool CMainWindow::IsDataListDragging() const
{
    return m_dataList->IsDragging() != 0;
}

void CMainWindow::SendDataListSelectionTo(CGeneratorView *destination, CProgressDlg *progress)
{
    m_dataList->SendSelectedTo(destination, false, progress);
}

void CMainWindow::SendDataToSelectedGenerators()
{
    m_generatorList->SendData(false);
}

bool CMainWindow::HasSelectedGenerators() const
{
    return m_generatorList->GetSelectedCount() > 0;
}

void CMainWindow::OperationStarted()
{
    m_generatorList->StartOperation();
}

void CMainWindow::OperationEnded()
{
    m_generatorList->EndOperation();
}

void CMainWindow::DeselectAllData()
{
    m_dataList->DeselectAll();
}

void CMainWindow::EditSelectedData()
{
    m_dataList->EditSelected();
}

CGeneratorDataPane *CMainWindow::FindDraggingDataPane() const
{
    for (int row = 0; row < m_generatorList->GetRowCount(); ++row) {
        if (CGeneratorDataPane *pane = m_generatorList->GetRowView(row)->GetDraggingDataPane())
            return pane;
    }
    return nullptr;
}

CDataListView *CMainWindow::GetDraggingDataList() const
{
    return m_dataList->IsDragging() ? m_dataList : nullptr;
}

// --- Messages ---------------------------------------------------------------

LRESULT CMainWindow::OnMessage(unsigned message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DATA_CHANGED:
        m_dataList->RefreshItem(FromLParam<CGenData>(lParam));
        return 1;
    case WM_DATA_SAVE:
        // The sender learns whether its item was saved.
        return m_dataList->SaveItem(FromLParam<CGenData>(lParam), wParam != 0) ? 1 : 0;
    case WM_EDITOR_CLOSED:
        m_dataList->EditorClosed(FromLParam<CGenData>(lParam));
        return 1;
    case WM_REMOVE_GENERATOR:
        if (m_generatorList->RemoveGenerator(FromLParam<CGeneratorView>(lParam)))
            UpdateControls();
        return 1;
    case WM_GENERATOR_BUSY:
        ForwardBusy(FromLParam<CGeneratorView>(lParam), int(wParam));
        return 1;
    default:
        return 0;
    }
}

void CMainWindow::ForwardBusy(CGeneratorView *view, int busy)
{
    // A view that has gone meanwhile gets nothing.
    if (GeneratorViewRegistry::IsListed(view))
        view->SetBusy(busy != 0);
    for (ToolSlot slot : kBusyOrder) {
        if (IsVisible(slot))
            Tool(slot)->SetBusy(busy);
    }
}

// --- Tool windows -----------------------------------------------------------

bool CMainWindow::IsVisible(ToolSlot slot) const
{
    const CToolWindow *tool = Tool(slot);
    return tool && tool->isVisible();
}

void CMainWindow::DestroyTool(ToolSlot slot)
{
    QPointer<CToolWindow> &tool = m_tools[size_t(slot)];
    if (!tool)
        return;
    if (slot == ToolSlot::Restoration && Tool(ToolSlot::Extraction))
        Tool(ToolSlot::Extraction)->SetRestorationLink(nullptr);
    delete tool.data();
    tool = nullptr;
}

bool CMainWindow::IsBusyOperating(ToolSlot slot) const
{
    const CToolWindow *tool = Tool(slot);
    return tool && tool->IsBusyOperating();
}

void CMainWindow::ReapHiddenTools()
{
    // A hidden tool whose transfer still runs is reaped at a later update.
    for (ToolSlot slot : kReapOrder) {
        if (Tool(slot) && !Tool(slot)->isVisible() && !IsBusyOperating(slot))
            DestroyTool(slot);
    }
}

bool CMainWindow::ShowTool(ToolSlot slot)
{
    const ToolFactory &factory = FindToolFactory(slot);
    if (!factory)
        return false;
    if (IsVisible(slot) || IsBusyOperating(slot)) {
        // A busy hidden tool comes back as it is: its transfer still uses it.
        Tool(slot)->showNormal();
        Tool(slot)->raise();
        Tool(slot)->activateWindow();
        return true;
    }
    DestroyTool(slot);
    CToolWindow *tool = factory(this);
    if (!tool)
        return false;
    m_tools[size_t(slot)] = tool;
    tool->showNormal();
    for (int row = 0; row < m_generatorList->GetRowCount(); ++row)
        tool->AddGenerator(m_generatorList->GetRowView(row));
    if ((slot == ToolSlot::Extraction || slot == ToolSlot::Restoration) && IsVisible(ToolSlot::Extraction)
        && IsVisible(ToolSlot::Restoration))
        Tool(ToolSlot::Extraction)->SetRestorationLink(Tool(ToolSlot::Restoration));
    return true;
}

void CMainWindow::GeneratorAdded(CGeneratorView *view)
{
    for (ToolSlot slot : kNoticeOrder) {
        if (IsVisible(slot))
            Tool(slot)->AddGenerator(view);
    }
    m_dataList->NotifyEditors(0);
}

void CMainWindow::GeneratorRemoved(CGeneratorView *view)
{
    for (ToolSlot slot : kNoticeOrder) {
        if (IsVisible(slot))
            Tool(slot)->RemoveGenerator(view);
    }
    m_dataList->NotifyEditors(1);
}

// --- Saved baud rate --------------------------------------------------------

int CMainWindow::PersistentBaudRate()
{
    const int rate = GetProfileInt(kGenerator, kPersistentBaudRate, kBaudRateAbsent);
    if (rate == kBaudRateAbsent) {
        PersistentBaudRate(quint32(kDefaultBaudRate));
        return kDefaultBaudRate;
    }
    if (rate == 0) {
        AfxMessageBox(PromptText(IDS_REGISTRY_GET_FAILED), MB_OK);
        return kDefaultBaudRate;
    }
    // A rate the ports cannot set (a hand-edited profile) would fail every connection.
    if (std::ranges::find(CGenerator::kBaudRates, rate) == CGenerator::kBaudRates.end()) {
        PersistentBaudRate(quint32(kDefaultBaudRate));
        return kDefaultBaudRate;
    }
    return rate;
}

void CMainWindow::PersistentBaudRate(quint32 rate)
{
    if (!WriteProfileInt(kGenerator, kPersistentBaudRate, int(rate)))
        AfxMessageBox(PromptText(IDS_REGISTRY_WRITE_FAILED), MB_OK);
}

// --- Shut-down --------------------------------------------------------------

void CMainWindow::closeEvent(QCloseEvent *event)
{
    // Cancel, a failed save or a tool still transferring keeps the program open.
    if (!CanClose()) {
        event->ignore();
        return;
    }
    DestroyWindow();
    event->accept();
}

bool CMainWindow::CanClose()
{
    for (ToolSlot slot : kReapOrder) {
        if (IsBusyOperating(slot))
            return false;
    }
    // A view's window that runs a routine is asked to stop; the close waits for it.
    bool childBusy = false;
    for (CGeneratorView *view : g_generatorViews)
        childBusy = view->StopBusyChildren() || childBusy;
    if (childBusy)
        return false;
    for (int row = 0; row < m_dataList->GetRowCount(); ++row) {
        if (!m_dataList->GetRowItem(row)->SaveModified())
            return false;
    }
    return true;
}

void CMainWindow::DestroyWindow()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    SavePlacement();
    for (ToolSlot slot : kReapOrder)
        DestroyTool(slot);
    if (s_clearEditorClipboards)
        s_clearEditorClipboards();
    m_generatorList->RemoveAll(); // closes every port
    m_dataList->DeleteAll();      // closeEvent has offered the modified ones for saving
}
