#include "CNamedColour.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ColourCase {
    int index;
    int red;
    int green;
    int blue;
    const char *name; // display and command name alike
    unsigned textId;
};

const std::vector<ColourCase> kRows = {
    {0, 0, 0, 0, "Black", 32901},
    {1, 255, 0, 0, "Red", 32902},
    {7, 255, 255, 255, "White", 32908},
    {10, 128, 128, 0, "Yellow50", 32911},
    {13, 0, 128, 128, "Cyan50", 32914},
    {14, 128, 128, 0, "Brown", 32915},
    {15, 5, 5, 5, "Gray2", 32916},
    {35, 117, 117, 117, "Gray47", 32936},
    {36, 122, 122, 122, "Gray48", 32937},
    {37, 128, 128, 128, "Gray50", 32938},
    {57, 247, 247, 247, "Gray97", 32958},
    {58, 191, 0, 0, "Red75", 32959},
    {64, 102, 41, 0, "HueI", 32965},
    {67, 47, 102, 0, "HueNegQ", 32968},
    {68, 255, 255, 255, "Foreground", 32969},
    {69, 0, 0, 0, "Background", 32970},
    {70, 0, 0, 0, "Clear", 32971},
};

// The switch is program-wide; every test leaves it off.
class NamedColour : public ::testing::Test
{
protected:
    void TearDown() override { CNamedColour::SetWhiteToBlack(false); }
};

TEST_F(NamedColour, TableRows)
{
    EXPECT_EQ(CNamedColour::kCount, 71);
    for (const ColourCase &c : kRows) {
        SCOPED_TRACE(c.name);
        CNamedColour colour(c.index);
        EXPECT_EQ(colour.GetIndex(), c.index);
        EXPECT_EQ(colour.GetDisplayName(), c.name);
        EXPECT_EQ(colour.GetCommandName(), c.name);
        EXPECT_EQ(CNamedColour::RgbOfStringId(c.textId), QColor(c.red, c.green, c.blue));
        // On a true-colour screen every row draws as itself.
        EXPECT_EQ(colour.GetScreenColour(), QColor(c.red, c.green, c.blue));
    }
}

TEST_F(NamedColour, EveryRowHasItsOwnName)
{
    for (int i = 0; i < CNamedColour::kCount; ++i) {
        CNamedColour colour(i);
        CNamedColour found(0);
        found.SetByName(colour.GetDisplayName());
        EXPECT_EQ(found.GetIndex(), i) << i;
        EXPECT_EQ(colour.GetCommandName(), colour.GetDisplayName()) << i;
    }
}

TEST_F(NamedColour, SetIndexKeepsTheColourOnBadIndexes)
{
    CNamedColour colour(37);
    for (int bad : {71, -1, 1000}) {
        EXPECT_FALSE(colour.SetIndex(bad)) << bad;
        EXPECT_EQ(colour.GetIndex(), 37);
    }
    EXPECT_TRUE(colour.SetIndex(70));
    EXPECT_EQ(colour.GetCommandName(), "Clear");
}

TEST_F(NamedColour, BadInitialIndexGivesWhite)
{
    CNamedColour colour(71);
    EXPECT_EQ(colour.GetIndex(), 7);
    EXPECT_EQ(colour.GetCommandName(), "White");
}

TEST_F(NamedColour, SetByName)
{
    struct NameCase {
        const char *name;
        int index;
    };
    const std::vector<NameCase> cases = {
        {"gray50", 37}, {"GRAY50", 37}, {"GrAy50", 37}, {"Grey50", 7}, {"black", 0},
        {"HUENEGI", 66}, {"clear", 70}, {"", 7}, {"Gray5 ", 7}, {"Gray", 7},
    };
    for (const NameCase &c : cases) {
        CNamedColour colour(0);
        colour.SetByName(c.name);
        EXPECT_EQ(colour.GetIndex(), c.index) << c.name;
    }
}

TEST_F(NamedColour, RgbOfUnknownStringIdIsBlack)
{
    for (unsigned id : {0u, 32900u, 32972u, 33001u})
        EXPECT_EQ(CNamedColour::RgbOfStringId(id), QColor(0, 0, 0)) << id;
}

TEST_F(NamedColour, WhiteToBlackSwitch)
{
    CNamedColour white(7), foreground(68), black(0), red(1), gray97(57);
    CNamedColour::SetWhiteToBlack(true);
    EXPECT_TRUE(CNamedColour::IsWhiteToBlack());
    EXPECT_EQ(white.GetScreenColour(), QColor(0, 0, 0));
    EXPECT_EQ(foreground.GetScreenColour(), QColor(0, 0, 0));
    EXPECT_EQ(black.GetScreenColour(), QColor(0, 0, 0));
    EXPECT_EQ(red.GetScreenColour(), QColor(255, 0, 0));
    EXPECT_EQ(gray97.GetScreenColour(), QColor(247, 247, 247));
    // The command name is not affected.
    EXPECT_EQ(white.GetCommandName(), "White");

    CNamedColour::SetWhiteToBlack(false);
    EXPECT_EQ(white.GetScreenColour(), QColor(255, 255, 255));
}

TEST(NamedColourDisplay, ShowsAsBlack)
{
    struct DisplayCase {
        QColor colour;
        int depth;
        bool black;
    };
    const std::vector<DisplayCase> cases = {
        {QColor(0, 0, 0), 32, true},       {QColor(5, 5, 5), 32, false},
        {QColor(0, 0, 1), 24, false},      {QColor(5, 5, 5), 16, false},
        {QColor(4, 2, 4), 16, true},       {QColor(4, 2, 4), 15, true},
        {QColor(0, 3, 0), 16, false},      {QColor(0, 3, 0), 15, true},
        {QColor(18, 18, 18), 8, true},     {QColor(0, 0, 42), 8, true},
        {QColor(26, 26, 26), 8, false},    {QColor(0, 0, 44), 8, false},
    };
    for (const DisplayCase &c : cases)
        EXPECT_EQ(CNamedColour::ShowsAsBlack(c.colour, c.depth), c.black)
            << c.colour.name().toStdString() << " at " << c.depth;
}

TEST_F(NamedColour, ArchiveValueIsTheIndex)
{
    CNamedColour colour(3);
    EXPECT_EQ(colour.GetArchiveValue(), 3);
    EXPECT_TRUE(colour.SetArchiveValue(70));
    EXPECT_EQ(colour.GetIndex(), 70);
    EXPECT_FALSE(colour.SetArchiveValue(71));
    EXPECT_EQ(colour.GetIndex(), 70);
}

} // namespace
