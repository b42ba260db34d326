// The PCI exports as bridge-register accesses on a simulated card: the
// command words and the registers each writes; how firmware calls end and
// that the next command waits for a done bit of its own; streams that stop
// at an element the card does not take; the base address registers an
// open matches.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "DriverSocketPath.h"
#include "PciBridgeModel.h"
#include "ScopedTimeScale.h"
#include "gensim/Simulator.h"
#include "internal.h"
#include "morvane.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSram = 0xFFF00000;
constexpr uint32_t kVariables = 0xFFF10000;  // the simulated firmware's item 2

struct Write {
    uint32_t offset;
    uint32_t value;
    bool operator==(const Write&) const = default;
};
using Writes = std::vector<Write>;

void PrintTo(const Write& w, std::ostream* os) { *os << "W" << std::hex << w.offset << ":0x" << w.value; }

class PciTrace : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim.openDriver(socket.path());
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false,
                          .pciCard = true});
        sim.start();
        id = PciOpen("pci1");
        ASSERT_EQ(id, 0x40000u);
        bridge = morvane::CurrentPciCard();
        ASSERT_NE(bridge, nullptr);
        bridge->SetTrace(&trace);
        StartClean();
    }
    void TearDown() override
    {
        if (bridge != nullptr)
            bridge->SetTrace(nullptr);
        PciClose(id);
    }
    gensim::PciCard& Card() { return *sim.driverEndpoint()->pciCard(0); }

    // A clear status, the error code 0 and no accesses so far.
    void StartClean()
    {
        morvane::PciWriteRegister(0x5C, 0);
        morvane::SetPortError(0);
        trace.clear();
    }
    Writes WritesSoFar() const
    {
        Writes writes;
        for (const auto& access : trace)
            if (access.write)
                writes.push_back({access.offset, access.value});
        return writes;
    }
    int Commands() const
    {
        int n = 0;
        for (const Write& w : WritesSoFar())
            n += w.offset == 0x60;
        return n;
    }

    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    PortId id = 0;
    driver::PciBridgeModel* bridge = nullptr;
    std::vector<driver::PciBridgeModel::Access> trace;
};

// --- Command words ---------------------------------------------------------------------

struct WordsCase {
    const char* name;
    std::function<void(PortId)> call;
    Writes writes;
};

void PrintTo(const WordsCase& c, std::ostream* os) { *os << c.name; }

class PciCommandWords : public PciTrace, public ::testing::WithParamInterface<WordsCase> {};

// Each done bit is cleared by writing the status back without it.
TEST_P(PciCommandWords, WritesTheRegistersInOrder)
{
    GetParam().call(id);
    EXPECT_EQ(WritesSoFar(), GetParam().writes);
    EXPECT_EQ(XR_PortGetError(), 0);
}

const uint8_t kBytes[] = {0xF0, 0x01};
const int16_t kShorts[] = {-2, 0x1234};
const uint32_t kWords[] = {0x80000001, 2, 3};

INSTANTIATE_TEST_SUITE_P(
    Pci, PciCommandWords,
    ::testing::Values(
        WordsCase{"ReadDataOfTwoBytes", [](PortId) { PciReadData(kSram + 0x20, 2); },
                  {{0x44, kSram + 0x20}, {0x60, 0x20701}, {0x5C, 0}}},
        WordsCase{"WriteDataOfFourBytes", [](PortId) { PciWriteData(0x12345678, kSram + 0x24, 4); },
                  {{0x40, 0x12345678}, {0x44, kSram + 0x24}, {0x60, 0x40601}, {0x5C, 0}}},
        // The target stays in the status register when done is cleared.
        WordsCase{"WriteBlockOfThree", [](PortId) { PciWriteBlock(kWords, 3, kSram + 0x40); },
                  {{0x40, 0x80000001}, {0x44, 2}, {0x48, 3}, {0x5C, kSram + 0x40}, {0x60, 0x30901},
                   {0x5C, kSram + 0x40}}},
        // The status written back shows the echo waiting (bit 2).
        WordsCase{"PutCharSignExtends", [](PortId id) { XR_PortPutChar(id, 0xE9); },
                  {{0x40, 0xFFFFFFE9}, {0x60, 0x101}, {0x5C, 0x4}}},
        WordsCase{"GetChar", [](PortId id) { XR_PortGetChar(id); }, {{0x60, 0x201}, {0x5C, 0}}},
        WordsCase{"EmptyBufferWritesOnlyTheAddress", [](PortId) { PciWriteBuffer(kBytes, kSram + 0x30, 0); },
                  {{0x44, kSram + 0x30}}},
        WordsCase{"ByteStreamWrite", [](PortId) { PciWriteBuffer(kBytes, kSram + 0x30, 2); },
                  {{0x44, kSram + 0x30}, {0x40, 0xF0}, {0x60, 0x10603}, {0x5C, 0}, {0x40, 0x01}, {0x60, 0x10603},
                   {0x5C, 0}}},
        WordsCase{"ByteStreamRead",
                  [](PortId) {
                      uint8_t bytes[1];
                      PciReadBuffer(kSram + 0x30, bytes, 1);
                  },
                  {{0x44, kSram + 0x30}, {0x60, 0x10703}, {0x5C, 0}}},
        WordsCase{"ShortStreamWriteSignExtends", [](PortId) { morvane::PciWriteInt16(kShorts, kSram + 0x30, 1); },
                  {{0x44, kSram + 0x30}, {0x40, 0xFFFFFFFE}, {0x60, 0x20603}, {0x5C, 0}}},
        WordsCase{"ShortStreamRead",
                  [](PortId) {
                      int16_t shorts[1];
                      morvane::PciReadInt16(kSram + 0x30, shorts, 1);
                  },
                  {{0x44, kSram + 0x30}, {0x60, 0x20703}, {0x5C, 0}}},
        WordsCase{"WordStreamWrite", [](PortId) { PciWriteInt32(kWords, kSram + 0x30, 1); },
                  {{0x44, kSram + 0x30}, {0x40, 0x80000001}, {0x60, 0x40603}, {0x5C, 0}}},
        WordsCase{"WordStreamRead",
                  [](PortId) {
                      uint32_t words[1];
                      morvane::PciReadInt32(kSram + 0x30, words, 1);
                  },
                  {{0x44, kSram + 0x30}, {0x60, 0x40703}, {0x5C, 0}}},
        WordsCase{"EnterWatchdogLoop", [](PortId id) { PciEnterWatchDogLoop(id); },
                  {{0x40, 0}, {0x60, 0x801}, {0x5C, 0}}},
        WordsCase{"ItemAddress", [](PortId) { morvane::PciGetItemAddress(2); }, {{0x40, 2}, {0x60, 0x401}, {0x5C, 0}}},
        WordsCase{"ResetPulse", [](PortId id) { PciResetCard(id); },
                  {{0x6C, 0x40000000}, {0x6C, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PciTrace, RefusedBlocksAndNullArraysWriteNothing)
{
    const std::vector<std::pair<const char*, std::function<int32_t()>>> calls = {
        {"count 0", [] { return PciWriteBlock(kWords, 0, kSram); }},
        {"count 8", [] { return PciWriteBlock(kWords, 8, kSram); }},
        {"count -1", [] { return PciWriteBlock(kWords, -1, kSram); }},
        {"no values", [] { return PciWriteBlock(nullptr, 2, kSram); }},
        {"no bytes to write", [] { PciWriteBuffer(nullptr, kSram, 2); return 0; }},
        {"no bytes to read into", [] { return int32_t(PciReadBuffer(kSram, nullptr, 2)); }},
        {"no words", [] { PciWriteInt32(nullptr, kSram, 2); return 0; }},
        {"negative count", [] { PciWriteInt32(kWords, kSram, -3); return 0; }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        trace.clear();
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(WritesSoFar(), Writes{});
    }
}

TEST_F(PciTrace, StreamsReachConsecutiveAddresses)
{
    const uint32_t words[] = {0x11223344, 0x55667788};
    PciWriteInt32(words, kSram + 0x100, 2);
    EXPECT_EQ(Card().word(kSram + 0x100), 0x11223344u);
    EXPECT_EQ(Card().word(kSram + 0x104), 0x55667788u);
    int16_t shorts[3] = {};
    morvane::PciReadInt16(kSram + 0x102, shorts, 3);
    EXPECT_EQ(shorts[0], 0x1122);
    EXPECT_EQ(shorts[1], 0x7788);
    EXPECT_EQ(shorts[2], 0x5566);
    EXPECT_EQ(PciReadData(kSram + 0x105, 2), 0x6677u);
    EXPECT_EQ(PciReadData(kSram + 0x100, 3), 0x6677u) << "no such size: done, the data register as it was";
}

// --- How a firmware call ends ----------------------------------------------------------

struct CallCase {
    const char* name;
    gensim::PciCardFaults faults;
    int32_t result;
    int32_t error;
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.name; }

class PciCall : public PciTrace, public ::testing::WithParamInterface<CallCase> {};

// After every ending the next command waits for its own done bit, which the
// firmware now sets late: a done bit left from the call would let it read
// the address register before the firmware wrote it.
TEST_P(PciCall, EndsAsTheFirmwareSaysAndLeavesNoDoneBehind)
{
    const CallCase& c = GetParam();
    ASSERT_EQ(PciReadData(kSram, 4), Card().word(kSram));  // the address register: not an item's
    Card().setFaults(c.faults);
    {
        // 2000 ms become 100 ms, 20000 ms 1000 ms.
        ScopedTimeScale shortWaits("0.05");
        EXPECT_EQ(morvane::PciCallFunction(7), c.result);
        EXPECT_EQ(XR_PortGetError(), c.error);
    }
    EXPECT_EQ(Card().bridgeRegister(0x5C), 0u) << "the status is clear";
    Card().setFaults({.doneDelayMs = 50});
    morvane::SetPortError(0);
    EXPECT_EQ(morvane::PciGetItemAddress(2), kVariables);
    EXPECT_EQ(XR_PortGetError(), 0);
}

using ScriptedCall = gensim::PciCardFaults::ScriptedCall;

INSTANTIATE_TEST_SUITE_P(
    Pci, PciCall,
    ::testing::Values(CallCase{"FinishesWell", {.call = ScriptedCall{0, 0}}, 1, 0},
                      CallCase{"FinishesAfterMoreThanTheAcknowledgeLimit", {.call = ScriptedCall{300, 0}}, 1, 0},
                      CallCase{"FailsWithResult70", {.call = ScriptedCall{20, 0x70}}, 0x7000, 0},
                      CallCase{"FailsWithAnotherResult", {.call = ScriptedCall{20, 0x71}}, 0, 0},
                      CallCase{"UnknownFunctionFailsAtTheAcknowledge", {}, 0, 0},
                      CallCase{"NoAcknowledge", {.doneNeverSet = true}, 0, MORVANE_E_TIMEOUT},
                      CallCase{"NoFinish", {.call = ScriptedCall{5000, 0}}, 0, MORVANE_E_TIMEOUT}),
    [](const auto& info) { return std::string(info.param.name); });

// --- A mailbox that sets no done bit -------------------------------------------------------

TEST_F(PciTrace, AStreamStopsAtTheElementTheCardDoesNotTake)
{
    Card().setFaults({.doneNeverSet = true});
    ScopedTimeScale shortWaits("0.02");
    EXPECT_EQ(morvane::PciGetItemAddress(2), 0u) << "the answer that tells the model";
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);

    morvane::SetPortError(0);
    trace.clear();
    const uint8_t bytes[] = {1, 2, 3};
    const auto start = Clock::now();
    PciWriteBuffer(bytes, kSram + 0x200, 3);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(Commands(), 1) << "no element after the one not taken";
    EXPECT_LT(Clock::now() - start, 2000ms);

    morvane::SetPortError(0);
    uint8_t read[3] = {9, 9, 9};
    EXPECT_EQ(PciReadBuffer(kSram + 0x200, read, 3), 0u);
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(read[0], 9);
}

// The bound is a single command's, 2000 ms, at its real length.
TEST_F(PciTrace, AStreamElementWaitsTheSingleCommandLimit)
{
    Card().setFaults({.doneNeverSet = true});
    {
        ScopedTimeScale shortWaits("0.02");
        morvane::PciGetItemAddress(2);
    }
    uint32_t words[2] = {};
    const auto start = Clock::now();
    morvane::PciReadInt32(kSram, words, 2);
    const auto waited = Clock::now() - start;
    EXPECT_EQ(XR_PortGetError(), MORVANE_E_TIMEOUT);
    EXPECT_GE(waited, 2000ms);
    EXPECT_LT(waited, 4000ms) << "one element's wait, not two, and not a call's";
}

// A reply left on the card by a command sent without a reply buffer goes
// with the next command's flush, so its echo is its own.
TEST_F(PciTrace, FlushDropsWhatTheCardHasReady)
{
    ASSERT_EQ(XR_PortSendCommand(id, "VERF?", nullptr, 0), 0);
    ASSERT_EQ(XR_PortIsCharAvailable(id), 1);
    EXPECT_EQ(XR_PortFlush(id), 1);
    EXPECT_EQ(XR_PortIsCharAvailable(id), 0);
    ASSERT_EQ(XR_PortSendCommand(id, "VERF?", nullptr, 0), 0);
    char reply[100] = {};
    EXPECT_EQ(XR_PortSendCommand(id, "HRES?", reply, sizeof reply), 5);
    EXPECT_STREQ(reply, "640\r\n");
    EXPECT_EQ(XR_PortGetError(), 0);
}

// --- Base address registers ---------------------------------------------------------------

TEST(PciSizeMask, RoundsUpToAPowerOfTwoLessOne)
{
    const std::vector<std::pair<uint32_t, uint32_t>> cases = {
        {0, 0},          {1, 0},          {2, 1},           {3, 3},           {0x80, 0x7F},
        {0x81, 0xFF},    {0x80000, 0x7FFFF}, {0x800000, 0x7FFFFF}, {0x80000000, 0x7FFFFFFF},
        {0xFFFFFFFF, 0x7FFFFFFF},
    };
    for (const auto& [length, mask] : cases)
        EXPECT_EQ(morvane::PciSizeMask(length), mask) << std::hex << length;
}

// The simulated card's memory and I/O items each match their register; the
// interrupt item and the last two registers stay unmatched.
TEST_F(PciTrace, EveryRangeMatchesItsRegister)
{
    using Bar = morvane::PciBar;
    const std::vector<Bar> bars = {
        {0x10, 0, 0x7F, true, true},      {0x14, 1, 0x7F, false, true}, {0x18, 2, 0xFF, true, true},
        {0x1C, 4, 0x7FFFF, true, true},   {0x20, 5, 0x7FFFFF, true, true}, {0x24, 0, 0, false, false},
        {0x30, 0, 0, false, false},
    };
    EXPECT_EQ(morvane::PciBarTable(0), bars);
    EXPECT_TRUE(morvane::PciBarTable(1).empty());
}

}  // namespace
