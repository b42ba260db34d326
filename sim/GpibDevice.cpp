#include "gensim/GpibDevice.h"

#include "gensim/Arguments.h"
#include "gensim/Generator.h"
#include "gensim/GpibWire.h"

#include <algorithm>
#include <cctype>

namespace gensim {

namespace {

constexpr char kFlash[] = "FLSH";
// A block's bytes are kept as they come; a count beyond any image reserves no more than this.
constexpr std::size_t kMaxBlockReserve = 4u << 20;

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A message without the line end a host may add.
std::string lineOf(std::string_view message)
{
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.remove_suffix(1);
    return std::string(message);
}

// "FLSH <n>": n bytes of firmware follow.
std::optional<std::size_t> flashCount(const std::string& command)
{
    if (!startsWithNoCase(command, kFlash) || command.size() < 6 || command[4] != ' ')
        return std::nullopt;
    long long count = 0;
    if (!wholeNumber(trimBlanks(std::string_view(command).substr(5)), count) || count < 0)
        return std::nullopt;
    return static_cast<std::size_t>(count);
}

} // namespace

const Fault* GpibDevice::active(Fault::Kind kind) const
{
    auto it = std::find_if(m_faults.begin(), m_faults.end(), [kind](const Fault& f) { return f.kind == kind; });
    return it == m_faults.end() ? nullptr : &*it;
}

// A new message from the host: the faults as they stand now, and a reply
// left unread goes, as a device clears its output queue.
void GpibDevice::startMessage()
{
    m_faultClears = m_generator.faults().clears();
    m_faults = m_generator.faults().snapshot();
    m_inMessage = true;
    m_output.clear();
}

void GpibDevice::endMessage()
{
    m_inMessage = false;
    m_message.clear();
    m_size = 0;
    m_sum = 0;
}

int GpibDevice::write(std::string_view bytes, bool eoi, bool callEnd, Clock::time_point now)
{
    if (!m_inMessage || m_generator.faults().clears() != m_faultClears)
        startMessage();
    if (active(Fault::Kind::BusWriteError)) {
        endMessage();
        m_generator.faults().lineDone({});
        return gpib::kEbus;
    }
    m_generator.busTrace().record(BusEvent::write(std::string(bytes), eoi));
    // Deaf: the bytes are taken off the bus, but nobody acts on them.
    if (active(Fault::Kind::Silence)) {
        if (eoi || callEnd) {
            m_inBlock = false;
            endMessage();
            m_generator.faults().lineDone({});
        }
        return 0;
    }
    for (char c : bytes) {
        if (m_inBlock)
            takeBlock(c);
        else
            take(c);
    }
    if (eoi)
        endWithEoi(now);
    else if (callEnd)
        endWithoutEoi();
    return 0;
}

void GpibDevice::take(char c)
{
    if (m_message.size() <= kMaxLine)
        m_message.push_back(c);
    ++m_size;
    m_sum += static_cast<unsigned char>(c);
    if (!atBlockHeader())
        return;
    // "FLSH #<d><n>": d digits of n, then n bytes of the block.
    std::size_t count = 0;
    for (std::size_t i = 7; i < m_message.size(); ++i)
        count = count * 10 + static_cast<std::size_t>(m_message[i] - '0');
    m_generator.trace().record({m_message, {}});
    m_generator.faults().lineDone(m_message);
    m_message.clear();
    m_size = 0;
    m_sum = 0;
    startBlock(count);
}

bool GpibDevice::atBlockHeader() const
{
    const std::string& m = m_message;
    if (m_size != m.size() || m.size() < 8 || !startsWithNoCase(m, "FLSH #") || m[6] < '1' || m[6] > '9')
        return false;
    const std::size_t digits = static_cast<std::size_t>(m[6] - '0');
    return m.size() == 7 + digits && std::all_of(m.begin() + 7, m.end(), isDigit);
}

void GpibDevice::startBlock(std::size_t size)
{
    m_inBlock = true;
    m_blockLeft = size;
    m_blockSize = 0;
    m_blockSum = 0;
    m_blockBytes.clear();
    m_blockBytes.reserve(std::min<std::size_t>(size, kMaxBlockReserve));
    if (size == 0)
        endBlock();
}

void GpibDevice::takeBlock(char c)
{
    ++m_blockSize;
    m_blockSum += static_cast<unsigned char>(c);
    m_blockBytes.push_back(static_cast<std::uint8_t>(c));
    if (--m_blockLeft == 0)
        endBlock();
}

void GpibDevice::endBlock()
{
    m_inBlock = false;
    m_generator.busTrace().record(BusEvent::flash(m_blockSize, m_blockSum));
    // A block cut short by EOI flashes nothing.
    if (m_blockLeft == 0)
        m_generator.flashFirmware(m_blockBytes);
    m_blockBytes = {};
}

void GpibDevice::endWithEoi(Clock::time_point now)
{
    // EOI inside a block ends it short: what came is what was flashed.
    if (m_inBlock) {
        endBlock();
        endMessage();
        return;
    }
    if (m_size > 0)
        runLine(now);
    endMessage();
}

// A write without EOI that is no block: a file, taken as one transfer. A
// block's bytes may follow in the next write.
void GpibDevice::endWithoutEoi()
{
    if (!m_inBlock && m_size > 0)
        m_generator.busTrace().record(BusEvent::file(m_size, m_sum));
    endMessage();
}

void GpibDevice::runLine(Clock::time_point now)
{
    const std::string line = lineOf(m_message);
    const std::string command(trimBlanks(line));
    if (m_generator.rebooting()) {
        // Restarting after a flash: the line goes unheard, no reply comes.
        m_generator.faults().lineDone(command);
        return;
    }
    if (m_size > kMaxLine) {
        queue({"Command invalid\n"}, now);
        m_generator.trace().record({line, "Command invalid\n"});
    } else if (std::optional<std::size_t> count = flashCount(command)) {
        m_generator.trace().record({line, {}});
        startBlock(*count);
    } else {
        const std::vector<std::string> messages = replyMessages(line, command);
        queue(messages, now);
        std::string reply;
        for (const std::string& m : messages)
            reply += m;
        m_generator.trace().record({line, std::move(reply)});
    }
    m_generator.faults().lineDone(command);
}

// The reply as bus messages: CR LF after every line but the last, LF alone
// after the last; no line, no message.
std::vector<std::string> GpibDevice::replyMessages(const std::string& line, const std::string& command)
{
    auto scripted = std::find_if(m_faults.begin(), m_faults.end(), [&](const Fault& f) {
        return f.kind == Fault::Kind::BusMessages && f.answers(command);
    });
    if (scripted != m_faults.end())
        return scripted->messages;
    std::vector<std::string> lines = m_generator.execute(line);
    if (const Fault* f = active(Fault::Kind::LongReply))
        lines = {std::string(f->length, 'X')};
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < lines.size(); ++i)
        messages.push_back(lines[i] + (i + 1 < lines.size() ? "\r\n" : "\n"));
    return messages;
}

// Queues the messages, held back from a pause on where it falls.
void GpibDevice::queue(const std::vector<std::string>& messages, Clock::time_point now)
{
    const Fault* pause = active(Fault::Kind::PauseBeforeChar);
    std::size_t offset = 0;
    Clock::time_point due = now;
    for (const std::string& bytes : messages) {
        if (pause && due == now && pause->index < offset + bytes.size()) {
            const std::size_t at = pause->index - std::min(pause->index, offset);
            if (at > 0)
                m_output.push_back({bytes.substr(0, at), false, due});
            due = now + std::chrono::milliseconds(pause->delayMs);
            m_output.push_back({bytes.substr(at), true, due});
        } else {
            m_output.push_back({bytes, true, due});
        }
        offset += bytes.size();
    }
}

std::optional<GpibDevice::Piece> GpibDevice::read(std::size_t max, Clock::time_point now)
{
    if (m_output.empty() || m_output.front().due > now)
        return std::nullopt;
    Message& front = m_output.front();
    Piece piece;
    const std::size_t n = std::min(max, front.bytes.size());
    piece.bytes = front.bytes.substr(0, n);
    front.bytes.erase(0, n);
    piece.end = front.bytes.empty() && front.eoi;
    if (front.bytes.empty())
        m_output.pop_front();
    m_generator.busTrace().record(BusEvent::reply(piece.bytes, piece.end));
    return piece;
}

std::optional<GpibDevice::Clock::time_point> GpibDevice::nextOutput() const
{
    if (m_output.empty())
        return std::nullopt;
    return m_output.front().due;
}

void GpibDevice::readTimedOut(int timeoutMs)
{
    m_generator.busTrace().record(BusEvent::timeout(timeoutMs));
}

} // namespace gensim
