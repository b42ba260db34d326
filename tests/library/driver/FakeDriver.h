// A driver stand-in that a test scripts packet by packet: it listens at a
// fresh socket path, takes connections, and answers each request it can
// read with whatever packets the script returns for it.
#pragma once

#include "DriverWire.h"
#include "UniqueFd.h"

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace driver::test {

struct RawPacket {
    std::vector<uint8_t> bytes;
    int file = -1;  // sent with the packet when >= 0 (not owned)
};

// The usual answer to a request: its op, its sequence, the body.
RawPacket AnswerWith(const Request& request, AnswerBody body, int file = -1);

class FakeDriver {
public:
    using Script = std::function<std::vector<RawPacket>(const Request&)>;

    explicit FakeDriver(Script script);
    ~FakeDriver();

    const std::string& Path() const { return path_; }
    std::vector<Request> Requests() const;
    // Closes every accepted connection (the driver goes away).
    void HangUp();

private:
    void Serve();

    Script script_;
    std::string directory_;
    std::string path_;
    UniqueFd listen_;
    UniqueFd wake_[2];
    std::vector<UniqueFd> clients_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    bool hangUp_ = false;
    std::thread thread_;
};

}  // namespace driver::test
