// The command lines a generator received and what it answered, for tests
// on other threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace gensim {

struct TraceEntry {
    std::string line;   // as received, without the carriage return
    std::string reply;  // the reply text sent before the prompt (or the
                        // scripted raw reply), CR LF kept
    bool operator==(const TraceEntry&) const = default;
};

class Trace {
public:
    void record(TraceEntry entry);
    std::vector<TraceEntry> entries() const;
    std::vector<std::string> lines() const;
    std::size_t size() const;
    void clear();

    // Blocks until at least `count` entries are there or the time is up.
    bool waitForSize(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<TraceEntry> m_entries;
};

} // namespace gensim
