#include "CGenerator.h"

#include "CProgressDlg.h"
#include "CSelectPortDlg.h"
#include "FakePort.h"
#include "KnobListLink.h"

#include "Profile.h"
#include "TestSupport.h"
#include "TestPorts.h"
#include "FakeKnobList.h"

#include <QDir>
#include <QFile>

#include <clocale>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {


using Commands = std::vector<std::string>;

class GeneratorTest : public PlatformTest
{
protected:
    void ExpectCommunicationError(const QString& text)
    {
        PromptMatch match = PromptMatch::Id(kCommandErrorId).AndCaption(QStringLiteral("Communication Error"));
        match.text = text;
        prompter.ExpectMessage(match, IDOK, kWarningBox);
    }

    void ExpectConnectError(const QString& text)
    {
        prompter.ExpectMessage(PromptMatch::Text(text).AndCaption(QStringLiteral("Connect Error")), IDOK, kWarningBox);
    }

    // The port dialog answers with the type and number stored last.
    void ChoosePort(int type, const char* key, int number)
    {
        WriteProfileInt(QStringLiteral("Port"), QStringLiteral("Type"), type);
        WriteProfileInt(QStringLiteral("Port"), QString::fromLatin1(key), number);
        prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [](QDialog& d) { d.accept(); });
    }

    QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
        return file.readAll();
    }

    FakePort port;
};

// --- Readers -------------------------------------------------------------------

struct ReaderCase
{
    const char* reply;
    bool asBool;
    int asInt;
    double asDouble;
    const char* asString;
};

const ReaderCase kReaderCases[] = {
    {"", true, 0, 0.0, ""},
    {"0\r\n", false, 0, 0.0, "0"},
    {"1\r\n", true, 1, 1.0, "1"},
    {"07", false, 7, 7.0, ""},
    {"42\r\n>", true, 42, 42.0, "42"},
    {"  -7x\r\n", true, -7, -7.0, "  -7x"},
    {"abc\r\nsecond\r\n", true, 0, 0.0, "abc"},
    {"7.011\r\n", true, 7, 7.011, "7.011"},
    {"+2.5e1\r\n", true, 2, 25.0, "+2.5e1"},
    {"99999999999", true, INT_MAX, 99999999999.0, ""},
    {"31469,5\r\n", true, 31469, 31469.0, "31469,5"},
};

class ReaderTest : public GeneratorTest, public ::testing::WithParamInterface<bool>
{
};

// The same replies must read the same with the command log on and off, and
// under a desktop locale whose decimal sign is a comma.
TEST_P(ReaderTest, RepliesReadAsTheirKind)
{
    CGenerator gen(nullptr, kCom2);
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), tempDir.path());
    ASSERT_TRUE(gen.EnableCommandLog(GetParam()));
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    const std::string savedLocale = saved ? saved : "C";
    std::setlocale(LC_NUMERIC, "de_DE.utf8");
    for (const ReaderCase& c : kReaderCases) {
        SCOPED_TRACE(c.reply);
        port.fallback = {c.reply, 0};
        EXPECT_EQ(gen.SendQueryBool(QStringLiteral("AVPG?")), c.asBool);
        EXPECT_EQ(gen.SendQueryInt(QStringLiteral("HRES?")), c.asInt);
        EXPECT_DOUBLE_EQ(gen.SendQueryDouble(QStringLiteral("HRAT?")), c.asDouble);
        EXPECT_EQ(gen.SendQueryString(QStringLiteral("FMTU?")), QString::fromLatin1(c.asString));
    }
    std::setlocale(LC_NUMERIC, savedLocale.c_str());
}

// A refused command still hands its reply to the reader, logging or not.
TEST_P(ReaderTest, FailedCommandKeepsItsReplyForTheReader)
{
    CGenerator gen(nullptr, kCom2);
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), tempDir.path());
    ASSERT_TRUE(gen.EnableCommandLog(GetParam()));
    port.Script("HRES?", "Command invalid 640\r\n", MORVANE_E_COMMAND_INVALID);
    ExpectCommunicationError(QStringLiteral("Command: \"HRES?\"\nThe sent command string was invalid."));
    gen.SendCommandText(QStringLiteral("HRES?"));
    EXPECT_EQ(gen.GetLastReply(), QStringLiteral("Command invalid 640\r\n"));
    EXPECT_EQ(gen.LastCommandError(), MORVANE_E_COMMAND_INVALID);
}

INSTANTIATE_TEST_SUITE_P(LogOnAndOff, ReaderTest, ::testing::Bool());

TEST_F(GeneratorTest, RgbRepliesAreSplitAtTheirCommasAndClamped)
{
    struct Case
    {
        const char* reply;
        double r, g, b;
    };
    const Case cases[] = {
        {"0.5,2,-1", 0.5, 1.0, 0.0},
        {"0.5", 0.0, 0.0, 0.0},
        {"0.1,0.2,0.3\r\n", 0.1, 0.2, 0.3},
        {",1,1", 0.0, 0.0, 0.0},      // nothing before the first comma
        {"0.2,,0.3", 0.2, 0.0, 0.0},  // the second comma right after the first
        {"0.4,0.6", 0.4, 0.0, 0.0},   // no second comma
        {"nan,0.5,1.5", 0.0, 0.5, 1.0},
        {"", 0.0, 0.0, 0.0},
    };
    CGenerator gen(nullptr, kCom2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.fallback = {c.reply, 0};
        RgbTriple rgb(0.9, 0.9, 0.9);
        gen.SendQueryRgb(QStringLiteral("ASSG?"), rgb);
        EXPECT_DOUBLE_EQ(rgb.r, c.r);
        EXPECT_DOUBLE_EQ(rgb.g, c.g);
        EXPECT_DOUBLE_EQ(rgb.b, c.b);
    }
}

TEST_F(GeneratorTest, ReplyLinesEndAtEachCrLfAndLoseTrailingBlanks)
{
    struct Case
    {
        const char* reply;
        QStringList lines;
    };
    const Case cases[] = {
        {"A  \r\nB\r\nC", {"A", "B"}},
        {"", {}},
        {"no line end", {}},
        {"X\t\r\n\r\n  Y\r\n", {"X", "", "  Y"}},
        {"ABC,1\r\nDef,0\r\n>", {"ABC,1", "Def,0"}},
    };
    CGenerator gen(nullptr, kCom2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        port.fallback = {c.reply, 0};
        gen.SendCommandText(QStringLiteral("FMTQ? 1 450"));
        QStringList lines{QStringLiteral("stale")};
        gen.GetReplyLines(lines);
        EXPECT_EQ(lines, c.lines);
    }
}

// A reply longer than the old 6000-byte buffer: 450 names with flags.
TEST_F(GeneratorTest, LongNameListsArriveWhole)
{
    std::string reply;
    for (int i = 0; i < 450; ++i)
        reply += "LongFormatName" + std::to_string(1000 + i) + ",1\r\n";
    ASSERT_GT(reply.size(), 6000u);
    port.fallback = {reply, 0};
    CGenerator gen(nullptr, kCom2);
    QStringList names;
    gen.QueryFmtqList(1, 450, names, true);
    ASSERT_EQ(names.size(), 450);
    EXPECT_EQ(names.last(), QStringLiteral("LongFormatName1449,1"));
}

// --- Send path -----------------------------------------------------------------

TEST_F(GeneratorTest, SendCommandTextWaitsForAReplyOnlyForQueries)
{
    CGenerator gen(nullptr, MORVANE_PORT_GPIB); // GPIB shows whether a reply is read
    gen.SendCommandText(QStringLiteral("HRES 640"));
    gen.SendCommandText(QStringLiteral("HRES?"));
    gen.SendCommandText(QStringLiteral("?RES")); // a "?" first is not a query
    EXPECT_EQ(port.commands, (Commands{"HRES 640", "HRES?", "?RES"}));
    EXPECT_EQ(port.replyBufferGiven, (std::vector<bool>{false, true, false}));
}

TEST_F(GeneratorTest, WithoutAPortCommandsSendNothingButReadersAskTheLibrary)
{
    CGenerator gen(nullptr);
    gen.SendCommandText(QStringLiteral("HRES 640"));
    EXPECT_NE(gen.LastCommandError(), 0);
    ExpectCommunicationError(QStringLiteral("Command: \"VERF?\"\nThe given port ID did not specify a valid port type."));
    EXPECT_EQ(gen.QueryVerf(), 0.0);
    EXPECT_TRUE(port.commands.empty());
}

// One box for a lost link, then the operation's further commands fail at
// once without traffic or boxes, until a handshake succeeds again.
TEST_F(GeneratorTest, LostLinkShowsOneBoxThenFailsQuietlyUntilHandshake)
{
    CGenerator gen(nullptr, kCom2);
    CGenerator other(nullptr, MORVANE_PORT_COM);
    const quint64 failuresBefore = CGenerator::HaltingFailureCount();
    port.Script("HRES 640", "", MORVANE_E_NO_ECHO);
    ExpectCommunicationError(QStringLiteral("Command: \"HRES 640\"\nThe port did not echo a sent character in the required minimum time."));
    port.generatorRate = 0;

    gen.SendCommandText(QStringLiteral("HRES 640"));
    gen.SendCommandText(QStringLiteral("VRES 480"));
    EXPECT_EQ(gen.SendQueryInt(QStringLiteral("HRES?")), 0);
    gen.CmdFmta(QStringLiteral("Mine"), true);

    EXPECT_EQ(port.commands, (Commands{"HRES 640"}));
    EXPECT_TRUE(gen.IsLinkLost());
    EXPECT_FALSE(other.IsLinkLost());
    EXPECT_TRUE(CGenerator::AnyLinkLost());
    EXPECT_EQ(gen.LastCommandError(), MORVANE_E_TIMEOUT);
    EXPECT_EQ(CGenerator::HaltingFailureCount(), failuresBefore + 4);

    EXPECT_FALSE(gen.CheckLink()); // still silent
    port.generatorRate = 2400;
    EXPECT_TRUE(gen.CheckLink());
    EXPECT_FALSE(CGenerator::AnyLinkLost());
    gen.SendCommandText(QStringLiteral("VRES 480"));
    EXPECT_EQ(port.commands, (Commands{"HRES 640", "VRES 480"}));
    EXPECT_TRUE(gen.LastCommandSucceeded());
}

TEST_F(GeneratorTest, RefusalsAreAnswersNotALostLink)
{
    CGenerator gen(nullptr, kCom2);
    port.fallback = {"Execution error: 3\r\n", MORVANE_E_EXECUTION};
    const QString text = QStringLiteral("An error occured while executing a command.");
    ExpectCommunicationError(QStringLiteral("Command: \"FMTA \"x\"\"\n") + text);
    ExpectCommunicationError(QStringLiteral("Command: \"IMGA y\"\n") + text);
    gen.CmdFmta(QStringLiteral("x"), false);
    gen.CmdImga(QStringLiteral("y"), false);
    EXPECT_EQ(port.commands, (Commands{"FMTA \"x\"", "IMGA y"}));
    EXPECT_FALSE(gen.IsLinkLost());
}

// Inside an operation the first failure (any reason the line or the
// generator gives) shows its box and halts the rest of the operation; the
// end of the outermost operation clears it. Outside, every failure is shown.
TEST_F(GeneratorTest, FirstFailureOfAnOperationHaltsItsOtherCommands)
{
    for (const int code : {MORVANE_E_BAD_ECHO, MORVANE_E_NO_ACK, MORVANE_E_COMMAND_INVALID, MORVANE_E_EXECUTION}) {
        SCOPED_TRACE(code);
        FakePort fresh;
        fresh.fallback = {"", code};
        CGenerator gen(nullptr, kCom2);
        const quint64 failuresBefore = CGenerator::HaltingFailureCount();
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        {
            CGenerator::Operation outer(&gen);
            {
                CGenerator::Operation inner(&gen);
                gen.SendCommandText(QStringLiteral("HRES 640"));
                gen.SendCommandText(QStringLiteral("VRES 480"));
            }
            EXPECT_TRUE(gen.IsHalted()) << "the inner end does not clear the outer failure";
            EXPECT_EQ(gen.SendQueryInt(QStringLiteral("HRES?")), 0);
            EXPECT_EQ(gen.LastCommandError(), code);
            EXPECT_FALSE(gen.IsLinkLost());
        }
        EXPECT_EQ(fresh.commands, (Commands{"HRES 640"}));
        EXPECT_EQ(CGenerator::HaltingFailureCount(), failuresBefore + 3);
        prompter.VerifyAllUsed();

        EXPECT_FALSE(gen.IsHalted());
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        gen.SendCommandText(QStringLiteral("HRES 640"));
        gen.SendCommandText(QStringLiteral("VRES 480"));
        EXPECT_EQ(fresh.commands, (Commands{"HRES 640", "HRES 640", "VRES 480"})) << "outside operations each is sent";
        EXPECT_EQ(CGenerator::HaltingFailureCount(), failuresBefore + 3);
        prompter.VerifyAllUsed();
    }
}

// Putting the generator back goes on after the operation failed, quietly;
// a lost link refuses it too.
TEST_F(GeneratorTest, PutBackIsSentAfterAFailureButNotOnALostLink)
{
    CGenerator gen(nullptr, kCom2);
    port.Script("FMTB", "", MORVANE_E_EXECUTION);
    port.Script("FMTE", "", MORVANE_E_EXECUTION);
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    {
        CGenerator::Operation operation(&gen);
        gen.CmdFmtb();
        gen.CmdFmte(); // refused: the operation failed
        {
            CGenerator::PutBack putBack(&gen);
            EXPECT_FALSE(gen.IsHalted());
            gen.CmdFmte(); // fails again, without a second box
            gen.CmdFmtl(QStringLiteral("VGA"));
        }
        EXPECT_TRUE(gen.IsHalted());
    }
    EXPECT_EQ(port.commands, (Commands{"FMTB", "FMTE", "FMTL \"VGA\""}));

    port.Script("HRES 640", "", MORVANE_E_NO_ECHO);
    prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    {
        CGenerator::Operation operation(&gen);
        gen.SendCommandText(QStringLiteral("HRES 640"));
        CGenerator::PutBack putBack(&gen);
        EXPECT_TRUE(gen.IsHalted());
        gen.CmdFmte();
    }
    EXPECT_EQ(port.commands.back(), "HRES 640");
    EXPECT_TRUE(gen.CheckLink());
}

TEST_F(GeneratorTest, LostLinkCancelsTheRunningProgressDialog)
{
    CGenerator gen(nullptr, kCom2);
    CProgressDlg progress(nullptr, true);
    EXPECT_FALSE(progress.IsCancelled());
    port.fallback = {"", MORVANE_E_TIMEOUT};
    ExpectCommunicationError(QStringLiteral("Command: \"SEQQ? 1 450\"\nThe generator did not answer in time."));
    gen.RefreshSequenceList();
    EXPECT_TRUE(progress.IsCancelled());
    progress.DestroyWindow();
}

TEST_F(GeneratorTest, PortErrorTextIsABlankWithoutAnError)
{
    CGenerator gen(nullptr, kCom2);
    QString text;
    port.error = 0;
    EXPECT_FALSE(gen.GetPortErrorText(text));
    EXPECT_EQ(text, QStringLiteral(" "));
    port.error = MORVANE_E_HANDSHAKE;
    EXPECT_TRUE(gen.GetPortErrorText(text));
    EXPECT_EQ(text, QString::fromLatin1(FakePort::TextOf(MORVANE_E_HANDSHAKE)));
}

// --- Port names, firmware gates, lifetime ----------------------------------------

TEST_F(GeneratorTest, PortNamesFollowTheTypeAndSlot)
{
    struct Case
    {
        PortId id;
        const char* name;
    };
    const Case cases[] = {
        {0, "No Port"},
        {MORVANE_PORT_ISA | 3, "Isa-3"},
        {MORVANE_PORT_COM, "Com-1"},
        {MORVANE_PORT_COM | 1, "Com-2"},
        {MORVANE_PORT_PCI, "Pci-1"},
        {MORVANE_PORT_GPIB, "Gpib-0:0"},
        {0x30000, "No Port"},
    };
    for (const Case& c : cases) {
        CGenerator gen(nullptr, c.id);
        EXPECT_EQ(gen.GetPortName(), QString::fromLatin1(c.name)) << c.id;
    }
}

TEST_F(GeneratorTest, FirmwareVersionSetsTheGates)
{
    struct Case
    {
        double version;
        bool extended, fonts;
    };
    const Case cases[] = {
        {0.0, false, false}, {7.0109, false, false}, {7.011, true, false},
        {7.02, true, false}, {7.021, true, true},    {12.0, true, true},
    };
    CGenerator gen(nullptr);
    for (const Case& c : cases) {
        gen.SetFirmwareVersion(c.version);
        EXPECT_EQ(gen.GetFirmwareVersion(), c.version);
        EXPECT_EQ(gen.HasExtendedLists(), c.extended) << c.version;
        EXPECT_EQ(gen.FontsSupported(), c.fonts) << c.version;
        EXPECT_EQ(gen.PixelMapsSupported(), c.fonts) << c.version;
    }
}

TEST_F(GeneratorTest, DestructorClosesThePortAndReleasesTheLinks)
{
    FakeKnobList twice;
    FakeKnobList detached;
    {
        auto* gen = new CGenerator(nullptr, kCom2);
        CGenerator::MakeCurrent(gen);
        gen->AttachKnobList(&twice);
        gen->AttachKnobList(&detached);
        gen->AttachKnobList(&twice);
        gen->DetachKnobList(&detached);
        delete gen;
    }
    EXPECT_EQ(port.closed, (std::vector<PortId>{kCom2}));
    EXPECT_EQ(twice.detached, 2);
    EXPECT_EQ(detached.detached, 0);
    EXPECT_EQ(g_pCurrentGenerator, nullptr);
}

// --- Opening and the baud rate -------------------------------------------------

TEST_F(GeneratorTest, NoUsablePciCardGivesUpSilently)
{
    port.pciCards = 0;
    ChoosePort(3, "Pci", 1);
    CGenerator gen(nullptr);
    EXPECT_FALSE(gen.OpenPort());
    EXPECT_TRUE(port.opens.empty());
}

TEST_F(GeneratorTest, CancelledPortDialogOpensNothing)
{
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [](QDialog& d) { d.reject(); });
    CGenerator gen(nullptr);
    EXPECT_FALSE(gen.OpenPort());
    EXPECT_TRUE(port.opens.empty());
}

TEST_F(GeneratorTest, OpenFindsAGeneratorAt9600AndReadsItsFirmware)
{
    port.generatorRate = 9600;
    port.Script("VERF?", "7.021\r\n");
    ChoosePort(2, "Com", 2);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    EXPECT_EQ(port.opens, (Commands{"com2"}));
    EXPECT_EQ(port.rateCalls, (std::vector<int>{115200, 57600, 38400, 19200, 9600}));
    EXPECT_EQ(gen.GetPort(), kCom2);
    EXPECT_EQ(port.commands, (Commands{"VERF?"}));
    EXPECT_DOUBLE_EQ(gen.GetFirmwareVersion(), 7.021);
    EXPECT_TRUE(gen.FontsSupported());
}

TEST_F(GeneratorTest, OpenWithoutAGeneratorTriesEveryRateThenCloses)
{
    port.generatorRate = 0;
    ChoosePort(2, "Com", 1);
    ExpectConnectError(QString::fromLatin1(FakePort::TextOf(MORVANE_E_HANDSHAKE))
                       + QStringLiteral("\n\nNo generator answered on Com-1."));
    CGenerator gen(nullptr);
    EXPECT_FALSE(gen.OpenPort());
    EXPECT_EQ(port.rateCalls, (std::vector<int>{115200, 57600, 38400, 19200, 9600, 2400, 1200, 300}));
    EXPECT_EQ(port.closed, (std::vector<PortId>{MORVANE_PORT_COM}));
    EXPECT_EQ(gen.GetPort(), 0u);
    EXPECT_TRUE(port.commands.empty());
}

// The refusal's text is the caller's to show, where the user asked: the
// open shows no box of its own, and the library's error stays to be read.
TEST_F(GeneratorTest, OpenRefusedByTheLibraryLeavesItsTextToTheCaller)
{
    port.openError = MORVANE_E_COM_CREATE;
    ChoosePort(2, "Com", 3);
    CGenerator gen(nullptr);
    EXPECT_FALSE(gen.OpenPort());
    prompter.VerifyAllUsed();
    EXPECT_TRUE(port.closed.empty());
    QString text;
    ASSERT_TRUE(gen.GetPortErrorText(text));
    EXPECT_EQ(text, QString::fromLatin1(FakePort::TextOf(MORVANE_E_COM_CREATE)));
}

// A card stalled by a call that timed out: the box says so and offers
// Forced Init; taken, the card is forced and the open tried again.
TEST_F(GeneratorTest, AStalledCardIsOfferedForcedInit)
{
    const QString timedOut = QStringLiteral("The generator card did not answer in time. If it stays silent, reset it with "
                                            "Forced Init... and connect again.\n\nForce the card to re-initialize now "
                                            "and connect again? Forced Init erases the generator's memory.");
    const struct {
        const char* name;
        int answer;
        bool forceWorks;
        bool connected;
        const char* afterwards; // the box that follows; empty: none
    } rows[] = {
        {"declined", IDNO, true, false, ""},
        {"forced", IDYES, true, true, ""},
        {"no card there", IDYES, false, false,
         "The card could not be forced to re-initialize; no generator card was detected there."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakePort fresh;
        fresh.openError = MORVANE_E_TIMEOUT;
        fresh.forceInitWorks = row.forceWorks;
        fresh.generatorRate = 2400;
        fresh.Script("VERF?", "3.05\r\n");
        ChoosePort(1, "Isa", 0);
        prompter.ExpectMessage(PromptMatch::Text(timedOut).AndCaption(QStringLiteral("Connect Error")), row.answer,
                               MB_YESNO | MB_ICONWARNING);
        if (*row.afterwards != '\0')
            ExpectConnectError(QString::fromLatin1(row.afterwards));
        CGenerator gen(nullptr);
        EXPECT_EQ(gen.OpenPort(), row.connected);
        EXPECT_EQ(fresh.forceInits.size(), row.answer == IDYES ? 1u : 0u);
        EXPECT_EQ(fresh.opens.size(), row.connected ? 2u : 1u);
        prompter.VerifyAllUsed();
    }
}

TEST_F(GeneratorTest, OpenOnGpibKeepsTheAddressForTheName)
{
    ChoosePort(4, "Gpib", 5);
    port.Script("VERF?", "3.1\r\n");
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    EXPECT_EQ(port.opens, (Commands{"gpib5:0"}));
    EXPECT_EQ(gen.GetPortName(), QStringLiteral("Gpib-5:0"));
    EXPECT_TRUE(port.rateCalls.empty()); // no baud search off serial ports
}

TEST_F(GeneratorTest, ChangeBaudRateTellsTheGeneratorAndReopens)
{
    struct Case
    {
        int from, to;
        BaudChange result;
        std::vector<int> rateCalls;
    };
    const std::vector<Case> cases = {
        {9600, 9600, BaudChange::Done, {}},       // nothing to do
        {9600, 2400, BaudChange::Done, {}},       // reopening at 2400 is enough
        {2400, 38400, BaudChange::Done, {38400}}, // reopen, then the new rate answers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        FakePort fresh;
        fresh.generatorRate = c.from;
        fresh.rate = c.from;
        CGenerator gen(nullptr, kCom2);
        EXPECT_EQ(gen.ChangeBaudRate(c.to), c.result);
        EXPECT_EQ(fresh.rateCalls, c.rateCalls);
        EXPECT_EQ(gen.GetBaudRate(), c.to);
        if (c.from == c.to) {
            EXPECT_TRUE(fresh.putChars.empty());
        } else {
            EXPECT_EQ(fresh.putChars, "MODE COM1 " + std::to_string(c.to) + " N 8 1 H\r");
            EXPECT_EQ(fresh.opens, (Commands{"com2"}));
        }
    }
}

TEST_F(GeneratorTest, ChangeBaudRateLosingTheGeneratorLeavesNoPort)
{
    port.rate = 9600;
    port.generatorRate = 0; // it went away and never comes back
    port.takesMode = false;
    prompter.ExpectMessage(PromptMatch::Id(33021).AndCaption(QStringLiteral("Connect Error")), IDOK, kWarningBox);
    CGenerator gen(nullptr, kCom2);
    EXPECT_EQ(gen.ChangeBaudRate(19200), BaudChange::LinkLost);
    EXPECT_EQ(gen.GetPort(), 0u);
    EXPECT_EQ(port.rateCalls, (std::vector<int>{19200, 115200, 57600, 38400, 19200, 9600, 2400, 1200, 300}));
}

TEST_F(GeneratorTest, ChangeBaudRateOffSerialPortsDoesNothing)
{
    CGenerator gen(nullptr, MORVANE_PORT_PCI);
    EXPECT_EQ(gen.ChangeBaudRate(9600), BaudChange::NotDone);
    EXPECT_TRUE(port.putChars.empty());
}

// --- Command log and raw transfers -------------------------------------------------

TEST_F(GeneratorTest, CommandLogRecordsTrafficInThePortsFile)
{
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), tempDir.path());
    CGenerator gen(nullptr, kCom2);
    EXPECT_EQ(gen.CommandLogPath(), tempDir.filePath(QStringLiteral("Com-2.txt")));
    ASSERT_TRUE(gen.EnableCommandLog(true));
    EXPECT_TRUE(gen.EnableCommandLog(true));

    port.Script("HRES?", "640\r\n");
    port.Script("XRES 1", "Command invalid\r\n", MORVANE_E_COMMAND_INVALID);
    ExpectCommunicationError(QStringLiteral("Command: \"XRES 1\"\nThe sent command string was invalid."));
    gen.SendCommandText(QStringLiteral("HRES?"));
    gen.SendCommandText(QStringLiteral("XRES 1"));
    EXPECT_TRUE(gen.PutString(QStringLiteral("MODE a_1")));
    port.input = {'O', 'K', '\r', '\n'};
    EXPECT_TRUE(gen.GetString());
    EXPECT_TRUE(gen.EnableCommandLog(false));

    const QByteArray expected = "HRES?\n640\r\n\n"
                                "XRES 1\nCommand invalid\r\n\n"
                                "Port Error: 10003\nThe sent command string was invalid.\n"
                                "\nPutString: \"MODE(20)a_1(0xd)\""
                                "\nGetString: \"OK(d)(a)";
    EXPECT_EQ(ReadFile(tempDir.filePath(QStringLiteral("Com-2.txt"))), expected);
}

TEST_F(GeneratorTest, CommandLogThatCannotBeCreatedIsRefused)
{
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), tempDir.path());
    ASSERT_TRUE(QDir(tempDir.path()).mkdir(QStringLiteral("Com-2.txt"))); // a folder in the file's place
    CGenerator gen(nullptr, kCom2);
    EXPECT_FALSE(gen.EnableCommandLog(true));
    EXPECT_FALSE(gen.IsCommandLogOn());
    gen.SendCommandText(QStringLiteral("HRES 640")); // sending goes on without a log
    EXPECT_EQ(port.commands, (Commands{"HRES 640"}));
}

TEST_F(GeneratorTest, GetStringGivesUpAfterTenSilentSeconds)
{
    CGenerator gen(nullptr, kCom2);
    port.input = {'x'};
    EXPECT_FALSE(gen.GetString());
    EXPECT_GE(port.now, 10000);
    EXPECT_LT(port.now, 11000);
}

TEST_F(GeneratorTest, RawTransfersAreRefusedOnGpib)
{
    CGenerator gen(nullptr, MORVANE_PORT_GPIB);
    EXPECT_FALSE(gen.PutString(QStringLiteral("MODE")));
    EXPECT_FALSE(gen.GetString());
    EXPECT_EQ(port.putAttempts, 0);
}

class SendFileTest : public GeneratorTest
{
protected:
    void SetUp() override
    {
        GeneratorTest::SetUp();
        file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        for (int i = 0; i < 5000; ++i)
            std::fputc(i & 0xFF, file);
        std::rewind(file);
    }
    void TearDown() override
    {
        if (file != nullptr)
            std::fclose(file);
        GeneratorTest::TearDown();
    }

    FILE* file = nullptr;
};

TEST_F(SendFileTest, SendsEveryByteAndReportsEach2024)
{
    CGenerator gen(nullptr, kCom2);
    CProgressDlg progress(nullptr, true);
    QStringList seen;
    port.onPut = [&](int) {
        const QString status = progress.GetStatus(1030);
        if (seen.isEmpty() || seen.last() != status)
            seen << status;
    };
    EXPECT_TRUE(gen.SendFile(file, &progress));
    EXPECT_EQ(seen, (QStringList{"Sent: 0 Bytes", "Sent: 2024 Bytes", "Sent: 4048 Bytes"}));
    ASSERT_EQ(port.putChars.size(), 5000u);
    EXPECT_EQ(static_cast<unsigned char>(port.putChars[4999]), 4999 & 0xFF);
    progress.DestroyWindow();
}

TEST_F(SendFileTest, StopsAtTheFirstFailedPut)
{
    CGenerator gen(nullptr, kCom2);
    port.failPutAt = 3000;
    EXPECT_FALSE(gen.SendFile(file, nullptr));
    EXPECT_EQ(port.putAttempts, 3001);
    EXPECT_EQ(port.putChars.size(), 3000u);
}

TEST_F(SendFileTest, CancelEndsTheTransfer)
{
    CGenerator gen(nullptr, kCom2);
    CProgressDlg progress(nullptr, true);
    port.onPut = [&](int index) {
        if (index == 100)
            progress.OnCancel();
    };
    EXPECT_FALSE(gen.SendFile(file, &progress));
    EXPECT_EQ(port.putChars.size(), 2024u);
    progress.DestroyWindow();
}

} // namespace
