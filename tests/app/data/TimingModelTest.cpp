#include "TimingModel.h"

#include "CGeneralFormatData.h"
#include "ResourceIds.h"

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
    Kind Enter(T::Field id, const QString &text) { return model.Enter(id, text).kind; }
    void Take(T::Field id, const QString &text)
    {
        const TimingModel::Outcome outcome = model.Enter(id, text);
        ASSERT_EQ(outcome.kind, Kind::kTaken) << id << " " << qPrintable(text) << " " << qPrintable(outcome.message);
    }
    std::string Shown(T::Field id) const { return model.Text(id).toStdString(); }

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
    const std::pair<T::Field, int> counts[] = {{T::kHActive, m.hActive}, {T::kHTotal, m.hTotal},
                                          {T::kHDelay, m.hDelay},   {T::kHWidth, m.hWidth},
                                          {T::kVActive, m.vActive}, {T::kVTotal, m.vTotal},
                                          {T::kVDelay, m.vDelay},   {T::kVWidth, m.vWidth}};
    for (const auto &[id, count] : counts)
        page.Take(id, QString::number(count));
    EXPECT_EQ(page.model.PressSelector(T::kRateSelectA).focus, T::kPixelRate);
    page.Take(T::kPixelRate, QString::fromLatin1(m.mhz));
}

TEST(TimingModelTest, VideoModesEnteredAsCountsShowTheirRatesAndPeriods)
{
    for (const Mode &m : kModes) {
        SCOPED_TRACE(m.name);
        Page page;
        EnterInMachineUnits(page, m);
        EXPECT_EQ(page.Shown(T::kLineRate), m.khz);
        EXPECT_EQ(page.Shown(T::kFieldRate), m.hz);
        EXPECT_EQ(page.Shown(T::kPixelPeriod), m.ns);
        EXPECT_EQ(page.Shown(T::kHPeriodTime), m.hPeriodUs);
        EXPECT_EQ(page.Shown(T::kVPeriodTime), m.vPeriodMs);
        EXPECT_EQ(page.data.hBlank, m.hTotal - m.hActive);
        EXPECT_EQ(page.data.vBlank, m.vTotal - m.vActive);
        // What is stored is what was typed, not the three decimals shown.
        EXPECT_EQ(page.data.pixelRate, QString::fromLatin1(m.mhz).toDouble() * 1e6);
    }
}

TEST(TimingModelTest, InTimeUnitsTheShownTimesGiveBackTheCounts)
{
    const T::Field times[] = {T::kHActiveTime, T::kHPeriodTime, T::kHDelayTime, T::kHWidthTime,
                         T::kVActiveTime, T::kVPeriodTime, T::kVDelayTime, T::kVWidthTime};
    for (const Mode &m : kModes) {
        SCOPED_TRACE(m.name);
        Page machine;
        EnterInMachineUnits(machine, m);
        Page time(true);
        EXPECT_TRUE(time.model.IsSelectorOn(T::kRateSelectA));
        if (m.interlaced) {
            ASSERT_EQ(time.model.SetInterlaced(true).kind, Kind::kTaken);
        }
        time.Take(T::kPixelRate, QString::fromLatin1(m.mhz));
        for (T::Field id : times)
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
        EXPECT_EQ(time.Shown(T::kLineRate), m.khz);
        EXPECT_EQ(time.Shown(T::kFieldRate), m.hz);
    }
}

TEST(TimingModelTest, RowBTakesTheLineRate)
{
    // DMT 1600x1200@60 at 75 kHz.
    Page page;
    EXPECT_TRUE(page.model.IsSelectorOn(T::kRateSelectB));
    for (const auto &[id, text] : {std::pair{T::kHActive, "1600"}, std::pair{T::kHTotal, "2160"},
                                   std::pair{T::kVActive, "1200"}, std::pair{T::kVTotal, "1250"},
                                   std::pair{T::kLineRate, "75"}})
        page.Take(id, QString::fromLatin1(text));
    EXPECT_EQ(page.Shown(T::kPixelRate), "162.000");
    EXPECT_EQ(page.Shown(T::kFieldRate), "60.000");
    EXPECT_EQ(page.data.pixelRate, 162e6);
}

TEST(TimingModelTest, BackPorchShowsWhatTheSyncLeavesOfTheBlanking)
{
    Page page;
    EnterInMachineUnits(page, kModes[2]); // CEA 1080p60
    ASSERT_EQ(page.model.SetBackPorch(true).kind, Kind::kTaken);
    EXPECT_EQ(page.Shown(T::kHDelay), "148"); // 2200 - 1920 - 88 - 44
    EXPECT_EQ(page.Shown(T::kVDelay), "36");  // 1125 - 1080 - 4 - 5
    EXPECT_EQ(page.Shown(T::kHDelayTime), "0.997");
    EXPECT_EQ(page.model.FieldName(T::kHDelay), QStringLiteral("Horizontal Back Porch (pixels)"));
    EXPECT_EQ(page.model.DelayLabelId(), IDS_BACK_PORCH);

    // A longer back porch shortens the sync delay once committed.
    page.Take(T::kHDelay, QStringLiteral("150"));
    page.model.Commit();
    EXPECT_EQ(page.data.hSyncDelay, 86);
    EXPECT_DOUBLE_EQ(page.data.hSyncDelayTime, 86 / 148.5e6);

    ASSERT_EQ(page.model.SetBackPorch(false).kind, Kind::kTaken);
    EXPECT_EQ(page.Shown(T::kHDelay), "86");
    EXPECT_EQ(page.Shown(T::kVDelay), "4");
    EXPECT_EQ(page.model.DelayLabelId(), IDS_PULSE_DELAY);
}

TEST(TimingModelTest, EntriesAreClampedAtBothEnds)
{
    const struct {
        bool timeUnits;
        T::Selector selector; // pressed first; kNoSelector: none
        T::Field id;
        const char *typed;
        const char *shown;
    } cases[] = {
        {false, T::kRateSelectA, T::kPixelRate, "0.5", "1.000"},
        {false, T::kRateSelectA, T::kPixelRate, "1000", "999.999"},
        {false, T::kRateSelectA, T::kPixelPeriod, "0.5", "1.000"},
        {false, T::kRateSelectA, T::kPixelPeriod, "2000", "1000.000"},
        {false, T::kNoSelector, T::kLineRate, "1", "2.000"},
        {false, T::kNoSelector, T::kLineRate, "300", "250.000"},
        {false, T::kRateSelectC, T::kFieldRate, "0.5", "1.000"},
        {false, T::kRateSelectC, T::kFieldRate, "1000", "999.999"},
        {false, T::kNoSelector, T::kHActive, "12000", "9999"},
        {false, T::kNoSelector, T::kHActive, "12.7", "12"}, // truncated first
        {false, T::kNoSelector, T::kHWidth, "10000", "9999"},
        {false, T::kNoSelector, T::kVDelay, "-3", "0"},
        {false, T::kNoSelector, T::kEqBefore, "20000", "9999"},
        {false, T::kNoSelector, T::kEqAfter, "-1", "0"},
        {false, T::kNoSelector, T::kHSizeIn, "0.01", "0.100"},
        {false, T::kNoSelector, T::kVSizeMm, "20000", "9999.999"},
        {true, T::kNoSelector, T::kHActiveTime, "600", "500.000"},
        {true, T::kNoSelector, T::kHPeriodTime, "1", "4.000"},
        {true, T::kNoSelector, T::kHPeriodTime, "600", "500.000"},
        {true, T::kNoSelector, T::kHDelayTime, "-5", "0.000"},
        {true, T::kNoSelector, T::kVActiveTime, "2000", "1000.000"},
        {true, T::kNoSelector, T::kVWidthTime, "2", "0.500"}, // not 1 s as the other vertical times
        {true, T::kNoSelector, T::kVDelayTime, "2000", "1000.000"},
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
        T::Selector selector;
        std::vector<T::Field> editable;
        std::vector<T::Field> fixed;
    } cases[] = {
        {false, T::kNoSelector, {T::kLineRate}, {T::kPixelRate, T::kPixelPeriod, T::kFieldRate}},
        {false, T::kRateSelectA, {T::kPixelRate, T::kPixelPeriod}, {T::kLineRate, T::kFieldRate}},
        {false, T::kRateSelectC, {T::kFieldRate}, {T::kPixelRate, T::kPixelPeriod, T::kLineRate}},
        // Time units stay on A whatever is pressed; line and field rate move the periods.
        {true, T::kRateSelectB, {T::kPixelRate, T::kPixelPeriod, T::kLineRate, T::kFieldRate}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.selector);
        Page page(c.timeUnits);
        if (c.selector)
            page.model.PressSelector(c.selector);
        for (T::Field id : c.editable)
            EXPECT_TRUE(page.model.IsEditable(id)) << id;
        for (T::Field id : c.fixed) {
            const std::string before = page.Shown(id);
            EXPECT_EQ(page.Enter(id, QStringLiteral("50")), Kind::kRedisplayed) << id;
            EXPECT_EQ(page.Shown(id), before) << id;
        }
    }
    Page time(true);
    time.model.PressSelector(T::kRateSelectC);
    EXPECT_TRUE(time.model.IsSelectorOn(T::kRateSelectA));
    EXPECT_FALSE(time.model.IsSelectorOn(T::kRateSelectC));
}

TEST(TimingModelTest, CountsAndTimesAreEnabledByTheUnits)
{
    Page page;
    for (T::Field id : {T::kHBlank, T::kHTotal, T::kHDelay, T::kVWidth, T::kHActive, T::kVActive})
        EXPECT_TRUE(page.model.IsEnabled(id)) << id;
    for (T::Field id : {T::kHActiveTime, T::kHPeriodTime, T::kVDelayTime, T::kVWidthTime})
        EXPECT_FALSE(page.model.IsEnabled(id)) << id;
    ASSERT_EQ(page.model.SetTimeUnits(true).focus, T::kPixelRate);
    for (T::Field id : {T::kHBlank, T::kHTotal, T::kHDelay, T::kVWidth})
        EXPECT_FALSE(page.model.IsEnabled(id)) << id;
    // The actives stay open in both: in Time units they set the rate.
    for (T::Field id : {T::kHActiveTime, T::kVDelayTime, T::kHActive, T::kVActive, T::kPixelRate})
        EXPECT_TRUE(page.model.IsEnabled(id)) << id;
}

TEST(TimingModelTest, TextThatIsNoNumberIsRefusedAndTheValueStays)
{
    for (const char *typed : {"", ".", "1.2.3", "12-", "+-3"}) {
        SCOPED_TRACE(typed);
        Page page;
        const TimingModel::Outcome outcome = page.model.Enter(T::kHActive, QString::fromLatin1(typed));
        EXPECT_EQ(outcome.kind, Kind::kRefused);
        EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("Horizontal Active (pixels)"))) << qPrintable(outcome.message);
        EXPECT_EQ(page.data.hActive, 640);
        EXPECT_EQ(page.Shown(T::kHActive), "640");
    }
    // An emptied pixel rate is no 1 MHz.
    Page page;
    page.model.PressSelector(T::kRateSelectA);
    EXPECT_EQ(page.Enter(T::kPixelRate, QString()), Kind::kRefused);
    EXPECT_EQ(page.data.pixelRate, 25175000);
}

TEST(TimingModelTest, AnEntryWithoutAFiniteResultIsRefusedWholeAndNamesTheField)
{
    // Zero active time in Time units: the active count would set the pixel rate by dividing by it.
    {
        Page page(true);
        page.Take(T::kHActiveTime, QStringLiteral("0"));
        const CGeneralFormatData before = page.data;
        const TimingModel::Outcome outcome = page.model.Enter(T::kHActive, QStringLiteral("640"));
        EXPECT_EQ(outcome.kind, Kind::kRefused);
        EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("Horizontal Active (pixels):")));
        EXPECT_EQ(page.data.pixelRate, before.pixelRate);
        EXPECT_EQ(page.data.hActive, before.hActive);
    }
    {
        Page page(true);
        page.Take(T::kVActiveTime, QStringLiteral("0"));
        const double lineRate = page.data.lineRate;
        EXPECT_EQ(page.Enter(T::kVActive, QStringLiteral("480")), Kind::kRefused);
        EXPECT_EQ(page.data.lineRate, lineRate);
    }
    // A zero total read from a file: the line rate cannot come from the pixel rate.
    {
        Page page;
        page.data.hTotal = 0;
        page.model.PressSelector(T::kRateSelectA);
        const TimingModel::Outcome outcome = page.model.Enter(T::kPixelRate, QStringLiteral("100"));
        EXPECT_EQ(outcome.kind, Kind::kRefused);
        EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("Pixel Rate (MHz):")));
        EXPECT_EQ(page.data.pixelRate, 25175000);
        // Typing the total mends it: a total of 0 becomes 1.
        page.Take(T::kHTotal, QStringLiteral("0"));
        EXPECT_EQ(page.Shown(T::kHTotal), "1");
        page.Take(T::kPixelRate, QStringLiteral("100"));
        EXPECT_EQ(page.data.lineRate, 100e6);
    }
}

TEST(TimingModelTest, BlankAndTotalFollowTheCalculatedMember)
{
    const struct {
        T::Selector selector; // which member is calculated
        T::Field id;
        const char *typed;
        double active, blank, total;
    } cases[] = {
        {T::kNoSelector, T::kHTotal, "1000", 640, 360, 1000},                  // B calculated
        {T::kNoSelector, T::kHTotal, "600", 600, 0, 600},                       // a total below the active takes it along
        {T::kHSelectC, T::kHBlank, "200", 640, 200, 840},     // C calculated
        {T::kHSelectA, T::kHTotal, "700", 540, 160, 700},     // A calculated
        {T::kHSelectA, T::kHBlank, "900", 0, 900, 900},       // blank above total moves the total
        {T::kNoSelector, T::kHTotal, "0", 1, 0, 1},                             // a total of 0 becomes 1
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
    page.Take(T::kHPeriodTime, QStringLiteral("1"));
    EXPECT_EQ(page.data.hTotalTime, 4e-06);
    page.Take(T::kVPeriodTime, QStringLiteral("0.5"));
    EXPECT_EQ(page.data.vTotalTime, 0.001000001000001);
    EXPECT_EQ(page.Shown(T::kVPeriodTime), "1.000");
}

TEST(TimingModelTest, InterlacedDoublesTheFieldRateOfTheSameLines)
{
    Page page;
    ASSERT_EQ(page.Shown(T::kFieldRate), "59.941");
    ASSERT_EQ(page.model.SetInterlaced(true).kind, Kind::kTaken);
    EXPECT_EQ(page.Shown(T::kLineRate), "31.469");
    EXPECT_EQ(page.Shown(T::kFieldRate), "119.882");
    EXPECT_EQ(page.data.interlaced, 1);
}

TEST(TimingModelTest, SizesConvertWithTheFormatsFactorsAndSetTheUnit)
{
    Page page;
    page.Take(T::kHSizeMm, QStringLiteral("25.4"));
    EXPECT_EQ(page.Shown(T::kHSizeIn), "1.000");
    EXPECT_EQ(page.data.hSizeInches, 25.4 * 0.03937000000015748); // not 1/25.4
    EXPECT_EQ(page.data.sizeUnit, 2);
    page.Take(T::kVSizeIn, QStringLiteral("10"));
    EXPECT_EQ(page.data.vSizeMm, 10 * 25.4000508);
    EXPECT_EQ(page.data.sizeUnit, 1);
    // The shown size again changes nothing, not even the unit.
    EXPECT_EQ(page.Enter(T::kHSizeMm, page.model.Text(T::kHSizeMm)), Kind::kRedisplayed);
    EXPECT_EQ(page.data.sizeUnit, 1);
    page.model.Commit();
    EXPECT_EQ(page.data.hImageSize, 25.4 * 0.03937000000015748);
    EXPECT_EQ(page.data.vImageSize, 10);
}

TEST(TimingModelTest, TheUnitsSwitchMovesTheRateRowAndTheLastEntries)
{
    Page page;
    page.Take(T::kHTotal, QStringLiteral("900"));
    page.Take(T::kVTotal, QStringLiteral("550"));
    ASSERT_EQ(page.model.SetTimeUnits(true).kind, Kind::kTaken);
    EXPECT_EQ(page.data.timeEntryUnits, 1);
    EXPECT_EQ(page.model.LastH(), T::kHPeriodTime);
    EXPECT_EQ(page.model.LastV(), T::kVPeriodTime);
    EXPECT_TRUE(page.model.IsSelectorOn(T::kRateSelectA));
    EXPECT_TRUE(page.model.IsEditable(T::kPixelRate));
    // Counts are no longer coloured; times are.
    EXPECT_EQ(page.model.EditColours(T::kHBlank), (EntryColours{CEntryGroup::kBlack, CEntryGroup::kGreen}));
    EXPECT_EQ(page.model.EditColours(T::kHBlankTime), (EntryColours{CEntryGroup::kBlack, CEntryGroup::kRed}));

    ASSERT_EQ(page.model.SetTimeUnits(false).focus, T::kLineRate);
    EXPECT_EQ(page.model.LastH(), T::kHTotal);
    EXPECT_EQ(page.model.LastV(), T::kVTotal);
    EXPECT_TRUE(page.model.IsSelectorOn(T::kRateSelectB));
    EXPECT_EQ(page.data.hTotal, 900);
    EXPECT_EQ(page.data.vTotal, 550);
    EXPECT_EQ(page.data.vBlank, 70);
}

TEST(TimingModelTest, AFormatKeptInTimeUnitsOpensWithItsPixelRateEntered)
{
    Page page(true);
    EXPECT_TRUE(page.model.IsSelectorOn(T::kRateSelectA));
    EXPECT_FALSE(page.model.IsSelectorOn(T::kRateSelectB));
    EXPECT_EQ(page.model.LastH(), T::kHActiveTime);
    page.Take(T::kPixelRate, QStringLiteral("40"));
    EXPECT_EQ(page.data.pixelRate, 40e6);
}

TEST(TimingModelTest, FocusHighlightsTheGroupItEnters)
{
    Page page;
    const EntryColours plainEntered{CEntryGroup::kBlack, CEntryGroup::kGreen};
    const EntryColours plainCalculated{CEntryGroup::kBlack, CEntryGroup::kRed};
    EXPECT_EQ(page.model.EditColours(T::kHActive), plainEntered);
    EXPECT_EQ(page.model.EditColours(T::kHBlank), plainCalculated);
    EXPECT_EQ(page.model.EditColours(T::kEqBefore), std::nullopt);
    EXPECT_TRUE(page.model.FocusEntry(T::kHTotal));
    EXPECT_EQ(page.model.EditColours(T::kHActive), (EntryColours{CEntryGroup::kDarkGreen, CEntryGroup::kWhite}));
    EXPECT_EQ(page.model.EditColours(T::kHBlank), (EntryColours{CEntryGroup::kDarkRed, CEntryGroup::kWhite}));
    EXPECT_EQ(page.model.EditColours(T::kVActive), plainEntered); // another group
    EXPECT_TRUE(page.model.FocusEntry(T::kEqBefore));
    EXPECT_EQ(page.model.EditColours(T::kHActive), plainEntered);
}

} // namespace
