// Formats to and from simulated generators through the real library on
// pseudo-terminals: what the generator stores, what a recall gives back,
// a copy between two generators, the generator's format check, a cancel
// and a link that drops in the middle of a send.

#include "CFormat.h"
#include "CFormatTraffic.h"

#include "CGenerator.h"
#include "CGeneralFormatData.h"
#include "CProgressDlg.h"
#include "FormatRecord.h"
#include "Profile.h"
#include "ScopedTimeScale.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Fields = std::map<std::string, std::string, std::less<>>;

// 625 interlaced lines, a digital video kind, sizes in inches: every field
// away from the generator's defaults.
CGeneralFormatData HandMade()
{
    CGeneralFormatData d;
    d.name = QStringLiteral("PAL 50");
    d.lineRate = 15625;
    d.pixelRate = 15625.0 * 864;
    d.pixelPeriod = 1 / d.pixelRate;
    d.hActiveTime = 720 / d.pixelRate;
    d.hTotalTime = 864 / d.pixelRate;
    d.hSyncDelayTime = 12 / d.pixelRate;
    d.hSyncWidthTime = 64 / d.pixelRate;
    d.vActiveTime = 576 / d.lineRate;
    d.vTotalTime = 625 / d.lineRate;
    d.vSyncDelayTime = 5 / d.lineRate;
    d.vSyncWidthTime = 5 / d.lineRate;
    d.hSyncPolarity = 1;
    d.hSyncGate = 0;
    d.vSyncPolarity = 1;
    d.eqBefore = 5;
    d.eqAfter = 5;
    d.interlaced = 1;
    d.videoKind = CVideoKind(10); // digital code 2
    d.videoSwing = 0.714;
    d.pedestalLevel = 0;
    d.syncSwing = 0.25;
    d.syncOnRed = d.syncOnBlue = 1;
    d.acsKind = CAcsKind(5);
    d.dcsKind = CDcsKind(0);
    d.dssKind = CDssKind(3);
    d.syncSelect.SetCode(11);
    d.cSyncPolarity = 1;
    d.cSyncGate = 0;
    d.gamma = 2.5;
    d.gammaOn = 1;
    d.sizeUnit = CGeneralFormatData::kUnitInches;
    d.hImageSize = 12.5;
    d.vImageSize = 9.375;
    d.repeatField = 1;
    d.pcpg = 1;
    d.pixelDepth = 8;
    d.avcs = 3;
    return d;
}

// The hand-made format as the generator keeps it.
const Fields kHandMadeStored = {
    {"HRAT", "15625"}, {"HRES", "720"},   {"HTOT", "864"}, {"HSPD", "12"},  {"HSPW", "64"},     {"HSPP", "1"},
    {"HSPG", "0"},     {"VRES", "576"},   {"VTOT", "625"}, {"VSPD", "5"},   {"VSPW", "5"},      {"VSPP", "1"},
    {"VSPG", "1"},     {"EQUB", "5"},     {"EQUA", "5"},   {"SCAN", "2"},   {"AVST", "0"},      {"DVST", "2"},
    {"AVSS", "0.714"}, {"AVPS", "0"},     {"AVPG", "0"},   {"ASSS", "0.25"}, {"ASSG", "1,1,1"}, {"ASCT", "5"},
    {"DSCT", "0"},     {"DSST", "3"},     {"SSST", "11"},  {"CSPP", "1"},   {"CSPG", "0"},      {"GAMA", "2.5"},
    {"GAMC", "1"},     {"USIZ", "1"},     {"HSIZ", "12.5"}, {"VSIZ", "9.375"}, {"RFLD", "1"},   {"PCPG", "1"},
    {"PELD", "8"},     {"AVCS", "3"},     {"NAME", "PAL 50"},
};

class FormatTrafficSimTest : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        for (int com = 1; com <= 2; ++com) {
            gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011",
                                                     .serial = std::to_string(com), .baudRate = 115200, .link = ""});
            setenv(("MORVANE_COM" + std::to_string(com)).c_str(), g.comPath().c_str(), 1);
        }
        sim.start();
    }

    void TearDown() override
    {
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    gensim::Generator& Sim(int com) { return sim.generator(size_t(com - 1)); }

    // A connection to COM com, chosen in the port dialog.
    std::unique_ptr<CGenerator> Connect(int com)
    {
        return ConnectOverCom(prompter, com);
    }

    std::optional<Fields> Stored(int com, const std::string& name)
    {
        const auto item = Sim(com).item(gensim::ItemKind::Format, name);
        return item ? std::optional<Fields>(item->fields) : std::nullopt;
    }

    bool Send(CGenerator& gen, const CGeneralFormatData& data)
    {
        CFormat format;
        format.Data() = data;
        CProgressDlg progress(nullptr, true);
        return format.SendToGenerator(&gen, &progress);
    }

    gensim::Simulator sim;
};

TEST_F(FormatTrafficSimTest, SendStoresEveryFieldAndRecallGivesItBack)
{
    auto gen = Connect(1);
    gen->RefreshFormatList();
    ASSERT_FALSE(gen->HasFormat(QStringLiteral("PAL 50")));
    ASSERT_TRUE(Send(*gen, HandMade()));
    EXPECT_EQ(Stored(1, "PAL 50"), kHandMadeStored);
    EXPECT_TRUE(gen->FormatNames().contains(QStringLiteral("PAL 50")));
    EXPECT_FALSE(Sim(1).formatBuffer().editing);

    const gensim::ItemSelection shown = Sim(1).selection(gensim::ItemKind::Format);
    const std::optional<std::string> outputs = Sim(1).setting("OUTG");
    CFormat recalled;
    CProgressDlg progress(nullptr, true);
    ASSERT_TRUE(recalled.RecallFromGenerator(QStringLiteral("PAL 50"), gen.get(), &progress));
    // The generator shows what it showed before.
    EXPECT_EQ(Sim(1).selection(gensim::ItemKind::Format), shown);
    EXPECT_EQ(Sim(1).setting("OUTG"), outputs);

    // What comes back sends the same commands again.
    FormatRecord sent;
    FormatRecord back;
    ASSERT_TRUE(HandMade().FillRecord(sent));
    ASSERT_TRUE(recalled.Data().FillRecord(back));
    EXPECT_EQ(back.name, QStringLiteral("PAL 50"));
    EXPECT_EQ((std::vector<double>{back.lineRate, back.hActive, back.hTotal, back.hSyncDelay, back.hSyncWidth,
                                   back.vActive, back.vTotal, back.vSyncDelay, back.vSyncWidth, back.videoSwing,
                                   back.pedestalLevel, back.syncSwing, back.gamma, back.hImageSize, back.vImageSize}),
              (std::vector<double>{sent.lineRate, sent.hActive, sent.hTotal, sent.hSyncDelay, sent.hSyncWidth,
                                   sent.vActive, sent.vTotal, sent.vSyncDelay, sent.vSyncWidth, sent.videoSwing,
                                   sent.pedestalLevel, sent.syncSwing, sent.gamma, sent.hImageSize, sent.vImageSize}));
    EXPECT_EQ((std::vector<int>{back.hSyncPolarity, back.hSyncGate, back.vSyncPolarity, back.vSyncGate,
                                back.cSyncPolarity, back.cSyncGate, back.syncOnRed, back.syncOnGreen, back.syncOnBlue,
                                back.pedestalOn, back.gammaOn, back.interlaced, back.eqBefore, back.eqAfter,
                                back.sizeUnit, back.repeatField, back.pcpg, back.pixelDepth, back.avcs}),
              (std::vector<int>{sent.hSyncPolarity, sent.hSyncGate, sent.vSyncPolarity, sent.vSyncGate,
                                sent.cSyncPolarity, sent.cSyncGate, sent.syncOnRed, sent.syncOnGreen, sent.syncOnBlue,
                                sent.pedestalOn, sent.gammaOn, sent.interlaced, sent.eqBefore, sent.eqAfter,
                                sent.sizeUnit, sent.repeatField, sent.pcpg, sent.pixelDepth, sent.avcs}));
    EXPECT_EQ((std::vector<int>{back.acsKind.GetIndex(), back.dcsKind.GetIndex(), back.dssKind.GetIndex(),
                                back.syncSelect.GetCode(), back.videoKind.GetIndex()}),
              (std::vector<int>{5, 0, 3, 11, 10}));
}

// What the generator hears when a new format is sent, line by line: the
// upload in its order, the check and the store.
const std::vector<std::string> kDefaultSendTrace = {
    "FMTN \"Format\"", "FMTB", "NAME \"Format\"",
    "HRAT 31469.0000", "HRES 640", "HTOT 800", "HSPD 16", "HSPW 96", "HSPP 0", "HSPG 1",
    "VRES 480", "VTOT 525", "VSPD 10", "VSPW 2", "VSPP 0", "VSPG 1", "EQUB 0", "EQUA 0",
    "SCAN 1", "AVST 2", "DVST 0",
    "AVSS 0.700", "AVPS 7.5000", "AVPG 0", "ASSS 0.300", "ASSG 0,1,0", "ASCT 2", "DSCT 2", "DSST 1", "SSST 1",
    "CSPP 0", "CSPG 1", "GAMA 2.20000", "GAMC 0", "USIZ 2", "HSIZ 284.4800", "VSIZ 213.3600",
    "RFLD 0", "PCPG 0", "PELD 0", "AVCS 0", "FMTE",
    "FMTG?", "FMTA \"Format\"",
};

TEST_F(FormatTrafficSimTest, SendingANewFormatIsHeardInOrder)
{
    auto gen = Connect(1);
    std::vector<std::string> digitalTrace = kDefaultSendTrace;
    digitalTrace[19] = "AVST 0"; // an analog code of 0 first, then the digital code
    digitalTrace[20] = "DVST 1";
    struct Case {
        const char *what;
        int videoKind;
        std::vector<std::string> trace;
    };
    const Case cases[] = {
        {"analog RGB", 2, kDefaultSendTrace},
        {"the first digital kind", 9, digitalTrace},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CFormat format;
        format.Data().videoKind.SetIndex(c.videoKind);
        Sim(1).trace().clear();
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(format.SendToGenerator(gen.get(), &progress));
        EXPECT_EQ(Sim(1).trace().lines(), c.trace);
        const std::optional<Fields> stored = Stored(1, "Format");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->at("AVST"), c.videoKind == 2 ? "2" : "0");
        EXPECT_EQ(stored->at("DVST"), c.videoKind == 2 ? "0" : "1");
    }
}

TEST_F(FormatTrafficSimTest, CopyBetweenTwoGeneratorsStoresTheSameFormat)
{
    auto source = Connect(1);
    auto target = Connect(2);
    ASSERT_TRUE(Send(*source, HandMade()));
    ASSERT_FALSE(Stored(2, "PAL 50").has_value());
    CProgressDlg progress(nullptr, true);
    EXPECT_TRUE(CopyFormatBetweenGenerators(QStringLiteral("PAL 50"), source.get(), target.get(), &progress));
    EXPECT_EQ(Stored(2, "PAL 50"), kHandMadeStored);
    EXPECT_FALSE(Sim(2).formatBuffer().editing);
}

// A source that refuses one query ("Command invalid", "Execution error")
// gives the target nothing to store: its edit buffer is closed unstored.
TEST_F(FormatTrafficSimTest, CopyStopsAtAQueryTheSourceRefuses)
{
    auto source = Connect(1);
    auto target = Connect(2);
    ASSERT_TRUE(Send(*source, HandMade()));
    for (const char *refusal : {"Command invalid", "Execution error: 1"}) {
        SCOPED_TRACE(refusal);
        Sim(1).fault(gensim::Fault::scriptedReply("VTOT?", std::string(refusal) + "\r\n>"));
        Sim(2).trace().clear();
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        prompter.ExpectMessage(
            PromptMatch::Text(QStringLiteral("The format \"PAL 50\" was not copied: The source did not answer \"VTOT?\".")),
            IDOK);
        CProgressDlg progress(nullptr, true);
        EXPECT_FALSE(CopyFormatBetweenGenerators(QStringLiteral("PAL 50"), source.get(), target.get(), &progress));
        EXPECT_FALSE(Stored(2, "PAL 50").has_value());
        EXPECT_FALSE(Sim(2).formatBuffer().editing);
        const std::vector<std::string> heard = Sim(2).trace().lines();
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.back(), "FMTE");
        EXPECT_EQ(std::count(heard.begin(), heard.end(), "VRES 576"), 1);
        EXPECT_EQ(std::count_if(heard.begin(), heard.end(), [](const std::string &l) { return l.rfind("VTOT", 0) == 0; }), 0);
    }
}

// The generator's own check and an answer the test sets: the check shows
// the table's text, a send asks whether to store anyway.
TEST_F(FormatTrafficSimTest, FormatCheckVerdictsReachTheUser)
{
    auto gen = Connect(1);
    CGeneralFormatData progressive = HandMade();
    progressive.interlaced = 0; // a repeat field needs interlace: rule 2041
    struct Case
    {
        std::optional<int> answer;
        CGeneralFormatData data;
        QString text;
    };
    const Case cases[] = {
        {2551, HandMade(), QStringLiteral("Format Error: 2551\nInsufficient memory")},
        {std::nullopt, progressive, QStringLiteral("Format Error: 2041\nRFLD And Progressive")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Sim(1).setFormatCheck(c.answer);
        prompter.ExpectMessage(PromptMatch::Text(c.text).AndCaption(QStringLiteral("Format Error Using: Com-1")), IDOK);
        CFormat format;
        CProgressDlg progress(nullptr, true);
        EXPECT_FALSE(format.CheckFormat(gen.get(), c.data, &progress));

        prompter.ExpectMessage(PromptMatch::Id(32978), IDNO);
        EXPECT_FALSE(Send(*gen, c.data));
        EXPECT_FALSE(Stored(1, "PAL 50").has_value());
        EXPECT_FALSE(Sim(1).formatBuffer().editing);
    }
    Sim(1).setFormatCheck(std::nullopt);
    prompter.ExpectMessage(PromptMatch::Text(QStringLiteral("Format Passed Check Using: Com-1")), IDOK);
    CFormat format;
    CProgressDlg progress(nullptr, true);
    EXPECT_TRUE(format.CheckFormat(gen.get(), HandMade(), &progress));
    EXPECT_FALSE(Stored(1, "PAL 50").has_value()); // a check never stores
}

// A Cancel while the upload runs (here: once the generator has taken four
// lines) stops it between groups and closes the edit buffer unstored.
TEST_F(FormatTrafficSimTest, CancelledSendLeavesNoEditBufferOpen)
{
    auto gen = Connect(1);
    CFormat format;
    format.Data() = HandMade();
    Sim(1).trace().clear();
    CProgressDlg::SetExternalCancel([this] { return quint64(Sim(1).trace().size() >= 4 ? 1 : 0); });
    bool sent = true;
    {
        CProgressDlg progress(nullptr, true);
        sent = format.SendToGenerator(gen.get(), &progress);
    }
    CProgressDlg::SetExternalCancel({});
    EXPECT_FALSE(sent);
    const std::vector<std::string> lines = Sim(1).trace().lines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[9], "HSPG 0");
    EXPECT_EQ(lines.back(), "FMTE");
    EXPECT_FALSE(Sim(1).formatBuffer().editing);
    EXPECT_FALSE(Stored(1, "PAL 50").has_value());
    // The generator's own settings answer again, not the half-sent format.
    EXPECT_DOUBLE_EQ(gen->QueryHrat(), 31469);
}

TEST_F(FormatTrafficSimTest, DroppedLinkMidSendShowsOneBoxAndStops)
{
    auto gen = Connect(1);
    ScopedTimeScale silentWaits("0.1"); // the echo time-out the drop causes
    Sim(1).trace().clear();
    Sim(1).fault(gensim::Fault::dropLink(150));
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    EXPECT_FALSE(Send(*gen, HandMade()));
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(gen->IsLinkLost());
    Sim(1).clearFaults();
    EXPECT_FALSE(Stored(1, "PAL 50").has_value());
    // The generator took the start of the upload and nothing after the drop.
    const std::vector<std::string> lines = Sim(1).trace().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "FMTN \"PAL 50\"");
    EXPECT_LT(lines.size(), 20u);
    for (const std::string& line : lines) {
        for (const char* end : {"FMTE", "FMTG?", "FMTA"})
            EXPECT_NE(line.rfind(end, 0), 0u) << line;
    }
}

} // namespace
