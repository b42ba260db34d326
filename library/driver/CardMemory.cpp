#include "CardMemory.h"

#include <sys/mman.h>
#include <sys/stat.h>

namespace driver {

namespace {

bool Inside(uint64_t offset, uint64_t length, uint64_t size)
{
    return offset <= size && length <= size - offset;
}

}  // namespace

std::shared_ptr<CardMemory> CardMemory::Map(UniqueFd file, const RegisterAnswer& answer)
{
    struct stat st{};
    if (!file.Valid() || fstat(file.Get(), &st) != 0 || st.st_size <= 0
        || static_cast<uint64_t>(st.st_size) != answer.fileSize)
        return nullptr;
    const std::size_t size = answer.fileSize;
    for (const MemoryRegion& region : answer.regions)
        if (!Inside(region.fileOffset, region.byteLength, size))
            return nullptr;
    if (answer.registerBlock != RegisterAnswer::kNoRegisterBlock && answer.registerBlock >= size)
        return nullptr;
    void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file.Get(), 0);
    if (base == MAP_FAILED)
        return nullptr;
    return std::shared_ptr<CardMemory>(new CardMemory(std::move(file), static_cast<uint8_t*>(base), size, answer));
}

CardMemory::CardMemory(UniqueFd file, uint8_t* base, std::size_t size, const RegisterAnswer& answer)
    : file_(std::move(file)), base_(base), size_(size), regions_(answer.regions), registerBlock_(answer.registerBlock)
{
}

CardMemory::~CardMemory()
{
    munmap(base_, size_);
}

uint8_t* CardMemory::RegisterBlock(std::size_t bytes) const
{
    if (registerBlock_ == RegisterAnswer::kNoRegisterBlock || !Inside(registerBlock_, bytes, size_))
        return nullptr;
    return base_ + registerBlock_;
}

}  // namespace driver
