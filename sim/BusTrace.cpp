#include "gensim/BusTrace.h"

#include <ostream>

namespace gensim {

std::ostream& operator<<(std::ostream& out, const BusEvent& event)
{
    static const char* const kNames[] = {"write", "reply", "timeout", "flash", "file"};
    out << kNames[static_cast<int>(event.kind)];
    switch (event.kind) {
    case BusEvent::Kind::HostWrite:
    case BusEvent::Kind::DeviceReply: {
        out << "(\"";
        std::size_t shown = 0;
        for (char c : event.bytes) {
            if (++shown > 40) {
                out << "...[" << event.bytes.size() << " bytes]";
                break;
            }
            if (c == '\r')
                out << "\\r";
            else if (c == '\n')
                out << "\\n";
            else
                out << c;
        }
        return out << "\"" << (event.eoi ? ", EOI)" : ")");
    }
    case BusEvent::Kind::ReadTimeout:
        return out << "(" << event.timeoutMs << " ms)";
    case BusEvent::Kind::Flash:
    case BusEvent::Kind::File:
        return out << "(" << event.size << " bytes, sum " << event.checksum << ")";
    }
    return out;
}

std::uint32_t byteSum(const std::string& bytes, std::uint32_t sum)
{
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum;
}

void BusTrace::record(BusEvent event)
{
    std::lock_guard lock(m_mutex);
    m_events.push_back(std::move(event));
}

std::vector<BusEvent> BusTrace::events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::size_t BusTrace::size() const
{
    std::lock_guard lock(m_mutex);
    return m_events.size();
}

void BusTrace::clear()
{
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

} // namespace gensim
