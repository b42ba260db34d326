// Formats to and from a generator over a scripted port: the exact commands
// of a send, the check's verdicts, cancels, a recall from scripted replies
// (and the replies it must refuse), the copy between generators and a link
// lost in the middle of each operation.

#include "CFormat.h"
#include "CFormatTraffic.h"

#include "CGenerator.h"
#include "CGeneralFormatData.h"
#include "CProgressDlg.h"
#include "FakePort.h"
#include "MessageTarget.h"
#include "TestSupport.h"
#include "TestPorts.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

// A fake port that lets a test act when a command goes out (press Cancel,
// read the progress lines).
class TracingPort : public FakePort
{
public:
    int32_t SendCommand(PortId id, const char* command, char* reply, int32_t length) override
    {
        if (onCommand)
            onCommand(command);
        return FakePort::SendCommand(id, command, reply, length);
    }
    std::function<void(const std::string&)> onCommand;
};

class TrafficOwner : public QWidget, public MessageTarget
{
public:
    LRESULT OnMessage(unsigned message, WPARAM, LPARAM lParam) override
    {
        received.emplace_back(message, lParam);
        return 0;
    }
    std::vector<std::pair<unsigned, LPARAM>> received;
};

Commands Join(Commands a, const Commands& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Commands First(const Commands& all, size_t n)
{
    return Commands(all.begin(), all.begin() + ptrdiff_t(n));
}

// A new format item as the generator receives it.
const Commands kDefaultUpload = {
    "FMTN \"Format\"", "FMTB", "NAME \"Format\"",
    "HRAT 31469.0000", "HRES 640", "HTOT 800", "HSPD 16", "HSPW 96", "HSPP 0", "HSPG 1",
    "VRES 480", "VTOT 525", "VSPD 10", "VSPW 2", "VSPP 0", "VSPG 1", "EQUB 0", "EQUA 0",
    "SCAN 1", "AVST 2", "DVST 0", "AVSS 0.700", "AVPS 7.5000", "AVPG 0", "ASSS 0.300", "ASSG 0,1,0",
    "ASCT 2", "DSCT 2", "DSST 1", "SSST 1",
    "CSPP 0", "CSPG 1", "GAMA 2.20000", "GAMC 0", "USIZ 2", "HSIZ 284.4800", "VSIZ 213.3600",
    "RFLD 0", "PCPG 0", "PELD 0", "AVCS 0", "FMTE",
};

// A 625-line interlaced format with a digital video kind, every flag the
// other way from the default, sizes in inches, and a horizontal active
// count that lags behind its time (the time decides).
CGeneralFormatData HandMadeFormat()
{
    CGeneralFormatData d;
    d.name = QStringLiteral("PAL 50");
    d.lineRate = 15625;
    d.pixelRate = 15625.0 * 864;
    d.pixelPeriod = 1 / d.pixelRate;
    d.hActive = 700;
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
    d.videoKind = CVideoKind(10); // "Digital MDA VI", digital code 2
    d.videoSwing = 0.7143;
    d.pedestalLevel = 0;
    d.syncSwing = 0.5; // above what ASSS takes
    d.syncOnRed = d.syncOnBlue = 1;
    d.acsKind = CAcsKind(5);
    d.dcsKind = CDcsKind(0);
    d.dssKind = CDssKind(3);
    d.syncSelect.SetCode(11); // DCS,DSS
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

const Commands kHandMadeUpload = {
    "FMTN \"PAL 50\"", "FMTB", "NAME \"PAL 50\"",
    "HRAT 15625.0000", "HRES 720", "HTOT 864", "HSPD 12", "HSPW 64", "HSPP 1", "HSPG 0",
    "VRES 576", "VTOT 625", "VSPD 5", "VSPW 5", "VSPP 1", "VSPG 1", "EQUB 5", "EQUA 5",
    "SCAN 2", "AVST 0", "DVST 2", "AVSS 0.714", "AVPS 0.0000", "AVPG 0", "ASSS 0.307", "ASSG 1,1,1",
    "ASCT 5", "DSCT 0", "DSST 3", "SSST 11",
    "CSPP 1", "CSPG 0", "GAMA 2.50000", "GAMC 1", "USIZ 1", "HSIZ 12.5000", "VSIZ 9.3750",
    "RFLD 1", "PCPG 1", "PELD 8", "AVCS 3", "FMTE",
};

// The hand-made format as a generator answers for it.
const std::map<std::string, std::string> kHandMadeReplies = {
    {"HRAT?", "15625.0000"}, {"HRES?", "720"}, {"HTOT?", "864"}, {"HSPD?", "12"}, {"HSPW?", "64"},
    {"HSPP?", "1"}, {"HSPG?", "0"}, {"VRES?", "576"}, {"VTOT?", "625"}, {"VSPD?", "5"}, {"VSPW?", "5"},
    {"VSPP?", "1"}, {"VSPG?", "1"}, {"EQUB?", "5"}, {"EQUA?", "5"}, {"SCAN?", "2"}, {"AVST?", "0"},
    {"DVST?", "2"}, {"AVSS?", "0.714"}, {"AVPS?", "0.0000"}, {"AVPG?", "0"}, {"ASSS?", "0.307"},
    {"ASSG?", "1,1,1"}, {"ASCT?", "5"}, {"DSCT?", "0"}, {"DSST?", "3"}, {"SSST?", "11"}, {"CSPP?", "1"},
    {"CSPG?", "0"}, {"GAMA?", "2.50000"}, {"GAMC?", "1"}, {"USIZ?", "1"}, {"HSIZ?", "12.5000"},
    {"VSIZ?", "9.3750"}, {"RFLD?", "1"}, {"PCPG?", "1"}, {"PELD?", "8"}, {"AVCS?", "3"}, {"VERF?", "7.011"},
};

// What a recall reads, in order, after the format is loaded.
const Commands kRecallQueries = {
    "HRAT?", "HRES?", "HTOT?", "HSPD?", "HSPW?", "HSPP?", "HSPG?",
    "VRES?", "VTOT?", "VSPD?", "VSPW?", "VSPP?", "VSPG?", "EQUB?", "EQUA?", "SCAN?",
    "AVST?", "DVST?", "AVSS?", "AVPS?", "AVPG?", "ASSS?", "ASSG?", "ASCT?", "DSCT?", "DSST?", "SSST?",
    "CSPP?", "CSPG?", "GAMA?", "GAMC?", "USIZ?", "HSIZ?", "VSIZ?", "VERF?", "RFLD?", "PCPG?", "PELD?", "AVCS?",
};

// The generator's state around a recall: read before, put back after.
const Commands kStateRead = {"FMTU?", "XVSG?", "SSST?", "OUTG?", "IVER?"};
// CmdAllu first asks whether an animated image is in use.
const Commands kAllu = {"IMGU?", "IMGN?", "ALLU;*OPC?"};
const Commands kStateApply = Join({"FMTL \"VGA\"", "XVSG 1 1 1", "SSST 7", "OUTG 1", "IVER 0"}, kAllu);

class FormatTrafficTest : public PlatformTest
{
protected:
    FormatTrafficTest() : item(&owner) {}

    void ScriptFormatCheck(const std::string& answer) { port.Script("FMTG?", answer + "\r\n"); }

    // A generator that answers for the hand-made format.
    static void ScriptFormat(FakePort& p, const std::map<std::string, std::string>& changes = {})
    {
        for (const auto& [query, reply] : kHandMadeReplies) {
            const auto changed = changes.find(query);
            p.Script(query, (changed != changes.end() ? changed->second : reply) + "\r\n");
        }
    }

    // The same generator, showing "VGA" before a recall.
    static void ScriptRecall(FakePort& p, const std::map<std::string, std::string>& changes = {})
    {
        p.Script("FMTU?", "VGA\r\n");
        p.Script("XVSG?", "1,1,1\r\n");
        p.Script("SSST?", "7\r\n"); // the second SSST? is the format's
        p.Script("OUTG?", "1\r\n");
        p.Script("IVER?", "0\r\n");
        ScriptFormat(p, changes);
    }

    void ExpectCommunicationError()
    {
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    }

    TracingPort port;
    TrafficOwner owner;
    CFormat item;
};

// --- Send ----------------------------------------------------------------------------------

TEST_F(FormatTrafficTest, SendIssuesEveryCommandInOrder)
{
    struct Case
    {
        const char* what;
        CGeneralFormatData data;
        Commands upload;
        std::string name;
    };
    const Case cases[] = {
        {"new item", CFormat().Data(), kDefaultUpload, "\"Format\""},
        {"hand-made", HandMadeFormat(), kHandMadeUpload, "\"PAL 50\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        port.commands.clear();
        ScriptFormatCheck("0");
        item.Data() = c.data;
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(item.SendToGenerator(&gen, &progress));
        EXPECT_EQ(port.commands, Join(c.upload, {"FMTG?", "FMTA " + c.name}));
        EXPECT_TRUE(prompter.Messages().empty()); // no format error: no box
    }
}

TEST_F(FormatTrafficTest, SendShowsEachStepOnTheProgressDialog)
{
    ScriptFormatCheck("0");
    CGenerator gen(nullptr, kCom1);
    CProgressDlg progress(nullptr, true);
    std::map<std::string, QString> seen;
    port.onCommand = [&](const std::string& command) { seen[command] = progress.GetStatus(IDC_STATUS2); };
    ASSERT_TRUE(item.SendToGenerator(&gen, &progress));

    const std::map<std::string, QString> expected = {
        {"FMTN \"Format\"", QStringLiteral("Preparing...")},
        {"HRAT 31469.0000", QStringLiteral("Sending Data...Horizontal Data...")},
        {"VRES 480", QStringLiteral("Vertical Data...")},
        {"SCAN 1", QStringLiteral("Video and Sync types...")},
        {"CSPP 0", QStringLiteral("Miscellaneous Data...")},
        {"FMTG?", QStringLiteral("Checking Format...")},
        {"FMTA \"Format\"", QStringLiteral("Saving...")},
    };
    for (const auto& [command, status] : expected)
        EXPECT_EQ(seen[command], status) << command;
}

TEST_F(FormatTrafficTest, FormatErrorOnSendStoresOnlyOnYes)
{
    const std::tuple<int, bool> cases[] = {{IDYES, true}, {IDNO, false}};
    for (const auto& [answer, stored] : cases) {
        SCOPED_TRACE(answer);
        port.commands.clear();
        ScriptFormatCheck("2072");
        prompter.ExpectMessage(PromptMatch::Id(32978), answer, MB_YESNO | MB_ICONEXCLAMATION);
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        EXPECT_EQ(item.SendToGenerator(&gen, &progress), stored);
        const PromptRecord box = prompter.Messages().back();
        EXPECT_EQ(box.text, QStringLiteral("Format Error: 2072\nContinue sending?"));
        EXPECT_EQ(box.caption, QStringLiteral("Format Error"));
        EXPECT_EQ(box.parent.data(), &owner);
        const Commands checked = Join(kDefaultUpload, {"FMTG?"});
        EXPECT_EQ(port.commands, stored ? Join(checked, {"FMTA \"Format\""}) : checked);
    }
}

// A Cancel is seen at the next cancel test: between the groups of the
// upload, after it, and after the check. A stop inside the upload closes
// the edit buffer; nothing is ever stored.
TEST_F(FormatTrafficTest, CancelStopsAtTheNextTest)
{
    struct Case
    {
        std::string pressedAt;
        Commands sent;
    };
    const Case cases[] = {
        {"NAME \"Format\"", Join(First(kDefaultUpload, 3), {"FMTE"})},
        {"HSPG 1", Join(First(kDefaultUpload, 10), {"FMTE"})},
        {"EQUA 0", Join(First(kDefaultUpload, 18), {"FMTE"})},
        {"SSST 1", Join(First(kDefaultUpload, 30), {"FMTE"})},
        {"AVCS 0", kDefaultUpload},
        {"FMTG?", Join(kDefaultUpload, {"FMTG?"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressedAt);
        port.commands.clear();
        ScriptFormatCheck("0");
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        port.onCommand = [&](const std::string& command) {
            if (command == c.pressedAt)
                progress.OnCancel();
        };
        EXPECT_FALSE(item.SendToGenerator(&gen, &progress));
        EXPECT_EQ(port.commands, c.sent);
    }
}

TEST_F(FormatTrafficTest, ValuesWithoutCountsAreRefusedBeforeAnyCommand)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* why;
        std::function<void(CGeneralFormatData&)> spoil;
    };
    const Case cases[] = {
        {"The horizontal total time is not a number.", [&](CGeneralFormatData& d) { d.hTotalTime = nan; }},
        {"The pixel rate is not above 0.", [](CGeneralFormatData& d) { d.pixelRate = 0; }},
        {"The vertical total time gives no usable count.", [](CGeneralFormatData& d) { d.vTotalTime = 1e300; }},
        {"The gamma is not a number.", [&](CGeneralFormatData& d) { d.gamma = nan; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        CGeneralFormatData data = CFormat().Data();
        c.spoil(data);
        item.Data() = data;
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Format Error")), IDOK, MB_OK | MB_ICONEXCLAMATION);
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        EXPECT_FALSE(item.SendToGenerator(&gen, &progress));
        EXPECT_EQ(prompter.Messages().back().text,
                  QStringLiteral("The format \"Format\" cannot be sent: ") + QString::fromLatin1(c.why));
        EXPECT_TRUE(port.commands.empty());
    }
}

TEST_F(FormatTrafficTest, RefusedStoreIsNoSend)
{
    ScriptFormatCheck("0");
    port.Script("FMTA \"Format\"", "", MORVANE_E_EXECUTION);
    ExpectCommunicationError();
    CGenerator gen(nullptr, kCom1);
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(item.SendToGenerator(&gen, &progress));
}

// --- Check ---------------------------------------------------------------------------------

TEST_F(FormatTrafficTest, CheckShowsTheVerdictAndNeverStores)
{
    struct Case
    {
        std::string answer;
        int error; // of the FMTG? command
        bool passed;
        QString caption;
        QString text;
        unsigned flags;
    };
    const Case cases[] = {
        {"0", 0, true, QStringLiteral("Format Check"), QStringLiteral("Format Passed Check Using: Com-1"),
         MB_OK | MB_ICONINFORMATION},
        {"2191", 0, false, QStringLiteral("Format Error Using: Com-1"),
         QStringLiteral("Format Error: 2191\nHorizonal pulse width not even for HDTV"), MB_OK | MB_ICONEXCLAMATION},
        {"2081", 0, false, QStringLiteral("Format Error Using: Com-1"), QStringLiteral("Format Error: 2081\nUndefined"),
         MB_OK | MB_ICONEXCLAMATION},
        // No answer is no verdict: only the communication error.
        {"", MORVANE_E_EXECUTION, false, QStringLiteral("Communication Error"), QString(), MB_OK | MB_ICONWARNING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        port.commands.clear();
        port.Script("FMTG?", c.answer + "\r\n", c.error);
        prompter.ExpectMessage(PromptMatch::Caption(c.caption), IDOK, c.flags);
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        EXPECT_EQ(item.CheckFormat(&gen, HandMadeFormat(), &progress), c.passed);
        EXPECT_EQ(progress.GetStatus(IDC_STATUS1),
                  QStringLiteral("Performing Check On ->Format<- PAL 50 Using: Com-1"));
        if (!c.text.isEmpty()) {
            EXPECT_EQ(prompter.Messages().back().text, c.text);
        }
        EXPECT_EQ(port.commands, Join(kHandMadeUpload, {"FMTG?"}));
    }
}

// --- Recall --------------------------------------------------------------------------------

TEST_F(FormatTrafficTest, RecallReadsEveryFieldAndPutsTheGeneratorBack)
{
    ScriptRecall(port);
    CGenerator gen(nullptr, kCom1);
    CProgressDlg progress(nullptr, true);
    std::map<std::string, QString> seen;
    port.onCommand = [&](const std::string& command) { seen[command] = progress.GetStatus(IDC_STATUS2); };
    ASSERT_TRUE(item.RecallFromGenerator(QStringLiteral("PAL 50"), &gen, &progress));

    EXPECT_EQ(port.commands,
              Join(Join(kStateRead, Join({"FMTL \"PAL 50\"", "OUTG 0"}, kAllu)), Join(kRecallQueries, kStateApply)));
    EXPECT_EQ(progress.GetStatus(IDC_STATUS1), QStringLiteral("Recalling Format: \"PAL 50\""));
    EXPECT_EQ(seen["FMTU?"], QStringLiteral("Loading..."));
    EXPECT_EQ(seen["HRAT?"], QStringLiteral("Horizontal Data..."));
    EXPECT_EQ(seen["VRES?"], QStringLiteral("Vertical Data..."));
    EXPECT_EQ(seen["AVST?"], QStringLiteral("Video and Sync types..."));
    EXPECT_EQ(seen["CSPP?"], QStringLiteral("Miscellaneous Data..."));

    const CGeneralFormatData& d = item.Data();
    EXPECT_EQ(item.GetName(), QStringLiteral("PAL 50"));
    EXPECT_EQ(d.name, QStringLiteral("PAL 50"));
    EXPECT_EQ((std::vector<double>{d.lineRate, d.hActive, d.hTotal, d.hSyncDelay, d.hSyncWidth, d.hBlank}),
              (std::vector<double>{15625, 720, 864, 12, 64, 144}));
    EXPECT_EQ((std::vector<double>{d.vActive, d.vTotal, d.vSyncDelay, d.vSyncWidth, d.vBlank}),
              (std::vector<double>{576, 625, 5, 5, 49}));
    EXPECT_DOUBLE_EQ(d.pixelRate, 13500000);
    EXPECT_DOUBLE_EQ(d.fieldRate, 50);
    EXPECT_DOUBLE_EQ(d.vTotalTime, 0.04);
    EXPECT_DOUBLE_EQ(d.hTotalTime, 6.4e-05);
    EXPECT_EQ((std::vector<int>{d.hSyncPolarity, d.hSyncGate, d.vSyncPolarity, d.vSyncGate, d.cSyncPolarity,
                                d.cSyncGate, d.eqBefore, d.eqAfter, d.interlaced}),
              (std::vector<int>{1, 0, 1, 1, 1, 0, 5, 5, 1}));
    EXPECT_EQ(d.videoKind.GetIndex(), 10);
    EXPECT_EQ(d.syncSelect.GetCode(), 11);
    EXPECT_EQ((std::vector<int>{d.acsKind.GetIndex(), d.dcsKind.GetIndex(), d.dssKind.GetIndex()}),
              (std::vector<int>{5, 0, 3}));
    EXPECT_EQ((std::vector<int>{d.syncOnRed, d.syncOnGreen, d.syncOnBlue, d.pedestalOn, d.gammaOn}),
              (std::vector<int>{1, 1, 1, 0, 1}));
    EXPECT_EQ((std::vector<double>{d.videoSwing, d.pedestalLevel, d.syncSwing, d.gamma}),
              (std::vector<double>{0.714, 0, 0.307, 2.5}));
    EXPECT_EQ(d.sizeUnit, CGeneralFormatData::kUnitInches);
    EXPECT_DOUBLE_EQ(d.hSizeInches, 12.5);
    EXPECT_DOUBLE_EQ(d.hSizeMm, 317.500635);
    EXPECT_DOUBLE_EQ(d.vSizeMm, 238.12547625);
    EXPECT_EQ((std::vector<int>{d.repeatField, d.pcpg, d.pixelDepth, d.avcs}), (std::vector<int>{1, 1, 8, 3}));
    EXPECT_TRUE(item.IsModified());
    ASSERT_EQ(owner.received.size(), 1u);
    EXPECT_EQ(owner.received[0], std::make_pair(WM_DATA_CHANGED, ToLParam(&item)));
}

TEST_F(FormatTrafficTest, RepeatFieldIsAskedOnlyFromFirmwareThree)
{
    const std::tuple<const char*, bool> cases[] = {{"2.5", false}, {"2.999", false}, {"3.0", true}, {"7.011", true}};
    for (const auto& [version, asked] : cases) {
        SCOPED_TRACE(version);
        TracingPort fresh;
        fresh.Script("HRAT?", "31469\r\n");
        fresh.Script("HTOT?", "800\r\n");
        fresh.Script("VTOT?", "525\r\n");
        fresh.Script("HSIZ?", "280\r\n");
        fresh.Script("VSIZ?", "210\r\n");
        fresh.Script("RFLD?", "1\r\n");
        fresh.Script("VERF?", std::string(version) + "\r\n");
        CGenerator gen(nullptr, kCom1);
        ASSERT_TRUE(item.RecallFromGenerator(QStringLiteral("X"), &gen, nullptr));
        const bool rfldAsked = std::find(fresh.commands.begin(), fresh.commands.end(), "RFLD?") != fresh.commands.end();
        EXPECT_EQ(rfldAsked, asked);
        EXPECT_EQ(item.Data().repeatField, asked ? 1 : 0);
    }
}

// A reply the format cannot hold (a rate that is no rate, a total that
// would be divided by) refuses the whole recall: the item stays as it was
// and the generator is still put back.
TEST_F(FormatTrafficTest, RecallRefusesRepliesOutOfRange)
{
    const std::tuple<std::string, std::string, QString> cases[] = {
        {"HRAT?", "0", QStringLiteral("The value of HRAT (0) lies outside 2000 to 250000.")},
        {"HRAT?", "junk", QStringLiteral("The value of HRAT (0) lies outside 2000 to 250000.")},
        {"HTOT?", "0", QStringLiteral("The value of HTOT (0) lies outside 1 to 9999.")},
        {"VTOT?", "-3", QStringLiteral("The value of VTOT (-3) lies outside 1 to 9999.")},
        {"VSPW?", "10000", QStringLiteral("The value of VSPW (10000) lies outside 0 to 9999.")},
    };
    for (const auto& [query, reply, why] : cases) {
        SCOPED_TRACE(query + " " + reply);
        TracingPort fresh;
        ScriptRecall(fresh, {{query, reply}});
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Format Error")), IDOK, MB_OK | MB_ICONEXCLAMATION);
        CGenerator gen(nullptr, kCom1);
        EXPECT_FALSE(item.RecallFromGenerator(QStringLiteral("PAL 50"), &gen, nullptr));
        EXPECT_EQ(prompter.Messages().back().text, QStringLiteral("The format \"PAL 50\" was not recalled: ") + why);
        EXPECT_EQ(item.GetName(), QStringLiteral("Format"));
        EXPECT_EQ(item.Data().name, QStringLiteral("Format"));
        EXPECT_EQ(item.Data().lineRate, 31469);
        EXPECT_EQ(item.Data().hTotal, 800);
        EXPECT_FALSE(item.IsModified());
        EXPECT_TRUE(owner.received.empty());
        ASSERT_GE(fresh.commands.size(), kStateApply.size());
        EXPECT_EQ(Commands(fresh.commands.end() - ptrdiff_t(kStateApply.size()), fresh.commands.end()), kStateApply);
    }
}

TEST_F(FormatTrafficTest, RecallOfAMissingFormatReadsNothing)
{
    ScriptRecall(port);
    port.Script("FMTL \"Nope\"", "", MORVANE_E_EXECUTION);
    ExpectCommunicationError();
    CGenerator gen(nullptr, kCom1);
    EXPECT_FALSE(item.RecallFromGenerator(QStringLiteral("Nope"), &gen, nullptr));
    EXPECT_EQ(port.commands, Join(Join(kStateRead, {"FMTL \"Nope\""}), kStateApply));
    EXPECT_EQ(item.Data().name, QStringLiteral("Format"));
    EXPECT_TRUE(owner.received.empty());
}

// A query that fails, for whatever reason the line gives, ends the recall
// there: no field keeps a stand-in for the value the generator holds (EQUB 5
// would come back as 0), the item stays as it was, the one box says why,
// and the generator is still put back.
TEST_F(FormatTrafficTest, RecallStopsAtTheFirstFailedQueryAndLeavesTheItem)
{
    const int codes[] = {MORVANE_E_BAD_ECHO, MORVANE_E_NO_ACK, MORVANE_E_COMMAND_INVALID, MORVANE_E_EXECUTION};
    const auto failing = std::find(kRecallQueries.begin(), kRecallQueries.end(), "EQUB?");
    const Commands asked(kRecallQueries.begin(), failing + 1);
    for (const int code : codes) {
        SCOPED_TRACE(code);
        TracingPort fresh;
        fresh.Script("EQUB?", "", code); // before the recall's own answer, so it comes first
        ScriptRecall(fresh);
        ExpectCommunicationError();
        CGenerator gen(nullptr, kCom1);
        const size_t boxesBefore = prompter.Messages().size();
        EXPECT_FALSE(item.RecallFromGenerator(QStringLiteral("PAL 50"), &gen, nullptr));
        EXPECT_EQ(prompter.Messages().size(), boxesBefore + 1);
        EXPECT_EQ(fresh.commands,
                  Join(Join(kStateRead, Join({"FMTL \"PAL 50\"", "OUTG 0"}, kAllu)), Join(asked, kStateApply)));
        EXPECT_EQ(item.GetName(), QStringLiteral("Format"));
        EXPECT_EQ(item.Data().name, QStringLiteral("Format"));
        EXPECT_EQ(item.Data().hActive, CGeneralFormatData().hActive);
        EXPECT_FALSE(item.IsModified());
        EXPECT_TRUE(owner.received.empty());
        EXPECT_FALSE(gen.IsHalted()) << "the next operation starts afresh";
    }
}

// Cancel pressed while a recall's queries go (here as the third goes out)
// ends it before the fourth: no box, the item stays as it was, and the
// generator is put back as after a failure.
TEST_F(FormatTrafficTest, CancelDuringARecallEndsItBeforeTheNextQuery)
{
    ScriptRecall(port);
    CGenerator gen(nullptr, kCom1);
    CProgressDlg progress(nullptr, true);
    port.onCommand = [&](const std::string& command) {
        if (command == kRecallQueries[2])
            progress.OnCancel();
    };
    const size_t boxesBefore = prompter.Messages().size();
    EXPECT_FALSE(item.RecallFromGenerator(QStringLiteral("PAL 50"), &gen, &progress));
    const Commands asked(kRecallQueries.begin(), kRecallQueries.begin() + 3);
    EXPECT_EQ(port.commands,
              Join(Join(kStateRead, Join({"FMTL \"PAL 50\"", "OUTG 0"}, kAllu)), Join(asked, kStateApply)));
    EXPECT_EQ(prompter.Messages().size(), boxesBefore);
    EXPECT_EQ(item.GetName(), QStringLiteral("Format"));
    EXPECT_EQ(item.Data().hActive, CGeneralFormatData().hActive);
    EXPECT_FALSE(item.IsModified());
    EXPECT_TRUE(owner.received.empty());
}

// A noisy line fails every command: one box for the whole operation, and
// nothing after the first failed command but putting the generator back.
TEST_F(FormatTrafficTest, NoisyLineShowsOneBoxPerOperation)
{
    struct Case
    {
        const char* what;
        std::function<bool(CFormat&, CGenerator&)> run;
        Commands sent;
    };
    const Case cases[] = {
        {"send", [](CFormat& f, CGenerator& g) { return f.SendToGenerator(&g, nullptr); },
         {"FMTN \"Format\"", "FMTE"}},
        {"check", [](CFormat& f, CGenerator& g) { return f.CheckFormat(&g, f.Data(), nullptr); },
         {"FMTN \"Format\"", "FMTE"}},
        // The state was not read: there is nothing to put back.
        {"recall", [](CFormat& f, CGenerator& g) { return f.RecallFromGenerator(QStringLiteral("X"), &g, nullptr); },
         {"FMTU?"}},
    };
    for (const int code : {MORVANE_E_BAD_ECHO, MORVANE_E_NO_ACK}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " " + std::to_string(code));
            TracingPort noisy;
            noisy.fallback = {"", code};
            ExpectCommunicationError();
            CGenerator gen(nullptr, kCom1);
            const size_t boxesBefore = prompter.Messages().size();
            EXPECT_FALSE(c.run(item, gen));
            EXPECT_EQ(prompter.Messages().size(), boxesBefore + 1);
            EXPECT_EQ(noisy.commands, c.sent);
        }
    }
}

// --- Copy between generators -----------------------------------------------------------------

// Every value goes from the source to the target as read, one pair at a time.
const Commands kHandMadeCopy = {
    "FMTL \"PAL 50\"", "FMTN \"PAL 50\"", "FMTB", "NAME \"PAL 50\"",
    "HRAT?", "HRAT 15625.0000", "HRES?", "HRES 720", "HTOT?", "HTOT 864", "HSPD?", "HSPD 12", "HSPW?", "HSPW 64",
    "HSPP?", "HSPP 1", "HSPG?", "HSPG 0",
    "VRES?", "VRES 576", "VTOT?", "VTOT 625", "VSPD?", "VSPD 5", "VSPW?", "VSPW 5", "VSPP?", "VSPP 1",
    "VSPG?", "VSPG 1", "EQUB?", "EQUB 5", "EQUA?", "EQUA 5",
    "SCAN?", "SCAN 2", "AVST?", "AVST 0", "DVST?", "DVST 2", "AVSS?", "AVSS 0.714", "AVPS?", "AVPS 0.0000",
    "AVPG?", "AVPG 0", "ASSS?", "ASSS 0.307", "ASSG?", "ASSG 1,1,1", "ASCT?", "ASCT 5", "DSCT?", "DSCT 0",
    "DSST?", "DSST 3", "SSST?", "SSST 11",
    "CSPP?", "CSPP 1", "CSPG?", "CSPG 0", "GAMA?", "GAMA 2.50000", "GAMC?", "GAMC 1", "USIZ?", "USIZ 1",
    "HSIZ?", "HSIZ 12.5000", "VSIZ?", "VSIZ 9.3750", "RFLD?", "RFLD 1", "PCPG?", "PCPG 1", "PELD?", "PELD 8",
    "AVCS?", "AVCS 3", "FMTE", "FMTA \"PAL 50\"",
};

TEST_F(FormatTrafficTest, CopyPassesEachValueAndTheRepeatFieldFromFirmwareThree)
{
    const std::tuple<double, bool> cases[] = {{7.011, true}, {3.0, true}, {2.5, false}};
    for (const auto& [version, withRepeatField] : cases) {
        SCOPED_TRACE(version);
        TracingPort fresh;
        ScriptFormat(fresh);
        CGenerator source(nullptr, kCom1);
        CGenerator target(nullptr, kCom2);
        source.SetFirmwareVersion(version);
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(CopyFormatBetweenGenerators(QStringLiteral("PAL 50"), &source, &target, &progress));
        Commands expected = kHandMadeCopy;
        if (!withRepeatField)
            std::erase_if(expected, [](const std::string& c) { return c.rfind("RFLD", 0) == 0; });
        EXPECT_EQ(fresh.commands, expected);
        EXPECT_EQ(progress.GetStatus(IDC_STATUS2), QStringLiteral("Saving..."));
    }
}

// The target stores only a complete copy of a format the source has, with
// values a format can hold, every one of them answered; otherwise its edit
// buffer is closed unstored and the user is told why.
TEST_F(FormatTrafficTest, CopyStoresNothingItCannotVouchFor)
{
    Commands zeroRate = kHandMadeCopy; // the setter clamps what it is given
    zeroRate[5] = "HRAT 10.0000";
    zeroRate.pop_back();
    const QString communication = QStringLiteral("Communication Error");
    const QString format = QStringLiteral("Format Error");
    struct Case
    {
        const char* what;
        std::map<std::string, std::string> changes;
        std::string failingCommand;
        int error;
        Commands sent;
        std::vector<QString> boxes; // captions, in order
        QString reason;             // after "was not copied: " in the last box; empty: no such box
    };
    const Case cases[] = {
        {"source lacks the format", {}, "FMTL \"PAL 50\"", MORVANE_E_EXECUTION, {"FMTL \"PAL 50\""}, {communication}, {}},
        {"a line rate of 0", {{"HRAT?", "0"}}, "", 0, zeroRate, {format},
         QStringLiteral("The value of HRAT (0) lies outside 2000 to 250000.")},
        {"a count the source calls invalid", {}, "HRES?", MORVANE_E_COMMAND_INVALID,
         Join(First(kHandMadeCopy, 7), {"FMTE"}), {communication, format},
         QStringLiteral("The source did not answer \"HRES?\".")},
        {"the sync flags fail", {}, "ASSG?", MORVANE_E_EXECUTION, Join(First(kHandMadeCopy, 49), {"FMTE"}),
         {communication, format}, QStringLiteral("The source did not answer \"ASSG?\".")},
        {"the pixel depth fails", {}, "PELD?", MORVANE_E_EXECUTION, Join(First(kHandMadeCopy, 77), {"FMTE"}),
         {communication, format}, QStringLiteral("The source did not answer \"PELD?\".")},
        {"the last query fails", {}, "AVCS?", MORVANE_E_COMMAND_INVALID, Join(First(kHandMadeCopy, 79), {"FMTE"}),
         {communication, format}, QStringLiteral("The source did not answer \"AVCS?\".")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TracingPort fresh;
        if (!c.failingCommand.empty())
            fresh.Script(c.failingCommand, "", c.error); // answers before the format's own reply
        ScriptFormat(fresh, c.changes);
        CGenerator source(nullptr, kCom1);
        CGenerator target(nullptr, kCom2);
        source.SetFirmwareVersion(7.011);
        CProgressDlg progress(nullptr, true);
        for (const QString& caption : c.boxes)
            prompter.ExpectMessage(PromptMatch::Caption(caption), IDOK);
        const size_t boxesBefore = prompter.Messages().size();
        EXPECT_FALSE(CopyFormatBetweenGenerators(QStringLiteral("PAL 50"), &source, &target, &progress));
        EXPECT_EQ(fresh.commands, c.sent);
        EXPECT_EQ(prompter.Messages().size(), boxesBefore + c.boxes.size());
        if (!c.reason.isEmpty()) {
            EXPECT_EQ(prompter.Messages().back().text, QStringLiteral("The format \"PAL 50\" was not copied: ") + c.reason);
        }
    }
}

// Cancel is tested before each of the four groups and before the store;
// the target's edit buffer is closed with FMTE and nothing is stored.
TEST_F(FormatTrafficTest, CancelledCopyClosesTheEditBufferUnstored)
{
    const std::tuple<std::string, size_t> cases[] = {
        {"NAME \"PAL 50\"", 4}, {"HSPG 0", 18}, {"EQUA 5", 34}, {"SSST 11", 58}, {"AVCS 3", 80},
    };
    for (const auto& c : cases) {
        const std::string& pressedAt = std::get<0>(c);
        const size_t sentBefore = std::get<1>(c);
        SCOPED_TRACE(pressedAt);
        TracingPort fresh;
        ScriptFormat(fresh);
        CGenerator source(nullptr, kCom1);
        CGenerator target(nullptr, kCom2);
        source.SetFirmwareVersion(7.011);
        CProgressDlg progress(nullptr, true);
        fresh.onCommand = [&](const std::string& command) {
            if (command == pressedAt)
                progress.OnCancel();
        };
        EXPECT_FALSE(CopyFormatBetweenGenerators(QStringLiteral("PAL 50"), &source, &target, &progress));
        EXPECT_EQ(fresh.commands, Join(First(kHandMadeCopy, sentBefore), {"FMTE"}));
        EXPECT_TRUE(prompter.Messages().empty());
    }
}

// --- Names on the command line -------------------------------------------------------------

// A name from a file or a generator's list that would break the command
// line it goes into is refused before the first command, in every operation.
TEST_F(FormatTrafficTest, NamesThatWouldBreakACommandLineSendNothing)
{
    struct Operation
    {
        const char* what;
        const char* outcome;
        std::function<bool(CFormat&, const QString&, CGenerator&, CGenerator&)> run;
    };
    const Operation operations[] = {
        {"send", "cannot be sent",
         [](CFormat& f, const QString& name, CGenerator& g, CGenerator&) {
             f.SetName(name);
             CProgressDlg progress(nullptr, true);
             return f.SendToGenerator(&g, &progress);
         }},
        {"check", "cannot be sent",
         [](CFormat& f, const QString& name, CGenerator& g, CGenerator&) {
             CGeneralFormatData data;
             data.name = name;
             return f.CheckFormat(&g, data, nullptr);
         }},
        {"recall", "was not recalled",
         [](CFormat& f, const QString& name, CGenerator& g, CGenerator&) { return f.RecallFromGenerator(name, &g, nullptr); }},
        {"copy", "was not copied",
         [](CFormat&, const QString& name, CGenerator& g, CGenerator& t) {
             return CopyFormatBetweenGenerators(name, &g, &t, nullptr);
         }},
    };
    struct Name
    {
        QString name;
        const char* shown;
        const char* reason;
    };
    const Name names[] = {
        {QStringLiteral("PAL\"50"), "PAL\"50", "a double quote"},
        {QStringLiteral("VGA;FMTK VGA"), "VGA;FMTK VGA", "a semicolon"},
        {QStringLiteral("A>B"), "A>B", "a \">\""},
        {QStringLiteral("VGA\r\nFMTK VGA"), "VGA\\x0D\\x0AFMTK VGA", "a carriage return"},
        {QStringLiteral("VGA\nX"), "VGA\\x0AX", "a line feed"},
        {QString(QLatin1String("VGA\0X", 5)), "VGA\\x00X", "a NUL character"},
        {QStringLiteral("VGA\tX"), "VGA\\x09X", "the control character \\x09"},
        {QStringLiteral("VGA\x7f"), "VGA\\x7F", "the control character \\x7F"},
    };
    for (const Operation& op : operations) {
        for (const Name& n : names) {
            SCOPED_TRACE(std::string(op.what) + " " + n.shown);
            port.commands.clear();
            CFormat format(&owner);
            prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Format Error")), IDOK, MB_OK | MB_ICONEXCLAMATION);
            CGenerator gen(nullptr, kCom1);
            CGenerator other(nullptr, kCom2);
            EXPECT_FALSE(op.run(format, n.name, gen, other));
            EXPECT_TRUE(port.commands.empty());
            EXPECT_EQ(prompter.Messages().back().text,
                      QStringLiteral("The format \"%1\" %2: The name holds %3, which a command line cannot carry.")
                          .arg(QString::fromLatin1(n.shown), QLatin1String(op.outcome), QLatin1String(n.reason)));
        }
    }
}

// What the generator's own lists hold goes out as it is, between quotes.
TEST_F(FormatTrafficTest, NamesFromTheGeneratorsListsGoOutUnchanged)
{
    for (const char* name : {"AT&T_SVC", "Focus_@6", "PAL 50, 2:1 (x)"}) {
        SCOPED_TRACE(name);
        port.commands.clear();
        ScriptFormatCheck("0");
        item.SetName(QString::fromLatin1(name));
        CGenerator gen(nullptr, kCom1);
        CProgressDlg progress(nullptr, true);
        EXPECT_TRUE(item.SendToGenerator(&gen, &progress));
        const std::string quoted = std::string("\"") + name + "\"";
        ASSERT_EQ(port.commands.size(), kDefaultUpload.size() + 2);
        EXPECT_EQ(First(port.commands, 3), (Commands{"FMTN " + quoted, "FMTB", "NAME " + quoted}));
        EXPECT_EQ(port.commands.back(), "FMTA " + quoted);
    }
}

// --- A lost link ---------------------------------------------------------------------------

// The time-out shows the one box; the operation stops at its next step
// (the commands of the group under way fail at once, without traffic or box).
TEST_F(FormatTrafficTest, LostLinkEndsEachOperationWithOneBox)
{
    struct Case
    {
        const char* what;
        std::string timesOut;
        std::function<bool(CFormat&, CGenerator&, CGenerator&)> run;
        quint64 failedCommands; // the time-out and the rest of its group
    };
    const Case cases[] = {
        {"send", "VRES 480", [](CFormat& f, CGenerator& g, CGenerator&) { return f.SendToGenerator(&g, nullptr); }, 8},
        {"check", "VRES 480",
         [](CFormat& f, CGenerator& g, CGenerator&) { return f.CheckFormat(&g, f.Data(), nullptr); }, 8},
        {"recall", "VRES?",
         [](CFormat& f, CGenerator& g, CGenerator&) { return f.RecallFromGenerator(QStringLiteral("X"), &g, nullptr); },
         9},
        {"copy", "VRES?",
         [](CFormat&, CGenerator& g, CGenerator& t) {
             return CopyFormatBetweenGenerators(QStringLiteral("X"), &g, &t, nullptr);
         },
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TracingPort fresh;
        fresh.Script(c.timesOut, "", MORVANE_E_TIMEOUT);
        ExpectCommunicationError();
        CGenerator gen(nullptr, kCom1);
        CGenerator other(nullptr, kCom2);
        const size_t boxesBefore = prompter.Messages().size();
        const quint64 failuresBefore = CGenerator::HaltingFailureCount();
        EXPECT_FALSE(c.run(item, gen, other));
        EXPECT_EQ(prompter.Messages().size(), boxesBefore + 1);
        EXPECT_EQ(CGenerator::HaltingFailureCount() - failuresBefore, c.failedCommands);
        // Nothing reached a generator after the time-out but the target's edit buffer closing.
        const auto at = std::find(fresh.commands.begin(), fresh.commands.end(), c.timesOut);
        ASSERT_NE(at, fresh.commands.end());
        const Commands after(at + 1, fresh.commands.end());
        EXPECT_EQ(after, std::string(c.what) == "copy" ? Commands{"FMTE"} : Commands{});
        EXPECT_EQ(item.Data().name, QStringLiteral("Format"));
    }
}

} // namespace
