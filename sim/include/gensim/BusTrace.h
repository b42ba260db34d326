// What passed a generator's GPIB address, for tests on other threads: each
// bus message with its EOI flag, each read that timed out, and each block
// or file the host sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

namespace gensim {

struct BusEvent {
    enum class Kind {
        HostWrite,    // bytes the host wrote
        DeviceReply,  // bytes a host read took
        ReadTimeout,  // a host read found nothing in its time
        Flash,        // a "FLSH" block: size and checksum of its bytes
        File,         // a plain file sent without EOI: size and checksum
    };

    Kind kind = Kind::HostWrite;
    std::string bytes;  // HostWrite, DeviceReply
    bool eoi = false;   // HostWrite, DeviceReply: EOI with the last byte
    std::size_t size = 0;        // Flash, File
    std::uint32_t checksum = 0;  // Flash, File: 32-bit sum of the bytes
    int timeoutMs = 0;           // ReadTimeout: how long the read waited

    bool operator==(const BusEvent&) const = default;

    static BusEvent write(std::string bytes, bool eoi) { return {Kind::HostWrite, std::move(bytes), eoi, 0, 0, 0}; }
    static BusEvent reply(std::string bytes, bool eoi) { return {Kind::DeviceReply, std::move(bytes), eoi, 0, 0, 0}; }
    static BusEvent timeout(int ms) { return {Kind::ReadTimeout, {}, false, 0, 0, ms}; }
    static BusEvent flash(std::size_t size, std::uint32_t sum) { return {Kind::Flash, {}, false, size, sum, 0}; }
    static BusEvent file(std::size_t size, std::uint32_t sum) { return {Kind::File, {}, false, size, sum, 0}; }
};

// Readable in test failures: kind, bytes (escaped) and figures.
std::ostream& operator<<(std::ostream& out, const BusEvent& event);

// The 32-bit sum of the bytes, as a transfer's checksum.
std::uint32_t byteSum(const std::string& bytes, std::uint32_t sum = 0);

class BusTrace {
public:
    void record(BusEvent event);
    std::vector<BusEvent> events() const;
    std::size_t size() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<BusEvent> m_events;
};

} // namespace gensim
