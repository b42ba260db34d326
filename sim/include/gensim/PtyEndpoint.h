// A generator's COM port: the master side of a pseudo-terminal whose slave
// the host opens as its serial device.
#pragma once

#include "gensim/SerialLine.h"

#include <chrono>
#include <deque>
#include <string>

namespace gensim {

class PtyEndpoint {
public:
    using Clock = std::chrono::steady_clock;

    // Creates the pty and, when `link` is not empty, a symlink to its slave
    // (replacing an older symlink, never another file). Throws
    // std::system_error or std::invalid_argument.
    explicit PtyEndpoint(std::string link);
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    int fd() const { return m_master; }
    bool isOpen() const { return m_master >= 0; }
    const std::string& slavePath() const { return m_slavePath; }
    const std::string& link() const { return m_link; }

    // The speed the host set on the slave, 0 when it is none we know.
    int hostBaud() const;

    // What the host sent; empty when nothing was waiting.
    std::string read();

    void queue(const SerialOutput& output, Clock::time_point now);
    // Writes what is due; stops short when the host's queue is full.
    void flush(Clock::time_point now);
    // True while due output waits for room (poll for POLLOUT then).
    bool blocked() const { return m_blocked; }
    // When the next queued output is due, if any waits for time alone.
    bool nextDue(Clock::time_point& due) const;

    // The generator hangs up: the host's side sees the line go away.
    void close();

private:
    struct Pending {
        Clock::time_point due;
        std::string bytes;
    };

    void makeLink();

    int m_master = -1;
    int m_slave = -1;  // held so the master never reads EIO between host opens
    std::string m_slavePath;
    std::string m_link;
    std::deque<Pending> m_pending;
    bool m_blocked = false;
    bool m_hangUpWhenSent = false;
};

} // namespace gensim
