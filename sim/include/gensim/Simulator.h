// Plays generators on pseudo-terminals, on a GPIB bus and on ISA and PCI cards.
// One thread polls every line, the bus, the kernel-driver stand-in's socket
// and a wake pipe; delayed output and read time-outs are timed by the
// poll's time-out (a card's host times its own).
#pragma once

#include "gensim/DriverEndpoint.h"
#include "gensim/Generator.h"
#include "gensim/GpibBus.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace gensim {

class Simulator {
public:
    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Creates the generator with its pty, its GPIB address or its ISA or PCI card
    // (usable at once, also while the simulator runs). Throws
    // std::invalid_argument for bad options (a GPIB address already taken, a
    // card without the driver endpoint) and std::system_error when the pty or
    // the card cannot be made.
    Generator& addGenerator(GeneratorOptions options = {});

    // Opens the GPIB bus at path (empty: gpib::busPath()) and returns the
    // path; the generators with an address answer there. Throws like
    // GpibBus. A bus already open is closed first.
    std::string openGpibBus(std::string path = {});
    // The bus goes away: its socket and every host's connection.
    void closeGpibBus();

    // Starts the kernel-driver stand-in at path; once only. Throws as
    // DriverEndpoint does.
    DriverEndpoint& openDriver(std::string path, uint32_t version = driver::kCurrentVersion);
    // Null until openDriver.
    DriverEndpoint* driverEndpoint();

    // The generator at index is switched off and on again on a new pty: a
    // host's open port goes dead, and the link path (when it has one) then
    // names the new pty. It answers at its start-up rate; its stores and
    // settings are kept. Throws std::invalid_argument for a generator
    // without a pty, and as addGenerator when the pty cannot be made.
    void restartOnNewPty(std::size_t index);

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
    std::optional<std::chrono::steady_clock::time_point> nextWake() const;

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Line>> m_lines;
    // After the lines: it points at their GPIB devices.
    std::unique_ptr<GpibBus> m_bus;
    unsigned m_busGeneration = 0;  // tells a bus closed or replaced during a poll
    unsigned m_lineGeneration = 0; // tells a pty replaced during a poll
    std::unique_ptr<DriverEndpoint> m_driver;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace gensim
