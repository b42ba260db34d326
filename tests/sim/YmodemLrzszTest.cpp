// lrzsz's sb sending into the simulated generator after "YMDI", as from a
// shell on its COM port: the files arrive whole and the line is back at the
// prompt after each batch, also when the host took the generator's first
// "C" before sb started.

#include "SerialPeers.h"
#include "SimFixture.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace gensim::test {
namespace {

namespace fs = std::filesystem;

class YmodemLrzsz : public SimFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HaveProgram("sb")) << "sb is missing: ./zot installs lrzsz";
        SimFixture::SetUp();
        char pattern[] = "/tmp/gensim-sb-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        for (const auto& [name, bytes] : files)
            std::ofstream(folder / name, std::ios::binary) << bytes;
    }
    void TearDown() override { fs::remove_all(folder); }

    // "YMDI" and its two lines; the "C" after them is left to sb.
    void startReceiving()
    {
        host->write("YMDI \r");
        EXPECT_EQ(host->readUntil('\n'), "YMDI \r\n");
        EXPECT_EQ(host->readUntil('\n'), "Ready to receive\r\n");
    }

    // sb sends both files in blocks of 128 or 1024 bytes; its exit status.
    int sb(bool kilo)
    {
        std::vector<std::string> argv = {"sb", "--ymodem"};
        if (kilo)
            argv.push_back("-k");
        for (const auto& [name, bytes] : files)
            argv.push_back(name);
        PeerProcess peer(argv, generator->comPath(), folder.string(), (folder / "sb.log").string());
        return peer.Wait(30000);
    }

    void expectFilesAndPrompt()
    {
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(generator->ymodem().file(name), bytes) << name;
        EXPECT_EQ(host->command("VERF?"), "VERF?\r\n7.011\r\n>");
    }

    // A short one and one of two 1K blocks and a 128-byte block.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.mem", std::string(100, '\x18')},
        {"b.mem", [] {
             std::string bytes(2100, '\0');
             for (std::size_t i = 0; i < bytes.size(); ++i)
                 bytes[i] = static_cast<char>(i * 7 + i / 251);
             return bytes;
         }()},
    };
    fs::path folder;
};

TEST_F(YmodemLrzsz, SbTwentyTimesInARowEachEndingAtThePrompt)
{
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        generator->ymodem().clear();
        startReceiving();
        EXPECT_EQ(sb(round % 2 == 1), 0);
        expectFilesAndPrompt();
    }
}

// The host read the first "C" itself: sb hears the next one.
TEST_F(YmodemLrzsz, SbStartsOnTheRepeatedRequest)
{
    generator->ymodem().setRequestInterval(500ms);
    startReceiving();
    EXPECT_EQ(host->read(1), "C");
    EXPECT_EQ(sb(true), 0);
    expectFilesAndPrompt();
}

} // namespace
} // namespace gensim::test
