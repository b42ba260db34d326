// The generator's side of the serial line: echo, line-feed acknowledge,
// reply lines and the ">" prompt, with the scripted faults applied.
#pragma once

#include "gensim/Faults.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

class Generator;
class YmodemSession;

struct OutputChunk {
    int delayMs = 0;    // pause before these bytes, after the previous chunk
    std::string bytes;
};

struct SerialOutput {
    std::vector<OutputChunk> chunks;
    bool hangUp = false;  // the line is to be closed after these bytes
};

class SerialLine {
public:
    // Longest line the generator keeps; a longer one is refused whole.
    static constexpr std::size_t kMaxLine = 1024;

    using Clock = std::chrono::steady_clock;

    explicit SerialLine(Generator& generator);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // A line with no speed of its own (a card's character channel).
    static constexpr int kAnySpeed = -1;

    // Bytes the host sent at `hostBaud` (0 when unknown, kAnySpeed when the
    // line has no speed to match).
    SerialOutput receive(std::string_view bytes, int hostBaud, Clock::time_point now = Clock::now());
    // What a transfer sends when its time runs out (SerialLineYmodem.cpp).
    SerialOutput tick(Clock::time_point now);
    // When tick() next has something to do, if a transfer waits.
    bool nextDeadline(Clock::time_point& due) const;

private:
    void receiveChar(char c, SerialOutput& out);
    void startLine();
    void endLine(SerialOutput& out);
    void abandonLine();
    void sendReply(std::string text, SerialOutput& out);
    std::vector<std::string> shapeReply(std::vector<std::string> lines) const;
    void emit(SerialOutput& out, std::string bytes, int delayMs = 0);
    const Fault* active(Fault::Kind kind) const;
    // "YMDI" and "YMDO": the reply line and the start of a transfer.
    bool startTransfer(const std::string& command, std::string& reply, SerialOutput& out);
    std::size_t feedTransfer(std::string_view bytes, SerialOutput& out);
    std::vector<std::pair<std::string, std::string>> outgoingFiles(const std::vector<std::string>& names) const;
    bool flashReceived();

    Generator& m_generator;
    std::string m_line;
    bool m_overflow = false;
    bool m_inLine = false;
    bool m_dropped = false;
    std::size_t m_sentSinceDrop = 0;
    std::vector<Fault> m_faults;  // as they stood when the line began
    unsigned m_faultClears = 0;   // the script's clear count at that time
    std::unique_ptr<YmodemSession> m_transfer;  // while YMODEM has the line
    bool m_receiving = false;                   // the transfer brings files in
    Clock::time_point m_now;
};

} // namespace gensim
