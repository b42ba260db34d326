// A scripted generator on the far side of a pseudo-terminal. The library
// opens the pty's slave as COM n (MORVANE_COMn points at it); the peer
// answers on the master from its own thread, blocking in poll.
#ifndef TESTS_LIBRARY_PTYPEER_H
#define TESTS_LIBRARY_PTYPEER_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>

#include "ScopedTimeScale.h"
#include "morvane_types.h"

// COM 1, the port the tests open a peer's line as.
inline constexpr PortId kCom1 = MORVANE_PORT_COM;

// How the scripted generator answers.
struct PtyScript {
    // Echo each received character.
    bool echo = true;
    // Echo wrongEchoAs when wrongEchoFor arrives.
    char wrongEchoFor = 0;
    char wrongEchoAs = 0;
    // Sent after the carriage return's echo; empty sends nothing.
    std::string acknowledge = "\n";
    // The bytes that answer one received line (without its CR); none
    // set answers every line with the prompt alone.
    std::function<std::string(const std::string&)> reply;
    // Pause before each reply.
    int replyDelayMs = 0;
    // Replies go out one character at a time, trickleMs apart, each only
    // when the line has room (a generator that keeps talking).
    bool trickle = false;
    int trickleMs = 0;
    // False: the peer never reads, so the port's output backs up.
    bool read = true;
};

class PtyPeer {
public:
    using Script = PtyScript;

    PtyPeer() : PtyPeer(Script{}) {}
    explicit PtyPeer(Script script, int comNumber = 1);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // Everything the port sent so far.
    std::string Received() const;
    // Waits (up to timeoutMs) until at least count bytes were received.
    bool WaitReceived(size_t count, int timeoutMs) const;
    // Writes bytes to the port from the test's thread.
    void Send(const std::string& bytes);
    // The line settings as the port left them, read from the peer's own
    // descriptor of the terminal (what "stty -a" would show).
    termios Settings() const;

private:
    void Run();
    void HandleByte(char c, std::string& out);
    bool Pause(int ms);
    void WriteAll(const std::string& bytes);
    void Trickle(const std::string& bytes);

    Script script_;
    std::string envName_;
    std::string slavePath_;
    int master_ = -1;
    int slave_ = -1;
    int wake_ = -1;
    std::string line_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::string received_;
    std::thread thread_;
};

#endif
