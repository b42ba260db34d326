// Lines, rectangles and ovals as values: what a line of the image language
// builds and what it writes back, rounding, scaling, moving and copying.

#include "CCommandReader.h"
#include "CLine.h"
#include "COval.h"
#include "CPrimitive.h"
#include "CRectangle.h"
#include "PrimitiveLineReader.h"
#include "TestSupport.h"

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

namespace {

class PrimitiveTest : public PlatformTest {};

std::unique_ptr<CPrimitive> Read(const QString &line, bool *known = nullptr)
{
    CCommandReader reader;
    reader.SetText(line);
    std::unique_ptr<CPrimitive> primitive;
    const bool ok = ParsePrimitiveLine(reader, primitive);
    if (known)
        *known = ok;
    return primitive;
}

TEST(RoundHalfUp, IntegerPartTowardsZeroPlusOneFromAHalf)
{
    const struct {
        double value;
        int rounded;
    } cases[] = {
        {2.5, 3},   {2.49, 2},  {-2.7, -2}, {-2.5, -2}, {0.5, 1}, {319.5, 320}, {7.0, 7},
        {1e12, INT_MAX}, {-1e12, INT_MIN}, {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CPrimitive::RoundHalfUp(c.value), c.rounded) << c.value;
}

// Each row: a line as a file or a generator gives it, the box it builds
// and the line the primitive writes.
TEST_F(PrimitiveTest, LinesBuildTheirBoxAndWriteTheirLine)
{
    const struct {
        const char *line;
        int type;
        QPoint topLeft;
        QPoint bottomRight;
        int colour;
        int pattern;
        const char *written;
    } cases[] = {
        {"LINE Red 0 0 639 479", 2, {0, 0}, {639, 479}, 1, 0, "LINE Red 0 0 639 479"},
        {"line red 639 479 0 0", 2, {0, 0}, {639, 479}, 1, 0, "LINE Red 639 479 0 0"},
        {"LINE Red 5 6", 2, {0, 0}, {5, 6}, 1, 0, "LINE Red 5 6 0 0"},
        {"RECT White  10 20  5 6  GrayPat0", 4, {5, 6}, {14, 25}, 7, 0, "RECT White  10 20  5 6  GrayPat0"},
        {"RECT White 10 20 5 6 GrayPat0", 4, {5, 6}, {14, 25}, 7, 0, "RECT White  10 20  5 6  GrayPat0"},
        // An unfilled oval writes its size less one and reads it back so.
        {"OVAL White  9 9  0 0  GrayPat0", 5, {0, 0}, {9, 9}, 7, 0, "OVAL White  9 9  0 0  GrayPat0"},
        {"OVAL Cyan  40 30  300 200  Checker2", 5, {300, 200}, {339, 229}, 6, 18, "OVAL Cyan  40 30  300 200  Checker2"},
        {"RECT Mauve 10 20 5 6 Stripes", 4, {5, 6}, {14, 25}, 7, 0, "RECT White  10 20  5 6  GrayPat0"},
        {"OVAL Mauve 10 20 5 6 Stripes", 5, {5, 6}, {15, 26}, 7, 0, "OVAL White  10 20  5 6  GrayPat0"},
        // Values far beyond any image are cut to 2^24 either way, so sizes stay within an int.
        {"RECT White 2147483647 1 99999999999 0 GrayPat0", 4, {1 << 24, 0}, {(1 << 25) - 1, 0}, 7, 0,
         "RECT White  16777216 1  16777216 0  GrayPat0"},
        // A size below 1 writes a box 2 less that size wide: sizes stop at 2 - 2^24.
        {"OVAL White 3 -2147483648 3", 5, {3, 0}, {6, 2 - (1 << 24)}, 7, 0, "OVAL White  3 16777214  3 0  GrayPat0"},
        {"RECt W A0 -2147483647!at0", 4, {0, 0}, {-1, 1 - (1 << 24)}, 7, 0, "RECT White  2 16777216  0 0  GrayPat0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const std::unique_ptr<CPrimitive> p = Read(QString::fromLatin1(c.line));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Type(), c.type);
        QPoint tl, br;
        p->GetBounds(tl, br);
        EXPECT_EQ(tl, c.topLeft);
        EXPECT_EQ(br, c.bottomRight);
        EXPECT_EQ(p->GetColour(), c.colour);
        EXPECT_EQ(p->GetPattern(), c.pattern);
        EXPECT_EQ(p->GetCommandText(), QString::fromLatin1(c.written));
    }
}

TEST_F(PrimitiveTest, OnlyTheTableBuildsAndTheBlockEndsAnswerWithoutAPrimitive)
{
    const struct {
        const char *line;
        bool known;
    } cases[] = {
        {"IMGE", true}, {"IMGA Mine", true}, {"imge", true},
        {"AROW White 1 2 3 4", false}, {"RMAP 10 10 Arrow", false}, {"OUTG 0", false}, {"", false},
        {"no mnemonic here", false},
    };
    for (const auto &c : cases) {
        bool known = !c.known;
        EXPECT_EQ(Read(QString::fromLatin1(c.line), &known), nullptr) << c.line;
        EXPECT_EQ(known, c.known) << c.line;
    }
}

TEST_F(PrimitiveTest, ScaleRoundsHalfUpAndOffsetStopsAtTheIntRange)
{
    CRectangle box(5, 6, 14, 25);
    box.Scale(1.5, 0.5);
    EXPECT_EQ(box.TopLeft(), QPoint(8, 3));        // 7.5, 3.0
    EXPECT_EQ(box.BottomRight(), QPoint(21, 13));  // 21.0, 12.5
    CLine line(-5, 3, 7, -3);
    line.Scale(0.5, 0.5);
    EXPECT_EQ(line.P1(), QPoint(-2, 2)); // -2.5 and 1.5: towards zero, then a half up
    EXPECT_EQ(line.P2(), QPoint(4, -1));
    line.Offset(INT_MAX, INT_MIN);
    EXPECT_EQ(line.P1(), QPoint(INT_MAX - 2, INT_MIN + 2));
    EXPECT_EQ(line.P2(), QPoint(INT_MAX, INT_MIN));
}

// A clone holds every value and the remembered tree positions, and is its
// class again.
TEST_F(PrimitiveTest, CloneKeepsValuesClassAndTreePositions)
{
    COval oval(1, 2, 30, 40, 3, 9);
    oval.SetLocked(true);
    // Remembered, never followed: any two distinct values do.
    const TreeItemId item = 0x1000;
    const TreeItemId parent = 0x2000;
    oval.SetTreeItem(item);
    oval.SetParentItem(parent);
    const std::unique_ptr<CPrimitive> copy(oval.Clone());
    ASSERT_NE(dynamic_cast<COval *>(copy.get()), nullptr);
    EXPECT_EQ(copy->GetCommandText(), QStringLiteral("OVAL Yellow  30 39  1 2  GrayPat56"));
    EXPECT_TRUE(copy->IsLocked());
    EXPECT_EQ(copy->GetTreeItem(), item);
    EXPECT_EQ(copy->GetParentItem(), parent);
    EXPECT_EQ(copy->GetInsertAfter(), kNoTreeItem);

    CLine target;
    target.VirtualAssign(CLine(4, 5, 6, 7, 0));
    EXPECT_EQ(target.GetCommandText(), QStringLiteral("LINE Black 4 5 6 7"));
}

TEST_F(PrimitiveTest, AssigningAnotherClassCopiesNothingAndSaysSo)
{
    prompter.ExpectMessage(PromptMatch::Text("CPrimitive::VirtualAssign: Pure virtual accessed."), IDOK);
    CLine line(1, 2, 3, 4);
    line.VirtualAssign(CRectangle(5, 6, 7, 8));
    EXPECT_EQ(line.GetCommandText(), QStringLiteral("LINE White 1 2 3 4"));
}

} // namespace
