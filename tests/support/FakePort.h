#pragma once
// A scripted stand-in for the port library: records every command and raw
// character, answers commands from a script, plays a generator that answers
// the handshake only at its own baud rate, and keeps a virtual clock so that
// time-outs cost no real time. Installs itself while it exists.

#include "PortBackend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FakePort : public PortBackend
{
public:
    struct Answer
    {
        std::string reply;
        int error = 0;
    };

    FakePort() : m_previous(InstallPortBackend(this)) {}
    ~FakePort() override { InstallPortBackend(m_previous); }
    FakePort(const FakePort&) = delete;
    FakePort& operator=(const FakePort&) = delete;

    // Answers for one command text, used in order; the one used last repeats.
    void Script(const std::string& command, std::string reply, int error = 0)
    {
        m_script[command].push_back({std::move(reply), error});
    }

    // --- What the tests read and set -----------------------------------
    std::vector<std::string> commands;
    std::vector<bool> replyBufferGiven;
    std::vector<std::string> opens;
    std::vector<PortId> closed;
    std::vector<int> rateCalls;  // every XR_PortSetRate, refused ones too
    std::string putChars;        // every character put successfully
    int putAttempts = 0;
    int failPutAt = -1;          // the put with this index fails (from 0)
    std::function<void(int index)> onPut; // runs before each put
    std::function<void(char c)> onPutChar; // runs after each successful put
    std::deque<char> input;      // characters the generator sends raw
    int generatorRate = 2400;    // the only rate the generator answers at; 0: no generator
    // "MODE COM1 <rate> ..." changes generatorRate once the host has read
    // the generator's prompt after it; a close before that loses the line.
    bool takesMode = true;
    int rate = 2400;
    int openError = 0;           // non-zero: XR_PortOpen refuses with it
    bool forceInitWorks = true;  // false: XR_PortForceInit detects no card
    std::vector<std::pair<uint32_t, int32_t>> forceInits;
    int pciCards = 0;
    int64_t now = 0;
    int error = 0;
    bool waitsCancelled = false; // CancelWaits(true): every wait ends at once
    Answer fallback;             // for commands without a script

    // --- The library's calls -------------------------------------------
    PortId Open(const char* spec) override
    {
        opens.emplace_back(spec);
        error = 0;
        if (openError != 0) {
            error = openError;
            return 0;
        }
        rate = 2400;
        error = Answering() ? 0 : MORVANE_E_HANDSHAKE;
        return IdOf(spec);
    }
    int32_t Close(PortId id) override
    {
        error = 0;
        closed.push_back(id);
        m_pendingRate = 0;
        return 1;
    }
    int32_t IsShutDown(PortId) override
    {
        error = 0;
        return Answering() ? 0 : 1;
    }
    int32_t IsCharAvailable(PortId) override
    {
        error = 0;
        return input.empty() ? 0 : 1;
    }
    int32_t Flush(PortId) override
    {
        error = 0;
        input.clear();
        return 1;
    }
    int32_t PutChar(PortId, int32_t c) override
    {
        error = 0;
        const int index = putAttempts++;
        if (onPut)
            onPut(index);
        if (index == failPutAt) {
            error = MORVANE_E_COM_CLOSED;
            return 0;
        }
        putChars += char(c & 0xFF);
        if ((c & 0xFF) == '\r')
            TakeLine();
        if (onPutChar)
            onPutChar(char(c & 0xFF));
        return 1;
    }
    int32_t GetChar(PortId) override
    {
        error = 0;
        if (input.empty())
            return 0;
        const char c = input.front();
        input.pop_front();
        if (c == '>' && m_pendingRate != 0) {
            generatorRate = m_pendingRate;
            m_pendingRate = 0;
        }
        return static_cast<unsigned char>(c);
    }
    int32_t SendCommand(PortId id, const char* command, char* reply, int32_t length) override
    {
        if (id == 0) {
            error = MORVANE_E_PORT_TYPE;
            return 0;
        }
        commands.emplace_back(command);
        replyBufferGiven.push_back(reply != nullptr);
        const Answer answer = Next(command);
        error = answer.error;
        if (reply == nullptr)
            return 0;
        const size_t n = std::min(answer.reply.size(), size_t(length - 1));
        std::memcpy(reply, answer.reply.data(), n);
        reply[n] = '\0';
        return int32_t(n);
    }
    // Input comes only from the script, never during a wait: the clock
    // jumps to the wait's end at once, or stays when the waits are cancelled.
    int32_t WaitForChar(PortId, int32_t ms) override
    {
        error = 0;
        if (!input.empty())
            return 1;
        if (!waitsCancelled)
            now += std::max(ms, 0);
        return 0;
    }
    void CancelWaits(bool on) override { waitsCancelled = on; }
    int32_t GetError() override { return error; }
    char* GetErrorMsg(int32_t code, char* text) override
    {
        std::strcpy(text, TextOf(code));
        return text;
    }
    int32_t SetRate(PortId, int32_t r) override
    {
        rateCalls.push_back(r);
        error = 0;
        if (r == 2400) { // a port returns to 2400 only by reopening
            error = MORVANE_E_COM_RATE;
            return 0;
        }
        rate = r;
        return 1;
    }
    int32_t GetRate(PortId) override { return rate; }
    // A forced card answers opens again.
    int32_t ForceInit(uint32_t type, int32_t number) override
    {
        forceInits.emplace_back(type, number);
        if (!forceInitWorks)
            return 0;
        openError = 0;
        return 1;
    }
    int32_t CountPciCards() override { return pciCards; }
    int64_t NowMs() override { return now; }
    void Pause(int ms) override { now += ms; }

    // The library's texts of the codes the tests use.
    static const char* TextOf(int code)
    {
        switch (code) {
        case MORVANE_E_HANDSHAKE:
            return "Communication handshake failed. Make sure a generator is connected to the port and that it is powered on.";
        case MORVANE_E_PORT_TYPE: return "The given port ID did not specify a valid port type.";
        case MORVANE_E_NO_ECHO: return "The port did not echo a sent character in the required minimum time.";
        case MORVANE_E_COMMAND_INVALID: return "The sent command string was invalid.";
        case MORVANE_E_EXECUTION: return "An error occured while executing a command.";
        case MORVANE_E_COM_CREATE: return "Unable to open the port.";
        default: return "";
        }
    }

private:
    bool Answering() const { return generatorRate != 0 && rate == generatorRate; }

    static PortId IdOf(const std::string& spec)
    {
        const std::string digits = spec.substr(spec.find_first_of("0123456789"));
        const int n = std::atoi(digits.c_str());
        if (spec.rfind("com", 0) == 0)
            return MORVANE_PORT_COM | PortId(n - 1);
        if (spec.rfind("pci", 0) == 0)
            return MORVANE_PORT_PCI | PortId(n - 1);
        if (spec.rfind("isa", 0) == 0)
            return MORVANE_PORT_ISA | PortId(n);
        return MORVANE_PORT_GPIB; // the first GPIB slot
    }

    Answer Next(const std::string& command)
    {
        auto it = m_script.find(command);
        if (it != m_script.end() && !it->second.empty()) {
            m_used[command] = it->second.front();
            it->second.pop_front();
        }
        auto used = m_used.find(command);
        return used != m_used.end() ? used->second : fallback;
    }

    // The generator takes "MODE COM1 <rate> ..." as its new rate.
    void TakeLine()
    {
        const size_t start = putChars.rfind('\r', putChars.size() - 2);
        const std::string line = putChars.substr(start == std::string::npos ? 0 : start + 1);
        if (takesMode && line.rfind("MODE COM1 ", 0) == 0) {
            input.insert(input.end(), line.begin(), line.end());
            for (char c : std::string("\n>"))
                input.push_back(c);
            m_pendingRate = std::atoi(line.c_str() + 10);
        }
    }

    PortBackend* m_previous;
    int m_pendingRate = 0;
    std::map<std::string, std::deque<Answer>> m_script;
    std::map<std::string, Answer> m_used;
};
