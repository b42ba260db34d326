// A generator's GPIB address, driven by bus messages directly: command
// messages and their replies, unread replies, pauses, "FLSH" blocks, plain
// files and the faults of the bus.

#include "gensim/FirmwareImage.h"
#include "gensim/Generator.h"
#include "gensim/GpibDevice.h"
#include "gensim/GpibWire.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gensim::test {
namespace {

using namespace std::chrono_literals;
using Events = std::vector<BusEvent>;
using Clock = GpibDevice::Clock;

struct Read {
    std::string bytes;
    bool end;
    bool operator==(const Read&) const = default;
};

void PrintTo(const Read& r, std::ostream* out)
{
    *out << BusEvent::reply(r.bytes, r.end);
}

class GpibDeviceTest : public ::testing::Test {
protected:
    // A command message: the bytes with EOI, one write.
    int command(const std::string& text) { return device.write(text, true, true, now); }

    // Every read the host makes until nothing is due, asking `max` each.
    std::vector<Read> readAll(std::size_t max = 200)
    {
        std::vector<Read> reads;
        while (std::optional<GpibDevice::Piece> p = device.read(max, now))
            reads.push_back({p->bytes, p->end});
        return reads;
    }

    Events since(std::size_t mark)
    {
        const Events all = generator.busTrace().events();
        return Events(all.begin() + long(std::min(mark, all.size())), all.end());
    }

    Generator generator{GeneratorOptions{.pty = false, .gpib = GpibAddress{5, 0}}};
    GpibDevice device{generator};
    Clock::time_point now = Clock::now();
};

TEST_F(GpibDeviceTest, RepliesGoBackOneMessagePerLine)
{
    struct Case {
        const char* command;
        std::size_t max;
        std::vector<Read> reads;
    };
    const std::vector<Case> cases = {
        {"*IDN?", 200, {{"Veltrane,VG-7000,000001,7.011\n", true}}},
        {"FMTQ? 1 2 x", 200, {{"Custom,1\r\n", true}, {"DMT1075,0\n", true}}},
        {"FMTQ? 1 2 x", 4, {{"Cust", false}, {"om,1", false}, {"\r\n", true}, {"DMT1", false}, {"075,", false}, {"0\n", true}}},
        {"HRES 800", 200, {}},  // a setter sends nothing
        {"XYZZ", 200, {{"Command invalid\n", true}}},
        {"  hres?\r\n", 200, {{"800\n", true}}},  // a host's line end and blanks are no part of it
    };
    generator.seed(ItemKind::Format, {"Custom"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(command(c.command), 0);
        EXPECT_EQ(readAll(c.max), c.reads);
    }
    EXPECT_EQ(generator.trace().lines(),
              (std::vector<std::string>{"*IDN?", "FMTQ? 1 2 x", "FMTQ? 1 2 x", "HRES 800", "XYZZ", "  hres?"}));
}

// As a device clears its output queue: the refusal of a setter cannot
// answer the query after it.
TEST_F(GpibDeviceTest, ANewCommandDiscardsAReplyLeftUnread)
{
    command("XYZZ");
    command("FMTQ? 1 2 x");
    ASSERT_TRUE(device.read(3, now).has_value());  // some of the first line taken
    command("HRES?");
    EXPECT_EQ(readAll(), (std::vector<Read>{{"640\n", true}}));
}

TEST_F(GpibDeviceTest, APauseHoldsBackTheRestOfTheReply)
{
    generator.seed(ItemKind::Format, {"Custom"});
    generator.fault(Fault::pauseBeforeChar(12, 100));  // in the second line, "DMT1075,0\n"
    command("FMTQ? 1 2 x");
    EXPECT_EQ(readAll(), (std::vector<Read>{{"Custom,1\r\n", true}, {"DM", false}}));
    ASSERT_TRUE(device.nextOutput().has_value());
    EXPECT_EQ(*device.nextOutput(), now + 100ms);
    now += 99ms;
    EXPECT_EQ(readAll(), std::vector<Read>{});
    now += 1ms;
    EXPECT_EQ(readAll(), (std::vector<Read>{{"T1075,0\n", true}}));
    EXPECT_FALSE(device.nextOutput().has_value());
}

// Blocks and files: what the bus carried and what the generator took.
TEST_F(GpibDeviceTest, BlocksAndFilesAreTakenWhole)
{
    struct Write {
        std::string bytes;
        bool eoi;
        bool callEnd;
    };
    struct Case {
        const char* name;
        std::vector<Write> writes;
        Events taken;  // the transfers traced
        std::vector<std::string> lines;
    };
    // Sums: "abcde" 97+98+99+100+101; "xyz" 120+121+122; "0123456789"
    // 48 * 10 + 45; "FLSH #2" 70+76+83+72+32+35+50.
    const std::vector<Case> cases = {
        {"block with its header", {{"FLSH #15abcde", false, true}}, {BusEvent::flash(5, 495)}, {"FLSH #15"}},
        {"header, then the block", {{"FLSH #15", false, true}, {"abcde", false, true}}, {BusEvent::flash(5, 495)}, {"FLSH #15"}},
        {"block in pieces", {{"flsh #15", false, true}, {"ab", false, false}, {"cde", false, true}},
         {BusEvent::flash(5, 495)}, {"flsh #15"}},
        {"empty block", {{"FLSH #10", false, true}}, {BusEvent::flash(0, 0)}, {"FLSH #10"}},
        {"command, then the bytes", {{"FLSH 3", true, true}, {"xyz", false, true}}, {BusEvent::flash(3, 363)}, {"FLSH 3"}},
        {"plain file", {{"0123456789", false, true}}, {BusEvent::file(10, 525)}, {}},
        {"block cut short by EOI", {{"FLSH #15", false, true}, {"ab", true, true}}, {BusEvent::flash(2, 195)}, {"FLSH #15"}},
        {"no block: a digit missing", {{"FLSH #2", false, true}}, {BusEvent::file(7, 418)}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        generator.trace().clear();
        const std::size_t mark = generator.busTrace().size();
        for (const Write& w : c.writes)
            EXPECT_EQ(device.write(w.bytes, w.eoi, w.callEnd, now), 0);
        Events taken;
        for (const BusEvent& e : since(mark))
            if (e.kind != BusEvent::Kind::HostWrite)
                taken.push_back(e);
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(generator.trace().lines(), c.lines);
        // The generator answers commands again.
        command("HRES?");
        EXPECT_EQ(readAll(), (std::vector<Read>{{"640\n", true}}));
    }
}

// A firmware image comes whole or not at all: a block cut short by EOI, in
// either form, flashes nothing and keeps the firmware.
TEST(GpibDeviceFlash, OnlyABlockOfItsFullCountIsFlashed)
{
    const firmware::Image image = firmware::makeHeaderImage(7.021, 3000, 4);
    const std::string bytes(image.begin(), image.end());
    const struct {
        const char* name;
        std::string header;
        bool headerEoi;
        std::size_t sent;
        bool flashed;
    } cases[] = {
        {"block, whole", "FLSH #43000", false, 3000, true},
        {"block, one byte short", "FLSH #43000", false, 2999, false},
        {"command form, whole", "FLSH 3000", true, 3000, true},
        {"command form, short", "FLSH 3000", true, 1000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Generator generator{GeneratorOptions{.pty = false, .gpib = GpibAddress{5, 0}, .rebootMs = 0}};
        GpibDevice device{generator};
        const Clock::time_point now = Clock::now();
        EXPECT_EQ(device.write(c.header, c.headerEoi, true, now), 0);
        EXPECT_EQ(device.write(bytes.substr(0, c.sent), true, true, now), 0);
        EXPECT_EQ(generator.flashCount(), c.flashed ? 1 : 0);
        EXPECT_EQ(generator.firmware(), c.flashed ? "7.021" : "7.011");
        EXPECT_EQ(generator.errorCount(), 0);
    }
}

TEST_F(GpibDeviceTest, AnOverlongLineIsRefusedWhole)
{
    const std::string line = "NAME " + std::string(GpibDevice::kMaxLine, 'a');
    command(line);
    EXPECT_EQ(readAll(), (std::vector<Read>{{"Command invalid\n", true}}));
    EXPECT_EQ(generator.errorCount(), 0);
}

TEST_F(GpibDeviceTest, FaultsOfTheBus)
{
    const std::size_t mark = generator.busTrace().size();
    generator.fault(Fault::busWriteError());
    EXPECT_EQ(command("HRES?"), gpib::kEbus);
    EXPECT_EQ(readAll(), std::vector<Read>{});

    generator.fault(Fault::silence());
    EXPECT_EQ(command("HRES?"), 0);
    EXPECT_EQ(readAll(), std::vector<Read>{});

    generator.fault(Fault::longReply(300));
    EXPECT_EQ(command("HRES?"), 0);
    EXPECT_EQ(readAll(), (std::vector<Read>{{std::string(200, 'X'), false}, {std::string(100, 'X') + "\n", true}}));

    generator.fault(Fault::busMessages("HRES?", {"A\r\n", "", "B"}));
    EXPECT_EQ(command("hres?"), 0);
    EXPECT_EQ(readAll(), (std::vector<Read>{{"A\r\n", true}, {"", true}, {"B", true}}));

    EXPECT_EQ(command("HRES?"), 0);  // the faults wore off
    EXPECT_EQ(readAll(), (std::vector<Read>{{"640\n", true}}));
    device.readTimedOut(300);

    // The refused write is not on the bus; the rest with its EOI flags.
    const Events events = since(mark);
    ASSERT_EQ(events.size(), 11u);
    EXPECT_EQ(events[0], BusEvent::write("HRES?", true));
    EXPECT_EQ(events[1], BusEvent::write("HRES?", true));
    EXPECT_EQ(events[4], BusEvent::write("hres?", true));
    EXPECT_EQ(events[5], BusEvent::reply("A\r\n", true));
    EXPECT_EQ(events.back(), BusEvent::timeout(300));
}

} // namespace
} // namespace gensim::test
