// The serial line while YMODEM has it: "YMDI" and "YMDO" answer one line of
// their own instead of the prompt, then the bytes go to the transfer until
// it ends.
#include "gensim/SerialLine.h"

#include "gensim/CommandInterpreter.h"
#include "gensim/Generator.h"
#include "gensim/Ymodem.h"


namespace gensim {

namespace {

constexpr char kFirmwareFile[] = "firmware.bin";

} // namespace

SerialLine::SerialLine(Generator& generator) : m_generator(generator) {}

SerialLine::~SerialLine() = default;

// The named files the generator keeps, in order: its memory files made
// from its stores, else what a test put in its area. Firmware above 2.349
// and below 3.07 sends "image.mem" without its final 0 byte.
std::vector<std::pair<std::string, std::string>> SerialLine::outgoingFiles(const std::vector<std::string>& names) const
{
    const double firmware = m_generator.firmwareVersion();
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : names) {
        std::optional<std::string> bytes = m_generator.memoryFile(name);
        if (bytes && name == "image.mem" && firmware > 2.349 && firmware < 3.07 && !bytes->empty())
            bytes->pop_back();
        if (!bytes)
            bytes = m_generator.ymodem().file(name);
        if (bytes)
            files.emplace_back(name, std::move(*bytes));
    }
    return files;
}

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
        m_transfer = YmodemSession::send(m_generator.ymodem(), outgoingFiles(c.words), m_now);
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
    if (!flashReceived() && m_transfer->finished())
        m_transfer.reset();
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
    if (!flashReceived() && m_transfer->finished())
        m_transfer.reset();
    return out;
}

// A "firmware.bin" is flashed as soon as it came whole (at its EOT, once
// acknowledged): a good image restarts the generator, which ends the
// transfer; a cut one never reaches the area.
bool SerialLine::flashReceived()
{
    if (!m_receiving)
        return false;
    std::optional<std::string> image = m_generator.ymodem().take(kFirmwareFile);
    if (!image)
        return false;
    m_transfer.reset();
    m_receiving = false;
    m_generator.flashFirmware(std::vector<std::uint8_t>(image->begin(), image->end()));
    return true;
}

bool SerialLine::nextDeadline(Clock::time_point& due) const
{
    if (!m_transfer)
        return false;
    due = m_transfer->deadline();
    return true;
}

} // namespace gensim
