// The maker's stream card: a PCI card of the generators' vendor with its
// own device id, cabled to one serial generator. The program registers it
// through the kernel driver and sends a download file in block transfers,
// which feed that generator's DMA block as the serial line would. It shows
// no memory or I/O range, so the port library cannot open it as a port.
#pragma once

#include "DriverWire.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace gensim {

class Generator;

struct StreamCardFaults {
    bool refuseRegistration = false;
    std::optional<int> failTransfer{};  // that transfer (from 0) fails, nothing taken
    std::optional<int> shortCount{};    // that transfer takes only half its bytes
};

class StreamCard {
public:
    static constexpr uint32_t kVendor = 0x1F3A;
    static constexpr uint32_t kDevice = 0x5C21;

    // On the bus at slot, cabled to generator.
    StreamCard(uint32_t slot, Generator& generator);

    Generator& generator() const { return m_generator; }
    driver::PciCardEntry scanEntry() const;
    std::vector<driver::Resource> resources() const;
    uint32_t configRead(uint32_t offset) const;
    bool isNamedBy(const std::vector<driver::Resource>& requested) const;

    driver::BlockTransferAnswer transfer(uint32_t kind, const std::string& bytes);

    void setFaults(StreamCardFaults faults);
    StreamCardFaults faults() const;
    // Transfers asked for, and the bytes the card took.
    int transfers() const;
    uint64_t bytesTaken() const;

private:
    const uint32_t m_slot;
    Generator& m_generator;
    mutable std::mutex m_mutex;
    StreamCardFaults m_faults;
    int m_transfers = 0;
    uint64_t m_taken = 0;
};

} // namespace gensim
