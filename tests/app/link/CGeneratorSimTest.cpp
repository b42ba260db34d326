// The connection through the real library to a simulated generator on a
// pseudo-terminal: the baud search, a rate change on both ends, and a
// directory rewrite as the Send Data command makes it.

#include "CGenerator.h"

#include "Profile.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"

#include <QDialog>

#include <cstdlib>

namespace {

class GeneratorSimTest : public PlatformTest
{
protected:
    // A generator at its own rate on COM1, and the port dialog choosing COM1.
    gensim::Generator& Start(int rate)
    {
        gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "4711",
                                                 .baudRate = rate, .link = ""});
        sim.start();
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        // The handshake's 1 s at each wrong rate becomes 250 ms.
        setenv("MORVANE_TIME_SCALE", "0.25", 1);
        WriteProfileInt(QStringLiteral("Port"), QStringLiteral("Type"), 2);
        WriteProfileInt(QStringLiteral("Port"), QStringLiteral("Com"), 1);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [](QDialog& d) { d.accept(); });
        return g;
    }

    void TearDown() override
    {
        unsetenv("MORVANE_TIME_SCALE");
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    gensim::Simulator sim;
};

TEST_F(GeneratorSimTest, OpenSearchesTheRateAndReadsTheFirmware)
{
    Start(9600);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    EXPECT_EQ(gen.GetPortName(), QStringLiteral("Com-1"));
    EXPECT_EQ(gen.GetBaudRate(), 9600);
    EXPECT_DOUBLE_EQ(gen.GetFirmwareVersion(), 7.011);
    EXPECT_TRUE(gen.HasExtendedLists());
    EXPECT_FALSE(gen.FontsSupported());
}

TEST_F(GeneratorSimTest, RateChangeMovesBothEnds)
{
    gensim::Generator& g = Start(2400);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    EXPECT_EQ(gen.ChangeBaudRate(19200), 2);
    EXPECT_EQ(gen.GetBaudRate(), 19200);
    EXPECT_EQ(g.baudRate(), 19200);
    EXPECT_DOUBLE_EQ(gen.QueryVerf(), 7.011);
}

TEST_F(GeneratorSimTest, SentFormatNamesJoinTheFormatDirectory)
{
    gensim::Generator& g = Start(2400);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    const auto before = g.item(gensim::ItemKind::Directory, "fmt");
    ASSERT_TRUE(before.has_value());
    ASSERT_FALSE(before->entries.empty());
    const std::string known = before->entries.front();

    EXPECT_TRUE(gen.AddNamesToDirectory({"Mine", QString::fromStdString(known)}, CGenerator::kKindFormat));
    const auto after = g.item(gensim::ItemKind::Directory, "fmt");
    ASSERT_TRUE(after.has_value());
    ASSERT_EQ(after->entries.size(), before->entries.size() + 1);
    EXPECT_EQ(after->entries.front(), "Mine");
    EXPECT_EQ(std::vector<std::string>(after->entries.begin() + 1, after->entries.end()), before->entries);
}

} // namespace
