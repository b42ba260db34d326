// Firmware download over the ISA host port: the program reads the card's
// identity, finds its flash parts and programs and verifies them word by
// word through the graphics processor's host interface. Each sector, the
// erase and each verified sector is one routine on the port thread; the
// progress lines are written between them. The status polls are bounded by
// the port's clock: a part that never finishes fails like a bad word.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "LinkRoutines.h"
#include "PortBackend.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include <QFile>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kIdentity = 0x6000000;
constexpr uint32_t kIdentitySecond = 0x6000010;
constexpr uint32_t kIdentityThird = 0x6000020;
constexpr uint32_t kIdentityDigitStep = 128;
constexpr int kIdentityDigits = 6;
constexpr uint32_t kKeyFloor = 0x96105; // keys below it: parts the program cannot program

constexpr uint32_t kUnlock1 = 0xFF855550;
constexpr uint32_t kUnlock2 = 0xFF82AAA0;
constexpr uint32_t kFlashBase = 0xFF800000;
constexpr uint32_t kPartId = 0xFFC00010;
constexpr uint32_t kFlashWrite = 0xFF80000; // word index of the write window
constexpr uint32_t kFlashRead = 0xFFC0000;  // word index of the read window
constexpr uint16_t kType0Id = 0xDADA;
constexpr uint16_t kType1IdHigh = 0x22;
constexpr int kIdWaitMs = 100;

constexpr int kSectors = 1024;
constexpr int kSectorWords = 256;
constexpr qint64 kFlashImageBytes = qint64(kSectors) * kSectorWords * 2;
constexpr uint32_t kBootBlockWord = 0x3FF00;
constexpr int kWordCountStep = 4096;
constexpr uint16_t kType0Status = 0x8080; // resource-rule-ok: the parts' status bits, no id
constexpr int kType1Tries = 11;
constexpr int kType1Reads = 10000;
constexpr int64_t kSectorPollMs = 1000;
constexpr int64_t kErasePollMs = 60000;

uint32_t WriteAddress(uint32_t word) { return (word + kFlashWrite) * 16; }
uint32_t ReadAddress(uint32_t word) { return (word + kFlashRead) * 16; }

uint32_t ReadIdentity(ToolLibrary& lib)
{
    lib.XR_PortPrepare(lib.Port());
    const uint32_t b = lib.GspRead(kIdentity) & 0xFF;
    if (b & 0x08) {
        uint32_t id = (((b << 8) & 0xFFF) | (b & 0xF0)) << 12;
        id += uint32_t(lib.GspRead(kIdentitySecond)) * 256;
        id += lib.GspRead(kIdentityThird) & 0xFF;
        return id;
    }
    uint32_t id = 0;
    for (int i = 0; i < kIdentityDigits; ++i)
        id = id << 4 | (lib.GspRead(kIdentity + kIdentityDigitStep * uint32_t(i)) & 0xF);
    return id;
}

// 0 no part the program knows, else its type + 1.
int DetectPart(ToolLibrary& lib)
{
    lib.XR_PortPrepare(lib.Port());
    lib.GspWrite(kUnlock1, 0xAAAA);
    lib.GspWrite(kUnlock2, 0x5555);
    lib.GspWrite(kUnlock1, 0x9090);
    InstalledPort().Pause(kIdWaitMs);
    const uint16_t id0 = lib.GspRead(kPartId);
    lib.GspWrite(kUnlock1, 0xAAAA);
    lib.GspWrite(kUnlock2, 0x5555);
    lib.GspWrite(kUnlock1, 0xF0F0);
    InstalledPort().Pause(kIdWaitMs);
    if (id0 == kType0Id)
        return 1;
    lib.GspWrite(kUnlock1, 0xAA);
    lib.GspWrite(kUnlock2, 0x55);
    lib.GspWrite(kUnlock1, 0x90);
    InstalledPort().Pause(kIdWaitMs);
    const uint16_t id1 = lib.GspRead(kPartId);
    lib.GspWrite(kFlashBase, 0xF0);
    InstalledPort().Pause(kIdWaitMs);
    return (id1 >> 8) == kType1IdHigh ? 2 : 0;
}

void Unlock(ToolLibrary& lib, uint16_t command, bool wide)
{
    lib.GspWrite(kUnlock1, wide ? 0xAAAA : 0xAA);
    lib.GspWrite(kUnlock2, wide ? 0x5555 : 0x55);
    lib.GspWrite(kUnlock1, command);
}

// Polls read until (value & mask) == wanted; false once limitMs has passed.
bool PollUntil(ToolLibrary& lib, uint32_t address, uint16_t mask, uint16_t wanted, int64_t limitMs)
{
    const int64_t deadline = InstalledPort().NowMs() + limitMs;
    for (;;) {
        if ((lib.GspRead(address) & mask) == wanted)
            return true;
        if (InstalledPort().NowMs() > deadline)
            return false;
    }
}

uint16_t Word(const std::vector<uint8_t>& image, uint32_t n) { return uint16_t(image[2 * n] | image[2 * n + 1] << 8); }

struct FlashFailure {
    unsigned textId = 0;
    uint32_t value = 0;
};

// Part type 0: one sector of 256 words, then its status poll.
bool ProgramSector0(ToolLibrary& lib, const std::vector<uint8_t>& image, int sector, FlashFailure& failure)
{
    const uint32_t first = uint32_t(sector) * kSectorWords;
    uint16_t last = 0;
    for (uint32_t n = first; n < first + kSectorWords; ++n) {
        if (n == 0 || n == kBootBlockWord)
            Unlock(lib, 0xA0A0, true);
        last = Word(image, n);
        lib.GspWrite(WriteAddress(n), last);
    }
    const uint32_t end = first + kSectorWords;
    if (!PollUntil(lib, ReadAddress(end - 1), kType0Status, last & kType0Status, kSectorPollMs)) {
        failure = {IDS_FIRMWARE_PROGRAM_ERROR, end - 1};
        return false;
    }
    return true;
}

bool EraseChip1(ToolLibrary& lib, FlashFailure& failure)
{
    Unlock(lib, 0x80, false);
    Unlock(lib, 0x10, false);
    if (!PollUntil(lib, kFlashRead * 16, 0x80, 0x80, kErasePollMs)) {
        failure = {IDS_FIRMWARE_PROGRAM_ERROR, 0};
        return false;
    }
    return true;
}

// Part type 1: one sector's words, each confirmed by its bit 7.
bool ProgramSector1(ToolLibrary& lib, const std::vector<uint8_t>& image, int sector, FlashFailure& failure)
{
    const uint32_t first = uint32_t(sector) * kSectorWords;
    for (uint32_t n = first; n < first + kSectorWords; ++n) {
        const uint16_t word = Word(image, n);
        bool confirmed = false;
        for (int attempt = 0; attempt < kType1Tries && !confirmed; ++attempt) {
            Unlock(lib, 0xA0, false);
            lib.GspWrite(WriteAddress(n), word);
            for (int read = 0; read < kType1Reads && !confirmed; ++read)
                confirmed = (lib.GspRead(ReadAddress(n)) & 0x80) == (word & 0x80);
        }
        if (!confirmed) {
            failure = {IDS_FIRMWARE_PROGRAM_ERROR, n};
            return false;
        }
    }
    return true;
}

bool VerifySector(ToolLibrary& lib, const std::vector<uint8_t>& image, int sector, FlashFailure& failure)
{
    const uint32_t first = uint32_t(sector) * kSectorWords;
    for (uint32_t n = first; n < first + kSectorWords; ++n) {
        if (lib.GspRead(ReadAddress(n)) != Word(image, n)) {
            failure = {IDS_FIRMWARE_VERIFY_ERROR, uint32_t(sector)};
            return false;
        }
    }
    return true;
}

void IsaStatus(CProgressDlg* progress, int line, const QString& text)
{
    if (progress)
        progress->SetStatus(line, text);
}

void IsaBox(const PromptText& text, unsigned captionId = IDS_FIRMWARE_ERROR)
{
    MessageBox(nullptr, text, captionId ? PromptText(captionId) : PromptText(QString()), MB_OK | MB_ICONWARNING);
}

} // namespace

int CGenerator::FirmwareIdentityKind(uint32_t identity)
{
    if (identity == 0)
        return 0;
    const uint32_t digit = (identity >> 20) & 0xF;
    if (digit == 0)
        return 2;
    if (digit == 9 || digit == 11 || digit == 13) {
        const uint32_t low = identity & 0xFF;
        uint32_t key = low * 4096 + ((identity >> 8) & 0xFFF);
        if (low < 0x70)
            key += 0x100000;
        return key < kKeyFloor ? 2 : 1;
    }
    return 1;
}

bool CGenerator::FirmwareByIsa(const QString& file, CProgressDlg* progress)
{
    uint32_t identity = 0;
    LinkRoutines::Run(*this, [&](ToolLibrary& lib) { identity = ReadIdentity(lib); });
    switch (FirmwareIdentityKind(identity)) {
    case 0:
        return false;
    case 2:
        // Parts the program cannot program: nothing is sent, nothing is lost.
        MessageBox(nullptr, PromptText(IDS_FIRMWARE_ISA_VTOF), PromptText(QString()), MB_OK);
        return false;
    default:
        return FlashIsaParts(file, progress);
    }
}

bool CGenerator::FlashIsaParts(const QString& file, CProgressDlg* progress)
{
    if (progress && progress->IsCancelled())
        return false;
    int part = 0;
    LinkRoutines::Run(*this, [&](ToolLibrary& lib) { part = DetectPart(lib); });
    if (part == 0) {
        IsaBox(PromptText(IDS_FIRMWARE_NO_FLASH, {GetPortName()}));
        return false;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        IsaBox(PromptText(IDS_YMODEM_UNABLE_TO_OPEN, {file}));
        return false;
    }
    // The parts take exactly this much; a shorter file would leave the rest
    // of the flash erased and the processor halted for nothing.
    const QByteArray bytes = f.readAll();
    if (bytes.size() != kFlashImageBytes) {
        IsaBox(PromptText(IDS_FIRMWARE_BAD_SIZE));
        return false;
    }
    const std::vector<uint8_t> image(bytes.begin(), bytes.end());

    LinkRoutines::Run(*this, [](ToolLibrary& lib) {
        lib.XR_PortPrepare(lib.Port());
        lib.GspHalt();
        lib.GspFlush();
        lib.GspAutoIncrement(0);
        lib.GspLblLow();
    });
    FlashFailure failure;
    bool ok = true;
    if (part == 1) {
        IsaStatus(progress, IDC_STATUS1, LoadString(IDS_FIRMWARE_PROGRAMMING_AT));
        for (int s = 0; s < kSectors && ok; ++s) {
            IsaStatus(progress, IDC_STATUS2, FormatString(IDS_FIRMWARE_PROGRAMMING_SECTOR, {QString::number(s)}));
            LinkRoutines::Run(*this, [&](ToolLibrary& lib) { ok = ProgramSector0(lib, image, s, failure); });
        }
    } else {
        IsaStatus(progress, IDC_STATUS1, LoadString(IDS_FIRMWARE_PROGRAMMING_AMD));
        IsaStatus(progress, IDC_STATUS2, LoadString(IDS_FIRMWARE_ERASING_FLASH));
        LinkRoutines::Run(*this, [&](ToolLibrary& lib) { ok = EraseChip1(lib, failure); });
        for (int s = 0; s < kSectors && ok; ++s) {
            if ((s * kSectorWords) % kWordCountStep == 0)
                IsaStatus(progress, IDC_STATUS2,
                       FormatString(IDS_FIRMWARE_WORD_COUNT, {QString::number(s * kSectorWords)}));
            LinkRoutines::Run(*this, [&](ToolLibrary& lib) { ok = ProgramSector1(lib, image, s, failure); });
        }
    }
    for (int s = 0; s < kSectors && ok; ++s) {
        IsaStatus(progress, IDC_STATUS2, FormatString(IDS_FIRMWARE_VERIFYING_SECTOR, {QString::number(s)}));
        LinkRoutines::Run(*this, [&](ToolLibrary& lib) { ok = VerifySector(lib, image, s, failure); });
    }
    if (!ok) {
        const QString value = failure.textId == IDS_FIRMWARE_PROGRAM_ERROR ? QString::number(failure.value, 16).toUpper()
                                                                           : QString::number(failure.value);
        IsaBox(PromptText(failure.textId, {value}));
    }
    LinkRoutines::Run(*this, [&](ToolLibrary& lib) {
        lib.XR_PortPrepare(lib.Port());
        lib.GspNmi();
        lib.GspRun();
        if (ok)
            lib.IsaInitialize(lib.Port());
    });
    if (!ok) {
        m_firmwareDead = true;
        const QString port = GetPortName();
        const int slot = int(GetPort() & 0xFFFF);
        IsaBox(PromptText(IDS_FIRMWARE_ISA_DEAD, {port, QString::number(slot)}));
    }
    return ok;
}
