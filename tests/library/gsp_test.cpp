// The host-interface exports as register accesses on a simulated ISA card:
// which register each touches, in which order, with which value.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DriverSocketPath.h"
#include "IsaHostModel.h"
#include "gensim/Simulator.h"
#include "internal.h"
#include "morvane.h"

namespace driver {
// Found by the argument's namespace when a trace is printed.
void PrintTo(const IsaHostModel::Access& a, std::ostream* os)
{
    *os << (a.write ? "W" : "R") << a.offset << ":0x" << std::hex << a.value;
}
}  // namespace driver

namespace {

using Access = driver::IsaHostModel::Access;
using Trace = std::vector<Access>;

Access W(uint32_t offset, uint16_t value) { return {true, offset, value}; }
Access R(uint32_t offset, uint16_t value) { return {false, offset, value}; }

class GspTrace : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim.openDriver(socket.path());
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .baudRate = 9600, .link = "",
                          .isaSlot = 0});
        sim.start();
        id = IsaOpen("isa0");
        ASSERT_EQ(id, 0x10000u);
        card = morvane::CurrentIsaCard();
        ASSERT_NE(card, nullptr);
        card->SetTrace(&trace);
    }
    void TearDown() override
    {
        if (card != nullptr)
            card->SetTrace(nullptr);
        XR_PortClose(id);
    }
    // Puts control (nothing raised) and forgets the accesses so far.
    void StartFrom(uint16_t control)
    {
        morvane::GspWriteRegister(6, control);
        trace.clear();
    }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    PortId id = 0;
    driver::IsaHostModel* card = nullptr;
    Trace trace;
};

TEST_F(GspTrace, SetAddressWritesTheLowHalfFirst)
{
    trace.clear();
    EXPECT_EQ(GspSetAddress(0xFF1FB010), 1);
    EXPECT_EQ(trace, (Trace{W(0, 0xB010), W(2, 0xFF1F)}));
    EXPECT_EQ(GspGetAddress(), 0xFF1FB010u);
}

TEST_F(GspTrace, WordAccessSetsTheAddressThenUsesTheDataRegister)
{
    trace.clear();
    EXPECT_EQ(GspWrite(0xFF000480, 0x2ABCD), 1);
    EXPECT_EQ(GspRead(0xFF000480), 0xABCD);
    EXPECT_EQ(trace, (Trace{W(0, 0x0480), W(2, 0xFF00), W(4, 0xABCD), W(0, 0x0480), W(2, 0xFF00), R(4, 0xABCD)}));
}

TEST_F(GspTrace, TwoRelativeReadsFromZeroLeaveTheAddressAt32)
{
    GspAutoIncrement(1);
    GspSetAddress(0);
    GspReadRelative();
    GspReadRelative();
    EXPECT_EQ(GspGetAddress(), 32u);
}

struct ControlCase {
    const char* name;
    uint16_t start;
    std::function<int32_t()> call;
    Trace accesses;
};

void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class GspControl : public GspTrace, public ::testing::WithParamInterface<ControlCase> {};

// Each change reads the register and writes back only its own bits: the low
// byte (message and flags) stays as read.
TEST_P(GspControl, ChangesOnlyItsBits)
{
    StartFrom(GetParam().start);
    EXPECT_EQ(GetParam().call(), 1);
    EXPECT_EQ(trace, GetParam().accesses);
}

INSTANTIATE_TEST_SUITE_P(
    Gsp, GspControl,
    ::testing::Values(
        ControlCase{"Halt", 0x1875, GspHalt, {R(6, 0x1875), W(6, 0x9875)}},
        ControlCase{"Run", 0x9875, GspRun, {R(6, 0x9875), W(6, 0x1875)}},
        ControlCase{"FlushSetsThenClears", 0x1875, GspFlush,
                    {R(6, 0x1875), W(6, 0x5875), R(6, 0x5875), W(6, 0x1875)}},
        ControlCase{"LblLow", 0x3875, GspLblLow, {R(6, 0x3875), W(6, 0x1875)}},
        ControlCase{"IncrementOff", 0x1875, [] { return GspAutoIncrement(0); }, {R(6, 0x1875), W(6, 0x0075)}},
        ControlCase{"IncrementOn", 0x0075, [] { return GspAutoIncrement(7); }, {R(6, 0x0075), W(6, 0x1875)}},
        ControlCase{"Nmi", 0x1875, GspNmi, {R(6, 0x1875), W(6, 0x1975)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GspTrace, HaltThenRunKeepsTheLowByte)
{
    StartFrom(0x1875);
    GspHalt();
    GspRun();
    EXPECT_EQ(morvane::GspReadRegister(6), 0x1875);
}

// A character goes into 0xFF1FB000 with INTIN set and the message cleared;
// taking the echo clears INTOUT only.
TEST_F(GspTrace, TheCharacterChannelAtRegisterLevel)
{
    StartFrom(0x1875);
    ASSERT_EQ(XR_PortPutChar(id, 'A'), 1);
    EXPECT_EQ(trace, (Trace{R(6, 0x1875), W(0, 0xB000), W(2, 0xFF1F), W(4, 0x0041), R(6, 0x1875),
                            W(6, 0x1878), R(6, 0x18F0)}))
        << "the echo is out as soon as the character is taken";
    trace.clear();
    EXPECT_EQ(XR_PortGetChar(id), 'A');
    EXPECT_EQ(trace, (Trace{W(0, 0xB010), W(2, 0xFF1F), R(4, 0x0041), R(6, 0x18F0), W(6, 0x1870)}));
}

}  // namespace
