#include "gensim/Simulator.h"

#include "gensim/PtyEndpoint.h"
#include "gensim/SerialLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <system_error>
#include <unistd.h>

namespace gensim {

// A generator on a pty; one on a card has neither pty nor line here.
struct Simulator::Line {
    explicit Line(GeneratorOptions options) : generator(std::move(options))
    {
        if (generator.options().isaSlot >= 0)
            return;
        pty = std::make_unique<PtyEndpoint>(generator.options().link);
        serial = std::make_unique<SerialLine>(generator);
        generator.setPaths(pty->slavePath(), pty->link());
    }

    Generator generator;
    std::unique_ptr<PtyEndpoint> pty;
    std::unique_ptr<SerialLine> serial;
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
    const int isaSlot = options.isaSlot;
    auto line = std::make_unique<Line>(std::move(options));
    Generator& g = line->generator;
    {
        std::lock_guard lock(m_mutex);
        if (isaSlot >= 0) {
            if (!m_driver)
                throw std::invalid_argument("an ISA card needs the kernel-driver stand-in (--windrvr)");
            m_driver->addIsaCard(isaSlot, g);
        }
        m_lines.push_back(std::move(line));
    }
    wake();
    return g;
}

DriverEndpoint& Simulator::openDriver(std::string path, uint32_t version)
{
    auto endpoint = std::make_unique<DriverEndpoint>(std::move(path), version);
    DriverEndpoint& d = *endpoint;
    {
        std::lock_guard lock(m_mutex);
        if (m_driver)
            throw std::invalid_argument("the kernel-driver stand-in is open already");
        m_driver = std::move(endpoint);
    }
    wake();
    return d;
}

DriverEndpoint* Simulator::driverEndpoint()
{
    std::lock_guard lock(m_mutex);
    return m_driver.get();
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

// Reads the host's input, answers what the generator has heard of it, then
// writes what is due.
void Simulator::serve(Line& line, short revents)
{
    using Clock = PtyEndpoint::Clock;
    PtyEndpoint& pty = *line.pty;
    const bool paced = line.generator.options().lineTime;
    auto charTime = [&] { return paced ? LineQueue::charTime(line.generator.baudRate()) : Clock::duration::zero(); };
    Clock::time_point now = Clock::now();
    if (revents & POLLIN)
        pty.receive(now, charTime());
    int hostBaud = -1;  // asked once, and only when something was heard
    char c = 0;
    Clock::time_point heardAt;
    while (pty.heard(now, c, heardAt)) {
        if (hostBaud < 0)
            hostBaud = pty.hostBaud();
        // Taken before the character runs: MODE answers at the old rate.
        Clock::duration perChar = charTime();
        pty.queue(line.serial->receive(std::string_view(&c, 1), hostBaud), heardAt, perChar);
    }
    pty.flush(Clock::now());
    // With our own slave held open a hang-up here means the pty is broken:
    // stop polling it rather than spin on it.
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) && !(revents & POLLIN))
        pty.close();
}

void Simulator::loop()
{
    using Clock = PtyEndpoint::Clock;
    // A paced character at 115200 takes 87 us; the default slack of 50 us
    // on every timed wake would make the line much slower than a cable.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    std::vector<pollfd> fds;
    std::vector<Line*> polled;
    while (!m_stopping) {
        fds.assign(1, pollfd{m_wake[0], POLLIN, 0});
        polled.clear();
        std::optional<Clock::time_point> wakeAt;
        {
            std::lock_guard lock(m_mutex);
            for (auto& line : m_lines) {
                if (!line->pty || !line->pty->isOpen())
                    continue;
                short events = POLLIN | (line->pty->blocked() ? POLLOUT : 0);
                fds.push_back({line->pty->fd(), events, 0});
                polled.push_back(line.get());
                Clock::time_point due;
                if (line->pty->nextDue(due))
                    wakeAt = wakeAt ? std::min(*wakeAt, due) : due;
            }
            if (m_driver)
                m_driver->pollFds(fds);
        }
        // Finer than a millisecond: a paced character at 115200 takes 87 us.
        timespec timeout{};
        if (wakeAt) {
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*wakeAt - Clock::now()).count();
            ns = std::max<decltype(ns)>(0, ns);
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        if (ppoll(fds.data(), fds.size(), wakeAt ? &timeout : nullptr, nullptr) < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "ppoll");
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < polled.size(); ++i)
            serve(*polled[i], fds[i + 1].revents);
        for (std::size_t i = polled.size() + 1; i < fds.size(); ++i)
            m_driver->serve(fds[i]);
    }
}

} // namespace gensim
