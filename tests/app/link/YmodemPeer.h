#pragma once
// The far end of a YMODEM transfer on the fake port, as a script: each step
// waits until the program has put the bytes it expects and then answers.
// The blocks it expects or sends are built here bit by bit, apart from the
// program's own tables.

#include "FakePort.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ymodem_test {

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kEot = 0x04;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kCan = 0x18;
constexpr char kSub = 0x1A;
const std::string kAbort(8, kCan);

// CRC-16/XMODEM one bit at a time.
inline uint16_t BitCrc(std::string_view data)
{
    uint16_t crc = 0;
    for (unsigned char c : data) {
        crc = uint16_t(crc ^ (c << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) != 0 ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    return crc;
}

// A block as it goes on the line: data of 128 bytes go in SOH, else STX.
inline std::string Block(int number, const std::string& data, bool crc = true)
{
    std::string block(1, data.size() == 128 ? kSoh : kStx);
    block += char(number & 0xFF);
    block += char(255 - (number & 0xFF));
    block += data;
    if (crc) {
        const uint16_t value = BitCrc(data);
        block += char(value >> 8);
        block += char(value & 0xFF);
    } else {
        unsigned sum = 0;
        for (unsigned char c : data)
            sum += c;
        block += char(sum & 0xFF);
    }
    return block;
}

inline std::string Padded(std::string data, size_t length)
{
    data.resize(length, kSub);
    return data;
}

// Block 0 of a file: its fields as they are sent, then NULs; in a 1024-byte
// block when they need it.
inline std::string Header(std::string_view fields)
{
    std::string data(fields);
    data.resize(data.size() < 128 ? 128 : 1024, '\0');
    return Block(0, data);
}

inline std::string NullHeader()
{
    return Header({});
}

struct Step
{
    std::string expect; // what the program puts before the answer
    std::string answer;
};

class ScriptedPeer
{
public:
    ScriptedPeer(FakePort& port, std::vector<Step> steps)
        : m_port(port)
        , m_steps(std::move(steps))
    {
        port.onPutChar = [this](char c) {
            m_pending += c;
            Advance();
        };
        Advance();
    }
    ~ScriptedPeer() { m_port.onPutChar = nullptr; }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Runs when step index has been answered.
    std::function<void(size_t index)> onAnswered;

    // Empty while the program kept to the script; else where it left it.
    const std::string& Mismatch() const { return m_mismatch; }
    // Every step answered and nothing put after the last one.
    bool Finished() const { return m_next == m_steps.size() && m_pending.empty() && m_mismatch.empty(); }
    size_t StepsDone() const { return m_next; }
    // What the program put after the last step it matched.
    const std::string& Rest() const { return m_pending; }

private:
    void Advance()
    {
        while (m_next < m_steps.size() && m_mismatch.empty()) {
            const std::string& want = m_steps[m_next].expect;
            const size_t n = std::min(want.size(), m_pending.size());
            if (m_pending.compare(0, n, want, 0, n) != 0) {
                m_mismatch = "step " + std::to_string(m_next) + ": at byte " + std::to_string(Differs(want)) + " of "
                           + std::to_string(want.size());
                return;
            }
            if (m_pending.size() < want.size())
                return;
            m_pending.erase(0, want.size());
            const std::string& answer = m_steps[m_next].answer;
            m_port.input.insert(m_port.input.end(), answer.begin(), answer.end());
            if (onAnswered)
                onAnswered(m_next);
            ++m_next;
        }
    }

    size_t Differs(const std::string& want) const
    {
        size_t i = 0;
        while (i < want.size() && i < m_pending.size() && want[i] == m_pending[i])
            ++i;
        return i;
    }

    FakePort& m_port;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    std::string m_pending;
    std::string m_mismatch;
};

} // namespace ymodem_test
