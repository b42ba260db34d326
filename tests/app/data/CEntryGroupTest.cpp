#include "CEntryGroup.h"
#include "ResourceIds.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr QRgb kBlack = 0xFF000000, kGreen = 0xFF00FF00, kRed = 0xFFFF0000, kDarkGreen = 0xFF008000,
               kDarkRed = 0xFF800000, kWhite = 0xFFFFFFFF;

// The rate group of the Timing page: line, field, pixel rate, pixel period.
constexpr int kLine = IDC_LINE_RATE, kField = IDC_FIELD_RATE, kPixel = IDC_PIXEL_RATE, kPeriod = IDC_PIXEL_PERIOD;

std::set<int> Entered(const CEntryGroup &group)
{
    std::set<int> ids;
    for (int i = 0; i < group.Count(); ++i) {
        if (group.At(i).entered)
            ids.insert(group.At(i).id);
    }
    return ids;
}

CEntryGroup Three()
{
    CEntryGroup group;
    group.Init(11, 12, 13);
    return group;
}

CEntryGroup Rates()
{
    CEntryGroup group;
    group.Init(kLine, kField, kPixel, kPeriod);
    group.MakeOneEntered();
    return group;
}

TEST(CEntryGroupTest, InitEntersTheFirstTwoAndCalculatesTheThird)
{
    const CEntryGroup three = Three();
    EXPECT_EQ(three.Count(), 3);
    EXPECT_EQ(three.CalculatedId(), 13);
    EXPECT_EQ(three.LastEnteredId(), 11);
    EXPECT_EQ(Entered(three), (std::set<int>{11, 12}));

    CEntryGroup four;
    four.Init(kLine, kField, kPixel, kPeriod);
    EXPECT_EQ(four.Count(), 4);
    EXPECT_EQ(four.CalculatedId(), kPixel);
    EXPECT_EQ(Entered(four), (std::set<int>{kLine, kField}));

    const CEntryGroup rates = Rates();
    EXPECT_TRUE(rates.IsOneEntered());
    EXPECT_EQ(Entered(rates), (std::set<int>{kLine}));
    EXPECT_EQ(rates.CalculatedId(), kLine); // names the entered rate
}

TEST(CEntryGroupTest, SelectMakesTheMemberCalculatedOrInOneEnteredFormEntered)
{
    const struct {
        bool oneEntered;
        int select;
        std::set<int> entered;
        int calculatedId;
    } cases[] = {
        {false, 11, {12, 13}, 11},
        {false, 12, {11, 13}, 12},
        {false, 13, {11, 12}, 13},
        {false, 99, {11, 12}, 13}, // no member: nothing changes
        {true, kLine, {kLine}, kLine},
        {true, kField, {kField}, kField},
        {true, kPixel, {kPixel, kPeriod}, kPixel},
        {true, kPeriod, {kPixel, kPeriod}, kPixel}, // the pixel rate before its period
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.select);
        CEntryGroup group = c.oneEntered ? Rates() : Three();
        if (c.oneEntered)
            group.Select(kField); // from somewhere else than the start
        group.Select(c.select);
        EXPECT_EQ(Entered(group), c.entered);
        EXPECT_EQ(group.CalculatedId(), c.calculatedId);
    }
}

TEST(CEntryGroupTest, RotateStartsAtKAndGoesRoundTheFirstThree)
{
    const struct {
        bool fourth;
        int k;
        std::set<int> entered;
    } cases[] = {
        {false, 0, {11, 12}}, {false, 1, {12, 13}}, {false, 2, {13, 11}}, {false, 3, {13, 11}},
        // A fourth member of a three-member-form group is entered unless k is 0.
        {true, 0, {11, 12}},  {true, 1, {12, 13, 14}}, {true, 2, {13, 11, 14}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.k);
        CEntryGroup group;
        group.Init(11, 12, 13, c.fourth ? 14 : 0);
        group.Rotate(c.k);
        EXPECT_EQ(Entered(group), c.entered);
    }
}

TEST(CEntryGroupTest, ColoursFollowEnteredEditingAndColoured)
{
    CEntryGroup group = Three(); // 11, 12 entered; 13 calculated
    EXPECT_EQ(group.EditColours(99), std::nullopt);
    // Not coloured yet: everything green on black.
    EXPECT_EQ(group.EditColours(13), (EntryColours{kBlack, kGreen}));
    EXPECT_FALSE(group.FocusEntry(11)); // an uncoloured group does not highlight
    group.Colour();
    const struct {
        int focus; // 0: outside the group
        int id;
        EntryColours colours;
    } cases[] = {
        {0, 11, {kBlack, kGreen}},       {0, 13, {kBlack, kRed}},
        {12, 11, {kDarkGreen, kWhite}},  {12, 13, {kDarkRed, kWhite}},
        {99, 11, {kBlack, kGreen}},      {99, 13, {kBlack, kRed}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.focus << " " << c.id);
        group.FocusEntry(c.focus);
        EXPECT_EQ(group.EditColours(c.id), c.colours);
    }
    group.FocusEntry(12);
    group.Uncolour();
    EXPECT_EQ(group.EditColours(13), (EntryColours{kBlack, kGreen}));
}

TEST(CEntryGroupTest, FocusKeepsTheHighlightInsideAndDropsItOutside)
{
    CEntryGroup group = Three();
    group.Colour();
    EXPECT_TRUE(group.FocusEntry(12));  // enters: highlight
    EXPECT_FALSE(group.FocusEntry(11)); // moves inside: nothing to repaint
    EXPECT_TRUE(group.IsEditing());
    EXPECT_EQ(group.LastEnteredId(), 11);
    EXPECT_FALSE(group.FocusEntry(13));
    EXPECT_EQ(group.LastEnteredId(), 11); // a calculated member is not an entry
    EXPECT_TRUE(group.FocusEntry(1234)); // leaves: plain
    EXPECT_FALSE(group.IsEditing());
    EXPECT_FALSE(group.FocusEntry(1234));

    // The one-entered form records the members that are not entered.
    CEntryGroup rates = Rates();
    rates.Colour();
    rates.FocusEntry(kLine);
    EXPECT_EQ(rates.LastEnteredId(), kLine); // from MakeOneEntered
    rates.FocusEntry(kPixel);
    EXPECT_EQ(rates.LastEnteredId(), kPixel);
}

TEST(CEntryGroupTest, SelectWhileEditingHighlightsTheNewRoles)
{
    CEntryGroup group = Three();
    group.Colour();
    group.FocusEntry(11);
    group.Select(11);
    EXPECT_EQ(group.EditColours(11), (EntryColours{kDarkRed, kWhite}));
    EXPECT_EQ(group.EditColours(13), (EntryColours{kDarkGreen, kWhite}));
}

} // namespace
