// Plays generators on pseudo-terminals and ISA cards. One thread polls every
// line, the kernel-driver stand-in's socket and a wake pipe; delayed output
// on a line is timed by the poll's time-out (a card's host times its own).
#pragma once

#include "gensim/DriverEndpoint.h"
#include "gensim/Generator.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace gensim {

class Simulator {
public:
    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the generator and its pty, or its ISA card (usable at once,
    // also while the simulator runs). Throws std::invalid_argument for bad
    // options (a card without the driver endpoint among them) and
    // std::system_error when the pty or the card cannot be made.
    Generator& addGenerator(GeneratorOptions options = {});

    // Starts the kernel-driver stand-in at path; once only. Throws as
    // DriverEndpoint does.
    DriverEndpoint& openDriver(std::string path, uint32_t version = driver::kCurrentVersion);
    // Null until openDriver.
    DriverEndpoint* driverEndpoint();

    std::size_t size() const;
    Generator& generator(std::size_t index);

    // Runs the loop on its own thread until stop() or destruction.
    void start();
    void stop();

private:
    struct Line;

    void loop();
    void wake();
    void serve(Line& line, short revents);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Line>> m_lines;
    std::unique_ptr<DriverEndpoint> m_driver;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace gensim
