// The generator's side of a YMODEM batch transfer: after "YMDI" it takes
// files from the host, after "YMDO <names>" it sends the named files it
// holds. The files live in a per-generator area that tests seed and read.
// As the receiver it asks for each header and each file's first data block
// as a receiver does: "C", and "C" again while nothing comes, up to
// kRequests times, so a sender that missed the first request still starts.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gensim {

// A fault a test scripts into the generator's transfers; `block` counts the
// data blocks of each file from 1.
struct YmodemFault {
    enum class Kind {
        // as the receiver (after YMDI)
        ChecksumMode,     // asks for the data with NAK: one-byte checksums
        AskStreaming,     // asks for the header with "G"
        NakBlock,         // answers block `block` with NAK `count` times
        // as the sender (after YMDO)
        BadCrc,           // block `block` goes once with a wrong check
        WrongNumber,      // block `block` goes once numbered one higher
        RepeatBlock,      // block `block` goes once more after its ACK
        HeaderWithoutNul, // the name fills the whole header
        HeaderName,       // the header names the file `text`
        HeaderSize,       // the header's size field is `text`
        // either side
        CancelAt,         // CAN CAN instead of block `block` or its answer; the transfer ends
        LoneCan,          // a CAN and another byte before block `block` or its answer
        StrayBytes,       // `text` before block `block` or its answer
        Silence,          // nothing more from block `block` on
    };

    Kind kind = Kind::Silence;
    int block = 1;
    int count = 1;
    std::string text;

    static YmodemFault at(Kind kind, int block = 1, int count = 1)
    {
        YmodemFault f;
        f.kind = kind;
        f.block = block;
        f.count = count;
        return f;
    }
    static YmodemFault withText(Kind kind, std::string text, int block = 1)
    {
        YmodemFault f = at(kind, block);
        f.text = std::move(text);
        return f;
    }
};

// The files a generator holds for transfers, the faults of its transfers
// and how long a transfer waits for the host. Tests use it from their own
// thread while the simulator's thread transfers.
class YmodemArea {
public:
    void put(std::string name, std::string bytes);
    std::optional<std::string> file(std::string_view name) const;
    // The file, which the area no longer holds.
    std::optional<std::string> take(std::string_view name);
    std::vector<std::string> names() const;
    void clear();
    // Told of each file received whole, before it is kept here.
    void setTaker(std::function<void(const std::string& name, const std::string& bytes)> taker);
    void received(std::string name, std::string bytes);

    void fault(YmodemFault fault);
    void clearFaults();
    std::vector<YmodemFault> faults() const;

    // Without a byte from the host for this long the generator goes back
    // to taking commands.
    void setIdleLimit(std::chrono::milliseconds limit);
    std::chrono::milliseconds idleLimit() const;
    // As the receiver, how long it waits for a header or the first data
    // block before it asks again ("C"), kRequests times in all; then the
    // line goes back to commands.
    void setRequestInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds requestInterval() const;
    static constexpr int kRequests = 10;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string, std::less<>> m_files;
    std::vector<YmodemFault> m_faults;
    std::function<void(const std::string&, const std::string&)> m_taker;
    std::chrono::milliseconds m_idleLimit{10000};
    std::chrono::milliseconds m_requestInterval{10000};
};

class YmodemSession {
public:
    using Clock = std::chrono::steady_clock;

    // The generator takes files; `out` gets what it sends at once.
    static std::unique_ptr<YmodemSession> receive(YmodemArea& area, Clock::time_point now, std::string& out);
    // The generator sends the named files it holds, in order, then the null header.
    static std::unique_ptr<YmodemSession> send(YmodemArea& area, const std::vector<std::string>& names,
                                               Clock::time_point now);
    // The generator sends these files, in order, then the null header.
    static std::unique_ptr<YmodemSession> send(YmodemArea& area,
                                               std::vector<std::pair<std::string, std::string>> files,
                                               Clock::time_point now);
    ~YmodemSession();
    YmodemSession(const YmodemSession&) = delete;
    YmodemSession& operator=(const YmodemSession&) = delete;

    // Takes the host's bytes and appends the answer to out. Returns how
    // many it took: fewer than given once the transfer has ended, and the
    // rest begins a command line.
    std::size_t feed(std::string_view bytes, Clock::time_point now, std::string& out);
    // Acts on a time-out once deadline() has passed.
    void tick(Clock::time_point now, std::string& out);
    Clock::time_point deadline() const;
    bool finished() const;

private:
    struct Impl;
    explicit YmodemSession(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// CRC-16/XMODEM of the data.
unsigned ymodemCrc(std::string_view data);

} // namespace gensim
