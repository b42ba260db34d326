#include "CGeneratorState.h"

#include "CGenerator.h"
#include "FakePort.h"
#include "IdnReply.h"

#include "Profile.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "TestPorts.h"

#include <QDialog>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

// What CmdAllu asks before it applies: whether an animated image is in use
// (firmware 0 knows the animated images by name, without ANIM?).
const Commands kAllu = {"IMGU?", "IMGN?", "ALLU;*OPC?"};

Commands Join(Commands a, const Commands& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class GeneratorStateTest : public PlatformTest
{
protected:
    void ScriptSignal(const char* gates, const char* sync, const char* output, const char* version)
    {
        port.Script("XVSG?", gates);
        port.Script("SSST?", sync);
        port.Script("OUTG?", output);
        port.Script("IVER?", version);
    }

    // A record as a read of a generator leaves it.
    CGeneratorState Recorded(CGenerator& gen)
    {
        CGeneratorState state(&gen);
        state.format = QStringLiteral("VGA 60");
        state.image = QStringLiteral("Cross");
        state.sequence = QStringLiteral("Demo");
        state.formatKnobList = QStringLiteral("fmt");
        state.imageKnobList = QStringLiteral("img");
        state.sequenceKnobList = QStringLiteral("seq");
        state.red = 1;
        state.green = 0;
        state.blue = 1;
        state.output = 1;
        state.SetSyncCode(3);
        state.imageVersion = 2;
        return state;
    }

    FakePort port;
};

TEST_F(GeneratorStateTest, ReadAsksInOrderAndFillsEveryField)
{
    port.Script("FMTU?", "VGA 60\r\n");
    port.Script("IMGU?", "Cross\r\n");
    port.Script("SEQU?", "Demo\r\n");
    port.Script("FMTP?", "fmt\r\n");
    port.Script("IMGP?", "img\r\n");
    port.Script("SEQP?", "\r\n");
    ScriptSignal("1,0,1\r\n", "6\r\n", "1\r\n", "3\r\n");
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state(&gen);
    state.sequenceKnobList = QStringLiteral("stale");
    state.Read();

    EXPECT_EQ(port.commands,
              (Commands{"FMTU?", "IMGU?", "SEQU?", "FMTP?", "IMGP?", "SEQP?", "XVSG?", "SSST?", "OUTG?", "IVER?"}));
    EXPECT_EQ(state.format, QStringLiteral("VGA 60"));
    EXPECT_EQ(state.image, QStringLiteral("Cross"));
    EXPECT_EQ(state.sequence, QStringLiteral("Demo"));
    EXPECT_EQ(state.formatKnobList, QStringLiteral("fmt"));
    EXPECT_EQ(state.imageKnobList, QStringLiteral("img"));
    EXPECT_EQ(state.sequenceKnobList, QString());
    EXPECT_EQ((std::vector<int>{state.red, state.green, state.blue}), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ((std::vector<int>{state.acs, state.dcs, state.dss}), (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(state.output, 1);
    EXPECT_EQ(state.imageVersion, 3);
}

TEST_F(GeneratorStateTest, ReadFormatAndSignalLeavesTheOtherNames)
{
    port.Script("FMTU?", "PAL\r\n");
    ScriptSignal("0,0,0\r\n", "1\r\n", "0\r\n", "-1\r\n");
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state = Recorded(gen);
    state.ReadFormatAndSignal();

    EXPECT_EQ(port.commands, (Commands{"FMTU?", "XVSG?", "SSST?", "OUTG?", "IVER?"}));
    EXPECT_EQ(state.format, QStringLiteral("PAL"));
    EXPECT_EQ(state.image, QStringLiteral("Cross"));
    EXPECT_EQ(state.sequence, QStringLiteral("Demo"));
    EXPECT_EQ(state.formatKnobList, QStringLiteral("fmt"));
    EXPECT_EQ((std::vector<int>{state.red, state.green, state.blue}), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ((std::vector<int>{state.acs, state.dcs, state.dss}), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(state.output, 0);
    EXPECT_EQ(state.imageVersion, -1);
}

TEST_F(GeneratorStateTest, ApplySendsInOrderAndLoadsNoSequence)
{
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state = Recorded(gen);
    state.Apply();

    EXPECT_EQ(port.commands, Join({"FMTP fmt", "IMGP img", "SEQP seq", "IMGL Cross", "FMTL \"VGA 60\"", "SEQL ",
                                   "XVSG 1 0 1", "SSST 3", "OUTG 1", "IVER 2"},
                                  kAllu));
    EXPECT_EQ(state.sequence, QStringLiteral("Demo"));
}

TEST_F(GeneratorStateTest, ApplyFormatAndSignalSendsOnlyThat)
{
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state = Recorded(gen);
    state.output = 0;
    state.SetSyncFlags(false, true, true);
    state.ApplyFormatAndSignal();

    EXPECT_EQ(port.commands, Join({"FMTL \"VGA 60\"", "XVSG 1 0 1", "SSST 11", "OUTG 0", "IVER 2"}, kAllu));
}

// A generator's sync selection must come back as it was read, also where
// the three flags cannot tell it (code 4, the DPMS states).
TEST_F(GeneratorStateTest, SyncSelectionRoundTripsThroughReadAndApply)
{
    struct Case
    {
        const char* reply;
        const char* sent;
        int acs, dcs, dss;
    };
    const Case cases[] = {
        {"13\r\n", "SSST 13", 0, 0, 0}, // DPMS ON
        {"8\r\n", "SSST 8", 0, 0, 0},   // DPMS OFF
        {"10\r\n", "SSST 10", 0, 0, 0},
        {"4\r\n", "SSST 4", 1, 0, 0},
        {"11\r\n", "SSST 11", 0, 1, 1},
        {"7\r\n", "SSST 7", 1, 1, 1},
        {"0\r\n", "SSST 0", 0, 0, 0},
        // No generator has these codes: shown and sent as none.
        {"12\r\n", "SSST 0", 0, 0, 0},
        {"99\r\n", "SSST 0", 0, 0, 0},
        {"-1\r\n", "SSST 0", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        FakePort fresh;
        fresh.Script("XVSG?", "0,0,0\r\n");
        fresh.Script("SSST?", c.reply);
        CGenerator gen(nullptr, kCom1);
        CGeneratorState state(&gen);
        state.ReadSignal();
        EXPECT_EQ((std::vector<int>{state.acs, state.dcs, state.dss}), (std::vector<int>{c.acs, c.dcs, c.dss}));
        CGeneratorState copy;
        copy = state;
        fresh.commands.clear();
        copy.ApplyFormatAndSignal();
        ASSERT_GE(fresh.commands.size(), 3u);
        EXPECT_EQ(fresh.commands[2], c.sent);
    }
}

TEST_F(GeneratorStateTest, ChangedFlagsWinOverTheCodeRead)
{
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state(&gen);
    state.SetSyncCode(13);
    EXPECT_EQ(state.SyncCodeToSend(), 13);
    state.acs = 1; // a sync switched on from the status pane
    EXPECT_EQ(state.SyncCodeToSend(), 3);
    state.SetSyncFlags(false, false, false);
    EXPECT_EQ(state.SyncCodeToSend(), 0); // switched off again: none, not DPMS
    state.SetSyncCode(4);
    state.SetSyncFlags(true, false, false);
    EXPECT_EQ(state.SyncCodeToSend(), 3);
}

TEST_F(GeneratorStateTest, CopyTakesEveryField)
{
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state = Recorded(gen);
    state.model = QStringLiteral("VG-7000");
    state.firmwareVersion = QStringLiteral("7.04");
    state.serialNumber = QStringLiteral("4711");
    state.SetSyncCode(13);
    CGeneratorState copy;
    copy = state;
    EXPECT_EQ(copy.generator, &gen);
    EXPECT_EQ(copy.model, state.model);
    EXPECT_EQ(copy.firmwareVersion, state.firmwareVersion);
    EXPECT_EQ(copy.serialNumber, state.serialNumber);
    EXPECT_EQ(copy.format, state.format);
    EXPECT_EQ(copy.image, state.image);
    EXPECT_EQ(copy.sequence, state.sequence);
    EXPECT_EQ(copy.formatKnobList, state.formatKnobList);
    EXPECT_EQ(copy.imageKnobList, state.imageKnobList);
    EXPECT_EQ(copy.sequenceKnobList, state.sequenceKnobList);
    EXPECT_EQ((std::vector<int>{copy.red, copy.green, copy.blue, copy.output, copy.imageVersion}),
              (std::vector<int>{1, 0, 1, 1, 2}));
    EXPECT_EQ(copy.SyncCodeToSend(), 13);
}

TEST_F(GeneratorStateTest, WithoutAGeneratorNothingIsSent)
{
    CGeneratorState state;
    state.Read();
    state.Apply();
    state.ReadIdentity();
    EXPECT_TRUE(port.commands.empty());
    EXPECT_TRUE(state.model.isEmpty());
}

TEST_F(GeneratorStateTest, ReadIdentityFillsModelVersionAndSerial)
{
    port.Script("*IDN?", "Veltrane,VG-7000,4711,7.011\r\n>");
    CGenerator gen(nullptr, kCom1);
    CGeneratorState state(&gen);
    state.ReadIdentity();
    EXPECT_EQ(port.commands, Commands{"*IDN?"});
    EXPECT_EQ(state.model, QStringLiteral("VG-7000"));
    EXPECT_EQ(state.firmwareVersion, QStringLiteral("7.011"));
    EXPECT_EQ(state.serialNumber, QStringLiteral("4711"));
}

TEST(IdnReplyTest, FieldsAreTakenUpToEachComma)
{
    struct Case
    {
        const char* reply;
        const char* model;
        const char* serial;
        const char* version;
    };
    const Case cases[] = {
        {"a,b,c,d\r\n", "b", "c", "d"},
        {"Veltrane,VG-7000,4711,7.011\r\n>", "VG-7000", "4711", "7.011"},
        {"a,b\r\n", "Unknown", "0", "0.0"},          // a single comma
        {"a,b,c\r\n", "b", "0", "0.0"},              // two commas
        {",b,c,d\r\n", "Unknown", "0", "0.0"},       // no maker
        {"", "Unknown", "0", "0.0"},
        {"no commas at all\r\n", "Unknown", "0", "0.0"},
        {"a,b,c,d,e\r\n", "b", "c", "d,e"},          // extra commas stay in the version
        {"a,,,\r\n", "", "", ""},
        {"a,b,c,d", "b", "c", "d"},                  // no line end: the rest
        {"a,b,c,d\n", "b", "c", "d"},
        {"a,b,c,\r\n", "b", "c", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        const IdnReply idn = ParseIdnReply(QString::fromLatin1(c.reply));
        EXPECT_EQ(idn.model, QString::fromLatin1(c.model));
        EXPECT_EQ(idn.serial, QString::fromLatin1(c.serial));
        EXPECT_EQ(idn.version, QString::fromLatin1(c.version));
    }
}

// --- Against a simulated generator ----------------------------------------------------------

class GeneratorStateSimTest : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        gensim::Generator& g = sim.addGenerator({.model = "VG-5000", .firmware = "7.03", .serial = "0815",
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

TEST_F(GeneratorStateSimTest, SignalReadBackAfterApplyIsWhatWasRecorded)
{
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    CGeneratorState state(&gen);
    state.ReadIdentity();
    EXPECT_EQ(state.model, QStringLiteral("VG-5000"));
    EXPECT_EQ(state.serialNumber, QStringLiteral("0815"));
    EXPECT_EQ(state.firmwareVersion, QStringLiteral("7.03"));

    state.ReadFormatAndSignal();
    state.output = 0;
    state.SetSyncFlags(false, true, true);
    state.imageVersion = 5;
    state.ApplyFormatAndSignal();
    EXPECT_TRUE(gen.LastCommandSucceeded());

    CGeneratorState back(&gen);
    back.ReadFormatAndSignal();
    EXPECT_EQ(back.format, state.format);
    EXPECT_EQ((std::vector<int>{back.acs, back.dcs, back.dss}), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(back.output, 0);
    EXPECT_EQ(back.imageVersion, 5);
}

} // namespace
