// Random packets through the client's answer decoder, as answers to each
// op: the first byte picks the op, the rest is the packet. A packet the
// decoder takes must be exactly the encoding of what it read, so nothing
// was read past a count or skipped.
#include "DriverWire.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto op = static_cast<driver::Op>(data[0] % 8 + 1);
    const uint8_t* packet = data + 1;
    const size_t length = size - 1;
    std::optional<uint32_t> sequence = driver::SequenceOf(packet, length);
    if (!sequence)
        return 0;
    std::optional<driver::Answer> answer = driver::DecodeAnswer(op, *sequence, packet, length);
    if (!answer)
        return 0;
    std::vector<uint8_t> again = answer->status == driver::Status::Ok
        ? driver::EncodeAnswer(*answer)
        : driver::EncodeBadRequest(answer->sequence, static_cast<uint32_t>(op));
    if (again.size() != length || !std::equal(again.begin(), again.end(), packet))
        __builtin_trap();
    return 0;
}
