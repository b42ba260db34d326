// Connecting, disconnecting, the baud rate and Send Data through the real
// library against simulated generators on pseudo-terminals.

#include "AppFolders.h"
#include "CDataListView.h"
#include "CFirmwareUpgradeDlg.h"
#include "CGenerator.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "CProgressDlg.h"
#include "CGeneratorDataPane.h"
#include "CSelectPortDlg.h"
#include "CSpinButtonCtrl.h"
#include "DataKindRegistry.h"
#include "DialogUnits.h"
#include "Profile.h"
#include "ScopedTimeScale.h"
#include "ShellImages.h"
#include "ShellTestSupport.h"
#include "UserAction.h"

#include "DriverSocketPath.h"
#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Items whose send stores an empty format or image under their name, so
// that the generator's stores and directories show what was sent.
class SimFormatItem : public CTestItem {
    DECLARE_SERIAL(SimFormatItem)
public:
    using CTestItem::CTestItem;
    bool SendToGenerator(CGenerator *generator, CProgressDlg *progress) override
    {
        if (beforeSend)
            beforeSend(progress);
        if (progress && progress->IsCancelled())
            return false;
        Store(*generator);
        return generator->LastCommandSucceeded();
    }
    virtual void Store(CGenerator &generator)
    {
        generator.CmdFmtb();
        generator.CmdFmte();
        generator.CmdFmta(GetName(), true);
    }
    static inline std::function<void(CProgressDlg *)> beforeSend;
};
IMPLEMENT_SERIAL(SimFormatItem, CTestItem, VERSIONABLE_SCHEMA | 1)

class SimImageItem : public SimFormatItem {
    DECLARE_SERIAL(SimImageItem)
public:
    using SimFormatItem::SimFormatItem;
    int GetTypeCode() const override { return CGenData::kImage; }
    void Store(CGenerator &generator) override
    {
        generator.CmdImgb();
        generator.CmdImge();
        generator.CmdImga(GetName(), true);
    }
};
IMPLEMENT_SERIAL(SimImageItem, SimFormatItem, VERSIONABLE_SCHEMA | 1)

// The library, with a look at each command and close on the way: a test
// changes the generator's behaviour at that moment.
class LibrarySpy : public PortBackend {
public:
    LibrarySpy() : m_previous(InstallPortBackend(this)) {}
    ~LibrarySpy() override { InstallPortBackend(m_previous); }
    int32_t SendCommand(PortId id, const char *command, char *reply, int32_t length) override
    {
        if (beforeCommand)
            beforeCommand(command);
        return PortBackend::SendCommand(id, command, reply, length);
    }
    int32_t Close(PortId id) override
    {
        if (beforeClose)
            beforeClose();
        return PortBackend::Close(id);
    }
    std::function<void(const std::string &)> beforeCommand;
    std::function<void()> beforeClose;

private:
    PortBackend *m_previous;
};

class ConnectSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        DataKinds::Register(MakeDataKind<SimFormatItem>(kIconFormat, CGenData::kFormat, 32990));
        DataKinds::Register(MakeDataKind<SimImageItem>(kIconImage, CGenData::kImage, 32991));
        RegisterToolFactory(ToolSlot::Firmware, [this](CMainWindow *) { return new ToolDouble(journal, "firmware"); });
        window = std::make_unique<CMainWindow>();
        window->CreateFrame();
        window->ShowTool(ToolSlot::Firmware);
    }

    void TearDown() override
    {
        window.reset();
        SimFormatItem::beforeSend = nullptr;
        RegisterToolFactory(ToolSlot::Firmware, {});
        DataKinds::Unregister(kIconFormat);
        DataKinds::Unregister(kIconImage);
        unsetenv("MORVANE_COM1");
        unsetenv("MORVANE_COM2");
        PlatformTest::TearDown();
    }

    // A generator on COM com at its own rate.
    gensim::Generator &Add(int com, int rate, const char *firmware = "7.011", const char *serial = "4711")
    {
        gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = firmware, .serial = serial,
                                                 .baudRate = rate, .link = ""});
        if (!started) {
            sim.start();
            started = true;
        }
        setenv(QStringLiteral("MORVANE_COM%1").arg(com).toLatin1().constData(), g.comPath().c_str(), 1);
        return g;
    }

    void ExpectPortDialog(int com)
    {
        AnswerPortDialogCom(prompter, com);
    }

    // Connect with the port dialog choosing COM com.
    bool Connect(int com)
    {
        ExpectPortDialog(com);
        return Generators().Connect(false);
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }
    CDataListView &Data() { return *window->GetDataListView(); }

    QStringList Row(int row)
    {
        QStringList texts;
        for (int column = 0; column < 5; ++column)
            texts.append(Generators().GetRowText(row, column));
        return texts;
    }

    static long Count(gensim::Generator &g, const std::string &line)
    {
        const Lines lines = g.trace().lines();
        return long(std::count(lines.begin(), lines.end(), line));
    }

    static std::vector<std::string> Directory(gensim::Generator &g, const char *name)
    {
        const auto dir = g.item(gensim::ItemKind::Directory, name);
        return dir ? dir->entries : std::vector<std::string>{};
    }

    void ExpectNoGenerator()
    {
        EXPECT_EQ(Generators().GetRowCount(), 0);
        EXPECT_TRUE(g_generatorViews.isEmpty());
        EXPECT_EQ(g_pCurrentGenerator, nullptr);
    }

    gensim::Simulator sim;
    bool started = false;
    QStringList journal;
    std::unique_ptr<CMainWindow> window;
};

// --- Connect ----------------------------------------------------------------------------

// The open searches from 2400 for the generator's rate; then the saved rate
// is applied, by "MODE" when it differs.
TEST_F(ConnectSimTest, ConnectFindsTheRateAppliesTheSavedOneAndShowsTheIdentity)
{
    struct Case {
        int generatorRate;
        int saved; // 0: nothing saved (2400 then)
        const char *mode; // nullptr: none sent
        int rowRate;
    };
    const Case cases[] = {
        {9600, 9600, nullptr, 9600},
        {2400, 0, nullptr, 2400},
        {9600, 19200, "MODE COM1 19200 N 8 1 H", 19200},
        {115200, 0, "MODE COM1 2400 N 8 1 H", 2400},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.generatorRate);
        Generators().RemoveAll();
        ClearTestProfile();
        if (c.saved != 0)
            WriteProfileInt("Generator", "PersistentBaudRate", c.saved);
        gensim::Generator &g = Add(1, c.generatorRate);
        journal.clear();
        // The search is what this is about: half a second at each wrong rate.
        ScopedTimeScale search("0.5");
        ASSERT_TRUE(Connect(1));
        ASSERT_EQ(Generators().GetRowCount(), 1);
        EXPECT_EQ(Row(0), (QStringList{"VG-7000", "Com-1", "7.011", "4711", QString::number(c.rowRate)}));
        EXPECT_EQ(Generators().GetRowIcon(0), kImageStandAlone);
        EXPECT_EQ(g.baudRate(), c.rowRate);
        EXPECT_EQ(Count(g, "VERF?"), 1);
        EXPECT_EQ(Count(g, "*IDN?"), 1);
        if (c.mode) {
            EXPECT_EQ(Count(g, c.mode), 1);
        }
        EXPECT_EQ(g_generatorViews, (QList<CGeneratorView *>{Generators().GetRowView(0)}));
        EXPECT_EQ(journal, QStringList{"firmware add"});
        EXPECT_EQ(GetProfileInt("Generator", "PersistentBaudRate", 0), c.saved ? c.saved : 2400);
        EXPECT_FALSE(Generators().GetRowView(0)->isVisible()) << "hidden until a double-click";
    }
}

// The version the open read counts from 2.0 to 20.0; after that five more
// tries, each taken only strictly inside the range, half a second apart.
TEST_F(ConnectSimTest, FirmwareVersionOutsideTheRangeIsRetriedFiveTimes)
{
    struct Case {
        const char *firmware;
        std::vector<const char *> retries; // what the retries read; the rest read firmware
        long verfLines;
        double version; // 0: no connection
    };
    const Case cases[] = {
        {"2.0", {}, 1, 2.0},
        {"20.0", {}, 1, 20.0},
        {"1.5", {}, 6, 0},
        {"25.0", {"2.0", "20.0", "7.5"}, 4, 7.5},
    };
    WriteProfileInt("Generator", "PersistentBaudRate", 2400);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.firmware);
        Generators().RemoveAll();
        gensim::Generator &g = Add(1, 2400, c.firmware);
        LibrarySpy spy;
        size_t verf = 0;
        spy.beforeCommand = [&](const std::string &command) {
            // The open's own query comes first and reads the generator's version.
            if (command == "VERF?" && verf++ >= 1 && verf - 2 < c.retries.size())
                g.fault(gensim::Fault::scriptedReply("VERF?", std::string(c.retries[verf - 2]) + "\r\n>"));
        };
        ExpectPortDialog(1);
        if (c.version == 0)
            prompter.ExpectMessage(PromptMatch::Text("Unable to read the generator firmware version.")
                                       .AndCaption("Connect Error"),
                                   IDOK, MB_OK | MB_ICONWARNING);
        EXPECT_EQ(Generators().Connect(false), c.version != 0);
        EXPECT_EQ(Count(g, "VERF?"), c.verfLines);
        ASSERT_EQ(Generators().GetRowCount(), c.version != 0 ? 1 : 0);
        if (c.version != 0) {
            EXPECT_EQ(Row(0).at(2), c.firmware) << "the identity's version text";
            EXPECT_DOUBLE_EQ(Generators().GetRowView(0)->GetGenerator()->GetFirmwareVersion(), c.version);
        }
        prompter.VerifyAllUsed();
    }
}

// The link goes while the generator takes the saved rate: a failed connect.
// A failed Connect says why once: a port the library refuses to open, and a
// generator that never answers the handshake at any rate.
TEST_F(ConnectSimTest, AFailedConnectShowsOneBox)
{
    gensim::Generator &g = Add(1, 9600);
    ASSERT_TRUE(Connect(1));
    ExpectPortDialog(1);
    prompter.ExpectMessage(PromptMatch::Text("The specified COM port is already open.").AndCaption("Connect Error"),
                           IDOK, MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(Generators().Connect(false));
    prompter.VerifyAllUsed();
    EXPECT_EQ(Generators().GetRowCount(), 1);

    Generators().RemoveAll();
    g.fault(gensim::Fault::silence(gensim::Fault::kForever));
    ScopedTimeScale failingHandshakes("0.1");
    ExpectPortDialog(1);
    prompter.ExpectMessage(PromptMatch::Caption("Connect Error"), IDOK, MB_OK | MB_ICONWARNING);
    EXPECT_FALSE(Generators().Connect(false));
    prompter.VerifyAllUsed();
    ExpectNoGenerator();
}

// System > "Debug the ... on Com-1" logs what follows as it happens: every
// command a scan sends is in the file before the scan ends.
TEST_F(ConnectSimTest, TheSelectedGeneratorsDebugLogHoldsItsScan)
{
    gensim::Generator &g = Add(1, 9600);
    ASSERT_TRUE(Connect(1));
    Generators().SelectRow(0, true);
    window->UpdateControls();
    QAction *debug = window->Router().Action(IDM_DEBUG_SELECTED);
    ASSERT_TRUE(debug->isEnabled());
    debug->trigger();
    CGeneratorView *view = Generators().GetRowView(0);
    ASSERT_TRUE(view->GetGenerator()->IsCommandLogOn());
    const size_t mark = g.trace().lines().size();
    ASSERT_EQ(view->ScanGenerator(), 1);
    QFile log(AppDataFile(QStringLiteral("Com-1.txt")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << qPrintable(log.fileName());
    const QByteArray text = log.readAll();
    const Lines lines = g.trace().lines();
    ASSERT_GT(lines.size(), mark) << "the scan sent nothing";
    for (size_t i = mark; i < lines.size(); ++i)
        EXPECT_TRUE(text.contains(QByteArray::fromStdString(lines[i]))) << lines[i];
    debug->trigger();
    EXPECT_FALSE(view->GetGenerator()->IsCommandLogOn());
}

TEST_F(ConnectSimTest, LinkLostWhileTakingTheSavedRateAddsNoRow)
{
    WriteProfileInt("Generator", "PersistentBaudRate", 19200);
    gensim::Generator &g = Add(1, 2400);
    LibrarySpy spy;
    // The close before the reopen at the new rate is the moment the line
    // goes; the handshakes that then fail at every rate take a tenth.
    std::optional<ScopedTimeScale> failingHandshakes;
    spy.beforeClose = [&] {
        g.fault(gensim::Fault::silence(gensim::Fault::kForever));
        failingHandshakes.emplace("0.1");
    };
    ExpectPortDialog(1);
    prompter.ExpectMessage(PromptMatch::Text("Unable to re-establish communications.").AndCaption("Connect Error"),
                           IDOK, MB_OK | MB_ICONWARNING);
    journal.clear();
    EXPECT_FALSE(Generators().Connect(false));
    EXPECT_EQ(Count(g, "MODE COM1 19200 N 8 1 H"), 1);
    ExpectNoGenerator();
    EXPECT_TRUE(journal.isEmpty()) << "no tool heard of it";
}

// --- A generator on an ISA card -------------------------------------------------------------

class IsaConnectSimTest : public ConnectSimTest {
protected:
    gensim::Generator &AddCard(int slot)
    {
        sim.openDriver(socket.path());
        gensim::Generator &g = sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "4711",
                                                 .baudRate = 9600, .link = "", .isaSlot = slot});
        sim.start();
        started = true;
        return g;
    }
    void ChooseIsa(int slot)
    {
        WriteProfileInt("Port", "Type", CSelectPortDlg::kTypeIsa);
        WriteProfileInt("Port", "Isa", slot);
        prompter.ExpectDialog(PromptMatch::Caption("Select a Port..."), [](QDialog &d) { d.accept(); });
    }

    gensim::test::DriverSocketPath socket;
};

// No line speed on a card: the row says "N/A"; the view scans through the card.
TEST_F(IsaConnectSimTest, ConnectShowsTheCardPortAndScans)
{
    gensim::Generator &g = AddCard(0);
    ChooseIsa(0);
    ASSERT_TRUE(Generators().Connect(false));
    ASSERT_EQ(Generators().GetRowCount(), 1);
    EXPECT_EQ(Row(0), (QStringList{"VG-7000", "Isa-0", "7.011", "4711", "N/A"}));
    CGeneratorView *view = Generators().GetRowView(0);
    EXPECT_EQ(view->GetGenerator()->GetIsaMemoryMap().formatData, 0xFF1D0D00u);
    ASSERT_EQ(view->ScanGenerator(), 1);
    EXPECT_GT(view->DataPane()->NameList(CGeneratorDataPane::kFormats)->count(), 0);
    EXPECT_EQ(Count(g, "*IDN?"), 1);
    EXPECT_GE(Count(g, "VERF?"), 1);
}

// The user's way: send a format, disconnect, force the initialisation (an
// information box), reconnect: the format is gone.
TEST_F(IsaConnectSimTest, ForcedInitErasesWhatWasSent)
{
    gensim::Generator &g = AddCard(0);
    ChooseIsa(0);
    ASSERT_TRUE(Generators().Connect(false));
    CGenerator *generator = Generators().GetRowView(0)->GetGenerator();
    generator->CmdFmtn("Mine");
    generator->CmdFmtb();
    generator->CmdFmte();
    generator->CmdFmta("Mine", true);
    ASSERT_TRUE(g.item(gensim::ItemKind::Format, "Mine").has_value());
    Generators().SelectRow(0, true);
    prompter.ExpectMessage(PromptMatch::Text("Disconnect from the VG-7000 on Isa-0?"), IDOK);
    ASSERT_TRUE(Generators().Disconnect());

    ChooseIsa(0);
    prompter.ExpectMessage(PromptMatch::Id(33271), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(33272), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(33276).AndCaption("Initialization Forced..."), IDOK,
                           MB_OK | MB_ICONINFORMATION);
    Generators().ForceInit();
    EXPECT_FALSE(g.item(gensim::ItemKind::Format, "Mine").has_value());

    ChooseIsa(0);
    ASSERT_TRUE(Generators().Connect(false));
    Generators().GetRowView(0)->GetGenerator()->RefreshFormatList();
    EXPECT_FALSE(Generators().GetRowView(0)->GetGenerator()->HasFormat("Mine"));
    prompter.VerifyAllUsed();
}

// A card whose processor never restarts: the box says so, at once.
TEST_F(IsaConnectSimTest, ForcedInitOfACardThatNeverRestartsSaysItFoundNone)
{
    AddCard(0);
    sim.driverEndpoint()->isaCard(0)->setFaults({.nmiNeverTaken = true});
    setenv("MORVANE_TIME_SCALE", "0.02", 1);
    ChooseIsa(0);
    prompter.ExpectMessage(PromptMatch::Id(33271), IDYES);
    prompter.ExpectMessage(PromptMatch::Id(33272), IDYES);
    prompter.ExpectMessage(PromptMatch::Text("Unable to locate a running generator on port ISA-0.")
                               .AndCaption("Generator Not Detected"),
                           IDOK, MB_OK | MB_ICONWARNING);
    Generators().ForceInit();
    prompter.VerifyAllUsed();
}

// A card stalled by a call that timed out answers no open until Forced Init.
// Every way of opening it says so in one box and offers Forced Init there:
// Connect, the bar's Reconnect, the question of a scan after the link went,
// the firmware tool's direct connect. Taken, the card answers again;
// declined, nothing more is said.
TEST_F(IsaConnectSimTest, EveryOpenOfAStalledCardOffersForcedInit)
{
    const QString offer = QStringLiteral(
        "The generator card did not answer in time. If it stays silent, reset it with Forced Init... and connect "
        "again.\n\nForce the card to re-initialize now and connect again? Forced Init erases the generator's memory.");
    AddCard(0);
    ScopedTimeScale shortWaits("0.02"); // the processor's 5 s become 100 ms
    auto tool = std::make_unique<CFirmwareUpgradeDlg>(window.get());
    const auto generator = [this] { return Generators().GetRowView(0)->GetGenerator(); };
    const auto connected = [this] { return Generators().Connect(false) && Generators().GetRowCount() == 1; };
    // A command the card never takes: one box, and the link counts as lost.
    const auto stall = [&] {
        if (Generators().GetRowCount() == 0) {
            ChooseIsa(0);
            ASSERT_TRUE(connected());
        }
        sim.driverEndpoint()->isaCard(0)->setFaults({.intInNeverTaken = true});
        prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
        generator()->SendCommandText(QStringLiteral("HRES?"));
        ASSERT_TRUE(generator()->IsLinkLost());
    };
    const auto portDialog = [this] { ChooseIsa(0); };
    const auto reconnectQuestion = [this] {
        prompter.ExpectMessage(PromptMatch::Caption("Link Lost"), IDYES, MB_YESNO | MB_ICONQUESTION);
    };
    const struct {
        const char *way;
        bool stallFirst; // false: still stalled by the case before
        std::function<void()> before; // what the user answers before the offer
        int answer;
        std::function<bool()> open; // the generator (or the card's row) is there afterwards
        bool there;
    } cases[] = {
        {"Connect", true, portDialog, IDYES, [&] { Generators().RemoveAll(); return connected(); }, true},
        {"Reconnect", true, {}, IDYES, [&] { return Generators().GetRowView(0)->Reconnect(); }, true},
        {"a scan's question", true, reconnectQuestion, IDYES,
         [&] {
             const UserAction action;
             return Generators().GetRowView(0)->ScanGenerator() == 1 && !generator()->IsLinkLost();
         },
         true},
        {"Connect declined", true, portDialog, IDNO, [&] { Generators().RemoveAll(); return connected(); }, false},
        {"direct connect", false, {}, IDYES,
         [&] {
             tool->OnIsaDirect(ID_FIRMWARE_ISA_DIRECT_FIRST);
             return tool->List()->topLevelItemCount() == 1
                 && tool->List()->topLevelItem(0)->text(0) == QStringLiteral("Isa-0 Direct");
         },
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.way);
        if (c.stallFirst)
            stall();
        if (c.before)
            c.before();
        prompter.ExpectMessage(PromptMatch::Text(offer).AndCaption("Connect Error"), c.answer,
                               MB_YESNO | MB_ICONWARNING);
        EXPECT_EQ(c.open(), c.there);
        prompter.VerifyAllUsed();
        EXPECT_EQ(sim.driverEndpoint()->isaCard(0)->faults().intInNeverTaken, !c.there) << "forced exactly when taken";
    }
    // The tool gives the card it opened back as it goes: a Connect finds it.
    tool.reset();
    ChooseIsa(0);
    EXPECT_TRUE(connected());
    prompter.VerifyAllUsed();
}

// --- Generators on PCI cards ------------------------------------------------------------------

class PciConnectSimTest : public ConnectSimTest {
protected:
    // count generators on PCI cards 1, 2, ... and one on the ISA card in slot 0.
    void AddCards(int count)
    {
        sim.openDriver(socket.path());
        for (int i = 0; i < count; ++i)
            sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = std::to_string(5001 + i),
                              .link = "", .pty = false, .pciCard = true});
        sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "4711", .link = "", .pty = false,
                          .isaSlot = 0});
        sim.start();
        started = true;
    }
    gensim::Generator &OnPci(int card) { return sim.driverEndpoint()->pciCard(card - 1)->generator(); }
    gensim::Generator &OnIsa() { return sim.driverEndpoint()->isaCard(0)->generator(); }
    bool ConnectTo(int type, int number)
    {
        AnswerPortDialog(prompter, type, number);
        return Generators().Connect(false);
    }
    // The two questions, answered yes, and the box the result brings.
    void ExpectForcing(int type, int number, const QString &box, const char *caption)
    {
        AnswerPortDialog(prompter, type, number);
        prompter.ExpectMessage(PromptMatch::Id(33271), IDYES);
        prompter.ExpectMessage(PromptMatch::Id(33272), IDYES);
        prompter.ExpectMessage(PromptMatch::Text(box).AndCaption(caption), IDOK);
    }
    QStringList Ports()
    {
        QStringList ports;
        for (int row = 0; row < Generators().GetRowCount(); ++row)
            ports.append(Generators().GetRowText(row, 1));
        return ports;
    }
    void StoreFormat(int row, const char *name)
    {
        CGenerator *generator = Generators().GetRowView(row)->GetGenerator();
        generator->CmdFmtb();
        generator->CmdFmte();
        generator->CmdFmta(name, true);
    }

    gensim::test::DriverSocketPath socket;
};

TEST_F(PciConnectSimTest, ConnectShowsTheCardPortAndScans)
{
    AddCards(2);
    ASSERT_TRUE(ConnectTo(CSelectPortDlg::kTypePci, 1));
    ASSERT_EQ(Generators().GetRowCount(), 1);
    EXPECT_EQ(Row(0), (QStringList{"VG-7000", "Pci-1", "7.011", "5001", "N/A"}));
    EXPECT_EQ(Generators().GetRowIcon(0), kImageCard);
    CGeneratorView *view = Generators().GetRowView(0);
    ASSERT_EQ(view->ScanGenerator(), 1);
    EXPECT_GT(view->DataPane()->NameList(CGeneratorDataPane::kFormats)->count(), 0);
    EXPECT_EQ(Count(OnPci(1), "*IDN?"), 1);
    EXPECT_EQ(Count(OnPci(2), "*IDN?"), 0);
}

// The port dialog asks the library for the card count: the simulator's two
// cards, or without the driver the message that the bus cannot be scanned
// (and the library's text in the box after the cancel).
TEST_F(PciConnectSimTest, ThePortDialogOffersTheCardsTheDriverFound)
{
    struct Case {
        bool driver;
        int upper;
        QString message;
    };
    // Without the driver first: the simulator's driver stays once it is open.
    const Case cases[] = {{false, 0, QStringLiteral("Unable to scan the PCI bus!")}, {true, 2, {}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.driver);
        if (c.driver)
            AddCards(2);
        WriteProfileInt("Port", "Type", CSelectPortDlg::kTypePci);
        prompter.ExpectDialog(PromptMatch::Caption("Select a Port..."), [&c](QDialog &d) {
            const auto *spin = FindControl<CSpinButtonCtrl>(&d, IDC_PORT_SPIN);
            EXPECT_EQ(spin->isVisible(), c.message.isEmpty());
            if (c.message.isEmpty()) {
                EXPECT_EQ(spin->Lower(), 1);
                EXPECT_EQ(spin->Upper(), c.upper);
            } else {
                EXPECT_EQ(FindControl<QLabel>(&d, IDC_PCI_MESSAGE)->text(), c.message);
            }
            d.reject();
        });
        if (!c.driver)
            prompter.ExpectMessage(
                PromptMatch::Text("The PCI kernel driver could not be loaded.").AndCaption("Connect Error"), IDOK);
        EXPECT_FALSE(Generators().Connect(false));
        prompter.VerifyAllUsed();
    }
}

struct ForcedCase {
    const char *what;
    int type;     // of the port dialog
    int number;
    const char *forcedPort;  // as the row shows it
    QStringList remaining;
};

class ForcedInitSimTest : public PciConnectSimTest, public ::testing::WithParamInterface<ForcedCase> {};

// PCI 1, PCI 2 and ISA 0 connected, each holding a format of its own;
// forcing one card removes its row, clears that generator's stores and
// leaves the others as they were. Reconnected, it answers again.
TEST_P(ForcedInitSimTest, RemovesTheRowOfThatCardOnly)
{
    const ForcedCase &c = GetParam();
    AddCards(2);
    ASSERT_TRUE(ConnectTo(CSelectPortDlg::kTypePci, 1));
    ASSERT_TRUE(ConnectTo(CSelectPortDlg::kTypePci, 2));
    ASSERT_TRUE(ConnectTo(CSelectPortDlg::kTypeIsa, 0));
    for (int row = 0; row < 3; ++row)
        StoreFormat(row, "Mine");
    gensim::Generator *generators[] = {&OnPci(1), &OnPci(2), &OnIsa()};

    ExpectForcing(c.type, c.number,
                  QStringLiteral("A running generator was located on port %1 and an INIT was triggered.\n\nPlease "
                                 "wait several minutes before trying to re-connect.")
                      .arg(c.type == CSelectPortDlg::kTypePci ? QStringLiteral("PCI-%1").arg(c.number)
                                                              : QStringLiteral("ISA-%1").arg(c.number)),
                  "Initialization Forced...");
    Generators().ForceInit();
    EXPECT_EQ(Ports(), c.remaining);
    for (gensim::Generator *g : generators) {
        const bool forced = QString::fromStdString(g->options().serial)
            == (c.type == CSelectPortDlg::kTypeIsa ? "4711" : QString::number(5000 + c.number));
        EXPECT_EQ(g->item(gensim::ItemKind::Format, "Mine").has_value(), !forced) << g->options().serial;
    }

    ASSERT_TRUE(ConnectTo(c.type, c.number));
    ASSERT_EQ(Generators().GetRowCount(), 3);
    EXPECT_EQ(Row(2).at(1), c.forcedPort);
    Generators().GetRowView(2)->GetGenerator()->RefreshFormatList();
    EXPECT_FALSE(Generators().GetRowView(2)->GetGenerator()->HasFormat("Mine")) << "the stores as at start";
    prompter.VerifyAllUsed();
}

INSTANTIATE_TEST_SUITE_P(
    Cards, ForcedInitSimTest,
    ::testing::Values(ForcedCase{"Pci1", CSelectPortDlg::kTypePci, 1, "Pci-1", {"Pci-2", "Isa-0"}},
                      ForcedCase{"Pci2", CSelectPortDlg::kTypePci, 2, "Pci-2", {"Pci-1", "Isa-0"}},
                      ForcedCase{"Isa0", CSelectPortDlg::kTypeIsa, 0, "Isa-0", {"Pci-1", "Pci-2"}}),
    [](const auto &info) { return std::string(info.param.what); });

// The driver refuses the card: the box says no generator was found, and the
// row of the generator that was connected there is gone all the same.
TEST_F(PciConnectSimTest, ARefusedCardLosesItsRowAndSaysSo)
{
    AddCards(2);
    ASSERT_TRUE(ConnectTo(CSelectPortDlg::kTypePci, 1));
    ASSERT_TRUE(ConnectTo(CSelectPortDlg::kTypePci, 2));
    sim.driverEndpoint()->pciCard(0)->setFaults({.refuseRegistration = true});
    OnPci(1).seed(gensim::ItemKind::Format, {.name = "Mine"});
    ExpectForcing(CSelectPortDlg::kTypePci, 1, QStringLiteral("Unable to locate a running generator on port PCI-1."),
                  "Generator Not Detected");
    Generators().ForceInit();
    EXPECT_EQ(Ports(), QStringList{"Pci-2"});
    EXPECT_TRUE(OnPci(1).item(gensim::ItemKind::Format, "Mine").has_value());
    prompter.VerifyAllUsed();
}

// --- Disconnect and the baud rate ----------------------------------------------------------

TEST_F(ConnectSimTest, DisconnectClosesThePortAndBaudRateChangesTheRow)
{
    WriteProfileInt("Generator", "PersistentBaudRate", 2400);
    gensim::Generator &g = Add(1, 2400);
    ASSERT_TRUE(Connect(1));
    Generators().SelectRow(0, true);

    prompter.ExpectDialog(PromptMatch::Caption("Baud Rate Selection"), [](QDialog &d) {
        FindControl<QListWidget>(&d, 1324)->setCurrentRow(2); // 38400
        d.accept();
    });
    Generators().SetBaudRate();
    EXPECT_EQ(Row(0).at(4), "38400");
    EXPECT_EQ(g.baudRate(), 38400);
    EXPECT_EQ(GetProfileInt("Generator", "PersistentBaudRate", 0), 38400);

    prompter.ExpectMessage(PromptMatch::Text("Disconnect from the VG-7000 on Com-1?"), IDOK);
    journal.clear();
    EXPECT_TRUE(Generators().Disconnect());
    ExpectNoGenerator();
    EXPECT_EQ(journal, QStringList{"firmware remove"});
    // The port was let go: it opens again, at the rate now saved.
    ASSERT_TRUE(Connect(1));
    EXPECT_EQ(Row(0).at(4), "38400");
}

// --- Send Data ---------------------------------------------------------------------------------

class SendDataSimTest : public ConnectSimTest {
protected:
    void SetUp() override
    {
        ConnectSimTest::SetUp();
        WriteProfileInt("Generator", "PersistentBaudRate", 2400);
        gens = {&Add(1, 2400, "7.011", "1"), &Add(2, 2400, "7.011", "2")};
        ASSERT_TRUE(Connect(1));
        ASSERT_TRUE(Connect(2));
        Generators().SelectRow(0, true);
        Generators().SelectRow(1, true);
        for (const auto &[icon, name] : {std::pair{kIconFormat, "F1"}, {kIconImage, "I1"}, {kIconFormat, "F2"}}) {
            CGenData *item = Data().NewItem(icon);
            item->SetName(QString::fromLatin1(name));
            item->SetModified(QByteArray(name) == "F1");
        }
        fmtBefore = Directory(*gens[0], "fmt");
        imgBefore = Directory(*gens[0], "img");
    }

    static std::vector<std::string> Joined(std::vector<std::string> front, const std::vector<std::string> &rest)
    {
        front.insert(front.end(), rest.begin(), rest.end());
        return front;
    }

    std::vector<gensim::Generator *> gens;
    std::vector<std::string> fmtBefore;
    std::vector<std::string> imgBefore;
};

TEST_F(SendDataSimTest, EachGeneratorStoresTheItemsAndListsThemInTheirOwnDirectories)
{
    prompter.ExpectDialog(PromptMatch::Caption("Data Transfer"), [](QDialog &d) { d.accept(); });
    prompter.ExpectMessage(PromptMatch::Id(32973), IDNO); // save F1? once, in the first pass
    Generators().SendData(true);
    for (gensim::Generator *g : gens) {
        EXPECT_TRUE(g->item(gensim::ItemKind::Format, "F1").has_value());
        EXPECT_TRUE(g->item(gensim::ItemKind::Format, "F2").has_value());
        EXPECT_TRUE(g->item(gensim::ItemKind::Image, "I1").has_value());
        EXPECT_EQ(Directory(*g, "fmt"), Joined({"F1", "F2"}, fmtBefore));
        EXPECT_EQ(Directory(*g, "img"), Joined({"I1"}, imgBefore));
    }
    EXPECT_EQ(prompter.Messages().size(), 1u);
}

TEST_F(SendDataSimTest, CancelStopsTheSend)
{
    Data().GetRowItem(0)->SetModified(false);
    // Cancel is pressed while the image goes to the first generator.
    SimFormatItem::beforeSend = [this](CProgressDlg *progress) {
        if (Data().GetRowItem(1)->GetName() == "I1" && progress && Count(*gens[0], "IMGB") == 0
            && Count(*gens[0], "FMTA \"F1\"") == 1)
            progress->OnCancel();
    };
    Generators().SendData(false);
    EXPECT_TRUE(gens[0]->item(gensim::ItemKind::Format, "F1").has_value());
    EXPECT_FALSE(gens[0]->item(gensim::ItemKind::Image, "I1").has_value());
    EXPECT_FALSE(gens[0]->item(gensim::ItemKind::Format, "F2").has_value());
    EXPECT_FALSE(gens[1]->item(gensim::ItemKind::Format, "F1").has_value()) << "the second generator gets nothing";
    EXPECT_EQ(Directory(*gens[0], "fmt"), fmtBefore) << "a stopped send adds no names";
}

} // namespace
