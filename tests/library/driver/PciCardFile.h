// A PCI card's memory file as a driver hands it over, for the bridge model's
// tests and fuzzer: video memory, SRAM and one 32 KB local memory (no ROM,
// no second local memory), each followed by a guard page that belongs to no
// region, then the register block.
#pragma once

#include "CardMemory.h"
#include "DriverWire.h"
#include "PciCardLayout.h"
#include "UniqueFd.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace driver::test {

struct PciCardFile {
    static constexpr uint32_t kGuard = 4096;
    static constexpr uint32_t kVideoOffset = 0;
    static constexpr uint32_t kSramOffset = kVideoOffset + pci::kVideo.bytes + kGuard;
    static constexpr uint32_t kLocalOffset = kSramOffset + pci::kSram.bytes + kGuard;
    static constexpr uint32_t kRegisterOffset = kLocalOffset + pci::kLocalA.bytes + kGuard;
    static constexpr uint32_t kSize = kRegisterOffset + 4096;
    static constexpr uint32_t kGuards[] = {kSramOffset - kGuard, kLocalOffset - kGuard, kRegisterOffset - kGuard};

    static RegisterAnswer Layout()
    {
        RegisterAnswer answer;
        answer.handle = 9;
        answer.hasMemory = true;
        answer.fileSize = kSize;
        answer.registerBlock = kRegisterOffset;
        answer.regions = {{pci::kVideo.address, pci::kVideo.bytes, kVideoOffset},
                          {pci::kSram.address, pci::kSram.bytes, kSramOffset},
                          {pci::kLocalA.address, pci::kLocalA.bytes, kLocalOffset}};
        return answer;
    }

    PciCardFile()
    {
        fd.Reset(memfd_create("pci-card-test", MFD_CLOEXEC));
        if (!fd.Valid() || ftruncate(fd.Get(), kSize) != 0)
            return;
        void* p = mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
        if (p != MAP_FAILED)
            bytes = static_cast<uint8_t*>(p);
        // The bridge as it comes up: the window on video memory.
        Register(pci::kWindowBase) = pci::kVideo.address | pci::kWindowEnable;
        Register(pci::kWindowRange) = ~(pci::kVideo.bytes - 1);
    }
    ~PciCardFile()
    {
        if (bytes != nullptr)
            munmap(bytes, kSize);
    }
    PciCardFile(const PciCardFile&) = delete;
    PciCardFile& operator=(const PciCardFile&) = delete;

    std::shared_ptr<CardMemory> Map() const { return CardMemory::Map(UniqueFd(dup(fd.Get())), Layout()); }

    uint32_t& Register(uint32_t offset) { return *reinterpret_cast<uint32_t*>(bytes + kRegisterOffset + offset); }
    uint8_t* Video() { return bytes + kVideoOffset; }
    uint8_t* Sram() { return bytes + kSramOffset; }
    uint8_t* Local() { return bytes + kLocalOffset; }
    uint32_t Word(const uint8_t* at) const
    {
        uint32_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    bool GuardsClear() const
    {
        for (uint32_t guard : kGuards)
            for (uint32_t i = 0; i < kGuard; ++i)
                if (bytes[guard + i] != 0)
                    return false;
        return true;
    }

    UniqueFd fd;
    uint8_t* bytes = nullptr;
};

}  // namespace driver::test
