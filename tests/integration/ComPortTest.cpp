// The real library against the simulated generator on a pseudo-terminal:
// open with handshake, baud search, commands, and each scripted fault with
// the error code the host sees.

#include "morvane.h"

#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

extern char** environ;

namespace {

std::string Send(PortId id, const char* command, int length = 6000)
{
    std::string reply(static_cast<std::size_t>(length), '\0');
    const int n = XR_PortSendCommand(id, command, reply.data(), length);
    reply.resize(static_cast<std::size_t>(n));
    return reply;
}

class ComPortTest : public ::testing::Test {
protected:
    gensim::Generator& Start(int generatorRate)
    {
        gensim::Generator& g = m_sim.addGenerator({.model = "VG-7000", .firmware = "7.011",
                                                   .serial = "4711", .baudRate = generatorRate, .link = ""});
        m_sim.start();
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        return g;
    }

    void TearDown() override
    {
        if (m_id != 0)
            XR_PortClose(m_id);
        unsetenv("MORVANE_TIME_SCALE");
        unsetenv("MORVANE_COM1");
    }

    gensim::Simulator m_sim;
    PortId m_id = 0;
};

TEST_F(ComPortTest, OpensAtTheGeneratorsRateAndRunsCommands)
{
    gensim::Generator& g = Start(2400);
    m_id = XR_PortOpen("COM1");
    ASSERT_EQ(m_id, 0x20000u);
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(XR_PortGetRate(m_id), 2400);

    const std::string idn = Send(m_id, "*IDN?");
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_NE(idn.find("VG-7000"), std::string::npos) << idn;
    EXPECT_NE(idn.find("4711"), std::string::npos) << idn;
    EXPECT_EQ(idn.substr(idn.size() - 2), "\r\n");

    Send(m_id, "HRES 800");
    EXPECT_EQ(XR_PortGetError(), 0);
    EXPECT_EQ(Send(m_id, "HRES?"), "800\r\n");
    EXPECT_EQ(Send(m_id, "VERF?"), "7.011\r\n");

    const auto lines = g.trace().lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 3], "HRES 800");
    EXPECT_EQ(lines.back(), "VERF?");
}

// The program's search: the port opens at 2400, then each rate of its table
// is set and the handshake repeated until the generator answers.
TEST_F(ComPortTest, BaudSearchFindsTheGenerator)
{
    Start(19200);
    m_id = XR_PortOpen("com1");
    ASSERT_NE(m_id, 0u);
    ASSERT_EQ(XR_PortGetError(), 1000);

    int found = 0;
    for (int rate : {115200, 57600, 38400, 19200, 9600, 2400, 1200, 300}) {
        XR_PortSetRate(m_id, rate);
        if (XR_PortIsShutDown(m_id) == 0) {
            found = rate;
            break;
        }
    }
    EXPECT_EQ(found, 19200);
    EXPECT_EQ(XR_PortGetRate(m_id), 19200);
    EXPECT_EQ(Send(m_id, "VERF?"), "7.011\r\n");
}

TEST_F(ComPortTest, NoHandshakeAtAWrongRateAndTheIdStaysUsable)
{
    Start(9600);
    m_id = XR_PortOpen("com1");
    ASSERT_NE(m_id, 0u);
    EXPECT_EQ(XR_PortGetError(), 1000);
    std::array<char, MORVANE_ERROR_TEXT_SIZE> text{};
    EXPECT_STREQ(XR_PortGetErrorMsg(1000, text.data()),
                 "Communication handshake failed. Make sure a generator is connected to the port "
                 "and that it is powered on.");
    EXPECT_EQ(XR_PortClose(m_id), 1);
    m_id = 0;
}

// A cancel from another thread ends the handshake of an open in progress
// at once, not after its budget (a minute here); while it stands every wait
// ends at once, and once it is lifted the waits work again.
TEST_F(ComPortTest, CancelledWaitsEndTheHandshakeOfAnOpenInProgress)
{
    using namespace std::chrono_literals;
    using Clock = std::chrono::steady_clock;
    gensim::Generator& g = Start(9600);
    setenv("MORVANE_TIME_SCALE", "60", 1);
    const auto start = Clock::now();
    std::thread cancel([] {
        std::this_thread::sleep_for(200ms);
        XR_PortCancelWaits(1);
    });
    m_id = XR_PortOpen("com1");
    cancel.join();
    EXPECT_LT(Clock::now() - start, 30s) << "the cancel did not end the handshake";
    ASSERT_NE(m_id, 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_HANDSHAKE);

    const auto cancelled = Clock::now();
    EXPECT_EQ(XR_PortWaitForChar(m_id, 60000), 0);
    EXPECT_EQ(XR_PortIsShutDown(m_id), 1);
    EXPECT_LT(Clock::now() - cancelled, 30s);

    XR_PortCancelWaits(0);
    unsetenv("MORVANE_TIME_SCALE");
    EXPECT_EQ(XR_PortSetRate(m_id, 9600), 1);
    EXPECT_EQ(XR_PortIsShutDown(m_id), 0) << "the handshake waits for its prompts again";
    EXPECT_EQ(Send(m_id, "VERF?"), "7.011\r\n");
    EXPECT_EQ(g.trace().lines().back(), "VERF?");
}

TEST_F(ComPortTest, SlowPromptsFailTheOneSecondHandshake)
{
    gensim::Generator& g = Start(2400);
    m_id = XR_PortOpen("com1");
    ASSERT_EQ(XR_PortGetError(), 0);

    g.fault(gensim::Fault::slowPrompt(100));
    EXPECT_EQ(XR_PortIsShutDown(m_id), 0);
    g.clearFaults();
    g.fault(gensim::Fault::slowPrompt(450));
    EXPECT_EQ(XR_PortIsShutDown(m_id), 1);
}

TEST_F(ComPortTest, CProgramPrintsTheIdentity)
{
    Start(2400);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(PRINT_IDENTITY), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, PRINT_IDENTITY, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    std::string printed;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
        printed.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(printed.find("VG-7000"), std::string::npos) << printed;
    EXPECT_NE(printed.find("4711"), std::string::npos) << printed;
}

} // namespace
