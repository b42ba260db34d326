// Random reply streams, buffer lengths 0-20 and a point where the overall
// limit passes through the reply reader: it must never write past the
// length, must always end the text with a NUL inside the buffer when it
// accepts the buffer, and must stop reading after what the buffer and the
// cap on dropped characters allow.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "morvane.h"
#include "reply_reader.h"

namespace {

class BytesSource : public morvane::ReplySource {
public:
    BytesSource(const uint8_t* data, size_t size, size_t outOfTimeAfter)
        : data_(data), size_(size), outOfTimeAfter_(outOfTimeAfter)
    {
    }
    Wait WaitForCharacter() override
    {
        if (next_ >= outOfTimeAfter_)
            return Wait::OutOfTime;
        return next_ < size_ ? Wait::Ready : Wait::Silent;
    }
    char ReadCharacter() override
    {
        if (next_ >= size_ || next_ >= outOfTimeAfter_)
            __builtin_trap();  // read without a waiting character
        return static_cast<char>(data_[next_++]);
    }
    size_t Read() const { return next_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t outOfTimeAfter_;
    size_t next_ = 0;
};

constexpr size_t kGuard = 32;
constexpr char kFill = 0x5A;
constexpr uint8_t kNeverOutOfTime = 0xFF;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    uint32_t length = data[0] % 21;
    size_t outOfTimeAfter = data[1] == kNeverOutOfTime ? SIZE_MAX : data[1];
    BytesSource source(data + 2, size - 2, outOfTimeAfter);
    char buffer[20 + kGuard];
    std::memset(buffer, kFill, sizeof buffer);
    morvane::ReplyResult result = morvane::ReadReply(source, buffer, length);

    for (size_t i = length; i < sizeof buffer; ++i)
        if (buffer[i] != kFill)
            __builtin_trap();
    if (length < 10) {
        if (result.stored != 0 || buffer[0] != kFill || result.error != MORVANE_E_BUFFER_TOO_SMALL)
            __builtin_trap();
        return 0;
    }
    if (result.stored < 0 || static_cast<uint32_t>(result.stored) >= length)
        __builtin_trap();
    if (std::memchr(buffer, '\0', length) == nullptr)
        __builtin_trap();
    // Stored characters, dropped ones up to one beyond the cap, the prompt.
    if (source.Read() > length - 1 + morvane::kMaxDroppedChars + 1 + 1)
        __builtin_trap();
    return 0;
}
