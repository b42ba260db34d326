// The command protocol as the host sees it, one table for every port type
// with a character channel: each scripted fault of the generator and the
// error code it leaves, then the way back to a working command.

#include "morvane.h"

#include "DriverSocketPath.h"
#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>

namespace {

enum class Port { Com, Isa, Pci };

std::string Send(PortId id, const char* command, int length = 6000)
{
    std::string reply(static_cast<std::size_t>(length), '\0');
    const int n = XR_PortSendCommand(id, command, reply.data(), length);
    reply.resize(static_cast<std::size_t>(n));
    return reply;
}

struct FaultCase {
    const char* name;
    std::optional<gensim::Fault> fault; // none: the generator behaves
    const char* command;
    int length;
    int error;
    std::optional<std::string> reply; // what the buffer holds; none: untouched
    int result;        // what XR_PortSendCommand returns
    // The generator finished its line: what it left on the port goes with
    // the next command's flush, so that command works at once.
    bool lineEnded;
};

const char* NameOf(Port port)
{
    switch (port) {
    case Port::Com: return "Com";
    case Port::Isa: return "Isa";
    case Port::Pci: return "Pci";
    }
    return "";
}

const char* SpecOf(Port port)
{
    switch (port) {
    case Port::Com: return "com1";
    case Port::Isa: return "isa0";
    case Port::Pci: return "pci1";
    }
    return "";
}

void PrintTo(Port port, std::ostream* os) { *os << NameOf(port); }
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class PortFaultTest : public ::testing::TestWithParam<std::tuple<Port, FaultCase>> {
protected:
    gensim::Generator& Start(Port port)
    {
        gensim::GeneratorOptions options{.model = "VG-7000", .firmware = "7.011", .serial = "4711",
                                         .baudRate = 2400, .link = ""};
        if (port != Port::Com) {
            m_sim.openDriver(m_socket.path());
            options.pty = false;
            options.isaSlot = port == Port::Isa ? 0 : -1;
            options.pciCard = port == Port::Pci;
        }
        gensim::Generator& g = m_sim.addGenerator(options);
        m_sim.start();
        if (port == Port::Com)
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

    gensim::test::DriverSocketPath m_socket;
    gensim::Simulator m_sim;
    PortId m_id = 0;
};

TEST_P(PortFaultTest, HostSeesTheFaultAndRecovers)
{
    const auto& [port, c] = GetParam();
    gensim::Generator& g = Start(port);
    m_id = XR_PortOpen(SpecOf(port));
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

    g.clearFaults();
    unsetenv("MORVANE_TIME_SCALE");
    // A failed echo can leave the generator mid-line, a late reply can still
    // be coming: a handshake ends that line and waits the rest out.
    if (!c.lineEnded) {
        EXPECT_EQ(XR_PortIsShutDown(m_id), 0);
    }
    EXPECT_EQ(Send(m_id, "VERF?"), "7.011\r\n");
    EXPECT_EQ(XR_PortGetError(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PortFaultTest,
    ::testing::Combine(
        ::testing::Values(Port::Com, Port::Isa, Port::Pci),
        ::testing::Values(
            FaultCase{"Silence", gensim::Fault::silence(), "HRES?", 100, 10000, std::nullopt, 0, false},
            FaultCase{"DroppedLink", gensim::Fault::dropLink(2), "HRES?", 100, 10000, std::nullopt, 0, false},
            FaultCase{"LowerCaseEcho", gensim::Fault::lowerCaseEcho(), "HRES?", 100, 10001, std::nullopt, 0, false},
            FaultCase{"NoLineFeed", gensim::Fault::noLineFeed(), "HRES?", 100, 10002, std::nullopt, 0, true},
            FaultCase{"UnknownCommand", std::nullopt, "ABCD", 100, 10003, "", 17, true},
            FaultCase{"RefusedValue", std::nullopt, "HRES 5", 100, 10004, "",
                      static_cast<int>(std::string("Execution error: ").size()) + 3, true},
            FaultCase{"EmptyLineDropsTheRest",
                      gensim::Fault::scriptedReply("HRES?", "640\r\n\r\nrest\r\n>"), "HRES?", 100, 0,
                      "640\r\n", 5, true},
            FaultCase{"PromptEndsTheReply", gensim::Fault::scriptedReply("HRES?", "64>0\r\n>"), "HRES?", 100,
                      0, "64", 2, true},
            FaultCase{"OnlyLineEnds", gensim::Fault::scriptedReply("HRES?", "\r\n>"), "HRES?", 100, 0, "", 2,
                      true},
            FaultCase{"BufferFull", gensim::Fault::longReply(20), "HRES?", 10, 10008, std::string(9, 'X'), 9,
                      true},
            FaultCase{"ReplyCharacterLate", gensim::Fault::pauseBeforeChar(2, 400), "HRES?", 100, 10007, "64",
                      2, false})),
    [](const auto& info) {
        return std::string(NameOf(std::get<0>(info.param))) + "_" + std::get<1>(info.param).name;
    });

} // namespace
