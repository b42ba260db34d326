#include "CKindValue.h"
#include "CSyncCodeMap.h"
#include "TestSupport.h"

namespace {

class CSyncCodeMapTest : public PlatformTest {};

TEST_F(CSyncCodeMapTest, CodesMapToTheRowsOfTheSyncList)
{
    const struct {
        int code;
        int row;
        const char *text; // the row's text in the sync-selection list
    } cases[] = {
        {0, 0, "None"},          {1, 1, "DSS"},           {2, 2, "DCS"},
        {3, 4, "ACS"},           {4, 4, "ACS"},           {5, 5, "ACS,DSS"},
        {6, 6, "ACS,DCS"},       {7, 7, "ACS,DCS,DSS"},   {8, 8, "DPMS OFF"},
        {9, 9, "DPMS Suspend"},  {10, 10, "DPMS Stand-By"}, {11, 3, "DCS,DSS"},
        {13, 11, "DPMS ON"},
    };
    const CSyncSelect list;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const int row = CSyncCodeMap::IndexFromCode(c.code);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(list.GetText(row), QString::fromLatin1(c.text));
    }
}

TEST_F(CSyncCodeMapTest, CodesOutsideTheListAreTheirOwnRow)
{
    for (int code : {12, 14, -1, 100})
        EXPECT_EQ(CSyncCodeMap::IndexFromCode(code), code);
}

} // namespace
