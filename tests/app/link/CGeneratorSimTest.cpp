// The connection through the real library to a simulated generator on a
// pseudo-terminal: the baud search, the firmware version, rate changes on
// both ends, a directory rewrite as the Send Data command makes it, a link
// that drops in the middle of an operation, and settings and the state
// record read back from the generator.

#include "CGenerator.h"

#include "CGeneratorState.h"
#include "CProgressDlg.h"
#include "StatusRecorder.h"

#include "DialogUnits.h"
#include "Profile.h"
#include "ScopedTimeScale.h"
#include "StatusRecorder.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "TestPorts.h"
#include "PortDialogAnswer.h"

#include <morvane.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kNoEchoText[] = "The port did not echo a sent character in the required minimum time.";
constexpr char kHandshakeText[] =
    "Communication handshake failed. Make sure a generator is connected to the port and that it is powered on.";

using Lines = std::vector<std::string>;

// Tests of the baud search halve the handshake at each wrong rate; the one
// at the right rate keeps half a second for its three prompts.
constexpr char kSearchScale[] = "0.5";

class GeneratorSimTest : public PlatformTest
{
protected:
    // A generator at its own rate on COM1, and the port dialog choosing COM1.
    gensim::Generator& Start(int rate, const char* firmware = "7.011")
    {
        gensim::Generator& g = sim.addGenerator({.model = "VG-7000", .firmware = firmware, .serial = "4711",
                                                 .baudRate = rate, .link = ""});
        if (!started) {
            sim.start();
            started = true;
        }
        setenv("MORVANE_COM1", g.comPath().c_str(), 1);
        AnswerPortDialogCom(prompter, 1);
        return g;
    }

    void TearDown() override
    {
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    void ExpectCommunicationError(const QString& command, const QString& error)
    {
        PromptMatch match = PromptMatch::Id(kCommandErrorId).AndCaption(QStringLiteral("Communication Error"));
        match.text = QStringLiteral("Command: \"%1\"\n%2").arg(command, error);
        prompter.ExpectMessage(match, IDOK, MB_OK | MB_ICONWARNING);
    }

    static Lines LinesSince(gensim::Generator& g, size_t mark)
    {
        const Lines lines = g.trace().lines();
        return Lines(lines.begin() + long(std::min(mark, lines.size())), lines.end());
    }

    gensim::Simulator sim;
    bool started = false;
};

// --- Connecting -------------------------------------------------------------------

TEST_F(GeneratorSimTest, OpenSearchesTheRateAndReadsTheFirmware)
{
    Start(9600);
    ScopedTimeScale search(kSearchScale);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    EXPECT_EQ(gen.GetPortName(), QStringLiteral("Com-1"));
    EXPECT_EQ(gen.GetBaudRate(), 9600);
    EXPECT_DOUBLE_EQ(gen.GetFirmwareVersion(), 7.011);
    EXPECT_TRUE(gen.HasExtendedLists());
    EXPECT_FALSE(gen.FontsSupported());
}

// The open handshakes at 2400 first; a generator at another rate is found
// by the search, which shows each rate it checks, fastest first.
TEST_F(GeneratorSimTest, BaudSearchShowsEachRateItChecks)
{
    struct Case
    {
        int rate;
        Lines headings;
        Lines steps;
    };
    const std::string connecting = "Connecting on com1...";
    const std::string detecting = "Auto-Detecting COM Baud Rate";
    const std::string handshake = "Attempting to handshake.";
    const Case cases[] = {
        {2400, {connecting}, {handshake}},
        {115200, {connecting, detecting}, {handshake, "Checking 115200"}},
        {19200,
         {connecting, detecting},
         {handshake, "Checking 115200", "Checking 57600", "Checking 38400", "Checking 19200"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        gensim::Generator& g = Start(c.rate);
        ScopedTimeScale search(kSearchScale);
        StatusRecorder status;
        CGenerator gen(nullptr);
        ASSERT_TRUE(gen.OpenPort());
        EXPECT_EQ(status.headings, c.headings);
        EXPECT_EQ(status.steps, c.steps);
        EXPECT_EQ(gen.GetBaudRate(), c.rate);
        EXPECT_EQ(g.baudRate(), c.rate); // found, not told
        const Lines lines = g.trace().lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "VERF?");
    }
}

// The connection keeps the version the generator reports and derives its
// gates from it; refusing a version out of range is the generator list's
// business, not the connection's.
TEST_F(GeneratorSimTest, FirmwareVersionSetsTheGatesWhateverItIs)
{
    struct Case
    {
        const char* firmware;
        double version;
        bool extended;
        bool fonts;
    };
    const Case cases[] = {
        {"7.011", 7.011, true, false},
        {"2.0", 2.0, false, false},
        {"20.0", 20.0, true, true},
        {"7.01", 7.01, false, false},
        {"7.02", 7.02, true, false},
        {"7.021", 7.021, true, true},
        {"1.5", 1.5, false, false}, // below the range
        {"25.0", 25.0, true, true}, // above it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        Start(2400, c.firmware);
        CGenerator gen(nullptr);
        ASSERT_TRUE(gen.OpenPort());
        EXPECT_DOUBLE_EQ(gen.GetFirmwareVersion(), c.version);
        EXPECT_EQ(gen.HasExtendedLists(), c.extended);
        EXPECT_EQ(gen.FontsSupported(), c.fonts);
        EXPECT_EQ(gen.PixelMapsSupported(), c.fonts);
    }
}

TEST_F(GeneratorSimTest, SilentGeneratorIsSearchedAtEveryRateThenLeftClosed)
{
    gensim::Generator& g = Start(2400);
    ScopedTimeScale search(kSearchScale);
    g.fault(gensim::Fault::silence(gensim::Fault::kForever));
    prompter.ExpectMessage(PromptMatch::Text(QString::fromLatin1(kHandshakeText)
                                             + QStringLiteral("\n\nNo generator answered on Com-1."))
                               .AndCaption(QStringLiteral("Connect Error")),
                           IDOK, MB_OK | MB_ICONWARNING);
    StatusRecorder status;
    CGenerator gen(nullptr);
    EXPECT_FALSE(gen.OpenPort());
    EXPECT_EQ(gen.GetPort(), 0u);
    EXPECT_EQ(status.steps.size(), 1 + CGenerator::kBaudRates.size());
    EXPECT_EQ(status.steps.back(), "Checking 300");

    // The port was closed: the generator, well again, can be connected.
    g.clearFaults();
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [](QDialog& d) { d.accept(); });
    CGenerator again(nullptr);
    EXPECT_TRUE(again.OpenPort());
    EXPECT_EQ(again.GetBaudRate(), 2400);
}

// The search's Cancel ends it before the next rate, and says nothing more.
TEST_F(GeneratorSimTest, CancelEndsTheRateSearchAtOnce)
{
    gensim::Generator& g = Start(2400);
    ScopedTimeScale search(kSearchScale);
    g.fault(gensim::Fault::silence(gensim::Fault::kForever));
    struct CancelAt : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            auto* label = qobject_cast<QLabel*>(watched);
            if (event->type() == QEvent::Paint && label && label->text() == QStringLiteral("Checking 19200"))
                if (auto* progress = dynamic_cast<CProgressDlg*>(label->window()))
                    progress->CancelButton()->click();
            return false;
        }
    } cancel;
    QCoreApplication::instance()->installEventFilter(&cancel);
    StatusRecorder status;
    CGenerator gen(nullptr);
    EXPECT_FALSE(gen.OpenPort());
    QCoreApplication::instance()->removeEventFilter(&cancel);
    prompter.VerifyAllUsed(); // no box after a Cancel
    EXPECT_EQ(gen.GetPort(), 0u);
    ASSERT_FALSE(status.steps.empty());
    EXPECT_EQ(status.steps.back(), "Checking 19200");
}

// Cancel while the library's open waits out its handshake ends the open at
// once, not after the handshake's budget (a minute here): no box, no rate
// searched, no port. The library's waits work again for the next connect.
TEST_F(GeneratorSimTest, CancelEndsTheLibrarysOpenInProgress)
{
    Start(9600);
    struct CancelDuringTheOpen : QObject {
        bool armed = false;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            auto* label = qobject_cast<QLabel*>(watched);
            if (!armed && event->type() == QEvent::Paint && label
                && label->text() == QStringLiteral("Attempting to handshake."))
                if (auto* progress = dynamic_cast<CProgressDlg*>(label->window())) {
                    armed = true; // the open starts once the line is painted
                    QTimer::singleShot(200, progress->CancelButton(), &QAbstractButton::click);
                }
            return false;
        }
    } cancel;
    StatusRecorder status;
    {
        ScopedTimeScale slowHandshake("60");
        QCoreApplication::instance()->installEventFilter(&cancel);
        CGenerator gen(nullptr);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(gen.OpenPort());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
        QCoreApplication::instance()->removeEventFilter(&cancel);
        EXPECT_TRUE(cancel.armed);
        prompter.VerifyAllUsed(); // no box after a Cancel
        EXPECT_EQ(gen.GetPort(), 0u);
        QString text;
        EXPECT_FALSE(gen.GetPortErrorText(text)) << "the caller has nothing to show either";
        for (const std::string& step : status.steps)
            EXPECT_EQ(step.rfind("Checking", 0), std::string::npos) << step;
    }
    ScopedTimeScale search(kSearchScale);
    AnswerPortDialogCom(prompter, 1);
    CGenerator again(nullptr);
    EXPECT_TRUE(again.OpenPort());
    EXPECT_EQ(again.GetBaudRate(), 9600);
}

TEST_F(GeneratorSimTest, RateChangeMovesBothEnds)
{
    gensim::Generator& g = Start(2400);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    EXPECT_EQ(gen.ChangeBaudRate(19200), BaudChange::Done);
    EXPECT_EQ(gen.GetBaudRate(), 19200);
    EXPECT_EQ(g.baudRate(), 19200);
    EXPECT_DOUBLE_EQ(gen.QueryVerf(), 7.011);
}

// "MODE" tells the generator its new rate before the port reopens there;
// the current rate sends nothing.
TEST_F(GeneratorSimTest, RateChangesTellTheGeneratorByMode)
{
    struct Case
    {
        int from;
        int to;
        const char* mode; // nullptr: nothing sent
    };
    const Case cases[] = {
        {2400, 2400, nullptr},
        {9600, 2400, "MODE COM1 2400 N 8 1 H"}, // the reopen at 2400 needs no search
        {2400, 115200, "MODE COM1 115200 N 8 1 H"},
        {57600, 300, "MODE COM1 300 N 8 1 H"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        gensim::Generator& g = Start(c.from);
        ScopedTimeScale search(kSearchScale);
        CGenerator gen(nullptr);
        ASSERT_TRUE(gen.OpenPort());
        const size_t mark = g.trace().size();
        EXPECT_EQ(gen.ChangeBaudRate(c.to), BaudChange::Done);
        const Lines sent = LinesSince(g, mark);
        if (c.mode == nullptr) {
            EXPECT_TRUE(sent.empty());
        } else {
            EXPECT_EQ(std::count(sent.begin(), sent.end(), std::string(c.mode)), 1);
        }
        EXPECT_EQ(g.baudRate(), c.to);
        EXPECT_EQ(gen.GetBaudRate(), c.to);
        EXPECT_DOUBLE_EQ(gen.QueryVerf(), 7.011);
    }
}

// --- Directory rewrite --------------------------------------------------------------

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

// --- A dropped link -------------------------------------------------------------------

// The link drops while the lists are refreshed: at the first character, after
// the command was acknowledged, or in the middle of the list. One box, the
// rest of the operation fails without traffic, the running progress dialog
// reads as cancelled, and a handshake after the generator came back ends it.
TEST_F(GeneratorSimTest, DroppedLinkDuringRefreshShowsOneBoxAndStopsTheOperation)
{
    const std::string command = "FMTQ? 1 450 x";
    struct Case
    {
        const char* what;
        size_t afterBytes; // bytes the generator still sends of the format list query
        const char* error;
    };
    const size_t acknowledged = command.size() + 2; // the echo, CR and LF
    const Case cases[] = {
        {"no echo", 0, kNoEchoText},
        // The library has no text for its time-out: the program words it.
        {"no reply", acknowledged, "The generator did not answer in time."},
        {"half a list", acknowledged + 300, "The generator did not answer in time."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gensim::Generator& g = Start(2400);
        for (int i = 0; i < 100; ++i)
            g.seed(gensim::ItemKind::Format, {"UserFormat" + std::to_string(100 + i)});
        CGenerator gen(nullptr);
        ASSERT_TRUE(gen.OpenPort());
        CProgressDlg progress(nullptr, true);
        gen.RefreshDirectoryList();
        EXPECT_FALSE(progress.IsCancelled());

        // The silent waits take a tenth of their time.
        std::optional<ScopedTimeScale> silentWaits(std::in_place, "0.1");
        g.fault(gensim::Fault::dropLink(c.afterBytes));
        ExpectCommunicationError(QString::fromStdString(command), QString::fromLatin1(c.error));
        const size_t boxes = prompter.Messages().size();
        gen.RefreshFormatList();
        gen.RefreshImageList();
        gen.RefreshSequenceList();

        EXPECT_EQ(prompter.Messages().size(), boxes + 1);
        EXPECT_TRUE(gen.IsLinkLost());
        EXPECT_TRUE(CGenerator::AnyLinkLost());
        EXPECT_TRUE(progress.IsCancelled());
        // A cut list is no list: the existence checks then ask the generator.
        EXPECT_TRUE(gen.FormatNames().isEmpty());
        EXPECT_TRUE(gen.ImageNames().isEmpty());
        EXPECT_TRUE(gen.SequenceNames().isEmpty());
        EXPECT_FALSE(gen.DirectoryNames().isEmpty());

        EXPECT_FALSE(gen.CheckLink()); // the generator is still silent
        EXPECT_TRUE(gen.IsLinkLost());

        // Back again, but the connection does not know yet: nothing is sent.
        g.clearFaults();
        const size_t mark = g.trace().size();
        EXPECT_EQ(gen.QueryVerf(), 0.0);
        gen.CmdFmtl(QStringLiteral("DMT8075"));
        EXPECT_EQ(gen.LastCommandError(), MORVANE_E_TIMEOUT);
        silentWaits.reset(); // the handshake that succeeds needs its time
        EXPECT_TRUE(gen.CheckLink());
        for (const std::string& line : LinesSince(g, mark))
            EXPECT_EQ(line, "") << "only the handshake's empty lines";
        EXPECT_EQ(g.selection(gensim::ItemKind::Format).loaded, "VGA_m4");

        EXPECT_FALSE(gen.IsLinkLost());
        EXPECT_FALSE(CGenerator::AnyLinkLost());
        EXPECT_DOUBLE_EQ(gen.QueryVerf(), 7.011);
        gen.RefreshFormatList();
        EXPECT_EQ(gen.FormatNames().size(), qsizetype(g.names(gensim::ItemKind::Format).size()));
        CProgressDlg later(nullptr, true);
        EXPECT_FALSE(later.IsCancelled());
        later.DestroyWindow();
        progress.DestroyWindow();
        prompter.VerifyAllUsed();
    }
}

// A generator that hangs up the line for good: the first failure is shown,
// the rest of the scan fails quietly, and the handshake cannot bring it back.
TEST_F(GeneratorSimTest, HungUpLineShowsOneBoxAndStaysLost)
{
    gensim::Generator& g = Start(2400);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    CProgressDlg progress(nullptr, true);
    ScopedTimeScale silentWaits("0.1");
    g.fault(gensim::Fault::dropLink(0, true));
    PromptMatch match = PromptMatch::Id(kCommandErrorId).AndCaption(QStringLiteral("Communication Error"));
    match.part = QStringLiteral("Command: \"FMTQ? 1 450 x\"\n");
    prompter.ExpectMessage(match, IDOK, MB_OK | MB_ICONWARNING);

    gen.RefreshFormatList();
    gen.RefreshImageList();
    gen.RefreshDirectoryList();
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(gen.IsLinkLost());
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_FALSE(gen.CheckLink());
    EXPECT_TRUE(gen.IsLinkLost());
    progress.DestroyWindow();
}

// The link drops while a state record is put back, command after command:
// what went before the drop reached the generator, nothing after it did.
TEST_F(GeneratorSimTest, DroppedLinkDuringApplyStopsAtTheFailedCommand)
{
    gensim::Generator& g = Start(2400);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    CGeneratorState state(&gen);
    state.formatKnobList = QStringLiteral("img");
    state.imageKnobList = QStringLiteral("fmt");
    state.sequenceKnobList = QStringLiteral("fmt");
    state.image = QStringLiteral("ColorBar");
    state.format = QStringLiteral("DMT8075");

    // "FMTP img" and "IMGP fmt" each come back as echo, CR, LF and ">":
    // 11 bytes; the third command gets three characters of echo.
    std::optional<ScopedTimeScale> silentWaits(std::in_place, "0.1");
    g.fault(gensim::Fault::dropLink(11 + 11 + 3));
    ExpectCommunicationError(QStringLiteral("SEQP fmt"), QString::fromLatin1(kNoEchoText));
    const size_t mark = g.trace().size();
    state.Apply();

    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(gen.IsLinkLost());
    EXPECT_EQ(LinesSince(g, mark), (Lines{"FMTP img", "IMGP fmt"}));
    EXPECT_EQ(g.selection(gensim::ItemKind::Format).knobList, "img");
    EXPECT_EQ(g.selection(gensim::ItemKind::Image).knobList, "fmt");
    EXPECT_EQ(g.selection(gensim::ItemKind::Sequence).knobList, "");
    EXPECT_EQ(g.selection(gensim::ItemKind::Image).loaded, "Flat");
    EXPECT_EQ(g.selection(gensim::ItemKind::Format).loaded, "VGA_m4");

    g.clearFaults();
    silentWaits.reset();
    EXPECT_TRUE(gen.CheckLink());
    state.Apply();
    EXPECT_EQ(g.selection(gensim::ItemKind::Sequence).knobList, "fmt");
    EXPECT_EQ(g.selection(gensim::ItemKind::Image).inUse, "ColorBar");
    EXPECT_EQ(g.selection(gensim::ItemKind::Format).inUse, "DMT8075");
}

// --- Settings and the state record ----------------------------------------------------

// Each setter's clamp keeps the value within what the generator takes (a
// value it refuses would show a box), and the query reads back the same.
TEST_F(GeneratorSimTest, SettingsAreClampedIntoTheGeneratorsRange)
{
    struct Case
    {
        const char* mnemonic;
        std::function<void(CGenerator&)> set;
        std::function<double(CGenerator&)> query;
        double expected;
    };
    const Case cases[] = {
        {"HTOT", [](CGenerator& g) { g.CmdHtot(1); }, [](CGenerator& g) { return g.QueryHtot(); }, 2},
        {"HTOT", [](CGenerator& g) { g.CmdHtot(70000); }, [](CGenerator& g) { return g.QueryHtot(); }, 65536},
        {"HRES", [](CGenerator& g) { g.CmdHres(8); }, [](CGenerator& g) { return g.QueryHres(); }, 16},
        {"BASE", [](CGenerator& g) { g.CmdBase(1); }, [](CGenerator& g) { return g.QueryBase(); }, -2},
        {"BASE", [](CGenerator& g) { g.CmdBase(-40); }, [](CGenerator& g) { return g.QueryBase(); }, -36},
        {"SCAN", [](CGenerator& g) { g.CmdScan(5); }, [](CGenerator& g) { return g.QueryScan(); }, 2},
        {"SMOD", [](CGenerator& g) { g.CmdSmod(-3); }, [](CGenerator& g) { return g.QuerySmod(); }, 0},
        {"VSPD", [](CGenerator& g) { g.CmdVspd(-1); }, [](CGenerator& g) { return g.QueryVspd(); }, 0},
        {"USIZ", [](CGenerator& g) { g.CmdUsiz(7); }, [](CGenerator& g) { return g.QueryUsiz(); }, 2},
        {"ASSS", [](CGenerator& g) { g.CmdAsss(0.5); }, [](CGenerator& g) { return g.QueryAsss(); }, 0.307},
        {"AVSS", [](CGenerator& g) { g.CmdAvss(-0.2); }, [](CGenerator& g) { return g.QueryAvss(); }, 0.0},
        {"AVPS", [](CGenerator& g) { g.CmdAvps(250.0); }, [](CGenerator& g) { return g.QueryAvps(); }, 100.0},
        {"HRAT", [](CGenerator& g) { g.CmdHrat(5.0); }, [](CGenerator& g) { return g.QueryHrat(); }, 10.0},
        {"GAMA", [](CGenerator& g) { g.CmdGama(2.45678); }, [](CGenerator& g) { return g.QueryGama(); }, 2.45678},
        {"SSST", [](CGenerator& g) { g.CmdSsst(13); }, [](CGenerator& g) { return g.QuerySsst(); }, 13},
        {"DNUM", [](CGenerator& g) { g.CmdDnum(9); }, [](CGenerator& g) { return g.QueryDnum(); }, 2},
        {"AVCS", [](CGenerator& g) { g.CmdAvcs(6); }, [](CGenerator& g) { return g.QueryAvcs(); }, 4},
    };
    gensim::Generator& g = Start(2400);
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mnemonic);
        c.set(gen);
        EXPECT_TRUE(gen.LastCommandSucceeded());
        EXPECT_DOUBLE_EQ(c.query(gen), c.expected);
        const auto held = g.setting(c.mnemonic);
        ASSERT_TRUE(held.has_value());
        EXPECT_DOUBLE_EQ(QString::fromStdString(*held).toDouble(), c.expected); // C locale
    }
    EXPECT_EQ(g.errorCount(), 0);
}

// A record read from the generator puts it back as it was, the DPMS sync
// code included, and leaves no sequence loaded.
TEST_F(GeneratorSimTest, StateRecordPutsTheGeneratorBack)
{
    gensim::Generator& g = Start(2400);
    g.seed(gensim::ItemKind::Directory, {"Mine", true, false, {"DMT8075", "VGA_m4"}});
    CGenerator gen(nullptr);
    ASSERT_TRUE(gen.OpenPort());
    gen.CmdFmtl(QStringLiteral("DMT8075"));
    gen.CmdImgl(QStringLiteral("ColorBar"));
    gen.CmdSeql(QStringLiteral("NewSeq"));
    gen.CmdFmtp(QStringLiteral("Mine"));
    gen.CmdImgp(QStringLiteral("fmt"));
    gen.CmdSeqp(QStringLiteral("img"));
    gen.CmdXvsg(true, false, true);
    gen.CmdSsst(13);
    gen.CmdOutgOn(false, true);
    gen.CmdIver(3);
    gen.CmdAllu();

    CGeneratorState state(&gen);
    state.Read();
    EXPECT_EQ(state.format, QStringLiteral("DMT8075"));
    EXPECT_EQ(state.image, QStringLiteral("ColorBar"));
    EXPECT_EQ(state.sequence, QStringLiteral("NewSeq"));
    EXPECT_EQ(state.formatKnobList, QStringLiteral("Mine"));
    EXPECT_EQ(state.imageKnobList, QStringLiteral("fmt"));
    EXPECT_EQ(state.sequenceKnobList, QStringLiteral("img"));
    EXPECT_EQ((std::vector<int>{state.red, state.green, state.blue}), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(state.syncCode, 13);
    EXPECT_EQ((std::vector<int>{state.acs, state.dcs, state.dss}), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(state.output, 0);
    EXPECT_EQ(state.imageVersion, 3);

    // Something else is put out meanwhile.
    gen.CmdFmtl(QStringLiteral("VGA_m4"));
    gen.CmdImgl(QStringLiteral("Flat"));
    gen.CmdFmtp(QStringLiteral("fmt"));
    gen.CmdImgp(QStringLiteral("img"));
    gen.CmdSeqp(QString());
    gen.CmdXvsg(true, true, true);
    gen.CmdSsst(7);
    gen.CmdOutgOn(true, true);
    gen.CmdIver(0);
    gen.CmdAllu();

    state.Apply();
    EXPECT_EQ(g.selection(gensim::ItemKind::Format), (gensim::ItemSelection{"", "DMT8075", "DMT8075", "Mine"}));
    EXPECT_EQ(g.selection(gensim::ItemKind::Image), (gensim::ItemSelection{"Flat", "ColorBar", "ColorBar", "fmt"}));
    EXPECT_EQ(g.selection(gensim::ItemKind::Sequence).loaded, "");
    EXPECT_EQ(g.selection(gensim::ItemKind::Sequence).knobList, "img");
    EXPECT_EQ(g.setting("SSST"), "13");
    EXPECT_EQ(g.setting("OUTG"), "0");
    EXPECT_EQ(g.setting("IVER"), "3");
    EXPECT_EQ(state.sequence, QStringLiteral("NewSeq"));

    CGeneratorState back(&gen);
    back.Read();
    EXPECT_EQ(back.format, state.format);
    EXPECT_EQ(back.image, state.image);
    EXPECT_EQ(back.sequence, QString()); // applying loads no sequence
    EXPECT_EQ(back.formatKnobList, state.formatKnobList);
    EXPECT_EQ(back.imageKnobList, state.imageKnobList);
    EXPECT_EQ(back.sequenceKnobList, state.sequenceKnobList);
    EXPECT_EQ((std::vector<int>{back.red, back.green, back.blue}), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(back.syncCode, 13);
    EXPECT_EQ(back.output, 0);
    EXPECT_EQ(back.imageVersion, 3);
    EXPECT_EQ(g.errorCount(), 0);
}

} // namespace
