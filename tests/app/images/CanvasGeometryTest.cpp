// The canvas's mapping between image and client pixels, its centre,
// snapping to the grid and to near points, and the sizes that would divide
// by zero.

#include "CCanvas.h"
#include "CLine.h"
#include "CPrimitiveHandle.h"
#include "CanvasDoubles.h"
#include "TestSupport.h"

#include <QImage>

namespace {

using namespace imagetest;

class CanvasGeometryTest : public PlatformTest {
protected:
    // A canvas of that client size showing an image of that size.
    void Show(int imageWidth, int imageHeight, int clientWidth, int clientHeight)
    {
        canvas.SetLimits(imageWidth - 1, imageHeight - 1);
        canvas.resize(clientWidth, clientHeight);
    }

    CCanvas canvas;
};

TEST_F(CanvasGeometryTest, MappingRoundsHalfUpBothWays)
{
    Show(640, 480, 321, 241);
    const struct {
        QPoint image;
        QPoint client;
    } toClient[] = {
        {{639, 479}, {320, 240}}, {{0, 0}, {0, 0}}, {{1, 1}, {1, 1}}, // 320/639 = 0.5008: a half goes up
        {{2, 3}, {1, 2}},         {{320, 240}, {160, 120}},           // 160.25, 120.25
        {{-639, -479}, {-320, -240}},
    };
    for (const auto &c : toClient)
        EXPECT_EQ(canvas.ImageToClient(c.image), c.client) << c.image.x() << "," << c.image.y();
    const struct {
        QPoint client;
        QPoint image;
    } toImage[] = {
        {{160, 120}, {320, 240}}, // 319.5 and 239.5 round up
        {{320, 240}, {639, 479}},
        {{0, 0}, {0, 0}},
        {{1, 1}, {2, 2}},         // 1.997, 1.996
        {{-1, -1}, {-1, -1}},     // -1.997: towards zero, and -0.997 is no half up
    };
    for (const auto &c : toImage)
        EXPECT_EQ(canvas.ClientToImage(c.client), c.image) << c.client.x() << "," << c.client.y();
}

// A collapsed pane or a one-pixel image makes no division by zero: a
// divisor below 1 counts as 1.
TEST_F(CanvasGeometryTest, EmptyAndOnePixelSizesDivideByOne)
{
    const struct {
        const char *what;
        QSize image;
        QSize client;
        QPoint imagePoint;
        QPoint toClient;
        QPoint clientPoint;
        QPoint toImage;
    } cases[] = {
        {"client 0 x 0", {640, 480}, {0, 0}, {639, 479}, {0, 0}, {5, 5}, {0, 0}},
        {"client 1 x 1", {640, 480}, {1, 1}, {639, 479}, {0, 0}, {0, 0}, {0, 0}},
        {"client 1 x 1, a point beyond", {640, 480}, {1, 1}, {0, 0}, {0, 0}, {2, 1}, {1278, 479}},
        {"image 1 x 1", {1, 1}, {100, 80}, {0, 0}, {0, 0}, {99, 79}, {0, 0}},
        {"image 1 x 1, a point beyond", {1, 1}, {100, 80}, {2, 1}, {198, 79}, {50, 40}, {0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Show(c.image.width(), c.image.height(), c.client.width(), c.client.height());
        EXPECT_EQ(canvas.ImageToClient(c.imagePoint), c.toClient);
        EXPECT_EQ(canvas.ClientToImage(c.clientPoint), c.toImage);
        QImage picture(std::max(1, c.client.width()), std::max(1, c.client.height()), QImage::Format_RGB32);
        canvas.SetShowGrid(true);
        canvas.render(&picture); // paints without dividing by zero
    }
}

TEST_F(CanvasGeometryTest, CentreIsOneOrTwoPixelsEachWay)
{
    const struct {
        QSize image;
        QRect centre;
    } cases[] = {
        {{640, 480}, QRect(QPoint(319, 239), QPoint(320, 240))},
        {{641, 481}, QRect(QPoint(320, 240), QPoint(320, 240))},
        {{1, 2}, QRect(QPoint(0, 0), QPoint(0, 1))},
    };
    for (const auto &c : cases) {
        Show(c.image.width(), c.image.height(), 100, 100);
        EXPECT_EQ(canvas.GetCentre(), c.centre) << c.image.width() << "x" << c.image.height();
    }
}

TEST_F(CanvasGeometryTest, ClampKeepsPointsInsideTheImage)
{
    Show(640, 480, 100, 100);
    const struct {
        QPoint in;
        QPoint out;
    } cases[] = {{{-5, 10}, {0, 10}}, {{640, 480}, {639, 479}}, {{639, -1}, {639, 0}}, {{3, 4}, {3, 4}}};
    for (const auto &c : cases) {
        QPoint p = c.in;
        canvas.ClampToImage(p);
        EXPECT_EQ(p, c.out);
    }
}

// Grid steps 32 and 24: a remainder of half a step or more goes up; the
// remainder keeps the sign of the coordinate, so negative ones go towards
// zero unless a whole step away.
TEST_F(CanvasGeometryTest, GridSnappingByTheStepsRemainder)
{
    Show(640, 480, 640, 480);
    canvas.SetGridSnap(true);
    CLine line(&canvas);
    const struct {
        QPoint in;
        QPoint out;
    } cases[] = {
        {{15, 12}, {0, 24}}, {{16, 11}, {32, 0}},   {{47, 35}, {32, 24}}, {{48, 36}, {64, 48}},
        {{-15, -11}, {0, 0}}, {{-40, -30}, {-32, -24}}, {{-17, -13}, {0, 0}}, {{0, 0}, {0, 0}},
    };
    for (const auto &c : cases) {
        QPoint p = c.in;
        EXPECT_TRUE(line.SnapTrackPoint(p, false, false));
        EXPECT_EQ(p, c.out) << c.in.x() << "," << c.in.y();
    }
    // Client points go through the mapping (here half the image's size).
    Show(640, 480, 320, 240);
    QPoint client(9, 6); // image (18, 12): to (32, 24), client (16, 12)
    EXPECT_TRUE(line.SnapTrackPoint(client, true, false));
    EXPECT_EQ(client, QPoint(16, 12));
}

TEST_F(CanvasGeometryTest, NoGridNoSnappingAndStepsBelowOneNeverDivide)
{
    Show(640, 480, 640, 480);
    CLine line(&canvas);
    QPoint p(15, 12);
    EXPECT_FALSE(line.SnapTrackPoint(p, false, false)) << "grid snapping is off";
    canvas.SetGridSnap(true);
    for (const QSize &steps : {QSize(0, 24), QSize(32, 0), QSize(-8, -8)}) {
        canvas.SetGridSteps(steps.width(), steps.height());
        p = QPoint(15, 12);
        EXPECT_FALSE(line.SnapTrackPoint(p, false, false));
        EXPECT_EQ(p, QPoint(15, 12));
    }
}

TEST_F(CanvasGeometryTest, NearPointsSnapWithinFourPixelsEachWay)
{
    const QPoint key(100, 200);
    const struct {
        QPoint in;
        bool snaps;
    } cases[] = {
        {{104, 204}, true}, {{96, 196}, true}, {{100, 200}, true}, {{105, 200}, false},
        {{100, 195}, false}, {{104, 205}, false},
    };
    for (const auto &c : cases) {
        QPoint p = c.in;
        EXPECT_EQ(CPrimitive::SnapToNearPoint(p, key), c.snaps) << c.in.x() << "," << c.in.y();
        EXPECT_EQ(p, c.snaps ? key : c.in);
    }
}

// Snapping to points asks the pane, the last primitive first; client
// points go through the mapping.
TEST_F(CanvasGeometryTest, SnapToPointsAsksThePaneLastFirst)
{
    Show(640, 480, 320, 240);
    ListPaneDouble pane(canvas);
    pane.Add(std::make_unique<CLine>(100, 100, 300, 300));
    pane.Add(std::make_unique<CLine>(102, 102, 400, 400));
    QPoint image(101, 101);
    EXPECT_TRUE(canvas.SnapToPoints(image, false));
    EXPECT_EQ(image, QPoint(102, 102));
    QPoint client(150, 150); // image (300, 300): the first line's end
    EXPECT_TRUE(canvas.SnapToPoints(client, true));
    EXPECT_EQ(client, canvas.ImageToClient(300, 300));
    QPoint nowhere(500, 10);
    EXPECT_FALSE(canvas.SnapToPoints(nowhere, false));
}

TEST_F(CanvasGeometryTest, PrimitivesOnACanvasStartInTheMiddle)
{
    Show(640, 480, 640, 480);
    CLine line(&canvas);
    EXPECT_EQ(line.GetCommandText(), "LINE White 256 192 384 288");
    EXPECT_EQ(line.HandleCount(), 3);
    EXPECT_FALSE(line.Handle(1)->IsShown()) << "shown only for a selection";
}

} // namespace
