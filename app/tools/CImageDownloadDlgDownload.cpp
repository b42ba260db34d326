// The Image Download tool's downloads: the placement check, the serial
// download file by line or stream card (one board, or a plane a board of a
// three-board model), the PCI rows, and the lookup table.
#include "CImageDownloadDlg.h"

#include "AppFolders.h"
#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "CValueEdit.h"
#include "CardStream.h"
#include "DialogControls.h"
#include "GeneratorViewHost.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>

#include <climits>
#include <memory>

namespace {

const char *const kBoardFiles[3] = {"RedImg.mem", "GreenImg.mem", "BlueImg.mem"};
constexpr char kSingleBoardFile[] = "ClrImg.mem";
const unsigned kDownloadingBoard[3] = {IDS_IMGDL_DOWNLOADING_RED, IDS_IMGDL_DOWNLOADING_GREEN,
                                       IDS_IMGDL_DOWNLOADING_BLUE};

// Closes a C stream when it goes.
struct FileCloser {
    void operator()(FILE *f) const
    {
        if (f)
            std::fclose(f);
    }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

UniqueFile OpenFile(const QString &path, const char *mode)
{
    return UniqueFile(std::fopen(QFile::encodeName(path).constData(), mode));
}

} // namespace

uint64_t CImageDownloadDlg::SerialPitch(int depth, int screenWidth)
{
    const uint64_t need = uint64_t(std::max(depth, 0)) * uint64_t(std::max(screenWidth, 0)) / 8;
    uint64_t pitch = 128;
    while (pitch < need)
        pitch *= 2;
    return pitch;
}

uint64_t CImageDownloadDlg::BoardPitch(int screenWidth)
{
    return CBitmapReader::PciPitch(screenWidth);
}

CImageDownloadDlg::Placement CImageDownloadDlg::ReadPlacement() const
{
    Placement at;
    at.x = m_x->GetInt();
    at.y = m_y->GetInt();
    at.screenWidth = CValueEdit::LeadingInt(FindControl<QLabel>(this, IDC_IMGDL_SCREEN_WIDTH)->text());
    at.screenHeight = CValueEdit::LeadingInt(FindControl<QLabel>(this, IDC_IMGDL_SCREEN_HEIGHT)->text());
    return at;
}

// The bitmap must lie on the screen, its start must fit the generator's
// command and, on PCI, its last byte the card's window: a block that does
// not would land elsewhere or past the memory.
bool CImageDownloadDlg::CheckPlacement(const Placement &at)
{
    const auto refuse = [this](const PromptText &text) {
        MessageBox(this, text, PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    };
    const int64_t width = m_reader.width;
    const int64_t height = m_reader.height;
    if (at.x < 0 || at.y < 0 || at.x + width > at.screenWidth || at.y + height > at.screenHeight)
        return refuse(PromptText(IDS_IMGDL_OFF_SCREEN,
                                 {QString::number(width), QString::number(height), QString::number(at.screenWidth),
                                  QString::number(at.screenHeight), QString::number(at.x), QString::number(at.y)}));
    uint64_t start = 0;
    if (m_isPci)
        start = uint64_t(at.y) * BoardPitch(at.screenWidth) + uint64_t(at.x);
    else if (m_multiBoard)
        start = uint64_t(at.x) + BoardPitch(at.screenWidth) * uint64_t(at.y);
    else
        start = SerialPitch(m_generatorDepth, at.screenWidth) * uint64_t(at.y)
            + uint64_t(m_generatorDepth) * uint64_t(at.x) / 8;
    if (start > uint64_t(INT_MAX))
        return refuse(PromptText(IDS_IMGDL_START_TOO_FAR, {QString::number(at.x), QString::number(at.y)}));
    if (m_isPci && !m_reader.FitsPciWindow(at.x, at.y, at.screenWidth))
        return refuse(PromptText(IDS_IMGDL_PAST_WINDOW, {QString::number(at.x), QString::number(at.y)}));
    return true;
}

void CImageDownloadDlg::OnDownload()
{
    CGeneratorView *view = SelectedView();
    if (!view || !view->GetGenerator() || !m_imageLoaded)
        return;
    CGenerator &gen = *view->GetGenerator();
    CGeneratorView::SetCurrentGenerator(&gen);
    if (m_isIsa) {
        MessageBox(this, PromptText(IDS_IMGDL_GPIB_OUT_OF_SERVICE), PromptText(IDS_IMGDL_ISA_CAPTION),
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (m_isGpib) {
        MessageBox(this, PromptText(IDS_IMGDL_GPIB_OUT_OF_SERVICE), PromptText(IDS_IMGDL_GPIB_CAPTION),
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!m_isSerial && !m_isPci)
        return;
    if (!CheckPlacement(ReadPlacement()))
        return;
    // The view is busy (no disconnect) and the generator stays while the
    // download runs.
    const QPointer<CGeneratorView> guarded(view);
    SendMessage(m_mainWindow, WM_GENERATOR_BUSY, 1, ToLParam(view));
    m_operating = true;
    {
        HostOperation operation(view->Host());
        Download(view, gen);
    }
    m_operating = false;
    if (guarded)
        SendMessage(m_mainWindow, WM_GENERATOR_BUSY, 0, ToLParam(guarded));
}

void CImageDownloadDlg::Download(CGeneratorView *view, CGenerator &gen)
{
    (void)view;
    if (m_isPci) {
        DownloadPci(gen);
        return;
    }
    // The card is had before the generator is told to expect data.
    std::unique_ptr<CardStream> card;
    if (!m_useYmodem->isChecked()) {
        card = std::make_unique<CardStream>();
        if (!card->Open()) {
            MessageBox(this, PromptText(IDS_IMGDL_FAILED), PromptText());
            return;
        }
    }
    if (!m_multiBoard) {
        DownloadSerial(gen, 0, card.get());
        return;
    }
    gen.CmdSbnk();
    gen.CmdOutgOn(false, false);
    gen.CmdAllu();
    gen.Delay(0.5);
    for (int board = 0; board < 3; ++board) {
        if (!m_boards[board]->isChecked())
            continue;
        // A transfer that stopped short leaves the generator reading data:
        // nothing more may be sent as commands.
        if (DownloadSerial(gen, board, card.get()) == BoardResult::Failed)
            return;
    }
    gen.CmdOutgOn(true, false);
    gen.CmdAllu();
    gen.Delay(1.0);
    gen.CmdSbnk();
}

CImageDownloadDlg::BoardResult CImageDownloadDlg::DownloadSerial(CGenerator &gen, int board, CardStream *card)
{
    const QString boardPath = AppDataFile(QLatin1String(m_multiBoard ? kBoardFiles[board] : kSingleBoardFile));
    const auto cannotOpen = [&] {
        MessageBox(this, PromptText(IDS_CANNOT_OPEN, {boardPath}), PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
    };
    UniqueFile out = OpenFile(boardPath, "wb");
    if (!out) {
        cannotOpen();
        return BoardResult::Skipped;
    }
    CProgressDlg progress(this, true);
    progress.SetStatus(IDC_STATUS1, LoadString(IDS_IMGDL_GENERATING));
    progress.SetStatus(IDC_STATUS2, LoadString(IDS_IMGDL_PLEASE_WAIT));
    const Placement at = ReadPlacement();
    const int rowWords = m_reader.WritePlaneFile(out.get(), &progress, m_multiBoard, board);
    const bool written = std::fflush(out.get()) == 0;
    out.reset();
    if (rowWords == 0 || !written) {
        progress.DestroyWindow();
        MessageBox(this, rowWords == 0 ? m_reader.GetFailureText() : PromptText(IDS_CANNOT_OPEN, {boardPath}),
                   PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        return BoardResult::Skipped;
    }
    const int64_t size = m_multiBoard ? int64_t(m_reader.width) * m_reader.height
                                      : int64_t(rowWords) * 4 * m_reader.height;
    progress.SetStatus(IDC_STATUS1, FormatString(m_multiBoard ? kDownloadingBoard[board] : unsigned(IDS_IMGDL_DOWNLOADING_FILE),
                                                 {m_fileName, QString::number(size)}));
    // Reopened before the first command: a generator told to expect data
    // waits for all of it.
    UniqueFile in = OpenFile(boardPath, "rb");
    if (!in) {
        progress.DestroyWindow();
        cannotOpen();
        return BoardResult::Skipped;
    }
    if (m_multiBoard) {
        const uint64_t pitch = BoardPitch(at.screenWidth);
        gen.CmdBdma(int(uint64_t(at.x) + pitch * uint64_t(at.y)), m_reader.width, int(m_reader.height), board);
    } else {
        const uint64_t pitch = SerialPitch(m_generatorDepth, at.screenWidth);
        gen.CmdOutgOn(false, false);
        gen.CmdAllu();
        gen.Delay(0.5);
        gen.CmdBdma(int(pitch * uint64_t(at.y) + uint64_t(m_generatorDepth) * uint64_t(at.x) / 8), rowWords * 4,
                    int(m_reader.height), board);
    }
    gen.CmdSerm(0);
    const bool sent = card ? card->Send(in.get(), &progress) : gen.SendFile(in.get(), &progress);
    if (!sent) {
        const bool cancelled = !card && progress.IsCancelled();
        progress.DestroyWindow();
        if (!cancelled)
            MessageBox(this, PromptText(IDS_IMGDL_FAILED), PromptText());
        return BoardResult::Failed;
    }
    gen.Delay(0.5);
    if (!m_multiBoard) {
        gen.CmdOutgOn(true, false);
        gen.CmdAllu();
        gen.Delay(1.0);
        SetLut(gen, progress);
    }
    progress.DestroyWindow();
    return BoardResult::Done;
}

void CImageDownloadDlg::DownloadPci(CGenerator &gen)
{
    const Placement at = ReadPlacement();
    const bool useDma = m_useDma->isChecked();
    CProgressDlg progress(this, false);
    progress.SetStatus(IDC_STATUS1, FormatString(IDS_IMGDL_DOWNLOADING, {m_fileName}));
    progress.SetStatus(IDC_STATUS2, LoadString(IDS_IMGDL_PLEASE_WAIT_DOTS));
    gen.CmdOutgOn(false, false);
    gen.CmdAllu();
    gen.Delay(0.5);
    const bool written = m_reader.WriteToPciMemory(&gen, &progress, at.x, at.y, at.screenWidth, at.screenHeight, useDma);
    // The outputs come back on even after a partial write.
    gen.CmdOutgOn(true, false);
    gen.CmdAllu();
    gen.Delay(1.0);
    if (written && SetLut(gen, progress))
        progress.SetStatus(IDC_STATUS2, LoadString(IDS_IMGDL_FINISHED));
    progress.DestroyWindow();
}

bool CImageDownloadDlg::SetLut(CGenerator &gen, CProgressDlg &progress)
{
    progress.SetStatus(IDC_STATUS1, LoadString(IDS_IMGDL_SETTING_LUT));
    std::vector<uint32_t> lut;
    if (!m_reader.ReadColorTable(lut)) {
        MessageBox(this, PromptText(IDS_IMGDL_NO_LUT), PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    gen.CmdSlut(0);
    gen.CmdLute();
    gen.CmdLmax(255);
    for (size_t i = 0; i < lut.size(); ++i) {
        progress.SetStatus(IDC_STATUS2, FormatString(IDS_IMGDL_LUT_INDEX, {QString::number(i)}));
        gen.CmdRgbwColor(int(i), lut[i]);
    }
    return true;
}
