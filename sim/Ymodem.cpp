#include "gensim/Ymodem.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace gensim {

namespace {

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kEot = 0x04;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kCan = 0x18;
constexpr char kSub = 0x1A;
constexpr auto kByteLimit = std::chrono::seconds(1);  // between the bytes of a block

using Kind = YmodemFault::Kind;

std::string frame(int number, const std::string& data, bool crc)
{
    std::string block(1, data.size() == 128 ? kSoh : kStx);
    block += static_cast<char>(number & 0xFF);
    block += static_cast<char>(255 - (number & 0xFF));
    block += data;
    if (crc) {
        unsigned value = ymodemCrc(data);
        block += static_cast<char>(value >> 8);
        block += static_cast<char>(value & 0xFF);
    } else {
        unsigned sum = 0;
        for (unsigned char c : data)
            sum += c;
        block += static_cast<char>(sum & 0xFF);
    }
    return block;
}

// Whether the byte can stand at that place of a null header: SOH, block 0
// and its complement, an empty name and zeros up to the last two data bytes
// (which some senders fill), then the check.
bool fitsNullHeader(std::size_t at, unsigned char byte)
{
    if (at == 0)
        return byte == kSoh;
    if (at == 2)
        return byte == 0xFF;
    return at >= 3 + 126 || byte == 0;
}

bool checkMatches(const std::string& data, std::string_view check, bool crc)
{
    if (crc) {
        unsigned value = ymodemCrc(data);
        return static_cast<unsigned char>(check[0]) == (value >> 8)
            && static_cast<unsigned char>(check[1]) == (value & 0xFF);
    }
    unsigned sum = 0;
    for (unsigned char c : data)
        sum += c;
    return static_cast<unsigned char>(check[0]) == (sum & 0xFF);
}

} // namespace

unsigned ymodemCrc(std::string_view data)
{
    unsigned crc = 0;
    for (unsigned char c : data) {
        crc ^= static_cast<unsigned>(c) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
    }
    return crc;
}

// --- The area --------------------------------------------------------------------

void YmodemArea::put(std::string name, std::string bytes)
{
    std::lock_guard lock(m_mutex);
    m_files[std::move(name)] = std::move(bytes);
}

void YmodemArea::setTaker(std::function<void(const std::string&, const std::string&)> taker)
{
    std::lock_guard lock(m_mutex);
    m_taker = std::move(taker);
}

void YmodemArea::received(std::string name, std::string bytes)
{
    std::function<void(const std::string&, const std::string&)> taker;
    {
        std::lock_guard lock(m_mutex);
        taker = m_taker;
    }
    if (taker)
        taker(name, bytes);
    put(std::move(name), std::move(bytes));
}

std::optional<std::string> YmodemArea::file(std::string_view name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_files.find(name);
    return it == m_files.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<std::string> YmodemArea::take(std::string_view name)
{
    std::lock_guard lock(m_mutex);
    auto it = m_files.find(name);
    if (it == m_files.end())
        return std::nullopt;
    std::string bytes = std::move(it->second);
    m_files.erase(it);
    return bytes;
}

std::vector<std::string> YmodemArea::names() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const auto& [name, bytes] : m_files)
        out.push_back(name);
    return out;
}

void YmodemArea::clear()
{
    std::lock_guard lock(m_mutex);
    m_files.clear();
}

void YmodemArea::fault(YmodemFault fault)
{
    std::lock_guard lock(m_mutex);
    m_faults.push_back(std::move(fault));
}

void YmodemArea::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::vector<YmodemFault> YmodemArea::faults() const
{
    std::lock_guard lock(m_mutex);
    return m_faults;
}

void YmodemArea::setIdleLimit(std::chrono::milliseconds limit)
{
    std::lock_guard lock(m_mutex);
    m_idleLimit = limit;
}

std::chrono::milliseconds YmodemArea::idleLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_idleLimit;
}

void YmodemArea::setRequestInterval(std::chrono::milliseconds interval)
{
    std::lock_guard lock(m_mutex);
    m_requestInterval = interval;
}

std::chrono::milliseconds YmodemArea::requestInterval() const
{
    std::lock_guard lock(m_mutex);
    return m_requestInterval;
}

// --- One transfer ----------------------------------------------------------------

struct YmodemSession::Impl {
    using Clock = YmodemSession::Clock;

    enum class State {
        WaitHeader,     // receiver: "C" sent, a header or the end of the transfer
        WaitData,       // receiver: header taken, data blocks or EOT
        WaitStart,      // sender: "C" or NAK before a header
        WaitHeaderAck,
        WaitDataStart,  // sender: "C" or NAK before the first data block
        WaitBlockAck,
        WaitEotAck,
        Draining,       // the host cancelled: the rest of its CANs
        Closing,        // receiver: the batch is over, its end acknowledged
        Done,
    };

    struct File {
        std::string name;
        std::string bytes;
    };

    Impl(YmodemArea& a, Clock::time_point now)
        : area(a), faults(a.faults()), idleLimit(a.idleLimit()), requestInterval(a.requestInterval()), lastHeard(now)
    {
    }

    YmodemArea& area;
    const std::vector<YmodemFault> faults;
    const std::chrono::milliseconds idleLimit;
    const std::chrono::milliseconds requestInterval;
    State state = State::Done;
    Clock::time_point lastHeard;
    bool lastWasCan = false;
    bool silent = false;
    bool crc = true;
    // Faults already played, by kind and block; a NAK count per block.
    std::set<std::pair<Kind, int>> played;
    std::map<int, int> naks;

    // Receiver
    int requests = 0;         // sent for the header or first block awaited
    bool fileEnded = false;   // the last file's EOT was acknowledged
    std::string block;        // the block coming in
    std::size_t blockLength = 0;
    std::string name;
    long long size = 0;
    std::string bytes;
    int index = 1;            // the data block expected, from 1

    // Sender
    std::vector<File> files;
    std::size_t fileIndex = 0;
    bool ending = false;      // the null header is out
    std::size_t position = 0; // of the block being sent
    std::size_t length = 0;
    bool repeated = false;

    const YmodemFault* find(Kind kind, int at) const
    {
        for (const YmodemFault& f : faults)
            if (f.kind == kind && f.block == at)
                return &f;
        return nullptr;
    }
    const YmodemFault* findAny(Kind kind) const
    {
        for (const YmodemFault& f : faults)
            if (f.kind == kind)
                return &f;
        return nullptr;
    }
    // A fault that plays once per file.
    const YmodemFault* once(Kind kind, int at)
    {
        const YmodemFault* f = find(kind, at);
        if (!f || played.count({kind, at}))
            return nullptr;
        played.insert({kind, at});
        return f;
    }

    // What goes before a block or its answer, and whether anything goes.
    bool prelude(int at, std::string& out)
    {
        if (find(Kind::Silence, at))
            silent = true;
        if (silent)
            return false;
        if (find(Kind::CancelAt, at)) {
            out += std::string(2, kCan);
            state = State::Done;
            return false;
        }
        if (once(Kind::LoneCan, at))
            out += std::string{kCan, 'x'};
        if (const YmodemFault* f = once(Kind::StrayBytes, at))
            out += f->text;
        return true;
    }

    Clock::time_point deadline() const
    {
        Clock::time_point idle = lastHeard + (asking() ? requestInterval : idleLimit);
        if (!block.empty())
            return std::min(idle, lastHeard + kByteLimit);
        return idle;
    }

    // --- Receiver ------------------------------------------------------------

    // Waiting for a header, or for the first data block of a file.
    bool asking() const { return state == State::WaitHeader || (state == State::WaitData && index == 1); }

    // "C" (or what the mode asks with) once more; after the last request
    // the transfer is given up and the line goes back to commands.
    void request(std::string& out)
    {
        if (requests >= YmodemArea::kRequests) {
            state = State::Done;
            return;
        }
        ++requests;
        if (state == State::WaitHeader)
            out += findAny(Kind::AskStreaming) ? 'G' : 'C';
        else
            out += crc ? 'C' : kNak;
    }

    void askHeader(std::string& out)
    {
        state = State::WaitHeader;
        block.clear();
        requests = 0;
        request(out);
    }

    void receiverByte(char c, std::string& out, bool& ended)
    {
        if (!block.empty()) {
            block += c;
            if (block.size() == blockLength)
                takeBlock(out);
            return;
        }
        bool can = c == kCan;
        bool wasCan = std::exchange(lastWasCan, can);
        if (can) {
            if (wasCan)
                state = State::Draining;
            return;
        }
        if (c == kSoh || c == kStx) {
            int data = c == kSoh ? 128 : 1024;
            bool check = state == State::WaitData ? crc : true;
            blockLength = 3 + data + (check ? 2 : 1);
            block.assign(1, c);
            return;
        }
        if (state == State::WaitData && c == kEot) {
            endFile(out);
            return;
        }
        // The sender missed the ACK of its EOT and sends it again.
        if (state == State::WaitHeader && c == kEot && fileEnded) {
            out += kAck;
            return;
        }
        // Waiting for a header, a byte that starts no block is a command.
        if (state == State::WaitHeader)
            ended = true;
    }

    void refuse(std::string& out)
    {
        if (silent)
            return;
        if (state == State::WaitHeader)
            request(out);
        else
            out += kNak;
    }

    void takeBlock(std::string& out)
    {
        std::string b = std::exchange(block, {});
        auto number = static_cast<unsigned char>(b[1]);
        auto complement = static_cast<unsigned char>(b[2]);
        std::size_t dataLength = b[0] == kSoh ? 128 : 1024;
        std::string data = b.substr(3, dataLength);
        bool check = state == State::WaitData ? crc : true;
        if (number != 255 - complement || !checkMatches(data, std::string_view(b).substr(3 + dataLength), check)) {
            refuse(out);
            return;
        }
        if (state == State::WaitHeader) {
            takeHeader(number, data, out);
            return;
        }
        if (number == ((index - 1) & 0xFF)) {
            if (!silent)
                out += kAck;  // a repeat: our ACK was lost
            return;
        }
        if (number != (index & 0xFF)) {
            refuse(out);
            return;
        }
        if (!prelude(index, out))
            return;
        auto nak = find(Kind::NakBlock, index);
        if (nak && naks[index] < nak->count) {
            ++naks[index];
            out += kNak;
            return;
        }
        bytes += data;
        ++index;
        out += kAck;
    }

    void takeHeader(unsigned number, const std::string& data, std::string& out)
    {
        if (number != 0) {
            refuse(out);
            return;
        }
        std::size_t nul = data.find('\0');
        name = data.substr(0, nul);
        if (name.empty()) {
            out += kAck;  // the null header: the batch is over
            state = State::Closing;
            return;
        }
        fileEnded = false;
        size = 0;
        if (nul != std::string::npos)
            size = std::atoll(data.c_str() + nul + 1);
        bytes.clear();
        index = 1;
        naks.clear();
        played.clear();
        crc = !findAny(Kind::ChecksumMode);
        state = State::WaitData;
        out += kAck;
        requests = 0;
        request(out);
    }

    // A sender that missed the ACK of its null header sends the header
    // again (sb does when its wait for the ACK ends early): it gets the ACK
    // again instead of landing on the command line. The first byte that
    // cannot be such a header begins a command; a header cut short is
    // dropped.
    void closingByte(char c, std::string& out, bool& ended)
    {
        if (!fitsNullHeader(block.size(), static_cast<unsigned char>(c))) {
            block.clear();
            ended = true;
            return;
        }
        block += c;
        if (block.size() < 3 + 128 + 2)
            return;
        const std::string b = std::exchange(block, {});
        if (checkMatches(b.substr(3, 128), std::string_view(b).substr(3 + 128), true))
            out += kAck;
        else
            state = State::Done;
    }

    void endFile(std::string& out)
    {
        if (silent)
            return;
        if (size > 0 && static_cast<std::size_t>(size) < bytes.size())
            bytes.resize(static_cast<std::size_t>(size));
        area.received(name, std::move(bytes));
        bytes.clear();
        out += kAck;
        fileEnded = true;
        askHeader(out);
    }

    // --- Sender -------------------------------------------------------------

    void sendHeader(std::string& out)
    {
        std::string data;
        if (fileIndex < files.size()) {
            const File& f = files[fileIndex];
            const YmodemFault* n = findAny(Kind::HeaderName);
            const YmodemFault* s = findAny(Kind::HeaderSize);
            data = (n ? n->text : f.name) + '\0' + (s ? s->text : std::to_string(f.bytes.size())) + " 0";
            if (findAny(Kind::HeaderWithoutNul))
                data = (f.name + std::string(128, '_')).substr(0, 128);
        }
        ending = fileIndex >= files.size();
        data.resize(128, '\0');
        out += frame(0, data, crc);
        state = State::WaitHeaderAck;
    }

    void sendBlock(bool first, std::string& out)
    {
        const std::string& all = files[fileIndex].bytes;
        int at = index;
        std::string prefix;
        if (first && !prelude(at, prefix)) {
            out += prefix;
            return;
        }
        if (silent)
            return;
        out += prefix;
        length = all.size() - position >= 1024 ? 1024 : 128;
        std::string data = all.substr(position, length);
        data.resize(length, kSub);
        int number = index;
        if (first && once(Kind::WrongNumber, at))
            ++number;
        std::string b = frame(number, data, crc);
        if (first && once(Kind::BadCrc, at))
            b.back() = static_cast<char>(b.back() ^ 0x5A);
        out += b;
        state = State::WaitBlockAck;
    }

    void nextBlock(std::string& out)
    {
        if (position >= files[fileIndex].bytes.size()) {
            if (!silent)
                out += kEot;
            state = State::WaitEotAck;
            return;
        }
        repeated = false;
        sendBlock(true, out);
    }

    void senderByte(char c, std::string& out, bool& ended)
    {
        bool can = c == kCan;
        bool wasCan = std::exchange(lastWasCan, can);
        if (can) {
            if (wasCan)
                state = State::Draining;
            return;
        }
        switch (state) {
        case State::WaitStart:
            if (c == 'C' || c == kNak) {
                crc = c == 'C';
                sendHeader(out);
            } else if (fileIndex == 0) {
                ended = true;  // no receiver: the byte begins a command
            }
            break;
        case State::WaitHeaderAck:
            if (c == kAck) {
                if (ending)
                    state = State::Done;
                else
                    state = State::WaitDataStart;
            } else if (c == kNak || c == 'C') {
                sendHeader(out);  // the host missed it
            }
            break;
        case State::WaitDataStart:
            if (c == 'C' || c == kNak) {
                crc = c == 'C';
                position = 0;
                index = 1;
                played.clear();
                nextBlock(out);
            }
            break;
        case State::WaitBlockAck:
            if (c == kAck) {
                if (!repeated && once(Kind::RepeatBlock, index)) {
                    repeated = true;
                    sendBlock(false, out);
                    break;
                }
                position += length;
                ++index;
                nextBlock(out);
            } else if (c == kNak || c == 'C') {
                sendBlock(false, out);
            }
            break;
        case State::WaitEotAck:
            if (c == kAck) {
                ++fileIndex;
                state = State::WaitStart;
            } else if (c == kNak && !silent) {
                out += kEot;
            }
            break;
        default:
            break;
        }
    }

    // --- Both ---------------------------------------------------------------

    std::size_t feed(std::string_view in, Clock::time_point now, std::string& out)
    {
        std::size_t i = 0;
        for (; i < in.size() && state != State::Done; ++i) {
            lastHeard = now;
            char c = in[i];
            bool ended = false;
            if (state == State::Draining) {
                if (c != kCan) {
                    state = State::Done;
                    break;
                }
                continue;
            }
            if (state == State::WaitHeader || state == State::WaitData)
                receiverByte(c, out, ended);
            else if (state == State::Closing)
                closingByte(c, out, ended);
            else
                senderByte(c, out, ended);
            if (ended) {
                state = State::Done;
                break;
            }
        }
        return i;
    }

    void tick(Clock::time_point now, std::string& out)
    {
        if (state == State::Done || now < deadline())
            return;
        if (state == State::Closing) {
            state = State::Done;
            return;
        }
        const bool cutShort = !block.empty() && now < lastHeard + (asking() ? requestInterval : idleLimit);
        block.clear();
        lastHeard = now;
        if (asking() && !silent)
            request(out);
        else if (cutShort)
            refuse(out);  // ask for the block again
        else
            state = State::Done;
    }
};

YmodemSession::YmodemSession(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
YmodemSession::~YmodemSession() = default;

std::unique_ptr<YmodemSession> YmodemSession::receive(YmodemArea& area, Clock::time_point now, std::string& out)
{
    auto impl = std::make_unique<Impl>(area, now);
    impl->askHeader(out);
    return std::unique_ptr<YmodemSession>(new YmodemSession(std::move(impl)));
}

std::unique_ptr<YmodemSession> YmodemSession::send(YmodemArea& area, const std::vector<std::string>& names,
                                                   Clock::time_point now)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : names)
        if (std::optional<std::string> bytes = area.file(name))
            files.emplace_back(name, std::move(*bytes));
    return send(area, std::move(files), now);
}

std::unique_ptr<YmodemSession> YmodemSession::send(YmodemArea& area,
                                                   std::vector<std::pair<std::string, std::string>> files,
                                                   Clock::time_point now)
{
    auto impl = std::make_unique<Impl>(area, now);
    for (auto& [name, bytes] : files)
        impl->files.push_back({std::move(name), std::move(bytes)});
    impl->state = Impl::State::WaitStart;
    return std::unique_ptr<YmodemSession>(new YmodemSession(std::move(impl)));
}

std::size_t YmodemSession::feed(std::string_view bytes, Clock::time_point now, std::string& out)
{
    return m_impl->feed(bytes, now, out);
}

void YmodemSession::tick(Clock::time_point now, std::string& out)
{
    m_impl->tick(now, out);
}

YmodemSession::Clock::time_point YmodemSession::deadline() const
{
    return m_impl->deadline();
}

bool YmodemSession::finished() const
{
    return m_impl->state == Impl::State::Done;
}

} // namespace gensim
