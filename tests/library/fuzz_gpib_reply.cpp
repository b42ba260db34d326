// Random bus reads and buffer lengths 10-40 through the GPIB reply reader:
// it must never write past the length, never ask the bus for more than a
// chunk, and always end the text with a NUL.
//
// Input: a length byte, then reads, each a flag byte (bit 0: the read ends
// in ERR; bit 1: the bus reports more than it put), a size byte and the
// bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "transports/gpib_reply.h"

namespace {

class FuzzBus : public morvane::GpibChunkSource {
public:
    FuzzBus(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ReadChunk(char* chunk, long count, long* received) override
    {
        if (count < 1 || count > morvane::kGpibChunk)
            __builtin_trap();
        if (next_ + 2 > size_) {
            *received = 0;
            return false;
        }
        const uint8_t flags = data_[next_];
        size_t n = data_[next_ + 1];
        next_ += 2;
        n = n < size_ - next_ ? n : size_ - next_;
        size_t put = n < size_t(count) ? n : size_t(count);
        std::memcpy(chunk, data_ + next_, put);
        next_ += n;
        *received = long(put) + ((flags & 2) ? 7 : 0);
        return (flags & 1) == 0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
};

constexpr size_t kGuard = 32;
constexpr char kFill = 0x5A;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint32_t length = 10 + data[0] % 31;
    FuzzBus bus(data + 1, size - 1);
    char buffer[40 + kGuard];
    std::memset(buffer, kFill, sizeof buffer);
    morvane::GpibReply reply = morvane::GpibReadReply(bus, buffer, length);

    for (size_t i = length; i < sizeof buffer; ++i)
        if (buffer[i] != kFill)
            __builtin_trap();
    if (reply.count < 0 || uint32_t(reply.count) > length - 2)
        __builtin_trap();
    if (std::memchr(buffer, '\0', length) == nullptr)
        __builtin_trap();
    return 0;
}
