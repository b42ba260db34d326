// The generator's format error numbers and their texts.

#include "FormatErrorTable.h"
#include "StringTable.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(FormatErrorTable, HasEveryRowAndEachNumberOnce)
{
    const auto rows = FormatErrorRows();
    EXPECT_EQ(rows.size(), 178u);
    std::set<int> numbers;
    size_t covered = 0;
    for (const FormatErrorRow &row : rows) {
        ASSERT_LE(row.first, row.last) << row.first;
        for (int n = row.first; n <= row.last; ++n) {
            EXPECT_TRUE(numbers.insert(n).second) << n << " twice";
            ++covered;
        }
    }
    EXPECT_EQ(covered, 180u);
    EXPECT_EQ(rows.front().first, 2030);
    EXPECT_EQ(rows.back().first, 10242);
}

// The texts are a run of the string table addressed by row index: a row
// added or dropped on one side only shifts every text after it.
TEST(FormatErrorTable, EveryRowHasItsOwnTextAndTheRunEndsWithTheTable)
{
    const auto rows = FormatErrorRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_FALSE(FormatErrorRowText(i).isEmpty()) << rows[i].first;
    EXPECT_TRUE(LoadString(unsigned(IDS_FORMAT_ERROR_FIRST) + unsigned(rows.size())).isEmpty());
}

TEST(FormatErrorTable, TextsByNumber)
{
    const struct {
        int number;
        const char *text;
    } cases[] = {
        {2030, "Scan less than 1"}, // first row
        {2041, "RFLD And Progressive"},
        {2071, "Pixel rate too high"},
        {2072, "Pixel rate too high"},
        {2073, "Pixel rate too high"},
        {2091, "Horizontal total must be multpile of 4 at >130 MHz"},
        {2140, "Horizontal blanking too small"},
        {2151, "Horizontal total < horizontal res."}, // listed after the numbers around it
        {2155, "Horizontal blanking too small"},
        {2191, "Horizonal pulse width not even for HDTV"},
        {2391, "Incompatible ACS & DCS types"},
        {2450, "Vertical pulse delay extends sync beyond blanking"},
        {2496, "EQ after too large"},
        {4576, "Cannot convert to inches"},
        {9496, "From DDC1:  No header was found or old monitor"},
        {9506, "BoardCom Chip not ready"},
        {10242, "Font invalid character range"}, // last row
        // Numbers no row covers.
        {2070, "Undefined"},
        {2074, "Pixel depth not allowed"},
        {2081, "Undefined"},
        {2142, "Undefined"},
        {0, "Undefined"},
        {-2030, "Undefined"},
        {10243, "Undefined"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatErrorText(c.number), QString::fromLatin1(c.text)) << c.number;
}

} // namespace
