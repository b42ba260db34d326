#include "gensim/Trace.h"

namespace gensim {

void Trace::record(TraceEntry entry)
{
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    m_changed.notify_all();
}

std::vector<TraceEntry> Trace::entries() const
{
    std::lock_guard lock(m_mutex);
    return m_entries;
}

std::vector<std::string> Trace::lines() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> result;
    for (const TraceEntry& e : m_entries)
        result.push_back(e.line);
    return result;
}

std::size_t Trace::size() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

void Trace::clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

bool Trace::waitForSize(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_entries.size() >= count; });
}

} // namespace gensim
