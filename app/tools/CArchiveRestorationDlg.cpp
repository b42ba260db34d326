#include "CArchiveRestorationDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "ConvertFolder.h"
#include "GeneratorViewHost.h"
#include "MemoryFiles.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kRestorationViewRole = Qt::UserRole;
constexpr int kRestorationColumnWidth = 150;
constexpr int kRestorationLogWidth = 1000;
constexpr int kRestorationCompatible = 3;
constexpr int kRestorationIncompatible = 2;
constexpr int kRestorationStateRole = Qt::UserRole + 1;
constexpr double kRestorationRevision7Firmware = 7.001;
constexpr double kRestorationSameFirmware = 1e-6;
constexpr double kRestorationSameRevision = 1e-7;
constexpr int kRestorationLaterBuilds = 3000;

QString RestorationFolder(const QString& folder)
{
    const QString plain = QDir::fromNativeSeparators(folder.trimmed());
    return plain.isEmpty() || plain.endsWith(QLatin1Char('/')) ? plain : plain + QLatin1Char('/');
}

QString RestorationRevision8(double revision)
{
    return QString::asprintf("%.8lf", revision);
}

} // namespace

CArchiveRestorationDlg::CArchiveRestorationDlg(CMainWindow* owner)
{
    (void)owner;
    setObjectName(QStringLiteral("ArchiveRestoration"));
    setWindowTitle(LoadString(IDS_RESTORATION_TITLE));
    auto named = [](QWidget* widget, unsigned id) {
        widget->setObjectName(QStringLiteral("control%1").arg(id));
        return widget;
    };
    m_dataFolderEdit = new QLineEdit(this);
    named(m_dataFolderEdit, IDC_RESTORE_DATA_FOLDER);
    m_dataFolderEdit->setReadOnly(true);
    m_dataBrowse = new QPushButton(LoadString(IDS_RESTORATION_BROWSE), this);
    named(m_dataBrowse, IDC_RESTORE_DATA_BROWSE);
    m_tree = new QTreeWidget(this);
    named(m_tree, IDC_RESTORE_TREE);
    m_tree->setHeaderHidden(true);
    m_generators = new QTreeWidget(this);
    named(m_generators, IDC_RESTORE_GENERATORS);
    m_generators->setRootIsDecorated(false);
    m_generators->setSelectionMode(QAbstractItemView::MultiSelection);
    m_generators->setHeaderLabels({LoadString(IDS_RESTORATION_GENERATOR), LoadString(IDS_RESTORATION_FIRMWARE)});
    m_generators->setColumnWidth(0, kRestorationColumnWidth);
    m_generators->setColumnWidth(1, kRestorationColumnWidth);
    m_destinationEdit = new QLineEdit(this);
    named(m_destinationEdit, IDC_RESTORE_DEST_FOLDER);
    m_destinationBrowse = new QPushButton(LoadString(IDS_RESTORATION_BROWSE), this);
    named(m_destinationBrowse, IDC_RESTORE_DEST_BROWSE);
    m_convertTo = new QLineEdit(QStringLiteral("0"), this);
    m_convertTo->setObjectName(QStringLiteral("convertTo"));
    m_convert = new QPushButton(LoadString(IDS_RESTORATION_CONVERT), this);
    named(m_convert, IDC_RESTORE_CONVERT);
    m_restore = new QPushButton(LoadString(IDS_RESTORATION_RESTORE), this);
    named(m_restore, IDC_RESTORE_RESTORE);
    m_close = new QPushButton(LoadString(IDS_RESTORATION_CLOSE), this);
    m_log = new QListWidget(this);
    named(m_log, IDC_RESTORE_LOG);
    m_log->setStyleSheet(QStringLiteral("QListWidget { background: black; color: white; }"));
    m_log->setToolTip(LoadString(IDS_RESTORATION_MESSAGE));
    m_log->addItem(LoadString(IDS_RESTORATION_OK));
    m_log->setMinimumWidth(kRestorationColumnWidth);
    (void)kRestorationLogWidth;

    auto* grid = new QGridLayout;
    grid->addWidget(m_dataFolderEdit, 0, 0);
    grid->addWidget(m_dataBrowse, 0, 1);
    grid->addWidget(m_tree, 1, 0, 1, 2);
    grid->addWidget(m_generators, 2, 0, 1, 2);
    grid->addWidget(m_destinationEdit, 3, 0);
    grid->addWidget(m_destinationBrowse, 3, 1);
    auto* convertRow = new QHBoxLayout;
    convertRow->addWidget(new QLabel(LoadString(IDS_RESTORATION_CONVERT_TO), this));
    convertRow->addWidget(m_convertTo);
    convertRow->addWidget(m_convert);
    convertRow->addStretch();
    convertRow->addWidget(m_restore);
    convertRow->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 3);
    layout->addLayout(convertRow);
    layout->addWidget(m_log, 1);
    resize(520, 640);

    m_tree->setEnabled(false);
    m_restore->setEnabled(false);
    m_convert->setEnabled(false);

    QObject::connect(m_close, &QPushButton::clicked, this, [this] { hide(); });
    QObject::connect(m_restore, &QPushButton::clicked, this, [this] { OnRestore(); });
    QObject::connect(m_convert, &QPushButton::clicked, this, [this] { OnConvert(); });
    QObject::connect(m_dataBrowse, &QPushButton::clicked, this, [this] {
        const QString chosen = BrowseForFolder({this, LoadString(IDS_RESTORATION_CHOOSE_FOLDER), m_dataFolder});
        if (!chosen.isEmpty())
            ScanFolder(chosen);
    });
    QObject::connect(m_destinationBrowse, &QPushButton::clicked, this, [this] {
        const QString chosen
            = BrowseForFolder({this, LoadString(IDS_RESTORATION_CHOOSE_FOLDER), m_destinationEdit->text()});
        if (!chosen.isEmpty())
            SetDestination(chosen);
    });
    QObject::connect(m_convertTo, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    QObject::connect(m_destinationEdit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    // A click on a check box flips it; a corrupted file keeps none.
    QObject::connect(m_tree, &QTreeWidget::itemChanged, this, [this] { UpdateButtons(); });
    QObject::connect(m_generators, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
}

CArchiveRestorationDlg::~CArchiveRestorationDlg() = default;

void CArchiveRestorationDlg::showEvent(QShowEvent* event)
{
    CToolWindow::showEvent(event);
    if (minimumSize().isNull())
        setMinimumSize(size());
}

void CArchiveRestorationDlg::AddLog(const QString& line)
{
    m_log->addItem(line);
    m_log->scrollToBottom();
}

CGeneratorView* CArchiveRestorationDlg::ViewOf(const QTreeWidgetItem* row) const
{
    return row ? FromLParam<CGeneratorView>(LPARAM(row->data(0, kRestorationViewRole).toLongLong())) : nullptr;
}

void CArchiveRestorationDlg::AddGenerator(CGeneratorView* view)
{
    CGenerator* generator = view ? view->GetGenerator() : nullptr;
    if (!generator)
        return;
    QString model;
    QString firmware;
    QString serial;
    view->GetIdentity(model, firmware, serial);
    auto* row = new QTreeWidgetItem(m_generators);
    row->setText(0, FormatString(IDS_ARCHIVE_GENERATOR_ROW, {model, generator->GetPortName()}));
    row->setText(1, firmware);
    row->setData(0, kRestorationViewRole, qlonglong(ToLParam(view)));
    AddLog(FormatString(IDS_RESTORATION_ADDED, {row->text(0)}));
    UpdateGenerators();
    UpdateButtons();
}

void CArchiveRestorationDlg::RemoveGenerator(CGeneratorView* view)
{
    for (int i = 0; i < m_generators->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_generators->topLevelItem(i);
        if (ViewOf(row) == view) {
            AddLog(FormatString(IDS_RESTORATION_REMOVED, {row->text(0)}));
            delete row;
            break;
        }
    }
    UpdateButtons();
}

void CArchiveRestorationDlg::SetBusy(int busy)
{
    m_busy = busy != 0;
    for (QWidget* control : std::initializer_list<QWidget*>{m_tree, m_generators, m_dataFolderEdit,
                                                            m_destinationEdit, m_dataBrowse, m_destinationBrowse,
                                                            m_close, m_restore, m_convert})
        control->setEnabled(!m_busy);
    if (!m_busy) {
        m_tree->setEnabled(m_loaded);
        UpdateButtons();
    }
    update();
}

void CArchiveRestorationDlg::RescanIfFolder(const QString& folder)
{
    if (!m_dataFolder.isEmpty() && RestorationFolder(folder).compare(m_dataFolder, Qt::CaseInsensitive) == 0)
        ScanFolder(m_dataFolder);
}

void CArchiveRestorationDlg::SetDestination(const QString& folder)
{
    m_destinationEdit->setText(QDir::toNativeSeparators(RestorationFolder(folder)));
    UpdateButtons();
}

void CArchiveRestorationDlg::SetConvertTo(double revision)
{
    m_convertTo->setText(QString::number(revision));
}

bool CArchiveRestorationDlg::IsCompatible(double firmware) const
{
    if (!m_loaded)
        return false;
    if (!m_r40)
        return firmware >= kRestorationRevision7Firmware - 1e-9;
    const int mapped = MapRevision(firmware);
    if (mapped >= kRestorationLaterBuilds)
        return mapped == kRestorationLaterBuilds && MapRevision(m_revision) == kRestorationLaterBuilds;
    return std::fabs(firmware - m_revision) < kRestorationSameFirmware;
}

// Each row says whether its generator may take the data; one that may not
// is deselected. A port that carries no memory files never may.
void CArchiveRestorationDlg::UpdateGenerators()
{
    const QSignalBlocker quiet(m_generators);
    for (int i = 0; i < m_generators->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_generators->topLevelItem(i);
        CGeneratorView* view = ViewOf(row);
        CGenerator* generator = view ? view->GetGenerator() : nullptr;
        const PortType type = generator ? generator->GetPortType() : PortType::None;
        const bool port = type == PortType::Isa || type == PortType::Com;
        const bool compatible = generator && port && IsCompatible(generator->GetFirmwareVersion());
        if (m_loaded && generator && !port && row->data(0, kRestorationStateRole).toInt() != kRestorationIncompatible)
            AddLog(FormatString(IDS_RESTORATION_NO_PORT_LOG, {row->text(0)}));
        row->setData(0, kRestorationStateRole, compatible ? kRestorationCompatible : kRestorationIncompatible);
        row->setForeground(0, compatible ? palette().text() : palette().placeholderText());
        if (!compatible)
            row->setSelected(false);
    }
}

QStringList CArchiveRestorationDlg::CheckedFiles() const
{
    QStringList names;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_tree->topLevelItem(i);
        if (row->checkState(0) == Qt::Checked)
            names << row->text(0).section(QLatin1Char(' '), 0, 0);
    }
    return names;
}

void CArchiveRestorationDlg::UpdateButtons()
{
    if (m_busy)
        return;
    const bool checked = !CheckedFiles().isEmpty();
    m_restore->setEnabled(m_loaded && checked && !m_generators->selectedItems().isEmpty());
    const QString destination = RestorationFolder(m_destinationEdit->text());
    // The same folder through a link is the same folder.
    const bool same = !destination.isEmpty()
                      && (destination.compare(m_dataFolder, Qt::CaseInsensitive) == 0
                          || (QFileInfo::exists(destination)
                              && QFileInfo(destination).canonicalFilePath()
                                     == QFileInfo(m_dataFolder).canonicalFilePath()));
    if (same && m_loaded && m_r40 && destination != m_sameFolderLogged) {
        AddLog(LoadString(IDS_CONVERT_SAME_FOLDERS));
        m_sameFolderLogged = destination;
    }
    if (!same)
        m_sameFolderLogged.clear();
    const bool convert = m_loaded && m_r40 && checked && !destination.isEmpty() && !same
                         && MapRevision(m_convertTo->text().toDouble()) > MapRevision(m_revision);
    m_convert->setEnabled(convert);
}

void CArchiveRestorationDlg::OnSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = m_generators->selectedItems();
    if (!selected.isEmpty()) {
        // The first selected in list order.
        for (int i = 0; i < m_generators->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = m_generators->topLevelItem(i);
            if (row->isSelected()) {
                CGeneratorView* view = ViewOf(row);
                if (view && view->GetGenerator())
                    SetConvertTo(view->GetGenerator()->GetFirmwareVersion());
                break;
            }
        }
    }
    UpdateGenerators();
    UpdateButtons();
}

void CArchiveRestorationDlg::OnConvert()
{
    const double target = m_convertTo->text().toDouble();
    const QString destination = RestorationFolder(m_destinationEdit->text());
    AddLog(FormatString(IDS_RESTORATION_ATTEMPTING, {RestorationRevision8(m_revision), RestorationRevision8(target)}));
    AddLog(FormatString(IDS_RESTORATION_SOURCE, {QDir::toNativeSeparators(m_dataFolder)}));
    AddLog(FormatString(IDS_RESTORATION_DESTINATION, {QDir::toNativeSeparators(destination)}));
    AddLog(LoadString(IDS_RESTORATION_RULE));
    if (std::fabs(m_revision - target) <= kRestorationSameRevision) {
        AddLog(LoadString(IDS_CONVERT_NOTHING_TO_DO));
        return;
    }
    if (m_revision > target) {
        AddLog(LoadString(IDS_CONVERT_OLDER));
        return;
    }
    const int mapped = MapRevision(target);
    if (mapped == 0) {
        AddLog(FormatString(IDS_CONVERT_TO_UNKNOWN, {RestorationRevision8(target)}));
        return;
    }
    QString shownTarget = QString::asprintf("%.3lf", mapped * 0.001);
    if (mapped >= kRestorationLaterBuilds)
        shownTarget += QLatin1Char('+');
    if (MessageBox(this,
                   PromptText(IDS_RESTORATION_ASK_CONVERT, {QString::asprintf("%.3lf", m_revision), shownTarget}),
                   PromptText(IDS_RESTORATION_CONVERSION), MB_YESNO | MB_ICONQUESTION)
        != IDYES) {
        AddLog(LoadString(IDS_RESTORATION_DECLINED));
        return;
    }
    // A typed destination that does not exist yet is made.
    QDir().mkpath(destination);
    const bool converted = ConvertFolder(m_dataFolder, destination, CheckedFiles(), target,
                                         [this](const QString& line) { AddLog(line); });
    AddLog(converted ? FormatString(IDS_RESTORATION_CONVERTED, {RestorationRevision8(target)})
                     : LoadString(IDS_RESTORATION_CONVERT_FAILED));
}
