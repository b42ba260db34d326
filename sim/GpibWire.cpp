#include "gensim/GpibWire.h"

#include <cstdlib>
#include <unistd.h>

namespace gensim::gpib {

namespace {

// Little-endian on the wire, whatever the host.
void put32(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t get32(const char* p)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

std::int32_t getInt(const char* p)
{
    return static_cast<std::int32_t>(get32(p));
}

bool knownOp(std::uint8_t op)
{
    return op >= static_cast<std::uint8_t>(Op::Open) && op <= static_cast<std::uint8_t>(Op::Answer);
}

} // namespace

int timeoutMs(int code)
{
    // 10 us .. 1000 s in steps of 1, 3; below a millisecond rounds up to 1.
    static const int kMs[kMaxTimeoutCode + 1] = {
        1000000, 1, 1, 1, 1, 1, 3, 10, 30, 100, 300, 1000, 3000, 10000, 30000, 100000, 300000, 1000000,
    };
    if (code < 0 || code > kMaxTimeoutCode)
        return kMs[0];
    return kMs[code];
}

std::string encode(const Frame& frame)
{
    std::string out;
    out.reserve(kHeaderSize + frame.payload.size());
    put32(out, static_cast<std::uint32_t>(frame.payload.size()));
    out.push_back(static_cast<char>(frame.op));
    out.push_back(static_cast<char>(frame.flags));
    out.append(2, '\0');
    put32(out, frame.seq);
    for (std::int32_t field : {frame.board, frame.address, frame.count, frame.timeoutMs, frame.status, frame.error})
        put32(out, static_cast<std::uint32_t>(field));
    out += frame.payload;
    return out;
}

void FrameReader::feed(std::string_view bytes)
{
    if (m_broken)
        return;
    // Drop what was taken before the buffer grows again.
    if (m_start > 0 && m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    } else if (m_start > kMaxPayload) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    m_buffer.append(bytes);
}

std::optional<Frame> FrameReader::next()
{
    if (m_broken || pending() < kHeaderSize)
        return std::nullopt;
    const char* h = m_buffer.data() + m_start;
    const std::uint32_t size = get32(h);
    const auto op = static_cast<std::uint8_t>(h[4]);
    const auto flags = static_cast<std::uint8_t>(h[5]);
    if (size > kMaxPayload || !knownOp(op) || (flags & ~(kEoi | kCallEnd)) != 0 || h[6] != 0 || h[7] != 0) {
        m_broken = true;
        return std::nullopt;
    }
    if (pending() - kHeaderSize < size)
        return std::nullopt;
    Frame frame;
    frame.op = static_cast<Op>(op);
    frame.flags = flags;
    frame.seq = get32(h + 8);
    frame.board = getInt(h + 12);
    frame.address = getInt(h + 16);
    frame.count = getInt(h + 20);
    frame.timeoutMs = getInt(h + 24);
    frame.status = getInt(h + 28);
    frame.error = getInt(h + 32);
    frame.payload.assign(h + kHeaderSize, size);
    m_start += kHeaderSize + size;
    return frame;
}

std::string defaultBusPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/gensim-gpib";
    return "/tmp/gensim-gpib-" + std::to_string(getuid());
}

std::string busPath()
{
    const char* path = std::getenv("ZOT_GPIB_BUS");
    if (path != nullptr && *path != '\0')
        return path;
    return defaultBusPath();
}

} // namespace gensim::gpib
