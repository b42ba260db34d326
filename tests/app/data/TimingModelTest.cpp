#include "TimingModel.h"

#include "CGeneralFormatData.h"

#include <gtest/gtest.h>

#include <QString>

#include <limits>
#include <utility>
#include <vector>

namespace {

using T = TimingModel;
using Kind = TimingModel::Outcome::Kind;

// The Timing page as a user drives it: a working copy and the page's model.
struct Page {
    explicit Page(bool timeUnits = false)
    {
        data.timeEntryUnits = timeUnits ? 1 : 0;
        model.Init();
    }
    Kind Enter(int id, const QString &text) { return model.Enter(id, text).kind; }
    void Take(int id, const QString &text)
    {
        const TimingModel::Outcome outcome = model.Enter(id, text);
        ASSERT_EQ(outcome.kind, Kind::kTaken) << id << " " << qPrintable(text) << " " << qPrintable(outcome.message);
    }
    std::string Shown(int id) const { return model.Text(id).toStdString(); }

    CGeneralFormatData data;
    TimingModel model{data};
};

// A video mode: counts and pixel rate, and the rates and periods they give,
// typed from the published timing tables.
struct Mode {
    const char *name;
    const char *mhz;
    int hActive, hTotal, hDelay, hWidth;
    int vActive, vTotal, vDelay, vWidth;
    bool interlaced;
    const char *khz, *hz, *ns, *hPeriodUs, *vPeriodMs;
};

const Mode kModes[] = {
    {"DMT 640x480@60", "25.175", 640, 800, 16, 96, 480, 525, 10, 2, false, "31.469", "59.940", "39.722", "31.778",
     "16.683"},
    {"DMT 1280x1024@60", "108", 1280, 1688, 48, 112, 1024, 1066, 1, 3, false, "63.981", "60.020", "9.259", "15.630",
     "16.661"},
    {"CEA 1080p60", "148.5", 1920, 2200, 88, 44, 1080, 1125, 4, 5, false, "67.500", "60.000", "6.734", "14.815",
     "16.667"},
    {"CEA 1080i60", "74.25", 1920, 2200, 88, 44, 1080, 1125, 2, 5, true, "33.750", "60.000", "13.468", "29.630",
     "33.333"},
    {"CEA 2160p60", "594", 3840, 4400, 176, 88, 2160, 2250, 8, 10, false, "135.000", "60.000", "1.684", "7.407",
     "16.667"},
};

// In Machine units: the counts, then the pixel rate with row A.
void EnterInMachineUnits(Page &page, const Mode &m)
{
    if (m.interlaced) {
        ASSERT_EQ(page.model.SetInterlaced(true).kind, Kind::kTaken);
    }
    const std::pair<int, int> counts[] = {{IDC_H_ACTIVE, m.hActive}, {IDC_H_TOTAL, m.hTotal},
                                          {IDC_H_DELAY, m.hDelay},   {IDC_H_WIDTH, m.hWidth},
                                          {IDC_V_ACTIVE, m.vActive}, {IDC_V_TOTAL, m.vTotal},
                                          {IDC_V_DELAY, m.vDelay},   {IDC_V_WIDTH, m.vWidth}};
    for (const auto &[id, count] : counts)
        page.Take(id, QString::number(count));
    EXPECT_EQ(page.model.PressSelector(IDC_RATE_SELECT_A).focus, IDC_PIXEL_RATE);
    page.Take(IDC_PIXEL_RATE, QString::fromLatin1(m.mhz));
}

TEST(TimingModelTest, VideoModesEnteredAsCountsShowTheirRatesAndPeriods)
{
    for (const Mode &m : kModes) {
        SCOPED_TRACE(m.name);
        Page page;
        EnterInMachineUnits(page, m);
        EXPECT_EQ(page.Shown(IDC_LINE_RATE), m.khz);
        EXPECT_EQ(page.Shown(IDC_FIELD_RATE), m.hz);
        EXPECT_EQ(page.Shown(IDC_PIXEL_PERIOD), m.ns);
        EXPECT_EQ(page.Shown(IDC_H_PERIOD_TIME), m.hPeriodUs);
        EXPECT_EQ(page.Shown(IDC_V_PERIOD_TIME), m.vPeriodMs);
        EXPECT_EQ(page.data.hBlank, m.hTotal - m.hActive);
        EXPECT_EQ(page.data.vBlank, m.vTotal - m.vActive);
        // What is stored is what was typed, not the three decimals shown.
        EXPECT_EQ(page.data.pixelRate, QString::fromLatin1(m.mhz).toDouble() * 1e6);
    }
}

TEST(TimingModelTest, InTimeUnitsTheShownTimesGiveBackTheCounts)
{
    const int times[] = {IDC_H_ACTIVE_TIME, IDC_H_PERIOD_TIME, IDC_H_DELAY_TIME, IDC_H_WIDTH_TIME,
                         IDC_V_ACTIVE_TIME, IDC_V_PERIOD_TIME, IDC_V_DELAY_TIME, IDC_V_WIDTH_TIME};
    for (const Mode &m : kModes) {
        SCOPED_TRACE(m.name);
        Page machine;
        EnterInMachineUnits(machine, m);
        Page time(true);
        EXPECT_TRUE(time.model.IsSelectorOn(IDC_RATE_SELECT_A));
        if (m.interlaced) {
            ASSERT_EQ(time.model.SetInterlaced(true).kind, Kind::kTaken);
        }
        time.Take(IDC_PIXEL_RATE, QString::fromLatin1(m.mhz));
        for (int id : times)
            time.Take(id, machine.model.Text(id));
        const CGeneralFormatData &d = time.data;
        EXPECT_EQ(d.hActive, m.hActive);
        EXPECT_EQ(d.hTotal, m.hTotal);
        EXPECT_EQ(d.hBlank, m.hTotal - m.hActive);
        EXPECT_EQ(d.hSyncDelay, m.hDelay);
        EXPECT_EQ(d.hSyncWidth, m.hWidth);
        EXPECT_EQ(d.vActive, m.vActive);
        EXPECT_EQ(d.vTotal, m.vTotal);
        EXPECT_EQ(d.vSyncDelay, m.vDelay);
        EXPECT_EQ(d.vSyncWidth, m.vWidth);
        EXPECT_EQ(time.Shown(IDC_LINE_RATE), m.khz);
        EXPECT_EQ(time.Shown(IDC_FIELD_RATE), m.hz);
    }
}

TEST(TimingModelTest, RowBTakesTheLineRate)
{
    // DMT 1600x1200@60 at 75 kHz.
    Page page;
    EXPECT_TRUE(page.model.IsSelectorOn(IDC_RATE_SELECT_B));
    for (const auto &[id, text] : {std::pair{IDC_H_ACTIVE, "1600"}, std::pair{IDC_H_TOTAL, "2160"},
                                   std::pair{IDC_V_ACTIVE, "1200"}, std::pair{IDC_V_TOTAL, "1250"},
                                   std::pair{IDC_LINE_RATE, "75"}})
        page.Take(id, QString::fromLatin1(text));
    EXPECT_EQ(page.Shown(IDC_PIXEL_RATE), "162.000");
    EXPECT_EQ(page.Shown(IDC_FIELD_RATE), "60.000");
    EXPECT_EQ(page.data.pixelRate, 162e6);
}

TEST(TimingModelTest, BackPorchShowsWhatTheSyncLeavesOfTheBlanking)
{
    Page page;
    EnterInMachineUnits(page, kModes[2]); // CEA 1080p60
    ASSERT_EQ(page.model.SetBackPorch(true).kind, Kind::kTaken);
    EXPECT_EQ(page.Shown(IDC_H_DELAY), "148"); // 2200 - 1920 - 88 - 44
    EXPECT_EQ(page.Shown(IDC_V_DELAY), "36");  // 1125 - 1080 - 4 - 5
    EXPECT_EQ(page.Shown(IDC_H_DELAY_TIME), "0.997");
    EXPECT_EQ(page.model.FieldName(IDC_H_DELAY), QStringLiteral("Horizontal Back Porch (pixels)"));
    EXPECT_EQ(page.model.DelayLabelId(), IDS_BACK_PORCH);

    // A longer back porch shortens the sync delay once committed.
    page.Take(IDC_H_DELAY, QStringLiteral("150"));
    page.model.Commit();
    EXPECT_EQ(page.data.hSyncDelay, 86);
    EXPECT_DOUBLE_EQ(page.data.hSyncDelayTime, 86 / 148.5e6);

    ASSERT_EQ(page.model.SetBackPorch(false).kind, Kind::kTaken);
    EXPECT_EQ(page.Shown(IDC_H_DELAY), "86");
    EXPECT_EQ(page.Shown(IDC_V_DELAY), "4");
    EXPECT_EQ(page.model.DelayLabelId(), IDS_PULSE_DELAY);
}

TEST(TimingModelTest, EntriesAreClampedAtBothEnds)
{
    const struct {
        bool timeUnits;
        int selector; // pressed first; 0: none
        int id;
        const char *typed;
        const char *shown;
    } cases[] = {
        {false, IDC_RATE_SELECT_A, IDC_PIXEL_RATE, "0.5", "1.000"},
        {false, IDC_RATE_SELECT_A, IDC_PIXEL_RATE, "1000", "999.999"},
        {false, IDC_RATE_SELECT_A, IDC_PIXEL_PERIOD, "0.5", "1.000"},
        {false, IDC_RATE_SELECT_A, IDC_PIXEL_PERIOD, "2000", "1000.000"},
        {false, 0, IDC_LINE_RATE, "1", "2.000"},
        {false, 0, IDC_LINE_RATE, "300", "250.000"},
        {false, IDC_RATE_SELECT_C, IDC_FIELD_RATE, "0.5", "1.000"},
        {false, IDC_RATE_SELECT_C, IDC_FIELD_RATE, "1000", "999.999"},
        {false, 0, IDC_H_ACTIVE, "12000", "9999"},
        {false, 0, IDC_H_ACTIVE, "12.7", "12"}, // truncated first
        {false, 0, IDC_H_WIDTH, "10000", "9999"},
        {false, 0, IDC_V_DELAY, "-3", "0"},
        {false, 0, IDC_EQ_BEFORE, "20000", "9999"},
        {false, 0, IDC_EQ_AFTER, "-1", "0"},
        {false, 0, IDC_H_SIZE_IN, "0.01", "0.100"},
        {false, 0, IDC_V_SIZE_MM, "20000", "9999.999"},
        {true, 0, IDC_H_ACTIVE_TIME, "600", "500.000"},
        {true, 0, IDC_H_PERIOD_TIME, "1", "4.000"},
        {true, 0, IDC_H_PERIOD_TIME, "600", "500.000"},
        {true, 0, IDC_H_DELAY_TIME, "-5", "0.000"},
        {true, 0, IDC_V_ACTIVE_TIME, "2000", "1000.000"},
        {true, 0, IDC_V_WIDTH_TIME, "2", "0.500"}, // not 1 s as the other vertical times
        {true, 0, IDC_V_DELAY_TIME, "2000", "1000.000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << c.typed);
        Page page(c.timeUnits);
        if (c.selector)
            page.model.PressSelector(c.selector);
        page.Take(c.id, QString::fromLatin1(c.typed));
        EXPECT_EQ(page.Shown(c.id), c.shown);
    }
}

TEST(TimingModelTest, RatesTakeTypedValuesOnlyWhenTheirRowIsEntered)
{
    const struct {
        bool timeUnits;
        int selector;
        std::vector<int> editable;
        std::vector<int> fixed;
    } cases[] = {
        {false, 0, {IDC_LINE_RATE}, {IDC_PIXEL_RATE, IDC_PIXEL_PERIOD, IDC_FIELD_RATE}},
        {false, IDC_RATE_SELECT_A, {IDC_PIXEL_RATE, IDC_PIXEL_PERIOD}, {IDC_LINE_RATE, IDC_FIELD_RATE}},
        {false, IDC_RATE_SELECT_C, {IDC_FIELD_RATE}, {IDC_PIXEL_RATE, IDC_PIXEL_PERIOD, IDC_LINE_RATE}},
        // Time units stay on A whatever is pressed; line and field rate move the periods.
        {true, IDC_RATE_SELECT_B, {IDC_PIXEL_RATE, IDC_PIXEL_PERIOD, IDC_LINE_RATE, IDC_FIELD_RATE}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.selector);
        Page page(c.timeUnits);
        if (c.selector)
            page.model.PressSelector(c.selector);
        for (int id : c.editable)
            EXPECT_TRUE(page.model.IsEditable(id)) << id;
        for (int id : c.fixed) {
            const std::string before = page.Shown(id);
            EXPECT_EQ(page.Enter(id, QStringLiteral("50")), Kind::kRedisplayed) << id;
            EXPECT_EQ(page.Shown(id), before) << id;
        }
    }
    Page time(true);
    time.model.PressSelector(IDC_RATE_SELECT_C);
    EXPECT_TRUE(time.model.IsSelectorOn(IDC_RATE_SELECT_A));
    EXPECT_FALSE(time.model.IsSelectorOn(IDC_RATE_SELECT_C));
}

TEST(TimingModelTest, CountsAndTimesAreEnabledByTheUnits)
{
    Page page;
    for (int id : {IDC_H_BLANK, IDC_H_TOTAL, IDC_H_DELAY, IDC_V_WIDTH, IDC_H_ACTIVE, IDC_V_ACTIVE})
        EXPECT_TRUE(page.model.IsEnabled(id)) << id;
    for (int id : {IDC_H_ACTIVE_TIME, IDC_H_PERIOD_TIME, IDC_V_DELAY_TIME, IDC_V_WIDTH_TIME})
        EXPECT_FALSE(page.model.IsEnabled(id)) << id;
    ASSERT_EQ(page.model.SetTimeUnits(true).focus, IDC_PIXEL_RATE);
    for (int id : {IDC_H_BLANK, IDC_H_TOTAL, IDC_H_DELAY, IDC_V_WIDTH})
        EXPECT_FALSE(page.model.IsEnabled(id)) << id;
    // The actives stay open in both: in Time units they set the rate.
    for (int id : {IDC_H_ACTIVE_TIME, IDC_V_DELAY_TIME, IDC_H_ACTIVE, IDC_V_ACTIVE, IDC_PIXEL_RATE})
        EXPECT_TRUE(page.model.IsEnabled(id)) << id;
}

TEST(TimingModelTest, TextThatIsNoNumberIsRefusedAndTheValueStays)
{
    for (const char *typed : {"", ".", "1.2.3", "12-", "+-3"}) {
        SCOPED_TRACE(typed);
        Page page;
        const TimingModel::Outcome outcome = page.model.Enter(IDC_H_ACTIVE, QString::fromLatin1(typed));
        EXPECT_EQ(outcome.kind, Kind::kRefused);
        EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("Horizontal Active (pixels)"))) << qPrintable(outcome.message);
        EXPECT_EQ(page.data.hActive, 640);
        EXPECT_EQ(page.Shown(IDC_H_ACTIVE), "640");
    }
    // An emptied pixel rate is no 1 MHz.
    Page page;
    page.model.PressSelector(IDC_RATE_SELECT_A);
    EXPECT_EQ(page.Enter(IDC_PIXEL_RATE, QString()), Kind::kRefused);
    EXPECT_EQ(page.data.pixelRate, 25175000);
}

TEST(TimingModelTest, AnEntryWithoutAFiniteResultIsRefusedWholeAndNamesTheField)
{
    // Zero active time in Time units: the active count would set the pixel rate by dividing by it.
    {
        Page page(true);
        page.Take(IDC_H_ACTIVE_TIME, QStringLiteral("0"));
        const CGeneralFormatData before = page.data;
        const TimingModel::Outcome outcome = page.model.Enter(IDC_H_ACTIVE, QStringLiteral("640"));
        EXPECT_EQ(outcome.kind, Kind::kRefused);
        EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("Horizontal Active (pixels):")));
        EXPECT_EQ(page.data.pixelRate, before.pixelRate);
        EXPECT_EQ(page.data.hActive, before.hActive);
    }
    {
        Page page(true);
        page.Take(IDC_V_ACTIVE_TIME, QStringLiteral("0"));
        const double lineRate = page.data.lineRate;
        EXPECT_EQ(page.Enter(IDC_V_ACTIVE, QStringLiteral("480")), Kind::kRefused);
        EXPECT_EQ(page.data.lineRate, lineRate);
    }
    // A zero total read from a file: the line rate cannot come from the pixel rate.
    {
        Page page;
        page.data.hTotal = 0;
        page.model.PressSelector(IDC_RATE_SELECT_A);
        const TimingModel::Outcome outcome = page.model.Enter(IDC_PIXEL_RATE, QStringLiteral("100"));
        EXPECT_EQ(outcome.kind, Kind::kRefused);
        EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("Pixel Rate (MHz):")));
        EXPECT_EQ(page.data.pixelRate, 25175000);
        // Typing the total mends it: a total of 0 becomes 1.
        page.Take(IDC_H_TOTAL, QStringLiteral("0"));
        EXPECT_EQ(page.Shown(IDC_H_TOTAL), "1");
        page.Take(IDC_PIXEL_RATE, QStringLiteral("100"));
        EXPECT_EQ(page.data.lineRate, 100e6);
    }
}

TEST(TimingModelTest, BlankAndTotalFollowTheCalculatedMember)
{
    const struct {
        int selector; // which member is calculated
        int id;
        const char *typed;
        double active, blank, total;
    } cases[] = {
        {0, IDC_H_TOTAL, "1000", 640, 360, 1000},                  // B calculated
        {0, IDC_H_TOTAL, "600", 600, 0, 600},                       // a total below the active takes it along
        {IDC_H_SELECT_C, IDC_H_BLANK, "200", 640, 200, 840},     // C calculated
        {IDC_H_SELECT_A, IDC_H_TOTAL, "700", 540, 160, 700},     // A calculated
        {IDC_H_SELECT_A, IDC_H_BLANK, "900", 0, 900, 900},       // blank above total moves the total
        {0, IDC_H_TOTAL, "0", 1, 0, 1},                             // a total of 0 becomes 1
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << c.typed);
        Page page;
        if (c.selector)
            page.model.PressSelector(c.selector);
        page.Take(c.id, QString::fromLatin1(c.typed));
        EXPECT_EQ(page.data.hActive, c.active);
        EXPECT_EQ(page.data.hBlank, c.blank);
        EXPECT_EQ(page.data.hTotal, c.total);
    }
}

TEST(TimingModelTest, PeriodsHaveTheirMinimumLengths)
{
    Page page(true);
    page.Take(IDC_H_PERIOD_TIME, QStringLiteral("1"));
    EXPECT_EQ(page.data.hTotalTime, 4e-06);
    page.Take(IDC_V_PERIOD_TIME, QStringLiteral("0.5"));
    EXPECT_EQ(page.data.vTotalTime, 0.001000001000001);
    EXPECT_EQ(page.Shown(IDC_V_PERIOD_TIME), "1.000");
}

TEST(TimingModelTest, InterlacedDoublesTheFieldRateOfTheSameLines)
{
    Page page;
    ASSERT_EQ(page.Shown(IDC_FIELD_RATE), "59.941");
    ASSERT_EQ(page.model.SetInterlaced(true).kind, Kind::kTaken);
    EXPECT_EQ(page.Shown(IDC_LINE_RATE), "31.469");
    EXPECT_EQ(page.Shown(IDC_FIELD_RATE), "119.882");
    EXPECT_EQ(page.data.interlaced, 1);
}

TEST(TimingModelTest, SizesConvertWithTheFormatsFactorsAndSetTheUnit)
{
    Page page;
    page.Take(IDC_H_SIZE_MM, QStringLiteral("25.4"));
    EXPECT_EQ(page.Shown(IDC_H_SIZE_IN), "1.000");
    EXPECT_EQ(page.data.hSizeInches, 25.4 * 0.03937000000015748); // not 1/25.4
    EXPECT_EQ(page.data.sizeUnit, 2);
    page.Take(IDC_V_SIZE_IN, QStringLiteral("10"));
    EXPECT_EQ(page.data.vSizeMm, 10 * 25.4000508);
    EXPECT_EQ(page.data.sizeUnit, 1);
    // The shown size again changes nothing, not even the unit.
    EXPECT_EQ(page.Enter(IDC_H_SIZE_MM, page.model.Text(IDC_H_SIZE_MM)), Kind::kRedisplayed);
    EXPECT_EQ(page.data.sizeUnit, 1);
    page.model.Commit();
    EXPECT_EQ(page.data.hImageSize, 25.4 * 0.03937000000015748);
    EXPECT_EQ(page.data.vImageSize, 10);
}

TEST(TimingModelTest, TheUnitsSwitchMovesTheRateRowAndTheLastEntries)
{
    Page page;
    page.Take(IDC_H_TOTAL, QStringLiteral("900"));
    page.Take(IDC_V_TOTAL, QStringLiteral("550"));
    ASSERT_EQ(page.model.SetTimeUnits(true).kind, Kind::kTaken);
    EXPECT_EQ(page.data.timeEntryUnits, 1);
    EXPECT_EQ(page.model.LastH(), IDC_H_PERIOD_TIME);
    EXPECT_EQ(page.model.LastV(), IDC_V_PERIOD_TIME);
    EXPECT_TRUE(page.model.IsSelectorOn(IDC_RATE_SELECT_A));
    EXPECT_TRUE(page.model.IsEditable(IDC_PIXEL_RATE));
    // Counts are no longer coloured; times are.
    EXPECT_EQ(page.model.EditColours(IDC_H_BLANK), (EntryColours{CEntryGroup::kBlack, CEntryGroup::kGreen}));
    EXPECT_EQ(page.model.EditColours(IDC_H_BLANK_TIME), (EntryColours{CEntryGroup::kBlack, CEntryGroup::kRed}));

    ASSERT_EQ(page.model.SetTimeUnits(false).focus, IDC_LINE_RATE);
    EXPECT_EQ(page.model.LastH(), IDC_H_TOTAL);
    EXPECT_EQ(page.model.LastV(), IDC_V_TOTAL);
    EXPECT_TRUE(page.model.IsSelectorOn(IDC_RATE_SELECT_B));
    EXPECT_EQ(page.data.hTotal, 900);
    EXPECT_EQ(page.data.vTotal, 550);
    EXPECT_EQ(page.data.vBlank, 70);
}

TEST(TimingModelTest, AFormatKeptInTimeUnitsOpensWithItsPixelRateEntered)
{
    Page page(true);
    EXPECT_TRUE(page.model.IsSelectorOn(IDC_RATE_SELECT_A));
    EXPECT_FALSE(page.model.IsSelectorOn(IDC_RATE_SELECT_B));
    EXPECT_EQ(page.model.LastH(), IDC_H_ACTIVE_TIME);
    page.Take(IDC_PIXEL_RATE, QStringLiteral("40"));
    EXPECT_EQ(page.data.pixelRate, 40e6);
}

TEST(TimingModelTest, FocusHighlightsTheGroupItEnters)
{
    Page page;
    const EntryColours plainEntered{CEntryGroup::kBlack, CEntryGroup::kGreen};
    const EntryColours plainCalculated{CEntryGroup::kBlack, CEntryGroup::kRed};
    EXPECT_EQ(page.model.EditColours(IDC_H_ACTIVE), plainEntered);
    EXPECT_EQ(page.model.EditColours(IDC_H_BLANK), plainCalculated);
    EXPECT_EQ(page.model.EditColours(IDC_EQ_BEFORE), std::nullopt);
    EXPECT_TRUE(page.model.FocusEntry(IDC_H_TOTAL));
    EXPECT_EQ(page.model.EditColours(IDC_H_ACTIVE), (EntryColours{CEntryGroup::kDarkGreen, CEntryGroup::kWhite}));
    EXPECT_EQ(page.model.EditColours(IDC_H_BLANK), (EntryColours{CEntryGroup::kDarkRed, CEntryGroup::kWhite}));
    EXPECT_EQ(page.model.EditColours(IDC_V_ACTIVE), plainEntered); // another group
    EXPECT_TRUE(page.model.FocusEntry(IDC_EQ_BEFORE));
    EXPECT_EQ(page.model.EditColours(IDC_H_ACTIVE), plainEntered);
}

} // namespace
