// The messages between the GPIB stand-in library and the simulator's bus:
// a fixed header and a payload, both ways over one Unix stream socket. The
// stand-in sends one request at a time and waits for its answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gensim::gpib {

// Status bits of the bus library.
constexpr int kErr = 0x8000;
constexpr int kTimo = 0x4000;
constexpr int kEnd = 0x2000;
constexpr int kCmpl = 0x0100;

// Its error codes.
constexpr int kEdvr = 0;   // system error: no bus, a dropped connection
constexpr int kEnol = 2;   // no listener at the address
constexpr int kEarg = 4;   // a bad argument
constexpr int kEabo = 6;   // the transfer timed out
constexpr int kEneb = 7;   // no such board
constexpr int kEfso = 12;  // the file could not be read
constexpr int kEbus = 14;  // the bytes could not be put on the bus

// The highest primary address and time-out code.
constexpr int kMaxAddress = 30;
constexpr int kMaxTimeoutCode = 17;

// Milliseconds of a time-out code: 10 is 300 ms, 17 is 1000 s. Code 0
// ("none") waits as long as the longest, so no wait is unbounded.
int timeoutMs(int code);

enum class Op : std::uint8_t {
    Open = 1,    // board, address: does the board exist
    Write = 2,   // board, address, flags, payload: the bytes of one host write
    Read = 3,    // board, address, count, timeoutMs
    Answer = 4,  // status, error, count, payload (the bytes read)
};

// Write flags.
constexpr std::uint8_t kEoi = 1;      // EOI asserted with the payload's last byte
constexpr std::uint8_t kCallEnd = 2;  // the last piece of one host write

constexpr std::size_t kHeaderSize = 36;
// Larger writes go in pieces; a read asks for at most this much.
constexpr std::uint32_t kMaxPayload = 1u << 20;

struct Frame {
    Op op = Op::Answer;
    std::uint8_t flags = 0;
    std::uint32_t seq = 0;
    std::int32_t board = 0;
    std::int32_t address = 0;
    std::int32_t count = 0;
    std::int32_t timeoutMs = 0;
    std::int32_t status = 0;
    std::int32_t error = 0;
    std::string payload;
};

std::string encode(const Frame& frame);

// Takes the byte stream of one connection apart into frames. A header that
// breaks the format (unknown op or flags, a payload above kMaxPayload)
// breaks the stream for good: the connection is to be closed.
class FrameReader {
public:
    void feed(std::string_view bytes);
    // The next whole frame, if one is there.
    std::optional<Frame> next();
    bool broken() const { return m_broken; }
    // Bytes held for a frame not yet whole.
    std::size_t pending() const { return m_buffer.size() - m_start; }

private:
    std::string m_buffer;
    std::size_t m_start = 0;
    bool m_broken = false;
};

// ZOT_GPIB_BUS, else $XDG_RUNTIME_DIR/gensim-gpib, else
// /tmp/gensim-gpib-<uid>.
std::string busPath();
std::string defaultBusPath();

} // namespace gensim::gpib
