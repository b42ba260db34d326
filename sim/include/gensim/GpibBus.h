// The simulator's GPIB bus: a Unix socket the stand-in GPIB library of each
// host process connects to. It runs inside the simulator's poll loop: the
// loop polls the descriptors it lists and hands it what they reported.
#pragma once

#include "gensim/GpibWire.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>

namespace gensim {

class GpibDevice;

class GpibBus {
public:
    using Clock = std::chrono::steady_clock;

    // Listens at path (a stale socket there is replaced, anything else
    // refused). Throws std::system_error or std::invalid_argument.
    explicit GpibBus(std::string path);
    ~GpibBus();
    GpibBus(const GpibBus&) = delete;
    GpibBus& operator=(const GpibBus&) = delete;

    const std::string& path() const { return m_path; }

    // The device answers at address:board. Throws std::invalid_argument
    // when the address is taken.
    void attach(int board, int address, GpibDevice& device);

    // Appends the descriptors to poll; serve() takes their results in the
    // same order, starting at the first one appended.
    void addPollFds(std::vector<pollfd>& fds) const;
    void serve(const pollfd* fds, std::size_t count, Clock::time_point now);
    // When a waiting read must be answered, if one waits.
    std::optional<Clock::time_point> nextDue() const;

private:
    struct Read {
        std::uint32_t seq = 0;
        GpibDevice* device = nullptr;  // null: nobody at the address
        std::size_t count = 0;
        int timeoutMs = 0;
        Clock::time_point deadline;
    };
    struct Connection {
        int fd = -1;
        gpib::FrameReader reader;
        std::string out;
        std::optional<Read> read;
        bool closing = false;
    };

    void accept();
    void receive(Connection& c, Clock::time_point now);
    void handle(Connection& c, const gpib::Frame& request, Clock::time_point now);
    void answer(Connection& c, const gpib::Frame& request, int status, int error, int count,
                std::string payload = {});
    void settle(Connection& c, Clock::time_point now);
    void send(Connection& c);
    GpibDevice* device(int board, int address) const;
    bool hasBoard(int board) const;

    struct Attached {
        int board;
        int address;
        GpibDevice* device;
    };

    std::string m_path;
    int m_listen = -1;
    unsigned long m_inode = 0;
    std::vector<Attached> m_devices;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace gensim
