// The shared memory of a registered card, mapped from the file the driver
// handed over with the registration.
#pragma once

#include "DriverWire.h"
#include "UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace driver {

class CardMemory {
public:
    // Maps the file and checks that the answer's size, regions and register
    // block lie inside it; null when anything does not fit or the map fails.
    static std::shared_ptr<CardMemory> Map(UniqueFd file, const RegisterAnswer& answer);
    ~CardMemory();
    CardMemory(const CardMemory&) = delete;
    CardMemory& operator=(const CardMemory&) = delete;

    const std::vector<MemoryRegion>& Regions() const { return regions_; }
    // Bytes of region i; Regions()[i].byteLength of them.
    uint8_t* RegionBytes(std::size_t i) const { return base_ + regions_[i].fileOffset; }
    // The card's register block when it has one of at least `bytes`, else null.
    uint8_t* RegisterBlock(std::size_t bytes) const;
    std::size_t Size() const { return size_; }
    // The memory file, for further views of it (a card's memory window), and
    // where a byte of the mapping lies in it.
    int File() const { return file_.Get(); }
    std::size_t OffsetOf(const uint8_t* byte) const { return static_cast<std::size_t>(byte - base_); }

private:
    CardMemory(UniqueFd file, uint8_t* base, std::size_t size, const RegisterAnswer& answer);

    UniqueFd file_;
    uint8_t* base_;
    std::size_t size_;
    std::vector<MemoryRegion> regions_;
    uint32_t registerBlock_;
};

}  // namespace driver
