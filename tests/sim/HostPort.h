// The host's end of a simulated COM port, driven with plain POSIX I/O.
#pragma once

#include <chrono>
#include <string>

namespace gensim::test {

using namespace std::chrono_literals;

// Generous: the simulator answers in milliseconds, a loaded machine may not.
constexpr auto kWait = 5000ms;
// How long "nothing arrives" is watched for.
constexpr auto kQuiet = 300ms;

class HostPort {
public:
    HostPort(const std::string& path, int baud);
    ~HostPort();
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    int fd() const { return m_fd; }
    void setBaud(int baud);
    void write(const std::string& bytes);

    // Everything up to and including the first `end` character, or what
    // came before the time ran out.
    std::string readUntil(char end, std::chrono::milliseconds timeout = kWait);
    // Exactly `count` bytes, or fewer when the time ran out.
    std::string read(std::size_t count, std::chrono::milliseconds timeout = kWait);
    // What arrives within `window` (empty when the generator is silent).
    std::string readFor(std::chrono::milliseconds window = kQuiet);

    // Sends the line with its carriage return; returns all bytes up to the
    // prompt: echo, acknowledge, reply and ">".
    std::string command(const std::string& line);

private:
    bool readOne(char& c, std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
};

} // namespace gensim::test
