// A generator switched off and on again on a new pty: the host's open port
// goes dead, the link names the new pty, the start-up rate is back and the
// stores are kept.

#include "SimFixture.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace gensim::test {
namespace {

namespace fs = std::filesystem;

class Restart : public SimFixture {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/gensim-restart-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        GeneratorOptions options;
        options.baudRate = 9600;
        options.link = (dir / "com1").string();
        open(options);
    }
    void TearDown() override
    {
        host.reset();
        simulator.reset();
        fs::remove_all(dir);
    }

    fs::path dir;
};

TEST_F(Restart, ComesBackOnANewPtyBehindTheSameLinkAtItsStartUpRate)
{
    const fs::path link = dir / "com1";
    const std::string before = generator->slavePath();
    generator->seed(ItemKind::Format, {"KEPT", true});
    // MODE answers at the old rate, then the generator runs at 19200.
    host->write("MODE COM1 19200 N 8 1 H\r");
    host->readUntil('>');
    ASSERT_EQ(generator->baudRate(), 19200);

    simulator->restartOnNewPty(0);

    EXPECT_NE(generator->slavePath(), before);
    EXPECT_EQ(fs::read_symlink(link).string(), generator->slavePath());
    EXPECT_EQ(generator->baudRate(), 9600);
    // The old device is dead: it fails, or it hears nothing.
    std::string heard;
    try {
        host->write("VERF?\r");
        heard = host->readFor();
    } catch (const std::exception&) {
    }
    EXPECT_EQ(heard, "");
    // The link opens the new one, at the start-up rate, with the stores kept.
    host = std::make_unique<HostPort>(link.string(), 9600);
    EXPECT_EQ(host->command("VERF?"), answered("VERF?", "7.011\r\n"));
    const std::vector<std::string> formats = generator->names(ItemKind::Format);
    EXPECT_NE(std::find(formats.begin(), formats.end(), "KEPT"), formats.end());
}

TEST_F(Restart, AGeneratorWithoutAPtyIsRefused)
{
    GeneratorOptions onBus;
    onBus.pty = false;
    onBus.gpib = GpibAddress{5, 0};
    simulator->addGenerator(onBus);
    EXPECT_THROW(simulator->restartOnNewPty(1), std::invalid_argument);
}

} // namespace
} // namespace gensim::test
