// The kernel-driver connection that ISA and PCI cards are reached through,
// and the register access of the current ISA card.
#include "internal.h"

#include "DriverClient.h"
#include "IsaHostModel.h"

#include <memory>

namespace morvane {

namespace {

// Older drivers lack operations the cards need.
constexpr uint32_t kMinimumVersion = 432;
// The vendor id of the generator cards.
constexpr uint32_t kGeneratorVendor = 0x1F3A;

std::unique_ptr<driver::DriverClient> Connection;
std::vector<driver::PciCardEntry> PciCards;

}  // namespace

bool DriverOpen()
{
    if (Connection)
        return true;
    std::unique_ptr<driver::DriverClient> client = driver::DriverClient::Connect(driver::DriverClient::DefaultPath());
    std::optional<driver::VersionAnswer> version;
    if (client)
        version = client->Version();
    if (!version) {
        SetPortError(MORVANE_E_PCI_DRIVER);
        return false;
    }
    if (version->version < kMinimumVersion) {
        SetPortError(MORVANE_E_PCI_DRIVER_VERSION);
        return false;
    }
    PciClearTable();
    std::optional<driver::PciScanAnswer> scan = client->PciScan(kGeneratorVendor, 0);
    PciCards = scan ? std::move(scan->cards) : std::vector<driver::PciCardEntry>{};
    Connection = std::move(client);
    SetPortError(MORVANE_OK);
    return true;
}

void DriverRelease()
{
    if (Connection && IsaOpenCount() == 0 && PciOpenCount() == 0)
        Connection.reset();
}

driver::DriverClient* Driver()
{
    return Connection.get();
}

const std::vector<driver::PciCardEntry>& DriverPciCards()
{
    return PciCards;
}

uint16_t GspReadRegister(uint32_t offset)
{
    driver::IsaHostModel* card = CurrentIsaCard();
    return card != nullptr ? card->ReadRegister(offset) : 0;
}

int32_t GspWriteRegister(uint32_t offset, uint16_t value)
{
    driver::IsaHostModel* card = CurrentIsaCard();
    if (card == nullptr)
        return 0;
    card->WriteRegister(offset, value);
    return 1;
}

}  // namespace morvane
