// The PCI card writes its video memory into its flash.
#include "Dci.h"

using namespace morvane;
using namespace morvane::dci;

namespace {

constexpr uint32_t kFlashed = 0x10000000;
constexpr int32_t kFinished = 1;
constexpr int32_t kFailedWith70 = 0x7000;

}  // namespace

extern "C" {

// A clean finish only is success: a time-out or a refused call must not
// pass for one, or the caller resets a card mid-flash. The 0x70 failure
// leaves the card's result word at +12.
MORVANE_API uint32_t XR_FlashFromVMEM(void)
{
    Session session;
    if (BoundPath() != Path::Pci || !session.Open())
        return 0;
    const int32_t answer = PciCallFunction(static_cast<uint32_t>(kDescriptors[k_XR_FlashFromVMEM].pciFunction));
    if (!session.Check())
        return 0;
    if (answer == kFinished)
        return kFlashed;
    return answer == kFailedWith70 ? PciRead(session, Bound().callBlock + 12, 4) : 0;
}

}  // extern "C"
