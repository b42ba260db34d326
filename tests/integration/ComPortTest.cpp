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
#include <cstdlib>
#include <optional>
#include <string>

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

struct FaultCase {
    const char* name;
    std::optional<gensim::Fault> fault; // none: the generator behaves
    const char* command;
    int length;
    int error;
    std::optional<std::string> reply; // what the buffer holds; none: untouched
    int result;        // what XR_PortSendCommand returns
};

class ComFaultTest : public ComPortTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ComFaultTest, HostSeesTheFault)
{
    const FaultCase& c = GetParam();
    gensim::Generator& g = Start(2400);
    m_id = XR_PortOpen("com1");
    ASSERT_EQ(XR_PortGetError(), 0);
    if (c.fault)
        g.fault(*c.fault);
    // 5 s and 10 s waits become 100 ms and 200 ms.
    setenv("MORVANE_TIME_SCALE", "0.02", 1);

    std::string buffer(static_cast<std::size_t>(c.length), 'Z');
    const int n = XR_PortSendCommand(m_id, c.command, buffer.data(), c.length);
    EXPECT_EQ(XR_PortGetError(), c.error);
    EXPECT_EQ(n, c.result);
    EXPECT_EQ(std::string(buffer.c_str()), c.reply.value_or(std::string(buffer.size(), 'Z')));

    // A failed echo can leave the generator mid-line; a handshake ends that
    // line, and the next command runs as usual.
    g.clearFaults();
    unsetenv("MORVANE_TIME_SCALE");
    EXPECT_EQ(XR_PortIsShutDown(m_id), 0);
    EXPECT_EQ(Send(m_id, "VERF?"), "7.011\r\n");
    EXPECT_EQ(XR_PortGetError(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ComFaultTest,
    ::testing::Values(
        FaultCase{"Silence", gensim::Fault::silence(), "HRES?", 100, 10000, std::nullopt, 0},
        FaultCase{"DroppedLink", gensim::Fault::dropLink(2), "HRES?", 100, 10000, std::nullopt, 0},
        FaultCase{"LowerCaseEcho", gensim::Fault::lowerCaseEcho(), "HRES?", 100, 10001, std::nullopt, 0},
        FaultCase{"NoLineFeed", gensim::Fault::noLineFeed(), "HRES?", 100, 10002, std::nullopt, 0},
        FaultCase{"UnknownCommand", std::nullopt, "ABCD", 100, 10003, "", 17},
        FaultCase{"RefusedValue", std::nullopt, "HRES 5", 100, 10004, "",
                  static_cast<int>(std::string("Execution error: ").size()) + 3},
        FaultCase{"EmptyLineDropsTheRest",
                  gensim::Fault::scriptedReply("HRES?", "640\r\n\r\nrest\r\n>"), "HRES?", 100, 0,
                  "640\r\n", 5},
        FaultCase{"PromptEndsTheReply", gensim::Fault::scriptedReply("HRES?", "64>0\r\n>"),
                  "HRES?", 100, 0, "64", 2},
        FaultCase{"OnlyLineEnds", gensim::Fault::scriptedReply("HRES?", "\r\n>"), "HRES?", 100, 0,
                  "", 2},
        FaultCase{"BufferFull", gensim::Fault::longReply(20), "HRES?", 10, 10008,
                  std::string(9, 'X'), 9},
        FaultCase{"ReplyCharacterLate", gensim::Fault::pauseBeforeChar(2, 400), "HRES?", 100,
                  10007, "64", 2}),
    [](const auto& info) { return std::string(info.param.name); });

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
