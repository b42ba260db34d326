// The primitives beside lines and boxes as values: what each line of the
// image language builds and writes back, their type codes and names, where
// each stands when made on a canvas, and where the whole-image patterns
// put their lines, also for values no dialog would allow.

#include "CBlockCopy.h"
#include "CCanvas.h"
#include "CCharacterBox.h"
#include "CCommandReader.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGrill.h"
#include "CImageOption.h"
#include "CInformationBox.h"
#include "CMarker.h"
#include "CPrimitive.h"
#include "CPrimitiveHandle.h"
#include "CText.h"
#include "CTriangle.h"
#include "GridLines.h"
#include "PrimitiveLineReader.h"
#include "TestSupport.h"

#include <climits>
#include <memory>
#include <vector>

namespace {

class PrimitiveKindsTest : public PlatformTest {};

std::unique_ptr<CPrimitive> ReadKind(const QString &line)
{
    CCommandReader reader;
    reader.SetText(line);
    std::unique_ptr<CPrimitive> primitive;
    EXPECT_TRUE(ParsePrimitiveLine(reader, primitive)) << line.toStdString();
    return primitive;
}

// Each row: a line as a file or a generator gives it, the type code and
// name of what it builds, and the line that writes back.
TEST_F(PrimitiveKindsTest, EachLineBuildsItsKindAndWritesItself)
{
    const struct {
        const char *line;
        int type;
        const char *name;
        const char *written;
    } rows[] = {
        {"ADOT Red 3 4", 0, "Dot", "ADOT Red 3 4"},
        {"ADOT Mauve 3 4", 0, "Dot", "ADOT White 3 4"},
        {"GRID Green 10 8", 11, "Centered Grid", "GRID Green 10 8"},
        {"HATI White 4 3", 12, "Inside->Out Hatch", "HATI White 4 3"},
        {"hato blue 0 -2", 13, "Outside->In Hatch", "HATO Blue 0 -2"},
        {"GRIH Yellow 10 40", 17, "Horizontal Grill", "GRIH Yellow 10 40"},
        {"GRIV White 2 0", 18, "Vertical Grill", "GRIV White 2 0"},
        {"CENT Red", 14, "Center Mark", "CENT Red"},
        {"CROS Cyan", 15, "Centered Cross", "CROS Cyan"},
        {"LIMI", 16, "Limit Markers", "LIMI White"},
        {"ANTI", 20, "Anti-Alias", "ANTI"},
        {"NOGA", 21, "No Gamma Correction", "NOGA"},
        {"TOBL", 22, "Set Levels Rel. To Blanking", "TOBL"},
        {"TRIA White  320 192  256 288  384 288  GrayPat0", 3, "Triangle", "TRIA White  320 192  256 288  384 288  GrayPat0"},
        {"tria red 1 2 3 4 5 6 checker2", 3, "Triangle", "TRIA Red  1 2  3 4  5 6  Checker2"},
        {"TEXT White 100 50 sys16 \"AB\"", 10, "Text String", "TEXT White 100 50 sys16 \"AB\""},
        {"TEXT Red 1 2 opix9 \"Why? \xe9t\xe9; ok\"", 10, "Text String", "TEXT Red 1 2 opix9 \"Why? \xe9t\xe9; ok\""},
        {"TEXT Mauve 1 2 nofont", 10, "Text String", "TEXT White 1 2 sys16 \"\""},
        {"FORM Red 10 20", 6, "Format Information Box", "FORM Red 10 20"},
        {"snum green 1", 7, "Sequence Step Box", "SNUM Green 1 0"},
        {"TBOX White 0.500 0.500  1 0", 8, "Information Box", "TBOX White 0.500 0.500  1 0"},
        {"TBOX Red 0.12345 2 15 3", 8, "Information Box", "TBOX Red 0.123 2.000  15 3"},
        {"TBOX Red -0.0002 -1e-9 1 1", 8, "Information Box", "TBOX Red 0.000 0.000  1 1"},
        {"TBOX Red 0,5 nan 16", 8, "Information Box", "TBOX Red 0.000 5.000  0 0"}, // a comma separates
        {"PAGE White 10 20 5 6 sys16 65", 9, "Character Box", "PAGE White 10 20 5 6 sys16 65"},
        {"page red 3 4 0 0 OPIX9", 9, "Character Box", "PAGE Red 3 4 0 0 opix9 0"},
        {"MMAP 100 50  10 20  300 400", 25, "Block Copy", "MMAP 100 50  10 20  300 400"},
        {"MMAP 1 1 2 2", 25, "Block Copy", "MMAP 1 1  2 2  0 0"},
        {"TRIA Mauve 1 2 3", 3, "Triangle", "TRIA White  1 2  3 0  0 0  GrayPat0"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        const std::unique_ptr<CPrimitive> p = ReadKind(QString::fromLatin1(row.line));
        ASSERT_NE(p, nullptr);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Type(), row.type);
        EXPECT_EQ(p->GetTypeName(), QString::fromLatin1(row.name));
        EXPECT_EQ(p->GetCommandText(), QString::fromLatin1(row.written));
        EXPECT_TRUE(p->KindProblem().isEmpty());
        const std::unique_ptr<CPrimitive> copy(p->Clone());
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetCommandText(), p->GetCommandText());
        // A new one of its class, as a file makes it, takes every value.
        const std::unique_ptr<CObject> made(p->GetRuntimeClass()->CreateObject());
        auto *taker = dynamic_cast<CPrimitive *>(made.get());
        ASSERT_NE(taker, nullptr);
        taker->VirtualAssign(*p);
        EXPECT_EQ(taker->GetCommandText(), p->GetCommandText());
    }
}

// A kind outside its class's range keeps its value, answers type 0
// without a box, has no name, writes no line and names the class's message.
TEST_F(PrimitiveKindsTest, AnUnknownKindIsKeptButWritesNothing)
{
    std::vector<std::unique_ptr<CPrimitive>> odd;
    odd.push_back(std::make_unique<CGrid>(4, 10, 10));
    odd.push_back(std::make_unique<CGrill>(-1, 10, 40));
    odd.push_back(std::make_unique<CMarker>(0));
    odd.push_back(std::make_unique<CImageOption>(INT_MAX));
    const char *messages[] = {"CGrid::Type: Unknown type.", "CGrill::Type: Unknown type.",
                              "CMarker::Type: Unknown type.", "CImageOption::Type: Unknown type."};
    for (size_t i = 0; i < odd.size(); ++i) {
        EXPECT_EQ(odd[i]->Type(), 0);
        EXPECT_EQ(odd[i]->GetTypeName(), QString());
        EXPECT_EQ(odd[i]->GetCommandText(), QString());
        EXPECT_EQ(odd[i]->KindProblem(), QString::fromLatin1(messages[i]));
    }
}

TEST_F(PrimitiveKindsTest, MadeOnACanvasTheyStandWhereTheRulesPutThem)
{
    CCanvas canvas;
    canvas.SetLimits(639, 479);
    canvas.resize(640, 480);
    CDot dot(&canvas);
    EXPECT_EQ(dot.GetCommandText(), "ADOT White 320 240");
    EXPECT_EQ(dot.HandleCount(), 1);
    EXPECT_EQ(dot.Handle(1)->Point(), QPoint(320, 240));
    EXPECT_EQ(CGrid(&canvas, 2).GetCommandText(), "HATI White 3 3");
    EXPECT_EQ(CGrid(&canvas, 9).GetCommandText(), "GRID White 3 3");
    EXPECT_EQ(CGrid().GetCommandText(), "GRID White 10 10");
    EXPECT_EQ(CGrill(&canvas, 17).GetCommandText(), "GRIH White 10 40");
    EXPECT_EQ(CGrill(&canvas, 18).GetCommandText(), "GRIV White 10 40");
    EXPECT_EQ(CMarker(&canvas, 7).GetCommandText(), "CENT White");
    EXPECT_EQ(CImageOption(&canvas, 0).GetCommandText(), "ANTI");
    EXPECT_EQ(CImageOption(&canvas, 3).GetCommandText(), "TOBL");
    const CText text(&canvas);
    EXPECT_EQ(text.GetCommandText(), "TEXT White 316 232 sys16 \"Text\"");
    EXPECT_EQ(CInformationBox(&canvas, 0).GetCommandText(), "FORM White 256 223");
    EXPECT_EQ(CInformationBox(&canvas, 4).GetCommandText(), "SNUM White 320 240");
    EXPECT_EQ(CInformationBox(&canvas, 2).GetCommandText(), "TBOX White 0.500 0.500  0 0");
    EXPECT_EQ(CCharacterBox(&canvas).GetCommandText(), "PAGE White 129 97 256 192 sys16 35");
    CBlockCopy copy(&canvas);
    EXPECT_EQ(copy.GetCommandText(), "MMAP 129 97  187 192  325 192");
    ASSERT_EQ(copy.HandleCount(), 19);
    EXPECT_EQ(copy.Handle(12)->Point(), QPoint(325 + 128, 192 + 96));
    EXPECT_EQ(copy.Handle(19)->Point(), QPoint(256, 192));
    CTriangle triangle(&canvas);
    EXPECT_EQ(triangle.GetCommandText(), "TRIA White  320 192  256 288  384 288  GrayPat0");
    ASSERT_EQ(triangle.HandleCount(), 7);
    const QPoint handles[] = {{320, 192}, {256, 288}, {384, 288}, {320, 256}, {288, 240}, {320, 288}, {352, 240}};
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(triangle.Handle(i)->Point(), handles[i - 1]) << i;
}

TEST_F(PrimitiveKindsTest, ADotScalesHalfUpAndSnapsWithinFourPixels)
{
    CDot dot(3, 5);
    dot.Scale(1.5, 1.5);
    EXPECT_EQ(dot.Position(), QPoint(5, 8)); // 4.5 and 7.5
    QPoint tl, br;
    dot.GetBounds(tl, br);
    EXPECT_EQ(tl, QPoint(4, 7));
    EXPECT_EQ(br, QPoint(6, 9));
    QPoint near(9, 4);
    EXPECT_TRUE(dot.SnapPoint(near));
    EXPECT_EQ(near, QPoint(5, 8));
    QPoint far(10, 8);
    EXPECT_FALSE(dot.SnapPoint(far));
}

TEST_F(PrimitiveKindsTest, CentroidsAndMidpointsRoundHalfUp)
{
    EXPECT_EQ(CTriangle::Centroid({0, 0}, {1, 0}, {0, 1}), QPoint(0, 0));
    EXPECT_EQ(CTriangle::Centroid({0, 0}, {2, 0}, {0, 2}), QPoint(1, 1)); // 0.667
    EXPECT_EQ(CTriangle::Midpoint({0, 0}, {3, -3}), QPoint(2, -1));     // 1.5, -1.5
    CTriangle triangle({1, 1}, {11, 1}, {1, 11});
    triangle.Scale(1.5, 0.5);
    EXPECT_EQ(triangle.GetCommandText(), "TRIA White  2 1  17 1  2 6  GrayPat0"); // 1.5, 0.5, 16.5, 5.5
    QPoint near(12, 0);
    EXPECT_TRUE(triangle.SnapPoint(near));
    EXPECT_EQ(near, QPoint(10, 1)) << "the middle of edge 1-2 (9.5 rounds to 10)";
}

// The cells span x .. x + cell width x n and y - ascent .. y + descent.
TEST_F(PrimitiveKindsTest, ATextsBoxComesFromItsFontsCells)
{
    const struct {
        int font;
        const char *text;
        QRect box;
    } rows[] = {
        {0, "AB", QRect(QPoint(100, 50), QPoint(116, 66))},  // sys16: 8 x 16, hanging below
        {1, "AB", QRect(QPoint(100, 43), QPoint(114, 52))},  // opix9: 7 x 11, ascent 7, descent 2
        {0, "", QRect(QPoint(100, 50), QPoint(100, 66))},
    };
    for (const auto &row : rows) {
        CText text(100, 50, QString::fromLatin1(row.text), CNamedColour::kWhite, row.font);
        EXPECT_EQ(text.GetTextRect(), row.box) << row.font << row.text;
        QPoint tl, br;
        text.GetBounds(tl, br);
        EXPECT_EQ(QRect(tl, br), row.box);
    }
    CText text(100, 50, QStringLiteral("AB"));
    QPoint near(114, 60);
    EXPECT_TRUE(text.SnapPoint(near));
    EXPECT_EQ(near, QPoint(116, 58)) << "the middle of the right edge";
}

// A box of ratios read from a line is placed on 640 x 480 by (side - 1) x
// ratio; its size comes from its contents.
TEST_F(PrimitiveKindsTest, AnInformationBoxIsPlacedAndSizedByTheRules)
{
    const std::unique_ptr<CPrimitive> read = ReadKind("TBOX White 0.500 0.500  1 0");
    const auto &box = dynamic_cast<const CInformationBox &>(*read);
    EXPECT_EQ(box.Anchor(), QPoint(320, 240));
    EXPECT_EQ(box.HalfSize() * 2, QPoint(116, 26));
    const struct {
        int contents;
        QPoint size;
    } sizes[] = {{0, {228, 34}}, {1, {116, 26}}, {4, {116, 26}}, {5, {114, 34}}, {9, {228, 34}},
                 {13, {228, 34}}, {14, {228, 48}}, {15, {228, 48}}};
    for (const auto &s : sizes)
        EXPECT_EQ(CInformationBox(0.5, 0.5, s.contents, 0).HalfSize() * 2, s.size) << s.contents;
    EXPECT_EQ(CInformationBox(CInformationBox::kStepBox, 5, 5).HalfSize(), QPoint(33, 6));
    EXPECT_EQ(CInformationBox(CInformationBox::kFormatBox, 5, 5).ImageBox(), QRect(QPoint(5, 5), QPoint(134, 39)));
    // Ratios far beyond the image land at the ends of the int range.
    const std::unique_ptr<CPrimitive> far = ReadKind("TBOX White 1e300 -1e300 0 0");
    EXPECT_EQ(dynamic_cast<const CInformationBox &>(*far).Anchor(), QPoint(INT_MAX, INT_MIN));
    // Cut to 2^24 so the line written reads back to the same.
    EXPECT_EQ(far->GetCommandText(), "TBOX White 16777216.000 -16777216.000  0 0");
}

// A nudge moves the box and the ratios its line is written from.
TEST_F(PrimitiveKindsTest, MovingAnInformationBoxMovesItsRatios)
{
    CInformationBox box(0.5, 0.5, 1, 0);
    box.Offset(1, -2);
    EXPECT_EQ(box.Anchor(), QPoint(321, 238));
    EXPECT_EQ(box.GetCommandText(), "TBOX White 0.502 0.496  1 0"); // 321 / 640, 238 / 480
    box.Scale(0.5, 0.5);
    EXPECT_EQ(box.GetCommandText(), "TBOX White 0.252 0.248  1 0"); // 161 / 640, 119 / 480
    CInformationBox form(CInformationBox::kFormatBox, 1, 2);
    form.Offset(3, 3);
    EXPECT_EQ(form.GetCommandText(), "FORM White 4 5");
}

TEST_F(PrimitiveKindsTest, BoxesReadFromLinesKeepTheirCorners)
{
    const std::unique_ptr<CPrimitive> page = ReadKind("PAGE White 10 20 5 6 sys16 65");
    QPoint tl, br;
    page->GetBounds(tl, br);
    EXPECT_EQ(QRect(tl, br), QRect(QPoint(5, 6), QPoint(14, 25)));
    const std::unique_ptr<CPrimitive> copy = ReadKind("MMAP 100 50  10 20  300 400");
    copy->GetBounds(tl, br);
    EXPECT_EQ(QRect(tl, br), QRect(QPoint(10, 20), QPoint(109, 69)));
    EXPECT_EQ(dynamic_cast<const CBlockCopy &>(*copy).Destination(), QPoint(300, 400));
    // A nudge moves the source only.
    copy->Offset(1, 1);
    EXPECT_EQ(copy->GetCommandText(), "MMAP 100 50  11 21  300 400");
    copy->Scale(2.0, 0.5);
    EXPECT_EQ(copy->GetCommandText(), "MMAP 199 25  22 11  600 200"); // 10.5 rounds to 11
}

// The whole-image patterns ignore every move.
TEST_F(PrimitiveKindsTest, PatternsHaveNoPlace)
{
    CGrid grid(1, 10, 10);
    CGrill grill(1, 10, 40);
    CMarker marker(3);
    for (CPrimitive *p : std::vector<CPrimitive *>{&grid, &grill, &marker}) {
        const QString before = p->GetCommandText();
        p->Offset(5, 5);
        p->Scale(2.0, 2.0);
        QPoint point(0, 0);
        EXPECT_FALSE(p->SnapPoint(point));
        EXPECT_FALSE(p->HitTest(QPoint(0, 0)));
        EXPECT_TRUE(p->IntersectsRect(QRect(0, 0, 1, 1)));
        EXPECT_FALSE(p->BeginTrack(1));
        EXPECT_EQ(p->GetCommandText(), before);
    }
}

std::vector<int> Sequence(int first, int step, int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(first + i * step);
    return values;
}

std::vector<int> Joined(std::vector<int> a, const std::vector<int> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(GridLines, PositionsOnA640By480Image)
{
    using namespace GridLines;
    EXPECT_EQ(CentredGridLines(640, 10, -10, 700), Sequence(4, 63, 11));  // 4, 67, ..., 634
    EXPECT_EQ(CentredGridLines(480, 10, -10, 700), Sequence(4, 47, 11));  // 4, 51, ..., 474
    EXPECT_EQ(HatchLines(640, 10, true, false, -1, 640), Joined(Sequence(320, 64, 6), Sequence(319, -64, 6)));
    EXPECT_EQ(HatchLines(640, 10, false, false, -1, 640), Joined(Sequence(0, 64, 6), Sequence(639, -64, 6)));
    EXPECT_EQ(HatchLines(480, 10, true, true, -1, 480), Joined(Sequence(239, 48, 6), Sequence(240, -48, 6)));
    EXPECT_EQ(GrillBarStarts(480, 10, 40, 0, 479), Sequence(0, 50, 10));
    // Only what lies in the window: the hatch's 640 and -1 are off the image.
    EXPECT_EQ(HatchLines(640, 10, true, false, 0, 639), Joined(Sequence(320, 64, 5), Sequence(319, -64, 5)));
}

// Values no dialog allows, as a file may hold them: none where a step
// would divide by zero or never advance, and no more than the window holds.
TEST(GridLines, ValuesFromFilesStayWithinTheWindow)
{
    using namespace GridLines;
    EXPECT_TRUE(CentredGridLines(640, 0, 0, 639).empty());
    EXPECT_TRUE(CentredGridLines(640, -3, 0, 639).empty());
    EXPECT_TRUE(HatchLines(640, 0, true, false, 0, 639).empty());
    EXPECT_TRUE(GrillBarStarts(480, 0, 0, 0, 479).empty());
    EXPECT_TRUE(GrillBarStarts(480, -40, 30, 0, 479).empty());
    EXPECT_EQ(GrillBarStarts(480, INT_MAX, INT_MAX, 0, 479), std::vector<int>{0});
    // 2^31 - 1 boxes: a line on every column of the image, no more.
    EXPECT_EQ(CentredGridLines(640, INT_MAX, 0, 639), Sequence(0, 1, 640));
    EXPECT_EQ(HatchLines(640, INT_MAX, false, false, 0, 639), (std::vector<int>{0, 639}));
    EXPECT_EQ(StepPositions(-5, 3, 1000, 0, 9), (std::vector<int>{1, 4, 7}));
    EXPECT_EQ(StepPositions(20, -7, 1000, 0, 9), (std::vector<int>{6}));
}

} // namespace
