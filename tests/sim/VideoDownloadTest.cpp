// An image download as the generator takes it: the depth and board
// queries, the DMA block after "BDMA" and "SERM DMA" over the serial line
// and through the maker's stream card, the board switch and the lookup
// table.

#include "DriverSocketPath.h"
#include "SimFixture.h"

#include "DriverClient.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace gensim::test {
namespace {

using driver::DriverClient;
using driver::ResourceKind;

std::string Pattern(std::size_t n, int seed = 1)
{
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF);
    return bytes;
}

std::string AsText(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class VideoDownloadTest : public SimFixture {
protected:
    void SetUp() override
    {
        GeneratorOptions options;
        options.firmware = "7.041";
        options.baudRate = 115200;
        options.dmaTimeoutMs = 1000;
        open(options);
    }
};

TEST_F(VideoDownloadTest, DepthAndBoardQueries)
{
    struct Row {
        const char* line;
        const char* reply;
    } const rows[] = {
        {"PELD? GE", "8"},       // the video memory's depth
        {"PELD?", "8"},          // the format's field
        {"PELD 4", ""},
        {"PELD?", "4"},
        {"PELD? GE", "8"},       // the field does not change the memory
        {"VBPR?", "1,1,1"},
        {"VBPR 1 0 1", "Command invalid"}, // the hardware says
        {"SBNK", "Command invalid"},  // one board only
        {"PELD? XX", "Execution error: 1"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(reply(row.line), row.reply) << row.line;
    generator->setVideoDepth(0);
    EXPECT_EQ(reply("PELD? GE"), "0");
    generator->setVideoBoards(true, false, true);
    EXPECT_EQ(reply("VBPR?"), "1,0,1");
}

// Row i of the block lands at start + i x pitch; the bytes are neither
// echoed nor read as commands, and the line is a command line again after.
TEST_F(VideoDownloadTest, SerialBlockLandsRowByRowAtThePitch)
{
    ASSERT_EQ(reply("HRES 640"), "");
    constexpr int kRowLength = 16;
    constexpr int kRows = 5;
    constexpr int kStart = 1024 * 3 + 8;
    ASSERT_EQ(reply("BDMA " + std::to_string(kStart) + " 16 5 0"), "");
    ASSERT_EQ(reply("SERM DMA"), "");
    const std::string data = Pattern(kRowLength * kRows) ;
    host->write(data);
    EXPECT_EQ(host->readFor(), "");
    EXPECT_EQ(reply("NERR?"), "0");
    const std::vector<DmaBlock> blocks = generator->finishedDma();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].pitch, 1024u); // 8 bits x 640 / 8 rounded up to a power of two
    for (int row = 0; row < kRows; ++row)
        EXPECT_EQ(AsText(generator->videoBytes(0, kStart + row * 1024u, kRowLength)),
                  data.substr(static_cast<std::size_t>(row * kRowLength), kRowLength))
            << row;
    EXPECT_EQ(generator->videoBytes(0, kStart + kRowLength, 1)[0], 0);
}

TEST_F(VideoDownloadTest, PitchOfOneBoardAndOfThreeBoards)
{
    struct Row {
        bool threeBoards;
        int depth;
        int hres;
        std::uint64_t pitch;
    } const rows[] = {
        {false, 8, 640, 1024}, {false, 4, 640, 512}, {false, 1, 640, 128}, {false, 8, 100, 128},
        {false, 0, 640, 128},  {true, 36, 800, 1024}, {true, 36, 640, 1024}, {true, 36, 1024, 1024},
    };
    for (const Row& row : rows)
        EXPECT_EQ(VideoBoards::pitch(row.threeBoards, row.depth, row.hres), row.pitch)
            << row.threeBoards << " " << row.depth << " " << row.hres;
}

TEST_F(VideoDownloadTest, RefusesABlockOutsideTheBoard)
{
    ASSERT_EQ(reply("HRES 640"), "");
    EXPECT_EQ(reply("BDMA 0 2048 2 0"), "Execution error: 3");           // rows wider than the pitch
    EXPECT_EQ(reply("BDMA 8387584 1024 2 0"), "Execution error: 3");     // past 8 MB
    EXPECT_EQ(reply("BDMA 0 16 2 1"), "Execution error: 3");             // a board it does not have
    EXPECT_EQ(reply("BDMA -1 16 2 0"), "Execution error: 3");
    EXPECT_EQ(reply("BDMA 0 16 2"), "Execution error: 1");
    EXPECT_EQ(reply("SERM DMA"), "Execution error: 3");                  // no block given
    EXPECT_TRUE(generator->finishedDma().empty());
}

// A block that gets no more data is abandoned with an error; what follows
// is read as commands again.
TEST_F(VideoDownloadTest, AStalledBlockIsAbandoned)
{
    ASSERT_EQ(reply("BDMA 0 16 4 0"), "");
    ASSERT_EQ(reply("SERM DMA"), "");
    host->write(Pattern(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    EXPECT_EQ(reply("NERR?"), "1");
    EXPECT_TRUE(generator->finishedDma().empty());
}

TEST_F(VideoDownloadTest, LookupTableEntries)
{
    for (const char* line : {"SLUT 0", "LUTE", "LMAX 255", "RGBW 0 1 2 3", "RGBW 255 255 128 0"})
        EXPECT_EQ(reply(line), "") << line;
    EXPECT_EQ(reply("RGBW 256 0 0 0"), "Execution error: 3");
    EXPECT_EQ(reply("RGBW 1 0 0 256"), "Execution error: 3");
    const auto lut = generator->lut();
    EXPECT_EQ(lut[0], 0x030201u);
    EXPECT_EQ(lut[255], 0x0080FFu);
    EXPECT_EQ(lut[1], 0u);
}

TEST(VideoDownloadBoardsTest, ThreeBoardsTakeABlockPerBoardInBoardMode)
{
    Simulator simulator;
    Generator& g = simulator.addGenerator({.model = "r72q", .firmware = "7.041", .baudRate = 115200});
    EXPECT_EQ(g.execute("BDMA 0 4 1 2"), std::vector<std::string>{"Execution error: 3"});
    EXPECT_TRUE(g.execute("SBNK").empty());
    EXPECT_TRUE(g.boardMode());
    EXPECT_TRUE(g.execute("HRES 800").empty());
    EXPECT_TRUE(g.execute("BDMA 5 4 2 2;SERM DMA").empty());
    EXPECT_TRUE(g.receivingDma());
    EXPECT_EQ(g.feedDma("abcdefgh-"), 8u);
    EXPECT_FALSE(g.receivingDma());
    EXPECT_EQ(AsText(g.videoBytes(2, 5, 4)), "abcd");
    EXPECT_EQ(AsText(g.videoBytes(2, 5 + 1024, 4)), "efgh");
    EXPECT_EQ(AsText(g.videoBytes(0, 5, 4)), std::string(4, '\0'));
    EXPECT_TRUE(g.execute("SBNK").empty());
    EXPECT_FALSE(g.boardMode());
}

// --video-dump: each finished block as its bytes (PGM) and through the
// lookup table (PPM).
TEST(VideoDownloadDumpTest, WritesEachFinishedBlockAsPictures)
{
    char folder[] = "/tmp/zot-dump-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    Simulator simulator;
    Generator& g = simulator.addGenerator({.model = "VG-7000", .firmware = "7.041", .baudRate = 115200});
    g.setVideoDump(folder);
    EXPECT_TRUE(g.execute("RGBW 1 10 20 30;HRES 100;BDMA 0 2 2 0;SERM DMA").empty());
    EXPECT_EQ(g.feedDma(std::string("\x01\x00\x00\x01", 4)), 4u);
    const auto read = [&](const char* name) {
        std::ifstream in(std::string(folder) + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(read("dma1-board0.pgm"), std::string("P5\n2 2\n255\n\x01\x00\x00\x01", 15));
    EXPECT_EQ(read("dma1-board0.ppm"),
              std::string("P6\n2 2\n255\n\x0A\x14\x1E\x00\x00\x00\x00\x00\x00\x0A\x14\x1E", 23));
    std::filesystem::remove_all(folder);
}

// The stream card: registered through the driver like any card, it feeds
// the cabled generator's block, refusing data outside a block or past its
// count, and plays its faults.
class StreamCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        endpoint = &sim.openDriver(socket.path());
        generator = &sim.addGenerator({.model = "VG-7000", .firmware = "7.041", .baudRate = 115200, .link = ""});
        card = &endpoint->addStreamCard(*generator);
        sim.start();
        client = DriverClient::Connect(socket.path());
        ASSERT_NE(client, nullptr);
    }
    uint32_t Register()
    {
        auto scan = client->PciScan(StreamCard::kVendor, StreamCard::kDevice);
        EXPECT_TRUE(scan && scan->cards.size() == 1);
        if (!scan || scan->cards.empty())
            return 0;
        auto info = client->CardInfo(scan->cards[0].location);
        EXPECT_TRUE(info && info->found);
        for (const driver::Resource& item : info->resources)
            EXPECT_TRUE(item.kind != ResourceKind::Memory && item.kind != ResourceKind::Io);
        auto registration = client->Register(info->resources);
        return registration ? registration->handle : 0;
    }

    DriverSocketPath socket;
    Simulator sim;
    DriverEndpoint* endpoint = nullptr;
    Generator* generator = nullptr;
    StreamCard* card = nullptr;
    std::unique_ptr<DriverClient> client;
};

TEST_F(StreamCardTest, FeedsTheBlockOfItsGenerator)
{
    const uint32_t handle = Register();
    ASSERT_NE(handle, 0u);
    EXPECT_FALSE(client->BlockTransfer(handle, 6, "abcd")->success); // no block yet
    ASSERT_TRUE(generator->execute("HRES 100;BDMA 0 4 3 0;SERM DMA").empty());
    auto first = client->BlockTransfer(handle, 6, "abcdefgh");
    ASSERT_TRUE(first && first->success);
    EXPECT_EQ(first->transferred, 8u);
    EXPECT_FALSE(client->BlockTransfer(handle, 6, "ijklm")->success); // past its count
    EXPECT_FALSE(client->BlockTransfer(handle, 5, "ijkl")->success);  // another kind of transfer
    EXPECT_TRUE(client->BlockTransfer(handle, 6, "ijkl")->success);
    EXPECT_EQ(AsText(generator->videoBytes(0, 128, 4)), "efgh");
    EXPECT_EQ(AsText(generator->videoBytes(0, 256, 4)), "ijkl");
    EXPECT_EQ(card->bytesTaken(), 12u);
    // Only the connection that holds it sends.
    auto other = DriverClient::Connect(socket.path());
    EXPECT_FALSE(other->BlockTransfer(handle, 6, "x")->success);
}

TEST_F(StreamCardTest, Faults)
{
    card->setFaults({.refuseRegistration = true});
    EXPECT_EQ(Register(), 0u);
    card->setFaults({.failTransfer = 0, .shortCount = 1});
    const uint32_t handle = Register();
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(generator->execute("HRES 100;BDMA 0 4 2 0;SERM DMA").empty());
    EXPECT_FALSE(client->BlockTransfer(handle, 6, "abcd")->success);
    auto shortOne = client->BlockTransfer(handle, 6, "abcd");
    ASSERT_TRUE(shortOne && shortOne->success);
    EXPECT_EQ(shortOne->transferred, 2u);
}

TEST_F(StreamCardTest, ComesAfterTheGeneratorCardsAndOnlyAnIdSearchFindsItAlone)
{
    Generator& onCard = sim.addGenerator({.model = "VG-7000", .firmware = "7.045", .link = "", .pty = false,
                                          .pciCard = true});
    (void)onCard;
    auto any = client->PciScan(StreamCard::kVendor, 0);
    ASSERT_TRUE(any);
    ASSERT_EQ(any->cards.size(), 2u);
    EXPECT_EQ(any->cards[0].device, PciCard::kDevice);
    EXPECT_EQ(any->cards[1].device, StreamCard::kDevice);
}

} // namespace
} // namespace gensim::test
