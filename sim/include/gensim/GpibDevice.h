// A generator's GPIB address: each message the host ends with EOI is one
// command line (no echo, no prompt); reply lines go back one message per
// line, each with EOI. "FLSH" blocks and plain files sent without EOI are
// taken whole and traced by size and checksum.
#pragma once

#include "gensim/Faults.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

class Generator;

class GpibDevice {
public:
    using Clock = std::chrono::steady_clock;
    // Longest command line the generator keeps; a longer one is refused.
    static constexpr std::size_t kMaxLine = 1024;

    explicit GpibDevice(Generator& generator) : m_generator(generator) {}

    // One piece of a host write: EOI with its last byte, the last piece of
    // the write call. 0 when taken, else the bus error code.
    int write(std::string_view bytes, bool eoi, bool callEnd, Clock::time_point now);

    struct Piece {
        std::string bytes;
        bool end = false;  // the message's last byte, sent with EOI
    };
    // Up to `max` bytes of the reply message at the front, when it is due.
    std::optional<Piece> read(std::size_t max, Clock::time_point now);
    // When the output at the front is due; nullopt when nothing waits.
    std::optional<Clock::time_point> nextOutput() const;
    // A host read found nothing in the time it allowed.
    void readTimedOut(int timeoutMs);

private:
    struct Message {
        std::string bytes;
        bool eoi = true;
        Clock::time_point due;
    };

    void startMessage();
    void endMessage();
    void take(char c);
    bool atBlockHeader() const;
    void startBlock(std::size_t size);
    void takeBlock(char c);
    void endBlock();
    void endWithEoi(Clock::time_point now);
    void endWithoutEoi();
    void runLine(Clock::time_point now);
    std::vector<std::string> replyMessages(const std::string& line, const std::string& command);
    void queue(const std::vector<std::string>& messages, Clock::time_point now);
    const Fault* active(Fault::Kind kind) const;

    Generator& m_generator;
    std::vector<Fault> m_faults;  // as they stood when the message began
    unsigned m_faultClears = 0;
    bool m_inMessage = false;
    std::string m_message;   // its first kMaxLine + 1 bytes
    std::size_t m_size = 0;  // all its bytes
    std::uint32_t m_sum = 0;
    bool m_inBlock = false;
    std::size_t m_blockLeft = 0;
    std::size_t m_blockSize = 0;
    std::uint32_t m_blockSum = 0;
    std::vector<std::uint8_t> m_blockBytes; // the firmware image the block carries
    std::deque<Message> m_output;
};

} // namespace gensim
