// A generator view on a simulated generator through the real library on a
// pseudo-terminal: what its status pane shows, and the dialog bar's toggles
// and image-version spin going to the generator and back.

#include "CGenerator.h"
#include "CGeneratorDialogBar.h"
#include "CGeneratorStatusPane.h"
#include "CGeneratorView.h"
#include "CSpinButtonCtrl.h"
#include "CStateButton.h"

#include "Profile.h"
#include "TestSupport.h"

#include "gensim/Simulator.h"
#include "PortDialogAnswer.h"

#include <QDialog>
#include <QLabel>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using StatusRow = CGeneratorStatusPane::Row;

class GeneratorViewSimTest : public PlatformTest {
protected:
    // A generator on COM1 and its view, frame made (hidden).
    CGeneratorView &Open(const char *firmware, std::uint64_t memory = 8u << 20)
    {
        sim.addGenerator({.model = "VG-7000", .firmware = firmware, .serial = "4711", .baudRate = 115200, .link = ""});
        generator().setMemorySize(memory);
        sim.start();
        setenv("MORVANE_COM1", generator().comPath().c_str(), 1);
        AnswerPortDialogCom(prompter, 1);
        auto *connection = new CGenerator(nullptr);
        EXPECT_TRUE(connection->OpenPort());
        view = std::make_unique<CGeneratorView>(connection, nullptr);
        view->CreateFrame();
        return *view;
    }

    void TearDown() override
    {
        view.reset();
        unsetenv("MORVANE_COM1");
        PlatformTest::TearDown();
    }

    gensim::Generator &generator() { return sim.generator(0); }
    std::string Setting(const char *mnemonic) { return generator().setting(mnemonic).value_or("?"); }
    void Set(const char *line) { generator().execute(line); }
    size_t Mark() { return generator().trace().size(); }
    Lines Since(size_t mark)
    {
        const Lines lines = generator().trace().lines();
        return Lines(lines.begin() + long(std::min(mark, lines.size())), lines.end());
    }
    // What was sent since mark, less the checks for an animated image with
    // which the applying commands wait for the generator.
    Lines SentSince(size_t mark)
    {
        Lines sent = Since(mark);
        std::erase_if(sent, [](const std::string &line) {
            return line == "IMGU?" || line == "IMGN?" || line == "IMGL?" || line.rfind("ANIM?", 0) == 0;
        });
        return sent;
    }
    QString Value(int row) { return view->StatusPane()->RowValue(row); }
    CStateButton *Toggle(int id) { return view->DialogBar()->Toggle(id); }
    void ExpectCommunicationError()
    {
        prompter.ExpectMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
    }

    gensim::Simulator sim;
    std::unique_ptr<CGeneratorView> view;
};

// --- Status pane ----------------------------------------------------------------------

TEST_F(GeneratorViewSimTest, ShowsTheStateReadFromTheGeneratorAndItsToggles)
{
    Open("7.011");
    Set("FMTL \"DMT1075\";FMTU;IMGL Ramp;IMGU;FMTP fmt;IMGP img;XVSG 1 0 1;SSST 6;OUTG 0;IVER 7");
    ASSERT_EQ(view->ScanGenerator(), 1);

    const std::pair<int, const char *> rows[] = {
        {StatusRow::kRowFirmware, "7.011"},  {StatusRow::kRowSerial, "4711"},     {StatusRow::kRowFormat, "DMT1075"},
        {StatusRow::kRowImage, "Ramp"},      {StatusRow::kRowFormatKnob, "fmt"},  {StatusRow::kRowImageKnob, "img"},
    };
    for (const auto &[row, text] : rows)
        EXPECT_EQ(Value(row), QString::fromLatin1(text)) << view->StatusPane()->RowLabel(row).toStdString();
    const std::pair<int, int> toggles[] = {{IDC_RED, 1}, {IDC_GREEN, 0}, {IDC_BLUE, 1}, {IDC_OUTPUT, 0},
                                           {IDC_ACS, 1}, {IDC_DCS, 1},   {IDC_DSS, 0}};
    for (const auto &[id, state] : toggles)
        EXPECT_EQ(Toggle(id)->GetState(), state) << id;
    EXPECT_EQ(view->DialogBar()->Spin()->GetPos(), 7);
    EXPECT_EQ(view->DialogBar()->VersionText()->text(), "7");
}

struct FormatFigures {
    const char *format;
    const char *resolution;
    const char *scan;
    const char *pixelRate; // total pixels per line x line rate, from the simulator's format table
};

class FormatFiguresTest : public GeneratorViewSimTest, public ::testing::WithParamInterface<FormatFigures> {};

TEST_P(FormatFiguresTest, DescribeTheFormatInUse)
{
    const FormatFigures &f = GetParam();
    Open("7.011");
    Set((std::string("FMTL \"") + f.format + "\";FMTU").c_str());
    view->ScanGenerator();
    EXPECT_EQ(Value(StatusRow::kRowResolution), f.resolution);
    EXPECT_EQ(Value(StatusRow::kRowScanType), f.scan);
    EXPECT_EQ(Value(StatusRow::kRowPixelRate), f.pixelRate);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatFiguresTest,
                         ::testing::Values(FormatFigures{"HDTV_2J", "1920 x 1080", "Interlace", "74.250 Mhz"},
                                           FormatFigures{"DMT1075", "1024 x 768", "Progressive", "78.750 Mhz"},
                                           FormatFigures{"NTSC_601", "720 x 480", "Interlace", "13.500 Mhz"}));

TEST_F(GeneratorViewSimTest, BeforeTheFirstScanTheFormatIsLoadedByAnEmptyName)
{
    Open("7.011");
    const Lines lines = Since(0);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "FMTL "), lines.end()) << "FMTL with no name";
    for (int row : {StatusRow::kRowFormat, StatusRow::kRowImage, StatusRow::kRowSequence, StatusRow::kRowFormatKnob, StatusRow::kRowImageKnob})
        EXPECT_EQ(Value(row), "") << row;
}

struct MemoryCase {
    const char *firmware;
    std::uint64_t size;
    bool rows;
    const char *used;
    const char *free;
};

class MemoryRowsTest : public GeneratorViewSimTest, public ::testing::WithParamInterface<MemoryCase> {};

// 512 KiB of firmware and the 256 bytes of the user sequence NewSeq are in use at start.
TEST_P(MemoryRowsTest, AppearAboveFirmware701AndReadWholeNumbers)
{
    const MemoryCase &c = GetParam();
    Open(c.firmware, c.size);
    const size_t mark = Mark();
    view->RefreshStatus(CGeneratorView::kRefreshMemory);
    const Lines lines = Since(mark);
    EXPECT_EQ(view->StatusPane()->HasMemoryRows(), c.rows);
    if (!c.rows) {
        EXPECT_EQ(view->StatusPane()->RowCount(), 14);
        EXPECT_TRUE(lines.empty()) << lines.front();
        return;
    }
    EXPECT_EQ(lines, (Lines{"MEMU?", "MEMF?"}));
    EXPECT_EQ(view->StatusPane()->RowCount(), 16);
    EXPECT_EQ(view->StatusPane()->RowLabel(StatusRow::kRowMemoryUsed), "Memory Used");
    EXPECT_EQ(Value(StatusRow::kRowMemoryUsed), c.used);
    EXPECT_EQ(Value(StatusRow::kRowMemoryFree), c.free);
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, MemoryRowsTest,
    ::testing::Values(MemoryCase{"7.01", 8u << 20, false, "", ""},
                      MemoryCase{"7.011", 8u << 20, true, "524544 Bytes", "7864064 Bytes"},
                      // 6 GiB: beyond what 32 bits hold.
                      MemoryCase{"7.011", 6ull << 30, true, "524544 Bytes", "6441926400 Bytes"}));

// --- Dialog-bar toggles ------------------------------------------------------------------

struct ToggleCase {
    const char *name;
    const char *firmware;
    const char *before; // the generator's settings before the view reads them
    int button;
    Lines sent;             // what the press sends
    const char *mnemonic;   // the setting it changes
    const char *after;      // that setting afterwards
    std::vector<std::pair<int, int>> shown; // buttons and the state each shows afterwards
};

void PrintTo(const ToggleCase &c, std::ostream *os)
{
    *os << c.name;
}

class ToggleTest : public GeneratorViewSimTest, public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(ToggleTest, SendsAndShowsWhatTheGeneratorReportsBack)
{
    const ToggleCase &c = GetParam();
    Open(c.firmware);
    Set(c.before);
    view->ScanGenerator();
    const size_t mark = Mark();
    Toggle(c.button)->click();
    EXPECT_EQ(SentSince(mark), c.sent);
    EXPECT_EQ(Setting(c.mnemonic), c.after);
    for (const auto &[id, state] : c.shown)
        EXPECT_EQ(Toggle(id)->GetState(), state) << id;
}

const ToggleCase kToggles[] = {
    {"red off on 3.11 applies", "3.11", "XVSG 1 1 1", IDC_RED, {"XVSG 0 1 1", "ALLU;*OPC?", "XVSG?"}, "XVSG", "0,1,1",
     {{IDC_RED, 0}}},
    {"red off on 3.12 applies by itself", "3.12", "XVSG 1 1 1", IDC_RED, {"XVSG 0 1 1", "XVSG?"}, "XVSG", "0,1,1",
     {{IDC_RED, 0}}},
    {"blue on keeps the others", "7.011", "XVSG 1 0 0", IDC_BLUE, {"XVSG 1 0 1", "XVSG?"}, "XVSG", "1,0,1",
     {{IDC_BLUE, 1}}},
    {"outputs off on 3.12 apply", "3.12", "OUTG 1", IDC_OUTPUT, {"OUTG 0", "ALLU;*OPC?", "OUTG?"}, "OUTG", "0",
     {{IDC_OUTPUT, 0}}},
    {"ACS on while DCS is on goes alone", "7.011", "SSST 2", IDC_ACS, {"SSST 3", "ALLU;*OPC?", "SSST?"}, "SSST", "3",
     {{IDC_ACS, 1}, {IDC_DCS, 0}, {IDC_DSS, 0}}},
    {"ACS off while DSS is on leaves DSS", "7.011", "SSST 5", IDC_ACS, {"SSST 1", "ALLU;*OPC?", "SSST?"}, "SSST", "1",
     {{IDC_ACS, 0}, {IDC_DCS, 0}, {IDC_DSS, 1}}},
    {"DSS on from DPMS on", "7.011", "SSST 13", IDC_DSS, {"SSST 1", "ALLU;*OPC?", "SSST?"}, "SSST", "1",
     {{IDC_ACS, 0}, {IDC_DCS, 0}, {IDC_DSS, 1}}},
};

INSTANTIATE_TEST_SUITE_P(Buttons, ToggleTest, ::testing::ValuesIn(kToggles));

// A refused sync change reads back DPMS on; putting the state back later
// must send 13 again, not the "none" its three flags show.
TEST_F(GeneratorViewSimTest, RefusedSyncChangeKeepsTheDpmsCodeForLater)
{
    Open("7.011");
    view->ScanGenerator();
    // The pane's refresh loads the format in use, whose sync selection is its own.
    Set("SSST 13");
    view->GetState().ReadSignal();
    view->RefreshStatus(CGeneratorView::kRefreshValues);
    Set("SSST 13");
    EXPECT_EQ(Toggle(IDC_ACS)->GetState(), 0);
    generator().fault(gensim::Fault::scriptedReply("SSST 3", "Command invalid\r\n>"));
    ExpectCommunicationError();
    Toggle(IDC_ACS)->click();
    EXPECT_EQ(Setting("SSST"), "13");
    EXPECT_EQ(Toggle(IDC_ACS)->GetState(), 0) << "the button shows what the generator reports";
    Set("SSST 0");
    view->GetState().Apply();
    EXPECT_EQ(Setting("SSST"), "13");
}

// --- Image version ---------------------------------------------------------------------

struct SpinCase {
    const char *firmware;
    Lines sent;
};

class ImageVersionTest : public GeneratorViewSimTest, public ::testing::WithParamInterface<SpinCase> {};

TEST_P(ImageVersionTest, StepsTheGeneratorsImageVersion)
{
    Open(GetParam().firmware);
    Set("IVER 4");
    view->ScanGenerator();
    const size_t mark = Mark();
    view->DialogBar()->Spin()->Step(1);
    EXPECT_EQ(SentSince(mark), GetParam().sent);
    EXPECT_EQ(Setting("IVER"), "5");
    EXPECT_EQ(view->DialogBar()->Spin()->GetPos(), 5);
    EXPECT_EQ(view->DialogBar()->VersionText()->text(), "5");
    EXPECT_EQ(view->GetState().imageVersion, 5);
}

INSTANTIATE_TEST_SUITE_P(Firmware, ImageVersionTest,
                         ::testing::Values(SpinCase{"7.02", {"IVER?", "IVER 5", "IMGU;*OPC?", "IVER?"}},
                                           SpinCase{"7.03", {"IVER?", "ISUB 1", "IVER 5", "IMGU;*OPC?", "IVER?"}}));

TEST_F(GeneratorViewSimTest, ImageVersionTheGeneratorRefusesLeavesTheSpin)
{
    Open("7.03");
    Set("IVER 4");
    view->ScanGenerator();
    generator().fault(gensim::Fault::scriptedReply("IVER 3", "Command invalid\r\n>"));
    ExpectCommunicationError();
    view->DialogBar()->Spin()->Step(-1);
    EXPECT_EQ(Setting("IVER"), "4");
    EXPECT_EQ(view->DialogBar()->Spin()->GetPos(), 4);
    EXPECT_EQ(view->DialogBar()->VersionText()->text(), "4");
}

} // namespace
