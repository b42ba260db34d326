// One end of a GPIB bus connection for tests: frames out and in over a Unix
// stream socket, with time-outs.
#pragma once

#include "gensim/GpibWire.h"

#include <chrono>
#include <optional>
#include <string>

namespace gensim::test {

class WireSocket {
public:
    // Connects to the bus at path; valid() tells whether it worked.
    static WireSocket connect(const std::string& path);
    explicit WireSocket(int fd = -1) : m_fd(fd) {}
    ~WireSocket();
    WireSocket(WireSocket&& other) noexcept : m_fd(other.m_fd), m_reader(std::move(other.m_reader)) { other.m_fd = -1; }
    WireSocket& operator=(WireSocket&& other) noexcept;

    bool valid() const { return m_fd >= 0; }
    bool send(const gpib::Frame& frame) { return sendRaw(gpib::encode(frame)); }
    bool sendRaw(const std::string& bytes);
    // The next frame, or nullopt when none came in time or the peer closed.
    std::optional<gpib::Frame> receive(std::chrono::milliseconds timeout);
    // True when the peer closed the connection within the time.
    bool closedByPeer(std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    gpib::FrameReader m_reader;
};

// A listening socket a test plays the bus on.
class WireListener {
public:
    explicit WireListener(const std::string& path);
    ~WireListener();
    WireListener(const WireListener&) = delete;
    WireListener& operator=(const WireListener&) = delete;

    // The next host to connect, or an invalid socket after the time.
    WireSocket accept(std::chrono::milliseconds timeout);

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace gensim::test
