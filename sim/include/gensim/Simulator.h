// Plays generators on pseudo-terminals. One thread polls every line and a
// wake pipe; delayed output is timed by the poll's time-out.
#pragma once

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

    // Creates the generator and its pty (usable at once, also while the
    // simulator runs). Throws std::invalid_argument for bad options and
    // std::system_error when the pty cannot be made.
    Generator& addGenerator(GeneratorOptions options = {});

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
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace gensim
