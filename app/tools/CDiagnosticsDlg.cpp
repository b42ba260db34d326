#include "CDiagnosticsDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CanvasTreeRows.h"
#include "DiagnosticsHooks.h"
#include "DiagnosticsImages.h"
#include "DiagnosticsTimer.h"
#include "DialogControls.h"
#include "DmaTestReport.h"
#include "GeneratorViewHost.h"
#include "LinkRoutines.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "ToolLibrary.h"
#include "UserAction.h"
#include "WaitCursor.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstring>

namespace {

constexpr int kMaxCanvasSide = 8192;
constexpr int kMaxCodeCharacters = 50;
constexpr int kMaxHexDigits = 8;
constexpr uint32_t kEndianCode = 0x11;
constexpr uint32_t kSramCode = 0x22;

std::span<const DemonstrationRow> g_installedMethods;

// Every live window, for the program-wide run rule; the one running, as the
// rule's owner. Globals: the program has one direct-call binding.
QList<CDiagnosticsDlg *> &Windows()
{
    static QList<CDiagnosticsDlg *> windows;
    return windows;
}
CDiagnosticsDlg *g_runningWindow = nullptr;

} // namespace

CDiagnosticsDlg::CDiagnosticsDlg(CGeneratorView *view, CGenerator *generator)
    : CGeneratorViewChild(view), m_view(view), m_generator(generator), m_router(this)
{
    setObjectName(ControlName(IDD_DIAGNOSTICS));
    setWindowFlag(Qt::Window);
    setWindowTitle(LoadString(IDS_DIAG_CAPTION));
    m_methods = g_installedMethods.empty() ? DiagnosticsMethods() : g_installedMethods;
    BuildControls();
    BuildMenu();
    FillMethodList();
    const PortType type = m_generator->GetPortType();
    m_canRun = type == PortType::Isa || type == PortType::Pci;
    Windows().append(this);
    UpdateControls();
    m_initialSize = size();
    setMinimumSize(m_initialSize);
    m_initialList = m_list->geometry();
    m_initialTree = m_tree->geometry();
    CheckTimer();
    m_initialised = true;
}

CDiagnosticsDlg::~CDiagnosticsDlg()
{
    Windows().removeAll(this);
    if (g_runningWindow == this)
        g_runningWindow = nullptr;
}

void CDiagnosticsDlg::InstallMethods(std::span<const DemonstrationRow> methods)
{
    g_installedMethods = methods;
}

// --- Building ------------------------------------------------------------------------

void CDiagnosticsDlg::BuildControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_client = new QWidget(this);
    layout->addWidget(m_client);
    const QFont font = this->font();
    m_client->setMinimumSize(DialogUnitsToPixelsX(font, 278), DialogUnitsToPixelsY(font, 174));

    m_executeSelected = AddControl<QPushButton>(m_client, IDC_EXECUTE_SELECTED, 2, 6, 66, 14,
                                                LoadString(IDS_DIAG_EXECUTE_SELECTED));
    m_executeAll = AddControl<QPushButton>(m_client, IDC_EXECUTE_ALL, 72, 6, 44, 14, LoadString(IDS_DIAG_EXECUTE_ALL));
    m_reload = AddControl<QPushButton>(m_client, IDC_RELOAD_CANVAS, 119, 6, 60, 14, LoadString(IDS_DIAG_RELOAD));
    m_stopButton = AddControl<QPushButton>(m_client, IDC_STOP, 182, 6, 40, 14, LoadString(IDS_DIAG_STOP));
    m_close = AddControl<QPushButton>(m_client, IDCANCEL, 226, 6, 50, 14, LoadString(IDS_DIAG_CLOSE));
    m_code = AddControl<QLineEdit>(m_client, IDC_DMA_CODE, 2, 26, 40, 14);
    m_code->setMaxLength(kMaxCodeCharacters);
    m_listLabel = AddControl<QLabel>(m_client, IDC_METHOD_LABEL, 2, 60, 137, 8, LoadString(IDS_DIAG_METHOD_LABEL));
    m_treeLabel = AddControl<QLabel>(m_client, IDC_CANVAS_LABEL, 140, 60, 136, 8, LoadString(IDS_DIAG_CANVAS_LABEL));
    for (QLabel *label : {m_listLabel, m_treeLabel}) {
        label->adjustSize();
        label->setAlignment(Qt::AlignCenter);
    }
    m_list = AddControl<QTreeWidget>(m_client, IDC_METHOD_LIST, 2, 71, 137, 101);
    m_tree = AddControl<QTreeWidget>(m_client, IDC_CANVAS_TREE, 140, 71, 136, 101);
    for (QPushButton *button : {m_executeAll, m_reload, m_stopButton, m_close})
        button->setAutoDefault(false);
    m_executeSelected->setDefault(true);

    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({LoadString(IDS_DIAG_COLUMN_METHOD), LoadString(IDS_DIAG_COLUMN_TIME)});
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, 100);
    m_list->setIconSize(DiagnosticsRowIcon(kImageIdle, kImageFunction).availableSizes().value(0, QSize(34, 16)));
    m_tree->setHeaderHidden(true);

    m_stop.AddButton(m_stopButton);
    connect(m_executeSelected, &QPushButton::clicked, this, [this] { OnExecuteSelected(); });
    connect(m_executeAll, &QPushButton::clicked, this, [this] { OnExecuteAll(); });
    connect(m_reload, &QPushButton::clicked, this, [this] { OnReloadCanvas(); });
    connect(m_stopButton, &QPushButton::clicked, this, [this] { OnStop(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnDblclkMethodList(); });
    adjustSize();
}

void CDiagnosticsDlg::BuildMenu()
{
    m_router.SetActionOwner(this);
    m_router.Add(ID_DMA_BENCHMARK, LoadString(IDS_DIAG_MENU_DMA), LoadString(ID_DMA_BENCHMARK));
    m_router.SetHandler(ID_DMA_BENCHMARK, [this] { OnDmaBenchmark(); });
    m_router.SetEnableRule(ID_DMA_BENCHMARK, [this] { return OnUpdateDmaBenchmark(); });
    QMenu *test = m_menuBar->addMenu(LoadString(IDS_DIAG_MENU_TEST));
    m_router.FillMenu(test, {ID_DMA_BENCHMARK});
}

void CDiagnosticsDlg::FillMethodList()
{
    for (size_t i = 0; i < m_methods.size(); ++i) {
        const DemonstrationRow &method = m_methods[i];
        auto *item = new QTreeWidgetItem(m_list);
        item->setText(0, QString::fromLatin1(method.name));
        if (method.animated)
            item->setText(1, LoadString(IDS_NOT_APPLICABLE));
        SetRowState(int(i), kImageIdle);
    }
}

void CDiagnosticsDlg::CheckTimer()
{
    m_hasTimer = InstalledDiagnosticsTimer().Frequency() > 0;
    if (m_canRun && !m_hasTimer)
        MessageBox(this, PromptText(IDS_DIAG_NO_TIMERS), PromptText(IDS_DIAG_TIMING_ERROR), MB_OK | MB_ICONWARNING);
}

// --- The run rule --------------------------------------------------------------------

bool CDiagnosticsDlg::AnyRunning()
{
    return g_runningWindow != nullptr;
}

bool CDiagnosticsDlg::IsBusyOperating() const
{
    return m_runDepth > 0;
}

void CDiagnosticsDlg::RequestStop()
{
    m_stopRequested = true;
    m_stop.Request();
}

void CDiagnosticsDlg::UpdateControls()
{
    const bool idle = g_runningWindow == nullptr;
    const bool canStart = m_canRun && idle;
    m_list->setEnabled(canStart);
    for (QPushButton *button : {m_executeSelected, m_reload, m_executeAll})
        button->setEnabled(canStart);
    m_stopButton->setEnabled(g_runningWindow == this && m_stopEnabled);
    m_router.Update();
}

void CDiagnosticsDlg::UpdateAllWindows()
{
    for (CDiagnosticsDlg *window : Windows())
        window->UpdateControls();
}

void CDiagnosticsDlg::BeginRun()
{
    if (m_runDepth++ == 0) {
        g_runningWindow = this;
        UpdateAllWindows();
    }
}

void CDiagnosticsDlg::EndRun()
{
    if (--m_runDepth == 0) {
        g_runningWindow = nullptr;
        UpdateAllWindows();
    }
}

bool CDiagnosticsDlg::RunRoutine(const std::function<void(ToolLibrary &)> &body, QString &refusal)
{
    // The generator's removal waits until the routine has returned.
    const HostOperation operation(m_view ? m_view->Host() : nullptr);
    return LinkRoutines::Run(
        *m_generator, m_stop,
        [&](ToolLibrary &lib) {
            if (m_stopRequested)
                m_stop.Request(); // a routine starts with its stop cleared
            SetDiagnosticsContext(&m_context);
            SetDiagnosticsLibrary(&lib);
            body(lib);
            SetDiagnosticsLibrary(nullptr);
            SetDiagnosticsContext(nullptr);
        },
        &refusal);
}

// --- Running a method ----------------------------------------------------------------

namespace {

QString LibraryFailure(ToolLibrary &lib)
{
    const QString text = lib.ErrorText().trimmed();
    return text.isEmpty() ? FormatString(IDS_DIAG_ERROR_CODE, {QString::number(lib.Error())}) : text;
}

} // namespace

bool CDiagnosticsDlg::LoadCanvas(QString &failure)
{
    bool loaded = false;
    BeginRun();
    const bool ran = RunRoutine(
        [&](ToolLibrary &lib) {
            loaded = lib.XR_PortPrepareRemoteCall(lib.Port(), &m_context, 1) != 0;
            if (!loaded)
                failure = LibraryFailure(lib);
        },
        failure);
    EndRun();
    if (!ran || !loaded)
        return false;
    m_canvasLoaded = true;
    FillCanvasTree();
    return true;
}

bool CDiagnosticsDlg::CanvasUsable(QString &why) const
{
    const int width = int32_t(m_context.words[RCC_WIDTH]);
    const int height = int32_t(m_context.words[RCC_HEIGHT]);
    const double aspect = CanvasTreeRows::DoubleAt(m_context, RCC_ASPECTSIZE);
    if (width >= 1 && width <= kMaxCanvasSide && height >= 1 && height <= kMaxCanvasSide && std::isfinite(aspect) &&
        aspect > 0.0)
        return true;
    why = FormatString(IDS_DIAG_BAD_CANVAS, {QString::number(width), QString::number(height), QString::number(aspect)});
    return false;
}

bool CDiagnosticsDlg::ReadyToRun(int row)
{
    QString failure;
    if (!m_canvasLoaded && !LoadCanvas(failure)) {
        SetTimeCell(row, FormatString(IDS_TOOL_FAILURE, {failure}));
        return false;
    }
    if (!CanvasUsable(failure)) {
        SetTimeCell(row, failure);
        return false;
    }
    return true;
}

void CDiagnosticsDlg::OnExecuteSelected()
{
    const int row = SelectedRow();
    if (!m_canRun || AnyRunning() || row < 0)
        return;
    const UserAction action;
    m_stopRequested = false;
    if (ReadyToRun(row))
        RunMethod(row);
}

void CDiagnosticsDlg::OnDblclkMethodList()
{
    if (m_canRun)
        OnExecuteSelected();
}

// Every row that ends by itself, in order, each timed; Stop ends the run
// after the row under way.
void CDiagnosticsDlg::OnExecuteAll()
{
    if (!m_canRun || AnyRunning() || m_methods.empty())
        return;
    const UserAction action;
    m_stopRequested = false;
    m_stopEnabled = true;
    BeginRun();
    for (size_t row = 0; row < m_methods.size() && !m_stopRequested; ++row) {
        if (m_methods[row].animated)
            continue;
        if (!ReadyToRun(int(row)) || !RunMethod(int(row)))
            break;
    }
    m_stopEnabled = false;
    EndRun();
}

bool CDiagnosticsDlg::RunMethod(int row)
{
    const DemonstrationRow &method = m_methods[size_t(row)];
    const QPointer<CDiagnosticsDlg> self(this);
    SetRowState(row, kImageRunning);
    m_list->repaint();
    const bool batch = m_runDepth > 0;
    if (method.animated) {
        m_stopEnabled = true;
        SetDiagnosticsStop(&m_stop);
    }
    BeginRun();
    const DiagnosticsTimer &timer = InstalledDiagnosticsTimer();
    int64_t start = 0;
    int64_t end = 0;
    QString failure;
    const bool ran = RunRoutine(
        [&](ToolLibrary &lib) {
            if (!lib.XR_PortPrepareRemoteCall(lib.Port(), &m_context, 0)) {
                failure = LibraryFailure(lib);
                return;
            }
            start = timer.Count();
            if (method.routine != nullptr)
                method.routine(lib);
            end = timer.Count();
            if (lib.Error() != 0)
                failure = LibraryFailure(lib);
        },
        failure);
    if (method.animated)
        SetDiagnosticsStop(nullptr);
    if (!batch)
        m_stopEnabled = false;
    EndRun();
    if (!self)
        return false;
    SetRowState(row, kImageIdle);
    if (!ran || !failure.isEmpty())
        SetTimeCell(row, FormatString(IDS_TOOL_FAILURE, {failure}));
    else if (method.animated)
        SetTimeCell(row, LoadString(IDS_NOT_APPLICABLE));
    else if (m_hasTimer)
        SetTimeCell(row, QString::number(double(end - start) / double(timer.Frequency()) * 1000.0, 'f', 3));
    return ran;
}

void CDiagnosticsDlg::OnStop()
{
    m_stopRequested = true;
    m_stop.Request();
}

void CDiagnosticsDlg::reject()
{
    RequestStop();
    CGeneratorViewChild::reject();
}

void CDiagnosticsDlg::SetRowState(int row, int state)
{
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item)
        return;
    const DemonstrationRow &method = m_methods[size_t(row)];
    const int image = row == 0 ? kImageColourBars : method.animated ? kImageCamera : kImageFunction;
    item->setIcon(0, DiagnosticsRowIcon(state, image));
    item->setData(0, Qt::UserRole, state);
}

void CDiagnosticsDlg::SetTimeCell(int row, const QString &text)
{
    if (QTreeWidgetItem *item = m_list->topLevelItem(row))
        item->setText(1, text);
}

int CDiagnosticsDlg::SelectedRow() const
{
    const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
}

// --- The canvas tree -----------------------------------------------------------------

void CDiagnosticsDlg::OnReloadCanvas()
{
    if (!m_canRun || AnyRunning())
        return;
    const UserAction action;
    QString failure;
    if (!LoadCanvas(failure))
        MessageBox(this, PromptText(IDS_DIAG_RELOAD_FAILED, {failure}), PromptText(IDS_DIAG_CAPTION),
                   MB_OK | MB_ICONWARNING);
}

QTreeWidgetItem *CDiagnosticsDlg::AddTreeRow(QTreeWidgetItem *parent, const QString &text, int image)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, text);
    item->setIcon(0, QIcon(DiagnosticsPixmap(image)));
    return item;
}

void CDiagnosticsDlg::FillCanvasTree()
{
    if (m_canvasRoot)
        qDeleteAll(m_canvasRoot->takeChildren());
    else
        m_canvasRoot = AddTreeRow(nullptr, LoadString(IDS_DIAG_CANVAS), kImageDocument);
    QTreeWidgetItem *colours = AddTreeRow(m_canvasRoot, LoadString(IDS_DIAG_COLORS), kImageDocument);
    for (const QString &row : CanvasTreeRows::Colours(m_context))
        AddTreeRow(colours, row, kImageIdle);
    QTreeWidgetItem *parameters = AddTreeRow(m_canvasRoot, LoadString(IDS_DIAG_PARAMETERS), kImageDocument);
    for (const QString &row : CanvasTreeRows::Parameters(m_context))
        AddTreeRow(parameters, row, kImageIdle);
}

// --- The PCI benchmarks --------------------------------------------------------------

bool CDiagnosticsDlg::OnUpdateDmaBenchmark() const
{
    return m_generator->GetPortType() == PortType::Pci && !AnyRunning();
}

bool CDiagnosticsDlg::ParseHex(const QString &text, uint32_t &value)
{
    if (text.size() > kMaxHexDigits)
        return false;
    uint32_t sum = 0;
    for (QChar c : text) {
        const int digit = c.isDigit() && c.unicode() < 0x80 ? c.unicode() - '0'
                          : (c.toUpper().unicode() >= 'A' && c.toUpper().unicode() <= 'F') ? c.toUpper().unicode() - 55
                                                                                        : -1;
        if (digit < 0)
            return false;
        sum = sum * 16 + uint32_t(digit);
    }
    value = sum;
    return true;
}

void CDiagnosticsDlg::OnDmaBenchmark()
{
    if (!OnUpdateDmaBenchmark())
        return;
    const QString text = m_code->text().left(kMaxCodeCharacters);
    uint32_t code = 0;
    if (!ParseHex(text, code)) {
        MessageBox(this, PromptText(IDS_DIAG_BAD_CODE, {text}), PromptText(IDS_DIAG_CAPTION), MB_OK | MB_ICONWARNING);
        return;
    }
    const UserAction action;
    QTreeWidgetItem *top = AddTreeRow(nullptr, LoadString(IDS_DMA_BENCHMARKS), kImageDocument);
    const auto result = [&](QTreeWidgetItem *under, unsigned id, double value, int decimals, const DmaTestReport &report) {
        if (!report.failure.isEmpty()) {
            AddTreeRow(under, FormatString(IDS_TOOL_FAILURE, {report.failure}), kImageIdle);
            return false;
        }
        QString line = FormatString(id, {QString::number(value, 'f', decimals)});
        if (report.cancelled)
            line = FormatString(IDS_DMA_CANCELLED, {line});
        AddTreeRow(under, line, kImageIdle);
        return !report.cancelled;
    };
    const QPointer<CDiagnosticsDlg> self(this);
    const HostOperation operation(m_view ? m_view->Host() : nullptr);
    BeginRun();
    DmaTestReport report;
    if (code == kEndianCode) {
        QTreeWidgetItem *endian = AddTreeRow(top, LoadString(IDS_DMA_ENDIAN), kImageDocument);
        m_generator->DmaTests(2, 5, kEndianCode, &report);
        if (!report.failure.isEmpty())
            AddTreeRow(endian, FormatString(IDS_TOOL_FAILURE, {report.failure}), kImageIdle);
    } else if (code == kSramCode) {
        QTreeWidgetItem *sram = AddTreeRow(top, LoadString(IDS_DMA_SRAM), kImageDocument);
        const double bytes = m_generator->DmaTests(2, 6, kSramCode, &report);
        if (result(sram, IDS_DMA_BYTE_FAIL, bytes, 2, report)) {
            DmaTestReport words;
            const double wordFailures = m_generator->DmaTests(2, 7, kSramCode, &words);
            result(sram, IDS_DMA_WORD_FAIL, wordFailures, 2, words);
        }
    } else {
        QTreeWidgetItem *video = AddTreeRow(top, LoadString(IDS_DMA_VIDEO), kImageDocument);
        const double failures = m_generator->DmaTests(1, 3, code, &report);
        result(video, IDS_DMA_WR_FAIL, failures, 0, report);
    }
    if (!self)
        return;
    EndRun();
    top->setExpanded(true);
    for (int i = 0; i < top->childCount(); ++i)
        top->child(i)->setExpanded(true);
    m_tree->scrollToItem(top);
}

// --- Layout --------------------------------------------------------------------------

void CDiagnosticsDlg::resizeEvent(QResizeEvent *event)
{
    CGeneratorViewChild::resizeEvent(event);
    if (m_initialised && !(windowState() & Qt::WindowMinimized))
        OnSize();
}

void CDiagnosticsDlg::OnSize()
{
    const int m = m_initialList.x();
    const int w = m_client->width();
    const int h = m_client->height();
    const int change = w - m_initialSize.width();
    m_close->move(w - m - m_close->width(), m_close->y());
    const int listRight = m_initialList.right() + change / 2;
    const int treeLeft = m_initialTree.left() + change / 2;
    m_list->setGeometry(QRect(QPoint(m_initialList.left(), m_initialList.top()), QPoint(listRight, h - m - 1)));
    m_tree->setGeometry(QRect(QPoint(treeLeft, m_initialTree.top()), QPoint(w - m - 1, h - m - 1)));
    m_listLabel->move(m_list->x() + (m_list->width() - m_listLabel->width()) / 2, m_listLabel->y());
    m_treeLabel->move(m_tree->x() + (m_tree->width() - m_treeLabel->width()) / 2, m_treeLabel->y());
}
