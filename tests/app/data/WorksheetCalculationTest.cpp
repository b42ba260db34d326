#include "WorksheetCalculation.h"

#include "CGeneralFormatData.h"

#include <gtest/gtest.h>

namespace {

using W = WorksheetCalculation;

TEST(WorksheetCalculationTest, TheDefaultsGiveTheirRaster)
{
    // 20 %, 75 Hz, 0.6 ms, 1600 x 1200.
    W sheet;
    ASSERT_TRUE(sheet.Calculate());
    const W::Results &r = sheet.Out();
    EXPECT_EQ(r.vTotal, 1257);
    EXPECT_EQ(r.hTotal, 2000);
    EXPECT_DOUBLE_EQ(r.lineRate, 94.275);
    EXPECT_DOUBLE_EQ(r.videoRate, 188.55);
    EXPECT_EQ(r.blankingPixels, 400);
    EXPECT_EQ(r.blankingLines, 57);
    EXPECT_EQ(r.totalPixels, 2000);
    EXPECT_EQ(sheet.Text(W::kBlankingTime), QStringLiteral("2.1214532"));
    EXPECT_EQ(sheet.Text(W::kLineRate), QStringLiteral("94.275 KHz"));
    EXPECT_EQ(sheet.Text(W::kVideoRate), QStringLiteral("188.5500 MHz"));
    EXPECT_EQ(sheet.Text(W::kPixelPeriod), QStringLiteral("5.3036330 ns"));
    EXPECT_EQ(sheet.Text(W::kHTotal), QStringLiteral("2000 Total"));
    EXPECT_EQ(sheet.Text(W::kVTotal), QStringLiteral("1257"));
}

TEST(WorksheetCalculationTest, APartLineIsAWholeLineMore)
{
    const struct {
        double fieldBlanking; // ms, at 50 Hz and 1000 lines
        double vTotal;
    } cases[] = {
        {3.99, 1250}, // 1249.22 lines
        {3.9, 1243},  // 1242.24
        {1.0, 1053},  // 1052.63
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fieldBlanking);
        W sheet;
        sheet.In().fieldRate = 50;
        sheet.In().vResolution = 1000;
        sheet.In().fieldBlanking = c.fieldBlanking;
        ASSERT_TRUE(sheet.Calculate());
        EXPECT_EQ(sheet.Out().vTotal, c.vTotal);
        EXPECT_DOUBLE_EQ(sheet.Out().lineRate, c.vTotal * 50 * 0.001);
    }
}

TEST(WorksheetCalculationTest, EitherBlankingInputGivesTheOther)
{
    W percent;
    ASSERT_EQ(percent.Enter(W::kBlankingPercent, QStringLiteral("25")), QString());
    EXPECT_EQ(percent.Out().hTotal, 2133); // 1600 / 0.75 = 2133.33
    EXPECT_EQ(percent.Out().blankingPixels, 533);
    EXPECT_EQ(percent.Text(W::kBlankingTime), QStringLiteral("2.6505733"));

    W time;
    time.In().enterPercent = false;
    ASSERT_EQ(time.Enter(W::kBlankingTime, QStringLiteral("3")), QString());
    // 1600 / (1 - 94.275 kHz x 3 us) = 2230.97
    EXPECT_EQ(time.Out().hTotal, 2231);
    EXPECT_EQ(time.Out().blankingPixels, 631); // 3 us x 210.3275 MHz
    EXPECT_EQ(time.Text(W::kBlankingPercent), QStringLiteral("28.28"));
}

TEST(WorksheetCalculationTest, InputsAreClamped)
{
    const struct {
        W::Value id;
        const char *typed;
        const char *shown;
    } cases[] = {
        {W::kBlankingPercent, "-5", "0.00"},  {W::kFieldRate, "0.5", "1.000"},
        {W::kFieldRate, "1500", "999.999"},   {W::kFieldBlanking, "-1", "0.000"},
        {W::kHResolution, "0", "1"},          {W::kHResolution, "20000", "9999"},
        {W::kVResolution, "640.9", "640"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        W sheet;
        ASSERT_EQ(sheet.Enter(c.id, QString::fromLatin1(c.typed)), QString());
        EXPECT_EQ(sheet.Text(c.id), QString::fromLatin1(c.shown));
    }
}

TEST(WorksheetCalculationTest, AnInputWithoutARasterIsRefusedAndStays)
{
    const struct {
        bool percentMode;
        W::Value id;
        const char *typed;
    } cases[] = {
        {true, W::kBlankingPercent, "100"},
        {true, W::kBlankingPercent, "150"}, // no longer stored as 100
        {false, W::kBlankingTime, "10.7"},  // the line lasts 10.6 us
        {true, W::kFieldBlanking, "13.4"},  // the field lasts 13.3 ms
        {true, W::kFieldRate, ""},
        {true, W::kHResolution, "."},
        {true, W::kFieldBlanking, "1.2.3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        W sheet;
        sheet.In().enterPercent = c.percentMode;
        ASSERT_TRUE(sheet.Calculate());
        const QString before = sheet.Text(c.id);
        const W::Results results = sheet.Out();
        const QString why = sheet.Enter(c.id, QString::fromLatin1(c.typed));
        EXPECT_TRUE(why.startsWith(W::FieldName(c.id))) << qPrintable(why);
        EXPECT_EQ(sheet.Text(c.id), before);
        EXPECT_EQ(sheet.Out().hTotal, results.hTotal);
        EXPECT_EQ(sheet.Out().vTotal, results.vTotal);
    }
}

TEST(WorksheetCalculationTest, ApplyFillsTheTimingAndInterlacedHalvesTheLineRate)
{
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced);
        CGeneralFormatData data;
        data.interlaced = interlaced ? 1 : 0;
        W sheet;
        ASSERT_EQ(sheet.ApplyTo(data), QString());
        const double k = interlaced ? 2 : 1;
        EXPECT_EQ(data.hActive, 1600);
        EXPECT_EQ(data.hBlank, 400);
        EXPECT_EQ(data.hTotal, 2000);
        EXPECT_EQ(data.vActive, 1200);
        EXPECT_EQ(data.vBlank, 57);
        EXPECT_EQ(data.vTotal, 1257);
        EXPECT_EQ(data.fieldRate, 75);
        EXPECT_EQ(data.lineRate, 94275 / k);
        EXPECT_EQ(data.pixelRate, 188.55e6 / k);
        EXPECT_DOUBLE_EQ(data.hTotalTime, 2000 / (188.55e6 / k));
        EXPECT_DOUBLE_EQ(data.vTotalTime, 1257 / (94275 / k));
        EXPECT_DOUBLE_EQ(data.hSyncDelayTime, 16 / (188.55e6 / k)); // the counts stay, the times follow
        EXPECT_EQ(data.vSyncDelay, 10);
        EXPECT_EQ(data.hResolution, 1600); // the inputs travel with the format
    }
}

TEST(WorksheetCalculationTest, ApplyIsRefusedWhileTheRasterCannotBeCalculated)
{
    CGeneralFormatData data;
    const double pixelRate = data.pixelRate;
    W sheet;
    sheet.In().fieldBlanking = 20; // longer than a 75 Hz field
    EXPECT_FALSE(sheet.ApplyTo(data).isEmpty());
    EXPECT_EQ(data.pixelRate, pixelRate);
    EXPECT_EQ(data.fieldBlankingTime, 0.6);
}

TEST(WorksheetCalculationTest, GetTakesTheInputsFromTheFormat)
{
    const CGeneralFormatData data; // 640/800, 480/525 at 31469 Hz
    for (const bool percent : {true, false}) {
        SCOPED_TRACE(percent);
        W sheet;
        sheet.In().enterPercent = percent;
        ASSERT_EQ(sheet.GetFrom(data), QString());
        EXPECT_EQ(sheet.In().fieldRate, 59.941);
        EXPECT_DOUBLE_EQ(sheet.In().fieldBlanking, 1.43);
        EXPECT_EQ(sheet.In().hResolution, 640);
        EXPECT_EQ(sheet.In().vResolution, 480);
        EXPECT_EQ(sheet.Out().hTotal, 800);
        EXPECT_EQ(sheet.Out().blankingPixels, 160);
        EXPECT_EQ(sheet.Out().vTotal, 526); // 480 + 45.0008 lines of 1.43 ms, raised
        // The input of the mode is taken; the other one follows from the raster.
        if (percent) {
            EXPECT_EQ(sheet.In().blankingPercent, 20);
            EXPECT_EQ(sheet.Text(W::kBlankingTime), QStringLiteral("6.3433733"));
        } else {
            EXPECT_DOUBLE_EQ(sheet.In().blankingTime, 6.355);
            EXPECT_EQ(sheet.Text(W::kBlankingPercent), QStringLiteral("20.00"));
        }
    }

    W sheet;
    CGeneralFormatData broken;
    broken.hTotal = 0;
    EXPECT_FALSE(sheet.GetFrom(broken).isEmpty());
    EXPECT_EQ(sheet.In().hResolution, 1600);
}

} // namespace
