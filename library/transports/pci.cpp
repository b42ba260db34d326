// PCI generator cards, found and reached through the kernel driver.
#include "internal.h"

#include "DriverWire.h"

namespace morvane {

namespace {

constexpr uint32_t kPciCards = 20;

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

class PciTransport final : public CardChannelStandIn {
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

    bool Select(PortId id) override
    {
        if (id == currentId_)
            return true;
        if (!ValidateId(id))
            return false;
        currentId_ = id;
        return true;
    }

    bool ValidateId(PortId id) override
    {
        uint32_t card = SlotOf(id);
        if (card >= kPciCards) {
            SetPortError(MORVANE_E_PCI_BAD_ID);
            return false;
        }
        if (!inUse_[card]) {
            SetPortError(MORVANE_E_PCI_CLOSED);
            return false;
        }
        return true;
    }

    bool Close(PortId id) override
    {
        if (!Selected(id))
            return false;
        inUse_[SlotOf(id)] = false;
        currentId_ = 0;
        --openCount_;
        DriverRelease();
        return true;
    }

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
        for (bool& inUse : inUse_)
            inUse = false;
        openCount_ = 0;
        currentId_ = 0;
    }

    PortId RegisterCard(uint32_t card)
    {
        if (inUse_[card]) {
            SetPortError(MORVANE_E_PCI_OPEN);
            DriverRelease();
            return 0;
        }
        if (!DriverOpen())
            return 0;
        // Registration needs the driver client.
        DriverRelease();
        SetPortError(MORVANE_E_PCI_REGISTER);
        return 0;
    }

private:
    static int32_t FoundCards() { return static_cast<int32_t>(DriverPciCards().size()); }

    bool inUse_[kPciCards] = {};
    uint32_t openCount_ = 0;
    PortId currentId_ = 0;
};

PciTransport& ThePciTransport()
{
    static PciTransport transport;
    return transport;
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
    // The reset pulse goes through the card's bridge registers, which come
    // with the driver client.
    pci.Close(id);
    return false;
}

}  // namespace morvane
