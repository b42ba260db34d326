// Faults a test scripts into a generator: each takes effect at the next
// command line and lasts for a number of lines (or until cleared).
#pragma once

#include <cctype>
#include <mutex>
#include <string>
#include <vector>

namespace gensim {

struct Fault {
    enum class Kind {
        Silence,          // the generator hears nothing: no echo, no reply
        LowerCaseEcho,    // letters are echoed in lower case
        NoLineFeed,       // the carriage return's echo is not followed by LF
        PauseBeforeChar,  // a pause of `delayMs` before reply character `index`
        EmptyLine,        // an empty line after the first reply line
        PromptInReply,    // a ">" inside the first reply line, at `index`
        LongReply,        // the reply is `length` characters on one line
        SlowPrompt,       // a pause of `delayMs` before every prompt
        DropLink,         // after sending `index` more bytes the generator goes
                          // silent until cleared; `hangUp` also closes the line
        ScriptedReply,    // for the line `command`, send `raw` instead of the
                          // reply and prompt (the command is not run)
        BusMessages,      // GPIB: for the line `command`, send `messages`, each
                          // with EOI, instead of the reply (the command is not run)
        BusWriteError,    // GPIB: the host's writes fail with ERR
    };

    static constexpr int kForever = -1;

    Kind kind = Kind::Silence;
    int lines = 1;            // command lines it lasts, or kForever
    int delayMs = 0;
    std::size_t index = 0;
    std::size_t length = 0;
    bool hangUp = false;
    std::string command;
    std::string raw;
    std::vector<std::string> messages;

    static Fault silence(int lines = 1) { return make(Kind::Silence, lines); }
    static Fault lowerCaseEcho(int lines = 1) { return make(Kind::LowerCaseEcho, lines); }
    static Fault noLineFeed(int lines = 1) { return make(Kind::NoLineFeed, lines); }
    static Fault emptyLine(int lines = 1) { return make(Kind::EmptyLine, lines); }

    static Fault pauseBeforeChar(std::size_t index, int delayMs, int lines = 1)
    {
        Fault f = make(Kind::PauseBeforeChar, lines);
        f.index = index;
        f.delayMs = delayMs;
        return f;
    }
    static Fault promptInReply(std::size_t index = 1, int lines = 1)
    {
        Fault f = make(Kind::PromptInReply, lines);
        f.index = index;
        return f;
    }
    static Fault longReply(std::size_t length, int lines = 1)
    {
        Fault f = make(Kind::LongReply, lines);
        f.length = length;
        return f;
    }
    static Fault slowPrompt(int delayMs, int lines = kForever)
    {
        Fault f = make(Kind::SlowPrompt, lines);
        f.delayMs = delayMs;
        return f;
    }
    static Fault dropLink(std::size_t afterBytes = 0, bool hangUp = false)
    {
        Fault f = make(Kind::DropLink, kForever);
        f.index = afterBytes;
        f.hangUp = hangUp;
        return f;
    }
    static Fault scriptedReply(std::string command, std::string raw, int lines = 1)
    {
        Fault f = make(Kind::ScriptedReply, lines);
        f.command = std::move(command);
        f.raw = std::move(raw);
        return f;
    }

    static Fault busMessages(std::string command, std::vector<std::string> messages, int lines = 1)
    {
        Fault f = make(Kind::BusMessages, lines);
        f.command = std::move(command);
        f.messages = std::move(messages);
        return f;
    }
    static Fault busWriteError(int lines = 1) { return make(Kind::BusWriteError, lines); }

    // A scripted reply answers its command given in any case.
    bool answers(const std::string& line) const
    {
        if (line.size() != command.size())
            return false;
        for (std::size_t i = 0; i < line.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(line[i]))
                != std::toupper(static_cast<unsigned char>(command[i])))
                return false;
        return true;
    }

private:
    static Fault make(Kind kind, int lines)
    {
        Fault f;
        f.kind = kind;
        f.lines = lines;
        return f;
    }
};

// The faults of one generator. Tests add them from their own thread while
// the simulator thread takes a snapshot at the start of each line.
class FaultScript {
public:
    void add(Fault fault)
    {
        std::lock_guard lock(m_mutex);
        m_faults.push_back(std::move(fault));
    }

    // Also ends the faults of a line already under way.
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_faults.clear();
        ++m_clears;
    }

    // Counts the clears, so a line in progress sees that its faults ended.
    unsigned clears() const
    {
        std::lock_guard lock(m_mutex);
        return m_clears;
    }

    std::vector<Fault> snapshot() const
    {
        std::lock_guard lock(m_mutex);
        return m_faults;
    }

    // One command line has been taken: counted faults wear off. A scripted
    // reply counts only the lines it answered.
    void lineDone(const std::string& line)
    {
        std::lock_guard lock(m_mutex);
        std::vector<Fault> left;
        for (Fault& f : m_faults) {
            bool scripted = f.kind == Fault::Kind::ScriptedReply || f.kind == Fault::Kind::BusMessages;
            bool counts = !scripted || f.answers(line);
            if (counts && f.lines != Fault::kForever)
                --f.lines;
            if (f.lines != 0)
                left.push_back(std::move(f));
        }
        m_faults = std::move(left);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Fault> m_faults;
    unsigned m_clears = 0;
};

} // namespace gensim
