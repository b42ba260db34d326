#include "gensim/StreamCard.h"

#include "gensim/Generator.h"

namespace gensim {

namespace {

constexpr uint32_t kStreamBus = 3;
// Its interrupt line names it in a registration: it has nothing else.
constexpr uint32_t kStreamInterrupt = 0x40;
// The driver's transfer kind of a block to the card.
constexpr uint32_t kStreamBlockKind = 6;

} // namespace

StreamCard::StreamCard(uint32_t slot, Generator& generator) : m_slot(slot), m_generator(generator) {}

driver::PciCardEntry StreamCard::scanEntry() const
{
    return {kVendor, kDevice, {kStreamBus, m_slot, 0}};
}

std::vector<driver::Resource> StreamCard::resources() const
{
    return {{driver::ResourceKind::Interrupt, 0, kStreamInterrupt + m_slot, 0}};
}

uint32_t StreamCard::configRead(uint32_t offset) const
{
    return offset == 0 ? (kDevice << 16 | kVendor) : offset < 0x40 ? 0 : 0xFFFFFFFF;
}

// A host registers the item it was given, as it is or with its interrupt
// left out (kind none).
bool StreamCard::isNamedBy(const std::vector<driver::Resource>& requested) const
{
    for (const driver::Resource& item : requested)
        if ((item.kind == driver::ResourceKind::Interrupt || item.kind == driver::ResourceKind::None)
            && item.base == kStreamInterrupt + m_slot)
            return true;
    return false;
}

driver::BlockTransferAnswer StreamCard::transfer(uint32_t kind, const std::string& bytes)
{
    int index = 0;
    StreamCardFaults faults;
    {
        std::lock_guard lock(m_mutex);
        index = m_transfers++;
        faults = m_faults;
    }
    if (kind != kStreamBlockKind || faults.failTransfer == index)
        return {};
    std::string_view block(bytes);
    if (faults.shortCount == index)
        block = block.substr(0, block.size() / 2);
    if (!m_generator.streamDma(block))
        return {};
    std::lock_guard lock(m_mutex);
    m_taken += block.size();
    return {static_cast<uint32_t>(block.size()), true};
}

void StreamCard::setFaults(StreamCardFaults faults)
{
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

StreamCardFaults StreamCard::faults() const
{
    std::lock_guard lock(m_mutex);
    return m_faults;
}

int StreamCard::transfers() const
{
    std::lock_guard lock(m_mutex);
    return m_transfers;
}

uint64_t StreamCard::bytesTaken() const
{
    std::lock_guard lock(m_mutex);
    return m_taken;
}

} // namespace gensim
