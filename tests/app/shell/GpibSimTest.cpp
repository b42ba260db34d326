// A generator on the GPIB bus, reached through the real library and the
// stand-in GPIB library as a user reaches it: Connect on GPIB address 5,
// the double-click that scans its lists, and a generator that falls silent.

#include "CGenerator.h"
#include "CGeneratorDataPane.h"
#include "CGeneratorListView.h"
#include "CGeneratorView.h"
#include "CMainWindow.h"
#include "DataKindRegistry.h"
#include "MainWindowFixture.h"
#include "Profile.h"
#include "ShellImages.h"
#include "TestSupport.h"

#include "morvane.h"

#include "gensim/Population.h"
#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using gensim::ItemKind;
using Pane = CGeneratorDataPane;

constexpr unsigned kCommandErrorId = 33410;

class GpibSimTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterProgramDataKinds();
        char pattern[] = "/tmp/zot-gpib-shell-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const std::string bus = (dir / "bus").string();
        setenv("MORVANE_GPIB_LIBRARY", GPIB_STANDIN, 1);
        setenv("ZOT_GPIB_BUS", bus.c_str(), 1);
        generator = &sim.addGenerator({.model = "VG-7000", .firmware = "7.021", .serial = "4711", .pty = false,
                                       .gpib = gensim::GpibAddress{5, 0}});
        sim.openGpibBus(bus);
        sim.start();
        window = ShowMainWindow();
    }

    void TearDown() override
    {
        window.reset();
        sim.stop();
        DataKinds::Unregister(kIconFormat);
        unsetenv("ZOT_GPIB_BUS");
        unsetenv("MORVANE_GPIB_LIBRARY");
        fs::remove_all(dir);
        PlatformTest::TearDown();
    }

    // The port dialog of Generator/Connect... on GPIB address.
    void ExpectPortDialog(int address)
    {
        AnswerPortDialog(prompter, CSelectPortDlg::kTypeGpib, address);
    }

    void Connect(int address)
    {
        ExpectPortDialog(address);
        ASSERT_TRUE(window->Router().Execute(ID_CONNECT));
    }

    CGeneratorListView &Generators() { return *window->GetGeneratorListView(); }

    QStringList Row(int row)
    {
        QStringList texts;
        for (int column = 0; column < 5; ++column)
            texts.append(Generators().GetRowText(row, column));
        return texts;
    }

    // A double click on the generator's row, as the window system delivers it.
    void DoubleClickGenerator(int row)
    {
        QTreeWidget &list = *Generators().List();
        const QPoint at = list.visualItemRect(list.topLevelItem(row)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCoreApplication::processEvents();
    }

    fs::path dir;
    gensim::Simulator sim;
    gensim::Generator *generator = nullptr;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(GpibSimTest, ConnectOnAddressFiveShowsTheBusPort)
{
    Connect(5);
    ASSERT_EQ(Generators().GetRowCount(), 1);
    EXPECT_EQ(Row(0), (QStringList{"VG-7000", "Gpib-5:0", "7.021", "4711", "N/A"}));
    // The handshake, the firmware and the identity, each one bus message;
    // no line speed is set on a bus.
    const std::vector<std::string> lines = generator->trace().lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"verf?", "VERF?", "*IDN?"}));
    for (const std::string &line : lines)
        EXPECT_NE(line.rfind("MODE", 0), 0u) << line;
}

TEST_F(GpibSimTest, ConnectWhereNoGeneratorListensShowsTheHandshakeError)
{
    ExpectPortDialog(7);
    prompter.ExpectMessage(PromptMatch::Text("Communication handshake failed. Make sure a generator is connected to "
                                             "the port and that it is powered on.\n\nNo generator answered on Gpib-7:0.")
                               .AndCaption("Connect Error"),
                           IDOK, MB_OK | MB_ICONWARNING);
    window->Router().Execute(ID_CONNECT);
    EXPECT_EQ(Generators().GetRowCount(), 0);
    prompter.VerifyAllUsed();
}

// A generator that hears nothing on the bus: the search is the open alone,
// bounded by the bus's own time-out: the handshake's one write and one read
// that times out at 300 ms, tried once; then one box that names the port.
TEST_F(GpibSimTest, ASilentGeneratorIsSearchedWithinTheBusTimeOut)
{
    generator->fault(gensim::Fault::silence(gensim::Fault::kForever));
    ExpectPortDialog(5);
    prompter.ExpectMessage(PromptMatch::Text("Communication handshake failed. Make sure a generator is connected to "
                                             "the port and that it is powered on.\n\nNo generator answered on Gpib-5:0.")
                               .AndCaption("Connect Error"),
                           IDOK, MB_OK | MB_ICONWARNING);
    window->Router().Execute(ID_CONNECT);
    EXPECT_EQ(Generators().GetRowCount(), 0);
    prompter.VerifyAllUsed();
    EXPECT_EQ(generator->busTrace().events(),
              (std::vector<gensim::BusEvent>{gensim::BusEvent::write("verf?", true), gensim::BusEvent::timeout(300)}));
}

// Every list is read over the bus, the formats one of 450 names: each name
// a bus message of its own.
TEST_F(GpibSimTest, ADoubleClickScansEveryList)
{
    gensim::populate(*generator, {.formats = 444, .images = 2, .sequences = 2, .fonts = 1, .pixelMaps = 1});
    ASSERT_EQ(generator->names(ItemKind::Format).size(), 450u);
    Connect(5);
    ASSERT_EQ(Generators().GetRowCount(), 1);
    DoubleClickGenerator(0);
    CGeneratorView &view = *Generators().GetRowView(0);
    ASSERT_TRUE(view.isVisible());
    ASSERT_EQ(view.IsScanned(), 1);
    Pane &pane = *view.DataPane();
    struct Case {
        int list;
        ItemKind kind;
    };
    const Case cases[] = {{Pane::kFormats, ItemKind::Format},   {Pane::kImages, ItemKind::Image},
                          {Pane::kSequences, ItemKind::Sequence}, {Pane::kFonts, ItemKind::Font},
                          {Pane::kIcons, ItemKind::PixelMap}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.list);
        const std::vector<std::string> names = generator->names(c.kind);
        ASSERT_EQ(pane.NameList(c.list)->count(), int(names.size()));
        for (const std::string &name : names)
            EXPECT_GE(pane.FindRow(c.list, QString::fromStdString(name)), 0) << name;
    }
    EXPECT_EQ(pane.NameList(Pane::kFormats)->count(), 450);
    EXPECT_GE(pane.FindRow(Pane::kKnobLists, "fmt"), 0);
    EXPECT_EQ(prompter.Messages().size(), 0u);
}

// A generator that stops answering: the first command that waits for a
// reply shows one box, then the link counts as lost and the rest of the
// operation goes without traffic.
TEST_F(GpibSimTest, ASilencedGeneratorShowsOneBoxThenTheLinkIsLost)
{
    Connect(5);
    ASSERT_EQ(Generators().GetRowCount(), 1);
    CGenerator &gen = *Generators().GetRowView(0)->GetGenerator();
    generator->fault(gensim::Fault::silence(gensim::Fault::kForever));
    PromptMatch match = PromptMatch::Id(kCommandErrorId).AndCaption("Communication Error");
    match.text = "Command: \"FMTQ? 1 450 x\"\nThe generator did not answer in time.";  // worded by the program
    prompter.ExpectMessage(match, IDOK, MB_OK | MB_ICONWARNING);
    const std::size_t heard = generator->busTrace().size();

    gen.RefreshFormatList();
    gen.RefreshImageList();
    gen.RefreshSequenceList();
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(gen.LastCommandError(), MORVANE_E_TIMEOUT);
    EXPECT_TRUE(gen.IsLinkLost());
    EXPECT_TRUE(gen.FormatNames().isEmpty());
    // One command went out and waited its 300 ms; the others stayed home.
    const std::vector<gensim::BusEvent> events = generator->busTrace().events();
    ASSERT_EQ(events.size(), heard + 2);
    EXPECT_EQ(events[heard], gensim::BusEvent::write("FMTQ? 1 450 x", true));
    EXPECT_EQ(events[heard + 1], gensim::BusEvent::timeout(300));

    generator->clearFaults();
    EXPECT_TRUE(gen.CheckLink());
    EXPECT_FALSE(gen.IsLinkLost());
    gen.RefreshFormatList();
    EXPECT_EQ(gen.FormatNames().size(), qsizetype(generator->names(ItemKind::Format).size()));
    prompter.VerifyAllUsed();
}

} // namespace
