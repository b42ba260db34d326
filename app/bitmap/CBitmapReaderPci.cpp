// The stored rows written straight into a PCI generator's video memory,
// through the card's mailbox a word at a time or through its memory window.
#include "CBitmapReader.h"

#include "CGenerator.h"
#include "LinkRoutines.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kVideoWindow = 1;
constexpr uint64_t kRowsPerRoutine = 256u << 10; // bytes of rows one routine writes

// Writes bytes at card byte address, gathered into aligned 32-bit words
// (byte k of a word at address bits 0-1 = k). A word the bytes cover only
// in part keeps its other bytes: it is read first. False at the first
// failed card call.
template <class ReadWord, class WriteWord>
bool WriteBytes(uint64_t address, const uint8_t *bytes, size_t count, ReadWord read, WriteWord write)
{
    size_t done = 0;
    while (done < count) {
        const uint64_t at = address + done;
        const uint64_t wordAddress = at & ~uint64_t(3);
        const unsigned first = unsigned(at & 3);
        const size_t take = std::min<size_t>(4 - first, count - done);
        uint32_t value = 0;
        if (first != 0 || take < 4) {
            if (!read(uint32_t(wordAddress), value))
                return false;
        }
        for (size_t k = 0; k < take; ++k) {
            const unsigned shift = 8 * unsigned(first + k);
            value = (value & ~(uint32_t(0xFF) << shift)) | uint32_t(bytes[done + k]) << shift;
        }
        if (!write(uint32_t(wordAddress), value))
            return false;
        done += take;
    }
    return true;
}

} // namespace

uint64_t CBitmapReader::PciPitch(int screenWidth)
{
    uint64_t pitch = 1;
    while (pitch < uint64_t(std::max(screenWidth, 0)))
        pitch *= 2;
    return pitch;
}

bool CBitmapReader::FitsPciWindow(int x, int y, int screenWidth) const
{
    if (x < 0 || y < 0)
        return false;
    const uint64_t pitch = PciPitch(screenWidth);
    const uint64_t start = uint64_t(y) * pitch + uint64_t(x);
    const uint64_t end = start + (height > 0 ? uint64_t(height - 1) * pitch : 0) + RowBytes();
    return end <= kPciVideoWindowBytes;
}

bool CBitmapReader::WriteToPciMemory(CGenerator *gen, QWidget *owner, int x, int y, int screenWidth,
                                     int screenHeight, bool useDma)
{
    (void)screenHeight; // the rows go where the pitch puts them
    const auto fail = [owner](const PromptText &text) {
        MessageBox(owner, text, PromptText(IDS_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    };
    if (!isOpen || !gen)
        return false;
    bool prepared = false;
    uint8_t *window = nullptr;
    QString failure;
    const bool ran = LinkRoutines::Run(*gen, [&](ToolLibrary &lib) {
        prepared = lib.XR_PortPrepare(lib.Port()) != 0;
        if (!prepared || !useDma)
            return;
        if (lib.PciRemapMemory(lib.Port(), kVideoWindow) == 0) {
            failure = lib.ErrorText();
            return;
        }
        window = static_cast<uint8_t *>(lib.PciGetMemoryBase(lib.Port()));
        if (!window)
            failure = lib.ErrorText();
    }, &failure);
    if (!ran || !prepared)
        return fail(PromptText(IDS_IMGDL_PORT_PREPARE));
    if (useDma && !window)
        return fail(PromptText(IDS_IMGDL_CARD_FAILED, {QString::number(1), failure}));
    // Writing past the window would write past the mapping.
    if (!FitsPciWindow(x, y, screenWidth))
        return fail(PromptText(IDS_IMGDL_PAST_WINDOW, {QString::number(x), QString::number(y)}));

    const uint64_t pitch = PciPitch(screenWidth);
    const size_t rowBytes = size_t(RowBytes());
    const uint32_t rowsAtOnce = uint32_t(std::clamp<uint64_t>(kRowsPerRoutine / std::max<size_t>(rowBytes, 1), 1, height));
    std::vector<uint8_t> rows;
    try {
        rows.resize(size_t(rowsAtOnce) * rowBytes);
    } catch (const std::bad_alloc &) {
        return fail(PromptText(IDS_IMGDL_NO_MEMORY));
    }
    const uint64_t start = uint64_t(y) * pitch + uint64_t(x);
    for (uint32_t first = 0; first < height; first += rowsAtOnce) {
        const uint32_t count = std::min(rowsAtOnce, height - first);
        for (uint32_t i = 0; i < count; ++i) {
            if (!ReadRow(first + i, rows.data() + size_t(i) * rowBytes))
                return fail(PromptText(IDS_IMGDL_INVALID_LINE));
        }
        uint32_t failedRow = 0;
        QString cardText;
        LinkRoutines::Run(*gen, [&](ToolLibrary &lib) {
            const auto mailboxRead = [&lib](uint32_t address, uint32_t &value) {
                value = lib.PciReadData(address, 4);
                return lib.Error() == 0;
            };
            const auto mailboxWrite = [&lib](uint32_t address, uint32_t value) {
                lib.PciWriteData(value, address, 4);
                return lib.Error() == 0;
            };
            const auto windowRead = [window](uint32_t address, uint32_t &value) {
                std::memcpy(&value, window + address, 4);
                return true;
            };
            const auto windowWrite = [window](uint32_t address, uint32_t value) {
                std::memcpy(window + address, &value, 4);
                return true;
            };
            if (!useDma && lib.XR_PortPrepare(lib.Port()) == 0) {
                failedRow = first + 1;
                cardText = lib.ErrorText();
                return;
            }
            for (uint32_t i = 0; i < count; ++i) {
                const uint64_t address = start + uint64_t(first + i) * pitch;
                const uint8_t *row = rows.data() + size_t(i) * rowBytes;
                const bool written = useDma ? WriteBytes(address, row, rowBytes, windowRead, windowWrite)
                                            : WriteBytes(address, row, rowBytes, mailboxRead, mailboxWrite);
                if (!written) {
                    failedRow = first + i + 1;
                    cardText = lib.ErrorText();
                    return;
                }
            }
        }, &cardText);
        if (failedRow != 0 || !cardText.isEmpty())
            return fail(PromptText(IDS_IMGDL_CARD_FAILED, {QString::number(failedRow ? failedRow : first + 1), cardText}));
    }
    return true;
}
