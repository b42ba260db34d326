// Random reply streams and buffer lengths 0-20 through the reply reader:
// it must never write past the length and must always end the text with a
// NUL inside the buffer when it accepts the buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "reply_reader.h"

namespace {

class BytesSource : public morvane::ReplySource {
public:
    BytesSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool WaitForCharacter() override { return next_ < size_; }
    char ReadCharacter() override
    {
        if (next_ >= size_)
            __builtin_trap();  // read without a waiting character
        return static_cast<char>(data_[next_++]);
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
    uint32_t length = data[0] % 21;
    BytesSource source(data + 1, size - 1);
    char buffer[20 + kGuard];
    std::memset(buffer, kFill, sizeof buffer);
    morvane::ReplyResult result = morvane::ReadReply(source, buffer, length);

    for (size_t i = length; i < sizeof buffer; ++i)
        if (buffer[i] != kFill)
            __builtin_trap();
    if (length < 10) {
        if (result.stored != 0 || buffer[0] != kFill)
            __builtin_trap();
        return 0;
    }
    if (result.stored < 0 || static_cast<uint32_t>(result.stored) >= length)
        __builtin_trap();
    if (std::memchr(buffer, '\0', length) == nullptr)
        __builtin_trap();
    return 0;
}
