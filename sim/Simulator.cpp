#include "gensim/Simulator.h"

#include "gensim/PtyEndpoint.h"
#include "gensim/SerialLine.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <unistd.h>

namespace gensim {

struct Simulator::Line {
    explicit Line(GeneratorOptions options)
        : generator(std::move(options)), pty(generator.options().link), serial(generator)
    {
        generator.setPaths(pty.slavePath(), pty.link());
    }

    Generator generator;
    PtyEndpoint pty;
    SerialLine serial;
};

Simulator::Simulator()
{
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) < 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
}

Simulator::~Simulator()
{
    stop();
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

Generator& Simulator::addGenerator(GeneratorOptions options)
{
    auto line = std::make_unique<Line>(std::move(options));
    Generator& g = line->generator;
    {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(line));
    }
    wake();
    return g;
}

std::size_t Simulator::size() const
{
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}

Generator& Simulator::generator(std::size_t index)
{
    std::lock_guard lock(m_mutex);
    return m_lines.at(index)->generator;
}

void Simulator::start()
{
    if (m_thread.joinable())
        return;
    m_stopping = false;
    m_thread = std::thread([this] { loop(); });
}

void Simulator::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    wake();
    m_thread.join();
}

void Simulator::wake()
{
    char c = 1;
    // A full pipe already holds a wake-up; nothing is lost.
    [[maybe_unused]] ssize_t n = ::write(m_wake[1], &c, 1);
}

// Reads and answers one line's input, then writes what is due.
void Simulator::serve(Line& line, short revents)
{
    PtyEndpoint& pty = line.pty;
    if (revents & POLLIN) {
        std::string bytes = pty.read();
        if (!bytes.empty())
            pty.queue(line.serial.receive(bytes, pty.hostBaud()), PtyEndpoint::Clock::now());
    }
    pty.flush(PtyEndpoint::Clock::now());
    // With our own slave held open a hang-up here means the pty is broken:
    // stop polling it rather than spin on it.
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) && !(revents & POLLIN))
        pty.close();
}

void Simulator::loop()
{
    std::vector<pollfd> fds;
    std::vector<Line*> polled;
    while (!m_stopping) {
        fds.assign(1, pollfd{m_wake[0], POLLIN, 0});
        polled.clear();
        int timeoutMs = -1;
        {
            std::lock_guard lock(m_mutex);
            auto now = PtyEndpoint::Clock::now();
            for (auto& line : m_lines) {
                if (!line->pty.isOpen())
                    continue;
                short events = POLLIN | (line->pty.blocked() ? POLLOUT : 0);
                fds.push_back({line->pty.fd(), events, 0});
                polled.push_back(line.get());
                PtyEndpoint::Clock::time_point due;
                if (line->pty.nextDue(due)) {
                    auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
                    int ms = static_cast<int>(std::max<decltype(wait)>(0, wait));
                    timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
                }
            }
        }
        if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "poll");
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < polled.size(); ++i)
            serve(*polled[i], fds[i + 1].revents);
    }
}

} // namespace gensim
