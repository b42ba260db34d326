#include "KernelDriverAccess.h"

#include "DriverClient.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>

namespace {

KernelDriverAccess* g_installedKernelDriver = nullptr;

std::unique_ptr<driver::DriverClient> ConnectToDriver()
{
    std::unique_ptr<driver::DriverClient> client = driver::DriverClient::Connect(driver::DriverClient::DefaultPath());
    if (!client)
        return nullptr;
    const std::optional<driver::VersionAnswer> version = client->Version();
    if (!version || version->version < driver::kCurrentVersion)
        return nullptr;
    return client;
}

// The first card's resources as the driver registers them: no interrupt.
std::vector<driver::Resource> CardResources(driver::DriverClient& client, const driver::PciCardEntry& card)
{
    const std::optional<driver::CardInfoAnswer> info = client.CardInfo(card.location);
    if (!info || !info->found)
        return {};
    std::vector<driver::Resource> resources = info->resources;
    for (driver::Resource& resource : resources)
        if (resource.kind == driver::ResourceKind::Interrupt)
            resource.kind = driver::ResourceKind::None;
    return resources;
}

} // namespace

// Each card keeps the connection that registered it: the driver knows a
// card by its holder.
struct KernelDriverAccess::Cards
{
    std::map<uint32_t, std::unique_ptr<driver::DriverClient>> held;
};

KernelDriverAccess::KernelDriverAccess() : m_cards(std::make_unique<Cards>()) {}

KernelDriverAccess::~KernelDriverAccess()
{
    for (const auto& [card, client] : m_cards->held)
        client->Release(card);
}

bool KernelDriverAccess::WinDriverOpen()
{
    return ConnectToDriver() != nullptr;
}

uint32_t KernelDriverAccess::PciCardOpen(bool searchIds)
{
    m_lastError.clear();
    std::unique_ptr<driver::DriverClient> scanner = ConnectToDriver();
    if (!scanner)
        return 0;
    const std::optional<driver::PciScanAnswer> scan = scanner->PciScan(kVendorId, searchIds ? kCardDeviceId : 0);
    if (!scan || scan->cards.empty())
        return 0;
    const std::vector<driver::Resource> resources = CardResources(*scanner, scan->cards.front());
    if (resources.empty())
        return 0;
    scanner.reset(); // the register step holds the card on a connection of its own
    std::unique_ptr<driver::DriverClient> client = driver::DriverClient::Connect(driver::DriverClient::DefaultPath());
    if (!client) {
        // resource-rule-ok: the driver access's last-error text, never shown
        m_lastError = "Failed opening WinDriver device\n";
        return 0;
    }
    const std::optional<driver::VersionAnswer> version = client->Version();
    if (!version || version->version < driver::kCurrentVersion) {
        // resource-rule-ok: the driver access's last-error text, never shown
        m_lastError = "Incorrect WinDriver version\n";
        return 0;
    }
    const std::optional<driver::Registration> registration = client->Register(resources);
    if (!registration || registration->handle == 0) {
        // resource-rule-ok: the driver access's last-error text, never shown
        m_lastError = "Could not open device\n";
        return 0;
    }
    m_cards->held[registration->handle] = std::move(client);
    return registration->handle;
}

int KernelDriverAccess::PciCardTransfer(uint32_t card, const uint8_t* bytes, int count)
{
    const auto held = m_cards->held.find(card);
    if (held == m_cards->held.end() || count < 0 || (bytes == nullptr && count > 0))
        return -1;
    // The driver takes a bounded block per request.
    int sent = 0;
    while (sent < count) {
        const int block = std::min<int>(count - sent, int(driver::kMaxTransferBytes));
        const std::optional<driver::BlockTransferAnswer> answer = held->second->BlockTransfer(
            card, kBlockToCard, std::string(reinterpret_cast<const char*>(bytes) + sent, size_t(block)));
        if (!answer || !answer->success)
            return -1;
        sent += int(std::min<uint32_t>(answer->transferred, uint32_t(block)));
        // A piece the card took short ends the block: its count says so.
        if (answer->transferred < uint32_t(block))
            return sent;
    }
    return sent;
}

void KernelDriverAccess::PciCardClose(uint32_t card)
{
    const auto held = m_cards->held.find(card);
    if (held == m_cards->held.end())
        return;
    held->second->Release(card);
    m_cards->held.erase(held);
}

KernelDriverAccess& InstalledKernelDriver()
{
    static KernelDriverAccess driverAccess;
    return g_installedKernelDriver != nullptr ? *g_installedKernelDriver : driverAccess;
}

KernelDriverAccess* InstallKernelDriver(KernelDriverAccess* access)
{
    KernelDriverAccess* previous = g_installedKernelDriver;
    g_installedKernelDriver = access;
    return previous;
}
