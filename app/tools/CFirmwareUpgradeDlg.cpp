#include "CFirmwareUpgradeDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "DialogUnits.h"
#include "GeneratorViewHost.h"
#include "GeneratorViewRegistry.h"
#include "GeneratorLink.h"
#include "LinkRoutines.h"
#include "MessageTarget.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StalledCardOffer.h"
#include "StringTable.h"
#include "ToolLibrary.h"
#include "WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr char kFirmwareName[] = "firmware.bin";
constexpr int kColumnWidth = 150;
constexpr int kImageSize = 16;
constexpr int kIsaPorts = 8;
// The row pictures and, at state + 1, the state pictures (bitmap 265).
enum FirmwareImage : int {
    kImageGenerator = 0,
    kImageCardGenerator = 1,
    kImageUnsuitable = 3,
    kImageWarning = 4,
    kImageSuits = 5,
    kImageDirect = 6,
    kImageCount = 7,
};
// Item data of a row: what it stands for.
constexpr int kViewRole = Qt::UserRole;
constexpr int kPortRole = Qt::UserRole + 1;
constexpr int kKindRole = Qt::UserRole + 2;
constexpr int kStateRole = Qt::UserRole + 3;
constexpr int kImageRole = Qt::UserRole + 4;
const QColor kYellow(0xFF, 0xFF, 0x80);

QPixmap PaintImage(int index)
{
    QPixmap picture(kImageSize, kImageSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case kImageGenerator: // a stand-alone generator: a box with a screen
        p.setPen(Qt::black);
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(1, 3, 13, 10);
        p.setBrush(QColor(0x00, 0x80, 0x80));
        p.drawRect(3, 5, 6, 5);
        break;
    case kImageCardGenerator: // a card: a board with its edge connector
        p.setPen(Qt::black);
        p.setBrush(QColor(0x00, 0x80, 0x00));
        p.drawRect(1, 2, 13, 9);
        p.setBrush(QColor(0xE0, 0xC0, 0x00));
        for (int x = 3; x < 13; x += 3)
            p.drawRect(x, 11, 2, 3);
        break;
    case kImageUnsuitable: // a red cross
        p.setPen(QPen(QColor(0xC0, 0, 0), 2.5));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
        break;
    case kImageWarning: // a yellow triangle with a mark
        p.setPen(Qt::black);
        p.setBrush(QColor(0xFF, 0xD0, 0x00));
        p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(15, 14), QPointF(1, 14)}));
        p.drawLine(8, 5, 8, 10);
        p.drawPoint(8, 12);
        break;
    case kImageSuits: // a green tick
        p.setPen(QPen(QColor(0, 0xA0, 0), 2.5));
        p.drawLine(2, 8, 6, 12);
        p.drawLine(6, 12, 14, 3);
        break;
    case kImageDirect: // a plug
        p.setPen(Qt::black);
        p.setBrush(QColor(0x40, 0x40, 0xC0));
        p.drawRect(2, 5, 8, 6);
        p.drawLine(10, 6, 14, 6);
        p.drawLine(10, 10, 14, 10);
        break;
    default:
        break;
    }
    return picture;
}

const QList<QPixmap> &Images()
{
    static const QList<QPixmap> images = [] {
        QList<QPixmap> list;
        for (int i = 0; i < kImageCount; ++i)
            list.append(PaintImage(i));
        return list;
    }();
    return images;
}

// The state picture left of the row's picture, as a list shows both.
QIcon RowPicture(int state, int image)
{
    QPixmap both(2 * kImageSize, kImageSize);
    both.fill(Qt::transparent);
    QPainter p(&both);
    if (state > 0)
        p.drawPixmap(0, 0, Images().value(state + 1));
    p.drawPixmap(kImageSize, 0, Images().value(image));
    p.end();
    return QIcon(both);
}

QString VersionText(double version) { return QString::asprintf("%.8lf", version); }

} // namespace

CFirmwareUpgradeDlg::CFirmwareUpgradeDlg(GeneratorViewHost *host)
    : m_host(host)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    SetControlId(this, IDD_FIRMWARE_UPGRADE);
    setWindowTitle(LoadString(IDS_FIRMWARE_TITLE));
    BuildControls();
}

CFirmwareUpgradeDlg::~CFirmwareUpgradeDlg()
{
    // A direct row holds its card open: a connection of its own closes it,
    // so the card is free for the next program or connection.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = m_list->topLevelItem(i);
        if (RowKind(row->data(0, kKindRole).toInt()) != RowKind::Generator)
            CGenerator(nullptr, PortId(row->data(0, kPortRole).toUInt()));
    }
}

bool CFirmwareUpgradeDlg::RowSelected(const QTreeWidgetItem *row) const
{
    // The list's selection, not the item's flag: a row deselected while its
    // selection is being made keeps the flag set.
    return m_list->selectedItems().contains(const_cast<QTreeWidgetItem *>(row));
}

void CFirmwareUpgradeDlg::BuildControls()
{
    m_pathField = new QLineEdit(this);
    SetControlId(m_pathField, IDC_FIRMWARE_PATH);
    m_pathField->setReadOnly(true);
    m_browse = new QPushButton(LoadString(IDS_FIRMWARE_BROWSE), this);
    SetControlId(m_browse, IDC_FIRMWARE_BROWSE);

    auto yellowField = [this](int id) {
        auto *field = new QLineEdit(this);
        SetControlId(field, id);
        field->setReadOnly(true);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, kYellow);
        palette.setColor(QPalette::Text, Qt::black);
        field->setPalette(palette);
        return field;
    };
    m_version = yellowField(IDC_FIRMWARE_VERSION);
    m_checksum = yellowField(IDC_FIRMWARE_CHECKSUM);

    auto *group = new QGroupBox(LoadString(IDS_FIRMWARE_SELECTION), this);
    m_list = new QTreeWidget(group);
    SetControlId(m_list, IDC_FIRMWARE_LIST);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({LoadString(IDS_GENERATOR), LoadString(IDS_FIRMWARE)});
    m_list->setColumnWidth(0, kColumnWidth);
    m_list->setColumnWidth(1, kColumnWidth);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(2 * kImageSize, kImageSize));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list);

    m_flash = new QPushButton(LoadString(IDS_FIRMWARE_FLASH), this);
    SetControlId(m_flash, IDC_FIRMWARE_FLASH);
    m_flash->setEnabled(false);
    m_direct = new QPushButton(LoadString(IDS_FIRMWARE_DIRECT), this);
    SetControlId(m_direct, IDC_FIRMWARE_DIRECT);
    m_close = new QPushButton(LoadString(IDS_FIRMWARE_CLOSE), this);
    SetControlId(m_close, IDCANCEL);

    // The path field and the list stretch; the buttons keep to the right
    // and bottom edges.
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_pathField, 0, 0, 1, 4);
    layout->addWidget(m_browse, 0, 4);
    layout->addWidget(new QLabel(LoadString(IDS_FIRMWARE_VERSION_LABEL), this), 1, 0);
    layout->addWidget(m_version, 1, 1);
    layout->addWidget(new QLabel(LoadString(IDS_FIRMWARE_CHECKSUM_LABEL), this), 1, 2);
    layout->addWidget(m_checksum, 1, 3);
    layout->addWidget(group, 2, 0, 1, 4);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_flash);
    buttons->addWidget(m_direct);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    layout->addLayout(buttons, 2, 4);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);
    layout->setRowStretch(2, 1);

    connect(m_browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(m_flash, &QPushButton::clicked, this, [this] { OnFlash(); });
    connect(m_direct, &QPushButton::clicked, this, [this] { OnDirectConnect(); });
    connect(m_close, &QPushButton::clicked, this, [this] { hide(); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        EvaluateRows();
        UpdateFlashButton();
    });
}

void CFirmwareUpgradeDlg::showEvent(QShowEvent *event)
{
    CToolWindow::showEvent(event);
    // The first size is the least it may shrink to.
    if (!m_sized) {
        m_sized = true;
        adjustSize();
        resize(std::max(width(), 2 * kColumnWidth + m_browse->sizeHint().width() + 60), height());
        setMinimumSize(size());
    }
}

// --- Rows ------------------------------------------------------------------------

QTreeWidgetItem *CFirmwareUpgradeDlg::AddRow(const QString &text, const QString &firmware, int image, RowKind kind)
{
    auto *row = new QTreeWidgetItem(m_list, {text, firmware});
    row->setData(0, kKindRole, int(kind));
    row->setData(0, kImageRole, image);
    EvaluateRow(row);
    return row;
}

void CFirmwareUpgradeDlg::AddGenerator(CGeneratorView *view)
{
    if (!view || !view->Connection())
        return;
    QString model, firmware, serial;
    view->GetIdentity(model, firmware, serial);
    CGenerator *generator = view->Connection();
    const PortType type = generator->GetPortType();
    const int image = type == PortType::Isa || type == PortType::Pci ? kImageCardGenerator : kImageGenerator;
    const QString text = FormatString(IDS_GENERATOR_ON_PORT, {model, generator->GetPortName()});
    QTreeWidgetItem *row = new QTreeWidgetItem({text, firmware});
    row->setData(0, kViewRole, QVariant::fromValue<void *>(view));
    row->setData(0, kKindRole, int(RowKind::Generator));
    row->setData(0, kImageRole, image);
    m_list->addTopLevelItem(row);
    EvaluateRow(row);
}

void CFirmwareUpgradeDlg::RemoveGenerator(CGeneratorView *view)
{
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *row = m_list->topLevelItem(i);
        if (row->data(0, kKindRole).toInt() == int(RowKind::Generator)
            && row->data(0, kViewRole).value<void *>() == view)
            delete m_list->takeTopLevelItem(i);
    }
    UpdateFlashButton();
}

int CFirmwareUpgradeDlg::RowState(const QTreeWidgetItem *row)
{
    return row ? row->data(0, kStateRole).toInt() : 0;
}

void CFirmwareUpgradeDlg::EvaluateRow(QTreeWidgetItem *row)
{
    const auto kind = RowKind(row->data(0, kKindRole).toInt());
    double generatorVersion = 0;
    if (kind == RowKind::Generator) {
        auto *view = static_cast<CGeneratorView *>(row->data(0, kViewRole).value<void *>());
        if (GeneratorViewRegistry::IsListed(view) && view->Connection())
            generatorVersion = view->Connection()->GetFirmwareVersion();
    }
    const FirmwareRowKind ruleKind = kind == RowKind::IsaDirect   ? FirmwareRowKind::IsaDirect
                                     : kind == RowKind::PciDirect ? FirmwareRowKind::PciDirect
                                                                  : FirmwareRowKind::Generator;
    const FirmwareRowState state = EvaluateFirmwareRow(m_fileChosen, m_check.version, ruleKind, generatorVersion);
    row->setData(0, kStateRole, int(state));
    row->setIcon(0, RowPicture(state, row->data(0, kImageRole).toInt()));
    if (state == kFirmwareRowUnsuitable && RowSelected(row))
        row->setSelected(false);
}

void CFirmwareUpgradeDlg::EvaluateRows()
{
    const QSignalBlocker block(m_list); // deselecting re-enters the selection handler
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        EvaluateRow(m_list->topLevelItem(i));
}

void CFirmwareUpgradeDlg::UpdateFlashButton()
{
    m_flash->setEnabled(m_fileChosen && !m_list->selectedItems().isEmpty());
}

void CFirmwareUpgradeDlg::SetBusy(int busy)
{
    for (QWidget *control : {static_cast<QWidget *>(m_list), static_cast<QWidget *>(m_close),
                             static_cast<QWidget *>(m_browse)})
        control->setEnabled(!busy);
    if (busy)
        m_flash->setEnabled(false);
    else
        UpdateFlashButton();
    repaint();
}

// --- Browse ----------------------------------------------------------------------

void CFirmwareUpgradeDlg::OnBrowse()
{
    FileRequest request;
    request.parent = this;
    request.filter = LoadString(IDS_FIRMWARE_FILTER) + QLatin1Char('|');
    request.fileName = QStringLiteral("Firmware.bin");
    request.titleId = IDS_FIRMWARE_SELECT_TITLE;
    request.title = LoadString(IDS_FIRMWARE_SELECT_TITLE);
    request.folder = GetProfileString(QLatin1String(ProfileKeys::kFolders), QLatin1String(ProfileKeys::kFirmware));
    const FileResult result = PromptForFile(request);
    if (!result.accepted || result.paths.isEmpty())
        return;
    const QString path = result.paths.first();
    const QFileInfo info(path);
    if (info.fileName().compare(QLatin1String(kFirmwareName), Qt::CaseInsensitive) != 0) {
        MessageBox(this, PromptText(IDS_FIRMWARE_BAD_NAME), PromptText(IDS_FIRMWARE_ERROR), MB_OK | MB_ICONWARNING);
        return;
    }
    WaitCursor wait;
    const FirmwareFileCheck check = FirmwareFile::CheckPath(path);
    if (!check.accepted) {
        const QStringList inserts = check.failureId == IDS_FIRMWARE_CANNOT_OPEN
                                        ? QStringList{QDir::toNativeSeparators(path)}
                                        : QStringList{};
        MessageBox(this, PromptText(check.failureId, inserts), PromptText(IDS_FIRMWARE_ERROR),
                   MB_OK | MB_ICONWARNING);
        return;
    }
    // Only an accepted file becomes the choice and the folder to start from.
    WriteProfileString(QLatin1String(ProfileKeys::kFolders), QLatin1String(ProfileKeys::kFirmware),
                       info.absolutePath());
    m_fileChosen = true;
    m_check = check;
    m_path = info.absoluteFilePath();
    m_size = info.size();
    m_pathField->setText(QDir::toNativeSeparators(m_path));
    m_version->setText(check.version >= 0 ? VersionText(check.version) : LoadString(IDS_FIRMWARE_UNKNOWN));
    m_checksum->setText(check.checksumKnown ? check.checksum : LoadString(IDS_FIRMWARE_NO_CHECKSUM));
    EvaluateRows();
    UpdateFlashButton();
}

// --- Direct ports ---------------------------------------------------------------

QMenu *CFirmwareUpgradeDlg::BuildDirectMenu()
{
    auto *popup = new QMenu(this);
    QMenu *ports = popup->addMenu(LoadString(IDS_FIRMWARE_DIRECT_CONNECT_TO));
    SetControlId(ports, IDR_FIRMWARE_DIRECT_MENU);
    for (int n = 0; n < kIsaPorts; ++n) {
        const int command = ID_FIRMWARE_ISA_DIRECT_FIRST + n;
        QAction *action = ports->addAction(FormatString(IDS_FIRMWARE_ISA_MENU, {QString::number(n)}));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { OnIsaDirect(command); });
    }
    const int cards = CGenerator::CountPciCards();
    if (cards > 0) {
        ports->addSeparator();
        for (int n = 1; n <= cards; ++n) {
            const int command = ID_FIRMWARE_PCI_DIRECT_FIRST + n - 1;
            QAction *action = ports->addAction(FormatString(IDS_FIRMWARE_PCI_MENU, {QString::number(n)}));
            action->setData(command);
            connect(action, &QAction::triggered, this, [this, command] { OnPciDirect(command); });
        }
    }
    return popup;
}

void CFirmwareUpgradeDlg::OnDirectConnect()
{
    std::unique_ptr<QMenu> popup(BuildDirectMenu());
    popup->exec(m_direct->mapToGlobal(QPoint(0, 0)));
}

void CFirmwareUpgradeDlg::AddDirectRow(RowKind kind, int number)
{
    const bool isa = kind == RowKind::IsaDirect;
    const QByteArray spec = (isa ? QByteArrayLiteral("ISA") : QByteArrayLiteral("PCI")) + QByteArray::number(number);
    const PortType type = isa ? PortType::Isa : PortType::Pci;
    PortId port = 0;
    int error = 0;
    const auto open = [&] {
        LinkRoutines::Run(PortId(0), [&](ToolLibrary &lib) {
            port = isa ? lib.IsaOpen(spec.constData()) : lib.PciOpen(spec.constData());
            error = lib.Error();
        });
    };
    open();
    if (port == 0) {
        switch (OfferForcedInit(this, error, type, number)) {
        case StalledCard::NotStalled: break;
        case StalledCard::LeftAlone: return;
        case StalledCard::Forced: open(); break;
        }
    }
    if (port == 0) {
        MessageBox(this, GeneratorLink::LibraryErrorText(error, type), QString(), MB_OK);
        return;
    }
    const QString text = FormatString(isa ? IDS_FIRMWARE_ISA_DIRECT_ROW : IDS_FIRMWARE_PCI_DIRECT_ROW,
                                      {QString::number(number)});
    QTreeWidgetItem *row = AddRow(text, LoadString(IDS_FIRMWARE_UNKNOWN), kImageDirect, kind);
    row->setData(0, kPortRole, uint(port));
}

void CFirmwareUpgradeDlg::OnIsaDirect(int command)
{
    AddDirectRow(RowKind::IsaDirect, command - ID_FIRMWARE_ISA_DIRECT_FIRST);
}

void CFirmwareUpgradeDlg::OnPciDirect(int command)
{
    AddDirectRow(RowKind::PciDirect, command - ID_FIRMWARE_PCI_DIRECT_FIRST + 1);
}

// --- Flash -----------------------------------------------------------------------

bool CFirmwareUpgradeDlg::PrepareCopy(const QString &folder)
{
    const QString copy = QDir(folder).filePath(QLatin1String(kFirmwareName));
    if (!QFile::copy(m_path, copy)) {
        MessageBox(this, PromptText(IDS_FIRMWARE_CANNOT_OPEN, {QDir::toNativeSeparators(m_path)}),
                   PromptText(IDS_FIRMWARE_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    // What is sent is this copy: it must be the file that was checked.
    const FirmwareFileCheck check = FirmwareFile::CheckPath(copy);
    if (!check.accepted) {
        MessageBox(this, PromptText(check.failureId, {QDir::toNativeSeparators(m_path)}),
                   PromptText(IDS_FIRMWARE_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (QFileInfo(copy).size() != m_size || check != m_check) {
        MessageBox(this, PromptText(IDS_FIRMWARE_CHANGED, {QDir::toNativeSeparators(m_path)}),
                   PromptText(IDS_FIRMWARE_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

void CFirmwareUpgradeDlg::OnFlash()
{
    if (!m_fileChosen || m_operating)
        return;
    HostOperation operation(m_host);
    m_operating = true;
    CProgressDlg progress(this, true);
    progress.SetStatus(IDC_STATUS1, LoadString(IDS_FIRMWARE_WORKING));
    const bool known = m_check.version >= 0;
    const int answer = MessageBox(this, PromptText(known ? IDS_FIRMWARE_CONFIRM : IDS_FIRMWARE_UNIDENTIFIED),
                                  PromptText(IDS_FIRMWARE_WARNING), MB_YESNO | MB_ICONEXCLAMATION);
    QTemporaryDir folder;
    int flashed = 0;
    if (answer == IDYES && folder.isValid() && PrepareCopy(folder.path())) {
        QTreeWidgetItem *row = nullptr;
        for (int i = 0; i < m_list->topLevelItemCount() && !row; ++i)
            row = RowSelected(m_list->topLevelItem(i)) ? m_list->topLevelItem(i) : nullptr;
        while (row) {
            // The next selected row is found first: this one may go.
            QTreeWidgetItem *next = nullptr;
            for (int i = m_list->indexOfTopLevelItem(row) + 1; i < m_list->topLevelItemCount() && !next; ++i)
                next = RowSelected(m_list->topLevelItem(i)) ? m_list->topLevelItem(i) : nullptr;
            if (!FlashRow(row, folder.path(), progress, flashed))
                break;
            row = next;
        }
    }
    if (flashed > 0)
        MessageBox(this, PromptText(IDS_FIRMWARE_FLASH_NOTICE), PromptText(IDS_FIRMWARE_FLASH_CAPTION),
                   MB_OK | MB_ICONINFORMATION);
    progress.DestroyWindow();
    m_operating = false;
    UpdateFlashButton();
}

bool CFirmwareUpgradeDlg::FlashRow(QTreeWidgetItem *row, const QString &folder, CProgressDlg &progress, int &flashed)
{
    const auto kind = RowKind(row->data(0, kKindRole).toInt());
    const double fileVersion = m_check.version;
    const auto canceled = [this] {
        MessageBox(this, PromptText(IDS_FIRMWARE_CANCELED), PromptText(IDS_FIRMWARE_ERROR), MB_OK | MB_ICONWARNING);
    };
    if (kind != RowKind::Generator) {
        // The temporary connection closes the port when it goes.
        CGenerator generator(nullptr, PortId(row->data(0, kPortRole).toUInt()));
        delete row;
        if (!generator.DownloadFirmware(folder, fileVersion, &progress, true)) {
            canceled();
            return false;
        }
        ++flashed;
        return true;
    }
    auto *view = static_cast<CGeneratorView *>(row->data(0, kViewRole).value<void *>());
    if (!GeneratorViewRegistry::IsListed(view))
        return true;
    CGenerator *generator = view->GetGenerator(); // the current generator now
    const QString text = row->text(0);
    const double generatorVersion = generator->GetFirmwareVersion();
    progress.SetStatus(IDC_STATUS2, FormatString(IDS_FIRMWARE_SENDING, {VersionText(fileVersion), text,
                                                                        VersionText(generatorVersion)}));
    if (fileVersion < generatorVersion) {
        const int answer = MessageBox(this, PromptText(IDS_FIRMWARE_DOWNGRADE, {text}), PromptText(IDS_FIRMWARE_WARNING),
                                      MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDNO) {
            row->setSelected(false);
            return true;
        }
        if (answer != IDYES)
            return false;
    }
    QObject *main = m_host ? m_host->MessageWindow() : nullptr;
    if (main)
        SendMessage(main, WM_GENERATOR_BUSY, 1, ToLParam(view));
    const bool ok = generator->DownloadFirmware(folder, fileVersion, &progress, false);
    const bool dead = !ok && generator->FirmwareLeftDead();
    if (main) {
        SendMessage(main, WM_GENERATOR_BUSY, 0, ToLParam(view));
        // A flashed generator restarts; one whose flash failed half-way holds
        // its card and cannot start: either way its connection goes.
        if (ok || dead)
            SendMessage(main, WM_REMOVE_GENERATOR, 0, ToLParam(view));
    }
    if (!ok) {
        canceled();
        return false;
    }
    ++flashed;
    return true;
}
