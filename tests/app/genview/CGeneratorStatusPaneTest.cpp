// The status pane on a scripted port: its rows, the format figures it asks
// for after loading the format in use, and a failing query that does not
// stop the refresh.

#include "CGeneratorStatusPane.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "FakePort.h"
#include "TestSupport.h"
#include "TestPorts.h"

#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

using StatusRow = CGeneratorStatusPane::Row;

class StatusPaneTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        port.fallback = {"0", 0};
        port.Script("*IDN?", "Maker,VG-7000,4711,7.011\r\n");
    }
    void TearDown() override
    {
        view.reset();
        PlatformTest::TearDown();
    }

    CGeneratorStatusPane &Make()
    {
        auto *connection = new CGenerator(nullptr, kCom1);
        connection->SetFirmwareVersion(7.011);
        view = std::make_unique<CGeneratorView>(connection, nullptr);
        view->CreateFrame();
        port.commands.clear();
        return *view->StatusPane();
    }

    FakePort port;
    std::unique_ptr<CGeneratorView> view;
};

TEST_F(StatusPaneTest, RowsAreLabelledInTheirOrderWithSeparatorsBetween)
{
    const CGeneratorStatusPane &pane = Make();
    const char *labels[] = {"Firmware", "Serial Number", "", "Format", "Image", "Sequence", "",
                            "Active Resolution", "Scan Type", "Pixel Rate", "", "Format Knob", "Image Knob", "",
                            "Memory Used", "Memory Free"};
    ASSERT_EQ(pane.RowCount(), 16);
    for (int row = 0; row < 16; ++row)
        EXPECT_EQ(pane.RowLabel(row), labels[row]) << row;
    for (int separator : {2, 6, 10, 13})
        EXPECT_EQ(pane.RowValue(separator), "") << separator;
}

struct Figures {
    const char *name;
    std::vector<std::pair<std::string, std::string>> replies;
    const char *resolution;
    const char *scan;
    const char *rate;
};

void PrintTo(const Figures &f, std::ostream *os)
{
    *os << f.name;
}

class FormatFiguresPaneTest : public StatusPaneTest, public ::testing::WithParamInterface<Figures> {};

TEST_P(FormatFiguresPaneTest, FollowTheLoadedFormat)
{
    CGeneratorStatusPane &pane = Make();
    view->GetState().format = "HD";
    for (const auto &[query, reply] : GetParam().replies)
        port.Script(query, reply + "\r\n");
    pane.RefreshValues();
    const std::vector<std::string> expected = {"FMTL \"HD\"", "HRES?", "VRES?", "SCAN?", "HTOT?", "HRAT?"};
    EXPECT_EQ(port.commands, expected);
    EXPECT_EQ(pane.RowValue(StatusRow::kRowFormat), "HD");
    EXPECT_EQ(pane.RowValue(StatusRow::kRowResolution), GetParam().resolution);
    EXPECT_EQ(pane.RowValue(StatusRow::kRowScanType), GetParam().scan);
    EXPECT_EQ(pane.RowValue(StatusRow::kRowPixelRate), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FormatFiguresPaneTest,
    ::testing::Values(
        Figures{"2200 pixels at 67500 Hz",
                {{"HRES?", "1920"}, {"VRES?", "1080"}, {"SCAN?", "1"}, {"HTOT?", "2200"}, {"HRAT?", "67500.0000"}},
                "1920 x 1080", "Progressive", "148.500 Mhz"},
        Figures{"scan 2 is interlaced",
                {{"HRES?", "720"}, {"VRES?", "486"}, {"SCAN?", "2"}, {"HTOT?", "858"}, {"HRAT?", "15734.2640"}},
                "720 x 486", "Interlace", "13.500 Mhz"},
        Figures{"an unreadable scan is not progressive",
                {{"HRES?", "640"}, {"VRES?", "480"}, {"SCAN?", "x"}, {"HTOT?", "800"}, {"HRAT?", "31469"}},
                "640 x 480", "Interlace", "25.175 Mhz"}));

// A refused query is shown and the refresh goes on with what was read; a
// query that loses the link leaves every value as it was, greyed.
TEST_F(StatusPaneTest, AFailedQueryIsShownAndTheRefreshGoesOn)
{
    const struct {
        const char *name;
        int error;
        const char *resolution;
        bool greyed;
    } cases[] = {
        {"refused", MORVANE_E_COMMAND_INVALID, "800 x 0", false},
        {"link lost", MORVANE_E_TIMEOUT, "kept", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakePort fresh; // a script of its own for each case
        fresh.fallback = {"0", 0};
        fresh.Script("*IDN?", "Maker,VG-7000,4711,7.011\r\n");
        CGeneratorStatusPane &pane = Make();
        pane.List()->topLevelItem(StatusRow::kRowResolution)->setText(1, QStringLiteral("kept"));
        fresh.Script("VRES?", "", c.error);
        fresh.Script("HRES?", "800\r\n");
        prompter.ExpectMessage(PromptMatch::Caption("Communication Error"), IDOK);
        pane.RefreshValues();
        EXPECT_EQ(pane.RowValue(StatusRow::kRowResolution), c.resolution);
        EXPECT_EQ(pane.IsGreyed(), c.greyed);
        prompter.VerifyAllUsed();
        view.reset();
    }
}

} // namespace
