// The serial line while YMODEM has it: "YMDI" and "YMDO" answer one line of
// their own instead of the prompt, then the bytes go to the transfer until
// it ends.
#include "gensim/SerialLine.h"

#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"
#include "gensim/Ymodem.h"

#include <utility>

namespace gensim {

namespace {

constexpr char kFirmwareFile[] = "firmware.bin";

} // namespace

SerialLine::SerialLine(Generator& generator) : m_generator(generator) {}

SerialLine::~SerialLine() = default;

bool SerialLine::startTransfer(const std::string& command, std::string& reply, SerialOutput& out)
{
    Command c = CommandInterpreter::parse(command);
    if (c.query || (c.mnemonic != "YMDI" && c.mnemonic != "YMDO"))
        return false;
    std::string opening;
    if (c.mnemonic == "YMDI") {
        reply = "Ready to receive\r\n";
        m_transfer = YmodemSession::receive(m_generator.ymodem(), m_now, opening);
        m_receiving = true;
    } else {
        reply = "Ready to send\r\n";
        m_transfer = YmodemSession::send(m_generator.ymodem(), c.words, m_now);
        m_receiving = false;
    }
    // One write, so the host finds the first request with the line.
    emit(out, reply + opening);
    return true;
}

std::size_t SerialLine::feedTransfer(std::string_view bytes, SerialOutput& out)
{
    std::string answer;
    std::size_t taken = m_transfer->feed(bytes, m_now, answer);
    if (!answer.empty())
        emit(out, std::move(answer));
    if (m_transfer->finished())
        endTransfer();
    return taken;
}

SerialOutput SerialLine::tick(Clock::time_point now)
{
    SerialOutput out;
    if (!m_transfer)
        return out;
    std::string answer;
    m_transfer->tick(now, answer);
    if (!answer.empty())
        emit(out, std::move(answer));
    if (m_transfer->finished())
        endTransfer();
    return out;
}

// A "firmware.bin" the batch brought whole is flashed; a cut batch left none.
void SerialLine::endTransfer()
{
    m_transfer.reset();
    if (!std::exchange(m_receiving, false))
        return;
    if (std::optional<std::string> image = m_generator.ymodem().take(kFirmwareFile))
        m_generator.flashFirmware(std::vector<std::uint8_t>(image->begin(), image->end()));
}

bool SerialLine::nextDeadline(Clock::time_point& due) const
{
    if (!m_transfer)
        return false;
    due = m_transfer->deadline();
    return true;
}

} // namespace gensim
