// Whatever a host process sends to the bus socket: the frame reader must
// take it apart or refuse it, and a generator's GPIB address must take
// every write and read that comes out of it, never crash or hang.
//
// Input: the byte stream of one connection, fed in pieces whose sizes come
// from the stream's own first byte.

#include "gensim/Generator.h"
#include "gensim/GpibDevice.h"
#include "gensim/GpibWire.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static gensim::Generator generator{gensim::GeneratorOptions{.pty = false, .gpib = gensim::GpibAddress{5, 0}}};
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 64;
    gensim::GpibDevice device(generator);
    gensim::gpib::FrameReader reader;
    auto now = gensim::GpibDevice::Clock::now();
    std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!stream.empty() && !reader.broken()) {
        const std::size_t n = std::min(piece, stream.size());
        reader.feed(stream.substr(0, n));
        stream.remove_prefix(n);
        while (std::optional<gensim::gpib::Frame> frame = reader.next()) {
            // What was read must be written the same way again.
            gensim::gpib::FrameReader again;
            again.feed(gensim::gpib::encode(*frame));
            std::optional<gensim::gpib::Frame> copy = again.next();
            if (!copy || copy->payload != frame->payload || copy->seq != frame->seq || copy->flags != frame->flags)
                __builtin_trap();
            if (frame->op == gensim::gpib::Op::Write)
                device.write(frame->payload, frame->flags & gensim::gpib::kEoi, frame->flags & gensim::gpib::kCallEnd,
                             now);
            else if (frame->op == gensim::gpib::Op::Read && frame->count > 0)
                while (device.read(static_cast<std::size_t>(frame->count), now)) {
                }
        }
    }
    generator.trace().clear();
    generator.busTrace().clear();
    generator.execute("INIT");
    return 0;
}
