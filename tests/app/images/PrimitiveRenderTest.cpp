// What the other primitives paint, read back pixel by pixel from an
// offscreen picture of a canvas whose client pixels are image pixels. The
// pixels expected are worked out by hand from each kind's rules.

#include "CCanvas.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGrill.h"
#include "CMarker.h"
#include "CText.h"
#include "CTriangle.h"
#include "CanvasDoubles.h"
#include "TestSupport.h"

#include <QImage>

#include <climits>
#include <vector>

namespace {

using namespace imagetest;

constexpr QRgb kDark = 0xFF000000;
constexpr QRgb kLight = 0xFFFFFFFF;
constexpr QRgb kRedPixel = 0xFFFF0000;

struct Spot {
    int x;
    int y;
    QRgb colour;
};

class PrimitiveRenderTest : public PlatformTest {
protected:
    // An image of width x height on a canvas of the same size.
    void Show(int width, int height)
    {
        canvas.SetLimits(width - 1, height - 1);
        canvas.resize(width, height);
    }

    QImage Render()
    {
        QImage picture(canvas.size(), QImage::Format_RGB32);
        picture.fill(Qt::gray);
        canvas.render(&picture);
        return picture;
    }

    static void ExpectSpots(const QImage &picture, const std::vector<Spot> &spots)
    {
        for (const Spot &s : spots)
            EXPECT_EQ(picture.pixel(s.x, s.y), s.colour) << "at " << s.x << "," << s.y;
    }

    // The pixels not black, and the box around them.
    static int Lit(const QImage &picture, QRect *box = nullptr)
    {
        int lit = 0;
        QRect around;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) == kDark)
                    continue;
                ++lit;
                around |= QRect(x, y, 1, 1);
            }
        if (box)
            *box = around;
        return lit;
    }

    CCanvas canvas;
    ListPaneDouble pane{canvas};
};

TEST_F(PrimitiveRenderTest, ADotIsOnePixel)
{
    Show(64, 48);
    pane.Add(std::make_unique<CDot>(10, 12, 1));
    const QImage picture = Render();
    ExpectSpots(picture, {{10, 12, kRedPixel}, {11, 12, kDark}, {10, 11, kDark}});
    EXPECT_EQ(Lit(picture), 1);
}

// Two by two boxes on 64 x 48: columns 0, 31, 62 and rows 0, 23, 46,
// each line from edge to edge.
TEST_F(PrimitiveRenderTest, ACentredGridsLinesCrossTheWholeImage)
{
    Show(64, 48);
    pane.Add(std::make_unique<CGrid>(CGrid::kCentred, 2, 2));
    const QImage picture = Render();
    ExpectSpots(picture, {{0, 10, kLight}, {31, 10, kLight}, {62, 47, kLight}, {30, 10, kDark}, {63, 10, kDark},
                          {10, 0, kLight}, {10, 23, kLight}, {63, 46, kLight}, {10, 24, kDark}, {10, 47, kDark}});
    EXPECT_EQ(Lit(picture), 3 * 48 + 3 * 64 - 9);
}

// Bars 3 thick, 10 apart: four rows each (the thickness and one more)
// starting at 0, 13, 26 and 39, across the whole width.
TEST_F(PrimitiveRenderTest, AGrillPaintsItsBars)
{
    Show(64, 48);
    pane.Add(std::make_unique<CGrill>(CGrill::kHorizontal, 3, 10));
    const QImage picture = Render();
    ExpectSpots(picture, {{0, 0, kLight}, {63, 3, kLight}, {5, 4, kDark}, {5, 12, kDark}, {5, 13, kLight},
                          {5, 42, kLight}, {5, 43, kDark}});
    EXPECT_EQ(Lit(picture), 4 * 4 * 64);
}

// Values a file may hold: no boxes, bars that never advance, 2^31 lines.
// Nothing, or no more than the canvas has pixels, and the paint returns.
TEST_F(PrimitiveRenderTest, PatternsFromOddValuesDrawNothingOrWhatFits)
{
    Show(64, 48);
    struct {
        const char *what;
        std::unique_ptr<CPrimitive> primitive;
        int lit;
    } cases[] = {
        {"a grid of no boxes", std::make_unique<CGrid>(CGrid::kCentred, 0, 0), 0},
        {"a hatch of negative boxes", std::make_unique<CGrid>(CGrid::kInsideOut, -4, -4), 0},
        {"a grill of no bar and no space", std::make_unique<CGrill>(CGrill::kVertical, 0, 0), 0},
        {"a grill whose step goes back", std::make_unique<CGrill>(CGrill::kHorizontal, 5, -9), 0},
        {"a grid of an unknown kind", std::make_unique<CGrid>(5, 2, 2), 0},
        {"a marker of an unknown kind", std::make_unique<CMarker>(4), 0},
        {"a grid of 2^31 - 1 boxes", std::make_unique<CGrid>(CGrid::kCentred, INT_MAX, INT_MAX), 64 * 48},
        {"bars of 2^31 - 1 pixels", std::make_unique<CGrill>(CGrill::kVertical, INT_MAX, 1), 64 * 48},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        pane.primitives.clear();
        pane.Add(std::move(c.primitive));
        EXPECT_EQ(Lit(Render()), c.lit);
    }
}

// Unfilled: the three edges only, both ends of each. Filled (GrayPat100,
// the colour everywhere): the inside, with no outline of its own beyond it.
TEST_F(PrimitiveRenderTest, ATriangleIsOutlinedOrFilled)
{
    Show(64, 48);
    CTriangle &outline = pane.Add(std::make_unique<CTriangle>(QPoint(2, 2), QPoint(12, 2), QPoint(2, 12)));
    QImage picture = Render();
    ExpectSpots(picture, {{2, 2, kLight}, {12, 2, kLight}, {2, 12, kLight}, {7, 7, kLight}, {2, 7, kLight},
                          {4, 4, kDark}, {13, 2, kDark}, {8, 8, kDark}});
    EXPECT_EQ(Lit(picture), 11 + 10 + 9);
    outline.SetPattern(16);
    picture = Render();
    ExpectSpots(picture, {{4, 4, kLight}, {3, 9, kLight}, {9, 3, kLight}, {13, 2, kDark}, {8, 8, kDark}});
    const int filled = Lit(picture);
    EXPECT_GT(filled, 11 + 10 + 9);
    EXPECT_LE(filled, 11 * 12 / 2 + 11) << "no more than the triangle's pixels";
    // Flat: no region, nothing drawn, nothing hit.
    pane.primitives.clear();
    CTriangle &flat = pane.Add(std::make_unique<CTriangle>(QPoint(2, 2), QPoint(12, 12), QPoint(22, 22)));
    EXPECT_EQ(Lit(Render()), 0);
    EXPECT_FALSE(flat.HitTest(QPoint(12, 12)));
}

// The frame runs one pixel below and right of the cells: an empty text's
// is two pixels wide; a text too small for any fitted font shows its frame only.
TEST_F(PrimitiveRenderTest, ATextShowsItsFrameAndTheTextInside)
{
    Show(64, 48);
    pane.Add(std::make_unique<CText>(10, 5, QString(), 1));
    QImage picture = Render();
    ExpectSpots(picture, {{10, 6, kRedPixel}, {11, 6, kRedPixel}, {10, 22, kRedPixel}, {11, 22, kRedPixel},
                          {10, 5, kDark}, {12, 6, kDark}, {10, 23, kDark}});
    EXPECT_EQ(Lit(picture), 2 * 17);
    pane.primitives.clear();
    pane.Add(std::make_unique<CText>(10, 5, QStringLiteral("W"), 1));
    picture = Render();
    ExpectSpots(picture, {{10, 6, kRedPixel}, {19, 6, kRedPixel}, {10, 22, kRedPixel}, {19, 22, kRedPixel},
                          {20, 6, kDark}});
    const int frame = 2 * 10 + 2 * 15;
    EXPECT_GT(Lit(picture), frame) << "a letter inside";
    QRect box;
    pane.primitives.clear();
    pane.Add(std::make_unique<CText>(10, 5, QStringLiteral("Wide text"), 1, 1)); // opix9: 7 x 11
    picture = Render();
    Lit(picture, &box);
    EXPECT_EQ(box, QRect(QPoint(10, -1), QPoint(10 + 63 + 1, 8)).intersected(QRect(0, 0, 64, 48)));
}

// 16 by 12 ticks on 640 x 480; through the centre every stroke is two
// pixels thick when the side is even.
TEST_F(PrimitiveRenderTest, TheCentreMarkIsDoubledOnEvenSides)
{
    Show(640, 480);
    pane.Add(std::make_unique<CMarker>(CMarker::kCentreMark));
    QRect box;
    QImage picture = Render();
    EXPECT_EQ(Lit(picture, &box), 2 * 33 + 2 * 25 - 4);
    EXPECT_EQ(box, QRect(303, 227, 33, 25));
    ExpectSpots(picture, {{319, 230, kLight}, {320, 230, kLight}, {318, 230, kDark}, {321, 230, kDark},
                          {306, 239, kLight}, {306, 240, kLight}, {306, 241, kDark}});
    // 641 wide: one centre column, 320.
    Show(641, 480);
    picture = Render();
    EXPECT_EQ(Lit(picture, &box), 2 * 33 + 25 - 2);
    EXPECT_EQ(box, QRect(304, 227, 33, 25));
    ExpectSpots(picture, {{320, 230, kLight}, {319, 230, kDark}, {321, 230, kDark}});
}

TEST_F(PrimitiveRenderTest, TheCrossAndTheLimitMarksReachTheEdges)
{
    Show(64, 48);
    pane.Add(std::make_unique<CMarker>(CMarker::kCentredCross));
    QImage picture = Render();
    EXPECT_EQ(Lit(picture), 2 * 64 + 2 * 48 - 4);
    ExpectSpots(picture, {{0, 23, kLight}, {63, 24, kLight}, {31, 0, kLight}, {32, 47, kLight}, {30, 0, kDark}});
    pane.primitives.clear();
    pane.Add(std::make_unique<CMarker>(CMarker::kLimitMarkers));
    picture = Render();
    // Ticks of (5 * 63 + 5) / 200 = 1 and (5 * 47 + 5) / 200 = 1 pixel.
    ExpectSpots(picture, {{0, 0, kLight}, {1, 0, kLight}, {0, 1, kLight}, {2, 0, kDark}, {1, 1, kDark},
                          {63, 47, kLight}, {62, 47, kLight}, {63, 46, kLight}, {61, 47, kDark},
                          {31, 0, kLight}, {32, 1, kLight}, {31, 2, kDark}, {0, 22, kLight}, {1, 24, kLight}});
}

} // namespace
