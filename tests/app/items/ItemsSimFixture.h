#pragma once
// Generators of the simulator for the tests of the items' traffic: one per
// firmware, on COM1 upwards, each at the rate a port opens with, so a
// connection needs no baud search and no wait is shortened. A port that lets
// a test act just before a command goes out (press Cancel), and an item's
// owner that hears of an item that changed.

#include "CGenerator.h"
#include "MessageTarget.h"
#include "PortBackend.h"
#include "PortDialogAnswer.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

class ItemsSimTest : public PlatformTest {
protected:
    static constexpr int kOpenRate = 2400;

    void Start(std::initializer_list<const char *> firmwares)
    {
        for (const char *firmware : firmwares) {
            gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = firmware,
                                                     .serial = std::to_string(sim.size() + 1),
                                                     .baudRate = kOpenRate, .link = ""});
            setenv(ComVariable(sim.size()).c_str(), g.comPath().c_str(), 1);
        }
        sim.start();
    }

    void TearDown() override
    {
        for (size_t com = 1; com <= sim.size(); ++com)
            unsetenv(ComVariable(com).c_str());
        PlatformTest::TearDown();
    }

    // "MORVANE_COM<n>", built by append (GCC 12 misreads a concatenation at -O3).
    static std::string ComVariable(size_t com)
    {
        std::string name = "MORVANE_COM";
        name += std::to_string(com);
        return name;
    }

    gensim::Generator &Sim(int com) { return sim.generator(size_t(com - 1)); }

    // The last n lines a generator heard (all when fewer).
    static std::vector<std::string> Tail(const std::vector<std::string> &lines, std::size_t n)
    {
        return lines.size() < n ? lines : std::vector<std::string>(lines.end() - std::ptrdiff_t(n), lines.end());
    }

    // A connection to COM com, chosen in the port dialog.
    std::unique_ptr<CGenerator> Connect(int com) { return ConnectOverCom(prompter, com); }

    gensim::Simulator sim;
};

// The library's port, with a hook that runs before each command is sent.
class CommandHookPort : public PortBackend {
public:
    CommandHookPort() : m_previous(InstallPortBackend(this)) {}
    ~CommandHookPort() override { InstallPortBackend(m_previous); }
    CommandHookPort(const CommandHookPort &) = delete;
    CommandHookPort &operator=(const CommandHookPort &) = delete;

    int32_t SendCommand(PortId id, const char *command, char *reply, int32_t length) override
    {
        if (before)
            before(command);
        return PortBackend::SendCommand(id, command, reply, length);
    }

    std::function<void(const std::string &command)> before;

private:
    PortBackend *m_previous;
};

// An item's owner: it hears of an item that changed.
class ChangedItemOwner : public QWidget, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM, LPARAM lParam) override
    {
        if (message == WM_DATA_CHANGED)
            changed.push_back(lParam);
        return 0;
    }
    std::vector<LPARAM> changed;
};
