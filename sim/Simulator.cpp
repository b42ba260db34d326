#include "gensim/Simulator.h"

#include "gensim/GpibDevice.h"
#include "gensim/PtyEndpoint.h"
#include "gensim/SerialLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <system_error>
#include <unistd.h>

namespace gensim {

// A generator and its endpoints: a pty with the serial line, a GPIB
// address, or both; one on an ISA or PCI card has neither pty nor line here
// (the driver stand-in holds its card).
struct Simulator::Line {
    explicit Line(GeneratorOptions options) : generator(std::move(options))
    {
        if (generator.options().pty && !generator.options().onCard()) {
            pty = std::make_unique<PtyEndpoint>(generator.options().link);
            serial = std::make_unique<SerialLine>(generator);
            generator.setPaths(pty->slavePath(), pty->link());
        }
        if (generator.options().gpib)
            gpib = std::make_unique<GpibDevice>(generator);
    }

    bool polled() const { return pty && pty->isOpen(); }

    Generator generator;
    std::unique_ptr<PtyEndpoint> pty;
    std::unique_ptr<SerialLine> serial;
    std::unique_ptr<GpibDevice> gpib;
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
    const bool pciCard = options.pciCard;
    auto line = std::make_unique<Line>(std::move(options));
    Generator& g = line->generator;
    {
        std::lock_guard lock(m_mutex);
        if (const std::optional<GpibAddress>& at = g.options().gpib) {
            for (const auto& other : m_lines)
                if (other->generator.options().gpib == at)
                    throw std::invalid_argument("GPIB address " + std::to_string(at->address) + ":"
                                                + std::to_string(at->board) + " is taken");
            if (m_bus)
                m_bus->attach(at->board, at->address, *line->gpib);
        }
        if ((isaSlot >= 0 || pciCard) && !m_driver)
            throw std::invalid_argument("a card needs the kernel-driver stand-in (--windrvr)");
        if (isaSlot >= 0)
            m_driver->addIsaCard(isaSlot, g);
        if (pciCard)
            m_driver->addPciCard(g);
        m_lines.push_back(std::move(line));
    }
    wake();
    return g;
}

std::string Simulator::openGpibBus(std::string path)
{
    closeGpibBus();  // its socket may be the one asked for
    auto bus = std::make_unique<GpibBus>(path.empty() ? gpib::busPath() : std::move(path));
    std::string opened = bus->path();
    {
        std::lock_guard lock(m_mutex);
        for (const auto& line : m_lines)
            if (const std::optional<GpibAddress>& at = line->generator.options().gpib)
                bus->attach(at->board, at->address, *line->gpib);
        m_bus = std::move(bus);
        ++m_busGeneration;
    }
    wake();
    return opened;
}

void Simulator::closeGpibBus()
{
    {
        std::lock_guard lock(m_mutex);
        m_bus.reset();
        ++m_busGeneration;
    }
    wake();
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

void Simulator::restartOnNewPty(std::size_t index)
{
    {
        std::lock_guard lock(m_mutex);
        Line& line = *m_lines.at(index);
        if (!line.pty)
            throw std::invalid_argument("the generator has no pty");
        const std::string link = line.generator.options().link;
        // The old pty goes first: it takes its link along, the new one makes it again.
        line.pty.reset();
        line.serial.reset();
        line.pty = std::make_unique<PtyEndpoint>(link);
        line.serial = std::make_unique<SerialLine>(line.generator);
        line.generator.setPaths(line.pty->slavePath(), line.pty->link());
        line.generator.setBaudRate(line.generator.options().baudRate);
        ++m_lineGeneration;
    }
    wake();
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
// writes what is due. A character and its echo take one wake-up: it is acted
// on when the echo's first character is through.
void Simulator::serve(Line& line, short revents)
{
    using Clock = PtyEndpoint::Clock;
    PtyEndpoint& pty = *line.pty;
    const bool paced = line.generator.options().lineTime;
    auto charTime = [&] { return paced ? LineQueue::charTime(line.generator.baudRate()) : Clock::duration::zero(); };
    Clock::time_point now = Clock::now();
    if (revents & POLLIN)
        pty.receive(now, charTime());
    char c = 0;
    Clock::time_point heardAt;
    while (pty.heard(now, c, heardAt)) {
        // Taken before the character runs: MODE answers at the old rate.
        Clock::duration perChar = charTime();
        pty.queue(line.serial->receive(std::string_view(&c, 1), pty.hostBaud(), heardAt), heardAt, perChar);
    }
    // A transfer's time-outs.
    now = Clock::now();
    pty.queue(line.serial->tick(now), now, charTime());
    pty.flush(Clock::now());
    // With our own slave held open a hang-up here means the pty is broken:
    // stop polling it rather than spin on it.
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) && !(revents & POLLIN))
        pty.close();
}

// The first output due on a line, or a read of the bus that must be
// answered; none when nothing is due.
std::optional<PtyEndpoint::Clock::time_point> Simulator::nextWake() const
{
    std::optional<PtyEndpoint::Clock::time_point> first;
    auto note = [&](PtyEndpoint::Clock::time_point due) { first = first ? std::min(*first, due) : due; };
    for (const auto& line : m_lines) {
        PtyEndpoint::Clock::time_point due;
        if (line->polled() && line->pty->nextDue(due))
            note(due);
        if (line->polled() && line->serial->nextDeadline(due))  // a transfer's time-out
            note(due);
    }
    if (m_bus)
        if (std::optional<GpibBus::Clock::time_point> due = m_bus->nextDue())
            note(*due);
    return first;
}

void Simulator::loop()
{
    using Clock = PtyEndpoint::Clock;
    // A paced character at 115200 takes 87 us; the default slack of 50 us
    // on every timed wake would make the line much slower than a cable.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    std::vector<pollfd> fds;
    std::vector<Line*> polled;
    GpibBus* bus = nullptr;
    unsigned busGeneration = 0;
    unsigned lineGeneration = 0;
    while (!m_stopping) {
        fds.assign(1, pollfd{m_wake[0], POLLIN, 0});
        polled.clear();
        std::optional<Clock::time_point> wakeAt;
        std::size_t busFds = 0;
        std::size_t driverFds = 0;
        {
            std::lock_guard lock(m_mutex);
            for (auto& line : m_lines) {
                if (!line->polled())
                    continue;
                short events = POLLIN | (line->pty->blocked() ? POLLOUT : 0);
                fds.push_back({line->pty->fd(), events, 0});
                polled.push_back(line.get());
            }
            bus = m_bus.get();
            busGeneration = m_busGeneration;
            lineGeneration = m_lineGeneration;
            busFds = fds.size();
            if (bus)
                bus->addPollFds(fds);
            driverFds = fds.size();
            if (m_driver)
                m_driver->pollFds(fds);
            wakeAt = nextWake();
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
        // A pty replaced meanwhile has no results here; the next poll takes the new one.
        for (std::size_t i = 0; i < polled.size() && lineGeneration == m_lineGeneration; ++i)
            serve(*polled[i], fds[i + 1].revents);
        // A bus closed or replaced meanwhile has no results here.
        if (bus != nullptr && busGeneration == m_busGeneration)
            bus->serve(fds.data() + busFds, driverFds - busFds, GpibBus::Clock::now());
        for (std::size_t i = driverFds; i < fds.size(); ++i)
            m_driver->serve(fds[i]);
    }
}

} // namespace gensim
