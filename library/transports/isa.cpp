// ISA cards at eight fixed I/O bases, reached through the kernel driver:
// registration, the presence test, the character channel through two words
// of the processor's memory, and the processor reset.
#include <chrono>
#include <cstdio>
#include <memory>

#include "internal.h"

#include "DriverClient.h"
#include "IsaHostModel.h"

namespace morvane {

namespace {

using driver::IsaHostModel;

constexpr uint32_t kIsaSlots = 8;
constexpr uint32_t kBases[kIsaSlots] = {0x300, 0x308, 0x310, 0x318, 0x250, 0x258, 0x260, 0x268};
constexpr uint32_t kPortsPerCard = 8;

// Character words in the processor's memory.
constexpr uint32_t kHostToGenerator = 0xFF1FB000;
constexpr uint32_t kGeneratorToHost = IsaHostModel::kOutputWord;

// The reset clears this RAM, both ends included ...
constexpr uint32_t kResetRamFirst = 0xFF000000;
constexpr uint32_t kResetRamLast = 0xFF100000;
// ... and these processor I/O registers, in this order; the host interface
// (0xC00000C0-0xC0000100) and 0xC0000170-0xC00001A0 keep their values.
constexpr uint32_t kResetIoWords[] = {
    0xC00001F0, 0xC00001E0, 0xC00001D0, 0xC00001C0, 0xC00001B0,
    0xC0000160, 0xC0000150, 0xC0000140, 0xC0000130, 0xC0000120, 0xC0000110,
    0xC00000B0, 0xC00000A0, 0xC0000090, 0xC0000080, 0xC0000070, 0xC0000060,
    0xC0000050, 0xC0000040, 0xC0000030, 0xC0000020, 0xC0000010, 0xC0000000,
};

// A dead processor must not hold the caller: each handshake with it gets
// this bound (scaled by the time hook) and the time-out code.
constexpr int64_t kProcessorLimitMs = 5000;

struct IsaSlot {
    bool open = false;
    uint32_t handle = 0;
    std::unique_ptr<IsaHostModel> card;
};

// Waits until the control bits in mask read as wanted; 10007 when they
// do not within the processor limit.
bool WaitForProcessor(uint16_t mask, uint16_t wanted)
{
    IsaHostModel* card = CurrentIsaCard();
    auto deadline = IsaHostModel::Clock::now() + std::chrono::milliseconds(ScaledMs(kProcessorLimitMs));
    if (card != nullptr && card->WaitControl(mask, wanted, deadline))
        return true;
    SetPortError(MORVANE_E_TIMEOUT);
    return false;
}

uint16_t ReadControl()
{
    return GspReadRegister(IsaHostModel::kControl);
}

class IsaTransport final : public Transport {
public:
    bool IsSpec(const char* spec) override
    {
        return HasPrefixNoCase(spec, "isa") && spec[3] >= '0' && spec[3] <= '7' && spec[4] == '\0';
    }

    PortId Open(const char* spec) override { return OpenSpec(spec, true); }

    // waitForProcessor false: a forced reset must reach a processor that
    // still holds an earlier character.
    PortId OpenSpec(const char* spec, bool waitForProcessor)
    {
        SetPortError(MORVANE_OK);
        if (!IsSpec(spec)) {
            SetPortError(MORVANE_E_ISA_BAD_SPEC);
            return 0;
        }
        return OpenSlot(static_cast<uint32_t>(spec[3] - '0'), waitForProcessor);
    }

    bool Select(PortId id) override
    {
        uint32_t slot = SlotOf(id);
        if (current_ >= 0 && static_cast<uint32_t>(current_) == slot)
            return true;
        if (!ValidateId(id))
            return false;
        current_ = static_cast<int>(slot);
        return true;
    }

    bool ValidateId(PortId id) override
    {
        uint32_t slot = SlotOf(id);
        if (slot >= kIsaSlots) {
            SetPortError(MORVANE_E_ISA_BAD_ID);
            return false;
        }
        if (!slots_[slot].open) {
            SetPortError(MORVANE_E_ISA_CLOSED);
            return false;
        }
        return true;
    }

    bool Close(PortId id) override
    {
        if (!Selected(id))
            return false;
        CloseSlot(SlotOf(id));
        return true;
    }

    // Drops what the card has ready, so a reply left by an earlier failure
    // cannot pass for the next echo; waits for nothing.
    bool Flush(PortId id) override
    {
        if (!Selected(id))
            return false;
        while (ReadControl() & IsaHostModel::kIntOut)
            TakeCharacter();
        return true;
    }

    bool IsCharAvailable(PortId id) override
    {
        return Selected(id) && (ReadControl() & IsaHostModel::kIntOut) != 0;
    }

    bool PutChar(PortId id, uint8_t character) override
    {
        if (!Selected(id) || !WaitForProcessor(IsaHostModel::kIntIn, 0))
            return false;
        GspWrite(kHostToGenerator, character);
        uint16_t control = ReadControl();
        GspWriteRegister(IsaHostModel::kControl,
                         static_cast<uint16_t>((control | IsaHostModel::kIntIn) & ~IsaHostModel::kMessage));
        return WaitForProcessor(IsaHostModel::kIntIn, 0);
    }

    uint8_t GetChar(PortId id) override
    {
        if (!Selected(id))
            return 0;
        return TakeCharacter();
    }

    bool WaitForInput(PortId id, int timeoutMs) override
    {
        if (!Select(id))
            return false;
        auto deadline = IsaHostModel::Clock::now() + std::chrono::milliseconds(timeoutMs);
        return CurrentIsaCard()->WaitControl(IsaHostModel::kIntOut, IsaHostModel::kIntOut, deadline);
    }

    bool Initialize(PortId id)
    {
        if (!Selected(id))
            return false;
        GspHalt();
        for (uint32_t address = kResetRamFirst; address <= kResetRamLast; address += 16)
            GspWrite(address, 0);
        for (uint32_t address : kResetIoWords)
            GspWrite(address, 0);
        GspFlush();
        GspNmi();
        GspRun();
        return WaitForProcessor(IsaHostModel::kNmi, 0);
    }

    IsaHostModel* CurrentCard() const
    {
        return current_ >= 0 ? slots_[current_].card.get() : nullptr;
    }

    uint32_t OpenCount() const { return openCount_; }

private:
    // Clears the error code and selects id.
    bool Selected(PortId id)
    {
        SetPortError(MORVANE_OK);
        return Select(id);
    }

    PortId OpenSlot(uint32_t n, bool waitForProcessor)
    {
        IsaSlot& slot = slots_[n];
        if (slot.open) {
            SetPortError(MORVANE_E_ISA_OPEN);
            return 0;
        }
        if (!DriverOpen())
            return 0;
        driver::Resource ports{driver::ResourceKind::Io, 1, kBases[n], kPortsPerCard};
        std::optional<driver::Registration> registration = Driver()->Register({ports});
        if (!registration || registration->handle == 0) {
            DriverRelease();
            SetPortError(MORVANE_E_PCI_REGISTER);
            return 0;
        }
        slot.handle = registration->handle;
        slot.card = std::make_unique<IsaHostModel>(Driver(), slot.handle, std::move(registration->memory));
        current_ = static_cast<int>(n);
        if (!AnswersAtItsBase()) {
            Abandon(n);
            SetPortError(MORVANE_E_ISA_NOT_RESPONDING);
            return 0;
        }
        GspRun();
        if (waitForProcessor && !WaitForProcessor(IsaHostModel::kIntIn, 0)) {
            Abandon(n);
            return 0;
        }
        slot.open = true;
        ++openCount_;
        return MORVANE_PORT_ISA + n;
    }

    // One data read with increments on must move the address by one word;
    // an empty slot reads 0xFFFF everywhere.
    static bool AnswersAtItsBase()
    {
        GspAutoIncrement(1);
        GspSetAddress(0);
        GspReadRegister(IsaHostModel::kData);
        return GspGetAddress() == 16;
    }

    // Gives a card that did not open back to the driver.
    void Abandon(uint32_t n)
    {
        IsaSlot& slot = slots_[n];
        slot.card.reset();
        Driver()->Release(slot.handle);
        slot.handle = 0;
        current_ = -1;
        DriverRelease();
    }

    void CloseSlot(uint32_t n)
    {
        IsaSlot& slot = slots_[n];
        slot.card.reset();
        if (slot.handle != 0 && Driver() != nullptr)
            Driver()->Release(slot.handle);
        slot.handle = 0;
        current_ = -1;
        slot.open = false;
        --openCount_;
        DriverRelease();
    }

    static uint8_t TakeCharacter()
    {
        uint16_t character = GspRead(kGeneratorToHost);
        GspWriteRegister(IsaHostModel::kControl, static_cast<uint16_t>(ReadControl() & ~IsaHostModel::kIntOut));
        return static_cast<uint8_t>(character & 0xFF);
    }

    IsaSlot slots_[kIsaSlots];
    int current_ = -1;
    uint32_t openCount_ = 0;
};

IsaTransport& TheIsaTransport()
{
    static IsaTransport transport;
    return transport;
}

}  // namespace

Transport& IsaPort()
{
    return TheIsaTransport();
}

IsaHostModel* CurrentIsaCard()
{
    return TheIsaTransport().CurrentCard();
}

uint32_t IsaOpenCount()
{
    return TheIsaTransport().OpenCount();
}

bool IsaForceInit(int32_t slot)
{
    char spec[16];
    std::snprintf(spec, sizeof spec, "isa%d", slot);
    IsaTransport& isa = TheIsaTransport();
    PortId id = isa.OpenSpec(spec, false);
    if (id == 0)
        return false;
    bool reset = isa.Initialize(id);
    // The close clears the error code; the reset's failure must survive it.
    int32_t error = LastPortError;
    isa.Close(id);
    SetPortError(error);
    return reset;
}

}  // namespace morvane

using namespace morvane;

extern "C" {

MORVANE_API PortId IsaOpen(const char* spec)
{
    return TheIsaTransport().Open(spec);
}

MORVANE_API int32_t IsaInitialize(PortId id)
{
    return TheIsaTransport().Initialize(id);
}

}  // extern "C"
