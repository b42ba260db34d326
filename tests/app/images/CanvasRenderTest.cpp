// What the canvas paints, read back pixel by pixel from an offscreen
// picture: a 64 x 48 image on a 64 x 48 canvas (client pixels are image
// pixels) and on a 128 x 96 one. The pixels expected are worked out by hand
// from the rules: a box covers the columns and rows from corner to corner,
// both included; an oval is the ellipse inscribed in that box (a pixel is
// in when its centre is); a line lights both end pixels; a fill paints the
// pattern's 0 bits in the colour and its 1 bits black, from the canvas's
// origin; grid dots fall on the image's multiples of the steps.

#include "CCanvas.h"
#include "CLine.h"
#include "COval.h"
#include "CRectangle.h"
#include "CanvasDoubles.h"
#include "TestSupport.h"

#include <QImage>

#include <vector>

namespace {

using namespace imagetest;

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kYellow = 0xFFFFFF00;

struct Pixel {
    int x;
    int y;
    QRgb colour;
};

class CanvasRenderTest : public PlatformTest {
protected:
    void Show(int clientWidth, int clientHeight)
    {
        canvas.SetLimits(63, 47);
        canvas.resize(clientWidth, clientHeight);
    }

    QImage Render()
    {
        QImage picture(canvas.size(), QImage::Format_RGB32);
        picture.fill(Qt::gray);
        canvas.render(&picture);
        return picture;
    }

    static void ExpectPixels(const QImage &picture, const std::vector<Pixel> &pixels)
    {
        for (const Pixel &p : pixels)
            EXPECT_EQ(picture.pixel(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
    }

    static int Lit(const QImage &picture)
    {
        int lit = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                lit += picture.pixel(x, y) != kBlack;
        return lit;
    }

    CCanvas canvas;
    ListPaneDouble pane{canvas};
};

TEST_F(CanvasRenderTest, RectangleOutlineCoversBothCorners)
{
    Show(64, 48);
    pane.Add(std::make_unique<CRectangle>(5, 6, 14, 25));
    const QImage picture = Render();
    ExpectPixels(picture, {{5, 6, kWhite}, {14, 6, kWhite}, {5, 25, kWhite}, {14, 25, kWhite}, {9, 6, kWhite},
                           {5, 15, kWhite}, {14, 15, kWhite}, {9, 25, kWhite},
                           {4, 6, kBlack}, {15, 6, kBlack}, {5, 5, kBlack}, {5, 26, kBlack}, {6, 7, kBlack},
                           {9, 15, kBlack}});
    EXPECT_EQ(Lit(picture), 2 * 10 + 2 * 18) << "the frame and nothing else";
}

// Checker1: coloured where x + y is even. No outline around the fill.
TEST_F(CanvasRenderTest, FilledRectangleShowsThePatternFromTheCanvasOrigin)
{
    Show(64, 48);
    pane.Add(std::make_unique<CRectangle>(10, 10, 25, 20, 1, 17));
    const QImage picture = Render();
    ExpectPixels(picture, {{10, 10, kRed}, {11, 10, kBlack}, {10, 11, kBlack}, {11, 11, kRed}, {25, 20, kBlack},
                           {24, 20, kRed}, {25, 19, kRed}, {9, 10, kBlack}, {26, 20, kBlack}, {10, 21, kBlack}});
    EXPECT_EQ(Lit(picture), 88) << "half the box's 16 x 11 pixels";
}

// The oval of the box (0, 0)-(9, 9): centre (5, 5), radii 5. Row 0 (centre
// 0.5, 4.5 above): half width 5 * sqrt(1 - 0.81) = 2.18, columns 3 to 6;
// rows 4 and 5 (0.5 off): half width 4.97, columns 0 to 9.
TEST_F(CanvasRenderTest, OvalIsInscribedInItsBox)
{
    Show(64, 48);
    pane.Add(std::make_unique<COval>(0, 0, 9, 9, 3));
    pane.Add(std::make_unique<COval>(20, 0, 29, 9, 3, 16)); // GrayPat100: every pixel in the colour
    const QImage picture = Render();
    ExpectPixels(picture, {{3, 0, kYellow}, {6, 0, kYellow}, {2, 0, kBlack}, {7, 0, kBlack},
                           {3, 9, kYellow}, {6, 9, kYellow}, {0, 4, kYellow}, {0, 5, kYellow}, {9, 4, kYellow},
                           {9, 5, kYellow}, {0, 0, kBlack}, {9, 9, kBlack}, {0, 3, kYellow}, {5, 5, kBlack},
                           {10, 4, kBlack}});
    ExpectPixels(picture, {{23, 0, kYellow}, {26, 0, kYellow}, {22, 0, kBlack}, {27, 0, kBlack},
                           {20, 4, kYellow}, {29, 5, kYellow}, {25, 5, kYellow}, {20, 0, kBlack}, {29, 9, kBlack}});
    // Symmetric: the picture mirrored left to right and top to bottom is the same.
    const QImage left = picture.copy(0, 0, 10, 10);
    EXPECT_EQ(left.mirrored(true, false), left);
    EXPECT_EQ(left.mirrored(false, true), left);
}

TEST_F(CanvasRenderTest, LinesLightBothEndPixelsAndAZeroLengthLineNothing)
{
    Show(64, 48);
    CLine &slant = pane.Add(std::make_unique<CLine>(3, 4, 20, 15, 1));
    pane.Add(std::make_unique<CLine>(5, 30, 15, 30));
    CLine &dot = pane.Add(std::make_unique<CLine>(40, 40, 40, 40));
    const QImage picture = Render();
    ExpectPixels(picture, {{3, 4, kRed}, {20, 15, kRed}, {2, 4, kBlack}, {21, 15, kBlack}, {20, 16, kBlack}});
    std::vector<Pixel> row;
    for (int x = 5; x <= 15; ++x)
        row.push_back({x, 30, kWhite});
    row.push_back({4, 30, kBlack});
    row.push_back({16, 30, kBlack});
    ExpectPixels(picture, row);
    ExpectPixels(picture, {{40, 40, kBlack}});
    EXPECT_FALSE(dot.HitTest(QPoint(40, 40)));
    EXPECT_FALSE(dot.IntersectsRect(QRect(0, 0, 64, 48)));
    EXPECT_TRUE(slant.HitTest(QPoint(12, 9)));
    EXPECT_FALSE(slant.HitTest(QPoint(12, 20)));
}

TEST_F(CanvasRenderTest, GridDotsFallOnTheStepsMultiples)
{
    Show(64, 48);
    canvas.SetShowGrid(true);
    const QImage picture = Render();
    ExpectPixels(picture, {{0, 0, kWhite}, {32, 0, kWhite}, {0, 24, kWhite}, {32, 24, kWhite}});
    EXPECT_EQ(Lit(picture), 4);
    canvas.SetGridSteps(0, 24);
    EXPECT_EQ(Lit(Render()), 0) << "a step below 1 shows no dots";
}

// On 128 x 96 the client pixel of image x is 127 x / 63 rounded half up,
// of image y 95 y / 47: (5, 6) goes to (10, 12), (14, 25) to (28, 51),
// (3, 4) to (6, 8), (20, 15) to (40, 30), (32, 24) to (65, 49).
TEST_F(CanvasRenderTest, TwiceTheSizeScalesTheCorners)
{
    Show(128, 96);
    pane.Add(std::make_unique<CRectangle>(5, 6, 14, 25));
    pane.Add(std::make_unique<CLine>(3, 4, 20, 15, 1));
    const QImage picture = Render();
    ExpectPixels(picture, {{10, 12, kWhite}, {28, 12, kWhite}, {10, 51, kWhite}, {28, 51, kWhite}, {9, 12, kBlack},
                           {29, 51, kBlack}, {10, 52, kBlack}, {11, 13, kBlack}});
    ExpectPixels(picture, {{6, 8, kRed}, {40, 30, kRed}, {41, 30, kBlack}});
    pane.primitives.clear();
    canvas.SetShowGrid(true);
    const QImage dots = Render();
    ExpectPixels(dots, {{0, 0, kWhite}, {65, 0, kWhite}, {0, 49, kWhite}, {65, 49, kWhite}});
    EXPECT_EQ(Lit(dots), 4);
}

// The XOR feedback shows over what lies below and goes when taken away.
TEST_F(CanvasRenderTest, FeedbackIsPaintedInXorOverThePicture)
{
    Show(64, 48);
    pane.Add(std::make_unique<CRectangle>(0, 0, 63, 47, 7, 16)); // all white
    canvas.SetDragFeedback({{FeedbackShape::Frame, QPoint(10, 10), QPoint(20, 20), QColor(255, 0, 0)}});
    QImage picture = Render();
    ExpectPixels(picture, {{10, 10, 0xFF00FFFF}, {20, 20, 0xFF00FFFF}, {15, 15, kWhite}, {9, 10, kWhite}});
    canvas.ClearDragFeedback();
    canvas.SetSnapMarker(QPoint(30, 30));
    picture = Render();
    ExpectPixels(picture, {{10, 10, kWhite}, {24, 30, 0xFF00FFFF}, {36, 30, 0xFF00FFFF}, {30, 30, kWhite}});
}

} // namespace
