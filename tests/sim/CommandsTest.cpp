// Commands and their replies, as the host reads them.

#include "SimFixture.h"

namespace gensim::test {
namespace {

struct Case {
    std::string line;
    std::string reply;  // reply lines joined by CR LF, without the last one
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.line; }

class Replies : public SimFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(Replies, AreTheGeneratorsForms)
{
    const Case& c = GetParam();
    std::string reply = c.reply.empty() ? "" : c.reply + "\r\n";
    EXPECT_EQ(host->command(c.line), answered(c.line, reply));
}

INSTANTIATE_TEST_SUITE_P(Identity, Replies, ::testing::Values(
    Case{"*IDN?", "Veltrane,VG-7000,000001,7.011"},
    Case{"VERF?", "7.011"},
    Case{"*OPC?", "1"}));

// Settings answer in their query forms: integers, fixed decimals, short
// floats, comma triples, text.
INSTANTIATE_TEST_SUITE_P(Defaults, Replies, ::testing::Values(
    Case{"HTOT?", "800"}, Case{"HRES?", "640"}, Case{"VTOT?", "525"}, Case{"BASE?", "10"},
    Case{"HRAT?", "31469.0000"}, Case{"ASSS?", "0.286"}, Case{"AVPS?", "7.5000"},
    Case{"GAMA?", "2.20000"}, Case{"SDLY?", "1"}, Case{"XVSG?", "1,1,1"},
    Case{"ASSG?", "0,1,0"}, Case{"SSST?", "7"},
    Case{"OUTG?", "1"}, Case{"SVSG?", "-1"}));

INSTANTIATE_TEST_SUITE_P(SetThenQuery, Replies, ::testing::Values(
    Case{"HRAT 31469.0000;HRAT?", "31469.0000"},
    Case{"HRAT 8.64e+04;HRAT?", "86400.0000"},
    Case{"HRAT 10;HRAT?", "10.0000"},
    Case{"HTOT 65536;HTOT?", "65536"},
    Case{"HTOT 2;HTOT?", "2"},
    Case{"HRES 1.024e3;HRES?", "1024"},
    Case{"BASE -2;BASE?", "-2"},
    Case{"BASE 36;BASE?", "36"},
    Case{"ASSS 0.307;ASSS?", "0.307"},
    Case{"ASSS 0.000;ASSS?", "0.000"},
    Case{"AVSS 0.7;AVSS?", "0.700"},
    Case{"SDLY 0.25;SDLY?", "0.25"},
    Case{"SDLY 1234.5;SDLY?", "1.23e+03"},
    Case{"AVPG 1;AVPG?", "1"},
    Case{"SSST 11;SSST?", "11"},
    Case{"ASSG 1,0,1;ASSG?", "1,0,1"},
    Case{"XVSG 1 0 1;XVSG?", "1,0,1"},
    Case{"XVSG 3 -1 0;XVSG?", "3,-1,0"},
    Case{"OUTG 0 1;OUTG?", "0"},
    Case{"FMTP img;FMTP?", "img"},
    Case{"PELD?  GE", "8"},
    Case{"HRES 1024;VRES 768;HRES?;VRES?", "1024\r\n768"},
    Case{"HTOT 900;INIT;HTOT?", "800"},
    Case{"ALLU;*OPC?", "1"},
    Case{"HTOT?;;", "800"}));

INSTANTIATE_TEST_SUITE_P(Refused, Replies, ::testing::Values(
    Case{"BOGUS", "Command invalid"},
    Case{"HTOT? ;XYZZ 1", "800\r\nCommand invalid"},
    Case{"OUTG?;VBPR 1 1 1", "1\r\nCommand invalid"},   // read only, and 7.04 on
    Case{"LMAX?", "Command invalid"},        // set only
    Case{"?", "Command invalid"},
    Case{"HTOT 1", "Execution error: 3"},
    Case{"HTOT 65537", "Execution error: 3"},
    Case{"HRES 15", "Execution error: 3"},
    Case{"BASE 1", "Execution error: 3"},
    Case{"BASE -37", "Execution error: 3"},
    Case{"SSST 12", "Execution error: 3"},
    Case{"ASSS 0.308", "Execution error: 3"},
    Case{"ASSS -0.1", "Execution error: 3"},
    Case{"HRAT 9.9999", "Execution error: 3"},
    Case{"AVPG 2", "Execution error: 3"},
    Case{"ASSG 1,2,0", "Execution error: 3"},
    Case{"HTOT", "Execution error: 1"},
    Case{"HTOT 800 2", "Execution error: 1"},
    Case{"ASSG 1,0", "Execution error: 1"},
    Case{"XVSG 1 0", "Execution error: 1"},
    Case{"INIT 1", "Execution error: 1"},
    Case{"HTOT abc", "Execution error: 2"},
    Case{"HTOT 800.5", "Execution error: 2"},
    Case{"HTOT 0x10", "Execution error: 2"},
    Case{"HRAT nan", "Execution error: 2"},
    Case{"HRAT inf", "Execution error: 2"},
    Case{"HRAT 1e999", "Execution error: 2"}));

using Commands = SimFixture;

TEST_F(Commands, RefusedValueLeavesTheSettingAsItWas)
{
    host->command("HTOT 900");
    EXPECT_EQ(host->command("HTOT 70000"), answered("HTOT 70000", "Execution error: 3\r\n"));
    EXPECT_EQ(host->command("ASSG 1,0,5"), answered("ASSG 1,0,5", "Execution error: 3\r\n"));
    EXPECT_EQ(generator->setting("HTOT"), "900");
    EXPECT_EQ(generator->setting("ASSG"), "0,1,0");
}

TEST_F(Commands, RefusalEndsAJoinedLine)
{
    EXPECT_EQ(host->command("HTOT 900;BOGUS;HTOT 1000"),
              answered("HTOT 900;BOGUS;HTOT 1000", "Command invalid\r\n"));
    EXPECT_EQ(generator->setting("HTOT"), "900");
}

TEST_F(Commands, EmptyTextIsAnsweredWithAnEmptyLine)
{
    EXPECT_EQ(host->command("SEQU?"), answered("SEQU?", "\r\n"));
}

TEST_F(Commands, ErrorsAreCountedUntilCleared)
{
    host->command("BOGUS");
    host->command("HTOT 1");
    EXPECT_EQ(host->command("NERR?"), answered("NERR?", "2\r\n"));
    host->command("ERRC");
    EXPECT_EQ(host->command("NERR?"), answered("NERR?", "0\r\n"));
}

TEST_F(Commands, IdentityComesFromTheOptions)
{
    GeneratorOptions options;
    options.model = "VG-820";
    options.serial = "4711";
    options.firmware = "8.5";
    open(options);
    EXPECT_EQ(host->command("*IDN?"), answered("*IDN?", "Veltrane,VG-820,4711,8.5\r\n"));
    EXPECT_EQ(host->command("VERF?"), answered("VERF?", "8.5\r\n"));
}

TEST(GeneratorOptionsCheck, RefusesWhatCannotBeAnswered)
{
    struct Bad {
        const char* what;
        GeneratorOptions options;
    };
    auto with = [](auto change) {
        GeneratorOptions o;
        change(o);
        return o;
    };
    std::vector<Bad> cases = {
        {"comma in model", with([](auto& o) { o.model = "A,B"; })},
        {"empty serial", with([](auto& o) { o.serial = ""; })},
        {"firmware not a number", with([](auto& o) { o.firmware = "seven"; })},
        {"prompt in model", with([](auto& o) { o.model = "A>"; })},
        {"rate not a generator's", with([](auto& o) { o.baudRate = 2401; })},
    };
    for (const Bad& b : cases)
        EXPECT_THROW(Generator{b.options}, std::invalid_argument) << b.what;
}

} // namespace
} // namespace gensim::test
