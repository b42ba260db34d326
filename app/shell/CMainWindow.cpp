#include "CMainWindow.h"

#include "CDataListView.h"
#include "CGenData.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "strings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>

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
    m_router.SetActionOwner(this);
    g_generatorViews.clear();
    g_generatorViews.reserve(10);
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
    m_dataList->SetMainWindow(this);
    m_generatorList->SetMainWindow(this, m_dataList);
}

QRect CMainWindow::SavedRect() const
{
    const int x1 = GetProfileInt(kWindow, kMainX1, kMainRectDefault);
    const int y1 = GetProfileInt(kWindow, kMainY1, kMainRectDefault);
    const int x2 = GetProfileInt(kWindow, kMainX2, kMainRectDefault);
    const int y2 = GetProfileInt(kWindow, kMainY2, kMainRectDefault);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect();
    // A reversed rectangle is as unusable as an empty one.
    if (x2 <= x1 || y2 <= y1 || x1 >= desktop.width() || y1 >= desktop.height())
        return {};
    return QRect(QPoint(x1, y1), QSize(x2 - x1, y2 - y1));
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
    // A splitter divides only the height it has: wait until it has its own.
    if (m_pendingRow0 > 0) {
        m_splitter->setSizes(
            {m_pendingRow0, std::max(1, m_splitter->height() - m_splitter->handleWidth() - m_pendingRow0)});
        m_pendingRow0 = 0;
    }
}

void CMainWindow::SavePlacement()
{
    const QRect g = geometry();
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

CGenData *CMainWindow::NewDataItem(int icon)
{
    CGenData *item = m_dataList->NewItem(icon);
    UpdateControls();
    return item;
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
    if (g_generatorViews.contains(view))
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

void CMainWindow::ReapHiddenTools()
{
    for (ToolSlot slot : kReapOrder) {
        if (Tool(slot) && !Tool(slot)->isVisible())
            DestroyTool(slot);
    }
}

bool CMainWindow::ShowTool(ToolSlot slot)
{
    const ToolFactory &factory = FindToolFactory(slot);
    if (!factory)
        return false;
    if (IsVisible(slot)) {
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
        AfxMessageBox(PromptText("CMainWnd::PersistentBaudRate(): Registry get failed.\nSetting baud rate to 2400."),
                      MB_OK);
        return kDefaultBaudRate;
    }
    return rate;
}

void CMainWindow::PersistentBaudRate(quint32 rate)
{
    if (!WriteProfileInt(kGenerator, kPersistentBaudRate, int(rate)))
        AfxMessageBox(PromptText("CMainWnd::PersistentBaudRate(uint32): Registry write failed."), MB_OK);
}

// --- Shut-down --------------------------------------------------------------

void CMainWindow::closeEvent(QCloseEvent *event)
{
    DestroyWindow();
    event->accept();
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
    m_dataList->DeleteAll();      // modified items are not offered for saving
}
