#include "CGeneratorListView.h"
#include "WaitCursor.h"

#include "CDataListView.h"
#include "CDataTransferDlg.h"
#include "CGenerator.h"
#include "CGeneratorView.h"
#include "ShellWindow.h"
#include "TreeRows.h"
#include "CProgressDlg.h"
#include "CSelectPortDlg.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "PortWorker.h"
#include "ShellImages.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "UserAction.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>
#include <utility>

std::function<int32_t(uint32_t, int32_t)> CGeneratorListView::s_forceInit = [](uint32_t type, int32_t number) {
    return CGenerator::ForceInit(PortType(type), number);
};

namespace {

constexpr int kBaudColumn = 4;
constexpr double kRetryDelaySeconds = 0.5;

struct Column {
    unsigned titleId;
    int width;
    int image;
};
const Column kColumns[] = {
    {IDS_GENERATOR, 110, kImageUnit}, {IDS_PORT, 90, kImageConnector}, {IDS_FIRMWARE, 90, kImageChip},
    {IDS_SERIAL, 130, kImageIdBadge}, {IDS_BAUD_RATE_BPS, 150, kImageClock},
};

bool IsComPort(const CGenerator *generator)
{
    return generator && generator->GetPortType() == PortType::Com;
}

CGeneratorView *ViewOf(const QTreeWidgetItem *item)
{
    return item ? static_cast<CGeneratorView *>(item->data(0, Qt::UserRole).value<void *>()) : nullptr;
}

} // namespace

// --- Operations in progress --------------------------------------------------

CGeneratorListView::Operation::Operation(CGeneratorListView &list) : m_list(&list)
{
    ++list.m_operations;
}

CGeneratorListView::Operation::~Operation()
{
    if (m_list)
        m_list->EndOperation();
}

void CGeneratorListView::EndOperation()
{
    if (--m_operations > 0 || m_pendingRemovals.isEmpty())
        return;
    const QList<QPointer<CGeneratorView>> pending = std::exchange(m_pendingRemovals, {});
    bool removed = false;
    for (const QPointer<CGeneratorView> &view : pending)
        removed = (view && RemoveNow(view)) || removed;
    if (removed && m_mainWindow)
        m_mainWindow->UpdateControls();
}

bool CGeneratorListView::MayRun(const CGeneratorView *view) const
{
    if (!IsOperationRunning() && !(view && view->IsBusy()))
        return true;
    QApplication::beep();
    return false;
}

// --- The list ----------------------------------------------------------------

CGeneratorListView::CGeneratorListView(QWidget *parent) : QWidget(parent), m_list(new QTreeWidget(this))
{
    SetControlId(m_list, IDC_GENERATOR_LIST);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setColumnCount(int(std::size(kColumns)));
    auto *header = new QTreeWidgetItem;
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        header->setText(i, LoadString(kColumns[i].titleId));
        header->setIcon(i, ShellImageList().value(kColumns[i].image));
    }
    m_list->setHeaderItem(header);
    for (int i = 0; i < int(std::size(kColumns)); ++i)
        m_list->setColumnWidth(i, kColumns[i].width);
    // Only a click recomputes the main window's commands, as with the data list.
    connect(m_list, &QTreeWidget::itemClicked, this, [this] {
        if (m_mainWindow)
            m_mainWindow->UpdateControls();
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        const UserAction action;
        OnDblclkList();
    });
}

CGeneratorListView::~CGeneratorListView()
{
    RemoveAll();
}

void CGeneratorListView::SetShellWindow(ShellWindow *mainWindow, CDataListView *dataList)
{
    m_mainWindow = mainWindow;
    m_dataList = dataList;
}

int CGeneratorListView::GetRowCount() const
{
    return TreeRows::Count(m_list);
}

CGeneratorView *CGeneratorListView::GetRowView(int row) const
{
    return ViewOf(m_list->topLevelItem(row));
}

QString CGeneratorListView::GetRowText(int row, int column) const
{
    return TreeRows::Text(m_list, row, column);
}

int CGeneratorListView::GetRowIcon(int row) const
{
    return TreeRows::Data(m_list, row, CDataTransferDlg::kIconRole, -1);
}

int CGeneratorListView::FindRow(const CGeneratorView *view) const
{
    for (int row = 0; row < GetRowCount(); ++row) {
        if (GetRowView(row) == view)
            return row;
    }
    return -1;
}

bool CGeneratorListView::IsRowSelected(int row) const
{
    return TreeRows::IsSelected(m_list, row);
}

void CGeneratorListView::SelectRow(int row, bool selected)
{
    TreeRows::Select(m_list, row, selected);
}

int CGeneratorListView::GetSelectedCount() const
{
    return int(SelectedViews().size());
}

QList<CGeneratorView *> CGeneratorListView::SelectedViews() const
{
    QList<CGeneratorView *> views;
    for (int row = 0; row < GetRowCount(); ++row) {
        if (IsRowSelected(row))
            views.append(GetRowView(row));
    }
    return views;
}

CGeneratorView *CGeneratorListView::GetSelectedView() const
{
    return SelectedViews().value(0, nullptr);
}

bool CGeneratorListView::IsSingleComSelected()
{
    CGeneratorView *view = GetSelectedView();
    if (!view)
        return false;
    CGenerator *generator = view->GetGenerator();
    return GetSelectedCount() == 1 && IsComPort(generator);
}

void CGeneratorListView::AppendRow(CGeneratorView *view, const QStringList &columns)
{
    auto *item = new QTreeWidgetItem(m_list, columns);
    item->setData(0, Qt::UserRole, QVariant::fromValue<void *>(view));
    const int icon = IsComPort(view->GetGenerator()) ? kImageStandAlone : kImageCard;
    item->setData(0, CDataTransferDlg::kIconRole, icon);
    item->setIcon(0, ShellImageList().value(icon));
    m_list->scrollToItem(item); // a new row below the fold comes into view
    GeneratorViewRegistry::List(view);
}

// --- Removal -----------------------------------------------------------------

bool CGeneratorListView::RemoveGenerator(CGeneratorView *view)
{
    if (FindRow(view) < 0)
        return false;
    if (IsOperationRunning()) {
        // The running operation may be using this generator: drop it afterwards.
        if (!m_pendingRemovals.contains(view))
            m_pendingRemovals.append(view);
        return false;
    }
    return RemoveNow(view);
}

bool CGeneratorListView::RemoveNow(CGeneratorView *view)
{
    const int row = FindRow(view);
    if (row < 0)
        return false;
    GeneratorViewRegistry::Unlist(view);
    if (m_mainWindow)
        m_mainWindow->GeneratorRemoved(view);
    delete m_list->takeTopLevelItem(row);
    view->DestroyWindow(); // its connection closes the port and stops being the current generator
    return true;
}

void CGeneratorListView::RemoveAll()
{
    // Editors outlive the generators at shut-down: the array goes in step,
    // so nothing walks a view that has gone.
    m_pendingRemovals.clear();
    while (GetRowCount() > 0) {
        CGeneratorView *view = GetRowView(0);
        delete m_list->takeTopLevelItem(0);
        GeneratorViewRegistry::Unlist(view);
        view->DestroyWindow();
    }
}

// --- Connect -----------------------------------------------------------------

bool CGeneratorListView::Connect(bool debugLog)
{
    if (!MayRun())
        return false;
    Operation operation(*this);
    auto connection = std::make_unique<CGenerator>(m_mainWindow ? m_mainWindow->Frame() : this);
    if (!connection->OpenPort()) {
        QString text;
        if (connection->GetPortErrorText(text))
            MessageBox(this, text, PromptText(IDS_CONNECT_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    WaitCursor cursor;
    if (debugLog)
        connection->EnableCommandLog(true);
    if (!CheckFirmwareVersion(*connection)) {
        MessageBox(this, PromptText(IDS_FIRMWARE_UNREADABLE), PromptText(IDS_CONNECT_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    CGenerator *generator = connection.get();
    auto view = std::make_unique<CGeneratorView>(connection.release(), m_mainWindow);
    view->CreateFrame(); // hidden until the first double-click
    // A generator lost while it takes the saved rate is no connection: its
    // port is gone, and the box has said so.
    const int saved = SavedBaudRate();
    if (saved != 0 && generator->ChangeBaudRate(saved) == BaudChange::LinkLost)
        return false;
    AddConnectedRow(view.release());
    return true;
}

int CGeneratorListView::SavedBaudRate() const
{
    // 0 (no main window to keep it) leaves the rate the generator was found at.
    return m_mainWindow ? m_mainWindow->PersistentBaudRate() : 0;
}

bool CGeneratorListView::CheckFirmwareVersion(CGenerator &generator)
{
    const double opened = generator.GetFirmwareVersion();
    if (opened >= kMinFirmware && opened <= kMaxFirmware)
        return true;
    for (int attempt = 0; attempt < kVersionRetries; ++attempt) {
        const double version = generator.QueryVerf();
        if (version > kMinFirmware && version < kMaxFirmware) {
            generator.SetFirmwareVersion(version);
            return true;
        }
        generator.Delay(kRetryDelaySeconds);
    }
    return false;
}

void CGeneratorListView::AddConnectedRow(CGeneratorView *view)
{
    CGenerator *generator = view->GetGenerator();
    QString model;
    QString firmware;
    QString serial;
    view->GetIdentity(model, firmware, serial);
    const QString baud = IsComPort(generator) ? QString::number(generator->GetBaudRate()) : LoadString(IDS_NOT_APPLICABLE);
    AppendRow(view, {model, generator->GetPortName(), firmware, serial, baud});
    WatchLink(view);
    if (m_mainWindow)
        m_mainWindow->GeneratorAdded(view);
}

// --- A lost link --------------------------------------------------------------

namespace {
constexpr int kLinkLostRole = Qt::UserRole + 2;
} // namespace

void CGeneratorListView::WatchLink(CGeneratorView *view)
{
    QPointer<CGeneratorView> watched(view);
    view->Connection()->AddLinkListener(this, [this, watched](bool lost) {
        if (!watched)
            return;
        ShowRowLinkLost(watched, lost);
        if (!lost) {
            PortWorker::PostWhenIdle(this, [this, watched] {
                if (watched)
                    RefreshRowAfterReconnect(watched);
            });
        }
    });
}

bool CGeneratorListView::IsRowLinkLost(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item && item->data(0, kLinkLostRole).toBool();
}

void CGeneratorListView::ShowRowLinkLost(CGeneratorView *view, bool lost)
{
    QTreeWidgetItem *item = m_list->topLevelItem(FindRow(view));
    if (!item)
        return;
    const int icon = item->data(0, CDataTransferDlg::kIconRole).toInt();
    item->setData(0, kLinkLostRole, lost);
    item->setIcon(0, lost ? LinkLostRowIcon(icon) : ShellImageList().value(icon));
    const QString tip = lost ? FormatString(IDS_LINK_LOST_BAR, {item->text(0), item->text(1)}) : QString();
    for (int column = 0; column < m_list->columnCount(); ++column)
        item->setToolTip(column, tip);
}

void CGeneratorListView::RefreshRowAfterReconnect(CGeneratorView *view)
{
    QTreeWidgetItem *item = m_list->topLevelItem(FindRow(view));
    CGenerator *generator = view->Connection();
    if (!item || !generator || generator->IsLinkLost())
        return;
    QString model;
    QString firmware;
    QString serial;
    generator->GetReconnectIdentity(model, firmware, serial);
    if (!serial.isEmpty()) {
        item->setText(0, model);
        item->setText(2, firmware);
        item->setText(3, serial);
    }
    if (IsComPort(generator))
        item->setText(kBaudColumn, QString::number(generator->GetBaudRate()));
}

// --- Disconnect --------------------------------------------------------------

bool CGeneratorListView::Disconnect()
{
    QPointer<CGeneratorView> view = GetSelectedView();
    if (!view || !MayRun(view))
        return false;
    const int row = FindRow(view);
    const QString name = FormatString(IDS_GENERATOR_ON_PORT, {GetRowText(row, 0), GetRowText(row, 1)});
    int answer = IDCANCEL;
    {
        // The question lets messages through; a removal waits for the answer.
        Operation operation(*this);
        answer = MessageBox(this, PromptText(IDS_DISCONNECT_QUESTION, {name}), PromptText(IDS_DISCONNECT_CAPTION),
                            MB_OKCANCEL | MB_ICONQUESTION);
    }
    return answer == IDOK && view && RemoveNow(view);
}

// --- Forced initialisation ---------------------------------------------------

void CGeneratorListView::ForceInit()
{
    if (!MayRun())
        return;
    uint32_t type = 0;
    int number = 0;
    QString port;
    {
        Operation operation(*this);
        if (!AskForceInit(type, number, port))
            return;
    }
    // The library refuses a card the program holds open: its generator goes
    // first, as a removal without a question takes it, whatever the result.
    if (CGeneratorView *view = ViewOnCard(type, number)) {
        if (!MayRun(view))
            return;
        RemoveNow(view);
    }
    // The box lets messages through; a removal waits for it.
    Operation operation(*this);
    if (s_forceInit(type, number) == 0)
        MessageBox(this, PromptText(IDS_NOT_DETECTED, {port}), PromptText(IDS_NOT_DETECTED_CAPTION),
                   MB_OK | MB_ICONWARNING);
    else
        MessageBox(this, PromptText(IDS_FORCED, {port}), PromptText(IDS_FORCED_CAPTION), MB_OK | MB_ICONINFORMATION);
}

bool CGeneratorListView::AskForceInit(uint32_t &type, int &number, QString &port)
{
    CGenerator temporary(this);
    CSelectPortDlg dialog(&temporary, this, true);
    if (DoModal(dialog) != IDOK)
        return false;
    number = dialog.m_portNumber;
    if (dialog.m_portType == CSelectPortDlg::kTypeIsa) {
        type = uint32_t(PortType::Isa);
        port = FormatString(IDS_FORCE_PORT_ISA, {QString::number(number)});
    } else if (dialog.m_portType == CSelectPortDlg::kTypePci) {
        type = uint32_t(PortType::Pci);
        port = FormatString(IDS_FORCE_PORT_PCI, {QString::number(number)});
    } else {
        return false;
    }
    return MessageBox(this, PromptText(IDS_FORCE_SURE, {port}), PromptText(IDS_FORCE_CAPTION),
                      MB_YESNO | MB_ICONQUESTION) == IDYES
        && MessageBox(this, PromptText(IDS_FORCE_ERASES), PromptText(IDS_FORCE_CAPTION),
                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

CGeneratorView *CGeneratorListView::ViewOnCard(uint32_t type, int number) const
{
    for (int row = 0; row < GetRowCount(); ++row) {
        CGeneratorView *view = GetRowView(row);
        const PortId port = view->GetGenerator()->GetPort();
        const int slot = PortSlotOf(port);
        // PCI slots count from 0, the dialog's card numbers from 1.
        const int card = PortType(type) == PortType::Pci ? slot + 1 : slot;
        if (PortTypeOf(port) == PortType(type) && card == number)
            return view;
    }
    return nullptr;
}

// --- Baud rate ---------------------------------------------------------------

void CGeneratorListView::SetBaudRate()
{
    QPointer<CGeneratorView> view = GetSelectedView();
    if (!view || !MayRun(view))
        return;
    CGenerator *generator = view->GetGenerator();
    if (!IsComPort(generator))
        return;
    BaudChange result = BaudChange::NotDone;
    {
        // The baud-rate dialog lets messages through; a removal waits for it.
        Operation operation(*this);
        result = generator->ChangeBaudRate(0);
    }
    if (!view)
        return; // removed at the end of the operation
    if (result == BaudChange::LinkLost) {
        RemoveNow(view);
        if (m_mainWindow)
            m_mainWindow->UpdateControls();
    } else if (result == BaudChange::Done) {
        const int rate = generator->GetBaudRate();
        m_list->topLevelItem(FindRow(view))->setText(kBaudColumn, QString::number(rate));
        if (m_mainWindow)
            m_mainWindow->PersistentBaudRate(quint32(rate));
    }
}

// --- Send Data ---------------------------------------------------------------

void CGeneratorListView::SendData(bool ask)
{
    const QList<CGeneratorView *> destinations = SelectedViews();
    for (const CGeneratorView *view : destinations) {
        if (!MayRun(view))
            return;
    }
    if (destinations.isEmpty() && !MayRun())
        return;
    Operation operation(*this);
    if (ask) {
        CDataTransferDlg confirm(this, m_dataList ? m_dataList->List() : nullptr, m_list);
        if (DoModal(confirm) != IDOK)
            return;
    }
    bool askSave = ask;
    CProgressDlg progress(this, true);
    for (CGeneratorView *view : destinations) {
        // Cancel pressed as one generator's pass ends stops the next one too.
        if (progress.IsCancelled() || !m_dataList || !m_dataList->SendSelectedTo(view, askSave, &progress))
            break;
        askSave = false; // the save offer comes with the first generator only
    }
    progress.DestroyWindow();
}

// --- Tools of the selected generators ----------------------------------------

void CGeneratorListView::OpenCmdTerminals()
{
    for (CGeneratorView *view : SelectedViews())
        view->OpenCmdTerminal();
}

void CGeneratorListView::OpenDiagnostics()
{
    for (CGeneratorView *view : SelectedViews())
        view->OpenDiagnostics();
}

void CGeneratorListView::OnDblclkList()
{
    CGeneratorView *view = GetSelectedView();
    if (!view || !MayRun(view))
        return;
    if (view->isVisible()) {
        view->raise();
        view->activateWindow();
        return;
    }
    view->showNormal();
    // A cancelled scan leaves the view unscanned: the next showing scans again.
    if (view->IsScanned() == 0) {
        Operation operation(*this);
        view->ScanGenerator();
    }
}
