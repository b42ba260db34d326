// The host-interface registers of an ISA card as the host sees them: the
// address and data registers over the card's memory, the write rules of the
// control register, halt, and firmware events with their changes.
#include "CardMemory.h"
#include "DriverClient.h"
#include "FakeDriver.h"
#include "IsaHostModel.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace driver::test {
namespace {

using namespace std::chrono_literals;
using Clock = IsaHostModel::Clock;

constexpr uint32_t kFileSize = 0x41000;
constexpr uint32_t kRegisterBlock = 0x40040;

RegisterAnswer CardLayout()
{
    RegisterAnswer answer;
    answer.handle = 7;
    answer.hasMemory = true;
    answer.fileSize = kFileSize;
    answer.registerBlock = kRegisterBlock;
    answer.regions = {{0xFF000000, 0x40000, 0}, {0xC0000000, 64, 0x40000}};
    return answer;
}

// A card's memory file, as the driver would hand it over.
struct CardFile {
    CardFile()
    {
        fd.Reset(memfd_create("model-test", MFD_CLOEXEC));
        EXPECT_EQ(ftruncate(fd.Get(), kFileSize), 0);
        void* p = mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
        EXPECT_NE(p, MAP_FAILED);
        bytes = static_cast<uint8_t*>(p);
    }
    ~CardFile() { munmap(bytes, kFileSize); }

    uint16_t& Ram(uint32_t address) { return reinterpret_cast<uint16_t*>(bytes)[(address - 0xFF000000) >> 4]; }
    uint16_t& Control() { return reinterpret_cast<uint16_t*>(bytes + kRegisterBlock)[2]; }
    std::shared_ptr<CardMemory> Map() { return CardMemory::Map(UniqueFd(dup(fd.Get())), CardLayout()); }

    UniqueFd fd;
    uint8_t* bytes = nullptr;
};

// The firmware: every event is answered with what `next` holds.
class ModelTest : public ::testing::Test {
protected:
    ModelTest()
        : driver_([this](const Request& request) {
              ++events;
              return std::vector<RawPacket>{AnswerWith(request, next)};
          }),
          client_(DriverClient::Connect(driver_.Path())),
          model_(client_.get(), 7, file_.Map())
    {
    }

    // Takes INTIN at once and puts out `chunks`.
    static FirmwareEventAnswer TakesAndSays(std::vector<OutputChunk> chunks)
    {
        FirmwareEventAnswer answer{true, {{0, ChangeKind::ClearBits, IsaHostModel::kControl, IsaHostModel::kIntIn}}, {}};
        answer.output = std::move(chunks);
        return answer;
    }

    void SetAddress(uint32_t address)
    {
        model_.WriteRegister(IsaHostModel::kAddressLow, static_cast<uint16_t>(address));
        model_.WriteRegister(IsaHostModel::kAddressHigh, static_cast<uint16_t>(address >> 16));
    }
    uint16_t Control() { return model_.ReadRegister(IsaHostModel::kControl); }

    std::atomic<int> events{0};
    FirmwareEventAnswer next{true, {}, {}};
    CardFile file_;
    FakeDriver driver_;
    std::unique_ptr<DriverClient> client_;
    IsaHostModel model_;
};

struct Step {
    enum Kind { Write, Read } kind;
    uint32_t offset;
    uint16_t value;  // written, or expected
};

struct RegisterCase {
    const char* name;
    uint16_t control;  // as the card left it
    std::vector<Step> steps;
    int events;        // firmware events the steps raise
};

void PrintTo(const RegisterCase& c, std::ostream* os) { *os << c.name; }

class RegisterTable : public ModelTest, public ::testing::WithParamInterface<RegisterCase> {};

constexpr uint32_t A0 = IsaHostModel::kAddressLow;
constexpr uint32_t A2 = IsaHostModel::kAddressHigh;
constexpr uint32_t D4 = IsaHostModel::kData;
constexpr uint32_t C6 = IsaHostModel::kControl;
constexpr Step::Kind W = Step::Write;
constexpr Step::Kind R = Step::Read;

TEST_P(RegisterTable, HostSeesTheValues)
{
    const RegisterCase& c = GetParam();
    file_.Control() = c.control;
    file_.Ram(0xFF000000) = 0x1111;
    file_.Ram(0xFF000010) = 0x2222;
    file_.Ram(0xFF1FFFF0) = 0x3333;
    // The firmware takes whatever is raised at once.
    next.changes = {{0, ChangeKind::ClearBits, C6, IsaHostModel::kIntIn | IsaHostModel::kNmi}};
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step& s = c.steps[i];
        if (s.kind == W)
            model_.WriteRegister(s.offset, s.value);
        else
            EXPECT_EQ(model_.ReadRegister(s.offset), s.value) << "step " << i << " reads offset " << s.offset;
    }
    EXPECT_EQ(events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Registers, RegisterTable,
    ::testing::Values(
        RegisterCase{"AddressHalves", 0, {{W, A0, 0xB010}, {W, A2, 0xFF1F}, {R, A0, 0xB010}, {R, A2, 0xFF1F}}, 0},
        RegisterCase{"DataReadIncrementsByOneWord", 0x1000,
                     {{W, A0, 0}, {W, A2, 0xFF00}, {R, D4, 0x1111}, {R, A0, 0x0010}, {R, D4, 0x2222}, {R, A0, 0x0020}},
                     0},
        RegisterCase{"ReadIncrementLeavesWritesInPlace", 0x1000,
                     {{W, A0, 0}, {W, A2, 0xFF00}, {W, D4, 0xABCD}, {R, A0, 0}, {R, D4, 0xABCD}, {R, A0, 0x10}}, 0},
        RegisterCase{"DataWriteIncrements", 0x0800,
                     {{W, A0, 0x0010}, {W, A2, 0xFF00}, {W, D4, 0x5555}, {R, A0, 0x0020}, {W, A0, 0x0010},
                      {R, D4, 0x5555}, {R, A0, 0x0010}},
                     0},
        RegisterCase{"NoIncrementWithoutTheBits", 0,
                     {{W, A0, 0}, {W, A2, 0xFF00}, {R, D4, 0x1111}, {W, D4, 0x4444}, {R, A0, 0}, {R, D4, 0x4444}}, 0},
        RegisterCase{"LastRamWordThenNothing", 0x1000,
                     {{W, A0, 0xFFF0}, {W, A2, 0xFF1F}, {R, D4, 0x3333}, {R, A2, 0xFF20}, {R, A0, 0}, {R, D4, 0xFFFF}},
                     0},
        RegisterCase{"OutsideTheMemoryReads0xFFFFAndIgnoresWrites", 0,
                     {{W, A0, 0}, {W, A2, 0x1234}, {W, D4, 0}, {R, D4, 0xFFFF}, {W, A0, 0x0200}, {W, A2, 0xC000},
                      {R, D4, 0xFFFF}},
                     0},
        RegisterCase{"IntOutClearedByZeroOnly", 0x0080,
                     {{W, C6, 0x0080}, {R, C6, 0x0080}, {W, C6, 0x0000}, {R, C6, 0x0000}, {W, C6, 0x0080},
                      {R, C6, 0x0000}},
                     0},
        RegisterCase{"IntInAndNmiSetByOneOnly", 0x8000,
                     {{W, C6, 0x8008}, {R, C6, 0x8008}, {W, C6, 0x8000}, {R, C6, 0x8008}, {W, C6, 0x8100},
                      {R, C6, 0x8108}},
                     0},
        RegisterCase{"OtherBitsAsWritten", 0, {{W, C6, 0x6807}, {R, C6, 0x6807}, {W, C6, 0x0070}, {R, C6, 0x0070}}, 0},
        RegisterCase{"RaiseWhileRunningIsOneEvent", 0, {{W, C6, 0x0008}, {R, C6, 0}, {W, C6, 0x0100}, {R, C6, 0}}, 2},
        RegisterCase{"HaltHoldsTheEventUntilRun", 0x8000,
                     {{W, C6, 0x8008}, {R, C6, 0x8008}, {W, C6, 0xC008}, {R, C6, 0xC008}, {W, C6, 0x0000},
                      {R, C6, 0x0000}},
                     1},
        RegisterCase{"RunWithNothingRaisedIsNoEvent", 0x8000, {{W, C6, 0x0000}, {R, C6, 0}}, 0},
        RegisterCase{"HaltHoldsNoMemoryAccess", 0x9000,
                     {{W, A0, 0}, {W, A2, 0xFF00}, {R, D4, 0x1111}, {R, A0, 0x0010}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModelTest, OutputComesOneCharacterPerClearedIntOut)
{
    next = TakesAndSays({{0, "ok"}});
    model_.WriteRegister(C6, IsaHostModel::kIntIn);
    ASSERT_EQ(Control(), IsaHostModel::kIntOut) << "INTIN taken, the first character out";
    EXPECT_EQ(file_.Ram(IsaHostModel::kOutputWord), 'o');
    EXPECT_EQ(Control(), IsaHostModel::kIntOut) << "the next waits for the host";
    EXPECT_EQ(file_.Ram(IsaHostModel::kOutputWord), 'o');
    model_.WriteRegister(C6, 0);
    EXPECT_EQ(Control(), IsaHostModel::kIntOut);
    EXPECT_EQ(file_.Ram(IsaHostModel::kOutputWord), 'k');
    model_.WriteRegister(C6, 0);
    EXPECT_EQ(Control(), 0);
    EXPECT_EQ(events, 1);
}

TEST_F(ModelTest, LaterOutputIsSeenAtAControlReadOnceDue)
{
    next = TakesAndSays({{0, "a"}, {300, "b"}});
    model_.WriteRegister(C6, IsaHostModel::kIntIn);
    EXPECT_EQ(Control(), IsaHostModel::kIntOut);
    model_.WriteRegister(C6, 0);
    EXPECT_EQ(Control(), 0) << "the second character is not due yet";

    const auto start = Clock::now();
    ASSERT_TRUE(model_.WaitControl(IsaHostModel::kIntOut, IsaHostModel::kIntOut, start + 5s));
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_EQ(file_.Ram(IsaHostModel::kOutputWord), 'b');
}

// A change that falls due between the read and the write of a
// read-modify-write applies after the write: the written INTIN does not
// raise a second event.
TEST_F(ModelTest, ChangesNeverLandInsideAReadModifyWrite)
{
    next = {true, {{100, ChangeKind::ClearBits, C6, IsaHostModel::kIntIn}}, {}};
    model_.WriteRegister(C6, IsaHostModel::kIntIn);
    const uint16_t read = Control();
    ASSERT_EQ(read, IsaHostModel::kIntIn);
    std::this_thread::sleep_for(150ms);
    model_.WriteRegister(C6, static_cast<uint16_t>(read | IsaHostModel::kIncrementRead));
    EXPECT_EQ(Control(), IsaHostModel::kIncrementRead);
    EXPECT_EQ(events, 1);
}

TEST_F(ModelTest, WaitEndsAtItsLimitWhenNothingComes)
{
    next = {true, {{2000, ChangeKind::ClearBits, C6, IsaHostModel::kNmi}}, {}};
    model_.WriteRegister(C6, IsaHostModel::kNmi);
    const auto start = Clock::now();
    EXPECT_FALSE(model_.WaitControl(IsaHostModel::kNmi, 0, start + 100ms));
    EXPECT_GE(Clock::now() - start, 100ms);
    EXPECT_TRUE(model_.WaitControl(IsaHostModel::kNmi, 0, start + 5s));
    EXPECT_GE(Clock::now() - start, 1900ms);
}

TEST_F(ModelTest, RestartDropsOutputNotYetTaken)
{
    next = TakesAndSays({{0, "xyz"}});
    model_.WriteRegister(C6, IsaHostModel::kIntIn);
    next = {true, {{0, ChangeKind::DiscardOutput, 0, 0}, {0, ChangeKind::ClearBits, C6, IsaHostModel::kNmi}}, {}};
    model_.WriteRegister(C6, IsaHostModel::kIntOut | IsaHostModel::kNmi);
    EXPECT_EQ(Control(), IsaHostModel::kIntOut) << "'x' stays until taken";
    model_.WriteRegister(C6, 0);
    EXPECT_EQ(Control(), 0) << "'y' and 'z' are gone";
}

TEST_F(ModelTest, RegistersOutliveTheModel)
{
    model_.WriteRegister(C6, 0x8008);
    SetAddress(0xFF1FB010);
    IsaHostModel again(client_.get(), 7, file_.Map());
    EXPECT_EQ(again.ReadRegister(C6), 0x8008);
    EXPECT_EQ(again.ReadRegister(A2), 0xFF1F);
}

TEST_F(ModelTest, ADeadDriverTakesNothing)
{
    driver_.HangUp();
    model_.WriteRegister(C6, IsaHostModel::kIntIn);
    EXPECT_EQ(Control(), IsaHostModel::kIntIn);
    EXPECT_FALSE(model_.WaitControl(IsaHostModel::kIntIn, 0, Clock::now() + 50ms));
}

TEST(IsaHostModel, AnEmptySlotFloats)
{
    IsaHostModel empty(nullptr, 3, nullptr);
    EXPECT_FALSE(empty.HasCard());
    for (uint32_t offset : {A0, A2, D4, C6}) {
        empty.WriteRegister(offset, 0);
        EXPECT_EQ(empty.ReadRegister(offset), 0xFFFF);
    }
}

TEST(IsaHostModel, MemoryWithoutARegisterBlockIsNoCard)
{
    CardFile file;
    RegisterAnswer layout = CardLayout();
    layout.registerBlock = RegisterAnswer::kNoRegisterBlock;
    IsaHostModel model(nullptr, 1, CardMemory::Map(UniqueFd(dup(file.fd.Get())), layout));
    EXPECT_FALSE(model.HasCard());
    EXPECT_EQ(model.ReadRegister(C6), 0xFFFF);
}

}  // namespace
}  // namespace driver::test
