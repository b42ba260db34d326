// PCI generator cards, found and reached through the kernel driver: the card
// table, opening a card (registration and the check of its base address
// registers), selecting and closing it, its bridge registers and its memory
// windows. The mailbox on the bridge is mailbox.cpp.
#include "internal.h"

#include "DriverClient.h"
#include "DriverWire.h"
#include "PciBridgeModel.h"

#include <cstring>
#include <memory>

namespace morvane {

namespace {

namespace pci = driver::pci;

// Configuration offsets of the base address registers, the expansion ROM last.
constexpr uint32_t kBarOffsets[] = {0x10, 0x14, 0x18, 0x1C, 0x20, 0x24, 0x30};
constexpr std::size_t kBars = std::size(kBarOffsets);

// The card's memory window, by the ids PciRemapMemory takes.
struct WindowRow {
    int32_t id;
    uint32_t base;  // enable bit included
    uint32_t range;
};
constexpr WindowRow kWindows[] = {
    {1, 0x00000001, 0xFF800000}, {2, 0xFFF00001, 0xFFF80000}, {4, 0xE0000001, 0xFFE00000},
    {8, 0xF1000001, 0xFFFF8000}, {16, 0xF0F00001, 0xFFFF8000},
};

constexpr uint32_t kByteOrderSwap = 0x20;

struct PciCard {
    bool inUse = false;
    driver::PciLocation location;
    std::vector<PciBar> bars;
    std::vector<driver::Resource> resources;  // as registered
    uint32_t handle = 0;
    std::unique_ptr<driver::PciBridgeModel> bridge;
};

// The card number of "pci<N>": its leading digits, 0 without any.
int32_t CardNumberOf(const char* spec)
{
    int32_t number = 0;
    for (const char* p = spec + 3; *p >= '0' && *p <= '9'; ++p) {
        number = number * 10 + (*p - '0');
        if (number > static_cast<int32_t>(kPciCards))
            return 0;  // far beyond any card; also keeps the sum small
    }
    return number;
}

// Which base address register shows each memory and I/O item; true when one
// at least does.
bool MatchBars(const driver::PciLocation& location, const std::vector<driver::Resource>& resources,
               std::vector<PciBar>& bars)
{
    bars.assign(kBars, PciBar{});
    for (std::size_t i = 0; i < kBars; ++i)
        bars[i].configOffset = kBarOffsets[i];
    bool any = false;
    for (std::size_t item = 0; item < resources.size(); ++item) {
        const driver::Resource& resource = resources[item];
        const bool memory = resource.kind == driver::ResourceKind::Memory;
        if (!memory && resource.kind != driver::ResourceKind::Io)
            continue;
        for (PciBar& bar : bars) {
            if (bar.matched)
                continue;
            const uint32_t value = Driver()->ConfigRead(location, bar.configOffset).value_or(0xFFFFFFFF);
            const bool io = (value & 1) != 0;
            if (io == memory || (value & (io ? ~0x3u : ~0xFu)) != resource.base)
                continue;
            bar = {bar.configOffset, static_cast<uint32_t>(item), PciSizeMask(resource.length), memory, true};
            any = true;
            break;
        }
    }
    return any;
}

class PciTransport final : public Transport {
public:
    bool IsSpec(const char* spec) override
    {
        return PciHasPrefix(spec) && IsCardIndex(CardNumberOf(spec) - 1);
    }

    PortId Open(const char* spec) override
    {
        SetPortError(MORVANE_OK);
        if (openCount_ == kPciCards) {
            SetPortError(MORVANE_E_PCI_TOO_MANY);
            return 0;
        }
        if (!IsSpec(spec)) {
            // Without the driver the card count is unknown; say so.
            if (LastPortError == MORVANE_OK)
                SetPortError(MORVANE_E_PCI_BAD_SPEC);
            return 0;
        }
        return RegisterCard(static_cast<uint32_t>(CardNumberOf(spec) - 1));
    }

    // An open card implies an open driver connection, so the checks come
    // first and need no driver.
    bool Select(PortId id) override
    {
        if (current_ != nullptr && id == currentId_)
            return true;
        if (!ValidateId(id))
            return false;
        currentId_ = id;
        current_ = &cards_[SlotOf(id)];
        return true;
    }

    bool ValidateId(PortId id) override
    {
        uint32_t card = SlotOf(id);
        if (card >= kPciCards) {
            SetPortError(MORVANE_E_PCI_BAD_ID);
            return false;
        }
        if (!cards_[card].inUse) {
            SetPortError(MORVANE_E_PCI_CLOSED);
            return false;
        }
        return true;
    }

    bool Close(PortId id) override
    {
        SetPortError(MORVANE_OK);
        if (!Select(id))
            return false;
        PciCard& card = *current_;
        card.bridge.reset();
        if (card.handle != 0 && Driver() != nullptr)
            Driver()->Release(card.handle);
        card = PciCard{};
        currentId_ = 0;
        current_ = nullptr;
        --openCount_;
        DriverRelease();
        return true;
    }

    bool Flush(PortId id) override { return PciFlush(id); }
    bool IsCharAvailable(PortId id) override { return PciIsCharAvailable(id); }
    bool PutChar(PortId id, uint8_t character) override { return PciPutChar(id, character); }
    uint8_t GetChar(PortId id) override { return PciGetChar(id); }
    bool WaitForInput(PortId id, int timeoutMs) override { return PciWaitForInput(id, timeoutMs); }

    // Is k the zero-based index of a card the driver found.
    bool IsCardIndex(int32_t k)
    {
        if (k < 0 || k >= static_cast<int32_t>(kPciCards))
            return false;
        if (!DriverOpen())
            return false;
        DriverRelease();
        return k < FoundCards();
    }

    int32_t FoundCount()
    {
        if (!DriverOpen())
            return -1;
        DriverRelease();
        return FoundCards();
    }

    uint32_t OpenCount() const { return openCount_; }

    void ClearTable()
    {
        for (PciCard& card : cards_)
            card = PciCard{};
        openCount_ = 0;
        currentId_ = 0;
        current_ = nullptr;
    }

    // Registers card k and checks its ranges; only a card that opened
    // becomes current, so a failure leaves the current card as it was.
    PortId RegisterCard(uint32_t k)
    {
        if (cards_[k].inUse) {
            SetPortError(MORVANE_E_PCI_OPEN);
            DriverRelease();
            return 0;
        }
        if (!DriverOpen())
            return 0;
        // A fresh connection scans anew: the card may have gone since.
        if (static_cast<int32_t>(k) >= FoundCards())
            return Refused();
        PciCard card;
        card.location = DriverPciCards()[k].location;
        std::optional<driver::CardInfoAnswer> info = Driver()->CardInfo(card.location);
        if (info && info->found)
            card.resources = info->resources;
        // No interrupt is registered.
        for (driver::Resource& resource : card.resources)
            if (resource.kind == driver::ResourceKind::Interrupt)
                resource.kind = driver::ResourceKind::None;
        std::optional<driver::Registration> registration;
        if (!card.resources.empty())
            registration = Driver()->Register(card.resources);
        if (!registration || registration->handle == 0)
            return Refused();
        card.handle = registration->handle;
        card.bridge = std::make_unique<driver::PciBridgeModel>(Driver(), card.handle, std::move(registration->memory));
        if (!card.bridge->HasCard() || !MatchBars(card.location, card.resources, card.bars)) {
            card.bridge.reset();
            Driver()->Release(card.handle);
            return Refused();
        }
        card.inUse = true;
        cards_[k] = std::move(card);
        ++openCount_;
        currentId_ = MORVANE_PORT_PCI + k;
        current_ = &cards_[k];
        return currentId_;
    }

    PciCard* Current() const { return current_; }
    PciCard* Card(uint32_t k) { return k < kPciCards && cards_[k].inUse ? &cards_[k] : nullptr; }

private:
    static int32_t FoundCards() { return static_cast<int32_t>(DriverPciCards().size()); }

    static PortId Refused()
    {
        DriverRelease();
        SetPortError(MORVANE_E_PCI_REGISTER);
        return 0;
    }

    PciCard cards_[kPciCards];
    uint32_t openCount_ = 0;
    PortId currentId_ = 0;
    PciCard* current_ = nullptr;
};

PciTransport& ThePciTransport()
{
    static PciTransport transport;
    return transport;
}

// Clears the error code and selects id.
bool Selected(PortId id)
{
    SetPortError(MORVANE_OK);
    return ThePciTransport().Select(id);
}

// The card of id for the window exports, which look without selecting.
PciCard* Validated(PortId id)
{
    SetPortError(MORVANE_OK);
    return ThePciTransport().ValidateId(id) ? ThePciTransport().Card(SlotOf(id)) : nullptr;
}

}  // namespace

Transport& PciPort()
{
    return ThePciTransport();
}

bool PciHasPrefix(const char* spec)
{
    return HasPrefixNoCase(spec, "pci");
}

int32_t PciFoundCount()
{
    return ThePciTransport().FoundCount();
}

uint32_t PciOpenCount()
{
    return ThePciTransport().OpenCount();
}

void PciClearTable()
{
    ThePciTransport().ClearTable();
}

driver::PciBridgeModel* CurrentPciCard()
{
    PciCard* card = ThePciTransport().Current();
    return card != nullptr ? card->bridge.get() : nullptr;
}

uint32_t PciSizeMask(uint32_t length)
{
    uint32_t mask = 0;
    for (uint32_t e = 1; e < length && e != 0x80000000u; e <<= 1)
        mask = mask << 1 | 1;
    return mask;
}

std::vector<PciBar> PciBarTable(uint32_t k)
{
    PciCard* card = ThePciTransport().Card(k);
    return card != nullptr ? card->bars : std::vector<PciBar>{};
}

uint32_t PciReadRegister(uint32_t offset)
{
    driver::PciBridgeModel* bridge = CurrentPciCard();
    return bridge != nullptr ? bridge->ReadRegister(offset) : 0;
}

void PciWriteRegister(uint32_t offset, uint32_t value)
{
    if (driver::PciBridgeModel* bridge = CurrentPciCard())
        bridge->WriteRegister(offset, value);
}

uint8_t PciReadRegisterByte(uint32_t offset)
{
    driver::PciBridgeModel* bridge = CurrentPciCard();
    return bridge != nullptr ? bridge->ReadRegisterByte(offset) : 0;
}

void PciWriteRegisterByte(uint32_t offset, uint8_t value)
{
    if (driver::PciBridgeModel* bridge = CurrentPciCard())
        bridge->WriteRegisterByte(offset, value);
}

bool PciForceInit(int32_t cardNumber)
{
    PciTransport& pci = ThePciTransport();
    if (cardNumber < 1 || !pci.IsCardIndex(cardNumber - 1)) {
        // Say why, also when the driver had nothing to complain about.
        if (LastPortError == MORVANE_OK)
            SetPortError(MORVANE_E_PCI_BAD_SPEC);
        return false;
    }
    PortId id = pci.RegisterCard(static_cast<uint32_t>(cardNumber - 1));
    if (id == 0)
        return false;
    if (!pci.Select(id)) {
        pci.Close(id);
        return false;
    }
    // Zeroed start words tell the restarting firmware to clear its stores.
    uint8_t* sram = CurrentPciCard()->Sram();
    const uint32_t zero = 0;
    std::memcpy(sram + 0x2000, &zero, sizeof zero);
    std::memcpy(sram + 0x2004, &zero, sizeof zero);
    PciResetPulse();
    pci.Close(id);
    return true;
}

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API void* PciGetSRAMBase(PortId id)
{
    PciCard* card = Validated(id);
    return card != nullptr ? card->bridge->Sram() : nullptr;
}

MORVANE_API void* PciGetMemoryBase(PortId id)
{
    PciCard* card = Validated(id);
    return card != nullptr ? card->bridge->Window() : nullptr;
}

MORVANE_API int32_t PciRemapMemory(PortId id, int32_t window)
{
    if (!Selected(id))
        return 0;
    for (const WindowRow& row : kWindows) {
        if (row.id != window)
            continue;
        PciWriteRegister(pci::kWindowBase, row.base);
        PciWriteRegister(pci::kWindowRange, row.range);
        return 1;
    }
    SetPortError(MORVANE_E_PCI_REMAP);
    return 0;
}

MORVANE_API int32_t PciGetRemap(PortId id)
{
    if (!Selected(id))
        return 0;
    const uint32_t base = PciReadRegister(pci::kWindowBase) & ~pci::kWindowEnable;
    for (const WindowRow& row : kWindows)
        if ((row.base & ~pci::kWindowEnable) == base)
            return row.id;
    SetPortError(MORVANE_E_PCI_REMAP);
    return 0;
}

MORVANE_API int32_t PciEnableEndianSwap(PortId id, int32_t value)
{
    if (!Selected(id))
        return 0;
    const uint8_t control = PciReadRegisterByte(pci::kEndianControl);
    PciWriteRegisterByte(pci::kEndianControl,
                         static_cast<uint8_t>(value == 1 ? control & ~kByteOrderSwap : control | kByteOrderSwap));
    return 1;
}

MORVANE_API PortId PciOpen(const char* spec)
{
    return ThePciTransport().Open(spec);
}

MORVANE_API int32_t PciClose(PortId id)
{
    return ThePciTransport().Close(id);
}

}  // extern "C"
