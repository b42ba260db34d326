// The PCI card's memory paths compared: the mapped window against the
// mailbox, each test one routine on the port thread.

#include "CGenerator.h"

#include "CProgressDlg.h"
#include "DmaTestReport.h"
#include "LinkRoutines.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "RoutineStop.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace {

constexpr int kRegionOneWords = 0x200000;
constexpr uint32_t kRegionOneAddress = 0; // video memory as the card counts it
constexpr int kSramBytes = 12800;
constexpr uint32_t kSramAddress = 0xFFF50000;
constexpr uintptr_t kSramWindowOffset = 0x50000;
constexpr int kProgressStep = 4096;
constexpr int kShownBadIndexes = 8;
constexpr char kEndianText[] = "abcdefghijklmnopqrst"; // resource-rule-ok: bytes for the card, not a text

int g_regionOneWords = kRegionOneWords;

enum Kind : int { kWrite = 1, kRead = 2, kWriteRead = 3, kIntegrity = 4, kEndian = 5, kSramByte = 6, kSramWord = 7 };

unsigned TitleOf(int kind)
{
    switch (kind) {
    case kWrite: return IDS_DMA_WRITE_TEST;
    case kRead: return IDS_DMA_READ_TEST;
    case kWriteRead: return IDS_DMA_WRITE_READ_TEST;
    case kIntegrity: return IDS_DMA_INTEGRITY_TEST;
    default: return 0;
    }
}

QString Hex(quint64 value)
{
    return QString::number(value, 16).toUpper();
}

// One test's loop on the port thread: the words it has done and failed.
struct Loop {
    ToolLibrary& lib;
    RoutineStop& stop;
    CProgressDlg& progress;
    uint8_t* window;
    uint32_t address;
    int count;
    uint32_t pattern;
    int done = 0;
    int failures = 0;
    std::vector<int> badIndexes{};
    QString failure{}; // the binding the SRAM pass needs was refused

    // Every 4096th step shows the offset and hears Cancel; false: cancelled.
    bool Step(int i)
    {
        if (i % kProgressStep != 0)
            return true;
        LinkRoutines::PostToGui(&progress, [p = &progress, i] { p->SetStatus(IDC_STATUS2, FormatString(IDS_DMA_OFFSET, {Hex(quint64(i))})); });
        return !stop.Requested();
    }

    volatile uint32_t* Word(int i) const { return reinterpret_cast<volatile uint32_t*>(window) + i; }
    uint32_t CardAddress(int i) const { return address + 4u * uint32_t(i); }

    void Write()
    {
        for (int i = 0; i < count && Step(i); ++i, ++done) {
            *Word(i) = pattern;
            failures += lib.PciReadData(CardAddress(i), 4) != pattern;
        }
    }
    void Read()
    {
        for (int i = 0; i < count && Step(i); ++i, ++done) {
            lib.PciWriteData(pattern, CardAddress(i), 4);
            failures += *Word(i) != pattern;
        }
    }
    // An odd pattern goes through the window and is not checked.
    void WriteRead()
    {
        for (int i = 0; i < count && Step(i); ++i, ++done) {
            if (pattern & 1u) {
                *Word(i) = pattern;
                continue;
            }
            lib.PciWriteData(pattern, CardAddress(i), 4);
            failures += lib.PciReadData(CardAddress(i), 4) != pattern;
        }
    }
    void Endian()
    {
        for (size_t i = 0; i < sizeof kEndianText; ++i)
            window[i] = uint8_t(kEndianText[i]);
        auto* halves = reinterpret_cast<volatile uint16_t*>(window + 0x50);
        for (int k = 1; k <= 16; ++k)
            halves[k - 1] = uint16_t(k * 0x111);
        auto* words = reinterpret_cast<volatile uint32_t*>(window + 0x100);
        for (uint32_t k = 0; k < 8; ++k)
            words[k] = 0xABCD5678u + k;
        done = 1;
    }
    void SramBytes()
    {
        if (!lib.XR_PortPrepareRemoteCall(lib.Port(), nullptr, 0)) {
            failure = lib.ErrorText().trimmed();
            return;
        }
        std::vector<uint8_t> written(static_cast<size_t>(count));
        std::vector<uint8_t> back(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            written[size_t(i)] = uint8_t(i + 1);
        lib.PciWriteBuffer(written.data(), address, count);
        lib.PciReadBuffer(address, back.data(), count);
        for (int i = 0; i < count; ++i) {
            if (written[size_t(i)] != back[size_t(i)]) {
                ++failures;
                badIndexes.push_back(i);
            }
        }
        done = count;
    }
    void SramWords()
    {
        auto* halves = reinterpret_cast<volatile uint16_t*>(window + count);
        for (int k = 1; k <= count && Step(k - 1); ++k, ++done)
            halves[k - 1] = uint16_t(k * 0x111);
    }
};

// The box of the bytes that came back wrong: the first few, and how many.
void ShowBadBytes(const Loop& loop, QWidget* parent)
{
    QStringList lines;
    for (size_t i = 0; i < loop.badIndexes.size() && i < size_t(kShownBadIndexes); ++i)
        lines.append(FormatString(IDS_DMA_BAD_INDEX, {Hex(quint64(loop.badIndexes[i]))}));
    MessageBox(parent,
               PromptText(IDS_DMA_BAD_BYTES,
                          {lines.join(QLatin1Char('\n')), QString::number(loop.failures), QString::number(loop.count)}),
               PromptText(IDS_APP_TITLE), MB_OK);
}

} // namespace

void CGenerator::SetDmaRegionOneWords(int words)
{
    g_regionOneWords = words > 0 ? words : kRegionOneWords;
}

double CGenerator::DmaTests(int region, int kind, uint32_t pattern, DmaTestReport* report)
{
    DmaTestReport local;
    DmaTestReport& out = report ? *report : local;
    out = {};
    if (region != 1 && region != 2)
        return 0.0;
    CProgressDlg progress(m_owner, true);
    if (const unsigned title = TitleOf(kind))
        progress.SetStatus(IDC_STATUS1, LoadString(title));

    uint8_t* window = nullptr;
    QString refusal;
    const bool mapped = LinkRoutines::Run(*this, [&](ToolLibrary& lib) {
        lib.PciRemapMemory(lib.Port(), region);
        window = static_cast<uint8_t*>(lib.PciGetMemoryBase(lib.Port()));
        if (window == nullptr)
            refusal = lib.ErrorText().trimmed();
    }, &refusal);
    if (!mapped || window == nullptr) {
        out.failure = refusal.isEmpty() ? FormatString(IDS_DIAG_ERROR_CODE, {QString::number(0)}) : refusal;
        MessageBox(&progress, PromptText(IDS_DMA_NO_WINDOW, {out.failure}), PromptText(IDS_APP_TITLE), MB_OK | MB_ICONWARNING);
        return 0.0;
    }
    if (region == 2)
        window += kSramWindowOffset;
    // The whole address: a 64-bit host maps its windows above 4 GiB.
    MessageBox(&progress, PromptText(IDS_DMA_BASE, {Hex(quint64(reinterpret_cast<uintptr_t>(window)))}),
               PromptText(IDS_APP_TITLE), MB_OK);

    RoutineStop stop({progress.CancelButton()});
    std::optional<Loop> loop;
    const int count = region == 1 ? g_regionOneWords : kSramBytes;
    const uint32_t address = region == 1 ? kRegionOneAddress : kSramAddress;
    const bool ran = LinkRoutines::Run(*this, stop, [&](ToolLibrary& lib) {
        loop.emplace(Loop{lib, stop, progress, window, address, count, pattern});
        switch (kind) {
        case kWrite: loop->Write(); break;
        case kRead: loop->Read(); break;
        case kWriteRead: loop->WriteRead(); break;
        case kEndian: loop->Endian(); break;
        case kSramByte: loop->SramBytes(); break;
        case kSramWord: loop->SramWords(); break;
        default: break;
        }
    }, &refusal);
    progress.DestroyWindow();
    if (!ran || !loop) {
        out.failure = refusal;
        return 0.0;
    }
    if (!loop->failure.isEmpty()) {
        out.failure = loop->failure;
        return 0.0;
    }
    out.cancelled = stop.Requested();
    if (!loop->badIndexes.empty())
        ShowBadBytes(*loop, m_owner);
    switch (kind) {
    case kWrite:
    case kRead:
    case kSramByte: return loop->done > 0 ? double(loop->failures) / double(loop->done) * 100.0 : 0.0;
    case kWriteRead: return double(loop->failures);
    default: return 0.0;
    }
}
