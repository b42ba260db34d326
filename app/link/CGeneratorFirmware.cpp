// Firmware download by port kind: the serial, GPIB and PCI paths and the
// dispatch (the ISA path is CGeneratorFirmwareIsa.cpp). The library work of
// the GPIB and PCI paths runs as routines on the port thread.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "LinkRoutines.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "RoutineStop.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace {

constexpr char kFirmwareName[] = "firmware.bin";
constexpr double kSettleSeconds = 0.25; // after "ALLU", before the transfer
constexpr long kGpibNewFormatSince = 7040; // thousandths: "FLSH %d" instead of a block
constexpr int kPciStatusBytes = 25600;  // "Sent %d Bytes" this often, one routine each
constexpr uint32_t kPciFlashSuccess = 0x10000000;

void FirmwareStatus(CProgressDlg* progress, int line, const QString& text)
{
    if (progress)
        progress->SetStatus(line, text);
}

bool FirmwareCancelled(CProgressDlg* progress) { return progress && progress->IsCancelled(); }

void FirmwareBox(const PromptText& text, unsigned captionId = IDS_FIRMWARE_ERROR, unsigned icon = MB_ICONWARNING)
{
    MessageBox(nullptr, text, PromptText(captionId), MB_OK | icon);
}

} // namespace

bool CGenerator::DownloadFirmware(const QString& folder, double fileVersion, CProgressDlg* progress, bool directPort)
{
    (void)fileVersion; // each path reads what it needs from the file itself
    m_firmwareDead = false;
    const QString file = QDir(folder).filePath(QLatin1String(kFirmwareName));
    switch (GetPortType()) {
    case PortType::Isa: return FirmwareByIsa(file, progress);
    case PortType::Com: return FirmwareBySerial(file, progress);
    case PortType::Pci: return directPort ? FirmwareByPciDirect(file) : FirmwareByPci(file, progress);
    case PortType::Gpib: return FirmwareByGpib(file, progress);
    default: return false;
    }
}

bool CGenerator::FirmwareBySerial(const QString& file, CProgressDlg* progress)
{
    CmdOutg(0);
    CmdAllu();
    Delay(kSettleSeconds);
    if (!CmdYmdi())
        return false;
    QString error;
    const bool sent = YmodemSend({file}, progress, error);
    if (!sent && !error.isEmpty())
        FirmwareBox(error, IDS_FIRMWARE_ERROR, MB_ICONERROR);
    return sent;
}

bool CGenerator::FirmwareByGpib(const QString& file, CProgressDlg* progress)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        FirmwareBox(PromptText(IDS_CANNOT_OPEN, {QDir::toNativeSeparators(file)}), IDS_ERROR);
        return false;
    }
    const qint64 length = f.size();
    f.close();
    FirmwareStatus(progress, IDC_STATUS1, FormatString(IDS_FIRMWARE_GPIB_SENDING, {QString::number(length)}));
    FirmwareStatus(progress, IDC_STATUS2, LoadString(IDS_FIRMWARE_GPIB_FRONT_PANEL));
    CmdOutg(0);
    CmdAllu();
    Delay(kSettleSeconds);
    const int32_t newFormat = std::lround(GetFirmwareVersion() * 1000.0) >= kGpibNewFormatSince ? 1 : 0;
    const QByteArray path = QFile::encodeName(file);
    int32_t sent = 0;
    QString why;
    LinkRoutines::Run(*this, [&](ToolLibrary& lib) {
        sent = lib.GpibSendFlashFile(lib.Port(), path.constData(), int32_t(length), newFormat);
        if (!sent)
            why = lib.ErrorText();
    });
    if (!sent)
        FirmwareBox(why.isEmpty() ? PromptText(IDS_FIRMWARE_CANCELED) : PromptText(why));
    return sent != 0;
}

CGenerator::FirmwareFailureBox CGenerator::PciFlashFailure(uint32_t word)
{
    switch (word) {
    case 0: return {IDS_FIRMWARE_CRITICAL, IDS_FIRMWARE_NOT_COMPLETED, {}};
    case 8: return {IDS_FIRMWARE_ERROR, IDS_FIRMWARE_NO_BOARDS, {}};
    case 16: return {IDS_FIRMWARE_ERROR, IDS_FIRMWARE_BAD_VERSION, {}};
    case 32: return {IDS_FIRMWARE_ERROR, IDS_FIRMWARE_BAD_SIZE, {}};
    case 64: return {IDS_FIRMWARE_ERROR, IDS_FIRMWARE_BAD_ID, {}};
    case 0x20000: return {IDS_FIRMWARE_ERROR, IDS_FIRMWARE_NO_RAM, {}};
    default: break;
    }
    if (word & 1) {
        const auto half = [](bool bad) { return LoadString(bad ? IDS_FIRMWARE_BAD : IDS_FIRMWARE_OK); };
        return {IDS_FIRMWARE_INVALID, IDS_FIRMWARE_CHECKSUM_HALVES, {half(word & 2), half(word & 4)}};
    }
    return {IDS_FIRMWARE_INVALID, IDS_FIRMWARE_UNKNOWN_ERROR, {}};
}

bool CGenerator::FirmwareByPci(const QString& file, CProgressDlg* progress)
{
    if (FirmwareCancelled(progress))
        return false;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        FirmwareBox(PromptText(IDS_CANNOT_OPEN, {QDir::toNativeSeparators(file)}));
        return false;
    }
    const QByteArray bytes = f.readAll();
    f.close();
    FirmwareStatus(progress, IDC_STATUS1,
           FormatString(IDS_FIRMWARE_FILE_BYTES, {QDir::toNativeSeparators(file), QString::number(bytes.size())}));
    CmdOutg(0);
    CmdAllu();
    Delay(kSettleSeconds);

    RoutineStop stop;
    if (progress)
        stop.AddButton(progress->CancelButton());
    bool bound = false;
    QString why;
    LinkRoutines::Run(*this, stop, [&](ToolLibrary& lib) {
        bound = lib.XR_PortPrepareRemoteCall(lib.Port(), nullptr, 0) != 0;
        if (!bound)
            why = lib.ErrorText();
    });
    if (!bound) {
        FirmwareBox(why.isEmpty() ? PromptText(IDS_FIRMWARE_CANCELED) : PromptText(why));
        return false;
    }

    // The card takes each 4-byte group the other way round; the last group
    // is padded with zeros, and nothing beyond the file is written.
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qint64 size = bytes.size();
    bool written = true;
    for (qint64 start = 0; start < size && written; start += kPciStatusBytes) {
        FirmwareStatus(progress, IDC_STATUS2, FormatString(IDS_FIRMWARE_SENT_BYTES, {QString::number(start)}));
        if (FirmwareCancelled(progress) || stop.Requested())
            return false;
        const qint64 end = std::min(size, start + kPciStatusBytes);
        LinkRoutines::Run(*this, stop, [&](ToolLibrary& lib) {
            lib.XR_PortPrepare(lib.Port());
            for (qint64 at = start; at < end; at += 4) {
                uint32_t word = 0;
                for (int i = 0; i < 4; ++i)
                    word = word << 8 | (at + i < size ? data[at + i] : 0u);
                if (!lib.PciWriteData(word, uint32_t(at), 4) || lib.Error() != 0) {
                    written = false;
                    why = lib.ErrorText();
                    return;
                }
            }
        });
    }
    if (!written) {
        FirmwareBox(why.isEmpty() ? PromptText(IDS_FIRMWARE_CANCELED) : PromptText(why));
        return false;
    }

    FirmwareStatus(progress, IDC_STATUS2, LoadString(IDS_FIRMWARE_FLASHING_ROMS));
    uint32_t result = 0;
    LinkRoutines::Run(*this, [&](ToolLibrary& lib) {
        if (lib.XR_PortPrepareRemoteCall(lib.Port(), nullptr, 0) != 0)
            result = lib.XR_FlashFromVMEM();
    });
    if (result == kPciFlashSuccess) {
        LinkRoutines::Run(*this, [](ToolLibrary& lib) { lib.PciResetCard(lib.Port()); });
        return true;
    }
    const FirmwareFailureBox box = PciFlashFailure(result);
    FirmwareBox(PromptText(box.textId, box.inserts), box.captionId);
    return false;
}

bool CGenerator::FirmwareByPciDirect(const QString& file)
{
    // Erasing without programming would leave the card without firmware.
    (void)file;
    FirmwareBox(PromptText(IDS_FIRMWARE_PCI_DIRECT_UNSUPPORTED));
    return false;
}
