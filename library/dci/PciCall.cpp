// The PCI path: a call block in card memory and the mailbox call operation,
// item lookups and single card reads, each checked for the mailbox's
// time-out.
#include "Dci.h"

namespace morvane::dci {

namespace {

// The mailbox call's answers that leave a result at +12.
constexpr int32_t kFinished = 1;
constexpr int32_t kFailedWith70 = 0x7000;

}  // namespace

uint32_t PciCallWords(Session& session, uint32_t function, const uint32_t* words, std::size_t count, bool result)
{
    const uint32_t block = Bound().callBlock;
    for (std::size_t i = 0; i < count; ++i)
        if (session.Dead() || !PciWriteData(words[i], block + 12 + 4 * static_cast<uint32_t>(i), 4)) {
            session.Fail();
            return 0;
        }
    const int32_t answer = PciCallFunction(function);
    if (!session.Check() || (answer != kFinished && answer != kFailedWith70))
        return 0;
    return result ? PciRead(session, block + 12, 4) : 0;
}

std::optional<uint32_t> PciItem(Session& session, uint32_t item)
{
    if (session.Dead())
        return std::nullopt;
    const uint32_t address = PciGetItemAddress(item);
    if (!session.Check())
        return std::nullopt;
    return address;
}

uint32_t PciRead(Session& session, uint32_t address, int32_t size)
{
    if (session.Dead())
        return 0;
    const uint32_t value = PciReadData(address, size);
    return session.Check() ? value : 0;
}

}  // namespace morvane::dci
