// ISA cards at eight fixed I/O bases, reached through the kernel driver.
#include "internal.h"

namespace morvane {

namespace {

constexpr uint32_t kIsaSlots = 8;

class IsaTransport final : public CardChannelStandIn {
public:
    bool IsSpec(const char* spec) override
    {
        return HasPrefixNoCase(spec, "isa") && spec[3] >= '0' && spec[3] <= '7' && spec[4] == '\0';
    }

    PortId Open(const char* spec) override
    {
        SetPortError(MORVANE_OK);
        if (!IsSpec(spec)) {
            SetPortError(MORVANE_E_ISA_BAD_SPEC);
            return 0;
        }
        uint32_t slot = static_cast<uint32_t>(spec[3] - '0');
        if (open_[slot]) {
            SetPortError(MORVANE_E_ISA_OPEN);
            return 0;
        }
        if (!DriverOpen())
            return 0;
        // Registration and the presence test need the driver client; until
        // it exists no card can answer.
        DriverRelease();
        SetPortError(MORVANE_E_ISA_NOT_RESPONDING);
        return 0;
    }

    bool Select(PortId id) override
    {
        if (!ValidateId(id))
            return false;
        current_ = static_cast<int>(SlotOf(id));
        return true;
    }

    bool ValidateId(PortId id) override
    {
        uint32_t slot = SlotOf(id);
        if (slot >= kIsaSlots) {
            SetPortError(MORVANE_E_ISA_BAD_ID);
            return false;
        }
        if (!open_[slot]) {
            SetPortError(MORVANE_E_ISA_CLOSED);
            return false;
        }
        return true;
    }

    bool Close(PortId id) override
    {
        if (!Selected(id))
            return false;
        open_[SlotOf(id)] = false;
        current_ = -1;
        DriverRelease();
        return true;
    }

private:
    bool open_[kIsaSlots] = {};
    int current_ = -1;
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

bool IsaInitialize(PortId id)
{
    // The reset sequence needs the host interface of an open slot.
    TheIsaTransport().Selected(id);
    return false;
}

}  // namespace morvane
