// Random host accesses to a PCI card's bridge and its memory window, with no
// firmware behind them. Whatever the host writes, the model touches only the
// card's memories: the guard page after each of them stays clear, also
// after writes through the window however it was pointed.
//
// Each access is 7 bytes: what (register write, register read, byte write,
// byte read, window write, window read), a 16-bit offset, a 32-bit value.
#include "PciBridgeModel.h"
#include "PciCardFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace driver;
    static test::PciCardFile file;
    // Each input starts from the bridge as it comes up.
    std::memset(file.bytes + test::PciCardFile::kRegisterOffset, 0, pci::kRegisterBlockBytes);
    file.Register(pci::kWindowBase) = pci::kVideo.address | pci::kWindowEnable;
    file.Register(pci::kWindowRange) = ~(pci::kVideo.bytes - 1);
    PciBridgeModel model(nullptr, 1, file.Map());
    if (!model.HasCard())
        __builtin_trap();
    volatile uint8_t sink = 0;
    for (size_t at = 0; at + 7 <= size; at += 7) {
        uint16_t offset = 0;
        uint32_t value = 0;
        std::memcpy(&offset, data + at + 1, sizeof offset);
        std::memcpy(&value, data + at + 3, sizeof value);
        switch (data[at] % 6) {
        case 0: model.WriteRegister(offset, value); break;
        case 1: sink = static_cast<uint8_t>(model.ReadRegister(offset)); break;
        case 2: model.WriteRegisterByte(offset, static_cast<uint8_t>(value)); break;
        case 3: sink = model.ReadRegisterByte(offset); break;
        case 4: model.Window()[value % pci::kWindowSpan] = static_cast<uint8_t>(offset); break;
        case 5: sink = model.Window()[value % pci::kWindowSpan]; break;
        }
    }
    (void)sink;
    if (!file.GuardsClear())
        __builtin_trap();
    return 0;
}
