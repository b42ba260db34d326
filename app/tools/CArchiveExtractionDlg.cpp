#include "CArchiveExtractionDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "GeneratorViewHost.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kExtractPictureRole = Qt::UserRole;
constexpr double kExtractTreeDirectoriesFrom = 2.898;
constexpr double kExtractTreeCommandsFrom = 3.0;
constexpr double kExtractObjectFilesAbove = 7.0;
constexpr double kExtractAllFilesAbove = 7.04;

QString ExtractFolderSeparated(const QString& folder)
{
    return folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

CArchiveExtractionDlg::CArchiveExtractionDlg(CMainWindow* owner)
{
    (void)owner;
    setObjectName(QStringLiteral("ArchiveExtraction"));
    setWindowTitle(LoadString(IDS_EXTRACTION_TITLE));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("tree%1").arg(IDC_EXTRACT_TREE));
    m_tree->setHeaderHidden(true);
    m_archive = new QPushButton(LoadString(IDS_EXTRACTION_ARCHIVE), this);
    m_archive->setObjectName(QStringLiteral("button%1").arg(IDC_EXTRACT_ARCHIVE));
    m_close = new QPushButton(LoadString(IDS_EXTRACTION_CLOSE), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_archive);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);
    resize(380, 420);
    m_archive->setEnabled(false);
    QObject::connect(m_archive, &QPushButton::clicked, this, [this] { OnArchive(); });
    QObject::connect(m_close, &QPushButton::clicked, this, [this] { hide(); });
    QObject::connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) { OnClick(row); });
    QObject::connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
                     [this](QTreeWidgetItem* row) { OnDoubleClick(row); });
}

CArchiveExtractionDlg::~CArchiveExtractionDlg() = default;

// The window never gets smaller than it first showed.
void CArchiveExtractionDlg::showEvent(QShowEvent* event)
{
    CToolWindow::showEvent(event);
    if (minimumSize().isNull())
        setMinimumSize(size());
}

int CArchiveExtractionDlg::PictureOf(const QTreeWidgetItem* row)
{
    return row ? row->data(0, kExtractPictureRole).toInt() : -1;
}

QTreeWidgetItem* CArchiveExtractionDlg::AddRow(QTreeWidgetItem* parent, const QString& text, int picture)
{
    auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    row->setText(0, text);
    row->setData(0, kExtractPictureRole, picture);
    return row;
}

QTreeWidgetItem* CArchiveExtractionDlg::AddCheckRow(QTreeWidgetItem* parent, unsigned textId, int picture,
                                                    bool checked)
{
    QTreeWidgetItem* row = AddRow(parent, LoadString(textId), picture);
    row->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return row;
}

ExtractItem* CArchiveExtractionDlg::ItemOf(QTreeWidgetItem* row) const
{
    while (row && row->parent())
        row = row->parent();
    for (const auto& item : m_items)
        if (item->root == row)
            return item.get();
    return nullptr;
}

void CArchiveExtractionDlg::AddGenerator(CGeneratorView* view)
{
    CGenerator* generator = view ? view->GetGenerator() : nullptr;
    if (!generator)
        return;
    auto item = std::make_unique<ExtractItem>();
    item->view = view;
    item->folder = GetProfileString(QLatin1String(ProfileKeys::kFolders), QLatin1String(ProfileKeys::kExtract));
    QString model;
    QString firmware;
    QString serial;
    view->GetIdentity(model, firmware, serial);
    const PortType type = generator->GetPortType();
    const bool card = type == PortType::Isa || type == PortType::Pci;
    QTreeWidgetItem* root
        = AddRow(nullptr, FormatString(IDS_ARCHIVE_GENERATOR_ROW, {model, generator->GetPortName()}),
                 card ? kCardRow : kComRow);
    root->setCheckState(0, Qt::Unchecked);
    item->root = root;
    AddRow(root, FormatString(IDS_ARCHIVE_FIRMWARE_VERSION, {firmware}), kInfoRow);
    AddRow(root, FormatString(IDS_ARCHIVE_SERIAL_NUMBER, {serial}), kInfoRow);

    const double version = generator->GetFirmwareVersion();
    const IsaMemoryMap& map = generator->GetIsaMemoryMap();
    if (type == PortType::Isa && version < kExtractTreeCommandsFrom && map.beta) {
        item->locked = true;
        AddRow(root, LoadString(IDS_EXTRACTION_BETA), kUnknownRow);
    } else if (type == PortType::Isa && map.imageData == 0) {
        // No row of the map: every table would be read at address 0.
        item->locked = true;
        AddRow(root, FormatString(IDS_EXTRACTION_NO_LAYOUT, {firmware}), kUnknownRow);
    } else if (type == PortType::Gpib || type == PortType::Pci) {
        item->locked = true;
        AddRow(root, FormatString(IDS_EXTRACTION_NO_PORT_TYPE, {generator->GetPortName()}), kUnknownRow);
    } else {
        QTreeWidgetItem* destination = AddRow(root, LoadString(IDS_EXTRACTION_DESTINATION), kInfoRow);
        QFont bold = destination->font(0);
        bold.setBold(true);
        destination->setFont(0, bold);
        AddRow(destination, QDir::toNativeSeparators(item->folder), kFolderRow);
        destination->setExpanded(true);
        QTreeWidgetItem* files = AddRow(root, LoadString(IDS_EXTRACTION_FILES), kInfoRow);
        files->setFont(0, bold);
        AddCheckRow(files, IDS_ARCHIVE_FORMAT_MEMORY, kFormatRow, true);
        AddCheckRow(files, IDS_ARCHIVE_IMAGE_MEMORY, kImageRow, true);
        AddCheckRow(files, IDS_ARCHIVE_SEQUENCE_MEMORY, kSequenceRow, true);
        AddCheckRow(files, version < kExtractTreeDirectoriesFrom ? IDS_ARCHIVE_KNOB_LISTS : IDS_ARCHIVE_DIR_PATH_MEMORY,
                    kKnobRow, true);
        if (version > kExtractObjectFilesAbove) {
            AddCheckRow(files, IDS_ARCHIVE_FONT_MEMORY, kFontRow, false);
            AddCheckRow(files, IDS_ARCHIVE_LUT_MEMORY, kLutRow, false);
            AddCheckRow(files, IDS_ARCHIVE_BITMAP_MEMORY, kBitmapRow, false);
            AddCheckRow(files, IDS_ARCHIVE_ALIAS_MEMORY, kAliasRow, false);
            AddCheckRow(files, IDS_ARCHIVE_FIRMWARE_MEMORY, kFirmwareRow, false);
        }
        files->setExpanded(true);
    }
    root->setExpanded(true);
    m_items.push_back(std::move(item));
}

void CArchiveExtractionDlg::RemoveGenerator(CGeneratorView* view)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if ((*it)->view == view) {
            delete (*it)->root;
            m_items.erase(it);
            break;
        }
    }
    UpdateArchive();
}

void CArchiveExtractionDlg::SetBusy(int busy)
{
    m_tree->setEnabled(!busy);
    m_close->setEnabled(!busy);
    if (busy)
        m_archive->setEnabled(false);
    else
        UpdateArchive();
    update();
}

void CArchiveExtractionDlg::UpdateArchive()
{
    bool any = false;
    for (const auto& item : m_items)
        any = any || item->selected;
    m_archive->setEnabled(any && !m_operating);
}

void CArchiveExtractionDlg::OnClick(QTreeWidgetItem* row)
{
    ExtractItem* item = ItemOf(row);
    if (!item || m_operating)
        return;
    if (row == item->root) {
        item->selected = !item->selected && !item->locked;
        row->setCheckState(0, item->selected ? Qt::Checked : Qt::Unchecked);
        UpdateArchive();
        return;
    }
    bool* field = nullptr;
    switch (PictureOf(row)) {
    case kFormatRow: field = &item->formats; break;
    case kImageRow: field = &item->images; break;
    case kSequenceRow: field = &item->sequences; break;
    case kKnobRow: field = &item->knobs; break;
    case kFontRow: field = &item->fonts; break;
    case kLutRow: field = &item->luts; break;
    case kBitmapRow: field = &item->bitmaps; break;
    case kAliasRow: field = &item->aliases; break;
    case kFirmwareRow: field = &item->firmware; break;
    default: return;
    }
    *field = !*field;
    row->setCheckState(0, *field ? Qt::Checked : Qt::Unchecked);
}

void CArchiveExtractionDlg::OnDoubleClick(QTreeWidgetItem* row)
{
    ExtractItem* item = ItemOf(row);
    if (!item || m_operating || !item->view)
        return;
    const double version = item->view->GetGenerator()->GetFirmwareVersion();
    switch (PictureOf(row)) {
    case kFolderRow: {
        const QString chosen = BrowseForFolder({this, LoadString(IDS_EXTRACTION_CHOOSE_FOLDER), item->folder});
        if (chosen.isEmpty())
            return;
        item->folder = ExtractFolderSeparated(QDir::fromNativeSeparators(chosen));
        row->setText(0, QDir::toNativeSeparators(item->folder));
        WriteProfileString(QLatin1String(ProfileKeys::kFolders), QLatin1String(ProfileKeys::kExtract), item->folder);
        return;
    }
    case kFormatRow:
        if (version > kExtractAllFilesAbove) {
            item->allFormats = !item->allFormats;
            row->setText(0, LoadString(item->allFormats ? IDS_ARCHIVE_ALL_FORMAT_MEMORY : IDS_ARCHIVE_FORMAT_MEMORY));
        }
        return;
    case kFontRow:
        if (version > kExtractAllFilesAbove) {
            item->allFonts = !item->allFonts;
            row->setText(0, LoadString(item->allFonts ? IDS_ARCHIVE_ALL_FONT_MEMORY : IDS_ARCHIVE_FONT_MEMORY));
        }
        return;
    default:
        return;
    }
}

// Each chosen generator needs a folder that exists, and one of its own.
bool CArchiveExtractionDlg::CheckFolders(const std::vector<ExtractItem*>& chosen)
{
    for (size_t i = 0; i < chosen.size(); ++i) {
        const ExtractItem& item = *chosen[i];
        if (item.folder.isEmpty() || !QFileInfo(item.folder).isDir()) {
            MessageBox(this, PromptText(IDS_EXTRACTION_NO_FOLDER, {item.root->text(0)}),
                       PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
            return false;
        }
        const QString canonical = QFileInfo(item.folder).canonicalFilePath();
        for (size_t j = 0; j < i; ++j) {
            if (QFileInfo(chosen[j]->folder).canonicalFilePath() == canonical) {
                MessageBox(this,
                           PromptText(IDS_EXTRACTION_SAME_FOLDER, {chosen[j]->root->text(0), item.root->text(0),
                                                                   QDir::toNativeSeparators(item.folder)}),
                           PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
                return false;
            }
        }
    }
    return true;
}

void CArchiveExtractionDlg::OnArchive()
{
    std::vector<ExtractItem*> chosen;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        ExtractItem* item = ItemOf(m_tree->topLevelItem(i));
        if (item && item->selected && !item->locked && item->view)
            chosen.push_back(item);
    }
    if (chosen.empty() || !CheckFolders(chosen))
        return;
    if (MessageBox(this, PromptText(IDS_EXTRACTION_WARNING), PromptText(IDS_EXTRACTION_WARNING_CAPTION),
                   MB_YESNO | MB_ICONQUESTION)
        != IDYES)
        return;

    m_operating = true;
    SetBusy(1);
    CProgressDlg progress(this, true);
    for (size_t i = 0; i < chosen.size(); ++i) {
        ExtractItem& item = *chosen[i];
        if (!item.view)
            continue;
        const QString rowText = item.root->text(0);
        const QString folder = item.folder;
        progress.SetStatus(IDC_STATUS1, FormatString(IDS_EXTRACTION_FROM, {rowText}));
        const bool done = Extract(item, progress);
        // The restoration tool shows this folder: it changed (or not).
        if (m_restoration)
            m_restoration->RescanIfFolder(folder);
        if (done)
            continue;
        if (progress.IsCancelled())
            break; // the user's own stop needs no box
        const QString failed = FormatString(IDS_EXTRACTION_FAILED, {rowText, QDir::toNativeSeparators(folder)});
        bool later = false;
        for (size_t j = i + 1; j < chosen.size(); ++j)
            later = later || (chosen[j]->view && chosen[j]->selected);
        if (!later) {
            MessageBox(this, failed, PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
            break;
        }
        if (MessageBox(this, PromptText(IDS_EXTRACTION_CONTINUE, {failed}), PromptText(IDS_EXTRACT_ERROR),
                       MB_YESNO | MB_ICONSTOP)
            != IDYES)
            break;
    }
    progress.DestroyWindow();
    m_operating = false;
    SetBusy(0);
}
