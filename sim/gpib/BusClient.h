// The stand-in's one connection per process to the simulator's GPIB bus,
// made when first needed and remade when it has dropped.
#pragma once

#include "gensim/GpibWire.h"

#include <cstdint>
#include <string>

namespace gensim::gpib {

class BusClient {
public:
    BusClient() = default;
    ~BusClient();
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    enum class Outcome {
        Answered,
        NoBus,     // the socket cannot be reached
        Dropped,   // the connection broke, or the bus broke the format
        NoAnswer,  // nothing came back in time
    };

    struct Result {
        Outcome outcome = Outcome::NoBus;
        Frame answer;
        int systemError = 0;  // errno of a failed connect or transfer
    };

    // Sends the request and waits up to waitMs for its answer. Answers to
    // requests given up on earlier are skipped by their number.
    Result call(Frame request, int waitMs);
    // Forgets the connection, as when the bus broke the format.
    void drop();

private:
    bool connected();
    bool connect(int& error);
    bool sendAll(const std::string& bytes, long long deadlineMs, int& error);

    int m_fd = -1;
    std::uint32_t m_seq = 0;
    FrameReader m_reader;
};

} // namespace gensim::gpib
