// The format edit buffer: an upload, its check, storing it, and recalling
// it so that every query answers the stored fields.

#include "Scripts.h"

namespace gensim::test {
namespace {

// What the program sends for a 1024 x 768 format named Mine, in its order.
const std::vector<std::string> kUpload = {
    "FMTN \"Mine\"", "FMTB", "NAME \"Mine\"",
    "HRAT 48363.0000", "HRES 1024", "HTOT 1344", "HSPD 24", "HSPW 136", "HSPP 0", "HSPG 1",
    "VRES 768", "VTOT 806", "VSPD 3", "VSPW 6", "VSPP 0", "VSPG 1", "EQUB 0", "EQUA 0",
    "SCAN 1", "AVST 2", "DVST 0",
    "AVSS 0.700", "AVPS 7.5000", "AVPG 0", "ASSS 0.300", "ASSG 0,1,0",
    "ASCT 2", "DSCT 2", "DSST 1", "SSST 1",
    "CSPP 0", "CSPG 1", "GAMA 2.20000", "GAMC 0", "USIZ 2", "HSIZ 284.4800", "VSIZ 213.3600",
    "RFLD 0", "PCPG 0", "PELD 8", "AVCS 0", "FMTE",
};

// The recall's queries and what the stored Mine answers.
const std::vector<Step> kRecall = {
    {"HRAT?", "48363.0000"}, {"HRES?", "1024"}, {"HTOT?", "1344"}, {"HSPD?", "24"}, {"HSPW?", "136"},
    {"HSPP?", "0"}, {"HSPG?", "1"}, {"VRES?", "768"}, {"VTOT?", "806"}, {"VSPD?", "3"}, {"VSPW?", "6"},
    {"VSPP?", "0"}, {"VSPG?", "1"}, {"EQUB?", "0"}, {"EQUA?", "0"}, {"SCAN?", "1"}, {"AVST?", "2"},
    {"DVST?", "0"}, {"AVSS?", "0.700"}, {"AVPS?", "7.5000"}, {"AVPG?", "0"}, {"ASSS?", "0.300"},
    {"ASSG?", "0,1,0"}, {"ASCT?", "2"}, {"DSCT?", "2"}, {"DSST?", "1"}, {"SSST?", "1"}, {"CSPP?", "0"},
    {"CSPG?", "1"}, {"GAMA?", "2.20000"}, {"GAMC?", "0"}, {"USIZ?", "2"}, {"HSIZ?", "284.4800"},
    {"VSIZ?", "213.3600"}, {"RFLD?", "0"}, {"PCPG?", "0"}, {"PELD?", "8"}, {"AVCS?", "0"},
};

class FormatBuffer : public SimFixture {
protected:
    void upload(HostPort& port)
    {
        for (const std::string& line : kUpload)
            ASSERT_EQ(port.command(line), answered(line, "")) << line;
    }
};

TEST_F(FormatBuffer, UploadStoreLoadAnswersEveryField)
{
    upload(*host);
    EXPECT_EQ(reply("FMTG?"), "0");
    EXPECT_EQ(reply("FMTA \"Mine\""), "");
    EXPECT_EQ(reply("FMTQ? 4 2 x"), "HDTV_2J,0\r\nMine,1");
    EXPECT_EQ(reply("FMTL? \"mine\""), "5");
    EXPECT_EQ(reply("FMTL \"Mine\";FMTL?"), "Mine");
    for (const Step& q : kRecall)
        EXPECT_EQ(reply(q.line), q.reply) << q.line;
    auto stored = generator->item(ItemKind::Format, "Mine");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->fields.at("NAME"), "Mine");
    EXPECT_EQ(stored->fields.at("HRAT"), "48363");
}

TEST_F(FormatBuffer, SettersInsideTheBufferLeaveTheCurrentSettings)
{
    host->command("FMTN \"Mine\";FMTB;HRES 1024;VTOT 806");
    EXPECT_EQ(reply("HRES?"), "1024");           // the buffer answers while open
    EXPECT_EQ(generator->setting("HRES"), "640");
    FormatBufferView buffer = generator->formatBuffer();
    EXPECT_EQ(buffer.name, "Mine");
    EXPECT_TRUE(buffer.editing);
    EXPECT_EQ(buffer.fields.at("VTOT"), "806");
    host->command("FMTE");
    EXPECT_EQ(reply("HRES?;OUTG 0;OUTG?"), "640\r\n0");
    EXPECT_FALSE(generator->formatBuffer().editing);
}

TEST_F(FormatBuffer, CheckWithoutStoreKeepsNothing)
{
    EXPECT_EQ(reply("FMTN \"Chk\";FMTB;NAME \"Chk\";HTOT 600;FMTE;FMTG?"), "2151");
    EXPECT_EQ(reply("FMTL? \"Chk\";HTOT?"), "0\r\n800");
    EXPECT_EQ(generator->formatBuffer().ownName, "Chk");
}

TEST_F(FormatBuffer, TestSetsTheCheckAnswer)
{
    generator->setFormatCheck(2074);
    EXPECT_EQ(reply("FMTB;FMTE;FMTG?"), "2074");
    generator->setFormatCheck(std::nullopt);
    EXPECT_EQ(reply("FMTG?"), "0");
}

TEST_F(FormatBuffer, RefusedStoresKeepTheStore)
{
    EXPECT_EQ(reply("FMTA \"Mine\""), "Execution error: 4000");   // nothing uploaded
    EXPECT_EQ(reply("FMTB;FMTE;FMTA \"VGA_m4\""), "Execution error: 9453");
    EXPECT_EQ(reply("FMTB;FMTE;FMTA "), "Execution error: 4000"); // no name given or named
    EXPECT_EQ(reply("FMTB;FMTG? 1"), "Execution error: 1");
    EXPECT_EQ(generator->names(ItemKind::Format).size(), 6u);
}

TEST_F(FormatBuffer, FullMemoryRefusesTheStore)
{
    generator->setMemorySize((512 << 10) + 256 + 100);  // firmware, NewSeq and a little
    upload(*host);
    EXPECT_EQ(reply("FMTA \"Mine\""), "Execution error: 2551");
    EXPECT_FALSE(generator->item(ItemKind::Format, "Mine"));
    generator->setMemorySize(8 << 20);
    EXPECT_EQ(reply("FMTA \"Mine\";FMTL? \"Mine\""), "5");
}

// FMTG? on the default buffer with one setting changed.
struct Rule {
    std::string change;
    std::string error;
};

void PrintTo(const Rule& r, std::ostream* os) { *os << r.change; }

class FormatRules : public SimFixture, public ::testing::WithParamInterface<Rule> {};

TEST_P(FormatRules, CheckAnswersTheFirstBrokenRule)
{
    EXPECT_EQ(reply("FMTB;" + GetParam().change + ";FMTE;FMTG?"), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Check, FormatRules, ::testing::Values(
    Rule{"HRES 640", "0"},
    Rule{"HTOT 600", "2151"},            // total below active
    Rule{"HTOT 640", "2150"},            // no blanking left
    Rule{"HTOT 801", "2090"},            // odd total
    Rule{"HRAT 600000", "2071"},         // 480 MHz
    Rule{"HRAT 1000", "2080"},           // 0.8 MHz
    Rule{"HSPW 150", "2230"},            // 16 + 150 beyond 160 blanking pixels
    Rule{"HSPW 144", "0"},               // 16 + 144 fills it exactly
    Rule{"VTOT 480", "2310"},
    Rule{"VSPW 0", "2350"},
    Rule{"VSPD 44", "2430"},             // 44 + 2 beyond 45 blanking lines
    Rule{"RFLD 1", "2041"},
    Rule{"RFLD 1;SCAN 2", "0"}));

TEST_F(FormatBuffer, BuiltInFormatsPassTheirCheck)
{
    for (const std::string& name : generator->names(ItemKind::Format)) {
        host->command("FMTL \"" + name + "\"");
        EXPECT_EQ(reply("FMTB;FMTE;FMTG?"), "0") << name;
    }
}

TEST_F(FormatBuffer, CopyBetweenTwoGeneratorsIsARecallAndASend)
{
    upload(*host);
    host->command("FMTA \"Mine\"");
    GeneratorOptions options;
    options.baudRate = 19200;
    Generator& target = simulator->addGenerator(options);
    HostPort other(target.comPath(), 19200);
    EXPECT_FALSE(target.item(ItemKind::Format, "Mine"));

    host->command("FMTL \"Mine\"");
    other.command("FMTN \"Mine\";FMTB;NAME \"Mine\"");
    for (const Step& q : kRecall) {
        std::string setter = q.line.substr(0, 4) + " " + reply(q.line);
        EXPECT_EQ(other.command(setter), answered(setter, ""));
    }
    other.command("FMTE;FMTA \"Mine\"");

    auto copied = target.item(ItemKind::Format, "Mine");
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->fields.at("HTOT"), "1344");
    EXPECT_EQ(copied->fields.at("HSIZ"), "284.48");
    EXPECT_EQ(copied->fields.at("NAME"), "Mine");
    EXPECT_EQ(target.setting("HRES"), "640");      // the target shows what it showed
    EXPECT_EQ(generator->setting("HRES"), "1024"); // the source has Mine loaded
}

} // namespace
} // namespace gensim::test
