#pragma once
// Real far ends for the serial transfers, as tests and benchmarks use them:
// a pair of linked pseudo-terminals made by socat, an lrzsz program on one
// end, and a relay between two links that can spoil one byte each way.

#include <sys/types.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Two terminals, <folder>/a and <folder>/b: what is written to one is read
// at the other. Both stay open here too, as a login shell holds its line,
// so a program that exits does not hang the line up before socat has
// passed on its last bytes.
class SocatLink
{
public:
    explicit SocatLink(const std::string& folder);
    ~SocatLink();
    SocatLink(const SocatLink&) = delete;
    SocatLink& operator=(const SocatLink&) = delete;

    bool IsUp() const { return m_up; }
    const std::string& A() const { return m_a; }
    const std::string& B() const { return m_b; }

private:
    pid_t m_pid = -1;
    bool m_up = false;
    std::string m_a;
    std::string m_b;
    int m_held[2] = {-1, -1};
};

// A program with a terminal as its standard input and output, run in a
// folder; its standard error goes to log.
class PeerProcess
{
public:
    PeerProcess(const std::vector<std::string>& argv, const std::string& terminal, const std::string& folder,
                const std::string& log);
    // The same with a descriptor (a socket, say) as its input and output.
    PeerProcess(const std::vector<std::string>& argv, int stdio, const std::string& folder, const std::string& log);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool IsStarted() const { return m_pid > 0; }
    // The exit status (128 + signal when killed), or -1 while it still runs after ms.
    int Wait(int ms);
    void Signal(int signal);
    // Ends it if it still runs.
    void Stop();
    // Its processor time, user and system, once it has ended; else 0.
    double ProcessorSeconds() const { return m_processorSeconds; }

private:
    pid_t m_pid = -1;
    int m_status = -1;
    double m_processorSeconds = 0;
};

// Drops whatever waits to be read at a terminal (a handshake meant for a
// generator that was not there).
void DrainTerminal(const std::string& terminal);

// A terminal opened raw for reading and writing; -1 when it cannot be.
int OpenRawTerminal(const std::string& terminal);

// Whether a program of that name can be found on the PATH.
bool HaveProgram(const std::string& name);

// Copies both ways between two terminals; the byte with index flipAtoB of
// the a-to-b stream, and flipBtoA of the other, get their lowest bit
// inverted (-1: none).
class Relay
{
public:
    Relay(const std::string& a, const std::string& b, long flipAtoB, long flipBtoA);
    // Between two open descriptors, which it closes.
    Relay(int a, int b, long flipAtoB, long flipBtoA);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    bool Flipped() const { return m_flips.load() > 0; }

private:
    void Run(long flipAtoB, long flipBtoA);

    int m_a = -1;
    int m_b = -1;
    int m_stop[2] = {-1, -1};
    std::atomic<int> m_flips{0};
    std::thread m_thread;
};
