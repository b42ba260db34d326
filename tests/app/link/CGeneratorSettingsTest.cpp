#include "CGenerator.h"

#include "CKindValue.h"
#include "FakePort.h"

#include "Profile.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "TestPorts.h"

#include <QDialog>

#include <clocale>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;
using Call = std::function<void(CGenerator&)>;

// Runs the body under the C locale and again under a German one, whose
// decimal sign is a comma.
class LocaleTest : public PlatformTest, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        const char* saved = std::setlocale(LC_NUMERIC, nullptr);
        m_saved = saved != nullptr ? saved : "C";
        ASSERT_NE(std::setlocale(LC_NUMERIC, GetParam()), nullptr) << GetParam();
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, m_saved.c_str());
        PlatformTest::TearDown();
    }

    FakePort port;

private:
    std::string m_saved;
};

INSTANTIATE_TEST_SUITE_P(Locales, LocaleTest, ::testing::Values("C", "de_DE.utf8"));

class SettingTest : public PlatformTest
{
protected:
    FakePort port;
};

// --- Setters ----------------------------------------------------------------------------

struct SetterCase
{
    const char* sent;
    Call call;
};

const double kNan = std::numeric_limits<double>::quiet_NaN();

const std::vector<SetterCase>& SetterCases()
{
    static const std::vector<SetterCase> cases = {
        // On/off switches.
        {"AVPG 1", [](CGenerator& g) { g.CmdAvpg(true); }},
        {"AVPG 0", [](CGenerator& g) { g.CmdAvpg(false); }},
        {"CSPG 1", [](CGenerator& g) { g.CmdCspg(true); }},
        {"HSPG 0", [](CGenerator& g) { g.CmdHspg(false); }},
        {"VSPG 1", [](CGenerator& g) { g.CmdVspg(true); }},
        {"CSPP 1", [](CGenerator& g) { g.CmdCspp(true); }},
        {"HSPP 0", [](CGenerator& g) { g.CmdHspp(false); }},
        {"VSPP 1", [](CGenerator& g) { g.CmdVspp(true); }},
        {"GAMC 1", [](CGenerator& g) { g.CmdGamc(true); }},
        {"ISUB 1", [](CGenerator& g) { g.CmdIsub(true); }},
        {"PCPG 0", [](CGenerator& g) { g.CmdPcpg(false); }},
        {"RFLD 1", [](CGenerator& g) { g.CmdRfld(true); }},

        // Integer settings at and beyond their clamps.
        {"AVCS 0", [](CGenerator& g) { g.CmdAvcs(-1); }},
        {"AVCS 4", [](CGenerator& g) { g.CmdAvcs(5); }},
        {"AVST -3", [](CGenerator& g) { g.CmdAvst(-3); }},
        {"BASE -2", [](CGenerator& g) { g.CmdBase(0); }},
        {"BASE -2", [](CGenerator& g) { g.CmdBase(1); }},
        {"BASE -2", [](CGenerator& g) { g.CmdBase(-1); }},
        {"BASE -36", [](CGenerator& g) { g.CmdBase(-40); }},
        {"BASE 36", [](CGenerator& g) { g.CmdBase(INT_MAX); }},
        {"BASE 2", [](CGenerator& g) { g.CmdBase(2); }},
        {"BASE -2", [](CGenerator& g) { g.CmdBase(-2); }},
        {"BASE 16", [](CGenerator& g) { g.CmdBase(16); }},
        {"DNUM 0", [](CGenerator& g) { g.CmdDnum(-5); }},
        {"DNUM 2", [](CGenerator& g) { g.CmdDnum(3); }},
        {"DVST 0", [](CGenerator& g) { g.CmdDvst(-1); }},
        {"DVST 16", [](CGenerator& g) { g.CmdDvst(16); }},
        {"EQUA 0", [](CGenerator& g) { g.CmdEqua(-2); }},
        {"EQUB 0", [](CGenerator& g) { g.CmdEqub(INT_MIN); }},
        {"EQUB 6", [](CGenerator& g) { g.CmdEqub(6); }},
        {"HRES 16", [](CGenerator& g) { g.CmdHres(15); }},
        {"HRES 640", [](CGenerator& g) { g.CmdHres(640); }},
        {"HSPD 1", [](CGenerator& g) { g.CmdHspd(0); }},
        {"HSPW 1", [](CGenerator& g) { g.CmdHspw(-7); }},
        {"HTOT 2", [](CGenerator& g) { g.CmdHtot(1); }},
        {"HTOT 65536", [](CGenerator& g) { g.CmdHtot(70000); }},
        {"HTOT 65536", [](CGenerator& g) { g.CmdHtot(65536); }},
        {"IVER -1", [](CGenerator& g) { g.CmdIver(-1); }},
        {"LMAX 255", [](CGenerator& g) { g.CmdLmax(255); }},
        {"PELD 8", [](CGenerator& g) { g.CmdPeld(8); }},
        {"SCAN 1", [](CGenerator& g) { g.CmdScan(0); }},
        {"SCAN 2", [](CGenerator& g) { g.CmdScan(3); }},
        {"SIZE 8", [](CGenerator& g) { g.CmdSize(8); }},
        {"SLUT 0", [](CGenerator& g) { g.CmdSlut(0); }},
        {"SMOD 0", [](CGenerator& g) { g.CmdSmod(-1); }},
        {"SMOD 3", [](CGenerator& g) { g.CmdSmod(4); }},
        {"SSST 13", [](CGenerator& g) { g.CmdSsst(13); }},
        {"STEP 1", [](CGenerator& g) { g.CmdStep(0); }},
        {"SVSG -1", [](CGenerator& g) { g.CmdSvsg(-1); }},
        {"USIZ 0", [](CGenerator& g) { g.CmdUsiz(-1); }},
        {"USIZ 2", [](CGenerator& g) { g.CmdUsiz(3); }},
        {"VRES 1", [](CGenerator& g) { g.CmdVres(0); }},
        {"VSPD 0", [](CGenerator& g) { g.CmdVspd(-1); }},
        {"VSPW -4", [](CGenerator& g) { g.CmdVspw(-4); }},
        {"VTOT 2", [](CGenerator& g) { g.CmdVtot(1); }},
        {"VTOT 525", [](CGenerator& g) { g.CmdVtot(525); }},
        {"XRES 0", [](CGenerator& g) { g.CmdXres(-640); }},
        {"YRES 0", [](CGenerator& g) { g.CmdYres(-1); }},
        {"YRES 480", [](CGenerator& g) { g.CmdYres(480); }},

        // Floating-point settings: number forms and clamps.
        {"ASSS 0.307", [](CGenerator& g) { g.CmdAsss(0.5); }},
        {"ASSS 0.000", [](CGenerator& g) { g.CmdAsss(-0.1); }},
        {"ASSS 0.000", [](CGenerator& g) { g.CmdAsss(-0.0); }},
        {"ASSS 0.000", [](CGenerator& g) { g.CmdAsss(kNan); }},
        {"ASSS 0.286", [](CGenerator& g) { g.CmdAsss(0.286); }},
        {"AVPS 7.5000", [](CGenerator& g) { g.CmdAvps(7.5); }},
        {"AVPS 100.0000", [](CGenerator& g) { g.CmdAvps(120.0); }},
        {"AVPS 0.0000", [](CGenerator& g) { g.CmdAvps(kNan); }},
        {"AVSS 0.714", [](CGenerator& g) { g.CmdAvss(0.714); }},
        {"AVSS 1.000", [](CGenerator& g) { g.CmdAvss(1.5); }},
        {"AVSS 0.000", [](CGenerator& g) { g.CmdAvss(-3.0); }},
        {"GAMA 2.20000", [](CGenerator& g) { g.CmdGama(2.2); }},
        {"GAMA -1.00000", [](CGenerator& g) { g.CmdGama(-1.0); }},
        {"HRAT 31469.0000", [](CGenerator& g) { g.CmdHrat(31469.0); }},
        {"HRAT 15734.2640", [](CGenerator& g) { g.CmdHrat(15734.264); }},
        {"HRAT 10.0000", [](CGenerator& g) { g.CmdHrat(5.0); }},
        {"HRAT 10.0000", [](CGenerator& g) { g.CmdHrat(kNan); }},
        {"HRAT 1000000.0000", [](CGenerator& g) { g.CmdHrat(1e6); }},
        {"HSIZ 280.0000", [](CGenerator& g) { g.CmdHsiz(280.0); }},
        {"VSIZ 210.5000", [](CGenerator& g) { g.CmdVsiz(210.5); }},
        {"SDLY 2.5", [](CGenerator& g) { g.CmdSdly(2.5); }},
        {"SDLY 1", [](CGenerator& g) { g.CmdSdly(1.0); }},
        {"SDLY 0.333", [](CGenerator& g) { g.CmdSdly(1.0 / 3.0); }},
        {"SDLY 8.64e+04", [](CGenerator& g) { g.CmdSdly(86400.0); }},
        {"SDLY -1", [](CGenerator& g) { g.CmdSdly(-1.0); }},

        // Sync kinds by index.
        {"ASCT 0", [](CGenerator& g) { g.CmdAsct(0); }},
        {"ASCT 15", [](CGenerator& g) { g.CmdAsct(15); }},
        {"DSCT 7", [](CGenerator& g) { g.CmdDsct(7); }},
        {"DSST 5", [](CGenerator& g) { g.CmdDsst(5); }},
        {"ASCT 3", [](CGenerator& g) { g.CmdAsctKind(CAcsKind(3)); }},
        {"DSCT 15", [](CGenerator& g) { g.CmdDsctKind(CDcsKind(15)); }},
        {"DSST 2", [](CGenerator& g) { g.CmdDsstKind(CDssKind(2)); }},

        // Sync selection from the three flags.
        {"SSST 7", [](CGenerator& g) { g.CmdSsstFlags(true, true, true); }},
        {"SSST 6", [](CGenerator& g) { g.CmdSsstFlags(true, true, false); }},
        {"SSST 5", [](CGenerator& g) { g.CmdSsstFlags(true, false, true); }},
        {"SSST 11", [](CGenerator& g) { g.CmdSsstFlags(false, true, true); }},
        {"SSST 3", [](CGenerator& g) { g.CmdSsstFlags(true, false, false); }},
        {"SSST 2", [](CGenerator& g) { g.CmdSsstFlags(false, true, false); }},
        {"SSST 1", [](CGenerator& g) { g.CmdSsstFlags(false, false, true); }},
        {"SSST 0", [](CGenerator& g) { g.CmdSsstFlags(false, false, false); }},

        // Several arguments and special forms.
        {"ASSG 1,0,1", [](CGenerator& g) { g.CmdAssg(true, false, true); }},
        {"ASSG 0,1,0", [](CGenerator& g) { g.CmdAssg(false, true, false); }},
        {"XVSG 1 0 1", [](CGenerator& g) { g.CmdXvsg(true, false, true); }},
        {"XVSG 0 1 1", [](CGenerator& g) { g.CmdXvsg(false, true, true); }},
        {"XVSG -1 2 0", [](CGenerator& g) { g.CmdXvsgValues(-1, 2, 0); }},
        {"OUTG 1 0", [](CGenerator& g) { g.CmdOutgOn(true, false); }},
        {"OUTG 0", [](CGenerator& g) { g.CmdOutgOn(false, true); }},
        {"OUTG 1", [](CGenerator& g) { g.CmdOutgOn(true, true); }},
        {"OUTG 0 0", [](CGenerator& g) { g.CmdOutgOn(false, false); }},
        {"OUTG 5", [](CGenerator& g) { g.CmdOutg(5); }},
        {"BDMA 0 640 480 2", [](CGenerator& g) { g.CmdBdma(0, 640, 480, 2); }},
        {"DMAP 16 16 1", [](CGenerator& g) { g.CmdDmap(16, 16, 1); }},
        {"DMAP 1 1000 8", [](CGenerator& g) { g.CmdDmap(1, 1000, 8); }},
        {"ERRC", [](CGenerator& g) { g.CmdErrc(); }},
        {"FDTA 0 1 -70000", [](CGenerator& g) { g.CmdFdta(0, 1, -70000); }},
        {"FNTG ", [](CGenerator& g) { g.CmdFntg(); }},
        {"KNOB 1 -1", [](CGenerator& g) { g.CmdKnob(0, -1); }},
        {"KNOB 2 5", [](CGenerator& g) { g.CmdKnob(3, 5); }},
        {"KNOB 2 0", [](CGenerator& g) { g.CmdKnob(2, 0); }},
        {"LUTE", [](CGenerator& g) { g.CmdLute(); }},
        {"MDTA 3 65535", [](CGenerator& g) { g.CmdMdta(3, 65535); }},
        {"NAME \"VGA 60\"", [](CGenerator& g) { g.CmdName(QStringLiteral("VGA 60")); }},
        {"NAME ", [](CGenerator& g) { g.CmdName(QString()); }},
        {"PKUP", [](CGenerator& g) { g.CmdPkup(); }},
        {"RGBW 4 10 20 30", [](CGenerator& g) { g.CmdRgbw(4, 10, 20, 30); }},
        {"RGBW 255 18 52 86", [](CGenerator& g) { g.CmdRgbwColor(255, 0xFF563412u); }},
        {"SBNK", [](CGenerator& g) { g.CmdSbnk(); }},
        {"SERM DMA", [](CGenerator& g) { g.CmdSerm(7); }},
    };
    return cases;
}

TEST_P(LocaleTest, EachSetterSendsItsText)
{
    CGenerator gen(nullptr, kCom1);
    for (const SetterCase& c : SetterCases()) {
        SCOPED_TRACE(c.sent);
        port.commands.clear();
        port.replyBufferGiven.clear();
        c.call(gen);
        EXPECT_EQ(port.commands, Commands{c.sent});
        EXPECT_EQ(gen.LastCommandText(), QString::fromLatin1(c.sent));
    }
}

TEST_F(SettingTest, OutOfRangeArgumentsSendNothing)
{
    const std::vector<std::pair<const char*, Call>> cases = {
        {"DMAP 16 16 3", [](CGenerator& g) { g.CmdDmap(16, 16, 3); }},
        {"DMAP 0 16 8", [](CGenerator& g) { g.CmdDmap(0, 16, 8); }},
        {"DMAP 16 -1 8", [](CGenerator& g) { g.CmdDmap(16, -1, 8); }},
        {"DMAP 16 16 16", [](CGenerator& g) { g.CmdDmap(16, 16, 16); }},
        // A kind has no such index: sending "-1" would only be refused.
        {"ASCT 16", [](CGenerator& g) { g.CmdAsct(16); }},
        {"DSCT -1", [](CGenerator& g) { g.CmdDsct(-1); }},
        {"DSST 6", [](CGenerator& g) { g.CmdDsst(6); }},
    };
    CGenerator gen(nullptr, kCom1);
    for (const auto& [what, call] : cases) {
        SCOPED_TRACE(what);
        call(gen);
        EXPECT_TRUE(port.commands.empty());
    }
}

TEST_F(SettingTest, SettersDoNotWaitButCalibrationDoes)
{
    CGenerator gen(nullptr, MORVANE_PORT_GPIB);
    gen.CmdHres(640);
    gen.CmdScal();
    EXPECT_EQ(port.commands, (Commands{"HRES 640", "SCAL 1"}));
    EXPECT_EQ(port.replyBufferGiven, (std::vector<bool>{false, true}));
}

// --- Queries -----------------------------------------------------------------------------

struct IntQueryCase
{
    const char* sent;
    const char* reply;
    int expected;
    std::function<int(CGenerator&)> call;
};

TEST_F(SettingTest, IntegerQueriesReadTheirReply)
{
    const std::vector<IntQueryCase> cases = {
        {"AVCS?", "4\r\n", 4, [](CGenerator& g) { return g.QueryAvcs(); }},
        {"AVST?", "0\r\n", 0, [](CGenerator& g) { return g.QueryAvst(); }},
        {"BASE?", "-16\r\n", -16, [](CGenerator& g) { return g.QueryBase(); }},
        {"DNUM?", "2\r\n", 2, [](CGenerator& g) { return g.QueryDnum(); }},
        {"DVST?", "13\r\n", 13, [](CGenerator& g) { return g.QueryDvst(); }},
        {"EQUA?", "3\r\n", 3, [](CGenerator& g) { return g.QueryEqua(); }},
        {"EQUB?", "6\r\n", 6, [](CGenerator& g) { return g.QueryEqub(); }},
        {"HRES?", "640\r\n", 640, [](CGenerator& g) { return g.QueryHres(); }},
        {"HSPD?", "16\r\n", 16, [](CGenerator& g) { return g.QueryHspd(); }},
        {"HSPW?", "96\r\n", 96, [](CGenerator& g) { return g.QueryHspw(); }},
        {"HTOT?", "800\r\n", 800, [](CGenerator& g) { return g.QueryHtot(); }},
        {"IVER?", "-1\r\n", -1, [](CGenerator& g) { return g.QueryIver(); }},
        {"SCAN?", "2\r\n", 2, [](CGenerator& g) { return g.QueryScan(); }},
        {"SIZE?", "8\r\n", 8, [](CGenerator& g) { return g.QuerySize(); }},
        {"SMOD?", "1\r\n", 1, [](CGenerator& g) { return g.QuerySmod(); }},
        {"SSST?", "13\r\n", 13, [](CGenerator& g) { return g.QuerySsst(); }},
        {"STEP?", "12\r\n", 12, [](CGenerator& g) { return g.QueryStep(); }},
        {"SVSG?", "-1\r\n", -1, [](CGenerator& g) { return g.QuerySvsg(); }},
        {"USIZ?", "1\r\n", 1, [](CGenerator& g) { return g.QueryUsiz(); }},
        {"VRES?", "480\r\n", 480, [](CGenerator& g) { return g.QueryVres(); }},
        {"VSPD?", "10\r\n", 10, [](CGenerator& g) { return g.QueryVspd(); }},
        {"VSPW?", "2\r\n", 2, [](CGenerator& g) { return g.QueryVspw(); }},
        {"VTOT?", "525\r\n", 525, [](CGenerator& g) { return g.QueryVtot(); }},
        {"PELD?", "8\r\n", 8, [](CGenerator& g) { return g.QueryPeld(false); }},
        {"PELD? GE", "32\r\n", 32, [](CGenerator& g) { return g.QueryPeld(true); }},
        {"ASCT?", "15\r\n", 15, [](CGenerator& g) { return g.QueryAsct(); }},
        {"DSCT?", "3\r\n", 3, [](CGenerator& g) { return g.QueryDsct(); }},
        {"DSST?", "5\r\n", 5, [](CGenerator& g) { return g.QueryDsst(); }},
        {"OUTG?", "1\r\n", 1, [](CGenerator& g) { return g.QueryOutg(); }},
        {"FDTA? 2 17", "1234\r\n", 1234, [](CGenerator& g) { return g.QueryFdta(2, 17); }},
        {"MDTA? 9", "65535\r\n", 65535, [](CGenerator& g) { return g.QueryMdta(9); }},
        {"FMTG?", "2151\r\n", 2151, [](CGenerator& g) { return g.QueryFmtg(); }},
        {"ISTP?", "42\r\n", 42, [](CGenerator& g) { return g.QueryIstp(); }},
        {"NERR?", "0\r\n", 0, [](CGenerator& g) { return g.QueryNerr(); }},
        {"NSTP?", "7\r\n", 7, [](CGenerator& g) { return g.QueryNstp(); }},
        {"HRES?", "Command invalid", 0, [](CGenerator& g) { return g.QueryHres(); }},
    };
    for (const IntQueryCase& c : cases) {
        SCOPED_TRACE(c.sent);
        FakePort fresh;
        fresh.Script(c.sent, c.reply);
        CGenerator gen(nullptr, kCom1);
        EXPECT_EQ(c.call(gen), c.expected);
        EXPECT_EQ(fresh.commands, Commands{c.sent});
    }
}

struct BoolQueryCase
{
    const char* sent;
    std::function<bool(CGenerator&)> call;
};

TEST_F(SettingTest, SwitchQueriesAreFalseOnlyForALeadingZero)
{
    const std::vector<BoolQueryCase> cases = {
        {"AVPG?", [](CGenerator& g) { return g.QueryAvpg(); }}, {"CSPG?", [](CGenerator& g) { return g.QueryCspg(); }},
        {"HSPG?", [](CGenerator& g) { return g.QueryHspg(); }}, {"VSPG?", [](CGenerator& g) { return g.QueryVspg(); }},
        {"CSPP?", [](CGenerator& g) { return g.QueryCspp(); }}, {"HSPP?", [](CGenerator& g) { return g.QueryHspp(); }},
        {"VSPP?", [](CGenerator& g) { return g.QueryVspp(); }}, {"GAMC?", [](CGenerator& g) { return g.QueryGamc(); }},
        {"PCPG?", [](CGenerator& g) { return g.QueryPcpg(); }}, {"RFLD?", [](CGenerator& g) { return g.QueryRfld(); }},
        {"OUTG?", [](CGenerator& g) { return g.QueryOutgOn(); }},
    };
    CGenerator gen(nullptr, kCom1);
    for (const BoolQueryCase& c : cases) {
        SCOPED_TRACE(c.sent);
        port.commands.clear();
        port.Script(c.sent, "1\r\n");
        port.Script(c.sent, "0\r\n");
        EXPECT_TRUE(c.call(gen));
        EXPECT_FALSE(c.call(gen));
        EXPECT_EQ(port.commands, (Commands{c.sent, c.sent}));
    }
}

struct RealQueryCase
{
    const char* sent;
    const char* reply;
    double expected;
    std::function<double(CGenerator&)> call;
};

TEST_P(LocaleTest, RealQueriesReadThePointAsTheDecimalSign)
{
    const std::vector<RealQueryCase> cases = {
        {"ASSS?", "0.286\r\n", 0.286, [](CGenerator& g) { return g.QueryAsss(); }},
        {"AVPS?", "7.5000\r\n", 7.5, [](CGenerator& g) { return g.QueryAvps(); }},
        {"AVSS?", "0.714\r\n", 0.714, [](CGenerator& g) { return g.QueryAvss(); }},
        {"GAMA?", "2.20000\r\n", 2.2, [](CGenerator& g) { return g.QueryGama(); }},
        {"HRAT?", "31469.0000\r\n", 31469.0, [](CGenerator& g) { return g.QueryHrat(); }},
        {"HSIZ?", "280.5\r\n", 280.5, [](CGenerator& g) { return g.QueryHsiz(); }},
        {"VSIZ?", "210\r\n", 210.0, [](CGenerator& g) { return g.QueryVsiz(); }},
        {"SDLY?", "8.64e+04\r\n", 86400.0, [](CGenerator& g) { return g.QuerySdly(); }},
        {"VERF?", "7.03\r\n", 7.03, [](CGenerator& g) { return g.QueryVerf(); }},
        // A comma ends the number, it is no decimal sign.
        {"HRAT?", "31469,5\r\n", 31469.0, [](CGenerator& g) { return g.QueryHrat(); }},
    };
    CGenerator gen(nullptr, kCom1);
    for (const RealQueryCase& c : cases) {
        SCOPED_TRACE(c.sent);
        port.commands.clear();
        port.Script(c.sent, c.reply);
        EXPECT_DOUBLE_EQ(c.call(gen), c.expected);
        EXPECT_EQ(port.commands, Commands{c.sent});
    }
}

TEST_F(SettingTest, SyncSelectRepliesDecodeToFlags)
{
    struct Case
    {
        const char* reply;
        bool acs, dcs, dss;
    };
    const Case cases[] = {
        {"0", false, false, false}, {"1", false, false, true}, {"2", false, true, false},
        {"3", true, false, false},  {"4", true, false, false}, {"5", true, false, true},
        {"6", true, true, false},   {"7", true, true, true},   {"11", false, true, true},
        {"8", false, false, false}, {"9", false, false, false}, {"13", false, false, false},
        {"-3", false, false, false}, {"", false, false, false},
    };
    CGenerator gen(nullptr, kCom1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.commands.clear();
        port.fallback = {std::string(c.reply) + "\r\n", 0};
        bool acs = !c.acs;
        bool dcs = !c.dcs;
        bool dss = !c.dss;
        gen.QuerySsstFlags(acs, dcs, dss);
        EXPECT_EQ(port.commands, Commands{"SSST?"});
        EXPECT_EQ(acs, c.acs);
        EXPECT_EQ(dcs, c.dcs);
        EXPECT_EQ(dss, c.dss);
    }
}

TEST_F(SettingTest, TripleRepliesBecomeFlagsAtTheirThresholds)
{
    struct Case
    {
        const char* sent;
        const char* reply;
        bool r, g, b;
        std::function<void(CGenerator&, bool&, bool&, bool&)> call;
    };
    const auto assg = [](CGenerator& g, bool& r, bool& gr, bool& b) { g.QueryAssg(r, gr, b); };
    const auto xvsg = [](CGenerator& g, bool& r, bool& gr, bool& b) { g.QueryXvsg(r, gr, b); };
    const auto vbpr = [](CGenerator& g, bool& r, bool& gr, bool& b) { g.QueryVbpr(r, gr, b); };
    const std::vector<Case> cases = {
        {"ASSG?", "0,1,0\r\n", false, true, false, assg},
        {"ASSG?", "0.5,0.6,1\r\n", false, true, true, assg}, // above one half
        {"XVSG?", "1,0,1\r\n", true, false, true, xvsg},
        {"XVSG?", "0.1,0,-1\r\n", true, false, false, xvsg}, // above zero
        {"XVSG?", "1\r\n", false, false, false, xvsg},       // not a triple
        {"VBPR?", "1,1,0\r\n", true, true, false, vbpr},
    };
    CGenerator gen(nullptr, kCom1);
    gen.SetFirmwareVersion(7.04);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sent) + " " + c.reply);
        port.commands.clear();
        port.fallback = {c.reply, 0};
        bool r = !c.r;
        bool g = !c.g;
        bool b = !c.b;
        c.call(gen, r, g, b);
        EXPECT_EQ(port.commands, Commands{c.sent});
        EXPECT_EQ(r, c.r);
        EXPECT_EQ(g, c.g);
        EXPECT_EQ(b, c.b);
    }
}

TEST_F(SettingTest, VideoBoardsAreAskedForFromFirmware704Only)
{
    port.fallback = {"1,1,1\r\n", 0};
    CGenerator gen(nullptr, kCom1);
    for (double version : {7.03, 7.039, 0.0}) {
        SCOPED_TRACE(version);
        gen.SetFirmwareVersion(version);
        bool r = true;
        bool g = true;
        bool b = true;
        gen.QueryVbpr(r, g, b);
        EXPECT_TRUE(port.commands.empty());
        EXPECT_FALSE(r || g || b);
    }
    gen.SetFirmwareVersion(7.04);
    bool r = false;
    bool g = false;
    bool b = false;
    gen.QueryVbpr(r, g, b);
    EXPECT_EQ(port.commands, Commands{"VBPR?"});
    EXPECT_TRUE(r && g && b);
}

TEST_F(SettingTest, PixelMapDimensionsNeedBothCommas)
{
    struct Case
    {
        const char* reply;
        int width, height, depth;
    };
    const Case cases[] = {
        {"640,480,8\r\n", 640, 480, 8},
        {"640,480\r\n", 640, 0, 0},
        {"640\r\n", 0, 0, 0},
        {",480,8\r\n", 0, 0, 0},
        {"640,,8\r\n", 640, 0, 0},
        {"16,16,\r\n", 16, 16, 0},
        {"x,16,2\r\n", 0, 16, 2},
        {"", 0, 0, 0},
    };
    CGenerator gen(nullptr, kCom1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.commands.clear();
        port.fallback = {c.reply, 0};
        int width = -1;
        int height = -1;
        int depth = -1;
        gen.QueryDmap(width, height, depth);
        EXPECT_EQ(port.commands, Commands{"DMAP?"});
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(depth, c.depth);
    }
}

TEST_F(SettingTest, APixelMapWordReadsTheSameSignedOrUnsigned)
{
    struct Case
    {
        const char* reply;
        uint32_t word;
    };
    const Case cases[] = {
        {"-1\r\n", 0xFFFFFFFFu},
        {"4294967295\r\n", 0xFFFFFFFFu},
        {"-2147483648\r\n", 0x80000000u},
        {"2147483648\r\n", 0x80000000u},
        {"305419896\r\n", 0x12345678u},
    };
    CGenerator gen(nullptr, kCom1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.commands.clear();
        port.fallback = {c.reply, 0};
        EXPECT_EQ(gen.QueryMdta(7), c.word);
        EXPECT_EQ(port.commands, Commands{"MDTA? 7"});
    }
}

TEST_F(SettingTest, HardwareProbeReadsTwoHexadecimalNumbers)
{
    struct Case
    {
        const char* reply;
        int first, second;
    };
    const Case cases[] = {
        {"2A51,3\r\n", 0x2A51, 3},
        {"ff 1c\r\n", 0xFF, 0x1C},
        {"0x10,0x20\r\n", 0x10, 0x20},
        {"2A51", 0x2A51, 0}, // nothing after the first: no read past the reply
        {"2A51,", 0x2A51, 0},
        {"", 0, 0},
        {"FFFFFFFF,1\r\n", -1, 1},
        {"123456789AB,7\r\n", -1, 7}, // beyond 32 bits
    };
    CGenerator gen(nullptr, kCom1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.commands.clear();
        port.replyBufferGiven.clear();
        port.fallback = {c.reply, 0};
        int first = 99;
        int second = 99;
        gen.QueryVerh(first, second);
        EXPECT_EQ(port.commands, Commands{"VERH?"});
        EXPECT_EQ(port.replyBufferGiven, std::vector<bool>{true});
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(second, c.second);
    }
}

TEST_F(SettingTest, MemoryRepliesReadAs64BitNumbers)
{
    struct Case
    {
        const char* reply;
        qint64 bytes;
    };
    const Case cases[] = {
        {"1048576\r\n", 1048576},
        {"6442450944\r\n", 6442450944LL}, // 6 GiB: beyond an int
        {"99999999999999999999999\r\n", std::numeric_limits<qint64>::max()},
        {"\r\n", 0},
        {"Command invalid", 0},
    };
    CGenerator gen(nullptr, kCom1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.commands.clear();
        port.fallback = {c.reply, 0};
        EXPECT_EQ(gen.QueryMemu(), c.bytes);
        EXPECT_EQ(gen.QueryMemf(), c.bytes);
        EXPECT_EQ(port.commands, (Commands{"MEMU?", "MEMF?"}));
    }
}

TEST_F(SettingTest, PrimitiveLineIsTheReplyUpToItsLineEnd)
{
    port.Script("ISTP? 3", "RECT 0 0 10 10 Red\r\n>");
    port.Script("ISTP? 4", "no line end");
    CGenerator gen(nullptr, kCom1);
    EXPECT_EQ(gen.QueryIstpLine(3), QStringLiteral("RECT 0 0 10 10 Red"));
    EXPECT_EQ(gen.QueryIstpLine(4), QString());
    EXPECT_EQ(port.commands, (Commands{"ISTP? 3", "ISTP? 4"}));
}

TEST_F(SettingTest, IdentityComesFromTheIdnReply)
{
    port.Script("*IDN?", "Veltrane,VG-7000,4711,7.011\r\n");
    CGenerator gen(nullptr, kCom1);
    QString model;
    QString version;
    QString serial;
    gen.QueryIdn(model, version, serial);
    EXPECT_EQ(port.commands, Commands{"*IDN?"});
    EXPECT_EQ(port.replyBufferGiven, std::vector<bool>{true});
    EXPECT_EQ(model, QStringLiteral("VG-7000"));
    EXPECT_EQ(serial, QStringLiteral("4711"));
    EXPECT_EQ(version, QStringLiteral("7.011"));
}

TEST_F(SettingTest, IdentityWithoutAPortIsTheDefaults)
{
    // An earlier reply in the buffer must not pass for this generator's identity.
    CGenerator gen(nullptr);
    QString model;
    QString version;
    QString serial;
    gen.QueryIdn(model, version, serial);
    EXPECT_TRUE(port.commands.empty());
    EXPECT_EQ(model, QStringLiteral("Unknown"));
    EXPECT_EQ(version, QStringLiteral("0.0"));
    EXPECT_EQ(serial, QStringLiteral("0"));
}

TEST_F(SettingTest, YmodemCommandsAreWrittenRawAndAnsweredByTwoLines)
{
    CGenerator gen(nullptr, kCom1);
    for (char c : std::string("YMDI \r\nReady\r\n"))
        port.input.push_back(c);
    EXPECT_TRUE(gen.CmdYmdi());
    EXPECT_EQ(port.putChars, "YMDI \r");

    port.putChars.clear();
    for (char c : std::string("YMDO a.mem b.mem\r\n"))
        port.input.push_back(c);
    EXPECT_FALSE(gen.CmdYmdo(QStringLiteral("a.mem b.mem"))); // the second line never comes
    EXPECT_EQ(port.putChars, "YMDO a.mem b.mem\r");
    EXPECT_TRUE(port.commands.empty()); // no command protocol, no echo wait
}

// --- Through the library to a simulated generator -----------------------------------------------

class SettingSimTest : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = "7.04", .serial = "4711",
                                                 .baudRate = 2400, .link = ""});
        sim.start();
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        WriteProfileInt(QStringLiteral("Port"), QStringLiteral("Type"), 2);
        WriteProfileInt(QStringLiteral("Port"), QStringLiteral("Com"), 1);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [](QDialog& d) { d.accept(); });
    }

    void TearDown() override
    {
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    gensim::Simulator sim;
};

TEST_F(SettingSimTest, SettingsRoundTripUnderACommaLocale)
{
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.utf8"), nullptr);

    gen.CmdHrat(15734.264);
    gen.CmdHtot(70000);
    gen.CmdAssg(true, false, true);
    const double rate = gen.QueryHrat();
    const int total = gen.QueryHtot();
    bool r = false;
    bool g = true;
    bool b = false;
    gen.QueryAssg(r, g, b);
    std::setlocale(LC_NUMERIC, saved.c_str());

    EXPECT_TRUE(gen.LastCommandSucceeded());
    EXPECT_DOUBLE_EQ(rate, 15734.264);
    EXPECT_EQ(total, 65536);
    EXPECT_TRUE(r);
    EXPECT_FALSE(g);
    EXPECT_TRUE(b);
}

TEST_F(SettingSimTest, IdentityAndVideoBoardsOfTheGenerator)
{
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    QString model;
    QString version;
    QString serial;
    gen.QueryIdn(model, version, serial);
    EXPECT_EQ(model, QStringLiteral("VG-7000"));
    EXPECT_EQ(serial, QStringLiteral("4711"));
    EXPECT_EQ(version, QStringLiteral("7.04"));

    bool r = false;
    bool g = false;
    bool b = false;
    gen.QueryVbpr(r, g, b);
    EXPECT_TRUE(gen.LastCommandSucceeded());
    EXPECT_TRUE(r && g && b);
}

} // namespace
