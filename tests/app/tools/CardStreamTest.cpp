// A download file sent to the maker's stream card through the kernel
// driver, against the simulator's driver and stream card: when the card
// can be had, how a file goes in blocks, which blocks end the stream, and
// that no connection stays behind.

#include "CardStream.h"

#include "DriverSocketPath.h"
#include "KernelDriverAccess.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

using namespace std::chrono_literals;

// A simulator whose driver reports version with a serial generator and,
// unless told otherwise, the stream card cabled to it.
struct StreamRig {
    explicit StreamRig(uint32_t version = driver::kCurrentVersion, bool card = true,
                       gensim::StreamCardFaults faults = {})
    {
        endpoint = &sim.openDriver(socket.path(), version);
        generator = &sim.addGenerator({.model = "VG-7000", .firmware = "7.041", .baudRate = 115200, .link = ""});
        if (card) {
            stream = &endpoint->addStreamCard(*generator);
            stream->setFaults(faults);
        }
        sim.start();
    }
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    gensim::DriverEndpoint *endpoint = nullptr;
    gensim::Generator *generator = nullptr;
    gensim::StreamCard *stream = nullptr;
};

FILE *FileOf(int64_t bytes)
{
    FILE *f = std::tmpfile();
    for (int64_t i = 0; i < bytes; ++i)
        std::fputc(int(i * 13 % 251), f);
    std::rewind(f);
    return f;
}

class CardStreamTest : public PlatformTest {};

TEST_F(CardStreamTest, OpensOnlyTheMakersCardOnACurrentDriver)
{
    const struct {
        const char *name;
        std::optional<uint32_t> version; // none: no driver listens
        bool card;
        bool refuse;
        bool opens;
        const char *lastError;
    } rows[] = {
        {"no driver", std::nullopt, true, false, false, ""},
        {"version 431", 431, true, false, false, ""},
        {"version 432", 432, true, false, true, ""},
        {"no stream card", 432, false, false, false, ""},
        {"registration refused", 432, true, true, false, "Could not open device\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<StreamRig> rig;
        std::optional<gensim::test::DriverSocketPath> nobody;
        if (row.version)
            rig.emplace(*row.version, row.card, gensim::StreamCardFaults{.refuseRegistration = row.refuse});
        else
            nobody.emplace();
        CardStream stream;
        EXPECT_EQ(stream.Open(), row.opens);
        EXPECT_EQ(InstalledKernelDriver().LastErrorText(), row.lastError);
        stream.Close();
        if (rig) {
            EXPECT_EQ(rig->endpoint->registrations(), 0u);
            EXPECT_TRUE(rig->endpoint->waitForConnections(0, 5000ms)) << "a connection was left open";
        }
    }
}

// 512,000 bytes a block, cut in the driver's pieces; the generator holds
// every byte where its block puts it.
TEST_F(CardStreamTest, SendsAFileInBlocks)
{
    const struct {
        int64_t bytes;
        const char *dma; // the generator's block for exactly those bytes
        int blocks;
    } rows[] = {
        {0, nullptr, 0},
        {1, "BDMA 0 1 1 0;SERM DMA", 1},
        {512000, "HRES 1000;BDMA 0 1000 512 0;SERM DMA", 1},
        {512001, "HRES 8192;BDMA 0 8127 63 0;SERM DMA", 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bytes);
        StreamRig rig;
        if (row.dma) {
            ASSERT_TRUE(rig.generator->execute(row.dma).empty());
        }
        FILE *f = FileOf(row.bytes);
        CardStream stream;
        ASSERT_TRUE(stream.Open());
        EXPECT_TRUE(stream.Send(f, nullptr));
        EXPECT_EQ(stream.Sent(), row.bytes);
        EXPECT_EQ(stream.Blocks(), row.blocks);
        EXPECT_EQ(int64_t(rig.stream->bytesTaken()), row.bytes);
        int pieces = 0; // the driver's pieces of each block
        for (int64_t at = 0; at < row.bytes; at += CardStream::kBlockBytes)
            pieces += int((std::min<int64_t>(CardStream::kBlockBytes, row.bytes - at) + 65535) / 65536);
        EXPECT_EQ(rig.stream->transfers(), pieces);
        if (row.bytes > 0) {
            ASSERT_EQ(rig.generator->finishedDma().size(), 1u);
            const gensim::DmaBlock block = rig.generator->finishedDma()[0];
            const int64_t last = row.bytes - 1;
            EXPECT_EQ(rig.generator->videoBytes(0, uint64_t(last / block.rowLength) * block.pitch
                                                     + uint64_t(last % block.rowLength), 1)[0],
                      uint8_t(last * 13 % 251));
        }
        std::fclose(f);
        stream.Close();
        EXPECT_TRUE(rig.endpoint->waitForConnections(0, 5000ms));
    }
}

// A failed or short piece ends the stream: nothing after it is sent.
TEST_F(CardStreamTest, AFailedOrShortTransferEndsTheStream)
{
    const struct {
        const char *name;
        gensim::StreamCardFaults faults;
    } rows[] = {
        {"failure midway", {.failTransfer = 3}},
        {"short count", {.shortCount = 2}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        StreamRig rig(driver::kCurrentVersion, true, row.faults);
        ASSERT_TRUE(rig.generator->execute("HRES 1000;BDMA 0 1000 1024 0;SERM DMA").empty());
        FILE *f = FileOf(1024000);
        CardStream stream;
        ASSERT_TRUE(stream.Open());
        EXPECT_FALSE(stream.Send(f, nullptr));
        EXPECT_EQ(stream.Blocks(), 1);
        EXPECT_EQ(rig.stream->transfers(), 3 + (row.faults.failTransfer ? 1 : 0));
        EXPECT_TRUE(rig.generator->finishedDma().empty());
        std::fclose(f);
    }
}

} // namespace
