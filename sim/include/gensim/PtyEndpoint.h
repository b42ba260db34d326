// A generator's COM port: the master side of a pseudo-terminal whose slave
// the host opens as its serial device.
#pragma once

#include "gensim/LineQueue.h"
#include "gensim/SerialLine.h"

#include <chrono>
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

    // The speed the host set on the slave, 0 when it is none we know. Read
    // again when the host changes its settings, not per character.
    int hostBaud() const { return m_hostBaud; }

    // Takes what the host sent, read at `now`: the first character is heard
    // `perChar` after it (zero: at once), each other after the one before.
    void receive(Clock::time_point now, Clock::duration perChar);
    // The next character the generator acts on by `now`, and when it was
    // heard. It acts one character time after hearing, when the first
    // character of its answer is through: one wake-up serves both, and the
    // generator is never early.
    bool heard(Clock::time_point now, char& c, Clock::time_point& at);

    // Output that starts no earlier than `ready`, each character taking
    // `perChar` on the line.
    void queue(const SerialOutput& output, Clock::time_point ready, Clock::duration perChar);
    // Writes what is due; stops short when the host's queue is full.
    void flush(Clock::time_point now);
    // True while due output waits for room (poll for POLLOUT then).
    bool blocked() const { return m_blocked; }
    // When the next character is heard or due out, if one waits for time
    // alone.
    bool nextDue(Clock::time_point& due) const;

    // The generator hangs up: the host's side sees the line go away.
    void close();

private:
    void makeLink();
    void readHostSettings();

    int m_master = -1;
    int m_slave = -1;  // held so the master never reads EIO between host opens
    std::string m_slavePath;
    std::string m_link;
    LineQueue m_in;
    LineQueue m_out;
    bool m_blocked = false;
    bool m_hangUpWhenSent = false;
    int m_hostBaud = 0;
    // The host's settings carry the flag that has the master told of every
    // change; a host that clears it has its rate read on every read instead.
    bool m_toldOfChanges = false;
};

} // namespace gensim
