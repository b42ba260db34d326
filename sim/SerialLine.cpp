#include "gensim/SerialLine.h"

#include "gensim/Generator.h"

#include <algorithm>
#include <cctype>

namespace gensim {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kPrompt = '>';

std::string trimmed(const std::string& s)
{
    std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

} // namespace

SerialOutput SerialLine::receive(std::string_view bytes, int hostBaud, Clock::time_point now)
{
    SerialOutput out;
    m_now = now;
    // At another speed its receiver sees only garbage, and restarting after
    // a flash it hears nothing: it drops whatever it had of the line and
    // answers nothing.
    const auto deaf = [this] {
        m_line.clear();
        m_overflow = false;
        m_inLine = false;
    };
    if (hostBaud != kAnySpeed && hostBaud != m_generator.baudRate()) {
        deaf();
        return out;
    }
    while (!bytes.empty()) {
        if (m_transfer) {
            bytes.remove_prefix(feedTransfer(bytes, out));
            continue;
        }
        if (m_generator.rebooting()) {
            deaf();
            return out;
        }
        // After "SERM DMA" the bytes are the block's, raw and without echo.
        if (!m_inLine && m_generator.receivingDma(now)) {
            if (const std::size_t taken = m_generator.feedDma(bytes, now); taken > 0) {
                bytes.remove_prefix(taken);
                continue;
            }
        }
        receiveChar(bytes.front(), out);
        bytes.remove_prefix(1);
    }
    return out;
}

const Fault* SerialLine::active(Fault::Kind kind) const
{
    auto it = std::find_if(m_faults.begin(), m_faults.end(), [kind](const Fault& f) { return f.kind == kind; });
    return it == m_faults.end() ? nullptr : &*it;
}

void SerialLine::startLine()
{
    m_faultClears = m_generator.faults().clears();
    m_faults = m_generator.faults().snapshot();
    m_inLine = true;
    // A dropped link stays down until its fault is cleared; the bytes it
    // lets through count from when it was scripted.
    if (!active(Fault::Kind::DropLink)) {
        m_dropped = false;
        m_sentSinceDrop = 0;
    }
}

void SerialLine::receiveChar(char c, SerialOutput& out)
{
    if (c == kLf)
        return;  // hosts end lines with CR alone
    if (!m_inLine)
        startLine();
    else if (m_generator.faults().clears() != m_faultClears)
        startLine(); // cleared mid-line: the generator is well again
    // Deaf: the line is heard by nobody, but its end still counts for the
    // faults, so a later line can find the generator back.
    if (m_dropped || active(Fault::Kind::Silence)) {
        if (c == kCr)
            abandonLine();
        return;
    }
    if (c == kCr) {
        emit(out, std::string(1, kCr));
        if (!active(Fault::Kind::NoLineFeed))
            emit(out, std::string(1, kLf));
        endLine(out);
        return;
    }
    char echo = c;
    if (active(Fault::Kind::LowerCaseEcho))
        echo = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    emit(out, std::string(1, echo));
    if (m_line.size() < kMaxLine)
        m_line.push_back(c);
    else
        m_overflow = true;
}

void SerialLine::abandonLine()
{
    m_generator.faults().lineDone(trimmed(m_line));
    m_line.clear();
    m_overflow = false;
    m_inLine = false;
}

void SerialLine::endLine(SerialOutput& out)
{
    std::string line = std::move(m_line);
    std::string command = trimmed(line);
    m_line.clear();
    m_inLine = false;

    auto scripted = std::find_if(m_faults.begin(), m_faults.end(), [&](const Fault& f) {
        return f.kind == Fault::Kind::ScriptedReply && f.answers(command);
    });
    std::string reply;
    if (scripted != m_faults.end()) {
        reply = scripted->raw;
        emit(out, reply);
    } else if (startTransfer(command, reply, out)) {
        // the line is YMODEM's until the transfer ends
    } else {
        std::vector<std::string> lines;
        if (m_overflow)
            lines.push_back("Command invalid");
        else
            lines = m_generator.execute(line);
        for (const std::string& l : shapeReply(std::move(lines)))
            reply += l + "\r\n";
        sendReply(reply, out);
    }
    m_overflow = false;
    m_generator.trace().record({std::move(line), std::move(reply)});
    m_generator.faults().lineDone(command);
}

std::vector<std::string> SerialLine::shapeReply(std::vector<std::string> lines) const
{
    if (const Fault* f = active(Fault::Kind::LongReply))
        lines = {std::string(f->length, 'X')};
    if (active(Fault::Kind::EmptyLine))
        lines.insert(lines.begin() + std::min<std::size_t>(1, lines.size()), std::string());
    if (const Fault* f = active(Fault::Kind::PromptInReply)) {
        if (lines.empty())
            lines.emplace_back();
        lines.front().insert(std::min(f->index, lines.front().size()), 1, kPrompt);
    }
    return lines;
}

// The reply text and the prompt, cut where a fault pauses.
void SerialLine::sendReply(std::string text, SerialOutput& out)
{
    std::string all = std::move(text) + kPrompt;
    std::size_t promptAt = all.size() - 1;
    const Fault* pause = active(Fault::Kind::PauseBeforeChar);
    const Fault* slow = active(Fault::Kind::SlowPrompt);
    std::size_t from = 0;
    auto cut = [&](std::size_t at, int delayMs) {
        emit(out, all.substr(from, at - from));
        from = at;
        emit(out, {}, delayMs);
    };
    if (pause && pause->index < promptAt)
        cut(pause->index, pause->delayMs);
    int promptDelay = (slow ? slow->delayMs : 0) + (pause && pause->index == promptAt ? pause->delayMs : 0);
    if (promptDelay > 0)
        cut(promptAt, promptDelay);
    emit(out, all.substr(from));
}

// Every byte goes through here, so a dropped link can cut the line at any
// point: echo, acknowledge, reply or prompt.
void SerialLine::emit(SerialOutput& out, std::string bytes, int delayMs)
{
    if (m_dropped)
        return;
    if (const Fault* drop = active(Fault::Kind::DropLink)) {
        std::size_t room = drop->index > m_sentSinceDrop ? drop->index - m_sentSinceDrop : 0;
        if (bytes.size() > room || (bytes.empty() && room == 0)) {
            bytes.resize(room);
            m_dropped = true;
            out.hangUp = drop->hangUp;
        }
        m_sentSinceDrop += bytes.size();
    }
    if (!bytes.empty() || (delayMs > 0 && !m_dropped))
        out.chunks.push_back({delayMs, std::move(bytes)});
}

} // namespace gensim
