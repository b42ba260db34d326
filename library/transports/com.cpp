// COM ports: termios serial lines, raw 8N1, exclusive by flock.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "WaitCancel.h"
#include "internal.h"

namespace morvane {

namespace {

constexpr int kComSlots = 4;
constexpr uint32_t kNoSlot = 99;

struct Rate {
    int32_t baud;
    speed_t speed;
};

// The rates a caller may set. 2400, the rate of a fresh open, is not one.
constexpr Rate kAllowedRates[] = {
    {115200, B115200}, {57600, B57600}, {38400, B38400}, {9600, B9600}, {19200, B19200},
    {300, B300},       {600, B600},     {1200, B1200},   {4800, B4800},
};
constexpr Rate kOpenRate = {2400, B2400};

int32_t BaudOf(speed_t speed)
{
    if (speed == kOpenRate.speed)
        return kOpenRate.baud;
    for (const Rate& rate : kAllowedRates)
        if (rate.speed == speed)
            return rate.baud;
    return 0;
}

const Rate* AllowedRate(int32_t baud)
{
    for (const Rate& rate : kAllowedRates)
        if (rate.baud == baud)
            return &rate;
    return nullptr;
}

// Closes the descriptor unless released, so a half-finished open undoes
// itself.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return fd_; }
    int Release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// poll() for events on fd until the deadline, riding out signals; a
// cancel of the waits ends it as a time-out.
short PollUntil(int fd, short events, const Deadline& deadline)
{
    for (;;) {
        pollfd entries[2] = {{fd, events, 0}, {driver::WaitCancelDescriptor(), POLLIN, 0}};
        const nfds_t count = entries[1].fd < 0 ? 1 : 2;
        int ready = ::poll(entries, count, deadline.RemainingMs());
        if (ready > 0 && entries[0].revents != 0)
            return entries[0].revents;
        if (ready >= 0 || errno != EINTR)
            return 0;  // the time is up, the waits were cancelled, or poll failed
    }
}

// Waits for queued output to leave, at most the drain limit: a line that
// does not move (flow control held off) must not hold the caller. The wait
// between checks is what the queue needs at the line speed. True when the
// queue emptied.
bool DrainOutput(int fd, const termios& settings)
{
    Deadline deadline(kDrainLimitMs);
    int32_t baud = BaudOf(cfgetospeed(&settings));
    if (baud == 0)
        baud = kOpenRate.baud;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && !deadline.Passed()) {
        int64_t needMs = static_cast<int64_t>(queued) * 10 * 1000 / baud + 1;
        int waitMs = static_cast<int>(needMs < deadline.RemainingMs() ? needMs : deadline.RemainingMs());
        pollfd cancel{driver::WaitCancelDescriptor(), POLLIN, 0};
        ::poll(&cancel, cancel.fd < 0 ? 0 : 1, waitMs);
    }
    return queued <= 0;
}

// Discards what is still queued for output only when it could not leave:
// on a pseudo-terminal, discarding would also drop bytes the far side has
// not read yet (a rate change sent just before a close).
void DrainOrDiscardOutput(int fd, const termios& settings)
{
    if (!DrainOutput(fd, settings))
        ::tcflush(fd, TCOFLUSH);
}

void MakeRaw8N1(termios& settings)
{
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    settings.c_iflag |= IGNPAR;
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, kOpenRate.speed);
    cfsetospeed(&settings, kOpenRate.speed);
}

// The device of COM n: MORVANE_COMn when set, else the n-th serial port.
void DevicePath(int n, char* path, size_t size)
{
    char name[16];
    std::snprintf(name, sizeof name, "MORVANE_COM%d", n);
    const char* configured = std::getenv(name);
    if (configured != nullptr && *configured != '\0')
        std::snprintf(path, size, "%s", configured);
    else
        std::snprintf(path, size, "/dev/ttyS%d", n - 1);
}

// Characters read from the line ahead of the caller: one read takes what
// came in a burst, and GetChar hands them out without a call each.
struct ComInput {
    uint8_t bytes[4096]; // a 1 KiB YMODEM block and more in one read
    int head = 0;
    int tail = 0;

    bool Empty() const { return head >= tail; }
    void Clear() { head = tail = 0; }
    // Reads what is queued (the descriptor never blocks); true when a
    // character is there. hungUp tells a line that gave an end or an error.
    bool Fill(int fd, bool* hungUp = nullptr)
    {
        if (!Empty())
            return true;
        for (;;) {
            ssize_t n = ::read(fd, bytes, sizeof bytes);
            if (n > 0) {
                head = 0;
                tail = static_cast<int>(n);
                return true;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (hungUp != nullptr)
                *hungUp = n == 0 || errno != EAGAIN;
            return false;
        }
    }
};

struct ComSlot {
    int fd = -1;
    // The line settings; a refused rate stays here.
    termios settings{};
    ComInput input;
};

class ComTransport final : public Transport {
public:
    bool IsSpec(const char* spec) override
    {
        return HasPrefixNoCase(spec, "com") && spec[3] >= '1' && spec[3] <= '4' && spec[4] == '\0';
    }

    PortId Open(const char* spec) override;

    bool Select(PortId id) override
    {
        uint32_t slot = SlotOf(id);
        if (slot == current_)
            return true;
        if (!ValidateId(id))
            return false;
        current_ = slot;
        return true;
    }

    bool ValidateId(PortId id) override
    {
        uint32_t slot = SlotOf(id);
        if (slot >= kComSlots) {
            SetPortError(MORVANE_E_COM_BAD_ID);
            return false;
        }
        if (slots_[slot].fd < 0) {
            SetPortError(MORVANE_E_COM_CLOSED);
            return false;
        }
        return true;
    }

    bool Close(PortId id) override
    {
        ComSlot* slot = Selected(id);
        if (slot == nullptr)
            return false;
        DrainOrDiscardOutput(slot->fd, slot->settings);
        ::tcflush(slot->fd, TCIFLUSH);
        slot->input.Clear();
        ::flock(slot->fd, LOCK_UN);
        ::close(slot->fd);
        slot->fd = -1;
        current_ = kNoSlot;
        return true;
    }

    bool Flush(PortId id) override
    {
        ComSlot* slot = Selected(id);
        if (slot == nullptr)
            return false;
        DrainOrDiscardOutput(slot->fd, slot->settings);
        ::tcflush(slot->fd, TCIFLUSH);
        slot->input.Clear();
        return true;
    }

    bool IsCharAvailable(PortId id) override
    {
        ComSlot* slot = Selected(id);
        return slot != nullptr && slot->input.Fill(slot->fd);
    }

    bool PutChar(PortId id, uint8_t character) override;
    bool PutBlock(PortId id, const uint8_t* data, size_t length) override;

    uint8_t GetChar(PortId id) override
    {
        ComSlot* slot = Selected(id);
        if (slot == nullptr || !slot->input.Fill(slot->fd))
            return 0;
        return slot->input.bytes[slot->input.head++];
    }

    bool WaitForInput(PortId id, int timeoutMs) override { return Wait(id, timeoutMs, nullptr); }
    bool AwaitChar(PortId id, int timeoutMs) override
    {
        bool hungUp = false;
        if (Wait(id, timeoutMs, &hungUp))
            return true;
        if (hungUp)
            SetPortError(MORVANE_E_COM_CLOSED);
        return false;
    }

    bool SetRate(PortId id, int32_t baud);
    int32_t GetRate(PortId id);

private:
    bool Wait(PortId id, int timeoutMs, bool* hungUp);

    // Clears the error code and selects the slot of id.
    ComSlot* Selected(PortId id)
    {
        SetPortError(MORVANE_OK);
        return Select(id) ? &slots_[current_] : nullptr;
    }

    ComSlot slots_[kComSlots];
    uint32_t current_ = kNoSlot;
};

PortId ComTransport::Open(const char* spec)
{
    SetPortError(MORVANE_OK);
    if (!IsSpec(spec)) {
        SetPortError(MORVANE_E_COM_BAD_SPEC);
        return 0;
    }
    int n = spec[3] - '0';
    ComSlot& slot = slots_[n - 1];
    if (slot.fd >= 0) {
        SetPortError(MORVANE_E_COM_OPEN);
        return 0;
    }
    char path[4096];
    DevicePath(n, path, sizeof path);
    // Non-blocking: every wait is a poll with its own limit. flock, because
    // the terminal's own exclusive mode does not hold against root.
    UniqueFd fd(::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios settings{};
    if (fd.Get() < 0 || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || ::tcgetattr(fd.Get(), &settings) != 0) {
        SetPortError(MORVANE_E_COM_CREATE);
        return 0;
    }
    MakeRaw8N1(settings);
    ::tcsetattr(fd.Get(), TCSANOW, &settings);
    ::tcflush(fd.Get(), TCIOFLUSH);
    slot.settings = settings;
    slot.fd = fd.Release();
    current_ = kNoSlot;
    return MORVANE_PORT_COM + static_cast<uint32_t>(n - 1);
}

bool ComTransport::PutChar(PortId id, uint8_t character)
{
    ComSlot* slot = Selected(id);
    if (slot == nullptr)
        return false;
    // A peer that stops reading fills the queue; give up after the echo
    // limit rather than hold the caller.
    Deadline deadline(kEchoLimitMs);
    for (;;) {
        ssize_t written = ::write(slot->fd, &character, 1);
        if (written == 1)
            return true;
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            break;
        short events = PollUntil(slot->fd, POLLOUT, deadline);
        if (!(events & POLLOUT) || (events & (POLLERR | POLLHUP)))
            break;
    }
    SetPortError(MORVANE_E_NO_ECHO);
    return false;
}

bool ComTransport::PutBlock(PortId id, const uint8_t* data, size_t length)
{
    ComSlot* slot = Selected(id);
    if (slot == nullptr)
        return false;
    // As PutChar: the echo limit runs from the last byte that went.
    size_t done = 0;
    Deadline deadline(kEchoLimitMs);
    while (done < length) {
        ssize_t written = ::write(slot->fd, data + done, length - done);
        if (written > 0) {
            done += static_cast<size_t>(written);
            deadline = Deadline(kEchoLimitMs);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            break;
        short events = PollUntil(slot->fd, POLLOUT, deadline);
        if (!(events & POLLOUT) || (events & (POLLERR | POLLHUP)))
            break;
    }
    if (done == length)
        return true;
    SetPortError(MORVANE_E_NO_ECHO);
    return false;
}

// One poll, then one read of what came. A hung-up line reports readable
// with nothing to read: that ends the wait too, instead of turning it into
// a spin.
bool ComTransport::Wait(PortId id, int timeoutMs, bool* hungUp)
{
    if (!ValidateId(id))
        return false;
    ComSlot& slot = slots_[SlotOf(id)];
    if (!slot.input.Empty())
        return true;
    short events = PollUntil(slot.fd, POLLIN, Deadline::FromScaled(timeoutMs));
    if (events == 0)
        return false;
    bool gone = false;
    if (slot.input.Fill(slot.fd, &gone))
        return true;
    if (hungUp != nullptr)
        *hungUp = gone || (events & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    return false;
}

bool ComTransport::SetRate(PortId id, int32_t baud)
{
    ComSlot* slot = Selected(id);
    if (slot == nullptr)
        return false;
    const Rate* rate = AllowedRate(baud);
    if (rate == nullptr) {
        SetPortError(MORVANE_E_COM_RATE);
        return false;
    }
    cfsetispeed(&slot->settings, rate->speed);
    cfsetospeed(&slot->settings, rate->speed);
    if (::tcsetattr(slot->fd, TCSANOW, &slot->settings) != 0) {
        SetPortError(MORVANE_E_COM_RATE_CHANGE);
        return false;
    }
    return true;
}

int32_t ComTransport::GetRate(PortId id)
{
    ComSlot* slot = Selected(id);
    if (slot == nullptr)
        return 0;
    ::tcgetattr(slot->fd, &slot->settings);
    return BaudOf(cfgetospeed(&slot->settings));
}

ComTransport& TheComTransport()
{
    static ComTransport transport;
    return transport;
}

}  // namespace

Transport& ComPort()
{
    return TheComTransport();
}

bool ComSetRate(PortId id, int32_t rate)
{
    return TheComTransport().SetRate(id, rate);
}

int32_t ComGetRate(PortId id)
{
    return TheComTransport().GetRate(id);
}

}  // namespace morvane
