// The bridge of a PCI card as the host sees it: the memory commands served
// over the card's memory, which writes are firmware events, the output
// queue behind status bit 2, the firmware's later changes and its state, and
// the memory window over the card's regions.
#include "DriverClient.h"
#include "FakeDriver.h"
#include "PciBridgeModel.h"
#include "PciCardFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace driver::test {
namespace {

using namespace std::chrono_literals;
using namespace pci;
using Clock = PciBridgeModel::Clock;

class BridgeTest : public ::testing::Test {
protected:
    BridgeTest()
        : driver_([this](const Request& request) {
              if (std::holds_alternative<FirmwareEventRequest>(request.body))
                  ++events;
              return std::vector<RawPacket>{AnswerWith(request, next)};
          }),
          client_(DriverClient::Connect(driver_.Path())),
          model_(client_.get(), 9, file_.Map())
    {
    }

    void Run(uint32_t size, uint32_t code, uint32_t flags) { model_.WriteRegister(kCommand, CommandWord(size, code, flags)); }
    uint32_t Status() { return model_.ReadRegister(kStatus); }
    void ClearStatus() { model_.WriteRegister(kStatus, 0); }
    // What the firmware tells the model of its state from now on.
    static Change StateIs(uint32_t state) { return {0, ChangeKind::WriteRegister, kFirmwareState, state}; }

    std::atomic<int> events{0};
    FirmwareEventAnswer next{true, {}, {}};
    PciCardFile file_;
    FakeDriver driver_;
    std::unique_ptr<DriverClient> client_;
    PciBridgeModel model_;
};

// --- Memory commands ---------------------------------------------------------------------

struct MemoryCase {
    const char* name;
    uint32_t address;
    uint32_t command;
    uint32_t data;           // written first
    uint32_t dataAfter;      // the data register after the command
    uint32_t addressAfter;
    std::vector<uint8_t> sramAfter;  // SRAM bytes 0x10..
};

void PrintTo(const MemoryCase& c, std::ostream* os) { *os << c.name; }

class MemoryCommand : public BridgeTest, public ::testing::WithParamInterface<MemoryCase> {};

// SRAM bytes 0x10-0x17 start as 10 11 12 13 14 15 16 17; each command is
// done at once and costs no event.
TEST_P(MemoryCommand, RunsOnTheCardMemory)
{
    const MemoryCase& c = GetParam();
    for (int i = 0; i < 8; ++i)
        file_.Sram()[0x10 + i] = static_cast<uint8_t>(0x10 + i);
    model_.WriteRegister(kData, c.data);
    model_.WriteRegister(kAddress, c.address);
    model_.WriteRegister(kCommand, c.command);
    EXPECT_EQ(Status() & kDone, kDone);
    EXPECT_EQ(model_.ReadRegister(kData), c.dataAfter);
    EXPECT_EQ(model_.ReadRegister(kAddress), c.addressAfter);
    EXPECT_EQ(std::vector<uint8_t>(file_.Sram() + 0x10, file_.Sram() + 0x18), c.sramAfter);
    EXPECT_EQ(events, 0);
}

constexpr uint32_t S = 0xFFF00000;
const std::vector<uint8_t> kUntouched = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17};

INSTANTIATE_TEST_SUITE_P(
    Bridge, MemoryCommand,
    ::testing::Values(
        MemoryCase{"ReadFourLittleEndian", S + 0x10, 0x40701, 0, 0x13121110, S + 0x10, kUntouched},
        MemoryCase{"ReadTwo", S + 0x13, 0x20701, 0xFFFFFFFF, 0x1413, S + 0x13, kUntouched},
        MemoryCase{"ReadOne", S + 0x17, 0x10701, 0xFFFFFFFF, 0x17, S + 0x17, kUntouched},
        MemoryCase{"WriteFourLittleEndian", S + 0x11, 0x40601, 0xA1B2C3D4, 0xA1B2C3D4, S + 0x11,
                   {0x10, 0xD4, 0xC3, 0xB2, 0xA1, 0x15, 0x16, 0x17}},
        MemoryCase{"WriteTwoTakesTheLowBytes", S + 0x16, 0x20601, 0xA1B2C3D4, 0xA1B2C3D4, S + 0x16,
                   {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0xD4, 0xC3}},
        MemoryCase{"StreamElementMovesTheAddressOn", S + 0x12, 0x20703, 0, 0x1312, S + 0x14, kUntouched},
        MemoryCase{"WriteStreamElement", S + 0x10, 0x10603, 0x99, 0x99, S + 0x11,
                   {0x99, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}},
        MemoryCase{"SizeThreeDoesNothing", S + 0x10, 0x30603, 0x99, 0x99, S + 0x10, kUntouched},
        MemoryCase{"SizeZeroReadsNothing", S + 0x10, 0x00701, 0x5555, 0x5555, S + 0x10, kUntouched},
        MemoryCase{"NoMemoryReadsZero", 0xE0000010, 0x40701, 0x5555, 0, 0xE0000010, kUntouched}),
    [](const auto& info) { return std::string(info.param.name); });

// Bytes beyond a region's end, and in the guard after it, are nobody's.
TEST_F(BridgeTest, AWordAcrossARegionsEndKeepsItsBytesInside)
{
    const uint32_t last = kVideo.address + kVideo.bytes - 2;
    model_.WriteRegister(kData, 0xA1B2C3D4);
    model_.WriteRegister(kAddress, last);
    Run(4, kWrite, kSingle);
    EXPECT_EQ(file_.Video()[kVideo.bytes - 2], 0xD4);
    EXPECT_EQ(file_.Video()[kVideo.bytes - 1], 0xC3);
    EXPECT_TRUE(file_.GuardsClear());
    Run(4, kRead, kSingle);
    EXPECT_EQ(model_.ReadRegister(kData), 0x0000C3D4u);
}

// The target is taken from 0x5C before done is set there.
TEST_F(BridgeTest, ABlockGoesToTheTargetInTheStatusRegister)
{
    const uint32_t values[] = {0x11111111, 0x22222222, 0x33333333};
    for (uint32_t i = 0; i < 3; ++i)
        model_.WriteRegister(kData + 4 * i, values[i]);
    model_.WriteRegister(kStatus, S + 0x100);
    Run(3, kWriteBlock, kSingle);
    EXPECT_EQ(Status(), S + 0x100 + kDone);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(file_.Word(file_.Sram() + 0x100 + 4 * i), values[i]);
    EXPECT_EQ(file_.Word(file_.Sram() + 0x10C), 0u);

    ClearStatus();
    model_.WriteRegister(kStatus, S + 0x200);
    Run(8, kWriteBlock, kSingle);
    EXPECT_EQ(Status(), S + 0x200 + kDone) << "eight values: done, nothing written";
    EXPECT_EQ(file_.Word(file_.Sram() + 0x200), 0u);
}

// --- Firmware events ---------------------------------------------------------------------

struct EventCase {
    const char* name;
    uint32_t state;  // what the firmware said of itself before
    std::vector<std::pair<uint32_t, uint32_t>> writes;
    int events;
};

void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }

class EventTable : public BridgeTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(EventTable, OnlyTheFirmwaresOwnWorkIsARoundTrip)
{
    file_.Register(kFirmwareState) = GetParam().state;
    for (const auto& [offset, value] : GetParam().writes)
        model_.WriteRegister(offset, value);
    EXPECT_EQ(events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, EventTable,
    ::testing::Values(
        EventCase{"PutChar", 0, {{kCommand, 0x101}}, 1}, EventCase{"Call", 0, {{kCommand, 0x301}}, 1},
        EventCase{"ItemAddress", 0, {{kCommand, 0x401}}, 1}, EventCase{"EnterWatchdog", 0, {{kCommand, 0x801}}, 1},
        EventCase{"ServedHere", 0, {{kCommand, 0x201}, {kCommand, 0x40601}, {kCommand, 0x10703}, {kCommand, 0x10901}}, 0},
        EventCase{"UnknownCommand", 0, {{kCommand, 0x501}}, 0},
        EventCase{"ReleaseOutsideTheLoop", 0, {{kData, kWatchdogRelease}}, 0},
        EventCase{"ReleaseInTheLoop", kInWatchdogLoop, {{kData, kWatchdogRelease}}, 1},
        EventCase{"OtherDataInTheLoop", kInWatchdogLoop, {{kData, 0xF0F0F0F1}, {kAddress, kWatchdogRelease}}, 0},
        EventCase{"ResetRisingEdgeOnly", 0,
                  {{kBridgeControl, kSoftwareReset}, {kBridgeControl, kSoftwareReset | 1}, {kBridgeControl, 0},
                   {kBridgeControl, kSoftwareReset}},
                  2},
        EventCase{"OtherRegisters", 0, {{kStatus, 0xFFFFFFFF}, {kEndianControl, 0x20}, {0x48, 0x301}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeTest, TheEventCarriesTheMailboxRegisters)
{
    std::vector<uint32_t> seen;
    FakeDriver recorder([&seen, this](const Request& request) {
        if (const auto* event = std::get_if<FirmwareEventRequest>(&request.body))
            seen = event->words;
        return std::vector<RawPacket>{AnswerWith(request, next)};
    });
    auto client = DriverClient::Connect(recorder.Path());
    PciBridgeModel model(client.get(), 9, file_.Map());
    model.WriteRegister(kData, 0x41);
    model.WriteRegister(kAddress, 0x1234);
    model.WriteRegister(kStatus, 0x80);
    model.WriteRegister(kCommand, 0x101);
    EXPECT_EQ(seen, (std::vector<uint32_t>{kCommand, 0x101, 0x41, 0x1234, 0, 0, 0, 0, 0, 0x80, 0x101}));
}

// --- Output and later changes --------------------------------------------------------------

TEST_F(BridgeTest, CharactersWaitBehindStatusBitTwoAndComeInOrder)
{
    next = {true, {{0, ChangeKind::SetBits, kStatus, kDone}}, {{0, "ok"}, {200, "!"}}};
    Run(0, kPutChar, kSingle);
    EXPECT_EQ(Status(), kDone | kCharReady);
    ClearStatus();
    std::string taken;
    while (Status() & kCharReady) {
        Run(0, kGetChar, kSingle);
        ASSERT_EQ(Status() & kDone, kDone);
        ClearStatus();
        taken += static_cast<char>(model_.ReadRegister(kData));
    }
    EXPECT_EQ(taken, "ok") << "the third is not due yet";
    const auto start = Clock::now();
    ASSERT_TRUE(model_.WaitRegister(kStatus, kCharReady, kCharReady, start + 5s));
    EXPECT_GE(Clock::now() - start, 150ms);
    Run(0, kGetChar, kSingle);
    EXPECT_EQ(model_.ReadRegister(kData), uint32_t('!'));
    Run(0, kGetChar, kSingle);
    EXPECT_EQ(model_.ReadRegister(kData), 0u) << "nothing left";
}

// A command written over the last one: the last one's finish never comes.
TEST_F(BridgeTest, ANewCommandDropsTheLastOnesLaterChanges)
{
    next = {true, {{0, ChangeKind::SetBits, kStatus, kDone}, {100, ChangeKind::SetBits, kStatus, kCallFinished}}, {}};
    Run(0, kCall, kSingle);
    EXPECT_EQ(Status(), kDone);
    ClearStatus();
    Run(4, kRead, kSingle);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(Status(), kDone);
}

TEST_F(BridgeTest, WaitsBlockUntilTheChangeFallsDueOrTheLimit)
{
    next = {true, {{300, ChangeKind::SetBits, kStatus, kDone}}, {}};
    Run(0, kItemAddress, kSingle);
    auto start = Clock::now();
    EXPECT_FALSE(model_.WaitRegister(kStatus, kDone, kDone, start + 50ms));
    EXPECT_GE(Clock::now() - start, 50ms);
    EXPECT_TRUE(model_.WaitRegister(kStatus, kDone, kDone, start + 5s));
    EXPECT_GE(Clock::now() - start, 250ms);
}

// A later change lands at the next read, never between the read and the
// write of a read-modify-write.
TEST_F(BridgeTest, ChangesNeverLandInsideAReadModifyWrite)
{
    next = {true, {{0, ChangeKind::SetBits, kStatus, kDone}, {50, ChangeKind::SetBits, kStatus, kCallFinished}}, {}};
    Run(0, kCall, kSingle);
    const uint32_t read = Status();
    ASSERT_EQ(read, kDone);
    std::this_thread::sleep_for(100ms);
    model_.WriteRegister(kStatus, read & ~kDone);
    EXPECT_EQ(Status(), kCallFinished);
}

// A silent firmware sets no done bit, not even for the commands served here.
TEST_F(BridgeTest, ASilentMailboxSetsNoDoneBit)
{
    next = {true, {StateIs(kMailboxSilent)}, {}};
    Run(0, kItemAddress, kSingle);
    EXPECT_EQ(Status() & kDone, 0u);
    Run(4, kRead, kSingle);
    Run(0, kGetChar, kSingle);
    EXPECT_FALSE(model_.WaitRegister(kStatus, kDone, kDone, Clock::now() + 20ms));
    next = {true, {StateIs(0), {0, ChangeKind::SetBits, kStatus, kDone}}, {}};
    Run(0, kItemAddress, kSingle);
    ClearStatus();
    Run(4, kRead, kSingle);
    EXPECT_EQ(Status() & kDone, kDone);
}

TEST_F(BridgeTest, RegistersOutliveTheModel)
{
    model_.WriteRegister(0x48, 0x12345678);
    model_.WriteRegisterByte(kEndianControl, 0x20);
    PciBridgeModel again(client_.get(), 9, file_.Map());
    EXPECT_EQ(again.ReadRegister(0x48), 0x12345678u);
    EXPECT_EQ(again.ReadRegisterByte(kEndianControl), 0x20);
    EXPECT_EQ(again.ReadRegister(kWindowBase), kWindowEnable);
}

TEST_F(BridgeTest, OffsetsOutsideTheWindowAreNoRegisters)
{
    for (uint32_t offset : {0x100u, 0x102u, 0x41u, 0xFFFFFFFCu}) {
        model_.WriteRegister(offset, 0xFFFFFFFF);
        EXPECT_EQ(model_.ReadRegister(offset), 0u) << offset;
    }
    EXPECT_EQ(file_.Register(kFirmwareState), 0u) << "the firmware's own word";
}

// --- The memory window -------------------------------------------------------------------

uint32_t WindowWord(const PciBridgeModel& model, uint32_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, model.Window() + offset, sizeof value);
    return value;
}

TEST_F(BridgeTest, TheWindowFollowsItsRegisters)
{
    ASSERT_NE(model_.Window(), nullptr);
    std::memcpy(file_.Video() + 0x7FFFFC, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(WindowWord(model_, 0x7FFFFC), 0x04030201u) << "it starts on video memory";

    model_.WriteRegister(kWindowBase, kLocalA.address | kWindowEnable);
    model_.WriteRegister(kWindowRange, ~(kLocalA.bytes - 1));
    std::memcpy(file_.Local() + 0x10, "\xAA\xBB\xCC\xDD", 4);
    for (uint32_t copy : {0u, 1u, 255u})
        EXPECT_EQ(WindowWord(model_, copy * kLocalA.bytes + 0x10), 0xDDCCBBAAu) << copy;
    model_.Window()[kLocalA.bytes * 7 + 0x20] = 0x5A;
    EXPECT_EQ(file_.Local()[0x20], 0x5A) << "every copy is the memory itself";

    // The window address stays; only what it shows changes.
    uint8_t* window = model_.Window();
    model_.WriteRegister(kWindowBase, kSram.address | kWindowEnable);
    model_.WriteRegister(kWindowRange, ~(kSram.bytes - 1));
    EXPECT_EQ(model_.Window(), window);
    file_.Sram()[kSram.bytes - 1] = 0x77;
    EXPECT_EQ(window[kWindowSpan - 1], 0x77);
    EXPECT_TRUE(file_.GuardsClear());
}

TEST_F(BridgeTest, AWindowOnNoMemoryShowsZeroAndKeepsNothing)
{
    for (uint32_t base : {kRom.address | kWindowEnable, kVideo.address}) {  // no ROM here; disabled
        SCOPED_TRACE(base);
        std::memset(file_.Video(), 0x33, 16);
        model_.WriteRegister(kWindowBase, base);
        model_.WriteRegister(kWindowRange, 0xFF800000);
        EXPECT_EQ(WindowWord(model_, 0), 0u);
        model_.Window()[0] = 0x44;
        EXPECT_EQ(file_.Video()[0], 0x33);
    }
    EXPECT_TRUE(file_.GuardsClear());
}

TEST(PciBridgeModel, MemoryWithoutSramOrRegistersIsNoCard)
{
    PciCardFile file;
    RegisterAnswer noSram = PciCardFile::Layout();
    noSram.regions.erase(noSram.regions.begin() + 1);
    RegisterAnswer noRegisters = PciCardFile::Layout();
    noRegisters.registerBlock = RegisterAnswer::kNoRegisterBlock;
    for (const RegisterAnswer& layout : {noSram, noRegisters}) {
        PciBridgeModel model(nullptr, 1, CardMemory::Map(UniqueFd(dup(file.fd.Get())), layout));
        EXPECT_FALSE(model.HasCard());
        EXPECT_EQ(model.Window(), nullptr);
        EXPECT_EQ(model.Sram(), nullptr);
        model.WriteRegister(kStatus, 0x1234);
        EXPECT_EQ(model.ReadRegister(kStatus), 0u);
    }
    PciBridgeModel none(nullptr, 1, nullptr);
    EXPECT_FALSE(none.HasCard());
}

}  // namespace
}  // namespace driver::test
