#include "CImageDownloadDlg.h"

#include "CFractalCodec.h"
#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "CValueEdit.h"
#include "DialogControls.h"
#include "PortType.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ProfileKeys;

const QColor CImageDownloadDlg::kRed(0xFF, 0x00, 0x00);
const QColor CImageDownloadDlg::kYellow(0xFF, 0xFF, 0x00);
const QColor CImageDownloadDlg::kGreen(0x00, 0xFF, 0x00);

namespace {

const QColor kFieldYellow(0xFF, 0xFF, 0x80);
// What a blanked field shows: one space, so the field keeps its height.
const QString kBlank = QStringLiteral(" "); // resource-rule-ok: a blank, no text
const QColor kStartGreen(0x00, 0x80, 0x00);
constexpr int kCoordinateLimit = 65535;
// Firmware from which a generator takes image downloads over its own port.
constexpr double kDownloadFirmware = 7.04;
constexpr char kThreeBoardPrefix[] = "R72";
const int kBoardIds[3] = {IDC_IMGDL_RED, IDC_IMGDL_GREEN, IDC_IMGDL_BLUE};

} // namespace

CImageDownloadDlg::CImageDownloadDlg(QObject *mainWindow) : m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("CImageDownloadDlg"));
    BuildControls();
    OnInitDialog();
}

CImageDownloadDlg::~CImageDownloadDlg()
{
    m_reader.Close();
}

void CImageDownloadDlg::BuildControls()
{
    setWindowTitle(LoadString(IDS_IMGDL_TITLE));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *menuBar = new QMenuBar(this);
    QMenu *menu = menuBar->addMenu(LoadString(IDS_IMGDL_MENU_IMAGE));
    QAction *compress = menu->addAction(LoadString(IDS_IMGDL_MENU_COMPRESS));
    compress->setObjectName(ControlName(ID_IMAGE_COMPRESS));
    QAction *decompress = menu->addAction(LoadString(IDS_IMGDL_MENU_DECOMPRESS));
    decompress->setObjectName(ControlName(ID_IMAGE_DECOMPRESS));
    connect(compress, &QAction::triggered, this, [this] { OnCompress(); });
    connect(decompress, &QAction::triggered, this, [this] { OnDecompress(); });
    layout->setMenuBar(menuBar);

    auto *body = new QWidget(this);
    layout->addWidget(body);
    const QFont font = body->font();
    body->setFixedSize(DialogUnitsToPixelsX(font, 300), DialogUnitsToPixelsY(font, 180));

    AddControl<QLabel>(body, kNoControlId, 6, 7, 42, 8, LoadString(IDS_IMGDL_GENERATOR));
    m_generators = AddControl<QComboBox>(body, IDC_EDITOR_GENERATOR, 50, 4, 244, 14);
    AddControl<QLabel>(body, kNoControlId, 6, 25, 42, 8, LoadString(IDS_IMGDL_IMAGE_FILE));
    auto *path = AddControl<QLabel>(body, IDC_IMGDL_PATH, 50, 23, 190, 12, kBlank);
    auto *browse = AddControl<QPushButton>(body, IDC_IMGDL_BROWSE, 244, 22, 50, 14, LoadString(IDS_IMGDL_BROWSE));

    const struct {
        unsigned title;
        int x;
        int first;
    } groups[] = {{IDS_IMGDL_SCREEN_DIMENSIONS, 6, IDC_IMGDL_SCREEN_WIDTH},
                  {IDS_IMGDL_IMAGE_DIMENSIONS, 154, IDC_IMGDL_IMAGE_WIDTH}};
    QList<QLabel *> fields = {path};
    for (const auto &g : groups) {
        AddControl<QGroupBox>(body, kNoControlId, g.x, 40, 140, 50, LoadString(g.title));
        const unsigned names[3] = {IDS_IMGDL_WIDTH, IDS_IMGDL_HEIGHT, IDS_IMGDL_DEPTH};
        for (int row = 0; row < 3; ++row) {
            AddControl<QLabel>(body, kNoControlId, g.x + 8, 52 + 12 * row, 40, 8, LoadString(names[row]));
            fields.append(AddControl<QLabel>(body, g.first + row, g.x + 52, 51 + 12 * row, 80, 10, kBlank));
        }
    }
    for (QLabel *field : fields)
        SetStaticColours(field, Qt::black, kFieldYellow);

    AddControl<QGroupBox>(body, kNoControlId, 6, 94, 90, 50, LoadString(IDS_IMGDL_BOARDS));
    const unsigned boardNames[3] = {IDS_IMGDL_RED, IDS_IMGDL_GREEN, IDS_IMGDL_BLUE};
    for (int b = 0; b < 3; ++b) {
        m_boards[b] = AddControl<QCheckBox>(body, kBoardIds[b], 14, 105 + 12 * b, 70, 10, LoadString(boardNames[b]));
        connect(m_boards[b], &QCheckBox::clicked, this, [this] {
            if (m_multiBoard)
                Validate();
        });
    }
    AddControl<QGroupBox>(body, kNoControlId, 102, 94, 90, 50, LoadString(IDS_IMGDL_COORDINATES));
    AddControl<QLabel>(body, kNoControlId, 110, 108, 12, 8, LoadString(IDS_IMGDL_X));
    m_x = AddControl<CValueEdit>(body, IDC_IMGDL_X, 124, 106, 60, 12);
    AddControl<QLabel>(body, kNoControlId, 110, 126, 12, 8, LoadString(IDS_IMGDL_Y));
    m_y = AddControl<CValueEdit>(body, IDC_IMGDL_Y, 124, 124, 60, 12);
    AddControl<QGroupBox>(body, kNoControlId, 198, 94, 96, 24, LoadString(IDS_IMGDL_PCI_OPTION));
    m_useDma = AddControl<QCheckBox>(body, IDC_IMGDL_USE_DMA, 206, 104, 80, 10, LoadString(IDS_IMGDL_USE_DMA));
    AddControl<QGroupBox>(body, kNoControlId, 198, 120, 96, 24, LoadString(IDS_IMGDL_SERIAL_OPTION));
    m_useYmodem = AddControl<QCheckBox>(body, IDC_IMGDL_USE_YMODEM, 206, 130, 80, 10, LoadString(IDS_IMGDL_USE_YMODEM));

    m_status = AddControl<QLabel>(body, IDC_IMGDL_STATUS, 6, 148, 288, 12, kBlank);
    m_download = AddControl<QPushButton>(body, IDC_IMGDL_DOWNLOAD, 6, 164, 60, 14, LoadString(IDS_IMGDL_DOWNLOAD));
    auto *close = AddControl<QPushButton>(body, IDCANCEL, 234, 164, 60, 14, LoadString(IDS_IMGDL_CLOSE));

    connect(m_generators, &QComboBox::currentIndexChanged, this, [this] { OnSelectGenerator(); });
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(m_download, &QPushButton::clicked, this, [this] { OnDownload(); });
    connect(close, &QPushButton::clicked, this, [this] { hide(); });
}

void CImageDownloadDlg::OnInitDialog()
{
    m_statusColour = kStartGreen;
    for (CValueEdit *edit : {m_x, m_y}) {
        edit->m_integerOnly = true;
        edit->m_rangeCheck = true;
        edit->m_minimum = 0;
        edit->m_maximum = kCoordinateLimit;
        edit->SetInt(0);
    }
    m_download->setEnabled(false);
    for (QCheckBox *box : m_boards)
        box->setEnabled(false);
    OnSelectGenerator();
    for (QCheckBox *box : {m_useDma, m_useYmodem}) {
        box->setChecked(false);
        box->setEnabled(false);
    }
}

// --- Generators --------------------------------------------------------------

void CImageDownloadDlg::AddGenerator(CGeneratorView *view)
{
    if (!view || !view->GetGenerator())
        return;
    QString model, firmware, serial;
    view->GetIdentity(model, firmware, serial);
    m_generators->addItem(FormatString(IDS_GENERATOR_ON_PORT, {model, view->GetGenerator()->GetPortName()}),
                          QVariant::fromValue(static_cast<void *>(view)));
}

void CImageDownloadDlg::RemoveGenerator(CGeneratorView *view)
{
    const int index = m_generators->findData(QVariant::fromValue(static_cast<void *>(view)));
    if (index < 0)
        return;
    if (index == m_generators->currentIndex()) {
        const QSignalBlocker quiet(m_generators);
        m_generators->setCurrentIndex(-1);
        OnSelectGenerator();
    }
    const QSignalBlocker quiet(m_generators);
    m_generators->removeItem(index);
}

CGeneratorView *CImageDownloadDlg::SelectedView() const
{
    const int index = m_generators->currentIndex();
    return index < 0 ? nullptr : static_cast<CGeneratorView *>(m_generators->itemData(index).value<void *>());
}

void CImageDownloadDlg::Blank(int id)
{
    if (auto *label = FindControl<QLabel>(this, id))
        label->setText(kBlank);
}

void CImageDownloadDlg::OnSelectGenerator()
{
    m_download->setEnabled(false);
    for (int id : {IDC_IMGDL_SCREEN_WIDTH, IDC_IMGDL_SCREEN_HEIGHT, IDC_IMGDL_SCREEN_DEPTH})
        Blank(id);
    for (QCheckBox *box : m_boards) {
        box->setChecked(false);
        box->setEnabled(false);
    }
    // The port options belong to the generator they were offered for.
    m_useDma->setEnabled(false);
    m_useYmodem->setEnabled(false);
    m_multiBoard = m_isSerial = m_isGpib = m_isPci = m_isIsa = m_generatorValid = false;
    m_generatorDepth = 0;
    CGeneratorView *view = SelectedView();
    if (!view || !view->GetGenerator()) {
        Validate();
        return;
    }
    CGenerator &gen = *view->GetGenerator();
    CGeneratorView::SetCurrentGenerator(&gen);
    m_multiBoard = m_generators->currentText().startsWith(QLatin1String(kThreeBoardPrefix), Qt::CaseInsensitive);
    switch (PortTypeOf(gen.GetPort())) {
    case PortType::Isa: m_isIsa = true; break;
    case PortType::Com: m_isSerial = true; break;
    case PortType::Pci: m_isPci = true; break;
    case PortType::Gpib: m_isGpib = true; break;
    default: return;
    }
    FindControl<QLabel>(this, IDC_IMGDL_SCREEN_WIDTH)->setText(QString::number(gen.QueryHres()));
    FindControl<QLabel>(this, IDC_IMGDL_SCREEN_HEIGHT)->setText(QString::number(gen.QueryVres()));
    m_generatorDepth = m_multiBoard ? 36 : gen.QueryPeld(true);
    FindControl<QLabel>(this, IDC_IMGDL_SCREEN_DEPTH)
        ->setText(m_generatorDepth == 0 ? LoadString(IDS_IMGDL_UNKNOWN_DEPTH) : QString::number(m_generatorDepth));
    if (!m_isIsa && gen.GetFirmwareVersion() < kDownloadFirmware - 1e-9) {
        SetStatus(IDS_IMGDL_OLD_FIRMWARE, kRed);
        return;
    }
    if (m_multiBoard) {
        bool present[3] = {};
        gen.QueryVbpr(present[0], present[1], present[2]);
        if (!present[0] && !present[1] && !present[2]) {
            SetStatus(IDS_IMGDL_NO_BOARDS, kRed);
            return;
        }
        for (int b = 0; b < 3; ++b) {
            m_boards[b]->setEnabled(present[b]);
            m_boards[b]->setChecked(present[b]);
        }
    }
    m_useDma->setEnabled(m_isPci);
    m_useYmodem->setEnabled(m_isSerial);
    m_generatorValid = true;
    Validate();
}

void CImageDownloadDlg::SetStatus(unsigned textId, const QColor &colour)
{
    m_statusColour = colour;
    m_status->setText(LoadString(textId));
    SetStaticColours(m_status, colour, Qt::black);
}

QString CImageDownloadDlg::StatusText() const
{
    return m_status->text();
}

// Download is offered only when the status ends on "OK ---->".
void CImageDownloadDlg::Validate()
{
    m_download->setEnabled(false);
    if (!m_imageLoaded) {
        SetStatus(IDS_IMGDL_NO_IMAGE, kRed);
        return;
    }
    if (!m_generatorValid) {
        SetStatus(IDS_IMGDL_NO_GENERATOR, kRed);
        return;
    }
    if (m_multiBoard && !m_boards[0]->isChecked() && !m_boards[1]->isChecked() && !m_boards[2]->isChecked()) {
        SetStatus(IDS_IMGDL_NO_BOARD_SELECTED, kRed);
        return;
    }
    const int depth = CValueEdit::LeadingInt(FindControl<QLabel>(this, IDC_IMGDL_IMAGE_DEPTH)->text());
    if (m_generatorDepth == 0)
        SetStatus(IDS_IMGDL_DEPTH_UNKNOWN, kYellow);
    if (depth != 4 && depth != 8) {
        SetStatus(IDS_IMGDL_ONLY_4_OR_8, kRed);
        return;
    }
    if (depth == 8 && m_generatorDepth != 8) {
        SetStatus(IDS_IMGDL_DEPTH_MISMATCH, kRed);
        return;
    }
    m_download->setEnabled(true);
    SetStatus(IDS_IMGDL_OK, kGreen);
}

// --- The bitmap -----------------------------------------------------------------

void CImageDownloadDlg::Refuse(const QString &path)
{
    (void)path;
    m_imageLoaded = false;
    m_reader.Close();
    for (int id : {IDC_IMGDL_PATH, IDC_IMGDL_IMAGE_WIDTH, IDC_IMGDL_IMAGE_HEIGHT, IDC_IMGDL_IMAGE_DEPTH})
        Blank(id);
    Validate();
}

void CImageDownloadDlg::OnBrowse()
{
    FileRequest request;
    request.parent = this;
    request.filter = LoadString(IDS_IMGDL_BITMAP_FILTER);
    request.folder = GetProfileString(kFolders, kImageDownload);
    const FileResult result = PromptForFile(request);
    if (!result.accepted || result.paths.isEmpty())
        return;
    const QString path = result.paths.front();
    const QFileInfo info(path);
    m_path = path;
    m_fileName = info.fileName();
    WriteProfileString(kFolders, kImageDownload, info.absolutePath() + QLatin1Char('/'));
    if (info.suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) != 0) {
        MessageBox(this, PromptText(IDS_IMGDL_BAD_FILE_TYPE), PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        Refuse(path);
        return;
    }
    if (!m_reader.Open(path)) {
        // The reader says why in its dump; the user hears it too.
        MessageBox(this, m_reader.GetFailureText(), PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        Refuse(path);
        return;
    }
    if (m_generatorValid && !m_multiBoard && m_reader.depth > 8) {
        MessageBox(this, PromptText(IDS_IMGDL_DEPTH_TOO_DEEP), PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        Refuse(path);
        return;
    }
    m_imageLoaded = true;
    FindControl<QLabel>(this, IDC_IMGDL_PATH)->setText(path);
    FindControl<QLabel>(this, IDC_IMGDL_IMAGE_WIDTH)->setText(QString::number(m_reader.width));
    FindControl<QLabel>(this, IDC_IMGDL_IMAGE_HEIGHT)->setText(QString::number(m_reader.height));
    FindControl<QLabel>(this, IDC_IMGDL_IMAGE_DEPTH)->setText(QString::number(m_reader.depth));
    Validate();
}

// --- Fractal files ----------------------------------------------------------------

void CImageDownloadDlg::OnCompress()
{
    if (!m_imageLoaded)
        return;
    const QString path = FindControl<QLabel>(this, IDC_IMGDL_PATH)->text();
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString output = (dot < 0 ? path : path.left(dot)) + QStringLiteral(".xrf");
    m_operating = true;
    CProgressDlg progress(this, false);
    m_reader.CompressFractal(output, &progress);
    progress.DestroyWindow();
    m_operating = false;
}

void CImageDownloadDlg::OnDecompress()
{
    FileRequest request;
    request.parent = this;
    request.filter = LoadString(IDS_IMGDL_FRACTAL_FILTER);
    request.folder = GetProfileString(kFolders, kImageDownload);
    const FileResult result = PromptForFile(request);
    if (!result.accepted || result.paths.isEmpty())
        return;
    const QString path = result.paths.front();
    WriteProfileString(kFolders, kImageDownload, QFileInfo(path).absolutePath() + QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString output = (dot < 0 ? path : path.left(dot)) + QStringLiteral("0.dat");
    m_operating = true;
    CProgressDlg progress(this, false);
    CFractalCodec codec;
    codec.SetFiles(path, output, 0);
    const int error = codec.Decompress(&progress, 1, 1, 10, 1.0, 5, 7);
    progress.DestroyWindow();
    m_operating = false;
    if (error == 0)
        MessageBox(this, PromptText(IDS_IMGDL_SUCCESS, {QString::number(codec.AllocatedBytes())}), PromptText());
    else
        MessageBox(this, PromptText(IDS_IMGDL_FAILURE, {QString::number(error)}), PromptText());
}
